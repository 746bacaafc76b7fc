#pragma once
// TdxDBGridExportExcel: the grid as one BIFF4 worksheet (the bare record
// stream). Fonts, cell formats (XF), column widths, group indent columns,
// group rows, row footers and a summary footer keep the grid's look.
// Texts are Windows-1252 ('?' for characters outside it), cut to 255.
// A worksheet takes at most 65,536 rows and 256 columns, and the font index
// of a column's format is one byte: more shown columns or rows are refused
// with EdxExportError before anything is written.
#include "dbgrid/DBGridExport.h"

#include <vector>

namespace qel {

class TdxDBGridExportExcel : public TdxDBGridExport {
public:
    using TdxDBGridExport::TdxDBGridExport;

    // Shown columns one export can take: the font index byte (10 + column) ends at 255.
    static constexpr int MaxShownColumns = 246;

protected:
    void PrepareRows(const std::vector<TdxTreeListNode*>& Nodes, int DataSetRows) override;
    void BeginExport() override;
    void EndExport() override;
    void WriteHeader() override;
    void WriteFooter() override;
    void WriteNode(TdxTreeListNode* Node) override;

private:
    void WritePaletteRecord();
    void WriteFonts();
    void WriteFormats();
    void WriteColumnInfos();
    void WriteRowFooters(TdxTreeListNode* Node);
    void WriteDataCell(TdxTreeListNode* Node, int J);
    void WriteFooterCell(int J);
    int HeadingRows() const;

    std::vector<int> m_columns;           // shown columns in header order
    std::vector<bool> m_numericOnly;      // every data cell of the column was a number
    int m_rowLimit{0};
    int m_dataRows{0};
};

} // namespace qel
