#include "platform/data/DataSet.h"

#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/core/Split.h"
#include "platform/core/Stream.h"
#include "platform/data/DataLink.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/Fields.h"
#include "platform/data/FilterExpression.h"
#include "platform/data/ListSnapshot.h"

#include <algorithm>
#include <utility>

namespace qel {

namespace {

[[noreturn]] void DatabaseError(const std::string& Message) { throw EDatabaseError(Message); }

std::vector<std::string> SplitFieldNames(const std::string& Names)
{
    std::vector<std::string> out = SplitString(Names, ';');
    for (std::string& name : out)
        name = Trim(name);
    // "A;B;" names two fields; an empty list names none.
    while (!out.empty() && out.back().empty())
        out.pop_back();
    return out;
}

} // namespace

// --- TFieldDefs ---------------------------------------------------------------

void TFieldDefs::Add(const std::string& Name, TFieldType DataType, int Size, bool Required)
{
    m_items.push_back(TFieldDef{Name, DataType, Size, Required});
}

const TFieldDef& TFieldDefs::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return m_items[static_cast<std::size_t>(Index)];
}

int TFieldDefs::IndexOf(const std::string& Name) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameText(m_items[static_cast<std::size_t>(i)].Name, Name))
            return i;
    return -1;
}

// --- blob write streams -------------------------------------------------------

// Collects a blob's new bytes and stores them in the field when destroyed or
// when the dataset posts the record, whichever comes first. The dataset
// detaches it when the record leaves edit state, so bytes never land in
// another record and a late write is refused rather than lost silently.
class TDataSet::BlobWriter : public TMemoryStream {
public:
    BlobWriter(TDataSet* Ds, TField* Field, const std::string& Initial, bool Truncate)
        : m_dataSet(Ds), m_field(Field), m_dirty(Truncate)
    {
        if (!Initial.empty())
            SetBytes(Initial);
        Ds->m_blobWriters.push_back(this);
    }
    ~BlobWriter() override
    {
        if (!m_dataSet)
            return;
        // A destructor cannot report; Post reports through UpdateRecord.
        try {
            Flush();
        } catch (...) {
        }
        auto& list = m_dataSet->m_blobWriters;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    BlobWriter(const BlobWriter&) = delete;
    BlobWriter& operator=(const BlobWriter&) = delete;

    std::int64_t Write(const void* Buffer, std::int64_t Count) override
    {
        CheckAttached();
        m_dirty = true;
        return TMemoryStream::Write(Buffer, Count);
    }
    void SetSize(std::int64_t NewSize) override
    {
        CheckAttached();
        m_dirty = true;
        TMemoryStream::SetSize(NewSize);
    }
    void Flush()
    {
        if (!m_dirty || !m_dataSet)
            return;
        m_field->SetValue(Variant(Bytes()));
        m_dirty = false;
    }
    void Detach()
    {
        m_dataSet = nullptr;
        m_field = nullptr;
    }

private:
    void CheckAttached() const
    {
        if (!m_dataSet)
            throw EDatabaseError("Dataset not in edit or insert mode");
    }

    TDataSet* m_dataSet;
    TField* m_field;
    bool m_dirty;
};

void TDataSet::FlushBlobWriters()
{
    // Flushing notifies links, which must not see the list change under them.
    const std::vector<BlobWriter*> writers = m_blobWriters;
    for (BlobWriter* w : writers)
        if (std::find(m_blobWriters.begin(), m_blobWriters.end(), w) != m_blobWriters.end())
            w->Flush();
}

void TDataSet::DetachBlobWriters()
{
    for (BlobWriter* w : m_blobWriters)
        w->Detach();
    m_blobWriters.clear();
}

// --- temporary states ---------------------------------------------------------

// Calculating or filtering a record reads that record; the state and the
// record are restored however the work ends.
class TDataSet::TempState {
public:
    TempState(TDataSet& Ds, TDataSetState State, Slot* ASlot)
        : m_ds(Ds), m_oldState(Ds.m_state), m_oldSlot(Ds.m_tempSlot)
    {
        Ds.m_state = State;
        Ds.m_tempSlot = ASlot;
    }
    ~TempState()
    {
        m_ds.m_state = m_oldState;
        m_ds.m_tempSlot = m_oldSlot;
    }
    TempState(const TempState&) = delete;
    TempState& operator=(const TempState&) = delete;

private:
    TDataSet& m_ds;
    TDataSetState m_oldState;
    Slot* m_oldSlot;
};

// --- construction -------------------------------------------------------------

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) {}

TDataSet::~TDataSet()
{
    Destroying();
    // Closing runs no hooks here: the concrete dataset is already gone.
    m_state = dsInactive;
    m_cursorOpen = false;
    m_buffers.clear();
    DetachBlobWriters();
    while (!m_dataSources.empty()) {
        TDataSource* src = m_dataSources.back();
        m_dataSources.pop_back();
        src->DetachDataSet();
    }
    // Fields refer back to us in their destructors.
    while (!m_fields.empty())
        delete m_fields.back();
}

// --- fields -------------------------------------------------------------------

void TDataSet::AddField(TField* Field)
{
    if (Active())
        DatabaseError("Cannot perform this operation on an open dataset");
    m_fields.push_back(Field);
}

