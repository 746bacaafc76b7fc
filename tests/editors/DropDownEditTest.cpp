// Drop-down editors driven by keys and mice: opening and closing with
// Alt+Down, Alt+Up, F4, Enter and Esc, stepping through values, the pick
// list, calendar, calculator, image list, popup control, MRU list, blob
// memo, and the popup list box's border.
#include "EditorTestSupport.h"
#include "TestSupport.h"

#include "editors/BlobEdit.h"
#include "editors/CalcEdit.h"
#include "editors/DateEdit.h"
#include "editors/ImageEdit.h"
#include "editors/PickEdit.h"
#include "editors/PopupEdit.h"
#include "editors/PopupListBox.h"
#include "editors/detail/PopupWindow.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Locale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qel {
namespace {

using test::EditorForm;

TdxInplacePickEdit* CityPick(EditorForm& f)
{
    auto* pick = f.StandAlone<TdxInplacePickEdit>();
    pick->Items()->SetCommaText("Aachen,Berlin,Bonn,Bremen");
    return pick;
}

TEST(DropDownEdit, KeysOpenStepAcceptAndCancel)
{
    EditorForm f;
    auto* pick = CityPick(f);
    pick->SetText("Berlin");
    SimulateKey(VK_DOWN, {ssAlt});
    ASSERT_TRUE(pick->DroppedDown());
    EXPECT_EQ(pick->PopupList()->ItemIndex(), 1) << "the list opens on the current value";
    EXPECT_TRUE(pick->Focused() || pick->EditWindow()->Focused()) << "the popup takes no focus";
    SimulateKey(VK_DOWN);
    SimulateKey(VK_DOWN);
    SimulateKey(VK_RETURN);
    EXPECT_FALSE(pick->DroppedDown());
    EXPECT_EQ(pick->Text(), "Bremen");
    EXPECT_TRUE(pick->Modified());

    SimulateKey(VK_F4);
    ASSERT_TRUE(pick->DroppedDown());
    SimulateKey(VK_HOME);
    SimulateKey(VK_ESCAPE);
    EXPECT_FALSE(pick->DroppedDown());
    EXPECT_EQ(pick->Text(), "Bremen") << "Esc leaves the value";

    // Alt+Up closes with the value taken; OnCloseUp sees and may refuse it.
    std::vector<std::string> closed;
    bool refuse = false;
    pick->OnCloseUp = [&](TObject*, Variant& value, bool& accept) {
        closed.push_back(VarToStr(value));
        accept = accept && !refuse;
    };
    SimulateKey(VK_DOWN, {ssAlt});
    SimulateKey(VK_UP);
    SimulateKey(VK_UP, {ssAlt});
    EXPECT_EQ(pick->Text(), "Bonn");
    refuse = true;
    SimulateKey(VK_F4);
    SimulateKey(VK_UP);
    SimulateKey(VK_F4);
    EXPECT_EQ(pick->Text(), "Bonn");
    EXPECT_EQ(closed, (std::vector<std::string>{"Bonn", "Berlin"}));

    // Closed and stand-alone, the arrows step through the items.
    SimulateKey(VK_DOWN);
    EXPECT_EQ(pick->Text(), "Bremen");
    SimulateKey(VK_DOWN);
    EXPECT_EQ(pick->Text(), "Bremen") << "no step past the last item";
    pick->SetRevertable(true);
    SimulateKey(VK_DOWN);
    EXPECT_EQ(pick->Text(), "Aachen");
}

TEST(DropDownEdit, InPlaceArrowsBelongToTheHostUntilThePopupOpens)
{
    EditorForm f;
    auto* pick = f.InPlace<TdxInplacePickEdit>(Variant("Bonn"));
    pick->Items()->SetCommaText("Aachen,Bonn");
    SimulateKey(VK_DOWN);
    EXPECT_EQ(f.host->keys, (std::vector<std::uint16_t>{VK_DOWN}));
    EXPECT_EQ(pick->Text(), "Bonn");
    SimulateKey(VK_F4);
    SimulateKey(VK_UP);
    SimulateKey(VK_ESCAPE);
    EXPECT_EQ(f.host->keys.size(), 1u) << "keys of an open popup stay in the editor";
    EXPECT_TRUE(f.host->Editing()) << "Esc closed the popup, not the editor";
    SimulateKey(VK_ESCAPE);
    EXPECT_FALSE(f.host->Editing());

    // The host ending the edit closes an open popup with the editor.
    f.host->ShowInplaceEditor(pick, Bounds(20, 20, 150, 20), Variant("Aachen"));
    SimulateKey(VK_F4);
    ASSERT_TRUE(pick->DroppedDown());
    f.host->HideInplaceEditor();
    EXPECT_FALSE(pick->DroppedDown());
    EXPECT_EQ(f.host->posted.back(), Variant("Aachen"));
}

TEST(DropDownEdit, TypingCompletesAndImmediateDropDownOpens)
{
    EditorForm f;
    auto* pick = CityPick(f);
    pick->SetImmediateDropDown(true);
    pick->SetText("");
    SimulateText("br");
    EXPECT_TRUE(pick->DroppedDown());
    EXPECT_EQ(pick->Text(), "Bremen");
    EXPECT_EQ(pick->SelStart(), 2);
    EXPECT_EQ(pick->SelText(), "emen") << "the untyped rest is selected";
    EXPECT_EQ(pick->PopupList()->ItemIndex(), 3);
    SimulateKey(VK_ESCAPE);

    // A list-style pick refuses what matches no item.
    pick->SetImmediateDropDown(false);
    pick->SetDropDownListStyle(true);
    pick->SelectAll();
    SimulateText("bx");
    EXPECT_EQ(pick->Text(), "Berlin");
    SimulateKey(VK_DELETE);
    EXPECT_EQ(pick->Text(), "Berlin") << "deleting needs CanDeleteText";
    pick->SetCanDeleteText(true);
    SimulateKey(VK_DELETE);
    EXPECT_EQ(pick->Text(), "");
}

TEST(DropDownEdit, ImmediateDropDownOpensAfterTheTypedCharacter)
{
    EditorForm f;
    auto* edit = f.StandAlone<TdxInplaceDateEdit>();
    edit->SetImmediateDropDown(true);
    edit->SetText("");
    SimulateText("1");
    ProcessPostedCalls();
    ASSERT_TRUE(edit->DroppedDown());
    EXPECT_EQ(edit->Text(), "1") << "the character went into the text first";
    SimulateKey(VK_ESCAPE);
    edit->SetReadOnly(true);
    SimulateText("2");
    ProcessPostedCalls();
    EXPECT_FALSE(edit->DroppedDown()) << "a read-only editor neither takes the character nor opens";
}

TEST(DropDownEdit, ClickOnAListItemAndOutsideThePopup)
{
    EditorForm f;
    auto* pick = CityPick(f);
    pick->SetText("Aachen");
    const TRect button = pick->EditButtonRect(0);
    SimulateClick(pick, button.Left + 2, button.Top + 2);
    ASSERT_TRUE(pick->DroppedDown());
    TCustomdxPopupListBox* list = pick->PopupList();
    const TRect third = list->ItemRect(2);
    SimulateMouseMove(list, third.Left + 3, third.Top + 3);
    EXPECT_EQ(list->ItemIndex(), 2) << "the mouse selects";
    SimulateClick(list, third.Left + 3, third.Top + 3);
    EXPECT_FALSE(pick->DroppedDown());
    EXPECT_EQ(pick->Text(), "Bonn");

    // A click on the button of the open popup closes it (and does not open it again).
    SimulateClick(pick, button.Left + 2, button.Top + 2);
    ASSERT_TRUE(pick->DroppedDown());
    SimulateClick(pick, button.Left + 2, button.Top + 2);
    EXPECT_FALSE(pick->DroppedDown());

    SimulateKey(VK_F4);
    SimulateKey(VK_DOWN);
    SimulateClick(f.host, 300, 200);
    EXPECT_FALSE(pick->DroppedDown()) << "a click outside closes the popup";
    EXPECT_EQ(pick->Text(), "Bonn") << "without taking its value";
}

TEST(PopupListBox, BorderKindChangesBorderAndClientAtOnce)
{
    TForm form(nullptr);
    auto* list = new TCustomdxPopupListBox(&form);
    list->SetParent(&form);
    list->SetBounds(0, 0, 100, 100);
    list->Items()->SetCommaText("a,b,c,d,e");
    list->SetItemHeight(10);
    list->SetBorderKind(pbSingle);
    EXPECT_EQ(list->ClientRect(), Rect(1, 1, 99, 99));
    EXPECT_EQ(list->ItemRect(0).Top, 1);
    list->SetBorderKind(pbFrame3D);
    EXPECT_EQ(list->ClientRect(), Rect(4, 4, 96, 96)) << "no window to recreate: the new client at once";
    EXPECT_EQ(list->ItemRect(0), Rect(4, 4, 96, 14));
    EXPECT_EQ(list->VisibleRowCount(), 9);
    EXPECT_EQ(list->HeightForRows(3), 3 * 10 + 8);
    EXPECT_EQ(list->HeightForRows(7), 5 * 10 + 8) << "never more rows than items";
    list->Items()->SetCommaText("a,b,c,d,e,f,g,h,i,j");
    EXPECT_LT(list->ClientRect().Right, 96) << "the scroll bar takes its room";
    list->SetBorderKind(200);
    EXPECT_EQ(list->BorderKind(), pbDefault) << "an unknown kind is the default";
    EXPECT_EQ(list->ItemAtPos({50, 15}), 1);
    list->SetItemIndex(9);
    EXPECT_EQ(list->TopIndex(), 10 - list->VisibleRowCount()) << "the selection scrolls into view";
    EXPECT_TRUE(list->HandleKey(VK_HOME, {}));
    EXPECT_EQ(list->TopIndex(), 0);
}

TEST(DateEdit, CalendarKeysAndTheNullDate)
{
    LocaleScope locale;
    EditorForm f;
    auto* date = f.StandAlone<TdxInplaceDateEdit>();
    date->SetEditingValue(Variant::FromDate(EncodeDate(2026, 6, 15) + 0.5));
    EXPECT_EQ(date->Text(), "15.06.2026");
    SimulateKey(VK_F4);
    ASSERT_TRUE(date->DroppedDown());
    EXPECT_EQ(date->Calendar()->Date(), EncodeDate(2026, 6, 15));
    SimulateKey(VK_RIGHT);
    SimulateKey(VK_DOWN);
    SimulateKey(VK_NEXT);
    SimulateKey(VK_RETURN);
    EXPECT_EQ(date->Text(), "23.07.2026");
    EXPECT_EQ(date->GetEditingValue(), Variant::FromDate(EncodeDate(2026, 7, 23) + 0.5)) << "SaveTime keeps the time";
    EXPECT_EQ(date->GetEditingValue().VarType(), varDate);

    // Stand-alone arrows step a day; the Clear button gives the null date.
    SimulateKey(VK_UP);
    EXPECT_EQ(date->Text(), "22.07.2026");
    SimulateKey(VK_DOWN, {ssAlt});
    const TRect clear = date->Calendar()->ClearButtonRect();
    SimulateClick(date->Calendar(), clear.Left + 3, clear.Top + 3);
    EXPECT_FALSE(date->DroppedDown());
    EXPECT_EQ(date->Text(), "");
    EXPECT_EQ(date->GetEditingValue().AsDate(), NullDate);

    // The calendar's buttons from the keyboard.
    SimulateKey(VK_F4);
    SimulateKey(VK_SPACE);
    EXPECT_FALSE(date->DroppedDown());
    EXPECT_EQ(date->Text(), DateToStr(Date())) << "Space is Today, and types no blank";
    SimulateKey(VK_F4);
    SimulateKey(VK_DELETE);
    EXPECT_EQ(date->Text(), "");

    // A text that is no date.
    date->SetDate(EncodeDate(2026, 1, 2));
    date->SetText("31.02.2026");
    EXPECT_EQ(date->Date(), EncodeDate(2026, 1, 2)) << "deNoChange";
    date->SetDateOnError(deNull);
    EXPECT_EQ(date->Date(), NullDate);
    date->SetDateValidation(true);
    date->SetModified(true);
    EXPECT_THROW(date->ValidateEdit(), EConvertError);
    date->OnDateValidateInput = [](TObject*, const std::string&, TDateTime& d, std::string&, bool& error) {
        error = false;
        d = EncodeDate(2026, 2, 28);
    };
    date->ValidateEdit();
    EXPECT_EQ(date->Text(), "28.02.2026") << "the handler corrected the date";
}

TEST(CalcEdit, TypingIntoTheOpenCalculator)
{
    LocaleScope locale;
    EditorForm f;
    auto* calc = f.StandAlone<TdxInplaceCalcEdit>();
    calc->SetText("12");
    SimulateKey(VK_F4);
    ASSERT_TRUE(calc->DroppedDown());
    SimulateText("+3*2");
    EXPECT_EQ(calc->Calculator()->Engine().Display(), "2");
    EXPECT_EQ(calc->Text(), "12") << "the text waits for the result";
    SimulateKey(VK_RETURN);
    EXPECT_EQ(calc->Text(), "30") << "left to right, as a pocket calculator";
    SimulateKey(VK_F4);
    SimulateText("/0");
    SimulateKey(VK_RETURN);
    EXPECT_EQ(calc->Text(), "30") << "an error is not taken";

    calc->SetQuickClose(true);
    SimulateKey(VK_F4);
    SimulateText("+0,5=");
    EXPECT_FALSE(calc->DroppedDown());
    EXPECT_EQ(calc->Text(), "30,5");
}

TEST(CalcEngine, PocketCalculatorArithmetic)
{
    LocaleScope locale;
    auto run = [](const std::u32string& keys) {
        TdxCalcEngine e;
        for (char32_t k : keys)
            e.Input(k);
        return e.Display();
    };
    EXPECT_EQ(run(U"12+3="), "15");
    EXPECT_EQ(run(U"2+3*4="), "20");
    EXPECT_EQ(run(U"1,5*2="), "3");
    EXPECT_EQ(run(U"1.5*2="), "3") << "'.' is the separator too";
    EXPECT_EQ(run(U"200+10%="), "220");
    EXPECT_EQ(run(U"7/0="), "Error");
    EXPECT_EQ(run(U"7/0=4"), "4") << "a digit starts again after an error";
    EXPECT_EQ(run(U"123\b\b"), "1");
    EXPECT_EQ(run(U"5~"), "-5");
    EXPECT_EQ(run(U"9C"), "0");
    EXPECT_EQ(run(U"12,+1="), "13");
    EXPECT_EQ(run(U"1234567890123456"), "1234567890123") << "13 digits";
    EXPECT_EQ(run(U"99999999999*99999999999="), "Error") << "too large for the display";
    TdxCalcEngine e;
    EXPECT_FALSE(e.Input(U'x'));
}

TEST(ImageEdit, StepsIncrementalSearchAndList)
{
    EditorForm f;
    auto* img = f.StandAlone<TdxInplaceImageEdit>();
    img->Values()->SetCommaText("R,G,B");
    img->Descriptions()->SetCommaText("Rot,Grün,Blau");
    img->SetEditingValue(Variant("G"));
    EXPECT_EQ(img->Description(), "Grün");
    SimulateKey(VK_DOWN);
    EXPECT_EQ(VarToStr(img->GetEditingValue()), "B");
    SimulateKey(VK_UP);
    SimulateKey(VK_UP);
    EXPECT_EQ(VarToStr(img->GetEditingValue()), "R");
    img->SetIncremental(true);
    SimulateText("b");
    EXPECT_EQ(VarToStr(img->GetEditingValue()), "B");
    SimulateKey(VK_F4);
    ASSERT_TRUE(img->DroppedDown());
    SimulateKey(VK_HOME);
    SimulateKey(VK_DOWN);
    SimulateKey(VK_RETURN);
    EXPECT_EQ(VarToStr(img->GetEditingValue()), "G");
    EXPECT_EQ(img->Text(), "G");
    SimulateClick(img, 5, 5);
    EXPECT_TRUE(img->DroppedDown()) << "a click on the picture opens the list";
    SimulateClick(img, 5, 5);
    EXPECT_FALSE(img->DroppedDown()) << "and a second one closes it";
    TCustomdxFilterImageEdit filter(f.host);
    EXPECT_FALSE(filter.IsInplace()) << "a filter editor is never in-place";
}

TEST(PopupEdit, ControlMovesIntoThePopupAndBackWithItsSize)
{
    EditorForm f;
    auto* panel = new TPanel(f.form.get());
    panel->SetParent(f.form.get());
    panel->SetBounds(0, 200, 180, 60);
    panel->SetVisible(false);
    auto* edit = f.StandAlone<TdxInplacePopupEdit>();
    edit->SetPopupControl(edit);
    EXPECT_EQ(edit->PopupControl(), nullptr) << "the editor itself is refused";
    edit->SetPopupControl(f.form.get());
    EXPECT_EQ(edit->PopupControl(), nullptr) << "a parent is refused";
    edit->SetPopupControl(panel);
    EXPECT_EQ(edit->PopupControl(), panel);

    edit->SetPopupMinHeight(-5);
    EXPECT_EQ(edit->PopupMinHeight(), 0);
    edit->SetPopupMinWidth(300);
    EXPECT_EQ(edit->PopupWidth(), 300) << "the size follows a larger minimum";
    edit->SetPopupWidth(10);
    EXPECT_EQ(edit->PopupWidth(), 300);

    std::vector<std::string> events;
    edit->OnInitPopup = [&](TObject*) { events.push_back("init"); };
    edit->OnPopup = [&](TObject*, const std::string& text) { events.push_back("popup " + text); };
    bool canClose = false;
    edit->OnCloseQuery = [&](TObject*, bool& can) {
        events.push_back("query");
        can = canClose;
    };
    edit->OnCloseUp = [&](TObject*, std::string& text, bool& accept) {
        events.push_back("closeup " + text + (accept ? " ok" : " cancel"));
        text = "chosen";
    };
    edit->SetText("start");
    edit->SetPopupAutoSize(false);
    SimulateKey(VK_F4);
    ASSERT_TRUE(edit->DroppedDown());
    EXPECT_TRUE(panel->Visible());
    EXPECT_NE(panel->Parent(), f.form.get()) << "the panel is in the popup";
    EXPECT_EQ(panel->Width(), 300 - 0) << "PopupWidth without auto size, less the frame";
    SimulateKey(VK_RETURN);
    EXPECT_TRUE(edit->DroppedDown()) << "OnCloseQuery refused";
    canClose = true;
    panel->SetBounds(panel->Left(), panel->Top(), 320, 90);   // the user sized the popup
    SimulateKey(VK_RETURN);
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_EQ(edit->Text(), "chosen");
    EXPECT_EQ(panel->Parent(), f.form.get());
    EXPECT_FALSE(panel->Visible());
    EXPECT_EQ(panel->BoundsRect(), Bounds(0, 200, 180, 60)) << "back where it was";
    EXPECT_EQ(edit->PopupWidth(), 320) << "DoCloseUp remembers the size";
    EXPECT_EQ(edit->PopupHeight(), 90);
    EXPECT_EQ(events, (std::vector<std::string>{"init", "popup start", "query", "query", "closeup start ok"}));
}

TEST(MRUEdit, PostedTextsGoToTheTop)
{
    EditorForm f;
    auto* mru = f.InPlace<TdxInplaceMRUEdit>(Variant("a"));
    mru->SetMaxItemCount(3);
    mru->Items()->SetCommaText("x,y,z");
    int ellipsis = 0;
    mru->OnButtonClick = [&](TObject*) { ++ellipsis; };
    mru->SelectAll();
    SimulateText("y");
    SimulateKey(VK_RETURN);
    EXPECT_EQ(test::Lines(*mru->Items()), (std::vector<std::string>{"y", "x", "z"}));
    f.host->ShowInplaceEditor(mru, Bounds(20, 20, 150, 20), Variant("new"));
    f.host->HideInplaceEditor();
    EXPECT_EQ(test::Lines(*mru->Items()), (std::vector<std::string>{"new", "y", "x"}));
    EXPECT_EQ(mru->EditButtonCount(), 2);
    mru->EditButtonClick(1);
    EXPECT_EQ(ellipsis, 1);
}

TEST(BlobEdit, MemoInThePopup)
{
    EditorForm f;
    auto* blob = f.InPlace<TdxInplaceBlobEdit>(Variant("first\r\nsecond"));
    EXPECT_EQ(blob->Text(), "first") << "the cell shows the first line";
    SimulateText("x");
    EXPECT_EQ(blob->Text(), "first") << "the closed editor takes no text";
    SimulateKey(VK_F4);
    ASSERT_TRUE(blob->DroppedDown());
    SimulateKey(VK_RETURN);
    SimulateText("third");
    SimulateKey(VK_BACK);
    EXPECT_TRUE(blob->DroppedDown()) << "Enter is the memo's";
    SimulateKey(VK_RETURN, {ssCtrl});
    EXPECT_FALSE(blob->DroppedDown());
    EXPECT_EQ(VarToStr(blob->GetEditingValue()), "first\r\nsecond\r\nthir");
    SimulateKey(VK_RETURN);
    ASSERT_EQ(f.host->posted.size(), 1u);
    EXPECT_EQ(VarToStr(f.host->posted[0]), "first\r\nsecond\r\nthir");

    blob->SetBlobKind(bekBlob);
    f.host->ShowInplaceEditor(blob, Bounds(20, 20, 150, 20), Variant("\x01\x02"));
    EXPECT_EQ(blob->Text(), "(BLOB)");
    SimulateKey(VK_F4);
    EXPECT_FALSE(blob->DroppedDown()) << "no popup for raw blobs";
}

} // namespace
} // namespace qel

