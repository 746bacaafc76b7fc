// The main program's access matrix window on a real X server, used with the
// mouse and the keyboard as a person uses it.
#include "XTestSupport.h"

#include "dbgrid/CustomFilterDialog.h"
#include "dbgrid/DBGrid.h"
#include "dbgrid/GridFilter.h"
#include "demo/DemoData.h"
#include "demo/DemoGrid.h"
#include "editors/PopupListBox.h"
#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"
#include "platform/controls/PopupWindow.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/MemoryDataSet.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <memory>
#include <vector>

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

// The list of the drop-down that is open now.
TCustomdxPopupListBox* OpenList()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* popup = dynamic_cast<TPopupWindow*>(TControl::FromWidget(w));
        if (!popup || !popup->IsPopped())
            continue;
        for (int i = 0; i < popup->ControlCount(); ++i)
            if (auto* list = dynamic_cast<TCustomdxPopupListBox*>(popup->Controls(i)))
                return list;
    }
    return nullptr;
}

// Clicks the item of the open drop-down list (an image edit's items are its values).
void PickFromList(const std::string& Item)
{
    TCustomdxPopupListBox* list = OpenList();
    ASSERT_NE(list, nullptr) << "no drop-down list is open";
    const int index = list->Items()->IndexOf(Item);
    ASSERT_GE(index, 0) << Item;
    list->SetTopIndex(index);
    const TRect r = list->ItemRect(index);
    ClickAt(list, r.Left + 10, r.Top + r.Height() / 2);
}

// Clicks the drop-down button at the right end of an edit.
void DropDown(TControl* Edit) { ClickAt(Edit, Edit->ClientWidth() - 6, Edit->ClientHeight() / 2); }

bool HoldsFocus(TWinControl* Control)
{
    TWinControl* active = Screen().ActiveControl();
    return active && (active == Control || Control->ContainsControl(active));
}

} // namespace

TEST_F(AccessMatrixWindow, TheCaptionIsTheWindowTitle)
{
    EXPECT_EQ(XTitleOf(*form), "Zutrittsmatrix");
}

TEST_F(AccessMatrixWindow, CheckCellsToggleWithTheMouseAndSpace)
{
    TdxTreeListNode* row = FirstRecordRow();
    ASSERT_NE(row, nullptr);
    ClickCell(row, grid->ColumnByFieldName("Box1")->GetColumnIndex());
    const bool before = !Field("Box1")->AsBoolean();
    Key(XK_Return);
    EXPECT_NE(Field("Box1")->AsBoolean(), before) << "a click toggles the box";
    Key(XK_space);
    Key(XK_Return);
    EXPECT_EQ(Field("Box1")->AsBoolean(), before) << "Space toggles it back";
    EXPECT_TRUE(grid->Focused());
}

TEST_F(AccessMatrixWindow, TheHeaderFilterAndTheCustomDialogWorkWithTheMouse)
{
    matrix->SetFilter("[Box1] = True");
    matrix->SetFiltered(true);
    const int inBox1 = matrix->RecordCount();
    matrix->SetFiltered(false);
    const int all = matrix->RecordCount();
    auto* box1 = grid->ColumnByFieldName("Box1");

    // A value from the header's drop-down.
    const TRect button = grid->GetFilterButtonRect(box1->GetColumnIndex());
    ASSERT_FALSE(button.IsEmpty());
    ClickAt(grid, (button.Left + button.Right) / 2, (button.Top + button.Bottom) / 2);
    ASSERT_TRUE(grid->IsFilterDropDownOpen());
    PickFromList("True");
    EXPECT_FALSE(grid->IsFilterDropDownOpen());
    EXPECT_EQ(grid->LoadedRecordCount(), inBox1);

    // "(Custom...)": "does not equal" "True", chosen with the mouse.
    bool ran = false;
    TModalFormHookScope hook([&](TForm& Form) {
        ran = true;
        auto& d = dynamic_cast<TfmCustomDialog&>(Form);
        ASSERT_TRUE(WaitUntilActive(d));
        EXPECT_EQ(XTitleOf(d), "Custom AutoFilter");
        DropDown(d.cbOperator1);
        PickFromList("1");   // does not equal
        EXPECT_EQ(d.cbOperator1->ConditionIndex(), 1);
        ClickAt(d.cbOperator1, 20, d.cbOperator1->ClientHeight() / 2);
        XInput().Key(XK_Tab);
        Settle();
        EXPECT_TRUE(HoldsFocus(d.Edit1)) << "Tab goes on to the value";
        DropDown(d.Edit1);
        PickFromList("True");
        ClickAt(d.btnOK, 20, 10);
        EXPECT_EQ(d.ModalResult(), mrOk);
    });
    ClickAt(grid, (button.Left + button.Right) / 2, (button.Top + button.Bottom) / 2);
    ASSERT_TRUE(grid->IsFilterDropDownOpen());
    PickFromList("(Custom...)");
    EXPECT_TRUE(ran);
    EXPECT_EQ(grid->LoadedRecordCount(), all - inBox1);
}

TEST_F(AccessMatrixWindow, WideningTheWindowBringsTheFirstColumnsBack)
{
    form->SetBounds(40, 40, 900, 500);
    Settle();
    // Pages to the right in the horizontal scroll bar's trough.
    for (int i = 0; i < 6; ++i)
        ClickAt(grid, grid->ClientWidth() - 40 - 10 * i, grid->ClientHeight() + GetSystemMetrics(SM_CYHSCROLL) / 2);
    ASSERT_GT(grid->LeftCoord(), 0);
    form->SetBounds(40, 40, 1500, 760);
    Settle();
    EXPECT_EQ(grid->LeftCoord(), 0);
    EXPECT_FALSE(grid->ScrollBarVisible(SB_HORZ));
}

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


TEST_F(AccessMatrixWindow, TheFilterDropDownKeepsItsBorderWhenItRepaints)
{
    auto* column = grid->ColumnByFieldName("TITLE");
    ASSERT_NE(column, nullptr);
    const TRect button = grid->GetFilterButtonRect(column->GetColumnIndex());
    ClickAt(grid, (button.Left + button.Right) / 2, (button.Top + button.Bottom) / 2);
    ASSERT_TRUE(grid->IsFilterDropDownOpen());
    Settle();
    TCustomdxPopupListBox* list = grid->FilterPopup()->ListBox();
    const TPoint origin = OnScreen(list, 0, 0);
    // The border as the screen shows it: the left column and the top row.
    const auto border = [&] {
        const QImage shot = QGuiApplication::primaryScreen()
                                ->grabWindow(0, origin.X, origin.Y, list->Width(), list->Height())
                                .toImage();
        std::vector<QRgb> pixels;
        for (int y = 4; y < shot.height() - 4; y += 8)
            pixels.push_back(shot.pixel(0, y));
        for (int x = 4; x < shot.width() / 2; x += 8)
            pixels.push_back(shot.pixel(x, 0));
        return pixels;
    };
    const std::vector<QRgb> first = border();
    ASSERT_NE(first.front(), qRgb(255, 255, 255)) << "the list has a border when it opens";
    // Hovering moves the selection, which repaints the list.
    XInput().MoveTo(origin.X + 20, origin.Y + 30);
    Settle();
    XInput().MoveTo(origin.X + 20, origin.Y + 50);
    Settle();
    EXPECT_EQ(border(), first);
}

} // namespace qel::test
