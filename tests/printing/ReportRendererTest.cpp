#include "printing/ReportLink.h"

#include "platform/core/MathUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Metafile.h"
#include "printing/PrintStyles.h"

#include "RecordedPage.h"
#include "ReportTestLink.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace qel {
namespace {

using test::TReportTestLink;

using test::Record;
using test::RecordedPage;

class LinkFixture : public test::ReportLinkFixture {};

TEST_F(LinkFixture, PaintsTheRowsOfAPage)
{
    link->Shape.Rows = 100;
    link->SetActive(true);
    ASSERT_TRUE(link->Active());
    EXPECT_GT(link->GetPageCount(), 1);
    const RecordedPage page = Record(*link, 0);
    const auto texts = page.Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "R0C0"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "R0C2"), texts.end());
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "R99C0"), texts.end());
}

// ----- page header and footer ----------------------------------------------------------------------

TEST_F(LinkFixture, FooterPartsArePlacedByTheirAlignmentsAndLinesStackFromTheirVerticalAlignment)
{
    link->Shape.Rows = 5;
    TdxPageFooter* footer = link->PrinterPage()->PageFooter();
    footer->LeftTitle()->SetText("links 1\nlinks 2");
    footer->CenterTitle()->SetText("Mitte");
    footer->RightTitle()->SetText("rechts");
    footer->SetLeftTextAlignY(taTop);
    footer->SetRightTextAlignY(taBottom);
    link->SetActive(true);
    const RecordedPage page = Record(*link, 0);
    const TRect area = link->PrinterPage()->FooterRectLoMetric();
    auto px = [](int LoMetric) { return MulDiv(LoMetric, 96, 254); };
    const TCanvasRecord* l1 = page.Find("links 1");
    const TCanvasRecord* l2 = page.Find("links 2");
    const TCanvasRecord* mid = page.Find("Mitte");
    const TCanvasRecord* right = page.Find("rechts");
    ASSERT_TRUE(l1 && l2 && mid && right);
    EXPECT_NEAR(l1->Rect.Left, px(area.Left), 1);
    EXPECT_NEAR(l1->Rect.Top, px(area.Top), 1);
    EXPECT_EQ(l2->Rect.Left, l1->Rect.Left);
    EXPECT_EQ(l2->Rect.Top, l1->Rect.Bottom);
    EXPECT_NEAR(right->Rect.Right, px(area.Right), 1);
    EXPECT_NEAR(right->Rect.Bottom, px(area.Bottom), 1);
    EXPECT_NEAR((mid->Rect.Left + mid->Rect.Right) / 2.0, (px(area.Left) + px(area.Right)) / 2.0, 1.5);
    EXPECT_NEAR((mid->Rect.Top + mid->Rect.Bottom) / 2.0, (px(area.Top) + px(area.Bottom)) / 2.0, 1.5);
}

TEST_F(LinkFixture, EvenPrintedNumbersSwapTheSidesWhateverTheFirstNumberAndTheHiddenPages)
{
    // Rows 0-59 and 150-199 hold text; the pages between are empty and hidden.
    link->Shape.Rows = 200;
    link->Shape.Skip = [](int R) { return R >= 60 && R < 150; };
    link->SetCanHaveEmptyPages(true);
    TdxPageFooter* footer = link->PrinterPage()->PageFooter();
    footer->LeftTitle()->SetText("L");
    footer->RightTitle()->SetText("R");
    footer->CenterTitle()->SetText("[Page #]");
    link->PrinterPage()->SetReverseTitlesOnEvenPages(true);
    link->SetActive(true);
    ASSERT_GT(link->RenderInfo()->EmptyPageCount(), 0);
    EXPECT_EQ(link->GetPageCount(), link->GetVisiblePageCount());
    for (int start : {0, 1, 2}) {
        link->SetStartPageIndex(start);
        const int first = std::max(1, start);
        for (int visible = 0; visible < link->GetPageCount(); ++visible) {
            const RecordedPage page = Record(*link, visible);
            const TCanvasRecord* l = page.Find("L");
            const TCanvasRecord* r = page.Find("R");
            ASSERT_TRUE(l && r);
            const int number = first + visible;
            EXPECT_NE(page.Find(" " + std::to_string(number) + " "), nullptr) << "start " << start << " page " << visible;
            EXPECT_EQ(l->Rect.Left > r->Rect.Left, number % 2 == 0) << "start " << start << " page " << visible;
        }
    }
}

TEST_F(LinkFixture, APartNeverPaintsOverAnEarlierOne)
{
    link->Shape.Rows = 3;
    link->SetActive(true);
    TdxPageHeader* header = link->PrinterPage()->PageHeader();
    auto paint = [&](const std::string& Left, const std::string& Centre) {
        header->LeftTitle()->SetText(Left);
        header->CenterTitle()->SetText(Centre);
        auto bitmap = std::make_unique<TBitmap>(400, 566);
        link->PaintPage(*bitmap->Canvas(), {0, 0, 400, 566}, 0, 0, 100);
        return bitmap;
    };
    const std::string wide(60, 'M');
    const auto both = paint(wide, "W");
    const auto leftOnly = paint(wide, "");
    const auto centreOnly = paint("", "W");
    const auto blank = paint("", "");
    EXPECT_TRUE(both->Equals(leftOnly.get()));
    EXPECT_FALSE(centreOnly->Equals(blank.get()));
}

