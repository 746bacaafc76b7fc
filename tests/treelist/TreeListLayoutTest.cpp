// The tree list's layout: header order, hit testing, scrolling, row footers,
// sizing and row heights.
#include "TreeListTestSupport.h"
#include "platform/controls/Automation.h"
#include "platform/graphics/Bitmap.h"

#include "editors/RegIniWrapper.h"
#include "platform/controls/Clock.h"
#include "platform/controls/Keyboard.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Metafile.h"
#include "platform/storage/IniFile.h"
#include "TestSupport.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <gtest/gtest.h>

using namespace qel;
using qel::test::TreeFixture;

using qel::test::HeaderOrder;
using qel::test::Mid;

TEST(TreeListHeader, OneMapGivesHeaderOrderByBandRowAndPosition)
{
    TreeFixture f;
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{0, 1, 2}));
    f.tree->Bands()->Add()->SetCaption("Second");
    f.tree->SetHeaderPanelRowCount(2);
    f.colName->SetBandIndex(1);
    f.colKind->SetRowIndex(1);
    // Band 0: row 0 Size, row 1 Kind; band 1: Name.
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(f.tree->GetBandRowCount(0), 2);
    EXPECT_EQ(f.tree->GetBandRowColumnCount(0, 1), 1);
    EXPECT_EQ(f.tree->GetBandRowColumnCount(0, 2), 0);
    EXPECT_EQ(f.tree->GetBandRowCount(-1), 0);
    EXPECT_EQ(f.tree->GetHeaderColumnIndex(1, 0, 0), 0);
    EXPECT_EQ(f.tree->GetHeaderColumnIndex(1, 0, 1), -1);
    EXPECT_EQ(f.tree->CalcHeaderCells(1, 0), 2);   // a single row takes both lines
    EXPECT_EQ(f.tree->GetVisibleColumn(3), -1);

    f.tree->Bands()->GetItem(1)->SetVisible(false);
    EXPECT_FALSE(f.tree->IsColumnShown(0));
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{1, 2}));
    EXPECT_EQ(f.tree->ColumnByName("colname"), f.colName);
    EXPECT_EQ(f.tree->ColumnByName("nope"), nullptr);
}

