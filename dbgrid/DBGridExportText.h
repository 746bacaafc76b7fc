#pragma once
// TdxDBGridExportText: a caption line, an empty line, then one line per row,
// cells joined by Separator and wrapped in BeginString/EndString, in
// Windows-1252 ('?' for characters outside it). With empty begin and end
// strings a field holding the separator, CR, LF or a double quote is quoted
// (inner quotes doubled), so the columns and rows read back as written.
#include "dbgrid/DBGridExport.h"

namespace qel {

class TdxDBGridExportText : public TdxDBGridExport {
public:
    TdxDBGridExportText(TdxExportGridAccess* Grid, std::string FileName, bool SaveAll, std::string Separator,
                        std::string BeginString, std::string EndString);

    const std::string& Separator() const { return m_separator; }
    const std::string& BeginString() const { return m_beginString; }
    const std::string& EndString() const { return m_endString; }

protected:
    void PrepareRows(const std::vector<TdxTreeListNode*>& Nodes, int DataSetRows) override;
    void WriteHeader() override;
    void WriteNode(TdxTreeListNode* Node) override;

private:
    void AppendField(std::string_view Text);
    // Writes the line built so far and starts the next.
    void WriteLine();

    std::string m_separator;
    std::string m_beginString;
    std::string m_endString;
    std::vector<int> m_columns;   // the shown columns, in header order
    std::string m_line;           // reused for every line
    std::string m_cell;           // a cell's text where the grid makes it
};

} // namespace qel
