// Canvas semantics checked on rendered pixels: exclusive edges, mapping
// modes, clipping with exclusion and regions, saved states, XOR drawing.
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Glyphs.h"
#include "platform/graphics/ImageList.h"

#include "platform/core/Exceptions.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <stdexcept>

namespace qel {
namespace {

void TImageListProbe()
{
    TImageList list(100000, 100000);
}

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bmp.SetSize(200, 100);
        c = bmp.Canvas();
        Clear();
    }
    void Clear()
    {
        TCanvasStateSaver keep(*c);
        c->SetMapMode(MM_TEXT);
        c->SelectClipRgn(nullptr);
        c->Brush()->SetColor(clWhite);
        c->FillRect({0, 0, 200, 100});
    }
    int Count(TColor color, TRect area = {0, 0, 200, 100})
    {
        int n = 0;
        for (int y = area.Top; y < area.Bottom; ++y)
            for (int x = area.Left; x < area.Right; ++x)
                n += bmp.Pixel(x, y) == color;
        return n;
    }
    TBitmap bmp;
    TCanvas* c = nullptr;
};

TEST_F(CanvasTest, LinesLeaveOutTheirEndPoint)
{
    c->MoveTo(0, 5);
    c->LineTo(10, 5);
    EXPECT_EQ(bmp.Pixel(0, 5), clBlack);
    EXPECT_EQ(bmp.Pixel(9, 5), clBlack);
    EXPECT_EQ(bmp.Pixel(10, 5), clWhite);
    EXPECT_EQ(c->PenPos(), (TPoint{10, 5}));
    c->MoveTo(20, 20);
    c->LineTo(25, 25);
    EXPECT_EQ(bmp.Pixel(24, 24), clBlack);
    EXPECT_EQ(bmp.Pixel(25, 25), clWhite);
    // A polyline joins its points and also leaves out the last one.
    c->Polyline({{50, 50}, {60, 50}, {60, 60}});
    EXPECT_EQ(bmp.Pixel(60, 50), clBlack);
    EXPECT_EQ(bmp.Pixel(60, 59), clBlack);
    EXPECT_EQ(bmp.Pixel(60, 60), clWhite);
}

TEST_F(CanvasTest, RectangleCoversExactlyLeftToRightMinusOne)
{
    c->Brush()->SetColor(clRed);
    c->Rectangle(2, 2, 8, 8);
    EXPECT_EQ(bmp.Pixel(2, 2), clBlack);
    EXPECT_EQ(bmp.Pixel(7, 7), clBlack);
    EXPECT_EQ(bmp.Pixel(8, 8), clWhite);
    EXPECT_EQ(bmp.Pixel(8, 5), clWhite);
    EXPECT_EQ(bmp.Pixel(5, 5), clRed);
    EXPECT_EQ(Count(clRed), 16);       // 4 x 4 inside the one-pixel outline
    // Reversed corners are put in order, as the platform does.
    Clear();
    c->Rectangle(8, 8, 2, 2);
    EXPECT_EQ(Count(clRed), 16);
    // A wide pen stays inside the rectangle.
    Clear();
    c->Pen()->SetWidth(3);
    c->Rectangle(10, 10, 30, 30);
    EXPECT_EQ(bmp.Pixel(10, 10), clBlack);
    EXPECT_EQ(bmp.Pixel(12, 12), clBlack);
    EXPECT_EQ(bmp.Pixel(13, 13), clRed);
    EXPECT_EQ(bmp.Pixel(30, 30), clWhite);
    EXPECT_EQ(bmp.Pixel(9, 9), clWhite);
}

