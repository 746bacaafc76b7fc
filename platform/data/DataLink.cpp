#include "platform/data/DataLink.h"

#include "platform/data/DataSet.h"
#include "platform/data/DataSource.h"

#include <algorithm>

namespace qel {

TDataLink::~TDataLink()
{
    if (m_dataSource)
        m_dataSource->RemoveDataLink(this);
}

void TDataLink::SetDataSource(TDataSource* Value)
{
    if (m_dataSource == Value)
        return;
    if (m_dataSource)
        m_dataSource->RemoveDataLink(this);
    if (Value)
        Value->AddDataLink(this);
}

TDataSet* TDataLink::DataSet() const
{
    return m_dataSource ? m_dataSource->DataSet() : nullptr;
}

void TDataLink::SetReadOnly(bool Value)
{
    if (m_readOnly == Value)
        return;
    m_readOnly = Value;
    UpdateState();
}

bool TDataLink::Edit()
{
    if (!m_readOnly && m_dataSource)
        m_dataSource->Edit();
    return m_editing;
}

void TDataLink::UpdateRecord()
{
    m_updating = true;
    struct Reset { bool& f; ~Reset() { f = false; } } reset{m_updating};
    UpdateData();
}

int TDataLink::MoveBy(int Distance)
{
    TDataSet* ds = DataSet();
    return ds ? ds->MoveBy(Distance) : 0;
}

void TDataLink::Reset()
{
    RecordChanged(nullptr);
}

int TDataLink::ActiveRecord() const
{
    TDataSet* ds = DataSet();
    if (!m_active || !ds)
        return 0;
    if (ds->State() == dsSetKey)
        return 0;
    return ds->m_activeRecord - m_firstRecord;
}

void TDataLink::SetActiveRecord(int Value)
{
    TDataSet* ds = DataSet();
    if (!m_active || !ds || ds->State() == dsSetKey)
        return;
    const int index = Value + m_firstRecord;
    // Only records that are in the dataset's buffers can be made current.
    if (index >= 0 && index < static_cast<int>(ds->m_buffers.size()))
        ds->m_activeRecord = index;
}

void TDataLink::SetBufferCount(int Value)
{
    Value = std::max(1, Value);
    if (m_bufferCount == Value)
        return;
    m_bufferCount = Value;
    TDataSet* ds = DataSet();
    if (m_active && ds) {
        UpdateRange();
        ds->UpdateBufferCount();
        UpdateRange();
    }
}

int TDataLink::RecordCount() const
{
    TDataSet* ds = DataSet();
    if (!m_active || !ds)
        return 0;
    if (ds->State() == dsSetKey)
        return 1;
    const int n = static_cast<int>(ds->m_buffers.size()) - m_firstRecord;
    return std::clamp(n, 0, m_bufferCount);
}

bool TDataLink::Bof() const
{
    TDataSet* ds = DataSet();
    return ds ? ds->Bof() : true;
}

bool TDataLink::Eof() const
{
    TDataSet* ds = DataSet();
    return ds ? ds->Eof() : true;
}

void TDataLink::UpdateState()
{
    const bool active = m_dataSource && m_dataSource->State() != dsInactive;
    SetActive(active);
    SetEditing(active && !m_readOnly && IsEditState(m_dataSource->State()));
}

void TDataLink::SetActive(bool Value)
{
    if (m_active == Value)
        return;
    m_active = Value;
    if (Value)
        UpdateRange();
    else
        m_firstRecord = 0;
    ActiveChanged();
}

void TDataLink::SetEditing(bool Value)
{
    if (m_editing == Value)
        return;
    m_editing = Value;
    EditingChanged();
}

void TDataLink::UpdateRange()
{
    TDataSet* ds = DataSet();
    if (!ds)
        return;
    const int active = ds->m_activeRecord;
    int lo = std::max(0, active - m_bufferCount + 1);
    int hi = std::min(active, std::max(0, ds->m_bufferCount - m_bufferCount));
    if (hi < lo)
        hi = lo;
    m_firstRecord = std::clamp(m_firstRecord, lo, hi);
}

void TDataLink::DataEvent(TDataEvent Event, std::intptr_t Info)
{
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (!m_active)
        return;
    TDataSet* ds = DataSet();
    switch (Event) {
    case deFieldChange:
    case deRecordChange:
        if (!m_updating)
            RecordChanged(reinterpret_cast<TField*>(Info));
        break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
        int count = 0;
        if (ds && ds->State() != dsSetKey) {
            // The buffers moved by Info; keep the same records, then bring
            // the current record back into the window.
            const int active = ds->m_activeRecord;
            const int first = m_firstRecord + static_cast<int>(Info);
            const int last = first + m_bufferCount - 1;
            if (active > last)
                count = active - last;
            else if (active < first)
                count = active - first;
            m_firstRecord = std::max(0, first + count);
        }
        if (Event == deDataSetChange)
            DataSetChanged();
        else if (Event == deDataSetScroll)
            DataSetScrolled(count);
        else
            LayoutChanged();
        break;
    }
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    case deFocusControl: {
        // Once a control has taken the focus the reference is cleared; the
        // remaining links are not asked.
        TField*& field = *reinterpret_cast<TField**>(Info);
        if (field)
            FocusControl(field);
        break;
    }
    default:
        break;
    }
}

} // namespace qel
