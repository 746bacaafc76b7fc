// Refiltering the loaded rows in place (all-records mode). The rows hold
// every record, so a changed filter needs no record walk: rows that now fail
// leave the tree for the hidden list, hidden rows that now pass come back
// under their group rows, and the summaries are recounted from the values
// the rows hold. The dataset's cursor and a pending edit stay as they are,
// rows already read are not read again, and group rows that stay keep their
// expanded state. Each parent's list of rows is rebuilt in one pass and the
// hidden list compacted in one pass, so hiding or bringing back many rows
// costs no more than a walk over them.
#include "dbgrid/DBGrid.h"

#include "platform/core/Guards.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <limits>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qel {

namespace {

TdxDBGridNode* AsGridNode(TdxTreeListNode* Node)
{
    return static_cast<TdxDBGridNode*>(Node);
}

bool InWalkOrder(TdxTreeListNode* A, TdxTreeListNode* B)
{
    return AsGridNode(A)->RecordNumber < AsGridNode(B)->RecordNumber;
}

// A bookmark of eight bytes as a number (a memory dataset's record id).
// FIXME: bookmarks of another size go through a reload; a dataset answering a
// record's new place for its bookmark would serve every kind.
bool BookmarkKey(const TBookmark& Bookmark, std::uint64_t& Key)
{
    if (Bookmark.size() != sizeof Key)
        return false;
    std::memcpy(&Key, Bookmark.data(), sizeof Key);
    return true;
}

// Numbers[i]: the record whose key is Rows[i]; false when the rows and the
// records are not the same set. Keys close together (record ids) are matched
// through a table, others by sorting both sides.
bool MatchBookmarkKeys(const std::vector<std::uint64_t>& Rows, const std::vector<std::uint64_t>& Records,
                       std::vector<int>& Numbers)
{
    const std::size_t n = Rows.size();
    if (Records.size() != n)
        return false;
    Numbers.assign(n, -1);
    if (n == 0)
        return true;
    const auto [low, high] = std::minmax_element(Records.begin(), Records.end());
    const std::uint64_t first = *low, span = *high - *low;
    if (span < 4 * static_cast<std::uint64_t>(n) + 1024) {
        std::vector<int> recordAt(static_cast<std::size_t>(span) + 1, -1);
        for (std::size_t i = 0; i < n; ++i) {
            int& slot = recordAt[static_cast<std::size_t>(Records[i] - first)];
            if (slot >= 0)
                return false;
            slot = static_cast<int>(i);
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (Rows[i] < first || Rows[i] - first > span)
                return false;
            // Each record is taken once: two rows of one record fail.
            Numbers[i] = std::exchange(recordAt[static_cast<std::size_t>(Rows[i] - first)], -1);
            if (Numbers[i] < 0)
                return false;
        }
        return true;
    }
    std::vector<std::pair<std::uint64_t, int>> rows(n), records(n);
    for (std::size_t i = 0; i < n; ++i) {
        rows[i] = {Rows[i], static_cast<int>(i)};
        records[i] = {Records[i], static_cast<int>(i)};
    }
    std::sort(rows.begin(), rows.end());
    std::sort(records.begin(), records.end());
    for (std::size_t k = 0; k < n; ++k) {
        if (rows[k].first != records[k].first || (k > 0 && records[k].first == records[k - 1].first))
            return false;
        Numbers[static_cast<std::size_t>(rows[k].second)] = records[k].second;
    }
    return true;
}

// What changes below one parent of record rows (nullptr: the roots).
struct TRowsChange {
    TdxTreeListNode* Parent{nullptr};
    std::vector<TdxTreeListNode*> Kept;       // the present rows that stay, in their order
    std::vector<TdxTreeListNode*> Incoming;   // hidden rows coming back
    std::vector<std::size_t> Slots;           // their places in the hidden list
};

} // namespace

void TCustomdxDBGrid::RefilterNodes(TdxDBGridNode* Node)
{
    if (!IsAllRecordsMode() || !LinkActive() || IsControlLoading() || m_loading || m_destroying || RowsHeld())
        return;
    Keeping([this, Node] {
        if (Node) {
            if (Node->Owner() != this || Node->Count() > 0 || Node->GetIndex() < 0 || Node == m_insertNode)
                return;
            if (IsFilterActive())
                PrepareFilter();
            if (PassesFilter(Node))
                return;
        }
        // FIXME: a full reload where read rows hold a group value or a summarised field as text
        // only; reading those from the records, as rows not yet read are, would remove it.
        if (!RefilterRows(Node))
            ReloadRows();
    });
}