void TDataSet::RemoveField(TField* Field)
{
    auto it = std::find(m_fields.begin(), m_fields.end(), Field);
    if (it == m_fields.end())
        return;
    if (Active() && !IsDestroying())
        DatabaseError("Cannot perform this operation on an open dataset");
    m_fields.erase(it);
}

void TDataSet::FieldDestroyed(TField* Field) noexcept
{
    // Out of the list first: closing frees default fields, this one included.
    std::erase(m_fields, Field);
    if (!Active() || IsDestroying())
        return;
    // The records were bound to the old field list, so the dataset closes,
    // as the platform's does. A refusing close event cannot keep it open
    // here; it is closed without its events then.
    try {
        Close();
    } catch (...) {
    }
    if (!Active())
        return;
    TDataSetNotifyEvent before = std::exchange(BeforeClose, nullptr);
    TDataSetNotifyEvent after = std::exchange(AfterClose, nullptr);
    try {
        Close();
    } catch (...) {
    }
    BeforeClose = std::move(before);
    AfterClose = std::move(after);
}

void TDataSet::MoveField(TField* Field, int NewIndex)
{
    auto it = std::find(m_fields.begin(), m_fields.end(), Field);
    if (it == m_fields.end())
        return;
    NewIndex = std::clamp(NewIndex, 0, FieldCount() - 1);
    const int old = static_cast<int>(it - m_fields.begin());
    if (old == NewIndex)
        return;
    m_fields.erase(it);
    m_fields.insert(m_fields.begin() + NewIndex, Field);
    if (Active())
        DataEvent(deLayoutChange, 0);
}

TField* TDataSet::Fields(int Index) const
{
    if (Index < 0 || Index >= FieldCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return m_fields[static_cast<std::size_t>(Index)];
}

TField* TDataSet::FindField(const std::string& FieldName) const
{
    for (TField* f : m_fields)
        if (f->FieldName() == FieldName)
            return f;
    for (TField* f : m_fields)
        if (SameText(f->FieldName(), FieldName))
            return f;
    return nullptr;
}

TField* TDataSet::FieldByName(const std::string& FieldName) const
{
    TField* f = FindField(FieldName);
    if (!f)
        DatabaseError("Field '" + FieldName + "' not found");
    return f;
}

std::vector<TField*> TDataSet::GetFieldList(const std::string& FieldNames) const
{
    std::vector<TField*> out;
    for (const std::string& name : SplitFieldNames(FieldNames))
        out.push_back(FieldByName(name));
    return out;
}

Variant TDataSet::FieldValues(const std::string& FieldNames) const
{
    const std::vector<TField*> fields = GetFieldList(FieldNames);
    if (fields.size() == 1)
        return fields.front()->Value();
    std::vector<Variant> values;
    for (TField* f : fields)
        values.push_back(f->Value());
    return Variant::Array(std::move(values));
}

void TDataSet::SetFieldValues(const std::string& FieldNames, const Variant& Value)
{
    const std::vector<TField*> fields = GetFieldList(FieldNames);
    if (fields.size() == 1 && !Value.IsArray()) {
        fields.front()->SetValue(Value);
        return;
    }
    if (!Value.IsArray() || Value.Elements().size() != fields.size())
        DatabaseError("Number of values does not match the fields '" + FieldNames + "'");
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i]->SetValue(Value.Elements()[i]);
}

void TDataSet::BindFields()
{
    if (m_fields.empty() && m_fieldDefs.Count() > 0) {
        for (int i = 0; i < m_fieldDefs.Count(); ++i) {
            const TFieldDef& def = m_fieldDefs.Items(i);
            TField* f = CreateFieldOfType(def.DataType, this);
            if (def.Size > 0)
                f->SetSize(def.Size);
            f->SetFieldName(def.Name);
            f->SetRequired(def.Required);
            f->SetDataSet(this);
        }
        m_defaultFields = true;
    }
    int fieldNo = 0;
    int calc = 0;
    for (TField* f : m_fields) {
        if (f->FieldName().empty())
            DatabaseError("Field name missing");
        for (TField* g : m_fields)
            if (g != f && SameText(g->FieldName(), f->FieldName()))
                DatabaseError("Duplicate field name '" + f->FieldName() + "'");
        if (f->FieldKind() == fkData || f->FieldKind() == fkInternalCalc) {
            f->m_fieldNo = ++fieldNo;
            f->m_calcIndex = -1;
        } else {
            f->m_fieldNo = 0;
            f->m_calcIndex = calc++;
        }
    }
    for (TField* f : m_fields) {
        if (f->FieldKind() != fkLookup)
            continue;
        // Checked here once, so reading a record never fails on a half-made definition.
        if (!f->LookupDataSet() || SplitFieldNames(f->KeyFields()).empty()
            || SplitFieldNames(f->LookupResultField()).empty()
            || SplitFieldNames(f->KeyFields()).size() != SplitFieldNames(f->LookupKeyFields()).size())
            DatabaseError("Lookup information for field '" + f->FieldName() + "' is incomplete");
        if (f->LookupDataSet() == this)
            DatabaseError(SCircularDataLink);
        GetFieldList(f->KeyFields());   // raises for an unknown key field
    }
    m_calcCount = calc;
    m_hasCalcFields = calc > 0;
}

