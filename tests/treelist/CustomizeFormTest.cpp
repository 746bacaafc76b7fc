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
