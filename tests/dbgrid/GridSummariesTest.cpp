// Group-row, group-footer and footer summaries of a loaded grid under the
// German locale, with Null values in the summarised field.
#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridColumns.h"

#include "platform/core/Locale.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qel;

namespace {

struct SummaryFixture {
    LocaleScope german;
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    TMemoryDataSet* ds = new TMemoryDataSet(owner.get());
    TDataSource* source = new TDataSource(owner.get());
    TdxDBGrid* grid = new TdxDBGrid(owner.get());
    TdxDBTreeListColumn* area;
    TdxDBTreeListColumn* amount;
    TdxDBTreeListColumn* seen;

    SummaryFixture()
    {
        ds->AddField("ID", ftInteger);
        ds->AddField("AREA", ftString, 10);
        ds->AddField("AMOUNT", ftFloat);
        ds->AddField("SEEN", ftDate);
        ds->Open();
        const Variant n = Variant::Null();
        auto day = [](int d) { return Variant::FromDate(EncodeDate(2026, 3, d)); };
        ds->AppendRecord({1, "A", 1.5, day(9)});
        ds->AppendRecord({2, "B", n, n});
        ds->AppendRecord({3, "A", n, day(2)});
        ds->AppendRecord({4, "A", -2.0, day(20)});
        ds->AppendRecord({5, "B", n, n});
        ds->First();
        source->SetDataSet(ds);
        grid->SetBounds(0, 0, 400, 300);
        grid->SetKeyField("ID");
        grid->SetOptions(grid->Options() + TdxDBGridOptions{egoLoadAllRecords});
        grid->CreateColumnOf<TdxDBGridColumn>()->SetFieldName("ID");
        area = grid->CreateColumnOf<TdxDBGridColumn>();
        area->SetFieldName("AREA");
        area->SetName("colArea");
        amount = grid->CreateColumnOf<TdxDBGridColumn>();
        amount->SetFieldName("AMOUNT");
        amount->SetName("colAmount");
        seen = grid->CreateColumnOf<TdxDBGridColumn>();
        seen->SetFieldName("SEEN");
        seen->SetName("colSeen");
    }
    void Load()
    {
        grid->SetDataSource(source);
        area->SetGroupIndex(0);
    }
    TdxTreeListNode* Group(int Index) const { return grid->GetItem(Index); }
    std::string Text(int Index) const { return grid->GetGroupRowText(Group(Index)); }
};

} // namespace

TEST(GridSummaries, GroupRowWithoutSummariesIsCaptionValueAndABlank)
{
    SummaryFixture f;
    f.Load();
    ASSERT_EQ(f.grid->GetCount(), 2);
    EXPECT_EQ(f.Text(0), "AREA : A ");
}

TEST(GridSummaries, GroupSummaryAndItemsInTheGroupRow)
{
    SummaryFixture f;
    f.area->SetSummaryType(cstSum);
    f.area->SetSummaryField("AMOUNT");
    auto* g = f.grid->SummaryGroups()->Add();
    g->SetName("Totals");
    g->SetBeginSummaryText("[");
    g->SetEndSummaryText("]");
    auto* min = g->SummaryItems()->Add();
    min->SetSummaryField("AMOUNT");
    min->SetSummaryType(cstMin);
    auto* none = g->SummaryItems()->Add();
    none->SetSummaryType(cstNone);
    auto* count = g->SummaryItems()->Add();
    count->SetSummaryType(cstCount);
    auto* avg = g->SummaryItems()->Add();
    avg->SetSummaryField("AMOUNT");
    avg->SetSummaryType(cstAvg);
    auto* first = g->SummaryItems()->Add();
    first->SetSummaryField("SEEN");
    first->SetSummaryType(cstMin);
    auto* trailing = g->SummaryItems()->Add();
    trailing->SetSummaryType(cstNone);
    // The column has its own summary and no group name: it takes no default group.
    g->SetDefaultGroup(true);
    f.Load();
    EXPECT_EQ(f.Text(0), "AREA : A (SUM=-0,50) ");
    EXPECT_EQ(f.Text(1), "AREA : B (SUM=0,00) ");

    f.area->SetSummaryGroupName("totals");   // found case-insensitively
    f.grid->ReloadNodes();
    EXPECT_EQ(f.Text(0), "AREA : A (SUM=-0,50) [(MIN=-2,00), (COUNT=3), (AVG=-0,25), (MIN=02.03.2026)]");
    // All Null: no Min, no Avg, no date; the count stays the record count.
    EXPECT_EQ(f.Text(1), "AREA : B (SUM=0,00) [(COUNT=2)]");
}

