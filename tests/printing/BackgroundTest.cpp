#include "printing/Background.h"

#include "platform/core/Stream.h"
#include "platform/core/Streaming.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Metafile.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace qel {
namespace {

// Paints a background on a recording canvas, optionally one that reports itself as a printer.
std::vector<TCanvasRecord> Record(TdxBackground& B, const TRect& R, bool Printer = false, int Divisor = 1,
                                  int Multiplier = 1)
{
    TMetafile mf;
    mf.SetWidth(400);
    mf.SetHeight(400);
    {
        TMetafileCanvas canvas(&mf);
        if (Printer) {
            TDeviceCaps caps = canvas.DeviceCaps();
            caps.Technology = DT_RASPRINTER;
            canvas.SetDeviceCaps(caps);
        }
        B.PaintEx(canvas, R, Divisor, Multiplier);
    }
    return mf.Records();
}

std::vector<std::string> Ops(const std::vector<TCanvasRecord>& Records)
{
    std::vector<std::string> ops;
    for (const auto& r : Records)
        ops.push_back(r.Op);
    return ops;
}

std::unique_ptr<TBitmap> Picture(int W, int H)
{
    auto bmp = std::make_unique<TBitmap>(W, H);
    bmp->Canvas()->Brush()->SetColor(0x0000FF);
    bmp->Canvas()->FillRect(TRect{0, 0, W, H});
    return bmp;
}

TEST(Background, ChangesAreAnnouncedWithTheirKindAndVisibility)
{
    TdxBackground b;
    std::vector<TdxBackgroundParams> changes;
    b.OnChange = [&](TObject*, TdxBackgroundParams k) { changes.push_back(k); };
    b.SetBkColor(0x123456);
    EXPECT_FALSE(b.LastChangeVisible()) << "nothing shows in bmNone";
    b.SetMode(bmBrush);
    EXPECT_TRUE(b.LastChangeVisible());
    b.SetBkColor(0x654321);
    EXPECT_FALSE(b.LastChangeVisible()) << "the colour under a solid brush does not show";
    b.Brush()->SetStyle(bsCross);
    EXPECT_TRUE(b.LastChangeVisible());
    b.SetBkColor(0x111111);
    EXPECT_TRUE(b.LastChangeVisible()) << "the hatch lies on the colour";
    auto pic = Picture(5, 5);
    b.SetPicture(pic.get());
    EXPECT_FALSE(b.LastChangeVisible());
    b.SetMode(bmPicture);
    b.SetPictureMode(ppmTile);
    EXPECT_TRUE(b.LastChangeVisible());
    b.SetPicture(nullptr);
    EXPECT_FALSE(b.HasPicture());
    EXPECT_EQ(changes, (std::vector<TdxBackgroundParams>{{bpBkColor}, {bpMode}, {bpBkColor}, {bpBrush}, {bpBkColor},
                                                          {bpPicture}, {bpMode}, {bpPictureMode}, {bpPicture}}));

    // Inside an update bracket nothing is announced; its end announces every kind once.
    changes.clear();
    b.BeginUpdate();
    b.SetBkColor(0x222222);
    b.SetMode(bmNone);
    b.EndUpdate();
    EXPECT_EQ(changes, (std::vector<TdxBackgroundParams>{dxAllBackgroundParams}));
}

TEST(Background, PageBackgroundTellsItsOwnerAfterItsOwnChangeEvent)
{
    std::vector<std::string> order;
    TdxPageBackground b(nullptr, [&](TdxPageBackground*, TdxBackgroundParams) { order.push_back("page"); });
    b.OnChange = [&](TObject*, TdxBackgroundParams) { order.push_back("background"); };
    b.SetMode(bmBrush);
    EXPECT_EQ(order, (std::vector<std::string>{"background", "page"}));

    // Assign copies everything and compares equal; a clone keeps the class.
    TdxBackground other;
    other.Assign(&b);
    EXPECT_EQ(other.Mode(), bmBrush);
    EXPECT_FALSE(b.IsCompatibleWith(&other)) << "a plain background is not a page background";
    EXPECT_TRUE(other.IsCompatibleWith(&b));
    other.SetBkColor(clBlack);
    EXPECT_FALSE(other.IsCompatibleWith(&b));
    EXPECT_STREQ(b.Clone()->ClassName(), "TdxPageBackground");
}

TEST(Background, HooksFramePaintingAndCanSuppressIt)
{
    TdxBackground b;
    b.SetMode(bmBrush);
    b.Brush()->SetStyle(bsClear);
    std::vector<int> stages;
    b.OnPaint = [&](TObject*, TCanvas&, const TRect&, int stage) { stages.push_back(stage); };
    EXPECT_TRUE(Record(b, TRect{0, 0, 50, 50}).empty());
    EXPECT_EQ(stages, (std::vector<int>{0, 1}));

    stages.clear();
    b.Brush()->SetStyle(bsSolid);
    b.OnCustomDraw = [](TObject*, TCanvas&, const TRect&, bool& done, int stage) { done = stage == 0; };
    EXPECT_TRUE(Record(b, TRect{0, 0, 50, 50}).empty());
    EXPECT_TRUE(stages.empty());
}

TEST(Background, SmallBitmapIsAPatternOnScreenAndTiledOnAPrinter)
{
    TdxBackground b;
    auto pic = Picture(4, 4);
    b.SetPicture(pic.get());
    b.SetMode(bmBrushBitmap);
    EXPECT_EQ(Ops(Record(b, TRect{0, 0, 20, 10})), (std::vector<std::string>{"FillRect"}));
    const auto printed = Record(b, TRect{0, 0, 20, 10}, true);
    EXPECT_EQ(printed.size(), 6u * 3u);
    EXPECT_EQ(printed.back().Rect, (TRect{20, 8, 24, 12}));
}

TEST(Background, PictureModesPlaceThePicture)
{
    TdxBackground b;
    auto pic = Picture(100, 50);
    b.SetPicture(pic.get());
    b.SetMode(bmPicture);
    b.SetPictureMode(ppmProportional);
    auto r = Record(b, TRect{0, 0, 300, 300});
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].Rect, (TRect{0, 75, 300, 225}));

    b.SetPictureMode(ppmCenter);
    r = Record(b, TRect{0, 0, 300, 300}, false, 2, 1);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].Rect, (TRect{125, 137, 175, 162})) << "half size, centred";

    b.SetPictureMode(ppmStretch);
    r = Record(b, TRect{10, 10, 60, 30});
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].Rect, (TRect{10, 10, 60, 30}));

    // Tiling draws only cells that reach into the rectangle's visible part.
    b.SetPictureMode(ppmTile);
    r = Record(b, TRect{0, 0, 250, 120});
    EXPECT_EQ(r.size(), 3u * 3u);
}

