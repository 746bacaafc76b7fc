#pragma once
// The texts and values rows read from their records, kept for the rows used
// most recently within a byte bound. A row read from its record holds them
// only while it is in this list; a row that falls out forgets them and reads
// its record again when asked next. The list never shrinks below a few rows,
// so a value just read stays valid while the next row is read (a comparison
// reads two rows in turn).
#include <cstddef>
#include <list>
#include <unordered_map>

namespace qel {

class TdxDBTreeListControlNode;

class TRowTextCache {
public:
    // Rows kept whatever their size: enough for the rows one operation reads in turn.
    static constexpr std::size_t MinRows = 16;

    TRowTextCache() = default;
    ~TRowTextCache() { Clear(); }
    TRowTextCache(const TRowTextCache&) = delete;
    TRowTextCache& operator=(const TRowTextCache&) = delete;

    std::size_t Limit() const { return m_limit; }
    // Rows beyond the new limit forget their texts at once.
    void SetLimit(std::size_t Bytes);
    std::size_t Bytes() const { return m_bytes; }
    std::size_t Count() const { return m_entries.size(); }
    bool Holds(const TdxDBTreeListControlNode* Row) const { return m_index.count(Row) != 0; }

    // Row has just read its record (Bytes: what it holds now); the rows
    // asked for least recently forget theirs while the list is over its bound.
    void Add(TdxDBTreeListControlNode* Row, std::size_t Bytes);
    // Row was asked for again: it is the last to be forgotten.
    void Touch(const TdxDBTreeListControlNode* Row);
    // Row goes (freed, or it keeps its texts for good now); it forgets nothing.
    void Remove(const TdxDBTreeListControlNode* Row);
    // Every row forgets its texts.
    void Clear();

private:
    struct TEntry {
        TdxDBTreeListControlNode* Row;
        std::size_t Bytes;
    };
    void Trim();
    void ForgetLast();

    std::list<TEntry> m_entries;   // most recent first
    std::unordered_map<const TdxDBTreeListControlNode*, std::list<TEntry>::iterator> m_index;
    std::size_t m_bytes{0};
    std::size_t m_limit{2u << 20};
};

} // namespace qel
