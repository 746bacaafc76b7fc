// Regrouping the loaded rows without walking the dataset (egoSmartReload).
// When a group column is added or removed, every record row is placed anew
// under group rows found or made from the values it was loaded with, so the
// dataset is neither moved nor is its pending edit posted or cancelled. The
// rows must hold every record with the group columns' values: rows of a
// window or of the record buffer, or a group column added or re-bound since
// the last walk, need that walk instead.
#include "dbgrid/DBGrid.h"

#include "dbgrid/DBTreeListTypedColumns.h"
#include "platform/core/Guards.h"
#include "platform/data/Field.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace qel {

namespace {

TdxDBGridNode* AsGridNode(TdxTreeListNode* Node)
{
    return static_cast<TdxDBGridNode*>(Node);
}

// A plain column of a text field shows the field's value as its text (an
// empty text being Null: text fields hold no empty strings), so the row's
// text stands in for the value the row does not keep.
bool TextIsValue(const TdxDBTreeListColumn* Column)
{
    const TField* f = Column->GetField();
    if (!f || dynamic_cast<const TdxDBTreeListWrapperColumn*>(Column))
        return false;
    const TFieldType t = f->DataType();
    return t == ftString || t == ftFixedChar || t == ftWideString;
}

// An expanded group row of a grouping level that stays, with its expanded
// group rows below.
struct TExpandedGroup {
    Variant Value;
    std::vector<TExpandedGroup> Children;
};

std::vector<TExpandedGroup> CollectExpanded(const TCustomdxDBGrid& Grid, TdxTreeListNode* Parent, int Level,
                                            int Levels)
{
    std::vector<TExpandedGroup> out;
    if (Level >= Levels)
        return out;
    const int count = Parent ? Parent->Count() : Grid.GetCount();
    for (int i = 0; i < count; ++i) {
        TdxTreeListNode* n = Parent ? Parent->GetItem(i) : Grid.GetItem(i);
        if (n->Count() > 0 && n->Expanded())
            out.push_back({AsGridNode(n)->GroupValue, CollectExpanded(Grid, n, Level + 1, Levels)});
    }
    return out;
}

void RestoreExpanded(const TCustomdxDBGrid& Grid, TdxTreeListNode* Parent, int Level,
                     const std::vector<TExpandedGroup>& Groups)
{
    for (const TExpandedGroup& g : Groups) {
        TdxTreeListNode* node = nullptr;
        if (!Grid.FindGroupNode(Parent, Level, g.Value, node) || !node)
            continue;
        node->SetExpanded(true);
        RestoreExpanded(Grid, node, Level + 1, g.Children);
    }
}

// A record row taken out of the tree (or the hidden list) while it waits for its place.
struct TWaitingRow {
    std::unique_ptr<TdxTreeListNode> Node;
    bool Selected{false};
};

} // namespace

void TCustomdxDBGrid::NoteRowsLoaded()
{
    m_rowFields.clear();
    for (int i = 0; i < GetColumnCount(); ++i) {
        TdxDBTreeListColumn* c = GetColumn(i);
        m_rowFields.emplace_back(c, c ? c->GetField() : nullptr);
    }
    m_rowGroupColumns = m_groupColumns;
    m_rowsLoaded = true;
}

bool TCustomdxDBGrid::RowColumnValue(const TdxDBGridNode* Row, int Column, Variant& Value) const
{
    TdxDBTreeListColumn* c = GetColumn(Column);
    if (!Row || !m_rowsLoaded || !c || !c->GetField() || Column >= static_cast<int>(m_rowFields.size()) ||
        m_rowFields[static_cast<std::size_t>(Column)] != std::make_pair(c, c->GetField()))
        return false;
    if (const Variant* v = Row->StoredValue(Column)) {
        Value = *v;
        return true;
    }
    if (!TextIsValue(c))
        return false;
    const std::string text = GetNodeString(Row, Column);
    Value = text.empty() ? Variant::Null() : Variant(text);
    return true;
}

