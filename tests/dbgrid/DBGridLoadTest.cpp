// Loading records into nodes in the three holding modes, grouping, and the
// grid following the dataset cursor.
#include "GridTestSupport.h"

#include "platform/core/Exceptions.h"

#include <gtest/gtest.h>

namespace qel::test {

TEST(DBGridLoad, AllRecordsModeGivesOneRowPerRecordAndFollowsTheCursor)
{
    GridFixture f(10);
    EXPECT_TRUE(f.grid->IsAllRecordsMode());
    EXPECT_EQ(f.grid->GetCount(), 10);
    EXPECT_EQ(f.grid->LoadedRecordCount(), 10);
    EXPECT_EQ(f.grid->GetItem(3)->GetString(1), "Door 4");
    EXPECT_EQ(f.FocusedKey(), 1);
    // The dataset moves: the focus follows through the key index.
    f.ds->Locate("NUMBER", 7, {});
    EXPECT_EQ(f.FocusedKey(), 7);
    // The user focuses a row: the dataset follows.
    f.grid->SetFocusedNode(f.grid->GetItem(2));
    EXPECT_EQ(f.CurrentKey(), 3);
    EXPECT_EQ(f.grid->FindNodeByKey(5), f.grid->GetItem(4));
}

TEST(DBGridLoad, EmptyDatasetAndMissingKeyGiveNoRows)
{
    GridFixture empty(0);
    EXPECT_EQ(empty.grid->GetCount(), 0);

    GridFixture f(5);
    f.grid->SetKeyField("NOSUCHFIELD");   // with navigation a grid without key shows nothing
    EXPECT_EQ(f.grid->GetCount(), 0);
    EXPECT_NO_THROW(f.ds->Next());
}

TEST(DBGridLoad, GroupingFindsNonAdjacentValuesAndPutsNullFirst)
{
    GridFixture f(10);
    f.grid->ColumnByFieldName("area")->SetGroupIndex(0);
    ASSERT_EQ(f.grid->GroupColumnCount(), 1);
    // Null, East, North, South: one group row each, whatever the record order.
    ASSERT_EQ(f.grid->GetCount(), 4);
    EXPECT_TRUE(f.Node(f.grid->GetItem(0))->GroupValue().IsNull());
    EXPECT_EQ(f.Node(f.grid->GetItem(1))->GroupValue().AsString(), "East");
    TdxTreeListNode* north = f.grid->GetItem(2);
    EXPECT_EQ(f.Node(north)->GroupValue().AsString(), "North");
    EXPECT_EQ(north->Count(), 4);   // records 1, 4, 6, 9
    // A group row stands for its first record.
    EXPECT_EQ(f.Node(north)->Key().AsInteger(), 1);
    // Descending group column: Null comes last.
    f.grid->ColumnByFieldName("AREA")->SetSorted(csUp);
    f.grid->ReloadNodes();
    f.grid->ClearNodes();
    f.grid->LoadNodes();
    EXPECT_TRUE(f.Node(f.grid->GetItem(3))->GroupValue().IsNull());
    EXPECT_EQ(f.Node(f.grid->GetItem(0))->GroupValue().AsString(), "South");
}

TEST(DBGridLoad, GroupingByTwoColumnsAndUngrouping)
{
    GridFixture f(10);
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    f.grid->ColumnByFieldName("ACTIVE")->SetGroupIndex(1);
    EXPECT_EQ(f.grid->GroupColumnCount(), 2);
    TdxTreeListNode* north = f.grid->GetItem(2);
    EXPECT_EQ(north->Count(), 2);   // False (1, 9) and True (4, 6)
    EXPECT_EQ(north->GetItem(0)->Count(), 2);
    // The same field cannot group twice; a blob field never groups.
    EXPECT_FALSE(f.grid->CanGroupByColumn(f.grid->ColumnByFieldName("AREA")));
    f.grid->ClearGrouping();
    EXPECT_EQ(f.grid->GroupColumnCount(), 0);
    EXPECT_EQ(f.grid->GetCount(), 10);
    EXPECT_EQ(f.grid->ColumnByFieldName("AREA")->GroupIndex(), -1);
}

// Changes of the grouping inside BeginUpdateEx/EndUpdateEx, and removing
// the whole grouping, load the rows once.
TEST(DBGridLoad, TheGroupLockLoadsOnce)
{
    GridFixture f(10);
    int loads = 0;
    f.grid->OnClearNodeData = [&](TObject*) { ++loads; };
    TdxDBTreeListColumn* area = f.grid->ColumnByFieldName("AREA");
    TdxDBTreeListColumn* active = f.grid->ColumnByFieldName("ACTIVE");
    f.grid->BeginUpdateEx();
    f.grid->AddGroupColumn(0, area);
    f.grid->AddGroupColumn(1, active);
    EXPECT_EQ(loads, 0);
    f.grid->EndUpdateEx();
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(f.grid->GetCount(), 4);   // (null), East, North, South
    EXPECT_FALSE(f.grid->IsUpdating());
    // Nothing regrouped: the rows are reloaded once.
    f.grid->BeginUpdateEx();
    f.grid->EndUpdateEx();
    EXPECT_EQ(loads, 2);

    ASSERT_FALSE(area->Visible());
    ASSERT_NE(area->Sorted(), csNone);
    f.grid->ClearGrouping();
    EXPECT_EQ(loads, 3);
    for (TdxDBTreeListColumn* c : {area, active}) {
        EXPECT_TRUE(c->Visible());
        EXPECT_EQ(c->Sorted(), csNone);
        EXPECT_EQ(c->GroupIndex(), -1);
    }
    EXPECT_EQ(f.grid->GroupColumnCount(), 0);
    EXPECT_EQ(f.grid->GetCount(), 10);
    EXPECT_FALSE(f.grid->IsUpdating());
}

TEST(DBGridLoad, ReloadKeepsTheFocusedRecordAndExpandedGroups)
{
    GridFixture f(10);
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    TdxTreeListNode* north = f.grid->GetItem(2);
    north->SetExpanded(true);
    f.ds->Locate("NUMBER", 6, {});
    EXPECT_EQ(f.FocusedKey(), 6);
    // A change elsewhere reloads: group rows and the focused record survive.
    f.ds->Locate("NUMBER", 2, {});
    f.ds->Edit();
    f.ds->FieldByName("TITLE")->SetAsString("Gate");
    f.ds->Post();
    f.ds->Locate("NUMBER", 6, {});
    EXPECT_EQ(f.FocusedKey(), 6);
    EXPECT_TRUE(f.grid->GetItem(2)->Expanded());
    EXPECT_EQ(f.grid->FindNodeByKey(2)->GetString(1), "Gate");
}

TEST(DBGridLoad, ARecordInACollapsedGroupFocusesItsGroupRow)
{
    GridFixture f(10);
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    f.grid->FullCollapse();
    f.ds->Locate("NUMBER", 5, {});   // East
    EXPECT_EQ(f.grid->GetFocusedNode(), f.grid->GetItem(1));
}

TEST(DBGridLoad, PartialLoadHoldsAWindowAndGrowsWhileScrolling)
{
    GridFixture f(1000, false);
    f.grid->SetPartialLoadBufferCount(100);
    f.grid->SetPartialLoad(true);
    ASSERT_TRUE(f.grid->IsPartialLoadMode());
    EXPECT_LT(f.grid->GetCount(), 1000);
    EXPECT_TRUE(f.grid->WindowStartLoaded());
    EXPECT_FALSE(f.grid->WindowEndLoaded());
    const int first = f.grid->GetCount();
    // A jump far away reloads the window around the record.
    f.ds->Locate("NUMBER", 800, {});
    EXPECT_EQ(f.FocusedKey(), 800);
    EXPECT_FALSE(f.grid->WindowStartLoaded());
    EXPECT_LE(f.grid->GetCount(), 2 * first);
    // Focusing the last row appends the next records below.
    const int before = f.grid->GetCount();
    f.grid->SetFocusedNode(f.grid->GetItem(f.grid->GetCount() - 1));
    EXPECT_GT(f.grid->GetCount(), before);
    EXPECT_EQ(f.CurrentKey(), f.FocusedKey());
    // Scrolling to the end sets the end flag.
    f.ds->Last();
    EXPECT_EQ(f.FocusedKey(), 1000);
    EXPECT_TRUE(f.grid->WindowEndLoaded());

    GridFixture empty(0, false);
    empty.grid->SetPartialLoad(true);
    EXPECT_TRUE(empty.grid->WindowStartLoaded() && empty.grid->WindowEndLoaded());
}

TEST(DBGridLoad, BufferModeMirrorsTheLinkBuffer)
{
    GridFixture f(50, false);
    ASSERT_TRUE(f.grid->IsBufferMode());
    EXPECT_GT(f.grid->GetCount(), 0);
    EXPECT_LE(f.grid->GetCount(), 50);
    EXPECT_EQ(f.FocusedKey(), f.CurrentKey());
    f.ds->MoveBy(3);
    EXPECT_EQ(f.FocusedKey(), f.CurrentKey());
}

TEST(DBGridLoad, InsertRowTakesTheGroupValuesAndAppendGoesLast)
{
    GridFixture f(10);
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    f.ds->Locate("NUMBER", 3, {});   // South
    f.ds->Insert();
    ASSERT_NE(f.grid->InsertNode(), nullptr);
    EXPECT_EQ(f.grid->GetFocusedNode(), f.grid->InsertNode());
    EXPECT_EQ(f.ds->FieldByName("AREA")->AsString(), "South");
    f.ds->FieldByName("NUMBER")->SetAsInteger(42);
    f.ds->Post();
    EXPECT_EQ(f.grid->InsertNode(), nullptr);
    TdxDBGridNode* n = f.grid->FindNodeByKey(42);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(f.Node(n->Parent())->GroupValue().AsString(), "South");

    GridFixture g(3);
    g.ds->Append();
    EXPECT_EQ(g.Rows(), (std::vector<std::string>{"1", "2", "3", ""}));
    g.ds->FieldByName("NUMBER")->SetAsInteger(4);
    g.ds->Post();
    EXPECT_EQ(g.Rows(), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(g.FocusedKey(), 4);
}

TEST(DBGridLoad, ReloadPostsAModifiedEditInsteadOfLosingIt)
{
    GridFixture f(5);
    f.ds->Locate("NUMBER", 2, {});
    f.ds->Edit();
    f.ds->FieldByName("TITLE")->SetAsString("Changed");
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);   // regrouping reloads
    EXPECT_EQ(f.ds->State(), dsBrowse);
    f.ds->Locate("NUMBER", 2, {});
    EXPECT_EQ(f.ds->FieldByName("TITLE")->AsString(), "Changed");
    // An insert nobody changed is dropped.
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(-1);
    f.ds->Insert();
    f.grid->ColumnByFieldName("TITLE")->SetGroupIndex(0);
    EXPECT_EQ(f.ds->State(), dsBrowse);
    EXPECT_EQ(f.ds->RecordCount(), 5);
}

TEST(DBGridLoad, AFailingPostKeepsTheEditAndAbortsTheReload)
{
    GridFixture f(5);
    f.ds->BeforePost = [](TDataSet*) { throw Exception("refused"); };
    f.ds->Locate("NUMBER", 2, {});
    f.ds->Edit();
    f.ds->FieldByName("TITLE")->SetAsString("Pending");
    EXPECT_THROW(f.grid->ReloadNodes(), Exception);
    EXPECT_EQ(f.ds->State(), dsEdit);
    EXPECT_EQ(f.ds->FieldByName("TITLE")->AsString(), "Pending");
    EXPECT_FALSE(f.grid->IsLoading());
    EXPECT_FALSE(f.ds->ControlsDisabled());
}

TEST(DBGridLoad, ExceptionsFromTheDatasetLeaveNothingLocked)
{
    GridFixture f(5);
    f.grid->OnRefreshNodeData = [](TObject*, TdxTreeListNode*) { throw Exception("boom"); };
    EXPECT_THROW(f.grid->ReloadNodes(), Exception);
    EXPECT_FALSE(f.grid->IsLoading());
    EXPECT_FALSE(f.ds->ControlsDisabled());
    EXPECT_FALSE(f.grid->IsUpdating());
    f.grid->OnRefreshNodeData = nullptr;
    f.grid->ReloadNodes();
    EXPECT_EQ(f.grid->GetCount(), 5);
}

TEST(DBGridLoad, DeleteOnlyTheNodesOwnRecord)
{
    GridFixture f(5);
    f.grid->SetFocusedNode(f.grid->GetItem(3));
    f.grid->DeleteFocusedRecord();
    EXPECT_EQ(f.ds->RecordCount(), 4);
    EXPECT_EQ(f.grid->FindNodeByKey(4), nullptr);
    EXPECT_NE(f.grid->FindNodeByKey(5), nullptr);

    // Two records share a key: the bookmark tells them apart.
    GridFixture g(3);
    g.ds->Last();
    g.ds->Edit();
    g.ds->FieldByName("NUMBER")->SetAsInteger(2);
    g.ds->Post();
    g.ds->First();   // a dataset-changed notification: the grid reloads
    g.grid->SetOptions(g.grid->Options() + TdxDBGridOptions{egoUseLocate});
    auto* last = g.Node(g.grid->GetItem(2));
    ASSERT_EQ(last->Key().AsInteger(), 2);
    last->DeleteRecord();   // the locate finds the first "2"; the bookmark check moves on
    EXPECT_EQ(g.ds->RecordCount(), 2);
    g.ds->First();
    g.ds->Next();
    EXPECT_EQ(g.ds->FieldByName("TITLE")->AsString(), "Door 2");
}

TEST(DBGridLoad, DeleteRaisesWhenTheRecordCannotBeMadeCurrent)
{
    GridFixture f(5);
    auto* stale = f.Node(f.grid->GetItem(1));
    stale->Bookmark = "no-such-bookmark";
    EXPECT_THROW(stale->DeleteRecord(), EInvaliddxTreeListOperation);
    EXPECT_EQ(f.ds->RecordCount(), 5);
}

TEST(DBGridLoad, CompareGroupValuesIsATotalOrder)
{
    GridFixture f(1);
    const std::vector<Variant> values{Variant(), Variant::Null(), Variant(3), Variant(2.5), Variant("a"),
                                      Variant("B"), Variant(true)};
    for (const Variant& a : values) {
        EXPECT_EQ(f.grid->CompareGroupValues(a, a), 0);
        for (const Variant& b : values) {
            EXPECT_EQ(f.grid->CompareGroupValues(a, b), -f.grid->CompareGroupValues(b, a));
            for (const Variant& c : values) {
                if (f.grid->CompareGroupValues(a, b) < 0 && f.grid->CompareGroupValues(b, c) < 0) {
                    EXPECT_LT(f.grid->CompareGroupValues(a, c), 0);
                }
            }
        }
    }
    EXPECT_LT(f.grid->CompareGroupValues(Variant::Null(), Variant(0)), 0);
}

TEST(DBGridLoad, AZeroRowHeightDoesNotDivide)
{
    GridFixture f(3, false, false);
    f.grid->SetBounds(0, 0, 0, 0);
    EXPECT_GE(f.grid->VisibleRowCountForLoad(), 1);
}

} // namespace qel::test

