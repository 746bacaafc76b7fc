// Rows read from their records keep their texts only while the row text
// cache holds them: what a row shows never depends on whether it was
// forgotten in between, and the cache stays within its bound.
#include "GridTestSupport.h"

#include "platform/controls/Messages.h"
#include "platform/data/Field.h"

#include <gtest/gtest.h>

namespace qel::test {

namespace {

// Every row's texts and values in display order, everything expanded.
std::vector<std::string> Shown(TdxDBGrid* Grid)
{
    Grid->FullExpand();
    std::vector<std::string> out;
    for (int i = 0; i < Grid->GetAbsoluteCount(); ++i) {
        TdxTreeListNode* n = Grid->GetAbsoluteNode(i);
        std::string line = Grid->IsGroupRow(n) ? "[" + Grid->GetGroupRowText(n) + "]" : "";
        for (int c = 0; c < Grid->GetColumnCount(); ++c)
            line += "|" + n->GetString(c) + "=" + VarToStr(n->GetValue(c));
        out.push_back(line + "|" + Grid->GetPreviewText(n));
    }
    return out;
}

int HeldRows(TdxDBGrid* Grid)
{
    int held = 0;
    for (TdxTreeListNode* n = Grid->GetItem(0); n; n = n->GetNext())
        held += !Grid->IsGroupRow(n) && !static_cast<TdxDBGridNode*>(n)->ValuesPending();
    return held;
}

} // namespace

TEST(RowTextCache, RowsForgetWithinTheBoundAndShowTheSameWhenReadAgain)
{
    GridFixture tiny(60);
    GridFixture roomy(60);
    for (GridFixture* f : {&tiny, &roomy}) {
        // A text event that reads another field: it must see the row's own record each time.
        f->ds->FieldByName("TITLE")->OnGetText = [f](TField* Sender, std::string& Text, bool) {
            Text = Sender->AsString() + " @" + f->ds->FieldByName("AREA")->AsString();
        };
        f->grid->SetPreviewFieldName("NUMBER");
        f->grid->ColumnByFieldName("ACTIVE")->SetGroupIndex(0);
    }
    tiny.grid->SetRowTextCacheLimit(0);   // only the few rows read last stay
    const std::vector<std::string> expected = Shown(roomy.grid);
    EXPECT_EQ(HeldRows(roomy.grid), 60);
    EXPECT_EQ(Shown(tiny.grid), expected);
    const int held = HeldRows(tiny.grid);
    EXPECT_GT(held, 0);
    EXPECT_LT(held, 30);
    EXPECT_EQ(Shown(tiny.grid), expected);   // read again from the records

    // Sorting reads every row's value: the order is the same either way.
    for (GridFixture* f : {&tiny, &roomy})
        f->grid->ColumnByFieldName("TITLE")->SetSorted(csUp);
    EXPECT_EQ(Shown(tiny.grid), Shown(roomy.grid));
    EXPECT_LT(HeldRows(tiny.grid), 30);

    // A bound lowered later lets go at once.
    roomy.grid->SetRowTextCacheLimit(0);
    EXPECT_EQ(HeldRows(roomy.grid), held);
    EXPECT_LT(roomy.grid->RowTextCacheBytes(), std::size_t{60} * 200);
}

TEST(RowTextCache, WrittenRowsKeepTheirTextsAndGoneRowsLeaveNoTrace)
{
    GridFixture f(40);
    f.grid->SetRowTextCacheLimit(0);
    TdxTreeListNode* first = f.grid->GetItem(0);
    first->SetString(1, "Mine");
    Shown(f.grid);   // every other row read since: the first would have been forgotten
    EXPECT_EQ(first->GetString(1), "Mine");
    EXPECT_EQ(first->GetString(2), "North");
    EXPECT_FALSE(f.Node(first)->ValuesPending());

    // A column deleted while some rows hold texts and others not: every row
    // shows its record under the columns that remain.
    delete f.grid->ColumnByFieldName("TITLE");
    for (TdxTreeListNode* n = f.grid->GetItem(1); n; n = n->GetNext())
        EXPECT_EQ(n->GetString(0), std::to_string(f.Node(n)->Key().AsInteger()));
    EXPECT_EQ(f.grid->GetItem(39)->GetString(1), "East");
    EXPECT_EQ(f.grid->GetItem(1)->GetString(1), "");   // record 2's area is Null

    // Rows freed while the cache holds them (a reload, then the grid itself).
    f.ds->Locate("NUMBER", 7, {});
    f.ds->Delete();
    EXPECT_EQ(f.grid->GetCount(), 39);
    EXPECT_EQ(f.grid->GetItem(6)->GetString(0), "8");
    Shown(f.grid);
    f.owner.reset();
}

TEST(RowTextCache, AReloadAskedForWhileARowReadsItsRecordWaitsForTheRead)
{
    for (const bool grouped : {false, true}) {
        SCOPED_TRACE(grouped ? "grouped" : "flat");
        GridFixture f(20);
        if (grouped)
            f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
        f.grid->FullExpand();
        int reloads = 0;
        f.ds->FieldByName("TITLE")->OnGetText = [&](TField* Sender, std::string& Text, bool) {
            Text = Sender->AsString();
            if (reloads++ == 0)
                f.grid->ReloadNodes();   // a refresh of the grid from the user's handler
        };
        TdxTreeListNode* row = f.grid->GetAbsoluteNode(grouped ? 1 : 0);
        ASSERT_TRUE(f.Node(row)->ValuesPending());
        const std::string key = std::to_string(f.Node(row)->Key().AsInteger());
        // The row is read (its title runs the handler) and stays the row it was.
        EXPECT_EQ(row->GetString(1), "Door " + key);
        EXPECT_EQ(row->GetString(0), key);
        EXPECT_EQ(reloads, 1);
        // The reload runs once the event that read the row is over.
        ProcessPostedCalls();
        f.ds->FieldByName("TITLE")->OnGetText = nullptr;
        GridFixture fresh(20);
        if (grouped)
            fresh.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
        EXPECT_EQ(Shown(f.grid), Shown(fresh.grid));
    }
}

TEST(RowTextCache, ADataSetClosedWhileARowReadsItsRecordEmptiesTheGridAfterTheRead)
{
    GridFixture f(20);
    bool closed = false;
    f.ds->FieldByName("TITLE")->OnGetText = [&](TField* Sender, std::string& Text, bool) {
        Text = Sender->AsString();
        if (!std::exchange(closed, true))
            f.ds->Close();
    };
    TdxTreeListNode* row = f.grid->GetItem(3);
    EXPECT_EQ(row->GetString(1), "Door 4");
    EXPECT_TRUE(closed);
    EXPECT_EQ(f.grid->GetCount(), 20);   // until the event is over
    ProcessPostedCalls();
    EXPECT_EQ(f.grid->GetCount(), 0);
}

TEST(RowTextCache, AColumnFreedByItsOwnTextHandlerWhileARowReadsItsRecordIsNotWrittenTo)
{
    GridFixture f(20);
    TdxDBTreeListColumn* title = f.grid->ColumnByFieldName("TITLE");
    f.ds->FieldByName("TITLE")->OnGetText = [&](TField* Sender, std::string& Text, bool) {
        Text = Sender->AsString();
        delete std::exchange(title, nullptr);
    };
    TdxTreeListNode* row = f.grid->GetItem(4);
    // The row reads its record: the title column goes meanwhile, the area moves into its place.
    EXPECT_EQ(row->GetString(1), "East");
    EXPECT_EQ(title, nullptr);
    EXPECT_EQ(f.grid->GetColumnCount(), 3);
    EXPECT_EQ(row->GetString(0), "5");
    ProcessPostedCalls();
    EXPECT_EQ(f.grid->GetItem(4)->GetString(1), "East");
    EXPECT_EQ(f.grid->GetItem(5)->GetString(1), "North");
}

} // namespace qel::test
