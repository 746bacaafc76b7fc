// Partial-load windows (growth while scrolling, widening to the selection and
// its anchor) and the focused-row change notification.
#include "GridTestSupport.h"
#include "TestSupport.h"

#include "editors/CheckEdit.h"
#include "platform/controls/Controls.h"
#include "platform/controls/Keyboard.h"
#include "platform/data/DataSet.h"

#include <gtest/gtest.h>

namespace qel::test {

namespace {

struct WindowFixture : GridFixture {
    explicit WindowFixture(int Rows = 1000) : GridFixture(Rows, false)
    {
        grid->SetPartialLoadBufferCount(100);
        grid->SetPartialLoad(true);
    }
    TdxDBGridNode* NodeOf(int Key) const { return grid->FindNodeByKey(Variant(Key)); }
    TBookmark BookmarkOf(int Key) const
    {
        TDisableControlsGuard quiet(ds);
        const TBookmark current = ds->GetBookmark();
        EXPECT_TRUE(ds->Locate("NUMBER", Key, {}));
        TBookmark b = ds->GetBookmark();
        ds->GotoBookmark(current);
        return b;
    }
    int FirstKey() const { return Node(grid->GetItem(0))->Key().AsInteger(); }
    int LastKey() const { return Node(grid->GetItem(grid->GetCount() - 1))->Key().AsInteger(); }
};

} // namespace

TEST(DBGridWindow, RecordNumbersAndKeysRunWithTheDatasetAcrossGrowth)
{
    WindowFixture f;
    ASSERT_TRUE(f.grid->IsPartialLoadMode());
    // Every held row is its record: consecutive keys, numbers counted from the window start.
    auto checkRun = [&] {
        for (int i = 1; i < f.grid->GetCount(); ++i) {
            auto* a = f.Node(f.grid->GetItem(i - 1));
            auto* b = f.Node(f.grid->GetItem(i));
            ASSERT_EQ(b->Key().AsInteger(), a->Key().AsInteger() + 1) << i;
            ASSERT_EQ(b->RecordNumber, a->RecordNumber + 1) << i;
        }
    };
    checkRun();
    f.ds->Locate("NUMBER", 500, {});
    checkRun();
    const int first = f.FirstKey();
    ASSERT_GT(first, 1);
    // Focusing the first row puts the records before it on top, and the
    // focused record stays the current one.
    f.grid->SetFocusedNode(f.grid->GetItem(0));
    EXPECT_LT(f.FirstKey(), first);
    EXPECT_EQ(f.FocusedKey(), first);
    EXPECT_EQ(f.CurrentKey(), first);
    checkRun();
}

TEST(DBGridWindow, ScrollBarScrollingLoadsMoreAndKeepsTheRowsOnScreen)
{
    WindowFixture f;
    const int held = f.grid->GetCount();
    ASSERT_FALSE(f.grid->WindowEndLoaded());
    // Scrolling down near the window's end appends records.
    f.grid->ScrollBarAction(sbVertical, scPosition, held - 10);
    EXPECT_GT(f.grid->GetCount(), held);
    EXPECT_EQ(f.CurrentKey(), 1);   // scrolling alone does not move the dataset

    // Scrolling up near the start of a window far down prepends records; the
    // row at the top stays the same record.
    f.ds->Locate("NUMBER", 700, {});
    ASSERT_FALSE(f.grid->WindowStartLoaded());
    f.grid->SetTopIndex(10);
    const int topKey = f.Node(f.grid->GetAbsoluteNode(f.grid->GetTopIndex()))->Key().AsInteger();
    const int before = f.grid->GetCount();
    f.grid->ScrollBarAction(sbVertical, scLineUp);
    EXPECT_GT(f.grid->GetCount(), before);
    EXPECT_EQ(f.Node(f.grid->GetAbsoluteNode(f.grid->GetTopIndex()))->Key().AsInteger(), topKey - 1);
    EXPECT_EQ(f.FocusedKey(), 700);
}

TEST(DBGridWindow, TheWindowWidensToHoldTheSelectedRecords)
{
    WindowFixture f;
    f.grid->AddSelectedBookmark(f.BookmarkOf(600));
    f.grid->AddSelectedBookmark(f.BookmarkOf(10));
    // A jump to 300 reloads the window; it now runs from the lowest selected
    // record to half a window past the highest.
    f.ds->Locate("NUMBER", 300, {});
    EXPECT_EQ(f.FocusedKey(), 300);
    EXPECT_EQ(f.FirstKey(), 10);
    EXPECT_EQ(f.LastKey(), 650);
    EXPECT_FALSE(f.grid->WindowStartLoaded());
    ASSERT_NE(f.NodeOf(10), nullptr);
    ASSERT_NE(f.NodeOf(600), nullptr);
    EXPECT_TRUE(f.NodeOf(10)->Selected());
    EXPECT_TRUE(f.NodeOf(600)->Selected());
    EXPECT_FALSE(f.NodeOf(300)->Selected());

    // A deleted selected record no longer widens anything.
    {
        TDisableControlsGuard quiet(f.ds);
        f.ds->Locate("NUMBER", 600, {});
        f.ds->Delete();
        f.ds->Locate("NUMBER", 300, {});
    }
    f.grid->LoadRecordWindow(TdxRecordWindow::Around);
    EXPECT_EQ(f.FirstKey(), 10);
    EXPECT_LT(f.LastKey(), 400);
    EXPECT_EQ(f.grid->SelectedBookmarkCount(), 1);
}

TEST(DBGridWindow, TheKeptAnchorWidensTheWindowAndStaysTheAnchor)
{
    WindowFixture f;
    f.grid->SetOptions(f.grid->Options() + TdxDBGridOptions{egoMultiSelect});
    f.ds->Locate("NUMBER", 50, {});
    // Ctrl+Space twice: the row is the anchor without being selected.
    for (int i = 0; i < 2; ++i) {
        std::uint16_t key = VK_SPACE;
        f.grid->KeyDown(key, {ssCtrl});
    }
    ASSERT_NE(f.grid->SelectionAnchor(), nullptr);
    ASSERT_EQ(f.Node(f.grid->SelectionAnchor())->Key().AsInteger(), 50);
    ASSERT_EQ(f.grid->SelectedBookmarkCount(), 0);

    TDisableControlsGuard quiet(f.ds);
    f.ds->Locate("NUMBER", 700, {});
    f.grid->LoadRecordWindow(TdxRecordWindow::Around, TdxWindowPlacement::Keep, true);
    EXPECT_EQ(f.FocusedKey(), 700);
    EXPECT_EQ(f.FirstKey(), 50);
    EXPECT_EQ(f.LastKey(), 750);
    ASSERT_NE(f.grid->SelectionAnchor(), nullptr);
    EXPECT_EQ(f.Node(f.grid->SelectionAnchor())->Key().AsInteger(), 50);

    // Without the flag the anchor is gone and the window is the plain one.
    f.grid->LoadRecordWindow(TdxRecordWindow::Around, TdxWindowPlacement::Keep, false);
    EXPECT_EQ(f.grid->SelectionAnchor(), nullptr);
    EXPECT_GT(f.FirstKey(), 600);
}

TEST(DBGridWindow, ChangeNodeExFiresWhenTheFocusedRowsSignatureChanges)
{
    GridFixture f(10);
    f.grid->SetOptions(f.grid->Options() + TdxDBGridOptions{egoMultiSelect});
    int fired = 0;
    f.grid->OnChangeNodeEx = [&](TObject* Sender) {
        EXPECT_EQ(Sender, f.grid);
        ++fired;
    };
    // A change of the current record's data that leaves the row as it was.
    f.ds->Edit();
    f.ds->FieldByName("TITLE")->SetAsString("Door one");
    f.ds->Post();
    f.grid->CheckChangeNodeEx();
    const int afterPost = fired;
    f.grid->CheckChangeNodeEx();
    EXPECT_EQ(fired, afterPost);   // nothing changed since

    // Selecting the focused row changes its signature.
    f.grid->SelectNode(f.grid->GetFocusedNode(), true);
    EXPECT_EQ(fired, afterPost + 1);
    f.grid->SelectNode(f.grid->GetFocusedNode(), true);
    EXPECT_EQ(fired, afterPost + 1);

    // Another row: once per move.
    f.ds->Next();
    EXPECT_EQ(f.FocusedKey(), 2);
    const int afterMove = fired;
    EXPECT_GT(afterMove, afterPost + 1);
    f.grid->CheckChangeNodeEx();
    EXPECT_EQ(fired, afterMove);

    // Grouping changes the level of the focused row.
    f.ds->First();
    const int beforeGroup = fired;
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    f.grid->CheckChangeNodeEx();
    EXPECT_GT(fired, beforeGroup);

    // Closing the dataset gives the "no row" signature once.
    f.ds->Close();
    const int closed = fired;
    f.grid->CheckChangeNodeEx();
    EXPECT_EQ(fired, closed);
}

TEST(DBGridWindow, EditingInsertingAndDeletingInsideAWindow)
{
    WindowFixture f;
    f.ds->Locate("NUMBER", 500, {});
    // An edited record shows its new text and keeps the focus.
    f.ds->Edit();
    f.ds->FieldByName("TITLE")->SetAsString("Main gate");
    f.ds->Post();
    EXPECT_EQ(f.FocusedKey(), 500);
    ASSERT_NE(f.NodeOf(500), nullptr);
    EXPECT_EQ(f.NodeOf(500)->GetString(1), "Main gate");

    // The insert row appears at the cursor and becomes the record once posted.
    f.ds->Insert();
    ASSERT_NE(f.grid->InsertNode(), nullptr);
    EXPECT_EQ(f.grid->GetFocusedNode(), f.grid->InsertNode());
    f.ds->FieldByName("NUMBER")->SetAsInteger(5000);
    f.ds->FieldByName("TITLE")->SetAsString("New door");
    f.ds->Post();
    EXPECT_EQ(f.grid->InsertNode(), nullptr);
    EXPECT_EQ(f.FocusedKey(), 5000);
    ASSERT_NE(f.NodeOf(5000), nullptr);
    EXPECT_EQ(f.NodeOf(5000)->GetString(1), "New door");
    EXPECT_EQ(f.CurrentKey(), 5000);

    // Appending puts the record after the last one, in a window that holds the end.
    f.ds->Append();
    f.ds->FieldByName("NUMBER")->SetAsInteger(5001);
    f.ds->Post();
    EXPECT_EQ(f.FocusedKey(), 5001);
    EXPECT_TRUE(f.grid->WindowEndLoaded());
    EXPECT_EQ(f.LastKey(), 5001);

    // Deleting through the grid takes exactly the focused row's record.
    f.ds->Locate("NUMBER", 600, {});
    f.grid->DeleteFocusedRecord();
    EXPECT_EQ(f.ds->RecordCount(), 1001);
    EXPECT_FALSE(f.ds->Locate("NUMBER", 600, {}));
    EXPECT_TRUE(f.ds->Locate("NUMBER", 601, {}));
    EXPECT_EQ(f.FocusedKey(), 601);
    EXPECT_EQ(f.NodeOf(600), nullptr);
}

TEST(DBGridWindow, ReloadAndFilteringKeepTheFocusOnTheCurrentRecord)
{
    WindowFixture f;
    f.ds->Locate("NUMBER", 420, {});
    f.grid->ReloadNodes();
    EXPECT_EQ(f.FocusedKey(), 420);
    ASSERT_NE(f.NodeOf(419), nullptr);
    ASSERT_NE(f.NodeOf(421), nullptr);

    // Only even numbers pass: the window holds only records that pass.
    f.ds->OnFilterRecord = [](TDataSet* D, bool& Accept) { Accept = D->FieldByName("NUMBER")->AsInteger() % 2 == 0; };
    f.ds->SetFiltered(true);
    EXPECT_EQ(f.FocusedKey(), f.CurrentKey());
    f.ds->Locate("NUMBER", 420, {});
    EXPECT_EQ(f.FocusedKey(), 420);
    EXPECT_EQ(f.NodeOf(419), nullptr);
    EXPECT_NE(f.NodeOf(418), nullptr);
    for (int i = 0; i < f.grid->GetCount(); ++i)
        ASSERT_EQ(f.Node(f.grid->GetItem(i))->Key().AsInteger() % 2, 0);
}

TEST(DBGridWindow, TheHoldingModeIsChosenAnewAtEveryLoad)
{
    WindowFixture f;
    f.ds->Locate("NUMBER", 300, {});
    ASSERT_LT(f.grid->GetCount(), 1000);
    // Grouping needs every record.
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    EXPECT_TRUE(f.grid->IsAllRecordsMode());
    EXPECT_FALSE(f.grid->IsPartialLoadMode());
    EXPECT_EQ(f.grid->GetCount(), 4);   // Null, East, North, South
    EXPECT_EQ(f.CurrentKey(), 300);
    EXPECT_EQ(f.grid->GetFocusedNode(), f.grid->GetItem(1));   // 300 is in the collapsed "East"
    // Without groups the window comes back around the current record.
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(-1);
    EXPECT_TRUE(f.grid->IsPartialLoadMode());
    EXPECT_LT(f.grid->GetCount(), 1000);
    EXPECT_EQ(f.FocusedKey(), 300);
    // Both load options: load-all wins in OptionsDB.
    f.grid->SetOptionsDB(f.grid->OptionsDB() + TdxDBGridOptionsDB{edgoLoadAllRecords, edgoPartialLoad});
    EXPECT_TRUE(f.grid->OptionsDB().Contains(edgoLoadAllRecords));
    EXPECT_FALSE(f.grid->OptionsDB().Contains(edgoPartialLoad));
    EXPECT_EQ(f.grid->GetCount(), 1000);
    EXPECT_EQ(f.FocusedKey(), 300);
    // Neither: the dataset's own buffer.
    f.grid->SetOptionsDB(f.grid->OptionsDB() - TdxDBGridOptionsDB{edgoLoadAllRecords});
    EXPECT_TRUE(f.grid->IsBufferMode());
    EXPECT_EQ(f.FocusedKey(), 300);
}

TEST(DBGridWindow, ACheckBoxToggledInAWindowIsPostedWhenTheFocusMovesOn)
{
    WindowFixture f;
    f.ds->Locate("NUMBER", 500, {});   // even: True
    auto* active = f.grid->ColumnByFieldName("ACTIVE");
    f.grid->SetFocusedColumn(active->Index());
    f.grid->ShowEditor();
    auto* check = dynamic_cast<TdxInplaceCheckEdit*>(HostedEdit(f.grid->Editor()));
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->State(), cbChecked);
    check->Toggle();
    f.grid->HideEditor();
    ASSERT_EQ(f.ds->State(), dsEdit);
    // Another row: the dataset leaves the record and posts it.
    f.grid->SetFocusedNode(f.NodeOf(501));
    EXPECT_EQ(f.ds->State(), dsBrowse);
    EXPECT_EQ(f.CurrentKey(), 501);
    EXPECT_EQ(f.NodeOf(500)->GetString(active->Index()), "False");
    EXPECT_EQ(f.NodeOf(501)->GetString(active->Index()), "False");
    f.ds->Locate("NUMBER", 500, {});
    EXPECT_FALSE(f.ds->FieldByName("ACTIVE")->AsBoolean());
    f.ds->Locate("NUMBER", 502, {});
    EXPECT_TRUE(f.ds->FieldByName("ACTIVE")->AsBoolean());
}

} // namespace qel::test