namespace qel::test {

TEST(DBGridLoad, SmartRefreshRewritesOrMovesOnlyTheCurrentRecord)
{
    GridFixture f(10);
    f.grid->SetOptions(f.grid->Options() + TdxDBGridOptions{egoSmartRefresh});
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    f.grid->FullExpand();
    TdxTreeListNode* east = f.grid->GetItem(1);
    TdxTreeListNode* untouched = f.grid->FindNodeByKey(6);
    f.ds->Locate("NUMBER", 4, {});
    f.ds->Edit();
    f.ds->FieldByName("TITLE")->SetAsString("Side door");
    f.ds->Post();
    EXPECT_EQ(f.grid->FindNodeByKey(6), untouched);   // no reload
    EXPECT_EQ(f.grid->FindNodeByKey(4)->GetString(1), "Side door");
    // A new group value moves the row.
    f.ds->Edit();
    f.ds->FieldByName("AREA")->SetAsString("East");
    f.ds->Post();
    EXPECT_EQ(f.grid->FindNodeByKey(4)->Parent(), east);
    EXPECT_EQ(f.FocusedKey(), 4);
    // A deleted record is no refresh: the rows are reloaded.
    f.ds->Delete();
    EXPECT_EQ(f.grid->FindNodeByKey(4), nullptr);
}

TEST(DBGridLoad, DefaultFieldsMakeOneColumnPerFieldInOrder)
{
    GridFixture f(3, true, false);
    f.grid->DestroyColumns();
    f.grid->SetDefaultFields(true);
    f.grid->SetDataSource(f.source);
    ASSERT_EQ(f.grid->GetColumnCount(), 4);
    EXPECT_EQ(f.grid->GetColumn(0)->FieldName(), "NUMBER");
    EXPECT_EQ(f.grid->GetColumn(3)->FieldName(), "ACTIVE");
    EXPECT_NE(dynamic_cast<TdxDBGridCheckColumn*>(f.grid->GetColumn(3)), nullptr);
    EXPECT_EQ(f.grid->GetItem(2)->GetString(1), "Door 3");
    EXPECT_FALSE(f.grid->CanGroupByColumn(f.grid->GetColumn(2)));
}

} // namespace qel::test

