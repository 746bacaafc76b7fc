// The grid report link: what it prints of a grid in each holding mode, how
// it leaves the grid (options, record, top row, hold flag, controls) after
// a build that succeeds, fails or is interrupted, and custom drawing after
// the grid reloaded.
#include "printing/DBGridReportLink.h"

#include "dbgrid/GridTestSupport.h"
#include "platform/controls/Application.h"
#include "platform/graphics/ImageList.h"
#include "printing/ReportLinkRegistry.h"

#include "RecordedPage.h"
#include "TestSupport.h"
#include "TreeListReportTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace qel {
namespace {

using test::GridFixture;

// The keys of the record rows a built report prints, and the group rows' texts.
std::vector<std::string> PrintedRows(TdxDBGridReportLink& Link)
{
    std::vector<std::string> out;
    TdxReportCell* root = Link.ReportCells()->Cells();
    for (int i = 0; i < root->CellCount(); ++i) {
        TdxReportCell* row = root->Cells(i);
        if (row->Data() != dxTLRowNode && row->Data() != dxTLRowGroup)
            continue;
        auto* text = dynamic_cast<TdxReportCellString*>(row->DataItems(0));
        out.push_back(text ? (row->Data() == dxTLRowGroup ? "[" + text->Text() + "]" : text->Text()) : "?");
    }
    return out;
}

std::vector<std::string> Keys(int From, int To)
{
    std::vector<std::string> out;
    for (int i = From; i <= To; ++i)
        out.push_back(std::to_string(i));
    return out;
}

// What a build must leave as it found it.
struct GridState {
    TdxDBGridOptionsDB OptionsDB;
    bool DefaultFields;
    int Focused, Current, TopIndex;
    bool Hold, ControlsDisabled;
    std::vector<std::string> Rows;

