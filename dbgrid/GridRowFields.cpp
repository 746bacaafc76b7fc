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
