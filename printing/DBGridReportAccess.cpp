#include "printing/DBGridReportAccess.h"

#include "platform/data/DataSet.h"

namespace qel {

TdxDBTreeListReportAccess::TdxDBTreeListReportAccess(TCustomdxDBTreeListControl* Control)
    : TdxTreeListReportAccess(Control), m_dbControl(Control)
{
}

// ----- selection ------------------------------------------------------------------------------------------

int TdxDBTreeListReportAccess::SelectedCount()
{
    int count = m_dbControl->GetSelectedCount();
    if (m_dbControl->IsBookmarkSelection())
        count += m_dbControl->SelectedBookmarkCount();
    return count;
}

bool TdxDBTreeListReportAccess::IsNodeSelected(TdxTreeListNode* Node)
{
    if (Node->Selected())
        return true;
    if (!m_dbControl->IsBookmarkSelection() || m_dbControl->IsGroupRow(Node))
        return false;
    const TBookmark bookmark = m_dbControl->NodeBookmark(Node);
    return !bookmark.empty() && m_dbControl->IsBookmarkSelected(bookmark);
}

// ----- identities -----------------------------------------------------------------------------------------

void TdxDBTreeListReportAccess::BeginBuild()
{
    m_building.clear();
    m_lastNode = nullptr;
    m_lastIdentity = 0;
}

void TdxDBTreeListReportAccess::CommitBuild()
{
    m_current = std::move(m_building);
    m_building.clear();
    m_lastNode = nullptr;
}

void TdxDBTreeListReportAccess::DescribeRow(TdxTreeListNode* Node, TRowEntry& Entry)
{
    Entry.Node = m_dbControl->NodeIdentity(Node);
    if (auto* row = dynamic_cast<TdxDBTreeListControlNode*>(Node))
        Entry.Key = row->Key();
    if (Entry.Key.IsEmptyOrNull())
        Entry.Bookmark = m_dbControl->NodeBookmark(Node);
}

std::uint64_t TdxDBTreeListReportAccess::NodeIdentity(TdxTreeListNode* Node)
{
    if (!Node)
        return 0;
    // A row asks for its node a few times in a row (row cell, preview, footers).
    if (Node == m_lastNode)
        return m_lastIdentity;
    TRowEntry entry;
    DescribeRow(Node, entry);
    m_building.push_back(std::move(entry));
    m_lastNode = Node;
    m_lastIdentity = m_building.size();
    return m_lastIdentity;
}

TdxTreeListNode* TdxDBTreeListReportAccess::NodeByIdentity(std::uint64_t Identity)
{
    if (Identity == 0 || Identity > m_current.size())
        return nullptr;
    return FindRow(m_current[Identity - 1]);
}

bool TdxDBTreeListReportAccess::ShowsRow(TdxTreeListNode* Node, const TRowEntry& Entry) const
{
    if (Entry.Group) {
        auto* group = dynamic_cast<TdxDBGridNode*>(Node);
        return group && m_dbControl->IsGroupRow(Node) &&
               Node->Level() + 1 == static_cast<int>(Entry.GroupValues.size()) &&
               Variant::Compare(group->GroupValue(), Entry.GroupValues.back()) == 0;
    }
    if (!Entry.Key.IsEmptyOrNull()) {
        auto* row = dynamic_cast<TdxDBTreeListControlNode*>(Node);
        return row && Variant::Compare(row->Key(), Entry.Key) == 0;
    }
    if (!Entry.Bookmark.empty())
        return m_dbControl->NodeBookmark(Node) == Entry.Bookmark;
    return true;
}

TdxTreeListNode* TdxDBTreeListReportAccess::FindRow(const TRowEntry& Entry)
{
    if (TdxTreeListNode* node = m_dbControl->NodeByIdentity(Entry.Node); node && ShowsRow(node, Entry))
        return node;
    return Entry.Bookmark.empty() ? nullptr : FindByBookmark(Entry.Bookmark);
}

TdxTreeListNode* TdxDBTreeListReportAccess::FindByBookmark(const TBookmark& Bookmark)
{
    // The map holds pointers only while the tree lost no node since it was made.
    if (m_byBookmarkStamp != m_dbControl->RemovalStamp()) {
        m_byBookmark.clear();
        for (TdxTreeListNode* n = m_dbControl->GetItem(0); n; n = n->GetNext())
            if (!m_dbControl->IsGroupRow(n))
                if (TBookmark bookmark = m_dbControl->NodeBookmark(n); !bookmark.empty())
                    m_byBookmark.emplace(std::move(bookmark), n);
        m_byBookmarkStamp = m_dbControl->RemovalStamp();
    }
    auto it = m_byBookmark.find(Bookmark);
    return it == m_byBookmark.end() ? nullptr : it->second;
}

// ----- the dataset ------------------------------------------------------------------------------------------

void TdxDBTreeListReportAccess::DisableControls()
{
    if (TDataSet* ds = DataSet())
        ds->DisableControls();
}

void TdxDBTreeListReportAccess::EnableControls()
{
    if (TDataSet* ds = DataSet())
        ds->EnableControls();
}

TBookmark TdxDBTreeListReportAccess::GetBookmark() const
{
    TDataSet* ds = DataSet();
    return ds && ds->Active() && !ds->IsEmpty() ? ds->GetBookmark() : TBookmark();
}

bool TdxDBTreeListReportAccess::GotoBookmark(const TBookmark& Bookmark)
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active() || Bookmark.empty() || !ds->BookmarkValid(Bookmark))
        return false;
    ds->GotoBookmark(Bookmark);
    return true;
}

