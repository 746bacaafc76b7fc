#pragma once
// TCustomdxDBGrid (published as TdxDBGrid): the records of a dataset as rows
// of the tree list, grouped under group rows by the values of chosen columns.
//
// Holding modes, chosen anew at every load:
//   all records    a group column exists (link active) or egoLoadAllRecords:
//                  every record gets a node. The records are read through
//                  the dataset's record reader (the cursor stays put) and a
//                  row reads its texts from its record when asked, keeping
//                  them while it is among the rows asked for last;
//                  with OnRefreshNodeData or OnGroupSummaryValue assigned,
//                  whose handlers read the dataset, the cursor walks instead
//   partial load   otherwise with edgoPartialLoad: a window of records
//                  around the current one (about five screens)
//   buffer         neither: the nodes mirror the data link's record buffer
//
// The grid follows the dataset cursor (SyncFocusToRecord, through a key ->
// node index instead of a scan) and moves it when the user focuses a row
// (GotoNodeRecord: Locate on KeyField, or a relative move verified by key).
// Loading sets the loading flag; every data event that arrives meanwhile is
// ignored. Every bracket (loading, disabled controls, update lock) is a
// scope guard.
//
//   TdxDBGrid grid(form);
//   grid.SetDataSource(source);
//   grid.SetKeyField("NUMBER");
//   grid.SetOptions(grid.Options() + egoLoadAllRecords);
//   grid.CreateColumnOf<TdxDBGridColumn>()->SetFieldName("TITLE");
//   grid.ColumnByFieldName("TITLE")->SetGroupIndex(0);
#include "dbgrid/DBTreeListColumn.h"
#include "dbgrid/DBTreeListControl.h"
#include "dbgrid/GridFilter.h"
#include "dbgrid/GridRowFields.h"
#include "dbgrid/GridSummaries.h"
#include "dbgrid/RowValueSource.h"
#include "platform/controls/Clock.h"
#include "platform/core/Guards.h"
#include "platform/core/TSet.h"

#include <memory>
#include <optional>
#include <string_view>
#include <typeinfo>
#include <vector>

namespace qel {

class TDataSource;

// The combined option words. Each member mirrors the like-named member of
// one of the four grouped sets below, which are what a form sets.
enum TdxDBGridOption : std::uint8_t {
    egoColumnSizing, egoColumnMoving, egoEditing, egoTabs, egoTabThrough, egoImmediateEditor,
    egoMultiSelect, egoRowSelect, egoPreview, egoAutoWidth, egoCaseInsensitive, egoDrawEndEllipsis,
    egoHideFocusRect, egoKeepColumnWidth, egoCanDelete, egoConfirmDelete, egoCanNavigation, egoCanInsert,
    egoCanAppend, egoLoadAllRecords, egoUseLocate, egoCancelOnExit, egoResetColumnFocus, egoSmartReload,
    egoSmartRefresh, egoCollapsedReload, egoShowHourGlass, egoSyncSelection, egoSeekDetail
};
using TdxDBGridOptions = TSet<TdxDBGridOption>;

enum TdxDBGridOptionEx : std::uint8_t {
    egoInvertSelect, egoUseBitmap, egoBandHeaderWidth, egoBandSizing, egoBandMoving, egoVertThrough,
    egoEnterShowEditor, egoDragScroll, egoDragExpand, egoAutoCalcPreviewLines, egoRowAutoHeight,
    egoMultiSort, egoAnsiSort, egoDblClick, egoAutoSort, egoNotHideColumn, egoMouseScroll,
    egoAutoHeaderPanelHeight, egoEnterThrough, egoExtCustomizing, egoAutoSearch
};
using TdxDBGridOptionsEx = TSet<TdxDBGridOptionEx>;

// The grouped sets. A member is copied to the like-named "ego" member of the
// combined words and to the like-named "ao" member of the tree list where
// one exists (edgoIndicator drives ShowIndicator; edgoMultiSort and every
// data member stay with the grid). edgoPartialLoad and edgoUseBookmarks
// exist in OptionsDB only.
enum TdxDBGridOptionBehavior : std::uint8_t {
    edgoAnsiSort, edgoAutoSearch, edgoAutoSort, edgoCaseInsensitive, edgoCollapsedReload, edgoDblClick,
    edgoDragExpand, edgoDragScroll, edgoEditing, edgoEnterShowEditor, edgoEnterThrough, edgoImmediateEditor,
    edgoMouseScroll, edgoMultiSelect, edgoMultiSort, edgoSeekDetail, edgoShowHourGlass, edgoTabs,
    edgoTabThrough, edgoVertThrough
};
using TdxDBGridOptionsBehavior = TSet<TdxDBGridOptionBehavior>;

enum TdxDBGridOptionCustomize : std::uint8_t {
    edgoBandMoving, edgoBandSizing, edgoColumnMoving, edgoColumnSizing, edgoExtCustomizing,
    edgoKeepColumnWidth, edgoNotHideColumn
};
using TdxDBGridOptionsCustomize = TSet<TdxDBGridOptionCustomize>;

enum TdxDBGridOptionDB : std::uint8_t {
    edgoCanAppend, edgoCanDelete, edgoCanInsert, edgoCanNavigation, edgoCancelOnExit, edgoConfirmDelete,
    edgoLoadAllRecords, edgoPartialLoad, edgoResetColumnFocus, edgoSmartRefresh, edgoSmartReload,
    edgoSyncSelection, edgoUseBookmarks, edgoUseLocate
};
using TdxDBGridOptionsDB = TSet<TdxDBGridOptionDB>;

enum TdxDBGridOptionView : std::uint8_t {
    edgoAutoCalcPreviewLines, edgoAutoHeaderPanelHeight, edgoAutoWidth, edgoBandHeaderWidth,
    edgoDrawEndEllipsis, edgoHideFocusRect, edgoIndicator, edgoInvertSelect, edgoPreview, edgoRowAutoHeight,
    edgoRowSelect, edgoUseBitmap
};
using TdxDBGridOptionsView = TSet<TdxDBGridOptionView>;

class TCustomdxDBGrid;

// The records a partial load reads: around the current one (replacing the
// rows), the next ones below the last row, the ones before the first row,
// or every record.
enum class TdxRecordWindow : std::uint8_t { Around, Below, Above, Every };
// Where the focused row lands after a window load: where the load left it,
// at the top, or at its distance from the top before the load.
enum class TdxWindowPlacement : std::uint8_t { Keep, FocusedAtTop, KeepOffset };

class TdxDBGridNode : public TdxDBTreeListControlNode {
public:
    using TdxDBTreeListControlNode::TdxDBTreeListControlNode;

