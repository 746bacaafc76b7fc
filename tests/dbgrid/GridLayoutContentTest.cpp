// What a layout carries beyond columns and bands: summary groups with their
// items, the filter with its criteria, typed-column limits and the grid's
// own settings; what applying one resets; and a damaged snapshot that
// leaves the grid as it was.
#include "GridTestSupport.h"
#include "TestSupport.h"

#include "dbgrid/GridLayouts.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streaming.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::GridFixture;

// Named as on a form, so that the snapshot's data source reference resolves.
void NameColumns(GridFixture& F)
{
    TdxDBGrid& Grid = *F.grid;
    F.owner->SetName("Form1");
    F.source->SetName("Source");
    Grid.Columns(0)->SetName("colNumber");
    Grid.Columns(1)->SetName("colTitle");
    Grid.Columns(2)->SetName("colArea");
}

// Two summary groups and a filter "AREA = North".
void Decorate(GridFixture& F)
{
    NameColumns(F);
    TdxDBGridSummaryGroup* doors = F.grid->SummaryGroups()->Add();
    doors->SetName("Doors");
    doors->SetBeginSummaryText("(");
    doors->SetEndSummaryText(")");
    doors->SetDefaultGroup(true);
    TdxDBGridSummaryItem* count = doors->SummaryItems()->Add();
    count->SetColumnName("colNumber");
    count->SetSummaryField("NUMBER");
    count->SetSummaryType(cstCount);
    count->SetSummaryFormat("0 doors");
    TdxDBGridSummaryItem* sum = doors->SummaryItems()->Add();
    sum->SetSummaryField("NUMBER");
    sum->SetSummaryType(cstSum);
    F.grid->SummaryGroups()->Add()->SetName("Empty");

    TdxDBGridFilter* filter = F.grid->Filter();
    filter->SetActive(true);
    filter->SetCaseInsensitive(true);
    filter->SetDropDownCount(5);
    filter->SetFilterStatus(fsAlways);
    filter->SetColumnValue(F.grid->Columns(2), Variant("North"), "North");
}

void ExpectDecorated(const TCustomdxDBGrid& Grid)
{
    TdxDBGridSummaryGroups* groups = Grid.SummaryGroups();
    ASSERT_EQ(groups->Count(), 2);
    TdxDBGridSummaryGroup* doors = groups->Items(0);
    EXPECT_EQ(doors->Name(), "Doors");
    EXPECT_EQ(doors->BeginSummaryText(), "(");
    EXPECT_EQ(doors->EndSummaryText(), ")");
    EXPECT_EQ(groups->FindDefaultGroup(), doors);
    ASSERT_EQ(doors->SummaryItems()->Count(), 2);
    EXPECT_EQ(doors->SummaryItems()->Items(0)->ColumnName(), "colNumber");
    EXPECT_EQ(doors->SummaryItems()->Items(0)->SummaryType(), cstCount);
    EXPECT_EQ(doors->SummaryItems()->Items(0)->SummaryFormat(), "0 doors");
    EXPECT_EQ(doors->SummaryItems()->Items(1)->SummaryType(), cstSum);
    EXPECT_EQ(doors->SummaryItems()->Items(1)->SummaryField(), "NUMBER");
    EXPECT_EQ(groups->Items(1)->Name(), "Empty");
    EXPECT_EQ(groups->Items(1)->SummaryItems()->Count(), 0);

    const TdxDBGridFilter* filter = Grid.Filter();
    EXPECT_TRUE(filter->Active());
    EXPECT_TRUE(filter->CaseInsensitive());
    EXPECT_EQ(filter->DropDownCount(), 5);
    EXPECT_EQ(filter->FilterStatus(), fsAlways);
    ASSERT_NE(filter->Criteria()->FindItemByColumnName("colArea"), nullptr);
    EXPECT_EQ(filter->Criteria()->FindItemByColumnName("colArea")->Value().AsString(), "North");
}

TEST(GridLayoutContent, SummaryGroupsAndFilterRoundTripThroughTheStream)
{
    GridFixture f(10);
    Decorate(f);
    EXPECT_EQ(f.Rows(), (std::vector<std::string>{"1", "4", "6", "9"}));
    TMemoryStream stream;
    SaveComponentToMemory(f.grid, stream);
    TdxDBGrid scratch(nullptr);
    LoadComponentFromMemory(stream, &scratch, nullptr);
    ExpectDecorated(scratch);

    // Through a layout of the form onto another grid of it: bound to the
    // same data, its rows are filtered again.
    auto* layout = new TdxDBGridLayout(f.owner.get());
    layout->Assign(f.grid);
    auto* other = new TdxDBGrid(f.owner.get());
    other->SetName("DBGrid2");
    other->SetBounds(0, 0, 400, 300);
    other->SummaryGroups()->Add()->SetName("Mine");
    layout->AssignTo(other);
    ExpectDecorated(*other);
    EXPECT_EQ(other->DataSource(), f.source);
    EXPECT_EQ(other->GetAbsoluteCount(), 4);
    EXPECT_EQ(other->HiddenNodeCount(), 6);
}

