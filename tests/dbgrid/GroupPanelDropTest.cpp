// A header dragged over the group panel: where the insertion arrows stand,
// that the drop lands there, the no-drop cursor for columns that cannot
// group, and the arrows going away when the pointer leaves or Esc cancels.
#include "dbgrid/DBGrid.h"

#include "GridTestSupport.h"
#include "platform/controls/Keyboard.h"
#include "platform/data/DataSet.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

TPoint Mid(const TRect& R)
{
    return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
}

std::vector<std::string> GroupNames(TdxDBGrid* Grid)
{
    std::vector<std::string> out;
    for (int i = 0; i < Grid->GroupColumnCount(); ++i)
        out.push_back(Grid->GetGroupColumn(i)->FieldName());
    return out;
}

// Presses a header (or group button) and moves in two steps to To, without releasing.
void DragOver(TdxDBGrid* Grid, TPoint From, TPoint To)
{
    Grid->MouseDown(mbLeft, {}, From.X, From.Y);
    Grid->MouseMove({ssLeft}, (From.X + To.X) / 2, (From.Y + To.Y) / 2);
    Grid->MouseMove({ssLeft}, To.X, To.Y);
}

TPoint HeaderMid(TdxDBGrid* Grid, const char* Field)
{
    return Mid(Grid->GetHeaderRect(Grid->ColumnByFieldName(Field)->Index()));
}

// The arrows' rectangle worked out from the button geometry: 9 pixels wide,
// centred on the left edge of button Index, on the right edge of the last
// button, or on the left edge of the first button's place on an empty panel.
TRect ExpectedArrows(TdxDBGrid* Grid, int Index)
{
    const int count = Grid->GroupColumnCount();
    const int h = Grid->GetHeaderRowHeight();
    if (count == 0) {
        const int top = Grid->CalcRectInfo().GroupPanel.Top + 8;
        return Rect(8 - 4, top, 8 + 5, top + h);
    }
    const TRect b = Grid->GetGroupButtonRect(Index < count ? Index : count - 1);
    const int x = Index < count ? b.Left : b.Right;
    return Rect(x - 4, b.Top, x + 5, b.Bottom);
}

struct DropCase {
    const char* name;
    int groups;     // AREA, ACTIVE, TITLE grouped in that order, as many as this
    int x;          // pointer over the panel
    bool low;       // at the panel's bottom, inside the tree list's own header zone
    int index;      // where the arrows stand and the column lands
};

class GroupPanelDrop : public ::testing::TestWithParam<DropCase> {};

} // namespace

TEST_P(GroupPanelDrop, ArrowsStandWhereTheColumnLands)
{
    const DropCase& c = GetParam();
    GridFixture f(10);
    // Grouped columns stay in the header, so the layout is the same for every count.
    f.grid->SetOptionsCustomize(f.grid->OptionsCustomize() + TdxDBGridOptionsCustomize{edgoNotHideColumn});
    f.grid->SetShowGroupPanel(true);
    const char* fields[] = {"AREA", "ACTIVE", "TITLE"};
    for (int i = 0; i < c.groups; ++i)
        f.grid->ColumnByFieldName(fields[i])->SetGroupIndex(i);
    ASSERT_EQ(f.grid->GroupColumnCount(), c.groups);
    const TRect panel = f.grid->CalcRectInfo().GroupPanel;
    const TPoint to{c.x, c.low ? panel.Bottom - 2 : panel.Top + 3};
    ASSERT_TRUE(panel.Contains(to));
    ASSERT_EQ(f.grid->GetGroupDropIndex(c.x), c.index);

    DragOver(f.grid, HeaderMid(f.grid, "NUMBER"), to);
    ASSERT_TRUE(f.grid->IsColumnDragging());
    EXPECT_EQ(f.grid->DragTarget(), hdtClaimed);
    const TRect arrows = ExpectedArrows(f.grid, c.index);
    EXPECT_EQ(f.grid->DragArrowsRect(), arrows);
    ASSERT_NE(f.grid->DragArrowsOverlay(), nullptr);
    EXPECT_TRUE(f.grid->DragArrowsOverlay()->Visible());
    // The arrows' tips sit on the drop edge, the overlay reaching 6 pixels above and below.
    const TPoint tip = f.grid->ClientToScreen({(arrows.Left + arrows.Right) / 2, arrows.Top});
    EXPECT_EQ(f.grid->DragArrowsOverlay()->Left() + f.grid->DragArrowsOverlay()->HotSpot().X, tip.X);
    EXPECT_EQ(f.grid->DragArrowsOverlay()->Top() + f.grid->DragArrowsOverlay()->HotSpot().Y, tip.Y);
    EXPECT_EQ(f.grid->DragArrowsOverlay()->Height(), arrows.Height() + 12);
    EXPECT_EQ(f.grid->Cursor(), crDefault);

    f.grid->MouseUp(mbLeft, {}, to.X, to.Y);
    EXPECT_FALSE(f.grid->IsColumnDragging());
    EXPECT_EQ(f.grid->DragArrowsOverlay(), nullptr);
    std::vector<std::string> expected(fields, fields + c.groups);
    expected.insert(expected.begin() + c.index, "NUMBER");
    EXPECT_EQ(GroupNames(f.grid), expected);
    EXPECT_EQ(f.grid->ColumnByFieldName("NUMBER")->GroupIndex(), c.index);
}