TEST(TreeListHitTest, EachAreaAnswersItsKind)
{
    TreeFixture f;
    f.tree->SetShowBands(true);
    f.tree->SetShowFooter(true);
    f.tree->SetShowIndicator(true);
    f.tree->SetOptions(f.tree->Options() + TdxTreeListOptions{aoPreview});
    f.tree->OnGetPreviewText = [](TObject*, TdxTreeListNode*, std::string& T) { T = "preview"; };
    auto* a = f.Add(nullptr, "A");
    f.Add(a, "A1");
    const TdxTreeListRectInfo info = f.tree->CalcRectInfo();
    const int x0 = f.tree->GetIndicatorWidth();
    ASSERT_FALSE(info.Bands.IsEmpty());
    EXPECT_EQ(f.tree->GetHitTestAt(x0 + 50, info.Bands.Top + 2), htBand);
    const int bandRight = x0 + f.tree->GetBandWidth(0);
    EXPECT_EQ(f.tree->GetHitTestAt(bandRight - 1, info.Bands.Top + 2), htBandEdge);
    EXPECT_EQ(f.tree->GetHitTestAt(bandRight + 10, info.Bands.Top + 2), htBandPanel);
    const TRect size = f.tree->GetHeaderRect(1);
    EXPECT_EQ(f.tree->GetHitInfo(Mid(size).X, Mid(size).Y).Column, 1);
    EXPECT_EQ(f.tree->GetHitTestAt(Mid(size).X, Mid(size).Y), htColumn);
    EXPECT_EQ(f.tree->GetHitTestAt(size.Right - 1, Mid(size).Y), htColumnEdge);
    EXPECT_EQ(f.tree->GetHitTestAt(bandRight + 10, Mid(size).Y), htHeaderPanel);
    const TRect row = f.tree->GetNodeRect(a);
    const int cellY = row.Top + 5;
    EXPECT_EQ(f.tree->GetHitTestAt(2, cellY), htIndicator);
    EXPECT_EQ(f.tree->GetHitTestAt(x0 + f.tree->IndentDesc() / 2, cellY), htButton);
    EXPECT_EQ(f.tree->GetHitTestAt(Mid(f.tree->GetCellRect(a, 2)).X, cellY), htLabel);
    EXPECT_EQ(f.tree->GetHitInfo(Mid(f.tree->GetCellRect(a, 2)).X, cellY).Column, 2);
    EXPECT_EQ(f.tree->GetHitTestAt(bandRight + 10, cellY), htRight);
    EXPECT_EQ(f.tree->GetHitTestAt(x0 + 100, row.Bottom - 3), htPreview);
    EXPECT_EQ(f.tree->GetHitTestAt(x0 + 100, info.Footer.Top + 3), htFooter);
    EXPECT_EQ(f.tree->GetHitTestAt(x0 + 100, info.Footer.Top - 3), htBelow);
    EXPECT_EQ(f.tree->GetHitTestAt(-1, 5), htAbove);
    a->SetExpanded(true);
    auto* a1 = a->GetItem(0);
    const TRect r1 = f.tree->GetNodeRect(a1);
    EXPECT_EQ(f.tree->GetHitTestAt(x0 + 5, r1.Top + 5), htIndent);
    EXPECT_EQ(f.tree->GetHitInfo(x0 + 5, r1.Top + 5).Node, a1);
    // A click on the button expands and collapses.
    f.tree->MouseDown(mbLeft, {}, x0 + f.tree->IndentDesc() / 2, cellY);
    f.tree->MouseUp(mbLeft, {}, x0 + f.tree->IndentDesc() / 2, cellY);
    EXPECT_FALSE(a->Expanded());
}

