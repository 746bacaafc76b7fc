#include "dbgrid/DBGrid.h"

#include "dbgrid/DBGridColumns.h"
#include "dbgrid/RowValueSource.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"

#include <algorithm>
#include <optional>

namespace qel {

QEL_REGISTER_CLASS(TCustomdxDBGrid, TCustomdxDBTreeListControl);
QEL_REGISTER_CLASS(TdxDBGrid, TCustomdxDBGrid);
QEL_REGISTER_CLASS(TdxDBGridColumn, TdxDBTreeListColumn);
QEL_REGISTER_CLASS(TdxDBGridMaskColumn, TdxDBTreeListMaskColumn);
QEL_REGISTER_CLASS(TdxDBGridDropDownColumn, TdxDBTreeListDropDownColumn);
QEL_REGISTER_CLASS(TdxDBGridDateColumn, TdxDBTreeListDateColumn);
QEL_REGISTER_CLASS(TdxDBGridButtonColumn, TdxDBTreeListButtonColumn);
QEL_REGISTER_CLASS(TdxDBGridPickColumn, TdxDBTreeListPickColumn);
QEL_REGISTER_CLASS(TdxDBGridMRUColumn, TdxDBTreeListMRUColumn);
QEL_REGISTER_CLASS(TdxDBGridCalcColumn, TdxDBTreeListCalcColumn);
QEL_REGISTER_CLASS(TdxDBGridSpinColumn, TdxDBTreeListSpinColumn);
QEL_REGISTER_CLASS(TdxDBGridTimeColumn, TdxDBTreeListTimeColumn);
QEL_REGISTER_CLASS(TdxDBGridCurrencyColumn, TdxDBTreeListCurrencyColumn);
QEL_REGISTER_CLASS(TdxDBGridHyperLinkColumn, TdxDBTreeListHyperLinkColumn);
QEL_REGISTER_CLASS(TdxDBGridMemoColumn, TdxDBTreeListMemoColumn);
QEL_REGISTER_CLASS(TdxDBGridBlobColumn, TdxDBTreeListBlobColumn);
QEL_REGISTER_CLASS(TdxDBGridGraphicColumn, TdxDBTreeListGraphicColumn);
QEL_REGISTER_CLASS(TdxDBGridWrapperColumn, TdxDBTreeListWrapperColumn);
QEL_REGISTER_CLASS(TdxDBGridCheckColumn, TdxDBTreeListCheckColumn);
QEL_REGISTER_CLASS(TdxDBGridImageColumn, TdxDBTreeListImageColumn);

namespace {

TdxDBGridNode* AsGridNode(TdxTreeListNode* Node)
{
    return static_cast<TdxDBGridNode*>(Node);
}

// Back to the record a walk started from, and to BOF or EOF when it stood there.
void ReturnToRecord(TDataSet* DataSet, const TBookmark& Bookmark, bool Bof, bool Eof)
{
    if (!Bookmark.empty() && DataSet->BookmarkValid(Bookmark))
        DataSet->GotoBookmark(Bookmark);
    if (Bof)
        DataSet->Prior();
    if (Eof)
        DataSet->Next();
}

TdxTreeListNode* FirstLeaf(TdxTreeListNode* Node)
{
    while (Node && Node->Count() > 0)
        Node = Node->GetFirstChild();
    return Node;
}

} // namespace

// ----- node and link ----------------------------------------------------------------------------

// Only this class sets its nodes' extra, so the extra of a grid node is this.
struct TdxDBGridNode::TGroupRowData : TdxTreeListNodeExtra {
    Variant Value = Variant::Null();
    std::unique_ptr<TdxDBGridNodeSummary> Summary;
};

TdxDBGridNode::TGroupRowData* TdxDBGridNode::GroupRowData() const
{
    return static_cast<TGroupRowData*>(Extra());
}

TdxDBGridNode::TGroupRowData& TdxDBGridNode::EditGroupRowData()
{
    if (!Extra())
        SetExtra(std::make_unique<TGroupRowData>());
    return *GroupRowData();
}

void TdxDBGridNode::DropEmptyGroupRowData()
{
    if (const TGroupRowData* data = GroupRowData(); data && data->Value.IsNull() && !data->Summary)
        SetExtra(nullptr);
}

const Variant& TdxDBGridNode::GroupValue() const
{
    static const Variant null = Variant::Null();
    const TGroupRowData* data = GroupRowData();
    return data ? data->Value : null;
}

void TdxDBGridNode::SetGroupValue(const Variant& Value)
{
    if (Value.IsNull() && !GroupRowData())
        return;
    EditGroupRowData().Value = Value;
    DropEmptyGroupRowData();
}

TdxDBGridNodeSummary* TdxDBGridNode::Summary() const
{
    const TGroupRowData* data = GroupRowData();
    return data ? data->Summary.get() : nullptr;
}

void TdxDBGridNode::SetSummary(std::unique_ptr<TdxDBGridNodeSummary> Value)
{
    if (!Value && !GroupRowData())
        return;
    EditGroupRowData().Summary = std::move(Value);
    DropEmptyGroupRowData();
}

void TdxDBGridNode::DeleteRecord()
{
    auto* grid = dynamic_cast<TCustomdxDBGrid*>(Owner());
    if (!grid || IsGroup())
        return;
    TDataSet* ds = grid->DataSet();
    if (!ds || !ds->Active())
        return;
    if (grid->IsBufferMode()) {
        if (!Focused())
            throw EInvaliddxTreeListOperation("Only the focused row can be deleted");
    } else if (grid->Options().Contains(egoCanNavigation)) {
        auto* from = dynamic_cast<TdxDBGridNode*>(FirstLeaf(grid->GetFocusedNode()));
        grid->GotoNodeRecord(from ? from : this, this, grid->IsLocateNeeded());
    }
    // A key comparison cannot tell records with equal keys apart: the bookmark can.
    if (Bookmark.empty() || ds->CompareBookmarks(ds->GetBookmark(), Bookmark) != 0)
        throw EInvaliddxTreeListOperation("The record of the row could not be made current; nothing was deleted");
    ds->Delete();   // the grid reloads: this node is gone afterwards
}

TdxGridDataLink::TdxGridDataLink(TCustomdxDBGrid* Grid) : TdxDBTreeListControlDataLink(Grid) {}

// ----- grid ---------------------------------------------------------------------------------------

TCustomdxDBGrid::TCustomdxDBGrid(TComponent* AOwner)
    : TCustomdxDBTreeListControl(AOwner), m_link(std::make_unique<TdxGridDataLink>(this)),
      m_summaryGroups(std::make_unique<TdxDBGridSummaryGroups>(this)),
      m_summaries(std::make_unique<TdxDBGridSummaries>(this)),
      m_filter(std::make_unique<TdxDBGridFilter>(this))
{
    m_summaryGroupsLink.Connect(m_summaryGroups->Changes(), [this](TObject*) {
        m_summaries->GroupsChanged();
        NoteKeptChange();
        if (!IsControlLoading())
            LayoutChanged();
    });
    m_optionsBehavior = {edgoAutoSort, edgoDragScroll, edgoEditing, edgoEnterShowEditor, edgoImmediateEditor,
                         edgoTabThrough, edgoVertThrough};
    m_optionsCustomize = {edgoBandMoving, edgoBandSizing, edgoColumnMoving, edgoColumnSizing};
    m_optionsDB = {edgoCancelOnExit, edgoCanDelete, edgoCanInsert, edgoCanNavigation, edgoConfirmDelete,
                   edgoUseBookmarks};
    m_optionsView = {edgoBandHeaderWidth, edgoUseBitmap};
    // The combined words follow; the tree list keeps its own start values.
    DeriveCombinedOptions();
    SetPaintStyle(psOutlook);
    SetShowGrid(true);
    SetHideFocusRect(false);
    SetHideSelection(false);
    SetHideSelectionColor(HighlightColor());
    SetHideSelectionTextColor(HighlightTextColor());
    RegisterDBTreeListControl(this);
}

TCustomdxDBGrid::~TCustomdxDBGrid()
{
    m_destroying = true;
    for (TdxPendingRowsReading* r = m_pendingReading; r; r = r->m_previous)
        r->m_gridFreed = true;
    m_filterPopup.reset();
    m_hiddenNodes.clear();
    UnregisterDBTreeListControl(this);
    m_link->SetDataSource(nullptr);
}

TdxTreeListNode* TCustomdxDBGrid::CreateNode()
{
    return new TdxDBGridNode(this);
}

void TCustomdxDBGrid::SetDataSource(TDataSource* Value)
{
    if (Value == m_link->DataSource())
        return;
    m_link->SetDataSource(Value);
    if (Value)
        Value->FreeNotification(this);
}

void TCustomdxDBGrid::Loaded()
{
    TCustomdxDBTreeListControl::Loaded();
    RelinkActive();
}

bool TCustomdxDBGrid::CanInsertRecords() const
{
    return m_options.Contains(egoCanInsert) || m_options.Contains(egoCanAppend);
}

bool TCustomdxDBGrid::CanEditRecords() const
{
    return m_options.Contains(egoEditing);
}

bool TCustomdxDBGrid::IsReadOnlyLink() const
{
    TDataSet* ds = DataSet();
    return !ds || !ds->CanModify();
}

bool TCustomdxDBGrid::IsBookmarkSelection() const
{
    return m_optionsDB.Contains(edgoUseBookmarks) || !IsAllRecordsMode();
}

bool TCustomdxDBGrid::IsAllRecordsMode() const
{
    return (!m_groupColumns.empty() && LinkActive()) || m_options.Contains(egoLoadAllRecords);
}

bool TCustomdxDBGrid::IsPartialLoadMode() const
{
    return !IsAllRecordsMode() && m_optionsDB.Contains(edgoPartialLoad);
}

bool TCustomdxDBGrid::IsBufferMode() const
{
    return !IsAllRecordsMode() && !m_optionsDB.Contains(edgoPartialLoad);
}

TBookmark TCustomdxDBGrid::NodeBookmark(const TdxTreeListNode* Node) const
{
    auto* n = dynamic_cast<const TdxDBGridNode*>(Node);
    return n ? TBookmark(n->Bookmark) : TBookmark();
}

std::string TCustomdxDBGrid::GetColumnClassForField(TField* Field) const
{
    return DefaultGridColumnClass(Field);
}

int TCustomdxDBGrid::GetIndicatorKind(TdxTreeListNode* Node, bool Flag) const
{
    if (Node && Node == GetFocusedNode()) {
        TDataSet* ds = DataSet();
        if (ds && ds->State() == dsEdit)
            return 2;
        if (ds && ds->State() == dsInsert)
            return 3;
        return Flag && IsMultiSelect() ? 5 : 1;
    }
    return Flag ? 4 : 0;
}

// ----- filter ---------------------------------------------------------------------------------------

void TCustomdxDBGrid::ApplyFilter()
{
    TdxDBGridCriteria* criteria = m_filter->Criteria();
    m_filterActive = criteria->Root()->Count() > 0;
    criteria->Changed();
    RefilterNodes();
    const std::string text = criteria->GetFilterText();
    if (OnFilterChanged)
        OnFilterChanged(this, DataSet(), text);
    TDataSet* ds = DataSet();
    if (m_filter->AutoDataSetFilter() && ds) {
        ds->SetFilter(text);
        TFilterOptions options = ds->FilterOptions();
        if (m_filter->CaseInsensitive())
            options += TFilterOptions{foCaseInsensitive};
        else
            options -= TFilterOptions{foCaseInsensitive};
        ds->SetFilterOptions(options);
        ds->SetFiltered(!text.empty());
    }
    // The status panel may have come or gone.
    LayoutChanged();
}

bool TCustomdxDBGrid::PassesFilter(TdxDBGridNode* Node)
{
    // The criteria read the row's values, which may run text handlers.
    bool passes = true;
    CallOut([&] { passes = IsNodePassingFilter(Node); });
    return passes;
}

bool TCustomdxDBGrid::IsNodePassingFilter(TdxDBGridNode* Node) const
{
    return !m_filterActive || !IsAllRecordsMode() || m_filter->Criteria()->Evaluate(Node);
}

void TCustomdxDBGrid::PrepareFilter()
{
    m_filter->Criteria()->Changed();
}

void TCustomdxDBGrid::HideNode(TdxDBGridNode* Node)
{
    if (m_insertNode == Node)
        m_insertNode = nullptr;
    Node->SetSelected(false);
    TdxTreeListNode* parent = Node->Parent();
    Node->Detach();
    m_hiddenNodes.emplace_back(Node);
    InvalidateRowIndexes();
    if (parent && parent->Count() == 0)
        FreeEmptyGroupNodes(parent);
}

void TCustomdxDBGrid::CollectFilterValues(TdxDBTreeListColumn* Column, TdxDBGridFilterValues& Values) const
{
    Values.Clear();
    Values.SetCaseInsensitive(m_filter->CaseInsensitive());
    Values.SetMaxCount(m_filter->MaxDropDownCount());
    if (!Column)
        return;
    if (IsAllRecordsMode()) {
        TdxPendingRowsReading reading(*this);
        auto add = [&](TdxTreeListNode* Node) {
            Variant v;
            std::string text;
            Column->GetFilterDisplayText(Node, v, text);
            Values.Add(v, text, true);
        };
        std::vector<TdxTreeListNode*> stack;
        for (int i = GetCount() - 1; i >= 0; --i)
            stack.push_back(GetItem(i));
        while (!stack.empty()) {
            TdxTreeListNode* n = stack.back();
            stack.pop_back();
            if (IsGroupRow(n)) {
                for (int i = n->Count() - 1; i >= 0; --i)
                    stack.push_back(n->GetItem(i));
            } else {
                add(n);
            }
        }
        for (const auto& n : m_hiddenNodes)
            add(n.get());
        return;
    }
    if (!OnEnumFilterValues)
        return;
    bool more = true;
    while (more) {
        std::string text;
        Variant value = Variant::Null();
        more = true;
        OnEnumFilterValues(const_cast<TCustomdxDBGrid*>(this), Column, more, text, value);
        Values.Add(value, text, false);
    }
}

// ----- summaries ------------------------------------------------------------------------------------

std::string TCustomdxDBGrid::GetFooterCellText(int Column) const
{
    TdxDBTreeListColumn* c = GetColumn(Column);
    if (c && c->SummaryFooterType() != cstNone)
        return m_summaries->FooterText(Column);
    return TCustomdxDBTreeListControl::GetFooterCellText(Column);
}

bool TCustomdxDBGrid::IsExistFooterCell(int Column) const
{
    TdxDBTreeListColumn* c = GetColumn(Column);
    return (c && c->SummaryFooterType() != cstNone) || TCustomdxDBTreeListControl::IsExistFooterCell(Column);
}

bool TCustomdxDBGrid::IsLevelFooter(int Level) const
{
    return m_summaries->IsLevelFooter(Level) || TCustomdxDBTreeListControl::IsLevelFooter(Level);
}

bool TCustomdxDBGrid::IsExistRowFooterCell(TdxTreeListNode* Node, int Column, int FooterIndex) const
{
    return m_summaries->IsExistRowFooterCell(Node, Column, GetRowFooterLevel(Node, FooterIndex)) ||
           TCustomdxDBTreeListControl::IsExistRowFooterCell(Node, Column, FooterIndex);
}

void TCustomdxDBGrid::GetRowFooterCellText(TdxTreeListNode* Node, int Column, int FooterIndex,
                                           std::string& Text) const
{
    const int level = GetRowFooterLevel(Node, FooterIndex);
    if (m_summaries->IsExistRowFooterCell(Node, Column, level))
        Text = m_summaries->RowFooterText(Node, Column, level);
    else
        TCustomdxDBTreeListControl::GetRowFooterCellText(Node, Column, FooterIndex, Text);
}

// ----- loading --------------------------------------------------------------------------------------

void TCustomdxDBGrid::ResolveKeyField()
{
    TDataSet* ds = DataSet();
    TField* f = ds && !KeyField().empty() ? ds->FindField(KeyField()) : nullptr;
    if (f)
        f->FreeNotification(this);
    SetKeyFieldObject(f);
}

int TCustomdxDBGrid::VisibleRowCountForLoad() const
{
    const int rowHeight = GetNodeRowHeight();
    if (rowHeight <= 0)   // no measured rows yet: one row
        return 1;
    return CalcRectInfo().Rows.Height() / rowHeight + 1;
}

void TCustomdxDBGrid::PostOrCancelPendingEdit()
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active())
        return;
    HideEditor();
    switch (ds->State()) {
    case dsSetKey:
        ds->Cancel();
        break;
    case dsInsert:
    case dsEdit:
        if ((ds->Modified() || m_link->Modified()) && !IsUnchangedInsert())
            ds->Post();   // raises when the record cannot be stored; the edit stays
        else
            ds->Cancel();
        break;
    default:
        break;
    }
}