    TRowBookmark Bookmark;
    // A group row's value; Null for record rows. A group row keeps it, with
    // its summaries, in a block record rows do not have.
    const Variant& GroupValue() const;
    void SetGroupValue(const Variant& Value);
    // Group rows with summaries only; nullptr otherwise.
    TdxDBGridNodeSummary* Summary() const;
    void SetSummary(std::unique_ptr<TdxDBGridNodeSummary> Value);

    bool IsGroup() const { return HasChildren(); }
    // Deletes the node's record from the dataset: only when the dataset
    // really stands on that record (its bookmark is the node's).
    virtual void DeleteRecord();

private:
    struct TGroupRowData;
    TGroupRowData* GroupRowData() const;
    TGroupRowData& EditGroupRowData();
    // Frees the block once it holds nothing.
    void DropEmptyGroupRowData();
};

class TdxGridDataLink : public TdxDBTreeListControlDataLink {
public:
    explicit TdxGridDataLink(TCustomdxDBGrid* Grid);
};

// The grid's default column classes.
class TdxDBGridColumn : public TdxDBTreeListColumn {
    QEL_CLASS(TdxDBGridColumn)
public:
    explicit TdxDBGridColumn(TComponent* AOwner) : TdxDBTreeListColumn(AOwner) {}
    bool ShowsFieldTextAsIs() const override { return typeid(*this) == typeid(TdxDBGridColumn); }
};

class TdxDBGridMaskColumn : public TdxDBTreeListMaskColumn {
    QEL_CLASS(TdxDBGridMaskColumn)
public:
    explicit TdxDBGridMaskColumn(TComponent* AOwner) : TdxDBTreeListMaskColumn(AOwner) {}
    bool ShowsFieldTextAsIs() const override { return typeid(*this) == typeid(TdxDBGridMaskColumn); }
};

using TdxDBGridAddGroupColumnEvent =
    std::function<void(TObject* Sender, TdxDBTreeListColumn* Column, bool& Allow)>;
using TdxDBGridEndDragGroupColumnEvent =
    std::function<void(TObject* Sender, TdxDBTreeListColumn* Column, int GroupIndex, bool& Allow)>;
using TdxDBGridColumnEvent = std::function<void(TObject* Sender, TdxDBTreeListColumn* Column)>;

class TCustomdxDBGrid : public TCustomdxDBTreeListControl {
    QEL_CLASS(TCustomdxDBGrid)
public:
    explicit TCustomdxDBGrid(TComponent* AOwner);
    ~TCustomdxDBGrid() override;

    // ----- binding and options -------------------------------------------------------------------
    TDataSource* DataSource() const { return m_link->DataSource(); }
    void SetDataSource(TDataSource* Value);
    TdxDBTreeListControlDataLink* GetDataLink() const override { return m_link.get(); }
    // The combined words hide the tree list's own sets of the same name:
    // reach those through GetOptions()/GetOptionsEx(). Setting a combined
    // word sets the four grouped sets in one update.
    TdxDBGridOptions Options() const { return m_options; }
    void SetOptions(TdxDBGridOptions Value);
    TdxDBGridOptionsEx OptionsEx() const { return m_optionsEx; }
    void SetOptionsEx(TdxDBGridOptionsEx Value);
    using TCustomdxTreeList::SetOptionsEx;
    TdxDBGridOptionsBehavior OptionsBehavior() const { return m_optionsBehavior; }
    void SetOptionsBehavior(TdxDBGridOptionsBehavior Value);
    TdxDBGridOptionsCustomize OptionsCustomize() const { return m_optionsCustomize; }
    void SetOptionsCustomize(TdxDBGridOptionsCustomize Value);
    TdxDBGridOptionsDB OptionsDB() const { return m_optionsDB; }
    // edgoLoadAllRecords wins over edgoPartialLoad.
    void SetOptionsDB(TdxDBGridOptionsDB Value);
    TdxDBGridOptionsView OptionsView() const;
    // edgoInvertSelect wins over edgoRowSelect.
    void SetOptionsView(TdxDBGridOptionsView Value);
    bool DefaultFields() const { return m_defaultFields; }
    void SetDefaultFields(bool Value);
    bool PartialLoad() const { return m_optionsDB.Contains(edgoPartialLoad); }
    void SetPartialLoad(bool Value);
    int PartialLoadBufferCount() const { return m_partialLoadBufferCount; }
    void SetPartialLoadBufferCount(int Value) { m_partialLoadBufferCount = std::max(1, Value); }
    bool UseBookmarks() const { return m_optionsDB.Contains(edgoUseBookmarks); }
    void SetUseBookmarks(bool Value);
    bool ShowGroupPanel() const { return m_showGroupPanel; }
    void SetShowGroupPanel(bool Value);
    // Whether a row for entering a new record is offered; stored with the layout.
    bool ShowNewItemRow() const { return m_showNewItemRow; }
    void SetShowNewItemRow(bool Value);
    TColor GroupPanelColor() const { return m_groupPanelColor; }
    void SetGroupPanelColor(TColor Value) { m_groupPanelColor = Value; Invalidate(); }
    TColor GroupPanelFontColor() const { return m_groupPanelFontColor; }
    void SetGroupPanelFontColor(TColor Value) { m_groupPanelFontColor = Value; Invalidate(); }
    const std::string& SummarySeparator() const { return m_summarySeparator; }
    void SetSummarySeparator(const std::string& Value) { m_summarySeparator = Value; }
    // Set while a layout is applied to / captured from the grid.
    bool LoadingLayout() const { return m_loadingLayout; }
    void SetLoadingLayout(bool Value) { m_loadingLayout = Value; }
    bool StoringLayout() const { return m_storingLayout; }
    void SetStoringLayout(bool Value) { m_storingLayout = Value; }
    // Published settings a stored layout carries and resets; the grid keeps
    // them for its views and for the layouts.
    TScrollStyle ScrollBars() const { return m_scrollBars; }
    void SetScrollBars(TScrollStyle Value) { m_scrollBars = Value; Invalidate(); }
    int RowSeparatorLineWidth() const { return m_rowSeparatorLineWidth; }
    void SetRowSeparatorLineWidth(int Value)
    {
        m_rowSeparatorLineWidth = std::clamp(Value, 0, dxMaxTreeListLength);
        Invalidate();
    }
    int FixedBandLineWidth() const { return m_fixedBandLineWidth; }
    void SetFixedBandLineWidth(int Value)
    {
        m_fixedBandLineWidth = std::clamp(Value, 0, dxMaxTreeListLength);
        Invalidate();
    }
    TColor FixedBandLineColor() const { return m_fixedBandLineColor; }
    void SetFixedBandLineColor(TColor Value) { m_fixedBandLineColor = Value; Invalidate(); }
    TColor RowFooterTextColor() const { return m_rowFooterTextColor; }
    void SetRowFooterTextColor(TColor Value) { m_rowFooterTextColor = Value; Invalidate(); }
    int CustomizingRowCount() const { return m_customizingRowCount; }
    void SetCustomizingRowCount(int Value) { m_customizingRowCount = std::max(1, Value); }