// Painting and hit testing each work out where a row's parts lie; every
// text painted for a node must lie where the hit test finds that node and part.
TEST(TreeListHitTest, EveryPaintedPartIsFoundWhereItWasPainted)
{
    class GroupTree : public TdxTreeList {
    public:
        using TdxTreeList::TdxTreeList;
        bool IsGroupRow(const TdxTreeListNode* Node) const override { return Node->GetString(0)[0] == 'G'; }
        std::string GetGroupRowText(TdxTreeListNode* Node) const override { return "Group " + Node->GetString(0); }
    };
    TComponent owner(nullptr);
    auto* t = new GroupTree(&owner);
    t->SetBounds(0, 0, 460, 300);
    t->SetDefaultRowHeight(18);
    for (int c = 0; c < 3; ++c)
        t->CreateColumn()->SetWidth(90 + 10 * c);
    t->SetShowBands(true);
    t->SetShowIndicator(true);
    t->SetShowRowFooter(true);
    t->SetOptions(t->Options() + TdxTreeListOptions{aoPreview});
    t->OnGetPreviewText = [](TObject*, TdxTreeListNode* N, std::string& T) { T = "preview " + N->GetString(0); };
    t->OnIsLevelFooter = [](TObject*, int, bool& IsFooter) { IsFooter = true; };
    t->OnIsExistRowFooterCell = [](TObject*, TdxTreeListNode*, int Column, int, bool& E) { E = Column == 0; };
    t->OnGetFooterCellText = [](TObject*, TdxTreeListNode* N, int Column, int Footer, std::string& T) {
        T = "footer " + N->GetString(Column) + " " + std::to_string(Footer);
    };
    TImageList states(12, 12);
    t->SetStateImages(&states);
    auto add = [&](TdxTreeListNode* Parent, const std::string& Name) {
        TdxTreeListNode* n = Parent ? Parent->AddChild() : t->Add();
        for (int c = 0; c < 3; ++c)
            n->SetString(c, Name + "/" + std::to_string(c));
        n->SetStateIndex(Name == "B1" ? 0 : -1);
        return n;
    };
    auto* a = add(nullptr, "A");
    add(add(a, "A1"), "A11");
    auto* g = add(nullptr, "Go");
    add(g, "B1");
    add(nullptr, "C");
    t->FullExpand();
    t->SetFocusedNode(a->GetItem(0));
    t->SetTopIndex(1);   // the hit test counts rows from the top one as painting does
    ASSERT_EQ(t->GetTopIndex(), 1);

    TMetafile mf;
    mf.SetWidth(460);
    mf.SetHeight(300);
    {
        TMetafileCanvas rec(&mf);
        t->PaintTo(rec, Rect(0, 0, 460, 300));
    }
    auto nodeName = [](const TCustomdxTreeList::THitInfo& H) { return H.Node ? H.Node->GetString(0) : "-"; };
    int cells = 0, previews = 0, footers = 0, groups = 0, indicators = 0;
    // Each text is checked at its rectangle's middle and at two opposite
    // corners, where they lie on the rows area (the last row runs past it).
    const TRect rows = t->CalcRectInfo().Rows;
    std::vector<std::pair<TCanvasRecord, TPoint>> probes;
    for (const TCanvasRecord& r : mf.Records())
        for (const TPoint p : {Mid(r.Rect), TPoint{r.Rect.Left, r.Rect.Top}, TPoint{r.Rect.Right - 1, r.Rect.Bottom - 1}})
            if (rows.Contains(p))
                probes.emplace_back(r, p);
    for (const auto& [r, p] : probes) {
        const TCustomdxTreeList::THitInfo hit = t->GetHitInfo(p.X, p.Y);
        const std::string& text = r.Text;
        SCOPED_TRACE(r.Op + " '" + text + "' at " + std::to_string(p.X) + "," + std::to_string(p.Y));
        if (r.Op == "Polygon") {
            EXPECT_EQ(hit.Kind, htIndicator);
            EXPECT_EQ(hit.Node, t->GetFocusedNode());
            ++indicators;
        } else if (r.Op != "DrawText" || text.empty()) {
            continue;
        } else if (text.rfind("preview ", 0) == 0) {
            EXPECT_EQ(hit.Kind, htPreview);
            EXPECT_EQ(nodeName(hit), text.substr(8));
            ++previews;
        } else if (text.rfind("footer ", 0) == 0) {
            EXPECT_EQ(hit.Kind, htRowFooter);
            EXPECT_EQ("footer " + nodeName(hit) + " " + std::to_string(hit.Row), text);
            ++footers;
        } else if (text.rfind("Group ", 0) == 0) {
            EXPECT_EQ(hit.Kind, htLabel);
            EXPECT_EQ(nodeName(hit), text.substr(6));
            EXPECT_EQ(hit.Column, -1);
            ++groups;
        } else if (text.find('/') != std::string::npos) {
            EXPECT_EQ(hit.Kind, htLabel);
            ASSERT_GE(hit.Column, 0);
            EXPECT_EQ(hit.Node->GetString(hit.Column), text);
            ++cells;
        }
    }
    // A is scrolled away; A1, A11 and B1 show, Go as a group row; A11 closes A1 and A.
    EXPECT_GE(cells, 3 * 3 * 3);
    EXPECT_GE(previews, 3 * 3);
    EXPECT_EQ(groups, 3);
    EXPECT_GE(footers, 2 * 3);
    EXPECT_EQ(indicators, 3);
    t->SetStateImages(nullptr);
}