void TDataSet::UnbindFields()
{
    if (m_defaultFields) {
        while (!m_fields.empty()) {
            TField* f = m_fields.back();
            m_fields.pop_back();
            f->m_dataSet = nullptr;
            delete f;
        }
        m_defaultFields = false;
    }
    for (TField* f : m_fields) {
        f->m_fieldNo = 0;
        f->m_calcIndex = -1;
    }
    m_calcCount = 0;
    m_hasCalcFields = false;
}

// --- opening and closing --------------------------------------------------------

void TDataSet::SetActive(bool Value)
{
    if (Value == Active())
        return;
    RecordsChanged();
    if (Value) {
        Fire(BeforeOpen);
        BindFields();
        try {
            CompileFilter();
            InternalOpen();
            m_cursorOpen = true;
            ClearBuffers();
            m_bufferCount = 1;
            m_state = dsOpening;   // readable for calculated fields, not yet announced
            UpdateBufferCount();
            InternalFirst();
            GetNextRecords();
            m_bof = true;
        } catch (...) {
            if (m_cursorOpen)
                InternalClose();
            m_cursorOpen = false;
            m_state = dsInactive;
            m_buffers.clear();
            m_filterExpr.reset();
            UnbindFields();
            throw;
        }
        m_state = dsInactive;
        SetState(dsBrowse);
        Fire(AfterOpen);
        if (!IsEmpty())
            Fire(AfterScroll);
    } else {
        if (!IsDestroying())
            Fire(BeforeClose);
        SetState(dsInactive);
        m_cursorOpen = false;
        RecordsChanged();
        InternalClose();
        ClearBuffers();
        m_filterExpr.reset();
        UnbindFields();
        if (!IsDestroying())
            Fire(AfterClose);
    }
}

void TDataSet::CheckActive() const
{
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckCanModify() const
{
    if (!CanModify())
        DatabaseError("Cannot modify a read-only dataset");
}

void TDataSet::SetReadOnly(bool Value)
{
    m_readOnly = Value;
}

void TDataSet::SetState(TDataSetState Value)
{
    if (m_state == Value)
        return;
    m_state = Value;
    m_modified = false;
    if (Value != dsEdit && Value != dsInsert)
        DetachBlobWriters();
    DataEvent(deUpdateState, 0);
}

// --- notifications ------------------------------------------------------------

void TDataSet::AddDataSource(TDataSource* Source)
{
    m_dataSources.push_back(Source);
    Source->m_dataSet = this;
    UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* Source)
{
    auto it = std::find(m_dataSources.begin(), m_dataSources.end(), Source);
    if (it != m_dataSources.end())
        m_dataSources.erase(it);
    Source->m_dataSet = nullptr;
    UpdateBufferCount();
}

void TDataSet::ForEachLink(const std::function<void(TDataLink*)>& Fn) const
{
    for (TDataSource* src : m_dataSources)
        for (TDataLink* link : src->m_links)
            Fn(link);
}

void TDataSet::DataEvent(TDataEvent Event, std::intptr_t Info)
{
    if (Event == deFieldChange) {
        const TField* f = reinterpret_cast<const TField*>(Info);
        if (f && (f->FieldKind() == fkData || f->FieldKind() == fkInternalCalc))
            m_modified = true;
        if (m_hasCalcFields && m_state != dsSetKey)
            if (Slot* s = EditSlot())
                CalculateFields(*s);
    }
    if (m_disableCount == 0) {
        const TListSnapshot<TDataSource> sources(m_dataSources);
        for (TDataSource* src : sources)
            if (std::find(m_dataSources.begin(), m_dataSources.end(), src) != m_dataSources.end())
                src->DataEvent(Event, Info);
    } else if ((Event == deUpdateState && m_state == dsInactive) || Event == deLayoutChange) {
        m_enableEvent = deLayoutChange;
    }
}

void TDataSet::DisableControls()
{
    if (m_disableCount == 0) {
        m_disableState = m_state;
        m_enableEvent = deDataSetChange;
    }
    ++m_disableCount;
}

void TDataSet::EnableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount > 0)
        return;
    if (m_disableState != m_state)
        DataEvent(deUpdateState, 0);
    if (m_disableState != dsInactive && m_state != dsInactive)
        DataEvent(m_enableEvent, 0);
}

bool TDataSet::IsLinkedTo(TDataSource* DataSource) const
{
    return DataSource && DataSource->DataSet() == this;
}

// --- the slot window -----------------------------------------------------------

void TDataSet::SlotWindow::clear()
{
    for (int i = 0; i < m_count; ++i) {
        Slot& s = (*this)[static_cast<std::size_t>(i)];
        s.Data.clear();
        s.Calc.clear();
    }
    m_head = 0;
    m_count = 0;
}

void TDataSet::SlotWindow::Grow()
{
    std::vector<Slot> items(std::max<std::size_t>(4, m_items.size() * 2));
    for (int i = 0; i < m_count; ++i)
        std::swap(items[static_cast<std::size_t>(i)], (*this)[static_cast<std::size_t>(i)]);
    m_items = std::move(items);
    m_head = 0;
}

void TDataSet::SlotWindow::PushBack(Slot& S)
{
    if (static_cast<std::size_t>(m_count) == m_items.size())
        Grow();
    std::swap(m_items[Wrap(m_head + static_cast<std::size_t>(m_count))], S);
    ++m_count;
}

