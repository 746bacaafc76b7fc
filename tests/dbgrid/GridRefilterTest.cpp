// Refiltering in all-records mode: the loaded rows are hidden and brought
// back in place, and the grid then shows exactly what a grid loading the same
// records with the same filter shows, while the dataset is left alone.
#include "dbgrid/DBGrid.h"
#include "platform/data/Field.h"

#include "SummaryGridTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qel;
using namespace qel::test;

namespace {

using Criteria = std::function<void(SummaryGridFixture&)>;

void Condition(SummaryGridFixture& F, TdxDBTreeListColumn* Column, std::uint8_t Kind, const Variant& Value,
               bool Negate = false, TdxCriteriaItemList* List = nullptr)
{
    F.grid->Filter()->Criteria()->AddCondition(List, Column, Negate, Value.IsNull() ? "" : Value.AsString(), Value,
                                               Kind);
}

// Apply, widen, narrow, change and clear.
const std::vector<std::pair<const char*, Criteria>>& Steps()
{
    static const std::vector<std::pair<const char*, Criteria>> steps{
        {"apply", [](SummaryGridFixture& F) { Condition(F, F.amount, 2, Variant(0.0)); }},
        {"widen", [](SummaryGridFixture& F) { Condition(F, F.amount, 4, Variant(-4.0)); }},
        {"narrow",
         [](SummaryGridFixture& F) {
             Condition(F, F.amount, 4, Variant(-4.0));
             TdxCriteriaItemList* either = F.grid->Filter()->Criteria()->AddList(nullptr, dxBoolOr);
             Condition(F, F.number, 3, Variant(12), false, either);
             Condition(F, F.number, 4, Variant(30), false, either);
         }},
        {"change", [](SummaryGridFixture& F) { Condition(F, F.area, 0, Variant::Null()); }},
        {"other", [](SummaryGridFixture& F) { Condition(F, F.area, 0, Variant::Null(), true); }},
        {"clear", [](SummaryGridFixture&) {}},
    };
    return steps;
}

void Filter(SummaryGridFixture& F, const Criteria& Conditions)
{
    F.grid->Filter()->SetActive(true);
    F.grid->Filter()->Criteria()->Clear();
    Conditions(F);
    F.grid->ApplyFilter();
}

// The ways the grids under test are set up: flat, flat sorted with ties, grouped by two levels.
const std::vector<std::pair<const char*, std::function<void(SummaryGridFixture&)>>>& Layouts()
{
    static const std::vector<std::pair<const char*, std::function<void(SummaryGridFixture&)>>> layouts{
        {"flat", [](SummaryGridFixture&) {}},
        {"flat sorted", [](SummaryGridFixture& F) { F.amount->SetSorted(csDown); }},
        {"grouped",
         [](SummaryGridFixture& F) {
             F.area->SetGroupIndex(0);
             F.active->SetGroupIndex(1);
             F.title->SetSorted(csUp);
         }},
        {"grouped by summary",
         [](SummaryGridFixture& F) {
             F.area->SetGroupIndex(0);
             F.area->SetSortBySummary(true);
             F.active->SetGroupIndex(1);
         }},
    };
    return layouts;
}

constexpr int Records = 40;

} // namespace

TEST(GridRefilter, EveryStepShowsWhatALoadWithTheSameFilterShows)
{
    for (const auto& [layoutName, layout] : Layouts()) {
        SummaryGridFixture f(false, Records);
        f.AddSummaries();
        layout(f);
        f.Load();
        int reloads = 0;
        f.grid->OnClearNodeData = [&](TObject*) { ++reloads; };
        for (const auto& [stepName, step] : Steps()) {
            SCOPED_TRACE(std::string(layoutName) + ", " + stepName);
            Filter(f, step);

            SummaryGridFixture fresh(false, Records);
            fresh.AddSummaries();
            layout(fresh);
            Filter(fresh, step);
            fresh.Load();

            EXPECT_EQ(f.Tree(), fresh.Tree());
            EXPECT_EQ(f.Cells(), fresh.Cells());
            EXPECT_EQ(f.grid->LoadedRecordCount(), fresh.grid->LoadedRecordCount());
            EXPECT_EQ(f.RecordRows() + f.grid->HiddenNodeCount(), Records);
            EXPECT_EQ(reloads, 0);
        }
        EXPECT_EQ(f.grid->HiddenNodeCount(), 0);
        EXPECT_EQ(f.grid->LoadedRecordCount(), Records);
    }
}

