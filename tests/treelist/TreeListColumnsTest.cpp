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

TEST(TreeListKeyboard, CursorKeysMoveFocusExpandAndChangeColumns)
{
    TreeFixture f;
    auto* a = f.Add(nullptr, "A");
    auto* a1 = f.Add(a, "A1");
    auto* b = f.Add(nullptr, "B");
    f.tree->SetOptions(f.tree->Options() + TdxTreeListOptions{aoTabs});
    f.tree->SetFocusedNode(a);
    f.tree->SetFocusedColumn(0);
    auto press = [&](std::uint16_t Key, TShiftState Shift = {}) {
        f.tree->KeyDown(Key, Shift);
        return Key;
    };
    EXPECT_EQ(press(VK_DOWN), 0);
    EXPECT_EQ(f.tree->GetFocusedNode(), b);
    press(VK_UP);
    press(VK_RIGHT, {ssCtrl});
    EXPECT_TRUE(a->Expanded());
    press(VK_RIGHT, {ssCtrl});
    EXPECT_EQ(f.tree->GetFocusedNode(), a1);
    press(VK_LEFT, {ssCtrl});
    EXPECT_EQ(f.tree->GetFocusedNode(), a);
    press(VK_SUBTRACT);
    EXPECT_FALSE(a->Expanded());
    press(VK_RIGHT);
    EXPECT_EQ(f.tree->GetFocusedColumn(), 1);
    press(VK_END);
    EXPECT_EQ(f.tree->GetFocusedColumn(), 2);
    press(VK_TAB);   // through to the next row's first column
    EXPECT_EQ(f.tree->GetFocusedNode(), b);
    EXPECT_EQ(f.tree->GetFocusedColumn(), 0);
    press(VK_TAB, {ssShift});
    EXPECT_EQ(f.tree->GetFocusedNode(), a);
    EXPECT_EQ(f.tree->GetFocusedColumn(), 2);
    EXPECT_EQ(press(VK_F5), VK_F5);   // not a tree list key

    // Type-to-search with the auto-search option.
    f.tree->SetOptionsEx(f.tree->OptionsEx() + TdxTreeListOptionsEx{aoAutoSearch});
    f.tree->SetFocusedColumn(0);
    TKeyChar ch = U'b';
    f.tree->KeyPress(ch);
    EXPECT_EQ(f.tree->GetFocusedNode(), b);
    EXPECT_TRUE(f.tree->IsSearching());
}

TEST(TreeListCustomizing, TheWindowListsHiddenColumnsAndShowsThemAgain)
{
    TreeFixture f;
    f.colSize->SetVisible(false);
    f.tree->ColumnsCustomizing();
    TdxTreeListCustomizeForm* form = f.tree->CustomizeForm();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(qel::test::Lines(*form->ColumnList()->Items()), (std::vector<std::string>{"Size"}));
    // Hiding another column by a drop on the window adds it to the list.
    f.tree->SetCustomizingRect(Rect(0, 200, 400, 300));
    f.tree->BeginColumnDrag(2, 10, 10);
    f.tree->DragColumnTo(20, 250);
    f.tree->EndColumnDrag(true);
    EXPECT_EQ(qel::test::Lines(*form->ColumnList()->Items()), (std::vector<std::string>{"Size", "Kind"}));
    // A double click shows the column again at the end of the header.
    form->ColumnList()->SetItemIndex(0);
    form->ColumnList()->OnDblClick(form->ColumnList());
    EXPECT_TRUE(f.colSize->Visible());
    EXPECT_EQ(f.tree->GetVisibleColumn(f.tree->GetVisibleColumnCount() - 1), 1);
    EXPECT_EQ(qel::test::Lines(*form->ColumnList()->Items()), (std::vector<std::string>{"Kind"}));
    f.tree->EndColumnsCustomizing();
    EXPECT_EQ(f.tree->CustomizeForm(), nullptr);
    EXPECT_FALSE(f.tree->IsCustomizing());
}

TEST(TreeListEditing, TheEditorsOfTheEditorFrameworkEditCells)
{
    TreeFixture f;
    auto* n = f.Add(nullptr, "old name", "1", "x");
    f.Add(nullptr, "second");
    f.tree->SetFocusedNode(n);
    f.tree->SetFocusedColumn(0);
    std::uint16_t key = VK_F2;
    f.tree->KeyDown(key, {});
    ASSERT_TRUE(f.tree->IsEditing());
    auto* adapter = dynamic_cast<TdxTreeListInplaceEditAdapter*>(f.tree->Editor());
    ASSERT_NE(adapter, nullptr);
    auto* edit = dynamic_cast<TdxInplaceTextEdit*>(adapter->Edit());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->Text(), "old name");
    EXPECT_EQ(edit->Container(), f.tree);
    edit->SetText("new name");
    // Enter in the editor reaches the tree list, which posts and ends editing
    // from inside the editor's own key handler.
    key = VK_RETURN;
    edit->KeyDown(key, {});
    EXPECT_FALSE(f.tree->IsEditing());
    EXPECT_EQ(n->GetString(0), "new name");
    ProcessPostedCalls();   // the retired editor is freed now

    // Down in the editor posts and moves to the next row.
    f.tree->ShowEditor();
    edit = dynamic_cast<TdxInplaceTextEdit*>(dynamic_cast<TdxTreeListInplaceEditAdapter*>(f.tree->Editor())->Edit());
    edit->SetText("renamed");
    key = VK_DOWN;
    edit->KeyDown(key, {});
    EXPECT_EQ(n->GetString(0), "renamed");
    EXPECT_EQ(f.tree->GetFocusedNode(), f.tree->GetItem(1));
    ProcessPostedCalls();

    // A check column edits check states and keeps its texts.
    auto* check = f.tree->CreateColumnOf<TdxTreeListCheckColumn>();
    n->SetString(check->GetColumnIndex(), "False");
    f.tree->SetFocusedNode(n);
    f.tree->SetFocusedColumn(check->GetColumnIndex());
    f.tree->ShowEditor();
    auto* checkEdit =
        dynamic_cast<TdxInplaceCheckEdit*>(dynamic_cast<TdxTreeListInplaceEditAdapter*>(f.tree->Editor())->Edit());
    ASSERT_NE(checkEdit, nullptr);
    EXPECT_EQ(checkEdit->State(), cbUnchecked);
    checkEdit->SetState(cbChecked);
    checkEdit->SetModified(true);
    f.tree->HideEditor();
    EXPECT_EQ(n->GetString(check->GetColumnIndex()), "True");
    ProcessPostedCalls();
}
