// Reading a dataset's records apart from its record buffers: record readers
// and record views for engine code, and the record search under Locate and Lookup.
#include "platform/data/DataSet.h"

#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/data/Field.h"

#include <utility>

namespace qel {

// --- reading records without the cursor ------------------------------------------

// The records as the cursor hooks give them, collected once; the dataset's
// own cursor is put back where it was.
class TDataSet::CursorReader : public TRecordReader {
public:
    explicit CursorReader(TDataSet* Ds) : m_ds(Ds), m_version(Ds->m_recordsVersion)
    {
        Ds->InternalFirst();
        TRecordRef ref = NoRecord;
        Finally back([Ds] { Ds->UpdateCursorPos(); });
        while (Ds->GetRecord(gmNext, ref) == grOK)
            m_refs.push_back(ref);
    }
    int Count() const override
    {
        Check();
        return static_cast<int>(m_refs.size());
    }
    THandle Handle(int Index) const override
    {
        Check();
        if (Index < 0 || Index >= static_cast<int>(m_refs.size()))
            throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
        return m_refs[static_cast<std::size_t>(Index)];
    }
    bool IsNull(THandle Record, const TField* Field) const override { return Value(Record, Field).IsNull(); }
    Variant Value(THandle Record, const TField* Field) const override
    {
        Check();
        CheckField(Field);
        return m_ds->RecordFieldValue(Record, Field);
    }
    std::string_view Text(THandle Record, const TField* Field) const override
    {
        m_text = VarToStr(Value(Record, Field));
        return m_text;
    }
    int Compare(THandle A, THandle B, const TField* Field) const override
    {
        return Variant::Compare(Value(A, Field), Value(B, Field));
    }
    TBookmark Bookmark(THandle Record) const override
    {
        Check();
        return m_ds->BookmarkOfRecord(Record);
    }

private:
    void Check() const
    {
        if (m_ds->m_recordsVersion != m_version || !m_ds->m_cursorOpen)
            throw EDatabaseError("Record reader is out of date");
    }
    void CheckField(const TField* Field) const
    {
        if (!Field || Field->DataSet() != m_ds)
            throw EDatabaseError("Field does not belong to this dataset");
    }

    TDataSet* m_ds;
    std::uint64_t m_version;
    std::vector<TRecordRef> m_refs;
    mutable std::string m_text;
};

std::unique_ptr<TRecordReader> TDataSet::CreateRecordReader()
{
    CheckActive();
    return std::make_unique<CursorReader>(this);
}

// --- locate and lookup ----------------------------------------------------------

bool TDataSet::IsTextField(const TField* Field)
{
    switch (Field->DataType()) {
    case ftString: case ftFixedChar: case ftWideString: case ftMemo: case ftFmtMemo:
        return true;
    default:
        return false;
    }
}

bool TDataSet::MatchesValue(const TField* Field, const Variant& FieldValue, const Variant& SearchValue,
                            TLocateOptions Options)
{
    if (SearchValue.IsEmptyOrNull())
        return FieldValue.IsEmptyOrNull();
    if (FieldValue.IsEmptyOrNull())
        return IsTextField(Field) && Options.Contains(loPartialKey) && SearchValue.AsString().empty();
    if (IsTextField(Field) && (Options.Contains(loPartialKey) || Options.Contains(loCaseInsensitive))) {
        std::string fv = FieldValue.AsString();
        std::string sv = SearchValue.AsString();
        if (Options.Contains(loCaseInsensitive)) {
            fv = AnsiUpperCase(fv);
            sv = AnsiUpperCase(sv);
        }
        if (Options.Contains(loPartialKey))
            return fv.compare(0, sv.size(), sv) == 0;
        return fv == sv;
    }
    return Variant::Compare(FieldValue, SearchValue) == 0;
}

void TDataSet::ResolveLocate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options,
                             std::vector<TField*>& Fields, std::vector<Variant>& Values) const
{
    Fields = GetFieldList(KeyFields);
    if (Fields.empty())
        throw EDatabaseError("Field '' not found");
    if (Fields.size() == 1 && !(KeyValues.IsArray() && KeyValues.Elements().size() == 1)) {
        Values = {KeyValues};
    } else {
        if (!KeyValues.IsArray() || KeyValues.Elements().size() != Fields.size())
            throw EDatabaseError("Number of values does not match the fields '" + KeyFields + "'");
        Values = KeyValues.Elements();
    }
    // Exact searches compare typed values; text searches compare texts.
    for (std::size_t i = 0; i < Fields.size(); ++i) {
        if (Values[i].IsEmptyOrNull())
            continue;
        if (IsTextField(Fields[i]) && (Options.Contains(loPartialKey) || Options.Contains(loCaseInsensitive)))
            continue;
        Variant converted = Fields[i]->ConvertValue(Values[i]);   // EConvertError: cannot match
        // A text longer than the field holds is in no record; the cut one might be.
        if (IsTextField(Fields[i]) && !converted.IsNull() && converted.AsString() != Values[i].AsString())
            throw EConvertError("'" + Values[i].AsString() + "' does not fit field '" + Fields[i]->FieldName() + "'");
        Values[i] = std::move(converted);
    }
}