bool TCustomdxDBGrid::RowFieldValue(const TdxDBGridNode* Row, const TField* Field, Variant& Value) const
{
    if (!Field)
        return false;
    for (std::size_t i = 0; i < m_rowFields.size(); ++i)
        if (m_rowFields[i].second == Field && RowColumnValue(Row, static_cast<int>(i), Value))
            return true;
    return false;
}

bool TCustomdxDBGrid::SmartReloadApplies() const
{
    // All-records mode only: a window or the record buffer holds only some records.
    if (!m_options.Contains(egoSmartReload) || !m_regroupRequested || !m_rowsLoaded || !IsAllRecordsMode() ||
        !LinkActive())
        return false;
    std::vector<int> stored;   // group columns whose value is kept per row (not a text)
    for (TdxDBTreeListColumn* g : m_groupColumns) {
        const int index = g->GetColumnIndex();
        if (index < 0 || index >= static_cast<int>(m_rowFields.size()) || !g->GetField() ||
            m_rowFields[static_cast<std::size_t>(index)] != std::make_pair(g, g->GetField()))
            return false;
        if (!TextIsValue(g))
            stored.push_back(index);
    }
    if (stored.empty())
        return true;
    auto holds = [&](const TdxTreeListNode* Row) {
        auto* r = static_cast<const TdxDBGridNode*>(Row);
        return std::all_of(stored.begin(), stored.end(), [r](int I) { return r->StoredValue(I) != nullptr; });
    };
    for (TdxTreeListNode* n = GetItem(0); n; n = n->GetNext())
        if (n->Count() == 0 && !holds(n))
            return false;
    return std::all_of(m_hiddenNodes.begin(), m_hiddenNodes.end(), [&](const auto& N) { return holds(N.get()); });
}

