#pragma once
// A copy of a list of pointers for walking it while receivers may remove
// themselves (or others) from the list. Up to eight entries are kept in
// place, so a notification on every scroll allocates nothing.
#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

namespace qel {

template <class T>
class TListSnapshot {
public:
    explicit TListSnapshot(const std::vector<T*>& List) : m_size(List.size())
    {
        if (m_size <= m_local.size())
            std::copy(List.begin(), List.end(), m_local.begin());
        else
            m_heap = List;
    }
    TListSnapshot(const TListSnapshot&) = delete;
    TListSnapshot& operator=(const TListSnapshot&) = delete;

    T* const* begin() const { return m_heap.empty() ? m_local.data() : m_heap.data(); }
    T* const* end() const { return begin() + m_size; }

private:
    std::array<T*, 8> m_local{};
    std::vector<T*> m_heap;
    std::size_t m_size;
};

} // namespace qel
