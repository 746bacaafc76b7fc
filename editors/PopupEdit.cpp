#include "editors/PopupEdit.h"

#include "editors/detail/PopupWindow.h"
#include "platform/controls/Application.h"
#include "platform/controls/Messages.h"
#include "platform/graphics/Glyphs.h"

namespace qel {

// ===== TdxPopupEditFrame =============================================================

TdxPopupEditFrame::TdxPopupEditFrame(TComponent* AOwner, TdxInplacePopupEdit* Editor)
    : TCustomControl(AOwner), m_editor(Editor)
{
    SetColor(clBtnFace);
    SetTabStop(false);
}

int TdxPopupEditFrame::CaptionHeight() const
{
    if (m_editor->PopupFormCaption().empty())
        return 0;
    return const_cast<TdxPopupEditFrame*>(this)->Canvas()->TextHeight("Wg") + 4;
}

TRect TdxPopupEditFrame::GripRect() const
{
    if (!m_editor->PopupFormSizeable())
        return TRect{};
    const int b = m_editor->FrameWidth();
    const int size = GetSystemMetrics(SM_CXVSCROLL);
    return Rect(Width() - b - size, Height() - b - size, Width() - b, Height() - b);
}

TSize TdxPopupEditFrame::SizeFor(int ControlWidth, int ControlHeight) const
{
    const int b = m_editor->FrameWidth();
    const int grip = m_editor->PopupFormSizeable() ? GetSystemMetrics(SM_CYHSCROLL) : 0;
    return {ControlWidth + 2 * b, ControlHeight + 2 * b + CaptionHeight() + grip};
}

TRect TdxPopupEditFrame::ControlRect() const
{
    const int b = m_editor->FrameWidth();
    const int grip = m_editor->PopupFormSizeable() ? GetSystemMetrics(SM_CYHSCROLL) : 0;
    TRect r = Rect(b, b + CaptionHeight(), Width() - b, Height() - b - grip);
    r.Right = std::max(r.Left, r.Right);
    r.Bottom = std::max(r.Top, r.Bottom);
    return r;
}

void TdxPopupEditFrame::BoundsChanged()
{
    TCustomControl::BoundsChanged();
    if (TControl* c = m_editor->PopupControl(); c && c->Parent() == this)
        c->SetBoundsRect(ControlRect());
}

void TdxPopupEditFrame::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    if (m_editor->PopupFormFlatBorder() || m_editor->PopupFormBorderStyle() == pbsSysPanel) {
        c->Brush()->SetColor(clBtnShadow);
        c->FrameRect(r);
        InflateRect(r, -1, -1);
    } else {
        c->DrawEdge(r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    }
    if (m_editor->PopupFormClientEdge())
        c->DrawEdge(r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    if (const int h = CaptionHeight()) {
        TRect caption = Rect(r.Left, r.Top, r.Right, r.Top + h);
        c->Brush()->SetColor(clActiveCaption);
        c->FillRect(caption);
        c->SetBkMode(TRANSPARENT);
        c->Font()->SetColor(clCaptionText);
        caption.Left += 3;
        c->DrawText(m_editor->PopupFormCaption(), caption, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (!GripRect().IsEmpty())
        DrawSizeGrip(*c, GripRect());
}

void TdxPopupEditFrame::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && GripRect().Contains({X, Y})) {
        m_sizing = true;
        m_start = ClientToScreen({X, Y});
        m_startSize = {Width(), Height()};
        SetCapture();
    }
}

void TdxPopupEditFrame::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    if (!m_sizing)
        return;
    const TPoint p = ClientToScreen({X, Y});
    m_editor->FrameSized({m_startSize.cx + p.X - m_start.X, m_startSize.cy + p.Y - m_start.Y});
}

void TdxPopupEditFrame::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (m_sizing) {
        m_sizing = false;
        ReleaseCapture();
    }
}

// ===== TdxInplacePopupEdit ===========================================================

TdxInplacePopupEdit::TdxInplacePopupEdit(TComponent* AOwner) : TdxInplaceDropDownEdit(AOwner) {}

TControl* TdxInplacePopupEdit::PopupContent(TWinControl* Parent)
{
    m_frame = new TdxPopupEditFrame(Parent, this);
    m_frame->SetParent(Parent);
    m_frame->SetAlign(alClient);
    return m_frame;
}

void TdxInplacePopupEdit::FrameSized(TSize Size)
{
    // Not below the minimum size of the control.
    const TSize least = m_frame->SizeFor(m_popupMinWidth, m_popupMinHeight);
    Size.cx = std::max(Size.cx, least.cx);
    Size.cy = std::max(Size.cy, least.cy);
    TRect r = PopupWindow()->BoundsRect();
    r.Right = r.Left + Size.cx;
    r.Bottom = r.Top + Size.cy;
    PopupWindow()->SetBoundsRect(r);
}

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
    SetFreeNotified(m_popupControl, Value);
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
    m_frame->Invalidate();
    if (!m_popupControl)
        return;
    // Into the popup, remembering where it lived.
    if (auto* w = m_popupControl->Parent(); w != m_frame) {
        m_savedParent = w;
        if (w)
            w->FreeNotification(this);
        m_savedBounds = m_popupControl->BoundsRect();
        m_savedAlign = m_popupControl->Align();
    }
    const TSize outer = PopupSize();
    m_popupControl->SetParent(m_frame);
    m_popupControl->SetAlign(alNone);
    m_frame->SetBounds(0, 0, outer.cx, outer.cy);
    m_popupControl->SetBoundsRect(m_frame->ControlRect());
    m_popupControl->Show();
}

TSize TdxInplacePopupEdit::PopupSize()
{
    if (m_popupAutoSize && m_popupControl)
        return m_frame->SizeFor(std::max(m_popupControl->Width(), m_popupMinWidth),
                                std::max(m_popupControl->Height(), m_popupMinHeight));
    return m_frame->SizeFor(m_popupWidth, m_popupHeight);
}

void TdxInplacePopupEdit::DoPopup()
{
    if (m_hideEditCursor && !m_caretHidden) {
        EditWindow()->HideCaret();
        m_caretHidden = true;
    }
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
    if (m_caretHidden) {
        EditWindow()->ShowCaret();
        m_caretHidden = false;
    }
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
    w->Perform(WM_CHAR, Key);   // as typed into it: the control's KeyPress, then its text
    return true;
}

} // namespace qel
