// The standard controls keep their state; edits and memos hosted frameless
// in a grid cell.
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Clipboard.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Grids.h"
#include "platform/controls/HintWindow.h"
#include "platform/controls/Forms.h"
#include "platform/controls/InputFilter.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/detail/ControlBridge.h"
#include "platform/core/Guards.h"
#include "platform/graphics/Bitmap.h"

#include "ControlTestSupport.h"
#include "ScreenTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include <memory>
#include <vector>

#include <QStyle>
#include <QWidget>

namespace qel {
namespace {

using test::Make;

TEST(Controls, ALabelClickedRunsItsOnClick)
{
    TForm form(nullptr);
    auto* label = Make<TLabel>(&form, 10, 10, 80, 16);
    label->SetCaption("Zoom Ste&p:");
    int clicks = 0;
    label->OnClick = [&](TObject*) { ++clicks; };
    form.Show();
    SimulateClick(label, 5, 5);
    EXPECT_EQ(clicks, 1);
    SimulateMouseDown(label, mbLeft, 5, 5);
    SimulateMouseUp(label, mbLeft, 200, 5);
    EXPECT_EQ(clicks, 1) << "released outside it";
    form.Hide();
}

TEST(Controls, AListBoxDoubleClickedRunsItsOnDblClickOnce)
{
    TForm form(nullptr);
    auto* list = Make<TListBox>(&form, 0, 0, 100, 80);
    list->Items()->SetText("a\r\nb");
    int clicks = 0;
    list->OnDblClick = [&](TObject*) { ++clicks; };
    form.Show();
    const TRect item = list->ItemRect(1);
    SimulateDblClick(list, item.Left + 4, item.Top + 2);
    EXPECT_EQ(clicks, 1);
    SimulateDblClick(list, 50, 70);
    EXPECT_EQ(clicks, 2) << "below the items too";
    form.Hide();
}

TEST(Controls, StandardControlsKeepTheirState)
{
    TForm form(nullptr);
    auto* check = Make<TCheckBox>(&form, 0, 0, 100, 17);
    int clicks = 0;
    check->OnClick = [&](TObject*) { ++clicks; };
    check->SetChecked(true);
    EXPECT_EQ(clicks, 1) << "setting the state runs OnClick, as on the platform";
    check->SetAllowGrayed(true);
    check->Toggle();
    EXPECT_EQ(check->State(), cbUnchecked);
    check->Toggle();
    EXPECT_EQ(check->State(), cbGrayed);

    auto* combo = Make<TComboBox>(&form, 0, 20, 100, 21);
    combo->SetStyle(csDropDownList);
    TObject tag;
    combo->Items()->AddObject("Portrait", nullptr);
    combo->Items()->AddObject("Landscape", &tag);
    combo->SetItemIndex(1);
    EXPECT_EQ(combo->Text(), "Landscape");
    EXPECT_EQ(combo->Items()->Objects(1), &tag);
    combo->SetItemIndex(7);
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_THROW(combo->Items()->Get(5), EStringListError);

    auto* list = Make<TListBox>(&form, 0, 50, 100, 80);
    list->SetMultiSelect(true);
    list->Items()->SetText("a\r\nb\r\nc");
    list->SetSelected(0, true);
    list->SetSelected(2, true);
    EXPECT_EQ(list->SelCount(), 2);
    EXPECT_THROW(list->Selected(3), EListError);

    auto* memo = Make<TMemo>(&form, 0, 140, 100, 60);
    memo->Lines()->Add("first");
    memo->Lines()->Add("second");
    EXPECT_EQ(memo->Lines()->Count(), 2);
    EXPECT_EQ(memo->Text(), "first\r\nsecond\r\n");

    auto* edit = Make<TEdit>(&form, 0, 210, 100, 21);
    auto* updown = Make<TUpDown>(&form, 0, 0, 16, 21);
    updown->SetMin(1);
    updown->SetMax(3);
    updown->SetAssociate(edit);
    EXPECT_EQ(edit->Text(), "1");
    updown->ClickButton(btNext);
    updown->ClickButton(btNext);
    updown->ClickButton(btNext);
    EXPECT_EQ(updown->Position(), 3);
    updown->SetWrap(true);
    updown->ClickButton(btNext);
    EXPECT_EQ(edit->Text(), "1");
    EXPECT_EQ(updown->Left(), edit->Left() + edit->Width());

    auto* bar = Make<TScrollBar>(&form, 0, 240, 100, 17);
    EXPECT_THROW(bar->SetParams(0, 10, 5), EInvalidOperation);
    bar->SetParams(500, 0, 100);
    EXPECT_EQ(bar->Position(), 100);

    EXPECT_THROW(edit->SetFocus(), EInvalidOperation) << "the form is not shown";
    auto* outer = Make<TPanel>(&form, 0, 0, 50, 50);
    auto* inner = Make<TPanel>(outer, 0, 0, 20, 20);
    EXPECT_THROW(outer->SetParent(inner), EInvalidOperation) << "no cycles in the control tree";
    EXPECT_EQ(inner->Parent(), outer);
}

// The edit's text pixels start at the left edge without a frame.
int FirstInkColumn(TControl* Control)
{
    const auto picture = GrabControl(Control);
    for (int x = 0; x < picture->Width(); ++x)
        for (int y = 0; y < picture->Height(); ++y)
            if (picture->Pixel(x, y) != ColorToRGB(clWindow))
                return x;
    return -1;
}

TEST(InplaceEditor, EditsGoFramelessAndHideTheirCaret)
{
    TForm form(nullptr);
    auto* cell = new TPanel(&form);
    cell->SetParent(&form);
    cell->SetBounds(10, 10, 120, 18);
    auto* edit = new TEdit(cell);
    edit->SetParent(cell);
    edit->SetBounds(0, 0, 120, 18);
    edit->SetText("WWW");
    form.Show();
    EXPECT_EQ(edit->BorderStyle(), bsSingle);
    const int framed = FirstInkColumn(edit);
    EXPECT_EQ(framed, 0) << "the frame is drawn at the edge";
    edit->SetBorderStyle(bsNone);
    const int inkWithoutFrame = FirstInkColumn(edit);
    EXPECT_GT(inkWithoutFrame, 0) << "no frame: the first ink is the text";
    edit->SetFocus();

    EXPECT_TRUE(edit->CaretVisible());
    edit->HideCaret();
    edit->HideCaret();
    edit->ShowCaret();
    EXPECT_FALSE(edit->CaretVisible()) << "hides outnumber shows";
    EXPECT_EQ(edit->Widget()->style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, edit->Widget()), 0);
    SimulateText("x");
    EXPECT_EQ(edit->Text(), "WWWx") << "a hidden caret still edits";
    edit->ShowCaret();
    edit->ShowCaret();
    EXPECT_TRUE(edit->CaretVisible());
    EXPECT_GT(edit->Widget()->style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, edit->Widget()), 0);

