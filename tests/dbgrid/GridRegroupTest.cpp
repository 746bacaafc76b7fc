// Regrouping with egoSmartReload: the loaded rows are regrouped from their
// own values, the dataset is not walked, and the result is what a walk gives.
#include "dbgrid/DBGrid.h"

#include "SummaryGridTestSupport.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

using RegroupFixture = SummaryGridFixture;

TEST(GridRegroup, LeavesTheDatasetAndItsPendingEditAlone)
{
    RegroupFixture f(true);
    f.Load();
    f.ds->Locate("NUMBER", 7, {});
    f.ds->Edit();
    f.ds->FieldByName("TITLE")->SetAsString("Pending");
    f.scrolls = 0;
    const std::uint64_t row2 = f.RowId(2);

    f.area->SetGroupIndex(0);
    EXPECT_EQ(f.grid->GetCount(), 4);   // Null, East, North, South
    f.active->SetGroupIndex(1);
    f.area->SetGroupIndex(-1);
    EXPECT_EQ(f.grid->GroupColumnCount(), 1);
    EXPECT_EQ(f.grid->GetCount(), 2);   // False, True

    EXPECT_EQ(f.scrolls, 0);
    EXPECT_EQ(f.posts, 0);
    EXPECT_EQ(f.cancels, 0);
    EXPECT_EQ(f.ds->State(), dsEdit);
    EXPECT_EQ(f.ds->FieldByName("TITLE")->AsString(), "Pending");
    EXPECT_EQ(f.Current(), 7);
    // The edited record's row shows what was typed.
    EXPECT_EQ(f.grid->FindNodeByKey(7)->GetString(1), "Pending");
    EXPECT_EQ(f.RecordRows(), 12);
    // The same rows, and a row nobody looked at is still unread.
    EXPECT_EQ(f.RowId(2), row2);
    EXPECT_TRUE(f.grid->FindNodeByKey(2)->ValuesPending());

    // Without the option the regrouping loads the rows anew (and posts the edit first).
    RegroupFixture walked(false);
    walked.Load();
    const std::uint64_t before = walked.RowId(2);
    walked.area->SetGroupIndex(0);
    EXPECT_NE(walked.RowId(2), before);
}

TEST(GridRegroup, GivesTheGroupRowsSummariesAndFootersOfAWalk)
{
    RegroupFixture smart(true), walked(false);
    for (RegroupFixture* f : {&smart, &walked}) {
        f->AddSummaries();
        f->title->SetSorted(csDown);
        f->Load();
    }
    auto step = [&](TdxDBTreeListColumn* RegroupFixture::*Column, int Index) {
        const std::uint64_t row = smart.RowId(5);
        (smart.*Column)->SetGroupIndex(Index);
        (walked.*Column)->SetGroupIndex(Index);
        EXPECT_EQ(smart.Tree(), walked.Tree());
        EXPECT_EQ(smart.RowId(5), row);   // regrouped, not loaded anew
    };
    step(&RegroupFixture::area, 0);
    // North: 1, 4, 6, 9, 11 with one Null amount.
    const std::string north = smart.grid->GetGroupRowText(smart.grid->GetItem(2));
    EXPECT_NE(north.find("AREA : North (SUM=9,75) "), std::string::npos) << north;
    EXPECT_NE(north.find("(MIN=-4,75), (MAX=7,75), (COUNT=5)"), std::string::npos) << north;
    step(&RegroupFixture::active, 1);
    step(&RegroupFixture::area, -1);
    step(&RegroupFixture::area, 0);   // ahead of ACTIVE
    // Group rows ordered by their summary, and a descending group column.
    for (RegroupFixture* f : {&smart, &walked}) {
        f->active->SetSortBySummary(true);
        f->area->SetSorted(csUp);
    }
    walked.grid->ReloadNodes();
    smart.grid->ReloadNodes();
    step(&RegroupFixture::title, 2);
    step(&RegroupFixture::active, -1);
    step(&RegroupFixture::area, -1);
    step(&RegroupFixture::title, -1);
    EXPECT_EQ(smart.grid->GetCount(), 12);
}