TEST_F(CanvasTest, FillAndFrameUseTheBrushAndIgnoreInvertedRectangles)
{
    c->Brush()->SetColor(clBlue);
    c->FillRect({10, 10, 20, 15});
    EXPECT_EQ(Count(clBlue), 50);
    c->FillRect({30, 30, 20, 20});     // inverted
    c->FillRect({40, 40, 40, 50});     // empty
    EXPECT_EQ(Count(clBlue), 50);
    Clear();
    c->Brush()->SetColor(clGreen);
    c->FrameRect({10, 10, 20, 20});
    EXPECT_EQ(Count(clGreen), 36);
    EXPECT_EQ(bmp.Pixel(15, 15), clWhite);
    // A hatch on an opaque background fills its gaps with the background colour.
    Clear();
    c->Brush()->SetStyle(bsCross);
    c->Brush()->SetColor(clRed);
    c->SetBkMode(OPAQUE);
    c->SetBkColor(clYellow);
    c->FillRect({0, 0, 16, 16});
    EXPECT_GT(Count(clRed, {0, 0, 16, 16}), 0);
    EXPECT_EQ(Count(clRed, {0, 0, 16, 16}) + Count(clYellow, {0, 0, 16, 16}), 256);

    // An 8 x 8 pattern tiles from the brush origin.
    TBitmap pattern(8, 8);
    pattern.Canvas()->Brush()->SetColor(clBlack);
    pattern.Canvas()->FillRect({0, 0, 8, 8});
    pattern.SetPixel(0, 0, clLime);
    c->Brush()->SetBitmap(&pattern);
    pattern.SetPixel(1, 0, clLime);           // the brush kept its own copy
    c->FillRect({0, 0, 16, 16});
    EXPECT_EQ(bmp.Pixel(8, 8), clLime);
    EXPECT_EQ(bmp.Pixel(9, 8), clBlack);
    EXPECT_EQ(Count(clLime, {0, 0, 16, 16}), 4);
    c->SetBrushOrigin({1, 0});
    c->FillRect({0, 0, 16, 16});
    EXPECT_EQ(bmp.Pixel(9, 8), clLime);
}

TEST_F(CanvasTest, IsotropicMappingUsesTheSmallerRatio)
{
    c->SetMapMode(MM_ISOTROPIC);
    c->SetWindowExt(1000, 1000);
    c->SetViewportExt(200, 100);
    // The viewport extent gives way so both axes use 100/1000.
    EXPECT_EQ(c->ViewportExt(), (TSize{100, 100}));
    EXPECT_EQ(c->LPtoDP(TPoint{1000, 1000}), (TPoint{100, 100}));
    EXPECT_EQ(c->DPtoLP(TPoint{50, 25}), (TPoint{500, 250}));
    c->Brush()->SetColor(clRed);
    c->FillRect({0, 0, 1000, 1000});
    EXPECT_EQ(bmp.Pixel(99, 99), clRed);
    EXPECT_EQ(bmp.Pixel(100, 50), clWhite);
    EXPECT_EQ(Count(clRed), 100 * 100);

    // The sign of each extent is kept: y grows upwards here.
    c->SetViewportOrg(0, 100);
    c->SetViewportExt(200, -100);
    EXPECT_EQ(c->ViewportExt(), (TSize{100, -100}));
    EXPECT_EQ(c->LPtoDP(TPoint{500, 500}), (TPoint{50, 50}));
    EXPECT_EQ(c->LPtoDP(TPoint{0, 0}), (TPoint{0, 100}));

    // Anisotropic keeps both ratios; origins shift.
    c->SetMapMode(MM_ANISOTROPIC);
    c->SetWindowExt(100, 100);
    c->SetViewportExt(200, 100);
    c->SetViewportOrg(0, 0);
    c->SetWindowOrg(10, 10);
    EXPECT_EQ(c->LPtoDP(TPoint{20, 20}), (TPoint{20, 10}));
    c->OffsetWindowOrg(-10, -10);
    c->OffsetViewportOrg(5, 5);
    EXPECT_EQ(c->LPtoDP(TPoint{0, 0}), (TPoint{5, 5}));
    // Back to pixels: the extents reset.
    c->SetMapMode(MM_TEXT);
    EXPECT_EQ(c->WindowExt(), (TSize{1, 1}));
    c->SetWindowExt(0, 5);                 // ignored in MM_TEXT and never zero
    EXPECT_EQ(c->WindowExt(), (TSize{1, 1}));
}

