// Zoom and layout of the preview's pages: fitted zooms, columns and rows,
// gaps, centring, scrolling ranges, page queries and the pages painted.
#include "PreviewTestSupport.h"

#include "platform/core/MathUtils.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::PreviewHarness;

// A4 portrait at 96 pixels per inch: 794 x 1123 pixels at 100 %.
TEST(PreviewLayout, PageSizeGapAndColumnsFollowTheZoom)
{
    PreviewHarness h(1000, 600);
    TdxPreview& p = *h.preview;
    EXPECT_EQ(p.PageSizePixels(), Point(794, 1123));
    EXPECT_EQ(p.Gap(), 13);
    p.SetPageCount(7);
    EXPECT_EQ(p.ColumnCount(), 1);
    EXPECT_EQ(p.RowCount(), 7);

    p.SetZoomFactor(500);
    EXPECT_EQ(p.Gap(), 49);
    EXPECT_EQ(p.ZoomedPageSize(), Point(3970, 5615));

    // (1000 - gap) div (zoomed width + gap) columns at 30 %: gap 6, page 238 wide.
    p.SetZoomFactor(30);
    EXPECT_EQ(p.Gap(), 6);
    EXPECT_EQ(p.ColumnCount(), 4);
    EXPECT_EQ(p.RowCount(), 2);
    // Centred as if a vertical bar were there, since the pages would still
    // fit beside one: (1000 + 2 * 6 - (244 * 4 + 6 + 16)) div 2.
    EXPECT_EQ(p.PageBounds(0).Left, 7);
    EXPECT_EQ(p.PageBounds(5).Left, 7 + 244);
    EXPECT_EQ(p.PageBounds(5).Top, p.PageBounds(1).Top + 337 + 6);

    // Zoom limits: 3 becomes 10, a maximum below the minimum becomes the minimum.
    p.SetMinZoomFactor(3);
    EXPECT_EQ(p.MinZoomFactor(), 10);
    p.SetMaxZoomFactor(5);
    EXPECT_EQ(p.MaxZoomFactor(), 10);
    EXPECT_EQ(p.ZoomFactor(), 10);
    p.SetZoomFactor(600);
    EXPECT_EQ(p.ZoomFactor(), 10);
}

TEST(PreviewLayout, FittedZoomsAndLeavingThem)
{
    PreviewHarness h(400, 500);
    TdxPreview& p = *h.preview;
    p.SetPageCount(3);
    int zoomChanges = 0, modeChanges = 0;
    p.OnZoomFactorChanged = [&](TObject*) { ++zoomChanges; };
    p.OnZoomModeChanged = [&](TObject*) { ++modeChanges; };

    p.SetZoomMode(pzmPageWidth);
    EXPECT_EQ(p.ZoomFactor(), MulDiv(400, 100, 794 + 26));
    EXPECT_EQ(p.ColumnCount(), 1);
    EXPECT_EQ(modeChanges, 1);
    EXPECT_EQ(zoomChanges, 1);
    // A resize refits.
    p.SetBounds(0, 0, 600, 500);
    EXPECT_EQ(p.ZoomFactor(), MulDiv(600, 100, 820));
    // Setting the zoom directly leaves the fitted mode; a resize then keeps it.
    p.SetZoomFactor(40);
    EXPECT_EQ(p.ZoomMode(), pzmNone);
    p.SetBounds(0, 0, 400, 500);
    EXPECT_EQ(p.ZoomFactor(), 40);

    // Two pages across and one down fit in 400 x 500.
    p.SetPageXYCount(2, 1);
    EXPECT_EQ(p.ZoomMode(), pzmPages);
    const int zx = MulDiv(400 - 12, 100, 2 * (794 + 9) + 9);
    const int zy = MulDiv(500 - 8, 100, 1123 + 9 + 9);
    EXPECT_EQ(p.ZoomFactor(), std::min(zx, zy));
    EXPECT_EQ(p.ColumnCount(), 2);
    EXPECT_EQ(p.RowCount(), 2);
}

TEST(PreviewLayout, ThreeAcrossInANarrowWindowTriesTwoThenOneAndKeepsTheMinimum)
{
    PreviewHarness h(200, 500);
    TdxPreview& p = *h.preview;
    p.SetPageCount(6);
    p.SetPageXYCount(3, 1);
    // Three would need 8 %, two fit at 12 %.
    EXPECT_EQ(p.ZoomFactor(), 12);
    EXPECT_EQ(p.ColumnCount(), 2);

    p.SetBounds(0, 0, 100, 500);
    EXPECT_EQ(p.ZoomFactor(), 11);
    EXPECT_EQ(p.ColumnCount(), 1);

    // Not even one fits: the zoom stays at the minimum, the pages start a gap
    // in, and the view scrolls to the page's frame.
    p.SetBounds(0, 0, 60, 500);
    EXPECT_EQ(p.ZoomFactor(), 10);
    EXPECT_EQ(p.ColumnCount(), 1);
    EXPECT_EQ(p.PageBounds(0).Left + p.ScrollPos().X, p.Gap());
    EXPECT_EQ(p.PageBounds(0).Top, p.Gap());
}