TEST(GridRegroup, UngroupingGivesAFlatListKeepingSelectionAndFocus)
{
    RegroupFixture f(true);
    f.grid->SetOptions(f.grid->Options() + TdxDBGridOptions{egoMultiSelect});
    f.area->SetGroupIndex(0);
    f.Load();
    for (int key : {3, 8}) {
        f.ds->Locate("NUMBER", key, {});
        f.grid->AddSelectedBookmark(f.ds->GetBookmark());
    }
    f.ds->Locate("NUMBER", 6, {});
    f.grid->GetItem(2)->SetExpanded(true);   // North: 1, 4, 6, 9
    f.grid->SyncFocusToRecord();
    ASSERT_EQ(f.grid->GetFocusedNode(), f.grid->FindNodeByKey(6));
    f.scrolls = 0;

    f.area->SetGroupIndex(-1);
    ASSERT_EQ(f.grid->GetCount(), 12);
    for (int i = 0; i < 12; ++i) {
        TdxDBGridNode* n = f.Node(f.grid->GetItem(i));
        EXPECT_EQ(n->Key().AsInteger(), i + 1);
        EXPECT_TRUE(n->GroupValue().IsNull());
        EXPECT_EQ(n->Selected(), i + 1 == 3 || i + 1 == 8) << i;
    }
    EXPECT_EQ(f.grid->SelectedCount(), 2);
    EXPECT_EQ(f.grid->GetFocusedNode(), f.grid->FindNodeByKey(6));
    EXPECT_EQ(f.Current(), 6);
    EXPECT_EQ(f.scrolls, 0);
}

// With the regrouping from the rows' values and with a record walk alike.
TEST(GridRegroup, FocusFollowsTheRecordAndGroupsThatStayKeepTheirExpandedState)
{
  for (bool smart : {true, false}) {
    SCOPED_TRACE(smart ? "smart reload" : "record walk");
    RegroupFixture f(smart);
    f.area->SetGroupIndex(0);
    f.Load();
    f.grid->GetItem(2)->SetExpanded(true);   // North
    f.grid->GetItem(3)->SetExpanded(true);   // South
    f.ds->Locate("NUMBER", 6, {});
    ASSERT_EQ(f.grid->GetFocusedNode(), f.grid->FindNodeByKey(6));

    // Adding a level: North and South stay open, their new sub-groups are
    // shut, and the focus goes to the row that now stands for record 6.
    f.active->SetGroupIndex(1);
    TdxTreeListNode* north = f.grid->GetItem(2);
    EXPECT_EQ(f.Node(north)->GroupValue().AsString(), "North");
    EXPECT_TRUE(north->Expanded());
    EXPECT_TRUE(f.grid->GetItem(3)->Expanded());
    EXPECT_FALSE(f.grid->GetItem(1)->Expanded());
    EXPECT_FALSE(north->GetItem(1)->Expanded());
    TdxTreeListNode* six = f.grid->FindNodeByKey(6);
    EXPECT_EQ(f.grid->GetFocusedNode(), six->Parent());
    six->MakeVisible();
    f.grid->SyncFocusToRecord();
    EXPECT_EQ(f.grid->GetFocusedNode(), six);

    // A new first level: every group row is new, so every one is shut.
    f.title->SetGroupIndex(0);
    for (int i = 0; i < f.grid->GetCount(); ++i)
        EXPECT_FALSE(f.grid->GetItem(i)->Expanded());
    EXPECT_EQ(f.grid->GetFocusedNode(), f.grid->FindNodeByKey(6)->Parent()->Parent()->Parent());
    EXPECT_EQ(f.Current(), 6);

    // Without the first level the area groups are new again; opened, they
    // stay open when the last level goes.
    f.title->SetGroupIndex(-1);
    f.grid->GetItem(2)->SetExpanded(true);   // North
    f.active->SetGroupIndex(-1);
    EXPECT_EQ(f.Node(f.grid->GetItem(2))->GroupValue().AsString(), "North");
    EXPECT_TRUE(f.grid->GetItem(2)->Expanded());
    EXPECT_FALSE(f.grid->GetItem(3)->Expanded());
  }
}

