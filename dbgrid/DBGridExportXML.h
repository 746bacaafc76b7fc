#pragma once
// TdxDBGridExportXML: the grid as an XML document (UTF-8) with an inline
// DTD, root GRID: bands, columns with their layout places, and rows, nested
// in GROUP elements when the grid is grouped. The companion stylesheet
// (TdxDBGridExportXSL) is written beside it and linked by an
// xml-stylesheet instruction; the two files are one export: both are
// written to temporary names and renamed only when both are complete.
//
// TdxDBGridExportXSL: that stylesheet, XSLT 1.0, rendering the GRID as an
// HTML table with one nested grey table per group level.
#include "dbgrid/DBGridExport.h"

#include <string>
#include <vector>

namespace qel {

// The attribute name of each grid column (by column index): its Name, or
// "Column" + index, made a valid XML name and unique within the export.
std::vector<std::string> dxExportColumnXmlNames(const TdxExportGridAccess& Grid);
// The stylesheet's file name (no folder) for an export file.
std::string dxExportStyleSheetName(const std::string& FileName);
// "yyyy-mm-dd" or "yyyy-mm-ddThh:nn:ss"; empty for the null date (-700000).
std::string dxExportDateText(TDateTime Value);

class TdxDBGridExportXSL {
public:
    TdxDBGridExportXSL(TdxExportGridAccess* Grid, std::string FileName)
        : m_grid(Grid), m_fileName(std::move(FileName))
    {
    }
    const std::string& FileName() const { return m_fileName; }
    void SaveToFile();
    void SaveToStream(TStream& Stream);

private:
    void WriteLine(int Level, const std::string& Text);
    void WriteGroupLevel(int Level);
    void WriteRowTable(int Level);

    TdxExportGridAccess* m_grid;
    std::string m_fileName;
    std::vector<std::string> m_names;
    std::string m_fontStyle;
    TStream* m_stream{nullptr};
};

class TdxDBGridExportXML : public TdxDBGridExport {
public:
    using TdxDBGridExport::TdxDBGridExport;

    // Writes the stylesheet and the document; EdxExportError when the
    // stylesheet would take the export's own path.
    void SaveToFile() override;

protected:
    void PrepareRows(const std::vector<TdxTreeListNode*>& Nodes, int DataSetRows) override;
    void BeginExport() override;
    void EndExport() override;
    void WriteHeader() override;
    void WriteFooter() override;
    void WriteNode(TdxTreeListNode* Node) override;

private:
    void WriteLine(const std::string& Text) { Write(Text + "\r\n"); }
    void WriteIndented(const std::string& Text) { WriteLine(std::string(2 * m_indent, ' ') + Text); }
    void CloseGroup();
    // Appends a cell's attribute text, escaped: dates as ISO dates, other values as the cell shows them.
    void AppendCellXml(std::string& Out, TdxTreeListNode* Node, int Column) const;

    int m_groupDepth{0};
    int m_indent{0};
    std::vector<std::string> m_names;
    std::vector<TdxExportHeaderCell> m_cells;
    std::vector<std::string> m_attributeStarts;   // per cell: ` name="`
    mutable std::string m_cell;   // a cell's text where the grid makes it
};

} // namespace qel
