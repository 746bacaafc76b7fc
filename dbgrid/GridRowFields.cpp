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

} // namespace qel
