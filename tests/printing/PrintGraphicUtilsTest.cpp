#include "printing/PrintGraphicUtils.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Resources.h"
#include "platform/core/Exceptions.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace qel {
namespace {

TEST(FontToText, SizeNameAndStyles)
{
    TFont font;
    font.SetName("Arial");
    font.SetSize(8);
    font.SetStyle({fsItalic, fsBold});
    EXPECT_EQ(FontToText(&font), "8 pt. Arial  [Bold Italic]");
    font.SetStyle({fsStrikeOut, fsUnderline, fsBold});
    EXPECT_EQ(FontToText(&font), "8 pt. Arial  [Bold Underline StrikeOut]");
    font.SetStyle({});
    EXPECT_EQ(FontToText(&font), "8 pt. Arial ");
    EXPECT_EQ(FontToText(nullptr), "");
}

TEST(Brushes, EqualityCoversAbsentBrushes)
{
    TBrush a;
    TBrush b;
    EXPECT_TRUE(AreBrushesEqual(nullptr, nullptr));
    EXPECT_FALSE(AreBrushesEqual(&a, nullptr));
    EXPECT_FALSE(AreBrushesEqual(nullptr, &b));
    EXPECT_TRUE(AreBrushesEqual(&a, &b));
    b.SetColor(clRed);
    EXPECT_FALSE(AreBrushesEqual(&a, &b));
    a.SetColor(clRed);
    a.SetStyle(bsCross);
    EXPECT_FALSE(AreBrushesEqual(&a, &b));
}

TEST(Colors, LightenResolvesAndClamps)
{
    EXPECT_EQ(LightenColor(RGB(10, 20, 30), 5, 6, 7), RGB(15, 26, 37));
    EXPECT_EQ(LightenColor(RGB(250, 5, 128), 10, -10, 0), RGB(255, 0, 128));
    EXPECT_EQ(LightenColor(clWhite, INT_MAX, INT_MIN, 0), RGB(255, 0, 255));
    // A system colour lightens from its theme RGB, not from its index bits.
    const TColor face = ColorToRGB(clBtnFace);
    EXPECT_EQ(LightenColor(clBtnFace, 1, 1, 1),
              RGB(std::min(GetRValue(face) + 1, 255), std::min(GetGValue(face) + 1, 255),
                  std::min(GetBValue(face) + 1, 255)));
    // The unset colour counts as black.
    EXPECT_EQ(LightenColor(clNone, 16, 32, 48), RGB(16, 32, 48));
    EXPECT_EQ(LightenColor(clNone, -16, 0, 0), clBlack);
    EXPECT_EQ(GetNearestScreenColor(clWindowText), ColorToRGB(clWindowText));
    EXPECT_EQ(GetNearestScreenColor(RGB(1, 2, 3)), RGB(1, 2, 3));
}

TEST(DeviceContexts, TechnologyDecides)
{
    TCanvas canvas;
    TDeviceCaps caps;
    caps.Technology = DT_RASPRINTER;
    canvas.SetDeviceCaps(caps);
    EXPECT_TRUE(IsPrinterDC(&canvas));
    EXPECT_FALSE(IsDisplayDC(&canvas));
    EXPECT_FALSE(IsMetafileDC(&canvas));
    caps.Technology = DT_METAFILE;
    canvas.SetDeviceCaps(caps);
    EXPECT_TRUE(IsMetafileDC(&canvas));
    EXPECT_FALSE(IsPrinterDC(&canvas));
    caps.Technology = DT_RASDISPLAY;
    canvas.SetDeviceCaps(caps);
    EXPECT_TRUE(IsDisplayDC(&canvas));
    EXPECT_FALSE(IsDisplayDC(nullptr));
    EXPECT_FALSE(IsPrinterDC(nullptr));
    EXPECT_FALSE(IsMetafileDC(nullptr));
}

} // namespace
} // namespace qel

