// Colours, the theme table, fonts and the drawing objects' notifications.
#include "platform/graphics/Graphics.h"

#include "platform/core/Exceptions.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(ColorTest, SystemColoursResolveThroughTheClassicTheme)
{
    EXPECT_EQ(clScrollBar, TColor(0x80000000u));
    EXPECT_EQ(clInfoBk, TColor(0x80000018u));
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(192, 192, 192));
    EXPECT_EQ(ColorToRGB(clBtnShadow), RGB(128, 128, 128));
    EXPECT_EQ(ColorToRGB(clBtnHighlight), RGB(255, 255, 255));
    EXPECT_EQ(ColorToRGB(clWindow), RGB(255, 255, 255));
    EXPECT_EQ(ColorToRGB(clWindowText), RGB(0, 0, 0));
    EXPECT_EQ(ColorToRGB(clHighlight), RGB(0, 0, 128));
    EXPECT_EQ(ColorToRGB(clInfoBk), RGB(255, 255, 225));
    // The 3-D light differs from the face so that raised edges show.
    EXPECT_NE(ColorToRGB(cl3DLight), ColorToRGB(clBtnFace));
    EXPECT_TRUE(IsSystemColor(clGrayText));
    EXPECT_FALSE(IsSystemColor(clRed));
}

TEST(ColorTest, UnsetAndDefaultColoursResolveToBlackAndPlainColoursStay)
{
    EXPECT_EQ(clNone, 0x1FFFFFFF);
    EXPECT_EQ(ColorToRGB(clNone), clBlack);
    EXPECT_EQ(ColorToRGB(clDefault), clBlack);
    EXPECT_EQ(ColorToRGB(clTeal), 0x808000);
    EXPECT_EQ(ColorToRGB(0x00123456), 0x00123456);
    EXPECT_EQ(GetRValue(clRed), 255);
    EXPECT_EQ(GetBValue(clBlue), 255);
}

TEST(ColorTest, NamesRoundTripAndBadTextRaises)
{
    EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
    EXPECT_EQ(StringToColor("clbtnface"), clBtnFace);
    EXPECT_EQ(StringToColor(ColorToString(0x00ABCDEF)), 0x00ABCDEF);
    EXPECT_EQ(StringToColor("255"), clRed);
    EXPECT_THROW(StringToColor("notacolour"), EConvertError);
    EXPECT_THROW(StringToColor(""), EConvertError);
}

TEST(FontTest, HeightAndSizeFollowTheSignRule)
{
    TFont f;
    EXPECT_EQ(f.PixelsPerInch(), 96);
    f.SetSize(10);
    EXPECT_EQ(f.Height(), -13);           // -10 * 96 / 72 rounded
    EXPECT_EQ(f.Size(), 10);
    f.SetSize(8);
    EXPECT_EQ(f.Height(), -11);
    f.SetHeight(20);                      // a cell height reads back as a negative size
    EXPECT_EQ(f.Size(), -15);

    TFont printer;
    printer.SetPixelsPerInch(600);
    printer.SetSize(10);
    EXPECT_EQ(printer.Height(), -83);
    printer.SetPixelsPerInch(0);          // never a division by zero
    EXPECT_EQ(printer.PixelsPerInch(), 96);
}

TEST(FontTest, AssignKeepsThePointSizeAcrossResolutionsAndNotifies)
{
    TFont screen;
    screen.SetName("Arial");
    screen.SetSize(12);
    screen.SetStyle({fsBold, fsUnderline});
    screen.SetColor(clRed);

    TFont printer;
    printer.SetPixelsPerInch(600);
    int changes = 0;
    printer.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &printer);
        ++changes;
    };
    printer.Assign(&screen);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(printer.Name(), "Arial");
    EXPECT_EQ(printer.Size(), 12);
    EXPECT_EQ(printer.Height(), -100);
    EXPECT_TRUE(printer.Style().Contains(fsBold));
    EXPECT_EQ(printer.Color(), clRed);

    TPen pen;
    EXPECT_THROW(printer.Assign(&pen), EConvertError);
}

TEST(FontTest, SystemNamesMapToInstalledMetricCompatibleFamilies)
{
    EXPECT_EQ(MapFontFamily("Arial"), "Liberation Sans");
    EXPECT_EQ(MapFontFamily("Times New Roman"), "Liberation Serif");
    EXPECT_EQ(MapFontFamily("Courier New"), "Liberation Mono");
    const std::string sans = MapFontFamily("MS Sans Serif");
    EXPECT_TRUE(sans == "DejaVu Sans" || sans == "Liberation Sans") << sans;
    EXPECT_EQ(MapFontFamily("Tahoma"), sans);
    EXPECT_EQ(MapFontFamily("No Such Font 123"), sans);
    EXPECT_EQ(MapFontFamily("DejaVu Sans Mono"), "DejaVu Sans Mono");
}

TEST(PenBrushTest, DefaultsChangesAndAssign)
{
    TPen pen;
    EXPECT_EQ(pen.Color(), clBlack);
    EXPECT_EQ(pen.Width(), 1);
    EXPECT_EQ(pen.Style(), psSolid);
    EXPECT_EQ(pen.Mode(), pmCopy);
    int changes = 0;
    pen.OnChange = [&](TObject*) { ++changes; };
    pen.SetMode(pmXor);
    pen.SetMode(pmXor);                   // unchanged: no notification
    pen.SetWidth(-3);                     // a negative width is a zero width
    EXPECT_EQ(pen.Width(), 0);
    EXPECT_EQ(changes, 2);

    TBrush brush;
    EXPECT_EQ(brush.Color(), clWhite);
    brush.SetStyle(bsClear);
    brush.SetColor(clRed);                // colouring a clear brush makes it solid
    EXPECT_EQ(brush.Style(), bsSolid);
    TBrush other;
    other.Assign(&brush);
    EXPECT_EQ(other.Color(), clRed);
}

} // namespace
} // namespace qel
