// The grid's key table and the deletion of records: confirmation, group
// rows, selections with stale bookmarks and pending edits, appending.
#include "dbgrid/DBGrid.h"

#include "GridTestSupport.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Clock.h"
#include "platform/controls/Keyboard.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

void Press(TdxDBGrid* Grid, std::uint16_t Key, TShiftState Shift = {})
{
    Grid->KeyDown(Key, Shift);
}

struct Answer {
    TModalResult Result;
    std::vector<std::string> Texts;
    TMessageDlgHookScope Scope{[this](const TMessageDlgParams& P) {
        Texts.push_back(P.Caption + ": " + P.Text);
        return Result;
    }};
    explicit Answer(TModalResult R) : Result(R) {}
};

} // namespace

TEST(GridInput, CtrlDeleteAsksAndCancelKeepsTheRecord)
{
    GridFixture f(5);
    f.grid->SetFocusedNode(f.grid->GetItem(2));
    {
        Answer cancel(mrCancel);
        Press(f.grid, VK_DELETE, TShiftState{ssCtrl});
        EXPECT_EQ(cancel.Texts, (std::vector<std::string>{"Confirm: Delete record?"}));
        EXPECT_EQ(f.ds->RecordCount(), 5);
    }
    Answer ok(mrOk);
    Press(f.grid, VK_DELETE, TShiftState{ssCtrl});
    EXPECT_EQ(f.ds->RecordCount(), 4);
    EXPECT_EQ(f.Rows(), (std::vector<std::string>{"1", "2", "4", "5"}));
}

TEST(GridInput, CtrlDeleteOnAGroupRowDoesNothing)
{
    GridFixture f(5);
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    f.grid->SetFocusedNode(f.grid->GetItem(0));
    ASSERT_TRUE(f.grid->IsGroupRow(f.grid->GetFocusedNode()));
    Answer ok(mrOk);
    Press(f.grid, VK_DELETE, TShiftState{ssCtrl});
    EXPECT_TRUE(ok.Texts.empty());
    EXPECT_EQ(f.ds->RecordCount(), 5);
}

TEST(GridInput, DeleteSelectionSkipsStaleBookmarksAndPostsEditsFirst)
{
    GridFixture f(6);
    f.grid->SetOptions(f.grid->Options() + TdxDBGridOptions{egoMultiSelect});
    f.grid->SelectNode(f.grid->GetItem(1), true);   // 2
    f.grid->SelectNode(f.grid->GetItem(3), true);   // 4
    f.grid->SelectNode(f.grid->GetItem(5), true);   // 6
    const TBookmark six = f.Node(f.grid->GetItem(5))->Bookmark;
    // Record 6 goes behind the grid's back; record 1 is being edited.
    {
        TDisableControlsGuard quiet(f.ds);
        f.ds->GotoBookmark(six);
        f.ds->Delete();
        f.ds->First();
        f.ds->Edit();
        f.ds->FieldByName("TITLE")->SetAsString("Changed");
    }
    f.grid->DeleteSelection();
    EXPECT_EQ(f.ds->RecordCount(), 3);
    EXPECT_EQ(f.Rows(), (std::vector<std::string>{"1", "3", "5"}));
    EXPECT_NE(f.ds->State(), dsEdit);
    f.ds->First();
    EXPECT_EQ(f.ds->FieldByName("TITLE")->AsString(), "Changed");
    EXPECT_EQ(f.ds->ControlsDisabled(), false);
}

TEST(GridInput, DownOnTheLastRowAppendsOnce)
{
    GridFixture f(3);
    f.grid->SetOptions(f.grid->Options() + TdxDBGridOptions{egoCanAppend});   // off by default
    f.grid->SetFocusedNode(f.grid->GetItem(2));
    Press(f.grid, VK_DOWN);
    EXPECT_EQ(f.ds->State(), dsInsert);
    Press(f.grid, VK_DOWN);   // the new record is unchanged: no second one
    EXPECT_EQ(f.ds->State(), dsInsert);
    EXPECT_EQ(f.Rows(), (std::vector<std::string>{"1", "2", "3", ""}));
    f.ds->Cancel();
    EXPECT_EQ(f.ds->RecordCount(), 3);
    EXPECT_EQ(f.Rows(), (std::vector<std::string>{"1", "2", "3"}));

    f.grid->SetOptions(f.grid->Options() - TdxDBGridOptions{egoCanAppend});
    f.grid->SetFocusedNode(f.grid->GetItem(2));
    Press(f.grid, VK_DOWN);
    EXPECT_EQ(f.ds->State(), dsBrowse);
}