// A load through the record reader checks the filter on the records and
// leaves its rows unread; a load by the cursor fills every row it places and
// checks the filled row. Both admit the same rows.
TEST(GridRefilter, ALoadChecksTheFilterOnTheRecordsAndLeavesItsRowsUnread)
{
    std::vector<std::pair<const char*, Criteria>> filters(Steps().begin(), Steps().end() - 1);
    filters.emplace_back("title", [](SummaryGridFixture& F) { Condition(F, F.title, 1, Variant("Door 7 !")); });
    for (const auto& [layoutName, layout] : Layouts())
        for (const auto& [filterName, filter] : filters) {
            SCOPED_TRACE(std::string(layoutName) + ", " + filterName);
            SummaryGridFixture unread(false, Records), filled(false, Records);
            for (SummaryGridFixture* f : {&unread, &filled}) {
                f->AddSummaries();
                layout(*f);
                // The filter sees the text the handler makes.
                f->ds->FieldByName("TITLE")->OnGetText = [](TField* Sender, std::string& Text, bool) {
                    Text = Sender->AsString() + " !";
                };
                Filter(*f, filter);
            }
            filled.grid->OnRefreshNodeData = [](TObject*, TdxTreeListNode*) {};   // loads by the cursor
            unread.Load();
            filled.Load();
            int pending = 0;
            for (TdxTreeListNode* n = unread.grid->GetItem(0); n; n = n->GetNext())
                pending += n->Count() == 0 && unread.Node(n)->ValuesPending();
            EXPECT_EQ(pending, unread.RecordRows());
            EXPECT_EQ(unread.grid->HiddenNodeCount(), filled.grid->HiddenNodeCount());
            EXPECT_EQ(unread.grid->LoadedRecordCount(), filled.grid->LoadedRecordCount());
            EXPECT_EQ(unread.Tree(), filled.Tree());
            EXPECT_EQ(unread.Cells(), filled.Cells());
        }
}

TEST(GridRefilter, LeavesTheCursorAndAPendingEditAlone)
{
    SummaryGridFixture f(false);
    f.AddSummaries();
    f.area->SetGroupIndex(0);
    f.Load();
    f.ds->Locate("NUMBER", 6, {});
    f.ds->Edit();
    f.ds->FieldByName("TITLE")->SetAsString("Pending");
    f.scrolls = f.posts = f.cancels = 0;

    Filter(f, [](SummaryGridFixture& F) { Condition(F, F.area, 1, Variant("North")); });
    EXPECT_EQ(f.RecordRows(), 5);   // 1, 4, 6, 9, 11
    Filter(f, [](SummaryGridFixture& F) { Condition(F, F.amount, 2, Variant(0.0)); });
    f.grid->ClearFilter();
    EXPECT_EQ(f.RecordRows(), 12);

    EXPECT_EQ(f.scrolls, 0);
    EXPECT_EQ(f.posts, 0);
    EXPECT_EQ(f.cancels, 0);
    EXPECT_EQ(f.ds->State(), dsEdit);
    EXPECT_EQ(f.Current(), 6);
    EXPECT_EQ(f.ds->FieldByName("TITLE")->AsString(), "Pending");
}

