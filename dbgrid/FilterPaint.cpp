// The filter's look in the grid: the drop-down button at the right end of
// each header cell while the filter is active, and the status panel at the
// bottom with the filter text and its "Clear Filter" button.
#include "dbgrid/DBGrid.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

#include <algorithm>

namespace qel {

namespace {

constexpr int FilterButtonWidth = 15;
constexpr int StatusMargin = 4;

} // namespace

TRect TCustomdxDBGrid::GetFilterButtonRect(int Column) const
{
    if (!m_filter->Active() || !IsColumnShown(Column))
        return {};
    const TRect header = GetHeaderRect(Column);
    // A header too narrow for the button and a little caption goes without it.
    if (header.Width() < 2 * FilterButtonWidth || header.Height() < 6)
        return {};
    return Rect(header.Right - FilterButtonWidth - 1, header.Top + 1, header.Right - 1, header.Bottom - 1);
}

int TCustomdxDBGrid::GetStatusPanelHeight() const
{
    return m_filter->StatusPanelVisible() ? GetHeaderRowHeight() + 2 * StatusMargin : 0;
}

TRect TCustomdxDBGrid::GetStatusClearButtonRect() const
{
    const TRect panel = CalcRectInfo().StatusPanel;
    if (panel.IsEmpty())
        return {};
    TBitmap measure(1, 1);
    measure.Canvas()->SetFont(HeaderFont());
    const int width = measure.Canvas()->TextWidth(ClearFilterCaption) + 16;
    return Rect(panel.Left + StatusMargin, panel.Top + StatusMargin, panel.Left + StatusMargin + width,
                panel.Bottom - StatusMargin);
}

void TCustomdxDBGrid::PaintHeaders(TCanvas& Canvas, const TdxTreeListRectInfo& Info, const TRect& Clip)
{
    TCustomdxDBTreeListControl::PaintHeaders(Canvas, Info, Clip);
    if (!m_filter->Active())
        return;
    TCanvasStateSaver saver(Canvas);
    Canvas.IntersectClipRect(Info.Header);
    for (int n = 0; n < GetVisibleColumnCount(); ++n) {
        const int column = GetVisibleColumn(n);
        TRect r = GetFilterButtonRect(column);
        if (r.IsEmpty())
            continue;
        const bool open = IsFilterDropDownOpen() && m_filterPopup->Column() == GetColumn(column);
        Canvas.Brush()->SetColor(EffectiveHeaderColor());
        Canvas.FillRect(r);
        TRect edge = r;
        Canvas.DrawEdge(edge, open ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        // The arrow: button text colour, or highlighted while the column has a condition.
        const TColor arrow = m_filter->HasCondition(GetColumn(column)) ? clHighlight : clBtnText;
        Canvas.Brush()->SetColor(arrow);
        Canvas.Pen()->SetColor(arrow);
        const int cx = (r.Left + r.Right) / 2 + (open ? 1 : 0);
        const int cy = (r.Top + r.Bottom) / 2 - 1 + (open ? 1 : 0);
        Canvas.Polygon({{cx - 3, cy - 1}, {cx + 3, cy - 1}, {cx, cy + 2}});
    }
}

void TCustomdxDBGrid::PaintStatusPanel(TCanvas& Canvas, const TRect& Rect)
{
    TCanvasStateSaver saver(Canvas);
    Canvas.Brush()->SetColor(clBtnFace);
    Canvas.FillRect(Rect);
    Canvas.Pen()->SetColor(clBtnShadow);
    Canvas.MoveTo(Rect.Left, Rect.Top);
    Canvas.LineTo(Rect.Right, Rect.Top);
    Canvas.Font()->Assign(HeaderFont());
    const TRect button = GetStatusClearButtonRect();
    DrawHeaderButton(Canvas, button, ClearFilterCaption, taCenter, LookAndFeel(), EffectiveHeaderColor(), false);
    Canvas.SetBkMode(TRANSPARENT);
    Canvas.Font()->SetColor(clBtnText);
    TRect text = qel::Rect(button.Right + 2 * StatusMargin, button.Top, Rect.Right - StatusMargin, button.Bottom);
    Canvas.DrawText(m_filter->Criteria()->GetDisplayText(), text,
                    DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

bool TCustomdxDBGrid::FilterMouseDown(int X, int Y)
{
    const TPoint p{X, Y};
    if (GetStatusClearButtonRect().Contains(p)) {
        HideEditor();
        ClearFilter();
        return true;
    }
    if (!m_filter->Active() || GetHitTestAt(X, Y) != htColumn)
        return false;
    const int column = GetHitInfo(X, Y).Column;
    if (column < 0 || !GetFilterButtonRect(column).Contains(p))
        return false;
    HideEditor();
    DropDownFilter(column);
    return true;
}

} // namespace qel
