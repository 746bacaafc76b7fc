#pragma once
// The text of a report item in 16 bytes: up to 15 bytes inline, longer texts
// in one exact heap block. A report holds millions of mostly short texts, and
// an empty text costs nothing beyond the 16 bytes.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace qel::detail {

class TCompactText {
public:
    TCompactText() { m_bytes[Tag] = 0; }
    explicit TCompactText(std::string_view Text) : TCompactText() { Assign(Text); }
    TCompactText(const TCompactText& Other) : TCompactText() { Assign(Other.View()); }
    TCompactText& operator=(const TCompactText& Other)
    {
        if (this != &Other)
            Assign(Other.View());
        return *this;
    }
    ~TCompactText() { Release(); }

    std::string_view View() const
    {
        if (IsHeap()) {
            const char* p = HeapPointer();
            std::uint32_t size = 0;
            std::memcpy(&size, m_bytes + 8, sizeof size);
            return {p, size};
        }
        return {m_bytes, static_cast<std::size_t>(m_bytes[Tag])};
    }
    bool Empty() const { return !IsHeap() && m_bytes[Tag] == 0; }

    void Assign(std::string_view Text)
    {
        if (Text.size() <= MaxInline) {
            // The text may live in our own heap block: copy before releasing it.
            char buffer[MaxInline];
            std::memcpy(buffer, Text.data(), Text.size());
            Release();
            std::memcpy(m_bytes, buffer, Text.size());
            m_bytes[Tag] = static_cast<char>(Text.size());
            return;
        }
        auto* block = new char[Text.size()];
        std::memcpy(block, Text.data(), Text.size());
        Release();
        const auto size = static_cast<std::uint32_t>(Text.size());
        std::memcpy(m_bytes, &block, sizeof block);
        std::memcpy(m_bytes + 8, &size, sizeof size);
        m_bytes[Tag] = HeapTag;
    }

private:
    static constexpr std::size_t Tag = 15;
    static constexpr std::size_t MaxInline = 15;
    static constexpr char HeapTag = static_cast<char>(0x80);

    bool IsHeap() const { return m_bytes[Tag] == HeapTag; }
    char* HeapPointer() const
    {
        char* p = nullptr;
        std::memcpy(&p, m_bytes, sizeof p);
        return p;
    }
    void Release()
    {
        if (IsHeap())
            delete[] HeapPointer();
        m_bytes[Tag] = 0;
    }

    alignas(8) char m_bytes[16];
};

static_assert(sizeof(TCompactText) == 16);

} // namespace qel::detail
