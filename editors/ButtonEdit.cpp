#include "editors/ButtonEdit.h"

namespace qel {

TdxInplaceButtonEdit::TdxInplaceButtonEdit(TComponent* AOwner)
    : TdxInplaceDropDownEdit(AOwner), m_buttons(std::make_unique<TdxEditButtons>())
{
    m_buttons->Add()->SetKind(bkEllipsis);
    m_buttons->Items(0)->SetDefault(true);
    m_buttonsLink.Connect(m_buttons->Changes(), [this](TObject*) { LayoutEditWindow(); });
    LayoutEditWindow();
}

TdxInplaceButtonEdit::~TdxInplaceButtonEdit()
{
    m_buttonsLink.Disconnect();
}

void TdxInplaceButtonEdit::SetButtonOnly(bool Value)
{
    m_buttonOnly = Value;
    EditWindow()->SetVisible(!Value);
    LayoutEditWindow();
}

void TdxInplaceButtonEdit::SetHideEditCursor(bool Value)
{
    if (Value == m_hideEditCursor)
        return;
    m_hideEditCursor = Value;
    if (Value)
        EditWindow()->HideCaret();
    else
        EditWindow()->ShowCaret();
}

TdxEditButtonKind TdxInplaceButtonEdit::EditButtonKind(int Index) const
{
    return m_buttons->Items(Index)->Kind();
}

const TBitmap* TdxInplaceButtonEdit::EditButtonGlyph(int Index) const
{
    TdxEditButton* b = m_buttons->Items(Index);
    return b->HasGlyph() ? b->Glyph() : nullptr;
}

int TdxInplaceButtonEdit::EditButtonWidth(int Index) const
{
    const int w = m_buttons->Items(Index)->Width();
    return w > 0 ? w : TdxInplaceDropDownEdit::EditButtonWidth(Index);
}

bool TdxInplaceButtonEdit::EditButtonVisible(int Index) const
{
    return m_buttons->Items(Index)->Visible();
}

bool TdxInplaceButtonEdit::EditButtonEnabled(int Index) const
{
    return Enabled() && m_buttons->Items(Index)->Enabled();
}

void TdxInplaceButtonEdit::EditButtonClick(int Index)
{
    if (Index < 0 || Index >= m_buttons->Count() || !EditButtonEnabled(Index))
        return;
    if (OnButtonClick)
        OnButtonClick(this, Index);
}

TRect TdxInplaceButtonEdit::EditRect()
{
    TRect r = TdxInplaceDropDownEdit::EditRect();
    if (m_buttonOnly)
        r.Right = r.Left;
    return r;
}

TWinControl* TdxInplaceButtonEdit::FocusWindow()
{
    return m_buttonOnly ? this : TdxInplaceDropDownEdit::FocusWindow();
}

void TdxInplaceButtonEdit::DoEditKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (m_clickKey != scNone && ShortCut(Key, Shift) == m_clickKey) {
        Key = 0;
        if (TdxEditButton* b = m_buttons->DefaultButton())
            EditButtonClick(b->Index());
        return;
    }
    // No popup of its own: the drop-down keys are not taken here.
    TdxInplaceMaskEdit::DoEditKeyDown(Key, Shift);
}

void TdxInplaceButtonEdit::KeyPress(TKeyChar& Key)
{
    if (m_buttonOnly || Key == 0x0A || Key == 0x0D) {
        // Ctrl+Enter's character, or any text for a button-only editor.
        Key = 0;
        return;
    }
    TdxInplaceDropDownEdit::KeyPress(Key);
}

} // namespace qel