TEST_F(CanvasTest, ExcludedRectanglesStayUnpainted)
{
    c->ExcludeClipRect({10, 10, 20, 20});
    c->Brush()->SetColor(clRed);
    c->FillRect({0, 0, 30, 30});
    EXPECT_EQ(bmp.Pixel(5, 5), clRed);
    EXPECT_EQ(bmp.Pixel(15, 15), clWhite);
    EXPECT_EQ(bmp.Pixel(19, 19), clWhite);
    EXPECT_EQ(bmp.Pixel(20, 20), clRed);
    EXPECT_EQ(Count(clRed), 900 - 100);
    EXPECT_FALSE(c->RectVisible({12, 12, 18, 18}));
    EXPECT_TRUE(c->RectVisible({12, 12, 25, 18}));

    // Exclusion in a mapped canvas is in logical units.
    Clear();
    c->SelectClipRgn(nullptr);
    c->SetMapMode(MM_ANISOTROPIC);
    c->SetWindowExt(10, 10);
    c->SetViewportExt(1, 1);
    c->ExcludeClipRect({0, 0, 500, 500});
    c->FillRect({0, 0, 1000, 1000});
    EXPECT_EQ(Count(clRed), 100 * 100 - 50 * 50);
}

TEST_F(CanvasTest, IntersectAndRegionClippingWithClipBox)
{
    c->IntersectClipRect({10, 10, 50, 40});
    EXPECT_EQ(c->ClipRect(), (TRect{10, 10, 50, 40}));
    c->IntersectClipRect({30, 0, 100, 100});
    EXPECT_EQ(c->ClipRect(), (TRect{30, 10, 50, 40}));
    c->Brush()->SetColor(clRed);
    c->FillRect({0, 0, 200, 100});
    EXPECT_EQ(Count(clRed), 20 * 30);

    // An elliptic region in device units: the corners stay white.
    Clear();
    const TRegion ellipse = TRegion::CreateEllipse({0, 0, 100, 100});
    c->SelectClipRgn(&ellipse);
    c->FillRect({0, 0, 200, 100});
    EXPECT_EQ(bmp.Pixel(50, 50), clRed);
    EXPECT_EQ(bmp.Pixel(2, 2), clWhite);
    EXPECT_EQ(bmp.Pixel(150, 50), clWhite);
    TRegion got;
    EXPECT_TRUE(c->GetClipRgn(got));
    EXPECT_EQ(got, ellipse);

    // Combined regions: or, and, xor, diff.
    const TRegion a = TRegion::CreateRect({0, 0, 10, 10});
    const TRegion b = TRegion::CreateRect({5, 5, 15, 15});
    EXPECT_EQ(TRegion::Combined(a, b, RGN_OR).BoundingBox(), (TRect{0, 0, 15, 15}));
    EXPECT_EQ(TRegion::Combined(a, b, RGN_AND).BoundingBox(), (TRect{5, 5, 10, 10}));
    EXPECT_FALSE(TRegion::Combined(a, b, RGN_XOR).Contains({7, 7}));
    EXPECT_TRUE(TRegion::Combined(a, b, RGN_XOR).Contains({12, 12}));
    EXPECT_FALSE(TRegion::Combined(a, b, RGN_DIFF).Contains({12, 12}));
    EXPECT_TRUE(TRegion::CreateRect({5, 5, 1, 1}).IsEmpty());

    // Removing the clip paints everywhere again.
    c->SelectClipRgn(nullptr);
    EXPECT_FALSE(c->GetClipRgn(got));
    EXPECT_EQ(c->ClipRect(), (TRect{0, 0, 200, 100}));
    // Clipping everything away is not an error.
    c->ExcludeClipRect({0, 0, 200, 100});
    c->Brush()->SetColor(clBlue);
    c->FillRect({0, 0, 200, 100});
    EXPECT_EQ(Count(clBlue), 0);
}

