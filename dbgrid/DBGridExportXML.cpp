#include "dbgrid/DBGridExportXML.h"

#include "dbgrid/detail/ExportText.h"
#include "platform/core/Locale.h"
#include "platform/core/Utf8.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <unordered_set>

namespace qel {

using exportdetail::XmlEscape;

std::vector<std::string> dxExportColumnXmlNames(const TdxExportGridAccess& Grid)
{
    std::vector<std::string> names;
    std::unordered_set<std::string> used;
    for (int c = 0; c < Grid.Control()->GetColumnCount(); ++c) {
        const std::string base = exportdetail::MakeXmlName(Grid.ColumnXmlBaseName(c));
        std::string name = base;
        for (int n = 2; used.count(name); ++n)
            name = base + "_" + std::to_string(n);
        used.insert(name);
        names.push_back(name);
    }
    return names;
}

std::string dxExportStyleSheetName(const std::string& FileName)
{
    const std::string file = std::filesystem::path(FileName).filename().replace_extension(".xsl").string();
    // One '_' for each character, not for each byte of it.
    std::string name;
    for (std::size_t pos = 0; pos < file.size();) {
        const char32_t ch = Utf8Next(file, pos);
        const bool keep = ch == '-' || ch == '.' || ch == '_' || (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') ||
                          (ch >= 'a' && ch <= 'z');
        name += keep ? static_cast<char>(ch) : '_';
    }
    return name;
}

namespace {

constexpr std::size_t kDateTextSize = 32;

// dxExportDateText into Buf, without a string of its own: one per row and date column.
std::string_view DateText(TDateTime Value, char (&Buf)[kDateTextSize])
{
    if (Value == -700000)
        return {};
    int y, m, d, h, n, s, ms;
    DecodeDateTime(Value, y, m, d, h, n, s, ms);
    const bool dayOnly = h == 0 && n == 0 && s == 0 && ms == 0;
    if (dayOnly && y >= 0 && y <= 9999) {
        // The common case, written digit by digit.
        auto put = [&Buf](std::size_t At, int Value, int Digits) {
            for (int i = Digits - 1; i >= 0; --i, Value /= 10)
                Buf[At + static_cast<std::size_t>(i)] = static_cast<char>('0' + Value % 10);
        };
        put(0, y, 4);
        Buf[4] = '-';
        put(5, m, 2);
        Buf[7] = '-';
        put(8, d, 2);
        return {Buf, 10};
    }
    const int length = dayOnly ? std::snprintf(Buf, sizeof Buf, "%04d-%02d-%02d", y, m, d)
                               : std::snprintf(Buf, sizeof Buf, "%04d-%02d-%02dT%02d:%02d:%02d", y, m, d, h, n, s);
    return {Buf, std::min(static_cast<std::size_t>(std::max(length, 0)), sizeof Buf - 1)};
}

} // namespace

std::string dxExportDateText(TDateTime Value)
{
    char buf[kDateTextSize];
    return std::string(DateText(Value, buf));
}

// ----- stylesheet ------------------------------------------------------------------------------

void TdxDBGridExportXSL::SaveToFile()
{
    SafeWriteFile(m_fileName, [this](TStream& S) { SaveToStream(S); });
}

void TdxDBGridExportXSL::WriteLine(int Level, const std::string& Text)
{
    std::string prefix(8 + (Level >= 0 ? 2 * Level : 0), ' ');
    m_stream->WriteBytes(prefix + Text + "\r\n");
}

void TdxDBGridExportXSL::SaveToStream(TStream& Stream)
{
    m_stream = &Stream;
    m_names = dxExportColumnXmlNames(*m_grid);
    const TFont* font = m_grid->Control()->Font();
    m_fontStyle = "font:" + std::to_string(font->Size()) + "pt " + XmlEscape(font->Name());
    auto line = [&](const std::string& Text) { Stream.WriteBytes(Text + "\r\n"); };
    line("<?xml version=\"1.0\"?>");
    line("<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">");
    line("  <xsl:template match=\"/\">");
    line("    <HTML>");
    line("      <BODY>");
    if (m_grid->GroupColumnCount() > 0)
        WriteGroupLevel(0);
    else
        WriteRowTable(-1);
    line("      </BODY>");
    line("    </HTML>");
    line("  </xsl:template>");
    line("</xsl:stylesheet>");
    m_stream = nullptr;
}

void TdxDBGridExportXSL::WriteGroupLevel(int Level)
{
    WriteLine(Level, std::string("<xsl:for-each select=\"") + (Level == 0 ? "/GRID/GROUP" : "GROUP") + "\">");
    WriteLine(Level, "  <TABLE style=\"" + m_fontStyle +
                         "\" BORDER=\"0\" CELLSPACING=\"0\" CELLPADDING=\"1\" BGCOLOR=\"#C0C0C0\">");
    WriteLine(Level, "    <TR valign=\"top\">");
    WriteLine(Level, "      <TD align=\"left\" width=\"20\">&#160;</TD><TD align=\"left\" width=\"100\">");
    WriteLine(Level, "        &#160;<xsl:value-of select=\"@GroupText\"/>");
    WriteLine(Level, "      </TD>");
    WriteLine(Level, "    </TR>");
    WriteLine(Level, "    <TR valign=\"top\">");
    WriteLine(Level, "      <TD align=\"left\" width=\"20\">&#160;</TD><TD align=\"left\" width=\"100\">");
    if (Level + 1 < m_grid->GroupColumnCount())
        WriteGroupLevel(Level + 1);
    else
        WriteRowTable(Level + 1);
    WriteLine(Level, "      </TD>");
    WriteLine(Level, "    </TR>");
    WriteLine(Level, "  </TABLE>");
    WriteLine(Level, "</xsl:for-each>");
}

void TdxDBGridExportXSL::WriteRowTable(int Level)
{
    WriteLine(Level, "<TABLE style=\"" + m_fontStyle +
                         "\" border=\"1\" CELLSPACING=\"0\" CELLPADDING=\"1\" BGCOLOR=\"#FFFFFF\">");
    WriteLine(Level, "  <THEAD style=\"font-weight:bold; background-color:#C0C0C0\">");
    WriteLine(Level, "    <TR valign=\"top\">");
    WriteLine(Level, "      <xsl:for-each select=\"/GRID/COLUMNS/COLUMN\">");
    WriteLine(Level, "        <TD align=\"left\">");
    WriteLine(Level, "          <xsl:attribute name=\"width\"><xsl:value-of select=\"@Width\"/></xsl:attribute>");
    WriteLine(Level, "          <xsl:value-of select=\"@Caption\"/>");
    WriteLine(Level, "        </TD>");
    WriteLine(Level, "      </xsl:for-each>");
    WriteLine(Level, "    </TR>");
    WriteLine(Level, "  </THEAD>");
    WriteLine(Level, Level == -1 ? "  <xsl:for-each select=\"GRID/ROWS/ROW\">" : "  <xsl:for-each select=\"ROW\">");
    WriteLine(Level, "  <TR valign=\"top\">");
    for (const TdxExportHeaderCell& cell : m_grid->HeaderCells()) {
        const std::string& name = m_names[static_cast<std::size_t>(cell.Column)];
        WriteLine(Level, "    <TD align=\"left\">");
        WriteLine(Level, "      <xsl:value-of select=\"@" + name + "\"/>");
        WriteLine(Level, "      <xsl:if test=\"@" + name + "[.='']\">&#160;</xsl:if>");
        WriteLine(Level, "    </TD>");
    }
    WriteLine(Level, "  </TR>");
    WriteLine(Level, "  </xsl:for-each>");
    WriteLine(Level, "</TABLE>");
}

// ----- document --------------------------------------------------------------------------------

void TdxDBGridExportXML::SaveToFile()
{
    const std::filesystem::path target(FileName());
    const std::filesystem::path sheet = target.parent_path() / dxExportStyleSheetName(FileName());
    if (std::filesystem::weakly_canonical(sheet) == std::filesystem::weakly_canonical(target))
        throw EdxExportError("The stylesheet of the XML export \"" + FileName() +
                             "\" would replace the export itself; choose another file name.");
    // Both files complete on disk before either replaces an old one.
    TSafeFileStream sheetFile(sheet.string());
    if (Grid() && Grid()->Control() && Grid()->HasDataSet())
        TdxDBGridExportXSL(Grid(), sheet.string()).SaveToStream(sheetFile);
    TSafeFileStream xmlFile(FileName());
    SaveToStream(xmlFile);
    sheetFile.Flush();
    xmlFile.Flush();
    sheetFile.Commit();
    xmlFile.Commit();
}

void TdxDBGridExportXML::PrepareRows(const std::vector<TdxTreeListNode*>& /*Nodes*/, int /*DataSetRows*/)
{
    m_names = dxExportColumnXmlNames(*Grid());
    m_cells = Grid()->HeaderCells();
    m_attributeStarts.clear();
    for (const TdxExportHeaderCell& cell : m_cells)
        m_attributeStarts.push_back(' ' + m_names[static_cast<std::size_t>(cell.Column)] + "=\"");
    m_groupDepth = 0;
    m_indent = 0;
}

void TdxDBGridExportXML::BeginExport()
{
    m_indent = 0;
    WriteLine("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>");
    WriteLine("<?xml-stylesheet type=\"text/xsl\" href=\"" + dxExportStyleSheetName(FileName()) + "\"?>");
    WriteLine("<!DOCTYPE GRID [");
    // The body decides: rows sit in ROWS without group columns, in GROUPs with them.
    WriteLine(GroupCount() > 0 ? "  <!ELEMENT GRID (BANDS, COLUMNS, GROUP*)>" : "  <!ELEMENT GRID (BANDS, COLUMNS, ROWS)>");
    for (const char* line :
         {"  <!ATTLIST GRID ExportVersion CDATA #REQUIRED>", "  <!ELEMENT BANDS (BAND*)>", "  <!ELEMENT BAND EMPTY>",
          "  <!ATTLIST BAND Index CDATA #REQUIRED>", "  <!ATTLIST BAND Caption CDATA #IMPLIED>",
          "  <!ELEMENT COLUMNS (COLUMN*)>", "  <!ELEMENT COLUMN EMPTY>", "  <!ATTLIST COLUMN Name CDATA #REQUIRED>",
          "  <!ATTLIST COLUMN Caption CDATA #IMPLIED>", "  <!ATTLIST COLUMN Index CDATA #REQUIRED>",
          "  <!ATTLIST COLUMN BandIndex CDATA #REQUIRED>", "  <!ATTLIST COLUMN RowIndex CDATA #REQUIRED>",
          "  <!ATTLIST COLUMN ColIndex CDATA #REQUIRED>", "  <!ATTLIST COLUMN Width CDATA #IMPLIED>",
          "  <!ELEMENT GROUP (GROUP*, ROW*)>", "  <!ATTLIST GROUP GroupText CDATA #IMPLIED>",
          "  <!ELEMENT ROWS (ROW*)>", "  <!ELEMENT ROW EMPTY>"})
        WriteLine(line);
    for (int c = 0; c < Control()->GetColumnCount(); ++c)
        if (Control()->IsColumnShown(c))
            WriteLine("  <!ATTLIST ROW " + m_names[static_cast<std::size_t>(c)] + " CDATA #IMPLIED>");
    WriteLine("]>");
    WriteLine("<GRID ExportVersion=\"1.0\">");
}

void TdxDBGridExportXML::WriteHeader()
{
    ++m_indent;
    WriteIndented("<BANDS>");
    ++m_indent;
    for (int b = 0; b < Control()->GetVisibleBandCount(); ++b) {
        std::string caption;
        Control()->GetBandCaption(b, caption);
        WriteIndented("<BAND Index=\"" + std::to_string(b) + "\" Caption=\"" + XmlEscape(caption) + "\"></BAND>");
    }
    --m_indent;
    WriteIndented("</BANDS>");
    --m_indent;
    ++m_indent;
    WriteIndented("<COLUMNS>");
    ++m_indent;
    for (const TdxExportHeaderCell& cell : m_cells) {
        const TdxTreeListColumn* col = Control()->GetColumnByIndex(cell.Column);
        WriteIndented("<COLUMN Name=\"" + m_names[static_cast<std::size_t>(cell.Column)] + "\" Caption=\"" +
                      XmlEscape(Control()->GetColumnCaption(cell.Column)) + "\" Index=\"" +
                      std::to_string(cell.Column) + "\" BandIndex=\"" + std::to_string(cell.Band) +
                      "\" RowIndex=\"" + std::to_string(cell.BandRow) + "\" ColIndex=\"" +
                      std::to_string(cell.Position) + "\" Width=\"" + std::to_string(col ? col->Width() : 0) +
                      "\"></COLUMN>");
    }
    --m_indent;
    WriteIndented("</COLUMNS>");
    --m_indent;
    if (GroupCount() == 0) {
        ++m_indent;
        WriteIndented("<ROWS>");
    }
}

void TdxDBGridExportXML::CloseGroup()
{
    WriteIndented("</GROUP>");
    --m_groupDepth;
    --m_indent;
}

void TdxDBGridExportXML::WriteNode(TdxTreeListNode* Node)
{
    if (Node && Node->HasChildren()) {
        while (Node->Level() < m_groupDepth)
            CloseGroup();
        ++m_indent;
        WriteIndented("<GROUP GroupText=\"" + XmlEscape(GroupText(Node)) + "\">");
        ++m_groupDepth;
        return;
    }
    ++m_indent;
    std::string& row = Block();
    row.append(2 * static_cast<std::size_t>(m_indent), ' ');
    row += "<ROW";
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
        row += m_attributeStarts[i];
        AppendCellXml(row, Node, m_cells[i].Column);
        row += '"';
    }
    row += "></ROW>\r\n";
    Appended();
    --m_indent;
}

void TdxDBGridExportXML::AppendCellXml(std::string& Out, TdxTreeListNode* Node, int Column) const
{
    TFieldType type = ftUnknown;
    const bool bound = CellField(Column, type);
    const bool dated = type == ftDate || type == ftTime || type == ftDateTime;
    const bool converts = ConvertsValues(Column, false);
    // A row's value decides only where the column converts it or it may be a date.
    Variant v = converts || dated || !Node ? CellValue(Node, Column) : Variant();
    const TdxTreeListColumn* col = converts ? Control()->GetColumnByIndex(Column) : nullptr;
    auto appendDate = [&Out](TDateTime Value) {
        char buf[kDateTextSize];
        exportdetail::AppendXmlEscaped(Out, DateText(Value, buf));
    };
    if (col && col->GetValueText(v, false)) {
        if (v.IsEmptyOrNull())
            return;
        if (v.VarType() == varDate)
            appendDate(v.AsDate());
        else
            exportdetail::AppendXmlEscaped(Out, v.AsString());
    } else if (Node) {
        if (v.VarType() == varDate)
            appendDate(v.AsDate());
        else
            exportdetail::AppendXmlEscaped(Out, Grid()->NodeText(Node, Column, m_cell));
    } else if (bound) {
        if ((type < ftSmallint || type > ftDateTime) && type != ftAutoInc)
            exportdetail::AppendXmlEscaped(Out, Grid()->RecordDisplayText(Column));
        else if (Grid()->FieldHasGetText(Column))
            exportdetail::AppendXmlEscaped(Out, Grid()->RecordDisplayText(Column));
        else if (v.IsEmptyOrNull())
            return;
        else if (dated)
            appendDate(v.AsDate());
        else
            exportdetail::AppendXmlEscaped(Out, v.AsString());
    }
}

void TdxDBGridExportXML::WriteFooter()
{
    if (GroupCount() == 0) {
        WriteIndented("</ROWS>");
        --m_indent;
    } else {
        while (m_groupDepth > 0)
            CloseGroup();
    }
}

void TdxDBGridExportXML::EndExport() { WriteLine("</GRID>"); }

} // namespace qel