    // ----- filter ---------------------------------------------------------------------------------------
    TdxDBGridFilter* Filter() const { return m_filter.get(); }
    void SetFilter(TdxDBGridFilter* Value) { m_filter->Assign(Value); }
    // Re-binds the criteria, refilters the rows (RefilterNodes) and passes
    // the filter text to the dataset when AutoDataSetFilter is set.
    void ApplyFilter();
    void ClearFilter() { m_filter->ClearAll(); }
    // The column's values for its header drop-down: every record row and
    // every row the filter hides (all-records mode), else OnEnumFilterValues.
    void CollectFilterValues(TdxDBTreeListColumn* Column, TdxDBGridFilterValues& Values) const;
    int HiddenNodeCount() const { return static_cast<int>(m_hiddenNodes.size()); }
    // Opens the header drop-down of the column (created on first use).
    void DropDownFilter(int ColumnIndex);
    TdxDBGridFilterPopupListBox* FilterPopup() const { return m_filterPopup.get(); }
    bool IsFilterDropDownOpen() const { return m_filterPopup && m_filterPopup->IsOpen(); }
    std::function<void(TObject* Sender, TdxDBTreeListColumn* Column, bool& Continue, std::string& Text,
                       Variant& Value)>
        OnEnumFilterValues;
    // The header's filter button (right end of the header cell, while the
    // filter is active) and the status panel's "Clear Filter" button; empty when not shown.
    TRect GetFilterButtonRect(int Column) const;
    TRect GetStatusClearButtonRect() const;
    int GetStatusPanelHeight() const override;
    static constexpr const char* ClearFilterCaption = "Clear Filter";

    // ----- summaries ----------------------------------------------------------------------------------
    TdxDBGridSummaryGroups* SummaryGroups() const { return m_summaryGroups.get(); }
    void SetSummaryGroups(TdxDBGridSummaryGroups* Value) { m_summaryGroups->Assign(Value); }
    const TdxDBGridSummaries& Summaries() const { return *m_summaries; }
    std::string GetFooterCellText(int Column) const override;
    bool IsExistFooterCell(int Column) const override;
    bool IsLevelFooter(int Level) const override;
    bool IsExistRowFooterCell(TdxTreeListNode* Node, int Column, int FooterIndex) const override;
    void GetRowFooterCellText(TdxTreeListNode* Node, int Column, int FooterIndex, std::string& Text) const override;
    TNotifyEvent OnCalcSummary;

    // Not published: called for every group summary value (also for a group
    // column without a summary type), and extra text appended to a group row.
    std::function<void(TCustomdxDBGrid* Grid, TdxTreeListNode* Node, double& Value, TDataSet* DataSet)>
        OnGroupSummaryValue;
    std::function<void(TCustomdxDBGrid* Grid, TdxTreeListNode* Node, std::string& Text)> OnGetGroupRowExtraText;

    // ----- group panel (dbgrid/GroupPanel.cpp) -----------------------------------------------------
    // Button i: left 8 + 104 * i, top 8 + (h div 2) * i, 100 x h (h the header row
    // height); the panel is (count - 1) * (h div 2) + h + 16 high, also with no
    // group columns. While the panel slides open or shut, the height shown so far.
    int GetGroupPanelHeight() const override;
    int GroupPanelFullHeight() const;
    // In client coordinates.
    TRect GetGroupButtonRect(int Index) const;
    // The group column whose button is under the point; nullptr when none.
    TdxDBTreeListColumn* GetGroupColumnAt(TPoint Point) const;
    // Where a column dropped at X goes among the group buttons: the first
    // button whose horizontal middle lies right of X (count when none).
    int GetGroupDropIndex(int X) const;
    // Refused unless the column may group (and OnAddGroupColumn allows it).
    bool AddGroupColumn(int Index, TdxDBTreeListColumn* Column);
    void RemoveGroupColumn(int Index);
    bool IsGroupPanelSliding() const { return m_slideTimer && m_slideTimer->Active(); }
    // The group button pressed and not yet dragged or released; nullptr when none.
    TdxDBTreeListColumn* PendingGroupColumn() const { return m_pendingGroupColumn; }
    static constexpr const char* GroupPanelEmptyText = "Drag a column header here to group by that column";

    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // Over the group panel the column groups (or moves among the groups); a
    // group button dropped elsewhere ungroups its column (OnHideHeader when it
    // ends hidden). A column the drop brings into the header fires OnShowHeader.
    void EndColumnDrag(bool Accept) override;

    // ----- the control's answers ------------------------------------------------------------------
    bool IsDefaultFields() const override { return m_defaultFields; }
    bool CanInsertRecords() const override;
    bool CanEditRecords() const override;
    bool IsReadOnlyLink() const override;
    bool IsSearchInDataSet() const override { return false; }
    bool IsBookmarkSelection() const override;
    void SetLocked(bool Value) override { m_locked = Value; }
    bool IsDataSetBusy() const override { return m_loading || m_locked; }
    bool IsBufferMode() const override;
    bool IsAllRecordsMode() const;
    bool IsPartialLoadMode() const;
    std::string GetColumnClassForField(TField* Field) const override;
    std::string GetDefaultColumnClass() const override { return "TdxDBGridColumn"; }
    TBookmark NodeBookmark(const TdxTreeListNode* Node) const override;

