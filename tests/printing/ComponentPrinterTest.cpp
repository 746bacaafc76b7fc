// The component printer around its print job: links, options, the
// long-operation bracket, build events, preparing, preview, page setup,
// design, the dialog runners and the settings store.
#include "printing/ComponentPrinter.h"

#include "platform/controls/Clock.h"
#include "platform/controls/Dialogs.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/core/Stream.h"
#include "platform/core/Streaming.h"
#include "platform/storage/Registry.h"
#include "printing/EventSystem.h"
#include "printing/PSEngine.h"
#include "printing/PrintStyles.h"
#include "printing/ReportLinkDesignWindow.h"

#include "AccessMatrixGridLink.h"
#include "ComponentPrinterTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::ComponentPrinterFixture;
using test::MakeAccessMatrixGridLink;
using test::MakeAccessMatrixLink;
using test::PreviewWindowScope;
using test::TRecordingPreviewWindow;
using test::TReportTestLink;

class ComponentPrinter : public ComponentPrinterFixture {};

// ----- links and the current link -----------------------------------------------------------------

TEST_F(ComponentPrinter, AddLinkMakesTheRegisteredLinkForAComponentAndNoneForOthers)
{
    dxPSRegisterReportLink("TMatrixTestLink", "TMatrixSource");
    Finally unregister([] { dxPSUnregisterReportLink("TMatrixTestLink", "TMatrixSource"); });
    auto* other = new test::TMatrixSource(&owner);
    TBasedxReportLink* added = printer->AddLink(other);
    ASSERT_NE(added, nullptr);
    EXPECT_STREQ(added->ClassName(), "TMatrixTestLink");
    EXPECT_EQ(added->Owner(), &owner);
    EXPECT_EQ(added->Component(), other);
    EXPECT_EQ(added->ComponentPrinter(), printer);
    EXPECT_EQ(printer->IndexOfLink(added), 1);
    EXPECT_EQ(printer->CurrentLink(), link);   // the first stays current
    EXPECT_EQ(printer->AddLink(new TComponent(&owner)), nullptr);
    EXPECT_EQ(printer->LinkCount(), 2);
}

TEST_F(ComponentPrinter, DeletingTheCurrentLinkMakesTheOneNowAtItsIndexCurrent)
{
    auto* second = MakeAccessMatrixGridLink(*printer, &owner);
    auto* third = MakeAccessMatrixGridLink(*printer, &owner);
    std::vector<std::string> log;
    printer->OnChangeCurrentLink = [&](TObject*) { log.push_back("current " + std::to_string(printer->CurrentLinkIndex())); };
    printer->OnDeleteReportLink = [&](TObject*, TBasedxReportLink* Link) {
        log.push_back(Link == second ? "deleted second" : Link == third ? "deleted third" : "deleted first");
    };
    second->SetIsCurrentLink(true);
    delete second;
    EXPECT_EQ(printer->CurrentLink(), third);
    EXPECT_EQ(printer->LinkCount(), 2);
    // The last one current and deleted: the one before it.
    delete third;
    EXPECT_EQ(printer->CurrentLink(), link);
    delete link;
    link = nullptr;
    EXPECT_EQ(printer->CurrentLink(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"current 1", "current 1", "deleted second", "current 0", "deleted third",
                                             "current -1", "deleted first"}));
}

TEST_F(ComponentPrinter, TheCurrentLinkIsOneOfTheListAndFillsTheSharedPageInformation)
{
    auto* second = MakeAccessMatrixGridLink(*printer, &owner);
    TReportTestLink stranger(nullptr);
    int changes = 0;
    printer->OnChangeCurrentLink = [&](TObject*) { ++changes; };
    printer->SetCurrentLink(&stranger);
    printer->SetCurrentLink(link);
    EXPECT_EQ(printer->CurrentLink(), link);
    EXPECT_EQ(changes, 0);

    second->SetStartPageIndex(7);
    second->SetPageNumberFormat(pnfUpperRoman);
    second->SetDateFormat(2);
    second->SetDateTime(EncodeDate(2024, 3, 9));
    dxHFFormatObject().SetStartPageIndex(1);
    printer->SetCurrentLink(second);
    EXPECT_EQ(changes, 1);
    const TdxHFFunctionFormatObject& shared = dxHFFormatObject();
    EXPECT_EQ(shared.StartPageIndex(), 7);
    EXPECT_EQ(shared.PageNumberFormat(), pnfUpperRoman);
    EXPECT_EQ(shared.DateFormat(), DateFormatList()->Get(2));
    EXPECT_EQ(shared.DateTime(), EncodeDate(2024, 3, 9));
    EXPECT_TRUE(second->IsCurrentLink());

    // Moving keeps the list whole; the index clamps.
    second->SetIndex(-5);
    EXPECT_EQ(printer->ReportLink(0), second);
    second->SetIndex(9);
    EXPECT_EQ(printer->ReportLink(1), second);
}