bool TCustomdxDBGrid::IsUnchangedInsert() const
{
    TDataSet* ds = DataSet();
    return ds && ds->State() == dsInsert && (!ds->Modified() || m_insertHasGroupValuesOnly) && !m_link->Modified();
}

TdxDBGridNode* TCustomdxDBGrid::NewNodeAt(TdxTreeListNode* Parent, TdxTreeListNode* Before)
{
    TdxTreeListNode* n;
    if (Parent)
        n = Before ? Parent->InsertChild(Before) : Parent->AddChild();
    else
        n = Before ? Insert(Before) : Add();
    return AsGridNode(n);
}

void TCustomdxDBGrid::FillNode(TdxDBGridNode* Node, int RecordNumber)
{
    LoadNodeData(Node);
    Node->SetGroupValue(Variant::Null());
    Node->RecordNumber = RecordNumber;
    Node->Bookmark = DataSet()->GetBookmark();
    DoRefreshNodeData(Node);
}

Variant TCustomdxDBGrid::TLoadRecord::Value(const TField* Field) const
{
    return Reader ? Reader->Value(Handle, Field) : Field->Value();
}

TBookmark TCustomdxDBGrid::TLoadRecord::Bookmark(const TDataSet* DataSet) const
{
    return Reader ? Reader->Bookmark(Handle) : DataSet->GetBookmark();
}