    // ----- grouping ----------------------------------------------------------------------------------
    int GroupColumnCount() const { return static_cast<int>(m_groupColumns.size()); }
    TdxDBTreeListColumn* GetGroupColumn(int Index) const;
    // BeginUpdate, then the group lock; the lock released (regrouping or
    // reloading the rows once), then EndUpdate.
    void BeginUpdateEx() override;
    void EndUpdateEx() override;
    // Whether the column may group (OnAddGroupColumn is asked when it does).
    virtual bool CanGroupByColumn(TdxDBTreeListColumn* Column, bool Forced = false);
    // Groups, moves or ungroups (GroupIndex -1) the column; a new grouping
    // is asked of OnAddGroupColumn once.
    void RegroupColumn(TdxDBTreeListColumn* Column, int GroupIndex) override;
    void ClearGrouping() override;
    // -1, 0, 1; Null first, a total order (through the Variant order).
    int CompareGroupValues(const Variant& A, const Variant& B) const;
    // Searches the siblings of FirstSibling (the roots for nullptr) at Level;
    // answers the match or, not found, the insertion point (nullptr: append).
    bool FindGroupNode(TdxTreeListNode* Parent, int Level, const Variant& Value, TdxTreeListNode*& Node) const;
    bool IsGroupRow(const TdxTreeListNode* Node) const override;
    // Group rows keep the group order FindGroupNode searches; records follow the sorted columns.
    int CompareNodes(TdxTreeListNode* A, TdxTreeListNode* B) const override;
    // Record rows (no group rows) compare by their values.
    bool ComparesByValues(const std::vector<TdxTreeListNode*>& Siblings) const override;
    // Group columns with SortBySummary order their group rows even when no column is sorted.
    bool HasNodeOrder() const override;
    // Without multi-sorting only the first sorted ungrouped column stays sorted.
    void ApplySortingRule();
    // Columns named after the grid take its new name along.
    void SetName(const std::string& NewName) override;
    std::string GetGroupRowText(TdxTreeListNode* Node) const override;

    // ----- loading ------------------------------------------------------------------------------------
    virtual void LoadNodes(std::vector<TdxDBGridNode*>* OldNodes = nullptr);
    void ReloadNodes();
    // Reads a window of records (partial load); KeepAnchor keeps the
    // selection anchor's record inside it.
    void LoadRecordWindow(TdxRecordWindow Window, TdxWindowPlacement Placement = TdxWindowPlacement::Keep,
                          bool KeepAnchor = false);
    bool IsLoading() const { return m_loading; }
    int LoadedRecordCount() const { return m_loadedRecordCount; }
    bool WindowStartLoaded() const { return m_windowStart; }
    bool WindowEndLoaded() const { return m_windowEnd; }
    TdxDBGridNode* InsertNode() const { return m_insertNode; }
    // The first record row in tree order whose record has Key.
    TdxDBGridNode* FindNodeByKey(const Variant& Key) const;
    // The record row of the dataset's current record; nullptr when it has none.
    TdxDBGridNode* FindCurrentRecordNode() const;
    Variant NodeKey(const TdxDBTreeListControlNode* Node) const override;
    // A row whose values are still pending gives, while its rows are read
    // from their records (TdxPendingRowsReading), its record's value and
    // text as the filled row would hold them, and stays unread.
    Variant GetNodeValue(const TdxTreeListNode* Node, int Column) const override;
    std::string GetNodeString(const TdxTreeListNode* Node, int Column) const override;
    // GetNodeString without a copy where the text lies in the record: in
    // Scratch or the record store, valid until the next read of the grid.
    std::string_view NodeText(const TdxTreeListNode* Node, int Column, std::string& Scratch) const;
    void SortNodes() override;
    // Whether the rows hold every record with values of Field (a column
    // bound to it as at the last record walk).
    bool RowsHoldField(const TField* Field) const;
    void SyncToDataSet();
    void SyncFocusToRecord();
    virtual bool IsLocateNeeded() const;
    bool GotoNodeRecord(TdxDBGridNode* From, TdxDBGridNode* To, bool ByKey);
    // Deletes the focused record (through its node).
    void DeleteFocusedRecord();
    // Deletes the records of the selected rows (group rows excepted): a
    // pending edit the user changed is posted first (an unchanged insert is
    // cancelled), a bookmark no longer valid is skipped, and the dataset's
    // controls come back whatever happens.
    void DeleteSelection();
    // egoConfirmDelete: "Delete record?" or, for selected rows, "Delete all
    // selected records?"; true without the option or on OK.
    bool ConfirmDelete(bool Selection) const;
    // The grid's key table over the tree list's; the user's OnKeyDown runs first.
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    // The dataset inserts a record the user has not changed: none of its
    // fields, or only the group values the grid gave it, and no editor change.
    bool IsUnchangedInsert() const;
    // A dataset edit or insert the user changed is posted; an unchanged
    // insert and the set-key state are cancelled. A failing post raises and
    // leaves the edit as it was.
    void PostOrCancelPendingEdit();
    int VisibleRowCountForLoad() const;

