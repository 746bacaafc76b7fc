#pragma once
// TRecordOrder: which record slots TMemoryDataSet shows in which order, and
// the id of the record in each slot. An id is the record's posting number,
// counted over the dataset's life and never reused, so ids compare in
// posting order and lie close together (the grid matches rows to records
// through a table indexed by id).
//
// What is implied is not stored. While no slot has been reused, the record
// posted k-th since opening sits in slot k: ids and slots convert by
// arithmetic, and one bit a slot marks deleted records. Reusing a slot
// writes out the two tables (slot to id, id to slot). While records have
// only been appended, the n-th in order is slot n; the first insert,
// delete or sort writes the order out. Record positions by slot are built
// when first asked for and kept while records are only appended.
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
    std::size_t Count() const { return m_listed ? m_order.size() : m_slots; }
    TSlot SlotAt(std::size_t Pos) const { return m_listed ? m_order[Pos] : static_cast<TSlot>(Pos); }
    bool IsLive(TSlot Slot) const
    {
        if (m_tabled)
            return Slot < m_slotSeq.size() && m_slotSeq[Slot] != 0;
        return Slot < m_slots && !((m_deleted[Slot >> 6] >> (Slot & 63)) & 1);
    }
    TId IdOf(TSlot Slot) const { return m_base + (m_tabled ? m_slotSeq[Slot] - 1 : Slot); }
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
    // Writes the order out, which a record leaving or moving needs; call it
    // before changing anything else, as it can fail.
    void ListOrder();
    void Remove(std::size_t Pos);
    // The order to rearrange in place (a sort, a record moving to its sorted place).
    std::vector<TSlot>& Rearrange();

private:
    void WriteTables();
    std::size_t SlotCount() const { return m_tabled ? m_slotSeq.size() : m_slots; }

    TId m_base{1};                          // the id of the first record posted since opening
    TId m_nextId{1};
    // While no slot has been reused: slots 0 .. m_slots - 1 hold ids m_base + slot.
    bool m_tabled{false};
    std::size_t m_slots{0};
    std::vector<std::uint64_t> m_deleted;   // a bit by slot
    // Once a slot has been reused.
    std::vector<std::uint32_t> m_slotSeq;   // by slot: id - m_base + 1; 0 for a free slot
    std::vector<TSlot> m_seqSlot;           // by id - m_base: the slot; NoSlot once deleted
    // The order: slot n at place n until m_listed.
    bool m_listed{false};
    std::vector<TSlot> m_order;
    mutable std::vector<int> m_pos;         // place by slot, while current
    mutable bool m_posCurrent{false};
};

} // namespace qel