// What a refilter changes, found before anything changes.
struct TCustomdxDBGrid::TRefilterPlan {
    std::size_t Levels{0};
    std::vector<std::size_t> Back;   // hidden rows that now pass: their places in the hidden list
    std::vector<Variant> Values;     // their group values, Levels a row
    // The record rows in tree order, parent by parent; the walk order over
    // them (record number, index); which of them stay.
    std::vector<TdxTreeListNode*> Rows;
    std::vector<std::pair<int, std::size_t>> Walk;
    std::vector<char> Stays;
    std::vector<TRowsChange> Changes;   // one per parent whose rows change
    std::unordered_map<TdxTreeListNode*, std::size_t> ChangeOf;
    std::size_t Leaving{0};
    // The focused row, and the nearest rows around its record that stay.
    TdxTreeListNode* Focused{nullptr};
    TdxTreeListNode* StayingBefore{nullptr};
    TdxTreeListNode* StayingAfter{nullptr};
};

bool TCustomdxDBGrid::RefilterRows(TdxDBGridNode* Only)
{
    // Rows placed by their group values must hold them.
    if (!RowsHoldGroupColumns() || m_rowGroupColumns != m_groupColumns)
        return false;
    TdxPendingRowsReading reading(*this);
    TRefilterPlan plan;
    if (!PlanRefilter(Only, plan))
        return false;
    if (plan.Back.empty() && plan.Changes.empty())
        return true;   // the same rows show: nothing to recount

    // The recount reads every summarised field from the rows; a handler that
    // is given the dataset for every record's group summary expects it to
    // stand on that record, which only a walk does.
    if (OnGroupSummaryValue)
        return false;
    // Should a handler raise from here on, the summaries are not those of the
    // rows: the next refilter reloads.
    bool recounted = false;
    Finally unsure([&] {
        if (!recounted)
            ForgetRowsLoaded();
    });
    PrepareFooterSummaries();
    m_summaries->Prepare();
    if (!m_summaries->CanAddRowRecords())
        return false;
    ApplyRefilter(plan);
    if (!RecountRefiltered(plan))
        return false;
    recounted = true;
    if (!Only)
        RefocusAfterRefilter(plan);
    return true;
}

bool TCustomdxDBGrid::PlanRefilter(TdxDBGridNode* Only, TRefilterPlan& Plan)
{
    if (IsFilterActive())
        PrepareFilter();
    const std::size_t levels = Plan.Levels = m_groupColumns.size();

    // Hidden rows that now pass, with their group values.
    if (!Only)
        for (std::size_t i = 0; i < m_hiddenNodes.size(); ++i) {
            auto* row = AsGridNode(m_hiddenNodes[i].get());
            if (!PassesFilter(row))
                continue;
            Plan.Back.push_back(i);
            Plan.Values.resize(Plan.Values.size() + levels);
            if (!RowGroupValues(row, Plan.Values.data() + Plan.Values.size() - levels))
                return false;
        }

    // The record rows in tree order, parent by parent, tested in walk order:
    // that is the order rows and their records lie in memory in.
    std::vector<TdxTreeListNode*> parents;
    if (levels == 0)
        parents.push_back(nullptr);
    else
        for (TdxTreeListNode* n = GetItem(0); n; n = n->GetNext())
            if (n->Level() + 1 == static_cast<int>(levels) && n->Count() > 0)
                parents.push_back(n);
    std::vector<TdxTreeListNode*>& rows = Plan.Rows;
    std::vector<std::size_t> starts;
    for (TdxTreeListNode* parent : parents) {
        starts.push_back(rows.size());
        const int count = parent ? parent->Count() : GetCount();
        for (int i = 0; i < count; ++i)
            rows.push_back(parent ? parent->GetItem(i) : GetItem(i));
    }
    starts.push_back(rows.size());
    Plan.Walk.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        Plan.Walk.emplace_back(AsGridNode(rows[i])->RecordNumber, i);
    std::sort(Plan.Walk.begin(), Plan.Walk.end());
    // The row of a record being inserted is no loaded record: it stays.
    Plan.Stays.assign(rows.size(), 1);
    for (const auto& [number, i] : Plan.Walk)
        if ((!Only || rows[i] == Only) && rows[i] != m_insertNode)
            Plan.Stays[i] = PassesFilter(AsGridNode(rows[i]));

    // Which rows of each parent fail; the focused record (a group row stands
    // for its first) and the nearest rows around it that stay.
    Plan.Focused = GetFocusedNode();
    TdxTreeListNode* focusRow = Plan.Focused;
    while (focusRow && focusRow->Count() > 0)
        focusRow = focusRow->GetFirstChild();
    bool focusSeen = false;
    for (std::size_t p = 0; p < parents.size(); ++p) {
        std::vector<TdxTreeListNode*> kept;
        for (std::size_t i = starts[p]; i < starts[p + 1]; ++i) {
            const bool stays = Plan.Stays[i];
            if (rows[i] == focusRow)
                focusSeen = true;
            else if (stays && !focusSeen)
                Plan.StayingBefore = rows[i];
            else if (stays && !Plan.StayingAfter)
                Plan.StayingAfter = rows[i];
            if (stays)
                kept.push_back(rows[i]);
        }
        const std::size_t count = starts[p + 1] - starts[p];
        if (kept.size() == count)
            continue;
        Plan.Leaving += count - kept.size();
        Plan.ChangeOf.emplace(parents[p], Plan.Changes.size());
        Plan.Changes.push_back({parents[p], std::move(kept), {}, {}});
    }
    return true;
}

