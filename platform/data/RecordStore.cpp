#include "platform/data/RecordStore.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qel {

namespace {

template <class T>
T Load(const std::vector<unsigned char>& Bytes, std::size_t Offset)
{
    T v;
    std::memcpy(&v, Bytes.data() + Offset, sizeof(T));
    return v;
}

template <class T>
void Save(std::vector<unsigned char>& Bytes, std::size_t Offset, T Value)
{
    std::memcpy(Bytes.data() + Offset, &Value, sizeof(T));
}

template <class T>
int Order(T A, T B)
{
    return A < B ? -1 : B < A ? 1 : 0;
}

// Variant's order for numbers: NaN below every other number.
int OrderDouble(double A, double B)
{
    const bool na = std::isnan(A), nb = std::isnan(B);
    if (na || nb)
        return na == nb ? 0 : na ? -1 : 1;
    return Order(A, B);
}

} // namespace

TRecordStore::~TRecordStore()
{
    Clear();
}

TRecordStore::TKind TRecordStore::KindOf(TFieldType Type)
{
    switch (Type) {
    case ftSmallint: return ckInt16;
    case ftInteger: case ftWord: case ftAutoInc: return ckInt32;
    case ftLargeint: return ckInt64;
    case ftBoolean: return ckBool;
    case ftFloat: case ftCurrency: return ckDouble;
    case ftDate: case ftTime: case ftDateTime: return ckDate;
    case ftBCD: return ckCurrency;
    case ftString: case ftFixedChar: case ftMemo: case ftFmtMemo: case ftBlob: case ftGraphic: case ftBytes:
    case ftVarBytes: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary:
        return ckText;
    case ftWideString: return ckWide;
    default: return ckOther;
    }
}

int TRecordStore::WidthOf(TKind Kind)
{
    switch (Kind) {
    case ckInt16: return 2;
    case ckInt32: return 4;
    case ckBool: return 1;
    case ckInt64: case ckDouble: case ckDate: case ckCurrency: return 8;
    default: return 0;
    }
}

void TRecordStore::Define(const std::vector<TFieldType>& Types)
{
    Clear();
    m_columns.clear();
    m_columns.resize(Types.size());
    for (std::size_t i = 0; i < Types.size(); ++i) {
        m_columns[i].Kind = KindOf(Types[i]);
        m_columns[i].Width = WidthOf(m_columns[i].Kind);
    }
}

void TRecordStore::Clear()
{
    for (Column& c : m_columns) {
        c.Present = {};
        c.Fixed = {};
        c.Texts.Clear();
        c.Aside.clear();
    }
    m_slotCount = 0;
    m_free = {};
}

void TRecordStore::Grow(TSlot Slot)
{
    if (Slot < m_slotCount)
        return;
    const TSlot count = Slot + 1;
    for (Column& c : m_columns) {
        c.Present.resize((static_cast<std::size_t>(count) + 63) / 64, 0);
        if (c.Width > 0)
            c.Fixed.resize(static_cast<std::size_t>(count) * static_cast<std::size_t>(c.Width));
        else if (c.IsText())
            c.Texts.Grow(count);
    }
    m_slotCount = count;
}

const Variant* TRecordStore::AsideOf(const Column& C, TSlot Slot)
{
    if (C.Aside.empty())
        return nullptr;
    const auto it = C.Aside.find(Slot);
    return it != C.Aside.end() ? &it->second : nullptr;
}

void TRecordStore::Release(Column& C, TSlot Slot)
{
    if (C.Has(Slot)) {
        if (C.IsText())
            C.Texts.Erase(Slot);
        C.Unmark(Slot);
    } else if (!C.Aside.empty()) {
        C.Aside.erase(Slot);
    }
}

void TRecordStore::StoreAside(Column& C, TSlot Slot, const Variant& V)
{
    // The place first: a failure leaves the old value.
    Variant copy = V;
    const auto [it, added] = C.Aside.try_emplace(Slot);
    it->second = std::move(copy);
    if (C.Has(Slot)) {
        if (C.IsText())
            C.Texts.Erase(Slot);
        C.Unmark(Slot);
    }
}

void TRecordStore::Store(Column& C, TSlot Slot, const Variant& V)
{
    // Everything that can fail (allocation) happens before the old value goes.
    const TVarType type = V.VarType();
    if (type == varNull) {
        Release(C, Slot);
        return;
    }
    const std::size_t at = static_cast<std::size_t>(Slot) * static_cast<std::size_t>(C.Width);
    switch (C.Kind) {
    case ckInt16:
        if (type != varSmallint)
            break;
        Save(C.Fixed, at, static_cast<std::int16_t>(V.AsInteger()));
        Release(C, Slot);
        C.Mark(Slot);
        return;
    case ckInt32:
        if (type != varInteger)
            break;
        Save(C.Fixed, at, V.AsInteger());
        Release(C, Slot);
        C.Mark(Slot);
        return;
    case ckInt64:
        if (type != varInt64)
            break;
        Save(C.Fixed, at, V.AsInt64());
        Release(C, Slot);
        C.Mark(Slot);
        return;
    case ckBool:
        if (type != varBoolean)
            break;
        Save(C.Fixed, at, static_cast<std::uint8_t>(V.AsBoolean()));
        Release(C, Slot);
        C.Mark(Slot);
        return;
    case ckDouble:
        if (type != varDouble)
            break;
        Save(C.Fixed, at, V.AsDouble());
        Release(C, Slot);
        C.Mark(Slot);
        return;
    case ckDate:
        if (type != varDate)
            break;
        Save(C.Fixed, at, V.AsDate());
        Release(C, Slot);
        C.Mark(Slot);
        return;
    case ckCurrency:
        if (type != varCurrency)
            break;
        Save(C.Fixed, at, V.AsCurrency().Value);
        Release(C, Slot);
        C.Mark(Slot);
        return;
    case ckText:
    case ckWide: {
        if (type != (C.Kind == ckText ? varString : varOleStr))
            break;
        // Assign replaces the slot's text; a text the column has no room for is kept aside.
        if (!C.Texts.Assign(Slot, V.AsString()))
            break;
        if (!C.Has(Slot)) {
            if (!C.Aside.empty())
                C.Aside.erase(Slot);
            C.Mark(Slot);
        }
        return;
    }
    case ckOther:
        break;
    }
    StoreAside(C, Slot, V);
}

