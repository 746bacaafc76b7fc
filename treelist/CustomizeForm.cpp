#include "treelist/CustomizeForm.h"

#include "treelist/TreeList.h"

#include <cstdlib>

namespace qel {

TdxTreeListCustomizeForm::TdxTreeListCustomizeForm(TComponent* AOwner, TCustomdxTreeList* TreeList)
    : TForm(AOwner), m_treeList(TreeList)
{
    SetBorderStyle(bsSizeToolWin);
    SetCaption("Customize");
    SetBounds(0, 0, 180, 220);
    m_list = new TListBox(this);
    m_list->SetParent(this);
    m_list->SetAlign(alClient);
    m_list->OnMouseDown = [this](TObject*, TMouseButton B, TShiftState S, int X, int Y) { ListMouseDown(B, S, X, Y); };
    m_list->OnMouseMove = [this](TObject*, TShiftState S, int X, int Y) { ListMouseMove(S, X, Y); };
    m_list->OnDblClick = [this](TObject*) { ListDblClick(); };
    RefreshColumns();
}

void TdxTreeListCustomizeForm::RefreshColumns()
{
    m_list->Items()->BeginUpdate();
    Finally done([this] { m_list->Items()->EndUpdate(); });
    m_list->Items()->Clear();
    m_columns = m_treeList->HiddenColumns();
    for (int column : m_columns)
        m_list->Items()->Add(m_treeList->GetColumnCaption(column));
}

int TdxTreeListCustomizeForm::ColumnOfItem(int Item) const
{
    if (Item < 0 || Item >= static_cast<int>(m_columns.size()))
        return -1;
    return m_columns[static_cast<std::size_t>(Item)];
}

void TdxTreeListCustomizeForm::ListMouseDown(TMouseButton Button, TShiftState, int X, int Y)
{
    m_pressedItem = Button == mbLeft ? m_list->ItemAtPos({X, Y}, true) : -1;
    m_pressPoint = {X, Y};
}

void TdxTreeListCustomizeForm::ListMouseMove(TShiftState Shift, int X, int Y)
{
    if (m_pressedItem < 0 || !Shift.Contains(ssLeft))
        return;
    if (std::abs(X - m_pressPoint.X) <= 4 && std::abs(Y - m_pressPoint.Y) <= 4)
        return;
    // The drag continues in the tree list, which takes the mouse from here on.
    const int column = ColumnOfItem(m_pressedItem);
    m_pressedItem = -1;
    if (column < 0)
        return;
    const TPoint p = m_treeList->ScreenToClient(m_list->ClientToScreen({X, Y}));
    m_treeList->BeginColumnDrag(column, p.X, p.Y);
    m_treeList->DragColumnTo(p.X, p.Y);
    m_treeList->SetCapture();
}

void TdxTreeListCustomizeForm::ListDblClick()
{
    const int column = ColumnOfItem(m_list->ItemIndex());
    if (column < 0)
        return;
    // Shown at the end of the first band's first row.
    m_treeList->ShowColumnAt(column, 0, 0, m_treeList->GetBandRowColumnCount(0, 0));
}

} // namespace qel
