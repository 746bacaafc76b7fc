// Check boxes drawn through the frame control from one picture per device
// size and look: the same pixels as drawn shape by shape, at any mapping,
// and a PDF page of many check boxes holds one image.
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Glyphs.h"
#include "platform/graphics/PdfDocument.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace qel {
namespace {

// Both bitmaps pixel for pixel.
int Differences(const TBitmap& A, const TBitmap& B)
{
    int n = 0;
    for (int y = 0; y < A.Height(); ++y)
        for (int x = 0; x < A.Width(); ++x)
            n += A.Pixel(x, y) != B.Pixel(x, y);
    return n;
}

TEST(CheckBoxPicture, DrawsWhatTheShapesDrawAtEverySizeAndLook)
{
    const struct {
        unsigned State;
        TCheckBoxState Box;
        bool Flat, Enabled, Pushed;
    } looks[] = {
        {DFCS_BUTTONCHECK, cbUnchecked, false, true, false},
        {DFCS_BUTTONCHECK | DFCS_CHECKED, cbChecked, false, true, false},
        {DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_FLAT, cbChecked, true, true, false},
        {DFCS_BUTTON3STATE | DFCS_CHECKED, cbGrayed, false, true, false},
        {DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE, cbChecked, false, false, false},
        {DFCS_BUTTONCHECK | DFCS_PUSHED, cbUnchecked, false, true, true},
    };
    for (int side : {13, 20, 33, 100})
        for (const auto& look : looks) {
            SCOPED_TRACE("side " + std::to_string(side) + " state " + std::to_string(look.State));
            TBitmap pictured(140, 140), shaped(140, 140);
            for (TBitmap* b : {&pictured, &shaped}) {
                b->Canvas()->Brush()->SetColor(clYellow);
                b->Canvas()->FillRect({0, 0, 140, 140});
            }
            // Twice: the second comes from the picture the first made.
            for (int i = 0; i < 2; ++i) {
                TRect r{7 + i * 3, 5, 7 + i * 3 + side, 5 + side + 4};
                pictured.Canvas()->DrawFrameControl(r, DFC_BUTTON, look.State);
                DrawCheckBoxGlyph(*shaped.Canvas(), {7 + i * 3, 5, 7 + i * 3 + side, 5 + side + 4}, look.Box,
                                  look.Flat, look.Enabled, look.Pushed);
            }
            EXPECT_EQ(Differences(pictured, shaped), 0);
        }

    // On a mapped canvas the picture is made at the device size.
    TBitmap pictured(100, 100), shaped(100, 100);
    for (TBitmap* b : {&pictured, &shaped}) {
        b->Canvas()->SetMapMode(MM_ISOTROPIC);
        b->Canvas()->SetWindowExt(1000, 1000);
        b->Canvas()->SetViewportExt(100, 100);
    }
    TRect r{100, 100, 300, 300};
    pictured.Canvas()->DrawFrameControl(r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    TBitmap device(100, 100);
    DrawCheckBoxGlyph(*device.Canvas(), {10, 10, 30, 30}, cbChecked, false);
    EXPECT_EQ(Differences(pictured, device), 0);
}

TEST(CheckBoxPicture, APdfPageOfManyCheckBoxesHoldsOneImagePerLook)
{
    test::TempDir dir;
    const std::string file = dir.File("checks.pdf");
    {
        TPdfDocument pdf(file);
        pdf.BeginDoc();
        TCanvas& c = *pdf.Canvas();
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 25; ++x) {
                TRect r{100 + x * 150, 100 + y * 150, 200 + x * 150, 200 + y * 150};
                c.DrawFrameControl(r, DFC_BUTTON, DFCS_BUTTONCHECK | ((x + y) % 2 ? DFCS_CHECKED : 0u));
            }
        pdf.EndDoc();
    }
    const std::string bytes = test::ReadFileBytes(file);
    std::size_t images = 0;
    for (std::size_t at = bytes.find("/Subtype /Image"); at != std::string::npos;
         at = bytes.find("/Subtype /Image", at + 1))
        ++images;
    EXPECT_EQ(images, 2u);   // checked and unchecked
    EXPECT_LT(bytes.size(), 100000u);
}

TEST(CheckBoxPicture, FillRectsFillsAsFillRectDoesForEach)
{
    TBitmap one(60, 40), all(60, 40);
    const TRect rects[] = {{0, 0, 10, 40}, {50, 0, 60, 40}, {10, 0, 50, 5}, {10, 35, 50, 40}, {20, 15, 20, 25}};
    for (TBitmap* b : {&one, &all}) {
        b->Canvas()->Brush()->SetColor(clWhite);
        b->Canvas()->FillRect({0, 0, 60, 40});
        b->Canvas()->Brush()->SetColor(clNavy);
    }
    for (const TRect& r : rects)
        one.Canvas()->FillRect(r);
    all.Canvas()->FillRects(rects, 5);
    EXPECT_EQ(Differences(one, all), 0);
    EXPECT_EQ(all.Pixel(5, 20), ColorToRGB(clNavy));
    EXPECT_EQ(all.Pixel(30, 20), clWhite);
}

} // namespace
} // namespace qel
