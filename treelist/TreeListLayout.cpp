// Measures, areas, rectangles, hit tests and scrolling of the tree list.
#include "treelist/TreeList.h"

#include "platform/graphics/ImageList.h"

#include <algorithm>

namespace qel {

namespace {
constexpr int SizingStrip = 3;   // pixels at a header's right edge that start sizing
}

void TCustomdxTreeList::HeaderChanged()
{
    m_headerLayout.Valid = false;
    LayoutChanged();
}

void TCustomdxTreeList::RemeasureIfNeeded() const
{
    if (m_measured)
        return;
    auto* self = const_cast<TCustomdxTreeList*>(this);
    TCanvas* c = self->Canvas();
    auto measure = [c](TFont* F) {
        c->SetFont(F);
        return std::max(1, c->TextHeight("Wg"));
    };
    m_textHeight = measure(Font());
    m_bandTextHeight = measure(m_bandFont.get());
    m_headerTextHeight = measure(m_headerFont.get());
    m_previewTextHeight = measure(m_previewFont.get());
    m_measured = true;
}

int TCustomdxTreeList::GetRowLineHeight() const
{
    if (m_defaultRowHeight > 0)
        return m_defaultRowHeight;
    RemeasureIfNeeded();
    return m_textHeight + 4;
}

int TCustomdxTreeList::GetBandRowHeight() const
{
    RemeasureIfNeeded();
    return m_bandTextHeight + 6;
}

int TCustomdxTreeList::GetHeaderRowHeight() const
{
    RemeasureIfNeeded();
    return m_headerTextHeight + 6;
}

int TCustomdxTreeList::GetPreviewLineHeight() const
{
    RemeasureIfNeeded();
    return m_previewTextHeight;
}

int TCustomdxTreeList::GetFooterRowHeight() const
{
    RemeasureIfNeeded();
    return m_textHeight + 8;
}

int TCustomdxTreeList::GetNodeHeight() const
{
    return m_headerPanelRowCount;
}

int TCustomdxTreeList::CalcHeaderCells(int VisibleBand, int Row) const
{
    const int rows = GetBandRowCount(VisibleBand);
    if (Row < 0 || Row >= rows)
        return 0;
    if (Row < rows - 1)
        return 1;
    return std::max(1, m_headerPanelRowCount - (rows - 1));
}

const TCustomdxTreeList::THeaderLayout& TCustomdxTreeList::HeaderLayout() const
{
    THeaderLayout& hl = m_headerLayout;
    if (hl.Valid)
        return hl;
    const int bands = GetVisibleBandCount();
    const int columns = GetColumnCount();
    hl.BandLeft.assign(static_cast<std::size_t>(bands), 0);
    hl.BandWidth.assign(static_cast<std::size_t>(bands), 0);
    hl.ColLeft.assign(static_cast<std::size_t>(columns), 0);
    hl.ColWidth.assign(static_cast<std::size_t>(columns), 0);
    hl.ColBand.assign(static_cast<std::size_t>(columns), -1);
    hl.ColRow.assign(static_cast<std::size_t>(columns), -1);
    hl.ColPos.assign(static_cast<std::size_t>(columns), -1);
    // Widths add up in 64 bits; a sum is held at MaxCoord.
    auto rowWidth = [this](int Band, int Row) {
        long long sum = 0;
        for (int p = 0; p < GetBandRowColumnCount(Band, Row); ++p)
            sum += std::max(0, GetColumnWidth(GetHeaderColumnIndex(Band, Row, p)));
        return ClampCoord(sum);
    };
    // Natural band widths: the band's own setting or its widest row.
    for (int b = 0; b < bands; ++b) {
        int natural = 0;
        for (int r = 0; r < GetBandRowCount(b); ++r)
            natural = std::max(natural, rowWidth(b, r));
        const int setting = GetBandSettingWidth(b);
        hl.BandWidth[static_cast<std::size_t>(b)] =
            std::max(GetBandMinWidth(b), setting > 0 ? setting : natural);
    }
    // Auto width: the bands share the width of the rows area.
    if (m_options.Contains(aoAutoWidth) && bands > 0) {
        const int avail = std::max(0, ClientRect().Width() - GetIndicatorWidth());
        long long total = 0;
        for (int w : hl.BandWidth)
            total += w;
        if (total > 0 && avail > 0) {
            int used = 0;
            for (int b = 0; b < bands; ++b) {
                auto& w = hl.BandWidth[static_cast<std::size_t>(b)];
                w = (b == bands - 1) ? std::max(1, avail - used) : static_cast<int>(w * 1LL * avail / total);
                used += w;
            }
        }
    }
    int left = 0;
    for (int b = 0; b < bands; ++b) {
        hl.BandLeft[static_cast<std::size_t>(b)] = left;
        const int bw = hl.BandWidth[static_cast<std::size_t>(b)];
        for (int r = 0; r < GetBandRowCount(b); ++r) {
            const int n = GetBandRowColumnCount(b, r);
            const int natural = rowWidth(b, r);
            int x = left;
            for (int p = 0; p < n; ++p) {
                const int c = GetHeaderColumnIndex(b, r, p);
                if (c < 0 || c >= columns)
                    continue;
                int w = std::max(0, GetColumnWidth(c));
                // Widths follow the band: scaled when the band differs, the last one takes the rest.
                if (natural > 0 && natural != bw)
                    w = static_cast<int>(w * 1LL * bw / natural);
                if (p == n - 1)
                    w = std::max(0, ClampCoord(static_cast<long long>(left) + bw) - x);
                const auto i = static_cast<std::size_t>(c);
                hl.ColLeft[i] = x;
                hl.ColWidth[i] = w;
                hl.ColBand[i] = b;
                hl.ColRow[i] = r;
                hl.ColPos[i] = p;
                x = ClampCoord(static_cast<long long>(x) + w);
            }
        }
        left = ClampCoord(static_cast<long long>(left) + bw);
    }
    hl.TotalWidth = left;
    hl.Valid = true;
    return hl;
}

int TCustomdxTreeList::GetBandWidth(int VisibleBand) const
{
    const auto& hl = HeaderLayout();
    if (VisibleBand < 0 || VisibleBand >= static_cast<int>(hl.BandWidth.size()))
        return 0;
    return hl.BandWidth[static_cast<std::size_t>(VisibleBand)];
}

int TCustomdxTreeList::GetBandLeft(int VisibleBand) const
{
    const auto& hl = HeaderLayout();
    if (VisibleBand < 0 || VisibleBand >= static_cast<int>(hl.BandLeft.size()))
        return 0;
    return hl.BandLeft[static_cast<std::size_t>(VisibleBand)];
}

int TCustomdxTreeList::GetColumnDisplayWidth(int Column) const
{
    const auto& hl = HeaderLayout();
    if (Column < 0 || Column >= static_cast<int>(hl.ColWidth.size()) || hl.ColBand[static_cast<std::size_t>(Column)] < 0)
        return 0;
    return hl.ColWidth[static_cast<std::size_t>(Column)];
}

bool TCustomdxTreeList::GetColumnPlace(int Column, int& VisibleBand, int& Row, int& Position) const
{
    const auto& hl = HeaderLayout();
    VisibleBand = Row = Position = -1;
    if (Column < 0 || Column >= static_cast<int>(hl.ColBand.size()))
        return false;
    const auto i = static_cast<std::size_t>(Column);
    VisibleBand = hl.ColBand[i];
    Row = hl.ColRow[i];
    Position = hl.ColPos[i];
    return VisibleBand >= 0;
}

int TCustomdxTreeList::GetReportWidth() const
{
    return HeaderLayout().TotalWidth;
}

int TCustomdxTreeList::RowsOriginX() const
{
    return GetIndicatorWidth() - m_leftCoord;
}

// ----- rows -----------------------------------------------------------------------------

int TCustomdxTreeList::GetPreviewLineCount(TdxTreeListNode* Node) const
{
    if (!m_options.Contains(aoPreview) || !Node || IsGroupRow(Node))
        return 0;
    int lines = m_previewLines;
    if (m_optionsEx.Contains(aoAutoCalcPreviewLines)) {
        const std::string text = GetPreviewText(Node);
        if (text.empty()) {
            lines = 0;
        } else {
            auto* self = const_cast<TCustomdxTreeList*>(this);
            TCanvas* c = self->Canvas();
            c->SetFont(m_previewFont.get());
            TRect r{0, 0, std::max(1, GetReportWidth() - m_indentDesc), 0};
            const int h = c->DrawText(text, r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
            lines = std::max(1, (h + GetPreviewLineHeight() - 1) / std::max(1, GetPreviewLineHeight()));
        }
    }
    if (OnGetPreviewLineCount)
        OnGetPreviewLineCount(const_cast<TCustomdxTreeList*>(this), Node, lines);
    return std::max(0, lines);
}

int TCustomdxTreeList::GetPreviewHeight(TdxTreeListNode* Node) const
{
    const int lines = GetPreviewLineCount(Node);
    return lines > 0 ? ClampCoord(static_cast<long long>(lines) * GetPreviewLineHeight() + 4) : 0;
}

int TCustomdxTreeList::GetRowHeight(TdxTreeListNode* Node) const
{
    if (!Node)
        return 0;
    // Heights add up in 64 bits; a row is never higher than MaxCoord.
    const long long footers =
        m_showRowFooter ? static_cast<long long>(GetRowFooterCount(Node)) * GetFooterRowHeight() : 0;
    if (IsGroupRow(Node))
        return ClampCoord(GetRowLineHeight() + footers);
    int cells = GetNodeRowHeight();
    if (IsRowAutoHeight() && m_headerPanelRowCount == 1) {
        auto* self = const_cast<TCustomdxTreeList*>(this);
        TCanvas* c = self->Canvas();
        const int line = std::max(1, m_textHeight);
        for (int n = 0; n < GetVisibleColumnCount(); ++n) {
            const int column = GetVisibleColumn(n);
            c->SetFont(GetColumnFont(column));
            TRect r{0, 0, std::max(1, GetColumnDisplayWidth(column) - 4), 0};
            int h = c->DrawText(GetCellText(Node, column), r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
            if (m_maxRowLineCount > 0)
                h = static_cast<int>(std::min<long long>(h, static_cast<long long>(m_maxRowLineCount) * line));
            cells = std::max(cells, ClampCoord(h + 4LL));
        }
    }
    return ClampCoord(static_cast<long long>(cells) + GetPreviewHeight(Node) + footers);
}

int TCustomdxTreeList::LevelsWidth(int Levels) const
{
    return ClampCoord(static_cast<long long>(Levels) * m_indentDesc);
}

int TCustomdxTreeList::NodeIndentWidth(const TdxTreeListNode* Node) const
{
    long long w = LevelsWidth(Node->GetLevel() + (m_showRoot ? 1 : 0));
    if (m_stateImages && Node->GetStateIndex() >= 0)
        w += m_stateImages->Width();
    if (m_images)
        w += m_images->Width();
    return ClampCoord(w);
}

TdxTreeListRectInfo TCustomdxTreeList::CalcRectInfo() const
{
    TdxTreeListRectInfo info;
    info.Client = ClientRect();
    const TRect& c = info.Client;
    int y = c.Top;
    const int gp = GetGroupPanelHeight();
    if (gp > 0) {
        info.GroupPanel = Rect(c.Left, y, c.Right, std::min(c.Bottom, y + gp));
        y = info.GroupPanel.Bottom;
    }
    if (m_showBands) {
        info.Bands = Rect(c.Left, y, c.Right, std::min(c.Bottom, y + GetBandRowHeight()));
        y = info.Bands.Bottom;
    }
    if (m_showHeader) {
        info.Header = Rect(c.Left, y, c.Right, std::min(c.Bottom, y + GetHeaderRowHeight() * m_headerPanelRowCount));
        y = info.Header.Bottom;
    }
    int bottom = c.Bottom;
    if (const int sp = GetStatusPanelHeight(); sp > 0) {
        const int top = std::max(y, bottom - sp);
        info.StatusPanel = Rect(c.Left, top, c.Right, bottom);
        bottom = top;
    }
    if (m_showFooter) {
        const int top = std::max(y, bottom - GetFooterRowHeight());
        info.Footer = Rect(c.Left, top, c.Right, bottom);
        bottom = top;
    }
    info.Rows = Rect(c.Left, y, c.Right, std::max(y, bottom));
    if (m_showIndicator)
        info.Indicator = Rect(c.Left, info.Rows.Top, c.Left + GetIndicatorWidth(), info.Rows.Bottom);
    // A zero row height (an empty font, a zero default) must not divide by zero.
    info.VisibleRowCount = info.Rows.Height() / std::max(1, GetNodeRowHeight());
    return info;
}

int TCustomdxTreeList::RowsAreaHeight() const
{
    return CalcRectInfo().Rows.Height();
}

int TCustomdxTreeList::ClampTopIndex(int Index) const
{
    const int count = GetAbsoluteCount();
    if (count == 0)
        return 0;
    // The last page: as many rows from the end as fit wholly.
    const int area = RowsAreaHeight();
    int used = 0;
    int first = count;
    while (first > 0) {
        const int h = std::max(1, GetRowHeight(GetAbsoluteNode(first - 1)));
        if (used + h > area && first < count)
            break;
        used += h;
        --first;
    }
    return std::clamp(Index, 0, std::max(0, first));
}

int TCustomdxTreeList::GetTopIndex() const
{
    if (GetAbsoluteCount() == 0)
        return -1;
    return std::min(m_topIndex, GetAbsoluteCount() - 1);
}

void TCustomdxTreeList::SetTopIndex(int Index)
{
    const int clamped = ClampTopIndex(Index);
    if (clamped == m_topIndex)
        return;
    HideEditor();
    m_topIndex = clamped;
    UpdateScrollBars();
    Invalidate();
    DoViewScrolled();
}

void TCustomdxTreeList::ResetTopNode()
{
    m_topIndex = 0;
    UpdateScrollBars();
    Invalidate();
}

int TCustomdxTreeList::GetVisibleRowCount() const
{
    const TRect rows = CalcRectInfo().Rows;
    const int top = GetTopIndex();
    if (top < 0)
        return 0;
    int y = rows.Top;
    int n = 0;
    for (int i = top; i < GetAbsoluteCount() && y < rows.Bottom; ++i, ++n)
        y += std::max(1, GetRowHeight(GetAbsoluteNode(i)));
    return n;
}

void TCustomdxTreeList::MakeNodeVisible(TdxTreeListNode* Node)
{
    const int index = GetAbsoluteIndex(Node);
    if (index < 0)
        return;
    const int top = GetTopIndex();
    if (index < top) {
        SetTopIndex(index);
        return;
    }
    const int area = RowsAreaHeight();
    int used = 0;
    for (int i = top; i <= index && used <= area; ++i)
        used += std::max(1, GetRowHeight(GetAbsoluteNode(i)));
    if (used <= area)
        return;
    // Put the node on the last whole row.
    int newTop = index;
    used = std::max(1, GetRowHeight(Node));
    while (newTop > 0) {
        const int h = std::max(1, GetRowHeight(GetAbsoluteNode(newTop - 1)));
        if (used + h > area)
            break;
        used += h;
        --newTop;
    }
    SetTopIndex(newTop);
}

int TCustomdxTreeList::ClampLeftCoord(int Value) const
{
    const int maxLeft = std::max(0, GetReportWidth() - (ClientRect().Width() - GetIndicatorWidth()));
    return std::clamp(Value, 0, maxLeft);
}

void TCustomdxTreeList::SetLeftCoord(int Value)
{
    Value = ClampLeftCoord(Value);
    if (Value == m_leftCoord)
        return;
    HideEditor();
    m_leftCoord = Value;
    UpdateScrollBars();
    Invalidate();
    DoViewScrolled();
}

TRect TCustomdxTreeList::GetNodeRect(TdxTreeListNode* Node) const
{
    const int index = GetAbsoluteIndex(Node);
    const int top = GetTopIndex();
    if (index < 0 || index < top)
        return {};
    const TdxTreeListRectInfo info = CalcRectInfo();
    int y = info.Rows.Top;
    for (int i = top; i < index; ++i) {
        y += std::max(1, GetRowHeight(GetAbsoluteNode(i)));
        if (y >= info.Rows.Bottom)
            return {};
    }
    return Rect(info.Rows.Left, y, info.Rows.Right, y + GetRowHeight(Node));
}

TRect TCustomdxTreeList::GetCellRect(TdxTreeListNode* Node, int Column) const
{
    const TRect row = GetNodeRect(Node);
    if (row.IsEmpty() || !IsColumnShown(Column))
        return {};
    TRect found{};
    ForEachRowCell(row, [&](const TCellPlace& P) {
        if (P.Column == Column)
            found = P.Rect;
    });
    if (!found.IsEmpty() && Column == GetVisibleColumn(0))
        found.Left = std::max(found.Left, RowsOriginX() + NodeIndentWidth(Node));
    return found;
}

void TCustomdxTreeList::ForEachRowCell(const TRect& RowRect, const std::function<void(const TCellPlace&)>& Visit) const
{
    ForEachBandCell(RowRect.Top, GetRowLineHeight(), Visit);
}

void TCustomdxTreeList::ForEachHeaderCell(const TdxTreeListRectInfo& Info,
                                          const std::function<void(const TCellPlace&)>& Visit) const
{
    ForEachBandCell(Info.Header.Top, GetHeaderRowHeight(), Visit);
}

// Header cells and row cells share the band layout; only the line height
// and the top differ.
void TCustomdxTreeList::ForEachBandCell(int Top, int LineHeight,
                                        const std::function<void(const TCellPlace&)>& Visit) const
{
    const auto& hl = HeaderLayout();
    const int x0 = RowsOriginX();
    for (int b = 0; b < GetVisibleBandCount(); ++b) {
        int y = Top;
        for (int r = 0; r < GetBandRowCount(b); ++r) {
            const int h = LineHeight * CalcHeaderCells(b, r);
            for (int p = 0; p < GetBandRowColumnCount(b, r); ++p) {
                const int c = GetHeaderColumnIndex(b, r, p);
                if (c < 0 || c >= static_cast<int>(hl.ColLeft.size()))
                    continue;
                const auto i = static_cast<std::size_t>(c);
                Visit({c, b, r, Rect(x0 + hl.ColLeft[i], y, x0 + hl.ColLeft[i] + hl.ColWidth[i], y + h)});
            }
            y += h;
        }
    }
}

TRect TCustomdxTreeList::GetHeaderRect(int Column) const
{
    const TdxTreeListRectInfo info = CalcRectInfo();
    if (!m_showHeader)
        return {};
    TRect found{};
    ForEachHeaderCell(info, [&](const TCellPlace& P) {
        if (P.Column == Column)
            found = P.Rect;
    });
    return found;
}

TRect TCustomdxTreeList::GetBandRect(int VisibleBand) const
{
    const TdxTreeListRectInfo info = CalcRectInfo();
    if (!m_showBands || VisibleBand < 0 || VisibleBand >= GetVisibleBandCount())
        return {};
    const int left = RowsOriginX() + GetBandLeft(VisibleBand);
    return Rect(left, info.Bands.Top, left + GetBandWidth(VisibleBand), info.Bands.Bottom);
}

// ----- hit testing ----------------------------------------------------------------------------

TCustomdxTreeList::THitInfo TCustomdxTreeList::GetHitInfo(int X, int Y) const
{
    THitInfo hit;
    const TdxTreeListRectInfo info = CalcRectInfo();
    const TPoint p{X, Y};
    if (X < info.Client.Left || Y < info.Client.Top) {
        hit.Kind = htAbove;
        return hit;
    }
    if (X >= info.Client.Right || Y >= info.Client.Bottom) {
        hit.Kind = htBelow;
        return hit;
    }
    if (info.GroupPanel.Contains(p)) {
        hit.Kind = htGroupPanel;
        return hit;
    }
    const int x0 = RowsOriginX();
    if (info.Bands.Contains(p)) {
        hit.Kind = htBandPanel;
        for (int b = 0; b < GetVisibleBandCount(); ++b) {
            const int left = x0 + GetBandLeft(b);
            const int right = left + GetBandWidth(b);
            if (X >= left && X < right) {
                hit.Band = b;
                hit.Kind = (X >= right - SizingStrip && m_optionsEx.Contains(aoBandSizing)) ? htBandEdge : htBand;
                break;
            }
        }
        return hit;
    }
    if (info.Header.Contains(p)) {
        hit.Kind = htHeaderPanel;
        ForEachHeaderCell(info, [&](const TCellPlace& Cell) {
            if (Cell.Rect.Contains(p)) {
                hit.Column = Cell.Column;
                hit.Band = Cell.Band;
                hit.Row = Cell.Row;
                hit.Kind = (X >= Cell.Rect.Right - SizingStrip && m_options.Contains(aoColumnSizing)) ? htColumnEdge
                                                                                                     : htColumn;
            }
        });
        return hit;
    }
    if (info.Footer.Contains(p)) {
        hit.Kind = htFooter;
        ForEachHeaderCell(info, [&](const TCellPlace& Cell) {
            if (X >= Cell.Rect.Left && X < Cell.Rect.Right && Cell.Row == 0)
                hit.Column = Cell.Column;
        });
        return hit;
    }
    if (!info.Rows.Contains(p))
        return hit;
    // The row under Y: only the rows on screen are visited.
    int y = info.Rows.Top;
    const int count = GetAbsoluteCount();
    TdxTreeListNode* node = nullptr;
    TRect row{};
    for (int i = std::max(0, GetTopIndex()); i < count && y < info.Rows.Bottom; ++i) {
        TdxTreeListNode* n = GetAbsoluteNode(i);
        const int h = std::max(1, GetRowHeight(n));
        if (Y < y + h) {
            node = n;
            row = Rect(info.Rows.Left, y, info.Rows.Right, y + h);
            break;
        }
        y += h;
    }
    if (!node) {
        hit.Kind = htBelow;
        return hit;
    }
    hit.Node = node;
    if (info.Indicator.Contains(p)) {
        hit.Kind = htIndicator;
        return hit;
    }
    const bool group = IsGroupRow(node);
    const int cellsBottom = row.Top + (group ? GetRowLineHeight() : GetNodeRowHeight());
    const int previewBottom = cellsBottom + (group ? 0 : GetPreviewHeight(node));
    if (Y >= previewBottom) {
        hit.Kind = htRowFooter;
        hit.Row = (Y - previewBottom) / std::max(1, GetFooterRowHeight());
        return hit;
    }
    if (Y >= cellsBottom) {
        hit.Kind = htPreview;
        return hit;
    }
    // The indent: level lines, the button, state image and image.
    const int indentLeft = x0;
    const int levelsRight = indentLeft + LevelsWidth(node->GetLevel() + (m_showRoot ? 1 : 0));
    if (X < levelsRight) {
        hit.Kind = htIndent;
        const int buttonLeft = levelsRight - m_indentDesc;
        if (m_showButtons && node->HasChildren() && X >= buttonLeft && (m_showRoot || node->Parent()))
            hit.Kind = htButton;
        return hit;
    }
    int x = levelsRight;
    if (m_stateImages && node->GetStateIndex() >= 0) {
        if (X < x + m_stateImages->Width()) {
            hit.Kind = htStateIcon;
            return hit;
        }
        x += m_stateImages->Width();
    }
    if (m_images) {
        if (X < x + m_images->Width()) {
            hit.Kind = htIcon;
            return hit;
        }
        x += m_images->Width();
    }
    if (X >= x0 + GetReportWidth()) {
        hit.Kind = htRight;
        return hit;
    }
    hit.Kind = htLabel;
    if (group)
        return hit;
    ForEachRowCell(row, [&](const TCellPlace& Cell) {
        if (X >= Cell.Rect.Left && X < Cell.Rect.Right && Y >= Cell.Rect.Top && Y < Cell.Rect.Bottom) {
            hit.Column = Cell.Column;
            hit.Band = Cell.Band;
            hit.Row = Cell.Row;
        }
    });
    return hit;
}

TdxTreeListNode* TCustomdxTreeList::GetNodeAt(int X, int Y) const
{
    return GetHitInfo(X, Y).Node;
}

int TCustomdxTreeList::GetColumnAt(int X, int Y) const
{
    return GetHitInfo(X, Y).Column;
}

// ----- scrolling -----------------------------------------------------------------------------------

void TCustomdxTreeList::UpdateScrollBars()
{
    if (m_lockUpdate > 0 || m_updatingScrollBars || IsDestroying())
        return;
    TValueRestorer<bool> guard(m_updatingScrollBars, true);
    m_scrollBarsDirty = false;
    const TdxTreeListRectInfo info = CalcRectInfo();
    TScrollInfo v;
    v.Min = 0;
    v.Max = std::max(0, GetAbsoluteCount() - 1);
    v.Page = std::max(1, info.VisibleRowCount);
    v.Pos = std::max(0, GetTopIndex());
    SetScrollInfo(SB_VERT, v);
    TScrollInfo h;
    h.Min = 0;
    h.Max = std::max(0, GetReportWidth() - 1);
    h.Page = std::max(1, info.Rows.Width() - GetIndicatorWidth());
    h.Pos = m_leftCoord;
    SetScrollInfo(SB_HORZ, h);
}

void TCustomdxTreeList::DoScroll(TScrollBarKind Kind, TScrollCode Code, int Pos)
{
    if (Kind == sbVertical) {
        const int page = std::max(1, CalcRectInfo().VisibleRowCount);
        const int top = std::max(0, GetTopIndex());
        switch (Code) {
        case scLineUp: SetTopIndex(top - 1); break;
        case scLineDown: SetTopIndex(top + 1); break;
        case scPageUp: SetTopIndex(top - page); break;
        case scPageDown: SetTopIndex(top + page); break;
        case scTrack:
        case scPosition: SetTopIndex(Pos); break;
        case scTop: SetTopIndex(0); break;
        case scBottom: SetTopIndex(GetAbsoluteCount()); break;
        case scEndScroll: break;
        }
    } else {
        const int page = std::max(1, CalcRectInfo().Rows.Width() - GetIndicatorWidth());
        switch (Code) {
        case scLineUp: SetLeftCoord(m_leftCoord - 16); break;
        case scLineDown: SetLeftCoord(m_leftCoord + 16); break;
        case scPageUp: SetLeftCoord(m_leftCoord - page); break;
        case scPageDown: SetLeftCoord(m_leftCoord + page); break;
        case scTrack:
        case scPosition: SetLeftCoord(Pos); break;
        case scTop: SetLeftCoord(0); break;
        case scBottom: SetLeftCoord(GetReportWidth()); break;
        case scEndScroll: break;
        }
    }
}

void TCustomdxTreeList::Resize()
{
    TCustomdxContainer::Resize();
    if (m_options.Contains(aoAutoWidth))
        m_headerLayout.Valid = false;
    LayoutChanged();
}

} // namespace qel