TEST_F(ComponentPrinter, DeleteAllLinksFreesThemLastFirstAndTheyLeaveWithThePrinter)
{
    MakeAccessMatrixGridLink(*printer, &owner);
    std::vector<int> freed;
    for (int i = 0; i < printer->LinkCount(); ++i)
        printer->ReportLink(i)->OnDestroy = [&freed, i](TObject*) { freed.push_back(i); };
    printer->DeleteAllLinks();
    EXPECT_EQ(freed, (std::vector<int>{1, 0}));
    EXPECT_EQ(printer->LinkCount(), 0);
    EXPECT_EQ(printer->CurrentLink(), nullptr);

    // Links owned by the form go with the printer.
    link = MakeAccessMatrixLink(*printer, &owner, source);
    const int components = owner.ComponentCount();
    delete printer;
    printer = nullptr;
    EXPECT_EQ(owner.ComponentCount(), components - 2);
}

// ----- options -----------------------------------------------------------------------------------

TEST_F(ComponentPrinter, OptionsStartAtTheirDefaultsAndClampWhereTheyMust)
{
    EXPECT_TRUE(printer->AutoUpdateDateTime());
    EXPECT_TRUE(printer->BeepAfterLongOperations());
    EXPECT_EQ(printer->Options(), dxDefaultComponentPrinterOptions);
    EXPECT_EQ(printer->LongOperationTime(), 5000);
    EXPECT_FALSE(printer->OverWriteExistingFiles());
    EXPECT_EQ(printer->PageNumberFormat(), pnfNumeral);
    printer->SetLongOperationTime(-1);
    EXPECT_EQ(printer->LongOperationTime(), 0);
    printer->SetDateFormat(99);
    EXPECT_EQ(printer->DateFormat(), DateFormatList()->Count() - 1);
    printer->SetTimeFormat(-3);
    EXPECT_EQ(printer->TimeFormat(), 0);
    // A link without a format of its own follows the printer.
    EXPECT_EQ(link->DateFormat(), printer->DateFormat());
    EXPECT_EQ(dxHFFormatObject().DateFormat(), DateFormatList()->Get(printer->DateFormat()));

    TdxPreviewOptions* options = printer->PreviewOptions();
    EXPECT_EQ(options->Caption(), "Print Preview");
    EXPECT_FALSE(options->EnableOptions().Contains(peoHelp));
    EXPECT_TRUE(options->EnableOptions().Contains(peoReportDesign));
    EXPECT_FALSE(options->VisibleOptions().Contains(pvoHelp));
    EXPECT_TRUE(options->VisibleOptions().Contains(pvoPrintStyles));
    EXPECT_EQ(options->BoundsRect(), Screen().WorkAreaRect());
    EXPECT_TRUE(options->SavePosition());
    EXPECT_TRUE(options->SaveZoomPosition());
    EXPECT_EQ(options->WindowState(), wsNormal);
    // Help file and settings root are the engine's.
    const std::string root = dxPSEngine()->RegistryPath();
    options->SetRegistryPath("Software\\Tessaro\\Probe");
    EXPECT_EQ(dxPSEngine()->RegistryPath(), "Software\\Tessaro\\Probe");
    options->SetRegistryPath(root);
}

TEST_F(ComponentPrinter, ThePreviewBoundsAreStreamedOnlyWhenTheyDifferFromTheWorkArea)
{
    auto streamed = [](TdxComponentPrinter& Printer) {
        TMemoryStream stream;
        SaveComponentToMemory(&Printer, stream);
        return stream.ReadBytes(stream.Size());
    };
    TComponent other(nullptr);
    auto* bare = new TdxComponentPrinter(&other);
    EXPECT_EQ(streamed(*bare).find("PreviewBoundsRect"), std::string::npos);
    bare->PreviewOptions()->SetLeft(40);
    bare->PreviewOptions()->SetWidth(600);
    bare->PreviewOptions()->SetCaption("Vorschau");
    bare->SetLongOperationTime(1200);
    bare->SetOptions({cpoShowHourGlass});
    const std::string bytes = streamed(*bare);
    EXPECT_NE(bytes.find("PreviewBoundsRect"), std::string::npos);

    TMemoryStream stream;
    stream.WriteBytes(bytes);
    stream.SetPosition(0);
    auto* read = new TdxComponentPrinter(&other);
    LoadComponentFromMemory(stream, read, &other);
    EXPECT_EQ(read->PreviewOptions()->BoundsRect(), bare->PreviewOptions()->BoundsRect());
    EXPECT_EQ(read->PreviewOptions()->Width(), 600);
    EXPECT_EQ(read->PreviewOptions()->Caption(), "Vorschau");
    EXPECT_EQ(read->LongOperationTime(), 1200);
    EXPECT_EQ(read->Options(), TdxComponentPrinterOptions{cpoShowHourGlass});
}

