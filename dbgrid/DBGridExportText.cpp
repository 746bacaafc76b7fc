#include "dbgrid/DBGridExportText.h"

#include "dbgrid/detail/ExportText.h"
#include "platform/core/Encoding.h"

#include <algorithm>

namespace qel {

TdxDBGridExportText::TdxDBGridExportText(TdxExportGridAccess* Grid, std::string FileName, bool SaveAll,
                                         std::string Separator, std::string BeginString, std::string EndString)
    : TdxDBGridExport(Grid, std::move(FileName), SaveAll), m_separator(std::move(Separator)),
      m_beginString(std::move(BeginString)), m_endString(std::move(EndString))
{
}

void TdxDBGridExportText::AppendField(std::string_view Text)
{
    // With begin/end strings the caller wraps the cells itself.
    if (m_beginString.empty() && m_endString.empty())
        exportdetail::AppendTextField(m_line, Text, m_separator);
    else
        m_line += Text;
}

void TdxDBGridExportText::WriteLine()
{
    // Most lines are plain ASCII, which Windows-1252 keeps as it is.
    const bool ascii = std::all_of(m_line.begin(), m_line.end(), [](char C) { return (C & 0x80) == 0; });
    if (!ascii)
        m_line = Utf8ToCp1252(m_line);
    m_line += "\r\n";
    Write(m_line);
    m_line.clear();
}

void TdxDBGridExportText::PrepareRows(const std::vector<TdxTreeListNode*>& /*Nodes*/, int /*DataSetRows*/)
{
    m_columns.clear();
    for (int i = 0; i < Control()->GetVisibleColumnCount(); ++i)
        m_columns.push_back(Control()->GetVisibleColumn(i));
}

void TdxDBGridExportText::WriteHeader()
{
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (i > 0)
            m_line += m_separator;
        AppendField(Control()->GetColumnCaption(m_columns[i]));
    }
    WriteLine();
    WriteLine();
}

void TdxDBGridExportText::WriteNode(TdxTreeListNode* Node)
{
    if (Node && Node->HasChildren()) {
        // The group column's text, as every writer takes it (column 0 may be blank on a group row).
        AppendField(GroupText(Node));
        WriteLine();
        return;
    }
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (i > 0)
            m_line += m_separator;
        m_line += m_beginString;
        AppendField(CellText(Node, m_columns[i], false, m_cell));
        m_line += m_endString;
    }
    WriteLine();
}

} // namespace qel