TEST(GridRefilter, RowsComeBackUnderRecreatedGroupRowsAndGroupsThatStayKeepTheirState)
{
    SummaryGridFixture f(false);
    f.AddSummaries();
    f.area->SetGroupIndex(0);
    f.active->SetGroupIndex(1);
    f.Load();
    ASSERT_EQ(f.grid->GetCount(), 4);   // Null, East, North, South
    TdxTreeListNode* north = f.grid->GetItem(2);
    north->SetExpanded(true);
    TdxTreeListNode* northTrue = north->GetItem(0);   // 6, 9 (True sorts first)
    ASSERT_EQ(f.Node(northTrue)->GroupValue().AsBoolean(), true);
    northTrue->SetExpanded(true);

    // South (3, 8) and East (5, 10) go; North keeps 1, 4 (False) and 6, 9 (True).
    Filter(f, [](SummaryGridFixture& F) { Condition(F, F.number, 5, Variant(9)); });
    Filter(f, [](SummaryGridFixture& F) {
        Condition(F, F.number, 5, Variant(9));
        Condition(F, F.area, 1, Variant("North"));
    });
    ASSERT_EQ(f.grid->GetCount(), 1);
    EXPECT_EQ(f.grid->GetItem(0), north);
    EXPECT_EQ(north->GetItem(0), northTrue);
    EXPECT_TRUE(north->Expanded());
    EXPECT_TRUE(northTrue->Expanded());
    EXPECT_EQ(f.grid->GetGroupRowText(northTrue).substr(0, 15), "ACTIVE : True (");

    // Everything back: South, East and Null are made anew, collapsed, in their order.
    f.grid->ClearFilter();
    ASSERT_EQ(f.grid->GetCount(), 4);
    EXPECT_EQ(f.grid->GetItem(2), north);
    EXPECT_TRUE(northTrue->Expanded());
    EXPECT_FALSE(f.grid->GetItem(3)->Expanded());
    EXPECT_EQ(f.Node(f.grid->GetItem(3))->GroupValue(), Variant("South"));
    EXPECT_EQ(f.Node(f.grid->GetItem(3))->Key(), Variant(3));   // it stands for its first record
    EXPECT_EQ(f.grid->GetItem(2)->GetItem(1)->GetItem(2), f.grid->FindNodeByKey(11));   // 1, 4, 11 in walk order
}

TEST(GridRefilter, HiddenRowsLeaveTheSelection)
{
    SummaryGridFixture f(false);
    f.grid->SetOptions(f.grid->Options() + TdxDBGridOptions{egoMultiSelect});
    f.Load();
    for (int key : {2, 3, 4})
        f.grid->FindNodeByKey(key)->SetSelected(true);
    TdxTreeListNode* three = f.grid->FindNodeByKey(3);
    Filter(f, [](SummaryGridFixture& F) { Condition(F, F.number, 1, Variant(3), true); });
    EXPECT_EQ(f.grid->SelectedCount(), 2);
    EXPECT_FALSE(three->Selected());
    f.grid->ClearFilter();
    EXPECT_EQ(f.grid->FindNodeByKey(3), three);
    EXPECT_FALSE(three->Selected());
    EXPECT_TRUE(f.grid->FindNodeByKey(4)->Selected());

    // Selected by bookmark: a hidden row's bookmark goes too, so deleting
    // the selection never deletes a record the user cannot see.
    for (bool inPlace : {true, false}) {
        SummaryGridFixture b(false);
        b.grid->SetOptions(b.grid->Options() + TdxDBGridOptions{egoMultiSelect});
        b.grid->SetOptionsDB(b.grid->OptionsDB() + TdxDBGridOptionsDB{edgoUseBookmarks});
        if (!inPlace) {
            // A footer over a value the rows hold as text only: a reload.
            b.number->SetSummaryFooterField("SERIAL");
            b.number->SetSummaryFooterType(cstSum);
        }
        b.Load();
        b.FillRows();
        int reloads = 0;
        b.grid->OnClearNodeData = [&](TObject*) { ++reloads; };
        b.grid->SelectRange(b.grid->FindNodeByKey(2), b.grid->FindNodeByKey(4));
        ASSERT_EQ(b.grid->SelectedBookmarkCount(), 3);
        Filter(b, [](SummaryGridFixture& F) { Condition(F, F.number, 1, Variant(3), true); });
        EXPECT_EQ(reloads, inPlace ? 0 : 1);
        EXPECT_EQ(b.grid->SelectedBookmarkCount(), 2);
        b.grid->DeleteSelection();
        EXPECT_EQ(b.ds->RecordCount(), 10);
        EXPECT_TRUE(b.ds->Locate("NUMBER", 3, {}));
    }
}

