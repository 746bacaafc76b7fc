// The texts the writers take from rows not yet read (made from the records,
// stored texts read in place) against the texts of the same rows once read
// (made by the columns and fields as painting makes them): every byte the
// same, over varied values, fields with their own formats or handlers and
// columns with their own conversions.
#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridColumns.h"
#include "platform/core/Locale.h"
#include "platform/data/DataSource.h"
#include "platform/data/Fields.h"
#include "platform/data/MemoryDataSet.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <regex>

namespace qel::test {

namespace {

// Columns that change the field's text in each of the two ways a column may.
class TShoutingColumn : public TdxDBGridColumn {
public:
    using TdxDBGridColumn::TdxDBGridColumn;
    std::string FilterValueToText(const Variant& Value) const override
    {
        return Value.IsEmptyOrNull() ? std::string("-") : "<" + AnsiUpperCase(Value.AsString()) + ">";
    }
};

class TBracketColumn : public TdxDBGridColumn {
public:
    using TdxDBGridColumn::TdxDBGridColumn;
    std::string GetFieldDisplayText() const override { return "[" + TdxDBGridColumn::GetFieldDisplayText() + "]"; }
};

// A field class of its own that shows its values otherwise.
class TPaddedIntegerField : public TIntegerField {
public:
    using TIntegerField::TIntegerField;

protected:
    std::string GetText(bool DisplayText) const override { return "#" + TIntegerField::GetText(DisplayText); }
};

const double kFloats[] = {0.0,
                          -0.0,
                          1.0,
                          -1.5,
                          0.1,
                          2.0 / 3.0,
                          -1.0 / 3.0,
                          123456789012345.0,
                          1234567890123456.0,
                          999999999999999.4,
                          999999999999999.5,
                          0.000123456789012345678,
                          0.0001,
                          0.00001,
                          1e15,
                          1e16,
                          1e21,
                          -2.5e-300,
                          1e308,
                          DBL_MAX,
                          DBL_MIN,
                          std::numeric_limits<double>::denorm_min(),
                          0.30000000000000004,
                          1.0000000000000002,
                          9.999999999999995e22};

// A table with a row per value above, each field of its own kind.
struct TMixedTable {
    std::unique_ptr<TComponent> Owner = std::make_unique<TComponent>(nullptr);
    TMemoryDataSet* Ds = nullptr;
    TDataSource* Source = nullptr;
    TdxDBGrid* Grid = nullptr;