void TCustomdxDBGrid::ApplyRefilter(TRefilterPlan& Plan)
{
    const std::size_t levels = Plan.Levels;
    std::vector<TRowsChange>& changes = Plan.Changes;
    m_hiddenNodes.reserve(m_hiddenNodes.size() + Plan.Leaving);   // so taking rows in does not allocate
    bool done = false;
    TUpdateScope<TCustomdxTreeList> update(*this);
    // Group rows freed here are the grid's own doing, not rows gone behind its back.
    TValueRestorer<bool> loading(m_loading, true);
    // When a handler raises, a group row made for rows that never arrived
    // goes again, and rows not yet taken in stay hidden: none is lost.
    Finally rescue([&] {
        if (done)
            return;
        std::erase_if(m_hiddenNodes, [](const std::unique_ptr<TdxTreeListNode>& N) { return !N; });
        FreeChildlessGroupRows();
    });
    // The rows coming back, in walk order, find or make their group rows.
    const std::vector<std::size_t>& back = Plan.Back;
    std::vector<std::size_t> order(back.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::sort(order.begin(), order.end(), [&](std::size_t A, std::size_t B) {
        return InWalkOrder(m_hiddenNodes[back[A]].get(), m_hiddenNodes[back[B]].get());
    });
    for (std::size_t k : order) {
        auto* row = AsGridNode(m_hiddenNodes[back[k]].get());
        TdxTreeListNode* parent = GroupRowFor(row, Plan.Values.data() + k * levels);
        auto [it, added] = Plan.ChangeOf.emplace(parent, changes.size());
        if (added) {
            TRowsChange change{parent, {}, {}, {}};
            const int count = parent ? parent->Count() : GetCount();
            for (int i = 0; i < count; ++i)
                change.Kept.push_back(parent ? parent->GetItem(i) : GetItem(i));
            changes.push_back(std::move(change));
        }
        changes[it->second].Incoming.push_back(row);
        changes[it->second].Slots.push_back(back[k]);
    }

    // Each parent's rows anew: the staying ones with the returning ones in
    // their walk places. Under a sort the whole list goes into walk order
    // first, so the sort after the recount leaves equal rows as a load would.
    const bool sorted = HasNodeOrder();
    const std::size_t firstHidden = m_hiddenNodes.size();
    std::vector<TdxTreeListNode*> emptied;
    for (TRowsChange& change : changes) {
        std::vector<TdxTreeListNode*> rows;
        rows.reserve(change.Kept.size() + change.Incoming.size());
        if (sorted) {
            rows = change.Kept;
            rows.insert(rows.end(), change.Incoming.begin(), change.Incoming.end());
            std::stable_sort(rows.begin(), rows.end(), InWalkOrder);
        } else {
            std::merge(change.Kept.begin(), change.Kept.end(), change.Incoming.begin(), change.Incoming.end(),
                       std::back_inserter(rows), InWalkOrder);
        }
        for (std::size_t slot : change.Slots)
            m_hiddenNodes[slot].release();   // the tree owns them from here
        ReplaceChildren(change.Parent, rows, m_hiddenNodes);
        if (rows.empty() && change.Parent)
            emptied.push_back(change.Parent);
    }
    for (TdxTreeListNode* g : emptied)
        FreeEmptyGroupNodes(g);
    // Nothing refers to a hidden row: a bookmark-keyed selection forgets it too.
    if (IsBookmarkSelection() && SelectedBookmarkCount() > 0) {
        std::vector<TBookmark> marks;
        for (std::size_t i = firstHidden; i < m_hiddenNodes.size(); ++i)
            marks.push_back(AsGridNode(m_hiddenNodes[i].get())->Bookmark);
        RemoveSelectedBookmarks(std::move(marks));
    }
    std::erase_if(m_hiddenNodes, [](const std::unique_ptr<TdxTreeListNode>& N) { return !N; });
    // Kept in walk order, so the next refilter reads them in memory order too.
    if (m_hiddenNodes.size() > firstHidden - back.size())
        std::sort(m_hiddenNodes.begin(), m_hiddenNodes.end(),
                  [](const auto& A, const auto& B) { return InWalkOrder(A.get(), B.get()); });
    InvalidateRowIndexes();
    if (sorted)
        RestoreLoadOrder(nullptr, 0);
    done = true;
}

int TCustomdxDBGrid::RestoreLoadOrder(TdxTreeListNode* Parent, std::size_t Level, bool RecordsInOrder)
{
    // A group row stands for the first record below it as a load leaves the
    // lists before sorting: record rows in walk order, and group rows ordered
    // by summary in the order of their first records (the others by value, as
    // they are). The sort of FinishRows then orders them as a load does.
    const std::size_t levels = m_groupColumns.size();
    const int count = Parent ? Parent->Count() : GetCount();
    if (RecordsInOrder && Level >= levels)
        return count > 0 ? AsGridNode(Parent ? Parent->GetItem(0) : GetItem(0))->RecordNumber
                         : std::numeric_limits<int>::max();
    std::vector<std::pair<int, TdxTreeListNode*>> items;
    items.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        TdxTreeListNode* n = Parent ? Parent->GetItem(i) : GetItem(i);
        items.emplace_back(
            Level < levels ? RestoreLoadOrder(n, Level + 1, RecordsInOrder) : AsGridNode(n)->RecordNumber, n);
    }
    if (Level >= levels || m_groupColumns[Level]->SortBySummary()) {
        std::stable_sort(items.begin(), items.end(), [](const auto& A, const auto& B) { return A.first < B.first; });
        std::vector<TdxTreeListNode*> nodes;
        nodes.reserve(items.size());
        for (const auto& item : items)
            nodes.push_back(item.second);
        ReplaceChildren(Parent, nodes, m_hiddenNodes);
    }
    int first = std::numeric_limits<int>::max();
    for (const auto& item : items)
        first = std::min(first, item.first);
    return first;
}

