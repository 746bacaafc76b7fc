// The group panel (layout, dragging headers on and group buttons off it, the
// slide on the manual clock), the key table in each holding mode, and the
// order and hooks of group summaries.
#include "dbgrid/DBGrid.h"

#include "GridTestSupport.h"
#include "platform/controls/Clock.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Keyboard.h"
#include "platform/data/DataSet.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphics.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

TPoint Mid(const TRect& R)
{
    return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
}

// A drag as the mouse does it: press, move in two steps, release.
void Drag(TdxDBGrid* Grid, TPoint From, TPoint To)
{
    Grid->MouseDown(mbLeft, {}, From.X, From.Y);
    Grid->MouseMove({ssLeft}, (From.X + To.X) / 2, (From.Y + To.Y) / 2);
    Grid->MouseMove({ssLeft}, To.X, To.Y);
    Grid->MouseUp(mbLeft, {}, To.X, To.Y);
}

std::vector<std::string> GroupNames(TdxDBGrid* Grid)
{
    std::vector<std::string> out;
    for (int i = 0; i < Grid->GroupColumnCount(); ++i)
        out.push_back(Grid->GetGroupColumn(i)->FieldName());
    return out;
}

std::vector<std::string> TopGroupValues(TdxDBGrid* Grid)
{
    std::vector<std::string> out;
    for (int i = 0; i < Grid->GetCount(); ++i) {
        const Variant& v = static_cast<TdxDBGridNode*>(Grid->GetItem(i))->GroupValue();
        out.push_back(v.IsNull() ? "(null)" : v.AsString());
    }
    return out;
}

} // namespace

TEST(GroupPanel, LayoutHeightAndHitKind)
{
    GridFixture f(10);
    const int h = f.grid->GetHeaderRowHeight();
    EXPECT_EQ(f.grid->GetGroupPanelHeight(), 0);
    f.grid->SetShowGroupPanel(true);
    EXPECT_FALSE(f.grid->IsGroupPanelSliding());   // no window: no slide
    // No group columns: the formula as it stands, (0 - 1) * (h div 2) + h + 16.
    EXPECT_EQ(f.grid->GetGroupPanelHeight(), h - h / 2 + 16);
    EXPECT_EQ(f.grid->GetHitTestAt(200, 3), htGroupPanel);
    EXPECT_EQ(static_cast<int>(htGroupPanel), 10);
    EXPECT_EQ(f.grid->CalcRectInfo().Header.Top, h - h / 2 + 16);

    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    f.grid->ColumnByFieldName("ACTIVE")->SetGroupIndex(1);
    EXPECT_EQ(f.grid->GetGroupPanelHeight(), h / 2 + h + 16);
    EXPECT_EQ(f.grid->GetGroupButtonRect(0), Bounds(8, 8, 100, h));
    EXPECT_EQ(f.grid->GetGroupButtonRect(1), Bounds(112, 8 + h / 2, 100, h));
    EXPECT_EQ(f.grid->GetGroupButtonRect(2), TRect{});
    EXPECT_EQ(f.grid->GetGroupColumnAt(Mid(f.grid->GetGroupButtonRect(1))), f.grid->ColumnByFieldName("ACTIVE"));
    EXPECT_EQ(f.grid->GetGroupColumnAt({300, 4}), nullptr);
    // Drop positions: the first button whose middle lies right of the pointer.
    EXPECT_EQ(f.grid->GetGroupDropIndex(0), 0);
    EXPECT_EQ(f.grid->GetGroupDropIndex(57), 0);
    EXPECT_EQ(f.grid->GetGroupDropIndex(58), 1);
    EXPECT_EQ(f.grid->GetGroupDropIndex(400), 2);
}