TEST(GridRegroup, RowsHiddenByTheFilterStayHiddenAndPassingRowsAreRegrouped)
{
    RegroupFixture smart(true), walked(false);
    for (RegroupFixture* f : {&smart, &walked}) {
        f->AddSummaries();
        f->Load();
        f->FilterTo(f->area, "North");
    }
    ASSERT_EQ(smart.grid->GetCount(), 5);   // 1, 4, 6, 9, 11
    ASSERT_EQ(smart.grid->HiddenNodeCount(), 7);
    smart.scrolls = 0;

    smart.active->SetGroupIndex(0);
    walked.active->SetGroupIndex(0);
    EXPECT_EQ(smart.Tree(), walked.Tree());
    EXPECT_EQ(smart.grid->HiddenNodeCount(), 7);
    EXPECT_EQ(smart.RecordRows(), 5);
    EXPECT_EQ(smart.grid->LoadedRecordCount(), 5);
    // A second level regroups the passing rows only; the hidden ones wait.
    smart.area->SetGroupIndex(0);
    walked.area->SetGroupIndex(0);
    EXPECT_EQ(smart.Tree(), walked.Tree());
    EXPECT_EQ(smart.grid->GetCount(), 1);
    EXPECT_EQ(smart.scrolls, 0);

    // The hidden rows come back under the group rows when the filter goes.
    smart.grid->Filter()->SetActive(false);
    smart.grid->ClearFilter();
    smart.grid->ApplyFilter();
    EXPECT_EQ(smart.RecordRows(), 12);
    EXPECT_EQ(smart.grid->HiddenNodeCount(), 0);
    EXPECT_EQ(smart.grid->GetCount(), 4);
}

TEST(GridRegroup, FooterCountAndAverageSurviveTheRegrouping)
{
    RegroupFixture f(true);
    f.AddSummaries();
    f.Load();
    const int numberCol = f.number->GetColumnIndex(), amountCol = f.amount->GetColumnIndex();
    ASSERT_EQ(f.grid->GetFooterCellText(numberCol), "12");
    const std::string average = f.grid->GetFooterCellText(amountCol);
    ASSERT_EQ(average, "AVG=1,50");   // nine amounts, the three Nulls left out

    // No record is walked, yet the count is still the records loaded and the
    // average is not divided a second time.
    f.area->SetGroupIndex(0);
    EXPECT_EQ(f.grid->LoadedRecordCount(), 12);
    EXPECT_EQ(f.grid->GetFooterCellText(numberCol), "12");
    EXPECT_EQ(f.grid->GetFooterCellText(amountCol), average);
    f.area->SetGroupIndex(-1);
    EXPECT_EQ(f.grid->GetFooterCellText(numberCol), "12");
    EXPECT_EQ(f.grid->GetFooterCellText(amountCol), average);

    // Under a filter the count is what passes.
    f.FilterTo(f.area, "South");   // 3, 8
    EXPECT_EQ(f.grid->GetFooterCellText(numberCol), "2");
    f.active->SetGroupIndex(0);
    EXPECT_EQ(f.grid->LoadedRecordCount(), 2);
    EXPECT_EQ(f.grid->GetFooterCellText(numberCol), "2");
}

TEST(GridRegroup, RowsThatDoNotHoldEveryRecordAreWalked)
{
    // Partial load holds a window of records: grouping needs them all.
    GridFixture window(300, false);
    window.grid->SetOptions(window.grid->Options() + TdxDBGridOptions{egoSmartReload});
    window.grid->SetPartialLoadBufferCount(20);
    window.grid->SetPartialLoad(true);
    ASSERT_LT(window.grid->GetCount(), 300);
    window.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    int records = 0;
    for (int i = 0; i < window.grid->GetCount(); ++i)
        records += window.grid->GetItem(i)->Count();
    EXPECT_EQ(records, 300);

    // A group value a read row holds only as text ("10" would sort before
    // "5"): a walk. Rows not read yet take the value from their record.
    RegroupFixture large(true);
    large.Load();
    std::uint64_t row = large.RowId(7);
    EXPECT_EQ(large.grid->FindNodeByKey(4)->GetString(large.serial->GetColumnIndex()), "5");
    large.serial->SetGroupIndex(0);
    EXPECT_NE(large.RowId(7), row);
    ASSERT_EQ(large.grid->GetCount(), 3);
    EXPECT_EQ(large.Node(large.grid->GetItem(2))->GroupValue(), Variant(static_cast<std::int64_t>(10)));
    large.serial->SetGroupIndex(-1);
    row = large.RowId(7);
    large.serial->SetGroupIndex(0);
    EXPECT_EQ(large.RowId(7), row);
    ASSERT_EQ(large.grid->GetCount(), 3);
    EXPECT_EQ(large.Node(large.grid->GetItem(2))->GroupValue(), Variant(static_cast<std::int64_t>(10)));
    EXPECT_EQ(large.grid->GetItem(1)->Count(), 4);   // 1, 4, 7, 10

    // A column bound to another field since the load: its rows hold the old values.
    RegroupFixture f(true);
    f.Load();
    f.grid->FindNodeByKey(3)->GetString(0);   // read: it holds TITLE's text now
    f.grid->BeginUpdate();
    f.title->SetFieldName("AREA");
    f.grid->EndUpdate();
    row = f.RowId(7);
    f.title->SetGroupIndex(0);
    EXPECT_NE(f.RowId(7), row);
    ASSERT_EQ(f.grid->GetCount(), 4);
    EXPECT_EQ(f.Node(f.grid->GetItem(3))->GroupValue().AsString(), "South");

    // Rows cleared behind the grid's back are not regrouped into nothing.
    RegroupFixture cleared(true);
    cleared.Load();
    cleared.grid->ClearNodes();
    cleared.area->SetGroupIndex(0);
    EXPECT_EQ(cleared.RecordRows(), 12);
}