namespace qel {
namespace {

TEST(DropDownEdit, PopupOpensAboveNearTheBottomOfTheScreen)
{
    test::EditorForm f;
    auto* pick = f.StandAlone<TdxInplacePickEdit>();
    pick->Items()->SetCommaText("a,b,c,d,e,f,g,h");
    pick->SetDropDownWidth(200);
    const TRect work = Screen().WorkAreaRect();

    // Near the bottom-right corner the list flips above and moves left.
    f.form->SetBounds(work.Right - 170, work.Bottom - 80, 160, 70);
    pick->SetBounds(0, 0, 150, 21);
    SimulateKey(VK_F4);
    ASSERT_TRUE(pick->DroppedDown());
    const TPoint editorTop = pick->ClientToScreen({0, 0});
    const TPoint list = pick->PopupList()->ClientToScreen({0, 0});
    const int height = pick->PopupList()->Height();
    EXPECT_EQ(list.Y + height, editorTop.Y) << "ends at the editor's top edge";
    EXPECT_EQ(list.X + pick->PopupList()->Width(), work.Right) << "pulled inside the right edge";
    SimulateKey(VK_ESCAPE);

    // With room below it opens under the editor, right-aligned when asked.
    f.form->SetBounds(work.Left + 300, work.Top + 100, 160, 70);
    pick->SetPopupAlignment(taRightJustify);
    SimulateKey(VK_F4);
    const TPoint below = pick->PopupList()->ClientToScreen({0, 0});
    EXPECT_EQ(below.Y, pick->ClientToScreen({0, pick->Height()}).Y);
    EXPECT_EQ(below.X + pick->PopupList()->Width(), pick->ClientToScreen({pick->Width(), 0}).X);
    SimulateKey(VK_ESCAPE);
}

} // namespace
} // namespace qel

