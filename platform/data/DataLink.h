#pragma once
// TDataLink: how a control follows a dataset through a data source. A link
// sees a window of BufferCount records of the dataset's record buffers;
// ActiveRecord is the current record's index in that window.
//
// Notifications, in the order the dataset sends them (see DataSet.h for
// which operation sends which):
//   ActiveChanged()          the dataset opened or closed (or the link was
//                            attached to or detached from an open one)
//   EditingChanged()         the dataset entered or left edit/insert state
//   DataSetChanged()         the records in the window may all have changed
//                            (default: RecordChanged(nullptr))
//   DataSetScrolled(d)       the cursor moved; the window moved by d records
//                            (d > 0: towards the end; 0: the current record
//                            moved inside the window); default: DataSetChanged()
//   RecordChanged(field)     a field of the current record changed; nullptr
//                            for the whole record
//   UpdateData()             Post is about to store the record: write pending
//                            editor values into the fields now
//   LayoutChanged()          fields were moved or their layout properties
//                            changed (default: DataSetChanged())
//   FocusControl(field)      TField::FocusControl; clear the reference when
//                            the control took the focus (later links are
//                            then not asked)
// Before a window notification the link's window is moved so that it still
// holds the current record.
#include "platform/data/DataSetTypes.h"

#include <cstdint>

namespace qel {

class TDataSet;
class TDataSource;
class TField;

class TDataLink {
public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return m_dataSource; }
    void SetDataSource(TDataSource* Value);
    TDataSet* DataSet() const;

    bool Active() const { return m_active; }
    bool Editing() const { return m_editing; }
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool Value);

    // Puts the dataset into edit state (through the data source's AutoEdit)
    // unless the link is read-only; answers Editing.
    bool Edit();
    // Calls UpdateData (field changes it makes are not echoed back as RecordChanged).
    void UpdateRecord();
    // The control gives up its changes. Default: RecordChanged(nullptr).
    virtual void Reset();
    // Moves the dataset (its MoveBy); answers the distance moved, 0 without a dataset.
    int MoveBy(int Distance);
    // Set by links that show records in a control, as grids and editors do.
    bool VisualControl() const { return m_visualControl; }
    void SetVisualControl(bool Value) { m_visualControl = Value; }

    // The window: BufferCount records around the current one.
    int ActiveRecord() const;
    // Makes another buffered record current for reading (the caller restores it).
    void SetActiveRecord(int Value);
    int BufferCount() const { return m_bufferCount; }
    void SetBufferCount(int Value);   // at least 1
    int RecordCount() const;          // records in the window
    bool Bof() const;
    bool Eof() const;

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int Distance) { (void)Distance; DataSetChanged(); }
    virtual void EditingChanged() {}
    virtual void FocusControl(TField*& Field) { (void)Field; }
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* Field) { (void)Field; }
    virtual void UpdateData() {}

private:
    friend class TDataSource;
    friend class TDataSet;

    void DataEvent(TDataEvent Event, std::intptr_t Info);
    void UpdateState();
    void SetActive(bool Value);
    void SetEditing(bool Value);
    void UpdateRange();

    TDataSource* m_dataSource{nullptr};
    int m_firstRecord{0};    // index of the window's first record in the dataset's buffers
    int m_bufferCount{1};
    bool m_active{false};
    bool m_editing{false};
    bool m_readOnly{false};
    bool m_updating{false};
    bool m_visualControl{false};
};

} // namespace qel
