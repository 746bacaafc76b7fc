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

namespace {

std::vector<int> HeaderOrder(const TCustomdxTreeList& T)
{
    std::vector<int> out;
    for (int i = 0; i < T.GetVisibleColumnCount(); ++i)
        out.push_back(T.GetVisibleColumn(i));
    return out;
}

TPoint Mid(const TRect& R)
{
    return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
}

// A tree list with a drop area of its own, as the grid has its group panel.
class ClaimingTree : public TdxTreeList {
public:
    using TdxTreeList::TdxTreeList;
    TRect Area;
    TdxHeaderDropPlace Answer;
    std::vector<int> Asked;   // the columns the hook was asked about

protected:
    bool DoColumnDragOver(int Column, TPoint Point, TdxHeaderDropPlace& Place) override
    {
        if (!Area.Contains(Point))
            return false;
        Asked.push_back(Column);
        Place = Answer;
        return true;
    }
};

} // namespace

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

TEST(TreeListHeader, DraggingAHeaderMovesTheColumn)
{
    TreeFixture f;
    f.Add(nullptr, "A");
    const TRect kind = f.tree->GetHeaderRect(2);
    const TRect name = f.tree->GetHeaderRect(0);
    const TPoint from = Mid(kind);
    f.tree->MouseDown(mbLeft, {}, from.X, from.Y);
    f.tree->MouseMove({}, from.X - 2, from.Y);   // within the threshold: still a press
    EXPECT_FALSE(f.tree->IsColumnDragging());
    f.tree->MouseMove({}, name.Left + 5, from.Y);
    EXPECT_TRUE(f.tree->IsColumnDragging());
    EXPECT_EQ(f.tree->DragTarget(), hdtHeader);
    EXPECT_EQ(f.tree->DragTargetPosition(), 0);
    EXPECT_FALSE(f.tree->DragArrowsRect().IsEmpty());
    // The header's image and the arrows float in overlays, not on the control.
    ASSERT_NE(f.tree->DragImageOverlay(), nullptr);
    EXPECT_EQ(f.tree->DragImageOverlay()->Image()->Width(), kind.Width());
    ASSERT_NE(f.tree->DragArrowsOverlay(), nullptr);
    EXPECT_TRUE(f.tree->DragArrowsOverlay()->Visible());
    f.tree->MouseUp(mbLeft, {}, name.Left + 5, from.Y);
    EXPECT_EQ(f.tree->DragImageOverlay(), nullptr);
    EXPECT_EQ(f.tree->DragArrowsOverlay(), nullptr);
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(f.colKind->ColIndex(), 0);

    // Cancelled drags change nothing; a drop on the customizing area hides.
    f.tree->BeginColumnDrag(0, 10, 10);
    f.tree->DragColumnTo(300, 5);
    f.tree->EndColumnDrag(false);
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{2, 0, 1}));
    f.tree->ColumnsCustomizing();
    f.tree->SetCustomizingRect(Rect(0, 200, 400, 300));
    f.tree->BeginColumnDrag(1, 10, 10);
    f.tree->DragColumnTo(50, 250);
    EXPECT_EQ(f.tree->DragTarget(), hdtCustomizing);
    f.tree->EndColumnDrag(true);
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{2, 0}));
    EXPECT_EQ(f.tree->HiddenColumns(), (std::vector<int>{1}));
    f.tree->ShowColumnAt(1, 0, 0, 0);
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{1, 2, 0}));
}