namespace qel::test {

TEST(DBGridLoad, SortingKeepsGroupRowsWhereTheSearchFindsThem)
{
    GridFixture f(10);
    f.ds->Locate("NUMBER", 2, {});
    f.ds->Edit();
    f.ds->FieldByName("AREA")->SetAsString("apex");   // lower case: orders apart from "East" by locale
    f.ds->Post();
    auto* area = f.grid->ColumnByFieldName("AREA");
    area->SetGroupIndex(0);
    area->SetSorted(csDown);   // the tree list sorts its rows
    const int groups = f.grid->GetCount();
    f.grid->ReloadNodes();
    EXPECT_EQ(f.grid->GetCount(), groups);   // no duplicate group rows
    for (int i = 1; i < f.grid->GetCount(); ++i)
        EXPECT_LT(f.grid->CompareGroupValues(f.Node(f.grid->GetItem(i - 1))->GroupValue(),
                                             f.Node(f.grid->GetItem(i))->GroupValue()),
                  0);
}

TEST(DBGridLoad, CollapsedReloadMovesToTheGroupsFirstRecord)
{
    GridFixture f(10);
    f.grid->SetOptions(f.grid->Options() + TdxDBGridOptions{egoCollapsedReload});
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    f.grid->FullCollapse();
    f.ds->Locate("NUMBER", 9, {});   // North, whose first record is 1
    f.grid->ReloadNodes();
    EXPECT_EQ(f.CurrentKey(), 1);
}

TEST(DBGridLoad, RenamingTheGridRenamesItsColumns)
{
    GridFixture f(1);
    f.grid->SetName("Matrix");
    EXPECT_EQ(f.grid->GetColumn(0)->Name(), "MatrixColumn1");
    EXPECT_EQ(f.grid->ColumnByName("MatrixColumn2")->FieldName(), "TITLE");
}

} // namespace qel::test