TEST(GroupPanel, DraggingHeadersGroupsAndGroupButtonsUngroup)
{
    GridFixture f(10);
    f.grid->SetShowGroupPanel(true);
    TdxDBTreeListColumn* area = f.grid->ColumnByFieldName("AREA");
    TdxDBTreeListColumn* title = f.grid->ColumnByFieldName("TITLE");
    std::vector<std::string> hidden, shown, dragged, headers;
    f.grid->OnHideColumn = [&](TObject*, TdxDBTreeListColumn* C) { hidden.push_back(C->FieldName()); };
    f.grid->OnShowColumn = [&](TObject*, TdxDBTreeListColumn* C) { shown.push_back(C->FieldName()); };
    f.grid->OnShowHeader = [&](TObject*, TdxDBTreeListColumn* C) { headers.push_back(C->FieldName()); };
    f.grid->OnEndDragGroupColumn = [&](TObject*, TdxDBTreeListColumn* C, int Index, bool&) {
        dragged.push_back(C->FieldName() + "@" + std::to_string(Index));
    };

    // A header dropped on the empty panel groups by it and leaves the header.
    Drag(f.grid, Mid(f.grid->GetHeaderRect(area->Index())), {30, 10});
    EXPECT_EQ(GroupNames(f.grid), (std::vector<std::string>{"AREA"}));
    EXPECT_FALSE(area->Visible());
    EXPECT_EQ(area->Sorted(), csDown);
    EXPECT_EQ(TopGroupValues(f.grid), (std::vector<std::string>{"(null)", "East", "North", "South"}));

    // A second header left of the first button goes in front.
    Drag(f.grid, Mid(f.grid->GetHeaderRect(title->Index())), {10, 10});
    EXPECT_EQ(GroupNames(f.grid), (std::vector<std::string>{"TITLE", "AREA"}));
    // A group button moved right along the panel: the groups swap.
    Drag(f.grid, Mid(f.grid->GetGroupButtonRect(0)), {f.grid->GetGroupButtonRect(1).Right + 20, 12});
    EXPECT_EQ(GroupNames(f.grid), (std::vector<std::string>{"AREA", "TITLE"}));
    EXPECT_EQ(dragged, (std::vector<std::string>{"AREA@0", "TITLE@0", "TITLE@1"}));

    // A refused drop changes nothing.
    f.grid->OnEndDragGroupColumn = [](TObject*, TdxDBTreeListColumn*, int, bool& Allow) { Allow = false; };
    Drag(f.grid, Mid(f.grid->GetGroupButtonRect(1)), {10, 10});
    EXPECT_EQ(GroupNames(f.grid), (std::vector<std::string>{"AREA", "TITLE"}));
    f.grid->OnEndDragGroupColumn = nullptr;

    // Dragged off into the rows: ungrouped, unsorted and back in the header.
    const TRect rows = f.grid->CalcRectInfo().Rows;
    Drag(f.grid, Mid(f.grid->GetGroupButtonRect(1)), {rows.Left + 50, rows.Top + 40});
    EXPECT_EQ(GroupNames(f.grid), (std::vector<std::string>{"AREA"}));
    EXPECT_EQ(title->GroupIndex(), -1);
    EXPECT_EQ(title->Sorted(), csNone);
    EXPECT_TRUE(title->Visible());
    // Back onto the header: ungrouped and placed there.
    const TRect numberHeader = f.grid->GetHeaderRect(f.grid->ColumnByFieldName("NUMBER")->Index());
    Drag(f.grid, Mid(f.grid->GetGroupButtonRect(0)), {numberHeader.Left + 2, Mid(numberHeader).Y});
    EXPECT_EQ(f.grid->GroupColumnCount(), 0);
    EXPECT_TRUE(area->Visible());
    EXPECT_FALSE(f.grid->GetHeaderRect(area->Index()).IsEmpty());
    EXPECT_EQ(f.Rows().size(), 10u);
    EXPECT_EQ(hidden, (std::vector<std::string>{"AREA", "TITLE"}));
    EXPECT_EQ(shown, (std::vector<std::string>{"TITLE", "AREA"}));
    EXPECT_EQ(headers, shown);   // each drag brought its column back into the header
}

TEST(GroupPanel, AGroupedColumnStaysInTheHeaderWhenTheOptionsSaySo)
{
    GridFixture f(10);
    f.grid->SetShowGroupPanel(true);
    f.grid->SetOptionsCustomize(f.grid->OptionsCustomize() + TdxDBGridOptionsCustomize{edgoNotHideColumn});
    TdxDBTreeListColumn* area = f.grid->ColumnByFieldName("AREA");
    Drag(f.grid, Mid(f.grid->GetHeaderRect(area->Index())), {30, 10});
    EXPECT_EQ(GroupNames(f.grid), (std::vector<std::string>{"AREA"}));
    EXPECT_TRUE(area->Visible());
}

