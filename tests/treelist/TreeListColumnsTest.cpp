#include "TreeListTestSupport.h"

#include "platform/graphics/ImageList.h"
#include "editors/CheckEdit.h"
#include "editors/TextEdit.h"
#include "platform/controls/Messages.h"
#include "treelist/CustomizeForm.h"
#include "treelist/InplaceEditAdapter.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace qel;
using qel::test::TreeFixture;

TEST(TreeListTypedColumns, CheckStateImageValuesAndWrapper)
{
    TreeFixture f;
    auto* check = f.tree->CreateColumnOf<TdxTreeListCheckColumn>();
    EXPECT_EQ(check->GetCheckState(Variant(true)), cbChecked);
    EXPECT_EQ(check->GetCheckState(Variant("true")), cbChecked);   // the checked text, any case
    EXPECT_EQ(check->GetCheckState(Variant("False")), cbUnchecked);
    EXPECT_EQ(check->GetCheckState(Variant::Null()), cbUnchecked);
    check->SetAllowGrayed(true);
    EXPECT_EQ(check->GetCheckState(Variant::Null()), cbGrayed);
    EXPECT_EQ(check->GetCheckState(Variant("maybe")), cbGrayed);
    EXPECT_EQ(check->GetGlyph(), nullptr);

    auto* image = f.tree->CreateColumnOf<TdxTreeListImageColumn>();
    image->Values() = {"A", "B", "C"};
    image->Descriptions() = {"Alpha", "Beta"};
    image->ImageIndexes() = {5};
    int index = 0;
    std::string description;
    image->GetDisplayValues(Variant("A"), index, description);
    EXPECT_EQ(index, 5);
    EXPECT_EQ(description, "Alpha");
    image->GetDisplayValues(Variant("B"), index, description);
    EXPECT_EQ(index, 1);   // default images: the list index
    EXPECT_EQ(description, "Beta");
    image->GetDisplayValues(Variant("C"), index, description);
    EXPECT_EQ(description, "");
    image->GetDisplayValues(Variant("Z"), index, description);
    EXPECT_EQ(index, -1);
    {
        TImageList images(16, 16);
        image->SetImages(&images);
        EXPECT_EQ(image->Images(), &images);
    }
    EXPECT_EQ(image->Images(), nullptr);   // a freed image list is forgotten

    auto* wrapper = f.tree->CreateColumnOf<TdxTreeListWrapperColumn>();
    EXPECT_EQ(wrapper->Column(), nullptr);
    EXPECT_THROW(wrapper->SetColumn(wrapper), EInvaliddxTreeListOperation);
    auto* n = f.Add(nullptr, "shown");
    wrapper->SetColumn(f.colName);
    EXPECT_EQ(wrapper->GetDisplayText(n), "shown");
    delete f.colName;
    f.colName = nullptr;
    EXPECT_EQ(wrapper->Column(), nullptr);
    EXPECT_TRUE(f.tree->CreateColumnOf<TdxTreeListMemoColumn>()->IsMultiLine());
    EXPECT_FALSE(f.tree->CreateColumnOf<TdxTreeListGraphicColumn>()->Stretch());
}

TEST(TreeListColumns, RemovingAColumnKeepsFocusAndSortingOnTheRightColumns)
{
    TreeFixture f;
    f.colKind->SetSorted(csDown);
    f.tree->SetFocusedColumn(2);
    delete f.colName;
    EXPECT_EQ(f.tree->GetColumnCount(), 2);
    EXPECT_EQ(f.tree->GetFocusedColumn(), 1);
    EXPECT_EQ(f.tree->SortedColumns(), (std::vector<int>{1}));
    EXPECT_EQ(f.colKind->GetColumnIndex(), 1);
    f.colKind->SetIndex(0);
    EXPECT_EQ(f.tree->GetFocusedColumn(), 0);
    EXPECT_EQ(f.tree->SortedColumns(), (std::vector<int>{0}));
    f.tree->SetFocusedColumn(7);
    EXPECT_EQ(f.tree->GetFocusedColumn(), -1);
}

TEST(TreeListColumns, SortingOrdersSiblingsAtEveryLevel)
{
    TreeFixture f;
    auto* b = f.Add(nullptr, "b");
    f.Add(b, "z");
    f.Add(b, "y");
    f.Add(nullptr, "a");
    f.Add(nullptr, "C");
    f.tree->FullExpand();
    f.tree->SetOptions(f.tree->Options() + TdxTreeListOptions{aoCaseInsensitive});
    f.colName->SetSorted(csDown);
    EXPECT_EQ(f.Display(), (std::vector<std::string>{"a", "b", "y", "z", "C"}));
    f.tree->ToggleColumnSort(0, false);
    EXPECT_EQ(f.colName->Sorted(), csUp);
    EXPECT_EQ(f.Display(), (std::vector<std::string>{"C", "b", "z", "y", "a"}));
    f.tree->ClearSorting();
    EXPECT_EQ(f.colName->Sorted(), csNone);
    EXPECT_TRUE(f.tree->SortedColumns().empty());
}