void TDataSet::SlotWindow::PushFront(Slot& S)
{
    if (static_cast<std::size_t>(m_count) == m_items.size())
        Grow();
    m_head = m_head == 0 ? m_items.size() - 1 : m_head - 1;
    std::swap(m_items[m_head], S);
    ++m_count;
}

void TDataSet::SlotWindow::PopBack()
{
    --m_count;
}

void TDataSet::SlotWindow::PopFront()
{
    m_head = Wrap(m_head + 1);
    --m_count;
}

void TDataSet::SlotWindow::Insert(int Index, Slot& S)
{
    PushBack(S);
    for (int i = m_count - 1; i > Index; --i)
        std::swap((*this)[static_cast<std::size_t>(i)], (*this)[static_cast<std::size_t>(i - 1)]);
}

void TDataSet::SlotWindow::Truncate(int Count)
{
    m_count = std::min(m_count, std::max(0, Count));
}

void TDataSet::SlotWindow::DropFront(int Count)
{
    Count = std::clamp(Count, 0, m_count);
    m_head = (m_head + static_cast<std::size_t>(Count)) % std::max<std::size_t>(1, m_items.size());
    m_count -= Count;
}

// --- record buffers -----------------------------------------------------------

void TDataSet::ClearBuffers()
{
    m_buffers.clear();
    m_activeRecord = 0;
    m_bof = true;
    m_eof = true;
}

TDataSet::Slot TDataSet::MakeSlot(TRecordRef Ref)
{
    // The spare slot keeps the allocations of the one that last left the window.
    Slot s = std::move(m_spare);
    s.Ref = Ref;
    s.Flag = bfCurrent;
    s.Editing = false;
    s.Data.clear();
    s.Calc.clear();
    CalculateFields(s);
    return s;
}

void TDataSet::PositionCursor(const Slot& S)
{
    switch (S.Flag) {
    case bfCurrent:
    case bfInserted:
        if (S.Ref != NoRecord)
            InternalSetToRecord(S.Ref);
        else
            InternalLast();
        break;
    case bfBOF:
        InternalFirst();
        break;
    case bfEOF:
        InternalLast();
        break;
    }
}

void TDataSet::UpdateCursorPos()
{
    if (!m_buffers.empty())
        PositionCursor(m_buffers[static_cast<std::size_t>(m_activeRecord)]);
}

bool TDataSet::GetNextRecord()
{
    TRecordRef ref = NoRecord;
    TGetResult r;
    if (!m_buffers.empty()) {
        const Slot& last = m_buffers.back();
        PositionCursor(last);
        // A new record stands before the record it was inserted at: that record comes next.
        r = GetRecord(last.Flag == bfInserted && last.Ref != NoRecord ? gmCurrent : gmNext, ref);
    } else {
        r = GetRecord(gmNext, ref);
    }
    if (r != grOK)
        return false;
    Slot s = MakeSlot(ref);
    if (m_buffers.empty()) {
        m_buffers.PushBack(s);
        m_activeRecord = 0;
        m_bof = m_eof = false;
    } else {
        if (m_buffers.size() >= m_bufferCount)
            m_buffers.PopFront();
        m_buffers.PushBack(s);
    }
    m_spare = std::move(s);
    return true;
}

bool TDataSet::GetPriorRecord()
{
    TRecordRef ref = NoRecord;
    if (!m_buffers.empty())
        PositionCursor(m_buffers.front());
    if (GetRecord(gmPrior, ref) != grOK)
        return false;
    Slot s = MakeSlot(ref);
    if (m_buffers.empty()) {
        m_buffers.PushBack(s);
        m_activeRecord = 0;
        m_bof = m_eof = false;
    } else {
        const bool full = m_buffers.size() >= m_bufferCount;
        if (full)
            m_buffers.PopBack();
        m_buffers.PushFront(s);
        if (!full)
            ++m_activeRecord;
    }
    m_spare = std::move(s);
    return true;
}

int TDataSet::GetNextRecords()
{
    int n = 0;
    while (m_buffers.size() < m_bufferCount && GetNextRecord())
        ++n;
    return n;
}

int TDataSet::GetPriorRecords()
{
    int n = 0;
    while (m_buffers.size() < m_bufferCount && GetPriorRecord())
        ++n;
    return n;
}

void TDataSet::CalculateFields(Slot& S)
{
    if (!m_hasCalcFields)
        return;
    S.Calc.assign(static_cast<std::size_t>(m_calcCount), Variant::Null());
    TempState temp(*this, dsCalcFields, &S);
    for (TField* f : m_fields) {
        if (f->FieldKind() != fkLookup || !f->LookupDataSet() || !f->LookupDataSet()->Active())
            continue;
        const std::vector<TField*> keys = GetFieldList(f->KeyFields());
        Variant keyValue;
        if (keys.size() == 1) {
            keyValue = SlotValue(S, keys.front());
        } else {
            std::vector<Variant> vals;
            for (TField* k : keys)
                vals.push_back(SlotValue(S, k));
            keyValue = Variant::Array(std::move(vals));
        }
        if (keyValue.IsEmptyOrNull())
            continue;
        S.Calc[static_cast<std::size_t>(f->m_calcIndex)] =
            f->LookupDataSet()->Lookup(f->LookupKeyFields(), keyValue, f->LookupResultField());
    }
    if (OnCalcFields)
        OnCalcFields(this);
}

