#include "dbgrid/DBGridExportText.h"

#include "dbgrid/detail/ExportText.h"
#include "platform/core/Encoding.h"

namespace qel {

TdxDBGridExportText::TdxDBGridExportText(TdxExportGridAccess* Grid, std::string FileName, bool SaveAll,
                                         std::string Separator, std::string BeginString, std::string EndString)
    : TdxDBGridExport(Grid, std::move(FileName), SaveAll), m_separator(std::move(Separator)),
      m_beginString(std::move(BeginString)), m_endString(std::move(EndString))
{
}

std::string TdxDBGridExportText::Field(const std::string& Text) const
{
    // With begin/end strings the caller wraps the cells itself.
    if (m_beginString.empty() && m_endString.empty())
        return exportdetail::QuoteTextField(Text, m_separator);
    return Text;
}

void TdxDBGridExportText::WriteLine(const std::string& Text) { Write(Utf8ToCp1252(Text) + "\r\n"); }

void TdxDBGridExportText::WriteHeader()
{
    std::string line;
    for (int i = 0; i < Control()->GetVisibleColumnCount(); ++i) {
        if (i > 0)
            line += m_separator;
        line += Field(Control()->GetColumnCaption(Control()->GetVisibleColumn(i)));
    }
    WriteLine(line);
    WriteLine(std::string());
}

void TdxDBGridExportText::WriteNode(TdxTreeListNode* Node)
{
    if (Node && Node->HasChildren()) {
        // The group column's text, as every writer takes it (column 0 may be blank on a group row).
        WriteLine(Field(GroupText(Node)));
        return;
    }
    std::string line;
    for (int i = 0; i < Control()->GetVisibleColumnCount(); ++i) {
        if (i > 0)
            line += m_separator;
        line += m_beginString + Field(CellText(Node, Control()->GetVisibleColumn(i), false)) + m_endString;
    }
    WriteLine(line);
}

} // namespace qel
