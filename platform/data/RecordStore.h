#pragma once
// TRecordStore: the records of TMemoryDataSet, one typed column per stored
// field. A record lives in a slot; a slot freed by a delete is reused.
// Numbers, dates and Booleans take their plain width, texts four bytes and
// their own (see TextColumn.h), and one bit per column says whether a value
// is stored there. A value whose Variant type is not the column's usual one
// (never the case for values converted by their field) is kept aside as it
// is, so every value reads back exactly as it was stored.
#include "platform/core/Variant.h"
#include "platform/data/DataSetTypes.h"
#include "platform/data/TextColumn.h"

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
    // The slot the next Add fills.
    TSlot NextSlot() const { return m_free.empty() ? m_slotCount : m_free.back(); }
    void Set(TSlot Slot, const std::vector<Variant>& Values);
    void Remove(TSlot Slot);

    Variant Value(TSlot Slot, int Column) const;
    bool IsNull(TSlot Slot, int Column) const;
    // The stored bytes of a text column's value without a copy ("" for
    // Null); valid until the store changes. False when the column does not
    // hold texts or the value is kept aside (then read Value).
    bool TextView(TSlot Slot, int Column, std::string_view& Text) const;
    // Variant::Compare of two records' values in one column, without making Variants.
    int Compare(TSlot A, TSlot B, int Column) const;

private:
    enum TKind : std::uint8_t { ckInt16, ckInt32, ckInt64, ckBool, ckDouble, ckDate, ckCurrency, ckText, ckWide, ckOther };
    struct Column {
        TKind Kind = ckOther;
        int Width = 0;                          // bytes per value in Fixed
        // A bit by slot: the column holds a value of its own kind. Without
        // it the value is Null, or the one kept aside.
        std::vector<std::uint64_t> Present;
        std::vector<unsigned char> Fixed;       // numbers, dates, Booleans
        TTextColumn Texts;                      // texts
        std::unordered_map<TSlot, Variant> Aside;

        bool Has(TSlot Slot) const { return (Present[Slot >> 6] >> (Slot & 63)) & 1; }
        void Mark(TSlot Slot) { Present[Slot >> 6] |= std::uint64_t{1} << (Slot & 63); }
        void Unmark(TSlot Slot) { Present[Slot >> 6] &= ~(std::uint64_t{1} << (Slot & 63)); }
        bool IsText() const { return Kind == ckText || Kind == ckWide; }
    };

    static TKind KindOf(TFieldType Type);
    static int WidthOf(TKind Kind);
    void Grow(TSlot Slot);
    void Store(Column& C, TSlot Slot, const Variant& V);
    static void StoreAside(Column& C, TSlot Slot, const Variant& V);
    static void Release(Column& C, TSlot Slot);
    static const Variant* AsideOf(const Column& C, TSlot Slot);

    std::vector<Column> m_columns;
    TSlot m_slotCount{0};
    std::vector<TSlot> m_free;
};

} // namespace qel
