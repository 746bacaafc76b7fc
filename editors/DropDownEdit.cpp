#include "editors/DropDownEdit.h"

#include "editors/PopupPosition.h"
#include "editors/detail/PopupWindow.h"
#include "platform/controls/Application.h"
#include "platform/controls/Messages.h"
#include "platform/core/Guards.h"
#include "platform/graphics/Bitmap.h"

namespace qel {

int PopupBorderWidth(TdxPopupBorder Border)
{
    switch (Border) {
    case pbSingle: return 1;
    case pbFrame3D: return 4;
    case pbFlat: return 2;
    default: return 2;
    }
}

TdxInplaceDropDownEdit::TdxInplaceDropDownEdit(TComponent* AOwner) : TdxInplaceMaskEdit(AOwner)
{
    LayoutEditWindow();
}

TdxInplaceDropDownEdit::~TdxInplaceDropDownEdit()
{
    // The content is a child of the popup window, which goes first.
    m_content = nullptr;
    m_popup.reset();
}

bool TdxInplaceDropDownEdit::DroppedDown() const
{
    return m_droppedDown;
}

TBitmap* TdxInplaceDropDownEdit::ButtonGlyph()
{
    if (!m_buttonGlyph) {
        m_buttonGlyph = std::make_unique<TBitmap>();
        m_buttonGlyphLink.Connect(m_buttonGlyph->Changes(), [this](TObject*) { Invalidate(); });
    }
    return m_buttonGlyph.get();
}

void TdxInplaceDropDownEdit::SetButtonGlyph(const TBitmap* Value)
{
    if (!Value)
        m_buttonGlyph.reset();
    else
        ButtonGlyph()->Assign(const_cast<TBitmap*>(Value));
    Invalidate();
}

const TBitmap* TdxInplaceDropDownEdit::EditButtonGlyph(int) const
{
    return m_buttonGlyph && !m_buttonGlyph->Empty() ? m_buttonGlyph.get() : nullptr;
}

bool TdxInplaceDropDownEdit::CanDropDown() const
{
    return Enabled() && CanModify();
}

TSize TdxInplaceDropDownEdit::PopupSize()
{
    const int width = m_dropDownWidth > 0 ? m_dropDownWidth : Width();
    const int height = m_content ? m_content->Height() : 0;
    return {width, height};
}

TRect TdxInplaceDropDownEdit::PopupBounds(TSize Size)
{
    TPoint p = ClientToScreen({0, Height()});
    if (m_popupAlignment == taRightJustify)
        p.X += Width() - Size.cx;
    else if (m_popupAlignment == taCenter)
        p.X += (Width() - Size.cx) / 2;
    p = AdjustPopupPosition(p, Size.cx, Size.cy, Height());
    return Bounds(p.X, p.Y, Size.cx, Size.cy);
}

void TdxInplaceDropDownEdit::DropDown()
{
    if (DroppedDown() || !CanDropDown())
        return;
    if (!m_popup) {
        m_popup = std::make_unique<detail::TdxPopupWindow>(this);
        m_popup->OnClosed = [this](TPopupCloseReason Reason) {
            m_closedByOwnClick = Reason == pcrClickOutside && ClientRect().Contains(ScreenToClient(GetCursorPos()));
            // The window is gone already; the editor closes up behind it.
            TValueRestorer<bool> bySystem(m_closedBySystem, true);
            PopupClosedBySystem();
        };
    }
    if (!m_content)
        m_content = PopupContent(m_popup->Client());
    DoInitPopup();
    m_popup->Popup(PopupBounds(PopupSize()));
    m_droppedDown = true;
    DoPopup();
}

void TdxInplaceDropDownEdit::CloseUp(bool Accept)
{
    if (m_closing || !m_droppedDown)
        return;
    // The user or the system closed the window: nobody can keep it open.
    if (!m_closedBySystem && !CanCloseUp(Accept))
        return;
    TValueRestorer<bool> closing(m_closing, true);
    m_droppedDown = false;
    Variant value = PopupValue();
    bool accept = Accept;
    DoCloseUp(value, accept);
    PopupHiding();
    m_popup->Hide();
    if (accept && CanModify())
        ApplyPopupValue(value);
}

void TdxInplaceDropDownEdit::PopupClosedBySystem()
{
    CloseUp(false);
}

void TdxInplaceDropDownEdit::DoCloseUp(Variant& Value, bool& Accept)
{
    if (OnCloseUp)
        OnCloseUp(this, Value, Accept);
}

void TdxInplaceDropDownEdit::ApplyPopupValue(const Variant& Value)
{
    SetEditingValue(Value);
    SelectAll();
    DoChange();
}

void TdxInplaceDropDownEdit::EditButtonClick(int)
{
    if (OnEditButtonClick)
        OnEditButtonClick(this);
    if (DroppedDown())
        CloseUp(false);
    else if (!m_closedByOwnClick)
        DropDown();
}

void TdxInplaceDropDownEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TdxInplaceMaskEdit::MouseUp(Button, Shift, X, Y);
    m_closedByOwnClick = false;
}