bool TCustomdxDBGrid::ReorderRows()
{
    TDataSet* ds = DataSet();
    if (!m_rowsLoaded || !IsAllRecordsMode() || !ds || !ds->Active() || ds->State() != dsBrowse || m_insertNode ||
        ds->ContentVersion() != m_rowsContent || !CanLoadThroughReader() || m_rowGroupColumns != m_groupColumns ||
        OnGroupSummaryValue)
        return false;
    // Calculated and lookup fields read other data, which may have changed meanwhile.
    for (int i = 0; i < GetColumnCount(); ++i)
        if (TdxDBTreeListColumn* c = GetColumn(i); c && c->GetField() && c->GetField()->FieldKind() != fkData)
            return false;

    // Every record row, shown or hidden, with its bookmark's key and (shown) its parent.
    std::vector<TdxDBGridNode*> rows;
    std::vector<std::uint64_t> rowMarks;
    std::vector<TdxTreeListNode*> parents;
    std::uint64_t key = 0;
    for (TdxTreeListNode* n = GetItem(0); n; n = n->GetNext())
        if (!IsGroupRow(n)) {
            if (!BookmarkKey(AsGridNode(n)->Bookmark, key))
                return false;
            rows.push_back(AsGridNode(n));
            rowMarks.push_back(key);
            parents.push_back(n->Parent());
        }
    const std::size_t shownRows = rows.size();
    for (const auto& h : m_hiddenNodes) {
        if (!BookmarkKey(AsGridNode(h.get())->Bookmark, key))
            return false;
        rows.push_back(AsGridNode(h.get()));
        rowMarks.push_back(key);
    }
    const std::unique_ptr<TRecordReader> reader = ds->CreateRecordReader();
    if (reader->Count() != static_cast<int>(rows.size()))
        return false;
    std::vector<std::uint64_t> recordMarks(rows.size());
    for (int i = 0; i < reader->Count(); ++i)
        if (!BookmarkKey(reader->Bookmark(reader->Handle(i)), recordMarks[static_cast<std::size_t>(i)]))
            return false;
    std::vector<int> numbers;
    if (!MatchBookmarkKeys(rowMarks, recordMarks, numbers))
        return false;   // not the same records: nothing has changed yet
    // As a reload leaves them: numbered by the new walk, and read again from
    // the record when next shown (an edit cancelled since
    // may have written a row).
    std::vector<std::size_t> byNumber(rows.size());
    for (std::size_t k = 0; k < rows.size(); ++k) {
        TdxDBGridNode* row = rows[k];
        row->RecordNumber = numbers[k];
        byNumber[static_cast<std::size_t>(numbers[k])] = k;
        row->SetValuesPending(true);
    }

    // Should a handler raise from here on, the next operation reloads.
    bool done = false;
    Finally unsure([&] {
        if (!done)
            ForgetRowsLoaded();
    });
    TUpdateScope<TCustomdxTreeList> update(*this);
    TValueRestorer<bool> loading(m_loading, true);
    TdxPendingRowsReading reading(*this);
    std::sort(m_hiddenNodes.begin(), m_hiddenNodes.end(),
              [](const auto& A, const auto& B) { return InWalkOrder(A.get(), B.get()); });
    InvalidateRowIndexes();
    // Each shown row into its parent's list in the new walk order, in one
    // pass; the group rows then ordered as a load leaves them.
    std::unordered_map<TdxTreeListNode*, std::size_t> listOf;
    std::vector<std::pair<TdxTreeListNode*, std::vector<TdxTreeListNode*>>> lists;
    for (const std::size_t k : byNumber) {
        if (k >= shownRows)
            continue;
        const auto [at, added] = listOf.try_emplace(parents[k], lists.size());
        if (added)
            lists.emplace_back(parents[k], std::vector<TdxTreeListNode*>());
        lists[at->second].second.push_back(rows[k]);
    }
    for (const auto& [parent, list] : lists)
        ReplaceChildren(parent, list, m_hiddenNodes);
    if (!m_groupColumns.empty())
        RestoreLoadOrder(nullptr, 0, true);
    // The selection as a reload leaves it: rows marked again by their records' bookmarks.
    ClearRowSelection();
    PurgeSelectedBookmarks();
    if (IsBookmarkSelection() && SelectedBookmarkCount() > 0)
        for (const std::size_t k : byNumber)
            if (k < shownRows && IsBookmarkSelected(rows[k]->Bookmark))
                SelectNode(rows[k], true);
    // A group's summaries hold the same records in another order: the handlers
    // are told, as after a load, and the rows sorted.
    DoBeforeCalcSummary();
    FinishGroupNodes();
    FinishRowOrder();
    done = true;
    return true;
}