TEST_F(ComponentPrinter, PreviewOptionSettersReachTheOpenWindow)
{
    PreviewWindowScope windows;
    printer->Preview(false, nullptr);
    auto* window = dynamic_cast<TRecordingPreviewWindow*>(printer->PreviewWindow());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Caption(), "Print Preview");
    EXPECT_EQ(window->EnableOptions, printer->PreviewOptions()->EnableOptions());
    EXPECT_TRUE(window->SaveZoom);
    TdxPreviewOptions* options = printer->PreviewOptions();
    options->SetCaption("Zutrittsmatrix");
    options->SetEnableOptions({peoPrint});
    options->SetVisibleOptions({pvoPrint});
    options->SetHelpContext(12);
    options->SetWindowState(wsMaximized);
    options->SetSaveZoomPosition(false);
    EXPECT_EQ(window->Caption(), "Zutrittsmatrix");
    EXPECT_EQ(window->EnableOptions, TdxPreviewEnableOptions{peoPrint});
    EXPECT_EQ(window->VisibleOptions, TdxPreviewVisibleOptions{pvoPrint});
    EXPECT_EQ(window->HelpContext(), 12);
    EXPECT_EQ(window->WindowState(), wsMaximized);
    EXPECT_FALSE(window->SaveZoom);
    delete window;
}

// ----- the long-operation bracket ------------------------------------------------------------------

TEST_F(ComponentPrinter, LongOperationsShowTheHourglassAndBeepWhenTheyTookTooLong)
{
    TManualClockScope clock;
    int beeps = 0;
    const TBeepHook previous = SetBeepHook([&](unsigned) { ++beeps; });
    Finally restore([&] { SetBeepHook(previous); });
    Screen().SetCursor(crDefault);
    printer->SetLongOperationTime(1000);

    printer->BeginLongOperation();
    printer->BeginLongOperation();
    EXPECT_EQ(Screen().Cursor(), crHourGlass);
    clock.Advance(1500);
    printer->EndLongOperation();
    EXPECT_EQ(Screen().Cursor(), crHourGlass);   // still inside the outer one
    printer->EndLongOperation();
    EXPECT_EQ(Screen().Cursor(), crDefault);
    EXPECT_EQ(beeps, 1);

    printer->BeginLongOperation();
    clock.Advance(1000);   // not more than the time
    printer->EndLongOperation();
    EXPECT_EQ(beeps, 1);

    printer->SetBeepAfterLongOperations(false);
    printer->SetOptions({});
    printer->BeginLongOperation();
    EXPECT_EQ(Screen().Cursor(), crDefault);
    clock.Advance(5000);
    printer->EndLongOperation();
    printer->EndLongOperation();   // an extra close changes nothing
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(printer->LongOperationCount(), 0);

    // A build is a long operation.
    printer->SetBeepAfterLongOperations(true);
    link->OnRowBuilt = [&](int Row) {
        if (Row == 0)
            clock.Advance(2000);
    };
    link->Rebuild();
    EXPECT_EQ(beeps, 2);
}

// ----- build events ------------------------------------------------------------------------------------

struct EventLog {
    std::vector<std::string> Lines;
    TdxPSBuildReportSubscriber Build;
    TdxPSPrintReportSubscriber Print;

    EventLog()
    {
        Build.OnStartGenerateReport = [this](TObject*, TBasedxReportLink*) { Lines.push_back("build 0"); };
        Build.OnGenerateReportProgress = [this](TObject*, TBasedxReportLink*, double P) {
            Lines.push_back("build 1 " + std::to_string(int(P)));
        };
        Build.OnEndGenerateReport = [this](TObject*, TBasedxReportLink*) { Lines.push_back("build 2"); };
        Print.OnStartPrint = [this](TObject*, TBasedxReportLink*, int N) { Lines.push_back("print 0 " + std::to_string(N)); };
        Print.OnNewPage = [this](TObject*, TBasedxReportLink*, int I) { Lines.push_back("print 1 " + std::to_string(I)); };
        Print.OnEndPrint = [this](TObject*, TBasedxReportLink*) { Lines.push_back("print 2"); };
    }

    void Listen(TCustomdxComponentPrinter& Printer)
    {
        Printer.OnStartGenerateReport = [this](TObject*, TBasedxReportLink*) { Lines.push_back("OnStartGenerateReport"); };
        Printer.OnGenerateReportProgress = [this](TObject*, TBasedxReportLink*, double P) {
            Lines.push_back("OnGenerateReportProgress " + std::to_string(int(P)));
        };
        Printer.OnEndGenerateReport = [this](TObject*, TBasedxReportLink*) { Lines.push_back("OnEndGenerateReport"); };
        Printer.OnStartPrint = [this](TObject*, TBasedxReportLink*, int N) { Lines.push_back("OnStartPrint " + std::to_string(N)); };
        Printer.OnNewPage = [this](TObject*, TBasedxReportLink*, int I) { Lines.push_back("OnNewPage " + std::to_string(I)); };
        Printer.OnEndPrint = [this](TObject*, TBasedxReportLink* L) {
            Lines.push_back(L ? "OnEndPrint" : "OnEndPrint without link");
        };
    }
};

