// The preview driven by simulated keys and mouse: selection, the zoom toggle,
// scrolling by keys and the wheel, the click that activates the window, and
// the auto-scroll mode of the middle button on the test clock, including a
// preview freed while the mode runs.
#include "PreviewTestSupport.h"

#include "platform/controls/Clock.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Messages.h"
#include "platform/controls/OverlayWindow.h"
#include "preview/detail/PreviewResources.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::PreviewHarness;

TEST(PreviewKeys, EnterTogglesBetweenHalfAndFullSizeAndThePlusAndMinusKeysFollowIt)
{
    PreviewHarness h;
    TdxPreview& p = *h.preview;
    p.SetPageCount(4);
    // A new control is at 100 % and counts as zoomed in: the first Enter goes to 50 %.
    SimulateKey(&p, VK_RETURN);
    EXPECT_EQ(p.ZoomFactor(), 50);
    SimulateKey(VK_RETURN);
    EXPECT_EQ(p.ZoomFactor(), 100);
    SimulateKey(VK_RETURN);
    EXPECT_EQ(p.ZoomFactor(), 50);

    // Numeric + zooms in by the toggle only when not zoomed in; Ctrl steps.
    SimulateKey(VK_ADD);
    EXPECT_EQ(p.ZoomFactor(), 100);
    SimulateKey(VK_ADD);
    EXPECT_EQ(p.ZoomFactor(), 100);
    SimulateKey(VK_ADD, {ssCtrl});
    EXPECT_EQ(p.ZoomFactor(), 110);
    SimulateKey(VK_SUBTRACT, {ssCtrl});
    SimulateKey(VK_SUBTRACT, {ssCtrl});
    EXPECT_EQ(p.ZoomFactor(), 90);
    // A zoom set directly counts as zoomed in from 100 % up only; the toggle
    // from a fitted mode comes back to it.
    p.SetZoomMode(pzmPageWidth);
    const int fitted = p.ZoomFactor();
    ASSERT_LT(fitted, 100);
    SimulateKey(VK_ADD);
    EXPECT_EQ(p.ZoomFactor(), 100);
    EXPECT_EQ(p.ZoomMode(), pzmNone);
    SimulateKey(VK_SUBTRACT);
    EXPECT_EQ(p.ZoomMode(), pzmPageWidth);
    EXPECT_EQ(p.ZoomFactor(), fitted);

    // Without a selected page Enter does nothing.
    p.SetSelectedPageIndex(-1);
    SimulateKey(VK_RETURN);
    EXPECT_EQ(p.ZoomFactor(), fitted);
}

TEST(PreviewKeys, PagesThatRefuseAreSkippedByEveryMove)
{
    PreviewHarness h(1000, 600);
    TdxPreview& p = *h.preview;
    p.SetZoomFactor(25);
    p.OnSelectingPage = [](TObject*, int Page, bool& Can) { Can = Page % 2 == 0; };
    p.SetPageCount(9);
    ASSERT_EQ(p.SelectedPageIndex(), 0);
    std::vector<int> changing, changed;
    p.OnSelectedPageChanging = [&](TObject*, int Page) { changing.push_back(Page); };
    p.OnSelectedPageChanged = [&](TObject*, int Page) { changed.push_back(Page); };

    p.SelectNextPage();
    EXPECT_EQ(p.SelectedPageIndex(), 2);
    SimulateKey(&p, VK_NEXT);
    EXPECT_EQ(p.SelectedPageIndex(), 4);
    SimulateKey(VK_END);
    EXPECT_EQ(p.SelectedPageIndex(), 8);
    SimulateKey(VK_PRIOR);
    EXPECT_EQ(p.SelectedPageIndex(), 6);
    SimulateKey(VK_HOME);
    EXPECT_EQ(p.SelectedPageIndex(), 0);
    EXPECT_EQ(changed, (std::vector<int>{2, 4, 8, 6, 0}));
    EXPECT_EQ(changing, changed);
    p.SetSelectedPageIndex(3);
    SimulateClick(&p, h.Centre(5).X, h.Centre(5).Y);
    EXPECT_EQ(p.SelectedPageIndex(), 0) << "odd pages refuse clicks too";

    // Shrinking the pages below an odd last page moves to the nearest even one.
    p.SetSelectedPageIndex(8);
    p.SetPageCount(8);
    EXPECT_EQ(p.SelectedPageIndex(), 6);
}