TEST(GridRefilter, FocusStaysOnItsRowOrMovesToTheNearestRowThatShows)
{
    SummaryGridFixture f(false);
    f.Load();
    f.grid->SetFocusedNode(f.grid->FindNodeByKey(6));
    f.grid->SetFocusedColumn(f.title->GetColumnIndex());
    ASSERT_EQ(f.Current(), 6);

    Filter(f, [](SummaryGridFixture& F) { Condition(F, F.number, 4, Variant(5)); });
    EXPECT_EQ(f.grid->GetFocusedNode(), f.grid->FindNodeByKey(6));
    EXPECT_EQ(f.grid->GetFocusedColumn(), f.title->GetColumnIndex());

    // 6 and 7 go: the next row that shows takes the focus and the dataset follows.
    Filter(f, [](SummaryGridFixture& F) {
        TdxCriteriaItemList* either = F.grid->Filter()->Criteria()->AddList(nullptr, dxBoolOr);
        Condition(F, F.number, 3, Variant(6), false, either);
        Condition(F, F.number, 2, Variant(7), false, either);
    });
    EXPECT_EQ(f.grid->GetFocusedNode(), f.grid->FindNodeByKey(8));
    EXPECT_EQ(f.Current(), 8);
    // The last rows go: the one before them.
    Filter(f, [](SummaryGridFixture& F) { Condition(F, F.number, 3, Variant(6)); });
    EXPECT_EQ(f.grid->GetFocusedNode(), f.grid->FindNodeByKey(5));
    EXPECT_EQ(f.Current(), 5);

    // While the record is being edited the focus moves, the dataset stays.
    f.ds->Edit();
    f.ds->FieldByName("TITLE")->SetAsString("Pending");
    f.posts = f.cancels = 0;
    Filter(f, [](SummaryGridFixture& F) { Condition(F, F.number, 3, Variant(4)); });
    EXPECT_EQ(f.grid->GetFocusedNode(), f.grid->FindNodeByKey(3));
    EXPECT_EQ(f.ds->State(), dsEdit);
    EXPECT_EQ(f.Current(), 5);
    EXPECT_EQ(f.posts + f.cancels, 0);
    f.ds->Cancel();

    // A focused group row whose rows all go: the nearest group row that stays.
    SummaryGridFixture g(false);
    g.area->SetGroupIndex(0);
    g.Load();
    g.grid->SetFocusedNode(g.grid->GetItem(1));   // East: 5, 10
    Filter(g, [](SummaryGridFixture& F) { Condition(F, F.area, 1, Variant("East"), true); });
    ASSERT_EQ(g.grid->GetCount(), 3);
    EXPECT_EQ(g.grid->GetFocusedNode(), g.grid->GetItem(1));   // North
    EXPECT_EQ(g.Current(), 1);
}

TEST(GridRefilter, WhereTheRowsCannotTellTheRowsAreReloaded)
{
    // Filtering to positive amounts and back; the number of reloads it took.
    auto reloads = [](SummaryGridFixture& F, const std::function<void(SummaryGridFixture&)>& Setup) {
        F.AddSummaries();
        Setup(F);
        F.Load();
        F.FillRows();   // rows not yet read give their records' values: nothing to reload
        int count = 0;
        F.grid->OnClearNodeData = [&](TObject*) { ++count; };
        Filter(F, [](SummaryGridFixture& G) { Condition(G, G.amount, 2, Variant(0.0)); });
        F.grid->ClearFilter();
        F.grid->OnClearNodeData = nullptr;
        EXPECT_EQ(F.RecordRows(), 12);
        return count;
    };
    SummaryGridFixture plain(false);
    EXPECT_EQ(reloads(plain, [](SummaryGridFixture& F) { F.area->SetGroupIndex(0); }), 0);

    // A summarised field no column holds (its column is gone).
    SummaryGridFixture unheld(false);
    EXPECT_EQ(reloads(unheld,
                      [](SummaryGridFixture& F) {
                          F.grid->RemoveColumn(F.serial);
                          F.number->SetSummaryFooterField("SERIAL");
                          F.number->SetSummaryFooterType(cstSum);
                      }),
              2);
    EXPECT_NE(unheld.grid->GetFooterCellText(unheld.number->GetColumnIndex()).find("60"), std::string::npos);

    // A summarised value the filled rows hold as text only; the filtered load
    // leaves its rows unread, so bringing the rows back reads their records.
    SummaryGridFixture text(false);
    EXPECT_EQ(reloads(text,
                      [](SummaryGridFixture& F) {
                          F.area->SetGroupIndex(0);
                          F.number->SetSummaryFooterField("SERIAL");
                          F.number->SetSummaryFooterType(cstSum);
                      }),
              1);

    // A group value the rows hold as text only: hiding needs none, bringing rows back does.
    SummaryGridFixture grouped(false);
    EXPECT_EQ(reloads(grouped, [](SummaryGridFixture& F) { F.serial->SetGroupIndex(0); }), 1);

    // A handler that is given the dataset for each record's group summary.
    SummaryGridFixture hooked(false);
    EXPECT_EQ(reloads(hooked,
                      [](SummaryGridFixture& F) {
                          F.area->SetGroupIndex(0);
                          F.grid->OnGroupSummaryValue = [](TCustomdxDBGrid*, TdxTreeListNode*, double&, TDataSet*) {};
                      }),
              2);
}

