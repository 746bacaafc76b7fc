#include "platform/data/MemoryDataSet.h"

#include "platform/core/Locale.h"
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

TMemoryDataSet::Record* TMemoryDataSet::Find(TRecordRef Ref) const
{
    const std::int64_t slot = Ref - m_idBase;
    if (Ref < 0 || slot < 0 || slot >= static_cast<std::int64_t>(m_byId.size()))
        return nullptr;
    return m_byId[static_cast<std::size_t>(slot)].get();
}

void TMemoryDataSet::EnsurePositions() const
{
    if (!m_posDirty)
        return;
    for (std::size_t i = 0; i < m_order.size(); ++i)
        m_order[i]->Pos = static_cast<int>(i);
    m_posDirty = false;
}

int TMemoryDataSet::PosOf(const Record* R) const
{
    EnsurePositions();
    return R->Pos;
}

bool TMemoryDataSet::Accepts(const Record* R)
{
    return !IsFiltering() || RecordAccepted(R->Id);
}

void TMemoryDataSet::ClearStorage()
{
    m_order.clear();
    m_byId.clear();
    m_idBase = m_nextId;   // ids are never reused, so old bookmarks stay invalid
    m_posDirty = false;
    m_cursor = -1;
    m_visibleCount = -1;
    for (Index& ix : m_indexes)
        ix.Map.clear();
}

void TMemoryDataSet::InternalOpen()
{
    ClearStorage();
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
        for (const Record* r : m_order)
            ix.Map.emplace(r->Values[static_cast<std::size_t>(ix.FieldNo - 1)], r->Id);
    }
}

void TMemoryDataSet::IndexInsert(const Record* R)
{
    for (Index& ix : m_indexes)
        ix.Map.emplace(R->Values[static_cast<std::size_t>(ix.FieldNo - 1)], R->Id);
}

