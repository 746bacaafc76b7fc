#pragma once
// TdxDBGridExportHTML: the grid as an HTML 3.2 page (UTF-8) holding one table
// that imitates the grid: band row, heading row, group rows with indent
// cells, record rows with per-column colours and fonts, row footers and the
// summary footer. Texts are escaped; every row spans the same number of cells.
#include "dbgrid/DBGridExport.h"

namespace qel {

class TdxDBGridExportHTML : public TdxDBGridExport {
public:
    using TdxDBGridExport::TdxDBGridExport;

protected:
    void PrepareRows(const std::vector<TdxTreeListNode*>& Nodes, int DataSetRows) override;
    void BeginExport() override;
    void EndExport() override;
    void WriteHeader() override;
    void WriteFooter() override;
    void WriteNode(TdxTreeListNode* Node) override;

private:
    void WriteLine(const std::string& Text) { Write(Text + "\r\n"); }
    std::string IndentCell() const;
    std::string HeadingIndentCell() const;
    void WriteGroupRow(TdxTreeListNode* Node);
    void WriteRecordRow(TdxTreeListNode* Node);
    void WriteRowFooters(TdxTreeListNode* Node);

    // What a record cell of a shown column writes around its text, built once per export.
    struct TCellFrame {
        int Column = -1;
        std::string Open;       // "<TD ...><FONT ...>" and the font's style tags
        std::string Close;      // the style tags closed, "</FONT></TD>"
        std::string Empty;      // the whole cell of an empty text
        bool Markup = false;    // a hyperlink column's anchor, which escapes its own parts
    };
    std::vector<int> m_columns;   // shown columns in header order
    std::vector<TCellFrame> m_frames;
    std::string m_indentCells;    // the G indent cells of a record row
    std::string m_cell;           // a cell's text where the grid makes it
};

} // namespace qel
