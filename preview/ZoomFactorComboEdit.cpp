#include "preview/ZoomFactorComboEdit.h"

#include "editors/PopupPosition.h"
#include "platform/controls/Application.h"
#include "platform/core/ClassRegistry.h"
#include "platform/graphics/ImageList.h"

#include <algorithm>

namespace qel {

QEL_REGISTER_CLASS(TdxPopupBox, TCustomdxPopupListBox);
QEL_REGISTER_CLASS(TdxZoomFactorComboEdit, TCustomControl);

// ============================================================================
// The list

TdxPopupBox::TdxPopupBox(TdxZoomFactorComboEdit* Box) : TCustomdxPopupListBox(nullptr), m_box(Box) {}

void TdxPopupBox::DrawItem(int Index, const TRect& R, TOwnerDrawState State)
{
    const TdxZoomBoxItem& item = m_box->m_items[static_cast<std::size_t>(Index)];
    TCanvas* c = Canvas();
    const bool selected = State.Contains(odSelected) && item.Enabled;
    c->Brush()->SetColor(selected ? clHighlight : Color());
    c->FillRect(R);
    int left = R.Left + 2;
    if (TImageList* images = m_box->m_images; images && item.ImageIndex >= 0) {
        const int top = R.Top + (R.Height() - images->Height()) / 2;
        if (!item.Enabled && m_box->m_disabledImages)
            m_box->m_disabledImages->Draw(c, left, top, item.ImageIndex);
        else
            images->Draw(c, left, top, item.ImageIndex, item.Enabled);
        left += images->Width() + 4;
    }
    c->Font()->SetColor(!item.Enabled ? clGrayText : selected ? clHighlightText : clWindowText);
    c->SetBkMode(TRANSPARENT);
    TRect t = R;
    t.Left = left;
    c->DrawText(item.Text, t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void TdxPopupBox::MouseMove(TShiftState Shift, int X, int Y)
{
    const int i = ItemAtPos({X, Y});
    if (i >= 0 && !m_box->m_items[static_cast<std::size_t>(i)].Enabled)
        return;
    TCustomdxPopupListBox::MouseMove(Shift, X, Y);
}

void TdxPopupBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const int i = ItemAtPos({X, Y});
    if (i >= 0 && !m_box->m_items[static_cast<std::size_t>(i)].Enabled)
        return;
    TCustomdxPopupListBox::MouseUp(Button, Shift, X, Y);
}

// ============================================================================
// The box

TdxZoomFactorComboEdit::TdxZoomFactorComboEdit(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetBounds(0, 0, 80, 21);
    SetColor(clWindow);
    m_edit = new TEdit(this);
    m_edit->SetParent(this);
    m_edit->SetBorderStyle(bsNone);
    m_edit->OnKeyDown = [this](TObject*, std::uint16_t& Key, TShiftState Shift) { EditKeyDown(Key, Shift); };
    m_edit->OnEnter = [this](TObject*) { m_textOnEnter = m_edit->Text(); };
    // Leaving applies only what the user typed: the zoom the box shows is applied already.
    m_edit->OnExit = [this](TObject*) {
        if (!DroppedDown() && m_edit->Modified())
            Apply();
    };
    m_popup = new TPopupWindow(this);
    m_popup->OnClose = [this](TObject*, TPopupCloseReason Reason) {
        if (Reason != pcrCode && OnCloseUp)
            OnCloseUp(this);
    };
    m_list = new TdxPopupBox(this);
    m_list->SetParent(m_popup);
    m_list->SetAlign(alClient);
    m_list->OnItemClick = [this](TObject*) { ItemClicked(); };
    LayoutEdit();
}

TdxZoomFactorComboEdit::~TdxZoomFactorComboEdit()
{
    Destroying();
    OnApply = nullptr;
    OnCloseUp = nullptr;
}

std::string TdxZoomFactorComboEdit::Text() const
{
    return m_edit->Text();
}

void TdxZoomFactorComboEdit::SetText(const std::string& Value)
{
    m_edit->SetText(Value);
}

void TdxZoomFactorComboEdit::SetItems(std::vector<TdxZoomBoxItem> Value)
{
    m_items = std::move(Value);
    TStrings* texts = m_list->Items();
    texts->BeginUpdate();
    texts->Clear();
    for (const TdxZoomBoxItem& item : m_items)
        texts->Add(item.Text);
    texts->EndUpdate();
    m_itemIndex = std::min(m_itemIndex, static_cast<int>(m_items.size()) - 1);
}

void TdxZoomFactorComboEdit::SetItemEnabled(int Index, bool Value)
{
    if (Index < 0 || Index >= static_cast<int>(m_items.size()) || m_items[static_cast<std::size_t>(Index)].Enabled == Value)
        return;
    m_items[static_cast<std::size_t>(Index)].Enabled = Value;
    m_list->Invalidate();
}

void TdxZoomFactorComboEdit::SetItemIndex(int Value)
{
    m_itemIndex = std::clamp(Value, -1, static_cast<int>(m_items.size()) - 1);
    if (m_itemIndex >= 0)
        SetText(m_items[static_cast<std::size_t>(m_itemIndex)].Text);
}

void TdxZoomFactorComboEdit::SetDropDownCount(int Value)
{
    m_dropDownCount = std::max(1, Value);
}

void TdxZoomFactorComboEdit::SetImages(TImageList* Value)
{
    m_images = Value;
    m_list->SetItemHeight(std::max(m_list->ItemHeight(), Value ? Value->Height() + 2 : 0));
    if (Value)
        m_list->SetItemHeight(Value->Height() + 2);
    m_list->Invalidate();
}

void TdxZoomFactorComboEdit::SetDisabledImages(TImageList* Value)
{
    m_disabledImages = Value;
    m_list->Invalidate();
}

void TdxZoomFactorComboEdit::SetFlat(bool Value)
{
    m_flat = Value;
    Invalidate();
}

TRect TdxZoomFactorComboEdit::ButtonRect() const
{
    const TRect r = ClientRect();
    return {r.Right - GetSystemMetrics(SM_CXVSCROLL), r.Top, r.Right, r.Bottom};
}

void TdxZoomFactorComboEdit::LayoutEdit()
{
    if (!m_edit)
        return;
    const TRect r = ClientRect();
    const int border = m_flat ? 1 : 2;
    const int height = std::min(r.Height() - 2 * border, m_edit->Height());
    m_edit->SetBounds(border + 1, (r.Height() - height) / 2, std::max(0, ButtonRect().Left - border - 2), height);
}

void TdxZoomFactorComboEdit::BoundsChanged()
{
    TCustomControl::BoundsChanged();
    LayoutEdit();
}

void TdxZoomFactorComboEdit::EnabledChanged()
{
    TCustomControl::EnabledChanged();
    if (!m_edit)
        return;
    m_edit->SetEnabled(Enabled());
    // A disabled box shows the button face.
    m_edit->SetColor(Enabled() ? clWindow : clBtnFace);
    SetColor(Enabled() ? clWindow : clBtnFace);
    Invalidate();
}

void TdxZoomFactorComboEdit::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    c.Brush()->SetColor(Color());
    c.FillRect(r);
    if (m_flat) {
        c.Brush()->SetColor(clBtnShadow);
        c.FrameRect(r);
    } else {
        c.DrawEdge(r, EDGE_SUNKEN, BF_RECT);
    }
    TRect button = ButtonRect();
    InflateRect(button, -1, -1);
    c.Brush()->SetColor(clBtnFace);
    c.FillRect(button);
    if (!m_flat)
        c.DrawEdge(button, DroppedDown() ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    // The arrow.
    const int cx = (button.Left + button.Right) / 2;
    const int cy = (button.Top + button.Bottom) / 2 - 1;
    c.Pen()->SetColor(Enabled() ? clWindowText : clGrayText);
    for (int i = 0; i < 3; ++i) {
        c.MoveTo(cx - 2 + i, cy + i);
        c.LineTo(cx + 3 - i, cy + i);
    }
}

void TdxZoomFactorComboEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled() || !ButtonRect().Contains({X, Y}))
        return;
    if (DroppedDown())
        CloseUp(false);
    else
        DropDown();
}

