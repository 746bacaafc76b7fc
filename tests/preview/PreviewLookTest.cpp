// How the preview looks and what it holds on to: the page background (a
// centred picture at any zoom), the look and feel of border and bars, the
// frames of selected pages, the cursors it registers, and a preview freed
// in the middle of a margin drag.
#include "PreviewTestSupport.h"

#include "platform/controls/ExtCtrls.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/Messages.h"
#include "platform/controls/OverlayWindow.h"
#include "preview/detail/PreviewResources.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::PreviewHarness;

// A picture of four coloured quarters.
std::unique_ptr<TBitmap> Quarters(int Size)
{
    auto bmp = std::make_unique<TBitmap>(Size, Size);
    const TColor colors[] = {clRed, clLime, clBlue, clYellow};
    for (int q = 0; q < 4; ++q) {
        bmp->Canvas()->Brush()->SetColor(colors[q]);
        const int x = (q % 2) * Size / 2, y = (q / 2) * Size / 2;
        bmp->Canvas()->FillRect(Rect(x, y, x + Size / 2, y + Size / 2));
    }
    return bmp;
}

TEST(PreviewPageBackground, ACentredPictureFollowsTheZoomAndStaysOnThePage)
{
    PreviewHarness h(600, 700);
    TdxPreview& p = *h.preview;
    p.SetPageCount(1);
    p.SetOptionsView(p.OptionsView() - TdxPreviewOptionsView{povMargins});
    const std::unique_ptr<TBitmap> picture = Quarters(40);
    p.PageBackground()->SetMode(bmPicture);
    p.PageBackground()->SetPicture(picture.get());
    p.SetZoomFactor(50);
    // 20 x 20 pixels at 50 %, centred; the rest of the page in the window colour.
    TRect page = p.PageBounds(0);
    const TPoint c{page.Left + page.Width() / 2, page.Top + page.Height() / 2};
    std::unique_ptr<TBitmap> shot = GrabControl(&p);
    EXPECT_EQ(shot->Pixel(c.X - 5, c.Y - 5), clRed);
    EXPECT_EQ(shot->Pixel(c.X + 5, c.Y + 5), clYellow);
    EXPECT_EQ(shot->Pixel(c.X - 12, c.Y - 12), ColorToRGB(clWindow));
    EXPECT_EQ(shot->Pixel(c.X + 8, c.Y - 8), clLime);

    // 4000 x 4000 at 500 % would be 20000 x 20000: only what the page shows is drawn.
    const std::unique_ptr<TBitmap> huge = Quarters(4000);
    p.PageBackground()->SetPicture(huge.get());
    p.SetZoomFactor(500);
    page = p.PageBounds(0);
    shot = GrabControl(&p);
    EXPECT_EQ(shot->Pixel(page.Left + 5, page.Top + 5), clRed);
    EXPECT_EQ(shot->Pixel(page.Left - 1, page.Top + 5), ColorToRGB(clHighlight)) << "nothing beside the page";

    // A change of the background repaints; the owner may draw it instead.
    int drawn = 0;
    p.OnDrawPageBackground = [&](TObject*, TCanvas&, const TRect&, int) { ++drawn; };
    GrabControl(&p);
    EXPECT_EQ(drawn, 1);
}

TEST(PreviewAppearance, LookAndFeelBorderColourAndSelectionFrames)
{
    PreviewHarness h(300, 1000, false);
    TdxPreview& p = *h.preview;
    p.SetZoomFactor(20);
    p.SetPageCount(4);
    const TRect standard = p.ClientRect();
    EXPECT_EQ(p.Color(), clBtnShadow);
    p.SetLookAndFeel(plfUltraFlat);
    EXPECT_EQ(p.ScrollBarStyle(), sbsUltraFlat);
    EXPECT_EQ(p.ClientRect().Width(), standard.Width() + 2) << "a one-pixel border";
    const TColor shade = ColorToRGB(p.Color());
    EXPECT_EQ(GetRValue(shade), 0x80 + (255 - 0x80) / 4);
    p.SetLookAndFeel(plfFlat);
    EXPECT_EQ(p.Color(), clBtnShadow);
    EXPECT_EQ(p.ScrollBarStyle(), sbsFlat);
    p.SetLookAndFeel(plfStandard);
    EXPECT_EQ(p.ClientRect(), standard);

    // The selected page has a double frame in the highlight colour.
    p.SetSelectedPageIndex(1);
    const TRect selected = p.PageBounds(1), other = p.PageBounds(0);
    const std::unique_ptr<TBitmap> shot = GrabControl(&p);
    const int inset = p.BorderInset();
    EXPECT_EQ(shot->Pixel(inset + selected.Left - 2, inset + selected.Top + 20), ColorToRGB(clHighlight));
    EXPECT_EQ(shot->Pixel(inset + other.Left - 1, inset + other.Top + 20), ColorToRGB(clWindowFrame));
    EXPECT_EQ(shot->Pixel(inset + other.Left - 2, inset + other.Top + 20), ColorToRGB(p.Color()));
    EXPECT_EQ(shot->Pixel(inset + other.Right + 1, inset + other.Top + 20), ColorToRGB(clWindowText)) << "shadow";
}

TEST(PreviewAppearance, MarginLinesInASystemColourFollowTheDesktop)
{
    PreviewHarness h(1000, 1200);
    TdxPreview& p = *h.preview;
    p.SetPageCount(1);
    Application().ProcessMessages();   // on the screen
    h.drawn.clear();
    Application().SettingChange();
    p.Update();
    EXPECT_EQ(h.drawn.size(), 1u) << "clWindowText: the lines are repainted";
    p.SetMarginColor(clRed);
    p.Update();
    h.drawn.clear();
    Application().SettingChange();
    p.Update();
    EXPECT_TRUE(h.drawn.empty());
}