// Buttons: 8..108, 112..212, 216..316 (middles 58, 162, 266).
INSTANTIATE_TEST_SUITE_P(
    Positions, GroupPanelDrop,
    ::testing::Values(DropCase{"EmptyPanel", 0, 200, false, 0},
                      DropCase{"EmptyPanelLow", 0, 30, true, 0},
                      DropCase{"OneLeftHalfOfTheButton", 1, 57, false, 0},
                      DropCase{"OneRightHalfOfTheButton", 1, 58, true, 1},
                      DropCase{"ThreeLeftOfAll", 3, 3, false, 0},
                      DropCase{"ThreeBetweenFirstAndSecond", 3, 110, false, 1},
                      DropCase{"ThreeBetweenSecondAndThird", 3, 214, true, 2},
                      DropCase{"ThreeRightHalfOfTheLast", 3, 300, false, 3},
                      DropCase{"ThreeRightOfAll", 3, 390, true, 3}),
    [](const ::testing::TestParamInfo<DropCase>& Info) { return std::string(Info.param.name); });

TEST(GroupPanelDropRefused, ColumnsThatCannotGroupShowNoDropAndStayUngrouped)
{
    GridFixture f(10);
    f.grid->SetShowGroupPanel(true);
    int endDrags = 0;
    f.grid->OnEndDragGroupColumn = [&](TObject*, TdxDBTreeListColumn*, int, bool&) { ++endDrags; };
    const TPoint over{150, f.grid->CalcRectInfo().GroupPanel.Top + 3};

    auto refusedDrop = [&](const char* Why, TPoint From) {
        SCOPED_TRACE(Why);
        const std::vector<std::string> before = GroupNames(f.grid);
        DragOver(f.grid, From, over);
        ASSERT_TRUE(f.grid->IsColumnDragging());
        EXPECT_EQ(f.grid->DragTarget(), hdtClaimed);
        EXPECT_EQ(f.grid->Cursor(), crNoDrop);
        EXPECT_EQ(f.grid->DragArrowsRect(), ExpectedArrows(f.grid, f.grid->GetGroupDropIndex(over.X)));
        f.grid->MouseUp(mbLeft, {}, over.X, over.Y);
        EXPECT_FALSE(f.grid->IsColumnDragging());
        EXPECT_EQ(f.grid->Cursor(), crDefault);
        EXPECT_EQ(GroupNames(f.grid), before);
        EXPECT_EQ(endDrags, 0);   // no drop reached the panel
    };

    TdxDBTreeListColumn* title = f.grid->ColumnByFieldName("TITLE");
    title->SetDisableGrouping(true);
    refusedDrop("DisableGrouping", HeaderMid(f.grid, "TITLE"));
    EXPECT_EQ(title->GroupIndex(), -1);
    EXPECT_TRUE(title->Visible());
    title->SetDisableGrouping(false);

    // The last visible column: grouping it would leave an empty header.
    for (const char* field : {"AREA", "ACTIVE", "TITLE"})
        f.grid->AddGroupColumn(f.grid->GroupColumnCount(), f.grid->ColumnByFieldName(field));
    ASSERT_EQ(f.grid->GetVisibleColumnCount(), 1);
    refusedDrop("LastVisibleColumn", HeaderMid(f.grid, "NUMBER"));
    EXPECT_TRUE(f.grid->ColumnByFieldName("NUMBER")->Visible());

    // A second column on a field that is already grouped.
    auto* area2 = f.grid->CreateColumnOf<TdxDBGridColumn>();
    area2->SetFieldName("AREA");
    refusedDrop("FieldAlreadyGrouped", Mid(f.grid->GetHeaderRect(area2->Index())));
    EXPECT_EQ(area2->GroupIndex(), -1);

    // The user's OnAddGroupColumn is asked at the drop, and says no.
    f.grid->OnAddGroupColumn = [](TObject*, TdxDBTreeListColumn*, bool& Allow) { Allow = false; };
    DragOver(f.grid, HeaderMid(f.grid, "NUMBER"), over);
    EXPECT_EQ(f.grid->Cursor(), crDefault);
    f.grid->MouseUp(mbLeft, {}, over.X, over.Y);
    EXPECT_EQ(GroupNames(f.grid), (std::vector<std::string>{"AREA", "ACTIVE", "TITLE"}));
    EXPECT_TRUE(f.grid->ColumnByFieldName("NUMBER")->Visible());
    EXPECT_EQ(f.grid->ColumnByFieldName("NUMBER")->Sorted(), csNone);
}

