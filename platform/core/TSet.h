#pragma once
// A small bit set over an enumeration, in place of the platform's sets.
// Bit n stands for the enumerator with ordinal n, so a set stored as an
// integer keeps the platform's layout.
#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace qel {

template <typename E, int Bits = 64>
class TSet {
    static_assert(Bits <= 64);

public:
    using Storage = std::uint64_t;

    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> Items)
    {
        for (E e : Items)
            m_bits |= Bit(e);
    }

    static constexpr TSet FromBits(Storage ABits)
    {
        TSet s;
        s.m_bits = ABits & Mask();
        return s;
    }
    constexpr Storage ToBits() const { return m_bits; }

    constexpr bool Contains(E Item) const { return (m_bits & Bit(Item)) != 0; }
    constexpr bool Empty() const { return m_bits == 0; }
    constexpr TSet& Include(E Item) { m_bits |= Bit(Item); return *this; }
    constexpr TSet& Exclude(E Item) { m_bits &= ~Bit(Item); return *this; }
    constexpr TSet& Set(E Item, bool On) { return On ? Include(Item) : Exclude(Item); }

    constexpr TSet operator+(TSet O) const { return FromBits(m_bits | O.m_bits); }
    constexpr TSet operator-(TSet O) const { return FromBits(m_bits & ~O.m_bits); }
    constexpr TSet operator*(TSet O) const { return FromBits(m_bits & O.m_bits); }
    constexpr TSet& operator+=(TSet O) { m_bits |= O.m_bits; return *this; }
    constexpr TSet& operator-=(TSet O) { m_bits &= ~O.m_bits; return *this; }
    constexpr TSet& operator*=(TSet O) { m_bits &= O.m_bits; return *this; }
    constexpr bool operator==(const TSet&) const = default;
    // Every member of this set is in `O`.
    constexpr bool SubsetOf(TSet O) const { return (m_bits & ~O.m_bits) == 0; }

private:
    static constexpr Storage Mask() { return Bits == 64 ? ~Storage{0} : ((Storage{1} << Bits) - 1); }
    static constexpr Storage Bit(E Item)
    {
        return Storage{1} << static_cast<unsigned>(static_cast<std::underlying_type_t<E>>(Item));
    }

    Storage m_bits{0};
};

} // namespace qel
