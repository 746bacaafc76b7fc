#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Clipboard.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Grids.h"
#include "platform/controls/HintWindow.h"
#include "platform/controls/Forms.h"
#include "platform/controls/InputFilter.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/detail/ControlBridge.h"
#include "platform/core/Guards.h"
#include "platform/graphics/Bitmap.h"

#include "ControlTestSupport.h"
#include "ScreenTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include <memory>
#include <vector>


namespace qel {
namespace {

using test::Make;

TEST(Controls, DrawGridMovesTheCurrentCellUnlessRefused)
{
    TForm form(nullptr);
    auto* grid = Make<TDrawGrid>(&form, 0, 0, 200, 100);
    grid->SetColCount(4);
    grid->SetRowCount(10);
    EXPECT_THROW(grid->SetFixedCols(4), EInvalidOperation);
    std::vector<std::pair<int, int>> drawn;
    grid->OnDrawCell = [&](TObject*, int c, int r, TRect, TGridDrawState s) {
        if (s.Contains(gdSelected))
            drawn.push_back({c, r});
    };
    grid->OnSelectCell = [](TObject*, int c, int, bool& canSelect) { canSelect = c != 3; };
    form.Show();
    grid->SetFocus();
    SimulateKey(VK_RIGHT);
    SimulateKey(VK_RIGHT);
    EXPECT_EQ(grid->Col(), 2) << "column 3 refuses";
    SimulateKey(VK_END, {ssCtrl});
    EXPECT_EQ(grid->Row(), 9);
    EXPECT_GT(grid->TopRow(), 1) << "the grid scrolled the current row into view";
    const TRect cell = grid->CellRect(1, grid->TopRow());
    SimulateClick(grid, cell.Left + 2, cell.Top + 2);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), grid->TopRow());
    GrabControl(grid);
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.back(), std::make_pair(1, grid->TopRow()));
    form.Hide();
}

TEST(Controls, DrawGridScrollBarsFollowTheRowsThatDoNotFit)
{
    TForm form(nullptr);
    // Seven 64-pixel rows, three and a half of them in view, no fixed row.
    auto* grid = Make<TDrawGrid>(&form, 0, 0, 4 * 64 + 30, 3 * 64 + 32);
    grid->SetFixedCols(0);
    grid->SetFixedRows(0);
    grid->SetGridLineWidth(0);
    grid->SetDefaultColWidth(64);
    grid->SetDefaultRowHeight(64);
    grid->SetColCount(4);
    grid->SetRowCount(7);
    grid->SetScrollBars(ssVertical);
    form.Show();
    ASSERT_TRUE(grid->ScrollBarVisible(SB_VERT));
    EXPECT_FALSE(grid->ScrollBarVisible(SB_HORZ)) << "only the bar asked for";
    TScrollInfo info = grid->GetScrollInfo(SB_VERT);
    EXPECT_EQ(info.Max, 6);
    EXPECT_EQ(info.Page, 3) << "whole rows only";

    grid->ScrollBarAction(sbVertical, scBottom);
    EXPECT_EQ(grid->TopRow(), 4) << "the last row ends in view, no empty room below it";
    EXPECT_EQ(grid->GetScrollPos(SB_VERT), 4);
    grid->ScrollBarAction(sbVertical, scPageUp);
    EXPECT_EQ(grid->TopRow(), 1);
    SimulateWheel(grid, 120, 10, 10);
    EXPECT_EQ(grid->TopRow(), 0) << "a row a notch";
    SimulateKey(grid, VK_END, {ssCtrl});
    EXPECT_EQ(grid->GetScrollPos(SB_VERT), grid->TopRow()) << "keys move the thumb too";
    EXPECT_GT(grid->TopRow(), 0);

    grid->SetRowCount(3);
    EXPECT_FALSE(grid->ScrollBarVisible(SB_VERT)) << "all rows fit";
    EXPECT_EQ(grid->TopRow(), 0);
    grid->SetRowCount(7);
    EXPECT_TRUE(grid->ScrollBarVisible(SB_VERT));
    grid->SetScrollBars(ssNone);
    EXPECT_FALSE(grid->ScrollBarVisible(SB_VERT));
    form.Hide();
}

} // namespace
} // namespace qel