void TCustomdxDBGrid::FillPendingNode(TdxDBGridNode* Node, int RecordNumber, const TLoadRecord& Record)
{
    Node->SetGroupValue(Variant::Null());
    Node->RecordNumber = RecordNumber;
    Node->Bookmark = Record.Bookmark(DataSet());
    Node->SetValuesPending(true);
}

void TCustomdxDBGrid::LoadPendingNodeValues(TdxDBTreeListControlNode* Node)
{
    auto* n = dynamic_cast<TdxDBGridNode*>(Node);
    TDataSet* ds = DataSet();
    if (!n || !ds || !TRecordView::CanShow(*ds, n->Bookmark))
        return;
    TRecordView view(*ds, n->Bookmark);
    ReadPendingRow([&] { LoadNodeValues(n, true); });
}

bool TCustomdxDBGrid::CanLoadThroughReader() const
{
    return !OnRefreshNodeData && !OnGroupSummaryValue;
}

TdxDBGridNode* TCustomdxDBGrid::PlaceRecord(const TLoadRecord& Record, TReusedRows* Reused)
{
    TDataSet* ds = DataSet();
    TdxTreeListNode* parent = nullptr;
    for (int level = 0; level < GroupColumnCount(); ++level) {
        TdxDBTreeListColumn* column = m_groupColumns[static_cast<std::size_t>(level)];
        const Variant value = Record.Value(column->GetField());
        TdxTreeListNode* found = nullptr;
        if (FindGroupNode(parent, level, value, found)) {
            parent = found;
            continue;
        }
        TdxDBGridNode* g = NewNodeAt(parent, found);
        g->SetGroupValue(value);
        g->Bookmark = Record.Bookmark(ds);
        {
            // The column's text is formatted by the field, which must show the record.
            std::optional<TRecordView> view;
            if (Record.Reader)
                view.emplace(*ds, g->Bookmark);
            LoadColumnValue(g, column);
        }
        DoRefreshNodeData(g);
        parent = g;
    }
    if (Reused && Reused->Nodes && !Reused->Keys.empty() && KeyFieldObject()) {
        const std::vector<Variant>& keys = Reused->Keys;
        const Variant key = Record.Value(KeyFieldObject());
        auto it = std::lower_bound(keys.begin(), keys.end(), key,
                                   [](const Variant& A, const Variant& B) { return CompareNodeKeys(A, B) < 0; });
        auto at = [&](auto It) { return static_cast<std::size_t>(It - keys.begin()); };
        // Reused rows are marked, not erased: erasing from the middle made a reload quadratic.
        auto taken = [&](auto It) { return Reused->Taken[at(It)] != 0; };
        while (it != keys.end() && taken(it) && CompareNodeKeys(*it, key) == 0)
            ++it;
        if (it != keys.end() && !taken(it) && CompareNodeKeys(*it, key) == 0 &&
            (*Reused->Nodes)[at(it)]->Parent() == parent) {
            Reused->Taken[at(it)] = 1;
            return (*Reused->Nodes)[at(it)];
        }
    }
    return NewNodeAt(parent, nullptr);
}

void TCustomdxDBGrid::FinishGroupNodes()
{
    // Children before parents: a group row stands for its first record. Only
    // group rows are visited; the lowest ones hold record rows alone.
    const int lowest = GroupColumnCount() - 1;
    auto finish = [this, lowest](auto& Self, TdxTreeListNode* Node, int Level) -> void {
        if (Node->Count() == 0)
            return;
        FitChildList(Node);
        if (Level < lowest)
            for (int i = 0; i < Node->Count(); ++i)
                Self(Self, Node->GetItem(i), Level + 1);
        // Its bookmark names the record, and so the key, it stands for.
        auto* first = AsGridNode(Node->GetFirstChild());
        AsGridNode(Node)->RecordNumber = first->RecordNumber;
        AsGridNode(Node)->Bookmark = first->Bookmark;
    };
    FitChildList(nullptr);
    if (lowest >= 0)
        for (int i = 0; i < GetCount(); ++i)
            finish(finish, GetItem(i), 0);
}

void TCustomdxDBGrid::LoadNodes(std::vector<TdxDBGridNode*>* OldNodes)
{
    if (IsControlLoading() || m_destroying || !LinkActive() || RowsHeld())
        return;
    if (IsPartialLoadMode()) {
        BindPreviewField();
        LoadRecordWindow(TdxRecordWindow::Around);
        return;
    }
    if (IsBufferMode()) {
        RebuildBufferNodes();
        return;
    }
    Keeping([&] { LoadAllRecords(OldNodes); });
}

void TCustomdxDBGrid::LoadAllRecords(std::vector<TdxDBGridNode*>* OldNodes)
{
    TValueRestorer<bool> loading(m_loading, true);
    Finally clearFlags([this] { m_regroupRequested = false; });
    TReusedRows reused{OldNodes, std::vector<char>(OldNodes ? OldNodes->size() : 0, 0), {}};
    switch (BeginRecordWalk(OldNodes)) {
    case TWalkStart::Walk:
        SortReusedRows(reused);
        break;
    case TWalkStart::ClearRows:
        FreeUnusedRows(reused);
        ClearRows();
        return;
    case TWalkStart::Nothing:
        return;   // the rows given in OldNodes stay (regrouped, or nothing to load)
    }
    ForgetRowsLoaded();   // until the walk below completes
    PurgeSelectedBookmarks();
    BindPreviewField();
    PrepareFooterSummaries();
    m_summaries->Prepare();
    m_hiddenNodes.clear();
    m_loadedRecordCount = 0;
    TRowAdmission admission;
    admission.FocusKey = m_focusKey;
    admission.FocusLevel = m_focusLevel;
    m_focusKey = Variant();

    CallOut([this] { PostOrCancelPendingEdit(); });
    WalkRecords(reused, admission);
    if (admission.Candidate) {
        TValueRestorer<bool> following(m_following, true);
        SetFocusedNode(admission.Candidate);
    }
}

TCustomdxDBGrid::TWalkStart TCustomdxDBGrid::BeginRecordWalk(std::vector<TdxDBGridNode*>* OldNodes)
{
    ResolveKeyField();
    TDataSet* ds = DataSet();
    if (!KeyFieldObject() && m_options.Contains(egoCanNavigation))
        return TWalkStart::ClearRows;
    for (int i = GroupColumnCount() - 1; i >= 0; --i)
        if (!m_groupColumns[static_cast<std::size_t>(i)]->GetField()) {
            m_groupColumns[static_cast<std::size_t>(i)]->SetGroupIndexDirect(-1);
            m_groupColumns.erase(m_groupColumns.begin() + i);
        }
    for (std::size_t i = 0; i < m_groupColumns.size(); ++i)
        m_groupColumns[i]->SetGroupIndexDirect(static_cast<int>(i));
    if (!ds || !ds->Active())
        return TWalkStart::Nothing;
    for (TdxDBTreeListColumn* g : m_groupColumns)
        if (g->GetField()->IsBlob())
            return TWalkStart::ClearRows;
    if (SmartReloadApplies() && RegroupRows(OldNodes))
        return TWalkStart::Nothing;
    return TWalkStart::Walk;
}