// ----- what drawing must leave as it was --------------------------------------------------------

TEST_F(LinkFixture, ARaisingCustomDrawLeavesTheCanvasTheItemAndTheLockAsTheyWere)
{
    link->Shape.Rows = 5;
    link->SetActive(true);
    TdxReportCellString* item = nullptr;
    link->CustomDraw = [&](TCanvas&, TAbstractdxReportCellData& Item, const TRect&) -> bool {
        item = dynamic_cast<TdxReportCellString*>(&Item);
        item->SetText("verändert");
        item->SetColor(clRed);
        item->SetTransparent(false);
        throw EAbort("Abbruch");
    };
    TBitmap bitmap(200, 283);
    TCanvas& canvas = *bitmap.Canvas();
    canvas.Font()->SetName("Arial");
    const TCanvas::MapState before{canvas.MapMode(), canvas.WindowOrg(), canvas.WindowExt(), canvas.ViewportOrg(),
                                   canvas.ViewportExt()};
    EXPECT_THROW(link->PaintPage(canvas, {0, 0, 200, 283}, 0, 0, 100), EAbort);
    ASSERT_NE(item, nullptr);
    EXPECT_NE(item->Text(), "verändert");
    EXPECT_TRUE(item->UseParentColor());
    EXPECT_TRUE(item->Transparent());
    EXPECT_EQ(canvas.MapMode(), before.Mode);
    EXPECT_EQ(canvas.WindowExt(), before.WndExt);
    EXPECT_EQ(canvas.ViewportOrg(), before.VpOrg);
    EXPECT_EQ(canvas.Font()->Name(), "Arial");
    TRegion clip;
    EXPECT_FALSE(canvas.GetClipRgn(clip));
    EXPECT_FALSE(link->RenderInfo()->Locked());
    EXPECT_FALSE(link->IsPainting());
    link->CustomDraw = nullptr;
    link->PaintPage(canvas, {0, 0, 200, 283}, 0, 0, 100);   // draws again
}

TEST_F(LinkFixture, ARecalculationAskedForWhileDrawingRunsWhenDrawingEnds)
{
    link->Shape.Rows = 300;
    link->SetActive(true);
    const int before = link->GetPageCount();
    bool asked = false;
    link->CustomDraw = [&](TCanvas&, TAbstractdxReportCellData&, const TRect&) {
        if (!asked) {
            asked = true;
            link->PrinterPage()->SetScaleFactor(50);   // fewer pages
            EXPECT_TRUE(link->RenderInfo()->RecalculationPending());
        }
        return false;
    };
    TBitmap bitmap(200, 283);
    link->PaintPage(*bitmap.Canvas(), {0, 0, 200, 283}, 0, 0, 100);
    EXPECT_TRUE(asked);
    EXPECT_FALSE(link->RenderInfo()->RecalculationPending());
    EXPECT_LT(link->GetPageCount(), before);
    EXPECT_EQ(link->RenderInfo()->ZoomDenominator(), 50);
}

TEST_F(LinkFixture, DrawingScalesCopiesNeverTheStoredFonts)
{
    link->Shape.Rows = 40;
    link->SetReportTitleText("Titel");
    link->ReportTitle()->SetAdjustOnReportScale(true);
    link->PrinterPage()->PageHeader()->CenterTitle()->SetText("Kopfzeile");
    link->PrinterPage()->SetScaleFactor(50);
    link->SetActive(true);
    const int titleHeight = link->ReportTitle()->Font()->Height();
    const int headerHeight = link->PrinterPage()->PageHeader()->Font()->Height();
    const int titleUnits = static_cast<int>(link->RenderInfo()->TitleHeight());
    for (int round = 0; round < 3; ++round) {
        Record(*link, 0, 600, true);
        link->CalculateRenderInfo();
        link->GetPageCount();
    }
    EXPECT_EQ(link->ReportTitle()->Font()->Height(), titleHeight);
    EXPECT_EQ(link->PrinterPage()->PageHeader()->Font()->Height(), headerHeight);
    EXPECT_EQ(link->RenderInfo()->TitleHeight(), titleUnits);
}

TEST_F(LinkFixture, AStyleFreedByAHeaderHandlerLeavesThePageToTheLinksOwn)
{
    auto* manager = new TdxPrintStyleManager(&owner);
    TBasedxPrintStyle* style = manager->AddStyle();
    manager->SetCurrentStyle(style);
    style->PrinterPage()->PageHeader()->CenterTitle()->SetText("Stil");
    link->SetStyleManager(manager);
    link->Shape.Rows = 10;
    link->SetActive(true);
    link->OnCustomDrawPageHeader = [&](TObject*, TCanvas&, int, TRect&, int, int, bool&, bool&) {
        delete manager;
        manager = nullptr;
    };
    const RecordedPage page = Record(*link, 0);
    EXPECT_EQ(manager, nullptr);
    EXPECT_EQ(link->StyleManager(), nullptr);
    EXPECT_EQ(page.Find("Stil"), nullptr);
    EXPECT_NE(page.Find("R0C0"), nullptr);
}

