#pragma once
// TCustomdxDBTreeListControl: the data-aware layer between the tree list
// control and the grid. It owns no dataset: it reaches one through the data
// link the concrete control hands out, and turns the link's notifications
// into virtual reactions (DataChanged, LinkActive, RecordChanged, Scroll)
// that the grid implements. What every data-aware tree list shares lives
// here: each node's record key and per-column value records, the selection
// as a sorted list of bookmarks, lookups of columns by field name, the key
// and preview fields, column naming, and the edit requests that put the
// dataset into edit or insert state.
//
// Link notifications reach the control as:
//   ActiveChanged      -> LinkActive(link active)
//   DataSetChanged     -> DataChanged, then the modified flag is cleared
//   DataSetScrolled(d) -> Scroll(-d)
//   RecordChanged(f)   -> RecordChanged(f), then the modified flag is cleared
//   UpdateData         -> UpdateData only while modified; the flag is cleared
//   Reset              -> RecordChanged(nullptr) when modified, else Cancel
#include "dbgrid/GridRowFields.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Variant.h"
#include "platform/data/DataLink.h"
#include "platform/data/DataSet.h"
#include "treelist/TreeListControl.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TDataSource;
class TField;
class TdxDBTreeListColumn;
class TCustomdxDBTreeListControl;
class TRowTextCache;

// Raised where a field's text handler freed the control whose row it was
// reading: whatever started the read unwinds silently, and code on the way
// out that would touch the control lets it pass untouched (Control is only
// compared, never read).
class EdxControlFreed : public EAbort {
public:
    explicit EdxControlFreed(const void* AControl) : EAbort("The control was freed"), Control(AControl) {}
    const void* Control;
};

// Runs Body, then Cleanup however Body leaves, except when it leaves because
// Control was freed: Cleanup would touch the freed control.
template <class B, class C>
void RunThenUnlessFreed(const void* Control, B&& Body, C&& Cleanup)
{
    try {
        Body();
    } catch (const EdxControlFreed& e) {
        if (e.Control != Control)
            Cleanup();
        throw;
    } catch (...) {
        Cleanup();
        throw;
    }
    Cleanup();
}

// The value record of one node and column: bit 0 of Flags marks Value as the
// field's own value, bit 1 marks LookupKey as set. Held by value in the node.
struct TNodeVariantData {
    std::uint8_t Flags = 0;
    Variant Value = Variant::Null();
    Variant LookupKey = Variant::Null();
};

// A row of a data-bound control. Its texts, stored values and preview text
// live in one block allocated on the first write, so a row whose values are
// still pending (or never shown) costs only the tree node, the key and the id.
// A row that read them from its record holds them only while the control's
// row text cache keeps it (see dbgrid/detail/RowTextCache.h); written to, it
// keeps them for good.
class TdxDBTreeListControlNode : public TdxTreeListNode {
public:
    explicit TdxDBTreeListControlNode(TCustomdxTreeList* Owner);
    ~TdxDBTreeListControlNode() override;

    // The record's key-field value, read from the record when asked (a grid
    // holds a row per record, and most keys are never asked for); Null when
    // no key field is bound or the record is gone. A group row's is its
    // first record's.
    Variant Key() const;
    // The preview field's text; a row loaded in bulk reads it on first use.
    const std::string& PreviewText() const;
    void SetPreviewText(std::string Value);

    // Rows loaded in bulk keep only their record's place and read the column
    // texts and values (and the preview text) from the record the first time
    // anything asks for them, through the control's LoadPendingNodeValues.
    bool ValuesPending() const { return m_valuesPending; }
    // Pending again, a row forgets the values it read from its record.
    void SetValuesPending(bool Value);
    // Writes a column text without asking the control (no repaint).
    void StoreString(int Column, const std::string& Value);

    // A stable identity that orders the living nodes: the whole address
    // (never cut to 32 bits), so a row pays nothing for it.
    std::uint64_t Id() const { return reinterpret_cast<std::uintptr_t>(this); }
    // Flags 0 and two Nulls for a slot never written.
    TNodeVariantData GetVariantData(int Index) const;
    void SetVariantData(int Index, TNodeVariantData Data);
    void ClearVariantData();
    // The field value kept for a column (bit 0 set); nullptr when none.
    const Variant* StoredValue(int Index) const;
    // The column's texts and values follow it (see MoveColumnSlot).
    void MoveColumnSlot(int From, int To);

protected:
    bool HasOwnStrings() const override { return true; }
    std::string OwnString(int Column) const override;
    void SetOwnString(int Column, const std::string& Value) override;

private:
    friend class TRowTextCache;