void TCustomdxDBGrid::FreeUnusedRows(TReusedRows& Reused)
{
    if (!Reused.Nodes)
        return;
    for (std::size_t i = 0; i < Reused.Nodes->size(); ++i)
        if (!Reused.Taken[i])
            FreeEmptyGroupNodes((*Reused.Nodes)[i]);
    Reused.Nodes->clear();
}

void TCustomdxDBGrid::WalkRecords(TReusedRows& Reused, TRowAdmission& Admission)
{
    TDataSet* ds = DataSet();
    TDisableControlsGuard disabled(ds);
    const TBookmark bookmark = ds->GetBookmark();
    const bool bof = ds->Bof(), eof = ds->Eof();
    TUpdateScope<TCustomdxTreeList> update(*this);
    DoClearNodeData();
    DoBeforeCalcSummary();
    if (IsFilterActive())
        PrepareFilter();
    Admission.CheckSelection = IsBookmarkSelection() && SelectedBookmarkCount() > 0;
    const bool throughReader = CanLoadThroughReader();
    const int records =
        throughReader ? PlaceRecordsThroughReader(Reused, Admission) : PlaceRecordsByCursor(Reused, Admission);
    if (!IsFilterActive())
        m_loadedRecordCount = records;
    RemoveSelectedBookmarks(std::move(Admission.HiddenMarks));
    FreeUnusedRows(Reused);
    FinishRows(false);
    NoteRowsLoaded();
    CallOut([&] {
        if (!throughReader)
            ReturnToRecord(ds, bookmark, bof, eof);
        MoveToCollapsedGroup();
    });
}

int TCustomdxDBGrid::PlaceRecordsThroughReader(TReusedRows& Reused, TRowAdmission& Admission)
{
    // The cursor stays put; rows read their texts when first shown.
    const std::unique_ptr<TRecordReader> reader = DataSet()->CreateRecordReader();
    TLoadRecord record{reader.get(), 0};
    // The filter reads each row from its record: the rows stay unread.
    std::optional<TdxPendingRowsReading> filtering;
    if (IsFilterActive())
        filtering.emplace(*this, *reader);
    int recordNumber = 0;
    for (const int count = reader->Count(); recordNumber < count; ++recordNumber) {
        record.Handle = reader->Handle(recordNumber);
        TdxDBGridNode* node = PlaceRecord(record, &Reused);
        FillPendingNode(node, recordNumber, record);
        if (filtering)
            filtering->ReadAt(node, record.Handle);
        AdmitRow(node, record, Admission);
    }
    return recordNumber;
}

int TCustomdxDBGrid::PlaceRecordsByCursor(TReusedRows& Reused, TRowAdmission& Admission)
{
    // The dataset's own scroll events may run the user's code too.
    TDataSet* ds = DataSet();
    CallOut([ds] { ds->First(); });
    int recordNumber = 0;
    for (const TLoadRecord current; !ds->Eof(); ++recordNumber) {
        TdxDBGridNode* node = PlaceRecord(current, &Reused);
        FillNode(node, recordNumber);
        AdmitRow(node, current, Admission);
        CallOut([ds] { ds->Next(); });
    }
    return recordNumber;
}

void TCustomdxDBGrid::AdmitRow(TdxDBGridNode* Node, const TLoadRecord& Record, TRowAdmission& Admission)
{
    if (!PassesFilter(Node)) {
        // A selection never holds a row the user cannot see.
        if (Admission.CheckSelection && IsBookmarkSelected(Node->Bookmark))
            Admission.HiddenMarks.push_back(Node->Bookmark);
        HideNode(Node);
        return;
    }
    ++m_loadedRecordCount;
    m_summaries->AddRecord(Node, Record.Reader, Record.Handle);
    if (Admission.CheckSelection && IsBookmarkSelected(Node->Bookmark))
        SelectNode(Node, true);
    if (!Admission.Candidate && !Admission.FocusKey.IsEmpty() &&
        dxVarCompare(KeyFieldObject() ? Record.Value(KeyFieldObject()) : Variant::Null(), Admission.FocusKey) == 0) {
        TdxTreeListNode* c = Node;
        while (c->Level() > Admission.FocusLevel && c->Parent())
            c = c->Parent();
        Admission.Candidate = AsGridNode(c);
    }
}

void TCustomdxDBGrid::FinishRows(bool Regrouped)
{
    FinishGroupNodes();
    m_summaries->Finish(m_loadedRecordCount, Regrouped);
    FinishRowOrder();
}

void TCustomdxDBGrid::FinishRowOrder()
{
    if (OnCalcSummary)
        CallOut([this] { OnCalcSummary(this); });
    ApplySortingRule();
    SortNodes();
    InvalidateRowIndexes();
}

void TCustomdxDBGrid::ClearRows()
{
    ForgetRowsLoaded();
    TValueRestorer<bool> keep(m_keepBookmarks, true);
    ClearNodes();
}

void TCustomdxDBGrid::ClearRowSelection()
{
    TValueRestorer<bool> keep(m_keepBookmarks, true);
    ClearSelection();
}

void TCustomdxDBGrid::ReloadNodes()
{
    if (RowsHeld())
        return;
    Keeping([this] { ReloadRows(); });
}

void TCustomdxDBGrid::ReloadRows()
{
    m_focusKey = Variant();
    m_focusLevel = -1;
    if (m_groupColumns.empty() && !m_options.Contains(egoLoadAllRecords) && !IsPartialLoadMode()) {
        ClearRows();
        PurgeSelectedBookmarks();
        return;
    }
    if (IsPartialLoadMode()) {
        LoadRecordWindow(TdxRecordWindow::Around);
        return;
    }
    TUpdateScope<TCustomdxTreeList> update(*this);
    if (auto* f = dynamic_cast<TdxDBGridNode*>(GetFocusedNode())) {
        // The level first: reading the key may run the dataset's handlers.
        m_focusLevel = f->Level();
        m_focusKey = NodeKey(f);
    }
    if (GetCount() > 0 && IsGroupRow(GetItem(0))) {
        // Group rows stay (with their expanded state); records keep their node
        // when they land under the same group row again.
        std::vector<TdxDBGridNode*> leaves = RecordRows();
        ClearRowSelection();
        LoadNodes(&leaves);
    } else {
        ClearRows();
        ClearRowSelection();
        LoadNodes();
    }
}

void TCustomdxDBGrid::RebuildBufferNodes()
{
    if (RowsHeld())
        return;
    Keeping([this] { RebuildBufferRows(); });
}

void TCustomdxDBGrid::RebuildBufferRows()
{
    TDataSet* ds = DataSet();
    TUpdateScope<TCustomdxTreeList> update(*this);
    TValueRestorer<bool> following(m_following, true);
    ClearRows();
    InvalidateRowIndexes();
    if (!ds || !ds->Active() || !LinkActive())
        return;
    ResolveKeyField();
    m_link->SetBufferCount(std::max(1, VisibleRowCountForLoad()));
    const int active = m_link->ActiveRecord();
    {
        Finally restore([this, active] { m_link->SetActiveRecord(active); });
        for (int i = 0; i < m_link->RecordCount(); ++i) {
            m_link->SetActiveRecord(i);
            if (ds->State() == dsInsert && i == active) {
                TdxDBGridNode* n = AsGridNode(Add());
                LoadNodeData(n);
                n->RecordNumber = i;
                continue;
            }
            TdxDBGridNode* n = AsGridNode(Add());
            FillNode(n, i);
        }
    }
    if (TdxTreeListNode* f = GetItem(active))
        SetFocusedNode(f);
}

void TCustomdxDBGrid::LoadRecordWindow(TdxRecordWindow Window, TdxWindowPlacement Placement, bool KeepAnchor)
{
    if (RowsHeld())
        return;
    Keeping([&] { LoadWindowRows(Window, Placement, KeepAnchor); });
}