TEST(TreeListHitTest, TheGroupPanelAnswersItsKindAndZeroRowHeightIsGuarded)
{
    class PanelTree : public TdxTreeList {
    public:
        using TdxTreeList::TdxTreeList;
        int GetGroupPanelHeight() const override { return 30; }
    };
    TComponent owner(nullptr);
    auto* t = new PanelTree(&owner);
    t->SetBounds(0, 0, 200, 150);
    t->CreateColumn();
    EXPECT_EQ(t->GetHitTestAt(50, 10), htGroupPanel);
    EXPECT_EQ(t->GetHitTestAt(50, 29), htGroupPanel);
    EXPECT_NE(t->GetHitTestAt(50, 30), htGroupPanel) << "the panel ends at its height";
    t->SetBounds(0, 0, 200, 0);
    EXPECT_EQ(t->CalcRectInfo().VisibleRowCount, 0);
    EXPECT_EQ(t->GetVisibleRowCount(), 0);
}

TEST(TreeListScrolling, TopIndexIsClampedAndFollowsFocus)
{
    TreeFixture f(300, 120);
    for (int i = 0; i < 50; ++i)
        f.Add(nullptr, "N" + std::to_string(i));
    const int page = f.tree->CalcRectInfo().VisibleRowCount;
    ASSERT_GT(page, 0);
    f.tree->SetTopIndex(1000);
    EXPECT_EQ(f.tree->GetTopIndex(), 50 - page);
    f.tree->SetTopIndex(-5);
    EXPECT_EQ(f.tree->GetTopIndex(), 0);
    f.tree->SetFocusedNode(f.tree->GetItem(30));
    EXPECT_LE(f.tree->GetTopIndex(), 30);
    EXPECT_GT(f.tree->GetTopIndex() + page, 30);
    EXPECT_FALSE(f.tree->GetNodeRect(f.tree->GetItem(30)).IsEmpty());
    std::uint16_t key = VK_HOME;
    f.tree->KeyDown(key, {ssCtrl});
    EXPECT_EQ(f.tree->GetFocusedNode(), f.tree->GetItem(0));
    EXPECT_EQ(f.tree->GetTopIndex(), 0);
    // The focused first row scrolled away: Ctrl+Home brings it back.
    f.tree->SetTopIndex(20);
    key = VK_HOME;
    f.tree->KeyDown(key, {ssCtrl});
    EXPECT_EQ(f.tree->GetTopIndex(), 0);
    f.tree->ResetTopNode();
    EXPECT_EQ(f.tree->GetTopIndex(), 0);
}

TEST(TreeListRowFooter, CountsAndLevelsOfClosingGroups)
{
    TreeFixture f;
    f.tree->SetShowRowFooter(true);
    f.tree->OnIsLevelFooter = [](TObject*, int Level, bool& IsFooter) { IsFooter = Level <= 1; };
    auto* a = f.Add(nullptr, "A");
    auto* a1 = f.Add(a, "A1");
    auto* a1x = f.Add(a1, "A1x");
    auto* a1y = f.Add(a1, "A1y");
    auto* a2 = f.Add(a, "A2");
    auto* a2x = f.Add(a2, "A2x");
    f.tree->FullExpand();
    EXPECT_EQ(f.tree->GetRowFooterCount(a1x), 0);
    EXPECT_EQ(f.tree->GetRowFooterCount(a1y), 1);   // closes A1
    EXPECT_EQ(f.tree->GetRowFooterLevel(a1y, 0), 1);
    EXPECT_EQ(f.tree->GetRowFooterCount(a2x), 2);   // closes A2 and A
    EXPECT_EQ(f.tree->GetRowFooterLevel(a2x, 0), 1);
    EXPECT_EQ(f.tree->GetRowFooterLevel(a2x, 1), 0);
    EXPECT_EQ(f.tree->GetRowFooterLevel(a2x, 2), -1);
    EXPECT_EQ(f.tree->GetRowFooterCount(a), 0);     // expanded: its rows come first
    a2->SetExpanded(false);
    EXPECT_EQ(f.tree->GetRowFooterCount(a2), 1);    // collapsed last child closes A
    EXPECT_EQ(f.tree->GetRowFooterCount(nullptr), 0);
    f.tree->SetShowRowFooter(false);
    EXPECT_EQ(f.tree->GetRowFooterCount(a2x), 0);
    std::string text = "x";
    f.tree->GetRowFooterCellText(a2x, 0, 0, text);
    EXPECT_EQ(text, "");
    EXPECT_FALSE(f.tree->IsRowFooterCellAssigned(a2x, 0, 0));
    EXPECT_EQ(f.tree->GetRowFooterCellAlignment(a2x, 1, 0), taRightJustify);
    // The footer rows make the row taller.
    f.tree->SetShowRowFooter(true);
    EXPECT_EQ(f.tree->GetRowHeight(a1x) + 2 * f.tree->GetFooterRowHeight(), f.tree->GetRowHeight(a2x));
}

