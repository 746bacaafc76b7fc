#include "dbgrid/detail/RowTextCache.h"

#include "dbgrid/DBTreeListControl.h"

namespace qel {

void TRowTextCache::SetLimit(std::size_t Bytes)
{
    m_limit = Bytes;
    Trim();
}

void TRowTextCache::Add(TdxDBTreeListControlNode* Row, std::size_t Bytes)
{
    Remove(Row);
    m_entries.push_front({Row, Bytes});
    m_index.emplace(Row, m_entries.begin());
    m_bytes += Bytes;
    Trim();
}

void TRowTextCache::Touch(const TdxDBTreeListControlNode* Row)
{
    // A row's texts are asked for one after another: the front needs no look-up.
    if (!m_entries.empty() && m_entries.front().Row == Row)
        return;
    const auto it = m_index.find(Row);
    if (it != m_index.end())
        m_entries.splice(m_entries.begin(), m_entries, it->second);
}

void TRowTextCache::Remove(const TdxDBTreeListControlNode* Row)
{
    const auto it = m_index.find(Row);
    if (it == m_index.end())
        return;
    m_bytes -= it->second->Bytes;
    m_entries.erase(it->second);
    m_index.erase(it);
}

void TRowTextCache::Clear()
{
    while (!m_entries.empty())
        ForgetLast();
}

void TRowTextCache::Trim()
{
    while (m_bytes > m_limit && m_entries.size() > MinRows)
        ForgetLast();
}

void TRowTextCache::ForgetLast()
{
    const TEntry last = m_entries.back();
    m_entries.pop_back();
    m_index.erase(last.Row);
    m_bytes -= last.Bytes;
    last.Row->ForgetRecordValues();
}

} // namespace qel