TEST(PreviewLayout, WithoutPagesNothingIsPlacedAndTheControlSaysSo)
{
    PreviewHarness h(300, 300);
    TdxPreview& p = *h.preview;
    EXPECT_EQ(p.ColumnCount(), 1);
    EXPECT_EQ(p.RowCount(), 0);
    EXPECT_EQ(p.PageIndexFromPoint({150, 150}), -1);
    EXPECT_EQ(p.FirstVisiblePageIndex(), -1);
    EXPECT_EQ(p.LastVisiblePageIndex(), -1);
    EXPECT_TRUE(p.PageBounds(0).IsEmpty());
    EXPECT_TRUE(p.MarginsPageRect().IsEmpty());
    EXPECT_TRUE(h.Paint().empty());
    // The caption is drawn in the middle, on the control's colour.
    const std::unique_ptr<TBitmap> picture = GrabControl(&p);
    bool ink = false;
    for (int x = 100; x < 200 && !ink; ++x)
        ink = picture->Pixel(x, 150) != ColorToRGB(p.Color());
    EXPECT_TRUE(ink) << "\"[No pages]\"";
    // Page keys select nothing.
    p.SetFocus();
    SimulateKey(VK_HOME);
    SimulateKey(VK_NEXT);
    EXPECT_EQ(p.SelectedPageIndex(), -1);
}

TEST(PreviewLayout, PageQueriesAndPaintingVisitOnlyWhatShows)
{
    PreviewHarness h(1000, 600);
    TdxPreview& p = *h.preview;
    p.SetZoomFactor(20);   // 159 x 225 pixels, gap 5
    p.SetPageCount(10000);
    const int columns = p.ColumnCount();
    ASSERT_EQ(columns, (1000 - 5) / (159 + 5));
    EXPECT_EQ(p.RowCount(), (10000 + columns - 1) / columns);

    EXPECT_EQ(p.FirstVisiblePageIndex(), 0);
    const int rowsShown = (600 - p.PageBounds(0).Top + 5 + 229) / 230;
    EXPECT_EQ(p.LastVisiblePageIndex(), rowsShown * columns - 1);
    EXPECT_EQ(p.LastCompletelyVisiblePageIndex(), 2 * columns - 1);
    std::vector<int> painted = h.Paint();
    EXPECT_EQ(static_cast<int>(painted.size()), rowsShown * columns);

    // Frames tile: the gap right of a page belongs to it, the two pixels left of it too.
    const TRect page = p.PageBounds(7);
    EXPECT_EQ(p.PageIndexFromPoint({page.Left - 2, page.Top}), 7);
    EXPECT_EQ(p.PageIndexFromPoint({page.Left - 3, page.Top}), 6);
    EXPECT_EQ(p.PageIndexFromPoint({page.Right + p.Gap() - 3, page.Bottom}), 7);

    // Far down, the queries and the paint still see only the rows on the screen.
    p.SetSelectedPageIndex(9999);
    EXPECT_EQ(p.LastVisiblePageIndex(), 9999);
    painted = h.Paint();
    EXPECT_LE(static_cast<int>(painted.size()), (rowsShown + 1) * columns);
    EXPECT_EQ(painted.back(), 9999);
    EXPECT_EQ(p.PageIndexFromPoint(h.Centre(9999)), 9999);
    // Past the last page of a short last row there is no page.
    const TRect last = p.PageBounds(9999);
    EXPECT_EQ(p.PageIndexFromPoint({last.Right + 20, last.Top + 5}), (10000 % columns) ? -1 : 9999);
}

TEST(PreviewLayout, GrowingThePageCountKeepsTheSelectionAndTheView)
{
    PreviewHarness h(400, 500);
    TdxPreview& p = *h.preview;
    p.SetZoomFactor(50);
    p.SetPageCount(3);
    EXPECT_EQ(p.SelectedPageIndex(), 0) << "the first selectable page";
    p.SetSelectedPageIndex(2);
    const TPoint scroll = p.ScrollPos();
    for (int n = 4; n <= 200; ++n)
        p.SetPageCount(n);
    EXPECT_EQ(p.SelectedPageIndex(), 2);
    EXPECT_EQ(p.ScrollPos(), scroll);
    // Shrinking below the selection moves it to the last page left.
    p.SetPageCount(2);
    EXPECT_EQ(p.SelectedPageIndex(), 1);
    p.SetPageCount(0);
    EXPECT_EQ(p.SelectedPageIndex(), -1);
}

} // namespace
} // namespace qel
