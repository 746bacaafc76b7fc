// The default column class table.
#include "dbgrid/DBGridColumns.h"

#include "platform/data/Field.h"

#include <array>

namespace qel {

namespace {

constexpr const char* PlainColumn = "TdxDBGridColumn";

struct TColumnClassEntry {
    std::string ColumnClass{PlainColumn};
    int Priority{0};
};

struct TColumnClassTable {
    std::array<TColumnClassEntry, DefaultGridColumnTypeCount> Types;
    TColumnClassEntry Lookup;
};

void Offer(const TdxDBGridColumnClassOffer& Callback, TFieldType FieldType, TFieldKind FieldKind,
           TColumnClassEntry& Entry)
{
    std::string columnClass = Entry.ColumnClass;
    int priority = Entry.Priority;
    Callback(FieldType, FieldKind, columnClass, priority);
    if (priority > Entry.Priority)
        Entry = {std::move(columnClass), priority};
}

// Built on first use, with the grid's own leaves already offered.
TColumnClassTable& Table()
{
    static TColumnClassTable table = [] {
        TColumnClassTable t;
        const TdxDBGridColumnClassOffer own = OfferGridColumnClasses;
        for (int type = 0; type < DefaultGridColumnTypeCount; ++type)
            Offer(own, static_cast<TFieldType>(type), fkData, t.Types[static_cast<std::size_t>(type)]);
        Offer(own, ftUnknown, fkLookup, t.Lookup);
        return t;
    }();
    return table;
}

} // namespace

void RegisterDefaultGridColumnClasses(const TdxDBGridColumnClassOffer& Callback)
{
    TColumnClassTable& table = Table();
    for (int type = 0; type < DefaultGridColumnTypeCount; ++type)
        Offer(Callback, static_cast<TFieldType>(type), fkData, table.Types[static_cast<std::size_t>(type)]);
    Offer(Callback, ftUnknown, fkLookup, table.Lookup);
}

void InitDefaultGridColumnClasses()
{
    Table() = TColumnClassTable{};
}

void OfferGridColumnClasses(TFieldType FieldType, TFieldKind FieldKind, std::string& ColumnClass, int& Priority)
{
    Priority = 1;
    if (FieldKind == fkLookup) {
        ColumnClass = "TdxDBGridLookupColumn";
        return;
    }
    switch (FieldType) {
    case ftBoolean: ColumnClass = "TdxDBGridCheckColumn"; break;
    case ftCurrency: ColumnClass = "TdxDBGridCurrencyColumn"; break;
    case ftDate: case ftDateTime: ColumnClass = "TdxDBGridDateColumn"; break;
    case ftTime: ColumnClass = "TdxDBGridTimeColumn"; break;
    case ftMemo: ColumnClass = "TdxDBGridMemoColumn"; break;
    case ftGraphic: ColumnClass = "TdxDBGridGraphicColumn"; break;
    case ftBytes: case ftVarBytes: case ftBlob: case ftFmtMemo: case ftParadoxOle: case ftDBaseOle:
    case ftTypedBinary:
        ColumnClass = "TdxDBGridBlobColumn";
        break;
    default: ColumnClass = "TdxDBGridMaskColumn"; break;
    }
}

std::string DefaultGridColumnClass(const TField* Field)
{
    if (!Field)
        return PlainColumn;
    const TColumnClassTable& table = Table();
    if (Field->FieldKind() == fkLookup)
        return table.Lookup.ColumnClass;
    if (Field->FieldKind() == fkData && Field->DataType() < DefaultGridColumnTypeCount)
        return table.Types[Field->DataType()].ColumnClass;
    return PlainColumn;
}

} // namespace qel
