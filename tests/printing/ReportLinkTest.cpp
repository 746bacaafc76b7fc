#include "printing/ReportLink.h"

#include "platform/controls/Dialogs.h"
#include "platform/controls/Menus.h"
#include "platform/graphics/Metafile.h"
#include "platform/core/Guards.h"
#include "platform/printers/ScriptedPrinters.h"
#include "printing/PrintStyles.h"

#include "ReportTestLink.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::TReportTestLink;

// A component printer that records the brackets a link opens and closes.
class TRecordingPrinter : public TAbstractdxComponentPrinter {
public:
    using TAbstractdxComponentPrinter::TAbstractdxComponentPrinter;
    std::vector<std::string> Log;
    TBasedxReportLink* Current{nullptr};
    int Date{0};
    int Time{0};
    TdxPageNumberFormat Numbers{pnfNumeral};
    bool AutoUpdate{true};
    std::function<void(double)> OnProgress;

    bool AutoUpdateDateTime() const override { return AutoUpdate; }
    int DateFormat() const override { return Date; }
    int TimeFormat() const override { return Time; }
    TdxPageNumberFormat PageNumberFormat() const override { return Numbers; }
    void SetAutoUpdateDateTime(bool Value) override { AutoUpdate = Value; }
    void SetDateFormat(int Value) override { Date = Value; }
    void SetTimeFormat(int Value) override { Time = Value; }
    TBasedxReportLink* CurrentLink() const override { return Current; }
    void BeginGenerateReport(TBasedxReportLink*) override { Log.push_back("build"); }
    void EndGenerateReport(TBasedxReportLink*) override { Log.push_back("built"); }
    void BeginLongOperation() override { Log.push_back("long"); }
    void EndLongOperation() override { Log.push_back("done"); }
    void GenerateReportProgress(TBasedxReportLink*, double Percent) override
    {
        if (OnProgress)
            OnProgress(Percent);
    }
    void RemoveLink(TBasedxReportLink* Link) override
    {
        if (Current == Link)
            Current = nullptr;
    }
};

class ReportLink : public test::ReportLinkFixture {};

// ----- activation and builds -------------------------------------------------------------------------

TEST_F(ReportLink, ActivationNeedsAComponentAndAFailedBuildLeavesNothing)
{
    link->SetComponent(nullptr);
    EXPECT_EQ(test::MessageOf<EdxReportLink>([&] { link->SetActive(true); }), "Missing \"Component\" property");
    EXPECT_FALSE(link->Active());

    auto* printer = new TRecordingPrinter(&owner);
    link->SetComponentPrinter(printer);
    link->SetComponent(source);
    link->OnRowBuilt = [](int Row) {
        if (Row == 3)
            throw EConvertError("kaputt");
    };
    EXPECT_THROW(link->SetActive(true), EConvertError);
    EXPECT_FALSE(link->Active());
    EXPECT_EQ(link->ReportCells(), nullptr);
    EXPECT_EQ(link->GetPageCount(), 0);
    EXPECT_EQ(printer->Log, (std::vector<std::string>{"long", "build", "built", "done"}));

    // Aborted from its own progress events.
    link->OnRowBuilt = nullptr;
    printer->Log.clear();
    printer->OnProgress = [](double Percent) {
        if (Percent >= 50)
            throw EAbort("Abbruch");
    };
    EXPECT_THROW(link->SetActive(true), EAbort);
    EXPECT_FALSE(link->Active());
    EXPECT_EQ(printer->Log, (std::vector<std::string>{"long", "build", "built", "done"}));

    // The component freed while the report is built.
    printer->OnProgress = nullptr;
    link->OnRowBuilt = [&](int Row) {
        if (Row == 2) {
            delete source;
            source = nullptr;
        }
    };
    EXPECT_EQ(test::MessageOf<EdxReportLink>([&] { link->SetActive(true); }), "Missing \"Component\" property");
    EXPECT_FALSE(link->Active());
    EXPECT_EQ(link->Component(), nullptr);
    EXPECT_EQ(link->ReportCells(), nullptr);
    link->SetComponentPrinter(nullptr);
}