TEST(GridSummaries, BeginAndEndTextsOnlyAroundShownItems)
{
    SummaryFixture f;
    auto* g = f.grid->SummaryGroups()->Add();
    g->SetName("G");
    g->SetDefaultGroup(true);
    g->SetBeginSummaryText("[");
    g->SetEndSummaryText("]");
    auto* max = g->SummaryItems()->Add();
    max->SetSummaryField("AMOUNT");
    max->SetSummaryType(cstMax);
    f.Load();
    EXPECT_EQ(f.Text(0), "AREA : A [(MAX=1,50)]");
    EXPECT_EQ(f.Text(1), "AREA : B ");
}

TEST(GridSummaries, GroupFootersAndTheGridFooter)
{
    SummaryFixture f;
    auto* g = f.grid->SummaryGroups()->Add();
    g->SetName("G");
    g->SetDefaultGroup(true);
    auto* sum = g->SummaryItems()->Add();
    sum->SetColumnName("colAmount");
    sum->SetSummaryField("AMOUNT");
    sum->SetSummaryType(cstSum);
    auto* second = g->SummaryItems()->Add();   // the same column again: the first one shows
    second->SetColumnName("COLAMOUNT");
    second->SetSummaryType(cstCount);
    auto* late = g->SummaryItems()->Add();
    late->SetColumnName("colSeen");
    late->SetSummaryField("SEEN");
    late->SetSummaryType(cstMax);
    f.amount->SetSummaryFooterType(cstAvg);
    f.seen->SetSummaryFooterType(cstMin);
    f.area->SetSummaryFooterType(cstCount);
    f.Load();
    EXPECT_TRUE(f.grid->IsLevelFooter(0));
    TdxTreeListNode* lastOfA = f.Group(0)->GetLastChild();
    f.grid->SetShowRowFooter(true);
    ASSERT_EQ(f.grid->GetRowFooterCount(lastOfA), 1);
    const int amountCol = f.amount->GetColumnIndex(), seenCol = f.seen->GetColumnIndex();
    std::string text;
    f.grid->GetRowFooterCellText(lastOfA, amountCol, 0, text);
    EXPECT_EQ(text, "-0,50");
    f.grid->GetRowFooterCellText(lastOfA, seenCol, 0, text);
    EXPECT_EQ(text, "MAX=20.03.2026");
    EXPECT_FALSE(f.grid->IsExistRowFooterCell(lastOfA, f.area->GetColumnIndex(), 0));
    // Group B: every date is Null, so the cell exists but shows nothing.
    TdxTreeListNode* lastOfB = f.Group(1)->GetLastChild();
    EXPECT_TRUE(f.grid->IsExistRowFooterCell(lastOfB, seenCol, 0));
    f.grid->GetRowFooterCellText(lastOfB, seenCol, 0, text);
    EXPECT_EQ(text, "");

    // Footer: the average of the two amounts there, the earliest date, the record count.
    EXPECT_EQ(f.grid->GetFooterCellText(amountCol), "AVG=-0,25");
    EXPECT_EQ(f.grid->GetFooterCellText(seenCol), "MIN=02.03.2026");
    EXPECT_EQ(f.grid->GetFooterCellText(f.area->GetColumnIndex()), "5");
    EXPECT_TRUE(f.grid->IsExistFooterCell(amountCol));
    // The column answers the same text (the exports read it there).
    EXPECT_EQ(f.amount->GetSummaryFooterText(), "AVG=-0,25");
    EXPECT_EQ(f.seen->GetSummaryFooterText(), "MIN=02.03.2026");
}

