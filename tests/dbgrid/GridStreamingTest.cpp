// The grid's columns and bands in the component stream: a grid written and
// read back (into a scratch grid and into a grid with other columns) keeps
// its columns, their order and settings, and its bands; layouts carry them;
// a bad bands block fails the read before anything is touched.
#include "GridTestSupport.h"
#include "TestSupport.h"

#include "dbgrid/GridLayouts.h"
#include "platform/core/Exceptions.h"
#include "platform/core/PropertyRegistry.h"
#include "platform/core/Streaming.h"

#include "platform/graphics/Bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace qel {
namespace {

using test::GridFixture;

// Column names, in the grid's column order.
std::vector<std::string> ColumnNames(const TCustomdxDBGrid& Grid)
{
    std::vector<std::string> names;
    for (int i = 0; i < Grid.GetColumnCount(); ++i)
        names.push_back(Grid.GetColumnByIndex(i)->Name());
    return names;
}

TdxDBTreeListColumn* Column(const TCustomdxDBGrid& Grid, int Index)
{
    return dynamic_cast<TdxDBTreeListColumn*>(Grid.GetColumnByIndex(Index));
}

// Two bands, columns moved, resized, hidden, aligned, sorted, grouped, summed.
void Decorate(TdxDBGrid& Grid)
{
    Grid.Bands()->Clear();
    Grid.Bands()->Add()->SetCaption("Door");
    TdxTreeListBand* second = Grid.Bands()->Add();
    second->SetCaption("Where");
    second->SetWidth(150);
    second->SetAlignment(taLeftJustify);
    second->SetVisible(false);
    Grid.SetShowBands(true);
    Column(Grid, 2)->SetIndex(0);   // AREA first
    Column(Grid, 1)->SetWidth(77);
    Column(Grid, 1)->SetCaption("Nr.");
    Column(Grid, 1)->SetAlignment(taRightJustify);
    Column(Grid, 2)->SetVisible(false);
    Column(Grid, 2)->SetBandIndex(1);
    Column(Grid, 2)->SetRowIndex(1);
    Column(Grid, 2)->SetColor(clRed);
    Column(Grid, 3)->SetSortBySummary(false);
    Column(Grid, 3)->SetSummaryFooterType(cstCount);
    Column(Grid, 3)->SetSummaryFooterFormat("# doors");
    Column(Grid, 0)->SetGroupIndex(0);   // AREA grouped
    Column(Grid, 1)->SetSorted(csDown);
}

void ExpectDecorated(const TCustomdxDBGrid& Grid, const std::vector<std::string>& Names)
{
    ASSERT_EQ(ColumnNames(Grid), Names);
    ASSERT_EQ(Grid.Bands()->Count(), 2);
    EXPECT_EQ(Grid.Bands()->Items(0)->Caption(), "Door");
    EXPECT_EQ(Grid.Bands()->Items(1)->Caption(), "Where");
    EXPECT_EQ(Grid.Bands()->Items(1)->Width(), 150);
    EXPECT_EQ(Grid.Bands()->Items(1)->Alignment(), taLeftJustify);
    EXPECT_FALSE(Grid.Bands()->Items(1)->Visible());
    EXPECT_EQ(Column(Grid, 0)->FieldName(), "AREA");
    EXPECT_EQ(Column(Grid, 0)->GroupIndex(), 0);
    EXPECT_EQ(Column(Grid, 1)->FieldName(), "NUMBER");
    EXPECT_EQ(Column(Grid, 1)->Width(), 77);
    EXPECT_EQ(Column(Grid, 1)->Caption(), "Nr.");
    EXPECT_EQ(Column(Grid, 1)->Alignment(), taRightJustify);
    EXPECT_EQ(Column(Grid, 1)->Sorted(), csDown);
    EXPECT_FALSE(Column(Grid, 2)->Visible());
    EXPECT_EQ(Column(Grid, 2)->BandIndex(), 1);
    EXPECT_EQ(Column(Grid, 2)->RowIndex(), 1);
    EXPECT_EQ(Column(Grid, 2)->Color(), clRed);
    EXPECT_EQ(Column(Grid, 3)->ClassName(), std::string("TdxDBGridCheckColumn"));
    EXPECT_EQ(Column(Grid, 3)->SummaryFooterType(), cstCount);
    EXPECT_EQ(Column(Grid, 3)->SummaryFooterFormat(), "# doors");
}

TEST(GridStreaming, GridWithColumnsAndBandsRoundTripsIntoAScratchGrid)
{
    GridFixture f(5);
    Decorate(*f.grid);
    const std::vector<std::string> names = ColumnNames(*f.grid);
    ASSERT_EQ(names.size(), 4u);
    TMemoryStream stream;
    SaveComponentToMemory(f.grid, stream);

    // No owner, dataset or parent: every setter takes its value.
    TdxDBGrid scratch(nullptr);
    LoadComponentFromMemory(stream, &scratch, nullptr);
    ExpectDecorated(scratch, names);
    for (int i = 0; i < scratch.GetColumnCount(); ++i)
        EXPECT_EQ(scratch.GetColumnByIndex(i)->Owner(), &scratch);

    // Written again, the same bytes.
    TMemoryStream again;
    SaveComponentToMemory(&scratch, again);
    EXPECT_EQ(again.Bytes(), stream.Bytes());
}

TEST(GridStreaming, ColumnPropertiesArePublished)
{
    GridFixture f(1);
    TdxTreeListColumn* column = f.grid->GetColumnByIndex(0);
    for (const char* name : {"Caption", "Width", "Visible", "BandIndex", "RowIndex", "Alignment", "Sorted", "Color",
                             "FieldName", "GroupIndex", "SummaryType", "SummaryFooterType", "SummaryGroupName"})
        EXPECT_TRUE(IsPublishedProp(column, name)) << name;
    SetPropValue(column, "Alignment", Variant("taCenter"));
    EXPECT_EQ(column->Alignment(), taCenter);
}

TEST(GridStreaming, LayoutCarriesColumnsOrderBandsGroupingAndSorting)
{
    GridFixture a(5);
    Decorate(*a.grid);
    const std::vector<std::string> names = ColumnNames(*a.grid);
    TdxDBGridLayout layout(nullptr);
    layout.Assign(a.grid);
    EXPECT_FALSE(a.grid->StoringLayout());

    // Another grid on another form, with columns of its own.
    GridFixture b(5);
    b.grid->GetColumnByIndex(0)->SetName("Extra");
    layout.AssignTo(b.grid);
    EXPECT_FALSE(b.grid->LoadingLayout());
    ExpectDecorated(*b.grid, names);
    EXPECT_EQ(b.grid->Owner()->FindComponent("Extra"), nullptr) << "the grid's own columns are replaced";
    EXPECT_EQ(b.grid->GroupColumnCount(), 1) << "grouped again once bound";
}

TEST(GridStreaming, TypedColumnSettingsRoundTrip)
{
    GridFixture f(1);
    auto* check = dynamic_cast<TdxDBTreeListCheckColumn*>(f.grid->GetColumnByIndex(3));
    ASSERT_NE(check, nullptr);
    check->SetValueChecked("yes");
    check->SetAllowGrayed(true);
    auto* currency = f.grid->CreateColumnOf<TdxDBGridCurrencyColumn>();
    currency->SetDecimalPlaces(3);
    currency->SetNullString("-");
    TMemoryStream stream;
    SaveComponentToMemory(f.grid, stream);
    TdxDBGrid scratch(nullptr);
    LoadComponentFromMemory(stream, &scratch, nullptr);
    ASSERT_EQ(scratch.GetColumnCount(), 5);
    auto* checkBack = dynamic_cast<TdxDBTreeListCheckColumn*>(scratch.GetColumnByIndex(3));
    auto* currencyBack = dynamic_cast<TdxDBTreeListCurrencyColumn*>(scratch.GetColumnByIndex(4));
    ASSERT_NE(checkBack, nullptr);
    ASSERT_NE(currencyBack, nullptr);
    EXPECT_EQ(checkBack->ValueChecked(), "yes");
    EXPECT_TRUE(checkBack->AllowGrayed());
    EXPECT_EQ(currencyBack->DecimalPlaces(), 3);
    EXPECT_EQ(currencyBack->NullString(), "-");
}

TEST(GridStreaming, LayoutResetsFontsAndPreviewFont)
{
    GridFixture a(1);
    TdxDBGridLayout layout(nullptr);
    layout.Assign(a.grid);
    GridFixture b(1);
    b.grid->HeaderFont()->SetSize(30);
    b.grid->BandFont()->SetColor(clRed);
    b.grid->PreviewFont()->SetColor(clRed);
    layout.AssignTo(b.grid);
    const TFont fresh;
    EXPECT_TRUE(b.grid->HeaderFont()->Equals(fresh));
    EXPECT_TRUE(b.grid->BandFont()->Equals(fresh));
    EXPECT_EQ(b.grid->PreviewFont()->Color(), clBlue);
}

TEST(GridStreaming, BadBandsBlockFailsBeforeTheGridIsTouched)
{
    GridFixture f(3);
    f.grid->Bands()->Items(0)->SetCaption("Door");
    TMemoryStream stream;
    SaveComponentToMemory(f.grid, stream);
    std::string bytes = stream.Bytes();
    const std::size_t at = bytes.find("Bands");
    ASSERT_NE(at, std::string::npos);
    // Past the name (str) and the tag and count of the binary value: the band count.
    const std::size_t count = at + 5 + 1 + 4;
    bytes[count] = '\x7F';
    bytes[count + 1] = '\x7F';
    stream.SetBytes(bytes);

    GridFixture g(3);
    g.grid->Bands()->Items(0)->SetCaption("Mine");
    const std::vector<std::string> before = ColumnNames(*g.grid);
    EXPECT_THROW(LoadComponentFromMemory(stream, g.grid, g.owner.get()), EReadError);
    ASSERT_EQ(g.grid->Bands()->Count(), 1);
    EXPECT_EQ(g.grid->Bands()->Items(0)->Caption(), "Mine");
    EXPECT_EQ(ColumnNames(*g.grid), before);

    // Truncated in a layout: applying it leaves the grid's columns alone.
    TdxDBGridLayout layout(nullptr);
    layout.Assign(f.grid);
    EXPECT_THROW(
        {
            TMemoryStream cut;
            cut.SetBytes(layout.Data().Bytes().substr(0, layout.Data().Bytes().size() - 3));
            LoadComponentFromMemory(cut, g.grid, g.owner.get());
        },
        EReadError);
    EXPECT_EQ(ColumnNames(*g.grid), before);
}

// Sets every stored Int32 entry called Name in a component stream to Value.
int PatchInt32Entries(std::string& Bytes, const std::string& Name, std::int32_t Value)
{
    std::string key(4, '\0');
    for (int i = 0; i < 4; ++i)
        key[static_cast<std::size_t>(i)] = static_cast<char>((Name.size() >> (8 * i)) & 0xFF);
    key += Name;
    key += '\x03';   // the Int32 tag
    int patched = 0;
    for (std::size_t at = Bytes.find(key); at != std::string::npos; at = Bytes.find(key, at + 1)) {
        for (int i = 0; i < 4; ++i)
            Bytes[at + key.size() + static_cast<std::size_t>(i)] =
                static_cast<char>((static_cast<std::uint32_t>(Value) >> (8 * i)) & 0xFF);
        ++patched;
    }
    return patched;
}

// A grid stream from a damaged layout: widths, heights, indents and line
// widths at the ends of int are held within bounds, and the grid lays out,
// paints, hit-tests, scrolls and exports without overflow (the sanitizers
// stop the test at any).
TEST(GridStreaming, ExtremeLengthsInAStreamStayWithinBounds)
{
    GridFixture f(12);
    f.grid->SetDefaultRowHeight(23);
    f.grid->SetIndentDesc(21);
    f.grid->SetPreviewLines(3);
    f.grid->SetGrIndicatorWidth(13);
    f.grid->SetRowSeparatorLineWidth(3);
    f.grid->SetFixedBandLineWidth(3);
    for (int i = 0; i < f.grid->GetColumnCount(); ++i) {
        f.grid->GetColumnByIndex(i)->SetMinWidth(5);
        f.grid->GetColumnByIndex(i)->SetWidth(90);
    }
    TMemoryStream stream;
    SaveComponentToMemory(f.grid, stream);
    const std::vector<std::string> names = {"DefaultRowHeight", "IndentDesc", "PreviewLines", "GrIndicatorWidth",
                                            "RowSeparatorLineWidth", "FixedBandLineWidth", "Width", "MinWidth"};
    test::TempDir dir;
    for (std::int32_t value : {std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()}) {
        SCOPED_TRACE(value);
        std::string bytes = stream.Bytes();
        for (const std::string& name : names)
            ASSERT_GT(PatchInt32Entries(bytes, name, value), 0) << name;
        GridFixture g(12);
        TMemoryStream patched;
        patched.SetBytes(bytes);
        LoadComponentFromMemory(patched, g.grid, g.owner.get());
        for (int i = 0; i < g.grid->GetColumnCount(); ++i) {
            EXPECT_LE(g.grid->GetColumnByIndex(i)->Width(), dxMaxTreeListLength);
            EXPECT_GE(g.grid->GetColumnByIndex(i)->Width(), 0);
        }
        EXPECT_LE(g.grid->DefaultRowHeight(), dxMaxTreeListLength);
        EXPECT_LE(g.grid->IndentDesc(), dxMaxTreeListLength);
        EXPECT_LE(g.grid->RowSeparatorLineWidth(), dxMaxTreeListLength);

        g.grid->SetPreviewFieldName("TITLE");
        g.grid->SetOptions(g.grid->Options() + TdxDBGridOptions{egoPreview});
        g.grid->SetShowBands(true);
        g.grid->SetShowFooter(true);
        g.grid->SetShowRowFooter(true);
        g.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
        g.grid->FullExpand();
        TBitmap bmp(400, 300);
        for (int left : {0, std::numeric_limits<int>::max()}) {
            g.grid->SetLeftCoord(left);
            for (int top : {0, 5, std::numeric_limits<int>::max()}) {
                g.grid->SetTopIndex(top);
                g.grid->PaintTo(*bmp.Canvas(), Rect(0, 0, 400, 300));
                for (int x = 0; x < 400; x += 31)
                    for (int y = 0; y < 300; y += 23)
                        (void)g.grid->GetHitInfo(x, y);
            }
        }
        g.grid->MakeNodeVisible(g.grid->GetAbsoluteNode(g.grid->GetAbsoluteCount() - 1));
        g.grid->SaveToXLS((dir.Path() / "wide.xls").string(), true);
        g.grid->SaveToHTML((dir.Path() / "wide.html").string(), true);
        g.grid->SaveToXML((dir.Path() / "wide.xml").string(), true);
    }
}

} // namespace
} // namespace qel