namespace qel::test {

TEST(DBGridLoad, OneUngroupedSortedColumnUnlessMultiSorting)
{
    GridFixture f(6);
    auto* area = f.grid->ColumnByFieldName("AREA");
    area->SetGroupIndex(0);
    area->SetSorted(csUp);
    f.grid->ColumnByFieldName("TITLE")->SetSorted(csDown);
    f.grid->ColumnByFieldName("NUMBER")->SetSorted(csUp);
    f.grid->ReloadNodes();
    EXPECT_EQ(f.grid->ColumnByFieldName("TITLE")->Sorted(), csDown);
    EXPECT_EQ(f.grid->ColumnByFieldName("NUMBER")->Sorted(), csNone);
    f.grid->ClearSorting();
    EXPECT_EQ(f.grid->ColumnByFieldName("TITLE")->Sorted(), csNone);
    EXPECT_EQ(area->Sorted(), csUp);   // the group column keeps its direction
}

// The load reads the records without moving the cursor and leaves the rows'
// texts to their first use; a handler that reads the dataset per record gets
// the cursor walk. Both must show exactly the same.
TEST(DBGridLoad, RowsReadOnFirstUseShowWhatTheCursorWalkShows)
{
    GridFixture f(12, true, false);
    // A text event that reads another field: it must see the row's own record.
    f.ds->FieldByName("TITLE")->OnGetText = [&f](TField* Sender, std::string& Text, bool) {
        Text = Sender->AsString() + " @" + f.ds->FieldByName("AREA")->AsString();
    };
    f.grid->SetPreviewFieldName("NUMBER");
    TdxDBGrid* walked = new TdxDBGrid(f.owner.get());
    walked->SetKeyField("NUMBER");
    walked->SetOptions(walked->Options() + TdxDBGridOptions{egoLoadAllRecords});
    walked->SetPreviewFieldName("NUMBER");
    for (const char* name : {"NUMBER", "TITLE", "AREA", "ACTIVE"})
        walked->CreateColumnOf<TdxDBGridColumn>()->SetFieldName(name);
    int refreshed = 0;
    walked->OnRefreshNodeData = [&](TObject*, TdxTreeListNode*) { ++refreshed; };

    f.ds->Locate("NUMBER", 5, {});
    int scrolls = 0;
    f.ds->AfterScroll = [&](TDataSet*) { ++scrolls; };
    f.grid->SetDataSource(f.source);
    EXPECT_EQ(scrolls, 0);   // the cursor never moved
    EXPECT_EQ(f.CurrentKey(), 5);
    walked->SetDataSource(f.source);
    EXPECT_GT(refreshed, 0);
    for (TdxDBGrid* g : {static_cast<TdxDBGrid*>(f.grid), walked})
        g->ColumnByFieldName("AREA")->SetGroupIndex(0);

    std::vector<TdxDBGridNode*> rows;
    for (TdxTreeListNode* n = f.grid->GetItem(0); n; n = n->GetNext())
        if (!f.grid->IsGroupRow(n))
            rows.push_back(f.Node(n));
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_TRUE(rows[7]->ValuesPending());
    TdxTreeListNode* other = walked->GetItem(0);
    for (TdxTreeListNode* n = f.grid->GetItem(0); n; n = n->GetNext(), other = other->GetNext()) {
        ASSERT_NE(other, nullptr);
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(n->GetString(c), other->GetString(c)) << "column " << c;
            EXPECT_EQ(Variant::Compare(n->GetValue(c), other->GetValue(c)), 0) << "column " << c;
        }
        EXPECT_EQ(f.grid->GetPreviewText(n), walked->GetPreviewText(other));
        EXPECT_EQ(Variant::Compare(f.Node(n)->Key(), static_cast<TdxDBGridNode*>(other)->Key()), 0);
    }
    EXPECT_EQ(f.grid->FindNodeByKey(3)->GetString(1), "Door 3 @South");
    EXPECT_FALSE(rows[7]->ValuesPending());
}

