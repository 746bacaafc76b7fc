// The cells of a tree-list report: the whole tree for each draw mode and
// paint style against golden dumps, the data item of each column class,
// and the colour and font rules the dumps do not make plain.
#include "printing/TreeListReportLink.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"

#include "TreeListReportTestSupport.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

// A tree list with every kind of row: two roots (one expanded, one
// collapsed), a grandchild, a check, an image, a hyperlink and a memo
// column in two bands, state images and images, previews, row footers
// and a footer.
struct CellsReport {
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    TdxTreeList* tree = new TdxTreeList(owner.get());
    TImageList* images = new TImageList(16, 16, owner.get());
    TdxTreeListReportLink* link = new TdxTreeListReportLink(owner.get());
    TdxTreeListCheckColumn* check = nullptr;
    TdxTreeListImageColumn* image = nullptr;
    TdxTreeListHyperLinkColumn* hyperlink = nullptr;

    CellsReport()
    {
        tree->SetBounds(0, 0, 600, 400);
        tree->SetDefaultRowHeight(20);
        TBitmap glyph(16, 16);
        glyph.Canvas()->Brush()->SetColor(clWhite);
        glyph.Canvas()->FillRect({0, 0, 16, 16});
        glyph.Canvas()->Brush()->SetColor(clNavy);
        glyph.Canvas()->FillRect({3, 3, 13, 13});
        images->Add(&glyph, nullptr);
        images->Add(&glyph, nullptr);
        tree->SetImages(images);
        tree->SetStateImages(images);
        tree->Bands()->GetItem(0)->SetCaption("Door");
        tree->Bands()->Add()->SetCaption("State");
        auto* name = tree->CreateColumn();
        name->SetCaption("Name");
        name->SetWidth(120);
        hyperlink = tree->CreateColumnOf<TdxTreeListHyperLinkColumn>();
        hyperlink->SetCaption("Link");
        hyperlink->SetWidth(90);
        check = tree->CreateColumnOf<TdxTreeListCheckColumn>();
        check->SetCaption("Open");
        check->SetWidth(40);
        check->SetBandIndex(1);
        image = tree->CreateColumnOf<TdxTreeListImageColumn>();
        image->SetCaption("Kind");
        image->SetWidth(50);
        image->SetBandIndex(1);
        image->SetImages(images);
        image->Values() = {"a", "b"};
        image->ImageIndexes() = {0, 1};
        image->Descriptions() = {"Alpha", "Beta"};
        auto* memo = tree->CreateColumnOf<TdxTreeListMemoColumn>();
        memo->SetCaption("Note");
        memo->SetWidth(80);
        memo->SetBandIndex(1);
        memo->SetColor(clYellow);
        memo->Font()->SetName("Liberation Serif");
        memo->SetParentFont(false);
        tree->SetShowBands(true);
        tree->SetShowRowFooter(true);
        tree->SetOptions(tree->Options() + TdxTreeListOptions{aoPreview});
        tree->OnGetPreviewText = [](TObject*, TdxTreeListNode* N, std::string& T) { T = "about " + N->GetString(0); };
        tree->OnIsLevelFooter = [](TObject*, int Level, bool& Footer) { Footer = Level == 0; };
        tree->OnIsExistRowFooterCell = [](TObject*, TdxTreeListNode*, int C, int, bool& E) { E = C == 0; };
        tree->OnIsExistFooterCell = [](TObject*, int C, bool& E) { E = C == 0; };
        tree->OnGetFooterCellText = [](TObject*, TdxTreeListNode* N, int, int, std::string& T) {
            T = N ? "subtotal" : "total";
        };
        auto add = [&](TdxTreeListNode* Parent, const std::string& Name, const char* Open, const char* Kind) {
            TdxTreeListNode* n = Parent ? Parent->AddChild() : tree->Add();
            n->SetString(0, Name);
            n->SetString(1, "http://" + Name);
            n->SetString(2, Open);
            n->SetString(3, Kind);
            n->SetString(4, "note " + Name);
            n->SetImageIndex(1);
            n->SetStateIndex(0);
            return n;
        };
        TdxTreeListNode* a = add(nullptr, "A", "True", "a");
        TdxTreeListNode* a1 = add(a, "A1", "False", "b");
        add(a1, "A1x", "True", "x");
        add(a, "A2", "True", "a");
        TdxTreeListNode* b = add(nullptr, "B", "False", "b");
        add(b, "B1", "True", "a");
        a->SetExpanded(true);
        a1->SetExpanded(true);
        test::UseTestFonts(*link);
        link->SetTransparent(false);
        link->SetColor(0xF0F0F0);
        link->SetEvenColor(0xE0FFE0);
        link->SetPreviewColor(0xFFE0E0);
        link->SetOptions(link->Options() + TdxTreeListPaintOptions{tlpo3DEffects});
        link->SetSupportedCustomDraw(true);
        link->SetComponent(tree);
    }
};

