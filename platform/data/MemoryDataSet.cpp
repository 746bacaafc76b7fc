#include "platform/data/MemoryDataSet.h"

#include "platform/core/Locale.h"
#include "platform/core/TextSortKeys.h"
#include "platform/data/Field.h"
#include "platform/data/Fields.h"

#include <algorithm>
#include <cstring>

namespace qel {

TMemoryDataSet::TMemoryDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TMemoryDataSet::~TMemoryDataSet()
{
    // The base cannot call our hooks once we are gone; drop the links first.
    if (Active()) {
        try {
            Close();
        } catch (...) {
        }
    }
}

// --- definition ---------------------------------------------------------------

TField* TMemoryDataSet::AddField(const std::string& Name, TFieldType Type, int Size, bool Required)
{
    if (Active())
        throw EDatabaseError("Cannot perform this operation on an open dataset");
    TField* f = CreateFieldOfType(Type, this);
    try {
        if (Size > 0)
            f->SetSize(Size);
        f->SetFieldName(Name);
        f->SetRequired(Required);
        f->SetDataSet(this);
    } catch (...) {
        delete f;
        throw;
    }
    return f;
}

TField* TMemoryDataSet::AddCalculatedField(const std::string& Name, TFieldType Type, int Size)
{
    TField* f = AddField(Name, Type, Size, false);
    f->SetFieldKind(fkCalculated);
    return f;
}

TField* TMemoryDataSet::AddLookupField(const std::string& Name, TFieldType Type, int Size, TDataSet* LookupDataSet,
                                       const std::string& KeyFields, const std::string& LookupKeyFields,
                                       const std::string& LookupResultField)
{
    TField* f = AddField(Name, Type, Size, false);
    f->SetFieldKind(fkLookup);
    f->SetLookupDataSet(LookupDataSet);
    f->SetKeyFields(KeyFields);
    f->SetLookupKeyFields(LookupKeyFields);
    f->SetLookupResultField(LookupResultField);
    return f;
}

// --- storage ------------------------------------------------------------------

TMemoryDataSet::TSlot TMemoryDataSet::Find(TRecordRef Ref) const
{
    return m_records.Find(Ref);
}

bool TMemoryDataSet::Accepts(TSlot Slot)
{
    return !IsFiltering() || RecordAccepted(RefOf(Slot));
}

void TMemoryDataSet::FilterChanged()
{
    m_visibleCount = -1;
}

void TMemoryDataSet::ClearStorage()
{
    m_store.Clear();
    m_records.Clear();
    m_cursor = -1;
    m_visibleCount = -1;
    for (Index& ix : m_indexes)
        ix.Map.clear();
    RecordsChanged();
}

void TMemoryDataSet::InternalOpen()
{
    ClearStorage();
    std::vector<TFieldType> types;
    for (TField* f : Fields())
        if (f->FieldNo() > 0) {
            if (static_cast<std::size_t>(f->FieldNo()) > types.size())
                types.resize(static_cast<std::size_t>(f->FieldNo()), ftUnknown);
            types[static_cast<std::size_t>(f->FieldNo() - 1)] = f->DataType();
        }
    m_store.Define(types);
    m_lastAutoInc = 0;
    m_sortFieldNo = 0;
    m_sortText = false;
    if (!m_sortField.empty()) {
        TField* f = FieldByName(m_sortField);
        if (f->FieldNo() <= 0)
            throw EDatabaseError("Field '" + m_sortField + "' is not a stored field");
        m_sortFieldNo = f->FieldNo();
        m_sortText = IsTextField(f);
    }
    BindIndexes();
}

void TMemoryDataSet::InternalClose()
{
    ClearStorage();
    m_store.Define({});
    for (Index& ix : m_indexes)
        ix.FieldNo = 0;
    m_sortFieldNo = 0;
}

void TMemoryDataSet::BindIndexes()
{
    for (Index& ix : m_indexes) {
        TField* f = FieldByName(ix.FieldName);
        if (f->FieldNo() <= 0)
            throw EDatabaseError("Field '" + ix.FieldName + "' is not a stored field");
        ix.FieldNo = f->FieldNo();
        ix.Map.clear();
        for (std::size_t i = 0; i < m_records.Count(); ++i)
            ix.Map.emplace(m_store.Value(m_records.SlotAt(i), ix.FieldNo - 1), RefOf(m_records.SlotAt(i)));
    }
}

void TMemoryDataSet::IndexInsert(TSlot Slot)
{
    for (Index& ix : m_indexes)
        ix.Map.emplace(m_store.Value(Slot, ix.FieldNo - 1), RefOf(Slot));
}

void TMemoryDataSet::IndexErase(TSlot Slot)
{
    for (Index& ix : m_indexes) {
        auto [lo, hi] = ix.Map.equal_range(m_store.Value(Slot, ix.FieldNo - 1));
        for (auto it = lo; it != hi; ++it)
            if (it->second == RefOf(Slot)) {
                ix.Map.erase(it);
                break;
            }
    }
}

TMemoryDataSet::Index* TMemoryDataSet::FindIndex(const std::string& FieldName)
{
    for (Index& ix : m_indexes)
        if (SameText(ix.FieldName, FieldName))
            return &ix;
    return nullptr;
}

void TMemoryDataSet::AddIndex(const std::string& FieldName)
{
    if (FindIndex(FieldName))
        return;
    Index ix;
    ix.FieldName = FieldName;
    if (Active()) {
        TField* f = FieldByName(FieldName);
        if (f->FieldNo() <= 0)
            throw EDatabaseError("Field '" + FieldName + "' is not a stored field");
        ix.FieldNo = f->FieldNo();
        for (std::size_t i = 0; i < m_records.Count(); ++i)
            ix.Map.emplace(m_store.Value(m_records.SlotAt(i), ix.FieldNo - 1), RefOf(m_records.SlotAt(i)));
    }
    m_indexes.push_back(std::move(ix));
}

void TMemoryDataSet::RemoveIndex(const std::string& FieldName)
{
    m_indexes.erase(std::remove_if(m_indexes.begin(), m_indexes.end(),
                                   [&](const Index& Ix) { return SameText(Ix.FieldName, FieldName); }),
                    m_indexes.end());
}

bool TMemoryDataSet::HasIndex(const std::string& FieldName) const
{
    return std::any_of(m_indexes.begin(), m_indexes.end(),
                       [&](const Index& Ix) { return SameText(Ix.FieldName, FieldName); });
}

// --- sorting ------------------------------------------------------------------

int TMemoryDataSet::CompareSortKeys(const Variant& A, const Variant& B) const
{
    int c;
    if (m_sortText && A.IsString() && B.IsString())
        c = AnsiCompareText(A.AsString(), B.AsString());
    else
        c = Variant::Compare(A, B);
    return m_sortDescending ? -c : c;
}

int TMemoryDataSet::SortedPosition(const Variant& Key) const
{
    // After the records with an equal key, so equal keys keep their posting order.
    const int col = m_sortFieldNo - 1;
    std::size_t lo = 0, hi = m_records.Count();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (CompareSortKeys(Key, m_store.Value(m_records.SlotAt(mid), col)) < 0)
            hi = mid;
        else
            lo = mid + 1;
    }
    return static_cast<int>(lo);
}