void TCustomdxDBGrid::RegroupRows()
{
    PurgeSelectedBookmarks();
    BindPreviewField();
    m_summaries->Prepare(true);
    m_focusKey = Variant();
    const int previousCount = m_loadedRecordCount;

    // The focused record (a group row stands for its first record).
    TdxTreeListNode* focusRow = GetFocusedNode();
    while (focusRow && focusRow->Count() > 0)
        focusRow = focusRow->GetFirstChild();
    // Group rows of the leading levels that stay the same keep their expanded state.
    std::size_t kept = 0;
    while (kept < m_rowGroupColumns.size() && kept < m_groupColumns.size() &&
           m_rowGroupColumns[kept] == m_groupColumns[kept])
        ++kept;
    const std::vector<TExpandedGroup> expanded = CollectExpanded(*this, nullptr, 0, static_cast<int>(kept));

    std::vector<TWaitingRow> rows;
    bool done = false;
    // A row not placed when something raises is kept with the hidden rows, a
    // group row left without rows goes, and the next load walks the dataset:
    // no row is lost.
    Finally rescue([&] {
        if (done)
            return;
        for (TWaitingRow& r : rows)
            if (r.Node)
                m_hiddenNodes.push_back(std::move(r.Node));
        std::vector<TdxTreeListNode*> empty;
        for (TdxTreeListNode* n = GetItem(0); n; n = n->GetNext())
            if (n->Count() == 0 && n->Level() < GroupColumnCount())
                empty.push_back(n);
        for (auto it = empty.rbegin(); it != empty.rend(); ++it)
            FreeEmptyGroupNodes(*it);
        m_rowsLoaded = false;
    });
    {
        TUpdateScope<TCustomdxTreeList> update(*this);
        TValueRestorer<bool> keepBookmarks(m_keepBookmarks, true);
        std::vector<TdxTreeListNode*> leaves;
        for (TdxTreeListNode* n = GetItem(0); n; n = n->GetNext())
            if (n->Count() == 0)
                leaves.push_back(n);
        rows.reserve(leaves.size() + m_hiddenNodes.size());
        m_hiddenNodes.reserve(rows.capacity());   // the rescue above does not allocate
        // From the last row back, so each row leaves the end of its parent's list.
        for (auto it = leaves.rbegin(); it != leaves.rend(); ++it) {
            TdxTreeListNode* n = *it;
            const bool selected = n->Selected();
            n->GetIndex();   // renumbers the siblings once if needed
            n->Detach();
            rows.push_back({std::unique_ptr<TdxTreeListNode>(n), selected});
        }
        std::reverse(rows.begin(), rows.end());
        ClearNodes();   // the group rows, now empty
        for (auto& h : m_hiddenNodes)
            rows.push_back({std::move(h), false});
        m_hiddenNodes.clear();
        // The order of the walk, so equal sort keys end up as a walk leaves them.
        std::stable_sort(rows.begin(), rows.end(), [](const TWaitingRow& A, const TWaitingRow& B) {
            return AsGridNode(A.Node.get())->RecordNumber < AsGridNode(B.Node.get())->RecordNumber;
        });

        DoClearNodeData();
        DoBeforeCalcSummary();
        if (IsFilterActive())
            PrepareFilter();
        const bool checkBookmarks = IsBookmarkSelection() && SelectedBookmarkCount() > 0;
        int passed = 0;
        for (TWaitingRow& r : rows) {
            TdxDBGridNode* node = AsGridNode(r.Node.get());
            // The row of a record being inserted stays whatever its values; it is
            // no loaded record, so it is neither counted nor summarised.
            const bool inserting = node == m_insertNode;
            if (!inserting && !IsNodePassingFilter(node)) {
                m_hiddenNodes.push_back(std::move(r.Node));
                continue;
            }
            TdxTreeListNode* parent = nullptr;
            for (int level = 0; level < GroupColumnCount(); ++level) {
                TdxDBTreeListColumn* column = m_groupColumns[static_cast<std::size_t>(level)];
                const int index = column->GetColumnIndex();
                Variant value = Variant::Null();
                RowColumnValue(node, index, value);
                TdxTreeListNode* found = nullptr;
                if (FindGroupNode(parent, level, value, found)) {
                    parent = found;
                    continue;
                }
                TdxDBGridNode* g = NewNodeAt(parent, found);
                g->GroupValue = value;
                g->Key = node->Key;
                g->RecordNumber = node->RecordNumber;
                g->Bookmark = node->Bookmark;
                g->SetVariantData(index, node->GetVariantData(index));
                SetNodeString(g, index, GetNodeString(node, index));
                DoRefreshNodeData(g);
                parent = g;
            }
            node->GroupValue = Variant::Null();
            node->AttachTo(parent, nullptr);
            r.Node.release();
            if (inserting)
                continue;
            ++passed;
            m_summaries->AddStoredRecord(node);
            if (IsBookmarkSelection() ? checkBookmarks && IsBookmarkSelected(node->Bookmark) : r.Selected)
                SelectNode(node, true);
        }
        rows.clear();
        // No record was walked: the count is what passed the filter, or what
        // the last walk counted when no filter applies.
        m_loadedRecordCount = IsFilterActive() ? passed : previousCount;
        FinishGroupNodes();
        m_summaries->Finish(m_loadedRecordCount, true);
        if (OnCalcSummary)
            OnCalcSummary(this);
        ApplySortingRule();
        SortNodes();
        m_keyIndexValid = false;
        m_keyScanned = false;
        RestoreExpanded(*this, nullptr, 0, expanded);
        m_rowGroupColumns = m_groupColumns;
        done = true;
    }
    // A hidden row has no index.
    if (focusRow && focusRow->GetIndex() >= 0) {
        TdxTreeListNode* target = focusRow;
        while (target->Parent() && !target->IsVisible())
            target = target->Parent();
        TValueRestorer<bool> following(m_following, true);
        SetFocusedNode(target);
    }
}

} // namespace qel