    void EnsureValues() const
    {
        if (m_valuesPending)
            LoadPendingValues();
        else if (m_cached)
            TouchCached();
    }
    void LoadPendingValues() const;
    void TouchCached() const;
    void LeaveCache();
    // The cache let go of the row: it reads its record again when asked.
    void ForgetRecordValues();
    struct TRowValues;
    // The block to write to; a cached row keeps it for good from now on.
    TRowValues& Row();

    // The flags and the record number first: they fill the tree node's tail padding.
    bool m_valuesPending : 1 {false};
    bool m_cached : 1 {false};   // m_row is what the record read, held by the cache

public:
    // The record's place in the walk that loaded it (a group row: its first record's).
    int RecordNumber = 0;

private:
    std::unique_ptr<TRowValues> m_row;
};

class TdxDBTreeListControlDataLink : public TDataLink {
public:
    explicit TdxDBTreeListControlDataLink(TCustomdxDBTreeListControl* Control);

    TCustomdxDBTreeListControl* Control() const { return m_control; }
    bool Modified() const { return m_modified; }
    void SetModified(bool Value) { m_modified = Value; }
    // Field index per entry (-1 for a name that names no field).
    const std::vector<int>& FieldMap() const { return m_fieldMap; }
    void ClearFieldMap() { m_fieldMap.clear(); }
    void AddToFieldMap(int FieldIndex);
    int FieldMapCount() const { return static_cast<int>(m_fieldMap.size()); }
    TField* MappedField(int Index) const;

    void Reset() override;

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int Distance) override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;
    void LayoutChanged() override;
    void FocusControl(TField*& Field) override;

private:
    TCustomdxDBTreeListControl* m_control;
    bool m_modified{false};
    std::vector<int> m_fieldMap;
};

using TdxDBTreeListGetEditColorEvent =
    std::function<void(TObject* Sender, TdxTreeListNode* Node, TColor& Color, int Column)>;
using TdxDBTreeListEditingEvent = std::function<void(TObject* Sender, TdxTreeListNode* Node, bool& Allow)>;

class TCustomdxDBTreeListControl : public TCustomdxTreeListControl {
    QEL_CLASS(TCustomdxDBTreeListControl)
public:
    explicit TCustomdxDBTreeListControl(TComponent* AOwner);
    ~TCustomdxDBTreeListControl() override;

    // ----- the link ---------------------------------------------------------------------
    virtual TdxDBTreeListControlDataLink* GetDataLink() const = 0;
    TDataSource* GetDataSource() const;
    TDataSet* DataSet() const;              // nullptr without a source
    bool LinkActive() const;                // the link is active
    virtual bool IsDefaultFields() const = 0;
    virtual bool IsCancelOnExit() const { return true; }
    virtual bool CanInsertRecords() const = 0;
    virtual bool CanEditRecords() const = 0;
    virtual bool IsBufferMode() const { return false; }
    virtual bool IsReadOnlyLink() const = 0;
    virtual bool IsSearchInDataSet() const = 0;
    virtual bool IsBookmarkSelection() const = 0;
    virtual void SetLocked(bool Value) = 0;
    virtual bool IsDataSetBusy() const { return false; }

    // ----- columns by field -----------------------------------------------------------------
    // First column bound to FieldName (case-insensitive); raises
    // EInvaliddxTreeListOperation "%s: Column by Field '%s' not found".
    TdxDBTreeListColumn* ColumnByFieldName(const std::string& FieldName) const;
    TdxDBTreeListColumn* FindColumnByFieldName(const std::string& FieldName) const;
    TdxDBTreeListColumn* ColumnByName(const std::string& Name) const;
    TdxDBTreeListColumn* GetColumn(int Index) const;
    TdxDBTreeListColumn* Columns(int Index) const { return GetColumn(Index); }
    TField* GetFocusedField() const;
    void FocusColumnByField(TField* Field);
    // Creates a column (owned by Owner, or the control's owner) named after the
    // control; raises "DefaultFields property should be set to False" with DefaultFields.
    TdxDBTreeListColumn* CreateColumn(const std::string& ClassName, TComponent* Owner = nullptr);
    template <class C>
    C* CreateColumnOf(TComponent* Owner = nullptr)
    {
        CheckNotDefaultFields();
        auto* c = new C(Owner ? Owner : (this->Owner() ? this->Owner() : this));
        NameAndAttach(c);
        return c;
    }
    void CreateDefaultColumns(TDataSet* DataSet, TComponent* Owner);
    void DestroyColumns();
    virtual std::string GetDefaultColumnClass() const;
    virtual std::string GetColumnClassForField(TField* Field) const;