bool TdxZoomFactorComboEdit::DroppedDown() const
{
    return m_popup->IsPopped();
}

void TdxZoomFactorComboEdit::DropDown()
{
    if (DroppedDown() || !Enabled())
        return;
    if (m_edit->CanFocus())
        m_edit->SetFocus();
    const auto found = std::find_if(m_items.begin(), m_items.end(),
                                    [&](const TdxZoomBoxItem& I) { return I.Text == Text(); });
    m_list->SetItemIndex(found == m_items.end() ? -1 : static_cast<int>(found - m_items.begin()));
    const int rows = std::min(m_dropDownCount, std::max(1, static_cast<int>(m_items.size())));
    const int height = rows * m_list->ItemHeight() + 4;
    const TPoint p = AdjustPopupPosition(ClientToScreen({0, Height()}), Width(), height, Height());
    m_popup->Popup(m_edit, Bounds(p.X, p.Y, Width(), height));
    Invalidate();
}

void TdxZoomFactorComboEdit::CloseUp(bool Accept)
{
    if (!DroppedDown())
        return;
    const int index = m_list->ItemIndex();
    m_popup->ClosePopup(pcrCode);
    Invalidate();
    const bool take = Accept && index >= 0 && m_items[static_cast<std::size_t>(index)].Enabled;
    if (take)
        SetItemIndex(index);
    if (OnCloseUp)
        OnCloseUp(this);
    if (take)
        Apply();
}

void TdxZoomFactorComboEdit::ItemClicked()
{
    CloseUp(true);
}

void TdxZoomFactorComboEdit::Apply()
{
    m_edit->SetModified(false);
    if (OnApply)
        OnApply(this, Text());
}

void TdxZoomFactorComboEdit::EditKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    const bool alt = Shift.Contains(ssAlt);
    if (Key == VK_F4 || (alt && (Key == VK_DOWN || Key == VK_UP))) {
        if (DroppedDown())
            CloseUp(false);
        else
            DropDown();
        Key = 0;
        return;
    }
    if (DroppedDown()) {
        if (Key == VK_RETURN || Key == VK_ESCAPE) {
            CloseUp(Key == VK_RETURN);
            Key = 0;
            return;
        }
        if (m_list->HandleKey(Key, Shift))
            Key = 0;
        return;
    }
    if (Key == VK_ESCAPE) {
        SetText(m_textOnEnter);
        m_edit->SelectAll();
        if (OnCloseUp)
            OnCloseUp(this);
        Key = 0;
    } else if (Key == VK_RETURN) {
        Apply();
        if (OnCloseUp)
            OnCloseUp(this);
        Key = 0;
    }
}

} // namespace qel