TEST(GridRefilter, OneRowGivenIsHiddenWhenItFails)
{
    SummaryGridFixture f(false);
    f.AddSummaries();
    f.area->SetGroupIndex(0);
    f.Load();
    Filter(f, [](SummaryGridFixture& F) { Condition(F, F.title, 1, Variant("Door 3"), true); });
    ASSERT_EQ(f.grid->LoadedRecordCount(), 11);
    const int numberColumn = f.number->GetColumnIndex();
    ASSERT_EQ(f.grid->GetFooterCellText(numberColumn), "11");

    // Two rows now fail; only the one given is tested. It was South's last but one.
    for (int key : {8, 9})
        f.grid->FindNodeByKey(key)->SetString(f.title->GetColumnIndex(), "Door 3");
    TdxDBGridNode* eight = f.grid->FindNodeByKey(8);
    f.grid->RefilterNodes(eight);
    EXPECT_EQ(eight->GetIndex(), -1);
    EXPECT_EQ(f.grid->HiddenNodeCount(), 2);
    EXPECT_EQ(f.grid->LoadedRecordCount(), 10);
    EXPECT_EQ(f.grid->GetFooterCellText(numberColumn), "10");
    EXPECT_NE(f.grid->FindNodeByKey(9), nullptr);
    EXPECT_EQ(f.grid->GetCount(), 3);   // South went with its last row
    // A row that passes, or one already hidden, changes nothing.
    f.grid->RefilterNodes(f.grid->FindNodeByKey(1));
    f.grid->RefilterNodes(eight);
    EXPECT_EQ(f.grid->HiddenNodeCount(), 2);
}

TEST(GridRefilter, AFailingHandlerLosesNoRow)
{
    SummaryGridFixture f(false);
    f.area->SetGroupIndex(0);
    f.Load();
    Filter(f, [](SummaryGridFixture& F) { Condition(F, F.area, 1, Variant("South"), true); });
    ASSERT_EQ(f.grid->HiddenNodeCount(), 2);
    bool fail = true;
    f.grid->OnRefreshNodeData = [&](TObject*, TdxTreeListNode*) {
        if (fail)
            throw Exception("refused");
    };
    // South's group row is made again for its rows: the handler refuses it.
    EXPECT_THROW(f.grid->ClearFilter(), Exception);
    EXPECT_EQ(f.RecordRows() + f.grid->HiddenNodeCount(), 12);
    for (int i = 0; i < f.grid->GetCount(); ++i)
        EXPECT_GT(f.grid->GetItem(i)->Count(), 0);
    TdxDBGridFilterValues values;
    f.grid->CollectFilterValues(f.title, values);   // every row, hidden ones included
    EXPECT_EQ(values.Count(), 12);
    fail = false;
    f.grid->ApplyFilter();
    EXPECT_EQ(f.RecordRows(), 12);
    EXPECT_EQ(f.grid->GetCount(), 4);

    // A handler that refuses the focused row's leaving, while other rows come back.
    SummaryGridFixture flat(false);
    flat.number->SetSummaryFooterType(cstCount);
    flat.Load();
    Filter(flat, [](SummaryGridFixture& F) { Condition(F, F.number, 1, Variant(3), true); });
    flat.grid->SetFocusedNode(flat.grid->FindNodeByKey(5));
    flat.grid->OnChangeNode = [](TObject*, TdxTreeListNode*, TdxTreeListNode* Node) {
        if (!Node)
            throw Exception("refused");
    };
    EXPECT_THROW(Filter(flat, [](SummaryGridFixture& F) { Condition(F, F.number, 1, Variant(5), true); }),
                 Exception);
    flat.grid->OnChangeNode = nullptr;
    EXPECT_EQ(flat.RecordRows() + flat.grid->HiddenNodeCount(), 12);
    flat.grid->CollectFilterValues(flat.title, values);
    EXPECT_EQ(values.Count(), 12);
    // The next refilter counts again (here by a reload).
    flat.grid->ApplyFilter();
    EXPECT_EQ(flat.RecordRows(), 11);
    EXPECT_EQ(flat.grid->GetFooterCellText(flat.number->GetColumnIndex()), "11");
}

