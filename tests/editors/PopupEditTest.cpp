// The popup editor: its control in the popup and back, typing, the frame.
#include "EditorTestSupport.h"
#include "TestSupport.h"

#include "editors/PopupEdit.h"
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

TEST(PopupEdit, ControlGoesBackWhenTheEditorIsFreedWhileOpen)
{
    EditorForm f;
    auto* panel = new TPanel(f.form.get());
    panel->SetParent(f.form.get());
    panel->SetBounds(5, 6, 70, 40);
    auto* edit = f.StandAlone<TdxInplacePopupEdit>();
    edit->SetPopupControl(panel);
    SimulateKey(VK_F4);
    ASSERT_TRUE(edit->DroppedDown());
    delete edit;
    EXPECT_EQ(panel->Parent(), f.form.get());
    EXPECT_EQ(panel->BoundsRect(), Bounds(5, 6, 70, 40));
    // A popup control freed first is forgotten.
    auto* other = f.StandAlone<TdxInplacePopupEdit>();
    other->SetPopupControl(panel);
    delete panel;
    EXPECT_EQ(other->PopupControl(), nullptr);
    SimulateKey(VK_F4);
    EXPECT_TRUE(other->DroppedDown()) << "an empty popup opens";
    SimulateKey(VK_ESCAPE);
}

} // namespace
} // namespace qel
