#include "demo/DemoReport.h"

#include "dbgrid/DBGrid.h"
#include "demo/DemoGrid.h"
#include "platform/core/Guards.h"
#include "platform/data/DataSource.h"
#include "platform/printers/PdfFilePrinter.h"
#include "printing/DBGridReportLink.h"
#include "printing/PrintDevice.h"

namespace qel::demo {

void PrintReportToPdf(TBasedxReportLink& Link, const std::string& FileName, const std::string& Title)
{
    TdxPrintDevice& device = *dxPrintDevice();
    const int pdf = device.Printers()->IndexOf(PdfPrinterName);
    if (pdf < 0)
        throw Exception("the PDF file printer is not installed");
    device.SetPrinterIndex(pdf);
    const TdxPrinterPage& page = *Link.GetRealPrinterPage();
    device.SetPaperByCode(page.DMPaper());
    device.SetOrientation(page.Orientation());
    device.SetTitle(Title);
    device.SetOutputFileName(FileName);
    const int pages = Link.GetPageCount();
    if (device.BeginDoc() <= 0)
        throw Exception("the PDF file printer did not start the job");
    // A failure on the way drops the job: no half-written report.
    Finally abort([&device] {
        if (device.Printing())
            device.Abort();
    });
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            device.NewPage();
        TCanvas& canvas = *device.Canvas();
        const TDeviceCaps& caps = canvas.DeviceCaps();
        // The whole paper, relative to the printable origin.
        const TRect paper{-caps.PhysicalOffsetX, -caps.PhysicalOffsetY, caps.PhysicalWidth - caps.PhysicalOffsetX,
                          caps.PhysicalHeight - caps.PhysicalOffsetY};
        Link.PaintPage(canvas, paper, i, i, 100);
    }
    device.EndDoc();
}

void SetUpAccessMatrixReport(TdxDBGridReportLink& Link, bool FitOnePageWide)
{
    TdxPrinterPage* page = Link.PrinterPage();
    page->SetMeasurementUnits(muMillimeters);
    page->SetDMPaper(9);
    page->SetOrientation(poPortrait);
    if (FitOnePageWide) {
        page->SetFitToPagesByWide(1);
        page->SetFitToPagesByTall(0);
        page->SetScaleMode(smFit);
    } else {
        page->SetScaleMode(smAdjust);
        page->SetScaleFactor(100);
    }
    page->PageHeader()->CenterTitle()->SetText("[Date Printed]");
    page->PageFooter()->CenterTitle()->SetText("Page [Page #] of [Total Pages]");
    Link.SetBandsOnEveryPage(true);
    Link.SetHeadersOnEveryPage(true);
}

TReportFacts WriteAccessMatrixReport(TDataSet& Matrix, const std::string& FileName, bool FitOnePageWide)
{
    TComponent owner(nullptr);
    auto* source = new TDataSource(&owner);
    source->SetDataSet(&Matrix);
    TdxDBGrid* grid = MakeAccessMatrixGrid(&owner, source);
    auto* link = new TdxDBGridReportLink(&owner);
    SetUpAccessMatrixReport(*link, FitOnePageWide);
    link->SetComponent(grid);
    link->SetActive(true);
    TReportFacts facts;
    facts.Pages = link->GetPageCount();
    link->GetPageCounts(facts.PagesAcross, facts.PagesDown);
    PrintReportToPdf(*link, FileName, "Zutrittsmatrix");
    return facts;
}

} // namespace qel::demo