void TDataSet::Resync(int Mode)
{
    TRecordRef ref = NoRecord;
    if (Mode & rmExact) {
        if (GetRecord(gmCurrent, ref) != grOK)
            DatabaseError("Record not found");
    } else if (GetRecord(gmCurrent, ref) != grOK && GetRecord(gmNext, ref) != grOK
               && GetRecord(gmPrior, ref) != grOK) {
        ClearBuffers();
        DataEvent(deDataSetChange, 0);
        return;
    }
    int count = (Mode & rmCenter) ? (m_bufferCount - 1) / 2 : m_activeRecord;
    Slot current = MakeSlot(ref);
    Finally notify([this] { DataEvent(deDataSetChange, 0); });
    m_buffers.clear();
    m_buffers.PushBack(current);
    m_activeRecord = 0;
    m_bof = m_eof = false;
    while (count > 0 && GetPriorRecord())
        --count;
    GetNextRecords();
    GetPriorRecords();
}

void TDataSet::UpdateBufferCount()
{
    if (!m_cursorOpen)
        return;
    int n = 1;
    ForEachLink([&n](TDataLink* Link) { n = std::max(n, Link->BufferCount()); });
    SetBufferCount(n);
}

void TDataSet::AdjustFirstRecord(int Delta)
{
    if (Delta == 0)
        return;
    ForEachLink([Delta](TDataLink* Link) {
        if (Link->Active())
            Link->m_firstRecord += Delta;
    });
}

void TDataSet::SetBufferCount(int Value)
{
    if (Value == m_bufferCount)
        return;
    if (Value < m_bufferCount && !m_buffers.empty()) {
        // Drop records above the current one first, then below it.
        const int drop = std::max(0, m_activeRecord - (Value - 1));
        if (drop > 0) {
            m_buffers.DropFront(drop);
            m_activeRecord -= drop;
            AdjustFirstRecord(-drop);
        }
        m_buffers.Truncate(Value);
    }
    m_bufferCount = Value;
    if (m_cursorOpen && !m_buffers.empty()) {
        GetNextRecords();
        AdjustFirstRecord(GetPriorRecords());
    }
}

TDataSet::Slot* TDataSet::EditSlot()
{
    if (m_state == dsCalcFields || m_state == dsFilter)
        return m_tempSlot;
    if (m_viewSlot)
        DatabaseError("Dataset shows a stored record and cannot be modified now");
    if (m_buffers.empty())
        return nullptr;
    return &m_buffers[static_cast<std::size_t>(m_activeRecord)];
}

const TDataSet::Slot* TDataSet::ReadSlot() const
{
    if (m_state == dsCalcFields || m_state == dsFilter)
        return m_tempSlot;
    if (m_viewSlot)
        return m_viewSlot;
    if (!m_cursorOpen || m_buffers.empty())
        return nullptr;
    return &m_buffers[static_cast<std::size_t>(m_activeRecord)];
}

Variant TDataSet::SlotValue(const Slot& S, const TField* Field) const
{
    if (Field->m_fieldNo > 0) {
        const std::size_t i = static_cast<std::size_t>(Field->m_fieldNo - 1);
        if (S.Editing)
            return i < S.Data.size() ? S.Data[i] : Variant::Null();
        return S.Ref != NoRecord ? GetRecordValue(S.Ref, Field->m_fieldNo) : Variant::Null();
    }
    if (Field->m_calcIndex >= 0 && static_cast<std::size_t>(Field->m_calcIndex) < S.Calc.size())
        return S.Calc[static_cast<std::size_t>(Field->m_calcIndex)];
    return Variant::Null();
}

// --- field values -------------------------------------------------------------

Variant TDataSet::GetFieldValue(const TField* Field) const
{
    if (!Field || Field->m_dataSet != this)
        return Variant::Null();
    const Slot* s = ReadSlot();
    return s ? SlotValue(*s, Field) : Variant::Null();
}

void TDataSet::CheckFieldWritable(const TField* Field) const
{
    CheckActive();
    if (Field->ReadOnly() && m_state != dsCalcFields && m_state != dsFilter)
        DatabaseError("Field '" + Field->DisplayName() + "' cannot be modified");
    const bool stored = Field->m_fieldNo > 0;
    if (m_state == dsCalcFields) {
        if (stored)
            DatabaseError("Dataset not in edit or insert mode");
        return;
    }
    if (m_state != dsEdit && m_state != dsInsert)
        DatabaseError("Dataset not in edit or insert mode");
    const Slot& s = m_buffers[static_cast<std::size_t>(m_activeRecord)];
    if (!s.Editing)
        DatabaseError("Dataset not in edit or insert mode");
}

void TDataSet::SetFieldValue(TField* Field, const Variant& Value)
{
    CheckFieldWritable(Field);
    Slot* s = EditSlot();
    if (!s)
        DatabaseError("Dataset not in edit or insert mode");
    if (Field->m_fieldNo > 0) {
        const std::size_t i = static_cast<std::size_t>(Field->m_fieldNo - 1);
        if (i >= s->Data.size())
            s->Data.resize(i + 1, Variant::Null());
        s->Data[i] = Value;
    } else if (Field->m_calcIndex >= 0) {
        if (s->Calc.size() < static_cast<std::size_t>(m_calcCount))
            s->Calc.resize(static_cast<std::size_t>(m_calcCount), Variant::Null());
        s->Calc[static_cast<std::size_t>(Field->m_calcIndex)] = Value;
    }
    if (m_state != dsCalcFields && m_state != dsFilter)
        DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(Field));
}

