// Drop-down editors driven by keys and mice: opening and closing with
// Alt+Down, Alt+Up, F4, Enter and Esc, stepping through values, clicks,
// completion, placement near the screen edge, and losing the application focus.
#include "EditorTestSupport.h"
#include "TestSupport.h"

#include "editors/DateEdit.h"
#include "editors/PickEdit.h"
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

TEST(DropDownEdit, LosingTheApplicationFocusClosesWithoutTakingTheValue)
{
    EditorForm f;
    auto* pick = f.InPlace<TdxInplacePickEdit>(Variant("b"));
    pick->Items()->SetCommaText("a,b,c");
    bool accepted = true;
    pick->OnCloseUp = [&](TObject*, Variant&, bool& accept) { accepted = accept; };
    SimulateKey(VK_F4);
    SimulateKey(VK_DOWN);
    Application().SetActive(false);
    Application().SetActive(true);
    EXPECT_FALSE(pick->DroppedDown());
    EXPECT_FALSE(accepted);
    EXPECT_EQ(pick->Text(), "b");
    EXPECT_TRUE(f.host->Editing()) << "only the popup closed";
}

} // namespace
} // namespace qel
