#include "dbgrid/GridRowFields.h"

#include <cstring>

namespace qel {

TRowBookmark& TRowBookmark::operator=(const TRowBookmark& Other)
{
    if (this == &Other)
        return *this;
    if (Other.Heap()) {
        Assign(Other.Value());
    } else {
        Release();
        m_word = Other.m_word;
    }
    return *this;
}

TRowBookmark& TRowBookmark::operator=(const TBookmark& Value)
{
    Assign(Value);
    return *this;
}

bool operator==(const TRowBookmark& A, const TRowBookmark& B)
{
    if (!A.Heap() && !B.Heap())
        return A.m_word == B.m_word;
    return A.Value() == B.Value();
}

int TRowBookmark::Order(const TRowBookmark& A, const TRowBookmark& B)
{
    // Each bookmark has one form: those in place come first, by their word.
    const bool ha = A.Heap() != nullptr, hb = B.Heap() != nullptr;
    if (!ha && !hb)
        return A.m_word < B.m_word ? -1 : (A.m_word > B.m_word ? 1 : 0);
    if (ha != hb)
        return ha ? 1 : -1;
    const int c = A.Value().compare(B.Value());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

const char* TRowBookmark::Heap() const
{
    return (m_word & InPlaceTag) ? nullptr : reinterpret_cast<const char*>(static_cast<std::uintptr_t>(m_word));
}

TBookmark TRowBookmark::Value() const
{
    if (const char* block = Heap()) {
        std::uint32_t size = 0;
        std::memcpy(&size, block, sizeof size);
        return TBookmark(block + sizeof size, size);
    }
    const auto size = static_cast<std::size_t>((m_word >> 1) & 0xF);
    TBookmark value(size, '\0');
    for (std::size_t i = 0; i < size && i < 7; ++i)
        value[i] = static_cast<char>((m_word >> (8 * (i + 1))) & 0xFF);
    return value;
}

void TRowBookmark::Assign(std::string_view Value)
{
    Release();
    if (Value.empty())
        return;
    if (Value.size() < 8 || (Value.size() == 8 && Value[7] == '\0')) {
        std::uint64_t word = InPlaceTag | (std::uint64_t{Value.size()} << 1);
        for (std::size_t i = 0; i < Value.size() && i < 7; ++i)
            word |= std::uint64_t{static_cast<unsigned char>(Value[i])} << (8 * (i + 1));
        m_word = word;
        return;
    }
    if (Value.size() > UINT32_MAX)
        throw EConvertError("Bookmark too long");
    const auto size = static_cast<std::uint32_t>(Value.size());
    // operator new[] aligns the block, so bit 0 of its address is clear.
    char* block = new char[sizeof size + Value.size()];
    std::memcpy(block, &size, sizeof size);
    std::memcpy(block + sizeof size, Value.data(), Value.size());
    m_word = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(block));
}

void TRowBookmark::Release()
{
    delete[] Heap();
    m_word = 0;
}

TRowKey& TRowKey::operator=(const TRowKey& Other)
{
    if (this != &Other)
        *this = static_cast<Variant>(Other);
    return *this;
}

template <class T>
T TRowKey::Number() const
{
    T value{};
    std::memcpy(&value, m_bytes, sizeof value);
    return value;
}

template <class T>
void TRowKey::SetNumber(T Value)
{
    std::memcpy(m_bytes, &Value, sizeof Value);
}

Variant* TRowKey::Heap() const
{
    return m_store == OnHeap ? Number<Variant*>() : nullptr;
}

TRowKey& TRowKey::operator=(const Variant& Value)
{
    Release();
    const TVarType type = Value.VarType();
    switch (type) {
    case varEmpty:
    case varNull:
        break;
    case varSmallint:
    case varInteger:
    case varByte:
    case varInt64:
        SetNumber(Value.AsInt64());
        break;
    case varBoolean:
        SetNumber(std::int64_t{Value.AsBoolean()});
        break;
    case varCurrency:
        SetNumber(Value.AsCurrency().Value);
        break;
    case varSingle:
    case varDouble:
    case varDate:
        SetNumber(Value.AsDouble());
        break;
    default:
        if (type == varString) {
            const std::string text = Value.AsString();
            if (text.size() <= InPlace) {
                std::memcpy(m_bytes, text.data(), text.size());
                m_store = static_cast<std::uint8_t>(text.size());
                break;
            }
        }
        SetNumber(new Variant(Value));
        m_store = OnHeap;
        break;
    }
    m_type = type;
    return *this;
}

TRowKey::operator Variant() const
{
    switch (m_type) {
    case varEmpty: return Variant();
    case varNull: return Variant::Null();
    case varSmallint: return Variant::FromSmallint(static_cast<std::int16_t>(Number<std::int64_t>()));
    case varInteger: return Variant(static_cast<int>(Number<std::int64_t>()));
    case varByte: return Variant::FromByte(static_cast<std::uint8_t>(Number<std::int64_t>()));
    case varInt64: return Variant(Number<std::int64_t>());
    case varBoolean: return Variant(Number<std::int64_t>() != 0);
    case varCurrency: return Variant(Currency::FromInt64(Number<std::int64_t>()));
    case varSingle: return Variant::FromSingle(static_cast<float>(Number<double>()));
    case varDouble: return Variant(Number<double>());
    case varDate: return Variant::FromDate(Number<double>());
    default:
        if (const Variant* heap = Heap())
            return *heap;
        return Variant(std::string(m_bytes, m_store));
    }
}

void TRowKey::Release()
{
    delete Heap();
    m_store = IsNumber;
    m_type = varNull;
}

} // namespace qel
