#include "editors/PopupEdit.h"

#include "editors/detail/PopupWindow.h"

namespace qel {

TdxInplacePopupEdit::TdxInplacePopupEdit(TComponent* AOwner) : TdxInplaceDropDownEdit(AOwner) {}

TdxInplacePopupEdit::~TdxInplacePopupEdit()
{
    // Give the control back before the popup window (its parent now) goes.
    if (DroppedDown())
        PopupHiding();
    SetPopupControl(nullptr);
}

void TdxInplacePopupEdit::SetPopupControl(TControl* Value)
{
    for (const TControl* p = this; p && Value; p = p->Parent())
        if (p == Value)
            return;
    if (Value == m_popupControl)
        return;
    if (DroppedDown())
        CloseUp(false);
    if (m_popupControl)
        m_popupControl->RemoveFreeNotification(this);
    m_popupControl = Value;
    if (m_popupControl)
        m_popupControl->FreeNotification(this);
}

void TdxInplacePopupEdit::Notification(TComponent* AComponent, TOperation Operation)
{
    TdxInplaceDropDownEdit::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_popupControl) {
        m_popupControl = nullptr;
        m_savedParent = nullptr;
    }
    if (Operation == opRemove && AComponent == m_savedParent)
        m_savedParent = nullptr;
}

void TdxInplacePopupEdit::SetPopupHeight(int Value)
{
    m_popupHeight = std::max(Value, m_popupMinHeight);
}

void TdxInplacePopupEdit::SetPopupWidth(int Value)
{
    m_popupWidth = std::max(Value, m_popupMinWidth);
}

void TdxInplacePopupEdit::SetPopupMinHeight(int Value)
{
    m_popupMinHeight = std::max(0, Value);
    SetPopupHeight(m_popupHeight);
}

void TdxInplacePopupEdit::SetPopupMinWidth(int Value)
{
    m_popupMinWidth = std::max(0, Value);
    SetPopupWidth(m_popupWidth);
}

int TdxInplacePopupEdit::FrameWidth() const
{
    if (m_formBorderStyle == pbsSysPanel || m_formFlatBorder)
        return 1 + (m_formClientEdge ? 2 : 0);
    return 2 + (m_formClientEdge ? 2 : 0);
}

void TdxInplacePopupEdit::DoInitPopup()
{
    if (OnInitPopup)
        OnInitPopup(this);
    if (!m_popupControl)
        return;
    // Into the popup, remembering where it lived.
    if (auto* w = m_popupControl->Parent(); w != PopupWindow()->Client()) {
        m_savedParent = w;
        if (w)
            w->FreeNotification(this);
        m_savedBounds = m_popupControl->BoundsRect();
        m_savedAlign = m_popupControl->Align();
    }
    const int frame = FrameWidth();
    const TSize outer = PopupSize();
    m_popupControl->SetParent(PopupWindow()->Client());
    m_popupControl->SetAlign(alNone);
    m_popupControl->SetBounds(frame, frame, std::max(0, outer.cx - 2 * frame), std::max(0, outer.cy - 2 * frame));
    m_popupControl->Show();
}

TSize TdxInplacePopupEdit::PopupSize()
{
    const int frame = FrameWidth();
    if (m_popupAutoSize && m_popupControl)
        return {std::max(m_popupControl->Width(), m_popupMinWidth) + 2 * frame,
                std::max(m_popupControl->Height(), m_popupMinHeight) + 2 * frame};
    return {m_popupWidth + 2 * frame, m_popupHeight + 2 * frame};
}

void TdxInplacePopupEdit::DoPopup()
{
    if (OnPopup)
        OnPopup(this, Text());
}

bool TdxInplacePopupEdit::CanCloseUp(bool)
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TdxInplacePopupEdit::DoCloseUp(std::string& Text, bool& Accept)
{
    if (m_popupControl) {
        m_popupHeight = std::max(m_popupControl->Height(), m_popupMinHeight);
        m_popupWidth = std::max(m_popupControl->Width(), m_popupMinWidth);
    }
    if (OnCloseUp)
        OnCloseUp(this, Text, Accept);
}

void TdxInplacePopupEdit::DoCloseUp(Variant& Value, bool& Accept)
{
    std::string text = VarToStr(Value);
    DoCloseUp(text, Accept);
    Value = Variant(text);
}

void TdxInplacePopupEdit::PopupHiding()
{
    if (!m_popupControl)
        return;
    m_popupControl->Hide();
    m_popupControl->SetParent(m_savedParent);
    if (m_savedParent) {
        m_popupControl->SetAlign(m_savedAlign);
        m_popupControl->SetBoundsRect(m_savedBounds);
    }
    m_popupControl->SetVisible(false);
}

void TdxInplacePopupEdit::PopupKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (auto* w = dynamic_cast<TWinControl*>(m_popupControl))
        w->KeyDown(Key, Shift);
}

bool TdxInplacePopupEdit::PopupKeyPress(TKeyChar Key)
{
    auto* w = dynamic_cast<TWinControl*>(m_popupControl);
    if (!w)
        return false;
    w->KeyPress(Key);
    return true;
}

} // namespace qel
