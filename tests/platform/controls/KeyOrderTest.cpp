// Keyboard order as the platform has it: the character of a key is queued
// before KeyDown runs, so setting the key to 0 does not stop it; taking it out
// of the queue does. Type-to-edit built on either half loses no character and
// doubles none.
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"

#include <gtest/gtest.h>

#include <string>

namespace qel {
namespace {

TEST(KeyOrder, ZeroingTheKeyDoesNotStopItsCharacter)
{
    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    std::string log;
    edit->OnKeyDown = [&](TObject*, std::uint16_t& Key, TShiftState) {
        log += "down ";
        if (Key == 'B' || Key == VK_BACK)
            Key = 0;
    };
    edit->OnKeyPress = [&](TObject*, TKeyChar& Key) { log += "press:" + KeyCharToUtf8(Key) + " "; };
    form.Show();
    edit->SetFocus();
    SimulateText("abc");
    EXPECT_EQ(edit->Text(), "abc");
    EXPECT_EQ(log, "down press:a down press:b down press:c ");
    log.clear();
    // Backspace's action is the control's: taken away with the key, its character still reaches KeyPress.
    SimulateKey(VK_BACK);
    EXPECT_EQ(edit->Text(), "abc");
    EXPECT_EQ(log, "down press:\b ");
}

TEST(KeyOrder, RemovingThePendingCharacterKeepsItFromKeyPress)
{
    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    std::string pressed, peeked;
    edit->OnKeyDown = [&](TObject* Sender, std::uint16_t& Key, TShiftState) {
        TMessage m;
        if (Key == 'X' && PeekMessage(m, static_cast<TControl*>(Sender), WM_CHAR, WM_CHAR, true))
            peeked += KeyCharToUtf8(static_cast<TKeyChar>(m.WParam));
        // Another control has no pending character.
        EXPECT_FALSE(PeekMessage(m, &form, WM_CHAR, WM_CHAR, false));
    };
    edit->OnKeyPress = [&](TObject*, TKeyChar& Key) { pressed += KeyCharToUtf8(Key); };
    form.Show();
    edit->SetFocus();
    SimulateText("axb");
    EXPECT_EQ(peeked, "x");
    EXPECT_EQ(pressed, "ab");
    EXPECT_EQ(edit->Text(), "ab");
}

// A grid-like control that opens an in-place editor when the user types.
class TTypeToEdit : public TCustomControl {
public:
    enum TStyle { ForwardFromKeyPress, OpenInKeyDown, TakeCharInKeyDown };

    TTypeToEdit(TComponent* AOwner, TStyle Style) : TCustomControl(AOwner), m_style(Style)
    {
        m_editor = new TEdit(this);
        m_editor->SetParent(this);
        m_editor->SetVisible(false);
    }
    TEdit* Editor() const { return m_editor; }
    int Opened = 0;

    void KeyDown(std::uint16_t& Key, TShiftState Shift) override
    {
        TCustomControl::KeyDown(Key, Shift);
        if (Key < 'A' || Key > 'Z')
            return;
        if (m_style == OpenInKeyDown) {
            Open("");
        } else if (m_style == TakeCharInKeyDown) {
            TMessage m;
            if (PeekMessage(m, this, WM_CHAR, WM_CHAR, true)) {
                Open(KeyCharToUtf8(static_cast<TKeyChar>(m.WParam)));
                Key = 0;
            }
        }
    }
    void KeyPress(TKeyChar& Key) override
    {
        TCustomControl::KeyPress(Key);
        if (Key < 0x20)
            return;
        // The character came to this control: hand it to the editor behind whatever is already there.
        if (m_style != TakeCharInKeyDown) {
            if (!m_editor->Visible())
                Open("");
            PostMessage(m_editor, WM_CHAR, Key);
            Key = 0;
        }
    }

private:
    void Open(const std::string& Text)
    {
        ++Opened;
        m_editor->SetVisible(true);
        m_editor->SetFocus();   // selects all on entering: the text comes after
        m_editor->SetText(Text);
        m_editor->SetSelStart(static_cast<int>(Text.size()));
    }

    TStyle m_style;
    TEdit* m_editor;
};

TEST(KeyOrder, TypeToEditLosesAndDoublesNothing)
{
    for (auto style : {TTypeToEdit::ForwardFromKeyPress, TTypeToEdit::OpenInKeyDown, TTypeToEdit::TakeCharInKeyDown}) {
        SCOPED_TRACE(style);
        TForm form(nullptr);
        auto* grid = new TTypeToEdit(&form, style);
        grid->SetParent(&form);
        grid->SetBounds(0, 0, 200, 100);
        form.Show();
        grid->SetFocus();
        SimulateText("Köln 1");
        Application().ProcessMessages();
        EXPECT_EQ(grid->Editor()->Text(), "Köln 1");
        EXPECT_EQ(grid->Opened, 1);
        EXPECT_TRUE(grid->Editor()->Focused());
    }
}

} // namespace
} // namespace qel