    // ----- filter hooks (the grid filter fills them) ------------------------------------------------
    virtual bool IsNodePassingFilter(TdxDBGridNode* Node) const;
    // IsNodePassingFilter from a kept operation (through CallOut).
    bool PassesFilter(TdxDBGridNode* Node);
    virtual bool IsFilterActive() const { return m_filterActive; }
    virtual void PrepareFilter();
    virtual void ResetFilterState() {}
    virtual void FreeFilterPopups() {}
    virtual bool IsNodeVisibleByFilter(TdxTreeListNode* /*Node*/) const { return true; }
    // All-records mode: refilters the loaded rows in place, without walking
    // the dataset (dbgrid/GridRefilter.cpp). Rows that now fail leave for the
    // hidden list (leaving the selection), hidden rows that now pass come
    // back under their group rows (found, or made from their own values) in
    // their walk place, group rows left empty go; the summaries, footers and
    // the loaded record count are recounted from the rows' values, so they
    // are those of a load with the same filter. Group rows that stay keep
    // their expanded state; the focus stays on its row while that shows,
    // else moves to the nearest row that does (the dataset following unless
    // it is editing). The dataset's cursor and a pending edit are left alone.
    // Where the rows cannot tell (they do not hold every record or a group
    // value, a summarised field is held by no column, or OnGroupSummaryValue
    // wants the dataset on each record) the rows are reloaded instead.
    // With Node (a record row in the tree) only that row is tested.
    virtual void RefilterNodes(TdxDBGridNode* Node = nullptr);
    virtual void RefilterAll() {}
    virtual void ApplyDataSetFilter() {}
    virtual bool DoEndDragGroupColumn(TdxDBTreeListColumn* Column, int GroupIndex);
    // OnAddGroupColumn, once for each grouping the user or program performs.
    virtual bool DoAddGroupColumn(TdxDBTreeListColumn* Column);
    virtual void DoClearNodeData();
    // The user's handlers of a load run through CallOut (see Keeping).
    void DoRefreshNodeData(TdxTreeListNode* Node) override;
    void DoBeforeCalcSummary() override;
    void LoadColumnValue(TdxDBTreeListControlNode* Node, TdxDBTreeListColumn* Column) override;
    void LoadNodeData(TdxDBTreeListControlNode* Node) override;

    // ----- reactions of the link ----------------------------------------------------------------------
    void DataChanged() override;
    void DoLinkActive(bool Active) override;
    void RecordChanged(TField* Field) override;
    void Scroll(int Distance) override;
    void StoreNodeValue(TdxTreeListNode* Node) override;
    void LinkLayoutChanged() override;
    void LinkFocusControl(TField*& Field) override;
    void ColumnChanged(TdxDBTreeListColumn* Column) override;

    int GetIndicatorKind(TdxTreeListNode* Node, bool Flag) const;
    void EndSelection() override;
    // Fires OnChangeNodeEx when the focused row's key, level or selected state
    // differs from the last time it was checked.
    void CheckChangeNodeEx();

    // ----- exports (dbgrid/ExportGrid.h) -------------------------------------------------------
    // Runs Read (an export) with the rows held whole: a reload, refilter or
    // regrouping that a handler asks for meanwhile waits for its end.
    // CheckUnchangedWhileHeld raises EInvaliddxTreeListOperation when a column
    // or field was removed, or the grouping, the summary groups or the link
    // changed meanwhile: what was read may not be the grid's. Read learns of
    // it the same way when a row's values were read through such a handler.
    void HoldRowsWhile(const std::function<void()>& Read);
    void CheckUnchangedWhileHeld() const;
    void SaveToHTML(const std::string& FileName, bool SaveAll);
    void SaveToXLS(const std::string& FileName, bool SaveAll);
    void SaveToText(const std::string& FileName, bool SaveAll, const std::string& Separator,
                    const std::string& BeginString, const std::string& EndString);
    void SaveToXML(const std::string& FileName, bool SaveAll);

    // ----- events ---------------------------------------------------------------------------------------
    TNotifyEvent OnClearNodeData;
    TdxDBGridAddGroupColumnEvent OnAddGroupColumn;
    TdxDBGridEndDragGroupColumnEvent OnEndDragGroupColumn;
    TdxDBGridColumnEvent OnHideHeader;
    // A click on a column's header, before the tree list's own handling (the
    // sort toggle); the tree list's index-based OnColumnClick fires after it.
    TdxDBGridColumnEvent OnColumnClick;
    TdxDBGridColumnEvent OnHideColumn;   // after a column left the header
    TdxDBGridColumnEvent OnShowColumn;   // after a column came back to it
    std::function<void(TObject* Sender, TdxDBTreeListColumn* Column, bool& Allow)> OnColumnSorting;
    TdxDBGridColumnEvent OnShowHeader;
    TNotifyEvent OnReloadGroupList;
    // After every apply of the filter: the grid's dataset and the filter text.
    std::function<void(TObject* Sender, TDataSet* DataSet, const std::string& FilterText)> OnFilterChanged;

protected:
    // Layout keys: "GroupIndex" per column; "ShowGroupPanel", "ShowNewItemRow",
    // "ShowRowFooter", "ShowSummaryFooter" and, in settings-store layouts
    // only, the binary "Filter" per grid: the component stream of a wrapper
    // whose one property "Filter" is the grid's filter (older layouts hold
    // the bare criteria stream; both are read). A damaged "Filter" keeps the
    // current filter whole and is reported through the application.
    void SaveColumnLayout(TdxTreeListLayoutStorage& Storage, const std::string& Section,
                          TdxTreeListColumn* Column) override;
    void LoadColumnLayout(TdxTreeListLayoutStorage& Storage, const std::string& Section,
                          TdxTreeListColumn* Column) override;
    void SaveControlLayout(TdxTreeListLayoutStorage& Storage, const std::string& Section) override;
    void LoadControlLayout(TdxTreeListLayoutStorage& Storage, const std::string& Section) override;

