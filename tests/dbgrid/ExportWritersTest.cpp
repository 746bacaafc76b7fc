// The export writers against a tree list standing in for the grid; files are
// read back by xmllint, xsltproc, xlrd and Python's csv module.
#include "dbgrid/DBGridExportExcel.h"
#include "dbgrid/DBGridExportHTML.h"
#include "dbgrid/DBGridExportText.h"
#include "dbgrid/DBGridExportXML.h"
#include "dbgrid/ExportGrid.h"
#include "dbgrid/detail/ExportText.h"
#include "platform/core/Utf8.h"
#include "tests/dbgrid/ExportTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string_view>
#include <map>
#include <set>
#include <regex>

namespace qel::test {

namespace {

const std::string hostile = "M\xC3\xBCller & <Sohn> \"quoted\" 'a'\x01\x07 x=1\ttab";

class ExportWriters : public ::testing::Test {
protected:
    void SetUp() override
    {
        tree = std::make_unique<TExportTree>(nullptr);
        tree->SetName("AccessGrid");
        for (const char* caption : {"Name", "Count", "Note"}) {
            TdxTreeListColumn* c = tree->CreateColumn();
            c->SetCaption(caption);
        }
        tree->Columns(0)->SetName("Name");
        tree->Columns(1)->SetName("Count");
        tree->Columns(1)->SetAlignment(taRightJustify);
        access = std::make_unique<TExportAccess>(tree.get());
    }
    void AddRow(TdxTreeListNode* Parent, const std::string& A, const std::string& B, const std::string& C)
    {
        TdxTreeListNode* n = Parent ? Parent->AddChild() : tree->Add();
        n->SetString(0, A);
        n->SetString(1, B);
        n->SetString(2, C);
    }
    // Two groups by column 0, rows below.
    void MakeGrouped()
    {
        access->Groups = 1;
        for (const char* g : {"Box 1", "Box 2"}) {
            TdxTreeListNode* group = tree->Add();
            group->SetString(0, g);
            AddRow(group, "door", "3", "n");
            AddRow(group, "gate", "4", "m");
        }
    }
    std::string File(const std::string& Name) const { return (dir.Path() / Name).string(); }