Variant TDataSet::RecordFieldValue(TRecordRef Ref, const TField* Field)
{
    if (Field->m_fieldNo > 0)
        return GetRecordValue(Ref, Field->m_fieldNo);
    Slot s;
    s.Ref = Ref;
    CalculateFields(s);
    return SlotValue(s, Field);
}

// --- navigation ---------------------------------------------------------------

void TDataSet::First()
{
    CheckBrowseMode();
    Fire(BeforeScroll);
    ClearBuffers();
    Finally done([this] {
        m_bof = true;
        DataEvent(deDataSetChange, 0);
        Fire(AfterScroll);
    });
    InternalFirst();
    GetNextRecord();
    GetNextRecords();
}

void TDataSet::Last()
{
    CheckBrowseMode();
    Fire(BeforeScroll);
    ClearBuffers();
    Finally done([this] {
        m_eof = true;
        DataEvent(deDataSetChange, 0);
        Fire(AfterScroll);
    });
    InternalLast();
    GetPriorRecord();
    GetPriorRecords();
}

int TDataSet::MoveBy(int Distance)
{
    CheckBrowseMode();
    int result = 0;
    Fire(BeforeScroll);
    if (!((Distance > 0 && !m_eof) || (Distance < 0 && !m_bof)))
        return 0;
    m_bof = m_eof = false;
    int scroll = 0;
    {
        Finally finish([this, &scroll] {
            DataEvent(deDataSetScroll, scroll);
            Fire(AfterScroll);
        });
        while (Distance > 0) {
            if (m_activeRecord < m_buffers.size() - 1) {
                ++m_activeRecord;
            } else {
                const bool full = m_buffers.size() >= m_bufferCount;
                if (!GetNextRecord()) {
                    m_eof = true;
                    break;
                }
                if (full)
                    --scroll;
                if (m_activeRecord < m_buffers.size() - 1)
                    ++m_activeRecord;
            }
            --Distance;
            ++result;
        }
        while (Distance < 0) {
            if (m_activeRecord > 0) {
                --m_activeRecord;
            } else {
                const bool full = m_buffers.size() >= m_bufferCount;
                if (!GetPriorRecord()) {
                    m_bof = true;
                    break;
                }
                if (full)
                    ++scroll;
                if (m_activeRecord > 0)
                    --m_activeRecord;
            }
            ++Distance;
            --result;
        }
    }
    return result;
}

int TDataSet::RecordCount() const
{
    return m_cursorOpen ? GetRecordCount() : 0;
}

TDataSet::TRecordRef TDataSet::CurrentRecordRef() const
{
    if (!Active() || m_buffers.empty())
        return NoRecord;
    const Slot& s = m_buffers[static_cast<std::size_t>(m_activeRecord)];
    return s.Flag == bfCurrent ? s.Ref : NoRecord;
}

void TDataSet::ScrollToRecord(TRecordRef Ref)
{
    Fire(BeforeScroll);
    InternalSetToRecord(Ref);
    Resync(rmExact | rmCenter);
    Fire(AfterScroll);
}

int TDataSet::RecNo() const
{
    const TRecordRef ref = CurrentRecordRef();
    return ref == NoRecord ? -1 : GetRecNoOf(ref);
}

void TDataSet::SetRecNo(int Value)
{
    CheckBrowseMode();
    if (Value == RecNo())
        return;
    const TRecordRef ref = RecordAtRecNo(Value);
    if (ref == NoRecord)
        DatabaseError("Record not found");
    ScrollToRecord(ref);
}

void TDataSet::Refresh()
{
    CheckBrowseMode();
    UpdateCursorPos();
    Resync(0);
}

// --- editing ------------------------------------------------------------------

void TDataSet::UpdateRecord()
{
    if (!IsEditState(m_state))
        DatabaseError("Dataset not in edit or insert mode");
    FlushBlobWriters();
    DataEvent(deUpdateRecord, 0);
}

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    DataEvent(deCheckBrowseMode, 0);
    if (m_state == dsEdit || m_state == dsInsert) {
        UpdateRecord();
        if (m_modified)
            Post();
        else
            Cancel();
    }
}

void TDataSet::Edit()
{
    if (m_state == dsEdit || m_state == dsInsert)
        return;
    CheckActive();
    if (m_buffers.empty()) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    Fire(BeforeEdit);
    Slot& s = m_buffers[static_cast<std::size_t>(m_activeRecord)];
    std::vector<Variant> data;
    int stored = 0;
    for (TField* f : m_fields)
        stored = std::max(stored, f->m_fieldNo);
    data.reserve(static_cast<std::size_t>(stored));
    for (int no = 1; no <= stored; ++no)
        data.push_back(GetRecordValue(s.Ref, no));
    s.Data = std::move(data);
    s.Editing = true;
    try {
        CalculateFields(s);
    } catch (...) {
        s.Editing = false;
        s.Data.clear();
        throw;
    }
    SetState(dsEdit);
    DataEvent(deRecordChange, 0);
    Fire(AfterEdit);
}