void TMemoryDataSet::SortRecords()
{
    if (!(m_sortText && SortTextRecords())) {
        const int col = m_sortFieldNo - 1;
        const int sign = m_sortDescending ? -1 : 1;
        std::vector<TSlot>& order = m_records.Rearrange();
        std::stable_sort(order.begin(), order.end(), [&](TSlot A, TSlot B) {
            if (m_sortText)
                return CompareSortKeys(m_store.Value(A, col), m_store.Value(B, col)) < 0;
            return sign * m_store.Compare(A, B, col) < 0;
        });
    }
}

bool TMemoryDataSet::SortTextRecords()
{
    // The order of CompareSortKeys: Null before every text (after, descending)
    // and equal keys in their present order; but the texts are ordered all
    // at once, without collating them on every comparison.
    const int col = m_sortFieldNo - 1;
    std::vector<TSlot>& records = m_records.Rearrange();
    std::vector<TSlot> nulls;
    std::vector<TSlot> texts;
    texts.reserve(records.size());
    TTextSortKeys keys;
    keys.Reserve(records.size());
    for (const TSlot slot : records) {
        std::string_view text;
        if (!m_store.TextView(slot, col, text))
            return false;   // a value kept aside: compared as a Variant
        if (m_store.IsNull(slot, col)) {
            nulls.push_back(slot);
        } else {
            texts.push_back(slot);
            keys.Add(text);
        }
    }
    const std::vector<std::uint32_t> order = keys.Order(m_sortDescending);
    auto out = records.begin();
    if (!m_sortDescending)
        out = std::copy(nulls.begin(), nulls.end(), out);
    for (const std::uint32_t k : order)
        *out++ = texts[k];
    if (m_sortDescending)
        std::copy(nulls.begin(), nulls.end(), out);
    return true;
}