TEST(GridLayoutContent, LayoutWithoutFilterClearsTheGridsFilter)
{
    GridFixture b(10);
    NameColumns(b);
    auto* layout = new TdxDBGridLayout(b.owner.get());
    layout->Assign(b.grid);
    Decorate(b);
    ASSERT_EQ(b.Rows().size(), 4u);
    layout->AssignTo(b.grid);
    EXPECT_EQ(b.grid->DataSource(), b.source);
    EXPECT_FALSE(b.grid->Filter()->Active());
    EXPECT_EQ(b.grid->Filter()->Criteria()->Root()->Count(), 0);
    EXPECT_EQ(b.grid->Filter()->DropDownCount(), 12);
    EXPECT_EQ(b.grid->Filter()->FilterStatus(), fsAuto);
    EXPECT_EQ(b.grid->SummaryGroups()->Count(), 0);
    EXPECT_EQ(b.Rows().size(), 10u);
}

TEST(GridLayoutContent, DamagedCriteriaLeavesTheGridAsItWas)
{
    GridFixture f(10);
    Decorate(f);
    TdxDBGridLayout layout(nullptr);
    layout.Assign(f.grid);
    // The layout as a form stores it, with the leaf's value tag (after the
    // column name and the operator byte) made one the reader refuses.
    TMemoryStream form;
    SaveComponentToMemory(&layout, form);
    std::string bytes = form.Bytes();
    const std::size_t at = bytes.find("colArea", bytes.find("Criteria"));
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(bytes[at + 8], '\x06');
    bytes[at + 8] = '\x07';
    form.SetBytes(bytes);
    TdxDBGridLayout bad(nullptr);
    LoadComponentFromMemory(form, &bad, nullptr);
    ASSERT_FALSE(bad.IsEmpty());

    GridFixture g(10);
    NameColumns(g);
    g.grid->SetShowGroupPanel(true);
    g.grid->SetDefaultRowHeight(30);
    g.grid->SummaryGroups()->Add()->SetName("Mine");
    EXPECT_THROW(bad.AssignTo(g.grid), EReadError);
    EXPECT_TRUE(g.grid->ShowGroupPanel());
    EXPECT_EQ(g.grid->DefaultRowHeight(), 30);
    ASSERT_EQ(g.grid->SummaryGroups()->Count(), 1);
    EXPECT_EQ(g.grid->SummaryGroups()->Items(0)->Name(), "Mine");
    EXPECT_EQ(g.grid->GetColumnCount(), 4);
    EXPECT_EQ(g.grid->Name(), "DBGrid1");
    EXPECT_EQ(g.grid->LockUpdate(), 0);
    EXPECT_FALSE(g.grid->LoadingLayout());
    EXPECT_EQ(g.Rows().size(), 10u);

    // Read straight into a grid, the damaged block keeps the filter it had.
    g.grid->Filter()->SetActive(true);
    g.grid->Filter()->SetColumnValue(g.grid->Columns(2), Variant("South"), "South");
    TdxDBGridFilter* filter = g.grid->Filter();
    TMemoryStream criteria;
    criteria.SetBytes(std::string("\x01\x00\x00\x00\x00\x00", 6));   // one item, then the stream ends
    EXPECT_ANY_THROW(filter->ReadCriteria(criteria));
    ASSERT_NE(filter->Criteria()->FindItemByColumnName("colArea"), nullptr);
    EXPECT_EQ(filter->Criteria()->FindItemByColumnName("colArea")->Value().AsString(), "South");
}

