// The grid's key table and the deletion of records: confirmation, group
// rows, selections with stale bookmarks and pending edits, appending.
#include "dbgrid/DBGrid.h"

#include "GridTestSupport.h"
#include "platform/controls/Dialogs.h"
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
    f.ds->Cancel();
    EXPECT_EQ(f.ds->RecordCount(), 3);

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
