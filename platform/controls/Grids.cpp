#include "platform/controls/Grids.h"

#include "platform/core/Guards.h"

#include <algorithm>

namespace qel {

TDrawGrid::TDrawGrid(TComponent* AOwner)
    : TCustomControl(AOwner), m_colWidths(5, 64), m_rowHeights(5, 24)
{
    InitColor(clWindow);
    SetBounds(0, 0, 320, 120);
}

void TDrawGrid::SetColCount(int Value)
{
    Value = std::max(1, Value);
    if (Value <= m_fixedCols)
        m_fixedCols = Value - 1;
    m_colWidths.resize(static_cast<std::size_t>(Value), m_defaultColWidth);
    m_col = std::clamp(m_col, m_fixedCols, Value - 1);
    m_leftCol = std::clamp(m_leftCol, m_fixedCols, Value - 1);
    LayoutChanged();
}

void TDrawGrid::SetRowCount(int Value)
{
    Value = std::max(1, Value);
    if (Value <= m_fixedRows)
        m_fixedRows = Value - 1;
    m_rowHeights.resize(static_cast<std::size_t>(Value), m_defaultRowHeight);
    m_row = std::clamp(m_row, m_fixedRows, Value - 1);
    m_topRow = std::clamp(m_topRow, m_fixedRows, Value - 1);
    LayoutChanged();
}

void TDrawGrid::SetFixedCols(int Value)
{
    if (Value < 0 || Value >= ColCount())
        throw EInvalidOperation("Fixed column count must be less than column count");
    // The grid starts over at its first scrollable column, as on the platform.
    m_fixedCols = Value;
    m_col = Value;
    m_leftCol = Value;
    LayoutChanged();
}

void TDrawGrid::SetFixedRows(int Value)
{
    if (Value < 0 || Value >= RowCount())
        throw EInvalidOperation("Fixed row count must be less than row count");
    m_fixedRows = Value;
    m_row = Value;
    m_topRow = Value;
    LayoutChanged();
}

void TDrawGrid::SetDefaultColWidth(int Value)
{
    m_defaultColWidth = std::max(0, Value);
    std::fill(m_colWidths.begin(), m_colWidths.end(), m_defaultColWidth);
    LayoutChanged();
}

void TDrawGrid::SetDefaultRowHeight(int Value)
{
    m_defaultRowHeight = std::max(0, Value);
    std::fill(m_rowHeights.begin(), m_rowHeights.end(), m_defaultRowHeight);
    LayoutChanged();
}

int TDrawGrid::ColWidths(int Index) const
{
    return Index >= 0 && Index < ColCount() ? m_colWidths[static_cast<std::size_t>(Index)] : m_defaultColWidth;
}

void TDrawGrid::SetColWidths(int Index, int Value)
{
    if (Index < 0 || Index >= ColCount())
        throw EListError("Grid index out of range");
    m_colWidths[static_cast<std::size_t>(Index)] = std::max(0, Value);
    LayoutChanged();
}

int TDrawGrid::RowHeights(int Index) const
{
    return Index >= 0 && Index < RowCount() ? m_rowHeights[static_cast<std::size_t>(Index)] : m_defaultRowHeight;
}

void TDrawGrid::SetRowHeights(int Index, int Value)
{
    if (Index < 0 || Index >= RowCount())
        throw EListError("Grid index out of range");
    m_rowHeights[static_cast<std::size_t>(Index)] = std::max(0, Value);
    LayoutChanged();
}

void TDrawGrid::SetGridLineWidth(int Value)
{
    m_gridLineWidth = std::max(0, Value);
    LayoutChanged();
}

void TDrawGrid::SetOptions(TGridOptions Value)
{
    m_options = Value;
    Invalidate();
}

void TDrawGrid::SetTopRow(int Value)
{
    // With a bar, no empty room is scrolled into view below the last row.
    const bool bar = m_scrollBars == ssVertical || m_scrollBars == ssBoth;
    const int last = bar ? RowCount() - FullyVisibleRows() : RowCount() - 1;
    m_topRow = std::clamp(Value, m_fixedRows, std::max(m_fixedRows, last));
    LayoutChanged();
}

void TDrawGrid::SetLeftCol(int Value)
{
    const bool bar = m_scrollBars == ssHorizontal || m_scrollBars == ssBoth;
    const int last = bar ? ColCount() - FullyVisibleCols() : ColCount() - 1;
    m_leftCol = std::clamp(Value, m_fixedCols, std::max(m_fixedCols, last));
    LayoutChanged();
}

void TDrawGrid::SetScrollBars(TScrollStyle Value)
{
    if (m_scrollBars == Value)
        return;
    m_scrollBars = Value;
    if (Value == ssNone || Value == ssHorizontal)
        ShowScrollBar(SB_VERT, false);
    if (Value == ssNone || Value == ssVertical)
        ShowScrollBar(SB_HORZ, false);
    LayoutChanged();
}

namespace {

// How many of the scrollable sizes (from First on), taken from the end, fit
// into Space after the fixed ones, Line pixels between neighbours; at least one.
int FitFromEnd(int Space, int Line, int First, int Count, const std::function<int(int)>& Size)
{
    int fixed = 0;
    for (int i = 0; i < First; ++i)
        fixed += Size(i) + Line;
    int end = Space;
    int fitting = 0;
    for (int i = Count - 1; i >= First && end - Size(i) >= fixed; --i) {
        end -= Size(i) + Line;
        ++fitting;
    }
    return std::max(fitting, 1);
}

} // namespace

int TDrawGrid::FullyVisibleRows() const
{
    return FitFromEnd(ClientHeight(), m_gridLineWidth, m_fixedRows, RowCount(), [this](int R) { return RowHeights(R); });
}

int TDrawGrid::FullyVisibleCols() const
{
    return FitFromEnd(ClientWidth(), m_gridLineWidth, m_fixedCols, ColCount(), [this](int C) { return ColWidths(C); });
}

void TDrawGrid::UpdateScrollBars()
{
    if (m_scrollBars == ssNone || m_updatingBars)
        return;
    TValueRestorer<bool> guard(m_updatingBars, true);
    // A bar that appears narrows the room of the other: twice settles both.
    for (int pass = 0; pass < 2; ++pass) {
        if (m_scrollBars == ssVertical || m_scrollBars == ssBoth) {
            const int page = FullyVisibleRows();
            m_topRow = std::clamp(m_topRow, m_fixedRows, std::max(m_fixedRows, RowCount() - page));
            SetScrollInfo(SB_VERT, {0, RowCount() - m_fixedRows - 1, page, m_topRow - m_fixedRows, 0});
        }
        if (m_scrollBars == ssHorizontal || m_scrollBars == ssBoth) {
            const int page = FullyVisibleCols();
            m_leftCol = std::clamp(m_leftCol, m_fixedCols, std::max(m_fixedCols, ColCount() - page));
            SetScrollInfo(SB_HORZ, {0, ColCount() - m_fixedCols - 1, page, m_leftCol - m_fixedCols, 0});
        }
    }
}

void TDrawGrid::LayoutChanged()
{
    UpdateScrollBars();
    Invalidate();
}

void TDrawGrid::BoundsChanged()
{
    TCustomControl::BoundsChanged();
    UpdateScrollBars();
}

void TDrawGrid::DoScroll(TScrollBarKind Kind, TScrollCode Code, int Pos)
{
    const bool vertical = Kind == sbVertical;
    const int first = vertical ? m_fixedRows : m_fixedCols;
    const int page = vertical ? FullyVisibleRows() : FullyVisibleCols();
    const int current = (vertical ? m_topRow : m_leftCol) - first;
    int target = current;
    switch (Code) {
    case scLineUp: target = current - 1; break;
    case scLineDown: target = current + 1; break;
    case scPageUp: target = current - page; break;
    case scPageDown: target = current + page; break;
    case scPosition:
    case scTrack: target = Pos; break;
    case scTop: target = 0; break;
    case scBottom: target = vertical ? RowCount() : ColCount(); break;
    case scEndScroll: return;
    }
    if (vertical)
        SetTopRow(first + target);
    else
        SetLeftCol(first + target);
}

bool TDrawGrid::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (!ScrollBarVisible(SB_VERT))
        return TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos);
    // A row a notch.
    SetTopRow(m_topRow - WheelDelta / 120);
    return true;
}

