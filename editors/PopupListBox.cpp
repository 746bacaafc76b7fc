#include "editors/PopupListBox.h"

namespace qel {

TCustomdxPopupListBox::TCustomdxPopupListBox(TComponent* AOwner)
    : TCustomControl(AOwner), m_items(std::make_unique<TItems>(this))
{
    SetColor(clWindow);
    SetTabStop(false);
    m_itemHeight = std::max(16, Canvas()->TextHeight("Wg") + 2);
}

TCustomdxPopupListBox::~TCustomdxPopupListBox() = default;

int TCustomdxPopupListBox::BorderSize() const
{
    return PopupBorderWidth(TdxPopupBorder(m_borderKind));
}

void TCustomdxPopupListBox::SetBorderKind(std::uint8_t Value)
{
    if (Value > pbFlat)
        Value = pbDefault;
    if (m_borderKind == Value)
        return;
    m_borderKind = Value;
    UpdateScrollBar();
    Invalidate();
}

TRect TCustomdxPopupListBox::ClientRect() const
{
    TRect r = TCustomControl::ClientRect();
    const int b = BorderSize();
    InflateRect(r, -b, -b);
    if (r.Right < r.Left)
        r.Right = r.Left;
    if (r.Bottom < r.Top)
        r.Bottom = r.Top;
    return r;
}

int TCustomdxPopupListBox::VisibleRowCount() const
{
    return std::max(1, ClientRect().Height() / std::max(1, m_itemHeight));
}

int TCustomdxPopupListBox::HeightForRows(int Rows) const
{
    Rows = std::max(1, std::min(Rows, m_items->Count()));
    return Rows * m_itemHeight + 2 * BorderSize();
}

void TCustomdxPopupListBox::SetItemHeight(int Value)
{
    m_itemHeight = std::max(1, Value);
    UpdateScrollBar();
    Invalidate();
}

TRect TCustomdxPopupListBox::ItemRect(int Index) const
{
    const TRect c = ClientRect();
    const int top = c.Top + (Index - m_topIndex) * m_itemHeight;
    return Rect(c.Left, top, c.Right, top + m_itemHeight);
}

int TCustomdxPopupListBox::ItemAtPos(TPoint P) const
{
    const TRect c = ClientRect();
    if (!c.Contains(P))
        return -1;
    const int i = m_topIndex + (P.Y - c.Top) / m_itemHeight;
    return i < m_items->Count() ? i : -1;
}

void TCustomdxPopupListBox::SetTopIndex(int Value)
{
    Value = std::max(0, std::min(Value, m_items->Count() - VisibleRowCount()));
    if (Value == m_topIndex)
        return;
    m_topIndex = Value;
    UpdateScrollBar();
    Invalidate();
}

void TCustomdxPopupListBox::MakeVisible(int Index)
{
    if (Index < 0)
        return;
    if (Index < m_topIndex)
        SetTopIndex(Index);
    else if (Index >= m_topIndex + VisibleRowCount())
        SetTopIndex(Index - VisibleRowCount() + 1);
}

void TCustomdxPopupListBox::SetItemIndex(int Value)
{
    if (Value < -1 || Value >= m_items->Count())
        Value = -1;
    if (Value != m_itemIndex) {
        m_itemIndex = Value;
        Invalidate();
    }
    MakeVisible(Value);
}

void TCustomdxPopupListBox::MoveSelection(int Delta)
{
    const int count = m_items->Count();
    if (count == 0)
        return;
    int i = m_itemIndex < 0 ? (Delta > 0 ? 0 : count - 1) : m_itemIndex + Delta;
    SetItemIndex(std::max(0, std::min(i, count - 1)));
}

bool TCustomdxPopupListBox::HandleKey(std::uint16_t Key, TShiftState Shift)
{
    if (Shift.Contains(ssAlt))
        return false;
    const int page = std::max(1, VisibleRowCount() - 1);
    switch (Key) {
    case VK_UP: MoveSelection(-1); return true;
    case VK_DOWN: MoveSelection(+1); return true;
    case VK_PRIOR: MoveSelection(-page); return true;
    case VK_NEXT: MoveSelection(+page); return true;
    case VK_HOME: if (m_items->Count()) SetItemIndex(0); return true;
    case VK_END: if (m_items->Count()) SetItemIndex(m_items->Count() - 1); return true;
    default: return false;
    }
}

void TCustomdxPopupListBox::ItemsChanged()
{
    if (m_itemIndex >= m_items->Count())
        m_itemIndex = -1;
    m_topIndex = std::max(0, std::min(m_topIndex, m_items->Count() - VisibleRowCount()));
    UpdateScrollBar();
    Invalidate();
}

void TCustomdxPopupListBox::UpdateScrollBar()
{
    TScrollInfo info;
    info.Min = 0;
    info.Max = std::max(0, m_items->Count() - 1);
    info.Page = VisibleRowCount();
    info.Pos = m_topIndex;
    SetScrollInfo(SB_VERT, info);
}

void TCustomdxPopupListBox::BoundsChanged()
{
    TCustomControl::BoundsChanged();
    UpdateScrollBar();
}

void TCustomdxPopupListBox::DoScroll(TScrollBarKind Kind, TScrollCode Code, int Pos)
{
    if (Kind != sbVertical)
        return;
    switch (Code) {
    case scLineUp: SetTopIndex(m_topIndex - 1); break;
    case scLineDown: SetTopIndex(m_topIndex + 1); break;
    case scPageUp: SetTopIndex(m_topIndex - VisibleRowCount()); break;
    case scPageDown: SetTopIndex(m_topIndex + VisibleRowCount()); break;
    case scTrack: case scPosition: SetTopIndex(Pos); break;
    case scTop: SetTopIndex(0); break;
    case scBottom: SetTopIndex(m_items->Count()); break;
    default: break;
    }
}

bool TCustomdxPopupListBox::DoMouseWheel(TShiftState, int WheelDelta, TPoint)
{
    SetTopIndex(m_topIndex - WheelDelta / 120 * 3);
    return true;
}

void TCustomdxPopupListBox::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    const int i = ItemAtPos({X, Y});
    if (i >= 0)
        SetItemIndex(i);
}

void TCustomdxPopupListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    const int i = ItemAtPos({X, Y});
    if (Button != mbLeft || i < 0)
        return;
    SetItemIndex(i);
    if (OnItemClick)
        OnItemClick(this);
}

void TCustomdxPopupListBox::DrawItem(int Index, const TRect& R, TOwnerDrawState State)
{
    if (OnDrawItem) {
        OnDrawItem(this, Index, R, State);
        return;
    }
    TCanvas* c = Canvas();
    const bool selected = State.Contains(odSelected);
    c->Brush()->SetColor(selected ? clHighlight : Color());
    c->FillRect(R);
    c->Font()->SetColor(selected ? clHighlightText : clWindowText);
    c->SetBkMode(TRANSPARENT);
    TRect t = R;
    t.Left += 2;
    c->DrawText(m_items->Get(Index), t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void TCustomdxPopupListBox::Paint()
{
    TCanvas* c = Canvas();
    TRect outer = TCustomControl::ClientRect();
    c->Brush()->SetColor(Color());
    c->FillRect(outer);
    switch (TdxPopupBorder(m_borderKind)) {
    case pbSingle:
        c->Brush()->SetColor(clWindowFrame);
        c->FrameRect(outer);
        break;
    case pbFrame3D:
        c->DrawEdge(outer, EDGE_RAISED, BF_RECT | BF_ADJUST);
        c->DrawEdge(outer, EDGE_SUNKEN, BF_RECT);
        break;
    case pbFlat:
        c->Brush()->SetColor(clBtnShadow);
        c->FrameRect(outer);
        InflateRect(outer, -1, -1);
        c->Brush()->SetColor(clBtnFace);
        c->FrameRect(outer);
        break;
    default:
        c->DrawEdge(outer, EDGE_SUNKEN, BF_RECT);
        break;
    }
    const TRect client = ClientRect();
    c->IntersectClipRect(client);
    for (int i = m_topIndex; i < m_items->Count(); ++i) {
        const TRect r = ItemRect(i);
        if (r.Top >= client.Bottom)
            break;
        TOwnerDrawState state;
        if (i == m_itemIndex)
            state.Include(odSelected);
        DrawItem(i, r, state);
    }
}

} // namespace qel