TEST(GroupPanel, AGroupButtonMovedFiveOrFewerPixelsIsAClick)
{
    GridFixture f(10);
    f.grid->SetShowGroupPanel(true);
    TdxDBTreeListColumn* area = f.grid->ColumnByFieldName("AREA");
    area->SetGroupIndex(0);
    area->SetSorted(csDown);
    const TPoint p = Mid(f.grid->GetGroupButtonRect(0));
    f.grid->MouseDown(mbLeft, {}, p.X, p.Y);
    EXPECT_EQ(f.grid->PendingGroupColumn(), area);
    f.grid->MouseMove({ssLeft}, p.X + 5, p.Y - 5);
    EXPECT_FALSE(f.grid->IsColumnDragging());
    f.grid->MouseUp(mbLeft, {}, p.X + 5, p.Y - 5);
    EXPECT_EQ(f.grid->PendingGroupColumn(), nullptr);
    EXPECT_EQ(area->GroupIndex(), 0);
    EXPECT_EQ(area->Sorted(), csUp);   // the click turned the group order round
    EXPECT_EQ(TopGroupValues(f.grid), (std::vector<std::string>{"South", "North", "East", "(null)"}));

    // Six pixels make it a drag.
    f.grid->MouseDown(mbLeft, {}, p.X, p.Y);
    f.grid->MouseMove({ssLeft}, p.X + 6, p.Y);
    EXPECT_TRUE(f.grid->IsColumnDragging());
    f.grid->EndColumnDrag(false);
    f.grid->MouseUp(mbLeft, {}, p.X + 6, p.Y);
    EXPECT_EQ(area->GroupIndex(), 0);
}

TEST(GroupPanel, SlidesOpenAndShutOnTheClock)
{
    TManualClockScope clock;
    GridFixture f(10);
    TForm form(nullptr);
    form.SetBounds(0, 0, 500, 400);
    form.Show();
    f.grid->SetParent(&form);
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    const int full = f.grid->GroupPanelFullHeight();

    f.grid->SetShowGroupPanel(true);
    ASSERT_TRUE(f.grid->IsGroupPanelSliding());
    EXPECT_EQ(f.grid->GetGroupPanelHeight(), 0);
    int last = 0;
    bool grew = true;
    for (int i = 0; i < 10; ++i) {
        clock.Advance(10);
        grew = grew && f.grid->GetGroupPanelHeight() > last;
        last = f.grid->GetGroupPanelHeight();
    }
    EXPECT_TRUE(grew);
    EXPECT_LT(last, full);
    EXPECT_EQ(f.grid->CalcRectInfo().Header.Top, last);   // the rows moved down with it
    clock.Advance(400);
    EXPECT_FALSE(f.grid->IsGroupPanelSliding());
    EXPECT_EQ(f.grid->GetGroupPanelHeight(), full);

    // Shutting slides back up; the 400 ms limit ends it whatever is left.
    f.grid->SetShowGroupPanel(false);
    ASSERT_TRUE(f.grid->IsGroupPanelSliding());
    clock.Advance(50);
    EXPECT_GT(f.grid->GetGroupPanelHeight(), 0);
    EXPECT_LT(f.grid->GetGroupPanelHeight(), full);
    clock.Advance(400);
    EXPECT_FALSE(f.grid->IsGroupPanelSliding());
    EXPECT_EQ(f.grid->GetGroupPanelHeight(), 0);
    EXPECT_EQ(clock.ActiveTimers(), 0);
    f.grid->SetParent(nullptr);
}

// ----- keys ------------------------------------------------------------------------------------

TEST(GridKeys, BufferModeEndsAppendAndInsertGoThroughTheDataSet)
{
    GridFixture f(10, false);
    ASSERT_TRUE(f.grid->IsBufferMode());
    f.grid->SetOptions(f.grid->Options() + TdxDBGridOptions{egoRowSelect});
    std::uint16_t key = VK_END;
    f.grid->KeyDown(key, {});
    EXPECT_EQ(key, 0);
    EXPECT_EQ(f.CurrentKey(), 10);
    EXPECT_TRUE(f.ds->Eof() || f.CurrentKey() == 10);
    key = VK_HOME;
    f.grid->KeyDown(key, {});
    EXPECT_EQ(f.CurrentKey(), 1);

    f.grid->SetOptions(f.grid->Options() - TdxDBGridOptions{egoRowSelect} +
                       TdxDBGridOptions{egoEditing, egoCanAppend, egoCanInsert, egoCanNavigation});
    f.ds->Last();
    key = VK_DOWN;
    f.grid->KeyDown(key, {});
    EXPECT_EQ(f.ds->State(), dsInsert);   // Down at the end appends
    key = VK_DOWN;
    f.grid->KeyDown(key, {});
    EXPECT_EQ(f.ds->State(), dsInsert);   // and an unchanged new record is not appended twice
    key = VK_UP;
    f.grid->KeyDown(key, {});
    EXPECT_EQ(f.ds->State(), dsBrowse);   // Up cancels it
    EXPECT_EQ(f.ds->RecordCount(), 10);

    key = VK_INSERT;
    f.grid->KeyDown(key, {});
    EXPECT_EQ(f.ds->State(), dsInsert);
    f.ds->Cancel();
    // Without egoCanAppend Down at the end only moves.
    f.grid->SetOptions(f.grid->Options() - TdxDBGridOptions{egoCanAppend});
    f.ds->Last();
    key = VK_DOWN;
    f.grid->KeyDown(key, {});
    EXPECT_EQ(f.ds->State(), dsBrowse);
}