TEST(GroupPanelDropRefused, AGroupedColumnMovesAlongThePanelWithTheDragCursor)
{
    GridFixture f(10);
    f.grid->SetShowGroupPanel(true);
    for (const char* field : {"AREA", "ACTIVE", "TITLE"})
        f.grid->ColumnByFieldName(field)->SetGroupIndex(f.grid->GroupColumnCount());
    // Its own button, dragged right of the last: it can move, so no no-drop cursor.
    const TRect last = f.grid->GetGroupButtonRect(2);
    const TPoint to{last.Right + 30, last.Top + 2};
    DragOver(f.grid, Mid(f.grid->GetGroupButtonRect(0)), to);
    EXPECT_EQ(f.grid->DragTarget(), hdtClaimed);
    EXPECT_EQ(f.grid->Cursor(), crDefault);
    EXPECT_EQ(f.grid->DragArrowsRect(), ExpectedArrows(f.grid, 3));
    f.grid->MouseUp(mbLeft, {}, to.X, to.Y);
    EXPECT_EQ(GroupNames(f.grid), (std::vector<std::string>{"ACTIVE", "TITLE", "AREA"}));

    // Between the first two buttons: in front of the second.
    const TPoint between{110, f.grid->CalcRectInfo().GroupPanel.Top + 3};
    DragOver(f.grid, Mid(f.grid->GetGroupButtonRect(2)), between);
    EXPECT_EQ(f.grid->DragArrowsRect(), ExpectedArrows(f.grid, 1));
    f.grid->MouseUp(mbLeft, {}, between.X, between.Y);
    EXPECT_EQ(GroupNames(f.grid), (std::vector<std::string>{"ACTIVE", "AREA", "TITLE"}));
}

TEST(GroupPanelDropGone, LeavingThePanelTakesTheArrowsAndTheNoDropCursorAway)
{
    GridFixture f(10);
    f.grid->SetShowGroupPanel(true);
    f.grid->ColumnByFieldName("TITLE")->SetDisableGrouping(true);
    const TdxTreeListRectInfo info = f.grid->CalcRectInfo();
    DragOver(f.grid, HeaderMid(f.grid, "TITLE"), {150, info.GroupPanel.Top + 3});
    EXPECT_EQ(f.grid->Cursor(), crNoDrop);
    ASSERT_NE(f.grid->DragArrowsOverlay(), nullptr);

    // Into the rows: no target, no arrows, the ordinary cursor.
    f.grid->MouseMove({ssLeft}, 150, info.Rows.Top + 60);
    EXPECT_EQ(f.grid->DragTarget(), hdtNone);
    EXPECT_EQ(f.grid->DragArrowsOverlay(), nullptr);
    EXPECT_TRUE(f.grid->DragArrowsRect().IsEmpty());
    EXPECT_EQ(f.grid->Cursor(), crDefault);

    // Onto the header: the header's own arrows, none on the panel.
    const TRect numberRect = f.grid->GetHeaderRect(f.grid->ColumnByFieldName("NUMBER")->Index());
    const TPoint numberHeader{numberRect.Left + 2, Mid(numberRect).Y};
    f.grid->MouseMove({ssLeft}, numberHeader.X, numberHeader.Y);
    EXPECT_EQ(f.grid->DragTarget(), hdtHeader);
    const TRect arrows = f.grid->DragArrowsRect();
    EXPECT_GE(arrows.Top, info.Header.Top);
    EXPECT_EQ(f.grid->Cursor(), crDefault);

    // Released there: the column moves in the header, nothing groups.
    f.grid->MouseUp(mbLeft, {}, numberHeader.X, numberHeader.Y);
    EXPECT_EQ(f.grid->GroupColumnCount(), 0);

    // A cursor of the grid's own comes back after the no-drop cursor, not the default one.
    f.grid->SetCursor(crHandPoint);
    DragOver(f.grid, HeaderMid(f.grid, "TITLE"), {150, info.GroupPanel.Top + 3});
    EXPECT_EQ(f.grid->Cursor(), crNoDrop);
    f.grid->MouseMove({ssLeft}, 150, info.Rows.Top + 60);
    EXPECT_EQ(f.grid->Cursor(), crHandPoint);
    f.grid->MouseMove({ssLeft}, 150, info.GroupPanel.Top + 3);
    EXPECT_EQ(f.grid->Cursor(), crNoDrop);
    std::uint16_t esc = VK_ESCAPE;
    f.grid->KeyDown(esc, {});
    EXPECT_FALSE(f.grid->IsColumnDragging());
    EXPECT_EQ(f.grid->Cursor(), crHandPoint);
    EXPECT_EQ(f.grid->GetVisibleColumn(0), f.grid->ColumnByFieldName("TITLE")->Index());
}

