// The preview window and the printer page's margins, closing while a print
// or a build runs, the settings it keeps, and pages shown while pagination
// goes on.
#include "PreviewWindowTestSupport.h"

#include <algorithm>

#include "platform/core/Locale.h"
#include "platform/storage/Registry.h"
#include "printing/PSEngine.h"

namespace qel::test {
namespace {

using PreviewWindowMargins = PreviewWindowFixture;

struct PageMargins {
    TRect Margins;
    int Header;
    int Footer;
    bool operator==(const PageMargins&) const = default;
};

PageMargins Read(TdxPrinterPage& Page)
{
    return {Page.Margins()->Rect(), Page.Header(), Page.Footer()};
}

TEST_F(PreviewWindowMargins, OpeningAndClosingTenTimesLeavesThePageAsItWas)
{
    TdxPrinterPage& page = *link->PrinterPage();
    for (TdxMeasurementUnits units : {muInches, muMillimeters}) {
        page.SetMeasurementUnits(units);
        page.BeginUpdate();
        // Values that no tenth of a millimetre holds exactly.
        page.Margins()->SetRect(units == muInches ? TRect{750, 1010, 555, 1234} : TRect{12345, 20001, 15555, 19999});
        page.SetHeader(units == muInches ? 333 : 8765);
        page.SetFooter(units == muInches ? 301 : 7777);
        page.EndUpdate();
        const PageMargins before = Read(page);
        for (int i = 0; i < 10; ++i) {
            ASSERT_NE(Open(), nullptr);
            window->Close();
            Application().ProcessMessages();
            window = nullptr;
        }
        EXPECT_EQ(Read(page), before) << (units == muInches ? "inches" : "millimetres");
    }
}

TEST_F(PreviewWindowMargins, ADraggedMarginIsWrittenInThePagesUnitAndAlone)
{
    TdxPrinterPage& page = *link->PrinterPage();
    page.Margins()->SetTop(12345);
    ASSERT_NE(Open(), nullptr);
    window->Show();
    TdxPreview& p = *window->Preview();
    ASSERT_EQ(p.MeasurementUnits(), pmuMillimeters);
    Application().ProcessMessages();
    TdxPreviewMargin& left = *p.Margins()->Left();
    const TRect line = left.LineRect();
    ASSERT_FALSE(IsRectEmpty(line));
    const int y = (std::max(line.Top, 0) + std::min(line.Bottom, p.ClientRect().Bottom)) / 2;
    SimulateMouseDown(&p, mbLeft, line.Left, y);
    SimulateMouseMove(&p, line.Left + 20, y, {ssLeft});
    ASSERT_TRUE(left.Dragging());
    const int dragged = left.DisplayValue();
    EXPECT_EQ(window->MarginBar()->Panels()->Items(dxMarginBarPanel(pmLeft))->Text(),
              PreviewUnitText(dragged, pmuMillimeters))
        << "the bar shows the dragged value";
    SimulateMouseUp(&p, mbLeft, line.Left + 20, y);
    EXPECT_EQ(left.Value(), dragged);
    EXPECT_EQ(page.Margins()->Left(), dragged * 100);
    EXPECT_EQ(page.Margins()->Top(), 12345) << "the margin not dragged is not rewritten";
    // At 96 pixels per inch no pixel stands for 20.0 mm; the drag ends in setting the value.
    left.SetValue(200);
    EXPECT_EQ(page.Margins()->Left(), 20000);

    // Without peoCanChangeMargins no margin moves and the bar shows no hints.
    printer->PreviewOptions()->SetEnableOptions({peoPrint, peoPageSetup});
    EXPECT_FALSE(p.OptionsBehavior().Contains(pobAllowDragMargins));
    EXPECT_FALSE(window->MarginBar()->ShowHint());
    const TRect moved = left.LineRect();
    SimulateMouseDown(&p, mbLeft, moved.Left, y);
    SimulateMouseMove(&p, moved.Left + 30, y, {ssLeft});
    SimulateMouseUp(&p, mbLeft, moved.Left + 30, y);
    EXPECT_EQ(page.Margins()->Left(), 20000);
}

// ----- closing --------------------------------------------------------------------------------

using PreviewWindowClosing = PreviewWindowFixture;

TEST_F(PreviewWindowClosing, EscWhilePrintingAborts)
{
    ASSERT_NE(Open(), nullptr);
    window->Show();
    printer->OnNewPage = [&](TObject*, TBasedxReportLink*, int PageIndex) {
        if (PageIndex == 2)
            SimulateKey(window->Preview(), VK_ESCAPE);
    };
    window->tbPrint->Click();
    ASSERT_NE(LastJob(), nullptr);
    EXPECT_TRUE(LastJob()->Aborted);
    EXPECT_EQ(printer->PreviewWindow(), window) << "Esc only stops the print";
}

TEST_F(PreviewWindowClosing, ClosingWhilePrintingAsksAndNoKeepsPrinting)
{
    ASSERT_NE(Open(), nullptr);
    window->Show();
    TModalResult answer = mrNo;
    std::vector<std::string> asked;
    TMessageDlgHookScope dialogs([&](const TMessageDlgParams& P) {
        asked.push_back(P.Text);
        return answer;
    });
    printer->OnNewPage = [&](TObject*, TBasedxReportLink*, int PageIndex) {
        if (PageIndex == 2)
            window->Close();
    };
    window->tbPrint->Click();
    EXPECT_EQ(asked, std::vector<std::string>{"Abort printing ?"});
    EXPECT_TRUE(LastJob()->Delivered) << "No keeps printing";
    EXPECT_EQ(printer->PreviewWindow(), window);
    EXPECT_TRUE(window->Visible());

    answer = mrYes;
    TFreeWatch watch{window};
    window->tbPrint->Click();
    EXPECT_TRUE(LastJob()->Aborted);
    Application().ProcessMessages();
    EXPECT_TRUE(watch.Freed(window)) << "the window closes once the print returns";
    window = nullptr;
}

TEST_F(PreviewWindowClosing, ClosingDuringABuildClosesAtItsEnd)
{
    ASSERT_NE(Open(), nullptr);
    window->Show();
    bool openAfterClose = false;
    link->OnRowBuilt = [&](int Row) {
        if (Row != 5)
            return;
        window->Close();
        openAfterClose = window->Visible() && window->CloseWhenJobEnds();
    };
    TFreeWatch watch{window};
    link->Rebuild();
    EXPECT_TRUE(openAfterClose) << "the build goes on with the window";
    Application().ProcessMessages();
    EXPECT_TRUE(watch.Freed(window));
    EXPECT_EQ(printer->PreviewWindow(), nullptr);
    window = nullptr;
}

TEST_F(PreviewWindowClosing, TerminatingDuringAPrintFreesTheWindowOnlyAfterIt)
{
    ASSERT_NE(Open(), nullptr);
    window->Show();
    TFreeWatch watch{window};
    bool aliveInPrint = false;
    printer->OnNewPage = [&](TObject*, TBasedxReportLink*, int PageIndex) {
        if (PageIndex != 1)
            return;
        Application().Terminate();
        window->Close();
        Application().ProcessMessages();
        aliveInPrint = !watch.Freed(window) && !window->Visible();
    };
    window->tbPrint->Click();
    Application().ResetTerminated();
    EXPECT_TRUE(aliveInPrint) << "hidden, not freed, while its print runs";
    EXPECT_TRUE(LastJob()->Aborted);
    Application().ProcessMessages();
    EXPECT_TRUE(watch.Freed(window)) << "then it closes itself";
    window = nullptr;
}

TEST_F(PreviewWindowClosing, ProgressOfAPrintWithoutPagesStaysAtNothing)
{
    ASSERT_NE(Open(), nullptr);
    std::unique_ptr<TdxEvent> start = std::make_unique<TdxPSPrintEvent>(printer, 0, link, 0);
    dxPSPublishEvent(start);
    std::unique_ptr<TdxEvent> page = std::make_unique<TdxPSPrintEvent>(printer, 1, link, 0, 1);
    dxPSPublishEvent(page);
    EXPECT_EQ(window->ProgressFraction(), 0.0);
    std::unique_ptr<TdxEvent> build = std::make_unique<TdxPSBuildEvent>(printer, 1, link, 37.9);
    dxPSPublishEvent(build);
    EXPECT_DOUBLE_EQ(window->ProgressFraction(), 0.379);
}

TEST_F(PreviewWindowClosing, TheStatusTextStaysReadableOverTheProgressBar)
{
    ASSERT_NE(Open(), nullptr);
    window->Show();
    std::unique_ptr<TdxEvent> start = std::make_unique<TdxPSBuildEvent>(printer, 0, link, 0);
    dxPSPublishEvent(start);
    std::unique_ptr<TdxEvent> build = std::make_unique<TdxPSBuildEvent>(printer, 1, link, 100);
    dxPSPublishEvent(build);
    std::unique_ptr<TBitmap> bar = GrabControl(window->StatusBar());
    ASSERT_NE(bar, nullptr);
    const TColor fill = ColorToRGB(clHighlight);
    const TColor ink = ColorToRGB(clHighlightText);
    // The filled bar's extent, then the text's pixels inside it.
    TRect filled{bar->Width(), bar->Height(), 0, 0};
    for (int y = 0; y < bar->Height(); ++y)
        for (int x = 0; x < bar->Width(); ++x)
            if (bar->Pixel(x, y) == fill)
                filled = {std::min(filled.Left, x), std::min(filled.Top, y), std::max(filled.Right, x + 1),
                          std::max(filled.Bottom, y + 1)};
    ASSERT_GT(filled.Width(), 20) << "the finished bar fills its panel";
    int inked = 0;
    for (int y = filled.Top; y < filled.Bottom; ++y)
        for (int x = filled.Left; x < filled.Right; ++x)
            inked += bar->Pixel(x, y) == ink;
    EXPECT_GT(inked, 0) << "the text over the filled bar is drawn in the highlight's text colour";
}

TEST_F(PreviewWindowClosing, FreeingTheLinkOrThePrinterWhileOpenOrPrintingClosesTheWindow)
{
    ASSERT_NE(Open(), nullptr);
    TFreeWatch watch{window};
    delete link;
    Application().ProcessMessages();
    EXPECT_TRUE(watch.Freed(window));

    link = MakeAccessMatrixLink(*printer, &owner, source);
    ASSERT_NE(Open(), nullptr);
    window->Show();
    TFreeWatch watch2{window};
    printer->OnNewPage = [&](TObject*, TBasedxReportLink*, int PageIndex) {
        if (PageIndex == 2) {
            delete printer;
            printer = nullptr;
        }
    };
    window->tbPrint->Click();
    Application().ProcessMessages();
    EXPECT_TRUE(watch2.Freed(window));
    window = nullptr;
}

// ----- settings and pagination -------------------------------------------------------------------

class PreviewWindowSettings : public PreviewWindowFixture {
protected:
    void SetUp() override
    {
        PreviewWindowFixture::SetUp();
        dxPSEngine()->SetRegistryPath("Software\\Tessaro\\PreviewWindowTest");
        TRegistry().DeleteKey("\\Software\\Tessaro\\PreviewWindowTest");
    }
    void TearDown() override
    {
        PreviewWindowFixture::TearDown();
        TRegistry().DeleteKey("\\Software\\Tessaro\\PreviewWindowTest");
        dxPSEngine()->SetRegistryPath("");
    }
    void Reopen()
    {
        window->Close();
        Application().ProcessMessages();
        ASSERT_NE(Open(), nullptr);
    }
};

TEST_F(PreviewWindowSettings, BarsToolBarLookAndZoomComeBack)
{
    ASSERT_NE(Open(), nullptr);
    Item({"&View", "M&argins Bar"})->Click();
    Item({"&View", "&Status Bar"})->Click();
    Item({"&View", "&Flat ToolBar Buttons"})->Click();
    Item({"&View", "&Large ToolBar Buttons"})->Click();
    window->ZoomByText("150");
    Reopen();
    EXPECT_FALSE(window->ShowMarginBar());
    EXPECT_FALSE(window->MarginBar()->Visible());
    EXPECT_FALSE(window->ShowStatusBar());
    EXPECT_FALSE(window->FlatCtrls());
    EXPECT_TRUE(window->LargeBtns());
    EXPECT_EQ(window->ToolBar()->ButtonHeight(), TdxfmStdPreview::LargeMetrics.ButtonHeight);
    EXPECT_EQ(window->Preview()->ZoomFactor(), 150);

    printer->PreviewOptions()->SetSaveZoomPosition(false);
    Reopen();
    EXPECT_EQ(window->Preview()->ZoomFactor(), 100) << "without SaveZoomPosition every opening is at 100 %";
    EXPECT_FALSE(window->ShowMarginBar());
}

TEST_F(PreviewWindowSettings, PagesShowWhilePaginationGoesOn)
{
    SetMatrix({6000, 8});
    link->PrinterPage()->PageFooter()->CenterTitle()->SetText("Seite [Page #] von [Total Pages]");
    std::vector<int> drawn;
    printer->OnCustomDrawPage = [&](TObject*, TBasedxReportLink*, TCanvas&, int PageIndex, const TRect&, int, int) {
        drawn.push_back(PageIndex);
    };
    ASSERT_NE(Open(false), nullptr);
    window->Show();
    const int first = window->Preview()->PageCount();
    EXPECT_GE(first, 1);
    EXPECT_FALSE(window->PaginationComplete());
    GrabControl(window->Preview());
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.front(), 0) << "the first page is painted before the last is cut";
    int last = first;
    bool rising = true;
    while (!window->PaginationComplete()) {
        clock.Advance(1);
        rising = rising && window->Preview()->PageCount() >= last;
        last = window->Preview()->PageCount();
    }
    EXPECT_TRUE(rising);
    EXPECT_GT(last, 100);
    EXPECT_EQ(last, link->GetPageCount());
    EXPECT_EQ(StatusPanel(spPageCount)->Text(), IntToStr(last));
    EXPECT_EQ(dxHFFormatObject().TotalPages(), last) << "the total the footers show";
}

} // namespace
} // namespace qel::test
