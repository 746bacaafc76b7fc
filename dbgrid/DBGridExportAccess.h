#pragma once
// TdxDBGridExportAccess: the export writers' view of a data-bound grid:
// group columns, bound fields, summary footers, holding modes, the
// selection by bookmarks and the dataset walk of buffer and partial-load mode.
#include "dbgrid/ExportGridAccess.h"
#include "platform/data/DataSet.h"

namespace qel {

class TCustomdxDBGrid;

class TdxDBGridExportAccess : public TdxExportGridAccess {
public:
    explicit TdxDBGridExportAccess(TCustomdxDBGrid* Grid);

    bool HasDataSet() const override;
    int GroupColumnCount() const override;
    int GroupColumn(int Level) const override;
    TColor RowFooterTextColor() const override;

    bool HasField(int Column) const override;
    TFieldType FieldType(int Column) const override;
    std::string FieldName(int Column) const override;
    bool FieldHasGetText(int Column) const override;
    std::string_view NodeText(TdxTreeListNode* Node, int Column, std::string& Scratch) const override;
    Variant RecordValue(int Column) const override;
    std::string RecordDisplayText(int Column) const override;

    TdxSummaryType SummaryFooterType(int Column) const override;
    std::string SummaryFooterField(int Column) const override;
    std::string SummaryFooterText(int Column) const override;
    bool SummaryFooterValue(int Column, Variant& Value) const override;

    bool IsBufferMode() const override;
    bool IsPartialLoadMode() const override;
    int DataSetRecordCount() const override;
    // Remembers the record and the top row and disables the controls; the
    // end goes back to the record when it still exists, else to the first.
    std::unique_ptr<TWalk> BeginWalk() override;
    void First() override;
    bool Eof() const override;
    void Next() override;
    // Rows selected by their node, and with bookmark selection the selected bookmarks.
    bool HasSelectedRows() const override;
    // The selected bookmarks and the records of rows selected by their node,
    // each once, in the dataset's order.
    int TakeSelectedRecords() override;
    void GotoSelected(int Index) override;
    bool IsNodeSelected(const TdxTreeListNode* Node) const override;
    void CheckUnchanged() const override;

private:
    TdxDBTreeListColumn* Column(int Index) const;
    TField* Field(int Index) const;
    TDataSet* DataSet() const;

    TCustomdxDBGrid* m_grid;
    std::vector<TBookmark> m_selectedRecords;   // as taken for the walk
    // Per column index: the column last found there and its data-bound self.
    mutable std::vector<std::pair<TdxTreeListColumn*, TdxDBTreeListColumn*>> m_columns;
};

} // namespace qel