TEST(PreviewKeys, ArrowsMoveThroughTheGridOrScrollWithOneColumn)
{
    PreviewHarness h(1000, 600);
    TdxPreview& p = *h.preview;
    p.SetZoomFactor(25);
    p.SetPageCount(9);
    const int columns = p.ColumnCount();
    ASSERT_GT(columns, 2);
    SimulateKey(&p, VK_RIGHT);
    EXPECT_EQ(p.SelectedPageIndex(), 1);
    SimulateKey(VK_DOWN);
    EXPECT_EQ(p.SelectedPageIndex(), 1 + columns);
    SimulateKey(VK_LEFT);
    SimulateKey(VK_LEFT);
    EXPECT_EQ(p.SelectedPageIndex(), columns) << "no further than the first column";
    SimulateKey(VK_UP);
    EXPECT_EQ(p.SelectedPageIndex(), 0);
    SimulateKey(VK_UP);
    EXPECT_EQ(p.SelectedPageIndex(), 0);

    // One column at 100 %: arrows scroll a line of 30 pixels, Ctrl+Page Down two.
    p.SetZoomFactor(100);
    ASSERT_EQ(p.ColumnCount(), 1);
    const TPoint start = p.ScrollPos();
    SimulateKey(VK_DOWN);
    EXPECT_EQ(p.ScrollPos().Y, start.Y + 30);
    SimulateKey(VK_NEXT, {ssCtrl});
    EXPECT_EQ(p.ScrollPos().Y, start.Y + 90);
    SimulateKey(VK_UP, {ssCtrl});
    EXPECT_EQ(p.ScrollPos().Y, start.Y + 60);
    EXPECT_EQ(p.SelectedPageIndex(), 0);

    // Without key navigation the arrows do nothing.
    p.SetOptionsBehavior(p.OptionsBehavior() - TdxPreviewOptionsBehavior{pobKeyNavigation});
    SimulateKey(VK_DOWN);
    EXPECT_EQ(p.ScrollPos().Y, start.Y + 60);
}

TEST(PreviewMouse, ClicksSelectAndZoomTheWheelScrollsOrZooms)
{
    PreviewHarness h(1000, 600);
    TdxPreview& p = *h.preview;
    p.SetZoomFactor(25);
    p.SetPageCount(9);
    SimulateClick(&p, h.Centre(2).X, h.Centre(2).Y);
    EXPECT_EQ(p.SelectedPageIndex(), 2);
    EXPECT_EQ(p.ZoomFactor(), 25) << "the first click only selects";
    EXPECT_TRUE(p.Focused());
    // The cursor over the selected page offers the zoom.
    SimulateMouseMove(&p, h.Centre(2).X + 3, h.Centre(2).Y);
    EXPECT_EQ(p.Cursor(), detail::PreviewCursor(detail::crdxPreviewZoomIn));
    SimulateClick(&p, h.Centre(2).X, h.Centre(2).Y);
    EXPECT_EQ(p.ZoomFactor(), 100);
    EXPECT_GE(p.FirstVisiblePageIndex(), 0);

    const TPoint start = p.ScrollPos();
    SimulateWheel(&p, -120, 100, 100);
    EXPECT_EQ(p.ScrollPos().Y, start.Y + 30);
    SimulateWheel(&p, 120, 100, 100, {ssCtrl});
    EXPECT_EQ(p.ZoomFactor(), 110);
    p.SetOptionsZoom({pozZoomOnMouseRoll});
    SimulateWheel(&p, -120, 100, 100);
    EXPECT_EQ(p.ZoomFactor(), 100);
    // Without zoom on click a click on the selected page does nothing.
    p.SetZoomFactor(25);
    SimulateClick(&p, h.Centre(2).X, h.Centre(2).Y);
    EXPECT_EQ(p.ZoomFactor(), 25);

    // Hot tracking selects under the pointer while the window is active.
    p.SetOptionsBehavior(p.OptionsBehavior() + TdxPreviewOptionsBehavior{pobHotTrack});
    SimulateMouseMove(&p, h.Centre(4).X, h.Centre(4).Y);
    EXPECT_EQ(p.SelectedPageIndex(), 4);
}

