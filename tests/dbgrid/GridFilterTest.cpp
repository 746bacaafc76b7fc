// The grid filter: header drop-down values and round trips, rows hidden and
// brought back under re-created group rows, and the dataset's filter text.
#include "dbgrid/DBGrid.h"

#include "GridTestSupport.h"
#include "TestSupport.h"
#include "editors/PopupListBox.h"
#include "platform/controls/Keyboard.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct FilterFixture : GridFixture {
    TdxDBTreeListColumn* number = grid->Columns(0);
    TdxDBTreeListColumn* title = grid->Columns(1);
    TdxDBTreeListColumn* area = grid->Columns(2);
    TdxDBGridFilter* filter = grid->Filter();
    TdxDBGridFilterValues values;
    explicit FilterFixture(int Rows = 10) : GridFixture(Rows)
    {
        number->SetName("colNumber");
        title->SetName("colTitle");
        area->SetName("colArea");
        filter->SetActive(true);
    }
    std::vector<std::string> Items(TdxDBTreeListColumn* Column)
    {
        grid->CollectFilterValues(Column, values);
        return TdxDBGridFilter::DropDownItems(values);
    }
    // Picks the drop-down item with this text.
    void Pick(TdxDBTreeListColumn* Column, const std::string& Text)
    {
        const auto items = Items(Column);
        const auto it = std::find(items.begin(), items.end(), Text);
        ASSERT_NE(it, items.end()) << Text;
        filter->AcceptDropDownItem(Column, values, static_cast<int>(it - items.begin()));
    }
    std::string Selected(TdxDBTreeListColumn* Column)
    {
        const auto items = Items(Column);
        return items.at(static_cast<std::size_t>(filter->DropDownSelection(Column, values)));
    }
};

} // namespace

TEST(GridFilter, DropDownOffersBlanksOnlyWhenSeen)
{
    FilterFixture f;
    EXPECT_EQ(f.Items(f.area),
              (std::vector<std::string>{"(All)", "(Custom...)", "(Blanks)", "(NonBlanks)", "East", "North", "South"}));
    const auto titles = f.Items(f.title);
    ASSERT_EQ(titles.size(), 12u);
    EXPECT_EQ(titles[2], "Door 1");   // no blanks: the values start at index 2
    EXPECT_EQ(f.Selected(f.area), "(All)");
}

TEST(GridFilter, PickingValuesRoundTripsAndOffersHiddenValues)
{
    FilterFixture f;
    f.Pick(f.area, "North");
    EXPECT_EQ(f.Rows(), (std::vector<std::string>{"1", "4", "6", "9"}));
    EXPECT_EQ(f.grid->HiddenNodeCount(), 6);
    EXPECT_EQ(f.Selected(f.area), "North");
    // Filtered-out rows still offer their values.
    EXPECT_EQ(f.Items(f.area).size(), 7u);
    EXPECT_TRUE(f.filter->HasCondition(f.area));

    f.Pick(f.area, "(NonBlanks)");
    EXPECT_EQ(f.Rows().size(), 8u);
    EXPECT_EQ(f.Selected(f.area), "(NonBlanks)");
    f.Pick(f.area, "(Blanks)");
    EXPECT_EQ(f.Rows(), (std::vector<std::string>{"2", "7"}));
    EXPECT_EQ(f.Selected(f.area), "(Blanks)");

    // A custom condition on the column is replaced by a picked value.
    ApplyCustomFilterConditions(*f.filter->Criteria(), f.number, {2, Variant(5), "5"}, {}, false);
    f.grid->ApplyFilter();
    EXPECT_EQ(f.Rows(), (std::vector<std::string>{"7"}));
    EXPECT_EQ(f.Selected(f.number), "(Custom...)");
    f.Pick(f.number, "9");
    EXPECT_EQ(f.Rows(), (std::vector<std::string>{}));
    EXPECT_EQ(f.filter->Criteria()->FindItemByColumnName("colNumber")->OperatorKind(), 1);

    f.Pick(f.number, "(All)");
    f.Pick(f.area, "(All)");
    EXPECT_EQ(f.Rows().size(), 10u);
    EXPECT_EQ(f.grid->HiddenNodeCount(), 0);
}

TEST(GridFilter, RowsComeBackUnderRecreatedGroupRows)
{
    FilterFixture f;
    f.area->SetGroupIndex(0);
    ASSERT_EQ(f.grid->GetCount(), 4);
    f.Pick(f.title, "Door 3");
    ASSERT_EQ(f.grid->GetCount(), 1);   // the other group rows are gone
    EXPECT_EQ(f.grid->GetItem(0)->Count(), 1);
    f.filter->ClearAll();
    EXPECT_EQ(f.grid->GetCount(), 4);
    EXPECT_EQ(f.grid->GetItem(2)->Count(), 4);
}