    static GridState Of(GridFixture& F)
    {
        return {F.grid->OptionsDB(), F.grid->DefaultFields(), F.FocusedKey(),        F.CurrentKey(),
                F.grid->GetTopIndex(), F.grid->Hold(),      F.ds->ControlsDisabled(), F.Rows()};
    }
    bool operator==(const GridState&) const = default;
};

void PrintTo(const GridState& S, std::ostream* Out)
{
    *Out << "options " << S.OptionsDB.ToBits() << " default fields " << S.DefaultFields << " focused " << S.Focused
         << " current " << S.Current << " top " << S.TopIndex << " hold " << S.Hold << " disabled "
         << S.ControlsDisabled << " rows " << S.Rows.size();
}

enum THolding { AllRecords, PartialLoad, Buffer };

// A grid of 60 doors on record 30, scrolled, in one holding mode.
struct HeldGrid {
    GridFixture f;
    explicit HeldGrid(THolding Mode) : f(60, Mode == AllRecords)
    {
        if (Mode == PartialLoad) {
            f.grid->SetPartialLoadBufferCount(10);
            f.grid->SetPartialLoad(true);
        }
        // The grid measures its header on first use; a buffer made before
        // that holds a row more than the grid will show.
        f.grid->GetHeaderRowHeight();
        f.ds->Refresh();
        f.ds->Locate("NUMBER", 30, {});
        if (Mode == AllRecords)
            f.grid->SetTopIndex(25);
    }
};

struct ModeCase {
    const char* Name;
    THolding Mode;
};

class DBGridReportHolding : public ::testing::TestWithParam<ModeCase> {};

TEST_P(DBGridReportHolding, PrintsEveryRecordAndLeavesTheGridAsItWas)
{
    HeldGrid g(GetParam().Mode);
    const GridState before = GridState::Of(g.f);
    ASSERT_EQ(before.Focused, 30);
    TdxDBGridReportLink link(g.f.owner.get());
    link.SetComponent(g.f.grid);
    link.SetActive(true);
    EXPECT_EQ(PrintedRows(link), Keys(1, 60));
    EXPECT_EQ(GridState::Of(g.f), before);
    // While the report is shown the grid is its old self: a change reloads it as usual.
    g.f.ds->Locate("NUMBER", 12, {});
    EXPECT_EQ(g.f.FocusedKey(), 12);
}

INSTANTIATE_TEST_SUITE_P(Modes, DBGridReportHolding,
                         ::testing::Values(ModeCase{"AllRecords", AllRecords}, ModeCase{"PartialLoad", PartialLoad},
                                           ModeCase{"Buffer", Buffer}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

// An access that raises at one of the preparation steps (1 to 6) or while
// the rows are read (7).
class TFailingAccess : public TdxDBGridReportAccess {
public:
    TFailingAccess(TCustomdxDBGrid* Grid, int Step) : TdxDBGridReportAccess(Grid), m_step(Step) {}
    void SetHold(bool Value) override
    {
        Fail(1);
        TdxDBGridReportAccess::SetHold(Value);
    }
    void DisableControls() override
    {
        Fail(2);
        TdxDBGridReportAccess::DisableControls();
    }
    int GetTopIndex() const override
    {
        Fail(3);
        return TdxDBGridReportAccess::GetTopIndex();
    }
    TBookmark GetBookmark() const override
    {
        Fail(4);
        return TdxDBGridReportAccess::GetBookmark();
    }
    void SetOptionsDB(TdxDBGridOptionsDB Value) override
    {
        // Half-way: the options change, then the step fails.
        TdxDBGridReportAccess::SetOptionsDB(Value);
        Fail(5);
    }
    int SelectedCount() override
    {
        Fail(6);
        return TdxDBGridReportAccess::SelectedCount();
    }
    std::string CellText(TdxTreeListNode* Node, TdxTreeListColumn* Column) override
    {
        Fail(7);
        return TdxDBGridReportAccess::CellText(Node, Column);
    }
    void Fail(int Step) const
    {
        if (Step == m_step && !m_failed) {
            m_failed = true;
            throw EdxReportLink("step " + std::to_string(Step));
        }
    }

private:
    int m_step;
    mutable bool m_failed{false};
};

class TFailingLink : public TdxDBGridReportLink {
public:
    TFailingLink(TComponent* AOwner, int Step) : TdxDBGridReportLink(AOwner), m_step(Step) {}

protected:
    std::unique_ptr<TdxTreeListReportAccess> CreateAccess(TCustomdxTreeListControl* Control) override
    {
        return std::make_unique<TFailingAccess>(static_cast<TCustomdxDBGrid*>(Control), m_step);
    }

private:
    int m_step;
};

struct FailureCase {
    std::string Name;
    THolding Mode;
    int Step;
};

class DBGridReportFailure : public ::testing::TestWithParam<FailureCase> {};

// Whichever step fails, only what was done is undone: controls never
// disabled are not enabled, a hold flag never saved is not restored, the
// options come back whole even when loading all records failed half-way.
TEST_P(DBGridReportFailure, AFailingStepLeavesTheGridAsItWas)
{
    HeldGrid g(GetParam().Mode);
    const GridState before = GridState::Of(g.f);
    TFailingLink link(g.f.owner.get(), GetParam().Step);
    link.SetOnlySelected(true);
    link.SetComponent(g.f.grid);
    EXPECT_EQ(test::MessageOf<EdxReportLink>([&] { link.SetActive(true); }),
              "step " + std::to_string(GetParam().Step));
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(GridState::Of(g.f), before);
    // The next build works.
    link.SetActive(true);
    EXPECT_EQ(PrintedRows(link).size(), 60u);
    EXPECT_EQ(GridState::Of(g.f), before);
}

std::vector<FailureCase> FailureCases()
{
    std::vector<FailureCase> cases;
    static const char* const names[] = {"",        "Hold",    "DisableControls", "TopIndex",
                                        "Bookmark", "LoadAll", "TreeList",        "Rows"};
    for (THolding mode : {PartialLoad, Buffer})
        for (int step = 1; step <= 7; ++step)
            cases.push_back({std::string(mode == PartialLoad ? "PartialLoad" : "Buffer") + names[step], mode, step});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Steps, DBGridReportFailure, ::testing::ValuesIn(FailureCases()),
                         [](const auto& Info) { return Info.param.Name; });

// An undo that fails is reported; the others still run.
TEST(DBGridReportUndo, AFailingUndoIsReportedAndTheOthersRun)
{
    HeldGrid g(PartialLoad);
    const GridState before = GridState::Of(g.f);
    struct TAccess : TdxDBGridReportAccess {
        using TdxDBGridReportAccess::TdxDBGridReportAccess;
        bool GotoBookmark(const TBookmark&) override { throw EdxReportLink("cannot go back"); }
    };
    struct TLink : TdxDBGridReportLink {
        using TdxDBGridReportLink::TdxDBGridReportLink;
        std::unique_ptr<TdxTreeListReportAccess> CreateAccess(TCustomdxTreeListControl* Control) override
        {
            return std::make_unique<TAccess>(static_cast<TCustomdxDBGrid*>(Control));
        }
    };
    std::vector<std::string> reported;
    Application().OnException = [&](TObject*, const std::exception& E) { reported.push_back(E.what()); };
    TLink link(g.f.owner.get());
    link.SetComponent(g.f.grid);
    link.SetActive(true);
    Application().OnException = nullptr;
    EXPECT_EQ(reported, std::vector<std::string>{"cannot go back"});
    const GridState after = GridState::Of(g.f);
    EXPECT_EQ(after.OptionsDB, before.OptionsDB);
    EXPECT_FALSE(after.Hold);
    EXPECT_FALSE(after.ControlsDisabled);
}

// Without a key a grid that navigates loads no rows when it holds all
// records: the report shows the rows the grid holds instead of none.
TEST(DBGridReportLink, WithoutKeyANavigatingGridPrintsTheRowsItHolds)
{
    GridFixture f(60, false);
    f.grid->SetKeyField("");
    f.grid->SetPartialLoadBufferCount(10);
    f.grid->SetPartialLoad(true);
    const std::vector<std::string> held = f.Rows();
    ASSERT_FALSE(held.empty());
    TdxDBGridReportLink link(f.owner.get());
    link.SetComponent(f.grid);
    EXPECT_FALSE(link.CanLoadAll());
    link.SetActive(true);
    EXPECT_EQ(PrintedRows(link).size(), held.size());
    EXPECT_TRUE(f.grid->IsPartialLoadMode());

    // A grid that already holds all records keeps its options untouched.
    GridFixture all(5);
    TdxDBGridReportLink other(all.owner.get());
    other.SetComponent(all.grid);
    EXPECT_FALSE(other.NeedsLoadAll());
    const TdxDBGridOptionsDB options = all.grid->OptionsDB();
    other.SetActive(true);
    EXPECT_EQ(all.grid->OptionsDB(), options);
}

// Rows loaded in bulk are printed from their records: the texts of read
// rows, and the rows stay unread.
TEST(DBGridReportLink, RowsNotYetReadArePrintedFromTheirRecordsAndStayUnread)
{
    GridFixture pending(8), read(8);
    for (TdxTreeListNode* n = read.grid->GetItem(0); n; n = n->GetNext())
        n->GetString(0);
    std::vector<std::string> printed[2];
    int i = 0;
    for (GridFixture* f : {&pending, &read}) {
        TdxDBGridReportLink link(f->owner.get());
        link.SetComponent(f->grid);
        link.SetActive(true);
        printed[i++] = PrintedRows(link);
    }
    EXPECT_EQ(printed[0], printed[1]);
    EXPECT_EQ(printed[0], Keys(1, 8));
    TdxDBGridReportAccess access(pending.grid);
    TdxTreeListNode* third = pending.grid->FindNodeByKey(3);
    EXPECT_EQ(access.CellText(third, pending.grid->ColumnByFieldName("TITLE")), "Door 3");
    for (TdxTreeListNode* n = pending.grid->GetItem(0); n; n = n->GetNext())
        EXPECT_TRUE(pending.Node(n)->ValuesPending());
}

// A grid without a data source prints through the tree-list road.
TEST(DBGridReportLink, AGridWithoutDataSourcePrintsWithoutTouchingADataset)
{
    GridFixture f(5, true, false);
    TdxDBGridReportLink link(f.owner.get());
    link.SetComponent(f.grid);
    link.SetActive(true);
    EXPECT_TRUE(PrintedRows(link).empty());
    EXPECT_FALSE(f.ds->ControlsDisabled());
}

TEST(DBGridReportLink, DefaultsAndTheDataItemOfEachColumnClass)
{
    GridFixture f(0);
    f.ds->Close();
    f.ds->AddField("PICTURE", ftGraphic);
    f.ds->AddField("NOTE", ftMemo);
    f.ds->Open();
    f.ds->AppendRecord({1, "Door 1", "North", true, Variant::Null(), "note"});
    TImageList images(16, 16, f.owner.get());
    auto* image = f.grid->CreateColumnOf<TdxDBGridImageColumn>();
    image->SetFieldName("AREA");
    image->SetImages(&images);
    auto* described = f.grid->CreateColumnOf<TdxDBGridImageColumn>();
    described->SetFieldName("AREA");
    described->SetShowDescription(true);
    f.grid->CreateColumnOf<TdxDBGridGraphicColumn>()->SetFieldName("PICTURE");
    f.grid->CreateColumnOf<TdxDBGridMemoColumn>()->SetFieldName("NOTE");

    TdxDBGridReportLink link(f.owner.get());
    EXPECT_EQ(link.Options().ToBits(), 24831u);
    link.SetExpandLevel(2);
    EXPECT_EQ(link.ExpandLevel(), -1);
    link.SetOptions({});
    link.RestoreDefaults();
    EXPECT_EQ(link.Options(), dxDefaultDBGridPaintOptions);

    link.SetComponent(f.grid);
    auto classesOfFirstRow = [&] {
        link.Rebuild();
        std::vector<std::string> out;
        TdxReportCell* root = link.ReportCells()->Cells();
        for (int i = 0; i < root->CellCount(); ++i)
            if (root->Cells(i)->Data() == dxTLRowNode) {
                for (int c = 0; c < root->Cells(i)->DataItemCount(); ++c)
                    out.push_back(root->Cells(i)->DataItems(c)->ClassName());
                break;
            }
        return out;
    };
    // NUMBER, TITLE, AREA, ACTIVE (check), image, described image, graphic, memo.
    EXPECT_EQ(classesOfFirstRow(),
              (std::vector<std::string>{"TdxReportCellString", "TdxReportCellString", "TdxReportCellString",
                                        "TdxReportCellCheckImage", "TdxReportCellGraphic", "TdxReportCellImage",
                                        "TdxReportCellGraphic", "TdxReportCellString"}));
    link.SetOptions(link.Options() + TdxTreeListPaintOptions{tlpoCheckMarksAsText, tlpoGraphicAsText});
    EXPECT_EQ(classesOfFirstRow(),
              (std::vector<std::string>{"TdxReportCellString", "TdxReportCellString", "TdxReportCellString",
                                        "TdxReportCellString", "TdxReportCellGraphic", "TdxReportCellImage",
                                        "TdxReportCellString", "TdxReportCellString"}));
}

// Grouped by area: group rows print the grid's group text before their
// records; the row colour of group rows follows the link's settings.
TEST(DBGridReportLink, GroupRowsComeBeforeTheirRecords)
{
    GridFixture f(6);
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    f.grid->FullExpand();
    TdxDBGridReportLink link(f.owner.get());
    link.SetComponent(f.grid);
    link.SetActive(true);
    const std::vector<std::string> rows = PrintedRows(link);
    ASSERT_EQ(rows.size(), 6u + 4u);
    EXPECT_EQ(rows.front().front(), '[');
    EXPECT_NE(rows.front().find("AREA"), std::string::npos);
    // Record 6 (area North) comes under the North group, after record 1 and 4.
    const auto north = std::find_if(rows.begin(), rows.end(), [](const std::string& R) {
        return R.find("North") != std::string::npos;
    });
    ASSERT_NE(north, rows.end());
    EXPECT_EQ(std::vector<std::string>(north + 1, north + 4), (std::vector<std::string>{"1", "4", "6"}));
}

// The grid reloads between the build and the drawing (its nodes are all
// new): events get the rows' new nodes, found by key or group values; a
// record deleted meanwhile gets no event.
TEST(DBGridReportLink, AfterAReloadEventsGetTheRowsNewNodesOrNone)
{
    GridFixture f(6);
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    f.grid->FullExpand();
    TdxDBGridReportLink link(f.owner.get());
    test::UseTestFonts(link);
    link.SetSupportedCustomDraw(true);
    link.SetComponent(f.grid);
    std::multiset<std::string> cells;
    link.OnCustomDrawCell = [&](TBasedxReportLink*, TCanvas&, const TRect&, const TRect&, TdxTreeListNode* Node,
                                TdxTreeListColumn* Column, std::string&, TColor&, TFont*, TdxTextAlignX&,
                                TdxTextAlignY&, bool&) {
        if (Column->GetColumnIndex() == 0)
            cells.insert(Node->GetString(0));
    };
    link.SetActive(true);
    test::Record(link, 0);
    EXPECT_EQ(cells.size(), 6u);
    cells.clear();
    std::set<const TdxTreeListNode*> printed;
    for (TdxTreeListNode* n = f.grid->GetItem(0); n; n = n->GetNext())
        printed.insert(n);

    f.ds->Locate("NUMBER", 3, {});
    f.ds->Delete();          // record 3 goes
    f.grid->ClearNodes();    // and every node is made anew
    f.grid->ReloadNodes();
    f.grid->FullExpand();
    for (TdxTreeListNode* n = f.grid->GetItem(0); n; n = n->GetNext())
        EXPECT_EQ(printed.count(n), 0u);
    test::Record(link, 0);
    EXPECT_EQ(cells, (std::multiset<std::string>{"1", "2", "4", "5", "6"}));
    // Group rows are found again by their level and group values; South
    // went with its only record.
    TdxReportCell* root = link.ReportCells()->Cells();
    std::vector<std::string> found, gone;
    for (int i = 0; i < root->CellCount(); ++i)
        if (root->Cells(i)->Data() == dxTLRowGroup) {
            const std::string text = static_cast<TdxReportCellString*>(root->Cells(i)->DataItems(0))->Text();
            TdxTreeListNode* now = link.Access()->NodeByIdentity(root->Cells(i)->Source().Identity());
            if (!now) {
                gone.push_back(text);
                continue;
            }
            EXPECT_TRUE(f.grid->IsGroupRow(now));
            found.push_back(f.grid->GetGroupRowText(now));
            EXPECT_EQ(found.back().substr(0, 8), text.substr(0, 8));
        }
    EXPECT_EQ(found.size(), 3u);
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_NE(gone[0].find("South"), std::string::npos);
}

// A progress handler deletes one of the grid's dataset fields half-way: the
// dataset closes, but the grid hears of it only when its controls come back
// (the build holds them): the build prints what the grid held, and the grid
// gets its options, hold flag and controls back, then empties.
TEST(DBGridReportLink, AFieldFreedDuringTheBuildStopsItCleanly)
{
    HeldGrid g(PartialLoad);
    const GridState before = GridState::Of(g.f);
    test::TProgressPrinter printer(g.f.owner.get());
    TdxDBGridReportLink link(g.f.owner.get());
    link.SetComponentPrinter(&printer);
    link.SetComponent(g.f.grid);
    printer.OnProgress = [&](double P) {
        if (P >= 50 && g.f.ds->FindField("TITLE"))
            delete g.f.ds->FieldByName("TITLE");
    };
    link.SetActive(true);
    EXPECT_EQ(PrintedRows(link).size(), 60u);
    EXPECT_FALSE(g.f.ds->Active());
    EXPECT_EQ(g.f.grid->GetCount(), 0);
    EXPECT_EQ(g.f.grid->OptionsDB(), before.OptionsDB);
    EXPECT_FALSE(g.f.grid->Hold());
    EXPECT_FALSE(g.f.ds->ControlsDisabled());
    link.SetComponentPrinter(nullptr);
}

} // namespace
} // namespace qel

namespace qel {
namespace {

// The links' units register their link classes for their first user and
// remove exactly those registrations with the last.
TEST(DBGridReportLinkRegistration, GridsAndTreeListsFindTheirLinks)
{
    GridFixture f(2);
    auto* tree = new TdxTreeList(f.owner.get());
    dxRegisterDBGridReportLink();
    dxRegisterDBGridReportLink();
    dxRegisterTreeListReportLink();
    EXPECT_EQ(dxPSLinkClassByComponent(f.grid), "TdxDBGridReportLink");
    EXPECT_EQ(dxPSLinkClassByComponent(tree), "TdxTreeListReportLink");
    EXPECT_EQ(dxPSDesignWindowClassByLinkClass("TdxDBGridReportLink"), "TdxTLReportLinkDesignWindow");
    TdxTreeListReportLink wrong(f.owner.get());
    EXPECT_EQ(test::MessageOf<EdxReportLink>([&] { wrong.SetComponent(f.grid); }),
              "Component \"TdxDBGrid\" not supported by TdxComponentPrinter");
    dxUnregisterDBGridReportLink();
    EXPECT_EQ(dxPSLinkClassByComponent(f.grid), "TdxDBGridReportLink");   // one user left
    dxUnregisterDBGridReportLink();
    dxUnregisterTreeListReportLink();
    EXPECT_EQ(dxPSLinkClassByComponent(f.grid), "");
    EXPECT_EQ(dxPSLinkClassByComponent(tree), "");
}

} // namespace
} // namespace qel

namespace qel {
namespace {

// A progress handler frees the grid itself: the build stops, and the
// dataset, which the grid no longer reaches, gets its controls back.
TEST(DBGridReportLink, AGridFreedDuringTheBuildLeavesTheDatasetsControlsEnabled)
{
    HeldGrid g(AllRecords);
    test::TProgressPrinter printer(nullptr);
    TdxDBGridReportLink link(nullptr);
    link.SetComponentPrinter(&printer);
    link.SetComponent(g.f.grid);
    printer.OnProgress = [&](double P) {
        if (P >= 50 && g.f.grid) {
            delete g.f.grid;
            g.f.grid = nullptr;
        }
    };
    EXPECT_THROW(link.SetActive(true), EdxReportLink);
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(link.Component(), nullptr);
    EXPECT_FALSE(g.f.ds->ControlsDisabled());
    link.SetComponentPrinter(nullptr);
}

// The grid's field text handler, or the text event of a column the build
// prints, frees the grid while the build reads a row: the build stops
// without reading the grid again.
TEST(DBGridReportLink, AGridFreedByATextHandlerDuringTheBuildStopsIt)
{
    for (const bool columnEvent : {false, true}) {
        SCOPED_TRACE(columnEvent ? "column event" : "field handler");
        GridFixture f(8);
        TdxDBGridReportLink link(nullptr);
        link.SetComponent(f.grid);
        TComponent* grid = f.grid;
        if (columnEvent)
            f.grid->ColumnByFieldName("TITLE")->OnGetText = [&](TObject*, TdxTreeListNode*, std::string&) {
                delete std::exchange(grid, nullptr);
            };
        else
            f.ds->FieldByName("TITLE")->OnGetText = [&](TField* Sender, std::string& Text, bool) {
                Text = Sender->AsString();
                delete std::exchange(grid, nullptr);
            };
        EXPECT_ANY_THROW(link.SetActive(true));
        EXPECT_EQ(grid, nullptr);
        EXPECT_FALSE(link.Active());
        EXPECT_EQ(link.Component(), nullptr);
        EXPECT_FALSE(f.ds->ControlsDisabled());
    }
}

} // namespace
} // namespace qel
