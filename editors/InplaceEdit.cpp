#include "editors/InplaceEdit.h"

#include "editors/Container.h"
#include "editors/detail/EditWindow.h"
#include "platform/controls/Application.h"
#include "platform/controls/Messages.h"

namespace qel {

namespace {
// Input handlers run inside the event loop, where an exception must not
// escape: a refused value is reported like any other error of a handler.
template <class F>
void ReportErrors(F Action)
{
    try {
        Action();
    } catch (const std::exception& e) {
        Application().HandleException(e);
    }
}
} // namespace

TdxInplaceEdit::TdxInplaceEdit(TComponent* AOwner) : TCustomControl(AOwner)
{
    m_styleLink.Connect(m_style.Changes(), [this](TObject*) { StyleChanged(); });
    if (auto* host = dynamic_cast<TCustomdxContainer*>(AOwner)) {
        m_container = host;
        m_style.SetDefaults(host->EditStyle());
        SetVisible(false);
        SetParent(host);
    }
    SetColor(clWindow);
    SetTabStop(true);
}

TdxInplaceEdit::~TdxInplaceEdit()
{
    if (m_container && m_container->m_editor == this)
        m_container->m_editor = nullptr;
}

Variant TdxInplaceEdit::GetEditingValue() const
{
    return Variant(Text());
}

void TdxInplaceEdit::SetEditingValue(const Variant& Value)
{
    SetText(VarToStr(Value));
}

bool TdxInplaceEdit::CanModify() const
{
    if (m_readOnly)
        return false;
    return !m_container || m_container->CanEditModify(const_cast<TdxInplaceEdit*>(this));
}

void TdxInplaceEdit::SetReadOnly(bool Value)
{
    m_readOnly = Value;
}

void TdxInplaceEdit::SetSelection(int, int)
{
}

void TdxInplaceEdit::PostEditingValue()
{
    ValidateEdit();
    const Variant value = GetEditingValue();
    m_modified = false;
    if (m_container)
        m_container->EditorPostValue(this, value);
    ValuePosted(value);
}

void TdxInplaceEdit::SetDefaultStyleValues()
{
    m_style.RestoreDefaults();
}

void TdxInplaceEdit::DoChange()
{
    m_modified = true;
    if (OnChange)
        OnChange(this);
    if (m_container)
        m_container->EditorValueChanged(this);
}

bool TdxInplaceEdit::IsEditorKey(std::uint16_t Key, TShiftState Shift) const
{
    // Caret and selection keys and typing belong to the text; the rest is the host's.
    const bool plain = !Shift.Contains(ssAlt);
    const bool typing = plain && !Shift.Contains(ssCtrl);
    if (typing && (Key == VK_SPACE || (Key >= 0x30 && Key <= 0x5A) || (Key >= VK_NUMPAD0 && Key <= VK_DIVIDE) ||
                   (Key >= VK_OEM_1 && Key <= VK_OEM_102)))
        return true;
    switch (Key) {
    case VK_LEFT: case VK_RIGHT: case VK_HOME: case VK_END: case VK_DELETE: case VK_BACK: case VK_INSERT:
        return plain;
    default:
        return false;
    }
}

void TdxInplaceEdit::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    // Keys that change the text without typing a character (Delete, cut,
    // paste, undo) are dropped while the value may not change.
    const TShiftState ctrl{ssCtrl}, shift{ssShift};
    const bool changing = (Key == VK_DELETE && (Shift.Empty() || Shift == shift)) ||
                          (Key == VK_INSERT && Shift == shift) ||
                          ((Key == 'X' || Key == 'V' || Key == 'Z') && Shift == ctrl);
    if (Key && changing && !CanModify())
        Key = 0;
    if (Key)
        DoEditKeyDown(Key, Shift);
    if (Key && IsInplace() && !IsEditorKey(Key, Shift)) {
        std::uint16_t passed = Key;
        ReportErrors([&] { m_container->EditorKeyDown(this, passed, Shift); });
        Key = passed;
        // Tab never walks out of an in-place editor on its own: moving to
        // another cell is the host's decision.
        if (Key == VK_TAB)
            Key = 0;
    }
}

void TdxInplaceEdit::KeyPress(TKeyChar& Key)
{
    TCustomControl::KeyPress(Key);
    // Typing into an editor that may not change swallows the character.
    if (Key && (Key >= 0x20 || Key == 0x08 || Key == 0x16 || Key == 0x18) && !CanModify())
        Key = 0;
}

void TdxInplaceEdit::TypeChar(TKeyChar Ch)
{
    FocusWindow()->Perform(WM_CHAR, Ch);
}

void TdxInplaceEdit::DoEnter()
{
    TCustomControl::DoEnter();
}

void TdxInplaceEdit::DoExit()
{
    TCustomControl::DoExit();
    if (m_container)
        ReportErrors([&] { m_container->EditorExit(this); });
}

void TdxInplaceEdit::SetFocus()
{
    TWinControl* w = FocusWindow();
    if (w && w != this)
        w->SetFocus();
    else
        TCustomControl::SetFocus();
}

void TdxInplaceEdit::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_container) {
        m_container = nullptr;
        m_style.SetDefaults(nullptr);
    }
}

int TdxInplaceEdit::BorderWidth() const
{
    if (IsInplace())
        return 0;
    switch (const_cast<TdxInplaceEdit*>(this)->Style()->BorderStyle()) {
    case xbsNone: return 0;
    case xbsSingle: case xbsFlat: return 1;
    default: return 2;
    }
}

void TdxInplaceEdit::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    switch (BorderWidth() == 0 ? xbsNone : Style()->BorderStyle()) {
    case xbsNone:
        break;
    case xbsSingle:
    case xbsFlat:
        c->Brush()->SetColor(Style()->BorderColor());
        c->FrameRect(r);
        break;
    case xbsThick:
        c->DrawEdge(r, EDGE_SUNKEN, BF_RECT);
        break;
    case xbs3D:
        c->DrawEdge(r, EDGE_SUNKEN, BF_RECT | BF_SOFT);
        break;
    }
}

void TdxEditWindowLink::KeyDown(TdxInplaceEdit* Editor, std::uint16_t& Key, TShiftState Shift)
{
    Editor->KeyDown(Key, Shift);
}

void TdxEditWindowLink::KeyPress(TdxInplaceEdit* Editor, TKeyChar& Key)
{
    Editor->KeyPress(Key);
}

void TdxEditWindowLink::Changed(TdxInplaceEdit* Editor)
{
    Editor->EditWindowChanged();
}

void TdxEditWindowLink::Enter(TdxInplaceEdit* Editor)
{
    Editor->DoEnter();
}

void TdxEditWindowLink::Exit(TdxInplaceEdit* Editor)
{
    Editor->DoExit();
}

void TdxEditWindowLink::Clicked(TdxInplaceEdit* Editor, bool Double)
{
    ReportErrors([&] { Editor->EditWindowClick(Double); });
}

bool TdxEditWindowLink::WantsTab(TdxInplaceEdit* Editor)
{
    return Editor->IsInplace();
}

} // namespace qel