TEST(GridSummaries, SmartRefreshRecomputesTheGroupAndTheFooter)
{
    SummaryFixture f;
    f.grid->SetOptions(f.grid->Options() + TdxDBGridOptions{egoSmartRefresh});
    f.area->SetSummaryType(cstSum);
    f.area->SetSummaryField("AMOUNT");
    auto* g = f.grid->SummaryGroups()->Add();
    g->SetName("Totals");
    auto* max = g->SummaryItems()->Add();
    max->SetSummaryField("AMOUNT");
    max->SetSummaryType(cstMax);
    f.area->SetSummaryGroupName("Totals");
    f.amount->SetSummaryFooterType(cstAvg);
    f.seen->SetSummaryFooterType(cstCount);
    f.Load();
    EXPECT_EQ(f.Text(0), "AREA : A (SUM=-0,50) (MAX=1,50)");
    TdxTreeListNode* untouched = f.grid->FindNodeByKey(3);
    const int amountCol = f.amount->GetColumnIndex();

    // In place: the group's Max falls, its Sum follows, the footer average too.
    f.ds->Locate("ID", 1, {});
    f.ds->Edit();
    f.ds->FieldByName("AMOUNT")->SetAsFloat(-1.0);
    f.ds->Post();
    EXPECT_EQ(f.grid->FindNodeByKey(3), untouched);   // no reload
    EXPECT_EQ(f.Text(0), "AREA : A (SUM=-3,00) (MAX=-1,00)");
    EXPECT_EQ(f.Text(1), "AREA : B (SUM=0,00) ");
    EXPECT_EQ(f.grid->GetFooterCellText(amountCol), "AVG=-1,50");
    EXPECT_EQ(f.grid->GetFooterCellText(f.seen->GetColumnIndex()), "5");

    // Moved to the other group: both groups follow.
    f.ds->Edit();
    f.ds->FieldByName("AREA")->SetAsString("B");
    f.ds->Post();
    EXPECT_EQ(f.grid->FindNodeByKey(3), untouched);
    EXPECT_EQ(f.Text(0), "AREA : A (SUM=-2,00) (MAX=-2,00)");
    EXPECT_EQ(f.Text(1), "AREA : B (SUM=-1,00) (MAX=-1,00)");
    EXPECT_EQ(f.grid->GetFooterCellText(amountCol), "AVG=-1,50");
}

TEST(GridSummaries, SmartRefreshOfAFieldNoColumnKeepsReloads)
{
    SummaryFixture f;
    f.grid->SetOptions(f.grid->Options() + TdxDBGridOptions{egoSmartRefresh});
    f.amount->SetFieldName("");   // AMOUNT is summarised but shown by no column
    f.area->SetSummaryType(cstSum);
    f.area->SetSummaryField("AMOUNT");
    f.Load();
    EXPECT_EQ(f.Text(0), "AREA : A (SUM=-0,50) ");
    f.ds->Locate("ID", 1, {});
    f.ds->Edit();
    f.ds->FieldByName("AMOUNT")->SetAsFloat(3.5);
    f.ds->Post();
    EXPECT_EQ(f.Text(0), "AREA : A (SUM=1,50) ");
}