    TdxTreeListNode* CreateNode() override;
    // Reads a bulk-loaded row's values from its record (by bookmark, the
    // cursor staying put); a row whose record is gone stays blank.
    void LoadPendingNodeValues(TdxDBTreeListControlNode* Node) override;
    void PaintGroupPanel(TCanvas& Canvas, const TRect& Rect) override;
    // What the grid keeps of a column (its rows' slots, the group lists, the
    // footers, the filter's binding) follows it at once.
    void ColumnRemoved(TdxTreeListColumn* Column, int Index) override;
    void ColumnMoved(int From, int To) override;
    void MoveRowColumnSlots(int From, int To) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // A header dragged over the group panel: the arrows at the drop position
    // (GetGroupDropIndex), and crNoDrop when the column cannot go there.
    bool DoColumnDragOver(int Column, TPoint Point, TdxHeaderDropPlace& Place) override;
    void PaintHeaders(TCanvas& Canvas, const TdxTreeListRectInfo& Info, const TRect& Clip) override;
    void PaintStatusPanel(TCanvas& Canvas, const TRect& Rect) override;
    // A press on a filter button or on "Clear Filter"; true when it was one.
    bool FilterMouseDown(int X, int Y);
    void ChangeFocus(TdxTreeListNode* Node) override;
    void DoDeletion(TdxTreeListNode* Node) override;
    void DoSelectionChanged() override;
    void DoColumnClick(int Column) override;
    // A click sorts (a header, a group button) when egoAutoSort is set,
    // outside buffer mode, and OnColumnSorting allows it; Shift adds the
    // header's column to the sort with egoMultiSort.
    bool MaySortByClick(TdxDBTreeListColumn* Column);
    void HeaderClickSort(int Column, TShiftState Shift) override;
    // Group columns keep their direction when the others' sort is reset.
    bool KeepsSortDirection(const TdxTreeListColumn* Column) const override;
    void DoScroll(TScrollBarKind Kind, TScrollCode Code, int Pos) override;
    // A scroll, like a focus change or a mouse press, closes an open header
    // drop-down without taking its item.
    void DoViewScrolled() override;
    void CloseFilterDropDown();
    // egoDblClick: a second click on the focused cell waits for a double click.
    bool WaitsForDblClick() const override { return m_optionsEx.Contains(egoDblClick); }
    void Loaded() override;
    void AddInsertedNode();
    // egoSmartRefresh: only the current record's row is refreshed (or moved
    // to its new group); false when a full reload is needed.
    bool SmartRefreshRecord();
    void RebuildBufferNodes();
    void CheckWindowEdges();
    // Rows go, selected bookmarks stay (a reload re-marks them).
    void ClearRows();
    void ClearRowSelection();
    // The key table of buffer mode; true when the key was handled.
    bool BufferModeKey(std::uint16_t& Key, TShiftState Shift);
    // The parts of KeyDown, each true when it handled the key: an open header
    // drop-down's keys; the keys that act on the dataset (delete, cancel, and
    // by holding mode the buffer's or the record rows' keys).
    bool FilterDropDownKey(std::uint16_t& Key, TShiftState Shift);
    bool DataSetKey(std::uint16_t& Key, TShiftState Shift, TdxDBGridNode* Focused);
    bool RecordRowsKey(std::uint16_t& Key, TShiftState Shift, TdxDBGridNode* Focused);
    // Takes a record row that fails the filter out of the tree (freeing the
    // group rows it leaves empty) into the hidden list; nothing refers to it
    // afterwards (selection, insert row).
    void HideNode(TdxDBGridNode* Node);

private:
    friend class TdxDBGridSummaries;
    friend class TdxHeldRowSource;
    friend class TdxPendingRowsReading;

    // ----- operations that keep columns, fields and rows (dbgrid/GridKeeping.cpp) -------------
    // A load, regrouping, refilter, summary refresh or export keeps columns,
    // fields, summary groups and rows while it calls the user's handlers.
    // Keeping runs one such operation (the outermost; nested ones just run):
    // the handlers run through CallOut, which holds the rows (a rebuild asked
    // meanwhile waits, RowsHeld) and stops the operation after the handler
    // when it removed a column or field, changed the grouping or the summary
    // groups, or closed the link (NoteKeptChange). A stopped operation leaves
    // its rows to a rebuild from the dataset once it is out; a rebuild that
    // waited runs then too.
    void Keeping(const std::function<void()>& Operation);
    template <class F>
    void CallOut(F&& Handler)
    {
        if (!m_keeping) {
            Handler();
            return;
        }
        ++m_holdRows;
        RunThenUnlessFreed(this, Handler, [this] { --m_holdRows; });
        CheckKept();
    }
    void CheckKept() const;
    void NoteKeptChange();
    // True when the rows are held: the rebuild waits. A relink waits for the
    // end of any kept operation.
    bool RowsHeld(bool Relink = false);
    // After a kept operation: the waiting rebuild, or the rebuild of rows a
    // change left behind (Changed).
    void CatchUp(bool Changed);
    // Fills a pending row from its record (Read) with the rows held: whoever
    // asked for the row reads on once it is filled, so a rebuild or relink
    // its handlers ask for waits until the current event is over.
    void ReadPendingRow(const std::function<void()>& Read);