TEST(GridInput, UserKeyHandlerRunsOnceAndSurvivesAnException)
{
    GridFixture f(3);
    int calls = 0;
    f.grid->OnKeyDown = [&](TObject*, std::uint16_t& Key, TShiftState) {
        ++calls;
        if (Key == VK_F2)
            throw EAbort("stop");
    };
    Press(f.grid, VK_UP);
    EXPECT_EQ(calls, 1);
    EXPECT_THROW(Press(f.grid, VK_F2), EAbort);
    ASSERT_TRUE(static_cast<bool>(f.grid->OnKeyDown));
    Press(f.grid, VK_UP);
    EXPECT_EQ(calls, 3);
}

// A new record left unchanged is cancelled when the user moves on, and the
// grid then shows exactly the dataset's records.
TEST(GridInput, AnAbandonedNewRecordLeavesNoRow)
{
    const std::vector<std::string> five{"1", "2", "3", "4", "5"};
    auto click = [](GridFixture& F, TdxTreeListNode* Row) {
        const TRect r = F.grid->GetCellRect(Row, 1);
        F.grid->MouseDown(mbLeft, {}, r.Left + 2, r.Top + 2);
        F.grid->MouseUp(mbLeft, {}, r.Left + 2, r.Top + 2);
    };
    // Back in browse, the grid's rows those of the dataset, focus and cursor on Key.
    auto expectLeftFor = [](GridFixture& F, const std::vector<std::string>& Rows, int Key) {
        EXPECT_EQ(F.ds->State(), dsBrowse);
        EXPECT_EQ(F.Rows(), Rows);
        EXPECT_EQ(F.FocusedKey(), Key);
        EXPECT_EQ(F.CurrentKey(), Key);
    };
    {
        SCOPED_TRACE("insert, then Down");
        GridFixture f(5);
        f.grid->SetFocusedNode(f.grid->GetItem(2));
        Press(f.grid, VK_INSERT);
        ASSERT_EQ(f.Rows(), (std::vector<std::string>{"1", "2", "", "3", "4", "5"}));
        f.grid->HideEditor();
        Press(f.grid, VK_DOWN);
        expectLeftFor(f, five, 3);
    }
    {
        SCOPED_TRACE("append, then Up");
        GridFixture f(5);
        f.grid->SetOptions(f.grid->Options() + TdxDBGridOptions{egoCanAppend});
        f.grid->SetFocusedNode(f.grid->GetItem(4));
        Press(f.grid, VK_DOWN);
        ASSERT_EQ(f.Rows().size(), 6u);
        Press(f.grid, VK_UP);
        expectLeftFor(f, five, 5);   // the last row
    }
    {
        SCOPED_TRACE("insert, then a click on another row");
        GridFixture f(5);
        f.grid->SetFocusedNode(f.grid->GetItem(3));
        Press(f.grid, VK_INSERT);
        f.grid->HideEditor();
        click(f, f.grid->GetItem(0));
        expectLeftFor(f, five, 1);
    }
    {
        SCOPED_TRACE("grouped, insert, then Down");
        GridFixture f(5);
        f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
        f.grid->FullExpand();
        const std::vector<std::string> grouped = f.Rows();
        f.grid->SetFocusedNode(f.grid->FindNodeByKey(Variant(4)));
        Press(f.grid, VK_INSERT);
        ASSERT_EQ(f.Rows().size(), grouped.size() + 1);
        f.grid->HideEditor();
        Press(f.grid, VK_DOWN);
        EXPECT_EQ(f.ds->RecordCount(), 5);   // the group value the grid gave it is no change of the user's
        expectLeftFor(f, grouped, f.FocusedKey());
    }
    {
        SCOPED_TRACE("a record window, insert, then Down");
        GridFixture f(30, false);
        f.grid->SetPartialLoad(true);
        f.grid->SetFocusedNode(f.grid->GetItem(10));
        Press(f.grid, VK_INSERT);
        ASSERT_EQ(f.Rows().size(), 31u);
        f.grid->HideEditor();
        Press(f.grid, VK_DOWN);
        EXPECT_EQ(f.ds->State(), dsBrowse);
        EXPECT_EQ(f.Rows().size(), 30u);
        EXPECT_EQ(f.FocusedKey(), 11);
        EXPECT_EQ(f.CurrentKey(), 11);
        // The focused row is a record: deleting it takes that record.
        Answer ok(mrOk);
        Press(f.grid, VK_DELETE, TShiftState{ssCtrl});
        EXPECT_EQ(f.ds->RecordCount(), 29);
        EXPECT_FALSE(f.ds->Locate("NUMBER", 11, {}));
    }
}