bool TCustomdxDBGrid::RecountRefiltered(const TRefilterPlan& Plan)
{
    // The summaries and the count as a load gives them: every record row that
    // shows, in walk order.
    std::vector<TdxTreeListNode*> staying, incoming, shown;
    staying.reserve(Plan.Walk.size());
    for (const auto& [number, i] : Plan.Walk)
        if (Plan.Stays[i] && Plan.Rows[i] != m_insertNode)
            staying.push_back(Plan.Rows[i]);
    for (const TRowsChange& change : Plan.Changes)
        incoming.insert(incoming.end(), change.Incoming.begin(), change.Incoming.end());
    std::sort(incoming.begin(), incoming.end(), InWalkOrder);
    shown.reserve(staying.size() + incoming.size());
    std::merge(staying.begin(), staying.end(), incoming.begin(), incoming.end(), std::back_inserter(shown),
               InWalkOrder);
    DoBeforeCalcSummary();
    for (TdxTreeListNode* n : shown)
        if (!m_summaries->AddRowRecord(AsGridNode(n)))
            return false;
    m_loadedRecordCount = static_cast<int>(shown.size());
    FinishRows(false);
    return true;
}

void TCustomdxDBGrid::RefocusAfterRefilter(const TRefilterPlan& Plan)
{
    // The focus stays on its row while that shows; else the nearest row that
    // stays takes it, and the dataset follows unless it is editing.
    SetTopIndex(0);
    if (Plan.Focused && !GetFocusedNode()) {
        TdxTreeListNode* target = Plan.StayingAfter ? Plan.StayingAfter : Plan.StayingBefore;
        if (!target)
            target = GetItem(0);
        while (target && target->Parent() && !target->IsVisible())
            target = target->Parent();
        if (target) {
            TDataSet* ds = DataSet();
            TValueRestorer<bool> following(m_following, m_following || !ds || ds->State() != dsBrowse);
            SetFocusedNode(target);
        }
    }
    if (TdxTreeListNode* f = GetFocusedNode(); f && f->IsVisible())
        f->MakeVisible();
}

} // namespace qel