void TCustomdxDBGrid::LoadWindowRows(TdxRecordWindow Window, TdxWindowPlacement Placement, bool KeepAnchor)
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active())
        return;
    const int topOffset = GetFocusedNode() ? GetFocusedAbsoluteIndex() - GetTopIndex() : 0;
    {
        TValueRestorer<bool> loading(m_loading, true);
        ResolveKeyField();
        const int n = std::max(VisibleRowCountForLoad() * 5, m_partialLoadBufferCount);
        TUpdateScope<TCustomdxTreeList> update(*this);
        PostOrCancelPendingEdit();
        TDisableControlsGuard disabled(ds);
        const TBookmark bookmark = ds->GetBookmark();
        const bool bof = ds->Bof(), eof = ds->Eof();
        InvalidateRowIndexes();
        // A window edge whose record is gone: the window is read anew around the current record.
        if (Window == TdxRecordWindow::Below && GetCount() > 0 && !AppendWindowRows(n))
            Window = TdxRecordWindow::Around;
        else if (Window == TdxRecordWindow::Above && GetCount() > 0 && !PrependWindowRows(n))
            Window = TdxRecordWindow::Around;
        if (Window == TdxRecordWindow::Around || Window == TdxRecordWindow::Every || GetCount() == 0)
            ReplaceWindowRows(Window == TdxRecordWindow::Every, n, KeepAnchor);
        ReturnToRecord(ds, bookmark, bof, eof);
    }
    SyncFocusToRecord();
    if (Placement == TdxWindowPlacement::FocusedAtTop && GetFocusedNode())
        SetTopIndex(GetFocusedAbsoluteIndex());
    else if (Placement == TdxWindowPlacement::KeepOffset && GetFocusedNode())
        SetTopIndex(std::max(0, GetFocusedAbsoluteIndex() - topOffset));
}

bool TCustomdxDBGrid::AppendWindowRows(int Count)
{
    TDataSet* ds = DataSet();
    auto* last = AsGridNode(GetItem(GetCount() - 1));
    if (!ds->BookmarkValid(last->Bookmark))
        return false;
    ds->GotoBookmark(last->Bookmark);
    ds->Next();
    int number = last->RecordNumber + 1;
    for (int i = 0; i < Count && !ds->Eof(); ++i, ds->Next())
        FillNode(AsGridNode(Add()), number++);
    m_windowEnd = ds->Eof();
    return true;
}

bool TCustomdxDBGrid::PrependWindowRows(int Count)
{
    TDataSet* ds = DataSet();
    auto* first = AsGridNode(GetItem(0));
    if (!ds->BookmarkValid(first->Bookmark))
        return false;
    ds->GotoBookmark(first->Bookmark);
    int number = first->RecordNumber;
    const int top = GetTopIndex();
    int added = 0;
    for (int i = 0; i < Count; ++i) {
        ds->Prior();
        if (ds->Bof())
            break;
        FillNode(AsGridNode(Insert(GetItem(0))), --number);
        ++added;
    }
    m_windowStart = ds->Bof();
    // The rows on screen stay where they were.
    SetTopIndex(top + added);
    return true;
}

void TCustomdxDBGrid::ReplaceWindowRows(bool Every, int Count, bool KeepAnchor)
{
    TDataSet* ds = DataSet();
    std::optional<TBookmark> anchorBookmark;
    if (KeepAnchor)
        if (auto* anchor = dynamic_cast<TdxDBGridNode*>(SelectionAnchor()); anchor && !anchor->Bookmark.empty())
            anchorBookmark = anchor->Bookmark;
    ClearRows();
    if (ds->Bof() && ds->Eof()) {
        m_windowStart = m_windowEnd = true;
    } else if (Every) {
        ds->First();
        for (int number = 0; !ds->Eof(); ds->Next())
            FillNode(AsGridNode(Add()), number++);
        m_windowStart = m_windowEnd = true;
    } else {
        LoadWindowAroundCurrent(Count, anchorBookmark);
    }
    if (IsBookmarkSelection() && SelectedBookmarkCount() > 0)
        for (TdxTreeListNode* node = GetItem(0); node; node = node->GetNextSibling())
            if (IsBookmarkSelected(AsGridNode(node)->Bookmark))
                SelectNode(node, true);
}

void TCustomdxDBGrid::LoadWindowAroundCurrent(int Count, const std::optional<TBookmark>& AnchorBookmark)
{
    TDataSet* ds = DataSet();
    PurgeSelectedBookmarks();
    // The window grows to hold the selection's ends and the anchor. Bookmark
    // order is not record order, so their places are found by record number.
    const int current = ds->RecNo();
    int lowest = current, highest = current;
    auto widen = [&](const TBookmark& Bookmark) {
        if (Bookmark.empty() || !ds->BookmarkValid(Bookmark))
            return;
        ds->GotoBookmark(Bookmark);
        lowest = std::min(lowest, ds->RecNo());
        highest = std::max(highest, ds->RecNo());
    };
    if (SelectedBookmarkCount() > 0) {
        widen(GetSelectedBookmark(0));
        widen(GetSelectedBookmark(SelectedBookmarkCount() - 1));
    }
    if (AnchorBookmark)
        widen(*AnchorBookmark);
    const int start = std::max(1, std::min(current - (Count / 2 - 1), lowest));
    const int count = std::max(Count, highest + Count / 2 - start + 1);
    ds->SetRecNo(start);
    m_windowStart = start == 1;
    int number = 0;
    for (int i = 0; i < count && !ds->Eof(); ++i, ds->Next()) {
        TdxDBGridNode* node = AsGridNode(Add());
        FillNode(node, number++);
        if (AnchorBookmark && ds->CompareBookmarks(node->Bookmark, *AnchorBookmark) == 0)
            SetSelectionAnchor(node);
    }
    m_windowEnd = ds->Eof();
}

void TCustomdxDBGrid::CheckWindowEdges()
{
    if (!IsPartialLoadMode() || m_loading || !LinkActive())
        return;
    const int visible = VisibleRowCountForLoad();
    const int top = GetTopIndex();
    const int focused = GetFocusedNode() ? GetFocusedAbsoluteIndex() : top;
    if (!m_windowEnd && std::max(top, focused) >= GetAbsoluteCount() - 2 * visible)
        LoadRecordWindow(TdxRecordWindow::Below);
    if (!m_windowStart && std::min(top, focused) <= visible)
        LoadRecordWindow(TdxRecordWindow::Above);
}

void TCustomdxDBGrid::DoScroll(TScrollBarKind Kind, TScrollCode Code, int Pos)
{
    const int oldTop = GetTopIndex();
    TCustomdxDBTreeListControl::DoScroll(Kind, Code, Pos);
    if (Kind != sbVertical || !IsPartialLoadMode() || m_loading || !LinkActive() || GetTopIndex() == oldTop)
        return;
    const int visible = VisibleRowCountForLoad();
    if (!m_windowStart && GetTopIndex() <= visible)
        LoadRecordWindow(TdxRecordWindow::Above);
    else if (!m_windowEnd && GetTopIndex() >= GetAbsoluteCount() - 2 * visible)
        LoadRecordWindow(TdxRecordWindow::Below);
}

// ----- following the dataset ----------------------------------------------------------------------

// Reads rows' keys from their records: through one record reader while a
// row's number still names its record (its bookmark proves it), else as
// NodeKey does.
class TCustomdxDBGrid::TRowKeyReader {
public:
    explicit TRowKeyReader(const TCustomdxDBGrid& Grid) : m_grid(Grid), m_stamp(Grid.RemovalStamp())
    {
        TDataSet* ds = Grid.DataSet();
        if (!ds || !ds->Active() || !Grid.KeyFieldObject())
            return;
        // The current record may be being edited: NodeKey reads it as edited.
        if (ds->State() != dsInsert)
            m_current = ds->GetBookmark();
        try {
            m_reader = ds->CreateRecordReader();
        } catch (const EDatabaseError&) {
            m_reader.reset();
        }
    }

