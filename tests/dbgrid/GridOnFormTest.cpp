// The grid on a shown form, where the focus really moves between the grid
// and its cell editors: editing by mouse and keys as a user does it.
#include "GridTestSupport.h"

#include "editors/Container.h"
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Forms.h"

#include <gtest/gtest.h>

namespace qel::test {

namespace {

struct FormGrid : GridFixture {
    TForm form{nullptr};

    FormGrid()
    {
        form.SetBounds(0, 0, 500, 400);
        grid->SetParent(&form);
        form.Show();
        grid->SetFocus();
    }
    ~FormGrid() { grid->SetParent(nullptr); }

    void ClickCell(int Row, int Column)
    {
        const TRect r = grid->GetCellRect(grid->GetItem(Row), Column);
        SimulateClick(grid, r.Left + 4, r.Top + r.Height() / 2);
    }
    std::string Title() const { return ds->FieldByName("TITLE")->AsString(); }
    bool Active() const { return ds->FieldByName("ACTIVE")->AsBoolean(); }
    bool EditorFocused() const
    {
        TdxInplaceEdit* e = grid->InplaceEditor();
        return e && Screen().ActiveControl() && (Screen().ActiveControl() == e || e->ContainsControl(Screen().ActiveControl()));
    }
};

} // namespace

TEST(GridOnForm, TextCellsEditByMouseAndKeys)
{
    FormGrid f;
    // A click shows the editor with the focus; Esc takes it away unposted.
    f.ClickCell(1, 1);
    ASSERT_TRUE(f.grid->IsEditing());
    EXPECT_TRUE(f.EditorFocused());
    SimulateText("x");
    SimulateKey(VK_ESCAPE);
    EXPECT_FALSE(f.grid->IsEditing());
    EXPECT_TRUE(f.grid->Focused()) << "the grid takes the focus back from its editor";
    EXPECT_EQ(f.CurrentKey(), 2);
    EXPECT_EQ(f.Title(), "Door 2");

    // F2 edits the focused cell, Enter posts.
    SimulateKey(VK_F2);
    ASSERT_TRUE(f.grid->IsEditing());
    SimulateKey(VK_END);
    SimulateText("a");
    SimulateKey(VK_RETURN);
    EXPECT_FALSE(f.grid->IsEditing());
    EXPECT_TRUE(f.grid->Focused());
    EXPECT_EQ(f.Title(), "Door 2a");
    SimulateKey(VK_F2);
    SimulateKey(VK_END);
    SimulateText("b");
    SimulateKey(VK_RETURN);
    EXPECT_EQ(f.Title(), "Door 2ab") << "a second edit of the record still in edit";

    // Typing on a focused cell starts the editor with the character.
    SimulateKey(VK_DOWN);
    SimulateText("Gate");
    ASSERT_TRUE(f.grid->IsEditing());
    SimulateKey(VK_RETURN);
    EXPECT_EQ(f.CurrentKey(), 3);
    EXPECT_EQ(f.Title(), "Gate");
}

TEST(GridOnForm, CheckCellsToggleByMouseAndSpace)
{
    FormGrid f;
    const bool before = f.ds->Lookup("NUMBER", 3, "ACTIVE").AsBoolean();
    f.ClickCell(2, 3);
    EXPECT_EQ(f.CurrentKey(), 3);
    SimulateKey(VK_RETURN);
    EXPECT_EQ(f.Active(), !before) << "a click on a check cell toggles it";
    EXPECT_TRUE(f.grid->Focused());
    SimulateKey(VK_SPACE);
    SimulateKey(VK_RETURN);
    EXPECT_EQ(f.Active(), before) << "so does Space";
    EXPECT_TRUE(f.grid->Focused());
}

} // namespace qel::test
