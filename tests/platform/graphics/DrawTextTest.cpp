// Text measuring and DrawText layout against installed, metric-compatible fonts.
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

class DrawTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bmp.SetSize(400, 300);
        c = bmp.Canvas();
        c->Font()->SetName("Arial");
        c->Font()->SetHeight(-100);
    }
    TBitmap bmp;
    TCanvas* c = nullptr;
};

TEST_F(DrawTextTest, ArialMeasuresWithItsDesignMetrics)
{
    // Advance widths of the metric-compatible face: H 1479, e 1139, l 455, o 1139 per 2048.
    EXPECT_EQ(c->TextWidth("Hello"), 228);
    // Ascent 1854 + descent 434 per 2048, each rounded.
    EXPECT_EQ(c->TextHeight("Hello"), 112);
    // Measuring adds up: no kerning, no hinting.
    EXPECT_NEAR(c->TextWidth("HelloHello"), 2 * c->TextWidth("Hello"), 1);
    EXPECT_EQ(c->TextExtent(""), (TSize{0, 112}));
    // A positive height is the cell height.
    c->Font()->SetHeight(112);
    EXPECT_NEAR(c->TextHeight("x"), 112, 1);
}

TEST_F(DrawTextTest, CalcRectMeasuresWithoutDrawing)
{
    c->Brush()->SetColor(clWhite);
    c->FillRect({0, 0, 400, 300});
    TRect r{10, 20, 30, 40};
    const int h = c->DrawText("Hello", r, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(h, 112);
    EXPECT_EQ(r, (TRect{10, 20, 238, 132}));
    // Nothing was painted.
    for (int x = 0; x < 400; x += 7)
        for (int y = 0; y < 300; y += 7)
            ASSERT_EQ(bmp.Pixel(x, y), clWhite);

    // Empty text: zero width, a line high only for a single line.
    TRect e{5, 5, 50, 50};
    EXPECT_EQ(c->DrawText("", e, DT_CALCRECT), 112);
    EXPECT_EQ(e, (TRect{5, 5, 5, 5}));
    e = {5, 5, 50, 50};
    c->DrawText("", e, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(e.Bottom, 5 + 112);
}

TEST_F(DrawTextTest, WordBreakWrapsAtSpacesAndKeepsLongWordsWhole)
{
    c->Font()->SetHeight(-20);
    const int lh = c->TextHeight("X");
    const int wOne = c->TextWidth("alpha beta");
    // Room for "alpha beta" but not for "alpha beta gamma"; the spaces at the break vanish.
    TRect r{0, 0, wOne + 2, 0};
    int h = c->DrawText("alpha beta gamma", r, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(h, 2 * lh);
    EXPECT_EQ(r.Bottom, 2 * lh);
    EXPECT_LE(r.Width(), wOne + 2);

    // Hard line breaks in any form; a trailing break adds no line.
    r = {0, 0, 1000, 0};
    EXPECT_EQ(c->DrawText("a\r\nb\nc\rd\n", r, DT_CALCRECT), 4 * lh);

    // A word wider than the rectangle stays whole on its own line.
    r = {0, 0, 10, 0};
    h = c->DrawText("incomprehensibilities ok", r, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(h, 2 * lh);
    EXPECT_EQ(r.Width(), c->TextWidth("incomprehensibilities"));
    // ... unless the edit-control rule breaks it.
    r = {0, 0, 40, 0};
    h = c->DrawText("incomprehensibilities", r, DT_WORDBREAK | DT_EDITCONTROL | DT_CALCRECT);
    EXPECT_GT(h, 2 * lh);
    EXPECT_LE(r.Width(), 40);

    // Single line ignores word break and line ends.
    r = {0, 0, 10, 0};
    EXPECT_EQ(c->DrawText("a b\nc", r, DT_WORDBREAK | DT_SINGLELINE | DT_CALCRECT), lh);
}

TEST_F(DrawTextTest, EndEllipsisShortensOnlyWhatDoesNotFit)
{
    c->Font()->SetHeight(-20);
    const std::string text = "A rather long caption for a narrow column";
    const int full = c->TextWidth(text);
    TRect r{0, 0, full / 2, 0};
    c->DrawText(text, r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_LE(r.Width(), full / 2);
    EXPECT_GT(r.Width(), full / 2 - c->TextWidth("WW..."));
    r = {0, 0, full + 5, 0};
    c->DrawText(text, r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_EQ(r.Width(), full);
    // Too narrow even for the dots: no crash, the dots alone.
    r = {0, 0, 1, 0};
    c->DrawText(text, r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_EQ(r.Width(), c->TextWidth("..."));
}

TEST_F(DrawTextTest, TabsExpandToEightAverageCharactersOnlyWhenAsked)
{
    c->Font()->SetHeight(-20);
    TRect expanded{0, 0, 1000, 0}, plain{0, 0, 1000, 0}, two{0, 0, 1000, 0};
    c->DrawText("a\tb", expanded, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
    c->DrawText("a\tb", plain, DT_SINGLELINE | DT_CALCRECT);
    c->DrawText("abc\tb", two, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
    EXPECT_EQ(plain.Width(), c->TextWidth("a b"));
    EXPECT_GT(expanded.Width(), plain.Width());
    // Both tabs stop at the same column.
    EXPECT_EQ(expanded.Width(), two.Width());
}

TEST_F(DrawTextTest, PrefixMarksAnAcceleratorUnlessNoPrefix)
{
    c->Font()->SetHeight(-20);
    TRect r{0, 0, 1000, 0};
    c->DrawText("&File", r, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(r.Width(), c->TextWidth("File"));
    r = {0, 0, 1000, 0};
    c->DrawText("&File", r, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    EXPECT_EQ(r.Width(), c->TextWidth("&File"));
    r = {0, 0, 1000, 0};
    c->DrawText("Fish && Chips", r, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(r.Width(), c->TextWidth("Fish & Chips"));

    // The accelerator is underlined: ink below the baseline of an "F" that has none.
    c->Brush()->SetColor(clWhite);
    c->FillRect({0, 0, 400, 300});
    c->SetBkMode(TRANSPARENT);
    TRect a{0, 0, 200, 40}, b{0, 100, 200, 140};
    c->DrawText("&F", a, DT_SINGLELINE);
    c->DrawText("F", b, DT_SINGLELINE);
    auto inkBelowBaseline = [&](int top) {
        int ink = 0;
        const int base = top + 19;   // ascent of a 20-pixel Arial is 18
        for (int y = base; y < top + 23; ++y)
            for (int x = 0; x < 20; ++x)
                ink += bmp.Pixel(x, y) != clWhite;
        return ink;
    };
    EXPECT_GT(inkBelowBaseline(0), 0);
    EXPECT_EQ(inkBelowBaseline(100), 0);
}

TEST_F(DrawTextTest, AlignmentPlacesTheLineAndClipsToTheRectangle)
{
    c->Font()->SetHeight(-20);
    TMetafile mf;
    mf.SetWidth(400);
    mf.SetHeight(300);
    TMetafileCanvas rec(&mf);
    rec.Font()->Assign(c->Font());
    const int w = rec.TextWidth("Mid");
    const int lh = rec.TextHeight("Mid");
    TRect r{0, 0, 200, 100};
    EXPECT_EQ(rec.DrawText("Mid", r, DT_SINGLELINE | DT_VCENTER | DT_CENTER), (100 - lh) / 2 + lh);
    EXPECT_EQ(rec.DrawText("Mid", r, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT), 100);

    // Rendered: the centred text lies in the middle; with clipping nothing leaks out.
    c->Brush()->SetColor(clWhite);
    c->FillRect({0, 0, 400, 300});
    c->SetBkMode(TRANSPARENT);
    c->DrawText("Mid", r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    int minX = 400, maxX = -1;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            if (bmp.Pixel(x, y) != clWhite) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
    EXPECT_NEAR(minX, (200 - w) / 2, 3);
    EXPECT_NEAR(maxX, (200 + w) / 2, 3);

    c->FillRect({0, 0, 400, 300});
    TRect small{0, 150, 10, 160};
    c->DrawText("Clipped text", small, DT_SINGLELINE);
    for (int y = 140; y < 200; ++y)
        for (int x = 10; x < 200; ++x)
            ASSERT_EQ(bmp.Pixel(x, y), clWhite) << x << "," << y;
    // DT_NOCLIP lets it run on.
    c->DrawText("Clipped text", small, DT_SINGLELINE | DT_NOCLIP);
    int outside = 0;
    for (int y = 150; y < 175; ++y)
        for (int x = 10; x < 200; ++x)
            outside += bmp.Pixel(x, y) != clWhite;
    EXPECT_GT(outside, 0);
}

TEST_F(DrawTextTest, OpaqueBackgroundFillsBehindText)
{
    c->Font()->SetHeight(-20);
    c->Brush()->SetColor(clWhite);
    c->FillRect({0, 0, 400, 300});
    c->SetBkColor(clYellow);
    c->SetBkMode(OPAQUE);
    c->TextOut(10, 10, "ab");
    EXPECT_EQ(bmp.Pixel(10, 10), clYellow);
    EXPECT_EQ(c->PenPos(), (TPoint{10 + c->TextWidth("ab"), 10}));
    // A clear brush makes text transparent, as selecting a brush does.
    c->Brush()->SetStyle(bsClear);
    EXPECT_EQ(c->BkMode(), TRANSPARENT);
    c->TextOut(10, 100, "ab");
    EXPECT_EQ(bmp.Pixel(10, 100), clWhite);
}

TEST_F(DrawTextTest, TextInAMappedCanvasScalesWithTheMapping)
{
    // Report-style units: 10 logical units per pixel.
    c->SetMapMode(MM_ISOTROPIC);
    c->SetWindowExt(4000, 3000);
    c->SetViewportExt(400, 300);
    c->Font()->SetHeight(-200);
    const int logical = c->TextWidth("Hello");
    EXPECT_EQ(logical, 456);                 // 2 x 228, in logical units
    c->Brush()->SetColor(clWhite);
    c->FillRect({0, 0, 4000, 3000});
    c->SetBkMode(TRANSPARENT);
    c->TextOut(0, 0, "Hello");
    int maxX = -1;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 100; ++x)
            if (bmp.Pixel(x, y) != clWhite)
                maxX = std::max(maxX, x);
    EXPECT_NEAR(maxX, 45, 3);
}

} // namespace
} // namespace qel