    TMixedTable()
    {
        Ds = new TMemoryDataSet(Owner.get());
        Ds->AddField("ID", ftInteger);
        Ds->AddField("NAME", ftString, 40);
        Ds->AddField("WIDE", ftWideString, 40);
        Ds->AddField("SMALL", ftSmallint);
        Ds->AddField("BIG", ftLargeint);
        Ds->AddField("RATIO", ftFloat);
        Ds->AddField("PRICE", ftCurrency);
        Ds->AddField("SHORT", ftFloat);
        Ds->AddField("FORMATTED", ftFloat);
        Ds->AddField("DAY", ftDate);
        Ds->AddField("AT", ftDateTime);
        Ds->AddField("CLOCK", ftTime);
        Ds->AddField("SHOWN", ftDate);
        Ds->AddField("OK", ftBoolean);
        Ds->AddField("HANDLED", ftString, 20);
        auto* padded = new TPaddedIntegerField(Ds);
        padded->SetFieldName("PADDED");
        padded->SetDataSet(Ds);
        Ds->Open();
        static_cast<TFloatField*>(Ds->FieldByName("SHORT"))->SetPrecision(7);
        static_cast<TFloatField*>(Ds->FieldByName("FORMATTED"))->SetDisplayFormat("#,##0.000");
        static_cast<TDateTimeField*>(Ds->FieldByName("SHOWN"))->SetDisplayFormat("yyyy/mm/dd ddd");
        Ds->FieldByName("HANDLED")->OnGetText = [](TField* Sender, std::string& Text, bool Display) {
            Text = Display ? "(" + Sender->AsString() + ")" : Sender->AsString();
        };
        const char* names[] = {"plain",      "a;b",       "say \"hi\"",  "<b>&amp;</b>", "line\r\nbreak",
                               "Grüße €",    "tab\there", "\xC3\x28 bad", " lead",        "日本語"};
        const double days[] = {0, 1, -1, 36526, 45000.5, 2958465.99999, -693593, 40000.25, 0.75, 45658.999999};
        const int count = static_cast<int>(std::size(kFloats));
        for (int i = 0; i < count; ++i) {
            const bool null = i % 7 == 3;
            auto orNull = [&](Variant V) { return null ? Variant::Null() : V; };
            const std::size_t k = static_cast<std::size_t>(i);
            Ds->Append();
            Ds->FieldByName("ID")->SetValue(i);
            Ds->FieldByName("NAME")->SetValue(i % 5 == 4 ? Variant(std::string()) : orNull(Variant(names[k % 10])));
            Ds->FieldByName("WIDE")->SetValue(orNull(Variant(names[(k + 3) % 10])));
            Ds->FieldByName("SMALL")->SetValue(orNull(Variant(i % 2 ? SHRT_MIN + i : SHRT_MAX - i)));
            Ds->FieldByName("BIG")->SetValue(orNull(Variant(i % 2 ? LLONG_MIN + i : LLONG_MAX - i)));
            Ds->FieldByName("RATIO")->SetValue(orNull(Variant(kFloats[k])));
            Ds->FieldByName("PRICE")->SetValue(orNull(Variant(std::fmod(kFloats[k], 1e9))));
            Ds->FieldByName("SHORT")->SetValue(orNull(Variant(kFloats[k])));
            Ds->FieldByName("FORMATTED")->SetValue(orNull(Variant(std::fmod(kFloats[k], 1e12))));
            Ds->FieldByName("DAY")->SetValue(orNull(Variant::FromDate(std::trunc(days[k % 10]))));
            Ds->FieldByName("AT")->SetValue(orNull(Variant::FromDate(days[k % 10])));
            Ds->FieldByName("CLOCK")->SetValue(orNull(Variant::FromDate(days[(k + 4) % 10] - std::trunc(days[(k + 4) % 10]))));
            Ds->FieldByName("SHOWN")->SetValue(orNull(Variant::FromDate(days[(k + 1) % 10])));
            Ds->FieldByName("OK")->SetValue(orNull(Variant(i % 2 == 0)));
            Ds->FieldByName("HANDLED")->SetValue(orNull(Variant(names[(k + 5) % 10])));
            Ds->FieldByName("PADDED")->SetValue(orNull(Variant(i * 1000 - 7)));
            Ds->Post();
        }
        Ds->First();
        Source = new TDataSource(Owner.get());
        Source->SetDataSet(Ds);
        Grid = new TdxDBGrid(Owner.get());
        Grid->SetName("Mixed");
        Grid->SetBounds(0, 0, 800, 300);
        Grid->SetKeyField("ID");
        Grid->SetOptions(Grid->Options() + TdxDBGridOptions{egoLoadAllRecords});
        for (TField* f : Ds->Fields())
            Grid->CreateColumnOf<TdxDBGridColumn>()->SetFieldName(f->FieldName());
        Grid->CreateColumnOf<TShoutingColumn>()->SetFieldName("NAME");
        Grid->CreateColumnOf<TShoutingColumn>()->SetFieldName("RATIO");
        Grid->CreateColumnOf<TBracketColumn>()->SetFieldName("WIDE");
        Grid->CreateColumnOf<TBracketColumn>()->SetFieldName("DAY");
        Grid->CreateColumnOf<TdxDBGridMaskColumn>()->SetFieldName("NAME");
        Grid->CreateColumnOf<TdxDBGridDateColumn>()->SetFieldName("AT");
        Grid->CreateColumnOf<TdxDBGridMemoColumn>()->SetFieldName("NAME");
        Grid->SetDataSource(Source);
    }