void TDataSet::BeginInsertAppend()
{
    CheckBrowseMode();
    CheckCanModify();
    Fire(BeforeInsert);
    Fire(BeforeScroll);
}

void TDataSet::EndInsertAppend()
{
    SetState(dsInsert);
    try {
        if (OnNewRecord)
            OnNewRecord(this);
    } catch (...) {
        // Leave no half-made record behind.
        Slot& s = m_buffers[static_cast<std::size_t>(m_activeRecord)];
        PositionCursor(s);
        s.Editing = false;
        SetState(dsBrowse);
        Resync(0);
        throw;
    }
    m_modified = false;
    DataEvent(deDataSetChange, 0);
    Fire(AfterInsert);
    Fire(AfterScroll);
}

void TDataSet::Insert()
{
    CheckActive();
    BeginInsertAppend();
    Slot s;
    s.Editing = true;
    if (m_buffers.empty()) {
        // Bof and Eof stay set: the new record is all there is.
        s.Flag = bfBOF;
        m_buffers.PushBack(s);
        m_activeRecord = 0;
    } else {
        const Slot& cur = m_buffers[static_cast<std::size_t>(m_activeRecord)];
        s.Flag = bfInserted;
        s.Ref = cur.Ref;
        m_buffers.Insert(m_activeRecord, s);
        if (m_buffers.size() > m_bufferCount)
            m_buffers.PopBack();
    }
    Slot& ins = m_buffers[static_cast<std::size_t>(m_activeRecord)];
    CalculateFields(ins);
    EndInsertAppend();
}

void TDataSet::Append()
{
    CheckActive();
    BeginInsertAppend();
    ClearBuffers();
    Slot s;
    s.Editing = true;
    s.Flag = bfEOF;
    m_buffers.PushBack(s);
    m_activeRecord = 0;
    m_bof = false;
    GetPriorRecords();
    CalculateFields(m_buffers[static_cast<std::size_t>(m_activeRecord)]);
    EndInsertAppend();
}

TDataSet::Slot& TDataSet::ActiveEditSlot()
{
    // A link may have made another buffered record current for reading.
    for (std::size_t i = 0; i < static_cast<std::size_t>(m_buffers.size()); ++i)
        if (m_buffers[i].Editing) {
            m_activeRecord = static_cast<int>(i);
            break;
        }
    return m_buffers[static_cast<std::size_t>(m_activeRecord)];
}

void TDataSet::CheckRequiredFields()
{
    for (TField* f : m_fields)
        if (f->Required() && !f->ReadOnly() && f->FieldKind() == fkData && f->DataType() != ftAutoInc
            && f->IsNull())
            DatabaseError("Field '" + f->DisplayName() + "' must have a value");
}

void TDataSet::Post()
{
    CheckActive();
    UpdateRecord();
    if (m_state != dsEdit && m_state != dsInsert)
        return;
    DataEvent(deCheckBrowseMode, 0);
    Fire(BeforePost);
    Slot& s = ActiveEditSlot();
    CheckRequiredFields();
    int stored = 0;
    for (TField* f : m_fields)
        stored = std::max(stored, f->m_fieldNo);
    std::vector<Variant> values = s.Data;
    values.resize(static_cast<std::size_t>(stored), Variant::Null());
    const bool inserting = m_state == dsInsert;
    const TRecordRef before = inserting && s.Flag == bfInserted ? s.Ref : NoRecord;
    InternalPost(inserting ? NoRecord : s.Ref, values, before);
    RecordsChanged();
    s.Editing = false;
    s.Data.clear();
    SetState(dsBrowse);
    Resync(0);
    Fire(AfterPost);
}

void TDataSet::Cancel()
{
    if (m_state != dsEdit && m_state != dsInsert)
        return;
    DataEvent(deCheckBrowseMode, 0);
    Fire(BeforeCancel);
    const bool wasInsert = m_state == dsInsert;
    if (wasInsert)
        Fire(BeforeScroll);
    Slot& s = ActiveEditSlot();
    PositionCursor(s);
    s.Editing = false;
    s.Data.clear();
    SetState(dsBrowse);
    Resync(0);
    Fire(AfterCancel);
    if (wasInsert)
        Fire(AfterScroll);
}

void TDataSet::Delete()
{
    CheckActive();
    if (m_state == dsInsert || m_state == dsSetKey) {
        Cancel();
        return;
    }
    if (m_buffers.empty())
        DatabaseError("Cannot perform this operation on an empty dataset");
    CheckCanModify();
    DataEvent(deCheckBrowseMode, 0);
    Fire(BeforeDelete);
    Fire(BeforeScroll);
    Slot& s = m_state == dsEdit ? ActiveEditSlot() : m_buffers[static_cast<std::size_t>(m_activeRecord)];
    InternalDelete(s.Ref);
    RecordsChanged();
    s.Editing = false;
    s.Data.clear();
    SetState(dsBrowse);
    Resync(0);
    Fire(AfterDelete);
    Fire(AfterScroll);
}

void TDataSet::SetRecordValues(const std::vector<Variant>& Values)
{
    const std::size_t n = std::min(Values.size(), m_fields.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (Values[i].IsEmpty() || m_fields[i]->FieldKind() != fkData)
            continue;
        m_fields[i]->SetValue(Values[i]);
    }
}

