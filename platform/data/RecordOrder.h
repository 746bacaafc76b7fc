#pragma once
// TRecordOrder: which record slots TMemoryDataSet shows in which order, and
// the id of the record in each slot. An id is the record's posting number
// (counted over the dataset's life, never reused) in its upper half and its
// slot in the lower, so an id finds its slot without a table, and ids
// compare in posting order.
//
// While records have only been appended, the n-th record sits in slot n and
// was posted n-th; then neither the order nor the posting numbers are kept
// in lists. The first change elsewhere (an insert, a delete, a sort) writes
// them out. Record positions by slot are built when first asked for and
// kept while records are only appended.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qel {

class TRecordOrder {
public:
    using TSlot = std::uint32_t;
    using TId = std::int64_t;
    static constexpr TSlot NoSlot = ~TSlot{0};

    // No records; posting numbers go on, so ids of dropped records stay unknown.
    void Clear();
    std::size_t Count() const { return m_plain ? m_count : m_order.size(); }
    TSlot SlotAt(std::size_t Pos) const { return m_plain ? static_cast<TSlot>(Pos) : m_order[Pos]; }
    bool IsLive(TSlot Slot) const { return m_plain ? Slot < m_count : Slot < m_seq.size() && m_seq[Slot] != 0; }
    TId IdOf(TSlot Slot) const
    {
        const std::uint64_t seq = m_plain ? m_base + Slot : m_seq[Slot];
        return static_cast<TId>(seq << 32 | Slot);
    }
    // The slot of a live record's id; NoSlot for any other number.
    TSlot Find(TId Id) const;
    // The place of a live slot; Hint (the cursor) is tried first.
    int PosOf(TSlot Slot, int Hint) const;
    // A copy of the slots in order.
    std::vector<TSlot> Snapshot() const;

    // Room for a new record in NextSlot at Pos, so that Add cannot fail;
    // EDatabaseError when the dataset has run out of ids.
    void Reserve(TSlot NextSlot, std::size_t Pos);
    void Add(TSlot Slot, std::size_t Pos);
    // Lists the order and the posting numbers, which a record leaving or
    // moving needs; call it before changing anything else, as it can fail.
    void MakeExplicit();
    void Remove(std::size_t Pos);
    // The order to rearrange in place (a sort, a record moving to its sorted place).
    std::vector<TSlot>& Rearrange();

private:
    static constexpr std::uint32_t kLastSeq = 0x7FFFFFFFu;   // ids stay positive

    bool m_plain{true};
    std::size_t m_count{0};          // while plain
    std::uint32_t m_base{1};         // while plain: the posting number of slot 0
    std::vector<TSlot> m_order;      // by place, once explicit
    std::vector<std::uint32_t> m_seq;   // posting number by slot, 0 for a free slot, once explicit
    mutable std::vector<int> m_pos;  // place by slot, while current
    mutable bool m_posCurrent{false};
    std::uint32_t m_nextSeq{1};
};

} // namespace qel