TEST(GridRegroup, AnInsertedRowIsPlacedButNeitherFilteredNorCounted)
{
    RegroupFixture f(true);
    f.number->SetSummaryFooterType(cstCount);
    f.area->SetGroupIndex(0);
    f.Load();
    f.FilterTo(f.title, "Door 3");   // South
    f.ds->Locate("NUMBER", 3, {});
    f.ds->Insert();   // its title is empty: the filter would hide it
    TdxDBGridNode* inserted = f.grid->InsertNode();
    ASSERT_NE(inserted, nullptr);

    f.active->SetGroupIndex(1);
    EXPECT_EQ(f.ds->State(), dsInsert);
    ASSERT_EQ(f.grid->InsertNode(), inserted);
    ASSERT_NE(inserted->Parent(), nullptr);
    EXPECT_EQ(f.Node(inserted->Parent()->Parent())->GroupValue().AsString(), "South");
    EXPECT_EQ(f.grid->LoadedRecordCount(), 1);
    EXPECT_EQ(f.grid->GetFooterCellText(f.number->GetColumnIndex()), "1");
    EXPECT_EQ(f.RecordRows(), 2);
    f.ds->Cancel();
    EXPECT_EQ(f.RecordRows(), 1);
}

TEST(GridRegroup, AFailingHandlerLosesNoRow)
{
    RegroupFixture f(true);
    f.Load();
    bool fail = true;
    f.grid->OnRefreshNodeData = [&](TObject*, TdxTreeListNode*) {
        if (fail)
            throw Exception("refused");
    };
    EXPECT_THROW(f.area->SetGroupIndex(0), Exception);
    EXPECT_FALSE(f.grid->IsLoading());
    EXPECT_EQ(f.RecordRows() + f.grid->HiddenNodeCount(), 12);
    // The next load walks the dataset and shows every record again.
    fail = false;
    f.grid->ReloadNodes();
    EXPECT_EQ(f.RecordRows(), 12);
    EXPECT_EQ(f.grid->HiddenNodeCount(), 0);
}

// Group rows keep their value and summaries in a block of their own; a
// record row has neither, whichever groupings it went through.
TEST(GridRegroup, OnlyGroupRowsHoldAValueAndSummaries)
{
    RegroupFixture f(true);
    f.AddSummaries();
    f.Load();
    auto check = [&](int Levels) {
        int groups = 0;
        for (TdxTreeListNode* n = f.grid->GetItem(0); n; n = n->GetNext()) {
            TdxDBGridNode* row = f.Node(n);
            if (n->Level() < Levels) {
                ++groups;
                EXPECT_NE(row->Summary(), nullptr) << row->GroupValue().AsString();
                continue;
            }
            EXPECT_TRUE(row->GroupValue().IsNull());
            EXPECT_EQ(row->Summary(), nullptr);
        }
        return groups;
    };
    f.area->SetGroupIndex(0);
    // North, South, East and the records without an area.
    EXPECT_EQ(check(1), 4);
    EXPECT_TRUE(f.Node(f.grid->GetItem(0))->GroupValue().IsNull());
    EXPECT_NE(f.Node(f.grid->GetItem(0))->Summary(), nullptr);
    f.active->SetGroupIndex(0);
    EXPECT_FALSE(f.Node(f.grid->GetItem(0))->GroupValue().IsNull());
    check(2);
    f.FilterTo(f.area, "North");
    check(2);
    f.area->SetGroupIndex(-1);
    check(1);
    f.active->SetGroupIndex(-1);
    EXPECT_EQ(check(0), 0);
}