// Over no records a footer sum and average are the plain sum, 0; a minimum
// and a maximum have no value and show nothing.
TEST(GridSummaries, FootersOverNoRecords)
{
    auto footers = [](SummaryFixture& F) {
        std::vector<std::string> out;
        for (int c = 0; c < F.grid->GetColumnCount(); ++c)
            if (F.grid->IsExistFooterCell(c))
                out.push_back(F.grid->GetFooterCellText(c));
        return out;
    };
    auto setUp = [](SummaryFixture& F) {
        F.amount->SetSummaryFooterType(cstSum);
        for (TdxSummaryType type : {cstAvg, cstMin, cstMax, cstCount}) {
            auto* c = F.grid->CreateColumnOf<TdxDBGridColumn>();
            c->SetFieldName("AMOUNT");
            c->SetSummaryFooterType(type);
        }
    };
    const std::vector<std::string> nothing{"0,00", "AVG=0,00", "", "", "0"};

    SummaryFixture empty;
    empty.ds->EmptyTable();
    setUp(empty);
    empty.Load();
    EXPECT_EQ(footers(empty), nothing);

    // Every record filtered out.
    SummaryFixture filtered;
    setUp(filtered);
    filtered.Load();
    EXPECT_EQ(footers(filtered), (std::vector<std::string>{"-0,50", "AVG=-0,25", "MIN=-2,00", "MAX=1,50", "5"}));
    filtered.grid->Filter()->SetActive(true);
    filtered.grid->Filter()->Criteria()->AddCondition(nullptr, filtered.amount, false, "100", Variant(100.0), 2);
    filtered.grid->ApplyFilter();
    ASSERT_EQ(filtered.grid->GetCount(), 0);
    EXPECT_EQ(footers(filtered), nothing);
}

// A summary over a text field that holds numbers is refreshed in place from
// the rows' texts (the text is the value) and shows what a load shows; the
// other rows of the group are read where they are and stay unread.
TEST(GridSummaries, SmartRefreshOfATextOperandStaysInPlaceAndAgreesWithALoad)
{
    LocaleScope german;
    TComponent owner(nullptr);
    auto* ds = new TMemoryDataSet(&owner);
    ds->AddField("ID", ftInteger);
    ds->AddField("AREA", ftString, 10);
    ds->AddField("QTY", ftString, 10);
    ds->Open();
    for (int i = 1; i <= 6; ++i)
        ds->AppendRecord({i, i % 2 ? "A" : "B", std::to_string(i * 3)});
    ds->First();
    auto* source = new TDataSource(&owner);
    source->SetDataSet(ds);
    auto grouped = [&] {
        auto* grid = new TdxDBGrid(&owner);
        grid->SetBounds(0, 0, 400, 300);
        grid->SetKeyField("ID");
        grid->SetOptions(grid->Options() + TdxDBGridOptions{egoLoadAllRecords, egoSmartRefresh});
        for (const char* f : {"ID", "AREA", "QTY"})
            grid->CreateColumnOf<TdxDBGridColumn>()->SetFieldName(f);
        TdxDBTreeListColumn* area = grid->ColumnByFieldName("AREA");
        area->SetSummaryType(cstSum);
        area->SetSummaryField("QTY");
        grid->ColumnByFieldName("QTY")->SetSummaryFooterType(cstSum);
        grid->SetDataSource(source);
        area->SetGroupIndex(0);
        return grid;
    };
    TdxDBGrid* grid = grouped();
    TdxTreeListNode* untouched = grid->FindNodeByKey(3);
    ds->Locate("ID", 1, {});
    ds->Edit();
    ds->FieldByName("QTY")->SetAsString("10");
    ds->Post();
    EXPECT_EQ(grid->FindNodeByKey(3), untouched);   // no reload
    EXPECT_TRUE(static_cast<TdxDBGridNode*>(untouched)->ValuesPending());

    TdxDBGrid* fresh = grouped();
    ASSERT_EQ(grid->GetCount(), fresh->GetCount());
    for (int i = 0; i < grid->GetCount(); ++i)
        EXPECT_EQ(grid->GetGroupRowText(grid->GetItem(i)), fresh->GetGroupRowText(fresh->GetItem(i)));
    EXPECT_EQ(grid->GetFooterCellText(2), fresh->GetFooterCellText(2));
    EXPECT_NE(grid->GetGroupRowText(grid->GetItem(0)).find("34"), std::string::npos)
        << grid->GetGroupRowText(grid->GetItem(0));
}
