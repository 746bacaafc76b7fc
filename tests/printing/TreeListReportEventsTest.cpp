// Custom drawing of single cells through the tree-list report link's
// events, and what a build and a drawing do when the tree list changes
// under them.
#include "printing/TreeListReportLink.h"

#include "platform/graphics/Bitmap.h"

#include "RecordedPage.h"
#include "TreeListReportTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace qel {
namespace {

// A tree list with bands, preview, a footer and row footers after the
// last child of each root, and a link that lets every cell be custom drawn.
struct EventReport {
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    TdxTreeList* tree = new TdxTreeList(owner.get());
    TdxTreeListReportLink* link = new TdxTreeListReportLink(owner.get());
    TdxTreeListColumn* name = nullptr;
    TdxTreeListColumn* size = nullptr;
    std::vector<std::string> events;

    EventReport()
    {
        tree->SetBounds(0, 0, 600, 400);
        tree->Bands()->GetItem(0)->SetCaption("Main");
        tree->Bands()->Add()->SetCaption("More");
        name = tree->CreateColumn();
        name->SetCaption("Name");
        size = tree->CreateColumn();
        size->SetCaption("Size");
        size->SetBandIndex(1);
        tree->SetShowBands(true);
        tree->SetShowRowFooter(true);
        tree->SetOptions(tree->Options() + TdxTreeListOptions{aoPreview});
        tree->OnGetPreviewText = [](TObject*, TdxTreeListNode* N, std::string& T) { T = "about " + N->GetString(0); };
        tree->OnIsLevelFooter = [](TObject*, int Level, bool& Footer) { Footer = Level == 0; };
        tree->OnIsExistRowFooterCell = [](TObject*, TdxTreeListNode*, int C, int, bool& E) { E = C == 1; };
        tree->OnIsExistFooterCell = [](TObject*, int C, bool& E) { E = C == 0; };
        tree->OnGetFooterCellText = [](TObject*, TdxTreeListNode* N, int, int, std::string& T) {
            T = N ? "subtotal" : "total";
        };
        AddNodes("");
        test::UseTestFonts(*link);
        link->SetSupportedCustomDraw(true);
        link->SetComponent(tree);
        Listen();
    }
    void AddNodes(const std::string& Suffix)
    {
        auto add = [&](TdxTreeListNode* Parent, const std::string& Name) {
            TdxTreeListNode* n = Parent ? Parent->AddChild() : tree->Add();
            n->SetString(0, Name + Suffix);
            n->SetString(1, "size of " + Name + Suffix);
            return n;
        };
        TdxTreeListNode* a = add(nullptr, "A");
        add(a, "A1");
        add(a, "A2");
        a->SetExpanded(true);
        add(nullptr, "B");
    }
    // Every event names its cell; a node or column handed over is read, so
    // a freed one shows under the sanitizer.
    void Listen()
    {
        link->OnCustomDrawBandCell = [this](TBasedxReportLink*, TCanvas&, const TRect&, const TRect&,
                                            TdxTreeListBand* Band, std::string&, TColor&, TFont*, TdxTextAlignX&,
                                            TdxTextAlignY&, bool&) { events.push_back("band " + Band->Caption()); };
        link->OnCustomDrawCell = [this](TBasedxReportLink*, TCanvas&, const TRect&, const TRect&,
                                        TdxTreeListNode* Node, TdxTreeListColumn* Column, std::string&, TColor&,
                                        TFont*, TdxTextAlignX&, TdxTextAlignY&, bool&) {
            events.push_back("cell " + Node->GetString(0) + " " + Column->Caption());
        };
        link->OnCustomDrawFooterCell = [this](TBasedxReportLink*, TCanvas&, const TRect&, const TRect&,
                                              TdxTreeListNode* Node, TdxTreeListColumn* Column, std::string&,
                                              TColor&, TFont*, TdxTextAlignX&, TdxTextAlignY&, bool&) {
            events.push_back(std::string("footer ") + (Node ? "?" : "") + Column->Caption());
        };
        link->OnCustomDrawHeaderCell = [this](TBasedxReportLink*, TCanvas&, const TRect&, const TRect&,
                                              TdxTreeListColumn* Column, std::string&, TColor&, TFont*,
                                              TdxTextAlignX&, TdxTextAlignY&, TdxCellSortOrder&, bool&) {
            events.push_back("header " + Column->Caption());
        };
        link->OnCustomDrawPreviewCell = [this](TBasedxReportLink*, TCanvas&, const TRect&, const TRect&,
                                               TdxTreeListNode* Node, std::string&, TColor&, TColor&, TFont*, bool&) {
            events.push_back("preview " + Node->GetString(0));
        };
        link->OnCustomDrawRowFooterCell = [this](TBasedxReportLink*, TCanvas&, const TRect&, const TRect&,
                                                 TdxTreeListNode* Node, TdxTreeListColumn* Column, int Footer,
                                                 std::string&, TColor&, TFont*, TdxTextAlignX&, TdxTextAlignY&,
                                                 bool&) {
            events.push_back("rowfooter " + Node->GetString(0) + " " + Column->Caption() + " " +
                             std::to_string(Footer));
        };
    }
    std::set<std::string> Events() const { return {events.begin(), events.end()}; }
};

TEST(TreeListReportEvents, EachKindOfCellReachesItsEventWithTheObjectsItCameFrom)
{
    EventReport r;
    r.link->SetActive(true);
    test::Record(*r.link, 0);
    const std::set<std::string> expected = {
        "band Main",      "band More",        "header Name",         "header Size",      "cell A Name",
        "cell A Size",    "cell A1 Name",     "cell A1 Size",        "cell A2 Name",     "cell A2 Size",
        "cell B Name",    "cell B Size",      "preview A",           "preview A1",       "preview A2",
        "preview B",      "footer Name",      "rowfooter A2 Size 0"};
    EXPECT_EQ(r.Events(), expected);
}

TEST(TreeListReportEvents, ChangesAreDrawnAndDoneLeavesTheCellUndrawn)
{
    EventReport r;
    r.link->OnCustomDrawCell = [](TBasedxReportLink*, TCanvas&, const TRect&, const TRect&, TdxTreeListNode* Node,
                                  TdxTreeListColumn* Column, std::string& Text, TColor& Color, TFont*,
                                  TdxTextAlignX&, TdxTextAlignY&, bool& Done) {
        if (Node->GetString(0) == "A1" && Column->Caption() == "Name") {
            Text = "changed";
            Color = clYellow;
        }
        if (Node->GetString(0) == "B" && Column->Caption() == "Size")
            Done = true;
    };
    r.link->OnCustomDrawHeaderCell = [](TBasedxReportLink*, TCanvas&, const TRect&, const TRect&,
                                        TdxTreeListColumn* Column, std::string& Text, TColor&, TFont*,
                                        TdxTextAlignX&, TdxTextAlignY&, TdxCellSortOrder&, bool&) {
        Text = "[" + Column->Caption() + "]";
    };
    r.link->SetActive(true);
    const test::RecordedPage page = test::Record(*r.link, 0);
    EXPECT_TRUE(page.HasText("changed"));
    EXPECT_FALSE(page.HasText("A1"));
    EXPECT_TRUE(page.HasText("size of B") == false);
    EXPECT_TRUE(page.HasText("size of A"));
    EXPECT_TRUE(page.HasText("[Name]"));
    // Drawing changes nothing that was built: the next drawing starts from the cells as built.
    r.link->OnCustomDrawCell = nullptr;
    r.link->OnCustomDrawHeaderCell = nullptr;
    const test::RecordedPage again = test::Record(*r.link, 0);
    EXPECT_TRUE(again.HasText("A1"));
    EXPECT_TRUE(again.HasText("size of B"));
    EXPECT_TRUE(again.HasText("Name"));
}

// A handler that only changes the font: the cell prints in that font.
TEST(TreeListReportEvents, AChangedFontIsDrawnWith)
{
    EventReport r;
    r.link->OnCustomDrawCell = [](TBasedxReportLink*, TCanvas&, const TRect&, const TRect&, TdxTreeListNode* Node,
                                  TdxTreeListColumn* Column, std::string&, TColor&, TFont* Font, TdxTextAlignX&,
                                  TdxTextAlignY&, bool&) {
        if (Node->GetString(0) == "A1" && Column->Caption() == "Name")
            Font->SetColor(clRed);
    };
    r.link->SetActive(true);
    auto reds = [&] {
        TBitmap bitmap(794, 1123);
        r.link->PaintPage(*bitmap.Canvas(), {0, 0, 794, 1123}, 0, 0, 100);
        int n = 0;
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 794; ++x) {
                const TColor c = bitmap.Canvas()->Pixels(x, y);
                n += GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80;
            }
        return n;
    };
    EXPECT_GT(reds(), 0);
    r.link->OnCustomDrawCell = nullptr;
    EXPECT_EQ(reds(), 0);
}