// ----- the grid ---------------------------------------------------------------------------------------------

TdxDBGridReportAccess::TdxDBGridReportAccess(TCustomdxDBGrid* Grid) : TdxDBTreeListReportAccess(Grid), m_grid(Grid) {}

bool TdxDBGridReportAccess::CanLoadAllRecords() const
{
    if (!m_grid->Options().Contains(egoCanNavigation))
        return true;
    TDataSet* ds = DataSet();
    return !m_grid->KeyField().empty() && ds && ds->FindField(m_grid->KeyField());
}

TdxDBTreeListColumn* TdxDBGridReportAccess::GroupColumn(TdxTreeListNode* Node) const
{
    return Node && m_grid->IsGroupRow(Node) ? m_grid->GetGroupColumn(Node->Level()) : nullptr;
}

std::string TdxDBGridReportAccess::CellText(TdxTreeListNode* Node, TdxTreeListColumn* Column)
{
    TdxPendingRowsReading reading(*m_grid, TdxPendingRowsReading::OneRow);
    return TdxDBTreeListReportAccess::CellText(Node, Column);
}

Variant TdxDBGridReportAccess::CellValue(TdxTreeListNode* Node, TdxTreeListColumn* Column)
{
    TdxPendingRowsReading reading(*m_grid, TdxPendingRowsReading::OneRow);
    return TdxDBTreeListReportAccess::CellValue(Node, Column);
}

void TdxDBGridReportAccess::DescribeRow(TdxTreeListNode* Node, TRowEntry& Entry)
{
    if (!m_grid->IsGroupRow(Node)) {
        TdxDBTreeListReportAccess::DescribeRow(Node, Entry);
        return;
    }
    Entry.Node = m_grid->NodeIdentity(Node);
    Entry.Group = true;
    Entry.GroupValues.resize(static_cast<std::size_t>(Node->Level()) + 1);
    for (TdxTreeListNode* n = Node; n; n = n->Parent())
        if (auto* group = dynamic_cast<TdxDBGridNode*>(n))
            Entry.GroupValues[static_cast<std::size_t>(n->Level())] = group->GroupValue();
}

TdxTreeListNode* TdxDBGridReportAccess::FindRow(const TRowEntry& Entry)
{
    if (TdxTreeListNode* node = m_grid->NodeByIdentity(Entry.Node); node && ShowsRow(node, Entry))
        return node;
    if (Entry.Group) {
        TdxTreeListNode* parent = nullptr;
        for (std::size_t level = 0; level < Entry.GroupValues.size(); ++level) {
            TdxTreeListNode* found = nullptr;
            if (!m_grid->FindGroupNode(parent, static_cast<int>(level), Entry.GroupValues[level], found) || !found)
                return nullptr;
            parent = found;
        }
        return parent && m_grid->IsGroupRow(parent) ? parent : nullptr;
    }
    if (!Entry.Key.IsEmptyOrNull())
        return m_grid->FindNodeByKey(Entry.Key);
    return Entry.Bookmark.empty() ? nullptr : FindByBookmark(Entry.Bookmark);
}

} // namespace qel