    // ----- key and preview --------------------------------------------------------------------
    const std::string& KeyField() const { return m_keyFieldName; }
    void SetKeyField(const std::string& Value);
    TField* KeyFieldObject() const { return m_keyField; }
    const std::string& PreviewFieldName() const { return m_previewFieldName; }
    void SetPreviewFieldName(const std::string& Value);
    TField* PreviewField() const { return m_previewField; }
    int PreviewMaxLength() const { return m_previewMaxLength; }
    void SetPreviewMaxLength(int Value);
    int GrIndicatorWidth() const { return m_grIndicatorWidth; }
    void SetGrIndicatorWidth(int Value);
    std::string TruncPreviewText(const std::string& Text) const;
    std::string GetPreviewText(TdxTreeListNode* Node) const override;

    // ----- selection by bookmarks ------------------------------------------------------------
    // -1 with an inactive link; else the dataset's stable bookmark order.
    int CompareBookmarks(const TBookmark& A, const TBookmark& B) const;
    // Binary search with a one-entry cache; Index is the insertion point when not found.
    bool FindBookmark(const TBookmark& Bookmark, int& Index);
    bool IndexOfSelectedNodeKey(const TdxDBTreeListControlNode* Node, int& Index) const;
    int SelectedBookmarkCount() const { return static_cast<int>(m_selectedBookmarks.size()); }
    TBookmark GetSelectedBookmark(int Index) const;
    void AddSelectedBookmark(const TBookmark& Bookmark);
    void RemoveSelectedBookmark(const TBookmark& Bookmark);
    // Adds many bookmarks at once: one sort and one merge.
    void AddSelectedBookmarks(std::vector<TBookmark> Bookmarks);
    // Removes many bookmarks at once: one sort and one pass.
    void RemoveSelectedBookmarks(std::vector<TBookmark> Bookmarks);
    // Drops bookmarks of records that are gone or filtered out.
    void PurgeSelectedBookmarks();
    bool IsBookmarkSelected(const TBookmark& Bookmark);
    void ClearSelection() override;
    void SelectRange(TdxTreeListNode* From, TdxTreeListNode* To) override;
    // The bookmark of a node's record; empty in the base.
    virtual TBookmark NodeBookmark(const TdxTreeListNode* /*Node*/) const { return {}; }

    // ----- editing ----------------------------------------------------------------------------
    bool BeginEditRecord();
    bool InsertRecord();
    bool IsValidChar(char32_t Key) const;
    bool CanShowEditor() const override;
    void WriteEditorValue(const Variant& Value) override;
    void DoExit() override;
    // The value captured when the editor started.
    const Variant& EditValue() const { return m_editValue; }
    void SetFocusedNodeValue(TField* Field, TdxTreeListNode* Node);
    virtual void RefreshEditorIfChanged();
    bool IsBrowseEmpty() const;
    bool IsEditNode(const TdxTreeListNode* Node) const;

    // ----- values -----------------------------------------------------------------------------
    Variant GetNodeValue(const TdxTreeListNode* Node, int Column) const override;
    void SetNodeString(TdxTreeListNode* Node, int Column, const std::string& Value) override;
    // Orders node keys: empty keys first, then the Variant order.
    static int CompareNodeKeys(const Variant& A, const Variant& B);
    // The key-field value of Node's record (see TdxDBTreeListControlNode::Key); Null in the base.
    virtual Variant NodeKey(const TdxDBTreeListControlNode* /*Node*/) const { return Variant::Null(); }
    Variant GetGroupSummaryValue(const TdxTreeListNode* Node, int Column) const;
    double GetGroupSummaryFloat(const TdxTreeListNode* Node, int Column) const;
    // Frees Node with every ancestor it would leave childless.
    void FreeEmptyGroupNodes(TdxTreeListNode* Node);

    // ----- the hold flag (report links set it while they read the grid) -------------------------
    bool Hold() const { return m_hold; }
    void SetHold(bool Value) { m_hold = Value; }

