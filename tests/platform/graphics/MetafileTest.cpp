// Recorded metafiles replayed with scaling.
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/PdfDocument.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Stream.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>


namespace qel {
namespace {

TEST(MetafileTest, RecordsOperationsAndReplaysThemScaled)
{
    TMetafile mf;
    mf.SetWidth(100);
    mf.SetHeight(50);
    {
        TMetafileCanvas rec(&mf);
        EXPECT_EQ(rec.GetDeviceCaps(TECHNOLOGY), DT_METAFILE);
        rec.Brush()->SetColor(clRed);
        rec.FillRect({0, 0, 50, 50});
        rec.Brush()->SetColor(clBlue);
        rec.FillRect({50, 0, 100, 50});
        rec.Font()->SetName("Arial");
        rec.TextOut(10, 10, "Cell");
    }
    ASSERT_EQ(mf.Records().size(), 3u);
    EXPECT_EQ(mf.Records()[0].Op, "FillRect");
    EXPECT_EQ(mf.Records()[1].Rect, (TRect{50, 0, 100, 50}));
    EXPECT_EQ(mf.Records()[2].Op, "TextOut");
    EXPECT_EQ(mf.Records()[2].Text, "Cell");

    // Replayed at twice the size onto a bitmap.
    TBitmap target(200, 100);
    target.Canvas()->StretchDraw({0, 0, 200, 100}, &mf);
    EXPECT_EQ(target.Pixel(5, 90), clRed);
    EXPECT_EQ(target.Pixel(99, 90), clRed);
    EXPECT_EQ(target.Pixel(100, 90), clBlue);
    EXPECT_EQ(target.Pixel(199, 99), clBlue);

    // Replayed into another recording: the operations come along, scaled.
    TMetafile outer;
    outer.SetWidth(400);
    outer.SetHeight(400);
    {
        TMetafileCanvas rec(&outer);
        rec.StretchDraw({100, 100, 150, 125}, &mf);
    }
    ASSERT_EQ(outer.Records().size(), 4u);
    EXPECT_EQ(outer.Records()[0].Op, "StretchDraw");
    EXPECT_EQ(outer.Records()[2].Rect, (TRect{125, 100, 150, 125}));
    EXPECT_EQ(outer.Records()[3].Text, "Cell");

    TMemoryStream s;
    EXPECT_THROW(mf.SaveToStream(s), EInvalidGraphic);
    mf.Clear();
    EXPECT_TRUE(mf.Empty());
}

TEST(MetafileTest, ExclusionIsVisibleInTheReplayedPicture)
{
    TMetafile mf;
    mf.SetWidth(40);
    mf.SetHeight(40);
    {
        TMetafileCanvas rec(&mf);
        rec.ExcludeClipRect({10, 10, 30, 30});
        rec.Brush()->SetColor(clGreen);
        rec.FillRect({0, 0, 40, 40});
    }
    TBitmap target(40, 40);
    target.Canvas()->Draw(0, 0, &mf);
    EXPECT_EQ(target.Pixel(5, 5), clGreen);
    EXPECT_EQ(target.Pixel(20, 20), clWhite);
    EXPECT_EQ(target.Pixel(30, 30), clGreen);
}

} // namespace
} // namespace qel