TEST_F(ComponentPrinter, BuildEventsFireInOrderAndThePrintersOwnOnlyWhenAskedFor)
{
    link->Shape.Rows = 2;
    EventLog log;
    log.Listen(*printer);
    link->Rebuild();
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"OnStartGenerateReport", "build 0", "OnGenerateReportProgress 50",
                                                   "build 1 50", "OnGenerateReportProgress 100", "build 1 100",
                                                   "OnEndGenerateReport", "build 2"}));
    EXPECT_FALSE(printer->IsBuilding());

    log.Lines.clear();
    printer->SetOptions({});
    link->Rebuild();
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"build 0", "build 1 50", "build 1 100", "build 2"}));

    // While designing: the published events only.
    printer->SetOptions(dxDefaultComponentPrinterOptions);
    dxPSRegisterReportLink("TMatrixTestLink", "TMatrixSource", "TPrinterDesignWindow");
    Finally unregister([] { dxPSUnregisterReportLink("TMatrixTestLink", "TMatrixSource", "TPrinterDesignWindow"); });
    auto& runners = dxReportLinkDialogRunners();
    Finally noRunners([&] { runners = {}; });
    runners.DesignWindow = [&](TAbstractdxReportLinkDesignWindow&) {
        EXPECT_TRUE(printer->IsDesigning());
        log.Lines.clear();
        link->Rebuild();
        return false;
    };
    EXPECT_FALSE(printer->DesignReport(link));
    EXPECT_FALSE(printer->IsDesigning());
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"build 0", "build 1 50", "build 1 100", "build 2"}));
}

class TPrinterDesignWindow : public TAbstractdxReportLinkDesignWindow {
    QEL_CLASS(TPrinterDesignWindow)
public:
    using TAbstractdxReportLinkDesignWindow::TAbstractdxReportLinkDesignWindow;
};
const bool g_designWindowRegistered =
    RegisterClass<TPrinterDesignWindow>("TPrinterDesignWindow", "TAbstractdxReportLinkDesignWindow");

TEST_F(ComponentPrinter, DesignReportRunsTheLinksWindowAndRebuildsWhenTheHandlerSaysDone)
{
    ASSERT_TRUE(g_designWindowRegistered);
    EXPECT_FALSE(printer->DesignReport());   // no window registered for the link
    dxPSRegisterReportLink("TMatrixTestLink", "TMatrixSource", "TPrinterDesignWindow");
    Finally unregister([] { dxPSUnregisterReportLink("TMatrixTestLink", "TMatrixSource", "TPrinterDesignWindow"); });
    EXPECT_FALSE(printer->DesignReport());   // no runner
    auto& runners = dxReportLinkDialogRunners();
    Finally noRunners([&] { runners = {}; });
    bool accept = true;
    runners.DesignWindow = [&](TAbstractdxReportLinkDesignWindow&) { return accept; };
    TAbstractdxReportLinkDesignWindow* seen = nullptr;
    printer->OnBeforeDesignReport = [&](TObject*, TBasedxReportLink* L, TAbstractdxReportLinkDesignWindow* W) {
        EXPECT_EQ(L, link);
        seen = W;
    };
    bool done = true;
    printer->OnDesignReport = [&](TObject*, TBasedxReportLink*, bool& Done) {
        EXPECT_EQ(Done, accept);
        Done = done;
    };
    link->SetActive(true);
    const int builds = link->Builds;
    EXPECT_TRUE(printer->DesignReport());
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(link->Builds, builds + 1);
    done = false;
    EXPECT_TRUE(printer->DesignReport());
    EXPECT_EQ(link->Builds, builds + 1);
    accept = false;
    done = true;
    EXPECT_FALSE(printer->DesignReport());
    EXPECT_EQ(link->Builds, builds + 2);   // the handler's word counts
}

// ----- preparing -----------------------------------------------------------------------------------------

