#include "TreeListTestSupport.h"
#include "platform/controls/Keyboard.h"

#include <gtest/gtest.h>

using namespace qel;
using qel::test::EditColumn;
using qel::test::TreeFixture;

namespace {

std::uint16_t Press(TCustomdxTreeList& Tree, std::uint16_t Key, TShiftState Shift = {})
{
    Tree.KeyDown(Key, Shift);
    return Key;
}

} // namespace

// A key passes the search, then the editor, then the moves; each may keep it.
TEST(TreeListKeyboard, AKeyPassesFromTheSearchThroughTheEditorToTheMoves)
{
    TreeFixture f;
    auto* apfel = f.Add(nullptr, "Apfel");
    auto* birne = f.Add(nullptr, "Birne");
    auto* banane = f.Add(nullptr, "Banane");
    auto* kirsche = f.Add(nullptr, "Kirsche");
    f.tree->SetFocusedNode(apfel);
    f.tree->SetFocusedColumn(0);

    // Searching: modifier keys keep the search, Ctrl+Down finds the next
    // match, any other key ends the search and then does its own work.
    f.tree->StartSearch(0);
    ASSERT_TRUE(f.tree->SearchAppend("B"));
    EXPECT_EQ(f.tree->GetFocusedNode(), birne);
    EXPECT_EQ(Press(*f.tree, VK_SHIFT), VK_SHIFT);
    EXPECT_TRUE(f.tree->IsSearching());
    EXPECT_EQ(Press(*f.tree, VK_DOWN, {ssCtrl}), 0);
    EXPECT_EQ(f.tree->GetFocusedNode(), banane);
    EXPECT_TRUE(f.tree->IsSearching());
    EXPECT_EQ(Press(*f.tree, VK_DOWN), 0);
    EXPECT_FALSE(f.tree->IsSearching());
    EXPECT_EQ(f.tree->GetFocusedNode(), kirsche);

    // Editing: the editor keeps the keys it uses; Enter posts and, with
    // aoEnterThrough, goes on to the next column; Down posts and moves.
    auto* col = f.tree->CreateColumnOf<EditColumn>();
    const int edit = col->GetColumnIndex();
    f.tree->SetOptionsEx(f.tree->OptionsEx() + TdxTreeListOptionsEx{aoEnterThrough});
    f.tree->SetFocusedNode(apfel);
    f.tree->SetFocusedColumn(edit - 1);
    EXPECT_EQ(Press(*f.tree, VK_RIGHT), 0);
    EXPECT_EQ(f.tree->GetFocusedColumn(), edit);
    EXPECT_EQ(Press(*f.tree, VK_F2), 0);
    ASSERT_TRUE(f.tree->IsEditing());
    EXPECT_EQ(Press(*f.tree, VK_LEFT), VK_LEFT) << "the editor moves its caret";
    EXPECT_EQ(f.tree->GetFocusedColumn(), edit);
    f.tree->Editor()->SetEditingValue(Variant("sour"));
    EXPECT_EQ(Press(*f.tree, VK_DOWN), 0);
    EXPECT_FALSE(f.tree->IsEditing());
    EXPECT_EQ(apfel->GetString(edit), "sour");
    EXPECT_EQ(f.tree->GetFocusedNode(), birne);
    f.tree->SetFocusedColumn(0);
    f.tree->ShowEditor();
    ASSERT_TRUE(f.tree->IsEditing());
    EXPECT_EQ(Press(*f.tree, VK_RETURN), 0);
    EXPECT_FALSE(f.tree->IsEditing());
    EXPECT_EQ(f.tree->GetFocusedColumn(), 1);
    EXPECT_EQ(f.tree->GetFocusedNode(), birne);

    // Keys the tree list leaves to others: Tab without aoTabs, Space without
    // Ctrl or without multi-select.
    EXPECT_EQ(Press(*f.tree, VK_TAB), VK_TAB);
    EXPECT_EQ(Press(*f.tree, VK_SPACE, {ssCtrl}), VK_SPACE);
    f.tree->SetOptions(f.tree->Options() + TdxTreeListOptions{aoMultiSelect});
    EXPECT_EQ(Press(*f.tree, VK_SPACE), VK_SPACE);
    EXPECT_EQ(Press(*f.tree, VK_SPACE, {ssCtrl}), 0);
    EXPECT_TRUE(birne->Selected());
}

// Page keys move by the rows on screen less one; Home and End go to the first
// and last column, or with Ctrl (or whole-row selection) to the first and last row.
TEST(TreeListKeyboard, PageHomeAndEndKeys)
{
    TreeFixture f(400, 120);
    for (int i = 0; i < 30; ++i)
        f.Add(nullptr, "N" + std::to_string(i));
    f.tree->SetFocusedNode(f.tree->GetItem(0));
    f.tree->SetFocusedColumn(1);
    const int page = f.tree->CalcRectInfo().VisibleRowCount - 1;
    ASSERT_GT(page, 1);
    Press(*f.tree, VK_NEXT);
    EXPECT_EQ(f.tree->GetAbsoluteIndex(f.tree->GetFocusedNode()), page);
    Press(*f.tree, VK_PRIOR);
    EXPECT_EQ(f.tree->GetAbsoluteIndex(f.tree->GetFocusedNode()), 0);
    Press(*f.tree, VK_END);
    EXPECT_EQ(f.tree->GetFocusedColumn(), 2);
    EXPECT_EQ(f.tree->GetAbsoluteIndex(f.tree->GetFocusedNode()), 0);
    Press(*f.tree, VK_END, {ssCtrl});
    EXPECT_EQ(f.tree->GetAbsoluteIndex(f.tree->GetFocusedNode()), 29);
    Press(*f.tree, VK_HOME);
    EXPECT_EQ(f.tree->GetFocusedColumn(), 0);
    EXPECT_EQ(f.tree->GetAbsoluteIndex(f.tree->GetFocusedNode()), 29);
    f.tree->SetOptions(f.tree->Options() + TdxTreeListOptions{aoRowSelect});
    Press(*f.tree, VK_HOME);
    EXPECT_EQ(f.tree->GetAbsoluteIndex(f.tree->GetFocusedNode()), 0);
}