TEST(GridRefilter, RowsNotYetReadAreFilteredFromTheirRecordsAndStayUnread)
{
    // Read rows keep no value of SERIAL (a text column of a large integer):
    // only the records can tell its group values and its footer.
    auto setup = [](SummaryGridFixture& F) {
        F.AddSummaries();
        F.serial->SetGroupIndex(0);
        F.number->SetSummaryFooterField("SERIAL");
        F.number->SetSummaryFooterType(cstSum);
    };
    SummaryGridFixture f(false, Records);
    setup(f);
    f.Load();
    int reloads = 0;
    f.grid->OnClearNodeData = [&](TObject*) { ++reloads; };
    for (const auto& [stepName, step] : Steps()) {
        SCOPED_TRACE(stepName);
        Filter(f, step);
        int unread = 0;
        for (TdxTreeListNode* n = f.grid->GetItem(0); n; n = n->GetNext())
            unread += !f.grid->IsGroupRow(n) && f.Node(n)->ValuesPending();
        EXPECT_EQ(unread, f.RecordRows());

        SummaryGridFixture fresh(false, Records);
        setup(fresh);
        Filter(fresh, step);
        fresh.Load();
        EXPECT_EQ(f.Tree(), fresh.Tree());
        EXPECT_EQ(reloads, 0);
    }
}

TEST(GridRefilter, ARecordSortOfTheDataSetKeepsTheRowsAndShowsWhatALoadShows)
{
    for (const auto& [layoutName, layout] : Layouts())
        for (bool filtered : {false, true}) {
            SCOPED_TRACE(std::string(layoutName) + (filtered ? ", filtered" : ""));
            auto setUp = [&, &layout = layout](SummaryGridFixture& F) {
                F.AddSummaries();
                layout(F);
                if (filtered)
                    Filter(F, [](SummaryGridFixture& G) { Condition(G, G.amount, 2, Variant(0.0)); });
            };
            SummaryGridFixture f(false, Records);
            setUp(f);
            f.Load();
            f.grid->FindNodeByKey(7)->GetString(1);   // one row read before the sort
            int reloads = 0;
            f.grid->OnClearNodeData = [&](TObject*) { ++reloads; };
            // Equal values keep the order the last sort left: the fresh grid's dataset goes the same way.
            std::vector<const char*> sorts;
            for (const char* field : {"TITLE", "AMOUNT", "NUMBER"}) {
                SCOPED_TRACE(field);
                sorts.push_back(field);
                f.ds->SortOn(field, std::string(field) == "AMOUNT");
                EXPECT_EQ(reloads, 0);

                SummaryGridFixture fresh(false, Records);
                setUp(fresh);
                for (const char* sort : sorts)
                    fresh.ds->SortOn(sort, std::string(sort) == "AMOUNT");
                fresh.Load();
                EXPECT_EQ(f.Tree(), fresh.Tree());
                EXPECT_EQ(f.Cells(), fresh.Cells());
                EXPECT_EQ(f.grid->LoadedRecordCount(), fresh.grid->LoadedRecordCount());
            }
        }
}

// Bookmarks far apart (most records deleted): the rows are still matched with their records.
TEST(GridRefilter, ARecordSortKeepsRowsWhoseBookmarksLieFarApart)
{
    auto setUp = [](SummaryGridFixture& F) {
        for (F.ds->First(); !F.ds->Eof();)
            if (F.ds->FieldByName("NUMBER")->AsInteger() % 10 != 0)
                F.ds->Delete();
            else
                F.ds->Next();
        F.AddSummaries();
        F.area->SetGroupIndex(0);
    };
    SummaryGridFixture f(false, 2500);
    setUp(f);
    f.Load();
    ASSERT_EQ(f.grid->LoadedRecordCount(), 250);
    int reloads = 0;
    f.grid->OnClearNodeData = [&](TObject*) { ++reloads; };
    f.ds->SortOn("AMOUNT", true);
    EXPECT_EQ(reloads, 0);
    SummaryGridFixture fresh(false, 2500);
    setUp(fresh);
    fresh.ds->SortOn("AMOUNT", true);
    fresh.Load();
    EXPECT_EQ(f.Tree(), fresh.Tree());
    EXPECT_EQ(f.Cells(), fresh.Cells());
}