TEST_F(ComponentPrinter, PreparingRebuildsAsTheOptionsSayAndOtherwiseRenewsTheDate)
{
    PreviewWindowScope windows;
    TRecordingPreviewWindow::OnShown = [](TRecordingPreviewWindow& W) { W.SetModalResult(mrOk); };
    link->Shape.Rows = 60;
    printer->Preview(true, link);
    EXPECT_EQ(link->Builds, 1);   // never built: built
    printer->Preview(true, link);
    EXPECT_EQ(link->Builds, 2);   // cpoAutoRebuildBeforePreview
    printer->SetOptions({cpoAutoRebuildBeforePrint});
    link->SetDateTime(EncodeDate(2001, 1, 1));
    printer->Preview(true, link);
    EXPECT_EQ(link->Builds, 2);
    EXPECT_GT(link->DateTime(), EncodeDate(2020, 1, 1));   // AutoUpdateDateTime
    printer->SetAutoUpdateDateTime(false);
    link->SetDateTime(EncodeDate(2001, 1, 1));
    printer->Preview(true, link);
    EXPECT_EQ(link->DateTime(), EncodeDate(2001, 1, 1));
    link->SetColor(clYellow);   // needs a rebuild
    printer->Preview(true, link);
    EXPECT_EQ(link->Builds, 3);

    // Printing: its own option; none while a preview is open.
    EXPECT_TRUE(printer->Print(false, nullptr, link));
    EXPECT_EQ(link->Builds, 4);
    printer->Preview(false, link);
    EXPECT_TRUE(printer->Print(false, nullptr, link));
    EXPECT_EQ(link->Builds, 4);
    delete printer->PreviewWindow();
    // Once per operation: page setup asking for print builds once.
    auto& runners = dxPrintStyleDialogRunners();
    Finally noRunners([&] { runners = {}; });
    runners.PageSetup = [](TBasedxPrintStyle&, TComponent*, int, bool*, bool* Print) {
        *Print = true;
        return true;
    };
    auto& printRunners = dxComponentPrinterDialogRunners();
    Finally noPrintRunners([&] { printRunners = {}; });
    printRunners.PrintDialog = [](TdxPrintDialogRequest&) { return true; };
    EXPECT_TRUE(printer->PageSetup(link));
    EXPECT_EQ(link->Builds, 5);
    EXPECT_EQ(LastJob()->PagesEnded, 2);
}

// ----- preview -----------------------------------------------------------------------------------------

TEST_F(ComponentPrinter, PreviewShowsTheRegisteredWindowModalOrNot)
{
    EXPECT_EQ(test::MessageOf<EdxComponentPrinter>([&] { printer->Preview(true, nullptr); }),
              "There is no registered preview form");
    EXPECT_FALSE(printer->IsPreviewing());

    PreviewWindowScope windows;
    std::vector<std::string> log;
    printer->OnBeforePreview = [&](TObject*, TBasedxReportLink*) { log.push_back("before"); };
    printer->OnAfterPreview = [&](TObject*, TBasedxReportLink*) { log.push_back("after"); };
    TRecordingPreviewWindow::OnShown = [&](TRecordingPreviewWindow& W) {
        log.push_back(W.Modal() ? "shown modal" : "shown");
        EXPECT_TRUE(printer->IsPreviewing());
        EXPECT_EQ(W.GetComponentPrinter(), printer);
    };
    printer->Preview(true, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"before", "shown modal", "after"}));
    EXPECT_EQ(TRecordingPreviewWindow::Freed, 1);
    EXPECT_FALSE(printer->IsPreviewing());
    EXPECT_EQ(printer->PreviewWindow(), nullptr);

    // Non-modal: stays open; a second call brings it forward and builds nothing.
    log.clear();
    printer->Preview(false, nullptr);
    TBasedxPreviewWindow* window = printer->PreviewWindow();
    ASSERT_NE(window, nullptr);
    window->SetWindowState(wsMinimized);
    const int builds = link->Builds;
    printer->Preview(false, nullptr);
    EXPECT_EQ(printer->PreviewWindow(), window);
    EXPECT_EQ(window->WindowState(), wsNormal);
    EXPECT_EQ(link->Builds, builds);
    EXPECT_EQ(TRecordingPreviewWindow::Made, 2);
    EXPECT_EQ(log, (std::vector<std::string>{"before", "shown"}));
    // Its end, whoever ends it, runs OnAfterPreview once.
    delete window;
    EXPECT_EQ(log.back(), "after");
    EXPECT_FALSE(printer->IsPreviewing());

    // Another current link closes it.
    auto* second = MakeAccessMatrixGridLink(*printer, &owner);
    printer->Preview(false, nullptr);
    log.clear();
    printer->SetCurrentLink(second);
    EXPECT_EQ(printer->PreviewWindow(), nullptr);
    EXPECT_EQ(log, std::vector<std::string>{"after"});
    // So does deleting the link it shows.
    printer->Preview(false, nullptr);
    delete second;
    EXPECT_EQ(printer->PreviewWindow(), nullptr);
    Application().ProcessMessages();
    EXPECT_EQ(TRecordingPreviewWindow::Freed, TRecordingPreviewWindow::Made);
}