TEST_F(ReportLink, RebuildingAndReactivatingGiveTheSamePages)
{
    link->Shape.Rows = 150;
    Activate();
    const int pages = link->GetPageCount();
    link->Rebuild();
    EXPECT_EQ(link->GetPageCount(), pages);
    link->SetActive(false);
    EXPECT_EQ(link->GetPageCount(), 0);
    EXPECT_EQ(link->ReportWidth(), 0);
    link->SetActive(true);
    EXPECT_EQ(link->GetPageCount(), pages);
    EXPECT_EQ(link->Builds, 3);
    EXPECT_FALSE(link->RebuildNeeded());
    link->SetColor(clYellow);
    EXPECT_TRUE(link->RebuildNeeded());
}

TEST_F(ReportLink, AMillionRowsBuildPaginateAndPrintPast32Bits)
{
    link->Shape.Rows = 1'000'000;
    link->Shape.ColumnWidths = {200};
    Activate();
    EXPECT_EQ(link->ReportHeight(), 2'100'000'000LL);
    // 102,652 / 2,100: 48 rows a page.
    const int pages = link->GetPageCount();
    EXPECT_EQ(pages, (1'000'000 + 47) / 48);
    TMetafile mf;
    mf.SetWidth(794);
    mf.SetHeight(1123);
    {
        TMetafileCanvas canvas(&mf);
        link->PaintPage(canvas, {0, 0, 794, 1123}, pages - 1, pages - 1, 100);
    }
    bool last = false;
    for (const TCanvasRecord& r : mf.Records())
        last = last || r.Text == "R999999C0";
    EXPECT_TRUE(last);
}

// ----- scale --------------------------------------------------------------------------------------

TEST_F(ReportLink, FitToPagesTakesTheLargestScaleThatKeepsTheCountsAskedFor)
{
    struct Case {
        const char* Why;
        std::vector<int> Columns;
        int Rows;
        int Wide;
        int Tall;
        int Expected;
    };
    // 69,770 units across: columns of 300 pixels are 30,000 units.
    const Case cases[] = {
        {"one page wide", std::vector<int>(6, 300), 200, 1, 0, 38},
        {"two pages wide", std::vector<int>(6, 300), 200, 2, 0, 77},
        // 69,770 * 2 * 100 / 120,000 - 1 = 115 puts one 400-pixel column on a
        // page, three pages; two columns (80,000) fit up to 87.
        {"cuts fall on delimiters", std::vector<int>(3, 400), 200, 2, 0, 87},
        // 102,652 * 3 * 100 / 420,000 - 1 = 72: 67 rows a page, three pages.
        {"three pages tall", {300}, 200, 0, 3, 72},
        {"the narrower of both", std::vector<int>(6, 300), 200, 2, 3, 72},
        {"a tiny report stops at 500", {10}, 1, 1, 1, 500},
    };
    for (const Case& c : cases) {
        link->Shape.Rows = c.Rows;
        link->Shape.ColumnWidths = c.Columns;
        link->PrinterPage()->SetFitToPagesByWide(c.Wide);
        link->PrinterPage()->SetFitToPagesByTall(c.Tall);
        if (!link->Active())
            Activate();
        else
            link->Rebuild();
        EXPECT_EQ(link->GetRealScaleFactor(), c.Expected) << c.Why;
        int across = 0;
        int down = 0;
        link->GetPageCounts(across, down);
        EXPECT_TRUE(c.Wide <= 0 || across <= c.Wide) << c.Why;
        EXPECT_TRUE(c.Tall <= 0 || down <= c.Tall) << c.Why;
    }
    // No limit on either axis: the page's own scale.
    link->PrinterPage()->SetScaleFactor(70);
    link->PrinterPage()->SetFitToPagesByWide(0);
    link->PrinterPage()->SetFitToPagesByTall(0);
    EXPECT_EQ(link->PrinterPage()->ScaleMode(), smFit);
    EXPECT_EQ(link->GetRealScaleFactor(), 70);
    // A huge report stops at 10.
    link->PrinterPage()->SetFitToPagesByWide(1);
    link->Shape.Rows = 200;
    link->Shape.ColumnWidths = {100000};
    link->Rebuild();
    EXPECT_EQ(link->GetRealScaleFactor(), 10);
    // A report without width takes 100.
    link->Shape.ColumnWidths = {};
    link->Rebuild();
    EXPECT_EQ(link->GetRealScaleFactor(), 100);
}

TEST_F(ReportLink, ShrinkingToThePageWidthLimitsTheWidthOnly)
{
    link->Shape.Rows = 300;
    link->Shape.ColumnWidths = std::vector<int>(6, 300);
    Activate();
    int across = 0;
    int down = 0;
    link->GetPageCounts(across, down);
    EXPECT_EQ(across, 3);
    link->SetShrinkToPageWidth(true);
    EXPECT_EQ(link->PrinterPage()->ScaleMode(), smFit);
    EXPECT_EQ(link->PrinterPage()->FitToPagesByWide(), 1);
    EXPECT_EQ(link->PrinterPage()->FitToPagesByTall(), 1);   // as stored links expect
    link->GetPageCounts(across, down);
    EXPECT_EQ(across, 1);
    EXPECT_GT(down, 1);
    EXPECT_EQ(link->GetRealScaleFactor(), 38);
    link->SetShrinkToPageWidth(false);
    EXPECT_EQ(link->PrinterPage()->ScaleMode(), smAdjust);
    EXPECT_EQ(link->GetRealScaleFactor(), 100);
}

// ----- pages and numbering --------------------------------------------------------------------

TEST_F(ReportLink, CurrentPageStaysWithinTheVisiblePages)
{
    link->Shape.Rows = 300;
    link->Shape.Skip = [](int R) { return R >= 50 && R < 250; };
    link->SetCanHaveEmptyPages(true);
    Activate();
    const int all = link->RenderInfo()->PageCount();
    const int shown = link->GetPageCount();
    ASSERT_LT(shown, all);
    link->SetCurrentPage(all);
    EXPECT_EQ(link->CurrentPage(), shown);
    link->SetShowEmptyPages(true);
    link->SetCurrentPage(all);
    EXPECT_EQ(link->CurrentPage(), all);
    EXPECT_EQ(link->GetPageCount(), shown);   // numbers still count the non-empty pages
    // 48 rows fill the first page, the rows up to 49 start the second; the
    // gap is cut at page edges (no delimiter lies in it) into empty pages.
    EXPECT_FALSE(link->IsEmptyPage(0));
    EXPECT_FALSE(link->IsEmptyPage(1));
    EXPECT_TRUE(link->IsEmptyPage(2));
    EXPECT_FALSE(link->IsEmptyPage(all - 1));
    EXPECT_EQ(link->RenderInfo()->EmptyPageCount(), all - shown);
    EXPECT_TRUE(link->IsEmptyPage(all));
    EXPECT_TRUE(link->IsEmptyPage(-1));
    link->SetCurrentPage(0);
    EXPECT_EQ(link->CurrentPage(), 1);
    link->SetActive(false);
    link->SetCurrentPage(5);
    EXPECT_EQ(link->CurrentPage(), 1);
}

TEST_F(ReportLink, PageParametersReachTheLinkThroughItsOwnPageAndTheStyleManager)
{
    link->Shape.Rows = 300;
    Activate();
    const int pages = link->GetPageCount();
    link->PrinterPage()->Margins()->SetTop(60000);   // 60 mm: fewer rows a page
    EXPECT_GT(link->GetPageCount(), pages);
    link->PrinterPage()->Margins()->SetTop(12700);
    EXPECT_EQ(link->GetPageCount(), pages);

    auto* manager = new TdxPrintStyleManager(&owner);
    TBasedxPrintStyle* style = manager->AddStyle();
    style->PrinterPage()->SetMeasurementUnits(muMillimeters);
    style->PrinterPage()->SetDMPaper(9);
    link->SetStyleManager(manager);
    EXPECT_EQ(link->GetRealPrinterPage(), style->PrinterPage());
    EXPECT_EQ(link->GetPageCount(), pages);
    style->PrinterPage()->SetScaleFactor(50);   // heard through the event system
    EXPECT_LT(link->GetPageCount(), pages);
    // The link's own page is not in force now.
    const int halved = link->GetPageCount();
    link->PrinterPage()->SetScaleFactor(25);
    EXPECT_EQ(link->GetPageCount(), halved);
    delete manager;   // the link's own page, at 25 %, is in force again
    EXPECT_EQ(link->StyleManager(), nullptr);
    EXPECT_EQ(link->RenderInfo()->ZoomDenominator(), 25);
}

TEST_F(ReportLink, TitleChangesThatMoveBreaksRecalculateOthersOnlyStore)
{
    int measured = 0;
    link->OnMeasureReportLinkTitle = [&](TBasedxReportLink*, int&) { ++measured; };
    link->SetReportTitleText("Zutritt");
    Activate();
    measured = 0;
    link->SetReportTitleText("ZUTRITT");   // the same letters: stored, no recalculation
    EXPECT_EQ(link->ReportTitleText(), "ZUTRITT");
    EXPECT_EQ(measured, 0);
    link->ReportTitle()->SetColor(clRed);
    link->ReportTitle()->SetTextAlignX(taRight);
    EXPECT_EQ(measured, 0);
    link->SetReportTitleText("Anderer Titel");
    EXPECT_EQ(measured, 1);
    link->ReportTitle()->Font()->SetSize(20);
    EXPECT_EQ(measured, 2);
    TdxReportTitle other;
    other.SetText("Dritter");
    other.SetMode(tmOnFirstPage);
    link->ReportTitle()->Assign(&other);   // one bracket, one recalculation
    EXPECT_EQ(measured, 3);
    EXPECT_EQ(link->ReportTitleMode(), tmOnFirstPage);
    link->ReportTitle()->RestoreDefaults();
    EXPECT_EQ(link->ReportTitle()->Font()->Name(), "Times New Roman");
    EXPECT_EQ(link->ReportTitle()->Font()->Size(), 14);
    EXPECT_EQ(link->ReportTitleMode(), tmOnEveryTopPage);
}

TEST_F(ReportLink, TheTitleIsMeasuredAtItsDrawnSizeAndLimitedToHalfThePage)
{
    link->SetReportTitleText("Zutrittsmatrix der Türen und Boxen");
    Activate();
    TFont font;
    font.Assign(link->ReportTitle()->Font());
    const int pixels = dxMeasureTextHeightPixels(font, link->ReportTitleText(),
                                                 link->PrinterPage()->PageContentRectPixels().Width(),
                                                 DT_WORDBREAK | DT_CENTER) + 4;
    EXPECT_EQ(link->RenderInfo()->TitleHeight(), pixels * 100);
    link->OnMeasureReportLinkTitle = [](TBasedxReportLink*, int& Height) { Height = 5000; };
    link->CalculateRenderInfo();
    EXPECT_EQ(link->RenderInfo()->TitleHeight(), link->PrinterPage()->PageContentRectPixels().Height() / 2 * 100);
}

// ----- settings -----------------------------------------------------------------------------------

TEST_F(ReportLink, FormatsFollowThePrinterUnlessTheLinkHasItsOwn)
{
    link->SetStartPageIndex(0);
    EXPECT_EQ(link->StartPageIndex(), 1);
    const int dates = DateFormatList()->Count();
    link->SetDateFormat(99);
    EXPECT_EQ(link->DateFormat(), dates - 1);
    link->SetDateFormat(-3);
    EXPECT_EQ(link->DateFormat(), 0);

    auto* printer = new TRecordingPrinter(&owner);
    printer->Date = 2;
    printer->Current = link;
    link->SetComponentPrinter(printer);
    link->SetAssignedFormatValues({});
    EXPECT_EQ(link->DateFormat(), 2);
    link->SetDateFormat(1);
    EXPECT_TRUE(link->AssignedFormatValues().Contains(fvDate));
    EXPECT_EQ(link->DateFormat(), 1);
    EXPECT_EQ(dxHFFormatObject().DateFormat(), DateFormatList()->Get(1));
    link->SetDateFormat(2);   // the printer's: follows the printer again
    EXPECT_FALSE(link->AssignedFormatValues().Contains(fvDate));
    printer->Date = 3;
    EXPECT_EQ(link->DateFormat(), 3);
    link->SetComponentPrinter(nullptr);
}

TEST_F(ReportLink, DialogsRunThroughTheirRunnersAndAnswerFalseWithoutOne)
{
    EXPECT_FALSE(link->ShowDateTimeFormatsDlg());
    EXPECT_FALSE(link->ShowPageNumberFormatsDlg());
    EXPECT_FALSE(link->ShowTitlePropertiesDlg());
    auto& runners = dxReportLinkDialogRunners();
    runners.DateTimeFormats = [](TdxDateTimeFormatsDlgData& Data) {
        EXPECT_FALSE(Data.ShowAsDefaultButton) << "without a printer there is no default to set";
        Data.DateFormatIndex = 1;
        Data.TimeFormatIndex = 2;
        return true;
    };
    runners.PageNumberFormat = [](TdxPageNumberFormatDlgData& Data) {
        EXPECT_EQ(Data.StartPageIndex, 3);
        Data.PageNumberFormatIndex = pnfUpperRoman;
        Data.StartPageIndex = 9;   // shown, not taken back
        return true;
    };
    runners.ReportTitle = [](TdxReportTitle& Title, int) {
        Title.SetText("Neu");
        return true;
    };
    link->SetStartPageIndex(3);
    EXPECT_TRUE(link->ShowDateTimeFormatsDlg());
    EXPECT_EQ(link->DateFormat(), 1);
    EXPECT_EQ(link->TimeFormat(), 2);
    EXPECT_TRUE(link->ShowPageNumberFormatsDlg());
    EXPECT_EQ(link->PageNumberFormat(), pnfUpperRoman);
    EXPECT_EQ(link->StartPageIndex(), 3);
    EXPECT_TRUE(link->ShowTitlePropertiesDlg());
    EXPECT_EQ(link->ReportTitleText(), "Neu");
    runners = {};

    // No menu builder installed: the style menu stays as it was.
    TdxPrintStyleManager* manager = new TdxPrintStyleManager(&owner);
    manager->AddStyle();
    link->SetStyleManager(manager);
    TPopupMenu menu(nullptr);
    auto* kept = new TMenuItem(menu.Items());
    menu.Items()->Add(kept);
    EXPECT_FALSE(link->BuildPageSetupMenu(menu.Items()));
    ASSERT_EQ(menu.Items()->Count(), 1);
    EXPECT_EQ(menu.Items()->Items(0), kept);
    runners.PageSetupMenu = [](TComponent*, const TNotifyEvent&, const TdxPrintStylePickedEvent&, TBasedxPrintStyle*,
                               const TStrings&, bool) { ADD_FAILURE() << "no menu without a root"; };
    EXPECT_FALSE(link->BuildPageSetupMenu(nullptr));
    runners = {};
}

TEST_F(ReportLink, MarginsOutsideThePrintableAreaAskBeforePrinting)
{
    EXPECT_TRUE(link->CheckMargins());   // no printer installed: nothing to ask
    dxPrintDeviceInstance(2);
    dxSetPrintDeviceBackendFactory([] {
        auto backend = std::make_unique<TScriptedPrinterBackend>();
        TScriptedPrinter printer = TScriptedPrinterBackend::MakePrinter("Laser");
        for (TPrinterPaper& paper : *printer.Papers)
            paper.MarginLeft = paper.MarginTop = paper.MarginRight = paper.MarginBottom = 100;   // 10 mm
        backend->List.push_back(printer);
        backend->Default = "Laser";
        return backend;
    });
    Finally restore([] {
        dxPrintDeviceInstance(2);
        dxSetPrintDeviceBackendFactory({});
    });
    EXPECT_TRUE(link->CheckMargins());   // 12.7 mm margins lie inside
    link->PrinterPage()->Margins()->SetLeft(5000);
    std::string asked;
    TModalResult answer = mrNo;
    TMessageDlgHookScope hook([&](const TMessageDlgParams& Params) {
        asked = Params.Text;
        return answer;
    });
    EXPECT_FALSE(link->CheckMargins());
    EXPECT_EQ(asked, "One or more margins are set outside the printable area of the page.\r\nDo you want to continue ?");
    answer = mrYes;
    EXPECT_TRUE(link->CheckMargins());
}

TEST_F(ReportLink, AComponentPrinterFreedWhileItsBracketIsOpenIsForgotten)
{
    auto* printer = new TRecordingPrinter(&owner);
    link->SetComponentPrinter(printer);
    link->Shape.Rows = 20;
    link->OnRowBuilt = [&](int Row) {
        if (Row == 10) {
            delete printer;
            printer = nullptr;
        }
    };
    Activate();
    EXPECT_TRUE(link->Active());
    EXPECT_EQ(link->ComponentPrinter(), nullptr);
    EXPECT_GT(link->GetPageCount(), 0);
}

TEST_F(ReportLink, TheRoomOnThePaperIsTheSameInInchesAndMillimetres)
{
    Activate();
    TdxPSReportRenderInfo* info = link->RenderInfo();
    const std::int64_t width = info->AvailableWidth();
    const std::int64_t height = info->AvailableHeight();
    EXPECT_EQ(width, 69770);
    EXPECT_EQ(height, 102652);
    link->PrinterPage()->SetMeasurementUnits(muInches);
    link->CalculateRenderInfo();
    EXPECT_NEAR(static_cast<double>(info->AvailableWidth()), static_cast<double>(width), 40.0);
    EXPECT_NEAR(static_cast<double>(info->AvailableHeight()), static_cast<double>(height), 40.0);
    link->PrinterPage()->SetOrientation(poLandscape);
    EXPECT_NEAR(static_cast<double>(info->AvailableWidth()), static_cast<double>(height), 40.0);
    EXPECT_EQ(info->PaperWidth(), 112252);   // 297 mm
}

TEST_F(ReportLink, AssigningCopiesTheListedSettings)
{
    TReportTestLink other(nullptr);
    other.SetColor(clAqua);
    other.Font()->SetSize(12);
    other.SetFootersOnEveryPage(true);
    other.SetShowPageHeader(false);
    other.SetScaleFonts(false);
    other.SetReportTitleText("Quelle");
    other.PrinterPage()->SetOrientation(poLandscape);
    link->Assign(&other);
    EXPECT_EQ(link->Color(), clAqua);
    EXPECT_EQ(link->Font()->Size(), 12);
    EXPECT_TRUE(link->FootersOnEveryPage());
    EXPECT_FALSE(link->ShowPageHeader());
    EXPECT_FALSE(link->ScaleFonts());
    EXPECT_EQ(link->ReportTitleText(), "Quelle");
    EXPECT_EQ(link->PrinterPage()->Orientation(), poLandscape);
}

} // namespace
} // namespace qel