void TMemoryDataSet::SortOn(const std::string& FieldName, bool Descending)
{
    if (FieldName.empty()) {
        m_sortField.clear();
        m_sortFieldNo = 0;
        return;
    }
    if (!Active()) {
        m_sortField = FieldName;
        m_sortDescending = Descending;
        return;
    }
    CheckBrowseMode();
    TField* f = FieldByName(FieldName);
    if (f->FieldNo() <= 0)
        throw EDatabaseError("Field '" + FieldName + "' is not a stored field");
    m_sortField = f->FieldName();
    m_sortDescending = Descending;
    m_sortFieldNo = f->FieldNo();
    m_sortText = IsTextField(f);
    SortRecords();
    RecordsReordered();
    Refresh();
}

void TMemoryDataSet::EmptyTable()
{
    if (!Active()) {
        ClearStorage();
        return;
    }
    CheckBrowseMode();
    ClearStorage();
    Refresh();
}

// --- cursor -------------------------------------------------------------------

TDataSet::TGetResult TMemoryDataSet::GetRecord(TGetMode Mode, TRecordRef& Ref)
{
    // A filter event may move the cursor (Lookup); walk with a local index.
    const int n = static_cast<int>(m_records.Count());
    int i = m_cursor;
    switch (Mode) {
    case gmCurrent:
        if (i < 0)
            return grBOF;
        if (i >= n)
            return grEOF;
        if (!Accepts(m_records.SlotAt(static_cast<std::size_t>(i))))
            return grError;
        m_cursor = i;
        Ref = RefOf(m_records.SlotAt(static_cast<std::size_t>(i)));
        return grOK;
    case gmNext:
        for (i = std::max(i, -1) + 1; i < n; ++i) {
            const TSlot slot = m_records.SlotAt(static_cast<std::size_t>(i));
            if (Accepts(slot)) {
                m_cursor = i;
                Ref = RefOf(slot);
                return grOK;
            }
        }
        m_cursor = n;
        return grEOF;
    case gmPrior:
        for (i = std::min(i, n) - 1; i >= 0; --i) {
            const TSlot slot = m_records.SlotAt(static_cast<std::size_t>(i));
            if (Accepts(slot)) {
                m_cursor = i;
                Ref = RefOf(slot);
                return grOK;
            }
        }
        m_cursor = -1;
        return grBOF;
    }
    return grError;
}

void TMemoryDataSet::InternalSetToRecord(TRecordRef Ref)
{
    const TSlot slot = Find(Ref);
    m_cursor = slot != NoSlot ? PosOf(slot) : static_cast<int>(m_records.Count());
}

namespace {

// Bookmark bytes: the record id, least significant byte first.
bool DecodeBookmark(const TBookmark& Bookmark, std::uint64_t& Id)
{
    if (Bookmark.size() != 8)
        return false;
    Id = 0;
    for (int i = 0; i < 8; ++i)
        Id |= static_cast<std::uint64_t>(static_cast<unsigned char>(Bookmark[static_cast<std::size_t>(i)])) << (8 * i);
    return true;
}

} // namespace

