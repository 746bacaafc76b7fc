#include "demo/DemoPreview.h"

#include "demo/DemoPrintDialog.h"
#include "demo/DemoReport.h"
#include "printing/DBGridReportLink.h"
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Menus.h"
#include "platform/core/Guards.h"
#include "platform/printers/PdfFilePrinter.h"
#include "preview/PrintDialog.h"
#include "preview/StdPreview.h"
#include "printing/ComponentPrinter.h"
#include "printing/PrintDevice.h"

#include <filesystem>

namespace qel::demo {

namespace {

void WaitForPagination(TdxfmStdPreview& Window)
{
    while (!Window.PaginationComplete())
        Application().ProcessMessages();
}

} // namespace

TdxfmStdPreview* TAccessMatrixPreview::Preview()
{
    Printer->Preview(false, Link);
    return dynamic_cast<TdxfmStdPreview*>(Printer->PreviewWindow());
}

std::unique_ptr<TAccessMatrixPreview> MakeAccessMatrixPreview(const std::string& Title, TForm& GridWindow)
{
    auto report = std::make_unique<TAccessMatrixPreview>();
    report->Owner = std::make_unique<TComponent>(nullptr);
    report->Printer = new TdxComponentPrinter(report->Owner.get());
    report->Printer->PreviewOptions()->SetCaption("Seitenansicht - Zutrittsmatrix");
    // The grid's own report link, found through the link registry.
    report->Link = report->Printer->AddLink(GridWindow.FindComponent("AccessMatrix"));
    if (auto* link = dynamic_cast<TdxDBGridReportLink*>(report->Link))
        SetUpAccessMatrixReport(*link);
    report->Link->SetReportTitleText("Zutrittsmatrix: " + Title);
    return report;
}

void PrintFromPreviewWindow(TdxfmStdPreview& Window, const std::string& PdfFile)
{
    TdxPrintDevice* device = dxPrintDevice();
    const int pdf = device->Printers()->IndexOf(PdfPrinterName);
    if (pdf >= 0)
        device->SetPrinterIndex(pdf);
    // The print dialog, driven by the steps a person would take.
    TPrintDialogSteps steps;
    steps.Printer = PdfPrinterName;
    steps.FileName = PdfFile;
    TModalFormHookScope hook([&](TForm& Form) {
        if (auto* dialog = dynamic_cast<TdxfmPrintDialog*>(&Form))
            ActInPrintDialog(*dialog, steps);
    });
    if (TMenuItem* print = Window.FindMenuItem({"&File", "&Print..."}))
        print->Click();
}

void SaveAccessMatrixPreviewWindow(TAccessMatrixPreview& Report, const std::string& OutDir,
                                   const std::string& PdfFile)
{
    TdxfmStdPreview* window = Report.Preview();
    if (!window)
        return;
    window->SetBounds(40, 40, 1000, 760);
    WaitForPagination(*window);
    const auto save = [&](const char* Name) {
        SaveControlImage(window, (std::filesystem::path(OutDir) / Name).string());
    };
    window->ZoomByText("100%");
    save("preview-window-100.png");
    window->tbPageWidth->Click();
    save("preview-window-page-width.png");
    window->tbTwoPage->Click();
    save("preview-window-two-pages.png");
    window->tbFourPage->Click();
    save("preview-window-four-pages.png");

    // The window while the link builds again: the progress in the status bar.
    bool pictured = false;
    Report.Printer->OnGenerateReportProgress = [&](TObject*, TBasedxReportLink*, double Percent) {
        if (pictured || Percent < 40)
            return;
        pictured = true;
        save("preview-window-building.png");
    };
    Report.Link->Rebuild();
    Report.Printer->OnGenerateReportProgress = nullptr;
    WaitForPagination(*window);
    window->tbPageWidth->Click();

    PrintFromPreviewWindow(*window, PdfFile);
    window->Close();
    Application().ProcessMessages();
}

} // namespace qel::demo