TEST(TreeListSizing, EdgesSizeColumnsAndAutoWidthFillsTheClient)
{
    TreeFixture f;
    const TRect size = f.tree->GetHeaderRect(1);
    const int y = Mid(size).Y;
    f.tree->MouseDown(mbLeft, {}, size.Right - 1, y);
    EXPECT_TRUE(f.tree->IsColumnSizing());
    f.tree->MouseMove({ssLeft}, size.Right + 39, y);
    f.tree->MouseUp(mbLeft, {}, size.Right + 39, y);
    EXPECT_FALSE(f.tree->IsColumnSizing());
    EXPECT_EQ(f.colSize->Width(), 120);
    EXPECT_EQ(f.tree->GetColumnDisplayWidth(1), 120);
    f.tree->MouseDown(mbLeft, {}, size.Right + 39, y);
    f.tree->MouseMove({ssLeft}, -500, y);   // never below the minimum
    f.tree->MouseUp(mbLeft, {}, -500, y);
    EXPECT_EQ(f.colSize->Width(), f.colSize->MinWidth());

    f.tree->SetOptions(f.tree->Options() + TdxTreeListOptions{aoAutoWidth});
    EXPECT_EQ(f.tree->GetReportWidth(), f.tree->ClientWidth());
    int sum = 0;
    for (int i = 0; i < f.tree->GetVisibleColumnCount(); ++i)
        sum += f.tree->GetColumnDisplayWidth(f.tree->GetVisibleColumn(i));
    EXPECT_EQ(sum, f.tree->ClientWidth());
}

TEST(TreeListScrolling, ScrollBarsFollowRowsAndWidth)
{
    TreeFixture f(200, 120);
    for (int i = 0; i < 40; ++i)
        f.Add(nullptr, "N" + std::to_string(i));
    f.tree->LayoutChanged();
    const TScrollInfo v = f.tree->GetScrollInfo(SB_VERT);
    EXPECT_EQ(v.Max, 39);
    EXPECT_EQ(v.Page, f.tree->CalcRectInfo().VisibleRowCount);
    f.tree->ScrollBarAction(sbVertical, scPageDown);
    EXPECT_EQ(f.tree->GetTopIndex(), f.tree->CalcRectInfo().VisibleRowCount);
    f.tree->ScrollBarAction(sbVertical, scBottom);
    EXPECT_EQ(f.tree->GetTopIndex(), 40 - f.tree->CalcRectInfo().VisibleRowCount);
    EXPECT_GT(f.tree->GetScrollInfo(SB_HORZ).Max, 0);   // 330 pixels of columns in 200
    f.tree->ScrollBarAction(sbHorizontal, scLineDown);
    EXPECT_EQ(f.tree->LeftCoord(), 16);
    EXPECT_EQ(f.tree->GetHeaderRect(0).Left, -16);

    // Widened past its columns, the list scrolls back: nothing stays out of reach.
    f.tree->ScrollBarAction(sbHorizontal, scBottom);
    ASSERT_GT(f.tree->LeftCoord(), 100);
    f.tree->SetBounds(0, 0, 300, 120);
    EXPECT_EQ(f.tree->LeftCoord(), std::max(0, f.tree->GetReportWidth() - (f.tree->ClientWidth() - f.tree->GetIndicatorWidth())));
    f.tree->SetBounds(0, 0, 600, 120);
    EXPECT_EQ(f.tree->LeftCoord(), 0);
    EXPECT_EQ(f.tree->GetHeaderRect(0).Left, f.tree->GetIndicatorWidth());
}