TBookmark TMemoryDataSet::BookmarkOfRecord(TRecordRef Ref) const
{
    std::string b(8, '\0');
    const std::uint64_t id = static_cast<std::uint64_t>(Ref);
    for (int i = 0; i < 8; ++i)
        b[static_cast<std::size_t>(i)] = static_cast<char>((id >> (8 * i)) & 0xFF);
    return b;
}

TDataSet::TRecordRef TMemoryDataSet::RecordOfBookmark(const TBookmark& Bookmark) const
{
    std::uint64_t id = 0;
    if (!DecodeBookmark(Bookmark, id))
        return NoRecord;
    const TRecordRef ref = static_cast<TRecordRef>(id);
    return Find(ref) != NoSlot ? ref : NoRecord;
}

int TMemoryDataSet::CompareBookmarkOrder(const TBookmark& A, const TBookmark& B) const
{
    // By record id: the order records were first posted in, which no sort,
    // filter or delete changes. Bytes that are no bookmark of ours go after.
    std::uint64_t a = 0, b = 0;
    const bool wa = DecodeBookmark(A, a);
    const bool wb = DecodeBookmark(B, b);
    if (wa && wb)
        return a < b ? -1 : a > b ? 1 : 0;
    if (wa != wb)
        return wa ? -1 : 1;
    return TDataSet::CompareBookmarkOrder(A, B);
}

Variant TMemoryDataSet::GetRecordValue(TRecordRef Ref, int FieldNo) const
{
    const TSlot slot = Find(Ref);
    if (slot == NoSlot || FieldNo <= 0 || FieldNo > m_store.ColumnCount())
        return Variant::Null();
    return m_store.Value(slot, FieldNo - 1);
}

// --- changes ------------------------------------------------------------------

TDataSet::TRecordRef TMemoryDataSet::InternalPost(TRecordRef Ref, std::vector<Variant>& Values,
                                                  TRecordRef InsertBefore)
{
    // Automatic numbers for new records; a number given by hand moves the counter on.
    std::int64_t lastAutoInc = m_lastAutoInc;
    for (TField* f : Fields()) {
        if (f->DataType() != ftAutoInc || f->FieldNo() <= 0)
            continue;
        Variant& v = Values[static_cast<std::size_t>(f->FieldNo() - 1)];
        if (v.IsEmptyOrNull() && Ref == NoRecord)
            v = Variant(static_cast<std::int32_t>(++lastAutoInc));
        else if (!v.IsEmptyOrNull())
            lastAutoInc = std::max(lastAutoInc, v.AsInt64());
    }
    m_visibleCount = -1;
    TSlot slot = NoSlot;
    if (Ref == NoRecord) {
        int pos;
        if (m_sortFieldNo > 0)
            pos = SortedPosition(Values[static_cast<std::size_t>(m_sortFieldNo - 1)]);
        else if (const TSlot before = Find(InsertBefore); before != NoSlot)
            pos = PosOf(before);
        else
            pos = static_cast<int>(m_records.Count());
        // Room first, so that nothing below can fail half-way.
        m_records.Reserve(m_store.NextSlot(), static_cast<std::size_t>(pos));
        slot = m_store.Add(Values);
        m_records.Add(slot, static_cast<std::size_t>(pos));
        IndexInsert(slot);
        m_cursor = pos;
    } else {
        slot = Find(Ref);
        if (slot == NoSlot)
            throw EDatabaseError("Record not found");
        const std::size_t col = static_cast<std::size_t>(m_sortFieldNo - 1);
        const bool resort = m_sortFieldNo > 0 && CompareSortKeys(m_store.Value(slot, m_sortFieldNo - 1), Values[col]) != 0;
        int from = 0;
        if (resort) {
            m_records.ListOrder();
            from = PosOf(slot);
        }
        IndexErase(slot);
        m_store.Set(slot, Values);
        IndexInsert(slot);
        if (resort) {
            std::vector<TSlot>& order = m_records.Rearrange();
            order.erase(order.begin() + from);
            const int pos = SortedPosition(Values[col]);
            order.insert(order.begin() + pos, slot);
            m_cursor = pos;
        } else {
            m_cursor = PosOf(slot);
        }
    }
    m_lastAutoInc = lastAutoInc;
    return RefOf(slot);
}

