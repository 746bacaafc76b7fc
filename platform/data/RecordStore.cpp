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
        for (TSlot s = 0; s < m_slotCount; ++s)
            Release(c, s);
        c.Tags = {};
        c.Fixed = {};
        c.Texts = {};
        c.Aside.clear();
    }
    m_slotCount = 0;
    m_free = {};
}

void TRecordStore::Grow(TSlot Slot)
{
    if (Slot < m_slotCount)
        return;
    m_slotCount = Slot + 1;
    for (Column& c : m_columns) {
        c.Tags.resize(m_slotCount, tgNull);
        if (c.Width > 0)
            c.Fixed.resize(static_cast<std::size_t>(m_slotCount) * static_cast<std::size_t>(c.Width));
        else if (c.Kind == ckText || c.Kind == ckWide)
            c.Texts.resize(m_slotCount);
    }
}

std::string_view TRecordStore::CellText(const TextCell& Cell)
{
    if (Cell.Size <= sizeof(Cell.Data))
        return std::string_view(Cell.Data, Cell.Size);
    const char* p;
    std::memcpy(&p, Cell.Data, sizeof(p));
    return std::string_view(p, Cell.Size);
}

void TRecordStore::Release(Column& C, TSlot Slot)
{
    if (C.Tags[Slot] == tgAside)
        C.Aside.erase(Slot);
    else if (C.Tags[Slot] == tgValue && (C.Kind == ckText || C.Kind == ckWide)) {
        TextCell& cell = C.Texts[Slot];
        if (cell.Size > sizeof(cell.Data)) {
            char* p;
            std::memcpy(&p, cell.Data, sizeof(p));
            delete[] p;
        }
        cell.Size = 0;
    }
    C.Tags[Slot] = tgNull;
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
        Release(C, Slot);
        Save(C.Fixed, at, static_cast<std::int16_t>(V.AsInteger()));
        C.Tags[Slot] = tgValue;
        return;
    case ckInt32:
        if (type != varInteger)
            break;
        Release(C, Slot);
        Save(C.Fixed, at, V.AsInteger());
        C.Tags[Slot] = tgValue;
        return;
    case ckInt64:
        if (type != varInt64)
            break;
        Release(C, Slot);
        Save(C.Fixed, at, V.AsInt64());
        C.Tags[Slot] = tgValue;
        return;
    case ckBool:
        if (type != varBoolean)
            break;
        Release(C, Slot);
        Save(C.Fixed, at, static_cast<std::uint8_t>(V.AsBoolean()));
        C.Tags[Slot] = tgValue;
        return;
    case ckDouble:
        if (type != varDouble)
            break;
        Release(C, Slot);
        Save(C.Fixed, at, V.AsDouble());
        C.Tags[Slot] = tgValue;
        return;
    case ckDate:
        if (type != varDate)
            break;
        Release(C, Slot);
        Save(C.Fixed, at, V.AsDate());
        C.Tags[Slot] = tgValue;
        return;
    case ckCurrency:
        if (type != varCurrency)
            break;
        Release(C, Slot);
        Save(C.Fixed, at, V.AsCurrency().Value);
        C.Tags[Slot] = tgValue;
        return;
    case ckText:
    case ckWide: {
        if (type != (C.Kind == ckText ? varString : varOleStr))
            break;
        const std::string s = V.AsString();
        if (s.size() > UINT32_MAX)
            break;
        TextCell cell;
        cell.Size = static_cast<std::uint32_t>(s.size());
        if (s.size() <= sizeof(cell.Data)) {
            std::memcpy(cell.Data, s.data(), s.size());
        } else {
            char* p = new char[s.size()];
            std::memcpy(p, s.data(), s.size());
            std::memcpy(cell.Data, &p, sizeof(p));
        }
        Release(C, Slot);
        C.Texts[Slot] = cell;
        C.Tags[Slot] = tgValue;
        return;
    }
    case ckOther:
        break;
    }
    Variant copy = V;
    Release(C, Slot);
    C.Aside.insert_or_assign(Slot, std::move(copy));
    C.Tags[Slot] = tgAside;
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
    if (c.Tags[Slot] == tgAside)
        return c.Aside.at(Slot).IsNull();
    return c.Tags[Slot] == tgNull;
}

Variant TRecordStore::Value(TSlot Slot, int Column) const
{
    const auto& c = m_columns[static_cast<std::size_t>(Column)];
    switch (c.Tags[Slot]) {
    case tgNull: return Variant::Null();
    case tgAside: return c.Aside.at(Slot);
    default: break;
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
    case ckText: return Variant(std::string(CellText(c.Texts[Slot])));
    case ckWide: return Variant::FromWideString(std::string(CellText(c.Texts[Slot])));
    case ckOther: break;
    }
    return Variant::Null();
}

bool TRecordStore::TextView(TSlot Slot, int Column, std::string_view& Text) const
{
    const auto& c = m_columns[static_cast<std::size_t>(Column)];
    if ((c.Kind != ckText && c.Kind != ckWide) || c.Tags[Slot] == tgAside)
        return false;
    Text = c.Tags[Slot] == tgValue ? CellText(c.Texts[Slot]) : std::string_view();
    return true;
}

int TRecordStore::Compare(TSlot A, TSlot B, int Column) const
{
    const auto& c = m_columns[static_cast<std::size_t>(Column)];
    if (c.Tags[A] != tgValue || c.Tags[B] != tgValue)
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
        const int r = CellText(c.Texts[A]).compare(CellText(c.Texts[B]));
        return (r > 0) - (r < 0);
    }
    case ckWide: case ckOther: break;
    }
    return Variant::Compare(Value(A, Column), Value(B, Column));
}

} // namespace qel
