#pragma once
// The customizing window of a tree list: a small tool window that lists the
// hidden columns. A column dropped on it is hidden; a column dragged out of
// it onto the header (or double-clicked) is shown again.
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"

#include <vector>

namespace qel {

class TCustomdxTreeList;

class TdxTreeListCustomizeForm : public TForm {
    QEL_CLASS(TdxTreeListCustomizeForm)
public:
    TdxTreeListCustomizeForm(TComponent* AOwner, TCustomdxTreeList* TreeList);

    // Lists the tree list's hidden columns again.
    void RefreshColumns();
    TListBox* ColumnList() const { return m_list; }
    // The column of a list item; -1 when none.
    int ColumnOfItem(int Item) const;

private:
    void ListMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    void ListMouseMove(TShiftState Shift, int X, int Y);
    void ListDblClick();

    TCustomdxTreeList* m_treeList;
    TListBox* m_list;
    std::vector<int> m_columns;   // column of each list item
    int m_pressedItem{-1};
    TPoint m_pressPoint{};
};

} // namespace qel
