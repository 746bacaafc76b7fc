// Painting of the tree list: every pixel goes through TCanvas, and the rows
// painted are those that meet the clip rectangle, found from the top index.
#include "treelist/TreeList.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "treelist/TreeListColumn.h"

#include <algorithm>

namespace qel {

namespace {

unsigned AlignFlags(TAlignment A)
{
    switch (A) {
    case taRightJustify: return DT_RIGHT;
    case taCenter: return DT_CENTER;
    default: return DT_LEFT;
    }
}

void DrawSortMark(TCanvas& C, const TRect& R, TdxTreeListColumnSort Sorted)
{
    if (Sorted == csNone || R.Width() < 16)
        return;
    const int cx = R.Right - 9;
    const int cy = (R.Top + R.Bottom) / 2;
    C.Brush()->SetColor(clBtnShadow);
    C.Pen()->SetColor(clBtnShadow);
    if (Sorted == csDown)
        C.Polygon({{cx - 4, cy - 2}, {cx + 4, cy - 2}, {cx, cy + 2}});
    else
        C.Polygon({{cx - 4, cy + 2}, {cx + 4, cy + 2}, {cx, cy - 2}});
}

} // namespace

void DrawHeaderButton(TCanvas& Canvas, const TRect& Rect, const std::string& Text, TAlignment Alignment,
                      TdxLookAndFeel LookAndFeel, TColor Color, bool Pressed)
{
    if (Rect.IsEmpty())
        return;
    TRect r = Rect;
    Canvas.Brush()->SetColor(Color);
    Canvas.FillRect(r);
    switch (LookAndFeel) {
    case lfStandard:
        Canvas.DrawEdge(r, Pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        break;
    case lfFlat:
        Canvas.DrawEdge(r, Pressed ? BDR_SUNKENINNER : BDR_RAISEDINNER, BF_RECT);
        break;
    case lfUltraFlat:
        Canvas.Brush()->SetColor(clBtnShadow);
        Canvas.FrameRect(r);
        break;
    }
    TRect t = Rect;
    InflateRect(t, -3, -1);
    if (Pressed)
        OffsetRect(t, 1, 1);
    Canvas.Brush()->SetStyle(bsClear);
    Canvas.DrawText(Text, t, AlignFlags(Alignment) | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    Canvas.Brush()->SetStyle(bsSolid);
}

void TCustomdxTreeList::PaintHeaderButton(TCanvas& Canvas, const TRect& Rect, const std::string& Text,
                                          TAlignment Alignment, TdxTreeListColumnSort Sorted, TColor Color,
                                          bool Pressed, const TGraphic* Glyph)
{
    TRect textRect = Rect;
    if (Sorted != csNone)
        textRect.Right -= 14;
    DrawHeaderButton(Canvas, Rect, {}, Alignment, m_lookAndFeel, Color, Pressed);
    if (Glyph && !Glyph->Empty() && Rect.Width() > Glyph->Width() + 4) {
        Canvas.Draw(Rect.Left + 3, (Rect.Top + Rect.Bottom - Glyph->Height()) / 2, Glyph);
        textRect.Left += Glyph->Width() + 3;
    }
    TRect t = textRect;
    InflateRect(t, -3, -1);
    Canvas.Brush()->SetStyle(bsClear);
    Canvas.DrawText(Text, t, AlignFlags(Alignment) | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    Canvas.Brush()->SetStyle(bsSolid);
    DrawSortMark(Canvas, Rect, Sorted);
}

void TCustomdxTreeList::Paint()
{
    if (m_scrollBarsDirty)
        UpdateScrollBars();
    TCanvas* c = Canvas();
    PaintTo(*c, c->ClipRect());
}

void TCustomdxTreeList::PaintTo(TCanvas& Canvas, const TRect& Clip)
{
    TCanvasStateSaver saver(Canvas);
    const TdxTreeListRectInfo info = CalcRectInfo();
    m_lastPaintedRows = 0;
    TRect part;
    if (!info.GroupPanel.IsEmpty() && IntersectRect(part, info.GroupPanel, Clip))
        PaintGroupPanel(Canvas, info.GroupPanel);
    if (!info.Bands.IsEmpty() && IntersectRect(part, info.Bands, Clip))
        PaintBands(Canvas, info, Clip);
    if (!info.Header.IsEmpty() && IntersectRect(part, info.Header, Clip))
        PaintHeaders(Canvas, info, Clip);
    if (IntersectRect(part, info.Rows, Clip)) {
        TCanvasStateSaver rowsSaver(Canvas);
        Canvas.IntersectClipRect(info.Rows);
        int y = info.Rows.Top;
        const int count = GetAbsoluteCount();
        for (int i = std::max(0, GetTopIndex()); i < count && y < info.Rows.Bottom && y < Clip.Bottom; ++i) {
            TdxTreeListNode* node = GetAbsoluteNode(i);
            const int h = std::max(1, GetRowHeight(node));
            if (y + h > Clip.Top) {
                PaintRow(Canvas, node, Rect(info.Rows.Left, y, info.Rows.Right, y + h));
                ++m_lastPaintedRows;
            }
            y += h;
        }
        if (y < info.Rows.Bottom) {
            Canvas.Brush()->SetColor(EffectiveRowColor());
            Canvas.FillRect(Rect(info.Rows.Left, y, info.Rows.Right, info.Rows.Bottom));
        }
    }
    if (!info.Footer.IsEmpty() && IntersectRect(part, info.Footer, Clip))
        PaintFooter(Canvas, info);
    if (!info.StatusPanel.IsEmpty() && IntersectRect(part, info.StatusPanel, Clip))
        PaintStatusPanel(Canvas, info.StatusPanel);
}

// The band strip and the header strip: clipped to Area, a shadow background
// and, with the indicator shown, an empty button above it.
void TCustomdxTreeList::PaintHeaderStrip(TCanvas& Canvas, const TRect& Area, int ClientLeft, TColor Color)
{
    Canvas.IntersectClipRect(Area);
    Canvas.Brush()->SetColor(clBtnShadow);
    Canvas.FillRect(Area);
    if (m_showIndicator) {
        DrawHeaderButton(Canvas, Rect(ClientLeft, Area.Top, ClientLeft + GetIndicatorWidth(), Area.Bottom), {},
                         taLeftJustify, m_lookAndFeel, Color, false);
        // Cells scrolled to the left pass under the button, not over it.
        Canvas.IntersectClipRect(Rect(ClientLeft + GetIndicatorWidth(), Area.Top, Area.Right, Area.Bottom));
    }
}

void TCustomdxTreeList::PaintBands(TCanvas& Canvas, const TdxTreeListRectInfo& Info, const TRect&)
{
    TCanvasStateSaver saver(Canvas);
    PaintHeaderStrip(Canvas, Info.Bands, Info.Client.Left, EffectiveBandColor());
    Canvas.SetFont(m_bandFont.get());
    for (int b = 0; b < GetVisibleBandCount(); ++b) {
        const TRect r = GetBandRect(b);
        bool done = false;
        if (OnCustomDrawBand)
            OnCustomDrawBand(this, &Canvas, r, b, done);
        if (done)
            continue;
        std::string caption;
        GetBandCaption(b, caption);
        DrawHeaderButton(Canvas, r, caption, GetBandAlignment(b), m_lookAndFeel, EffectiveBandColor(), false);
    }
}

void TCustomdxTreeList::PaintHeaders(TCanvas& Canvas, const TdxTreeListRectInfo& Info, const TRect&)
{
    TCanvasStateSaver saver(Canvas);
    PaintHeaderStrip(Canvas, Info.Header, Info.Client.Left, EffectiveHeaderColor());
    Canvas.SetFont(m_headerFont.get());
    ForEachHeaderCell(Info, [&](const TCellPlace& P) {
        bool done = false;
        if (OnCustomDrawColumnHeader)
            OnCustomDrawColumnHeader(this, &Canvas, P.Rect, P.Column, done);
        if (done)
            return;
        const bool pressed = P.Column == m_pressedColumn && !m_dragStarted;
        const bool dragged = P.Column == m_dragColumn && m_dragStarted;
        const TdxTreeListColumn* column = GetColumnObject(P.Column);
        PaintHeaderButton(Canvas, P.Rect, GetColumnCaption(P.Column), GetColumnHeaderAlignment(P.Column),
                          GetColumnSorted(P.Column), dragged ? clBtnShadow : EffectiveHeaderColor(), pressed,
                          column ? column->HeaderGlyph() : nullptr);
    });
}

void TCustomdxTreeList::PaintIndent(TCanvas& Canvas, TdxTreeListNode* Node, const TRect& IndentRect)
{
    const int level = Node->GetLevel();
    const int levels = level + (m_showRoot ? 1 : 0);
    // Level colours: each level's strip may be coloured by the level-colour query.
    for (int l = 0; l < levels; ++l) {
        TColor color = EffectiveRowColor();
        GetLevelColor(l, color);
        Canvas.Brush()->SetColor(color);
        Canvas.FillRect(Rect(IndentRect.Left + LevelsWidth(l), IndentRect.Top, IndentRect.Left + LevelsWidth(l + 1),
                             IndentRect.Bottom));
    }
    const int midY = IndentRect.Top + GetNodeRowHeight() / 2;
    if (m_showLines && m_paintStyle == psStandard) {
        Canvas.Pen()->SetColor(clGray);
        Canvas.Pen()->SetStyle(psDot);
        // Vertical lines of the ancestors that have siblings below.
        const TdxTreeListNode* a = Node;
        for (int l = level; l >= 0; --l) {
            const int cx = IndentRect.Left + LevelsWidth(l + (m_showRoot ? 1 : 0)) - m_indentDesc / 2;
            if (l + (m_showRoot ? 1 : 0) <= 0) {
                a = a->Parent();
                continue;
            }
            if (a == Node) {
                Canvas.MoveTo(cx, IndentRect.Top);
                Canvas.LineTo(cx, a->IsLast() ? midY : IndentRect.Bottom);
                Canvas.MoveTo(cx, midY);
                Canvas.LineTo(cx + m_indentDesc / 2, midY);
            } else if (a && !a->IsLast()) {
                Canvas.MoveTo(cx, IndentRect.Top);
                Canvas.LineTo(cx, IndentRect.Bottom);
            }
            a = a ? a->Parent() : nullptr;
        }
        Canvas.Pen()->SetStyle(psSolid);
    }
    if (m_showButtons && Node->HasChildren() && levels > 0) {
        const int cx = IndentRect.Left + LevelsWidth(levels) - m_indentDesc / 2;
        const TRect box = Rect(cx - 4, midY - 4, cx + 5, midY + 5);
        Canvas.Brush()->SetColor(clWindow);
        Canvas.FillRect(box);
        Canvas.Brush()->SetColor(m_lookAndFeel == lfUltraFlat ? clBtnShadow : clGray);
        Canvas.FrameRect(box);
        Canvas.Pen()->SetColor(clBlack);
        Canvas.MoveTo(cx - 2, midY);
        Canvas.LineTo(cx + 3, midY);
        if (!Node->Expanded()) {
            Canvas.MoveTo(cx, midY - 2);
            Canvas.LineTo(cx, midY + 3);
        }
    }
    int x = IndentRect.Left + LevelsWidth(levels);
    if (m_stateImages && Node->GetStateIndex() >= 0) {
        m_stateImages->Draw(&Canvas, x, std::max(IndentRect.Top, midY - m_stateImages->Height() / 2),
                            Node->GetStateIndex());
        x += m_stateImages->Width();
    }
    if (m_images) {
        m_images->Draw(&Canvas, x, std::max(IndentRect.Top, midY - m_images->Height() / 2), Node->GetImageIndex());
    }
}

void TCustomdxTreeList::PaintCell(TCanvas& Canvas, TdxTreeListNode* Node, int Column, const TRect& CellRect,
                                  bool Selected, bool Focused)
{
    TdxTreeListCellViewData vd;
    vd.Node = Node;
    vd.ColumnIndex = Column;
    vd.Bounds = CellRect;
    vd.Text = GetCellText(Node, Column);
    vd.Alignment = GetColumnAlignmentByIndex(Column);
    const TColor columnColor = GetColumnColor(Column);
    vd.Color = GetRowColor(columnColor == clNone ? Color() : columnColor);
    vd.TextColor = GetColumnFont(Column)->Color();
    vd.Selected = Selected;
    vd.Focused = Focused;
    vd.EndEllipsis = m_options.Contains(aoDrawEndEllipsis);
    if (Selected) {
        const bool hide = m_hideSelection && !TWinControl::Focused();
        vd.Color = hide ? m_hideSelectionColor : m_highlightColor;
        vd.TextColor = hide ? m_hideSelectionTextColor : m_highlightTextColor;
    }
    TdxTreeListColumn* column = GetColumnObject(Column);
    if (column) {
        vd.Value = GetNodeValue(Node, Column);
        vd.MultiLine = column->IsMultiLine();
        column->PrepareViewData(vd);
    }
    bool done = false;
    if (OnCustomDrawCell)
        OnCustomDrawCell(this, &Canvas, CellRect, Node, Column, Selected, Focused, done);
    if (!done && column)
        done = column->DoCustomDraw(Canvas, vd);
    if (done)
        return;
    Canvas.SetFont(GetColumnFont(Column));
    if (column) {
        column->DrawCell(Canvas, vd);
        return;
    }
    Canvas.Brush()->SetColor(vd.Color);
    Canvas.FillRect(CellRect);
    TRect t = CellRect;
    InflateRect(t, -2, -1);
    Canvas.Font()->SetColor(vd.TextColor);
    Canvas.Brush()->SetStyle(bsClear);
    Canvas.DrawText(vd.Text, t, AlignFlags(vd.Alignment) | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX |
                                    (vd.EndEllipsis ? DT_END_ELLIPSIS : 0u));
    Canvas.Brush()->SetStyle(bsSolid);
}

// A row paints in steps: the area right of the bands, the indicator, then
// (clipped to the rows) the indent, the group text or the cells with the
// preview and the focus rectangle, and last the footers closing groups.
void TCustomdxTreeList::PaintRow(TCanvas& Canvas, TdxTreeListNode* Node, const TRect& RowRect)
{
    TRowPlace place;
    place.Row = RowRect;
    place.Left = RowsOriginX();
    place.ReportRight = place.Left + GetReportWidth();
    place.IndentRight = place.Left + NodeIndentWidth(Node);
    place.Group = IsGroupRow(Node);
    place.CellsBottom = RowRect.Top + (place.Group ? GetRowLineHeight() : GetNodeRowHeight());
    place.Focused = Node == m_focused;

    // Right of the bands.
    if (place.ReportRight < RowRect.Right) {
        Canvas.Brush()->SetColor(EffectiveRowColor());
        Canvas.FillRect(Rect(place.ReportRight, RowRect.Top, RowRect.Right, RowRect.Bottom));
    }
    if (m_showIndicator)
        PaintRowIndicator(Canvas, place);
    TCanvasStateSaver saver(Canvas);
    Canvas.IntersectClipRect(Rect(RowRect.Left + GetIndicatorWidth(), RowRect.Top, RowRect.Right, RowRect.Bottom));
    PaintIndent(Canvas, Node, Rect(place.Left, RowRect.Top, place.IndentRight, RowRect.Bottom));
    if (place.Group) {
        PaintGroupRow(Canvas, Node, place);
    } else {
        const TRect focusRect = PaintRowCells(Canvas, Node, place);
        PaintPreview(Canvas, Node, place);
        if (!focusRect.IsEmpty() && Focused() && !m_hideFocusRect && !m_options.Contains(aoHideFocusRect) &&
            !m_editing)
            Canvas.DrawFocusRect(focusRect);
    }
    if (m_showRowFooter)
        PaintRowFooters(Canvas, Node, place);
}

void TCustomdxTreeList::PaintRowIndicator(TCanvas& Canvas, const TRowPlace& Place)
{
    const TRect ind = Rect(Place.Row.Left, Place.Row.Top, Place.Row.Left + GetIndicatorWidth(), Place.Row.Bottom);
    DrawHeaderButton(Canvas, ind, {}, taLeftJustify, m_lookAndFeel, EffectiveHeaderColor(), false);
    if (Place.Focused) {
        const int cy = (ind.Top + std::min(ind.Bottom, Place.CellsBottom)) / 2;
        Canvas.Brush()->SetColor(clBlack);
        Canvas.Pen()->SetColor(clBlack);
        Canvas.Polygon({{ind.Left + 3, cy - 4}, {ind.Left + 3, cy + 4}, {ind.Left + 7, cy}});
    }
}

void TCustomdxTreeList::PaintGroupRow(TCanvas& Canvas, TdxTreeListNode* Node, const TRowPlace& Place)
{
    const TRect g = Rect(Place.IndentRight, Place.Row.Top, Place.ReportRight, Place.CellsBottom);
    const bool sel = Node->Selected() || Place.Focused;
    Canvas.Brush()->SetColor(sel ? m_highlightColor : EffectiveGroupNodeColor());
    Canvas.FillRect(g);
    TRect t = g;
    InflateRect(t, -3, 0);
    Canvas.SetFont(Font());
    Canvas.Font()->SetColor(sel ? m_highlightTextColor
                                : (m_groupNodeTextColor == clNone ? clWindowText : m_groupNodeTextColor));
    Canvas.Brush()->SetStyle(bsClear);
    Canvas.DrawText(GetGroupRowText(Node), t, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    Canvas.Brush()->SetStyle(bsSolid);
    Canvas.Pen()->SetColor(EffectiveGridLineColor());
    Canvas.MoveTo(Place.IndentRight, Place.CellsBottom - 1);
    Canvas.LineTo(Place.ReportRight, Place.CellsBottom - 1);
}

TRect TCustomdxTreeList::PaintRowCells(TCanvas& Canvas, TdxTreeListNode* Node, const TRowPlace& Place)
{
    const bool rowSelect = m_options.Contains(aoRowSelect);
    const bool selectedRow = Node->Selected() || (Place.Focused && (rowSelect || !IsMultiSelect()) && rowSelect);
    const TRect cellsRect = Rect(Place.Row.Left, Place.Row.Top, Place.Row.Right, Place.CellsBottom);
    const int firstColumn = GetVisibleColumn(0);
    TRect focusRect{};
    ForEachRowCell(cellsRect, [&](const TCellPlace& P) {
        TRect r = P.Rect;
        if (P.Column == firstColumn)
            r.Left = std::max(r.Left, Place.IndentRight);
        if (r.IsEmpty())
            return;
        const bool focusedCell = Place.Focused && (rowSelect || P.Column == m_focusedColumn);
        bool selected = selectedRow || Node->Selected() || (focusedCell && !IsInvertSelect());
        if (Place.Focused && !rowSelect && P.Column == m_focusedColumn && IsInvertSelect())
            selected = false;
        if (m_editing && Place.Focused && P.Column == m_focusedColumn)
            selected = false;
        PaintCell(Canvas, Node, P.Column, r, selected, focusedCell);
        if (m_showGrid) {
            Canvas.Pen()->SetColor(EffectiveGridLineColor());
            if (m_paintStyle == psStandard) {
                Canvas.MoveTo(r.Right - 1, r.Top);
                Canvas.LineTo(r.Right - 1, r.Bottom);
            }
            Canvas.MoveTo(r.Left, r.Bottom - 1);
            Canvas.LineTo(r.Right, r.Bottom - 1);
        }
        if (focusedCell && !rowSelect)
            focusRect = r;
    });
    if (Place.Focused && rowSelect)
        focusRect = Rect(Place.IndentRight, Place.Row.Top, Place.ReportRight, Place.CellsBottom);
    return focusRect;
}

// The preview under the cells.
void TCustomdxTreeList::PaintPreview(TCanvas& Canvas, TdxTreeListNode* Node, const TRowPlace& Place)
{
    const int previewHeight = GetPreviewHeight(Node);
    if (previewHeight <= 0)
        return;
    const TRect pr = Rect(Place.IndentRight, Place.CellsBottom, Place.ReportRight, Place.CellsBottom + previewHeight);
    bool done = false;
    if (OnCustomDrawPreviewCell)
        OnCustomDrawPreviewCell(this, &Canvas, pr, Node, Node->Selected(), done);
    if (done)
        return;
    Canvas.Brush()->SetColor(Node->Selected() ? m_highlightColor : EffectiveRowColor());
    Canvas.FillRect(pr);
    Canvas.SetFont(m_previewFont.get());
    if (Node->Selected())
        Canvas.Font()->SetColor(m_highlightTextColor);
    TRect t = pr;
    InflateRect(t, -4, -2);
    Canvas.Brush()->SetStyle(bsClear);
    Canvas.DrawText(GetPreviewText(Node), t, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
    Canvas.Brush()->SetStyle(bsSolid);
    if (m_showPreviewGrid) {
        Canvas.Pen()->SetColor(EffectiveGridLineColor());
        Canvas.MoveTo(pr.Left, pr.Bottom - 1);
        Canvas.LineTo(pr.Right, pr.Bottom - 1);
    }
}

// The row footers closing groups after this node.
void TCustomdxTreeList::PaintRowFooters(TCanvas& Canvas, TdxTreeListNode* Node, const TRowPlace& Place)
{
    const int count = GetRowFooterCount(Node);
    int y = Place.Group ? Place.CellsBottom : Place.CellsBottom + GetPreviewHeight(Node);
    const int fh = GetFooterRowHeight();
    for (int k = 0; k < count; ++k, y += fh) {
        const int left = Place.Left + LevelsWidth(GetRowFooterLevel(Node, k) + (m_showRoot ? 1 : 0));
        const TRect fr = Rect(left, y, Place.ReportRight, y + fh);
        Canvas.Brush()->SetColor(EffectiveRowFooterColor());
        Canvas.FillRect(fr);
        Canvas.SetFont(Font());
        ForEachRowCell(Rect(Place.Row.Left, y, Place.Row.Right, y + fh), [&](const TCellPlace& P) {
            if (P.Row != 0 || !IsExistRowFooterCell(Node, P.Column, k))
                return;
            TRect r = P.Rect;
            r.Left = std::max(r.Left, left);
            r.Bottom = y + fh;
            InflateRect(r, -1, -2);
            if (r.IsEmpty())
                return;
            PaintRowFooterCell(Canvas, Node, P.Column, k, r);
        });
    }
}

void TCustomdxTreeList::PaintRowFooterCell(TCanvas& Canvas, TdxTreeListNode* Node, int Column, int Footer,
                                           const TRect& CellRect)
{
    bool done = false;
    if (OnCustomDrawFooterNode)
        OnCustomDrawFooterNode(this, &Canvas, CellRect, Node, Column, Footer, done);
    if (done)
        return;
    TRect e = CellRect;
    Canvas.DrawEdge(e, BDR_SUNKENOUTER, BF_RECT);
    std::string text;
    GetRowFooterCellText(Node, Column, Footer, text);
    TRect t = CellRect;
    InflateRect(t, -2, 0);
    Canvas.Brush()->SetStyle(bsClear);
    Canvas.DrawText(text, t, AlignFlags(GetRowFooterCellAlignment(Node, Column, Footer)) | DT_SINGLELINE |
                                 DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    Canvas.Brush()->SetStyle(bsSolid);
}

void TCustomdxTreeList::PaintFooter(TCanvas& Canvas, const TdxTreeListRectInfo& Info)
{
    TCanvasStateSaver saver(Canvas);
    Canvas.IntersectClipRect(Info.Footer);
    Canvas.Brush()->SetColor(clBtnFace);
    Canvas.FillRect(Info.Footer);
    TRect edge = Info.Footer;
    if (m_lookAndFeel == lfStandard)
        Canvas.DrawEdge(edge, BDR_RAISEDINNER, BF_RECT);
    Canvas.SetFont(Font());
    const int x0 = RowsOriginX();
    for (int n = 0; n < GetVisibleColumnCount(); ++n) {
        const int column = GetVisibleColumn(n);
        if (!IsExistFooterCell(column))
            continue;
        const auto& hl = HeaderLayout();
        const auto i = static_cast<std::size_t>(column);
        TRect r = Rect(x0 + hl.ColLeft[i], Info.Footer.Top, x0 + hl.ColLeft[i] + hl.ColWidth[i], Info.Footer.Bottom);
        InflateRect(r, -1, -2);
        bool done = false;
        if (OnCustomDrawFooter)
            OnCustomDrawFooter(this, &Canvas, r, column, done);
        if (done)
            continue;
        TRect e = r;
        if (m_lookAndFeel == lfUltraFlat) {
            Canvas.Brush()->SetColor(clBtnShadow);
            Canvas.FrameRect(e);
        } else {
            Canvas.DrawEdge(e, BDR_SUNKENOUTER, BF_RECT);
        }
        TRect t = r;
        InflateRect(t, -2, 0);
        Canvas.Brush()->SetStyle(bsClear);
        Canvas.DrawText(GetFooterCellText(column), t, AlignFlags(GetColumnAlignmentByIndex(column)) | DT_SINGLELINE |
                                                        DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        Canvas.Brush()->SetStyle(bsSolid);
    }
}

} // namespace qel