TEST(DBGridLoad, APendingRowIsReadBeforeItIsWrittenAndStaysBlankWhenItsRecordIsGone)
{
    GridFixture f(6);
    auto* third = f.Node(f.grid->GetItem(2));
    ASSERT_TRUE(third->ValuesPending());
    // An edit writes one column into the focused row: the others are read first.
    f.grid->SetFocusedNode(third);
    f.ds->Edit();
    f.ds->FieldByName("TITLE")->SetAsString("Lobby");
    EXPECT_EQ(third->GetString(1), "Lobby");
    EXPECT_EQ(third->GetString(0), "3");
    EXPECT_EQ(third->GetString(2), "South");
    f.ds->Cancel();   // reloads

    // A record deleted while the grid does not hear of it: its row reads as blank.
    auto* fifth = f.Node(f.grid->GetItem(4));
    ASSERT_TRUE(fifth->ValuesPending());
    {
        TDisableControlsGuard quiet(f.ds);
        f.ds->Locate("NUMBER", 5, {});
        f.ds->Delete();
        EXPECT_EQ(fifth->GetString(1), "");
        EXPECT_EQ(fifth->GetString(0), "");
    }
    EXPECT_EQ(f.grid->GetCount(), 5);   // the reload followed
    EXPECT_EQ(f.grid->GetItem(4)->GetString(1), "Door 6");
}