bool TDataSet::LocateRecord(const std::vector<TField*>& Fields, const std::vector<Variant>& Values,
                            TLocateOptions Options, TRecordRef& Found)
{
    InternalFirst();
    TRecordRef ref = NoRecord;
    while (GetRecord(gmNext, ref) == grOK) {
        bool all = true;
        for (std::size_t i = 0; i < Fields.size() && all; ++i)
            all = MatchesValue(Fields[i], RecordFieldValue(ref, Fields[i]), Values[i], Options);
        if (all) {
            Found = ref;
            return true;
        }
    }
    return false;
}

bool TDataSet::Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options)
{
    CheckBrowseMode();
    std::vector<TField*> fields;
    std::vector<Variant> values;
    try {
        ResolveLocate(KeyFields, KeyValues, Options, fields, values);
    } catch (const EConvertError&) {
        return false;   // a value of the wrong type matches nothing
    }
    TRecordRef found = NoRecord;
    const bool ok = LocateRecord(fields, values, Options, found);
    if (!ok) {
        UpdateCursorPos();
        return false;
    }
    ScrollToRecord(found);
    return true;
}

Variant TDataSet::Lookup(const std::string& KeyFields, const Variant& KeyValues, const std::string& ResultFields)
{
    CheckActive();
    std::vector<TField*> fields;
    std::vector<Variant> values;
    try {
        ResolveLocate(KeyFields, KeyValues, {}, fields, values);
    } catch (const EConvertError&) {
        return Variant::Null();
    }
    const std::vector<TField*> results = GetFieldList(ResultFields);
    TRecordRef found = NoRecord;
    const bool ok = LocateRecord(fields, values, {}, found);
    UpdateCursorPos();
    if (!ok)
        return Variant::Null();
    if (results.size() == 1)
        return RecordFieldValue(found, results.front());
    std::vector<Variant> out;
    for (TField* f : results)
        out.push_back(RecordFieldValue(found, f));
    return Variant::Array(std::move(out));
}

// --- record views ---------------------------------------------------------------

bool TRecordView::CanShow(const TDataSet& DataSet, const TBookmark& Bookmark)
{
    return DataSet.Active() && !Bookmark.empty() && DataSet.RecordOfBookmark(Bookmark) != TDataSet::NoRecord;
}

TRecordView::TRecordView(TDataSet& DataSet, const TBookmark& Bookmark)
    : m_ds(DataSet), m_slot(std::make_unique<TDataSet::Slot>()), m_previous(DataSet.m_viewSlot)
{
    if (!CanShow(DataSet, Bookmark))
        throw EDatabaseError("Record not found");
    m_slot->Ref = DataSet.RecordOfBookmark(Bookmark);
    if (DataSet.m_hasCalcFields)
        DataSet.CalculateFields(*m_slot);
    DataSet.m_viewSlot = m_slot.get();
}

TRecordView::~TRecordView()
{
    m_ds.m_viewSlot = m_previous;
}

} // namespace qel