TEST(GroupPanelDropGone, EscCancelsTheDragAndLeavesTheRecordAlone)
{
    GridFixture f(10);
    f.grid->SetShowGroupPanel(true);
    const TPoint over{150, f.grid->CalcRectInfo().GroupPanel.Top + 3};

    // A header over the panel, with the current record being edited.
    f.ds->Edit();
    f.ds->FieldByName("TITLE")->SetAsString("Changed");
    f.grid->ColumnByFieldName("TITLE")->SetDisableGrouping(true);
    DragOver(f.grid, HeaderMid(f.grid, "TITLE"), over);
    ASSERT_NE(f.grid->DragArrowsOverlay(), nullptr);
    std::uint16_t key = VK_ESCAPE;
    f.grid->KeyDown(key, {});
    EXPECT_EQ(key, 0);
    EXPECT_FALSE(f.grid->IsColumnDragging());
    EXPECT_EQ(f.grid->DragArrowsOverlay(), nullptr);
    EXPECT_EQ(f.grid->DragImageOverlay(), nullptr);
    EXPECT_EQ(f.grid->Cursor(), crDefault);
    EXPECT_EQ(f.ds->State(), dsEdit);   // the key cancelled the drag only
    EXPECT_EQ(f.ds->FieldByName("TITLE")->AsString(), "Changed");
    f.grid->MouseUp(mbLeft, {}, over.X, over.Y);
    EXPECT_EQ(f.grid->GroupColumnCount(), 0);
    f.ds->Cancel();
    f.grid->ColumnByFieldName("TITLE")->SetDisableGrouping(false);

    // A group button: cancelled, it stays where it was, and the release is no click.
    TdxDBTreeListColumn* area = f.grid->ColumnByFieldName("AREA");
    area->SetGroupIndex(0);
    f.grid->ColumnByFieldName("ACTIVE")->SetGroupIndex(1);
    const TdxTreeListColumnSort sorted = area->Sorted();
    DragOver(f.grid, Mid(f.grid->GetGroupButtonRect(0)), {380, over.Y});
    ASSERT_TRUE(f.grid->IsColumnDragging());
    key = VK_ESCAPE;
    f.grid->KeyDown(key, {});
    EXPECT_FALSE(f.grid->IsColumnDragging());
    EXPECT_EQ(f.grid->PendingGroupColumn(), nullptr);
    f.grid->MouseMove({ssLeft}, 380, over.Y + 1);
    EXPECT_FALSE(f.grid->IsColumnDragging());
    f.grid->MouseUp(mbLeft, {}, 380, over.Y + 1);
    EXPECT_EQ(GroupNames(f.grid), (std::vector<std::string>{"AREA", "ACTIVE"}));
    EXPECT_EQ(area->Sorted(), sorted);
}