    TempDir dir;
    std::unique_ptr<TExportTree> tree;
    std::unique_ptr<TExportAccess> access;
};

int Count(const std::string& Text, const std::string& What)
{
    int n = 0;
    for (std::size_t p = Text.find(What); p != std::string::npos; p = Text.find(What, p + What.size()))
        ++n;
    return n;
}

// Each HTML table row with the columns it spans (a cell counts its COLSPAN).
std::vector<std::pair<std::string, int>> HtmlRowWidths(const std::string& Html)
{
    const std::regex rowRe("<TR[^>]*>(.*)</TR>"), cellRe("<TD[^>]*>"), spanRe("COLSPAN=(\\d+)");
    std::vector<std::pair<std::string, int>> rows;
    for (std::sregex_iterator r(Html.begin(), Html.end(), rowRe), end; r != end; ++r) {
        const std::string row = (*r)[1];
        int width = 0;
        for (std::sregex_iterator c(row.begin(), row.end(), cellRe); c != end; ++c) {
            const std::string cell = c->str();
            std::smatch span;
            width += std::regex_search(cell, span, spanRe) ? std::stoi(span[1]) : 1;
        }
        rows.emplace_back(row, width);
    }
    return rows;
}

} // namespace

// ----- text -------------------------------------------------------------------------------------

TEST_F(ExportWriters, TextReadsBackWithCsvTabs)
{
    AddRow(nullptr, "a", "", "c");
    AddRow(nullptr, "tab\there", "2", "line\r\nbreak \"q\"");
    AddRow(nullptr, "M\xC3\xBCller", "3", "\xE4\xB8\x80");
    dxExportGridToText(access.get(), File("grid.txt"), true, "\t", "", "");
    const std::string bytes = ReadFileBytes(File("grid.txt"));
    EXPECT_EQ(bytes.substr(0, 25), "Name\tCount\tNote\r\n\r\na\t\tc\r\n");
    // Windows-1252, '?' for what it lacks.
    EXPECT_NE(bytes.find("M\xFCller\t3\t?\r\n"), std::string::npos);
    std::string out;
    ASSERT_EQ(RunCommand("/usr/bin/python3 -c \"import csv,sys; r=list(csv.reader(open(sys.argv[1],newline='',encoding='cp1252'),"
                  "delimiter='\\t')); print(len(r)); print(r[3][0]=='tab\\there', r[3][2]=='line\\r\\nbreak \\\"q\\\"')\" '" +
                      File("grid.txt") + "'",
                  &out),
              0)
        << out;
    EXPECT_EQ(out, "5\nTrue True\n");
}

TEST_F(ExportWriters, TextWithBeginAndEndStringsLeavesFieldsUnquoted)
{
    AddRow(nullptr, "a,b", "1", "");
    dxExportGridToText(access.get(), File("grid.txt"), true, ",", "'", "'");
    EXPECT_EQ(ReadFileBytes(File("grid.txt")), "Name,Count,Note\r\n\r\n'a,b','1',''\r\n");
}

// ----- XML and XSL ------------------------------------------------------------------------------

TEST_F(ExportWriters, XmlIsValidAndTheStylesheetShowsOneRowPerRecord)
{
    AddRow(nullptr, hostile, "1", "x");
    AddRow(nullptr, "b", "", hostile);
    AddRow(nullptr, "c", "3", "");
    tree->Columns(2)->SetCaption("A<B & \"C\"");
    dxExportGridToXML(access.get(), File("my data.xml"), true);
    const std::string xml = ReadFileBytes(File("my data.xml"));
    EXPECT_NE(xml.find("<?xml-stylesheet type=\"text/xsl\" href=\"my_data.xsl\"?>"), std::string::npos);
    EXPECT_NE(xml.find("Caption=\"A&#60;B &#38; &#34;C&#34;\""), std::string::npos);
    // Escaped by code point, control characters dropped.
    EXPECT_NE(xml.find("M&#252;ller &#38; &#60;Sohn&#62;"), std::string::npos);
    EXPECT_NE(xml.find("x&#61;1&#9;tab"), std::string::npos);
    EXPECT_NE(xml.find("\r\n  <ROWS>\r\n    <ROW Name=\"M"), std::string::npos);
    EXPECT_NE(xml.find("\r\n  </ROWS>\r\n</GRID>\r\n"), std::string::npos);
    std::string out;
    EXPECT_EQ(RunCommand("xmllint --valid --noout '" + File("my data.xml") + "'", &out), 0) << out;
    ASSERT_EQ(RunCommand("cd '" + dir.Path().string() + "' && xsltproc my_data.xsl 'my data.xml'", &out), 0) << out;
    // The heading row and one row per record.
    EXPECT_EQ(Count(out, "<TR valign=\"top\">"), 4) << out;
    EXPECT_NE(out.find("M\xC3\xBCller &amp; &lt;Sohn&gt;"), std::string::npos) << out;
}

TEST_F(ExportWriters, XmlGroupedAndEmptyGridsAreValid)
{
    MakeGrouped();
    dxExportGridToXML(access.get(), File("grouped.xml"), true);
    const std::string xml = ReadFileBytes(File("grouped.xml"));
    EXPECT_NE(xml.find("\r\n  <GROUP GroupText=\"Box 1\">\r\n    <ROW "), std::string::npos);
    EXPECT_NE(xml.find("</GROUP>\r\n  <GROUP GroupText=\"Box 2\">"), std::string::npos);
    std::string out;
    EXPECT_EQ(RunCommand("xmllint --valid --noout '" + File("grouped.xml") + "'", &out), 0) << out;
    ASSERT_EQ(RunCommand("cd '" + dir.Path().string() + "' && xsltproc grouped.xsl grouped.xml", &out), 0) << out;
    EXPECT_EQ(Count(out, "<td align=\"left\" width=\"20\">") + Count(out, "<TD align=\"left\" width=\"20\">"), 4);

    tree->ClearNodes();
    access->Groups = 0;
    dxExportGridToXML(access.get(), File("empty.xml"), true);
    EXPECT_EQ(RunCommand("xmllint --valid --noout '" + File("empty.xml") + "'", &out), 0) << out;
    access->Groups = 1;
    dxExportGridToXML(access.get(), File("empty2.xml"), true);
    EXPECT_EQ(RunCommand("xmllint --valid --noout '" + File("empty2.xml") + "'", &out), 0) << out;
}

// Noncharacters and malformed UTF-8 from a dataset: XML drops what it does
// not allow, both formats show a malformed sequence as U+FFFD, and the real
// parsers take the files.
TEST_F(ExportWriters, UnusualTextGivesFilesTheParsersTake)
{
    const std::string nonchars = "a\xEF\xBF\xBE" "b\xEF\xBF\xBF" "c";
    const std::string malformed = "x\xFF" "y\xC3" "z\xED\xA0\x80" "w";
    AddRow(nullptr, nonchars, "1", malformed);
    AddRow(nullptr, "\xF0\x9F\x98\x80", "2", "");
    tree->Columns(2)->SetCaption(nonchars);
    dxExportGridToXML(access.get(), File("odd.xml"), true);
    const std::string xml = ReadFileBytes(File("odd.xml"));
    EXPECT_NE(xml.find("Name=\"abc\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("Caption=\"abc\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("x&#65533;y&#65533;z&#65533;&#65533;&#65533;w"), std::string::npos) << xml;
    EXPECT_NE(xml.find("&#128512;"), std::string::npos) << xml;
    std::string out;
    EXPECT_EQ(RunCommand("xmllint --valid --noout '" + File("odd.xml") + "'", &out), 0) << out;
    EXPECT_EQ(RunCommand("cd '" + dir.Path().string() + "' && xsltproc odd.xsl odd.xml", &out), 0) << out;

    dxExportGridToHTML(access.get(), File("odd.html"), true);
    const std::string html = ReadFileBytes(File("odd.html"));
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_NE(html.find("x" + replacement + "y" + replacement + "z"), std::string::npos) << html;
    EXPECT_NE(html.find(">abc<"), std::string::npos) << html;
    EXPECT_EQ(HtmlParserComplaints(File("odd.html")), "");
}

TEST_F(ExportWriters, XmlAttributeNamesAreUniqueAndValid)
{
    tree->Columns(0)->SetName("Column2");
    tree->Columns(1)->SetName("");
    tree->Columns(2)->SetName("");
    const std::vector<std::string> names = dxExportColumnXmlNames(*access);
    EXPECT_EQ(names, (std::vector<std::string>{"Column2", "Column1", "Column2_2"}));
    EXPECT_EQ(exportdetail::MakeXmlName("1st col"), "_1st_col");
    AddRow(nullptr, "a", "1", "b");
    dxExportGridToXML(access.get(), File("names.xml"), true);
    std::string out;
    EXPECT_EQ(RunCommand("xmllint --valid --noout '" + File("names.xml") + "'", &out), 0) << out;
}

TEST_F(ExportWriters, XmlRefusesAStylesheetOnItsOwnPathAndWritesBothOrNeither)
{
    EXPECT_NE(MessageOf<EdxExportError>([&] { dxExportGridToXML(access.get(), File("grid.xsl"), true); }), "");
    EXPECT_FALSE(std::filesystem::exists(File("grid.xsl")));
    // The stylesheet's place is taken by a folder: the XML written before stays as it was.
    AddRow(nullptr, "a", "1", "b");
    WriteFileBytes(File("old.xml"), "old");
    std::filesystem::create_directory(File("old.xsl"));
    EXPECT_THROW(dxExportGridToXML(access.get(), File("old.xml"), true), Exception);
    EXPECT_EQ(ReadFileBytes(File("old.xml")), "old");
}

TEST(ExportText, DatesAndStylesheetNames)
{
    EXPECT_EQ(dxExportDateText(45356.0), "2024-03-05");
    EXPECT_EQ(dxExportDateText(45356.0 + (14 * 3600 + 7 * 60 + 9) / 86400.0), "2024-03-05T14:07:09");
    EXPECT_EQ(dxExportDateText(-700000), "");
    EXPECT_EQ(dxExportStyleSheetName("/tmp/a b/my data.xml"), "my_data.xsl");
    EXPECT_EQ(dxExportStyleSheetName("\xC3\x9C" "bersicht 2024 (final).xml"), "_bersicht_2024__final_.xsl");
    EXPECT_EQ(dxExportStyleSheetName("\xE2\x82\xAC\xF0\x9F\x98\x80.xml"), "__.xsl");
    EXPECT_EQ(exportdetail::HtmlEscape("a<b>&\"c\"\x01"), "a&lt;b&gt;&amp;&quot;c&quot;");
    EXPECT_EQ(exportdetail::XmlEscape("\xE2\x82\xAC"), "&#8364;");
}

// The escapes and the quoting take whole runs of plain text at once; character
// by character over the cleaned text they must come out the same, whatever
// the bytes: markup, controls, malformed and truncated UTF-8, separators.
TEST(ExportText, EscapesAndQuotingMatchACharacterByCharacterReading)
{
    auto byCharacter = [](std::string_view Text, bool Html) {
        const std::string clean = exportdetail::CleanText(Text);
        std::string out;
        for (std::size_t pos = 0; pos < clean.size();) {
            const std::size_t at = pos;
            const char32_t cp = Utf8Next(clean, pos);
            const bool plain = cp == ' ' || cp == '!' || (cp >= '*' && cp <= ';') || (cp >= 'A' && cp <= 'Z') ||
                               (cp >= 'a' && cp <= 'z') || cp == '_';
            if (Html)
                out += cp == '&' ? "&amp;" : cp == '<' ? "&lt;" : cp == '>' ? "&gt;" : cp == '"' ? "&quot;"
                                                                              : clean.substr(at, pos - at);
            else
                out += plain ? clean.substr(at, pos - at) : "&#" + std::to_string(cp) + ";";
        }
        return out;
    };
    auto quoted = [](const std::string& Text, const std::string& Separator) {
        const bool needs = Text.find_first_of("\r\n\"") != std::string::npos ||
                           (!Separator.empty() && Text.find(Separator) != std::string::npos);
        if (!needs)
            return Text;
        std::string out = "\"";
        for (char c : Text)
            out += c == '"' ? std::string("\"\"") : std::string(1, c);
        return out + "\"";
    };
    const std::string pieces[] = {"Door 12", "a<b>&\"c\"", "\x01\x1F\t\r\n", "\xC3\x9C", "\xE2\x82\xAC",
                                  "\xF0\x9F\x98\x80", "\xC3", "\xE2\x82", "\xFF\xFE", "\xEF\xBF\xBE", "\xED\xA0\x80",
                                  ";", "::", "\t", "0,25", "'", "-", "Connector 0123456789", " ~", "\x7F", "\x1F ", "%'()/?"};
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1), length(0, 6);
    for (int i = 0; i < 4000; ++i) {
        std::string text;
        for (std::size_t n = length(random); n > 0; --n)
            text += pieces[pick(random)];
        std::string html = "<td>", xml = "x=\"";
        exportdetail::AppendHtmlEscaped(html, text);
        exportdetail::AppendXmlEscaped(xml, text);
        ASSERT_EQ(html, "<td>" + byCharacter(text, true)) << text;
        ASSERT_EQ(xml, "x=\"" + byCharacter(text, false)) << text;
        for (const std::string separator : {"\t", ";", "::", ""}) {
            std::string line = "x";
            exportdetail::AppendTextField(line, text, separator);
            ASSERT_EQ(line, "x" + quoted(text, separator)) << text << " separated by '" << separator << "'";
        }
    }
}

// ----- HTML -------------------------------------------------------------------------------------

TEST_F(ExportWriters, HtmlParsesAndEveryRowSpansTheSameWidth)
{
    MakeGrouped();
    tree->SetShowBands(true);
    tree->SetShowRowFooter(true);
    tree->OnIsExistRowFooterCell = [](TObject*, TdxTreeListNode*, int Column, int, bool& Exist) { Exist = Column == 1; };
    tree->Columns(0)->SetCaption(hostile);
    tree->Columns(2)->SetColor(clNone);
    dxExportGridToHTML(access.get(), File("grid.html"), true);
    const std::string html = ReadFileBytes(File("grid.html"));
    EXPECT_NE(html.find("charset=UTF-8"), std::string::npos);
    EXPECT_NE(html.find("M\xC3\xBCller &amp; &lt;Sohn&gt; &quot;quoted&quot;"), std::string::npos);
    EXPECT_EQ(html.find('\x01'), std::string::npos);
    EXPECT_EQ(HtmlParserComplaints(File("grid.html")), "");
    // Every table row adds up to the group indent plus the three shown columns.
    const auto rows = HtmlRowWidths(html);
    for (const auto& [row, width] : rows)
        EXPECT_EQ(width, 4) << row;
    EXPECT_GE(rows.size(), 8u);
    // An unset column colour is the grid's, not black.
    EXPECT_EQ(html.find("BGCOLOR=#000000"), std::string::npos) << html;
}

TEST_F(ExportWriters, HiddenBandsAreLeftOutEverywhere)
{
    MakeGrouped();
    tree->SetShowBands(true);
    tree->SetShowRowFooter(true);
    tree->OnIsLevelFooter = [](TObject*, int, bool& IsFooter) { IsFooter = true; };
    tree->OnIsExistRowFooterCell = [](TObject*, TdxTreeListNode*, int Column, int, bool& Exist) { Exist = Column == 2; };
    TdxTreeListBand* first = tree->Bands()->Count() > 0 ? tree->Bands()->GetItem(0) : tree->Bands()->Add();
    first->SetCaption("Hidden");
    TdxTreeListBand* second = tree->Bands()->Add();
    second->SetCaption("Shown");
    tree->Columns(0)->SetBandIndex(0);
    tree->Columns(1)->SetBandIndex(1);
    tree->Columns(2)->SetBandIndex(1);
    first->SetVisible(false);
    dxExportGridToHTML(access.get(), File("bands.html"), true);
    const std::string html = ReadFileBytes(File("bands.html"));
    EXPECT_EQ(html.find("Hidden"), std::string::npos);
    // Rows span the indent plus the two shown columns; the row footer's first cell carries the span.
    EXPECT_NE(html.find("<TD NOWRAP COLSPAN=2 ALIGN="), std::string::npos);
    EXPECT_NE(html.find("<TR class=\"RowFooter\""), std::string::npos);
    for (const auto& [row, width] : HtmlRowWidths(html))
        EXPECT_EQ(width, 3) << row;
    dxExportGridToXML(access.get(), File("bands.xml"), true);
    EXPECT_EQ(ReadFileBytes(File("bands.xml")).find("Hidden"), std::string::npos);
}

// ----- worksheet --------------------------------------------------------------------------------

namespace {

struct TRecordView {
    int Type;
    std::string Data;
};

// The project's small reader of the record stream.
std::vector<TRecordView> ParseRecords(const std::string& Bytes)
{
    std::vector<TRecordView> out;
    std::size_t p = 0;
    while (p + 4 <= Bytes.size()) {
        const int type = static_cast<unsigned char>(Bytes[p]) | static_cast<unsigned char>(Bytes[p + 1]) << 8;
        const std::size_t len = static_cast<unsigned char>(Bytes[p + 2]) | static_cast<unsigned char>(Bytes[p + 3]) << 8;
        EXPECT_LE(p + 4 + len, Bytes.size());
        out.push_back({type, Bytes.substr(p + 4, len)});
        p += 4 + len;
    }
    EXPECT_EQ(p, Bytes.size());
    return out;
}

std::vector<int> Types(const std::vector<TRecordView>& Records)
{
    std::vector<int> t;
    for (const auto& r : Records)
        t.push_back(r.Type);
    return t;
}

int U16(const std::string& Data, std::size_t At)
{
    return static_cast<unsigned char>(Data[At]) | static_cast<unsigned char>(Data[At + 1]) << 8;
}

} // namespace

TEST_F(ExportWriters, WorksheetRecordOrderAndCellsWrittenOnce)
{
    AddRow(nullptr, "door", "5", "n");
    AddRow(nullptr, "gate", "", "m");
    tree->SetShowBands(true);
    dxExportGridToXLS(access.get(), File("grid.xls"), true);
    const auto records = ParseRecords(ReadFileBytes(File("grid.xls")));
    const std::vector<int> types = Types(records);
    ASSERT_GE(types.size(), 10u);
    EXPECT_EQ(types[0], 0x0409);
    EXPECT_EQ(types[1], 0x0042);
    EXPECT_EQ(std::count(types.begin(), types.end(), 0x041E), 34);
    EXPECT_EQ(std::count(types.begin(), types.end(), 0x0231), 4 + 5 + 3);
    EXPECT_EQ(std::count(types.begin(), types.end(), 0x0443), 29 + 3);
    EXPECT_EQ(types.back(), 0x000A);
    const auto palette = std::find(types.begin(), types.end(), 0x0092) - types.begin();
    EXPECT_EQ(U16(records[static_cast<std::size_t>(palette)].Data, 0), 16);   // colour indexes 8..23
    const auto dims = std::find(types.begin(), types.end(), 0x0200) - types.begin();
    EXPECT_EQ(Hex(records[static_cast<std::size_t>(dims)].Data), "00 00 04 00 00 00 03 00 00 00");
    // Every cell once.
    std::set<std::pair<int, int>> cells;
    for (const auto& r : records)
        if (r.Type == 0x0201 || r.Type == 0x0204 || r.Type == 0x0203 || r.Type == 0x027E || r.Type == 0x0406) {
            EXPECT_TRUE(cells.insert({U16(r.Data, 0), U16(r.Data, 2)}).second) << r.Type;
        }
    // 5 as RK 22; the Null count a BLANK in the column's format.
    EXPECT_NE(std::find_if(records.begin(), records.end(),
                           [](const TRecordView& r) { return r.Type == 0x027E && Hex(r.Data) == "02 00 01 00 1E 00 16 00 00 00"; }),
              records.end());
    EXPECT_NE(std::find_if(records.begin(), records.end(),
                           [](const TRecordView& r) { return r.Type == 0x0201 && Hex(r.Data) == "03 00 01 00 1E 00"; }),
              records.end());
}

TEST_F(ExportWriters, WorksheetReadsBackWithXlrd)
{
    AddRow(nullptr, "M\xC3\xBCller", "5", "n");
    AddRow(nullptr, "gate", "7", std::string(300, 'x'));
    AddRow(nullptr, "big", "900000000", "");
    tree->SetShowFooter(true);
    access->SumType = cstSum;
    dxExportGridToXLS(access.get(), File("grid.xls"), true);
    const std::string script =
        "import xlrd,sys\n"
        "b=xlrd.open_workbook(sys.argv[1],formatting_info=True)\n"
        "s=b.sheet_by_index(0)\n"
        "print(s.nrows,s.ncols)\n"
        "print(s.cell_value(0,0),s.cell_value(1,0),s.cell_value(1,1),s.cell_value(3,1),len(s.cell_value(2,2)))\n"
        "print(s.cell_type(1,1)==xlrd.XL_CELL_NUMBER, b.xf_list[s.cell_xf_index(1,1)].alignment.hor_align)\n"
        "print(s.cell_type(4,1))\n";
    WriteFileBytes(File("read.py"), script);
    std::string out;
    const int rc = RunCommand("/usr/bin/python3 '" + File("read.py") + "' '" + File("grid.xls") + "'", &out);
    if (out.find("No module named 'xlrd'") != std::string::npos)
        GTEST_SKIP() << "python3-xlrd is not installed";
    ASSERT_EQ(rc, 0) << out;
    EXPECT_EQ(out, "5 3\nName M\xC3\xBCller 5.0 900000000.0 255\nTrue 3\n2\n") << out;
}

TEST_F(ExportWriters, WorksheetFooterFallsBackToTheGridWhereAFormulaWouldDisagree)
{
    tree->SetShowFooter(true);
    access->SumType = cstSum;
    // No rows: blank footer cells, no inverted range.
    dxExportGridToXLS(access.get(), File("empty.xls"), true);
    auto records = ParseRecords(ReadFileBytes(File("empty.xls")));
    const auto emptyTypes = Types(records);
    EXPECT_EQ(std::count(emptyTypes.begin(), emptyTypes.end(), 0x0406), 0);
    // A Null cell: the grid's text instead of a formula.
    AddRow(nullptr, "a", "5", "");
    AddRow(nullptr, "b", "", "");
    tree->OnIsExistFooterCell = [](TObject*, int, bool& Exist) { Exist = true; };
    tree->OnGetFooterCellText = [](TObject*, TdxTreeListNode*, int Column, int, std::string& Text) {
        Text = Column == 1 ? "5" : "";
    };
    dxExportGridToXLS(access.get(), File("null.xls"), true);
    records = ParseRecords(ReadFileBytes(File("null.xls")));
    const auto types = Types(records);
    EXPECT_EQ(std::count(types.begin(), types.end(), 0x0406), 0);
    // All numbers: a live formula over the data rows, found through the field name.
    tree->Items(1)->SetString(1, "6");
    dxExportGridToXLS(access.get(), File("sum.xls"), true);
    records = ParseRecords(ReadFileBytes(File("sum.xls")));
    const auto f = std::find_if(records.begin(), records.end(), [](const TRecordView& r) { return r.Type == 0x0406; });
    ASSERT_NE(f, records.end());
    EXPECT_EQ(Hex(f->Data.substr(18)), "25 01 C0 02 C0 01 01 19 10 00 00");
}

TEST_F(ExportWriters, WorksheetRefusesTooManyColumnsAndLeavesTheOldFile)
{
    for (int i = 0; i < 250; ++i)
        tree->CreateColumn();
    WriteFileBytes(File("wide.xls"), "old");
    EXPECT_NE(MessageOf<EdxExportError>([&] { dxExportGridToXLS(access.get(), File("wide.xls"), true); }).find("at most 246"),
              std::string::npos);
    EXPECT_EQ(ReadFileBytes(File("wide.xls")), "old");
}

TEST_F(ExportWriters, WorksheetRowFooterRowsWriteEveryCellOnce)
{
    // Two group levels; footers close the inner and the outer group.
    access->Groups = 2;
    TdxTreeListNode* outer = tree->Add();
    outer->SetString(0, "Port 1");
    TdxTreeListNode* inner = outer->AddChild();
    inner->SetString(0, "Box 1");
    AddRow(inner, "door", "3", "n");
    tree->SetShowRowFooter(true);
    tree->OnIsLevelFooter = [](TObject*, int, bool& IsFooter) { IsFooter = true; };
    // The first shown column has no footer value: its cell is still written.
    tree->OnIsExistRowFooterCell = [](TObject*, TdxTreeListNode*, int Column, int, bool& Exist) { Exist = Column == 1; };
    dxExportGridToXLS(access.get(), File("footers.xls"), true);
    std::map<int, std::set<int>> rows;
    std::set<int> footerRows;
    for (const auto& r : ParseRecords(ReadFileBytes(File("footers.xls")))) {
        if (r.Type != 0x0201 && r.Type != 0x0204 && r.Type != 0x0203 && r.Type != 0x027E)
            continue;
        EXPECT_TRUE(rows[U16(r.Data, 0)].insert(U16(r.Data, 2)).second) << "row " << U16(r.Data, 0);
        if (U16(r.Data, 4) == 27 || U16(r.Data, 4) == 28)
            footerRows.insert(U16(r.Data, 0));
    }
    ASSERT_FALSE(footerRows.empty());
    for (int row : footerRows)
        EXPECT_EQ(rows[row], (std::set<int>{0, 1, 2, 3, 4})) << "row " << row;
}

TEST_F(ExportWriters, WorksheetRefusesRowsBeyondTheSheet)
{
    for (int i = 0; i < 65536; ++i)
        tree->Add();
    EXPECT_NE(MessageOf<EdxExportError>([&] { dxExportGridToXLS(access.get(), File("long.xls"), true); }).find("65537"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(File("long.xls")));
}

TEST_F(ExportWriters, MissingGridWritesAnEmptyFile)
{
    TdxExportGridAccess none(nullptr);
    dxExportGridToHTML(&none, File("none.html"), true);
    EXPECT_EQ(ReadFileBytes(File("none.html")), "");
}

// ----- framework --------------------------------------------------------------------------------

TEST_F(ExportWriters, SelectionExportsGroupRowsFirstInTreeOrder)
{
    MakeGrouped();
    TdxTreeListNode* box1 = tree->Items(0);
    TdxTreeListNode* box2 = tree->Items(1);
    box2->GetItem(1)->SetSelected(true);
    box1->GetItem(0)->SetSelected(true);
    const auto nodes = TdxDBGridExport::ExportNodes(*access, false);
    EXPECT_EQ(nodes, (std::vector<TdxTreeListNode*>{box1, box1->GetItem(0), box2, box2->GetItem(1)}));
    // Nothing selected and SaveAll false: every row, collapsed groups included.
    tree->ClearSelection();
    access->Groups = 1;
    dxExportGridToText(access.get(), File("all.txt"), false, "\t", "", "");
    EXPECT_EQ(Count(ReadFileBytes(File("all.txt")), "\r\n"), 2 + 6);
    // A selected group brings all of its rows.
    box2->SetSelected(true);
    EXPECT_EQ(TdxDBGridExport::ExportNodes(*access, false).size(), 3u);
}

} // namespace qel::test