    Variant Key(const TdxDBGridNode* Row)
    {
        TField* key = m_grid.KeyFieldObject();
        if (m_reader && key && !Row->Bookmark.empty() && !(Row->Bookmark == m_current) && Row != m_grid.m_insertNode &&
            Row->RecordNumber >= 0 && Row->RecordNumber < m_reader->Count()) {
            const TRecordReader::THandle handle = m_reader->Handle(Row->RecordNumber);
            if (Row->Bookmark == m_reader->Bookmark(handle))
                return m_reader->Value(handle, key);
        }
        return m_grid.NodeKey(Row);
    }
    // A calculated or lookup key field runs the dataset's handlers, which may
    // free rows: then the rows read so far, and the walk, cannot go on.
    bool RowsRemoved() const { return m_grid.RemovalStamp() != m_stamp; }

private:
    const TCustomdxDBGrid& m_grid;
    std::uint64_t m_stamp;
    std::unique_ptr<TRecordReader> m_reader;
    TRowBookmark m_current;
};

Variant TCustomdxDBGrid::NodeKey(const TdxDBTreeListControlNode* Node) const
{
    // A group row's bookmark is its first record's.
    auto* row = dynamic_cast<const TdxDBGridNode*>(Node);
    TField* key = KeyFieldObject();
    TDataSet* ds = DataSet();
    if (!row || !key || !ds || !ds->Active())
        return Variant::Null();
    if (row == m_insertNode)
        return ds->State() == dsInsert ? key->Value() : Variant::Null();
    if (row->Bookmark.empty())
        return Variant::Null();
    // The current record's row reads it as it stands, edits included.
    if (ds->State() != dsInsert && row->Bookmark == ds->GetBookmark())
        return key->Value();
    if (!TRecordView::CanShow(*ds, row->Bookmark))
        return Variant::Null();
    TRecordView view(*ds, row->Bookmark);
    return key->Value();
}

std::vector<Variant> TCustomdxDBGrid::RowKeys(const std::vector<TdxDBGridNode*>& Rows) const
{
    TRowKeyReader reader(*this);
    std::vector<Variant> keys;
    keys.reserve(Rows.size());
    for (const TdxDBGridNode* row : Rows) {
        keys.push_back(reader.Key(row));
        if (reader.RowsRemoved())
            return {};
    }
    return keys;
}

void TCustomdxDBGrid::SortReusedRows(TReusedRows& Reused) const
{
    if (!Reused.Nodes || Reused.Nodes->empty() || !KeyFieldObject())
        return;
    std::vector<TdxDBGridNode*>& nodes = *Reused.Nodes;
    std::vector<Variant> keys = RowKeys(nodes);
    if (keys.size() != nodes.size()) {
        // Rows went while the keys were read: the record rows are taken
        // anew from the tree, to be freed as the walk places the records.
        nodes = RecordRows();
        Reused.Taken.assign(nodes.size(), 0);
        return;
    }
    std::vector<std::size_t> order(nodes.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t A, std::size_t B) { return CompareNodeKeys(keys[A], keys[B]) < 0; });
    std::vector<TdxDBGridNode*> sortedNodes(nodes.size());
    Reused.Keys.resize(nodes.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        sortedNodes[i] = nodes[order[i]];
        Reused.Keys[i] = std::move(keys[order[i]]);
    }
    nodes = std::move(sortedNodes);
}

void TCustomdxDBGrid::InvalidateRowIndexes() const
{
    m_keyIndexValid = false;
    m_keyScanned = false;
    m_bookmarkIndexValid = false;
    m_bookmarkScanned = false;
}

std::vector<TdxDBGridNode*> TCustomdxDBGrid::RecordRows() const
{
    std::vector<TdxDBGridNode*> rows;
    for (TdxTreeListNode* n = GetItem(0); n; n = n->GetNext())
        if (n->Count() == 0)
            rows.push_back(AsGridNode(n));
    return rows;
}

void TCustomdxDBGrid::RebuildKeyIndex() const
{
    const std::vector<TdxDBGridNode*> rows = RecordRows();
    std::vector<Variant> keys = RowKeys(rows);
    m_keyIndex.clear();
    if (keys.size() != rows.size())
        return;   // rows went meanwhile: no index, and the lookup finds nothing
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (!keys[i].IsEmptyOrNull())
            m_keyIndex.emplace_back(std::move(keys[i]), rows[i]);
    std::stable_sort(m_keyIndex.begin(), m_keyIndex.end(),
                     [](const auto& A, const auto& B) { return Variant::Compare(A.first, B.first) < 0; });
    m_keyIndexValid = true;
    m_keyScanned = false;
}

TdxDBGridNode* TCustomdxDBGrid::FindNodeByKey(const Variant& Key) const
{
    if (Key.IsEmptyOrNull())
        return nullptr;
    if (!m_keyIndexValid) {
        // The first lookup after a change scans; the index is built only when
        // lookups repeat. The scan finds the node the index would: the first
        // record row in tree order.
        if (!m_keyScanned) {
            m_keyScanned = true;
            TRowKeyReader reader(*this);
            for (TdxTreeListNode* n = GetItem(0); n; n = n->GetNext())
                if (n->Count() == 0) {
                    auto* g = AsGridNode(n);
                    const Variant key = reader.Key(g);
                    if (reader.RowsRemoved())
                        return nullptr;   // the walk cannot go on from a row that may be gone
                    if (!key.IsEmptyOrNull() && Variant::Compare(key, Key) == 0)
                        return g;
                }
            return nullptr;
        }
        RebuildKeyIndex();
    }
    auto it = std::lower_bound(m_keyIndex.begin(), m_keyIndex.end(), Key,
                               [](const auto& E, const Variant& K) { return Variant::Compare(E.first, K) < 0; });
    if (it == m_keyIndex.end() || Variant::Compare(it->first, Key) != 0)
        return nullptr;
    return it->second;
}

void TCustomdxDBGrid::RebuildBookmarkIndex() const
{
    m_bookmarkIndex.clear();
    for (TdxTreeListNode* n = GetItem(0); n; n = n->GetNext())
        if (n->Count() == 0 && !AsGridNode(n)->Bookmark.empty())
            m_bookmarkIndex.push_back(AsGridNode(n));
    std::stable_sort(m_bookmarkIndex.begin(), m_bookmarkIndex.end(),
                     [](auto* A, auto* B) { return TRowBookmark::Order(A->Bookmark, B->Bookmark) < 0; });
    m_bookmarkIndexValid = true;
    m_bookmarkScanned = false;
}

TdxDBGridNode* TCustomdxDBGrid::FindCurrentRecordNode() const
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active() || ds->State() == dsInsert)
        return nullptr;
    const TRowBookmark current(ds->GetBookmark());
    if (current.empty())
        return nullptr;
    // As FindNodeByKey: the first lookup after a change scans, repeated ones build the index.
    if (!m_bookmarkIndexValid) {
        if (!m_bookmarkScanned) {
            m_bookmarkScanned = true;
            for (TdxTreeListNode* n = GetItem(0); n; n = n->GetNext())
                if (n->Count() == 0 && AsGridNode(n)->Bookmark == current)
                    return AsGridNode(n);
            return nullptr;
        }
        RebuildBookmarkIndex();
    }
    auto it = std::lower_bound(m_bookmarkIndex.begin(), m_bookmarkIndex.end(), current,
                               [](auto* E, const TRowBookmark& B) { return TRowBookmark::Order(E->Bookmark, B) < 0; });
    return it != m_bookmarkIndex.end() && (*it)->Bookmark == current ? *it : nullptr;
}

void TCustomdxDBGrid::DoDeletion(TdxTreeListNode* Node)
{
    InvalidateRowIndexes();
    if (!m_loading)
        ForgetRowsLoaded();   // a row gone behind the grid's back: the next regrouping walks
    if (Node == m_insertNode)
        m_insertNode = nullptr;
    if (Node == m_leavingRow)
        m_leavingRow = nullptr;
    TCustomdxDBTreeListControl::DoDeletion(Node);
}

void TCustomdxDBGrid::SyncFocusToRecord()
{
    TField* key = KeyFieldObject();
    TDataSet* ds = DataSet();
    if (!key || !m_options.Contains(egoCanNavigation) || m_loading || !ds || !ds->Active())
        return;
    TdxDBGridNode* node = nullptr;
    if (ds->State() == dsInsert && m_insertNode)
        node = m_insertNode;
    else
        node = FindCurrentRecordNode();
    if (!node)
        return;
    // A record inside a collapsed group: the nearest shown group row stands for it.
    TdxTreeListNode* target = node;
    while (target->Parent() && !target->IsVisible())
        target = target->Parent();
    TValueRestorer<bool> following(m_following, true);
    SetFocusedNode(target);
}

