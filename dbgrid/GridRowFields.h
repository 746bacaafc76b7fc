#pragma once
// Compact forms of what a grid row keeps: a grid holds a row for every
// record, so each byte of a row counts a million times over.
//
// TRowBookmark: a bookmark of up to 15 bytes (the in-memory dataset's are 8)
// in place, a longer one on the heap; 16 bytes. It reads as a TBookmark.
// TGroupRowValue: a group row's value; Null, which every record row has,
// takes no more than a pointer. It reads as a const Variant&.
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
    TRowBookmark(const TRowBookmark& Other) { Assign(Other.View()); }
    TRowBookmark& operator=(const TRowBookmark& Other);
    TRowBookmark& operator=(const TBookmark& Value);
    ~TRowBookmark() { Release(); }

    operator TBookmark() const { return TBookmark(View()); }
    bool empty() const { return m_size == 0; }
    std::string_view View() const;
    friend bool operator==(const TRowBookmark& A, const TRowBookmark& B) { return A.View() == B.View(); }
    friend bool operator==(const TRowBookmark& A, const TBookmark& B) { return A.View() == B; }

private:
    void Assign(std::string_view Value);
    void Release();
    static constexpr std::size_t InPlace = 15;
    static constexpr std::uint8_t OnHeap = 0xFF;

    // In place: the bytes. On the heap: the block's address, then its size.
    char m_bytes[InPlace]{};
    std::uint8_t m_size{0};
};

class TGroupRowValue {
public:
    TGroupRowValue() = default;
    TGroupRowValue(const TGroupRowValue& Other) { *this = static_cast<const Variant&>(Other); }
    TGroupRowValue& operator=(const TGroupRowValue& Other) { return *this = static_cast<const Variant&>(Other); }
    TGroupRowValue& operator=(const Variant& Value);

    operator const Variant&() const;
    bool IsNull() const { return static_cast<const Variant&>(*this).IsNull(); }
    bool IsEmptyOrNull() const { return static_cast<const Variant&>(*this).IsEmptyOrNull(); }
    std::string AsString() const { return static_cast<const Variant&>(*this).AsString(); }
    bool AsBoolean() const { return static_cast<const Variant&>(*this).AsBoolean(); }

private:
    std::unique_ptr<Variant> m_value;   // nullptr: Null
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