TEST(GridFilter, CaseInsensitiveValuesAndTheCap)
{
    FilterFixture f;
    f.ds->Edit();
    f.ds->FieldByName("TITLE")->SetAsString("DOOR 2");
    f.ds->Post();
    f.filter->SetCaseInsensitive(true);
    const auto items = f.Items(f.title);
    EXPECT_EQ(items.size(), 11u);   // "Door 2" and "DOOR 2" once
    EXPECT_EQ(std::count(items.begin(), items.end(), "DOOR 2"), 1);
    f.filter->SetMaxDropDownCount(3);
    EXPECT_EQ(f.Items(f.title).size(), 5u);
}

TEST(GridFilter, HiddenRowsLeaveTheSelection)
{
    FilterFixture f;
    f.grid->SelectNode(f.grid->GetItem(1), true);   // record 2, AREA Null
    f.Pick(f.area, "(NonBlanks)");
    EXPECT_EQ(f.grid->SelectedCount(), 0);
}

TEST(GridFilter, DataSetFilterText)
{
    FilterFixture f;
    std::vector<std::string> seen;
    f.grid->OnFilterChanged = [&](TObject* Sender, TDataSet* DataSet, const std::string& Text) {
        EXPECT_EQ(Sender, f.grid);
        EXPECT_EQ(DataSet, f.ds);
        seen.push_back(Text);
    };
    f.filter->SetAutoDataSetFilter(true);
    f.Pick(f.title, "Door 3");
    EXPECT_EQ(f.ds->Filter(), "(TITLE = 'Door 3')");
    EXPECT_TRUE(f.ds->Filtered());
    EXPECT_EQ(seen.back(), "(TITLE = 'Door 3')");
    f.filter->SetAutoDataSetFilter(false);
    EXPECT_EQ(f.ds->Filter(), "");
    EXPECT_FALSE(f.ds->Filtered());
    f.filter->SetActive(false);
    EXPECT_EQ(seen.back(), "");
    EXPECT_EQ(f.filter->Criteria()->Root()->Count(), 0);
    EXPECT_EQ(f.Rows().size(), 10u);
}

TEST(GridFilter, HeaderDropDownByKeys)
{
    FilterFixture f;
    f.grid->DropDownFilter(f.area->GetColumnIndex());
    ASSERT_TRUE(f.grid->IsFilterDropDownOpen());
    TCustomdxPopupListBox* list = f.grid->FilterPopup()->ListBox();
    EXPECT_EQ(Lines(*list->Items()),
              (std::vector<std::string>{"(All)", "(Custom...)", "(Blanks)", "(NonBlanks)", "East", "North", "South"}));
    EXPECT_EQ(list->ItemIndex(), 0);
    std::uint16_t key = VK_DOWN;
    for (int i = 0; i < 3; ++i) {
        key = VK_DOWN;
        f.grid->KeyDown(key, {});
    }
    key = VK_RETURN;
    f.grid->KeyDown(key, {});
    EXPECT_FALSE(f.grid->IsFilterDropDownOpen());
    EXPECT_EQ(f.Rows().size(), 8u);   // non-blanks

    f.grid->DropDownFilter(f.area->GetColumnIndex());
    EXPECT_EQ(list->ItemIndex(), 3);
    key = VK_DOWN;
    f.grid->KeyDown(key, {});
    key = VK_ESCAPE;
    f.grid->KeyDown(key, {});
    EXPECT_FALSE(f.grid->IsFilterDropDownOpen());
    EXPECT_EQ(f.Rows().size(), 8u);   // cancelled: unchanged
}

// A focus change (by the grid or by the dataset), a scroll or a mouse press
// closes an open header drop-down without taking its item.
TEST(GridFilter, TheHeaderDropDownClosesOnFocusScrollAndPress)
{
    FilterFixture f(40);
    TCustomdxPopupListBox* list = nullptr;
    auto open = [&] {
        f.grid->DropDownFilter(f.area->GetColumnIndex());
        EXPECT_TRUE(f.grid->IsFilterDropDownOpen());
        list = f.grid->FilterPopup()->ListBox();
        list->SetItemIndex(4);   // East, which is not taken
    };
    const std::vector<std::pair<const char*, std::function<void()>>> closers{
        {"focused row", [&] { f.grid->SetFocusedNode(f.grid->GetItem(5)); }},
        {"top row", [&] { f.grid->SetTopIndex(10); }},
        {"dataset move", [&] { f.ds->MoveBy(3); }},
        {"mouse press", [&] { f.grid->MouseDown(mbLeft, {}, 5, f.grid->ClientHeight() - 5); }},
    };
    for (const auto& [name, close] : closers) {
        SCOPED_TRACE(name);
        open();
        close();
        EXPECT_FALSE(f.grid->IsFilterDropDownOpen());
        EXPECT_EQ(f.filter->Criteria()->Root()->Count(), 0);
        EXPECT_EQ(f.Rows().size(), 40u);
    }
}
