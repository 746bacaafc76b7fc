#pragma once
// TDataSet: the abstract dataset. It keeps the window of record buffers that
// the data links look through, the dataset state machine (browse, edit,
// insert), bookmarks, Locate and Lookup, filtering by expression and event,
// calculated and lookup fields, and the notifications to the data sources.
// A concrete dataset supplies storage and a cursor through the protected
// hooks below; TMemoryDataSet is the one we have.
//
// Which operation notifies what (in this order; links see them through
// their data source, see DataLink.h):
//   Open        ActiveChanged (state change)          then AfterOpen, AfterScroll
//   Close       ActiveChanged                          (edits are discarded)
//   First, Last DataSetChanged
//   Next, Prior, MoveBy(n)
//               DataSetScrolled(d): d = how far the link's window moved
//               (0 while the current record stays inside it); nothing at all
//               when already at EOF (moving forward) or BOF (moving back)
//   Locate, GotoBookmark, SetRecNo, Refresh
//               DataSetChanged (the window is rebuilt around the record);
//               GotoBookmark with an empty bookmark does nothing at all
//   Edit        EditingChanged, then RecordChanged(nullptr)
//   Insert, Append
//               EditingChanged, RecordChanged(field) for every field set by
//               OnNewRecord, then DataSetChanged. Insert leaves Bof and Eof
//               as they were (both set on an empty dataset); Append sets Eof.
//   field write RecordChanged(field) (not to the link that is in UpdateData)
//   Post        UpdateData, EditingChanged, DataSetChanged
//   Cancel      EditingChanged, DataSetChanged
//   Delete      EditingChanged (when it was editing), DataSetChanged
//   DisableControls .. EnableControls
//               nothing in between; on the outermost EnableControls an
//               ActiveChanged/EditingChanged when the state differs, then
//               DataSetChanged (LayoutChanged when the layout changed)
//   field Index, DisplayLabel, DisplayWidth, Visible   LayoutChanged
//   field Alignment, formats, EditMask                  DataSetChanged
//   TField::FocusControl                                FocusControl(field),
//               until a link clears the reference
// First, Last, MoveBy and the window rebuilds notify also when a filter or
// calculation event raises on the way, so a link never keeps a stale window.
#include "platform/core/Component.h"
#include "platform/core/Variant.h"
#include "platform/data/DataSetTypes.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

class TDataLink;
class TDataSet;
class TDataSource;
class TField;
class TFilterExpression;
class TRecordView;
class TStream;

using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;
using TFilterRecordEvent = std::function<void(TDataSet* DataSet, bool& Accept)>;

struct TFieldDef {
    std::string Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    bool Required = false;
};

// A read path over a dataset's records for engine code (grouping, sorting,
// filtering, exports): the records that pass the filter, in the dataset's
// order, each named by a handle. Reading moves no cursor, changes no state
// and notifies nobody; stored texts are read in place, not copied. Values
// are the posted ones (a record being edited is read as it was before).
// A reader shows the records as they were when it was made: once records
// are posted or deleted, re-sorted or filtered differently, or the dataset
// closes, every call raises EDatabaseError "Record reader is out of date".
// It must not outlive its dataset.
class TRecordReader {
public:
    using THandle = std::int64_t;
    virtual ~TRecordReader() = default;

    virtual int Count() const = 0;
    // The record at Index (0 .. Count - 1; EListError otherwise).
    virtual THandle Handle(int Index) const = 0;
    // Field is one of the dataset's fields; calculated and lookup fields are
    // calculated for the record (slower: they run OnCalcFields).
    virtual bool IsNull(THandle Record, const TField* Field) const = 0;
    // What Field->Value() gives on that record.
    virtual Variant Value(THandle Record, const TField* Field) const = 0;
    // VarToStr of the value ("" for Null); for a stored text field the
    // stored bytes themselves. Valid until the next Text call on this reader
    // or the next change of the dataset.
    virtual std::string_view Text(THandle Record, const TField* Field) const = 0;
    // Variant::Compare of the two records' values of Field.
    virtual int Compare(THandle A, THandle B, const TField* Field) const = 0;
    virtual TBookmark Bookmark(THandle Record) const = 0;
};

// Field definitions; a dataset opened without fields creates its fields from them.
class TFieldDefs {
public:
    void Add(const std::string& Name, TFieldType DataType, int Size = 0, bool Required = false);
    int Count() const { return static_cast<int>(m_items.size()); }
    const TFieldDef& Items(int Index) const;   // EListError when out of range
    int IndexOf(const std::string& Name) const;   // case-insensitive; -1 when absent
    void Clear() { m_items.clear(); }

private:
    std::vector<TFieldDef> m_items;
};

