#pragma once
// TRecordStore: the records of TMemoryDataSet, one typed column per stored
// field. A record lives in a slot; a slot freed by a delete is reused.
// Numbers, dates and Booleans take their plain width; a text of up to 12
// bytes sits in its 16-byte cell and a longer one in a block of its own.
// A value whose Variant type is not the column's usual one (never the case
// for values converted by their field) is kept aside as it is, so every
// value reads back exactly as it was stored.
#include "platform/core/Variant.h"
#include "platform/data/DataSetTypes.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qel {

class TRecordStore {
public:
    using TSlot = std::uint32_t;

    TRecordStore() = default;
    ~TRecordStore();
    TRecordStore(const TRecordStore&) = delete;
    TRecordStore& operator=(const TRecordStore&) = delete;

    // One column per type, by FieldNo - 1; drops every record.
    void Define(const std::vector<TFieldType>& Types);
    void Clear();
    int ColumnCount() const { return static_cast<int>(m_columns.size()); }

    // A new record holding Values (by column; missing ones are Null).
    TSlot Add(const std::vector<Variant>& Values);
    void Set(TSlot Slot, const std::vector<Variant>& Values);
    void Remove(TSlot Slot);

    Variant Value(TSlot Slot, int Column) const;
    bool IsNull(TSlot Slot, int Column) const;
    // The stored bytes of a text column's value without a copy ("" for
    // Null); valid until the record changes. False when the column does not
    // hold texts or the value is kept aside (then read Value).
    bool TextView(TSlot Slot, int Column, std::string_view& Text) const;
    // Variant::Compare of two records' values in one column, without making Variants.
    int Compare(TSlot A, TSlot B, int Column) const;

private:
    enum TKind : std::uint8_t { ckInt16, ckInt32, ckInt64, ckBool, ckDouble, ckDate, ckCurrency, ckText, ckWide, ckOther };
    enum TTag : std::uint8_t { tgNull, tgValue, tgAside };
    // A text of up to 12 bytes in place, a longer one behind a pointer kept in Data.
    struct TextCell {
        std::uint32_t Size = 0;
        char Data[12] = {};
    };
    struct Column {
        TKind Kind = ckOther;
        int Width = 0;                          // bytes per value in Fixed
        std::vector<std::uint8_t> Tags;         // by slot
        std::vector<unsigned char> Fixed;       // numbers, dates, Booleans
        std::vector<TextCell> Texts;            // texts
        std::unordered_map<TSlot, Variant> Aside;
    };

    static TKind KindOf(TFieldType Type);
    static int WidthOf(TKind Kind);
    void Grow(TSlot Slot);
    void Store(Column& C, TSlot Slot, const Variant& V);
    void Release(Column& C, TSlot Slot);
    static std::string_view CellText(const TextCell& Cell);

    std::vector<Column> m_columns;
    TSlot m_slotCount{0};
    std::vector<TSlot> m_free;
};

} // namespace qel