void TMemoryDataSet::InternalDelete(TRecordRef Ref)
{
    const TSlot slot = Find(Ref);
    if (slot == NoSlot)
        throw EDatabaseError("Record not found");
    m_records.ListOrder();
    const int pos = PosOf(slot);
    IndexErase(slot);
    m_records.Remove(static_cast<std::size_t>(pos));
    m_store.Remove(slot);
    m_cursor = pos;
    m_visibleCount = -1;
}

// --- counting -----------------------------------------------------------------

int TMemoryDataSet::GetRecordCount() const
{
    if (!IsFiltering())
        return static_cast<int>(m_records.Count());
    if (m_visibleCount < 0) {
        auto* self = const_cast<TMemoryDataSet*>(this);
        int n = 0;
        for (std::size_t i = 0; i < m_records.Count(); ++i)
            if (self->Accepts(m_records.SlotAt(i)))
                ++n;
        m_visibleCount = n;
    }
    return m_visibleCount;
}

int TMemoryDataSet::GetRecNoOf(TRecordRef Ref) const
{
    const TSlot slot = Find(Ref);
    if (slot == NoSlot)
        return -1;
    const int pos = PosOf(slot);
    if (!IsFiltering())
        return pos + 1;
    auto* self = const_cast<TMemoryDataSet*>(this);
    int n = 0;
    for (int i = 0; i <= pos; ++i)
        if (self->Accepts(m_records.SlotAt(static_cast<std::size_t>(i))))
            ++n;
    return n;
}

TDataSet::TRecordRef TMemoryDataSet::RecordAtRecNo(int RecNo)
{
    if (RecNo < 1)
        return NoRecord;
    if (!IsFiltering())
        return RecNo <= static_cast<int>(m_records.Count()) ? RefOf(m_records.SlotAt(static_cast<std::size_t>(RecNo - 1)))
                                                           : NoRecord;
    int n = 0;
    for (std::size_t i = 0; i < m_records.Count(); ++i)
        if (const TSlot slot = m_records.SlotAt(i); Accepts(slot) && ++n == RecNo)
            return RefOf(slot);
    return NoRecord;
}

// --- searching ----------------------------------------------------------------

bool TMemoryDataSet::LocateRecord(const std::vector<TField*>& Fields, const std::vector<Variant>& Values,
                                  TLocateOptions Options, TRecordRef& Found)
{
    const bool textOptions = Options.Contains(loCaseInsensitive) || Options.Contains(loPartialKey);
    if (Fields.size() == 1 && Fields[0]->FieldNo() > 0 && !(textOptions && IsTextField(Fields[0]))) {
        if (Index* ix = FindIndex(Fields[0]->FieldName()); ix && ix->FieldNo == Fields[0]->FieldNo()) {
            const Variant key = Values[0].IsEmpty() ? Variant::Null() : Values[0];
            auto [lo, hi] = ix->Map.equal_range(key);
            TSlot best = NoSlot;
            for (auto it = lo; it != hi; ++it) {
                const TSlot slot = Find(it->second);
                if (slot != NoSlot && (best == NoSlot || PosOf(slot) < PosOf(best)) && Accepts(slot))
                    best = slot;
            }
            if (best == NoSlot)
                return false;
            Found = RefOf(best);
            return true;
        }
    }
    // Snapshot the order: a filter or calculation event could change the dataset.
    const std::vector<TSlot> order = m_records.Snapshot();
    for (TSlot slot : order) {
        if (!m_records.IsLive(slot))
            continue;
        const TRecordRef id = RefOf(slot);
        bool all = true;
        for (std::size_t k = 0; k < Fields.size() && all; ++k) {
            const Variant v = Fields[k]->FieldNo() > 0 ? m_store.Value(slot, Fields[k]->FieldNo() - 1)
                                                       : RecordFieldValue(id, Fields[k]);
            all = MatchesValue(Fields[k], v, Values[k], Options);
        }
        if (all && Accepts(slot)) {
            Found = id;
            return true;
        }
    }
    return false;
}