void TMemoryDataSet::IndexErase(const Record* R)
{
    for (Index& ix : m_indexes) {
        auto [lo, hi] = ix.Map.equal_range(R->Values[static_cast<std::size_t>(ix.FieldNo - 1)]);
        for (auto it = lo; it != hi; ++it)
            if (it->second == R->Id) {
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
        for (const Record* r : m_order)
            ix.Map.emplace(r->Values[static_cast<std::size_t>(ix.FieldNo - 1)], r->Id);
    }
    m_indexes.push_back(std::move(ix));
}

void TMemoryDataSet::RemoveIndex(const std::string& FieldName)
{
    m_indexes.erase(std::remove_if(m_indexes.begin(), m_indexes.end(),
                                   [&](const Index& ix) { return SameText(ix.FieldName, FieldName); }),
                    m_indexes.end());
}

bool TMemoryDataSet::HasIndex(const std::string& FieldName) const
{
    return std::any_of(m_indexes.begin(), m_indexes.end(),
                       [&](const Index& ix) { return SameText(ix.FieldName, FieldName); });
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
    const std::size_t col = static_cast<std::size_t>(m_sortFieldNo - 1);
    auto it = std::upper_bound(m_order.begin(), m_order.end(), Key, [&](const Variant& k, const Record* r) {
        return CompareSortKeys(k, r->Values[col]) < 0;
    });
    return static_cast<int>(it - m_order.begin());
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
    const std::size_t col = static_cast<std::size_t>(m_sortFieldNo - 1);
    std::stable_sort(m_order.begin(), m_order.end(), [&](const Record* a, const Record* b) {
        return CompareSortKeys(a->Values[col], b->Values[col]) < 0;
    });
    m_posDirty = true;
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
    const int n = static_cast<int>(m_order.size());
    int i = m_cursor;
    switch (Mode) {
    case gmCurrent:
        if (i < 0)
            return grBOF;
        if (i >= n)
            return grEOF;
        if (!Accepts(m_order[static_cast<std::size_t>(i)]))
            return grError;
        m_cursor = i;
        Ref = m_order[static_cast<std::size_t>(i)]->Id;
        return grOK;
    case gmNext:
        for (i = std::max(i, -1) + 1; i < n; ++i) {
            Record* r = m_order[static_cast<std::size_t>(i)];
            if (Accepts(r)) {
                m_cursor = i;
                Ref = r->Id;
                return grOK;
            }
        }
        m_cursor = n;
        return grEOF;
    case gmPrior:
        for (i = std::min(i, n) - 1; i >= 0; --i) {
            Record* r = m_order[static_cast<std::size_t>(i)];
            if (Accepts(r)) {
                m_cursor = i;
                Ref = r->Id;
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
    const Record* r = Find(Ref);
    m_cursor = r ? PosOf(r) : static_cast<int>(m_order.size());
}

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
    if (Bookmark.size() != 8)
        return NoRecord;
    std::uint64_t id = 0;
    for (int i = 0; i < 8; ++i)
        id |= static_cast<std::uint64_t>(static_cast<unsigned char>(Bookmark[static_cast<std::size_t>(i)])) << (8 * i);
    const TRecordRef ref = static_cast<TRecordRef>(id);
    return Find(ref) ? ref : NoRecord;
}

int TMemoryDataSet::CompareRecordOrder(TRecordRef A, TRecordRef B) const
{
    const Record* a = Find(A);
    const Record* b = Find(B);
    if (!a || !b)
        return a == b ? 0 : a ? -1 : 1;
    return PosOf(a) - PosOf(b);
}

Variant TMemoryDataSet::GetRecordValue(TRecordRef Ref, int FieldNo) const
{
    const Record* r = Find(Ref);
    if (!r || FieldNo <= 0 || static_cast<std::size_t>(FieldNo) > r->Values.size())
        return Variant::Null();
    return r->Values[static_cast<std::size_t>(FieldNo - 1)];
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
    Record* r = nullptr;
    if (Ref == NoRecord) {
        auto rec = std::make_unique<Record>();
        rec->Id = m_nextId;
        rec->Values = Values;
        int pos;
        if (m_sortFieldNo > 0)
            pos = SortedPosition(rec->Values[static_cast<std::size_t>(m_sortFieldNo - 1)]);
        else if (const Record* before = Find(InsertBefore))
            pos = PosOf(before);
        else
            pos = static_cast<int>(m_order.size());
        r = rec.get();
        m_byId.push_back(std::move(rec));
        ++m_nextId;
        if (pos == static_cast<int>(m_order.size())) {
            EnsurePositions();
            r->Pos = pos;
        } else {
            m_posDirty = true;
        }
        m_order.insert(m_order.begin() + pos, r);
        IndexInsert(r);
    } else {
        r = Find(Ref);
        if (!r)
            throw EDatabaseError("Record not found");
        IndexErase(r);
        const bool resort = m_sortFieldNo > 0
            && CompareSortKeys(r->Values[static_cast<std::size_t>(m_sortFieldNo - 1)],
                               Values[static_cast<std::size_t>(m_sortFieldNo - 1)]) != 0;
        r->Values = Values;
        IndexInsert(r);
        if (resort) {
            m_order.erase(m_order.begin() + PosOf(r));
            const int pos = SortedPosition(r->Values[static_cast<std::size_t>(m_sortFieldNo - 1)]);
            m_order.insert(m_order.begin() + pos, r);
            m_posDirty = true;
        }
    }
    m_lastAutoInc = lastAutoInc;
    m_cursor = PosOf(r);
    return r->Id;
}

void TMemoryDataSet::InternalDelete(TRecordRef Ref)
{
    Record* r = Find(Ref);
    if (!r)
        throw EDatabaseError("Record not found");
    const int pos = PosOf(r);
    IndexErase(r);
    m_order.erase(m_order.begin() + pos);
    if (pos != static_cast<int>(m_order.size()))
        m_posDirty = true;
    m_byId[static_cast<std::size_t>(Ref - m_idBase)].reset();
    m_cursor = pos;
    m_visibleCount = -1;
}

// --- counting -----------------------------------------------------------------

int TMemoryDataSet::GetRecordCount() const
{
    if (!IsFiltering())
        return static_cast<int>(m_order.size());
    if (m_visibleCount < 0) {
        auto* self = const_cast<TMemoryDataSet*>(this);
        int n = 0;
        for (const Record* r : m_order)
            if (self->Accepts(r))
                ++n;
        m_visibleCount = n;
    }
    return m_visibleCount;
}

int TMemoryDataSet::GetRecNoOf(TRecordRef Ref) const
{
    const Record* r = Find(Ref);
    if (!r)
        return -1;
    const int pos = PosOf(r);
    if (!IsFiltering())
        return pos + 1;
    auto* self = const_cast<TMemoryDataSet*>(this);
    int n = 0;
    for (int i = 0; i <= pos; ++i)
        if (self->Accepts(m_order[static_cast<std::size_t>(i)]))
            ++n;
    return n;
}

TDataSet::TRecordRef TMemoryDataSet::RecordAtRecNo(int RecNo)
{
    if (RecNo < 1)
        return NoRecord;
    if (!IsFiltering())
        return RecNo <= static_cast<int>(m_order.size()) ? m_order[static_cast<std::size_t>(RecNo - 1)]->Id
                                                        : NoRecord;
    int n = 0;
    for (const Record* r : m_order)
        if (Accepts(r) && ++n == RecNo)
            return r->Id;
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
            const Record* best = nullptr;
            for (auto it = lo; it != hi; ++it) {
                const Record* r = Find(it->second);
                if (r && (!best || PosOf(r) < PosOf(best)) && Accepts(r))
                    best = r;
            }
            if (!best)
                return false;
            Found = best->Id;
            return true;
        }
    }
    // Snapshot the order: a filter or calculation event could change the dataset.
    for (std::size_t i = 0; i < m_order.size(); ++i) {
        const Record* r = m_order[i];
        bool all = true;
        for (std::size_t k = 0; k < Fields.size() && all; ++k) {
            const Variant v = Fields[k]->FieldNo() > 0
                ? r->Values[static_cast<std::size_t>(Fields[k]->FieldNo() - 1)]
                : RecordFieldValue(r->Id, Fields[k]);
            all = MatchesValue(Fields[k], v, Values[k], Options);
        }
        if (all && Accepts(r)) {
            Found = r->Id;
            return true;
        }
    }
    return false;
}

} // namespace qel