TEST(GridLayoutContent, SpinAndCurrencyLimitsOfZeroAreKept)
{
    GridFixture f(1);
    auto* spin = f.grid->CreateColumnOf<TdxDBGridSpinColumn>();
    spin->SetMinValue(0);
    spin->SetMaxValue(99);
    auto* currency = f.grid->CreateColumnOf<TdxDBGridCurrencyColumn>();
    currency->SetMaxValue(0);
    f.grid->CreateColumnOf<TdxDBGridSpinColumn>();
    TMemoryStream stream;
    SaveComponentToMemory(f.grid, stream);
    TdxDBGrid scratch(nullptr);
    LoadComponentFromMemory(stream, &scratch, nullptr);
    ASSERT_EQ(scratch.GetColumnCount(), 7);
    auto* spinBack = dynamic_cast<TdxDBTreeListSpinColumn*>(scratch.GetColumnByIndex(4));
    auto* currencyBack = dynamic_cast<TdxDBTreeListCurrencyColumn*>(scratch.GetColumnByIndex(5));
    auto* plainBack = dynamic_cast<TdxDBTreeListSpinColumn*>(scratch.GetColumnByIndex(6));
    ASSERT_TRUE(spinBack && currencyBack && plainBack);
    EXPECT_TRUE(spinBack->IsMinValueStored());
    EXPECT_EQ(spinBack->MinValue(), 0.0);
    EXPECT_EQ(spinBack->MaxValue(), 99.0);
    EXPECT_FALSE(currencyBack->IsMinValueStored());
    EXPECT_TRUE(currencyBack->IsMaxValueStored());
    EXPECT_FALSE(plainBack->IsMinValueStored()) << "an unassigned limit stays the field's";
    EXPECT_FALSE(plainBack->IsMaxValueStored());
}

TEST(GridLayoutContent, GridSettingsRoundTripAndEmptyLayoutResetsThem)
{
    GridFixture a(1);
    a.grid->SetScrollBars(ssVertical);
    a.grid->SetRowSeparatorLineWidth(3);
    a.grid->SetFixedBandLineWidth(0);
    a.grid->SetFixedBandLineColor(clRed);
    a.grid->SetRowFooterTextColor(clBlue);
    a.grid->SetCustomizingRowCount(4);
    a.grid->SetShowNewItemRow(true);
    a.grid->SetShowFooter(true);
    a.grid->SetWaitForExpandNodeTime(80);
    a.grid->SetOptionsCustomize({edgoColumnSizing});
    a.grid->SetOptionsView({edgoIndicator, edgoRowSelect});
    TdxDBGridLayout layout(nullptr);
    layout.Assign(a.grid);

    GridFixture b(1);
    layout.AssignTo(b.grid);
    EXPECT_EQ(b.grid->ScrollBars(), ssVertical);
    EXPECT_EQ(b.grid->RowSeparatorLineWidth(), 3);
    EXPECT_EQ(b.grid->FixedBandLineWidth(), 0);
    EXPECT_EQ(b.grid->FixedBandLineColor(), clRed);
    EXPECT_EQ(b.grid->RowFooterTextColor(), clBlue);
    EXPECT_EQ(b.grid->CustomizingRowCount(), 4);
    EXPECT_TRUE(b.grid->ShowNewItemRow());
    EXPECT_TRUE(b.grid->ShowFooter());
    EXPECT_EQ(b.grid->WaitForExpandNodeTime(), 80);
    EXPECT_EQ(b.grid->OptionsCustomize(), TdxDBGridOptionsCustomize{edgoColumnSizing});
    EXPECT_TRUE(b.grid->OptionsView().Contains(edgoRowSelect));
    EXPECT_FALSE(b.grid->OptionsView().Contains(edgoUseBitmap));

    TdxDBGridLayout empty(nullptr);
    empty.AssignTo(b.grid);
    EXPECT_EQ(b.grid->ScrollBars(), ssBoth);
    EXPECT_EQ(b.grid->RowSeparatorLineWidth(), 1);
    EXPECT_EQ(b.grid->FixedBandLineWidth(), 2);
    EXPECT_EQ(b.grid->FixedBandLineColor(), clWindowFrame);
    EXPECT_EQ(b.grid->RowFooterTextColor(), clWindowText);
    EXPECT_EQ(b.grid->CustomizingRowCount(), 11);
    EXPECT_FALSE(b.grid->ShowNewItemRow());
    EXPECT_FALSE(b.grid->ShowFooter());
    EXPECT_EQ(b.grid->WaitForExpandNodeTime(), 500);
    EXPECT_EQ(b.grid->OptionsCustomize(),
              (TdxDBGridOptionsCustomize{edgoBandMoving, edgoBandSizing, edgoColumnMoving, edgoColumnSizing}));
    EXPECT_EQ(b.grid->OptionsView(), (TdxDBGridOptionsView{edgoBandHeaderWidth, edgoUseBitmap}));
    EXPECT_EQ(b.grid->OptionsDB(), (TdxDBGridOptionsDB{edgoCancelOnExit, edgoCanDelete, edgoCanInsert,
                                                       edgoCanNavigation, edgoConfirmDelete, edgoUseBookmarks}));
}

} // namespace
} // namespace qel
