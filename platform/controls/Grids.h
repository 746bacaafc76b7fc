#pragma once
// TDrawGrid: a grid of owner-drawn cells with fixed rows and columns, a
// current cell moved by mouse and keys, OnSelectCell to refuse a move, and
// scroll bars over the rows and columns that do not fit.
#include "platform/controls/Controls.h"

#include <vector>

namespace qel {

enum TGridDrawStateItem : std::uint8_t { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem>;
enum TGridOption : std::uint8_t {
    goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goDrawFocusSelected,
    goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing, goTabs, goRowSelect,
    goAlwaysShowEditor, goThumbTracking
};
using TGridOptions = TSet<TGridOption>;

using TDrawCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;

class TDrawGrid : public TCustomControl {
    QEL_CLASS(TDrawGrid)
public:
    explicit TDrawGrid(TComponent* AOwner);

    int ColCount() const { return static_cast<int>(m_colWidths.size()); }
    void SetColCount(int Value);
    int RowCount() const { return static_cast<int>(m_rowHeights.size()); }
    void SetRowCount(int Value);
    // EInvalidOperation "Fixed column count must be less than column count"
    // (and rows). Setting either moves the current cell and the scrolled
    // origin to the first scrollable column (row).
    int FixedCols() const { return m_fixedCols; }
    void SetFixedCols(int Value);
    int FixedRows() const { return m_fixedRows; }
    void SetFixedRows(int Value);
    int DefaultColWidth() const { return m_defaultColWidth; }
    void SetDefaultColWidth(int Value);    // resets every column
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    void SetDefaultRowHeight(int Value);   // resets every row
    int ColWidths(int Index) const;
    void SetColWidths(int Index, int Value);
    int RowHeights(int Index) const;
    void SetRowHeights(int Index, int Value);
    int GridLineWidth() const { return m_gridLineWidth; }
    void SetGridLineWidth(int Value);
    TGridOptions Options() const { return m_options; }
    void SetOptions(TGridOptions Value);
    bool DefaultDrawing() const { return m_defaultDrawing; }
    void SetDefaultDrawing(bool Value) { m_defaultDrawing = Value; }
    // A bar is shown while the scrollable rows (columns) do not all fit; its
    // position is TopRow (LeftCol) counted from the first scrollable one.
    TScrollStyle ScrollBars() const { return m_scrollBars; }
    void SetScrollBars(TScrollStyle Value);

    // The current cell; moving it asks OnSelectCell.
    int Col() const { return m_col; }
    void SetCol(int Value) { MoveCurrent(Value, m_row); }
    int Row() const { return m_row; }
    void SetRow(int Value) { MoveCurrent(m_col, Value); }
    // First scrollable row and column shown.
    int TopRow() const { return m_topRow; }
    void SetTopRow(int Value);
    int LeftCol() const { return m_leftCol; }
    void SetLeftCol(int Value);

    // Client rectangle of a cell; empty when it is not shown.
    TRect CellRect(int ACol, int ARow) const;
    // The cell at a client point; false outside the cells.
    bool MouseToCell(int X, int Y, int& ACol, int& ARow) const;

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;

protected:
    void Paint() override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void DoScroll(TScrollBarKind Kind, TScrollCode Code, int Pos) override;
    void BoundsChanged() override;
    virtual void DrawCell(int ACol, int ARow, const TRect& Rect, TGridDrawState State);
    virtual bool SelectCell(int ACol, int ARow);

private:
    bool MoveCurrent(int ACol, int ARow);
    void MakeVisible(int ACol, int ARow);
    int ColLeft(int ACol) const;
    int RowTop(int ARow) const;
    // Scrollable rows (columns) that fit when the last one ends at the bottom (right).
    int FullyVisibleRows() const;
    int FullyVisibleCols() const;
    void UpdateScrollBars();
    // The layout changed: scroll bars follow and the cells repaint.
    void LayoutChanged();
    std::vector<int> m_colWidths;
    std::vector<int> m_rowHeights;
    int m_fixedCols{1};
    int m_fixedRows{1};
    int m_defaultColWidth{64};
    int m_defaultRowHeight{24};
    int m_gridLineWidth{1};
    TGridOptions m_options{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    bool m_defaultDrawing{true};
    TScrollStyle m_scrollBars{ssNone};
    bool m_updatingBars{false};
    int m_col{1};
    int m_row{1};
    int m_topRow{1};
    int m_leftCol{1};
};

} // namespace qel
