#include "dbgrid/GridRowFields.h"

#include <cstring>

namespace qel {

TRowBookmark& TRowBookmark::operator=(const TRowBookmark& Other)
{
    if (this != &Other)
        Assign(Other.View());
    return *this;
}

TRowBookmark& TRowBookmark::operator=(const TBookmark& Value)
{
    Assign(Value);
    return *this;
}

std::string_view TRowBookmark::View() const
{
    if (m_size != OnHeap)
        return {m_bytes, m_size};
    const char* block = nullptr;
    std::uint32_t size = 0;
    std::memcpy(&block, m_bytes, sizeof block);
    std::memcpy(&size, m_bytes + sizeof block, sizeof size);
    return {block, size};
}

void TRowBookmark::Assign(std::string_view Value)
{
    Release();
    if (Value.size() <= InPlace) {
        std::memcpy(m_bytes, Value.data(), Value.size());
        m_size = static_cast<std::uint8_t>(Value.size());
        return;
    }
    if (Value.size() > UINT32_MAX)
        throw EConvertError("Bookmark too long");
    char* block = new char[Value.size()];
    std::memcpy(block, Value.data(), Value.size());
    const auto size = static_cast<std::uint32_t>(Value.size());
    std::memcpy(m_bytes, &block, sizeof block);
    std::memcpy(m_bytes + sizeof block, &size, sizeof size);
    m_size = OnHeap;
}

void TRowBookmark::Release()
{
    if (m_size == OnHeap) {
        char* block = nullptr;
        std::memcpy(&block, m_bytes, sizeof block);
        delete[] block;
    }
    m_size = 0;
}

TGroupRowValue& TGroupRowValue::operator=(const Variant& Value)
{
    if (Value.IsNull())
        m_value.reset();
    else if (m_value)
        *m_value = Value;
    else
        m_value = std::make_unique<Variant>(Value);
    return *this;
}

TGroupRowValue::operator const Variant&() const
{
    static const Variant null = Variant::Null();
    return m_value ? *m_value : null;
}

TRowKey& TRowKey::operator=(const TRowKey& Other)
{
    if (this != &Other)
        *this = static_cast<Variant>(Other);
    return *this;
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
        m_integer = Value.AsInt64();
        break;
    case varBoolean:
        m_integer = Value.AsBoolean();
        break;
    case varCurrency:
        m_integer = Value.AsCurrency().Value;
        break;
    case varSingle:
    case varDouble:
    case varDate:
        m_real = Value.AsDouble();
        break;
    default:
        m_other = new Variant(Value);
        m_onHeap = true;
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
    case varSmallint: return Variant::FromSmallint(static_cast<std::int16_t>(m_integer));
    case varInteger: return Variant(static_cast<int>(m_integer));
    case varByte: return Variant::FromByte(static_cast<std::uint8_t>(m_integer));
    case varInt64: return Variant(m_integer);
    case varBoolean: return Variant(m_integer != 0);
    case varCurrency: return Variant(Currency::FromInt64(m_integer));
    case varSingle: return Variant::FromSingle(static_cast<float>(m_real));
    case varDouble: return Variant(m_real);
    case varDate: return Variant::FromDate(m_real);
    default: return m_onHeap ? *m_other : Variant::Null();
    }
}

void TRowKey::Release()
{
    if (m_onHeap)
        delete m_other;
    m_onHeap = false;
    m_type = varNull;
}

} // namespace qel
