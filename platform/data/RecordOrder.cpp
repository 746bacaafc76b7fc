#include "platform/data/RecordOrder.h"

#include "platform/core/Exceptions.h"

#include <numeric>

namespace qel {

void TRecordOrder::Clear()
{
    m_plain = true;
    m_count = 0;
    m_base = m_nextSeq;
    m_order = {};
    m_seq = {};
    m_pos = {};
    m_posCurrent = false;
}

TRecordOrder::TSlot TRecordOrder::Find(TId Id) const
{
    if (Id < 0)
        return NoSlot;
    const std::uint64_t id = static_cast<std::uint64_t>(Id);
    const TSlot slot = static_cast<TSlot>(id & 0xFFFFFFFFu);
    const std::uint64_t seq = id >> 32;
    if (seq == 0 || !IsLive(slot) || static_cast<std::uint64_t>(IdOf(slot)) >> 32 != seq)
        return NoSlot;
    return slot;
}

int TRecordOrder::PosOf(TSlot Slot, int Hint) const
{
    if (m_plain)
        return static_cast<int>(Slot);
    if (Hint >= 0 && static_cast<std::size_t>(Hint) < m_order.size() && m_order[static_cast<std::size_t>(Hint)] == Slot)
        return Hint;
    if (!m_posCurrent) {
        m_pos.resize(m_seq.size());
        for (std::size_t i = 0; i < m_order.size(); ++i)
            m_pos[m_order[i]] = static_cast<int>(i);
        m_posCurrent = true;
    }
    return m_pos[Slot];
}

std::vector<TRecordOrder::TSlot> TRecordOrder::Snapshot() const
{
    if (!m_plain)
        return m_order;
    std::vector<TSlot> order(m_count);
    std::iota(order.begin(), order.end(), TSlot{0});
    return order;
}

void TRecordOrder::Reserve(TSlot NextSlot, std::size_t Pos)
{
    if (m_nextSeq > kLastSeq)
        throw EDatabaseError("No more records can be added to this dataset");
    if (m_plain) {
        if (NextSlot == m_count && Pos == m_count)
            return;
        MakeExplicit();
    }
    for (auto* list : {&m_order, &m_seq})
        if (list->size() == list->capacity())
            list->reserve(list->size() * 2 + 16);
    if (m_posCurrent && m_pos.capacity() < m_seq.capacity())
        m_pos.reserve(m_seq.capacity());
}

void TRecordOrder::Add(TSlot Slot, std::size_t Pos)
{
    // Reserve made the room: nothing here allocates.
    const std::uint32_t seq = m_nextSeq++;
    if (m_plain) {
        ++m_count;
        return;
    }
    if (Slot >= m_seq.size())
        m_seq.resize(Slot + 1, 0);
    m_seq[Slot] = seq;
    if (m_posCurrent && Pos == m_order.size()) {
        if (Slot >= m_pos.size())
            m_pos.resize(Slot + 1, 0);
        m_pos[Slot] = static_cast<int>(Pos);
    } else {
        m_posCurrent = false;
    }
    m_order.insert(m_order.begin() + static_cast<std::ptrdiff_t>(Pos), Slot);
}

void TRecordOrder::MakeExplicit()
{
    if (!m_plain)
        return;
    std::vector<TSlot> order(m_count);
    std::iota(order.begin(), order.end(), TSlot{0});
    std::vector<std::uint32_t> seq(m_count);
    std::iota(seq.begin(), seq.end(), m_base);
    m_order = std::move(order);
    m_seq = std::move(seq);
    m_plain = false;
    m_posCurrent = false;
}

void TRecordOrder::Remove(std::size_t Pos)
{
    MakeExplicit();
    m_seq[m_order[Pos]] = 0;
    m_order.erase(m_order.begin() + static_cast<std::ptrdiff_t>(Pos));
    if (Pos != m_order.size())
        m_posCurrent = false;
}

std::vector<TRecordOrder::TSlot>& TRecordOrder::Rearrange()
{
    MakeExplicit();
    m_posCurrent = false;
    return m_order;
}

} // namespace qel