TEST(GridColumnClick, TheGridsEventGetsTheColumnBeforeTheSortTurns)
{
    GridFixture f(10);
    TdxDBTreeListColumn* title = f.grid->ColumnByFieldName("TITLE");
    std::vector<std::string> calls;
    f.grid->OnColumnClick = [&](TObject* Sender, TdxDBTreeListColumn* Column) {
        EXPECT_EQ(Sender, f.grid);
        calls.push_back("grid " + Column->FieldName() + (Column->Sorted() == csNone ? " unsorted" : " sorted"));
    };
    f.grid->TCustomdxTreeList::OnColumnClick = [&](TObject*, int Column) {
        calls.push_back("tree list " + std::to_string(Column));
    };
    const TPoint at = HeaderMid(f.grid, "TITLE");
    f.grid->MouseDown(mbLeft, {}, at.X, at.Y);
    f.grid->MouseUp(mbLeft, {}, at.X, at.Y);
    EXPECT_EQ(calls, (std::vector<std::string>{"grid TITLE unsorted", "tree list " + std::to_string(title->Index())}));
    EXPECT_NE(title->Sorted(), csNone);
}

namespace {

void ClickHeader(TdxDBGrid* Grid, const char* Field, TShiftState Shift = {})
{
    const TPoint at = HeaderMid(Grid, Field);
    Grid->MouseDown(mbLeft, Shift, at.X, at.Y);
    Grid->MouseUp(mbLeft, Shift, at.X, at.Y);
}

std::vector<std::string> Reversed(int Count)
{
    std::vector<std::string> out;
    for (int i = Count; i >= 1; --i)
        out.push_back(std::to_string(i));
    return out;
}

} // namespace

// A click sorts by the grid's own egoAutoSort and egoMultiSort, never in
// buffer mode, and only when OnColumnSorting allows it.
TEST(GridColumnClick, SortingFollowsTheGridsOptionsAndAsksFirst)
{
    GridFixture f(10);
    ASSERT_TRUE(f.grid->OptionsEx().Contains(egoAutoSort));   // a new grid's
    TdxDBTreeListColumn* number = f.grid->ColumnByFieldName("NUMBER");
    TdxDBTreeListColumn* title = f.grid->ColumnByFieldName("TITLE");
    ClickHeader(f.grid, "NUMBER");
    ClickHeader(f.grid, "NUMBER");
    EXPECT_EQ(f.Rows(), Reversed(10));

    // Shift adds a column only with egoMultiSort.
    ClickHeader(f.grid, "TITLE", TShiftState{ssShift});
    EXPECT_EQ(number->Sorted(), csNone);
    f.grid->SetOptionsEx(f.grid->OptionsEx() + TdxDBGridOptionsEx{egoMultiSort});
    ClickHeader(f.grid, "NUMBER", TShiftState{ssShift});
    EXPECT_NE(title->Sorted(), csNone);
    EXPECT_NE(number->Sorted(), csNone);

    // The handler is asked with the column; a refusal leaves the order.
    std::vector<std::string> asked;
    bool allow = false;
    f.grid->OnColumnSorting = [&](TObject*, TdxDBTreeListColumn* Column, bool& Allow) {
        asked.push_back(Column->FieldName());
        Allow = allow;
    };
    const std::vector<std::string> before = f.Rows();
    const TdxTreeListColumnSort numberSort = number->Sorted();
    ClickHeader(f.grid, "NUMBER");
    EXPECT_EQ(asked, (std::vector<std::string>{"NUMBER"}));
    EXPECT_EQ(f.Rows(), before);
    EXPECT_EQ(number->Sorted(), numberSort);
    EXPECT_NE(title->Sorted(), csNone);

    // Without egoAutoSort a click sorts nothing and asks nobody.
    allow = true;
    f.grid->SetOptionsEx(f.grid->OptionsEx() - TdxDBGridOptionsEx{egoAutoSort});
    ClickHeader(f.grid, "AREA");
    EXPECT_EQ(f.grid->ColumnByFieldName("AREA")->Sorted(), csNone);
    EXPECT_EQ(asked.size(), 1u);

    // The dataset's buffer is shown as it is, whatever the options.
    GridFixture buffer(10, false);
    buffer.grid->SetOptionsBehavior(buffer.grid->OptionsBehavior() + TdxDBGridOptionsBehavior{edgoAutoSort});
    ASSERT_TRUE(buffer.grid->IsBufferMode());
    const std::vector<std::string> shown = buffer.Rows();
    ClickHeader(buffer.grid, "NUMBER");
    ClickHeader(buffer.grid, "NUMBER");
    EXPECT_EQ(buffer.grid->ColumnByFieldName("NUMBER")->Sorted(), csNone);
    EXPECT_EQ(buffer.Rows(), shown);
    EXPECT_EQ(buffer.CurrentKey(), 1);
}