void TdxInplaceDropDownEdit::DoDropDownKeys(std::uint16_t& Key, TShiftState Shift)
{
    const bool alt = Shift == TShiftState{ssAlt};
    if (((Key == VK_UP || Key == VK_DOWN) && alt) || (Key == VK_F4 && Shift.Empty())) {
        Key = 0;
        if (DroppedDown())
            CloseUp(true);
        else
            DropDown();
    }
}

void TdxInplaceDropDownEdit::DoEditKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    DoDropDownKeys(Key, Shift);
    if (!Key)
        return;
    if (DroppedDown()) {
        if ((Key == VK_RETURN || Key == VK_ESCAPE) && Shift.Empty()) {
            const bool accept = Key == VK_RETURN;
            Key = 0;
            CloseUp(accept);
            return;
        }
        PopupKeyDown(Key, Shift);
        if (!Key)
            return;
    } else if (!IsInplace() && Shift.Empty() && (Key == VK_UP || Key == VK_DOWN)) {
        // Stand-alone, the arrows step through the values; in a grid they move between rows.
        if (CanModify())
            SelectNextItem(Key == VK_UP ? -1 : +1);
        Key = 0;
        return;
    }
    TdxInplaceMaskEdit::DoEditKeyDown(Key, Shift);
}

bool TdxInplaceDropDownEdit::IsEditorKey(std::uint16_t Key, TShiftState Shift) const
{
    if (DroppedDown())
        return true;   // an open popup keeps every key from the host
    return TdxInplaceMaskEdit::IsEditorKey(Key, Shift);
}

void TdxInplaceDropDownEdit::KeyPress(TKeyChar& Key)
{
    if (DroppedDown()) {
        // Control characters belong to keys the popup handled (Backspace,
        // Enter, Esc); they are not text.
        if (Key < 0x20 || PopupKeyPress(Key)) {
            Key = 0;
            return;
        }
    }
    TdxInplaceMaskEdit::KeyPress(Key);
    // Opens once the character is in the text, so the popup sees what was typed.
    if (Key >= 0x20 && m_immediateDropDown && !DroppedDown())
        PostCall(this, [this] {
            if (!DroppedDown() && (Focused() || (EditWindow() && EditWindow()->Focused())))
                DropDown();
        });
}

void TdxInplaceDropDownEdit::VisibleChanged()
{
    TdxInplaceMaskEdit::VisibleChanged();
    if (!Visible() && DroppedDown())
        CloseUp(false);
}

void TdxInplaceDropDownEdit::DoExit()
{
    // The focus went away: the popup closes and its value is not taken.
    if (DroppedDown())
        CloseUp(false);
    TdxInplaceMaskEdit::DoExit();
}

} // namespace qel