TEST_F(CanvasTest, SavedStatesComeBackAlsoAfterAnException)
{
    c->Brush()->SetColor(clRed);
    c->Font()->SetHeight(-20);
    try {
        TCanvasStateSaver saver(*c);
        c->Brush()->SetColor(clBlue);
        c->Font()->SetHeight(-40);
        c->SetMapMode(MM_ANISOTROPIC);
        c->SetWindowExt(2, 2);
        c->IntersectClipRect({0, 0, 1, 1});
        throw std::runtime_error("draw failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(c->Brush()->Color(), clRed);
    EXPECT_EQ(c->Font()->Height(), -20);
    EXPECT_EQ(c->MapMode(), MM_TEXT);
    c->FillRect({0, 0, 200, 100});
    EXPECT_EQ(Count(clRed), 200 * 100);

    const int first = c->SaveDC();
    c->SaveDC();
    c->Pen()->SetColor(clLime);
    EXPECT_TRUE(c->RestoreDC(first));
    EXPECT_EQ(c->Pen()->Color(), clBlack);
    EXPECT_FALSE(c->RestoreDC(5));
    EXPECT_FALSE(c->RestoreDC(-1));
}

TEST_F(CanvasTest, XorDrawingTwiceRestoresThePixels)
{
    c->Brush()->SetColor(clTeal);
    c->FillRect({0, 0, 100, 100});
    const QImage before = bmp.Image().copy();
    c->DrawFocusRect({10, 10, 50, 30});
    EXPECT_NE(bmp.Image(), before);
    c->DrawFocusRect({10, 10, 50, 30});
    EXPECT_EQ(bmp.Image(), before);

    c->Pen()->SetMode(pmXor);
    c->Pen()->SetColor(clWhite);
    c->MoveTo(0, 60);
    c->LineTo(100, 60);
    EXPECT_EQ(bmp.Pixel(50, 60), 0x7F7FFF);   // teal XOR white
    c->MoveTo(0, 60);
    c->LineTo(100, 60);
    EXPECT_EQ(bmp.Image(), before);

    c->InvertRect({0, 0, 10, 10});
    EXPECT_EQ(bmp.Pixel(5, 5), 0x7F7FFF);
    c->Pen()->SetMode(pmNop);
    c->Rectangle(0, 0, 100, 100);
    EXPECT_EQ(bmp.Pixel(50, 50), clTeal);
}

TEST_F(CanvasTest, PixelsReadAndWriteWithinTheDevice)
{
    c->SetPixels(3, 4, clFuchsia);
    EXPECT_EQ(c->Pixels(3, 4), clFuchsia);
    EXPECT_EQ(c->Pixels(-1, 4), CLR_INVALID);
    EXPECT_EQ(c->Pixels(500, 4), CLR_INVALID);
    EXPECT_EQ(c->GetDeviceCaps(HORZRES), 200);
    EXPECT_EQ(c->GetDeviceCaps(VERTRES), 100);
    EXPECT_EQ(c->GetDeviceCaps(LOGPIXELSX), 96);
    EXPECT_EQ(c->GetDeviceCaps(TECHNOLOGY), DT_RASDISPLAY);
    // Resizing the bitmap keeps the canvas working on the new size.
    bmp.SetSize(300, 50);
    EXPECT_EQ(c->GetDeviceCaps(HORZRES), 300);
    EXPECT_EQ(c->Pixels(3, 4), clFuchsia);
    c->SetPixels(299, 49, clRed);
    EXPECT_EQ(bmp.Pixel(299, 49), clRed);
}

TEST_F(CanvasTest, DrawEdgeColoursSidesAndAdjusts)
{
    TRect r{10, 10, 30, 30};
    c->DrawEdge(r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
    EXPECT_EQ(r, (TRect{12, 12, 28, 28}));
    EXPECT_EQ(bmp.Pixel(10, 10), ColorToRGB(cl3DLight));
    EXPECT_EQ(bmp.Pixel(29, 29), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(bmp.Pixel(29, 10), ColorToRGB(cl3DDkShadow));   // right side owns the corner
    EXPECT_EQ(bmp.Pixel(11, 11), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(bmp.Pixel(28, 28), ColorToRGB(clBtnShadow));
    EXPECT_EQ(bmp.Pixel(20, 20), ColorToRGB(clBtnFace));
    EXPECT_EQ(bmp.Pixel(30, 30), clWhite);

    TRect s{40, 10, 60, 30};
    c->DrawEdge(s, EDGE_SUNKEN, BF_LEFT | BF_TOP);
    EXPECT_EQ(bmp.Pixel(40, 20), ColorToRGB(clBtnShadow));
    EXPECT_EQ(bmp.Pixel(41, 20), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(bmp.Pixel(59, 20), clWhite);
    TRect f{70, 10, 90, 30};
    c->DrawEdge(f, BDR_SUNKENOUTER, BF_RECT | BF_FLAT);
    EXPECT_EQ(bmp.Pixel(89, 29), ColorToRGB(clBtnShadow));
}

TEST_F(CanvasTest, CheckBoxFrameControlInAllStates)
{
    auto checkInk = [&](int left, TColor color) { return Count(color, {left + 3, 13, left + 10, 20}); };
    const struct {
        unsigned state;
        TColor ink;
        int expected;
        TColor inside;
    } rows[] = {
        {DFCS_BUTTONCHECK, clBlack, 0, clWhite},
        {DFCS_BUTTONCHECK | DFCS_CHECKED, clBlack, 21, clWhite},
        {DFCS_BUTTON3STATE | DFCS_CHECKED, ColorToRGB(clBtnShadow), 21, ColorToRGB(clBtnFace)},
        {DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE, ColorToRGB(clBtnShadow), 21, ColorToRGB(clBtnFace)},
        {DFCS_BUTTONCHECK | DFCS_PUSHED, clBlack, 0, ColorToRGB(clBtnFace)},
        {DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_FLAT, clBlack, 21, clWhite},
    };
    int left = 0;
    for (const auto& row : rows) {
        TRect r{left, 10, left + 13, 23};
        EXPECT_TRUE(c->DrawFrameControl(r, DFC_BUTTON, row.state));
        EXPECT_EQ(checkInk(left, row.ink), row.expected) << std::hex << row.state;
        EXPECT_EQ(bmp.Pixel(left + 4, 12), row.inside) << std::hex << row.state;
        left += 20;
    }
    // Flat boxes have a one-pixel shadow frame; 3-D ones a sunken double edge.
    EXPECT_EQ(bmp.Pixel(100, 10), ColorToRGB(clBtnShadow));
    EXPECT_EQ(bmp.Pixel(101, 11), clWhite);
    EXPECT_EQ(bmp.Pixel(1, 11), clBlack);
    // Radio, push button, arrows and grip draw inside their rectangle only.
    Clear();
    TRect radio{10, 10, 23, 23}, push{30, 10, 60, 30}, up{70, 10, 86, 26}, grip{100, 10, 120, 30};
    c->DrawFrameControl(radio, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED);
    c->DrawFrameControl(push, DFC_BUTTON, DFCS_BUTTONPUSH);
    c->DrawFrameControl(up, DFC_SCROLL, DFCS_SCROLLUP);
    c->DrawFrameControl(grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    EXPECT_EQ(bmp.Pixel(16, 16), clBlack);
    EXPECT_EQ(bmp.Pixel(45, 20), ColorToRGB(clBtnFace));
    EXPECT_GT(Count(clBlack, {70, 10, 86, 26}), 3);
    EXPECT_GT(Count(ColorToRGB(clBtnShadow), {100, 10, 120, 30}), 3);
    EXPECT_EQ(Count(clWhite, {0, 9, 200, 10}), 200);
    EXPECT_EQ(Count(clWhite, {0, 30, 200, 31}), 200);
    EXPECT_EQ(Count(clWhite, {23, 10, 30, 30}), 7 * 20);
    EXPECT_EQ(Count(clWhite, {120, 10, 200, 30}), 80 * 20);
    // Empty rectangles draw nothing.
    TRect empty{5, 5, 5, 5};
    EXPECT_FALSE(c->DrawFrameControl(empty, DFC_BUTTON, DFCS_BUTTONCHECK));
}

TEST_F(CanvasTest, GlyphStripsHaveThePlatformSizes)
{
    EXPECT_EQ(CheckBoxGlyphSize(), (TSize{13, 13}));
    auto boxes = CreateCheckBoxesBitmap();
    EXPECT_EQ(boxes->Width(), 52);
    EXPECT_EQ(boxes->Height(), 39);
    auto strip = CreateCheckGlyphStrip(6);
    EXPECT_EQ(strip->Width(), 78);
    // The checked glyph has ink where the unchecked one has none.
    EXPECT_EQ(strip->Pixel(13 + 5, 9), clBlack);
    EXPECT_EQ(strip->Pixel(5, 9), clWhite);
    // Sort arrows point the right way: the up arrow is wider at the bottom.
    Clear();
    DrawSortArrow(*c, {0, 0, 8, 7}, true, true);
    DrawSortArrow(*c, {20, 0, 28, 7}, false, true);
    auto rowInk = [&](int left, int y) { return 8 - Count(clWhite, {left, y, left + 8, y + 1}); };
    EXPECT_GT(rowInk(0, 6), rowInk(0, 1));
    EXPECT_GT(rowInk(20, 0), rowInk(20, 5));
}

TEST_F(CanvasTest, AbsurdInputIsHarmless)
{
    c->Font()->SetHeight(INT32_MIN);
    c->TextOut(0, 0, "x");
    EXPECT_GT(c->TextWidth("x"), 0);
    c->Font()->SetHeight(-12);
    c->SetMapMode(MM_ANISOTROPIC);
    c->SetWindowExt(1, 1);
    c->SetViewportExt(1000000, 1000000);
    c->Brush()->SetColor(clRed);
    c->Rectangle(-3000000, -3000000, 3000000, 3000000);
    c->Ellipse(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
    c->ExcludeClipRect({INT32_MIN, 0, INT32_MAX, 1});
    TRect huge{INT32_MIN / 2, INT32_MIN / 2, INT32_MAX / 2, INT32_MAX / 2};
    c->DrawText("huge", huge, DT_WORDBREAK);
    c->SetMapMode(MM_TEXT);
    c->SelectClipRgn(nullptr);
    EXPECT_EQ(bmp.Pixel(100, 50), clRed);
    c->Polygon({});
    c->Polyline({{1, 1}});
    c->Draw(0, 0, nullptr);
    TRect inverted{50, 50, 10, 10};
    EXPECT_EQ(c->DrawText("text", inverted, DT_SINGLELINE), c->TextHeight("text"));
    EXPECT_THROW(TImageListProbe(), EOutOfResources);
}

TEST_F(CanvasTest, AttachedPainterKeepsItsTransformAndClip)
{
    QImage img(100, 100, QImage::Format_ARGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.translate(10, 20);
        p.setClipRect(0, 0, 30, 30);
        TCanvas canvas(&p, &img);
        canvas.Brush()->SetColor(clRed);
        canvas.FillRect({0, 0, 100, 100});
        canvas.IntersectClipRect({0, 0, 20, 100});
        canvas.Brush()->SetColor(clBlue);
        canvas.FillRect({0, 0, 100, 100});
        canvas.Detach();
        // The painter's own state is back.
        EXPECT_EQ(p.worldTransform().dx(), 10);
        EXPECT_EQ(p.clipBoundingRect().toRect(), QRect(0, 0, 30, 30));
    }
    EXPECT_EQ(QColor(img.pixel(5, 5)), QColor(Qt::white));
    EXPECT_EQ(QColor(img.pixel(10, 20)), QColor(Qt::blue));
    EXPECT_EQ(QColor(img.pixel(35, 25)), QColor(Qt::red));
    EXPECT_EQ(QColor(img.pixel(40, 25)), QColor(Qt::white));

    // Attached to the next painter (a control's next paint), the canvas
    // starts without the clip and mapping its last painter was given.
    QImage next(100, 100, QImage::Format_ARGB32);
    next.fill(Qt::white);
    {
        QPainter p(&img);
        TCanvas canvas(&p, &img);
        canvas.IntersectClipRect({0, 0, 20, 20});
        canvas.SetMapMode(MM_ISOTROPIC);
        canvas.SetWindowExt(1000, 1000);
        canvas.SetViewportExt(10, 10);
        QPainter q(&next);
        canvas.Attach(&q, &next);
        canvas.Brush()->SetColor(clBlue);
        canvas.FillRect({0, 0, 100, 100});
        canvas.Detach();
    }
    EXPECT_EQ(QColor(next.pixel(90, 90)), QColor(Qt::blue));

    // A canvas without a device is a harmless no-op.
    TCanvas idle;
    EXPECT_FALSE(idle.HandleAllocated());
    idle.Rectangle(0, 0, 10, 10);
    idle.TextOut(0, 0, "x");
    EXPECT_EQ(idle.Pixels(0, 0), CLR_INVALID);
}

} // namespace
} // namespace qel