void TCustomdxDBGrid::SyncToDataSet()
{
    if (!IsBufferMode()) {
        SyncFocusToRecord();
    } else {
        TdxTreeListNode* n = GetItem(m_link->ActiveRecord());
        if (n && n != GetFocusedNode()) {
            HideEditor();
            TValueRestorer<bool> following(m_following, true);
            SetFocusedNode(n);
        }
    }
    DoChangeNodeEx();
    if (!IsUpdating())
        UpdateChangeSignature();   // already announced
}

bool TCustomdxDBGrid::UpdateChangeSignature()
{
    TdxTreeListNode* node = GetFocusedNode();
    TDataSet* ds = DataSet();
    const bool known = node && ds && ds->Active();
    // The key last: reading it may run the dataset's handlers.
    const int level = known ? node->Level() : -1;
    const bool selected = known && node->Selected();
    const Variant key = known ? NodeKey(AsGridNode(node)) : Variant::Null();
    if (level == m_changeLevel && selected == m_changeSelected && dxVarCompare(key, m_changeKey) == 0
        && key.IsEmpty() == m_changeKey.IsEmpty())
        return false;
    m_changeKey = key;
    m_changeLevel = level;
    m_changeSelected = selected;
    return true;
}

void TCustomdxDBGrid::CheckChangeNodeEx()
{
    if (OnChangeNodeEx && UpdateChangeSignature() && LinkActive())
        OnChangeNodeEx(this);
}

void TCustomdxDBGrid::DoSelectionChanged()
{
    TCustomdxDBTreeListControl::DoSelectionChanged();
    CheckChangeNodeEx();
}

void TCustomdxDBGrid::EndSelection()
{
    TCustomdxDBTreeListControl::EndSelection();
    CheckChangeNodeEx();
}

bool TCustomdxDBGrid::IsLocateNeeded() const
{
    return m_options.Contains(egoUseLocate) || m_options.Contains(egoSmartRefresh) || IsFilterActive();
}

bool TCustomdxDBGrid::GotoNodeRecord(TdxDBGridNode* From, TdxDBGridNode* To, bool ByKey)
{
    TDataSet* ds = DataSet();
    if (!m_options.Contains(egoCanNavigation) || m_loading || !To || !ds || !ds->Active())
        return false;
    TField* key = KeyFieldObject();
    if (To == m_insertNode && ds->State() == dsInsert)
        return true;
    auto onTarget = [&] {
        if (!To->Bookmark.empty())
            return ds->CompareBookmarks(ds->GetBookmark(), To->Bookmark) == 0;
        return key && dxVarCompare(key->Value(), NodeKey(To)) == 0;
    };
    if (onTarget())
        return true;
    // The move is the grid's own: the data events it raises change nothing here.
    TValueRestorer<bool> hold(m_loading, ds->State() == dsBrowse ? true : m_loading);
    TValueRestorer<bool> gotoFlag(m_gotoFlag, true);
    if (ByKey && key) {
        ds->Locate(KeyField(), NodeKey(To), {});
    } else if (From) {
        TdxDBGridNode* from = From;
        if (ds->State() == dsInsert && from == m_insertNode) {
            // The inserted row has no walked record number.
            TdxTreeListNode* other = GetNextVisibleNode(from);
            if (!other || other == m_insertNode)
                other = GetPrevVisibleNode(from);
            from = other ? AsGridNode(FirstLeaf(other)) : nullptr;
        }
        if (from)
            ds->MoveBy(To->RecordNumber - from->RecordNumber);
    }
    // A relative move over stale numbers, or a key shared by several records, may miss.
    if (!onTarget() && !To->Bookmark.empty() && ds->BookmarkValid(To->Bookmark))
        ds->GotoBookmark(To->Bookmark);
    return onTarget();
}

void TCustomdxDBGrid::DeleteFocusedRecord()
{
    auto* n = dynamic_cast<TdxDBGridNode*>(GetFocusedNode());
    if (n)
        n->DeleteRecord();
}

void TCustomdxDBGrid::CloseFilterDropDown()
{
    if (IsFilterDropDownOpen())
        m_filterPopup->Close(false);
}

void TCustomdxDBGrid::DoViewScrolled()
{
    CloseFilterDropDown();
}

void TCustomdxDBGrid::ChangeFocus(TdxTreeListNode* Node)
{
    CloseFilterDropDown();
    // egoSeekDetail: a group row the user focuses hands the focus to its first
    // record row; not when the focus comes from inside the group, so Up passes it.
    if (m_options.Contains(egoSeekDetail) && !m_following && !m_loading && IsGroupRow(Node)) {
        bool fromInside = false;
        for (TdxTreeListNode* n = GetFocusedNode(); n && !fromInside; n = n->Parent())
            fromInside = n->Parent() == Node;
        if (!fromInside)
            Node = FirstLeaf(Node);
    }
    TDataSet* ds = DataSet();
    if (!m_following && !m_loading && Node && LinkActive() && ds) {
        HideEditor();
        if (IsEditState(ds->State()) && Node != m_insertNode) {
            // Leave the record: post it without a reload underneath the focus
            // change; an unchanged new record is cancelled and its row goes.
            // (The dataset forgets the insert row as the state changes: it is
            // watched here, in case a handler frees it meanwhile.)
            TValueRestorer<bool> hold(m_loading, true);
            const bool abandoned = IsUnchangedInsert();
            TValueRestorer<TdxDBGridNode*> leaving(m_leavingRow, m_insertNode);
            PostOrCancelPendingEdit();
            m_insertNode = nullptr;
            if (TdxDBGridNode* row = m_leavingRow) {
                if (abandoned)
                    FreeEmptyGroupNodes(row);
                else
                    row->Bookmark = ds->GetBookmark();
            }
            InvalidateRowIndexes();
        }
        if (IsBufferMode()) {
            TValueRestorer<bool> hold(m_loading, true);
            m_link->MoveBy(Node->AbsoluteIndex() - m_link->ActiveRecord());
        } else {
            GotoNodeRecord(dynamic_cast<TdxDBGridNode*>(FirstLeaf(GetFocusedNode())), AsGridNode(FirstLeaf(Node)),
                           IsLocateNeeded());
        }
    }
    TCustomdxDBTreeListControl::ChangeFocus(Node);
    if (!m_following && !m_loading)
        CheckWindowEdges();
}

void TCustomdxDBGrid::DataChanged()
{
    TDataSet* ds = DataSet();
    if (m_destroying || !ds)
        return;
    CheckChangeNodeEx();
    if (ds->State() != dsInsert) {
        m_insertNode = nullptr;
        m_insertHasGroupValuesOnly = false;
    }
    if (m_loading)
        return;
    if (m_gotoFlag) {
        m_gotoFlag = false;
        return;
    }
    if (RowsHeld())
        return;
    if (IsAllRecordsMode() && (Hold() || FindDBTreeListControlByDataSet(ds))) {
        SyncToDataSet();
        return;
    }
    if (IsBufferMode()) {
        RebuildBufferNodes();
        return;
    }
    if (ds->State() == dsEdit || ds->State() == dsSetKey)
        return;
    // A refresh stopped by a handler was replaced by the rebuild after it.
    bool refreshed = false;
    Keeping([&] {
        refreshed = true;
        refreshed = SmartRefreshRecord();
    });
    if (refreshed)
        return;
    if (KeyFieldObject() && ds->State() == dsInsert) {
        AddInsertedNode();
        if (m_options.Contains(egoResetColumnFocus) && GetVisibleColumnCount() > 0)
            SetFocusedColumn(GetVisibleColumn(0));
        return;
    }
    // The same records re-sorted keep their rows; as above, a stop was replaced by a rebuild.
    bool reordered = false;
    Keeping([&] {
        reordered = true;
        reordered = ReorderRows();
    });
    if (!reordered)
        ReloadNodes();
    SyncFocusToRecord();
}