TEST(TreeListHeader, ASubclassMayClaimADropAreaOfItsOwn)
{
    TComponent owner(nullptr);
    auto* tree = new ClaimingTree(&owner);
    tree->SetBounds(0, 0, 400, 300);
    for (int w : {150, 80, 100})
        tree->CreateColumn()->SetWidth(w);
    // Right of the last header, where the tree list would otherwise offer the end of the row.
    tree->Area = Rect(340, 0, 400, 300);
    tree->Answer.Arrows = Rect(340, 2, 349, 20);
    tree->Answer.Cursor = crNoDrop;
    const int y = Mid(tree->GetHeaderRect(0)).Y;

    tree->BeginColumnDrag(0, 20, y);
    tree->DragColumnTo(360, y);
    EXPECT_EQ(tree->DragTarget(), hdtClaimed);
    EXPECT_EQ(tree->DragArrowsRect(), tree->Answer.Arrows);
    ASSERT_NE(tree->DragArrowsOverlay(), nullptr);
    EXPECT_EQ(tree->DragArrowsOverlay()->Height(), 18 + 12);
    EXPECT_EQ(tree->Cursor(), crNoDrop);
    EXPECT_EQ(tree->Asked, (std::vector<int>{0}));
    // Off the area: the tree list's own header place, and its own cursor.
    tree->DragColumnTo(Mid(tree->GetHeaderRect(2)).X, y);
    EXPECT_EQ(tree->DragTarget(), hdtHeader);
    EXPECT_EQ(tree->Cursor(), crDefault);
    EXPECT_NE(tree->DragArrowsRect(), tree->Answer.Arrows);
    // Dropped on the area: the tree list itself moves and hides nothing.
    tree->DragColumnTo(360, y);
    tree->EndColumnDrag(true);
    EXPECT_EQ(HeaderOrder(*tree), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(tree->Cursor(), crDefault);
    EXPECT_EQ(tree->DragArrowsOverlay(), nullptr);

    // A claim without arrows shows none; the customizing window comes before any claim.
    tree->Answer.Arrows = {};
    tree->BeginColumnDrag(1, 160, y);
    tree->DragColumnTo(360, y);
    EXPECT_EQ(tree->DragTarget(), hdtClaimed);
    EXPECT_EQ(tree->DragArrowsOverlay(), nullptr);
    tree->ColumnsCustomizing();
    tree->SetCustomizingRect(Rect(300, 100, 400, 300));
    tree->DragColumnTo(360, 150);
    EXPECT_EQ(tree->DragTarget(), hdtCustomizing);
    EXPECT_EQ(tree->Cursor(), crDefault);
    tree->EndColumnDrag(true);
    EXPECT_EQ(HeaderOrder(*tree), (std::vector<int>{0, 2}));
    tree->EndColumnsCustomizing();
}

TEST(TreeListHeader, EscCancelsAHeaderDrag)
{
    TreeFixture f;
    std::vector<int> clicks;
    f.tree->OnColumnClick = [&](TObject*, int Column) { clicks.push_back(Column); };
    const TPoint from = Mid(f.tree->GetHeaderRect(2));
    const TPoint to = Mid(f.tree->GetHeaderRect(0));
    f.tree->MouseDown(mbLeft, {}, from.X, from.Y);
    f.tree->MouseMove({ssLeft}, to.X, to.Y);
    ASSERT_TRUE(f.tree->IsColumnDragging());
    std::uint16_t key = VK_ESCAPE;
    f.tree->KeyDown(key, {});
    EXPECT_EQ(key, 0);
    EXPECT_FALSE(f.tree->IsColumnDragging());
    EXPECT_EQ(f.tree->DragArrowsOverlay(), nullptr);
    EXPECT_EQ(f.tree->DragImageOverlay(), nullptr);
    // The release afterwards neither drops nor clicks.
    f.tree->MouseMove({ssLeft}, to.X + 3, to.Y);
    f.tree->MouseUp(mbLeft, {}, to.X + 3, to.Y);
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(clicks.empty());
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

TEST(TreeListLayoutStorage, StoreRestoreRoundTripsBesideTheGridSection)
{
    qel::test::TempDir dir;
    const std::string file = dir.File("QELKF.GRD");
    TreeFixture f;
    f.tree->Bands()->Add()->SetCaption("B2");
    f.colKind->SetBandIndex(1);
    f.colSize->SetWidth(123);
    f.colName->SetVisible(false);
    f.colKind->SetSorted(csUp);
    f.tree->Bands()->GetItem(0)->SetWidth(300);
    {
        TMemIniFile ini(file);
        ini.WriteString("DBGRID1", "Tree1", "captions of the application");
        TdxRegIniWrapper wrapper(&ini);
        f.tree->StoreLayout(wrapper);
        ini.UpdateFile();
    }
    TreeFixture g;
    g.tree->Bands()->Add();
    {
        TMemIniFile ini(file);
        TdxRegIniWrapper wrapper(&ini);
        g.tree->RestoreLayout(wrapper);
        EXPECT_EQ(ini.ReadString("DBGRID1", "Tree1", ""), "captions of the application");
        EXPECT_FALSE(ini.SectionExists("Tree1"));   // never a bare component name
    }
    EXPECT_EQ(HeaderOrder(*g.tree), HeaderOrder(*f.tree));
    EXPECT_EQ(g.colSize->Width(), 123);
    EXPECT_FALSE(g.colName->Visible());
    EXPECT_EQ(g.colKind->BandIndex(), 1);
    EXPECT_EQ(g.colKind->Sorted(), csUp);
    EXPECT_EQ(g.tree->SortedColumns(), f.tree->SortedColumns());
    EXPECT_EQ(g.tree->Bands()->GetItem(0)->Width(), 300);
    // Stored again, the file is the same.
    {
        TMemIniFile a(dir.File("a.ini"));
        TMemIniFile b(dir.File("b.ini"));
        TdxTreeListIniLayoutStorage sa(a), sb(b);
        f.tree->StoreLayout(sa);
        g.tree->StoreLayout(sb);
        a.UpdateFile();
        b.UpdateFile();
    }
    EXPECT_EQ(qel::test::ReadFileBytes(dir.File("a.ini")), qel::test::ReadFileBytes(dir.File("b.ini")));

    // The same through a settings-store key.
    {
        TdxRegIniWrapper key("Software\\QelTest\\TreeLayout");
        f.tree->StoreLayout(key);
        TreeFixture h;
        h.tree->Bands()->Add();
        h.tree->RestoreLayout(key);
        EXPECT_EQ(HeaderOrder(*h.tree), HeaderOrder(*f.tree));
        EXPECT_EQ(h.colSize->Width(), 123);
        EXPECT_EQ(h.colKind->Sorted(), csUp);
    }
}

namespace {

// Lays out, paints, hit-tests and scrolls every part of a tree list: under
// the sanitizers an overflow anywhere on the way stops the test.
void ExerciseLayout(TreeFixture& F)
{
    TBitmap bmp(400, 300);
    for (int left : {0, INT_MAX / 2, INT_MAX}) {
        F.tree->SetLeftCoord(left);
        F.tree->PaintTo(*bmp.Canvas(), Rect(0, 0, 400, 300));
        for (int x = 0; x < 400; x += 37)
            for (int y = 0; y < 300; y += 29)
                (void)F.tree->GetHitInfo(x, y);
    }
    for (int i = 0; i < F.tree->GetAbsoluteCount(); ++i) {
        TdxTreeListNode* node = F.tree->GetAbsoluteNode(i);
        F.tree->MakeNodeVisible(node);
        (void)F.tree->GetCellRect(node, 0);
        F.tree->PaintTo(*bmp.Canvas(), Rect(0, 0, 400, 300));
    }
    F.tree->SetTopIndex(INT_MAX);
    F.tree->PaintTo(*bmp.Canvas(), Rect(0, 0, 400, 300));
}

} // namespace

// Damaged layout values are clamped or ignored: widths, heights and indents
// a layout file or a program sets are kept within bounds, and widths add up
// without overflow.
TEST(TreeListLayoutStorage, DamagedValuesAreClampedNotApplied)
{
    qel::test::TempDir dir;
    TMemIniFile ini(dir.File("bad.ini"));
    ini.WriteString("Tree1.Column.ColSize", "Width", "-500");
    ini.WriteString("Tree1.Column.ColSize", "BandIndex", "99");
    ini.WriteString("Tree1.Column.ColSize", "Sorted", "7");
    ini.WriteString("Tree1.Column.ColSize", "RowIndex", "1000000");
    ini.WriteString("Tree1.Layout", "HeaderPanelRowCount", "-3");
    ini.WriteString("Tree1.Column.ColName", "Width", "2147483647");
    ini.WriteString("Tree1.Column.ColKind", "Width", "2147483647");
    ini.WriteString("Tree1.Band.0", "Width", "2147483647");
    TreeFixture f;
    for (int i = 0; i < 4; ++i)
        f.Add(f.Add(f.Add(nullptr, "N" + std::to_string(i), "1", "x"), "child"), "grandchild");
    f.tree->FullExpand();
    f.tree->SetOptions(f.tree->Options() + TdxTreeListOptions{aoPreview});
    f.tree->SetShowBands(true);
    f.tree->SetShowFooter(true);
    TdxTreeListIniLayoutStorage storage(ini);
    f.tree->RestoreLayout(storage);
    EXPECT_EQ(f.colSize->Width(), f.colSize->MinWidth());
    EXPECT_EQ(f.colSize->BandIndex(), 0);
    EXPECT_EQ(f.colSize->Sorted(), csNone);
    EXPECT_EQ(f.colSize->RowIndex(), 0);
    EXPECT_EQ(f.tree->HeaderPanelRowCount(), 1);
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(f.colName->Width(), dxMaxTreeListLength);
    EXPECT_EQ(f.tree->Bands()->GetItem(0)->Width(), dxMaxTreeListLength);
    ExerciseLayout(f);
    f.tree->Bands()->GetItem(0)->SetWidth(0);   // the band follows its columns again
    EXPECT_EQ(f.tree->GetReportWidth(), 2 * dxMaxTreeListLength + f.colSize->MinWidth());
    ExerciseLayout(f);

    for (int value : {INT_MAX, INT_MIN}) {
        SCOPED_TRACE(value);
        f.tree->SetDefaultRowHeight(value);
        f.tree->SetIndentDesc(value);
        f.tree->SetPreviewLines(value);
        f.tree->SetHeaderPanelRowCount(value);
        f.tree->SetIndicatorWidth(value);
        f.tree->SetMaxRowLineCount(value);
        f.colName->SetMinWidth(value);
        ExerciseLayout(f);
        f.tree->SetOptionsEx(f.tree->OptionsEx() + TdxTreeListOptionsEx{aoRowAutoHeight});
        ExerciseLayout(f);
        f.tree->SetOptionsEx(f.tree->OptionsEx() - TdxTreeListOptionsEx{aoRowAutoHeight});
    }
    EXPECT_EQ(f.tree->IndentDesc(), 0);
    f.tree->SetIndentDesc(INT_MAX);
    f.tree->SetDefaultRowHeight(INT_MAX);
    EXPECT_EQ(f.tree->IndentDesc(), dxMaxTreeListLength);
    EXPECT_EQ(f.tree->DefaultRowHeight(), dxMaxTreeListLength);
}

TEST(TreeListTimers, ClickAndExpandTimersActWhenTheyRunOut)
{
    TManualClockScope clock;
    TreeFixture f;
    auto* a = f.Add(nullptr, "A");
    f.Add(a, "A1");
    f.tree->SetOptionsEx(f.tree->OptionsEx() + TdxTreeListOptionsEx{aoDragExpand});
    f.tree->SetWaitForExpandNodeTime(500);
    f.tree->DragOverNode(a);
    EXPECT_TRUE(f.tree->ExpandTimerActive());
    clock.Advance(499);
    EXPECT_FALSE(a->Expanded());
    clock.Advance(1);
    EXPECT_TRUE(a->Expanded());
    EXPECT_FALSE(f.tree->ExpandTimerActive());
    // Moving to another node before the time is up forgets the first.
    a->SetExpanded(false);
    auto* b = f.Add(nullptr, "B");
    f.tree->DragOverNode(a);
    f.tree->DragOverNode(b);   // B has no children: nothing to expand
    EXPECT_FALSE(f.tree->ExpandTimerActive());
    clock.Advance(1000);
    EXPECT_FALSE(a->Expanded());

    // A second click on the focused cell arms the click timer; a double click disarms it.
    auto* col = f.tree->CreateColumnOf<qel::test::EditColumn>();
    f.tree->SetOptions(f.tree->Options() - TdxTreeListOptions{aoImmediateEditor});
    const TRect cell = f.tree->GetCellRect(a, col->GetColumnIndex());
    f.tree->MouseDown(mbLeft, {}, Mid(cell).X, Mid(cell).Y);
    f.tree->MouseUp(mbLeft, {}, Mid(cell).X, Mid(cell).Y);
    EXPECT_FALSE(f.tree->ClickTimerActive());
    f.tree->MouseDown(mbLeft, {}, Mid(cell).X, Mid(cell).Y);
    EXPECT_TRUE(f.tree->ClickTimerActive());
    f.tree->MouseDown(mbLeft, {ssDouble}, Mid(cell).X, Mid(cell).Y);
    EXPECT_FALSE(f.tree->ClickTimerActive());
    f.tree->MouseDown(mbLeft, {}, Mid(cell).X, Mid(cell).Y);
    clock.Advance(GetDoubleClickTime() - 1);
    EXPECT_FALSE(f.tree->IsEditing());
    clock.Advance(1);
    EXPECT_FALSE(f.tree->ClickTimerActive());
    EXPECT_TRUE(f.tree->IsEditing());
}

// ----- pictures ----------------------------------------------------------------------------

namespace {

struct Look {
    const char* Name;
    TdxLookAndFeel LookAndFeel;
    TdxTreeListPaintStyle PaintStyle;
};

class TreeListPicture : public ::testing::TestWithParam<Look> {};

void BuildSmallTree(TreeFixture& F)
{
    F.tree->SetShowBands(true);
    F.tree->SetShowFooter(true);
    F.tree->SetShowRowFooter(true);
    F.tree->SetShowIndicator(true);
    F.tree->Bands()->GetItem(0)->SetCaption("Files");
    F.tree->OnIsLevelFooter = [](TObject*, int Level, bool& IsFooter) { IsFooter = Level == 0; };
    F.tree->OnIsExistRowFooterCell = [](TObject*, TdxTreeListNode*, int Column, int, bool& E) { E = Column == 1; };
    F.tree->OnGetFooterCellText = [](TObject*, TdxTreeListNode* N, int, int, std::string& T) {
        T = N ? "Sum" : "Total";
    };
    F.tree->OnIsExistFooterCell = [](TObject*, int Column, bool& E) { E = Column == 1; };
    auto* docs = F.Add(nullptr, "Documents", "", "Folder");
    F.Add(docs, "Letter.txt", "12", "Text");
    F.Add(docs, "Plan.pdf", "340", "PDF");
    auto* pics = F.Add(nullptr, "Pictures", "", "Folder");
    F.Add(pics, "Cat.png", "88", "Image");
    F.tree->FullExpand();
    F.tree->SetFocusedNode(docs->GetItem(1));
}

} // namespace

TEST_P(TreeListPicture, RendersBandsHeadersRowsAndFooters)
{
    TreeFixture f(420, 260);
    f.tree->SetLookAndFeel(GetParam().LookAndFeel);
    f.tree->SetPaintStyle(GetParam().PaintStyle);
    BuildSmallTree(f);

    TMetafile mf;
    mf.SetWidth(420);
    mf.SetHeight(260);
    {
        TMetafileCanvas rec(&mf);
        f.tree->PaintTo(rec, Rect(0, 0, 420, 260));
    }
    std::vector<std::string> texts;
    for (const TCanvasRecord& r : mf.Records())
        if (r.Op == "DrawText" && !r.Text.empty())
            texts.push_back(r.Text);
    auto at = [&](const std::string& t) {
        return std::find(texts.begin(), texts.end(), t) - texts.begin();
    };
    // Band, then headers, then the rows in display order, then the footer.
    ASSERT_LT(at("Files"), static_cast<long>(texts.size()));
    EXPECT_LT(at("Files"), at("Name"));
    EXPECT_LT(at("Name"), at("Size"));
    EXPECT_LT(at("Kind"), at("Documents"));
    EXPECT_LT(at("Documents"), at("Letter.txt"));
    EXPECT_LT(at("Letter.txt"), at("Plan.pdf"));
    EXPECT_LT(at("Plan.pdf"), at("Sum"));        // row footer closing Documents
    EXPECT_LT(at("Sum"), at("Pictures"));
    EXPECT_LT(at("Cat.png"), at("Total"));
    EXPECT_EQ(f.tree->LastPaintedRowCount(), 5);

    TBitmap bmp(420, 260);
    f.tree->PaintTo(*bmp.Canvas(), Rect(0, 0, 420, 260));
    // The focused row is highlighted in its focused cell.
    const TRect cell = f.tree->GetCellRect(f.tree->GetFocusedNode(), f.tree->GetFocusedColumn());
    EXPECT_EQ(bmp.Pixel(cell.Right - 8, cell.Top + 3), ColorToRGB(clHighlight));
    // Saved beside the test binary, in the build tree, for a person to look at.
    const auto dir = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "treelist-pictures";
    std::filesystem::create_directories(dir);
    const std::string out = (dir / (std::string("treelist-") + GetParam().Name + ".png")).string();
    bmp.SaveToFile(out);
    // The saved picture shows what was painted.
    TBitmap saved;
    saved.LoadFromFile(out);
    ASSERT_EQ(saved.Width(), bmp.Width());
    ASSERT_EQ(saved.Height(), bmp.Height());
    for (int y = 0; y < bmp.Height(); y += 7)
        for (int x = 0; x < bmp.Width(); x += 7)
            ASSERT_EQ(saved.Pixel(x, y), bmp.Pixel(x, y)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Looks, TreeListPicture,
                         ::testing::Values(Look{"standard", lfStandard, psStandard}, Look{"flat", lfFlat, psStandard},
                                           Look{"ultraflat", lfUltraFlat, psStandard},
                                           Look{"outlook", lfStandard, psOutlook}),
                         [](const ::testing::TestParamInfo<Look>& I) { return std::string(I.param.Name); });

TEST(TreeListPaint, OnlyRowsInsideTheClipArePainted)
{
    TreeFixture f(300, 400);
    for (int i = 0; i < 2000; ++i)
        f.Add(nullptr, "N" + std::to_string(i));
    TBitmap bmp(300, 400);
    f.tree->PaintTo(*bmp.Canvas(), Rect(0, 0, 300, 400));
    const int whole = f.tree->LastPaintedRowCount();
    EXPECT_LE(whole, 400 / 18 + 1);
    const TRect row = f.tree->GetNodeRect(f.tree->GetItem(3));
    f.tree->PaintTo(*bmp.Canvas(), row);
    EXPECT_EQ(f.tree->LastPaintedRowCount(), 1);
}

TEST(TreeListPaint, EachLookDrawsItsOwnHeaderFrame)
{
    std::vector<TColor> corners;
    for (TdxLookAndFeel look : {lfStandard, lfFlat, lfUltraFlat}) {
        TreeFixture f(300, 100);
        f.tree->SetLookAndFeel(look);
        TBitmap bmp(300, 100);
        f.tree->PaintTo(*bmp.Canvas(), Rect(0, 0, 300, 100));
        const TRect h = f.tree->GetHeaderRect(1);
        corners.push_back(bmp.Pixel(h.Left, h.Top));
    }
    EXPECT_NE(corners[0], corners[1]);
    EXPECT_NE(corners[1], corners[2]);
    EXPECT_NE(corners[0], corners[2]);
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

TEST(TreeListPaint, HeadersScrolledLeftPassUnderTheIndicatorCorner)
{
    TreeFixture f(200, 120);
    f.tree->SetShowIndicator(true);
    f.Add(nullptr, "N");
    const int corner = f.tree->GetIndicatorWidth();
    const int headerBottom = f.tree->CalcRectInfo().Header.Bottom;
    auto cornerPixels = [&] {
        const auto picture = GrabControl(f.tree);
        std::vector<TColor> pixels;
        for (int y = 0; y < headerBottom; ++y)
            for (int x = 0; x < corner; ++x)
                pixels.push_back(picture->Pixel(x, y));
        return pixels;
    };
    const std::vector<TColor> unscrolled = cornerPixels();
    f.tree->SetLeftCoord(40);
    ASSERT_EQ(f.tree->LeftCoord(), 40);
    EXPECT_EQ(cornerPixels(), unscrolled);
}

TEST(TreeListHeader, DraggingABandMovesItWithItsColumns)
{
    TreeFixture f;
    f.tree->SetShowBands(true);
    f.tree->Bands()->GetItem(0)->SetCaption("One");
    f.tree->Bands()->Add()->SetCaption("Two");
    f.colKind->SetBandIndex(1);
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{0, 1, 2}));
    const TRect one = f.tree->GetBandRect(0);
    const TRect two = f.tree->GetBandRect(1);
    f.tree->MouseDown(mbLeft, {}, Mid(one).X, Mid(one).Y);
    EXPECT_EQ(f.tree->DraggedBand(), 0);
    f.tree->MouseUp(mbLeft, {}, Mid(two).X, Mid(two).Y);
    EXPECT_EQ(f.tree->Bands()->GetItem(0)->Caption(), "Two");
    EXPECT_EQ(f.colKind->BandIndex(), 0);
    EXPECT_EQ(f.colName->BandIndex(), 1);
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{2, 0, 1}));
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

TEST(TreeListRows, GroupRowsAndLevelColoursComeFromTheOverridableQueries)
{
    // A grid answers these; a plain tree list draws no group rows.
    class GroupTree : public TdxTreeList {
    public:
        using TdxTreeList::TdxTreeList;
        bool IsGroupRow(const TdxTreeListNode* Node) const override { return Node->HasChildren(); }
        std::string GetGroupRowText(TdxTreeListNode* Node) const override { return "Group: " + Node->GetString(0); }
    };
    TComponent owner(nullptr);
    auto* t = new GroupTree(&owner);
    t->SetBounds(0, 0, 300, 200);
    t->SetDefaultRowHeight(18);
    t->CreateColumn()->SetCaption("Name");
    t->CreateColumn()->SetCaption("Size");
    t->SetGroupNodeColor(clYellow);
    auto* g = t->Add();
    g->SetString(0, "Fruit");
    g->AddChild()->SetString(0, "Apple");
    g->SetExpanded(true);
    TdxTreeList plain(&owner);
    EXPECT_FALSE(plain.IsGroupRow(g));

    const TRect row = t->GetNodeRect(g);
    const TCustomdxTreeList::THitInfo hit = t->GetHitInfo(150, row.Top + 5);
    EXPECT_EQ(hit.Kind, htLabel);
    EXPECT_EQ(hit.Column, -1);   // a group row has no cells
    t->OnGetLevelColor = [](TObject*, int Level, TColor& Color) {
        if (Level == 0)
            Color = clLime;
    };
    TColor c = clWhite;
    t->GetLevelColor(1, c);
    EXPECT_EQ(c, clWhite);   // unchanged when the event leaves it
    t->GetLevelColor(0, c);
    EXPECT_EQ(c, clLime);

    TMetafile mf;
    mf.SetWidth(300);
    mf.SetHeight(200);
    {
        TMetafileCanvas rec(&mf);
        t->PaintTo(rec, Rect(0, 0, 300, 200));
    }
    bool groupText = false, childText = false;
    for (const TCanvasRecord& r : mf.Records()) {
        groupText = groupText || r.Text == "Group: Fruit";
        childText = childText || r.Text == "Apple";
    }
    EXPECT_TRUE(groupText);
    EXPECT_TRUE(childText);
    TBitmap bmp(300, 200);
    t->PaintTo(*bmp.Canvas(), Rect(0, 0, 300, 200));
    EXPECT_EQ(bmp.Pixel(150, row.Top + 2), ColorToRGB(clYellow));
    EXPECT_EQ(bmp.Pixel(3, row.Top + 2), ColorToRGB(clLime));   // the level strip of the indent
}