// Record rows are sorted by their values read once per row: the order must
// be the one CompareNodes gives, equal rows keeping their order, under group
// rows that keep theirs.
TEST(DBGridLoad, SortingRecordRowsByTheirValuesKeepsTheComparisonOrder)
{
    GridFixture f(40);
    f.grid->SetOptionsEx(f.grid->OptionsEx() + TdxDBGridOptionsEx{egoMultiSort});
    f.grid->ColumnByFieldName("ACTIVE")->SetGroupIndex(0);
    f.grid->ColumnByFieldName("AREA")->SetSorted(csDown);   // ascending, with Nulls and repeats
    f.grid->ColumnByFieldName("TITLE")->SetSorted(csUp);    // descending, in text order
    f.grid->ReloadNodes();
    ASSERT_EQ(f.grid->GetCount(), 2);
    for (int g = 0; g < 2; ++g) {
        TdxTreeListNode* group = f.grid->GetItem(g);
        ASSERT_EQ(group->Count(), 20);
        for (int i = 1; i < group->Count(); ++i) {
            TdxTreeListNode* a = group->GetItem(i - 1);
            TdxTreeListNode* b = group->GetItem(i);
            const int c = f.grid->CompareNodes(a, b);
            EXPECT_LE(c, 0) << a->GetString(0) << " before " << b->GetString(0);
            if (c == 0) {
                EXPECT_LT(f.Node(a)->RecordNumber, f.Node(b)->RecordNumber);
            }
        }
    }
    // The even numbers: Null areas first (2, 12, 22, 32), titles descending as text.
    TdxTreeListNode* even = f.grid->GetItem(0);
    ASSERT_EQ(even->GetItem(0)->GetString(2), "");
    EXPECT_EQ(even->GetItem(0)->GetString(1), "Door 32");
    EXPECT_EQ(even->GetItem(3)->GetString(1), "Door 12");
    EXPECT_EQ(even->GetItem(even->Count() - 1)->GetString(2), "South");
    // Turning one column round reverses only its part of the order.
    f.grid->ColumnByFieldName("TITLE")->SetSorted(csDown);
    EXPECT_EQ(f.grid->GetItem(0)->GetItem(0)->GetString(1), "Door 12");
    EXPECT_EQ(f.grid->GetItem(0)->GetItem(3)->GetString(1), "Door 32");
}

} // namespace qel::test

