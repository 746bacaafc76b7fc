// The main program's access matrix window on a real X server, used with the
// mouse and the keyboard as a person uses it.
#include "XTestSupport.h"

#include "dbgrid/DBGrid.h"
#include "demo/DemoData.h"
#include "demo/DemoGrid.h"
#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"
#include "platform/data/MemoryDataSet.h"

#include <gtest/gtest.h>

#include <memory>

namespace qel::test {

namespace {

class AccessMatrixWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        config.reset(demo::MakeSampleConfiguration(32, 128));
        matrix.reset(demo::MakeAccessMatrix(*config, nullptr));
        form = demo::MakeAccessMatrixWindow(*matrix, pictures.File("plain.png"), pictures.File("grouped.png"),
                                            pictures.File("filtered.png"));
        grid = dynamic_cast<TdxDBGrid*>(form->FindComponent("AccessMatrix"));
        ASSERT_NE(grid, nullptr);
        form->Show();
        ASSERT_TRUE(WaitUntilActive(*form)) << "the window manager gives the new window the focus";
        Settle();
    }
    void TearDown() override { form.reset(); }

    // The first record row below the group rows.
    TdxTreeListNode* FirstRecordRow() const
    {
        for (int i = 0; i < grid->GetAbsoluteCount(); ++i)
            if (!grid->IsGroupRow(grid->GetAbsoluteNode(i)))
                return grid->GetAbsoluteNode(i);
        return nullptr;
    }
    // A click at X pixels into the cell (a second click elsewhere than the
    // first is no double click).
    void ClickCell(TdxTreeListNode* Row, int Column, int X = 6)
    {
        const TRect r = grid->GetCellRect(Row, Column);
        const TPoint p = OnScreen(grid, r.Left + X, r.Top + r.Height() / 2);
        XInput().Click(p.X, p.Y);
        Settle();
    }
    void Key(std::uint32_t Keysym, std::initializer_list<std::uint32_t> Modifiers = {})
    {
        XInput().Key(Keysym, Modifiers);
        Settle();
    }
    void Type(const std::string& Text)
    {
        XInput().Type(Text);
        Settle();
    }
    TField* Field(const std::string& Name) const { return matrix->FieldByName(Name); }

    TempDir pictures;
    std::unique_ptr<demo::TConfiguration> config;
    std::unique_ptr<TMemoryDataSet> matrix;
    std::unique_ptr<TForm> form;
    TdxDBGrid* grid = nullptr;
};

} // namespace

TEST_F(AccessMatrixWindow, TextCellsEditWithTheMouseAndKeys)
{
    TdxTreeListNode* row = FirstRecordRow();
    ASSERT_NE(row, nullptr);
    const int title = grid->ColumnByFieldName("TITLE")->GetColumnIndex();
    ClickCell(row, title);
    ASSERT_TRUE(grid->IsEditing()) << "a click shows the editor";
    const std::string before = Field("TITLE")->AsString();
    Type("abc");
    Key(XK_Escape);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(Field("TITLE")->AsString(), before) << "Esc drops what was typed";
    EXPECT_TRUE(grid->Focused());

    ClickCell(row, title, 30);
    ASSERT_TRUE(grid->IsEditing());
    Key(XK_End);
    Type("x");
    Key(XK_Return);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(Field("TITLE")->AsString(), before + "x");
    EXPECT_TRUE(grid->Focused());
}

} // namespace qel::test