// Fixed columns first, then the scrollable ones from LeftCol; -1 for columns scrolled away.
int TDrawGrid::ColLeft(int ACol) const
{
    if (ACol < 0 || ACol >= ColCount() || (ACol >= m_fixedCols && ACol < m_leftCol))
        return -1;
    int x = 0;
    for (int c = 0; c < m_fixedCols && c < ACol; ++c)
        x += ColWidths(c) + m_gridLineWidth;
    if (ACol >= m_fixedCols)
        for (int c = m_leftCol; c < ACol; ++c)
            x += ColWidths(c) + m_gridLineWidth;
    return x;
}

int TDrawGrid::RowTop(int ARow) const
{
    if (ARow < 0 || ARow >= RowCount() || (ARow >= m_fixedRows && ARow < m_topRow))
        return -1;
    int y = 0;
    for (int r = 0; r < m_fixedRows && r < ARow; ++r)
        y += RowHeights(r) + m_gridLineWidth;
    if (ARow >= m_fixedRows)
        for (int r = m_topRow; r < ARow; ++r)
            y += RowHeights(r) + m_gridLineWidth;
    return y;
}

TRect TDrawGrid::CellRect(int ACol, int ARow) const
{
    const int x = ColLeft(ACol);
    const int y = RowTop(ARow);
    if (x < 0 || y < 0 || x >= ClientWidth() || y >= ClientHeight())
        return {};
    return Bounds(x, y, ColWidths(ACol), RowHeights(ARow));
}