namespace qel {
namespace {

// A 4 x 3 glyph: a red L-shape on a white background (the bottom-left pixel
// must be background, since it names the transparent colour).
std::unique_ptr<TBitmap> LGlyph()
{
    auto bmp = std::make_unique<TBitmap>(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            bmp->SetPixel(x, y, clWhite);
    bmp->SetPixel(1, 0, clRed);
    bmp->SetPixel(1, 1, clRed);
    bmp->SetPixel(2, 1, clRed);
    return bmp;
}

TEST(Bitmaps, EqualityComparesSizeAndPixels)
{
    auto a = LGlyph();
    auto b = LGlyph();
    EXPECT_TRUE(AreBitmapsEqual(a.get(), b.get()));
    EXPECT_TRUE(AreBitmapsEqual(nullptr, nullptr));
    EXPECT_FALSE(AreBitmapsEqual(a.get(), nullptr));
    b->SetPixel(3, 2, clBlue);
    EXPECT_FALSE(AreBitmapsEqual(a.get(), b.get()));
    TBitmap wide(5, 3);
    TBitmap empty1;
    TBitmap empty2;
    EXPECT_FALSE(AreBitmapsEqual(a.get(), &wide));
    EXPECT_TRUE(AreBitmapsEqual(&empty1, &empty2));
}

TEST(Bitmaps, IconKeepsTheShapeAndDropsTheBackground)
{
    auto glyph = LGlyph();
    std::unique_ptr<TIcon> icon = CreateIconFromBitmap(glyph.get());
    ASSERT_NE(icon, nullptr);
    ASSERT_FALSE(icon->Empty());
    EXPECT_EQ(icon->Width(), 4);
    EXPECT_EQ(icon->Height(), 3);

    // Drawn over blue, the background shows through and the shape stays red.
    TBitmap target(4, 3);
    target.Canvas()->Brush()->SetColor(clBlue);
    target.Canvas()->FillRect(Rect(0, 0, 4, 3));
    target.Canvas()->Draw(0, 0, icon.get());
    EXPECT_EQ(target.Pixel(1, 0) & 0xFFFFFF, clRed);
    EXPECT_EQ(target.Pixel(2, 1) & 0xFFFFFF, clRed);
    EXPECT_EQ(target.Pixel(0, 0) & 0xFFFFFF, clBlue);
    EXPECT_EQ(target.Pixel(3, 2) & 0xFFFFFF, clBlue);

    EXPECT_TRUE(CreateIconFromBitmap(nullptr)->Empty());
    TBitmap empty;
    EXPECT_TRUE(CreateIconFromBitmap(&empty)->Empty());
    // Beyond the 256 pixels an icon file can describe.
    TBitmap huge(300, 257);
    huge.Canvas()->Brush()->SetColor(clWhite);
    huge.Canvas()->FillRect(Rect(0, 0, 300, 257));
    huge.SetPixel(299, 256, clRed);
    huge.SetTransparentColor(clWhite);
    std::unique_ptr<TIcon> big = CreateIconFromBitmap(&huge);
    EXPECT_EQ(big->Width(), 300);
    EXPECT_EQ(big->Height(), 257);
    TBitmap under(300, 257);
    under.Canvas()->Brush()->SetColor(clBlue);
    under.Canvas()->FillRect(Rect(0, 0, 300, 257));
    under.Canvas()->Draw(0, 0, big.get());
    EXPECT_EQ(under.Pixel(299, 256) & 0xFFFFFF, clRed);
    EXPECT_EQ(under.Pixel(0, 0) & 0xFFFFFF, clBlue);
}

TEST(Bitmaps, IconFromAResourceByNumberOrName)
{
    RegisterBitmapResource(30003, [] { return LGlyph(); });
    std::unique_ptr<TIcon> icon = CreateIconFromBitmapResource(30003);
    EXPECT_EQ(icon->Width(), 4);
    EXPECT_EQ(icon->Height(), 3);
    EXPECT_FALSE(CreateIconFromBitmapResource("#30003")->Empty());

    // Names are matched without regard to case.
    RegisterBitmapResource("PrintIcon", [] { return LGlyph(); });
    EXPECT_EQ(CreateIconFromBitmapResource("PRINTICON")->Width(), 4);
    UnregisterBitmapResource("printicon");
    UnregisterBitmapResource(30003);

    EXPECT_EQ(test::MessageOf<EResNotFound>([&] { CreateIconFromBitmapResource(30003); }),
              "Resource #30003 not found") << "an unregistered resource gave an icon";
    // A resource whose painter gives no picture is missing too.
    RegisterBitmapResource("Broken", [] { return std::unique_ptr<TBitmap>(); });
    EXPECT_THROW(CreateIconFromBitmapResource("Broken"), EResNotFound);
    UnregisterBitmapResource("Broken");
}

TEST(Bitmaps, ColoredGlyphPaintsOnlyTheShapeWithinTheRectangle)
{
    auto glyph = LGlyph();
    TBrush brush;
    brush.SetColor(clGreen);
    TBitmap target(6, 6);
    target.Canvas()->Brush()->SetColor(clYellow);
    target.Canvas()->FillRect(Rect(0, 0, 6, 6));
    // The rectangle is one pixel short of the glyph's width: column 2 of the
    // glyph (at x = 3) is clipped away.
    DrawColoredGlyph(target.Canvas(), Rect(1, 1, 3, 5), glyph.get(), &brush);
    EXPECT_EQ(target.Pixel(2, 1) & 0xFFFFFF, clGreen);
    EXPECT_EQ(target.Pixel(2, 2) & 0xFFFFFF, clGreen);
    EXPECT_EQ(target.Pixel(3, 2) & 0xFFFFFF, clYellow);
    EXPECT_EQ(target.Pixel(1, 1) & 0xFFFFFF, clYellow);
    EXPECT_EQ(target.Pixel(1, 3) & 0xFFFFFF, clYellow);

    // A white brush must not vanish into the key colour.
    brush.SetColor(clWhite);
    DrawColoredGlyph(target.Canvas(), Rect(1, 1, 5, 4), glyph.get(), &brush);
    EXPECT_EQ(target.Pixel(3, 2) & 0xFFFFFF, clWhite);
    EXPECT_EQ(target.Pixel(4, 2) & 0xFFFFFF, clYellow);

    EXPECT_NO_THROW(DrawColoredGlyph(nullptr, Rect(0, 0, 4, 4), glyph.get(), &brush));
    EXPECT_NO_THROW(DrawColoredGlyph(target.Canvas(), Rect(0, 0, 4, 4), nullptr, &brush));
    EXPECT_NO_THROW(DrawColoredGlyph(target.Canvas(), Rect(0, 0, 4, 4), glyph.get(), nullptr));
    EXPECT_NO_THROW(DrawColoredGlyph(target.Canvas(), Rect(4, 4, 0, 0), glyph.get(), &brush));
}

} // namespace
} // namespace qel