    int Unread() const
    {
        int n = 0;
        for (TdxTreeListNode* node = Grid->GetItem(0); node; node = node->GetNext())
            n += static_cast<TdxDBGridNode*>(node)->ValuesPending();
        return n;
    }
    void ReadEveryRow() const
    {
        for (TdxTreeListNode* node = Grid->GetItem(0); node; node = node->GetNext())
            node->GetString(0);
    }
};

// The first line where two outputs differ, both ways; empty when they are the same.
std::string FirstDifference(const std::string& A, const std::string& B)
{
    std::size_t at = 0;
    while (at < A.size() && at < B.size() && A[at] == B[at])
        ++at;
    if (at == A.size() && at == B.size())
        return {};
    const std::size_t start = A.rfind('\n', at) == std::string::npos ? 0 : A.rfind('\n', at) + 1;
    auto line = [start](const std::string& S) { return S.substr(start, S.find('\n', start) - start); };
    return "at byte " + std::to_string(at) + ":\n  " + line(A) + "\n  " + line(B);
}

using TWriter = std::function<void(TdxDBGrid*, const std::string&)>;

const std::pair<const char*, TWriter> kWriters[] = {
    {"txt", [](TdxDBGrid* G, const std::string& F) { G->SaveToText(F, true, ";", "", ""); }},
    {"wrapped.txt", [](TdxDBGrid* G, const std::string& F) { G->SaveToText(F, true, ",", "'", "'"); }},
    {"html", [](TdxDBGrid* G, const std::string& F) { G->SaveToHTML(F, true); }},
    {"xml", [](TdxDBGrid* G, const std::string& F) { G->SaveToXML(F, true); }},
    {"xls", [](TdxDBGrid* G, const std::string& F) { G->SaveToXLS(F, true); }},
};

// Every writer's bytes on the table's rows as they stand, then on the rows read.
void ExpectSameBytesOnceRead(TMixedTable& T, const std::string& Label)
{
    ASSERT_EQ(T.Unread(), T.Grid->GetAbsoluteCount()) << Label;
    TempDir unreadDir, readDir;
    std::vector<std::string> unread;
    for (const auto& [ext, write] : kWriters) {
        write(T.Grid, unreadDir.File(std::string("rows.") + ext));
        unread.push_back(ReadFileBytes(unreadDir.File(std::string("rows.") + ext)));
    }
    EXPECT_EQ(T.Unread(), T.Grid->GetAbsoluteCount()) << Label << ": an export read a row";
    T.ReadEveryRow();
    ASSERT_EQ(T.Unread(), 0);
    for (std::size_t i = 0; i < std::size(kWriters); ++i) {
        const std::string file = readDir.File(std::string("rows.") + kWriters[i].first);
        kWriters[i].second(T.Grid, file);
        EXPECT_EQ(FirstDifference(unread[i], ReadFileBytes(file)), "") << Label << ", " << kWriters[i].first;
    }
}

} // namespace

TEST(ExportRowText, RowsNotYetReadGiveTheBytesOfTheSameRowsRead)
{
    TMixedTable t;
    ExpectSameBytesOnceRead(t, "mixed table");
    // What each kind of cell became: the text taken in place, the column's
    // conversions, the field's handler and its class's own text.
    TempDir dir;
    t.Grid->ClearNodes();
    t.Grid->ReloadNodes();
    t.Grid->SaveToText(dir.File("rows.txt"), true, "|", "", "");
    const std::string text = ReadFileBytes(dir.File("rows.txt"));
    for (const char* part : {"|\"say \"\"hi\"\"\"|", "|<PLAIN>|", "|[plain]|", "|(plain)|", "|#-7|", "|1E308|",
                             "|4,94065645841247E-324|", "|1,79769313486232E308|", "|30.12.1899|", "|01.01.2000|"})
        EXPECT_NE(text.find(part), std::string::npos) << part << " in\n" << text;
}

TEST(ExportRowText, AHandlerAssignedDuringTheExportIsHeardFromTheNextCell)
{
    // The first column's handler gives the name field a handler of its own
    // halfway through: from there on the name cells go through it.
    TMixedTable t;
    int calls = 0;
    TField* name = t.Ds->FieldByName("NAME");
    t.Ds->FieldByName("HANDLED")->OnGetText = [&](TField* Sender, std::string& Text, bool) {
        Text = Sender->AsString();
        if (++calls == 10)
            name->OnGetText = [](TField*, std::string& Named, bool) { Named = "named"; };
    };
    TempDir dir;
    t.Grid->SaveToText(dir.File("rows.txt"), true, ";", "", "");
    const std::string text = ReadFileBytes(dir.File("rows.txt"));
    const std::size_t named = text.find(";named;");
    ASSERT_NE(named, std::string::npos) << text;
    EXPECT_NE(text.rfind(";plain;", named), std::string::npos) << text;   // earlier rows as they were
}

TEST(ExportRowText, AFieldMadeToShowItselfOtherwiseBetweenExportsIsHeard)
{
    TMixedTable t;
    ExpectSameBytesOnceRead(t, "as made");
    // Formats set on the fields the texts were taken from in place or from the value.
    static_cast<TFloatField*>(t.Ds->FieldByName("RATIO"))->SetDisplayFormat("0.0");
    static_cast<TIntegerField*>(t.Ds->FieldByName("SMALL"))->SetDisplayFormat("000000");
    static_cast<TDateTimeField*>(t.Ds->FieldByName("AT"))->SetDisplayFormat("hh:nn");
    static_cast<TFloatField*>(t.Ds->FieldByName("PRICE"))->SetCurrency(false);
    t.Ds->FieldByName("WIDE")->OnGetText = [](TField* Sender, std::string& Text, bool) {
        Text = "w:" + Sender->AsString();
    };
    t.Grid->ClearNodes();
    t.Grid->ReloadNodes();
    ExpectSameBytesOnceRead(t, "formats set");
    TempDir dir;
    t.Grid->SaveToText(dir.File("rows.txt"), true, "|", "", "");
    const std::string text = ReadFileBytes(dir.File("rows.txt"));
    EXPECT_NE(text.find("|w:plain|"), std::string::npos) << text;
    EXPECT_NE(text.find("|-032767|"), std::string::npos) << text;
}

TEST(ExportRowText, HtmlCellsCarryTheirColumnsFontAndAnEmptyCellAFillerOnly)
{
    // A record row of three columns: bold and italic, struck out, the grid's
    // font; the second record's name is empty (stored as Null).
    TMixedTable t;
    while (t.Grid->GetColumnCount() > 3)
        delete t.Grid->GetColumnByIndex(3);
    TdxTreeListColumn* id = t.Grid->GetColumnByIndex(0);
    TdxTreeListColumn* name = t.Grid->GetColumnByIndex(1);
    id->SetParentFont(false);
    id->Font()->SetStyle(TFontStyles{fsBold, fsItalic});
    name->SetParentFont(false);
    name->Font()->SetStyle(TFontStyles{fsStrikeOut});
    t.Grid->ClearNodes();
    t.Grid->ReloadNodes();
    TempDir dir;
    t.Grid->SaveToHTML(dir.File("rows.html"), true);
    const std::string html = ReadFileBytes(dir.File("rows.html"));
    auto cell = [&](int Row, int Column) {
        std::size_t at = html.find("<TR><TD NOWRAP");
        for (int r = 0; r < Row && at != std::string::npos; ++r)
            at = html.find("<TR><TD NOWRAP", at + 1);
        for (int c = 0; c <= Column && at != std::string::npos; ++c)
            at = html.find("<FONT STYLE=", at + 1);
        const std::size_t open = html.find("\">", at);
        return at == std::string::npos ? std::string() : html.substr(open + 2, html.find("</TD>", open) - open - 2);
    };
    EXPECT_EQ(cell(0, 0), "<B><I>0</I></B></FONT>");
    EXPECT_EQ(cell(0, 1), "<STRIKE>plain</STRIKE></FONT>");
    EXPECT_EQ(cell(3, 1), "&nbsp;</FONT>");   // a Null: the filler without the font's tags
    EXPECT_EQ(cell(1, 2), "line\r\nbreak</FONT>");
    EXPECT_EQ(cell(0, 2), "&lt;b&gt;&amp;amp;&lt;/b&gt;</FONT>");
    EXPECT_EQ(cell(3, 2), "&nbsp;</FONT>");   // empty after empty
    EXPECT_EQ(cell(4, 0), "<B><I>4</I></B></FONT>");
    EXPECT_EQ(cell(4, 1), "&nbsp;</FONT>");   // an empty string
    EXPECT_EQ(cell(4, 2), "\xEF\xBF\xBD( bad</FONT>");   // opened after an empty cell

    // Every record row, whichever cells are empty and wherever the styled
    // ones stand: "<TR>", cells that each close what they open, "</TR>".
    auto checkRows = [&](const std::string& Html) {
        const std::regex cellPattern(R"re(<TD NOWRAP ALIGN="(LEFT|RIGHT|CENTER)" BGCOLOR=#[0-9A-F]{6}>)re"
                                     R"re(<FONT STYLE="font-family: [^"<>]*; font-size: \d+pt; color: #[0-9A-F]{6}">)re"
                                     R"re((&nbsp;|<B><I>[^<]+</I></B>|<STRIKE>[^<]+</STRIKE>|[^<]+)</FONT></TD>)re");
        int rows = 0;
        for (std::size_t at = Html.find("<TR><TD NOWRAP"); at != std::string::npos;
             at = Html.find("<TR><TD NOWRAP", at + 1), ++rows) {
            const std::size_t end = Html.find("</TR>\r\n", at);
            ASSERT_NE(end, std::string::npos);
            std::string cells = Html.substr(at + 4, end - at - 4);
            int count = 0;
            for (std::smatch m; std::regex_search(cells, m, cellPattern) && m.position(0) == 0; ++count)
                cells = m.suffix();
            EXPECT_EQ(cells, "") << "row " << rows;
            EXPECT_EQ(count, 3) << "row " << rows;
        }
        EXPECT_EQ(rows, t.Grid->GetAbsoluteCount());
    };
    checkRows(html);
    // The column with empty cells first, then last.
    name->SetColIndex(0);
    t.Grid->SaveToHTML(dir.File("first.html"), true);
    const std::string first = ReadFileBytes(dir.File("first.html"));
    checkRows(first);
    EXPECT_NE(first.find("<TR><TD NOWRAP ALIGN=\"LEFT\" BGCOLOR=#FFFFFF><FONT STYLE=\"font-family: "), std::string::npos);
    name->SetColIndex(2);
    t.Grid->SaveToHTML(dir.File("last.html"), true);
    const std::string last = ReadFileBytes(dir.File("last.html"));
    checkRows(last);
    EXPECT_NE(last.find("&nbsp;</FONT></TD></TR>\r\n"), std::string::npos);
}


// Exports of many blocks: every record row once, in order, whole, across
// the places where the gathered output goes to the file.
TEST(ExportRowText, ExportsOfManyBlocksHoldEveryRowOnceInOrder)
{
    TComponent owner(nullptr);
    auto* ds = new TMemoryDataSet(&owner);
    ds->AddField("ID", ftInteger);
    ds->AddField("TEXT", ftString, 400);
    ds->Open();
    const int rows = 3000;
    for (int i = 0; i < rows; ++i)
        ds->AppendRecord(
            {i, "row " + std::to_string(i) + " " + std::string(static_cast<std::size_t>(100 + i % 200), 'x')});
    ds->First();
    auto* source = new TDataSource(&owner);
    source->SetDataSet(ds);
    auto* grid = new TdxDBGrid(&owner);
    grid->SetBounds(0, 0, 800, 300);
    grid->SetKeyField("ID");
    grid->SetOptions(grid->Options() + TdxDBGridOptions{egoLoadAllRecords});
    grid->CreateColumnOf<TdxDBGridColumn>()->SetFieldName("ID");
    grid->CreateColumnOf<TdxDBGridColumn>()->SetFieldName("TEXT");
    grid->SetDataSource(source);
    TempDir dir;
    grid->SaveToHTML(dir.File("many.html"), true);
    grid->SaveToText(dir.File("many.txt"), true, "\t", "", "");
    for (const char* name : {"many.html", "many.txt"}) {
        const std::string out = ReadFileBytes(dir.File(name));
        ASSERT_GT(out.size(), 600000u) << name;   // several blocks
        std::size_t at = 0;
        for (int i = 0; i < rows; ++i) {
            const std::string text =
                "row " + std::to_string(i) + " " + std::string(static_cast<std::size_t>(100 + i % 200), 'x');
            const std::size_t found = out.find("row ", at);
            ASSERT_NE(found, std::string::npos) << name << " row " << i;
            ASSERT_EQ(out.compare(found, text.size(), text), 0) << name << " row " << i;
            at = found + text.size();
            ASSERT_NE(out[at], 'x') << name << " row " << i;
        }
        EXPECT_EQ(out.find("row ", at), std::string::npos) << name;
        EXPECT_TRUE(std::string_view(out).ends_with(std::string_view(name).ends_with(".html") ? "</HTML>\r\n" : "\r\n"))
            << name;
    }
    grid->SetDataSource(nullptr);
}

} // namespace qel::test