    auto* memo = new TMemo(cell);
    memo->SetParent(cell);
    memo->SetBounds(0, 0, 120, 18);
    memo->SetBorderStyle(bsNone);
    memo->HideCaret();
    EXPECT_FALSE(memo->CaretVisible());
    memo->ShowCaret();
    EXPECT_TRUE(memo->CaretVisible());
    EXPECT_EQ(memo->BorderStyle(), bsNone);
}

TEST(Memo, SelectionIsReplacedAtTheCaret)
{
    TForm form(nullptr);
    auto* memo = new TMemo(&form);
    memo->SetParent(&form);
    int changes = 0;
    memo->OnChange = [&](TObject*) { ++changes; };
    // The text is the window's: a final line break only where one was given.
    memo->SetText("a\r\nb\r\n");
    EXPECT_EQ(memo->Text(), "a\r\nb\r\n");
    EXPECT_EQ(memo->Lines()->Count(), 2);
    memo->SetText("Page  of ");
    EXPECT_EQ(memo->Text(), "Page  of ");
    changes = 0;
    memo->SetSelStart(5);
    memo->SetSelText("[Page #]");
    EXPECT_EQ(memo->Text(), "Page [Page #] of ");
    EXPECT_GT(changes, 0);
    memo->SetSelStart(0);
    memo->SetSelLength(4);
    EXPECT_EQ(memo->SelText(), "Page");
    memo->SetSelText("Seite\r\nZwei");
    EXPECT_EQ(memo->Lines()->Count(), 2);
    EXPECT_EQ(memo->Lines()->Strings(1), "Zwei [Page #] of ");
    // Code may fill a read-only memo, as the platform's replace-selection does.
    memo->SetReadOnly(true);
    memo->SelectAll();
    memo->SetSelText("x");
    EXPECT_EQ(memo->Text(), "x");
}

} // namespace
} // namespace qel