// egoSeekDetail: a group row the user moves onto or clicks hands the focus
// to its first record row; from inside the group, Up passes the group row.
TEST(GridInput, SeekDetailFocusesAGroupsFirstRecord)
{
    GridFixture f(10);
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);   // (null) 2 7, East 5 10, North 1 4 6 9, South 3 8
    f.grid->SetOptions(f.grid->Options() + TdxDBGridOptions{egoSeekDetail});
    f.grid->FullCollapse();
    f.grid->SetFocusedNode(f.grid->GetItem(3));   // South, collapsed
    EXPECT_EQ(f.FocusedKey(), 3);
    EXPECT_FALSE(f.grid->IsGroupRow(f.grid->GetFocusedNode()));
    EXPECT_EQ(f.CurrentKey(), 3);
    Press(f.grid, VK_UP);   // onto its own group row
    EXPECT_TRUE(f.grid->IsGroupRow(f.grid->GetFocusedNode()));
    Press(f.grid, VK_UP);   // North, from outside: its first record
    EXPECT_EQ(f.FocusedKey(), 1);
    EXPECT_FALSE(f.grid->IsGroupRow(f.grid->GetFocusedNode()));
    EXPECT_EQ(f.CurrentKey(), 1);

    // Without the option a group row keeps the focus it is given.
    f.grid->SetOptions(f.grid->Options() - TdxDBGridOptions{egoSeekDetail});
    f.grid->SetFocusedNode(f.grid->GetItem(3));
    EXPECT_TRUE(f.grid->IsGroupRow(f.grid->GetFocusedNode()));
}

// egoDblClick: a second click on the focused cell waits for a double click;
// without it, the cell is edited at once.
TEST(GridInput, DoubleClicksAreWaitedForOnlyWithTheOption)
{
    TManualClockScope clock;
    GridFixture f(5);
    f.grid->SetOptionsBehavior(f.grid->OptionsBehavior() - TdxDBGridOptionsBehavior{edgoImmediateEditor});
    TdxTreeListNode* row = f.grid->GetItem(1);
    const TRect cell = f.grid->GetCellRect(row, 1);
    auto click = [&] {
        f.grid->MouseDown(mbLeft, {}, cell.Left + 3, cell.Top + 3);
        f.grid->MouseUp(mbLeft, {}, cell.Left + 3, cell.Top + 3);
    };
    click();
    click();
    EXPECT_TRUE(f.grid->IsEditing());
    f.grid->HideEditor();

    f.grid->SetOptionsEx(f.grid->OptionsEx() + TdxDBGridOptionsEx{egoDblClick});
    click();
    EXPECT_FALSE(f.grid->IsEditing());
    EXPECT_TRUE(f.grid->ClickTimerActive());
    clock.Advance(GetDoubleClickTime() + 1);
    EXPECT_TRUE(f.grid->IsEditing());
}
