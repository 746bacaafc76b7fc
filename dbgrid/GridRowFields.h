#pragma once
// The compact form of what a grid row keeps: a grid holds a row for every
// record, so each byte of a row counts a million times over.
//
// TRowBookmark: a bookmark in 8 bytes: one of up to 7 bytes in place, and
// one of 8 whose last byte is zero (the in-memory dataset's: a record id
// below 2^56) too; any other on the heap. It reads as a TBookmark.
#include "platform/core/Variant.h"
#include "platform/data/DataSetTypes.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace qel {

class TRowBookmark {
public:
    TRowBookmark() = default;
    TRowBookmark(const TBookmark& Value) { Assign(Value); }
    TRowBookmark(const TRowBookmark& Other) { *this = Other; }
    TRowBookmark& operator=(const TRowBookmark& Other);
    TRowBookmark& operator=(const TBookmark& Value);
    ~TRowBookmark() { Release(); }

    operator TBookmark() const { return Value(); }
    TBookmark Value() const;
    bool empty() const { return m_word == 0; }
    friend bool operator==(const TRowBookmark& A, const TRowBookmark& B);
    // -1, 0 or 1 in an order of this class's own (not the dataset's), to
    // find one among many.
    static int Order(const TRowBookmark& A, const TRowBookmark& B);
    friend bool operator==(const TRowBookmark& A, const TBookmark& B) { return A.Value() == B; }

private:
    void Assign(std::string_view Value);
    void Release();
    const char* Heap() const;   // nullptr when in place or empty

    // 0: no bookmark. Bit 0 set: in place, bits 1-4 the length, the bytes
    // from bit 8 on (an eighth byte, zero, is not kept). Else the address of
    // a heap block: the size, then the bytes.
    static constexpr std::uint64_t InPlaceTag = 1;
    std::uint64_t m_word{0};
};

} // namespace qel