    // The combined words from the grouped sets (dbgrid/GridOptions.cpp).
    void DeriveCombinedOptions();
    // Copies the grouped sets to the combined words and the tree list, then
    // runs the side effects of what changed.
    void ApplyGroupedOptions(TdxDBGridOptionsBehavior OldBehavior, TdxDBGridOptionsDB OldDB);
    // The record a load places: the dataset's current one, or a reader's
    // record (the cursor then stays where it is).
    struct TLoadRecord {
        const TRecordReader* Reader{nullptr};
        std::int64_t Handle{0};
        Variant Value(const TField* Field) const;
        TBookmark Bookmark(const TDataSet* DataSet) const;
    };
    // A load of every record, in steps: the checks that may end it early,
    // the walk that places each record (through a reader or the cursor), the
    // admission of each placed row (filter, summaries, selection, focus),
    // and the finish.
    void LoadAllRecords(std::vector<TdxDBGridNode*>* OldNodes);
    enum class TWalkStart : std::uint8_t { Walk, ClearRows, Nothing };
    // Nothing: inactive dataset, or the rows were regrouped in place.
    TWalkStart BeginRecordWalk(std::vector<TdxDBGridNode*>* OldNodes);
    // The rows a reload may reuse, and which of them it did.
    // The rows of a reload that records with their key may take again:
    // sorted by key, with the keys read once.
    struct TReusedRows {
        std::vector<TdxDBGridNode*>* Nodes;
        std::vector<char> Taken;
        std::vector<Variant> Keys;
    };
    void SortReusedRows(TReusedRows& Reused) const;
    class TRowKeyReader;
    void FreeUnusedRows(TReusedRows& Reused);
    // What the admission of the walked rows gathers.
    struct TRowAdmission {
        Variant FocusKey;
        int FocusLevel{-1};
        bool CheckSelection{false};
        std::vector<TBookmark> HiddenMarks;   // selected rows the filter hides
        TdxDBGridNode* Candidate{nullptr};    // the row to focus
    };
    void WalkRecords(TReusedRows& Reused, TRowAdmission& Admission);
    // Both answer the number of records walked.
    int PlaceRecordsThroughReader(TReusedRows& Reused, TRowAdmission& Admission);
    int PlaceRecordsByCursor(TReusedRows& Reused, TRowAdmission& Admission);
    void AdmitRow(TdxDBGridNode* Node, const TLoadRecord& Record, TRowAdmission& Admission);
    // The walk may read the records through a reader, leaving the cursor
    // alone and the rows' values pending, unless a handler expects the
    // dataset to stand on each record as it is loaded.
    bool CanLoadThroughReader() const;
    // Reused.Taken marks the rows already reused.
    TdxDBGridNode* PlaceRecord(const TLoadRecord& Record, TReusedRows* Reused);
    void FinishGroupNodes();
    void EndGridColumnDrag(bool Accept);
    // RegroupColumn; Ask: a new grouping is still to be asked of OnAddGroupColumn.
    void Regroup(TdxDBTreeListColumn* Column, int GroupIndex, bool Ask);
    // The rows regrouped after the grouping changed from Before (the group
    // fields), and the focus back. Group rows of the leading levels that
    // stay keep their expanded state.
    void ReloadGrouping(const std::vector<std::string>& Before);
    std::vector<std::string> GroupFieldNames() const;
    // An expanded group row of a level that stays, with its expanded group rows below.
    struct TExpandedGroup {
        Variant Value;
        std::vector<TExpandedGroup> Children;
    };
    std::vector<TExpandedGroup> ExpandedGroups(TdxTreeListNode* Parent, int Level, int Levels) const;
    void ExpandGroups(TdxTreeListNode* Parent, int Level, const std::vector<TExpandedGroup>& Groups);
    // The group lock (nesting): while held, a change of the grouping does not
    // reload; the last release regroups once when the grouping differs from
    // the one at the first take, else reloads the rows.
    void LockGrouping();
    void UnlockGrouping();
    // The bodies of ReloadNodes, RebuildBufferNodes and LoadRecordWindow, run kept.
    void ReloadRows();
    void RebuildBufferRows();
    void LoadWindowRows(TdxRecordWindow Window, TdxWindowPlacement Placement, bool KeepAnchor);
    // The steps of a window load. Appending and prepending answer false,
    // reading nothing, when the edge row's record is gone.
    bool AppendWindowRows(int Count);
    bool PrependWindowRows(int Count);
    void ReplaceWindowRows(bool Every, int Count, bool KeepAnchor);
    void LoadWindowAroundCurrent(int Count, const std::optional<TBookmark>& AnchorBookmark);
    // After the rows are placed: group rows take their first record, the
    // summaries finish (Regrouped: no record was walked), the rows are sorted.
    void FinishRows(bool Regrouped);
    // Its last step: the summaries are told finished, the rows sorted.
    void FinishRowOrder();
    void MoveToCollapsedGroup();
    void RebuildKeyIndex() const;
    void RebuildBookmarkIndex() const;
    // The tree changed: both indexes are rebuilt when lookups repeat.
    void InvalidateRowIndexes() const;
    // Keys of many rows, read through one record reader where it can.
    std::vector<Variant> RowKeys(const std::vector<TdxDBGridNode*>& Rows) const;
    // The record rows (the rows without children), in tree order.
    std::vector<TdxDBGridNode*> RecordRows() const;
    // The arrows for a drop at a position among the group buttons, in client coordinates.
    TRect GroupDropArrowsRect(int Index) const;
    void ResolveKeyField();
    TdxDBGridNode* NewNodeAt(TdxTreeListNode* Parent, TdxTreeListNode* Before);
    void FillNode(TdxDBGridNode* Node, int RecordNumber);
    // A reader's record: the key, number and bookmark now, the values on first use.
    void FillPendingNode(TdxDBGridNode* Node, int RecordNumber, const TLoadRecord& Record);
    // Remembers the focused row's signature; true when it changed.
    bool UpdateChangeSignature();

    // ----- regrouping without a record walk (dbgrid/GridRegroup.cpp) -----------------------------
    // egoSmartReload, a regrouping was requested, all-records mode, and the
    // rows hold every record (no window or buffer rows) with the group
    // columns bound as at the walk (none added or re-bound since).
    bool SmartReloadApplies() const;
    // The rows hold every record with the group columns bound as at the walk.
    bool RowsHoldGroupColumns() const;
    // A row's value of each group column (Values: one per level); false when it holds one not.
    bool RowGroupValues(const TdxDBGridNode* Row, Variant* Values) const;
    // The lowest group row for Values, each level found or made (standing
    // for Row) as a load makes it; nullptr without group columns.
    TdxTreeListNode* GroupRowFor(TdxDBGridNode* Row, const Variant* Values);
    // Group rows left without rows (after something raised) go.
    void FreeChildlessGroupRows();
    // The smart reload: dissolves the group rows and places every record row,
    // hidden ones included, anew from the values it holds; the dataset is
    // neither moved nor its pending edit touched. False, with nothing
    // changed, when a row holds no value of a group column (one it shows as
    // text only): the caller walks the dataset, and without OldNodes the
    // rows are cleared for that walk.
    bool RegroupRows(std::vector<TdxDBGridNode*>* OldNodes);
    // Its steps: every record row and its group values, found before anything
    // changes (false when a row holds no value of a group column); then the
    // rows placed under their group rows anew, counted and summarised.
    struct TRegroupPlan;
    bool PlanRegroup(TRegroupPlan& Plan);
    void PlaceRegroupedRows(TRegroupPlan& Plan, const std::vector<TExpandedGroup>& Expanded);
    // A new group row's value and text of its column, as the row it is made for holds them.
    void CopyGroupColumnValue(TdxDBGridNode* Row, TdxDBGridNode* Group, TdxDBTreeListColumn* Column);
    // After a record walk: the rows hold every record with these columns' values.
    void NoteRowsLoaded();
    // The same records in a new order (a sort of the dataset): the rows are
    // numbered anew and put in the new walk order, as a load would leave
    // them, without reading any record again. No row changes its group, so
    // the summaries stay as they are. False, with the rows unchanged or left
    // for the reload that follows, when it cannot tell.
    bool ReorderRows();
    void ForgetRowsLoaded() { m_rowsLoaded = false; }
    // The in-place refilter; false when only a reload can refilter (some
    // rows may have changed places by then: the tree stays whole).
    bool RefilterRows(TdxDBGridNode* Only);
    // Its steps: a plan of what changes, made before anything changes (false
    // when a row that comes back holds no group value); the rows moved; the
    // summaries and the count recounted from the rows (false when a row holds
    // no summarised value); the focus back on a row that shows.
    struct TRefilterPlan;
    bool PlanRefilter(TdxDBGridNode* Only, TRefilterPlan& Plan);
    void ApplyRefilter(TRefilterPlan& Plan);
    // The lists below Parent back in the order a load leaves them before
    // sorting; answers the lowest record number below Parent.
    // RecordsInOrder: the record rows are in walk order already (only group rows are ordered).
    int RestoreLoadOrder(TdxTreeListNode* Parent, std::size_t Level, bool RecordsInOrder = false);
    bool RecountRefiltered(const TRefilterPlan& Plan);
    void RefocusAfterRefilter(const TRefilterPlan& Plan);