bool TDrawGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const
{
    ACol = ARow = -1;
    for (int c = 0; c < ColCount(); ++c) {
        const int x = ColLeft(c);
        if (x >= 0 && X >= x && X < x + ColWidths(c) + m_gridLineWidth) {
            ACol = c;
            break;
        }
    }
    for (int r = 0; r < RowCount(); ++r) {
        const int y = RowTop(r);
        if (y >= 0 && Y >= y && Y < y + RowHeights(r) + m_gridLineWidth) {
            ARow = r;
            break;
        }
    }
    return ACol >= 0 && ARow >= 0;
}

bool TDrawGrid::SelectCell(int ACol, int ARow)
{
    bool canSelect = true;
    if (OnSelectCell)
        OnSelectCell(this, ACol, ARow, canSelect);
    return canSelect;
}

bool TDrawGrid::MoveCurrent(int ACol, int ARow)
{
    ACol = std::clamp(ACol, m_fixedCols, ColCount() - 1);
    ARow = std::clamp(ARow, m_fixedRows, RowCount() - 1);
    if (ACol == m_col && ARow == m_row)
        return true;
    if (!SelectCell(ACol, ARow))
        return false;
    m_col = ACol;
    m_row = ARow;
    MakeVisible(ACol, ARow);
    LayoutChanged();
    return true;
}

void TDrawGrid::MakeVisible(int ACol, int ARow)
{
    if (ARow < m_topRow)
        m_topRow = ARow;
    while (m_topRow < ARow && RowTop(ARow) + RowHeights(ARow) > ClientHeight())
        ++m_topRow;
    if (ACol < m_leftCol)
        m_leftCol = ACol;
    while (m_leftCol < ACol && ColLeft(ACol) + ColWidths(ACol) > ClientWidth())
        ++m_leftCol;
}

void TDrawGrid::Paint()
{
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(ClientRect());
    for (int r = 0; r < RowCount(); ++r) {
        const int y = RowTop(r);
        if (y < 0 || y >= ClientHeight())
            continue;
        for (int c = 0; c < ColCount(); ++c) {
            const int x = ColLeft(c);
            if (x < 0 || x >= ClientWidth())
                continue;
            const TRect cell = Bounds(x, y, ColWidths(c), RowHeights(r));
            TGridDrawState state;
            const bool fixed = c < m_fixedCols || r < m_fixedRows;
            if (fixed)
                state.Include(gdFixed);
            else if (r == m_row && (c == m_col || m_options.Contains(goRowSelect))) {
                state.Include(gdSelected);
                if (Focused())
                    state.Include(gdFocused);
            }
            DrawCell(c, r, cell, state);
        }
    }
}

void TDrawGrid::DrawCell(int ACol, int ARow, const TRect& R, TGridDrawState State)
{
    TCanvas* canvas = Canvas();
    if (m_defaultDrawing) {
        const bool selected = State.Contains(gdSelected)
                              && (!State.Contains(gdFocused) || m_options.Contains(goDrawFocusSelected));
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(State.Contains(gdFixed) ? clBtnFace : selected ? clHighlight : Color());
        canvas->FillRect(R);
        canvas->Font()->Assign(Font());
        if (selected)
            canvas->Font()->SetColor(clHighlightText);
        if (State.Contains(gdFixed)) {
            TRect edge = R;
            canvas->DrawEdge(edge, BDR_RAISEDINNER, BF_RECT);
        }
    }
    if (OnDrawCell)
        OnDrawCell(this, ACol, ARow, R, State);
    if (m_defaultDrawing && State.Contains(gdFocused) && !m_options.Contains(goDrawFocusSelected))
        canvas->DrawFocusRect(R);
}

void TDrawGrid::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    int page = 0;
    for (int r = m_topRow; r < RowCount() && RowTop(r) + RowHeights(r) <= ClientHeight(); ++r)
        ++page;
    page = std::max(1, page);
    switch (Key) {
    case VK_LEFT: MoveCurrent(m_col - 1, m_row); break;
    case VK_RIGHT: MoveCurrent(m_col + 1, m_row); break;
    case VK_UP: MoveCurrent(m_col, m_row - 1); break;
    case VK_DOWN: MoveCurrent(m_col, m_row + 1); break;
    case VK_PRIOR: MoveCurrent(m_col, m_row - page); break;
    case VK_NEXT: MoveCurrent(m_col, m_row + page); break;
    case VK_HOME: Shift.Contains(ssCtrl) ? MoveCurrent(m_col, m_fixedRows) : MoveCurrent(m_fixedCols, m_row); break;
    case VK_END: Shift.Contains(ssCtrl) ? MoveCurrent(m_col, RowCount() - 1) : MoveCurrent(ColCount() - 1, m_row); break;
    default: return;
    }
    Key = 0;
}

void TDrawGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && CanFocus() && !Focused())
        SetFocus();
    int c = 0;
    int r = 0;
    if (Button == mbLeft && MouseToCell(X, Y, c, r) && c >= m_fixedCols && r >= m_fixedRows)
        MoveCurrent(c, r);
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

} // namespace qel