TRecordStore::TSlot TRecordStore::Add(const std::vector<Variant>& Values)
{
    TSlot slot;
    if (!m_free.empty()) {
        slot = m_free.back();
    } else {
        slot = m_slotCount;
        Grow(slot);
    }
    try {
        Set(slot, Values);
    } catch (...) {
        for (Column& c : m_columns)
            Release(c, slot);
        if (m_free.empty() || m_free.back() != slot)
            m_free.push_back(slot);
        throw;
    }
    if (!m_free.empty() && m_free.back() == slot)
        m_free.pop_back();
    return slot;
}

void TRecordStore::Set(TSlot Slot, const std::vector<Variant>& Values)
{
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        Store(m_columns[i], Slot, i < Values.size() ? Values[i] : Variant::Null());
}

void TRecordStore::Remove(TSlot Slot)
{
    for (Column& c : m_columns)
        Release(c, Slot);
    m_free.push_back(Slot);
}

bool TRecordStore::IsNull(TSlot Slot, int Column) const
{
    const auto& c = m_columns[static_cast<std::size_t>(Column)];
    if (c.Has(Slot))
        return false;
    const Variant* aside = AsideOf(c, Slot);
    return !aside || aside->IsNull();
}

Variant TRecordStore::Value(TSlot Slot, int Column) const
{
    const auto& c = m_columns[static_cast<std::size_t>(Column)];
    if (!c.Has(Slot)) {
        const Variant* aside = AsideOf(c, Slot);
        return aside ? *aside : Variant::Null();
    }
    const std::size_t at = static_cast<std::size_t>(Slot) * static_cast<std::size_t>(c.Width);
    switch (c.Kind) {
    case ckInt16: return Variant::FromSmallint(Load<std::int16_t>(c.Fixed, at));
    case ckInt32: return Variant(Load<std::int32_t>(c.Fixed, at));
    case ckInt64: return Variant(Load<std::int64_t>(c.Fixed, at));
    case ckBool: return Variant(Load<std::uint8_t>(c.Fixed, at) != 0);
    case ckDouble: return Variant(Load<double>(c.Fixed, at));
    case ckDate: return Variant::FromDate(Load<double>(c.Fixed, at));
    case ckCurrency: return Variant(Currency::FromInt64(Load<std::int64_t>(c.Fixed, at)));
    case ckText: return Variant(std::string(c.Texts.View(Slot)));
    case ckWide: return Variant::FromWideString(std::string(c.Texts.View(Slot)));
    case ckOther: break;
    }
    return Variant::Null();
}

bool TRecordStore::TextView(TSlot Slot, int Column, std::string_view& Text) const
{
    const auto& c = m_columns[static_cast<std::size_t>(Column)];
    if (!c.IsText())
        return false;
    if (c.Has(Slot)) {
        Text = c.Texts.View(Slot);
        return true;
    }
    if (AsideOf(c, Slot))
        return false;
    Text = std::string_view();
    return true;
}

int TRecordStore::Compare(TSlot A, TSlot B, int Column) const
{
    const auto& c = m_columns[static_cast<std::size_t>(Column)];
    if (!c.Has(A) || !c.Has(B))
        return Variant::Compare(Value(A, Column), Value(B, Column));
    const std::size_t a = static_cast<std::size_t>(A) * static_cast<std::size_t>(c.Width);
    const std::size_t b = static_cast<std::size_t>(B) * static_cast<std::size_t>(c.Width);
    switch (c.Kind) {
    case ckInt16: return Order(Load<std::int16_t>(c.Fixed, a), Load<std::int16_t>(c.Fixed, b));
    case ckInt32: return Order(Load<std::int32_t>(c.Fixed, a), Load<std::int32_t>(c.Fixed, b));
    case ckInt64: case ckCurrency: return Order(Load<std::int64_t>(c.Fixed, a), Load<std::int64_t>(c.Fixed, b));
    case ckBool: return Order(Load<std::uint8_t>(c.Fixed, b), Load<std::uint8_t>(c.Fixed, a));   // True is -1
    case ckDouble: case ckDate: return OrderDouble(Load<double>(c.Fixed, a), Load<double>(c.Fixed, b));
    case ckText: {
        const int r = c.Texts.View(A).compare(c.Texts.View(B));
        return (r > 0) - (r < 0);
    }
    case ckWide: case ckOther: break;
    }
    return Variant::Compare(Value(A, Column), Value(B, Column));
}

} // namespace qel