TEST_F(LinkFixture, AComponentFreedWhileAPageIsDrawnEndsTheReportAfterwards)
{
    link->Shape.Rows = 10;
    link->SetActive(true);
    link->CustomDraw = [&](TCanvas&, TAbstractdxReportCellData&, const TRect&) {
        delete source;
        source = nullptr;
        return false;
    };
    const RecordedPage page = Record(*link, 0);
    EXPECT_NE(page.Find("R9C2"), nullptr);   // the page was drawn whole
    EXPECT_FALSE(link->Active());
    EXPECT_EQ(link->Component(), nullptr);
    EXPECT_EQ(link->ReportCells(), nullptr);
}

// ----- items ---------------------------------------------------------------------------------------

class TItemsLink : public TReportTestLink {
public:
    using TReportTestLink::TReportTestLink;
    std::function<void(TdxReportCell&)> Fill;

protected:
    void ConstructReport(TdxReportCells& Cells) override
    {
        TBasedxReportLink::ConstructReport(Cells);
        Cells.Cells()->SetBoundsRect({0, 0, 400, 100});
        TdxReportCell* row = Cells.Cells()->AddCell();
        row->SetBoundsRect({0, 0, 400, 100});
        Fill(*row);
    }
};

TEST(ReportItemsDrawing, FontsPastThePoolGlyphsShortOfStatesAndTinyText)
{
    TComponent owner(nullptr);
    auto* link = new TItemsLink(&owner);
    link->SetComponent(new TComponent(&owner));
    TdxReportCellCheckImage* two = nullptr;
    link->Fill = [&](TdxReportCell& Row) {
        auto* known = Row.AddDataItem<TdxReportCellString>();
        known->SetBoundsRect({0, 0, 200, 30});
        known->SetText("Standard");
        known->SetFontIndex(-1);
        auto* past = Row.AddDataItem<TdxReportCellString>();
        past->SetBoundsRect({200, 0, 400, 30});
        past->SetText("Standard");
        past->SetFontIndex(99);
        two = Row.AddDataItem<TdxReportCellCheckImage>();
        two->SetBoundsRect({0, 40, 40, 80});
        TBitmap glyph(26, 13);
        two->SetGlyph(&glyph);
        two->SetGlyphCount(2);
    };
    link->SetActive(true);
    auto recorded = [&] {
        TMetafile mf;
        mf.SetWidth(794);
        mf.SetHeight(1123);
        TMetafileCanvas canvas(&mf);
        link->PaintPage(canvas, {0, 0, 794, 1123}, 0, 0, 100);
        canvas.Finish();
        return mf.Records();
    };
    std::vector<TCanvasRecord> records = recorded();
    std::vector<TRect> texts;
    int frames = 0;
    int stretches = 0;
    for (const TCanvasRecord& r : records) {
        if (r.Op == "TextOut" && r.Text == "Standard")
            texts.push_back(r.Rect);
        frames += r.Op == "DrawFrameControl";
        stretches += r.Op == "StretchDraw";
    }
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].Width(), texts[1].Width());   // the report's font
    EXPECT_EQ(texts[0].Height(), texts[1].Height());
    EXPECT_EQ(stretches, 1);   // unchecked: the glyph's first image
    EXPECT_EQ(frames, 0);

    // Grayed: the glyph holds no third image, so the plain check is drawn.
    link->Fill = [&](TdxReportCell& Row) {
        auto* check = Row.AddDataItem<TdxReportCellCheckImage>();
        check->SetBoundsRect({0, 40, 40, 80});
        TBitmap glyph(26, 13);
        check->SetGlyph(&glyph);
        check->SetGlyphCount(2);
        check->SetEnabled(false);
    };
    link->Rebuild();
    records = recorded();
    frames = stretches = 0;
    for (const TCanvasRecord& r : records) {
        frames += r.Op == "DrawFrameControl";
        stretches += r.Op == "StretchDraw";
    }
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(stretches, 0);

    // Text too small to read on a thumbnail becomes grey bars.
    link->Fill = [&](TdxReportCell& Row) {
        auto* text = Row.AddDataItem<TdxReportCellString>();
        text->SetBoundsRect({0, 0, 200, 30});
        text->SetText("winzig");
    };
    link->Rebuild();
    TMetafile mf;
    mf.SetWidth(40);
    mf.SetHeight(57);
    {
        TMetafileCanvas canvas(&mf);
        link->PaintPage(canvas, {0, 0, 40, 57}, 0, 0, 100);
    }
    for (const TCanvasRecord& r : mf.Records())
        EXPECT_NE(r.Text, "winzig");
}

} // namespace
} // namespace qel