TEST(TreeListRows, AutoHeightPreviewLinesAndCustomDraw)
{
    TreeFixture f;
    auto* n = f.Add(nullptr, "A long name that wraps into several lines in a narrow column");
    const int plain = f.tree->GetRowHeight(n);
    f.tree->SetOptionsEx(f.tree->OptionsEx() + TdxTreeListOptionsEx{aoRowAutoHeight});
    EXPECT_GT(f.tree->GetRowHeight(n), plain);
    f.tree->SetMaxRowLineCount(1);
    EXPECT_LE(f.tree->GetRowHeight(n), plain);
    f.tree->SetOptionsEx(f.tree->OptionsEx() - TdxTreeListOptionsEx{aoRowAutoHeight});

    f.tree->SetOptions(f.tree->Options() + TdxTreeListOptions{aoPreview});
    f.tree->SetPreviewLines(3);
    EXPECT_EQ(f.tree->GetPreviewLineCount(n), 3);
    f.tree->SetOptionsEx(f.tree->OptionsEx() + TdxTreeListOptionsEx{aoAutoCalcPreviewLines});
    EXPECT_EQ(f.tree->GetPreviewLineCount(n), 0);   // no preview text
    f.tree->OnGetPreviewText = [](TObject*, TdxTreeListNode*, std::string& T) { T = "one line"; };
    EXPECT_EQ(f.tree->GetPreviewLineCount(n), 1);
    f.tree->OnGetPreviewLineCount = [](TObject*, TdxTreeListNode*, int& Lines) { Lines = 4; };
    EXPECT_EQ(f.tree->GetPreviewLineCount(n), 4);
    EXPECT_EQ(f.tree->GetRowHeight(n), plain + 4 * f.tree->GetPreviewLineHeight() + 4);

    // A handled custom draw replaces the cell's own drawing.
    f.tree->OnCustomDrawCell = [](TObject*, TCanvas*, const TRect&, TdxTreeListNode*, int Column, bool, bool,
                                  bool& Done) { Done = Column == 0; };
    TMetafile mf;
    mf.SetWidth(400);
    mf.SetHeight(300);
    {
        TMetafileCanvas rec(&mf);
        f.tree->PaintTo(rec, Rect(0, 0, 400, 300));
    }
    for (const TCanvasRecord& r : mf.Records())
        EXPECT_NE(r.Text, n->GetString(0));
}

TEST(TreeListHitTest, StateImageAndImageSitBetweenIndentAndCells)
{
    TreeFixture f;
    TImageList images(16, 16);
    TImageList states(12, 12);
    f.tree->SetImages(&images);
    f.tree->SetStateImages(&states);
    auto* n = f.Add(nullptr, "A");
    n->SetStateIndex(0);
    const TRect row = f.tree->GetNodeRect(n);
    const int x = f.tree->IndentDesc();   // after the root level
    EXPECT_EQ(f.tree->GetHitTestAt(x + 2, row.Top + 4), htStateIcon);
    EXPECT_EQ(f.tree->GetHitTestAt(x + 12 + 2, row.Top + 4), htIcon);
    EXPECT_EQ(f.tree->GetHitTestAt(x + 12 + 16 + 2, row.Top + 4), htLabel);
    EXPECT_EQ(f.tree->GetCellRect(n, 0).Left, x + 12 + 16);
    f.tree->SetImages(nullptr);
    f.tree->SetStateImages(nullptr);
}
