// The grid's four entry points on a real data-bound grid: holding modes,
// the dataset walk and its clean-up, selections and summary footers.
#include "dbgrid/DBGridExport.h"
#include "dbgrid/DBGridExportAccess.h"
#include "tests/dbgrid/ExportTestSupport.h"
#include "tests/dbgrid/GridTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace qel::test {

namespace {

int Lines(const std::string& Text)
{
    int n = 0;
    for (std::size_t p = Text.find("\r\n"); p != std::string::npos; p = Text.find("\r\n", p + 2))
        ++n;
    return n;
}

// The exported rows of a text file by their first cell ("North" for a group
// row, "5" for record 5), joined by '/'.
std::string ExportedRows(const std::string& Text)
{
    std::string rows;
    std::size_t p = Text.find("\r\n\r\n");
    for (p = p == std::string::npos ? p : p + 4; p != std::string::npos && p < Text.size();) {
        const std::size_t end = Text.find("\r\n", p);
        const std::string line = Text.substr(p, end - p);
        rows += (rows.empty() ? "" : "/") + line.substr(0, line.find(';'));
        p = end == std::string::npos ? end : end + 2;
    }
    return rows;
}

// A dataset whose bookmarks can be made to fail, as a dataset of another
// kind may when its cursor is lost.
class TFailingBookmarkDataSet : public TMemoryDataSet {
public:
    using TMemoryDataSet::TMemoryDataSet;
    bool Fail = false;

protected:
    TBookmark BookmarkOfRecord(TRecordRef Ref) const override
    {
        if (Fail)
            throw EDatabaseError("cursor lost");
        return TMemoryDataSet::BookmarkOfRecord(Ref);
    }
};

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

TEST(GridExport, RowsNotYetReadAreWrittenFromTheirRecordsAndStayUnread)
{
    // Each writer on a grid whose rows were never read, then on the same grid
    // with every row read: the same bytes, and the export reads no row.
    GridFixture f(12);
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    f.ds->FieldByName("TITLE")->OnGetText = [](TField* Sender, std::string& Text, bool) {
        Text = Sender->AsString() + " ;\"quoted\"";
    };
    f.grid->ClearNodes();
    f.grid->ReloadNodes();
    auto unread = [&] {
        int n = 0;
        for (TdxTreeListNode* node = f.grid->GetItem(0); node; node = node->GetNext())
            n += !f.grid->IsGroupRow(node) && f.Node(node)->ValuesPending();
        return n;
    };
    ASSERT_EQ(unread(), 12);
    TempDir unreadDir, readDir;
    const std::vector<std::pair<const char*, std::function<void(const std::string&)>>> writers{
        {"txt", [&](const std::string& F) { f.grid->SaveToText(F, true, ";", "", ""); }},
        {"html", [&](const std::string& F) { f.grid->SaveToHTML(F, true); }},
        {"xml", [&](const std::string& F) { f.grid->SaveToXML(F, true); }},
        {"xls", [&](const std::string& F) { f.grid->SaveToXLS(F, true); }},
    };
    std::vector<std::string> unreadBytes;
    for (const auto& [ext, write] : writers) {
        const std::string file = unreadDir.File(std::string("rows.") + ext);
        write(file);
        unreadBytes.push_back(ReadFileBytes(file));
        EXPECT_EQ(unread(), 12) << ext;
    }
    for (TdxTreeListNode* node = f.grid->GetItem(0); node; node = node->GetNext())
        node->GetString(1);
    ASSERT_EQ(unread(), 0);
    for (std::size_t i = 0; i < writers.size(); ++i) {
        const std::string file = readDir.File(std::string("rows.") + writers[i].first);
        writers[i].second(file);
        EXPECT_EQ(unreadBytes[i], ReadFileBytes(file)) << writers[i].first;
    }
    EXPECT_NE(unreadBytes[0].find("\"Door 3 ;\"\"quoted\"\"\""), std::string::npos) << unreadBytes[0];
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
    {
        const auto walk = access.BeginWalk();
        f.ds->Delete();
    }
    EXPECT_EQ(f.CurrentKey(), 1);
    EXPECT_FALSE(f.ds->ControlsDisabled());
}

// The step that disables the controls hands over their clean-up: a walk
// that fails to start leaves them enabled and the record where it was.
TEST(GridExport, AWalkThatFailsToStartEnablesTheControlsAgain)
{
    GridFixture f(10, false, false);
    auto* ds = new TFailingBookmarkDataSet(f.owner.get());
    for (TField* field : f.ds->Fields())
        ds->AddField(field->FieldName(), field->DataType(), field->Size());
    ds->Open();
    for (int i = 1; i <= 10; ++i)
        ds->AppendRecord({i, "Door " + std::to_string(i), Variant::Null(), false});
    f.source->SetDataSet(ds);
    f.grid->SetDataSource(f.source);
    ASSERT_TRUE(f.grid->IsBufferMode());
    ds->First();
    ds->MoveBy(4);
    ds->Fail = true;
    TempDir dir;
    EXPECT_THROW(f.grid->SaveToText((dir.Path() / "doors.txt").string(), true, ";", "", ""), EDatabaseError);
    ds->Fail = false;
    EXPECT_FALSE(ds->ControlsDisabled());
    EXPECT_EQ(ds->FieldByName("NUMBER")->AsInteger(), 5);
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

// A selection exports the selected rows under their group rows: a group row
// carries its first record's bookmark but is not selected by it, and a node
// selected by its own mark counts as much as a selected bookmark.
TEST(GridExport, ASelectionExportsOnlyTheSelectedRowsOfAGroupedGrid)
{
    GridFixture f(10);
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    f.grid->FullCollapse();
    auto bookmarkOf = [&](int Key) {
        f.ds->Locate("NUMBER", Key, {});
        return f.ds->GetBookmark();
    };
    for (int key : {9, 5, 3})
        f.grid->AddSelectedBookmark(bookmarkOf(key));
    TempDir dir;
    const std::string txt = (dir.Path() / "sel.txt").string();
    f.grid->SaveToText(txt, false, ";", "", "");
    EXPECT_EQ(ExportedRows(ReadFileBytes(txt)), "East/5/North/9/South/3");

    // One record selected by its node alone: that record, not everything.
    f.grid->ClearSelection();
    ASSERT_EQ(f.grid->SelectedBookmarkCount(), 0);
    TdxTreeListNode* south = nullptr;
    for (int i = 0; i < f.grid->Count(); ++i)
        if (f.grid->Items(i)->GetString(2) == "South")
            south = f.grid->Items(i);
    ASSERT_NE(south, nullptr);
    ASSERT_EQ(south->Count(), 2);
    south->GetItem(1)->SetSelected(true);
    f.grid->SaveToText(txt, false, ";", "", "");
    EXPECT_EQ(ExportedRows(ReadFileBytes(txt)), "South/8");
    // A selected group row brings all of its records.
    south->GetItem(1)->SetSelected(false);
    south->SetSelected(true);
    f.grid->SaveToText(txt, false, ";", "", "");
    EXPECT_EQ(ExportedRows(ReadFileBytes(txt)), "South/3/8");
}

// In buffer mode the selected records are walked in the dataset: those of
// selected bookmarks and those of rows selected by their node.
TEST(GridExport, BufferModeExportsRowsSelectedByBookmarkOrByNode)
{
    GridFixture f(10, false);
    ASSERT_TRUE(f.grid->IsBufferMode());
    f.ds->First();
    f.ds->MoveBy(5);
    f.grid->AddSelectedBookmark(f.ds->GetBookmark());
    f.ds->First();
    f.ds->MoveBy(1);
    TdxTreeListNode* second = f.grid->GetFocusedNode();
    ASSERT_NE(second, nullptr);
    second->SetSelected(true);
    TempDir dir;
    const std::string txt = (dir.Path() / "sel.txt").string();
    f.grid->SaveToText(txt, false, ";", "", "");
    EXPECT_EQ(ExportedRows(ReadFileBytes(txt)), "2/6");
    EXPECT_EQ(f.CurrentKey(), 2);
}

TEST(GridExport, WorksheetFooterFindsTheColumnThroughItsFieldName)
{
    GridFixture f(4);
    f.grid->SetShowFooter(true);
    f.grid->ColumnByFieldName("NUMBER")->SetSummaryFooterType(cstSum);
    TempDir dir;
    const std::string xls = (dir.Path() / "doors.xls").string();
    f.grid->SaveToXLS(xls, true);
    // Header, four records, the footer; the sum is a cell, not a blank.
    EXPECT_EQ(ReadWithXlrd(xls, "s=b.sheet_by_index(0)\n"
                                "print(s.nrows,s.ncols,s.cell_value(1,0),s.cell_value(1,1),s.cell_type(5,0))\n"),
              "6 4 1.0 Door 1 2\n");
}

// The row footers' text colour is the grid's own, not its font's: palette
// entry 18 of the worksheet (read back by xlrd) and the HTML RowFooter class.
TEST(GridExport, RowFooterTextColorReachesWorksheetAndHtml)
{
    GridFixture f(4);
    f.grid->SetRowFooterTextColor(0x006000);
    f.grid->Font()->SetColor(0x0000FF);
    TempDir dir;
    const std::string xls = (dir.Path() / "doors.xls").string();
    f.grid->SaveToXLS(xls, true);
    EXPECT_EQ(ReadWithXlrd(xls, "print(b.colour_map[18],b.colour_map[12])\n"), "(0, 96, 0) (255, 0, 0)\n");
    const std::string html = (dir.Path() / "doors.html").string();
    f.grid->SaveToHTML(html, true);
    const std::string page = ReadFileBytes(html);
    const std::size_t style = page.find(".RowFooter{");
    ASSERT_NE(style, std::string::npos) << page;
    EXPECT_EQ(page.substr(page.find("color: #", style), 15), "color: #006000}") << page;
}

// Of the values columns convert for HTML only a hyperlink's anchor is
// markup; an image column's description is text like any other.
TEST(GridExport, HtmlEscapesConvertedTextsAndKeepsTheAnchor)
{
    GridFixture f(3, true, false);
    auto* image = f.grid->CreateColumnOf<TdxDBGridImageColumn>();
    image->SetFieldName("AREA");
    image->Values()->Add("North");
    image->Descriptions()->Add("Niedrig & <sonst>");
    auto* link = f.grid->CreateColumnOf<TdxDBGridHyperLinkColumn>();
    link->SetFieldName("TITLE");
    f.grid->SetDataSource(f.source);
    TempDir dir;
    const std::string html = (dir.Path() / "doors.html").string();
    f.grid->SaveToHTML(html, true);
    const std::string page = ReadFileBytes(html);
    EXPECT_NE(page.find(">Niedrig &amp; &lt;sonst&gt;<"), std::string::npos) << page;
    EXPECT_NE(page.find("<a href=\"Door 1\">Door 1</a>"), std::string::npos) << page;
    EXPECT_EQ(HtmlParserComplaints(html), "");
}

// A file that does not take the export: the error names it and says why,
// and the file that was there stays.
TEST(GridExport, AFailedExportNamesTheFileAndTheCause)
{
    GridFixture f(40);
    TempDir dir;
    const std::string html = (dir.Path() / "doors.html").string();
    const std::string xml = (dir.Path() / "doors.xml").string();
    WriteFileBytes(html, "old");
    test::FileSizeLimit limit(2048);
    EXPECT_EQ(MessageOf<EWriteError>([&] { f.grid->SaveToHTML(html, true); }),
              "Cannot write file \"" + html + "\". File too large");
    EXPECT_EQ(ReadFileBytes(html), "old");
    EXPECT_EQ(MessageOf<EWriteError>([&] { f.grid->SaveToXML(xml, true); }),
              "Cannot write file \"" + xml + "\". File too large");
}

// A font size no worksheet font record holds is cut to the record's field.
TEST(GridExport, WorksheetTakesFontsOfAnySize)
{
    TempDir dir;
    const std::string xls = (dir.Path() / "doors.xls").string();
    for (const auto& [height, twips] : {std::pair{INT_MAX, "0\n"}, std::pair{INT_MIN, "65535\n"}}) {
        GridFixture f(3);
        f.grid->Font()->SetHeight(height);
        f.grid->SaveToXLS(xls, true);
        EXPECT_EQ(ReadWithXlrd(xls, "print(b.font_list[5].height)\n"), twips);
    }
}

TEST(GridExport, HtmlOfTheGridParses)
{
    GridFixture f(6);
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    f.grid->SetShowBands(true);
    TempDir dir;
    const std::string html = (dir.Path() / "doors.html").string();
    f.grid->SaveToHTML(html, true);
    EXPECT_EQ(HtmlParserComplaints(html), "");
    EXPECT_NE(ReadFileBytes(html).find("<TITLE>DBGrid1</TITLE>"), std::string::npos);
}

} // namespace qel::test
