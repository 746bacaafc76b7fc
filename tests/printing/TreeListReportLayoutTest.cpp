// The tree-list report link's construction: where columns go in two bands
// of two band rows, which nodes are printed, and the delimiters.
#include "printing/TreeListReportLink.h"

#include "TreeListReportTestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace qel {
namespace {

constexpr int U = 100;   // report units per screen pixel

struct TreeReport {
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    TdxTreeList* tree = new TdxTreeList(owner.get());
    TdxTreeListReportLink* link = new TdxTreeListReportLink(owner.get());

    TreeReport()
    {
        tree->SetBounds(0, 0, 600, 400);
        tree->SetDefaultRowHeight(30);
        test::UseTestFonts(*link);
        link->SetComponent(tree);
    }
    TdxTreeListColumn* Column(const std::string& Caption, int Width, int Band = 0, int Row = 0)
    {
        TdxTreeListColumn* c = tree->CreateColumn();
        c->SetCaption(Caption);
        c->SetWidth(Width);
        c->SetBandIndex(Band);
        c->SetRowIndex(Row);
        return c;
    }
    TdxTreeListNode* Add(TdxTreeListNode* Parent, const std::string& Text)
    {
        TdxTreeListNode* n = Parent ? Parent->AddChild() : tree->Add();
        n->SetString(0, Text);
        return n;
    }
    void Build()
    {
        link->SetActive(false);
        link->SetActive(true);
    }
    TdxReportCells& Cells() { return *link->ReportCells(); }
    // The rows of the root that print nodes, with the text of their first value.
    std::vector<std::string> PrintedNodes()
    {
        std::vector<std::string> out;
        TdxReportCell* root = Cells().Cells();
        for (int i = 0; i < root->CellCount(); ++i) {
            TdxReportCell* row = root->Cells(i);
            if (row->Data() != dxTLRowNode && row->Data() != dxTLRowGroup)
                continue;
            auto* text = dynamic_cast<TdxReportCellString*>(row->DataItems(0));
            out.push_back(text ? text->Text() : "?");
        }
        return out;
    }
    TdxReportCell* RowTagged(int Tag, TdxReportCell* Parent = nullptr)
    {
        TdxReportCell* p = Parent ? Parent : Cells().Cells();
        for (int i = 0; i < p->CellCount(); ++i)
            if (p->Cells(i)->Data() == Tag)
                return p->Cells(i);
        return nullptr;
    }
};

std::string Sides(const TdxReportVisualItem& Item)
{
    std::string s;
    s += Item.CellSides().Contains(csLeft) ? 'L' : '.';
    s += Item.CellSides().Contains(csTop) ? 'T' : '.';
    s += Item.CellSides().Contains(csRight) ? 'R' : '.';
    s += Item.CellSides().Contains(csBottom) ? 'B' : '.';
    return s;
}

// Band 0: A (100) and B (60) over C (160); band 1: D (80) over E (50) and F
// (30). The node row holds two lines; columns of the second band row start
// one line down; the first column starts at the node's indent, the last
// column of each row of the last band reaches the report's right edge.
TEST(TreeListReportLayout, TwoBandsOfTwoRowsPlaceEveryColumn)
{
    TreeReport r;
    r.tree->Bands()->Add();
    r.tree->SetHeaderPanelRowCount(2);
    r.tree->SetShowBands(true);
    r.Column("A", 100);
    r.Column("B", 60);
    r.Column("C", 160, 0, 1);
    r.Column("D", 80, 1, 0);
    r.Column("E", 50, 1, 1);
    r.Column("F", 30, 1, 1);
    TdxTreeListNode* parent = r.Add(nullptr, "root");
    r.Add(parent, "child");
    parent->SetExpanded(true);
    r.link->SetOptions(r.link->Options() - TdxTreeListPaintOptions{tlpoPreviewGrid});
    r.Build();

    const int width = 160 + 80;
    EXPECT_EQ(r.Cells().Cells()->Width(), width * U);
    // Bands and headers repeat on every page, in the header cell.
    TdxReportCell* bands = r.RowTagged(dxTLRowBands, r.Cells().HeaderCellIfAny());
    TdxReportCell* header = r.RowTagged(dxTLRowHeader, r.Cells().HeaderCellIfAny());
    ASSERT_TRUE(bands && header);
    ASSERT_EQ(bands->DataItemCount(), 2);
    EXPECT_EQ(bands->DataItems(0)->BoundsRect().Right, 160 * U);
    EXPECT_EQ(bands->DataItems(1)->BoundsRect().Left, 160 * U);
    EXPECT_EQ(header->BoundsRect64().Top, bands->BoundsRect64().Bottom);
    const std::int64_t h = header->Height() / 2;   // one header line

    struct Expect {
        int Left, Top, Right, Bottom;
        const char* Sides;
    };
    // Header cells: each at its column's header extent.
    const std::map<std::string, Expect> headers = {
        {"A", {0, 0, 100, 1, ""}},   {"B", {100, 0, 160, 1, ""}}, {"C", {0, 1, 160, 2, ""}},
        {"D", {160, 0, 240, 1, ""}}, {"E", {160, 1, 210, 2, ""}}, {"F", {210, 1, 240, 2, ""}}};
    ASSERT_EQ(header->DataItemCount(), 6);
    for (int i = 0; i < header->DataItemCount(); ++i) {
        auto* item = static_cast<TdxReportCellString*>(header->DataItems(i));
        const Expect& e = headers.at(item->Text());
        const TRect b = item->BoundsRect();
        EXPECT_EQ(b.Left, e.Left * U) << item->Text();
        EXPECT_EQ(b.Right, e.Right * U) << item->Text();
        EXPECT_EQ(b.Top, e.Top * h) << item->Text();
        EXPECT_EQ(b.Bottom, e.Bottom * h) << item->Text();
    }

    // The child row: indent 21 (one level of 20 + 1), lines of 30 pixels.
    TdxReportCell* root = r.Cells().Cells();
    ASSERT_EQ(root->CellCount(), 3);   // two nodes and the closing line
    TdxReportCell* child = root->Cells(1);
    EXPECT_EQ(child->Height(), 60 * U);
    ASSERT_EQ(child->CellCount(), 1);   // one indent cell
    EXPECT_EQ(child->Cells(0)->BoundsRect().Right, 21 * U);
    const std::map<int, Expect> cells = {
        {0, {21, 0, 100, 30, "LT.."}},  {1, {100, 0, 160, 30, ".T.."}}, {2, {0, 30, 160, 60, "...."}},
        {3, {160, 0, 240, 30, ".TR."}}, {4, {160, 30, 210, 60, "...."}}, {5, {210, 30, 240, 60, "..R."}}};
    ASSERT_EQ(child->DataItemCount(), 6);
    for (int i = 0; i < 6; ++i) {
        const TRect b = child->DataItems(i)->BoundsRect();
        const Expect& e = cells.at(i);
        EXPECT_EQ(b, TRect(e.Left * U, e.Top * U, e.Right * U, e.Bottom * U)) << "column " << i;
        EXPECT_EQ(Sides(*child->DataItems(i)), e.Sides) << "column " << i;
    }
    // The horizontal delimiters are the header cells' edges, absolute.
    const auto& horz = r.link->RenderInfo()->HorzDelimiters();
    for (int x : {0, 100, 160, 210, 240})
        EXPECT_NE(std::find(horz.begin(), horz.end(), std::int64_t{x} * U), horz.end()) << x;
    // The vertical ones are the tops of the rows, in the root's coordinates.
    const auto& vert = r.link->RenderInfo()->VertDelimiters();
    EXPECT_NE(std::find(vert.begin(), vert.end(), child->BoundsRect64().Top), vert.end())
        << ::testing::PrintToString(vert) << test::DumpCells(r.Cells());
}

// A hidden column between shown ones takes no place; without shown columns
// nothing is built at all.
TEST(TreeListReportLayout, HiddenColumnsTakeNoPlaceAndNoColumnsBuildNothing)
{
    TreeReport r;
    r.Column("A", 100);
    r.Column("Hidden", 70)->SetVisible(false);
    r.Column("C", 50);
    r.Add(nullptr, "x");
    r.Build();
    TdxReportCell* row = r.RowTagged(dxTLRowNode);
    ASSERT_TRUE(row);
    ASSERT_EQ(row->DataItemCount(), 2);
    EXPECT_EQ(row->DataItems(1)->BoundsRect().Left, 100 * U);

    TreeReport empty;
    empty.Add(nullptr, "x");
    empty.Build();
    EXPECT_EQ(empty.Cells().Cells()->CellCount(), 0);
    EXPECT_FALSE(empty.Cells().HasHeaderCell());
}

struct ChoiceCase {
    const char* Name;
    bool OnlySelected;
    bool ExtendedSelect;
    int ExpandLevel;
    bool AutoNodesExpand;
    std::vector<std::string> Printed;
};

class TreeListReportNodeChoice : public ::testing::TestWithParam<ChoiceCase> {};

// The tree: A (expanded) with A1 (collapsed, holding A1a) and A2; B
// (collapsed) with B1. Selected: A1a and B.
TEST_P(TreeListReportNodeChoice, PrintsTheNodesTheOptionsChoose)
{
    const ChoiceCase& c = GetParam();
    TreeReport r;
    r.Column("Name", 100);
    TdxTreeListNode* a = r.Add(nullptr, "A");
    TdxTreeListNode* a1 = r.Add(a, "A1");
    TdxTreeListNode* a1a = r.Add(a1, "A1a");
    r.Add(a, "A2");
    TdxTreeListNode* b = r.Add(nullptr, "B");
    r.Add(b, "B1");
    a->SetExpanded(true);
    r.tree->SetOptions(r.tree->Options() + TdxTreeListOptions{aoMultiSelect});
    a1a->SetSelected(true);
    b->SetSelected(true);
    if (!c.OnlySelected) {
        a1a->SetSelected(false);
        b->SetSelected(false);
    }
    r.link->SetOnlySelected(true);
    r.link->SetExtendedSelect(c.ExtendedSelect);
    r.link->SetExpandLevel(c.ExpandLevel);
    r.link->SetAutoNodesExpand(c.AutoNodesExpand);
    r.Build();
    EXPECT_EQ(r.PrintedNodes(), c.Printed);
}

INSTANTIATE_TEST_SUITE_P(
    Matrix, TreeListReportNodeChoice,
    ::testing::Values(
        // Nothing selected: every node as without the option, expanded ones open.
        ChoiceCase{"NothingSelectedPrintsAsShown", false, true, -1, false, {"A", "A1", "A2", "B"}},
        ChoiceCase{"AutoExpandOpensEveryNode", false, true, -1, true, {"A", "A1", "A1a", "A2", "B", "B1"}},
        ChoiceCase{"ExpandLevelZeroWithAutoExpandPrintsRoots", false, true, 0, true, {"A", "B"}},
        ChoiceCase{"ExpandLevelAppliesToExpandedNodesToo", false, true, 0, false, {"A", "B"}},
        ChoiceCase{"ExpandLevelOneStopsBelowIt", false, true, 1, true, {"A", "A1", "A2", "B", "B1"}},
        // Selected A1a (in a collapsed branch) and B: their ancestors come along;
        // collapsed nodes keep their children unless nodes expand by themselves.
        ChoiceCase{"SelectionBringsAncestors", true, true, -1, false, {"A", "A1", "B"}},
        ChoiceCase{"SelectionWithAutoExpand", true, true, -1, true, {"A", "A1", "A1a", "B"}},
        // Without extended selection a selected node brings its descendants.
        ChoiceCase{"SelectionWithDescendants", true, false, -1, true, {"A", "A1", "A1a", "B", "B1"}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(TreeListReportNodeChoice, NoRootNodesGiveBandsHeadersAndFootersThatDoNotRepeat)
{
    TreeReport r;
    r.Column("Name", 100);
    r.tree->SetShowBands(true);
    r.link->SetOptions(r.link->Options() + TdxTreeListPaintOptions{tlpoFooters});
    r.link->SetFootersOnEveryPage(true);
    r.Build();
    EXPECT_TRUE(r.PrintedNodes().empty());
    EXPECT_FALSE(r.link->GetHeadersOnEveryPage());
    EXPECT_FALSE(r.link->GetFootersOnEveryPage());
    EXPECT_TRUE(r.RowTagged(dxTLRowBands));
    EXPECT_TRUE(r.RowTagged(dxTLRowHeader));
    EXPECT_TRUE(r.RowTagged(dxTLRowFooter));
}

} // namespace
} // namespace qel

#include "printing/ReportUnits.h"

namespace qel {
namespace {

// Rows that grow with their text are measured at the size the text is
// printed: the row holds every wrapped line of its tallest value, and of its
// preview, with the cell's margins; a short value keeps one line.
TEST(TreeListReportLayout, GrowingRowsHoldEveryWrappedLineAsPrinted)
{
    TreeReport r;
    r.tree->SetOptionsEx(r.tree->OptionsEx() + TdxTreeListOptionsEx{aoRowAutoHeight});
    r.tree->SetOptions(r.tree->Options() + TdxTreeListOptions{aoPreview});
    const std::string preview = "A preview long enough to wrap across the width of the report more than once, "
                                "and then some more words to be sure of it.";
    r.tree->OnGetPreviewText = [&](TObject*, TdxTreeListNode*, std::string& T) { T = preview; };
    r.Column("Name", 80);
    r.Column("Note", 120);
    const std::string text = "Eins zwei drei vier fünf sechs sieben acht neun zehn";
    TdxTreeListNode* tall = r.Add(nullptr, "x");
    tall->SetString(1, text);
    r.Add(nullptr, "y");
    r.Build();
    TdxReportCell* root = r.Cells().Cells();
    TdxReportCell* first = root->Cells(0);
    TdxReportCell* second = root->Cells(1);
    TFont font;
    font.Assign(r.link->Font());
    const int lines = dxMeasureTextHeightPixels(font, text, 120 - 6, DT_WORDBREAK);
    const int previewLines = dxMeasureTextHeightPixels(*r.link->PreviewFont(), preview, 200 - 20 - 6, DT_WORDBREAK);
    ASSERT_GT(lines, 2 * dxMeasureTextHeightPixels(font, "Wg", 1000, DT_SINGLELINE));
    EXPECT_GE(first->Height(), std::int64_t{lines + 4 + previewLines + 4} * U);
    auto* note = dynamic_cast<TdxReportCellString*>(first->DataItems(1));
    ASSERT_TRUE(note);
    EXPECT_TRUE(note->Multiline());
    EXPECT_GE(note->Height(), std::int64_t{lines + 4} * U);
    EXPECT_LT(second->Height(), first->Height());
}

} // namespace
} // namespace qel
