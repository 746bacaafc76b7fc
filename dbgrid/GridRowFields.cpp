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

} // namespace qel