TEST_F(ComponentPrinter, ThePrinterGoingCloseItsPreviewModalOrNot)
{
    PreviewWindowScope windows;
    printer->Preview(false, nullptr);
    delete printer;
    printer = nullptr;
    Application().ProcessMessages();
    EXPECT_EQ(TRecordingPreviewWindow::Freed, 1);

    // Freed from the modal window's own loop.
    printer = new TdxComponentPrinter(&owner);
    link = MakeAccessMatrixLink(*printer, &owner, source);
    TRecordingPreviewWindow::OnShown = [&](TRecordingPreviewWindow&) {
        delete printer;
        printer = nullptr;
    };
    printer->Preview(true, nullptr);
    EXPECT_EQ(printer, nullptr);
    Application().ProcessMessages();
    EXPECT_EQ(TRecordingPreviewWindow::Freed, 2);

    // Freed from OnBeforePreview, before the window shows.
    printer = new TdxComponentPrinter(&owner);
    link = MakeAccessMatrixLink(*printer, &owner, source);
    printer->OnBeforePreview = [&](TObject*, TBasedxReportLink*) {
        delete printer;
        printer = nullptr;
    };
    printer->Preview(false, nullptr);
    Application().ProcessMessages();
    EXPECT_EQ(TRecordingPreviewWindow::Freed, 3);
    EXPECT_EQ(TRecordingPreviewWindow::Made, 3);
}

// ----- page setup and the print dialog -------------------------------------------------------------------

TEST_F(ComponentPrinter, PageSetupRunsThroughTheLinkAndFollowsWithPreviewOrPrint)
{
    EXPECT_FALSE(printer->PageSetup());   // no runner: nothing follows
    auto& runners = dxPrintStyleDialogRunners();
    Finally noRunners([&] { runners = {}; });
    bool preview = false;
    bool print = false;
    int ran = 0;
    runners.PageSetup = [&](TBasedxPrintStyle& Style, TComponent*, int Page, bool* Preview, bool* Print) {
        ++ran;
        EXPECT_EQ(Page, 0);
        Style.PrinterPage()->SetOrientation(poLandscape);
        *Preview = preview;
        *Print = print;
        return true;
    };
    std::vector<bool> pageSetupDone;
    printer->OnPageSetup = [&](TObject*, TBasedxReportLink*, bool& Done) { pageSetupDone.push_back(Done); };
    EXPECT_TRUE(printer->PageSetup());
    EXPECT_EQ(link->PrinterPage()->Orientation(), poLandscape);
    EXPECT_EQ(pageSetupDone, std::vector<bool>{true});

    PreviewWindowScope windows;
    preview = true;
    bool previewIsModal = false;
    TRecordingPreviewWindow::OnShown = [&](TRecordingPreviewWindow& W) { previewIsModal = W.Modal(); };
    EXPECT_TRUE(printer->PageSetup());
    EXPECT_TRUE(previewIsModal);

    preview = false;
    print = true;
    auto& printRunners = dxComponentPrinterDialogRunners();
    Finally noPrintRunners([&] { printRunners = {}; });
    int dialogs = 0;
    printRunners.PrintDialog = [&](TdxPrintDialogRequest&) {
        ++dialogs;
        return false;
    };
    EXPECT_TRUE(printer->PageSetup());
    EXPECT_EQ(dialogs, 1);

    // Ex: the flags come back and nothing follows.
    preview = true;
    bool previewPressed = false;
    bool printPressed = false;
    EXPECT_TRUE(printer->PageSetupEx(0, previewPressed, printPressed));
    EXPECT_TRUE(previewPressed);
    EXPECT_TRUE(printPressed);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(TRecordingPreviewWindow::Made, 1);
}

TEST_F(ComponentPrinter, ThePrintDialogGetsThePagesTheFilesAndTheLastChoice)
{
    EXPECT_FALSE(printer->Print(true, nullptr, link));   // no runner: cancelled
    EXPECT_TRUE(printers.Backend->Jobs.empty());

    auto& runners = dxComponentPrinterDialogRunners();
    Finally noRunners([&] { runners = {}; });
    printer->PrintFileList()->Add("/tmp/letzte.prn");
    TdxPrintDialogRequest seen;
    TdxPrintDialogData seenData;
    runners.PrintDialog = [&](TdxPrintDialogRequest& Request) {
        seen = Request;
        seenData = *Request.Data;
        Request.Data->PrintToFile = true;
        return false;
    };
    TdxPrintDialogData mine;
    mine.Copies = 3;
    EXPECT_FALSE(printer->Print(true, &mine, link));
    EXPECT_EQ(seen.Title, "Print");
    EXPECT_EQ(seenData.Copies, 3);
    EXPECT_EQ(seenData.MinRange, 1);
    EXPECT_EQ(seenData.MaxRange, 7);
    EXPECT_EQ(seenData.FileList, printer->PrintFileList());
    EXPECT_FALSE(seenData.PrintToFile);
    EXPECT_TRUE(seen.OptionsEnabled.Contains(pdoPageRange));
    EXPECT_TRUE(static_cast<bool>(seen.Events.OnPageSetup));
    EXPECT_TRUE(mine.PrintToFile);
    EXPECT_EQ(mine.FileList, nullptr);   // the caller's record keeps its own list
    EXPECT_TRUE(printers.Backend->Jobs.empty());
    // The last print-to-file choice comes back next time.
    EXPECT_FALSE(printer->Print(true, nullptr, link));
    EXPECT_TRUE(seenData.PrintToFile);

    // Without pages only all pages can be chosen.
    link->Shape.Rows = 0;
    link->Rebuild();
    EXPECT_FALSE(printer->Print(true, nullptr, link));
    EXPECT_EQ(seenData.MaxRange, 0);
    EXPECT_FALSE(seen.OptionsEnabled.Contains(pdoPageRange));
    EXPECT_FALSE(seen.OptionsEnabled.Contains(pdoCurrentPage));
}

