// The grid's four entry points on a real data-bound grid: holding modes,
// the dataset walk and its clean-up, selections and summary footers.
#include "dbgrid/DBGridExport.h"
#include "dbgrid/DBGridExportAccess.h"
#include "tests/dbgrid/ExportTestSupport.h"
#include "tests/dbgrid/GridTestSupport.h"

#include <gtest/gtest.h>

namespace qel::test {

namespace {

int Lines(const std::string& Text)
{
    int n = 0;
    for (std::size_t p = Text.find("\r\n"); p != std::string::npos; p = Text.find("\r\n", p + 2))
        ++n;
    return n;
}

} // namespace

TEST(GridExport, AllRecordsGroupedWritesEveryRowAndValidXml)
{
    GridFixture f(10);
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    TempDir dir;
    const std::string xml = (dir.Path() / "doors.xml").string();
    f.grid->SaveToXML(xml, true);
    std::string out;
    EXPECT_EQ(RunCommand("xmllint --valid --noout '" + xml + "'", &out), 0) << out;
    ASSERT_EQ(RunCommand("cd '" + dir.Path().string() + "' && xsltproc doors.xsl doors.xml", &out), 0) << out;
    // Four groups (North, Null, South, East) each with a heading row: 10 records + 4 headings.
    int rows = 0;
    for (std::size_t p = out.find("<TR valign=\"top\">"); p != std::string::npos; p = out.find("<TR valign=\"top\">", p + 1))
        ++rows;
    EXPECT_EQ(rows, 10 + 4 + 2 * 4) << out;   // group tables add two rows each
    f.grid->SaveToText((dir.Path() / "doors.txt").string(), true, "\t", "", "");
    const std::string text = ReadFileBytes((dir.Path() / "doors.txt").string());
    EXPECT_EQ(Lines(text), 2 + 4 + 10);
    EXPECT_NE(text.find("\r\nNorth\r\n"), std::string::npos) << text;
}

TEST(GridExport, BufferModeWalksTheDataSetAndRestoresPosition)
{
    GridFixture f(30, false);
    ASSERT_TRUE(f.grid->IsBufferMode());
    f.ds->First();
    f.ds->MoveBy(4);
    TempDir dir;
    const std::string txt = (dir.Path() / "doors.txt").string();
    f.grid->SaveToText(txt, true, "\t", "", "");
    EXPECT_EQ(Lines(ReadFileBytes(txt)), 2 + 30);
    EXPECT_EQ(f.CurrentKey(), 5);
    EXPECT_FALSE(f.ds->ControlsDisabled());
    // A failing export cleans up the same way and leaves no file.
    f.ds->FieldByName("TITLE")->OnGetText = [](TField*, std::string&, bool) { throw EConvertError("broken"); };
    EXPECT_THROW(f.grid->SaveToText((dir.Path() / "broken.txt").string(), true, "\t", "", ""), EConvertError);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "broken.txt"));
    EXPECT_EQ(f.CurrentKey(), 5);
    EXPECT_FALSE(f.ds->ControlsDisabled());
}

TEST(GridExport, PartialLoadWalksEveryRecordOrExportsTheHeldSelection)
{
    GridFixture f(40, false);
    f.grid->SetPartialLoad(true);
    ASSERT_TRUE(f.grid->IsPartialLoadMode());
    TempDir dir;
    const std::string txt = (dir.Path() / "all.txt").string();
    f.grid->SaveToText(txt, true, "\t", "", "");
    EXPECT_EQ(Lines(ReadFileBytes(txt)), 2 + 40);
    EXPECT_FALSE(f.ds->ControlsDisabled());
}

TEST(GridExport, ARecordGoneDuringTheWalkLeavesTheDataSetOnTheFirst)
{
    GridFixture f(10, false);
    f.ds->First();
    f.ds->MoveBy(3);
    TdxDBGridExportAccess access(f.grid);
    access.BeginWalk();
    f.ds->Delete();
    access.EndWalk();
    EXPECT_EQ(f.CurrentKey(), 1);
    EXPECT_FALSE(f.ds->ControlsDisabled());
}

TEST(GridExport, SaveAllFalseExportsTheSelectionOrEverything)
{
    GridFixture f(10, false);
    TempDir dir;
    const std::string txt = (dir.Path() / "sel.txt").string();
    f.grid->SaveToText(txt, false, "\t", "", "");
    EXPECT_EQ(Lines(ReadFileBytes(txt)), 2 + 10);
    f.ds->First();
    f.ds->MoveBy(2);
    f.grid->AddSelectedBookmark(f.ds->GetBookmark());
    f.ds->MoveBy(4);
    f.grid->AddSelectedBookmark(f.ds->GetBookmark());
    f.grid->SaveToText(txt, false, "\t", "", "");
    const std::string text = ReadFileBytes(txt);
    EXPECT_EQ(Lines(text), 2 + 2);
    EXPECT_NE(text.find("\r\n3\tDoor 3\t"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n7\tDoor 7\t"), std::string::npos) << text;
}

TEST(GridExport, WorksheetFooterFindsTheColumnThroughItsFieldName)
{
    GridFixture f(4);
    f.grid->SetShowFooter(true);
    f.grid->ColumnByFieldName("NUMBER")->SetSummaryFooterType(cstSum);
    TempDir dir;
    const std::string xls = (dir.Path() / "doors.xls").string();
    f.grid->SaveToXLS(xls, true);
    const std::string script = "import xlrd,sys\n"
                               "s=xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                               "print(s.nrows,s.ncols,s.cell_value(1,0),s.cell_value(1,1),s.cell_type(5,0))\n";
    WriteFileBytes((dir.Path() / "r.py").string(), script);
    std::string out;
    ASSERT_EQ(RunCommand("/usr/bin/python3 '" + (dir.Path() / "r.py").string() + "' '" + xls + "'", &out), 0) << out;
    // Header, four records, the footer; the sum is a cell, not a blank.
    EXPECT_EQ(out, "6 4 1.0 Door 1 2\n") << out;
}

TEST(GridExport, HtmlOfTheGridParses)
{
    GridFixture f(6);
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    f.grid->SetShowBands(true);
    TempDir dir;
    const std::string html = (dir.Path() / "doors.html").string();
    f.grid->SaveToHTML(html, true);
    std::string out;
    EXPECT_EQ(RunCommand("xmllint --html --noout '" + html + "'", &out), 0) << out;
    EXPECT_NE(ReadFileBytes(html).find("<TITLE>DBGrid1</TITLE>"), std::string::npos);
}

} // namespace qel::test
