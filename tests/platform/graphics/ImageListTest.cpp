// Image lists: strips, masks, notifications and greyed drawing.
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Picture.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Stream.h"
#include "GraphicsTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>


namespace qel {
namespace {

using test::Sample;

TEST(ImageListTest, StripsMasksAndNotifications)
{
    TImageList list(10, 10);
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    auto strip = Sample();   // 20 wide: two images
    EXPECT_EQ(list.Add(strip.get(), nullptr), 0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(changes, 1);
    TBitmap img(10, 10);
    img.Canvas()->Brush()->SetColor(clFuchsia);
    img.Canvas()->FillRect({0, 0, 10, 10});
    img.Canvas()->Brush()->SetColor(clGreen);
    img.Canvas()->FillRect({2, 2, 8, 8});
    EXPECT_EQ(list.AddMasked(&img, clFuchsia), 2);
    EXPECT_EQ(list.Add(nullptr, nullptr), -1);

    TBitmap target(30, 30);
    target.Canvas()->Brush()->SetColor(clYellow);
    target.Canvas()->FillRect({0, 0, 30, 30});
    list.Draw(target.Canvas(), 5, 5, 2);
    EXPECT_EQ(target.Pixel(5, 5), clYellow);      // masked out
    EXPECT_EQ(target.Pixel(10, 10), clGreen);
    list.Draw(target.Canvas(), 0, 0, 99);         // out of range: nothing
    list.Draw(target.Canvas(), 0, 0, -1);

    TBitmap got;
    list.GetBitmap(1, &got);
    EXPECT_EQ(got.Width(), 10);
    EXPECT_EQ(got.Pixel(0, 0), clBlue);

    list.BeginUpdate();
    list.Delete(0);
    list.Move(0, 1);
    list.EndUpdate();
    EXPECT_EQ(changes, 3);                        // one notification for the bracket
    EXPECT_THROW(list.Delete(5), EInvalidOperation);
    list.SetWidth(12);                            // resizing empties the list
    EXPECT_EQ(list.Count(), 0);
}

TEST(ImageListTest, DisabledImagesAreDrawnEmbossed)
{
    TImageList list(10, 10);
    TBitmap img(10, 10);
    img.Canvas()->Brush()->SetColor(clWhite);
    img.Canvas()->FillRect({0, 0, 10, 10});
    img.Canvas()->Brush()->SetColor(clRed);
    img.Canvas()->FillRect({2, 2, 6, 6});
    list.Add(&img, nullptr);

    TBitmap target(20, 20);
    target.Canvas()->Brush()->SetColor(clBtnFace);
    target.Canvas()->FillRect({0, 0, 20, 20});
    list.Draw(target.Canvas(), 0, 0, 0, false);
    // The shape in the shadow colour, its highlight one pixel down-right; no red, no white background.
    EXPECT_EQ(target.Pixel(2, 2), ColorToRGB(clBtnShadow));
    EXPECT_EQ(target.Pixel(5, 5), ColorToRGB(clBtnShadow));
    EXPECT_EQ(target.Pixel(6, 6), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(target.Pixel(6, 3), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(target.Pixel(0, 0), ColorToRGB(clBtnFace));
    EXPECT_EQ(target.Pixel(8, 8), ColorToRGB(clBtnFace));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_NE(target.Pixel(x, y), clRed);
}

} // namespace
} // namespace qel