struct DumpCase {
    const char* Name;
    TdxTreeListDrawMode Mode;
    TdxTreeListPaintStyle Style;
};

class TreeListReportCells : public ::testing::TestWithParam<DumpCase> {};

TEST_P(TreeListReportCells, TheCellTreeOfEachDrawModeAndPaintStyle)
{
    CellsReport r;
    r.tree->SetPaintStyle(GetParam().Style);
    r.link->SetDrawMode(GetParam().Mode);
    r.link->SetActive(true);
    test::ExpectGolden(std::string("tree-") + GetParam().Name + ".txt", test::DumpCells(*r.link->ReportCells()));
}

INSTANTIATE_TEST_SUITE_P(Dumps, TreeListReportCells,
                         ::testing::Values(DumpCase{"strict-standard", tldmStrict, psStandard},
                                           DumpCase{"oddeven-standard", tldmOddEven, psStandard},
                                           DumpCase{"borrow-standard", tldmBorrowSource, psStandard},
                                           DumpCase{"strict-outlook", tldmStrict, psOutlook},
                                           DumpCase{"oddeven-outlook", tldmOddEven, psOutlook},
                                           DumpCase{"borrow-outlook", tldmBorrowSource, psOutlook}),
                         [](const auto& Info) {
                             std::string n = Info.param.Name;
                             n.erase(std::remove(n.begin(), n.end(), '-'), n.end());
                             return n;
                         });

// The rules the dumps hold, stated once where they are easy to miss.
TEST(TreeListReportCellRules, ColoursAndFontsByDrawMode)
{
    CellsReport r;
    r.link->SetDrawMode(tldmOddEven);
    r.link->SetActive(true);
    TdxReportCell* root = r.link->ReportCells()->Cells();
    // The first listed node is row 0: the even colour.
    TdxReportCell* first = root->Cells(0);
    EXPECT_EQ(first->Color(), r.link->EvenColor());
    EXPECT_EQ(first->DataItems(first->DataItemCount() - 2)->Color(), r.link->EvenColor());
    EXPECT_EQ(root->Cells(1)->Color(), r.link->OddColor());

    // Borrowed from the tree list: a hyperlink column prints underlined in its
    // own font, a column with a font of its own in that font.
    r.link->SetDrawMode(tldmBorrowSource);
    r.link->Rebuild();
    first = r.link->ReportCells()->Cells()->Cells(0);
    auto fontOf = [&](const char* Caption) -> TFont* {
        for (int i = 0; i < first->DataItemCount(); ++i) {
            auto* item = first->DataItems(i);
            if (auto* s = dynamic_cast<TdxReportCellString*>(item); s && s->Text().rfind(Caption, 0) == 0)
                return r.link->FontPool()->Items(item->FontIndex());
        }
        return nullptr;
    };
    ASSERT_TRUE(fontOf("http://A"));
    EXPECT_TRUE(fontOf("http://A")->Style().Contains(fsUnderline));
    ASSERT_TRUE(fontOf("note A"));
    EXPECT_EQ(fontOf("note A")->Name(), "Liberation Serif");
    EXPECT_FALSE(fontOf("A") && fontOf("A")->Style().Contains(fsUnderline));

    // Outlook style, odd/even rows, the link opaque: a node without children
    // colours its image cells as its row.
    r.tree->SetPaintStyle(psOutlook);
    r.link->SetDrawMode(tldmOddEven);
    r.link->Rebuild();
    root = r.link->ReportCells()->Cells();
    int node = -1;   // the row's place among the printed nodes
    for (int i = 0; i < root->CellCount(); ++i) {
        TdxReportCell* row = root->Cells(i);
        if (row->Data() != dxTLRowNode)
            continue;
        ++node;
        auto* imageCell = dynamic_cast<TdxReportCellCustomImage*>(row->DataItems(0));
        ASSERT_TRUE(imageCell);
        auto* name = static_cast<TdxReportCellString*>(row->DataItems(2));
        const bool leaf = name->Text() == "A1x" || name->Text() == "A2" || name->Text() == "B1";
        EXPECT_EQ(imageCell->Transparent(), !leaf) << name->Text();
        if (leaf) {
            EXPECT_EQ(imageCell->Color(), node % 2 ? r.link->OddColor() : r.link->EvenColor()) << name->Text();
        }
    }
}