    std::unique_ptr<TdxGridDataLink> m_link;
    std::unique_ptr<TdxDBGridSummaryGroups> m_summaryGroups;
    std::unique_ptr<TdxDBGridSummaries> m_summaries;
    std::unique_ptr<TdxDBGridFilter> m_filter;
    std::unique_ptr<TdxDBGridFilterPopupListBox> m_filterPopup;
    // Record rows the filter hides, detached from the tree; owned here.
    std::vector<std::unique_ptr<TdxTreeListNode>> m_hiddenNodes;
    TChangeLink m_summaryGroupsLink;
    // The grouped sets are the truth; the combined words are derived from them.
    TdxDBGridOptionsBehavior m_optionsBehavior;
    TdxDBGridOptionsCustomize m_optionsCustomize;
    TdxDBGridOptionsDB m_optionsDB;
    TdxDBGridOptionsView m_optionsView;
    TdxDBGridOptions m_options;
    TdxDBGridOptionsEx m_optionsEx;
    bool m_defaultFields{false};
    int m_partialLoadBufferCount{100};
    bool m_showGroupPanel{false};
    bool m_showNewItemRow{false};
    TColor m_groupPanelColor{clBtnShadow};
    TColor m_groupPanelFontColor{clBtnFace};
    std::string m_summarySeparator{", "};
    std::vector<TdxDBTreeListColumn*> m_groupColumns;
    int m_groupLock{0};
    std::vector<std::string> m_lockedGrouping;   // the group fields at the first take
    // The group panel: the pressed button, and the slide when it opens or shuts.
    TdxDBTreeListColumn* m_pendingGroupColumn{nullptr};
    TPoint m_groupPressPoint{};
    TdxDBTreeListColumn* m_groupDragColumn{nullptr};   // a header drag that started on a group button
    bool m_groupDropAllowed{false};   // what the drag cursor over the panel says; the drop follows it
    std::unique_ptr<TClockTimer> m_slideTimer;
    int m_slideShown{0};       // panel height uncovered so far
    int m_slideStep{1};
    bool m_slideOpening{false};
    std::uint32_t m_slideStart{0};
    void SlideStep();
    bool m_regroupRequested{false};
    // What the rows were loaded with: set by a complete record walk, cleared
    // whenever rows go or a window or buffer replaces them.
    bool m_rowsLoaded{false};
    std::vector<std::pair<TdxDBTreeListColumn*, TField*>> m_rowFields;   // per column index
    std::vector<TdxDBTreeListColumn*> m_rowGroupColumns;                 // the grouping of the rows
    std::uint64_t m_rowsContent{0};   // the dataset's content version at the walk
    mutable TdxPendingRowsReading* m_pendingReading{nullptr};   // rows pending are read from their records
    bool m_loadingLayout{false};
    bool m_storingLayout{false};
    bool m_keeping{false};       // a kept operation runs
    bool m_keptChanged{false};   // something it keeps changed
    int m_holdRows{0};           // inside its handler, or an export
    int m_readingRows{0};        // a pending row reads its record outside a kept operation
    bool m_waitRelink{false};
    bool m_waitReload{false};
    bool m_catchingUp{false};
    bool m_catchUpPosted{false};

    bool m_loading{false};
    bool m_locked{false};
    bool m_gotoFlag{false};          // the next dataset-changed notification is the grid's own move
    bool m_following{false};         // focus follows the dataset: do not move it back
    bool m_filterActive{false};
    bool m_windowStart{false};
    bool m_windowEnd{false};
    int m_loadedRecordCount{0};
    TdxDBGridNode* m_insertNode{nullptr};
    bool m_insertHasGroupValuesOnly{false};   // the grid's group values are its only change
    TdxDBGridNode* m_leavingRow{nullptr};     // the insert row while the focus leaves it
    Variant m_focusKey;
    int m_focusLevel{-1};
    Variant m_changeKey = Variant::Null();   // the focused row as OnChangeNodeEx last saw it
    int m_changeLevel{-1};
    bool m_changeSelected{false};

    // Key -> record node, sorted by key; rebuilt lazily after the tree changed.
    mutable std::vector<std::pair<Variant, TdxDBGridNode*>> m_keyIndex;
    mutable bool m_keyIndexValid{false};
    mutable bool m_keyScanned{false};   // one lookup scanned since the index went stale
    // Record nodes sorted by bookmark (TRowBookmark::Order), the same way.
    mutable std::vector<TdxDBGridNode*> m_bookmarkIndex;
    mutable bool m_bookmarkIndexValid{false};
    mutable bool m_bookmarkScanned{false};

    TScrollStyle m_scrollBars{ssBoth};
    int m_rowSeparatorLineWidth{1};
    int m_fixedBandLineWidth{2};
    TColor m_fixedBandLineColor{clWindowFrame};
    TColor m_rowFooterTextColor{clWindowText};
    int m_customizingRowCount{11};
};

class TdxDBGrid : public TCustomdxDBGrid {
    QEL_CLASS(TdxDBGrid)
public:
    explicit TdxDBGrid(TComponent* AOwner) : TCustomdxDBGrid(AOwner) {}
};

} // namespace qel