void TDataSet::PostRecordValues(const std::vector<Variant>& Values)
{
    try {
        SetRecordValues(Values);
        Post();
    } catch (...) {
        Cancel();
        throw;
    }
}

void TDataSet::AppendRecord(const std::vector<Variant>& Values)
{
    Append();
    PostRecordValues(Values);
}

void TDataSet::InsertRecord(const std::vector<Variant>& Values)
{
    Insert();
    PostRecordValues(Values);
}

// --- bookmarks ----------------------------------------------------------------

TBookmark TDataSet::GetBookmark() const
{
    const TRecordRef ref = CurrentRecordRef();
    return ref == NoRecord ? TBookmark{} : BookmarkOfRecord(ref);
}

void TDataSet::GotoBookmark(const TBookmark& Bookmark)
{
    if (Bookmark.empty())
        return;
    CheckBrowseMode();
    const TRecordRef ref = RecordOfBookmark(Bookmark);
    if (ref == NoRecord || !const_cast<TDataSet*>(this)->RecordAccepted(ref))
        DatabaseError("Record not found");
    ScrollToRecord(ref);
}

bool TDataSet::BookmarkValid(const TBookmark& Bookmark) const
{
    if (!m_cursorOpen || Bookmark.empty())
        return false;
    const TRecordRef ref = RecordOfBookmark(Bookmark);
    return ref != NoRecord && const_cast<TDataSet*>(this)->RecordAccepted(ref);
}

int TDataSet::CompareBookmarks(const TBookmark& A, const TBookmark& B) const
{
    // A missing bookmark goes to the end, so a sorted bookmark list answers
    // "not found, after everything" for it.
    if (A.empty() || B.empty())
        return A.empty() == B.empty() ? 0 : A.empty() ? 1 : -1;
    if (A == B)
        return 0;
    const int c = CompareBookmarkOrder(A, B);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int TDataSet::CompareBookmarkOrder(const TBookmark& A, const TBookmark& B) const
{
    return A.compare(B);
}

// --- filtering ----------------------------------------------------------------

void TDataSet::CompileFilter()
{
    m_filterExpr.reset();
    m_filterFields.clear();
    if (!m_filtered || Trim(m_filterText).empty())
        return;
    std::vector<TField*> used;
    auto resolve = [this, &used](const std::string& Name) {
        TFilterExpression::FieldRef ref;
        if (TField* f = FindField(Name)) {
            auto it = std::find(used.begin(), used.end(), f);
            ref.Index = static_cast<int>(it - used.begin());
            if (it == used.end())
                used.push_back(f);
            ref.DataType = f->DataType();
        }
        return ref;
    };
    auto expr = std::make_unique<TFilterExpression>(m_filterText, resolve);
    m_filterExpr = std::move(expr);
    m_filterFields = std::move(used);
}

bool TDataSet::RecordAccepted(TRecordRef Ref)
{
    if (!IsFiltering())
        return true;
    Slot s;
    s.Ref = Ref;
    if (m_hasCalcFields)
        CalculateFields(s);
    TempState temp(*this, dsFilter, &s);
    if (m_filterExpr) {
        const bool ok = m_filterExpr->Evaluate(
            [this, &s](int Index) { return SlotValue(s, m_filterFields[static_cast<std::size_t>(Index)]); },
            m_filterOptions);
        if (!ok)
            return false;
    }
    bool accept = true;
    if (OnFilterRecord)
        OnFilterRecord(this, accept);
    return accept;
}

void TDataSet::Refilter()
{
    if (!Active())
        return;
    CheckBrowseMode();
    FilterChanged();
    RecordsChanged();
    First();
}

template <class T>
void TDataSet::ChangeFilterSetting(T& Setting, const T& Value)
{
    CheckBrowseMode();
    const T old = Setting;
    Setting = Value;
    try {
        CompileFilter();
    } catch (...) {
        Setting = old;
        CompileFilter();
        throw;
    }
    Refilter();
}

void TDataSet::SetFilter(const std::string& Value)
{
    if (Value == m_filterText)
        return;
    if (Active() && m_filtered)
        ChangeFilterSetting(m_filterText, Value);
    else
        m_filterText = Value;
}

void TDataSet::SetFiltered(bool Value)
{
    if (Value == m_filtered)
        return;
    if (Active())
        ChangeFilterSetting(m_filtered, Value);
    else
        m_filtered = Value;
}

void TDataSet::SetFilterOptions(TFilterOptions Value)
{
    if (Value == m_filterOptions)
        return;
    m_filterOptions = Value;
    if (Active() && m_filtered)
        Refilter();
}

// --- blobs --------------------------------------------------------------------

std::unique_ptr<TStream> TDataSet::CreateBlobStream(TField* Field, TBlobStreamMode Mode)
{
    if (!Field || Field->DataSet() != this)
        DatabaseError("Field does not belong to this dataset");
    const std::string bytes = Field->IsNull() ? std::string() : Field->AsString();
    if (Mode == bmRead)
        return std::make_unique<TStringStream>(bytes);
    CheckFieldWritable(Field);
    return std::make_unique<BlobWriter>(this, Field, Mode == bmReadWrite ? bytes : std::string(), Mode == bmWrite);
}

} // namespace qel