bool TCustomdxDBGrid::SmartRefreshRecord()
{
    TDataSet* ds = DataSet();
    TField* key = KeyFieldObject();
    if (!m_options.Contains(egoSmartRefresh) || !key || ds->Bof() || ds->Eof() || ds->State() != dsBrowse ||
        !IsAllRecordsMode() || m_locked || IsFilterActive())
        return false;
    // A record added or deleted changes the count: only a reload finds it.
    // FIXME: placing or freeing that one record row (as a refilter places rows) would remove the reload.
    if (ds->RecordCount() != m_loadedRecordCount)
        return false;
    TdxDBGridNode* node = FindNodeByKey(key->Value());
    if (!node || ds->CompareBookmarks(ds->GetBookmark(), node->Bookmark) != 0)
        return false;
    // The summaries follow from the rows' stored values; a summarised field
    // no column keeps needs the record walk of a reload.
    if (!m_summaries->CanRefreshFromRows(node))
        return false;
    const bool loading = std::exchange(m_loading, true);
    RunThenUnlessFreed(
        this,
        [&] {
            bool moved = false;
            TdxTreeListNode* g = node->Parent();
            for (int level = GroupColumnCount() - 1; level >= 0 && g; --level, g = g->Parent())
                moved = moved || CompareGroupValues(AsGridNode(g)->GroupValue(),
                                                    GetGroupColumn(level)->GetField()->Value()) != 0;
            if (moved) {
                // The record left its group: it is placed anew, emptied group rows go.
                BeginUpdate();
                RunThenUnlessFreed(
                    this,
                    [&] {
                        const int number = node->RecordNumber;
                        FreeEmptyGroupNodes(node);
                        node = PlaceRecord(TLoadRecord{}, nullptr);
                        FillNode(node, number);
                        FinishGroupNodes();
                        m_summaries->RefreshFromRows(nullptr, m_loadedRecordCount);   // old and new groups
                    },
                    [this] { EndUpdate(); });
            } else {
                LoadNodeData(node);
                DoRefreshNodeData(node);
                m_summaries->RefreshFromRows(node, m_loadedRecordCount);
                Invalidate();   // the group rows and the footer above and below the row
            }
            if (OnCalcSummary)
                CallOut([this] { OnCalcSummary(this); });
            InvalidateRowIndexes();
        },
        [&] { m_loading = loading; });
    SyncFocusToRecord();
    return true;
}

void TCustomdxDBGrid::AddInsertedNode()
{
    TDataSet* ds = DataSet();
    TdxTreeListNode* leaf = FirstLeaf(GetFocusedNode());
    TdxTreeListNode* parent = leaf ? leaf->Parent() : nullptr;
    TdxDBGridNode* n = NewNodeAt(parent, (ds->Eof() || !leaf) ? nullptr : leaf);
    InvalidateRowIndexes();
    n->SetGroupValue(Variant::Null());
    n->RecordNumber = m_loadedRecordCount;
    LoadNodeData(n);
    m_insertNode = n;
    {
        TValueRestorer<bool> following(m_following, true);
        SetFocusedNode(n);
    }
    // The new record takes the group values of the rows it was inserted under.
    for (int level = GroupColumnCount() - 1; level >= 0; --level) {
        TdxTreeListNode* g = n;
        while (g && g->Level() > level)
            g = g->Parent();
        TdxDBTreeListColumn* column = GetGroupColumn(level);
        if (!g || g == n || !column || !column->GetField())
            continue;
        TField* f = column->GetField();
        if (f->Lookup() && f->DataSet()) {
            const TNodeVariantData& d = AsGridNode(g)->GetVariantData(column->GetColumnIndex());
            std::vector<TField*> keys = f->DataSet()->GetFieldList(f->KeyFields());
            if (keys.size() == 1 && (d.Flags & 2))
                keys[0]->SetValue(d.LookupKey);
        } else {
            f->SetValue(AsGridNode(g)->GroupValue());
        }
    }
    m_insertHasGroupValuesOnly = ds->Modified();
}

void TCustomdxDBGrid::DoLinkActive(bool Active)
{
    if (m_destroying || RowsHeld(true))
        return;
    if (!Active)
        HideEditor();
    {
        TUpdateScope<TCustomdxTreeList> update(*this);
        ClearNodes();
        ForgetRowsLoaded();
        InvalidateRowIndexes();
        m_insertNode = nullptr;
        ClearSelection();
        RebuildColumns();
        // Group indexes read from a stream take effect once there is a dataset.
        std::vector<TdxDBTreeListColumn*> stored;
        for (int i = 0; i < GetColumnCount(); ++i)
            if (TdxDBTreeListColumn* c = GetColumn(i))
                if (c->GroupIndex() >= 0 && std::find(m_groupColumns.begin(), m_groupColumns.end(), c) ==
                                                 m_groupColumns.end())
                    stored.push_back(c);
        std::stable_sort(stored.begin(), stored.end(),
                         [](auto* A, auto* B) { return A->GroupIndex() < B->GroupIndex(); });
        for (TdxDBTreeListColumn* c : stored)
            m_groupColumns.push_back(c);
        for (std::size_t i = 0; i < m_groupColumns.size(); ++i)
            m_groupColumns[i]->SetGroupIndexDirect(static_cast<int>(i));
        if (Active)
            LoadNodes();
    }
    if (Active) {
        SyncToDataSet();
        if (OnReloadGroupList)
            OnReloadGroupList(this);
    }
}

void TCustomdxDBGrid::RecordChanged(TField* Field)
{
    TDataSet* ds = DataSet();
    m_insertHasGroupValuesOnly = false;   // a change after the grid's own
    if (!ds || m_loading)
        return;
    if (IsBufferMode()) {
        if (TdxTreeListNode* f = GetFocusedNode())
            SetFocusedNodeValue(Field, f);
        return;
    }
    if ((ds->State() == dsInsert && !m_insertNode) || ds->State() == dsSetKey)
        return;
    TdxTreeListNode* node = ds->State() == dsInsert ? m_insertNode : GetFocusedNode();
    SetFocusedNodeValue(Field, node);
}

void TCustomdxDBGrid::StoreNodeValue(TdxTreeListNode* Node)
{
    auto* n = dynamic_cast<TdxDBGridNode*>(Node);
    TDataSet* ds = DataSet();
    if (!n || IsGroupRow(n) || !ds || !ds->Active())
        return;
    // Only the node of the current record takes its values.
    if (n != m_insertNode && !n->Bookmark.empty() && ds->CompareBookmarks(ds->GetBookmark(), n->Bookmark) != 0)
        return;
    LoadNodeData(n);
    InvalidateRowIndexes();   // its key may have changed
    InvalidateNode(n);
}

void TCustomdxDBGrid::Scroll(int /*Distance*/)
{
    if (m_destroying || m_loading)
        return;
    TDataSet* ds = DataSet();
    if (IsPartialLoadMode() && ds) {
        TField* key = KeyFieldObject();
        const bool inWindow = key && FindCurrentRecordNode();
        if (!inWindow)
            LoadRecordWindow(TdxRecordWindow::Around, TdxWindowPlacement::FocusedAtTop);
    }
    if (IsBufferMode())
        RebuildBufferNodes();
    SyncToDataSet();
    if (IsPartialLoadMode())
        CheckWindowEdges();
}

void TCustomdxDBGrid::LinkLayoutChanged()
{
    LayoutChanged();
    if (IsBufferMode())
        DataChanged();
}

void TCustomdxDBGrid::LinkFocusControl(TField*& Field)
{
    if (!m_options.Contains(egoCanNavigation) || !Field)
        return;
    if (!IsBufferMode())
        if (TdxTreeListNode* leaf = FirstLeaf(GetFocusedNode()))
            leaf->MakeVisible();
    if (!m_options.Contains(egoRowSelect)) {
        FocusColumnByField(Field);
        TdxDBTreeListColumn* c = GetColumn(GetFocusedColumn());
        if (c && c->GetField() == Field && CanShowEditor()) {
            Field = nullptr;
            ShowEditor();
        }
    }
}

void TCustomdxDBGrid::ColumnChanged(TdxDBTreeListColumn* /*Column*/)
{
    // A column bound to another field shows that field's values after the next load.
    // FIXME: every row is reloaded; reading that column from the records (the rows not
    // yet read already are) and dropping its kept texts would remove the reload.
    if (LinkActive() && !m_loading && !IsUpdating() && !IsControlLoading() && !m_destroying && IsAllRecordsMode()) {
        ReloadNodes();
        SyncFocusToRecord();
    }
}

} // namespace qel
