#include "dbgrid/RowValueSource.h"

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBTreeListTypedColumns.h"
#include "platform/core/Guards.h"
#include "platform/data/Field.h"
#include "platform/data/Fields.h"

#include <typeinfo>

namespace qel {

namespace {

// A plain column of a text field shows the field's value as its text (an
// empty text being Null: text fields hold no empty strings), so the row's
// text stands in for the value the row does not keep.
bool TextIsValue(const TdxDBTreeListColumn* Column)
{
    const TField* f = Column->GetField();
    if (!f || dynamic_cast<const TdxDBTreeListWrapperColumn*>(Column))
        return false;
    const TFieldType t = f->DataType();
    return t == ftString || t == ftFixedChar || t == ftWideString;
}

// How a field of one of the standard classes shows a record's value: its
// stored text as it is, or the text its ValueText makes of the value.
enum class TPlainText : std::uint8_t { None, Stored, FromValue };

// Checked against the class the type is made with: a derived class may
// show its values otherwise than its ValueText says.
TPlainText PlainTextOf(const TField& Field)
{
    if (Field.OnGetText || Field.FieldKind() != fkData)
        return TPlainText::None;
    const std::type_info& type = typeid(Field);
    switch (Field.DataType()) {
    case ftString: return type == typeid(TStringField) ? TPlainText::Stored : TPlainText::None;
    case ftWideString: return type == typeid(TWideStringField) ? TPlainText::Stored : TPlainText::None;
    case ftInteger:
    case ftSmallint:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
        return type == typeid(TIntegerField) || type == typeid(TSmallintField) || type == typeid(TWordField) ||
                       type == typeid(TAutoIncField) || type == typeid(TLargeintField)
                   ? TPlainText::FromValue
                   : TPlainText::None;
    case ftFloat: return type == typeid(TFloatField) ? TPlainText::FromValue : TPlainText::None;
    case ftDate:
    case ftTime:
    case ftDateTime:
        return type == typeid(TDateField) || type == typeid(TTimeField) || type == typeid(TDateTimeField)
                   ? TPlainText::FromValue
                   : TPlainText::None;
    default: return TPlainText::None;
    }
}

} // namespace

bool TdxCursorRowSource::Value(const TField* Field, Variant& Value) const
{
    Value = Field ? Field->Value() : Variant::Null();
    return true;
}

bool TdxRecordRowSource::Value(const TField* Field, Variant& Value) const
{
    Value = Field ? m_reader->Value(m_handle, Field) : Variant::Null();
    return true;
}

bool TdxHeldRowSource::Value(const TField* Field, Variant& Value) const
{
    if (!Field)
        return false;
    const auto& bound = m_grid->m_rowFields;
    for (std::size_t i = 0; i < bound.size(); ++i)
        if (bound[i].second == Field && ColumnValue(static_cast<int>(i), Value))
            return true;
    return false;
}

bool TdxHeldRowSource::ColumnValue(int Column, Variant& Value) const
{
    // The row holds values of a column only as it was bound at the last walk.
    TdxDBTreeListColumn* c = m_grid->GetColumn(Column);
    const auto& bound = m_grid->m_rowFields;
    if (!m_row || !m_grid->m_rowsLoaded || !c || !c->GetField() || Column >= static_cast<int>(bound.size()) ||
        bound[static_cast<std::size_t>(Column)] != std::make_pair(c, c->GetField()))
        return false;
    // A row not yet read gives its record's value and stays unread.
    if (TdxPendingRowsReading* reading = m_grid->m_pendingReading; reading && reading->Reads(m_row)) {
        Value = reading->FieldValue(c->GetField());
        return true;
    }
    if (const Variant* v = m_row->StoredValue(Column)) {
        Value = *v;
        return true;
    }
    if (!TextIsValue(c))
        return false;
    const std::string text = m_grid->GetNodeString(m_row, Column);
    Value = text.empty() ? Variant::Null() : Variant(text);
    return true;
}

// ----- reading pending rows from their records ------------------------------------------------------

TdxPendingRowsReading::TdxPendingRowsReading(const TCustomdxDBGrid& Grid, TMode Mode)
    : m_grid(const_cast<TCustomdxDBGrid&>(Grid)), m_mode(Mode), m_previous(Grid.m_pendingReading)
{
    m_grid.m_pendingReading = this;
}

TdxPendingRowsReading::TdxPendingRowsReading(const TCustomdxDBGrid& Grid, const TRecordReader& Reader)
    : TdxPendingRowsReading(Grid, ManyRows)
{
    m_reader = &Reader;
}

TdxPendingRowsReading::~TdxPendingRowsReading()
{
    m_view.reset();
    if (!m_gridFreed)
        m_grid.m_pendingReading = m_previous;
}

bool TdxPendingRowsReading::Reads(const TdxDBGridNode* Row)
{
    if (!Row || !Row->ValuesPending())
        return false;
    if (Row == m_row && Row->RecordNumber == m_rowNumber)
        return m_found;
    m_view.reset();
    m_row = Row;
    m_rowNumber = Row->RecordNumber;
    m_found = false;
    TDataSet* ds = m_grid.DataSet();
    if (!ds || !ds->Active())
        return false;
    if (m_mode == OneRow) {
        m_found = TRecordView::CanShow(*ds, Row->Bookmark);
        return m_found;
    }
    auto locate = [&] {
        if (!m_reader) {
            m_ownReader = ds->CreateRecordReader();
            m_reader = m_ownReader.get();
        }
        // The row's number is its place in the walk; the bookmark proves it is still that record.
        m_found = Row->RecordNumber >= 0 && Row->RecordNumber < m_reader->Count();
        if (m_found) {
            m_handle = m_reader->Handle(Row->RecordNumber);
            m_found = m_reader->Bookmark(m_handle) == Row->Bookmark;
        }
    };
    try {
        locate();
    } catch (const EDatabaseError&) {
        // The records changed since the reader was made (a handler posted): read them anew.
        m_ownReader.reset();
        m_reader = nullptr;
        locate();
    }
    return m_found;
}

void TdxPendingRowsReading::ReadAt(const TdxDBGridNode* Row, TRecordReader::THandle Handle)
{
    m_view.reset();
    m_row = Row;
    m_rowNumber = Row->RecordNumber;
    m_handle = Handle;
    m_found = Row->ValuesPending();
}

void TdxPendingRowsReading::ShowRow()
{
    if (!m_view)
        m_view.emplace(*m_grid.DataSet(), m_row->Bookmark);
}

Variant TdxPendingRowsReading::FieldValue(const TField* Field)
{
    if (m_reader)
        return m_reader->Value(m_handle, Field);
    ShowRow();
    Variant value = Field->Value();
    if (m_mode != HoldRow)
        m_view.reset();
    return value;
}

void TdxPendingRowsReading::ColumnText(TdxDBTreeListColumn* Column, std::string& Text)
{
    // The column formats through the field, which must show the record; the
    // field's and the column's text handlers run as they run for a fill.
    ShowRow();
    Finally hide([this] {
        if (m_mode != HoldRow)
            m_view.reset();
    });
    const TField* f = Column->GetField();
    if (f && !f->OnGetText && Column->ShowsFieldTextAsIs())
        m_grid.CallOut([&] { Text = f->DisplayText(); });
    else
        m_grid.CallOut([&] { Text = Column->RecordText(); });
}

std::string_view TdxPendingRowsReading::ColumnTextView(TdxDBTreeListColumn* Column, std::string& Scratch)
{
    // A plain column of a standard field: the text is made from the record's
    // value as the field would make it, without showing the record through
    // the fields, and a stored text is its bytes in the record.
    const TField* f = Column->GetField();
    const TPlainText kind = m_reader && f ? PlainTextOf(*f) : TPlainText::None;
    if (kind != TPlainText::None && Column->ShowsFieldTextAsIs()) {
        if (kind == TPlainText::Stored)
            return m_reader->Text(m_handle, f);
        if (f->ValueText(m_reader->Value(m_handle, f), true, Scratch))
            return Scratch;
    }
    ColumnText(Column, Scratch);
    return Scratch;
}

TdxDBTreeListColumn* TdxPendingRowsReading::BoundColumn(int Column)
{
    // Asked for every cell: the cast is made again only when another column stands at the index.
    TdxTreeListColumn* at = Column >= 0 ? m_grid.GetColumnByIndex(Column) : nullptr;
    if (!at)
        return nullptr;
    const auto i = static_cast<std::size_t>(Column);
    if (i >= m_columns.size())
        m_columns.resize(i + 1);
    if (m_columns[i].first != at)
        m_columns[i] = {at, dynamic_cast<TdxDBTreeListColumn*>(at)};
    TdxDBTreeListColumn* c = m_columns[i].second;
    return c && c->GetField() ? c : nullptr;
}

Variant TdxPendingRowsReading::CellValue(TdxDBTreeListColumn* Column)
{
    if (Column->KeepsRecordValue())
        return FieldValue(Column->GetField());
    std::string text;
    ColumnText(Column, text);
    return Variant(text);
}

} // namespace qel