TEST(PreviewMouse, TheClickThatActivatesTheWindowOnlyActivatesIt)
{
    PreviewHarness h(1000, 600);
    TdxPreview& p = *h.preview;
    p.SetZoomFactor(25);
    p.SetPageCount(9);
    TForm other(nullptr);
    other.Show();
    ASSERT_FALSE(h.form->Active());
    SimulateClick(&p, h.Centre(3).X, h.Centre(3).Y);
    EXPECT_TRUE(h.form->Active());
    EXPECT_TRUE(p.Focused());
    EXPECT_EQ(p.SelectedPageIndex(), 0) << "the click was swallowed";
    SimulateClick(&p, h.Centre(3).X, h.Centre(3).Y);
    EXPECT_EQ(p.SelectedPageIndex(), 3);
    other.Hide();
}

// ----- auto-scroll ------------------------------------------------------------------------

struct AutoScrollHarness : PreviewHarness {
    TManualClockScope clock;
    AutoScrollHarness() : PreviewHarness(400, 500)
    {
        preview->SetPageCount(5);   // 100 %: both ways scroll
    }
    // Where the indicator's centre is for a press at (X, Y).
    TPoint Centre() const
    {
        const TRect box = preview->AutoScrollIndicator()->BoundsRect();
        return preview->ScreenToClient({box.Left + box.Width() / 2, box.Top + box.Height() / 2});
    }
    // Runs Script inside the mode started by a middle press at (200, 250).
    void Run(std::function<void()> Script)
    {
        SimulateMouseDown(preview, mbMiddle, 200, 250);
        PostCall(nullptr, std::move(Script));
        ProcessPostedCalls();
    }
};

TEST(PreviewAutoScroll, AMiddleClickKeepsTheModeUntilTheNextPressAndTheSpeedGrowsWithTheDistance)
{
    AutoScrollHarness h;
    TdxPreview& p = *h.preview;
    const int selected = p.SelectedPageIndex();
    TPoint scrolled{-1, -1};
    bool keptAfterRelease = false;
    TCursor cursorDown = crDefault;
    h.Run([&] {
        ASSERT_TRUE(p.AutoScrolling());
        TOverlayWindow* indicator = p.AutoScrollIndicator();
        ASSERT_TRUE(indicator && indicator->Visible());
        // Centred on the press, two pixels higher; one pixel larger than its picture.
        EXPECT_EQ(h.Centre(), Point(200, 248));
        EXPECT_EQ(indicator->Width(), 29);
        SimulateMouseUp(&p, mbMiddle, 200, 250);
        keptAfterRelease = p.AutoScrolling();
        // 62 pixels below the centre: speed (62 - 14) div 5 + 1 = 10, a line every 3 ticks of 20 ms.
        SimulateMouseMove(&p, 200, 310);
        cursorDown = p.Cursor();
        h.clock.Advance(180);
        scrolled = p.ScrollPos();
        SimulateMouseDown(&p, mbLeft, 10, 10);
    });
    EXPECT_TRUE(keptAfterRelease);
    EXPECT_EQ(cursorDown, detail::PreviewCursor(detail::crdxPreviewScrollDown));
    EXPECT_EQ(scrolled, Point(0, 90));
    EXPECT_FALSE(p.AutoScrolling());
    EXPECT_EQ(p.AutoScrollIndicator(), nullptr);
    EXPECT_FALSE(p.MouseCapture());
    EXPECT_EQ(p.Cursor(), crDefault);
    EXPECT_EQ(p.SelectedPageIndex(), selected) << "the press that ended the mode went nowhere else";
    EXPECT_EQ(h.clock.ActiveTimers(), 0);
}

