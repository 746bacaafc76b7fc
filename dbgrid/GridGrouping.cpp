// Grouping the grid's rows: the group columns and their order, the group
// lock, the order of group rows and the texts they show.
#include "dbgrid/DBGrid.h"

#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"

#include <algorithm>

namespace qel {

namespace {

TdxDBGridNode* AsGridNode(TdxTreeListNode* Node)
{
    return static_cast<TdxDBGridNode*>(Node);
}

} // namespace

TdxDBTreeListColumn* TCustomdxDBGrid::GetGroupColumn(int Index) const
{
    if (Index < 0 || Index >= GroupColumnCount())
        return nullptr;
    return m_groupColumns[static_cast<std::size_t>(Index)];
}

bool TCustomdxDBGrid::CanGroupByColumn(TdxDBTreeListColumn* Column, bool Forced)
{
    if (m_defaultFields || !Column)
        return false;
    if (!Forced) {
        if (Column->DisableGrouping() || (Column->GetField() && Column->GetField()->IsBlob()))
            return false;
        if (Column->Visible() && GetVisibleColumnCount() == 1)
            return false;
    }
    for (TdxDBTreeListColumn* g : m_groupColumns)
        if (g == Column || AnsiCompareText(g->FieldName(), Column->FieldName()) == 0)
            return false;
    return true;
}

bool TCustomdxDBGrid::DoAddGroupColumn(TdxDBTreeListColumn* Column)
{
    bool allow = true;
    if (OnAddGroupColumn)
        OnAddGroupColumn(this, Column, allow);
    return allow;
}

void TCustomdxDBGrid::RegroupColumn(TdxDBTreeListColumn* Column, int GroupIndex)
{
    Regroup(Column, GroupIndex, true);
}

void TCustomdxDBGrid::Regroup(TdxDBTreeListColumn* Column, int GroupIndex, bool Ask)
{
    if (!Column)
        return;
    auto it = std::find(m_groupColumns.begin(), m_groupColumns.end(), Column);
    const bool grouped = it != m_groupColumns.end();
    if (GroupIndex >= 0 && !grouped && (!CanGroupByColumn(Column) || (Ask && !DoAddGroupColumn(Column))))
        return;
    const std::vector<std::string> before = GroupFieldNames();
    if (!grouped && GroupIndex < 0) {
        Column->SetGroupIndexDirect(-1);
        return;
    }
    // The user's pending edit survives the regrouping: posted before a walk,
    // left alone by a smart reload (which only needs the editor's text in the row).
    if (LinkActive() && !m_destroying) {
        if (m_options.Contains(egoSmartReload) && m_rowsLoaded) {
            HideEditor();
        } else {
            TValueRestorer<bool> hold(m_loading, true);
            PostOrCancelPendingEdit();
        }
    }
    if (grouped)
        m_groupColumns.erase(it);
    if (GroupIndex >= 0) {
        const auto at = std::min<std::size_t>(static_cast<std::size_t>(GroupIndex), m_groupColumns.size());
        m_groupColumns.insert(m_groupColumns.begin() + static_cast<std::ptrdiff_t>(at), Column);
    } else {
        Column->SetGroupIndexDirect(-1);
    }
    for (std::size_t i = 0; i < m_groupColumns.size(); ++i)
        m_groupColumns[i]->SetGroupIndexDirect(static_cast<int>(i));
    m_regroupRequested = true;
    NoteKeptChange();
    if (m_groupLock == 0)
        ReloadGrouping(before);
}

std::vector<std::string> TCustomdxDBGrid::GroupFieldNames() const
{
    std::vector<std::string> names;
    for (TdxDBTreeListColumn* c : m_groupColumns)
        names.push_back(c->FieldName());
    return names;
}

void TCustomdxDBGrid::ReloadGrouping(const std::vector<std::string>& Before)
{
    if (!LinkActive() || m_loading || m_destroying || IsControlLoading() || RowsHeld())
        return;
    Keeping([&] {
        TUpdateScope<TCustomdxTreeList> update(*this);
        InvalidateRowIndexes();
        if (SmartReloadApplies()) {
            LoadNodes();   // keeps the open groups itself
        } else {
            // The rows stand in the old grouping until they go.
            std::size_t kept = 0;
            while (kept < Before.size() && kept < m_groupColumns.size() &&
                   AnsiCompareText(Before[kept], m_groupColumns[kept]->FieldName()) == 0)
                ++kept;
            const std::vector<TExpandedGroup> expanded = ExpandedGroups(nullptr, 0, static_cast<int>(kept));
            // FIXME: without egoSmartReload every regrouping walks the dataset; the smart
            // regrouping from the rows' values would serve once it posts a pending edit as the walk does.
            ClearRows();
            LoadNodes();
            CallOut([&] { ExpandGroups(nullptr, 0, expanded); });   // expanding runs the user's events
        }
    });
    SyncFocusToRecord();
    if (OnReloadGroupList)
        OnReloadGroupList(this);
}

void TCustomdxDBGrid::LockGrouping()
{
    if (m_groupLock++ > 0)
        return;
    m_lockedGrouping = GroupFieldNames();
}

void TCustomdxDBGrid::UnlockGrouping()
{
    if (m_groupLock == 0 || --m_groupLock > 0)
        return;
    bool same = m_lockedGrouping.size() == m_groupColumns.size();
    for (std::size_t i = 0; same && i < m_groupColumns.size(); ++i)
        same = AnsiCompareText(m_lockedGrouping[i], m_groupColumns[i]->FieldName()) == 0;
    if (!same) {
        ReloadGrouping(m_lockedGrouping);
    } else if (LinkActive() && !m_loading && !m_destroying && !IsControlLoading()) {
        // FIXME: an unchanged grouping reloads every row; knowing what the locked
        // changes touched (sorting, summaries, columns) would let most of them refresh in place.
        ReloadNodes();
        SyncFocusToRecord();
    }
}

void TCustomdxDBGrid::BeginUpdateEx()
{
    BeginUpdate();
    LockGrouping();
}

void TCustomdxDBGrid::EndUpdateEx()
{
    Finally end([this] { EndUpdate(); });
    UnlockGrouping();
}

void TCustomdxDBGrid::ClearGrouping()
{
    if (m_groupColumns.empty())
        return;
    // Every column back in the header, unsorted, and the rows loaded once.
    TUpdateScope<TCustomdxTreeList> update(*this);
    LockGrouping();
    Finally dropLock([this] { --m_groupLock; });   // something raised: no reload
    while (!m_groupColumns.empty())
        RemoveGroupColumn(0);
    dropLock.Dismiss();
    UnlockGrouping();
}

void TCustomdxDBGrid::DoClearNodeData()
{
    if (OnClearNodeData)
        CallOut([this] { OnClearNodeData(this); });
}

int TCustomdxDBGrid::CompareGroupValues(const Variant& A, const Variant& B) const
{
    if (A.IsString() && B.IsString()) {
        int c;
        if (m_options.Contains(egoCaseInsensitive))
            c = AnsiCompareText(A.AsString(), B.AsString());
        else if (m_optionsEx.Contains(egoAnsiSort))
            c = AnsiCompareStr(A.AsString(), B.AsString());
        else
            c = A.AsString().compare(B.AsString());
        return (c > 0) - (c < 0);
    }
    // The Variant order is total: Empty, then Null, then numbers, then strings.
    return dxVarCompare(A, B);
}

bool TCustomdxDBGrid::FindGroupNode(TdxTreeListNode* Parent, int Level, const Variant& Value,
                                    TdxTreeListNode*& Node) const
{
    Node = nullptr;
    const int count = Parent ? Parent->Count() : GetCount();
    auto item = [&](int I) { return Parent ? Parent->GetItem(I) : GetItem(I); };
    TdxDBTreeListColumn* column = GetGroupColumn(Level);
    if (column && column->SortBySummary()) {
        for (int i = 0; i < count; ++i)
            if (CompareGroupValues(AsGridNode(item(i))->GroupValue(), Value) == 0) {
                Node = item(i);
                return true;
            }
        return false;
    }
    const bool descending = column && column->Sorted() == csUp;
    int l = 0, h = count - 1;
    while (l <= h) {
        const int m = (l + h) / 2;
        int c = CompareGroupValues(AsGridNode(item(m))->GroupValue(), Value);
        if (descending)
            c = -c;
        if (c == 0) {
            Node = item(m);
            return true;
        }
        if (c < 0)
            l = m + 1;
        else
            h = m - 1;
    }
    Node = l < count ? item(l) : nullptr;
    return false;
}

bool TCustomdxDBGrid::IsGroupRow(const TdxTreeListNode* Node) const
{
    return Node && !m_groupColumns.empty() && Node->HasChildren() && Node->Level() < GroupColumnCount();
}

int TCustomdxDBGrid::CompareNodes(TdxTreeListNode* A, TdxTreeListNode* B) const
{
    if (IsGroupRow(A) && IsGroupRow(B) && A->Level() == B->Level()) {
        TdxDBTreeListColumn* column = GetGroupColumn(A->Level());
        int c;
        if (column && column->SortBySummary()) {
            // By the group summary; groups without one come first.
            const auto* sa = AsGridNode(A)->Summary();
            const auto* sb = AsGridNode(B)->Summary();
            const bool ha = sa && sa->Group.Assigned, hb = sb && sb->Group.Assigned;
            if (ha != hb)
                c = ha ? 1 : -1;
            else
                c = ha ? (sa->Group.Value > sb->Group.Value) - (sa->Group.Value < sb->Group.Value) : 0;
            // Equal summaries keep the order of their values, so the order does not depend on the sort.
            if (c == 0)
                c = CompareGroupValues(AsGridNode(A)->GroupValue(), AsGridNode(B)->GroupValue());
        } else {
            c = CompareGroupValues(AsGridNode(A)->GroupValue(), AsGridNode(B)->GroupValue());
        }
        return column && column->Sorted() == csUp ? -c : c;
    }
    return TCustomdxDBTreeListControl::CompareNodes(A, B);
}

bool TCustomdxDBGrid::HasNodeOrder() const
{
    if (TCustomdxDBTreeListControl::HasNodeOrder())
        return true;
    return std::any_of(m_groupColumns.begin(), m_groupColumns.end(),
                       [](TdxDBTreeListColumn* C) { return C->SortBySummary(); });
}

bool TCustomdxDBGrid::ComparesByValues(const std::vector<TdxTreeListNode*>& Siblings) const
{
    // Siblings are rows of one level: all group rows or all record rows.
    return !Siblings.empty() && !IsGroupRow(Siblings.front());
}

bool TCustomdxDBGrid::KeepsSortDirection(const TdxTreeListColumn* Column) const
{
    return std::any_of(m_groupColumns.begin(), m_groupColumns.end(),
                       [Column](const TdxDBTreeListColumn* G) { return G == Column; });
}

bool TCustomdxDBGrid::MaySortByClick(TdxDBTreeListColumn* Column)
{
    if (!Column || IsBufferMode() || !m_optionsEx.Contains(egoAutoSort))
        return false;
    bool allow = true;
    if (OnColumnSorting)
        OnColumnSorting(this, Column, allow);
    return allow;
}

void TCustomdxDBGrid::HeaderClickSort(int Column, TShiftState Shift)
{
    if (MaySortByClick(GetColumn(Column)))
        ToggleColumnSort(Column, Shift.Contains(ssShift) && m_optionsEx.Contains(egoMultiSort));
}

void TCustomdxDBGrid::ApplySortingRule()
{
    if (m_optionsEx.Contains(egoMultiSort))
        return;
    const std::vector<int> sorted = SortedColumns();
    bool seen = false;
    for (int index : sorted) {
        TdxDBTreeListColumn* c = GetColumn(index);
        if (!c || c->GroupIndex() >= 0 || c->Sorted() == csNone)
            continue;
        if (seen)
            c->SetSorted(csNone);
        seen = true;
    }
}

void TCustomdxDBGrid::SetName(const std::string& NewName)
{
    const std::string old = Name();
    TCustomdxDBTreeListControl::SetName(NewName);
    if (old.empty() || old == NewName)
        return;
    for (int i = 0; i < GetColumnCount(); ++i) {
        TdxTreeListColumn* c = GetColumnByIndex(i);
        const std::string& name = c->Name();
        if (c->Owner() == Owner() && name.size() > old.size() && AnsiCompareText(name.substr(0, old.size()), old) == 0)
            c->SetName(NewName + name.substr(old.size()));
    }
}

void TCustomdxDBGrid::MoveToCollapsedGroup()
{
    // egoCollapsedReload: a record inside a collapsed group moves to the group's first record.
    TDataSet* ds = DataSet();
    TField* key = KeyFieldObject();
    if (!m_options.Contains(egoCollapsedReload) || m_groupColumns.empty() || !m_options.Contains(egoCanNavigation) ||
        !key || !ds || (ds->Bof() && ds->Eof()))
        return;
    TdxTreeListNode* node = FindCurrentRecordNode();
    while (node && node->Parent())
        node = node->Parent();
    if (!node || node->Expanded())
        return;
    const int number = AsGridNode(node)->RecordNumber;
    const std::uint64_t stamp = RemovalStamp();
    const Variant groupKey = NodeKey(AsGridNode(node));
    if (RemovalStamp() != stamp || dxVarCompare(groupKey, key->Value()) == 0)
        return;   // reading the key ran handlers that freed rows, or the record is the group's first
    if (IsLocateNeeded()) {
        ds->Locate(KeyField(), groupKey, {});
    } else {
        ds->First();
        ds->MoveBy(number);
    }
}

std::string TCustomdxDBGrid::GetGroupRowText(TdxTreeListNode* Node) const
{
    TdxDBTreeListColumn* column = Node ? GetGroupColumn(Node->Level()) : nullptr;
    if (!column)
        return TCustomdxDBTreeListControl::GetGroupRowText(Node);
    std::string text = column->Caption() + " : " + GetNodeString(Node, column->GetColumnIndex()) +
                       m_summaries->GroupRowSuffix(Node);
    if (OnGetGroupRowExtraText) {
        std::string extra;
        OnGetGroupRowExtraText(const_cast<TCustomdxDBGrid*>(this), Node, extra);
        text += extra;
    }
    return text;
}

} // namespace qel
