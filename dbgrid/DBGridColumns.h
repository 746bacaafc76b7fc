#pragma once
// The grid's published column classes: one leaf per data-bound column class,
// registered by name so the grid can create them for a field's type.
#include "dbgrid/DBGrid.h"
#include "dbgrid/DBTreeListCheckColumn.h"
#include "dbgrid/DBTreeListTypedColumns.h"

namespace qel {

#define QEL_DBGRID_COLUMN_LEAF(Leaf, Base)                             \
    class Leaf : public Base {                                        \
        QEL_CLASS(Leaf)                                               \
    public:                                                           \
        explicit Leaf(TComponent* AOwner) : Base(AOwner) {}           \
    }

QEL_DBGRID_COLUMN_LEAF(TdxDBGridDropDownColumn, TdxDBTreeListDropDownColumn);
QEL_DBGRID_COLUMN_LEAF(TdxDBGridDateColumn, TdxDBTreeListDateColumn);
QEL_DBGRID_COLUMN_LEAF(TdxDBGridButtonColumn, TdxDBTreeListButtonColumn);
QEL_DBGRID_COLUMN_LEAF(TdxDBGridPickColumn, TdxDBTreeListPickColumn);
QEL_DBGRID_COLUMN_LEAF(TdxDBGridMRUColumn, TdxDBTreeListMRUColumn);
QEL_DBGRID_COLUMN_LEAF(TdxDBGridCalcColumn, TdxDBTreeListCalcColumn);
QEL_DBGRID_COLUMN_LEAF(TdxDBGridSpinColumn, TdxDBTreeListSpinColumn);
QEL_DBGRID_COLUMN_LEAF(TdxDBGridTimeColumn, TdxDBTreeListTimeColumn);
QEL_DBGRID_COLUMN_LEAF(TdxDBGridCurrencyColumn, TdxDBTreeListCurrencyColumn);
QEL_DBGRID_COLUMN_LEAF(TdxDBGridHyperLinkColumn, TdxDBTreeListHyperLinkColumn);
QEL_DBGRID_COLUMN_LEAF(TdxDBGridMemoColumn, TdxDBTreeListMemoColumn);
QEL_DBGRID_COLUMN_LEAF(TdxDBGridBlobColumn, TdxDBTreeListBlobColumn);
QEL_DBGRID_COLUMN_LEAF(TdxDBGridGraphicColumn, TdxDBTreeListGraphicColumn);
QEL_DBGRID_COLUMN_LEAF(TdxDBGridWrapperColumn, TdxDBTreeListWrapperColumn);
QEL_DBGRID_COLUMN_LEAF(TdxDBGridCheckColumn, TdxDBTreeListCheckColumn);
QEL_DBGRID_COLUMN_LEAF(TdxDBGridImageColumn, TdxDBTreeListImageColumn);

#undef QEL_DBGRID_COLUMN_LEAF

} // namespace qel