class TDataSet : public TComponent {
    QEL_CLASS(TDataSet)

public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;

    // --- opening ------------------------------------------------------------
    bool Active() const { return m_state != dsInactive; }
    void SetActive(bool Value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return m_state; }

    // Changes whenever the records change, but not when only their order does
    // (a sort): what was read of the records before still holds.
    std::uint64_t ContentVersion() const { return m_contentVersion; }

    // --- fields -------------------------------------------------------------
    TFieldDefs& FieldDefs() { return m_fieldDefs; }
    // The fields were made from FieldDefs when the dataset opened; they exist
    // only while it is open (a persistent field list answers false).
    bool DefaultFields() const { return m_defaultFields; }
    int FieldCount() const { return static_cast<int>(m_fields.size()); }
    const std::vector<TField*>& Fields() const { return m_fields; }
    TField* Fields(int Index) const;                     // EListError when out of range
    TField* FindField(const std::string& FieldName) const;   // case-insensitive; nullptr when absent
    TField* FieldByName(const std::string& FieldName) const; // EDatabaseError "Field 'X' not found"
    // Fields named by a semicolon-separated list, in list order.
    std::vector<TField*> GetFieldList(const std::string& FieldNames) const;
    // One field's value, or a Variant array for a semicolon list.
    Variant FieldValues(const std::string& FieldNames) const;
    void SetFieldValues(const std::string& FieldNames, const Variant& Value);

    // --- navigation ---------------------------------------------------------
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Returns the distance actually moved (negative when moving back).
    int MoveBy(int Distance);
    // At the start / past the end. (EOF is a C macro, hence Eof.)
    bool Bof() const { return m_bof; }
    bool BOF() const { return m_bof; }
    bool Eof() const { return m_eof; }
    bool IsEmpty() const { return m_buffers.empty(); }
    // Records visible through the filter; 0 when closed.
    int RecordCount() const;
    // 1-based number of the current record; -1 when there is none (closed,
    // empty, or a new record being inserted).
    int RecNo() const;
    void SetRecNo(int Value);   // EDatabaseError "Record not found" out of range
    // Re-reads the window around the current record.
    void Refresh();