TEST_F(ComponentPrinter, ThePrintDialogsPreviewShowsThePreviewAndPrintsNothing)
{
    PreviewWindowScope windows;
    auto& runners = dxComponentPrinterDialogRunners();
    Finally noRunners([&] { runners = {}; });
    bool ok = false;
    runners.PrintDialog = [&](TdxPrintDialogRequest& Request) {
        Request.PreviewBtnClicked = true;
        return ok;
    };
    bool modal = false;
    TRecordingPreviewWindow::OnShown = [&](TRecordingPreviewWindow& W) { modal = W.Modal(); };
    // The dialog's Preview closes with Cancel.
    EXPECT_FALSE(printer->Print(true, nullptr, link));
    EXPECT_TRUE(modal);
    EXPECT_EQ(TRecordingPreviewWindow::Made, 1);
    // A preview asked for in its page setup closes it with OK.
    ok = true;
    EXPECT_FALSE(printer->Print(true, nullptr, link));
    EXPECT_EQ(TRecordingPreviewWindow::Made, 2);
    EXPECT_TRUE(printers.Backend->Jobs.empty());
    EXPECT_EQ(link->Builds, 2);   // one build per print

    // The dialog's page setup: reruns the link's page setup, reports a
    // preview asked for there, and refreshes an open preview.
    auto& styleRunners = dxPrintStyleDialogRunners();
    Finally noStyleRunners([&] { styleRunners = {}; });
    styleRunners.PageSetup = [](TBasedxPrintStyle& Style, TComponent*, int, bool* Preview, bool*) {
        Style.PrinterPage()->SetScaleFactor(50);
        *Preview = true;
        return true;
    };
    printer->Preview(false, link);
    auto* window = dynamic_cast<TRecordingPreviewWindow*>(printer->PreviewWindow());
    ASSERT_NE(window, nullptr);
    runners.PrintDialog = [&](TdxPrintDialogRequest& Request) {
        bool done = true;
        bool preview = false;
        Request.Events.OnPageSetup(nullptr, done, nullptr, preview);
        EXPECT_TRUE(done);
        EXPECT_TRUE(preview);
        EXPECT_EQ(Request.Data->MaxRange, link->GetPageCount());
        return false;
    };
    EXPECT_FALSE(printer->Print(true, nullptr, link));
    EXPECT_EQ(link->PrinterPage()->ScaleFactor(), 50);
    EXPECT_EQ(window->PageCount, link->GetVisiblePageCount());
    EXPECT_GT(window->Invalidated, 0);
    delete window;
}

TEST_F(ComponentPrinter, TheMarginsQuestionDecidesWhetherToPrint)
{
    TBasedxReportLink* matrix = MakeAccessMatrixGridLink(*printer, &owner);
    matrix->PrinterPage()->Margins()->SetLeft(0);   // outside the 5 mm the printer cannot reach
    std::string asked;
    TModalResult answer = mrNo;
    TMessageDlgHookScope hook([&](const TMessageDlgParams& Params) {
        asked = Params.Text;
        return answer;
    });
    EXPECT_FALSE(printer->Print(false, nullptr, matrix));
    EXPECT_EQ(asked, "One or more margins are set outside the printable area of the page.\r\nDo you want to continue ?");
    EXPECT_TRUE(printers.Backend->Jobs.empty());
    EXPECT_FALSE(printer->IsPrinting());
    answer = mrYes;
    EXPECT_TRUE(printer->Print(false, nullptr, matrix));
    ASSERT_NE(LastJob(), nullptr);
    EXPECT_TRUE(LastJob()->Delivered);
    EXPECT_EQ(LastJob()->PagesEnded, 6);   // 300 connectors
}

// ----- settings store ------------------------------------------------------------------------------------