namespace qel {
namespace {

TEST(PopupEdit, TypingReachesTheControlAndTheCaretHides)
{
    test::EditorForm f;
    auto* inner = new TEdit(f.form.get());
    inner->SetParent(f.form.get());
    inner->SetVisible(false);
    auto* edit = f.StandAlone<TdxInplacePopupEdit>();
    edit->SetPopupControl(inner);
    edit->SetHideEditCursor(true);
    inner->SetBounds(0, 0, 120, 21);
    SimulateKey(VK_F4);
    ASSERT_TRUE(edit->DroppedDown());
    EXPECT_FALSE(edit->EditWindow()->CaretVisible());
    EXPECT_TRUE(edit->EditWindow()->Focused()) << "the editor keeps the focus";
    SimulateText("abc");
    EXPECT_EQ(inner->Text(), "abc") << "typed into the popup's control";
    EXPECT_EQ(edit->Text(), "");
    edit->OnCloseUp = [&](TObject*, std::string& text, bool&) { text = inner->Text(); };
    SimulateKey(VK_RETURN);
    EXPECT_EQ(edit->Text(), "abc");
    EXPECT_TRUE(edit->EditWindow()->CaretVisible());
}

TEST(PopupEdit, SizeGripAndCaptionOfThePopupFrame)
{
    test::EditorForm f;
    auto* panel = new TPanel(f.form.get());
    panel->SetParent(f.form.get());
    panel->SetVisible(false);
    auto* edit = f.StandAlone<TdxInplacePopupEdit>();
    edit->SetPopupControl(panel);
    edit->SetPopupAutoSize(false);
    edit->SetPopupWidth(150);
    edit->SetPopupHeight(120);
    edit->SetPopupFormCaption("Auswahl");
    SimulateKey(VK_F4);
    ASSERT_TRUE(edit->DroppedDown());
    TdxPopupEditFrame* frame = edit->Frame();
    EXPECT_GT(panel->Top(), frame->CaptionHeight() - 1) << "the caption sits above the control";
    EXPECT_EQ(panel->Width(), 150);
    EXPECT_EQ(panel->Height(), 120);

    const TRect grip = frame->GripRect();
    ASSERT_FALSE(grip.IsEmpty());
    SimulateMouseDown(frame, mbLeft, grip.Left + 2, grip.Top + 2);
    SimulateMouseMove(frame, grip.Left + 42, grip.Top + 32);
    SimulateMouseUp(frame, mbLeft, grip.Left + 42, grip.Top + 32);
    EXPECT_EQ(panel->Width(), 190);
    EXPECT_EQ(panel->Height(), 150);
    SimulateMouseDown(frame, mbLeft, grip.Left + 40, grip.Top + 30);
    SimulateMouseMove(frame, grip.Left - 400, grip.Top - 400);
    SimulateMouseUp(frame, mbLeft, grip.Left - 400, grip.Top - 400);
    EXPECT_EQ(panel->Width(), 100) << "not below PopupMinWidth";
    EXPECT_EQ(panel->Height(), 100);
    SimulateKey(VK_ESCAPE);
    EXPECT_EQ(edit->PopupWidth(), 100);

    edit->SetPopupFormSizeable(false);
    SimulateKey(VK_F4);
    EXPECT_TRUE(frame->GripRect().IsEmpty());
    SimulateKey(VK_ESCAPE);
}

} // namespace
} // namespace qel