    // --- editing ------------------------------------------------------------
    void Insert();
    void Append();
    void Edit();      // on an empty dataset this inserts
    void Post();
    void Cancel();
    void Delete();
    // Append or insert, set the values in field order (Empty leaves a field
    // alone), post; when a value or the post fails nothing is added.
    void AppendRecord(const std::vector<Variant>& Values);
    void InsertRecord(const std::vector<Variant>& Values);
    bool Modified() const { return m_modified; }
    virtual bool CanModify() const { return Active() && !m_readOnly; }
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool Value);
    // Posts a modified record or cancels an unmodified one.
    void CheckBrowseMode();
    // Stores what open blob write streams hold, then asks the links to
    // write pending editor values (UpdateData).
    void UpdateRecord();

    // --- bookmarks ----------------------------------------------------------
    TBookmark GetBookmark() const;   // empty when there is no current stored record
    TBookmark Bookmark() const { return GetBookmark(); }
    // EDatabaseError "Record not found"; an empty bookmark is ignored, so a
    // bookmark taken on an empty dataset can be returned to.
    void GotoBookmark(const TBookmark& Bookmark);
    void SetBookmark(const TBookmark& Bookmark) { GotoBookmark(Bookmark); }
    void FreeBookmark(TBookmark& Bookmark) const { Bookmark.clear(); }
    // The record exists and passes the current filter.
    bool BookmarkValid(const TBookmark& Bookmark) const;
    // -1, 0, 1: a total order of bookmarks that stays the same whatever
    // happens to the dataset (sorting, filtering, deleting, closing), so a
    // sorted list of bookmarks stays sorted. It is not the dataset order.
    // An empty bookmark sorts after every other. Never raises.
    int CompareBookmarks(const TBookmark& A, const TBookmark& B) const;

    // --- searching ----------------------------------------------------------
    // KeyFields is a semicolon list; KeyValues a single value or a Variant
    // array with one value per field. Moves to the first matching record.
    bool Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options);
    // The ResultFields' values (an array for a list) of the first record
    // matching exactly, Null when none matches. The current record stays.
    Variant Lookup(const std::string& KeyFields, const Variant& KeyValues, const std::string& ResultFields);

    // --- reading records without the cursor -----------------------------------
    // A reader over the records that pass the filter, in dataset order (see
    // TRecordReader); EDatabaseError when the dataset is closed. The default
    // walks the records once with the cursor hooks and reads values through
    // GetRecordValue.
    virtual std::unique_ptr<TRecordReader> CreateRecordReader();

    // --- linked controls ----------------------------------------------------
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }
    // True when DataSource shows this dataset.
    bool IsLinkedTo(TDataSource* DataSource) const;

    // --- filtering ----------------------------------------------------------
    const std::string& Filter() const { return m_filterText; }
    // A text that does not parse raises and leaves the previous filter in place.
    void SetFilter(const std::string& Value);
    bool Filtered() const { return m_filtered; }
    void SetFiltered(bool Value);
    TFilterOptions FilterOptions() const { return m_filterOptions; }
    void SetFilterOptions(TFilterOptions Value);
    // Assign before setting Filtered, or call Refilter afterwards.
    TFilterRecordEvent OnFilterRecord;
    // Applies a changed filter (text, options or event) and goes to the first record.
    void Refilter();

    // --- blobs --------------------------------------------------------------
    // bmRead: a copy of the field's bytes. bmWrite (starts empty) and
    // bmReadWrite: the bytes reach the field when the stream is destroyed or
    // the record is posted (UpdateRecord), whichever comes first; writing
    // needs edit or insert state. Once the record is posted or cancelled the
    // stream is spent: writing to it raises, destroying it changes nothing.
    std::unique_ptr<TStream> CreateBlobStream(TField* Field, TBlobStreamMode Mode);

    // --- events -------------------------------------------------------------
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnNewRecord;
    // Sets calculated fields of the record being calculated (state dsCalcFields).
    TDataSetNotifyEvent OnCalcFields;

    // --- for fields, data sources and links ---------------------------------
    Variant GetFieldValue(const TField* Field) const;
    // Field already converted; raises when the dataset or field cannot be written.
    void SetFieldValue(TField* Field, const Variant& Value);
    void CheckFieldWritable(const TField* Field) const;
    void DataEvent(TDataEvent Event, std::intptr_t Info);
    int BufferCount() const { return m_bufferCount; }
    int ActiveRecord() const { return m_activeRecord; }
    int BufferedRecordCount() const { return m_buffers.size(); }

protected:
    using TRecordRef = std::int64_t;
    static constexpr TRecordRef NoRecord = -1;
    enum TGetMode { gmCurrent, gmNext, gmPrior };
    enum TGetResult { grOK, grBOF, grEOF, grError };

    // --- hooks of a concrete dataset ------------------------------------------
    // Called with the fields bound (FieldNo set); prepares empty storage or
    // loads it. The cursor starts before the first record.
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    virtual void InternalFirst() = 0;   // cursor before the first record
    virtual void InternalLast() = 0;    // cursor after the last record
    // gmNext/gmPrior move the cursor to the next/prior record that passes
    // RecordAccepted and answer it; gmCurrent answers the record under the
    // cursor when it exists and passes.
    virtual TGetResult GetRecord(TGetMode Mode, TRecordRef& Ref) = 0;
    virtual void InternalSetToRecord(TRecordRef Ref) = 0;
    virtual TBookmark BookmarkOfRecord(TRecordRef Ref) const = 0;
    virtual TRecordRef RecordOfBookmark(const TBookmark& Bookmark) const = 0;   // NoRecord when unknown
    // The order of CompareBookmarks for two non-empty bookmarks; must not
    // depend on the records' order or existence. Default: byte order.
    virtual int CompareBookmarkOrder(const TBookmark& A, const TBookmark& B) const;
    // The stored value of data field FieldNo (1-based) of a record.
    virtual Variant GetRecordValue(TRecordRef Ref, int FieldNo) const = 0;
    // Stores a record: Ref is NoRecord for a new one, placed before
    // InsertBefore (NoRecord: at the end). Values are indexed by FieldNo - 1.
    // Must change nothing when it raises. Leaves the cursor on the record.
    virtual TRecordRef InternalPost(TRecordRef Ref, std::vector<Variant>& Values, TRecordRef InsertBefore) = 0;
    // Removes the record; the cursor is left on the record that followed it.
    virtual void InternalDelete(TRecordRef Ref) = 0;
    virtual int GetRecordCount() const = 0;
    virtual int GetRecNoOf(TRecordRef Ref) const = 0;     // 1-based among visible records
    virtual TRecordRef RecordAtRecNo(int RecNo) = 0;     // NoRecord out of range
    // The first record in dataset order whose Fields match Values (already
    // converted to the fields' types unless partial or case-insensitive).
    // The default walks the records with the cursor.
    virtual bool LocateRecord(const std::vector<TField*>& Fields, const std::vector<Variant>& Values,
                              TLocateOptions Options, TRecordRef& Found);
    // The filter changed; cached counts are stale.
    virtual void FilterChanged() {}
    // Records were posted, deleted, re-ordered or refiltered: readers made
    // before are out of date. The base calls it for what it does itself.
    void RecordsChanged()
    {
        ++m_recordsVersion;
        ++m_contentVersion;
    }
    // The same records in another order (a sort): readers are out of date,
    // the content is as it was.
    void RecordsReordered() { ++m_recordsVersion; }
    std::uint64_t RecordsVersion() const { return m_recordsVersion; }

    // --- helpers for a concrete dataset ---------------------------------------
    // Whether a record passes the filter expression and OnFilterRecord.
    bool RecordAccepted(TRecordRef Ref);
    bool IsFiltering() const { return m_filtered && (m_filterExpr || OnFilterRecord); }
    // A field's value for a record, calculated and lookup fields included.
    Variant RecordFieldValue(TRecordRef Ref, const TField* Field);
    // Whether one field value matches a search value under Locate's rules.
    static bool MatchesValue(const TField* Field, const Variant& FieldValue, const Variant& SearchValue,
                             TLocateOptions Options);
    static bool IsTextField(const TField* Field);
    void CheckActive() const;
    void CheckCanModify() const;

