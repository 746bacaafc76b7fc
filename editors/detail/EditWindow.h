#pragma once
// The text windows inside the editors: a TEdit or TMemo that hands its keys,
// changes and focus changes to the editor that owns it.
#include "platform/controls/StdCtrls.h"

namespace qel {

class TdxInplaceEdit;

// What an editor hears from its window (the editor's protected hooks are
// reached through here only).
class TdxEditWindowLink {
public:
    static void KeyDown(TdxInplaceEdit* Editor, std::uint16_t& Key, TShiftState Shift);
    static void KeyPress(TdxInplaceEdit* Editor, TKeyChar& Key);
    static void Changed(TdxInplaceEdit* Editor);
    static void Enter(TdxInplaceEdit* Editor);
    static void Exit(TdxInplaceEdit* Editor);
    static bool WantsTab(TdxInplaceEdit* Editor);
    static void Clicked(TdxInplaceEdit* Editor, bool Double);
};

namespace detail {

template <class Base>
class TdxEditWindowOf : public Base {
public:
    // Owner is the editor itself, as a component.
    TdxEditWindowOf(TComponent* Owner, TdxInplaceEdit* Editor) : Base(Owner), m_editor(Editor) {}
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override
    {
        Base::KeyDown(Key, Shift);
        if (Key)
            TdxEditWindowLink::KeyDown(m_editor, Key, Shift);
    }
    void KeyPress(TKeyChar& Key) override
    {
        Base::KeyPress(Key);
        if (Key)
            TdxEditWindowLink::KeyPress(m_editor, Key);
    }

protected:
    void Change() override
    {
        Base::Change();
        TdxEditWindowLink::Changed(m_editor);
    }
    void DoEnter() override
    {
        Base::DoEnter();
        TdxEditWindowLink::Enter(m_editor);
    }
    void DoExit() override
    {
        Base::DoExit();
        TdxEditWindowLink::Exit(m_editor);
    }
    bool WantsTabKey() const override { return TdxEditWindowLink::WantsTab(m_editor); }
    void DblClick() override
    {
        Base::DblClick();
        TdxEditWindowLink::Clicked(m_editor, true);
    }
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override
    {
        Base::MouseUp(Button, Shift, X, Y);
        if (Button == mbLeft && !Shift.Contains(ssDouble))
            TdxEditWindowLink::Clicked(m_editor, false);
    }

private:
    TdxInplaceEdit* m_editor;
};

using TdxEditWindow = TdxEditWindowOf<TEdit>;
using TdxMemoWindow = TdxEditWindowOf<TMemo>;

} // namespace detail
} // namespace qel
