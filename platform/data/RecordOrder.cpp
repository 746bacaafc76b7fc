#include "platform/data/RecordOrder.h"

#include "platform/core/Exceptions.h"

#include <algorithm>
#include <numeric>

namespace qel {

void TRecordOrder::Clear()
{
    m_base = m_nextId;
    m_tabled = false;
    m_slots = 0;
    m_deleted = {};
    m_slotSeq = {};
    m_seqSlot = {};
    m_listed = false;
    m_order = {};
    m_pos = {};
    m_posCurrent = false;
}

TRecordOrder::TSlot TRecordOrder::Find(TId Id) const
{
    if (Id < m_base || Id >= m_nextId)
        return NoSlot;
    const auto k = static_cast<std::size_t>(Id - m_base);
    if (m_tabled)
        return m_seqSlot[k];
    const auto slot = static_cast<TSlot>(k);
    return IsLive(slot) ? slot : NoSlot;
}

int TRecordOrder::PosOf(TSlot Slot, int Hint) const
{
    if (!m_listed)
        return static_cast<int>(Slot);
    if (Hint >= 0 && static_cast<std::size_t>(Hint) < m_order.size() && m_order[static_cast<std::size_t>(Hint)] == Slot)
        return Hint;
    if (!m_posCurrent) {
        m_pos.resize(SlotCount());
        for (std::size_t i = 0; i < m_order.size(); ++i)
            m_pos[m_order[i]] = static_cast<int>(i);
        m_posCurrent = true;
    }
    return m_pos[Slot];
}

std::vector<TRecordOrder::TSlot> TRecordOrder::Snapshot() const
{
    if (m_listed)
        return m_order;
    std::vector<TSlot> order(m_slots);
    std::iota(order.begin(), order.end(), TSlot{0});
    return order;
}

void TRecordOrder::Reserve(TSlot NextSlot, std::size_t Pos)
{
    if ((m_tabled ? m_seqSlot.size() : m_slots) >= NoSlot)
        throw EDatabaseError("No more records can be added to this dataset");
    if (!m_tabled) {
        if (NextSlot != m_slots)
            WriteTables();   // a deleted record's slot is taken again
        else if ((m_slots >> 6) == m_deleted.size())
            m_deleted.push_back(0);
    }
    if (m_tabled) {
        if (NextSlot == m_slotSeq.size() && m_slotSeq.size() == m_slotSeq.capacity())
            m_slotSeq.reserve(m_slotSeq.size() * 2 + 16);
        if (m_seqSlot.size() == m_seqSlot.capacity())
            m_seqSlot.reserve(m_seqSlot.size() * 2 + 16);
    }
    if (!m_listed && !(Pos == m_slots && NextSlot == m_slots))
        ListOrder();
    if (m_listed) {
        if (m_order.size() == m_order.capacity())
            m_order.reserve(m_order.size() * 2 + 16);
        if (m_posCurrent && m_pos.capacity() <= SlotCount())
            m_pos.reserve(std::max(SlotCount() + 1, m_pos.capacity() * 2));
    }
}

void TRecordOrder::Add(TSlot Slot, std::size_t Pos)
{
    // Reserve made the room: nothing here allocates.
    const TId id = m_nextId++;
    if (m_tabled) {
        if (Slot == m_slotSeq.size())
            m_slotSeq.push_back(0);
        m_slotSeq[Slot] = static_cast<std::uint32_t>(id - m_base + 1);
        m_seqSlot.push_back(Slot);
    } else {
        ++m_slots;
    }
    if (!m_listed)
        return;
    if (m_posCurrent && Pos == m_order.size()) {
        if (Slot >= m_pos.size())
            m_pos.resize(Slot + 1, 0);
        m_pos[Slot] = static_cast<int>(Pos);
    } else {
        m_posCurrent = false;
    }
    m_order.insert(m_order.begin() + static_cast<std::ptrdiff_t>(Pos), Slot);
}

void TRecordOrder::WriteTables()
{
    std::vector<std::uint32_t> slotSeq(m_slots);
    std::vector<TSlot> seqSlot(m_slots);
    for (std::size_t s = 0; s < m_slots; ++s) {
        const bool deleted = (m_deleted[s >> 6] >> (s & 63)) & 1;
        slotSeq[s] = deleted ? 0 : static_cast<std::uint32_t>(s + 1);
        seqSlot[s] = deleted ? NoSlot : static_cast<TSlot>(s);
    }
    m_slotSeq = std::move(slotSeq);
    m_seqSlot = std::move(seqSlot);
    m_deleted = {};
    m_tabled = true;
}

void TRecordOrder::ListOrder()
{
    if (m_listed)
        return;
    std::vector<TSlot> order(m_slots);
    std::iota(order.begin(), order.end(), TSlot{0});
    m_order = std::move(order);
    m_listed = true;
    m_posCurrent = false;
}

void TRecordOrder::Remove(std::size_t Pos)
{
    ListOrder();
    const TSlot slot = m_order[Pos];
    if (m_tabled) {
        m_seqSlot[m_slotSeq[slot] - 1] = NoSlot;
        m_slotSeq[slot] = 0;
    } else {
        m_deleted[slot >> 6] |= std::uint64_t{1} << (slot & 63);
    }
    m_order.erase(m_order.begin() + static_cast<std::ptrdiff_t>(Pos));
    if (Pos != m_order.size())
        m_posCurrent = false;
}

std::vector<TRecordOrder::TSlot>& TRecordOrder::Rearrange()
{
    ListOrder();
    m_posCurrent = false;
    return m_order;
}

} // namespace qel