// The tree list frees its nodes, a column and a band while the report is
// shown: no event gets a freed object, and the cells draw as they were built.
TEST(TreeListReportEvents, ObjectsFreedAfterTheBuildReachNoEvent)
{
    EventReport r;
    r.link->SetActive(true);
    r.tree->ClearNodes();
    r.AddNodes(" new");
    delete r.size;
    r.tree->Bands()->Delete(1);
    const test::RecordedPage page = test::Record(*r.link, 0);
    const std::set<std::string> expected = {"band Main", "header Name", "footer Name"};
    EXPECT_EQ(r.Events(), expected);
    EXPECT_TRUE(page.HasText("A1"));
    EXPECT_TRUE(page.HasText("size of A1"));
    EXPECT_FALSE(page.HasText("A1 new"));
}

// Without SupportedCustomDraw the cells carry no sources and no event runs.
TEST(TreeListReportEvents, WithoutSupportedCustomDrawNoEventRuns)
{
    EventReport r;
    r.link->SetSupportedCustomDraw(false);
    r.link->SetActive(true);
    test::Record(*r.link, 0);
    EXPECT_TRUE(r.events.empty());
    EXPECT_FALSE(r.link->IsCustomDrawn(nullptr));
}

struct ProgressCase {
    const char* Name;
    std::function<void(EventReport&)> Interrupt;
    bool Aborts;   // EAbort rather than the report link's error
};

