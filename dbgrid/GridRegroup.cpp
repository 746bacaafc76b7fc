// Regrouping the loaded rows without walking the dataset (egoSmartReload).
// When a group column is added or removed, every record row is placed anew
// under group rows found or made from the values it holds, so the dataset is
// neither moved nor is its pending edit posted or cancelled. The rows must
// hold every record with the group columns' values: rows of a window or of
// the record buffer, or a group column added or re-bound since the last
// walk, need that walk instead. Rows whose values are still pending (loaded
// in bulk, read on first use) are read from their records through a record
// reader, so regrouping does not fill them.
#include "dbgrid/DBGrid.h"

#include "dbgrid/DBTreeListTypedColumns.h"
#include "platform/core/Guards.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"

#include <algorithm>
#include <memory>
#include <typeinfo>
#include <utility>
#include <vector>

namespace qel {

namespace {

TdxDBGridNode* AsGridNode(TdxTreeListNode* Node)
{
    return static_cast<TdxDBGridNode*>(Node);
}

// A record row waiting for its place, owned here while it is out of the tree.
struct TWaitingRow {
    TdxDBGridNode* Row;
    std::unique_ptr<TdxTreeListNode> Node;
    bool Selected{false};
};

} // namespace

std::vector<TCustomdxDBGrid::TExpandedGroup> TCustomdxDBGrid::ExpandedGroups(TdxTreeListNode* Parent, int Level,
                                                                             int Levels) const
{
    std::vector<TExpandedGroup> out;
    if (Level >= Levels)
        return out;
    const int count = Parent ? Parent->Count() : GetCount();
    for (int i = 0; i < count; ++i) {
        TdxTreeListNode* n = Parent ? Parent->GetItem(i) : GetItem(i);
        if (n->Count() > 0 && n->Expanded())
            out.push_back({AsGridNode(n)->GroupValue(), ExpandedGroups(n, Level + 1, Levels)});
    }
    return out;
}

void TCustomdxDBGrid::ExpandGroups(TdxTreeListNode* Parent, int Level, const std::vector<TExpandedGroup>& Groups)
{
    for (const TExpandedGroup& g : Groups) {
        TdxTreeListNode* node = nullptr;
        if (!FindGroupNode(Parent, Level, g.Value, node) || !node)
            continue;
        node->SetExpanded(true);
        ExpandGroups(node, Level + 1, g.Children);
    }
}

void TCustomdxDBGrid::NoteRowsLoaded()
{
    m_rowFields.clear();
    for (int i = 0; i < GetColumnCount(); ++i) {
        TdxDBTreeListColumn* c = GetColumn(i);
        m_rowFields.emplace_back(c, c ? c->GetField() : nullptr);
    }
    m_rowGroupColumns = m_groupColumns;
    m_rowsContent = DataSet() ? DataSet()->ContentVersion() : 0;
    m_rowsLoaded = true;
}

Variant TCustomdxDBGrid::GetNodeValue(const TdxTreeListNode* Node, int Column) const
{
    if (m_pendingReading && Node && Node->Owner() == this) {
        auto* row = AsGridNode(const_cast<TdxTreeListNode*>(Node));
        if (m_pendingReading->Reads(row)) {
            if (TdxDBTreeListColumn* c = m_pendingReading->BoundColumn(Column))
                return m_pendingReading->CellValue(c);
            return Variant(std::string());   // a filled row holds nothing for the column
        }
    }
    return TCustomdxDBTreeListControl::GetNodeValue(Node, Column);
}

void TCustomdxDBGrid::SortNodes()
{
    // Rows not yet read are ordered by their records' values and stay unread.
    TdxPendingRowsReading reading(*this);
    TCustomdxDBTreeListControl::SortNodes();
}

std::string TCustomdxDBGrid::GetNodeString(const TdxTreeListNode* Node, int Column) const
{
    if (m_pendingReading && Node && Node->Owner() == this) {
        auto* row = AsGridNode(const_cast<TdxTreeListNode*>(Node));
        if (m_pendingReading->Reads(row)) {
            // A filled row holds texts of the columns bound to a field only.
            std::string text;
            if (TdxDBTreeListColumn* c = m_pendingReading->BoundColumn(Column))
                m_pendingReading->ColumnText(c, text);
            return text;
        }
    }
    return TCustomdxDBTreeListControl::GetNodeString(Node, Column);
}

std::string_view TCustomdxDBGrid::NodeText(const TdxTreeListNode* Node, int Column, std::string& Scratch) const
{
    // Only where GetNodeString is this class's own: a derived grid may give other texts.
    const bool own = typeid(*this) == typeid(TdxDBGrid) || typeid(*this) == typeid(TCustomdxDBGrid);
    if (own && m_pendingReading && Node && Node->Owner() == this) {
        auto* row = AsGridNode(const_cast<TdxTreeListNode*>(Node));
        if (m_pendingReading->Reads(row)) {
            TdxDBTreeListColumn* c = m_pendingReading->BoundColumn(Column);
            return c ? m_pendingReading->ColumnTextView(c, Scratch) : std::string_view();
        }
    }
    Scratch = Node->GetString(Column);
    return Scratch;
}

bool TCustomdxDBGrid::SmartReloadApplies() const
{
    // All-records mode only: a window or the record buffer holds only some records.
    if (!m_options.Contains(egoSmartReload) || !m_regroupRequested || !m_rowsLoaded || !IsAllRecordsMode() ||
        !LinkActive())
        return false;
    return RowsHoldGroupColumns();
}

bool TCustomdxDBGrid::RowsHoldGroupColumns() const
{
    return m_rowsLoaded && std::all_of(m_groupColumns.begin(), m_groupColumns.end(), [this](TdxDBTreeListColumn* G) {
        const int index = G->GetColumnIndex();
        return index >= 0 && index < static_cast<int>(m_rowFields.size()) && G->GetField() &&
               m_rowFields[static_cast<std::size_t>(index)] == std::make_pair(G, G->GetField());
    });
}

bool TCustomdxDBGrid::RowsHoldField(const TField* Field) const
{
    return m_rowsLoaded && Field &&
           std::any_of(m_rowFields.begin(), m_rowFields.end(), [Field](const auto& Bound) {
               return Bound.second == Field && Bound.first && Bound.first->GetField() == Field;
           });
}

bool TCustomdxDBGrid::RowGroupValues(const TdxDBGridNode* Row, Variant* Values) const
{
    const TdxHeldRowSource held(*this, Row);
    for (std::size_t l = 0; l < m_groupColumns.size(); ++l)
        if (!held.ColumnValue(m_groupColumns[l]->GetColumnIndex(), Values[l]))
            return false;
    return true;
}

TdxTreeListNode* TCustomdxDBGrid::GroupRowFor(TdxDBGridNode* Row, const Variant* Values)
{
    TdxTreeListNode* parent = nullptr;
    for (std::size_t l = 0; l < m_groupColumns.size(); ++l) {
        TdxTreeListNode* found = nullptr;
        if (FindGroupNode(parent, static_cast<int>(l), Values[l], found)) {
            parent = found;
            continue;
        }
        TdxDBGridNode* g = NewNodeAt(parent, found);
        g->SetGroupValue(Values[l]);
        g->RecordNumber = Row->RecordNumber;
        g->Bookmark = Row->Bookmark;
        CopyGroupColumnValue(Row, g, m_groupColumns[l]);
        DoRefreshNodeData(g);
        parent = g;
    }
    return parent;
}

// The record rows a regrouping places, and their group values.
struct TCustomdxDBGrid::TRegroupPlan {
    // The rows in tree order, then the hidden ones; the order of the walk they
    // will be placed in (record number, index), so equal sort keys end up as a
    // walk leaves them.
    std::vector<TWaitingRow> Rows;
    std::size_t TreeRows{0};
    std::vector<std::pair<int, std::size_t>> Order;
    // Values[k * levels + l]: the k-th row in order's value of level l.
    std::vector<Variant> Values;
};

bool TCustomdxDBGrid::RegroupRows(std::vector<TdxDBGridNode*>* OldNodes)
{
    TdxPendingRowsReading reading(*this);
    TRegroupPlan plan;
    if (!PlanRegroup(plan)) {
        if (!OldNodes)
            ClearRows();
        return false;
    }
    PurgeSelectedBookmarks();
    BindPreviewField();
    m_summaries->Prepare(true);
    m_focusKey = Variant();

    // The focused record (a group row stands for its first record).
    TdxTreeListNode* focusRow = GetFocusedNode();
    while (focusRow && focusRow->Count() > 0)
        focusRow = focusRow->GetFirstChild();
    // Group rows of the leading levels that stay the same keep their expanded state.
    std::size_t kept = 0;
    while (kept < m_rowGroupColumns.size() && kept < m_groupColumns.size() &&
           m_rowGroupColumns[kept] == m_groupColumns[kept])
        ++kept;
    PlaceRegroupedRows(plan, ExpandedGroups(nullptr, 0, static_cast<int>(kept)));
    // A hidden row has no index.
    if (focusRow && focusRow->GetIndex() >= 0) {
        TdxTreeListNode* target = focusRow;
        while (target->Parent() && !target->IsVisible())
            target = target->Parent();
        TValueRestorer<bool> following(m_following, true);
        SetFocusedNode(target);
    }
    return true;
}

bool TCustomdxDBGrid::PlanRegroup(TRegroupPlan& Plan)
{
    // The order is sorted as plain numbers: the rows lie in memory (and their
    // records in the dataset) in walk order, so every later pass but the
    // detaching follows it.
    for (TdxTreeListNode* n = GetItem(0); n; n = n->GetNext())
        if (n->Count() == 0) {
            Plan.Order.emplace_back(AsGridNode(n)->RecordNumber, Plan.Rows.size());
            Plan.Rows.push_back({AsGridNode(n), nullptr, n->Selected()});
        }
    Plan.TreeRows = Plan.Rows.size();
    for (const auto& h : m_hiddenNodes) {
        Plan.Order.emplace_back(AsGridNode(h.get())->RecordNumber, Plan.Rows.size());
        Plan.Rows.push_back({AsGridNode(h.get()), nullptr, false});
    }
    std::sort(Plan.Order.begin(), Plan.Order.end());
    // Every row's group values before anything changes: a row that holds none
    // leaves everything as it was.
    const auto levels = static_cast<std::size_t>(GroupColumnCount());
    Plan.Values.assign(Plan.Rows.size() * levels, Variant::Null());
    for (std::size_t k = 0; k < Plan.Order.size(); ++k)
        // FIXME: a read row that holds its group value as text only sends the regrouping to a
        // walk; reading that value from its record, as rows not yet read are, would remove it.
        if (!RowGroupValues(Plan.Rows[Plan.Order[k].second].Row, Plan.Values.data() + k * levels))
            return false;
    return true;
}

void TCustomdxDBGrid::PlaceRegroupedRows(TRegroupPlan& Plan, const std::vector<TExpandedGroup>& Expanded)
{
    std::vector<TWaitingRow>& rows = Plan.Rows;
    const auto levels = static_cast<std::size_t>(GroupColumnCount());
    const int previousCount = m_loadedRecordCount;
    bool done = false;
    // A row not placed when something raises is kept with the hidden rows, a
    // group row left without rows goes, and the next load walks the dataset:
    // no row is lost.
    m_hiddenNodes.reserve(rows.size());   // so the rescue does not allocate
    Finally rescue([&] {
        if (done)
            return;
        for (TWaitingRow& r : rows)
            if (r.Node)
                m_hiddenNodes.push_back(std::move(r.Node));
        FreeChildlessGroupRows();
        m_rowsLoaded = false;
    });
    TUpdateScope<TCustomdxTreeList> update(*this);
    TValueRestorer<bool> keepBookmarks(m_keepBookmarks, true);
    // From the last row back, so each row leaves the end of its parent's list.
    for (std::size_t i = Plan.TreeRows; i-- > 0;) {
        TdxTreeListNode* n = rows[i].Row;
        n->GetIndex();   // renumbers the siblings once if needed
        n->Detach();
        rows[i].Node.reset(n);
    }
    ClearNodes();   // the group rows, now empty
    for (std::size_t i = Plan.TreeRows; i < rows.size(); ++i)
        rows[i].Node = std::move(m_hiddenNodes[i - Plan.TreeRows]);
    m_hiddenNodes.clear();

    DoClearNodeData();
    DoBeforeCalcSummary();
    if (IsFilterActive())
        PrepareFilter();
    const bool checkBookmarks = IsBookmarkSelection() && SelectedBookmarkCount() > 0;
    int passed = 0;
    for (std::size_t k = 0; k < Plan.Order.size(); ++k) {
        TWaitingRow& r = rows[Plan.Order[k].second];
        TdxDBGridNode* node = r.Row;
        // The row of a record being inserted stays whatever its values; it is
        // no loaded record, so it is neither counted nor summarised.
        const bool inserting = node == m_insertNode;
        if (!inserting && !PassesFilter(node)) {
            m_hiddenNodes.push_back(std::move(r.Node));
            continue;
        }
        TdxTreeListNode* parent = GroupRowFor(node, Plan.Values.data() + k * levels);
        node->SetGroupValue(Variant::Null());
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
    FinishRows(true);
    CallOut([&] { ExpandGroups(nullptr, 0, Expanded); });   // expanding runs the user's events
    m_rowGroupColumns = m_groupColumns;
    done = true;
}

void TCustomdxDBGrid::FreeChildlessGroupRows()
{
    std::vector<TdxTreeListNode*> empty;
    for (TdxTreeListNode* n = GetItem(0); n; n = n->GetNext())
        if (n->Count() == 0 && n->Level() < GroupColumnCount())
            empty.push_back(n);
    for (auto it = empty.rbegin(); it != empty.rend(); ++it)
        FreeEmptyGroupNodes(*it);
}

void TCustomdxDBGrid::CopyGroupColumnValue(TdxDBGridNode* Row, TdxDBGridNode* Group, TdxDBTreeListColumn* Column)
{
    // A row whose values are pending stays so: its record is shown to the
    // column as a walk does. Otherwise the row's own value and text are taken.
    TDataSet* ds = DataSet();
    if (Row->ValuesPending() && ds && TRecordView::CanShow(*ds, Row->Bookmark)) {
        TRecordView view(*ds, Row->Bookmark);
        LoadColumnValue(Group, Column);
        return;
    }
    const int index = Column->GetColumnIndex();
    Group->SetVariantData(index, Row->GetVariantData(index));
    SetNodeString(Group, index, GetNodeString(Row, index));
}

} // namespace qel