// The data item of each column class; a wrapper column prints the column it wraps.
TEST(TreeListReportCellRules, TheDataItemOfEachColumnClass)
{
    CellsReport r;
    auto* graphic = r.tree->CreateColumnOf<TdxTreeListGraphicColumn>();
    graphic->SetBandIndex(1);
    auto* wrapper = r.tree->CreateColumnOf<TdxTreeListWrapperColumn>();
    wrapper->SetColumn(r.check);
    wrapper->SetBandIndex(1);
    TdxTreeListReportLink& l = *r.link;
    using F = TdxReportCellDataClass;
    const F string = &dxNewReportCellData<TdxReportCellString>;
    const F checkImage = &dxNewReportCellData<TdxReportCellCheckImage>;
    const F picture = &dxNewReportCellData<TdxReportCellGraphic>;
    const F described = &dxNewReportCellData<TdxReportCellImage>;
    EXPECT_EQ(l.GetDataItemClass(r.tree->GetColumnByIndex(0), nullptr), string);
    EXPECT_EQ(l.GetDataItemClass(r.check, nullptr), checkImage);
    EXPECT_EQ(l.GetDataItemClass(wrapper, nullptr), checkImage);
    EXPECT_EQ(l.GetDataItemClass(r.image, nullptr), picture);
    EXPECT_EQ(l.GetDataItemClass(graphic, nullptr), picture);
    r.image->SetShowDescription(true);
    EXPECT_EQ(l.GetDataItemClass(r.image, nullptr), described);
    l.SetOptions(l.Options() + TdxTreeListPaintOptions{tlpoCheckMarksAsText, tlpoGraphicAsText});
    EXPECT_EQ(l.GetDataItemClass(r.check, nullptr), string);
    EXPECT_EQ(l.GetDataItemClass(graphic, nullptr), string);
    EXPECT_EQ(l.GetDataItemClass(r.image, nullptr), described);
}

// Images are copies: the report draws them after the image list is gone.
TEST(TreeListReportCellRules, ImagesOutliveTheirList)
{
    CellsReport r;
    r.link->SetActive(true);
    delete r.images;
    TBitmap page(794, 1123);
    r.link->PaintPage(*page.Canvas(), {0, 0, 794, 1123}, 0, 0, 100);
    int navy = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 200; ++x)
            navy += page.Canvas()->Pixels(x, y) == ColorToRGB(clNavy);
    EXPECT_GT(navy, 0);
}

} // namespace
} // namespace qel
