#include "platform/controls/Grids.h"

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
    Invalidate();
}

void TDrawGrid::SetRowCount(int Value)
{
    Value = std::max(1, Value);
    if (Value <= m_fixedRows)
        m_fixedRows = Value - 1;
    m_rowHeights.resize(static_cast<std::size_t>(Value), m_defaultRowHeight);
    m_row = std::clamp(m_row, m_fixedRows, Value - 1);
    m_topRow = std::clamp(m_topRow, m_fixedRows, Value - 1);
    Invalidate();
}

void TDrawGrid::SetFixedCols(int Value)
{
    if (Value < 0 || Value >= ColCount())
        throw EInvalidOperation("Fixed column count must be less than column count");
    m_fixedCols = Value;
    m_col = std::max(m_col, Value);
    m_leftCol = std::max(m_leftCol, Value);
    Invalidate();
}

void TDrawGrid::SetFixedRows(int Value)
{
    if (Value < 0 || Value >= RowCount())
        throw EInvalidOperation("Fixed row count must be less than row count");
    m_fixedRows = Value;
    m_row = std::max(m_row, Value);
    m_topRow = std::max(m_topRow, Value);
    Invalidate();
}

void TDrawGrid::SetDefaultColWidth(int Value)
{
    m_defaultColWidth = std::max(0, Value);
    std::fill(m_colWidths.begin(), m_colWidths.end(), m_defaultColWidth);
    Invalidate();
}

void TDrawGrid::SetDefaultRowHeight(int Value)
{
    m_defaultRowHeight = std::max(0, Value);
    std::fill(m_rowHeights.begin(), m_rowHeights.end(), m_defaultRowHeight);
    Invalidate();
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
    Invalidate();
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
    Invalidate();
}

void TDrawGrid::SetGridLineWidth(int Value)
{
    m_gridLineWidth = std::max(0, Value);
    Invalidate();
}

void TDrawGrid::SetOptions(TGridOptions Value)
{
    m_options = Value;
    Invalidate();
}

void TDrawGrid::SetTopRow(int Value)
{
    m_topRow = std::clamp(Value, m_fixedRows, RowCount() - 1);
    Invalidate();
}

void TDrawGrid::SetLeftCol(int Value)
{
    m_leftCol = std::clamp(Value, m_fixedCols, ColCount() - 1);
    Invalidate();
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
    Invalidate();
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
