// Painting the tree list: pictures in each look, the clip rule, header
// frames, group rows and level colours.
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
using qel::test::HeaderOrder;
using qel::test::Mid;
using qel::test::TreeFixture;

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