// The margin lines are the pixels of the dotted pen's lines, also where only
// part of the page is painted.
TEST(PreviewAppearance, MarginLinesAreTheDottedPensPixels)
{
    PreviewHarness h(700, 900);
    TdxPreview& p = *h.preview;
    p.SetPageCount(2);
    p.SetMarginColor(clRed);
    p.SetZoomFactor(73);   // odd page sizes: lines that end inside a dash
    p.Margins()->Header()->SetValue(p.Margins()->Header()->Value() + 13);
    const TRect client = p.ClientRect();
    const auto paint = [&](TBitmap& Bitmap, const TRect& Clip) {
        Bitmap.Canvas()->Brush()->SetColor(clLime);
        Bitmap.Canvas()->FillRect(client);
        p.PaintTo(*Bitmap.Canvas(), Clip);
    };
    TBitmap lines(client.Width(), client.Height());
    paint(lines, client);

    TBitmap expected(client.Width(), client.Height());
    TdxPreviewOptionsView view = p.OptionsView();
    p.SetOptionsView(TdxPreviewOptionsView(view).Exclude(povMargins));
    paint(expected, client);
    p.SetOptionsView(view);
    TCanvas& c = *expected.Canvas();
    c.Pen()->SetColor(clRed);
    c.Pen()->SetStyle(psDot);
    c.SetBkMode(TRANSPARENT);
    const TRect page = p.MarginsPageRect();
    int drawn = 0;
    for (int k = 0; k < dxPreviewMarginCount; ++k) {
        const TdxPreviewMargin* m = p.Margins()->Items(static_cast<TdxPreviewMarginType>(k));
        if (!m->Visible())
            continue;
        ++drawn;
        const int at = m->ValueToPixel(m->Value());
        c.MoveTo(m->IsVertical() ? at : page.Left, m->IsVertical() ? page.Top : at);
        c.LineTo(m->IsVertical() ? at : page.Right, m->IsVertical() ? page.Bottom : at);
    }
    ASSERT_GE(drawn, 6);
    int differ = 0;
    for (int y = 0; y < client.Height(); ++y)
        for (int x = 0; x < client.Width(); ++x)
            differ += lines.Pixel(x, y) != expected.Pixel(x, y);
    EXPECT_EQ(differ, 0);

    // A strip that starts inside a dash, as a scroll paints it.
    const TRect strip = Rect(page.Left + 5, page.Top + 7, page.Right - 4, page.Top + 211);
    TBitmap part(client.Width(), client.Height());
    paint(part, strip);
    differ = 0;
    for (int y = strip.Top; y < strip.Bottom; ++y)
        for (int x = strip.Left; x < strip.Right; ++x)
            differ += part.Pixel(x, y) != expected.Pixel(x, y);
    EXPECT_EQ(differ, 0);
}

TEST(PreviewResources, CursorsTakeFreePlacesWhileAPreviewLives)
{
    // Another part of the program has the first place.
    TBitmap mine(8, 8);
    Screen().SetCursorImage(100, mine, 0, 0);
    {
        TdxPreview p(nullptr);
        const TCursor zoomIn = detail::PreviewCursor(detail::crdxPreviewZoomIn);
        EXPECT_GT(zoomIn, 100);
        EXPECT_TRUE(Screen().CursorDefined(zoomIn));
        TdxPreview second(nullptr);
        EXPECT_EQ(detail::PreviewCursor(detail::crdxPreviewZoomIn), zoomIn) << "loaded once";
    }
    EXPECT_EQ(detail::PreviewCursor(detail::crdxPreviewZoomIn), crDefault);
    EXPECT_FALSE(Screen().CursorDefined(101));
    EXPECT_TRUE(Screen().CursorDefined(100));
    Screen().ClearCursorImage(100);
}

TEST(PreviewLifetime, FreeingThePreviewDuringAMarginDragLeavesNothingBehind)
{
    PreviewHarness h(1000, 1200);
    TdxPreview& p = *h.preview;
    p.SetPageCount(1);
    TdxPreviewMargin* left = p.Margins()->Left();
    const int x = left->ValueToPixel(left->Value()), y = p.PageBounds(0).Top + 100;
    SimulateMouseDown(&p, mbLeft, x, y);
    SimulateMouseMove(&p, x + 30, y);
    ASSERT_NE(p.MarginDragLine(), nullptr);
    ASSERT_NE(p.MarginHintWindow(), nullptr);
    int afterDrag = 0;
    p.OnAfterDragMargin = [&](TObject*, TdxPreviewMargin*) { ++afterDrag; };
    PostCall(nullptr, [&] { h.form.reset(); });
    ProcessPostedCalls();
    EXPECT_EQ(TControl::CaptureControl(), nullptr);
    EXPECT_EQ(afterDrag, 0) << "no events from a control being freed";
    // The pointer goes on to other windows.
    TForm other(nullptr);
    auto* panel = new TPanel(&other);
    panel->SetParent(&other);
    int moves = 0;
    panel->OnMouseMove = [&](TObject*, TShiftState, int, int) { ++moves; };
    other.Show();
    SimulateMouseMove(panel, 3, 3);
    EXPECT_EQ(moves, 1);
    other.Hide();
}

} // namespace
} // namespace qel
