// Cells drawn from view data without an editor.
#include "EditorTestSupport.h"

#include "editors/CheckEdit.h"
#include "editors/DropDownEdit.h"
#include "editors/ImageEdit.h"
#include "editors/ViewData.h"
#include "platform/controls/Automation.h"
#include "platform/core/Strings.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

// The number of pixels of a colour in a rectangle of a bitmap.
int CountColour(TBitmap& bmp, const TRect& r, TColor colour)
{
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            n += bmp.Pixel(x, y) == colour ? 1 : 0;
    return n;
}

TEST(ViewData, CellsDrawLikeTheirEditors)
{
    TBitmap bmp(60, 20);
    // A checked box centred in the cell; grayed drawn as unchecked by default.
    TdxCheckEditViewData check;
    check.Alignment = taCenter;
    check.Color = clWhite;
    check.Value = Variant(int(cbChecked));
    check.Draw(*bmp.Canvas(), Rect(0, 0, 60, 20));
    const int checkedDark = CountColour(bmp, Rect(26, 6, 33, 13), clBlack);
    EXPECT_GT(checkedDark, 5) << "the check mark";
    EXPECT_EQ(CountColour(bmp, Rect(0, 0, 20, 20), clWhite), 400) << "the rest is the cell colour";
    check.Value = Variant::Null();
    EXPECT_EQ(check.State(), cbGrayed);
    check.Draw(*bmp.Canvas(), Rect(0, 0, 60, 20));
    EXPECT_LT(CountColour(bmp, Rect(26, 6, 33, 13), clBlack), checkedDark) << "no mark for nsUnchecked";

    // A custom glyph strip: the image of the state is copied.
    TBitmap strip(30, 10);
    strip.Canvas()->Brush()->SetColor(clRed);
    strip.Canvas()->FillRect(Rect(0, 0, 10, 10));     // unchecked
    strip.Canvas()->Brush()->SetColor(clLime);
    strip.Canvas()->FillRect(Rect(10, 0, 20, 10));    // checked
    strip.Canvas()->Brush()->SetColor(clBlue);
    strip.Canvas()->FillRect(Rect(20, 0, 30, 10));    // grayed
    check.Glyph = &strip;
    check.GlyphCount = 3;
    check.ShowNullFieldStyle = nsGrayedChecked;
    check.Draw(*bmp.Canvas(), Rect(0, 0, 60, 20));
    EXPECT_EQ(bmp.Pixel(30, 10), clBlue);
    check.Value = Variant(int(cbChecked));
    check.Draw(*bmp.Canvas(), Rect(0, 0, 60, 20));
    EXPECT_EQ(bmp.Pixel(30, 10), clLime);

    // An image cell: the image of the value from the list.
    TImageList images(8, 8);
    TBitmap red(8, 8), green(8, 8);
    red.Canvas()->Brush()->SetColor(clRed);
    red.Canvas()->FillRect(Rect(0, 0, 8, 8));
    green.Canvas()->Brush()->SetColor(clGreen);
    green.Canvas()->FillRect(Rect(0, 0, 8, 8));
    images.Add(&red, nullptr);
    images.Add(&green, nullptr);
    TStringList values;
    values.SetCommaText("stop,go");
    TdxImageEditViewData image;
    image.Values = &values;
    image.Images = &images;
    image.Color = clWhite;
    image.Text = "go";
    image.Draw(*bmp.Canvas(), Rect(0, 0, 60, 20));
    EXPECT_EQ(bmp.Pixel(4, 10), clGreen);
    image.Text = "unknown";
    image.Draw(*bmp.Canvas(), Rect(0, 0, 60, 20));
    EXPECT_EQ(CountColour(bmp, Rect(0, 0, 60, 20), clWhite), 1200) << "no image for a value not in the list";

    // A drop-down cell shows its button only when asked.
    TdxDropDownEditViewData drop;
    drop.Color = clWhite;
    drop.Draw(*bmp.Canvas(), Rect(0, 0, 60, 20));
    EXPECT_EQ(CountColour(bmp, Rect(44, 0, 60, 20), clWhite), 16 * 20);
    drop.ShowButton = true;
    drop.Draw(*bmp.Canvas(), Rect(0, 0, 60, 20));
    EXPECT_LT(CountColour(bmp, Rect(44, 0, 60, 20), clWhite), 16 * 20 / 2);
}

} // namespace
} // namespace qel
