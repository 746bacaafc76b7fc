#pragma once
// The grid's published column classes: one leaf per data-bound column class,
// registered by name so the grid can create them for a field's type.
#include "dbgrid/DBGrid.h"
#include "dbgrid/DBTreeListCheckColumn.h"
#include "dbgrid/DBTreeListTypedColumns.h"
#include "platform/data/DataSetTypes.h"

#include <functional>
#include <string>

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

// The default column class table: one entry per field type ftUnknown ..
// ftTypedBinary plus one for lookup fields, each a class name with a
// priority. Every entry starts as TdxDBGridColumn at priority 0; the grid's
// own leaves are offered at priority 1 before the table is first used.
using TdxDBGridColumnClassOffer =
    std::function<void(TFieldType FieldType, TFieldKind FieldKind, std::string& ColumnClass, int& Priority)>;
constexpr int DefaultGridColumnTypeCount = ftTypedBinary + 1;

// Calls Offer for every field type (kind fkData) with the entry's class and
// priority, then once with fkLookup for the lookup entry; an offer replaces
// an entry only when its priority is strictly greater.
void RegisterDefaultGridColumnClasses(const TdxDBGridColumnClassOffer& Offer);
// Every entry back to TdxDBGridColumn at priority 0.
void InitDefaultGridColumnClasses();
// The grid's own offer: its typed leaves at priority 1.
void OfferGridColumnClasses(TFieldType FieldType, TFieldKind FieldKind, std::string& ColumnClass, int& Priority);
// Lookup fields: the lookup entry; data fields of a type in the table: that
// type's entry; any other field (calculated, later types): TdxDBGridColumn.
std::string DefaultGridColumnClass(const TField* Field);

} // namespace qel