class TreeListReportInterruptions : public ::testing::TestWithParam<ProgressCase> {};

// A progress handler that frees what the build reads, or aborts it: the
// build stops, the shown report stays as it was, and a later build works.
TEST_P(TreeListReportInterruptions, ABuildStopsCleanlyWhenItsProgressHandlerPullsTheRug)
{
    EventReport r;
    test::TProgressPrinter printer(r.owner.get());
    r.link->SetComponentPrinter(&printer);
    r.link->SetActive(true);
    const int pages = r.link->GetPageCount();
    bool done = false;
    printer.OnProgress = [&](double Percent) {
        if (!done && Percent >= 50) {
            done = true;
            GetParam().Interrupt(r);
        }
    };
    r.link->SetActive(false);
    if (GetParam().Aborts)
        EXPECT_THROW(r.link->SetActive(true), EAbort);
    else
        EXPECT_THROW(r.link->SetActive(true), EdxReportLink);
    EXPECT_FALSE(r.link->Active());
    printer.OnProgress = nullptr;
    r.link->SetActive(true);
    EXPECT_TRUE(r.link->Active());
    EXPECT_GE(r.link->GetPageCount(), pages > 0 ? 1 : 0);
    r.link->SetComponentPrinter(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Progress, TreeListReportInterruptions,
    ::testing::Values(ProgressCase{"DeletesANode", [](EventReport& r) { delete r.tree->GetItem(1); }, false},
                      ProgressCase{"DeletesAColumn", [](EventReport& r) { delete r.size; }, false},
                      ProgressCase{"DeletesABand", [](EventReport& r) { r.tree->Bands()->Delete(1); }, false},
                      ProgressCase{"Aborts", [](EventReport&) { throw EAbort("stopped"); }, true}),
    [](const auto& Info) { return std::string(Info.param.Name); });

} // namespace
} // namespace qel
