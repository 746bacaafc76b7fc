#include "editors/Container.h"

#include "editors/InplaceEdit.h"
#include "platform/core/Guards.h"

namespace qel {

TCustomdxContainer::TCustomdxContainer(TComponent* AOwner) : TCustomControl(AOwner) {}

TCustomdxContainer::~TCustomdxContainer()
{
    // Editors are owned children; they must not call back into a half-destroyed host.
    m_editor = nullptr;
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* e = dynamic_cast<TdxInplaceEdit*>(Components(i)))
            e->m_container = nullptr;
    DestroyComponents();
}

void TCustomdxContainer::ShowInplaceEditor(TdxInplaceEdit* Editor, const TRect& R, const Variant& Value)
{
    if (!Editor)
        return;
    if (m_editor && m_editor != Editor)
        HideInplaceEditor();
    if (Editor->m_container != this) {
        Editor->m_container = this;
        Editor->FreeNotification(this);
    }
    Editor->Style()->SetDefaults(&m_editStyle);
    if (Editor->Parent() != this)
        Editor->SetParent(this);
    m_editor = Editor;
    Editor->SetBoundsRect(R);
    Editor->SetEditingValue(Value);
    Editor->SetModified(false);
    m_editing = true;
    Editor->Show();
    if (CanFocus())
        Editor->SetFocus();
}

void TCustomdxContainer::EndEditing(bool Post, bool Hide)
{
    if (!m_editor || m_ending)
        return;
    TValueRestorer<bool> ending(m_ending, true);
    TdxInplaceEdit* editor = m_editor;
    // A failed validation keeps the editor open with its text (the exception
    // tells the user why).
    if (Post && m_editing)
        editor->PostEditingValue();
    m_editing = false;
    if (Hide) {
        const bool hadFocus = editor->Focused() || (editor->FocusWindow() && editor->FocusWindow()->Focused());
        editor->Hide();
        m_editor = nullptr;
        if (hadFocus && CanFocus())
            SetFocus();
    }
}

void TCustomdxContainer::CloseInplaceEditor()
{
    EndEditing(true, false);
}

void TCustomdxContainer::HideInplaceEditor()
{
    EndEditing(true, true);
}

void TCustomdxContainer::CancelInplaceEditor()
{
    EndEditing(false, true);
}

bool TCustomdxContainer::CanEditModify(TdxInplaceEdit*)
{
    return true;
}

void TCustomdxContainer::EditorKeyDown(TdxInplaceEdit*, std::uint16_t& Key, TShiftState Shift)
{
    if (!Shift.Empty())
        return;
    if (Key == VK_RETURN) {
        Key = 0;
        HideInplaceEditor();
    } else if (Key == VK_ESCAPE) {
        Key = 0;
        CancelInplaceEditor();
    }
}

void TCustomdxContainer::EditorExit(TdxInplaceEdit* Editor)
{
    if (Editor == m_editor)
        HideInplaceEditor();
}

void TCustomdxContainer::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_editor) {
        m_editor = nullptr;
        m_editing = false;
    }
}

} // namespace qel
