// The component printer's print job on a scripted printer: the events, the
// device calls, the pages in order, and how a job ends when it fails, is
// aborted from its events, or loses its link, component, style or printer.
#include "printing/ComponentPrinter.h"

#include "platform/controls/Dialogs.h"
#include "platform/controls/Messages.h"
#include "platform/core/Guards.h"
#include "printing/EventSystem.h"
#include "printing/PrintStyles.h"

#include "ComponentPrinterTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qel {
namespace {

using test::AllPages;
using test::ComponentPrinterFixture;
using test::CurrentPage;
using test::DialogAnswer;
using test::DialogScope;
using test::PageList;
using test::ToFile;
using test::TReportTestLink;

class ComponentPrinterPrint : public ComponentPrinterFixture {
protected:
    std::vector<std::string> log;
    TdxPSPrintReportSubscriber subscriber;

    void SetUp() override
    {
        ComponentPrinterFixture::SetUp();
        printer->OnStartPrint = [this](TObject*, TBasedxReportLink*, int N) { log.push_back("start " + std::to_string(N)); };
        printer->OnNewPage = [this](TObject*, TBasedxReportLink*, int I) { log.push_back("new page " + std::to_string(I)); };
        printer->OnEndPrint = [this](TObject*, TBasedxReportLink* L) { log.push_back(L ? "end" : "end without link"); };
        subscriber.OnStartPrint = [this](TObject*, TBasedxReportLink*, int N) { log.push_back("stage 0 " + std::to_string(N)); };
        subscriber.OnNewPage = [this](TObject*, TBasedxReportLink*, int I) { log.push_back("stage 1 " + std::to_string(I)); };
        subscriber.OnEndPrint = [this](TObject*, TBasedxReportLink*) { log.push_back("stage 2"); };
    }