    // ----- reactions the link calls --------------------------------------------------------------
    virtual void DataChanged() {}
    virtual void DoLinkActive(bool /*Active*/) {}
    virtual void RecordChanged(TField* /*Field*/) {}
    virtual void Scroll(int /*Distance*/) {}
    virtual void UpdateData();
    virtual void LinkLayoutChanged() { LayoutChanged(); }
    virtual void LinkFocusControl(TField*& /*Field*/) {}
    virtual void StoreNodeValue(TdxTreeListNode* /*Node*/) {}
    virtual void ColumnChanged(TdxDBTreeListColumn* /*Column*/) {}
    virtual void RegroupColumn(TdxDBTreeListColumn* /*Column*/, int /*GroupIndex*/) {}
    virtual void SummaryFieldsChanged() {}
    virtual void PrepareFooterSummaries();
    virtual void DoBeforeCalcSummary();
    virtual void DoRefreshNodeData(TdxTreeListNode* Node);
    virtual double GetFooterSummaryValue(int /*Column*/) const { return 0; }
    virtual void ColumnRenamed(const std::string& /*OldName*/, const std::string& /*NewName*/) {}
    virtual void LoadColumnValue(TdxDBTreeListControlNode* Node, TdxDBTreeListColumn* Column);
    // The column values and the preview text from the current record.
    virtual void LoadNodeData(TdxDBTreeListControlNode* Node);
    // The column values and the preview text of a row whose values are pending
    // (see TdxDBTreeListControlNode::ValuesPending); the base has no such rows.
    virtual void LoadPendingNodeValues(TdxDBTreeListControlNode* /*Node*/) {}
    virtual void MapColumnFields();
    virtual void DoChangeNodeEx();
    // The in-place editor's background: the control's colour, then OnGetEditColor.
    TColor GetEditColor() const;
    virtual void ClearGrouping() {}
    // Rebuilds the field map and re-binds every column (the layout refresh).
    virtual void RebuildColumns();
    void RestoreColumnsDefaults() override;
    bool IsControlLoading() const;
    bool IsControlDestroying() const { return m_destroying; }
    // The bytes of texts and values that rows read from their records keep
    // at most (a few rows are kept whatever their size); rows beyond it read
    // their records again when asked.
    std::size_t RowTextCacheLimit() const;
    void SetRowTextCacheLimit(std::size_t Bytes);
    std::size_t RowTextCacheBytes() const;

    // ----- registry of data-aware controls ----------------------------------------------------------
    static void RegisterDBTreeListControl(TCustomdxDBTreeListControl* Control);
    static void UnregisterDBTreeListControl(TCustomdxDBTreeListControl* Control);
    static bool FindDBTreeListControlByDataSet(TDataSet* DataSet);

    // ----- events ----------------------------------------------------------------------------------------
    TdxDBTreeListGetEditColorEvent OnGetEditColor;
    TNotifyEvent OnChangeNodeEx;
    TdxTreeListNodeEvent OnRefreshNodeData;
    TNotifyEvent OnBeforeCalcSummary;
    TdxDBTreeListEditingEvent OnEditingRecord;

protected:
    TdxTreeListNode* CreateNode() override;
    void DoDeletion(TdxTreeListNode* Node) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The rows' texts and values follow their columns.
    void ColumnRemoved(TdxTreeListColumn* Column, int Index) override;
    void ColumnMoved(int From, int To) override;
    // Every row's slot of a column moves from From to To (To < 0: the column left).
    virtual void MoveRowColumnSlots(int From, int To);
    // The columns in their order (see GridStreaming.cpp), then the other children.
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
    void BindPreviewField();
    void SetKeyFieldObject(TField* Field) { m_keyField = Field; }
    void CheckNotDefaultFields() const;
    void NameAndAttach(TdxDBTreeListColumn* Column);
    void InvalidateBookmarkCache() { m_lastIndex = -1; m_lastKey.clear(); }
    std::vector<TBookmark>& SelectedBookmarks() { return m_selectedBookmarks; }
    // Re-runs LinkActive with the link's state (key or preview field changed).
    void RelinkActive();
    // The column values and preview text from the fields as they read now
    // (the key apart). Quiet: the row is filled on first use, maybe while it
    // is painted, so writing its texts repaints nothing.
    void LoadNodeValues(TdxDBTreeListControlNode* Node, bool Quiet = false);

    bool m_destroying{false};
    // Set while rows are rebuilt: clearing the nodes keeps the selected bookmarks.
    bool m_keepBookmarks{false};

private:
    friend class TdxDBTreeListControlNode;

    std::unique_ptr<TRowTextCache> m_rowCache;
    std::vector<TBookmark> m_selectedBookmarks;   // ascending by CompareBookmarks
    TBookmark m_lastKey;
    bool m_lastFound{false};
    int m_lastIndex{-1};
    std::string m_keyFieldName;
    std::string m_previewFieldName;
    int m_previewMaxLength{0};
    int m_grIndicatorWidth{12};
    TField* m_keyField{nullptr};
    TField* m_previewField{nullptr};
    std::vector<TdxTreeListNode*> m_editNodes;
    Variant m_editValue;
    bool m_hold{false};
    bool m_destroyingColumns{false};
    TdxDBTreeListControlNode* m_fillingNode{nullptr};
};

// 0 when equal, 1 when A is greater, -1 otherwise (the Variant total order).
int dxVarCompare(const Variant& A, const Variant& B);

} // namespace qel