// --- the record reader ----------------------------------------------------------

class TMemoryDataSet::Reader : public TRecordReader {
public:
    explicit Reader(TMemoryDataSet* Ds) : m_ds(Ds), m_version(Ds->RecordsVersion())
    {
        m_filtered = Ds->IsFiltering();
        if (m_filtered) {
            // A filter event could change the dataset: walk a copy of the order.
            const std::vector<TSlot> order = Ds->m_records.Snapshot();
            for (TSlot slot : order)
                if (Ds->Accepts(slot))
                    m_visible.push_back(slot);
        }
    }
    int Count() const override
    {
        Check();
        return static_cast<int>(m_filtered ? m_visible.size() : m_ds->m_records.Count());
    }
    THandle Handle(int Index) const override
    {
        Check();
        if (Index < 0 || Index >= Count())
            throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
        const auto i = static_cast<std::size_t>(Index);
        return m_filtered ? m_visible[i] : m_ds->m_records.SlotAt(i);
    }
    bool IsNull(THandle Record, const TField* Field) const override
    {
        const TSlot slot = SlotOf(Record, Field);
        if (Field->FieldNo() > 0)
            return m_ds->m_store.IsNull(slot, Field->FieldNo() - 1);
        return m_ds->RecordFieldValue(m_ds->RefOf(slot), Field).IsNull();
    }
    Variant Value(THandle Record, const TField* Field) const override
    {
        const TSlot slot = SlotOf(Record, Field);
        if (Field->FieldNo() > 0)
            return m_ds->m_store.Value(slot, Field->FieldNo() - 1);
        return m_ds->RecordFieldValue(m_ds->RefOf(slot), Field);
    }
    std::string_view Text(THandle Record, const TField* Field) const override
    {
        const TSlot slot = SlotOf(Record, Field);
        std::string_view text;
        if (Field->FieldNo() > 0 && m_ds->m_store.TextView(slot, Field->FieldNo() - 1, text))
            return text;
        m_text = VarToStr(Value(Record, Field));
        return m_text;
    }
    int Compare(THandle A, THandle B, const TField* Field) const override
    {
        const TSlot a = SlotOf(A, Field);
        const TSlot b = SlotOf(B, Field);
        if (Field->FieldNo() > 0)
            return m_ds->m_store.Compare(a, b, Field->FieldNo() - 1);
        return Variant::Compare(Value(A, Field), Value(B, Field));
    }
    TBookmark Bookmark(THandle Record) const override
    {
        Check();
        return m_ds->BookmarkOfRecord(m_ds->RefOf(Live(Record)));
    }

private:
    void Check() const
    {
        if (m_ds->RecordsVersion() != m_version || !m_ds->Active())
            throw EDatabaseError("Record reader is out of date");
    }
    TSlot Live(THandle Record) const
    {
        if (Record < 0 || Record > static_cast<THandle>(NoSlot) || !m_ds->m_records.IsLive(static_cast<TSlot>(Record)))
            throw EDatabaseError("Record not found");
        return static_cast<TSlot>(Record);
    }
    TSlot SlotOf(THandle Record, const TField* Field) const
    {
        Check();
        if (!Field || Field->DataSet() != m_ds)
            throw EDatabaseError("Field does not belong to this dataset");
        return Live(Record);
    }

    TMemoryDataSet* m_ds;
    std::uint64_t m_version;
    bool m_filtered = false;
    std::vector<TSlot> m_visible;
    mutable std::string m_text;
};

std::unique_ptr<TRecordReader> TMemoryDataSet::CreateRecordReader()
{
    CheckActive();
    return std::make_unique<Reader>(this);
}

} // namespace qel
