#pragma once
// Where the grid's engine code reads a record's value of a field: the
// summaries, regrouping, refiltering, sorting, the filter drop-down, the
// exports and the report link all ask one of three forms.
//
//   cursor     the dataset's current record, as the fields read it
//   record     a record reader's record (the cursor stays put)
//   held row   what a loaded row holds: its kept value of a column bound to
//              the field as at the last record walk, or for a text field
//              (whose text is its value) the row's text, empty meaning Null.
//              A row whose values are still pending is read from its record
//              while a TdxPendingRowsReading is open, so it stays unread;
//              without one it is filled on first use as painting fills it.
//
// The rules for a row not yet read and for a value held only as text live
// in the held-row form alone (dbgrid/RowValueSource.cpp).
#include "platform/core/Variant.h"
#include "platform/data/DataSet.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qel {

class TCustomdxDBGrid;
class TField;
class TdxDBGridNode;
class TdxDBTreeListColumn;
class TdxTreeListColumn;

class TdxRowValueSource {
public:
    virtual ~TdxRowValueSource() = default;
    // The value of Field in the record the source stands on; false when the
    // source cannot tell (the held-row form only: no column holds the field).
    virtual bool Value(const TField* Field, Variant& Value) const = 0;
};

class TdxCursorRowSource final : public TdxRowValueSource {
public:
    bool Value(const TField* Field, Variant& Value) const override;
};

class TdxRecordRowSource final : public TdxRowValueSource {
public:
    explicit TdxRecordRowSource(const TRecordReader& Reader) : m_reader(&Reader) {}
    void SetRecord(TRecordReader::THandle Handle) { m_handle = Handle; }
    bool Value(const TField* Field, Variant& Value) const override;

private:
    const TRecordReader* m_reader;
    TRecordReader::THandle m_handle{0};
};

class TdxHeldRowSource final : public TdxRowValueSource {
public:
    explicit TdxHeldRowSource(const TCustomdxDBGrid& Grid, const TdxDBGridNode* Row = nullptr)
        : m_grid(&Grid), m_row(Row)
    {
    }
    void SetRow(const TdxDBGridNode* Row) { m_row = Row; }
    // Through the first column bound to Field that holds a value.
    bool Value(const TField* Field, Variant& Value) const override;
    // The value the row holds for the column at Column (a grid column index).
    bool ColumnValue(int Column, Variant& Value) const;

private:
    const TCustomdxDBGrid* m_grid;
    const TdxDBGridNode* m_row;
};

// While it lives, rows of Grid whose values are still pending are read from
// their records instead of being filled: their values, their column texts
// and their cells as painting asks for them. Engine passes over many rows
// find a row's record through one record reader (by the row's walk number,
// checked by its bookmark); a single read (OneRow) finds it by bookmark and
// makes no reader. Readings nest; the one before comes back at the end.
// While a row's texts are read its record is shown through the fields,
// until another row is asked for (HoldRow) or right after each text.
class TdxPendingRowsReading {
public:
    enum TMode : std::uint8_t { ManyRows, HoldRow, OneRow };
    explicit TdxPendingRowsReading(const TCustomdxDBGrid& Grid, TMode Mode = ManyRows);
    // Many rows read through Reader, which outlives the reading (a load's own).
    TdxPendingRowsReading(const TCustomdxDBGrid& Grid, const TRecordReader& Reader);
    ~TdxPendingRowsReading();
    TdxPendingRowsReading(const TdxPendingRowsReading&) = delete;
    TdxPendingRowsReading& operator=(const TdxPendingRowsReading&) = delete;

    // Whether Row is pending and its record was found; the reads below then
    // give what the filled row would hold.
    bool Reads(const TdxDBGridNode* Row);
    // Row is pending and stands for Reader's record at Handle (a row the walk
    // just placed): it is read from there without being looked for.
    void ReadAt(const TdxDBGridNode* Row, TRecordReader::THandle Handle);
    Variant FieldValue(const TField* Field);
    // The column's text as a filled row holds it, into Text.
    void ColumnText(TdxDBTreeListColumn* Column, std::string& Text);
    // The same text, in Scratch or (a stored text shown as it is) in the
    // record itself: valid until the next read of this reading or change of the dataset.
    std::string_view ColumnTextView(TdxDBTreeListColumn* Column, std::string& Scratch);
    // The column's cell value as a filled row gives it (its kept value, else its text).
    Variant CellValue(TdxDBTreeListColumn* Column);
    // The grid's column at Column when it is bound to a field (a filled row holds
    // texts and values of those alone); nullptr otherwise.
    TdxDBTreeListColumn* BoundColumn(int Column);

private:
    friend class TCustomdxDBGrid;
    void ShowRow();

    TCustomdxDBGrid& m_grid;
    TMode m_mode;
    TdxPendingRowsReading* m_previous;
    std::unique_ptr<TRecordReader> m_ownReader;
    const TRecordReader* m_reader{nullptr};   // the own reader, or one lent
    const TdxDBGridNode* m_row{nullptr};   // the row last asked for, and its walk number
    int m_rowNumber{-1};
    TRecordReader::THandle m_handle{0};
    bool m_found{false};
    bool m_gridFreed{false};   // by a handler while it read: it unwinds without the grid
    // The row's record shown through the fields, for its texts.
    std::optional<TRecordView> m_view;
    // Per column index: the column last found there and its data-bound self.
    std::vector<std::pair<TdxTreeListColumn*, TdxDBTreeListColumn*>> m_columns;
};

} // namespace qel