namespace qel::test {

// Rows loaded in bulk are sorted and listed in the header drop-down from
// their records: the order and the values are those of read rows, and the
// rows stay unread.
TEST(DBGridLoad, RowsNotYetReadAreSortedAndListedFromTheirRecordsAndStayUnread)
{
    auto keysAndUnread = [](GridFixture& F, int& Unread) {
        std::vector<std::string> keys;
        Unread = 0;
        for (TdxTreeListNode* n = F.grid->GetItem(0); n; n = n->GetNext()) {
            if (F.grid->IsGroupRow(n))
                continue;
            keys.push_back(F.Node(n)->Key().AsString());
            Unread += F.Node(n)->ValuesPending();
        }
        return keys;
    };
    GridFixture pending(12), read(12);
    for (TdxTreeListNode* n = read.grid->GetItem(0); n; n = n->GetNext())
        n->GetString(0);
    for (GridFixture* f : {&pending, &read}) {
        f->grid->ColumnByFieldName("ACTIVE")->SetGroupIndex(0);
        f->grid->ColumnByFieldName("AREA")->SetSorted(csDown);
        f->grid->ColumnByFieldName("TITLE")->SetSorted(csUp);
    }
    int unread = 0, none = 0;
    EXPECT_EQ(keysAndUnread(pending, unread), keysAndUnread(read, none));
    EXPECT_EQ(unread, 12);

    for (const char* field : {"TITLE", "AREA", "ACTIVE"}) {
        TdxDBGridFilterValues values, readValues;
        pending.grid->CollectFilterValues(pending.grid->ColumnByFieldName(field), values);
        read.grid->CollectFilterValues(read.grid->ColumnByFieldName(field), readValues);
        EXPECT_EQ(TdxDBGridFilter::DropDownItems(values), TdxDBGridFilter::DropDownItems(readValues)) << field;
    }
    keysAndUnread(pending, unread);
    EXPECT_EQ(unread, 12);
}

} // namespace qel::test
