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
using qel::test::EditColumn;
using qel::test::TreeFixture;

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