TEST(PreviewAutoScroll, AMiddleDragEndsOnReleaseAndDiagonalsScrollBothWays)
{
    AutoScrollHarness h;
    TdxPreview& p = *h.preview;
    h.Run([&] {
        // Down and to the right of the centre, beyond the indicator on both axes.
        SimulateMouseMove(&p, 200 + 40, 248 + 40);
        EXPECT_EQ(p.Cursor(), detail::PreviewCursor(detail::crdxPreviewScrollDownRight));
        // (40 - 14) div 5 + 1 = 6: a line every 7 ticks.
        h.clock.Advance(7 * 20);
        SimulateMouseUp(&p, mbMiddle, 240, 288);
    });
    EXPECT_FALSE(p.AutoScrolling());
    EXPECT_EQ(p.ScrollPos(), Point(30, 30));
}

TEST(PreviewAutoScroll, KeysMoveThePointerOrEndTheMode)
{
    AutoScrollHarness h;
    TdxPreview& p = *h.preview;
    bool running = false;
    h.Run([&] {
        // Within the indicator: no direction yet. Five steps down leave it.
        for (int i = 0; i < 5; ++i)
            SimulateKey(VK_DOWN);
        EXPECT_EQ(p.Cursor(), detail::PreviewCursor(detail::crdxPreviewScrollDown));
        running = p.AutoScrolling();
        SimulateKey(VK_ESCAPE);
    });
    EXPECT_TRUE(running);
    EXPECT_FALSE(p.AutoScrolling());
    EXPECT_EQ(p.ScrollPos(), Point(0, 0)) << "no tick came";

    // Another control taking the capture ends it too.
    TPanel thief(nullptr);
    h.Run([&] { thief.SetCapture(); });
    EXPECT_FALSE(p.AutoScrolling());
    thief.ReleaseCapture();
}

TEST(PreviewAutoScroll, FreeingThePreviewInsideTheModeEndsItAndNothingTouchesItAfterwards)
{
    AutoScrollHarness h;
    int afterwards = 0;
    h.Run([&] {
        SimulateMouseMove(h.preview, 200, 320);
        h.clock.Advance(100);
        h.form.reset();   // the owner goes, and the preview with it
        h.clock.Advance(100);
        ++afterwards;
    });
    EXPECT_EQ(afterwards, 1);
    EXPECT_EQ(TControl::CaptureControl(), nullptr);
    EXPECT_EQ(h.clock.ActiveTimers(), 0);
    // Input goes on as usual.
    TForm other(nullptr);
    auto* panel = new TPanel(&other);
    panel->SetParent(&other);
    int presses = 0;
    panel->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++presses; };
    other.Show();
    SimulateClick(panel, 2, 2);
    EXPECT_EQ(presses, 1);
    other.Hide();
}

TEST(PreviewAutoScroll, NotStartedWhereNothingScrolls)
{
    PreviewHarness h(1000, 800);
    h.preview->SetZoomFactor(20);
    h.preview->SetPageCount(2);
    SimulateMouseDown(h.preview, mbMiddle, 100, 100);
    int checks = 0;
    PostCall(nullptr, [&] { checks += h.preview->AutoScrolling() ? 10 : 1; });
    ProcessPostedCalls();
    EXPECT_EQ(checks, 1);
}

} // namespace
} // namespace qel