TEST(Background, DegenerateScalesAndRectanglesNeverDivideByZero)
{
    TdxBackground b;
    auto pic = Picture(3, 3);
    b.SetPicture(pic.get());
    b.SetMode(bmPicture);
    for (TdxPicturePaintMode mode : {ppmCenter, ppmStretch, ppmTile, ppmProportional}) {
        SCOPED_TRACE(static_cast<int>(mode));
        b.SetPictureMode(mode);
        // Scaled to nothing: cells count as one unit.
        EXPECT_NO_THROW(Record(b, TRect{0, 0, 40, 40}, true, 1000, 1));
        EXPECT_NO_THROW(Record(b, TRect{0, 0, 40, 40}, true, 0, 0));
        EXPECT_TRUE(Record(b, TRect{10, 10, 10, 40}, true).empty());
    }
    b.SetPictureMode(ppmTile);
    EXPECT_EQ(Record(b, TRect{0, 0, 4, 2}, true, 1000, 1).size(), 5u * 3u);
}

TEST(Background, HatchPrintsAsOnePatternAndLooksAsOnScreen)
{
    TdxBackground b;
    b.SetMode(bmBrush);
    b.SetBkColor(0x00FFFF);
    b.Brush()->SetColor(0xFF0000);
    b.Brush()->SetStyle(bsDiagCross);
    EXPECT_EQ(Ops(Record(b, TRect{0, 0, 300, 200}, true)), (std::vector<std::string>{"FillRect"}));

    auto render = [&](bool printer) {
        auto bmp = std::make_unique<TBitmap>(40, 40);
        bmp->Canvas()->Brush()->SetColor(clWhite);
        bmp->Canvas()->FillRect(TRect{0, 0, 40, 40});
        if (printer) {
            TDeviceCaps caps = bmp->Canvas()->DeviceCaps();
            caps.Technology = DT_RASPRINTER;
            bmp->Canvas()->SetDeviceCaps(caps);
        }
        b.Paint(*bmp->Canvas(), TRect{0, 0, 40, 40});
        return bmp;
    };
    auto screen = render(false);
    auto printer = render(true);
    int hatch = 0, background = 0, differ = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const TColor s = screen->Pixel(x, y);
            hatch += s == 0xFF0000;
            background += s == 0x00FFFF;
            differ += s != printer->Pixel(x, y);
        }
    EXPECT_GT(hatch, 0);
    EXPECT_EQ(hatch + background, 40 * 40) << "no pixel of what lay below shows through";
    EXPECT_EQ(differ, 0) << "the preview shows what prints";
}

TEST(Background, StreamsThroughTheBaseObject)
{
    TdxBackground b;
    b.SetMode(bmPicture);
    b.SetPictureMode(ppmStretch);
    b.SetBkColor(0x010203);
    b.Brush()->SetStyle(bsHorizontal);
    b.Brush()->SetColor(0x0A0B0C);
    auto pic = Picture(6, 7);
    b.SetPicture(pic.get());
    TMemoryStream stream;
    b.SaveToStream(stream);
    stream.SetPosition(0);
    TdxBackground c;
    c.LoadFromStream(stream);
    EXPECT_TRUE(c.IsCompatibleWith(&b));
    EXPECT_EQ(c.Picture()->Width(), 6);
}

} // namespace
} // namespace qel