private:
    friend class TField;
    friend class TDataLink;
    friend class TDataSource;
    friend class TRecordView;

    enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };
    struct Slot {
        TRecordRef Ref = NoRecord;
        TBookmarkFlag Flag = bfCurrent;
        bool Editing = false;
        std::vector<Variant> Data;   // edit copy, by FieldNo - 1
        std::vector<Variant> Calc;   // calculated and lookup values
    };
    class TempState;
    class BlobWriter;
    class CursorReader;

    // The window of slots: a ring, so that scrolling by one record moves no
    // slot and allocates nothing (the slot that leaves is reused).
    class SlotWindow {
    public:
        int size() const { return m_count; }
        bool empty() const { return m_count == 0; }
        Slot& operator[](std::size_t Index) { return m_items[Wrap(m_head + Index)]; }
        const Slot& operator[](std::size_t Index) const { return m_items[Wrap(m_head + Index)]; }
        Slot& front() { return (*this)[0]; }
        Slot& back() { return (*this)[static_cast<std::size_t>(m_count - 1)]; }
        void clear();
        // Swap S in as the last / first slot; S gets back a spare slot.
        void PushBack(Slot& S);
        void PushFront(Slot& S);
        void PopBack();
        void PopFront();
        void Insert(int Index, Slot& S);
        void Truncate(int Count);    // keeps the first Count slots
        void DropFront(int Count);

    private:
        std::size_t Wrap(std::size_t I) const { return I >= m_items.size() ? I - m_items.size() : I; }
        void Grow();

        std::vector<Slot> m_items;
        std::size_t m_head = 0;
        int m_count = 0;
    };

    // fields
    void AddField(TField* Field);
    void RemoveField(TField* Field);
    // From a field's destructor, which cannot raise: the field leaves the
    // list and an open dataset closes.
    void FieldDestroyed(TField* Field) noexcept;
    void MoveField(TField* Field, int NewIndex);
    void BindFields();
    void UnbindFields();
    void CompileFilter();
    // Sets a filter setting on an open dataset and refilters; a filter that fails to compile
    // puts the old setting back.
    template <class T>
    void ChangeFilterSetting(T& Setting, const T& Value);

    // buffers
    void ClearBuffers();
    void PositionCursor(const Slot& S);
    void UpdateCursorPos();
    bool GetNextRecord();
    bool GetPriorRecord();
    int GetNextRecords();
    int GetPriorRecords();
    Slot MakeSlot(TRecordRef Ref);
    void CalculateFields(Slot& S);
    enum { rmExact = 1, rmCenter = 2 };
    void Resync(int Mode);
    void UpdateBufferCount();
    void SetBufferCount(int Value);
    void AdjustFirstRecord(int Delta);
    Slot* EditSlot();
    Slot& ActiveEditSlot();
    const Slot* ReadSlot() const;
    // The record of the active buffer; NoRecord when closed or on an inserted or crack slot.
    TRecordRef CurrentRecordRef() const;
    // Makes Ref current, centred in the window, between BeforeScroll and AfterScroll.
    void ScrollToRecord(TRecordRef Ref);
    Variant SlotValue(const Slot& S, const TField* Field) const;

    void SetState(TDataSetState Value);
    void FlushBlobWriters();
    void DetachBlobWriters();
    void BeginInsertAppend();
    void EndInsertAppend();
    void CheckRequiredFields();
    void SetRecordValues(const std::vector<Variant>& Values);
    // After Append or Insert: sets Values and posts, or cancels the new record on failure.
    void PostRecordValues(const std::vector<Variant>& Values);
    void ResolveLocate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options,
                       std::vector<TField*>& Fields, std::vector<Variant>& Values) const;
    void Fire(const TDataSetNotifyEvent& Event) { if (Event) Event(this); }

    // data sources
    void AddDataSource(TDataSource* Source);
    void RemoveDataSource(TDataSource* Source);
    void ForEachLink(const std::function<void(TDataLink*)>& Fn) const;

    TDataSetState m_state{dsInactive};
    bool m_cursorOpen{false};
    bool m_modified{false};
    bool m_readOnly{false};
    bool m_bof{true};
    bool m_eof{true};
    bool m_defaultFields{false};
    int m_disableCount{0};
    TDataSetState m_disableState{dsInactive};
    TDataEvent m_enableEvent{deDataSetChange};

    SlotWindow m_buffers;              // the window; m_buffers.size() <= m_bufferCount
    Slot m_spare;                      // reused for the next record read into the window
    int m_bufferCount{1};
    int m_activeRecord{0};
    Slot* m_tempSlot{nullptr};         // the record read in dsCalcFields and dsFilter
    const Slot* m_viewSlot{nullptr};   // the record a TRecordView shows

    TFieldDefs m_fieldDefs;
    std::vector<TField*> m_fields;     // owned as components; this is the order
    int m_calcCount{0};
    bool m_hasCalcFields{false};

    std::string m_filterText;
    bool m_filtered{false};
    TFilterOptions m_filterOptions;
    std::unique_ptr<TFilterExpression> m_filterExpr;
    std::vector<TField*> m_filterFields;   // the fields the expression refers to, by its indexes

    std::uint64_t m_recordsVersion{0};
    std::uint64_t m_contentVersion{0};
    std::vector<TDataSource*> m_dataSources;   // not owned; they detach themselves
    std::vector<BlobWriter*> m_blobWriters;    // not owned; open write streams of the edited record
};