TEST(GridKeys, BufferModeShiftHomeAndEndExtendTheSelection)
{
    GridFixture f(10, false);
    f.grid->SetOptions(f.grid->Options() + TdxDBGridOptions{egoMultiSelect});
    f.ds->First();
    f.ds->MoveBy(2);
    std::uint16_t key = VK_END;
    f.grid->KeyDown(key, TShiftState{ssShift});
    EXPECT_EQ(key, 0);
    EXPECT_EQ(f.CurrentKey(), 10);
    EXPECT_EQ(f.grid->SelectedBookmarkCount() + f.grid->SelectedCount() > 0, true);
    key = VK_HOME;
    f.grid->KeyDown(key, TShiftState{ssShift});
    EXPECT_EQ(f.CurrentKey(), 1);
}

TEST(GridKeys, AllRecordsAndPartialLoadKeys)
{
    // All records: group rows open and shut with Right and Left.
    {
        GridFixture f(10);
        f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
        TdxTreeListNode* group = f.grid->GetItem(1);
        f.grid->SetFocusedNode(group);
        group->Collapse(false);
        std::uint16_t key = VK_RIGHT;
        f.grid->KeyDown(key, {});
        EXPECT_TRUE(group->Expanded());
        key = VK_LEFT;
        f.grid->KeyDown(key, {});
        EXPECT_FALSE(group->Expanded());
    }
    // Partial load: a Shift key starts the range at the focused row.
    {
        GridFixture f(30, false);
        f.grid->SetPartialLoad(true);
        ASSERT_TRUE(f.grid->IsPartialLoadMode());
        f.grid->SetOptions(f.grid->Options() + TdxDBGridOptions{egoMultiSelect});
        f.grid->SetFocusedNode(f.grid->GetItem(3));
        f.grid->ClearSelectionAnchor();
        std::uint16_t key = VK_DOWN;
        f.grid->KeyDown(key, TShiftState{ssShift});
        ASSERT_NE(f.grid->SelectionAnchor(), nullptr);
        EXPECT_EQ(f.grid->SelectionAnchor()->GetString(0), "4");
    }
}

TEST(GridKeys, IncrementalSearchKeepsItsEditingKeys)
{
    GridFixture f(10);
    f.grid->StartSearch(1);
    ASSERT_TRUE(f.grid->SearchAppend("Door 3"));
    std::uint16_t key = VK_BACK;
    f.grid->KeyDown(key, {});
    EXPECT_EQ(f.grid->SearchText(), "Door ");
    // Esc ends the search; it does not reach the data link's reset.
    f.ds->Edit();
    f.ds->FieldByName("TITLE")->SetAsString("changed");
    key = VK_ESCAPE;
    f.grid->KeyDown(key, {});
    EXPECT_FALSE(f.grid->IsSearching());
    EXPECT_EQ(f.ds->State(), dsEdit);
    f.ds->Cancel();
}

// ----- summaries --------------------------------------------------------------------------------

TEST(GroupSummaries, SortBySummaryAndTheTwoHooks)
{
    GridFixture f(9);   // North 4, (null) 2, South 2, East 1
    TdxDBTreeListColumn* area = f.grid->ColumnByFieldName("AREA");
    area->SetSummaryType(cstCount);
    area->SetSortBySummary(true);
    area->SetGroupIndex(0);
    EXPECT_EQ(TopGroupValues(f.grid), (std::vector<std::string>{"East", "(null)", "South", "North"}));
    area->SetSorted(csUp);
    f.grid->ReloadNodes();
    EXPECT_EQ(TopGroupValues(f.grid), (std::vector<std::string>{"North", "South", "(null)", "East"}));

    // The hooks: every group value (also without a summary type) and extra row text.
    GridFixture g(9);
    int calls = 0;
    g.grid->OnGroupSummaryValue = [&](TCustomdxDBGrid*, TdxTreeListNode*, double& Value, TDataSet* DataSet) {
        ++calls;
        EXPECT_NE(DataSet, nullptr);
        Value = 1;
    };
    g.grid->OnGetGroupRowExtraText = [](TCustomdxDBGrid*, TdxTreeListNode* Node, std::string& Text) {
        Text = "<" + std::to_string(Node->Count()) + ">";
    };
    g.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    EXPECT_EQ(calls, 9);
    const std::string text = g.grid->GetGroupRowText(g.grid->GetItem(1));   // East
    EXPECT_NE(text.find("East"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 3), "<1>");
}