class ComponentPrinterSettings : public ComponentPrinterFixture {
protected:
    test::TempDir dir;
    std::string previous = SettingsStoreFile();
    void SetUp() override
    {
        ComponentPrinterFixture::SetUp();
        SetSettingsStoreFile(dir.File("store.ini"));
    }
    void TearDown() override
    {
        ComponentPrinterFixture::TearDown();
        SetSettingsStoreFile(previous);
    }
};

TEST_F(ComponentPrinterSettings, SavingAndLoadingGiveBackTheFormatsAndFileNamesInOrder)
{
    printer->SetAutoUpdateDateTime(false);
    printer->SetDateFormat(3);
    printer->SetTimeFormat(1);
    printer->SetPageNumberFormat(pnfRoman);
    for (int i = 0; i < 12; ++i)
        printer->PrintFileList()->Add("/daten/matrix" + std::to_string(i) + ".prn");
    const std::string path = "Software\\Tessaro\\PrintingSystem\\Test";
    printer->SaveToRegistry(path);
    // Saving again replaces the list.
    printer->PrintFileList()->Delete(0);
    printer->SaveToRegistry(path);

    TComponent other(nullptr);
    auto* fresh = new TCustomdxComponentPrinter(&other);
    fresh->LoadFromRegistry(path);
    EXPECT_FALSE(fresh->AutoUpdateDateTime());
    EXPECT_EQ(fresh->DateFormat(), 3);
    EXPECT_EQ(fresh->TimeFormat(), 1);
    EXPECT_EQ(fresh->PageNumberFormat(), pnfRoman);
    EXPECT_EQ(test::Lines(*fresh->PrintFileList()), test::Lines(*printer->PrintFileList()));

    TRegistry registry;
    ASSERT_TRUE(registry.OpenKeyReadOnly("\\" + path + "\\PrintDialogFiles"));
    EXPECT_EQ(registry.ReadString("File0"), "/daten/matrix1.prn");
    EXPECT_FALSE(registry.ValueExists("File11"));

    // A path with nothing under it changes nothing.
    auto* empty = new TCustomdxComponentPrinter(&other);
    empty->LoadFromRegistry("Software\\Tessaro\\Nichts");
    EXPECT_TRUE(empty->AutoUpdateDateTime());
    EXPECT_EQ(empty->PrintFileList()->Count(), 0);
}

TEST_F(ComponentPrinterSettings, ThePublishedPrinterLoadsAfterLoadingAndSavesWhenItGoes)
{
    const std::string root = dxPSEngine()->RegistryPath();
    Finally restoreRoot([&] { dxPSEngine()->SetRegistryPath(root); });
    dxPSEngine()->SetRegistryPath("Software\\Tessaro\\PrintingSystem\\Matrix");
    {
        TRegistry registry;
        ASSERT_TRUE(registry.OpenKey("\\Software\\Tessaro\\PrintingSystem\\Matrix", true));
        registry.WriteInteger("DateFormat", 4);
        registry.WriteInteger("PageNumberFormat", 2);
    }
    // A printer that never read the settings does not write its defaults over them.
    delete printer;
    printer = nullptr;
    TComponent other(nullptr);
    auto* loaded = new TdxComponentPrinter(&other);
    loaded->Loaded();
    EXPECT_EQ(loaded->DateFormat(), 4);
    EXPECT_EQ(loaded->PageNumberFormat(), pnfUpperChars);
    loaded->SetTimeFormat(2);
    loaded->PrintFileList()->Add("/daten/zuletzt.prn");
    delete loaded;
    TCustomdxComponentPrinter check(nullptr);
    check.LoadFromRegistry("Software\\Tessaro\\PrintingSystem\\Matrix");
    EXPECT_EQ(check.TimeFormat(), 2);
    EXPECT_EQ(check.DateFormat(), 4);
    EXPECT_EQ(test::Lines(*check.PrintFileList()), std::vector<std::string>{"/daten/zuletzt.prn"});

    // A store that cannot be written: the error goes to the application's
    // handler, never out of the destructor.
    auto* failing = new TdxComponentPrinter(&other);
    failing->Loaded();
    test::WriteFileBytes(dir.File("store.ini"), "@Variant(kaputt)\n");
    std::string reported;
    Application().OnException = [&](TObject*, const std::exception& E) { reported = E.what(); };
    Finally noHandler([] { Application().OnException = nullptr; });
    EXPECT_NO_THROW(delete failing);
    EXPECT_FALSE(reported.empty());
}

TEST_F(ComponentPrinter, ASettingsChangeRefreshesThePrinterDevice)
{
    const int before = printers.Backend->PrintersCalls;
    Application().SettingChange();
    EXPECT_GT(printers.Backend->PrintersCalls, before);
    delete printer;
    printer = nullptr;
    Application().SettingChange();   // heard no more
}

} // namespace
} // namespace qel
