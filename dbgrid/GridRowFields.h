#pragma once
// Compact forms of what a grid row keeps: a grid holds a row for every
// record, so each byte of a row counts a million times over.
//
// TRowBookmark: a bookmark in 8 bytes: one of up to 7 bytes in place, and
// one of 8 whose last byte is zero (the in-memory dataset's: a record id
// below 2^56) too; any other on the heap. It reads as a TBookmark.
// TRowKey: a row's key-field value in 16 bytes: numbers, dates, Booleans and
// short texts in place, anything else on the heap. It reads as a Variant.
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

class TRowKey {
public:
    TRowKey() = default;   // Null
    TRowKey(const TRowKey& Other) { *this = Other; }
    TRowKey& operator=(const TRowKey& Other);
    TRowKey& operator=(const Variant& Value);
    ~TRowKey() { Release(); }

    operator Variant() const;
    bool IsEmpty() const { return m_type == varEmpty; }
    bool IsNull() const { return m_type == varNull; }
    bool IsEmptyOrNull() const { return IsEmpty() || IsNull(); }
    std::int32_t AsInteger() const { return Variant(*this).AsInteger(); }
    std::string AsString() const { return Variant(*this).AsString(); }

private:
    void Release();
    Variant* Heap() const;
    template <class T>
    T Number() const;
    template <class T>
    void SetNumber(T Value);

    static constexpr std::size_t InPlace = 13;
    static constexpr std::uint8_t IsNumber = 0xFF;   // or Empty, Null
    static constexpr std::uint8_t OnHeap = 0xFE;

    // A number, a text of up to 13 bytes, or the address of a Variant on the heap.
    char m_bytes[InPlace]{};
    std::uint8_t m_store{IsNumber};   // else the length of the text in place
    TVarType m_type{varNull};
};

} // namespace qel
