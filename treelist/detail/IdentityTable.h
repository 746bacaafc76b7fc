#pragma once
// Numbers that stand for objects of a control while they live. An object
// gets its number when someone first asks for it; the control withdraws it
// when the object goes, so the number then finds nothing. Numbers are never
// given twice by one table, so a number kept past its object's end cannot
// find an object made later at the same address.
#include <cstdint>
#include <unordered_map>

namespace qel::detail {

template <class T>
class TIdentityTable {
public:
    // Slot is the object's own field for its number (0: none yet).
    std::uint64_t Publish(T* Object, std::uint64_t& Slot)
    {
        if (Slot == 0) {
            Slot = ++m_last;
            m_objects.emplace(Slot, Object);
        }
        return Slot;
    }
    void Withdraw(std::uint64_t& Slot)
    {
        if (Slot == 0)
            return;
        m_objects.erase(Slot);
        Slot = 0;
    }
    T* Find(std::uint64_t Identity) const
    {
        auto it = m_objects.find(Identity);
        return it == m_objects.end() ? nullptr : it->second;
    }
    std::size_t Count() const { return m_objects.size(); }

private:
    std::unordered_map<std::uint64_t, T*> m_objects;
    std::uint64_t m_last{0};
};

// The same for objects too many to give each a field for its number (the
// nodes of a control): the table keeps the number of each object that has
// one; the object keeps only a flag that it has one, so those that never
// had one are withdrawn without a look-up.
template <class T>
class TKeptIdentityTable {
public:
    std::uint64_t Publish(T* Object)
    {
        auto it = m_numbers.try_emplace(Object, 0).first;
        return m_table.Publish(Object, it->second);
    }
    void Withdraw(T* Object)
    {
        auto it = m_numbers.find(Object);
        if (it == m_numbers.end())
            return;
        m_table.Withdraw(it->second);
        m_numbers.erase(it);
    }
    T* Find(std::uint64_t Identity) const { return m_table.Find(Identity); }
    std::size_t Count() const { return m_table.Count(); }

private:
    TIdentityTable<T> m_table;
    std::unordered_map<const T*, std::uint64_t> m_numbers;
};

} // namespace qel::detail