// ----- filter button and status panel -----------------------------------------------------

TEST(FilterLook, HeaderButtonOpensTheDropDownAndShowsTheSetLook)
{
    GridFixture f(10);
    TdxDBTreeListColumn* area = f.grid->ColumnByFieldName("AREA");
    const int index = area->GetColumnIndex();
    EXPECT_TRUE(f.grid->GetFilterButtonRect(index).IsEmpty());   // filter off: no button
    f.grid->Filter()->SetActive(true);
    const TRect header = f.grid->GetHeaderRect(index);
    const TRect button = f.grid->GetFilterButtonRect(index);
    ASSERT_FALSE(button.IsEmpty());
    EXPECT_EQ(button.Right, header.Right - 1);
    EXPECT_TRUE(header.Contains(Mid(button)));

    // Painted through the canvas: the arrow takes the highlight once the column has a condition.
    auto arrowColour = [&] {
        TBitmap image(f.grid->Width(), f.grid->Height());
        f.grid->PaintTo(*image.Canvas(), Rect(0, 0, f.grid->Width(), f.grid->Height()));
        const TPoint m = Mid(f.grid->GetFilterButtonRect(index));
        return image.Pixel(m.X, m.Y - 1);
    };
    EXPECT_EQ(arrowColour(), ColorToRGB(clBtnText));
    f.grid->Filter()->SetColumnValue(area, Variant("North"), "North");
    EXPECT_EQ(arrowColour(), ColorToRGB(clHighlight));

    // A press on the button opens the drop-down and starts no header drag.
    const TPoint m = Mid(f.grid->GetFilterButtonRect(index));
    f.grid->MouseDown(mbLeft, {}, m.X, m.Y);
    EXPECT_TRUE(f.grid->IsFilterDropDownOpen());
    EXPECT_FALSE(f.grid->IsColumnDragging());
    EXPECT_EQ(f.grid->FilterPopup()->Column(), area);
    f.grid->FilterPopup()->Close(false);
}

TEST(FilterLook, StatusPanelFollowsTheFilterAndClearsIt)
{
    GridFixture f(10);
    TdxDBGridFilter* filter = f.grid->Filter();
    filter->SetActive(true);
    EXPECT_EQ(f.grid->GetStatusPanelHeight(), 0);   // fsAuto without a condition
    filter->SetColumnValue(f.grid->ColumnByFieldName("AREA"), Variant("North"), "North");
    ASSERT_GT(f.grid->GetStatusPanelHeight(), 0);
    const TdxTreeListRectInfo info = f.grid->CalcRectInfo();
    EXPECT_EQ(info.StatusPanel.Bottom, info.Client.Bottom);
    EXPECT_EQ(info.Rows.Bottom, info.StatusPanel.Top);
    const TRect clear = f.grid->GetStatusClearButtonRect();
    ASSERT_FALSE(clear.IsEmpty());
    EXPECT_TRUE(info.StatusPanel.Contains(Mid(clear)));

    // Painted: the button face and the filter text sit in the panel.
    TBitmap image(f.grid->Width(), f.grid->Height());
    f.grid->PaintTo(*image.Canvas(), Rect(0, 0, f.grid->Width(), f.grid->Height()));
    EXPECT_EQ(image.Pixel(info.StatusPanel.Right - 2, info.StatusPanel.Bottom - 2), ColorToRGB(clBtnFace));

    f.grid->MouseDown(mbLeft, {}, Mid(clear).X, Mid(clear).Y);
    EXPECT_EQ(filter->Criteria()->Root()->Count(), 0);
    EXPECT_EQ(f.grid->GetStatusPanelHeight(), 0);
    EXPECT_EQ(f.Rows().size(), 10u);
    filter->SetFilterStatus(fsAlways);
    EXPECT_GT(f.grid->GetStatusPanelHeight(), 0);
    filter->SetFilterStatus(fsNone);
    EXPECT_EQ(f.grid->GetStatusPanelHeight(), 0);
}