    bool PrintWith(const DialogAnswer& Answer)
    {
        DialogScope dialog(Answer);
        return printer->Print(true, nullptr, link);
    }
    // The device as the job leaves it: one copy, no collation while it runs,
    // its own settings again afterwards.
    void ExpectDeviceRestored(int Copies = 4, bool Collate = true)
    {
        EXPECT_FALSE(dxPrintDevice()->Printing());
        EXPECT_EQ(dxPrintDevice()->GetCopies(), Copies);
        EXPECT_EQ(dxPrintDevice()->GetCollate(), Collate);
        if (printer) {
            EXPECT_FALSE(printer->IsPrinting());
            EXPECT_FALSE(printer->IsAborting());
        }
    }
    void SetDeviceCopies()
    {
        dxPrintDevice()->SetCopies(4);
        dxPrintDevice()->SetCollate(true);
    }
};

TEST_F(ComponentPrinterPrint, AllPagesPrintInOrderWithTheirEventsOnOneCopyOfTheDevice)
{
    link->Shape.Rows = 100;   // 3 pages
    SetDeviceCopies();
    printer->SetPrintTitle("Zutrittsmatrix");
    printer->OnGetPrintTitle = [](TObject*, TBasedxReportLink*, std::string& Title) { Title += " (Test)"; };
    EXPECT_TRUE(printer->Print(false, nullptr, link));
    EXPECT_EQ(drawn, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(log, (std::vector<std::string>{"start 3", "stage 0 3", "new page 1", "stage 1 1", "new page 2",
                                             "stage 1 2", "end", "stage 2"}));
    const TScriptedJob* job = LastJob();
    ASSERT_NE(job, nullptr);
    EXPECT_TRUE(job->Delivered);
    EXPECT_EQ(job->Doc.Title, "Zutrittsmatrix (Test)");
    ASSERT_EQ(job->PageModes.size(), 3u);
    for (const TDeviceMode& mode : job->PageModes) {
        EXPECT_EQ(mode.Copies, 1);
        EXPECT_EQ(mode.Collate, DMCOLLATE_FALSE);
    }
    ExpectDeviceRestored();
}

TEST_F(ComponentPrinterPrint, CopiesAndCollationRepeatPages)
{
    link->Shape.Rows = 60;   // 2 pages
    EXPECT_TRUE(PrintWith(AllPages(2, false)));
    EXPECT_EQ(drawn, (std::vector<int>{0, 0, 1, 1}));
    EXPECT_EQ(LastJob()->PageModes.size(), 4u);
    EXPECT_EQ(log.front(), "start 4");
    drawn.clear();
    EXPECT_TRUE(PrintWith(AllPages(2, true)));
    EXPECT_EQ(drawn, (std::vector<int>{0, 1, 0, 1}));
    drawn.clear();
    EXPECT_TRUE(PrintWith(AllPages(0)));   // copies 0: one copy
    EXPECT_EQ(drawn, (std::vector<int>{0, 1}));
}

TEST_F(ComponentPrinterPrint, OddAndEvenPagesGoByThePagesNumber)
{
    EXPECT_TRUE(PrintWith(PageList("2-5", ppnOdd)));   // odd
    EXPECT_EQ(drawn, (std::vector<int>{2, 4}));
    EXPECT_EQ(log.front(), "start 2");   // the progress total: 4 places halved
    drawn.clear();
    log.clear();
    EXPECT_TRUE(PrintWith(PageList("2-5", ppnEven)));   // even
    EXPECT_EQ(drawn, (std::vector<int>{1, 3}));
    drawn.clear();
    EXPECT_TRUE(PrintWith(PageList("1,3-4")));
    EXPECT_EQ(drawn, (std::vector<int>{0, 2, 3}));
    drawn.clear();
    link->SetCurrentPage(5);
    EXPECT_TRUE(PrintWith(CurrentPage()));   // the current page
    EXPECT_EQ(drawn, (std::vector<int>{4}));
    // A list the decoder refuses starts nothing.
    const size_t jobs = printers.Backend->Jobs.size();
    EXPECT_THROW(PrintWith(PageList("3-1")), EConvertError);
    EXPECT_EQ(printers.Backend->Jobs.size(), jobs);
}

TEST_F(ComponentPrinterPrint, ANewSheetComesOnlyBetweenPrintedPages)
{
    // Page 9 is past the report and page 1 is odd: neither may leave a blank first sheet.
    EXPECT_TRUE(PrintWith(PageList("9,1,2,4", ppnEven)));
    EXPECT_EQ(drawn, (std::vector<int>{1, 3}));
    ASSERT_EQ(LastJob()->PageModes.size(), 2u);
    EXPECT_EQ(LastJob()->PagesEnded, 2);
    EXPECT_EQ(log, (std::vector<std::string>{"start 2", "stage 0 2", "new page 3", "stage 1 3", "end", "stage 2"}));
    // Nothing left to print: no job at all.
    log.clear();
    const size_t jobs = printers.Backend->Jobs.size();
    EXPECT_FALSE(PrintWith(PageList("1", ppnEven)));
    EXPECT_EQ(printers.Backend->Jobs.size(), jobs);
    EXPECT_TRUE(log.empty());
}

TEST_F(ComponentPrinterPrint, AReportWithoutPagesStartsNoJobAndAPageListOnItIsRefused)
{
    link->Shape.Rows = 0;
    EXPECT_FALSE(printer->Print(false, nullptr, link));
    EXPECT_FALSE(PrintWith(AllPages()));
    EXPECT_TRUE(printers.Backend->Jobs.empty());
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(test::MessageOf<EdxComponentPrinter>([&] { PrintWith(PageList("1")); }), "Page numbers out of range (1 - 0)");
    EXPECT_TRUE(printers.Backend->Jobs.empty());
    EXPECT_FALSE(printer->IsPrinting());
}

TEST_F(ComponentPrinterPrint, DownThenAcrossPrintsThePagesOfAColumnFirst)
{
    test::ShapeAccessMatrix(*link, {80, 16});
    link->PrinterPage()->SetPageOrder(poDownThenOver);
    EXPECT_TRUE(printer->Print(false, nullptr, link));
    EXPECT_EQ(drawn, (std::vector<int>{0, 2, 1, 3}));
    // Only when all pages print.
    drawn.clear();
    EXPECT_TRUE(PrintWith(PageList("1-4")));
    EXPECT_EQ(drawn, (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(ComponentPrinterPrint, AFailedStartEndsNothingAndIsReportedUnlessHandled)
{
    SetDeviceCopies();
    printers.Backend->FailStartDoc = true;
    std::vector<std::string> messages;
    TMessageDlgHookScope hook([&](const TMessageDlgParams& Params) {
        messages.push_back(Params.Text);
        return mrOk;
    });
    EXPECT_FALSE(printer->Print(false, nullptr, link));
    EXPECT_EQ(messages, std::vector<std::string>{"Printer has encountered error !"});
    EXPECT_TRUE(log.empty());   // no start, and no end events for a job that never began
    ExpectDeviceRestored();
    bool handled = true;
    printer->OnPrintDeviceError = [&](TObject*, bool& Done) { Done = handled; };
    EXPECT_FALSE(printer->Print(false, nullptr, link));
    EXPECT_EQ(messages.size(), 1u);

    // The device busy with another job.
    printers.Backend->FailStartDoc = false;
    ASSERT_GT(dxPrintDevice()->BeginDoc(), 0);
    int busy = 0;
    printer->OnPrintDeviceBusy = [&](TObject*, bool& Done) {
        ++busy;
        Done = false;
    };
    EXPECT_FALSE(printer->Print(false, nullptr, link));
    EXPECT_EQ(busy, 1);
    EXPECT_EQ(messages.back(), "Printer is busy");
    dxPrintDevice()->Abort();
}

TEST_F(ComponentPrinterPrint, APageThatFailsToDrawAbortsTheJobAndTheErrorGoesOn)
{
    SetDeviceCopies();
    link->CustomDraw = [&](TCanvas&, TAbstractdxReportCellData&, const TRect&) {
        if (drawn.size() == 1)
            throw EConvertError("kaputt");
        return false;
    };
    EXPECT_EQ(test::MessageOf<EConvertError>([&] { printer->Print(false, nullptr, link); }), "kaputt");
    const TScriptedJob* job = LastJob();
    ASSERT_NE(job, nullptr);
    EXPECT_FALSE(job->Delivered);
    EXPECT_TRUE(job->Aborted);
    EXPECT_EQ(log.back(), "stage 2");
    ExpectDeviceRestored();
    // The next job prints whole.
    link->CustomDraw = nullptr;
    drawn.clear();
    EXPECT_TRUE(printer->Print(false, nullptr, link));
    EXPECT_TRUE(LastJob()->Delivered);

    // A document the printer cannot take: the end events run, the error goes on.
    printers.Backend->FailEndDoc = true;
    log.clear();
    EXPECT_THROW(printer->Print(false, nullptr, link), EdxPrintDevice);
    EXPECT_EQ(log.back(), "stage 2");
    ExpectDeviceRestored();
}

// ----- aborting from each event ---------------------------------------------------------------------------

struct AbortPoint {
    const char* Name;
    // Installs what calls AbortPrinting at that point.
    std::function<void(TCustomdxComponentPrinter&, TdxPSPrintReportSubscriber&, std::function<void()>)> Install;
    bool Delivered;   // aborting after the document ended changes nothing
};

class ComponentPrinterAbort : public ComponentPrinterPrint, public ::testing::WithParamInterface<AbortPoint> {};

TEST_P(ComponentPrinterAbort, StopsTheJobAndStillRunsTheEndEvents)
{
    SetDeviceCopies();
    link->Shape.Rows = 150;   // 4 pages
    int calls = 0;
    bool armed = true;
    // Events once per page abort at the second page, the others at once.
    const bool perPage = std::string(GetParam().Name).find("Page") != std::string::npos;
    GetParam().Install(*printer, subscriber, [&] {
        if (armed && (++calls == 2 || !perPage))
            printer->AbortPrinting();
    });
    printer->Print(false, nullptr, link);
    const TScriptedJob* job = LastJob();
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->Delivered, GetParam().Delivered);
    EXPECT_EQ(job->Aborted, !GetParam().Delivered);
    if (!GetParam().Delivered) {
        EXPECT_LT(drawn.size(), 4u);
    }
    EXPECT_EQ(log.back(), "stage 2");
    ExpectDeviceRestored();
    // The next job is not aborted by what is left of this one.
    armed = false;
    drawn.clear();
    EXPECT_TRUE(printer->Print(false, nullptr, link));
    EXPECT_EQ(drawn.size(), 4u);
    Application().ProcessMessages();   // calls posted at the last page
}

// Handler runs what it ran before, then Then.
template <class Event>
void Chain(Event& Handler, std::function<void()> Then)
{
    Handler = [Before = Handler, Then](auto&&... Args) {
        if (Before)
            Before(Args...);
        Then();
    };
}

using Subscriber = TdxPSPrintReportSubscriber;
using Printer = TCustomdxComponentPrinter;
INSTANTIATE_TEST_SUITE_P(
    Events, ComponentPrinterAbort,
    ::testing::Values(
        AbortPoint{"OnStartGenerateReport", [](Printer& P, Subscriber&, auto A) { Chain(P.OnStartGenerateReport, A); },
                   false},
        AbortPoint{"OnGenerateReportProgress",
                   [](Printer& P, Subscriber&, auto A) { Chain(P.OnGenerateReportProgress, A); }, false},
        AbortPoint{"OnEndGenerateReport", [](Printer& P, Subscriber&, auto A) { Chain(P.OnEndGenerateReport, A); },
                   false},
        AbortPoint{"OnGetPrintTitle", [](Printer& P, Subscriber&, auto A) { Chain(P.OnGetPrintTitle, A); }, false},
        AbortPoint{"OnStartPrint", [](Printer& P, Subscriber&, auto A) { Chain(P.OnStartPrint, A); }, false},
        AbortPoint{"StartStage", [](Printer&, Subscriber& S, auto A) { Chain(S.OnStartPrint, A); }, false},
        AbortPoint{"OnNewPage", [](Printer& P, Subscriber&, auto A) { Chain(P.OnNewPage, A); }, false},
        AbortPoint{"NewPageStage", [](Printer&, Subscriber& S, auto A) { Chain(S.OnNewPage, A); }, false},
        AbortPoint{"OnCustomDrawPage", [](Printer& P, Subscriber&, auto A) { Chain(P.OnCustomDrawPage, A); }, false},
        // Runs while the device lets waiting messages through at the page break.
        AbortPoint{"APostedCallAtAPageBreak",
                   [](Printer& P, Subscriber&, auto A) { Chain(P.OnCustomDrawPage, [A] { PostCall(nullptr, A); }); },
                   false},
        AbortPoint{"OnEndPrint", [](Printer& P, Subscriber&, auto A) { Chain(P.OnEndPrint, A); }, true}),
    [](const ::testing::TestParamInfo<AbortPoint>& Info) { return std::string(Info.param.Name); });

TEST_F(ComponentPrinterPrint, TheQuitMessageAbortsTheJob)
{
    link->Shape.Rows = 150;
    printer->OnNewPage = [](TObject*, TBasedxReportLink*, int) { Application().Terminate(); };
    Finally reset([] { Application().ResetTerminated(); });
    EXPECT_FALSE(printer->Print(false, nullptr, link));
    EXPECT_EQ(drawn, std::vector<int>{0});
    EXPECT_TRUE(LastJob()->Aborted);
}

// ----- lifetimes: what the events free ---------------------------------------------------------------------

TEST_F(ComponentPrinterPrint, TheLinkFreedFromAPrintEventAbortsTheJob)
{
    SetDeviceCopies();
    link->Shape.Rows = 150;
    printer->OnNewPage = [&](TObject*, TBasedxReportLink*, int) {
        delete link;
        link = nullptr;
    };
    EXPECT_FALSE(printer->Print(false, nullptr, link));
    EXPECT_EQ(drawn, std::vector<int>{0});
    EXPECT_TRUE(LastJob()->Aborted);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "end without link");
    EXPECT_EQ(printer->LinkCount(), 0);
    ExpectDeviceRestored();
}

TEST_F(ComponentPrinterPrint, TheComponentFreedFromAPrintEventOrABuildEvent)
{
    SetDeviceCopies();
    link->Shape.Rows = 150;
    printer->OnNewPage = [&](TObject*, TBasedxReportLink*, int) {
        delete source;
        source = nullptr;
    };
    EXPECT_FALSE(printer->Print(false, nullptr, link));
    EXPECT_TRUE(LastJob()->Aborted);
    EXPECT_EQ(drawn, std::vector<int>{0});
    EXPECT_EQ(log.back(), "stage 2");
    ExpectDeviceRestored();

    // During the build the print asks for: the build fails, nothing starts.
    source = new test::TMatrixSource(&owner);
    link->SetComponent(source);
    printer->OnNewPage = nullptr;
    printer->OnGenerateReportProgress = [&](TObject*, TBasedxReportLink*, double Percent) {
        if (Percent > 50 && source) {
            delete source;
            source = nullptr;
        }
    };
    const size_t jobs = printers.Backend->Jobs.size();
    EXPECT_EQ(test::MessageOf<EdxReportLink>([&] { printer->Print(false, nullptr, link); }),
              "Missing \"Component\" property");
    EXPECT_EQ(printers.Backend->Jobs.size(), jobs);
    ExpectDeviceRestored();
}

TEST_F(ComponentPrinterPrint, TheStyleFreedFromAPrintEventLeavesTheLinksOwnPage)
{
    auto* manager = new TdxPrintStyleManager(&owner);
    TBasedxPrintStyle* style = manager->AddStyle();
    style->PrinterPage()->SetMeasurementUnits(muMillimeters);
    style->PrinterPage()->SetDMPaper(9);
    style->PrinterPage()->SetScaleFactor(50);   // 4 pages at half size
    manager->SetCurrentStyle(style);
    link->SetStyleManager(manager);
    link->Shape.Rows = 300;
    printer->OnNewPage = [&](TObject*, TBasedxReportLink*, int) {
        delete style;
        style = nullptr;
    };
    EXPECT_TRUE(printer->Print(false, nullptr, link));
    EXPECT_EQ(style, nullptr);
    // The job goes on under the link's own page, whose pages from here on it prints.
    EXPECT_EQ(drawn.front(), 0);
    EXPECT_LE(drawn.size(), 4u);
    EXPECT_TRUE(LastJob()->Delivered);
}

TEST_F(ComponentPrinterPrint, TheStyleFreedFromABuildEvent)
{
    auto* manager = new TdxPrintStyleManager(&owner);
    TBasedxPrintStyle* style = manager->AddStyle();
    manager->SetCurrentStyle(style);
    link->SetStyleManager(manager);
    link->Shape.Rows = 100;
    printer->OnGenerateReportProgress = [&](TObject*, TBasedxReportLink*, double) {
        delete style;
        style = nullptr;
        printer->OnGenerateReportProgress = nullptr;
    };
    EXPECT_TRUE(printer->Print(false, nullptr, link));
    EXPECT_EQ(drawn, (std::vector<int>{0, 1, 2}));
}

struct FreePoint {
    const char* Name;
    bool Started;   // a job was started (and is aborted)
};

class ComponentPrinterFreed : public ComponentPrinterPrint, public ::testing::WithParamInterface<FreePoint> {};

TEST_P(ComponentPrinterFreed, ThePrinterFreedFromItsOwnEventEndsTheJobCleanly)
{
    SetDeviceCopies();
    link->Shape.Rows = 150;
    auto freePrinter = [this] {
        delete printer;
        printer = nullptr;
        link = nullptr;   // went with it
    };
    const std::string point = GetParam().Name;
    if (point == "OnStartGenerateReport")
        printer->OnStartGenerateReport = [=](TObject*, TBasedxReportLink*) { freePrinter(); };
    else if (point == "OnGenerateReportProgress")
        printer->OnGenerateReportProgress = [=](TObject*, TBasedxReportLink*, double) { freePrinter(); };
    else if (point == "OnStartPrint")
        printer->OnStartPrint = [=](TObject*, TBasedxReportLink*, int) { freePrinter(); };
    else if (point == "OnNewPage")
        printer->OnNewPage = [=](TObject*, TBasedxReportLink*, int) { freePrinter(); };
    else if (point == "OnCustomDrawPage")
        printer->OnCustomDrawPage = [=](TObject*, TBasedxReportLink*, TCanvas&, int, const TRect&, int, int) {
            freePrinter();
        };
    else if (point == "OnEndPrint")
        printer->OnEndPrint = [=](TObject*, TBasedxReportLink*) { freePrinter(); };
    Screen().SetCursor(crDefault);
    TdxComponentPrinter* running = printer;
    running->Print(false, nullptr, running->CurrentLink());
    EXPECT_EQ(printer, nullptr);
    EXPECT_EQ(Screen().Cursor(), crDefault);   // the hourglass of a build it was in went with it
    Application().ProcessMessages();   // a link that was busy goes now
    EXPECT_EQ(owner.ComponentCount(), 1);   // only the source is left
    if (GetParam().Started) {
        ASSERT_NE(LastJob(), nullptr);
        EXPECT_EQ(LastJob()->Delivered, point == "OnEndPrint");
    } else {
        EXPECT_EQ(LastJob(), nullptr);
    }
    ExpectDeviceRestored();
}

INSTANTIATE_TEST_SUITE_P(Events, ComponentPrinterFreed,
                         ::testing::Values(FreePoint{"OnStartGenerateReport", false},
                                           FreePoint{"OnGenerateReportProgress", false},
                                           FreePoint{"OnStartPrint", true}, FreePoint{"OnNewPage", true},
                                           FreePoint{"OnCustomDrawPage", true}, FreePoint{"OnEndPrint", true}),
                         [](const ::testing::TestParamInfo<FreePoint>& Info) { return std::string(Info.param.Name); });

TEST_F(ComponentPrinterPrint, PrintToFileThroughTheDialogWritesTheChosenFile)
{
    test::TempDir dir;
    const std::string file = dir.File("matrix.pdf");
    EXPECT_TRUE(PrintWith(ToFile(file)));
    EXPECT_EQ(LastJob()->Doc.Output, file);
    EXPECT_EQ(test::PdfPageCount(file), 7);
    // The device prints to the printer again afterwards.
    EXPECT_TRUE(dxPrintDevice()->OutputFileName().empty());
    EXPECT_TRUE(printer->Print(false, nullptr, link));
    EXPECT_TRUE(LastJob()->Doc.Output.empty());
}

} // namespace
} // namespace qel
