#pragma once
// The multiple-page chooser: a borderless drop-down grid of page pictures
// from which the user picks how many pages across and down the preview
// shows. Moving over the grid selects a block from the corner next to the
// anchor, the grid grows while the pointer passes its edge (within the
// maxima and the work area), and a line under (or above) the grid names the
// choice. It runs its own loop until accepted or cancelled (FormLoop.h), so
// tests script it through the modal-form hook.
#include "platform/controls/Forms.h"

#include <memory>

namespace qel {

class TImageList;
class TPageChooserGrid;

bool dxChooseMultiplePages(TImageList* ImageList, int ImageIndex, TPoint ScreenPos, int& Rows, int& Columns,
                           int MaxRows, int MaxColumns, int AnchorHeight);

class TfmPageChooser : public TForm {
    QEL_CLASS(TfmPageChooser)
public:
    // Where the grid opens from its anchor.
    enum TDirection : std::uint8_t { dirUpLeft, dirUpRight, dirDownRight, dirDownLeft };
    enum TResult : std::uint8_t { crRunning, crAccepted, crCancelled };

    TfmPageChooser(TImageList* ImageList, int ImageIndex, int MaxColumns, int MaxRows);
    ~TfmPageChooser() override;

    // Places the popup for the anchor at ScreenPos (the anchoring control
    // AnchorHeight high above it) and sizes the grid to Columns x Rows.
    void Place(TPoint ScreenPos, int AnchorHeight, int Columns, int Rows);

    TDirection Direction() const { return m_direction; }
    int GridColumns() const { return m_gridColumns; }
    int GridRows() const { return m_gridRows; }
    int SelectedColumns() const { return m_selColumns; }
    int SelectedRows() const { return m_selRows; }
    TResult Result() const { return m_result; }
    // "2 x 3 Pages" (rows, then columns) while a block is selected, else "Cancel".
    std::string LineText() const;
    // The painted grid (it holds the focus and the mouse).
    TCustomControl* Grid() const;

protected:
    void Deactivate() override;
    // Shown: the grid takes the focus and the mouse.
    void VisibleChanged() override;

private:
    friend class TPageChooserGrid;
    friend bool dxChooseMultiplePages(TImageList*, int, TPoint, int&, int&, int, int, int);

    bool OpensLeft() const { return m_direction == dirUpLeft || m_direction == dirDownLeft; }
    bool OpensUp() const { return m_direction == dirUpLeft || m_direction == dirUpRight; }
    // Grows the grid to Columns x Rows within the maxima and the work area.
    void Grow(int Columns, int Rows);
    void Relayout();
    void Select(int Columns, int Rows);
    void Finish(TResult Result);
    // The screen rectangle of a grid of this size, kept at the anchored corner.
    TRect BoundsFor(int Columns, int Rows) const;

    TImageList* m_images;
    int m_imageIndex;
    int m_maxColumns;
    int m_maxRows;
    int m_cellWidth{26};
    int m_cellHeight{26};
    int m_lineHeight{20};
    int m_gridColumns{0};
    int m_gridRows{0};
    int m_selColumns{0};
    int m_selRows{0};
    TDirection m_direction{dirDownRight};
    TPoint m_anchor{};       // the corner the grid grows away from (screen)
    TRect m_workArea{};
    TResult m_result{crRunning};
    TPageChooserGrid* m_grid{nullptr};
    std::shared_ptr<int> m_alive{std::make_shared<int>(0)};
};

// Runs the chooser at ScreenPos under an anchoring control AnchorHeight high.
// Rows and Columns give the grid's first size and receive the choice. True
// only when accepted with at least one row and one column.
bool dxChooseMultiplePages(TImageList* ImageList, int ImageIndex, TPoint ScreenPos, int& Rows, int& Columns,
                           int MaxRows, int MaxColumns, int AnchorHeight);

} // namespace qel