// Disables the dataset's controls for its lifetime.
class TDisableControlsGuard {
public:
    explicit TDisableControlsGuard(TDataSet* DataSet)
        : m_dataSet(DataSet), m_uncaught(std::uncaught_exceptions())
    {
        if (m_dataSet)
            m_dataSet->DisableControls();
    }
    // A link that raises while an exception is already unwinding is ignored.
    ~TDisableControlsGuard() noexcept(false)
    {
        if (!m_dataSet)
            return;
        if (std::uncaught_exceptions() > m_uncaught) {
            try { m_dataSet->EnableControls(); } catch (...) {}
        } else {
            m_dataSet->EnableControls();
        }
    }
    TDisableControlsGuard(const TDisableControlsGuard&) = delete;
    TDisableControlsGuard& operator=(const TDisableControlsGuard&) = delete;

private:
    TDataSet* m_dataSet;
    int m_uncaught;
};

// Shows one stored record through the fields (Value, Text, DisplayText and
// their OnGetText) without moving the cursor, changing the state or telling
// the links: engine code keeps only a record's bookmark and formats the
// record when it is asked for. Calculated and lookup fields are calculated
// for the record. Fields cannot be written while a view is open (the write
// raises EDatabaseError). Views nest; the previous one comes back when a
// view ends. EDatabaseError "Record not found" when the dataset is closed or
// the record is gone.
class TRecordView {
public:
    TRecordView(TDataSet& DataSet, const TBookmark& Bookmark);
    ~TRecordView();
    TRecordView(const TRecordView&) = delete;
    TRecordView& operator=(const TRecordView&) = delete;

    // Whether a view could show the record now (the dataset is open and the record exists).
    static bool CanShow(const TDataSet& DataSet, const TBookmark& Bookmark);

private:
    TDataSet& m_ds;
    std::unique_ptr<TDataSet::Slot> m_slot;
    const TDataSet::Slot* m_previous;
};

} // namespace qel