TEST(GridColumnClick, AGroupButtonClickTurnsTheGroupsAndAHeaderSortKeepsThem)
{
    GridFixture f(10);
    f.grid->SetShowGroupPanel(true);
    TdxDBTreeListColumn* area = f.grid->ColumnByFieldName("AREA");
    area->SetGroupIndex(0);
    const TPoint button = Mid(f.grid->GetGroupButtonRect(0));
    f.grid->MouseDown(mbLeft, {}, button.X, button.Y);
    f.grid->MouseUp(mbLeft, {}, button.X, button.Y);
    EXPECT_EQ(area->Sorted(), csUp);   // descending groups

    // Sorting the records by a header leaves the groups' direction.
    ClickHeader(f.grid, "NUMBER");
    ClickHeader(f.grid, "NUMBER");
    EXPECT_EQ(area->Sorted(), csUp);
    f.grid->FullExpand();
    EXPECT_EQ(f.Rows(), (std::vector<std::string>{"[South]", "8", "3", "[North]", "9", "6", "4", "1", "[East]", "10",
                                                  "5", "[]", "7", "2"}));
    f.grid->ClearSorting();
    EXPECT_EQ(area->Sorted(), csUp);

    // A refused sort leaves the groups as they are.
    f.grid->OnColumnSorting = [](TObject*, TdxDBTreeListColumn*, bool& Allow) { Allow = false; };
    f.grid->MouseDown(mbLeft, {}, button.X, button.Y);
    f.grid->MouseUp(mbLeft, {}, button.X, button.Y);
    EXPECT_EQ(area->Sorted(), csUp);
}

// OnAddGroupColumn is asked once per grouping performed, and its answer holds.
TEST(GroupPanelDropRefused, OnAddGroupColumnIsAskedOncePerGroupingAndItsAnswerHolds)
{
    GridFixture f(10);
    f.grid->SetShowGroupPanel(true);
    std::vector<std::string> asked;
    bool allow = true;
    f.grid->OnAddGroupColumn = [&](TObject*, TdxDBTreeListColumn* Column, bool& Allow) {
        asked.push_back(Column->FieldName());
        Allow = allow;
    };
    TdxDBTreeListColumn* area = f.grid->ColumnByFieldName("AREA");
    EXPECT_TRUE(f.grid->AddGroupColumn(0, area));
    EXPECT_EQ(asked, (std::vector<std::string>{"AREA"}));

    // A drag over the panel asks nothing until the drop.
    const TPoint over{250, f.grid->CalcRectInfo().GroupPanel.Top + 3};
    DragOver(f.grid, HeaderMid(f.grid, "ACTIVE"), over);
    for (int x = 240; x < 260; x += 4)
        f.grid->MouseMove({ssLeft}, x, over.Y);
    EXPECT_EQ(asked.size(), 1u);
    f.grid->MouseUp(mbLeft, {}, 259, over.Y);
    EXPECT_EQ(asked, (std::vector<std::string>{"AREA", "ACTIVE"}));
    EXPECT_EQ(GroupNames(f.grid), (std::vector<std::string>{"AREA", "ACTIVE"}));

    // Refused: the column stays as it was, and the refusal is the answer.
    allow = false;
    TdxDBTreeListColumn* title = f.grid->ColumnByFieldName("TITLE");
    EXPECT_FALSE(f.grid->AddGroupColumn(2, title));
    title->SetGroupIndex(2);
    EXPECT_EQ(asked, (std::vector<std::string>{"AREA", "ACTIVE", "TITLE", "TITLE"}));
    EXPECT_EQ(title->GroupIndex(), -1);
    EXPECT_TRUE(title->Visible());
    EXPECT_EQ(title->Sorted(), csNone);
    EXPECT_EQ(GroupNames(f.grid), (std::vector<std::string>{"AREA", "ACTIVE"}));

    // Moving a grouped column is no new grouping.
    area->SetGroupIndex(1);
    EXPECT_EQ(GroupNames(f.grid), (std::vector<std::string>{"ACTIVE", "AREA"}));
    EXPECT_EQ(asked.size(), 4u);
}
