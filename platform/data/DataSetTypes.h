#pragma once
// Enumerations and small types of the dataset contract: field types with the
// platform's numbering, dataset states, field kinds, locate and filter
// options, and the opaque bookmark.
#include "platform/core/Alignment.h"
#include "platform/core/TSet.h"

#include <cstdint>
#include <string>

namespace qel {

// The numbering is the platform's and is stored in files; never reorder.
enum TFieldType : std::uint8_t {
    ftUnknown = 0,
    ftString = 1,
    ftSmallint = 2,
    ftInteger = 3,
    ftWord = 4,
    ftBoolean = 5,
    ftFloat = 6,
    ftCurrency = 7,
    ftBCD = 8,
    ftDate = 9,
    ftTime = 10,
    ftDateTime = 11,
    ftBytes = 12,
    ftVarBytes = 13,
    ftAutoInc = 14,
    ftBlob = 15,
    ftMemo = 16,
    ftGraphic = 17,
    ftFmtMemo = 18,
    ftParadoxOle = 19,
    ftDBaseOle = 20,
    ftTypedBinary = 21,
    ftCursor = 22,
    ftFixedChar = 23,
    ftWideString = 24,
    ftLargeint = 25,
    ftADT = 26,
    ftArray = 27,
    ftReference = 28,
    ftDataSet = 29,
    ftOraBlob = 30,
    ftOraClob = 31,
    ftVariant = 32,
    ftInterface = 33,
    ftIDispatch = 34,
    ftGuid = 35
};
using TBlobType = TFieldType;   // ftBlob .. ftTypedBinary

enum TDataSetState : std::uint8_t {
    dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter,
    dsNewValue, dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};

enum TFieldKind : std::uint8_t { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };

enum TLocateOption : std::uint8_t { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;

enum TFilterOption : std::uint8_t { foCaseInsensitive, foNoPartialCompare };
using TFilterOptions = TSet<TFilterOption>;

enum TBlobStreamMode : std::uint8_t { bmRead, bmWrite, bmReadWrite };


// What the dataset tells its data sources and links (see DataLink.h for who
// receives what).
enum TDataEvent : std::uint8_t {
    deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange,
    deUpdateRecord, deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange,
    deFocusControl
};

// An opaque byte string naming one record of one dataset; empty = none.
using TBookmark = std::string;

// The platform's own text for a dataset that would end up reading itself
// (a lookup field on its own dataset, a lookup list linked back to the
// edited dataset).
inline constexpr const char* SCircularDataLink = "Zirkuläre Datenverbindungen sind nicht erlaubt";

inline bool IsEditState(TDataSetState S) { return S == dsEdit || S == dsInsert || S == dsSetKey; }

// "ftString" and so on, for messages.
const char* FieldTypeName(TFieldType Type);

} // namespace qel
