#include "preview/PageChooser.h"

#include "platform/controls/Application.h"
#include "platform/controls/FormLoop.h"
#include "platform/core/ChangeLink.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/MathUtils.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/ImageList.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace qel {

QEL_REGISTER_CLASS(TfmPageChooser, TForm);

// The painted grid that fills the popup: it holds the mouse and the keys.
class TPageChooserGrid : public TCustomControl {
public:
    explicit TPageChooserGrid(TfmPageChooser& Owner) : TCustomControl(&Owner), m_chooser(Owner)
    {
        SetOpaque(true);
        SetParent(&Owner);
        SetAlign(alClient);
    }

    // The cell of a column and row (both from 0, counted from the anchored corner).
    TRect CellRect(int Column, int Row) const
    {
        const TfmPageChooser& c = m_chooser;
        const int x = c.OpensLeft() ? GridRight() - (Column + 1) * c.m_cellWidth : 1 + Column * c.m_cellWidth;
        const int y = c.OpensUp() ? GridBottom() - (Row + 1) * c.m_cellHeight : 1 + Row * c.m_cellHeight;
        return Bounds(x, y, c.m_cellWidth, c.m_cellHeight);
    }
    TRect LineRect() const
    {
        const int h = ClientHeight();
        const int top = m_chooser.OpensUp() ? 1 : h - 1 - m_chooser.m_lineHeight;
        return Rect(1, top, ClientWidth() - 1, top + m_chooser.m_lineHeight);
    }

protected:
    void Paint() override
    {
        TCanvas& c = *Canvas();
        const TRect client = ClientRect();
        c.Brush()->SetColor(clBtnFace);
        c.FillRect(client);
        c.Brush()->SetColor(clWindowFrame);
        c.FrameRect(client);
        const TfmPageChooser& chooser = m_chooser;
        for (int row = 0; row < chooser.m_gridRows; ++row)
            for (int column = 0; column < chooser.m_gridColumns; ++column)
                PaintCell(c, column, row, column < chooser.m_selColumns && row < chooser.m_selRows);
        TRect line = LineRect();
        c.DrawEdge(line, EDGE_SUNKEN, BF_RECT);
        c.Brush()->SetStyle(bsClear);
        c.Font()->Assign(Font());
        c.DrawText(chooser.LineText(), line, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }

    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override
    {
        TCustomControl::MouseDown(Button, Shift, X, Y);
        if (!ClientRect().Contains({X, Y})) {
            m_chooser.Finish(TfmPageChooser::crCancelled);
            return;
        }
        m_tracking = true;
        m_last = {INT_MAX, INT_MAX};
        MouseMove(Shift, X, Y);
    }

    void MouseMove(TShiftState Shift, int X, int Y) override
    {
        TCustomControl::MouseMove(Shift, X, Y);
        if (m_last == TPoint{X, Y})
            return;
        m_last = {X, Y};
        TfmPageChooser& c = m_chooser;
        // Counted from the anchored corner: the cell under the pointer and all before it.
        const int dx = c.OpensLeft() ? GridRight() - 1 - X : X - 1;
        const int dy = c.OpensUp() ? GridBottom() - 1 - Y : Y - 1;
        int columns = dx < 0 ? 0 : dx / c.m_cellWidth + 1;
        int rows = dy < 0 ? 0 : dy / c.m_cellHeight + 1;
        if (m_tracking) {
            c.Grow(columns, rows);
        } else {
            // Past the grid without the button: nothing in that direction.
            if (columns > c.m_gridColumns)
                columns = 0;
            if (rows > c.m_gridRows)
                rows = 0;
        }
        c.Select(columns, rows);
    }

    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override
    {
        TCustomControl::MouseUp(Button, Shift, X, Y);
        const bool chosen = m_chooser.m_selColumns >= 1 && m_chooser.m_selRows >= 1;
        m_chooser.Finish(chosen ? TfmPageChooser::crAccepted : TfmPageChooser::crCancelled);
    }

    void KeyDown(std::uint16_t& Key, TShiftState Shift) override
    {
        TfmPageChooser& c = m_chooser;
        const std::uint16_t moreColumns = c.OpensLeft() ? VK_LEFT : VK_RIGHT;
        const std::uint16_t fewerColumns = c.OpensLeft() ? VK_RIGHT : VK_LEFT;
        const std::uint16_t moreRows = c.OpensUp() ? VK_UP : VK_DOWN;
        const std::uint16_t fewerRows = c.OpensUp() ? VK_DOWN : VK_UP;
        int columns = c.m_selColumns, rows = c.m_selRows;
        if (Key == VK_RETURN) {
            c.Finish(TfmPageChooser::crAccepted);
        } else if (Key == VK_ESCAPE) {
            c.Finish(TfmPageChooser::crCancelled);
        } else if (Key == moreColumns || Key == moreRows) {
            (Key == moreColumns ? columns : rows) += 1;
            // A block needs both: the other count starts at one.
            columns = std::max(columns, 1);
            rows = std::max(rows, 1);
            c.Grow(columns, rows);
            c.Select(columns, rows);
        } else if (Key == fewerColumns || Key == fewerRows) {
            int& count = Key == fewerColumns ? columns : rows;
            count = std::max(count - 1, 1);
            c.Select(columns, rows);
        } else {
            TCustomControl::KeyDown(Key, Shift);
            return;
        }
        Key = 0;
    }

    void MouseCaptureLost() override { m_chooser.Finish(TfmPageChooser::crCancelled); }
    bool WantsTabKey() const override { return true; }

private:
    int GridRight() const { return ClientWidth() - 5; }
    int GridBottom() const { return ClientHeight() - 1; }

    void PaintCell(TCanvas& C, int Column, int Row, bool Selected)
    {
        TRect r = CellRect(Column, Row);
        C.Brush()->SetColor(clBtnFace);
        C.FrameRect(r);
        InflateRect(r, -1, -1);
        C.Brush()->SetColor(clBtnShadow);
        C.FrameRect(r);
        InflateRect(r, -1, -1);
        C.Brush()->SetColor(Selected ? clHighlight : clWindow);
        C.FillRect(r);
        const TfmPageChooser& c = m_chooser;
        if (c.m_images && c.m_imageIndex >= 0 && c.m_imageIndex < c.m_images->Count()) {
            InflateRect(r, -1, -1);
            c.m_images->Draw(&C, r.Left + (r.Width() - c.m_images->Width()) / 2,
                             r.Top + (r.Height() - c.m_images->Height()) / 2, c.m_imageIndex);
        }
    }

    TfmPageChooser& m_chooser;
    bool m_tracking{false};
    TPoint m_last{INT_MAX, INT_MAX};
};

TfmPageChooser::TfmPageChooser(TImageList* ImageList, int ImageIndex, int MaxColumns, int MaxRows)
    : TForm(nullptr), m_images(ImageList), m_imageIndex(ImageIndex), m_maxColumns(std::max(MaxColumns, 1)),
      m_maxRows(std::max(MaxRows, 1))
{
    SetBorderStyle(bsNone);
    SetBorderIcons({});
    SetFormStyle(fsStayOnTop);
    if (m_images) {
        m_cellWidth = MulDiv(m_images->Width(), 3, 2) + 2;
        m_cellHeight = MulDiv(m_images->Height(), 3, 2) + 2;
    }
    m_grid = new TPageChooserGrid(*this);
    m_lineHeight = m_grid->Canvas()->TextHeight("0") + 6;
    m_workArea = Screen().WorkAreaRect();
}

TfmPageChooser::~TfmPageChooser() = default;

TCustomControl* TfmPageChooser::Grid() const { return m_grid; }

std::string TfmPageChooser::LineText() const
{
    if (m_selColumns < 1 || m_selRows < 1)
        return "Cancel";
    char text[64];
    std::snprintf(text, sizeof text, "%d x %d %s", m_selRows, m_selColumns, "Pages");
    return text;
}

void TfmPageChooser::Place(TPoint ScreenPos, int AnchorHeight, int Columns, int Rows)
{
    const bool down = Rows * m_cellHeight + ScreenPos.Y + 6 <= m_workArea.Bottom;
    const bool right = Columns * m_cellWidth + ScreenPos.X + 6 <= m_workArea.Right;
    m_direction = down ? (right ? dirDownRight : dirDownLeft) : (right ? dirUpRight : dirUpLeft);
    // To the left the popup ends at the work area's right edge; upwards it
    // ends above the anchoring control.
    m_anchor = {right ? ScreenPos.X : m_workArea.Right, down ? ScreenPos.Y : ScreenPos.Y - AnchorHeight};
    Grow(std::min(Columns, m_maxColumns), std::min(Rows, m_maxRows));
    Relayout();
}

TRect TfmPageChooser::BoundsFor(int Columns, int Rows) const
{
    const int w = Columns * m_cellWidth + 2 + (OpensLeft() ? 4 : 0);
    const int h = Rows * m_cellHeight + 2 + m_lineHeight;
    const int left = OpensLeft() ? m_anchor.X - w : m_anchor.X;
    const int top = OpensUp() ? m_anchor.Y - h : m_anchor.Y;
    return Bounds(left, top, w, h);
}

void TfmPageChooser::Grow(int Columns, int Rows)
{
    int columns = std::max(m_gridColumns, std::min(Columns, m_maxColumns));
    int rows = std::max(m_gridRows, std::min(Rows, m_maxRows));
    // A column or row that would leave the work area is taken back.
    while (columns > m_gridColumns
           && (BoundsFor(columns, rows).Left < m_workArea.Left || BoundsFor(columns, rows).Right > m_workArea.Right))
        --columns;
    while (rows > m_gridRows
           && (BoundsFor(columns, rows).Top < m_workArea.Top || BoundsFor(columns, rows).Bottom > m_workArea.Bottom))
        --rows;
    if (columns == m_gridColumns && rows == m_gridRows)
        return;
    m_gridColumns = columns;
    m_gridRows = rows;
    Relayout();
}

void TfmPageChooser::Relayout()
{
    SetBoundsRect(BoundsFor(m_gridColumns, m_gridRows));
    m_grid->Invalidate();
}

void TfmPageChooser::Select(int Columns, int Rows)
{
    Columns = std::clamp(Columns, 0, m_gridColumns);
    Rows = std::clamp(Rows, 0, m_gridRows);
    if (Columns == m_selColumns && Rows == m_selRows)
        return;
    // Only the cells that change and the line.
    const int maxColumns = std::max(Columns, m_selColumns), maxRows = std::max(Rows, m_selRows);
    for (int row = 0; row < maxRows; ++row)
        for (int column = 0; column < maxColumns; ++column)
            if ((column < Columns && row < Rows) != (column < m_selColumns && row < m_selRows))
                m_grid->InvalidateRect(m_grid->CellRect(column, row));
    m_selColumns = Columns;
    m_selRows = Rows;
    m_grid->InvalidateRect(m_grid->LineRect());
}

void TfmPageChooser::Finish(TResult Result)
{
    if (m_result == crRunning)
        m_result = Result;
}

void TfmPageChooser::Deactivate()
{
    TForm::Deactivate();
    Finish(crCancelled);
}

void TfmPageChooser::VisibleChanged()
{
    TForm::VisibleChanged();
    if (!Visible())
        return;
    if (m_grid->CanFocus())
        m_grid->SetFocus();
    m_grid->SetCapture();
}

bool dxChooseMultiplePages(TImageList* ImageList, int ImageIndex, TPoint ScreenPos, int& Rows, int& Columns,
                           int MaxRows, int MaxColumns, int AnchorHeight)
{
    auto* chooser = new TfmPageChooser(ImageList, ImageIndex, MaxColumns, MaxRows);
    // Whoever frees the popup while it runs (its script, the program going down) ends it.
    const std::weak_ptr<int> alive = chooser->m_alive;
    chooser->Place(ScreenPos, AnchorHeight, Columns, Rows);
    // Losing the program's activation cancels, as losing the popup's own does.
    TChangeLink activation(Application().ActivationChanges(), [chooser, alive](TObject*) {
        if (!alive.expired() && !Application().Active())
            chooser->Finish(TfmPageChooser::crCancelled);
    });
    RunFormLoop(*chooser, [&] { return chooser->Result() != TfmPageChooser::crRunning; });
    if (alive.expired())
        return false;
    activation.Disconnect();
    chooser->Grid()->ReleaseCapture();
    const bool accepted = chooser->Result() == TfmPageChooser::crAccepted && chooser->SelectedColumns() >= 1
                          && chooser->SelectedRows() >= 1;
    if (accepted) {
        Rows = chooser->SelectedRows();
        Columns = chooser->SelectedColumns();
    }
    delete chooser;
    return accepted;
}

} // namespace qel
