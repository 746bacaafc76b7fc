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

    // What a record row writes between the texts of its shown columns, built
    // once per export: a cell's text is one append after the piece before it.
    struct TCellFrame {
        int Column = -1;
        // [previous cell empty][this cell empty]: the previous cell's end (its
        // style tags closed, "</FONT></TD>"; for the first cell "<TR>" and the
        // indent cells), then "<TD ...><FONT ...>" and this cell's style tags,
        // or "&nbsp;" for an empty text.
        std::string Before[2][2];
        bool Markup = false;    // a hyperlink column's anchor, which escapes its own parts
    };
    std::vector<int> m_columns;   // shown columns in header order
    std::vector<TCellFrame> m_frames;
    std::string m_rowEnd[2];      // [last cell empty]: its end and "</TR>"
    std::string m_cell;           // a cell's text where the grid makes it
};

} // namespace qel
