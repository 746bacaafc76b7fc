// The component printer's print job, in one run with interleaved rounds:
//  - the print loop's overhead: every page of a 10,000-row access-matrix
//    report (the main program's grid and its report link, set up as the
//    main program prints it) through the component printer to the PDF file
//    printer, against painting the same pages of the same built report with
//    the engine's page routine onto a PDF document directly (goal: at most
//    1.1 times);
//  - the whole job, the report built from the grid's rows included, against
//    soffice --headless --convert-to pdf converting the same rows as CSV
//    (goal: at most 1.5 times the converter's time). soffice is a
//    benchmark-only peer that tools/bench.sh installs; without it this side
//    is left out and said so.
#include "bench/AccessMatrixData.h"
#include "bench/BenchSupport.h"
#include "demo/DemoGrid.h"
#include "demo/DemoReport.h"
#include "platform/controls/Dialogs.h"
#include "platform/data/DataSource.h"
#include "platform/printers/PdfFilePrinter.h"
#include "printing/ComponentPrinter.h"
#include "printing/DBGridReportLink.h"
#include "printing/PrintDevice.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace qel;
using namespace qel::bench;

constexpr int kConnectors = 10000;

// The main program's grid over the matrix and its report link, joined to Printer.
TBasedxReportLink* MakeMatrixLink(TCustomdxComponentPrinter& Printer, TComponent* Owner, TDataSet& Matrix)
{
    auto* source = new TDataSource(Owner);
    source->SetDataSet(&Matrix);
    auto* link = new TdxDBGridReportLink(Owner);
    demo::SetUpAccessMatrixReport(*link);
    link->SetComponent(demo::MakeAccessMatrixGrid(Owner, source));
    Printer.InsertLink(link);
    return link;
}

std::vector<TPrinterPaper> A4()
{
    return {TPrinterPaper{9, "A4 210 x 297 mm", 2100, 2970, 0, 0, 0, 0, ""}};
}

struct TSetup {
    TTempDir Dir{"component-printer"};
    std::unique_ptr<TMemoryDataSet> Matrix = MakeMatrix(kConnectors);
    TComponent Owner{nullptr};
    TCustomdxComponentPrinter* Printer;
    TBasedxReportLink* Link;
    TPdfPrinterBackend* Backend = nullptr;

    TSetup()
    {
        App();
        dxPrintDeviceInstance(2);
        dxSetPrintDeviceBackendFactory([this] {
            auto backend = std::make_unique<TPdfPrinterBackend>(A4());
            Backend = backend.get();
            return backend;
        });
        dxPrintDevice()->Printers();
        Printer = new TCustomdxComponentPrinter(&Owner);
        Link = MakeMatrixLink(*Printer, &Owner, *Matrix);
        Link->SetActive(true);
        Backend->Printer().AskFileName = [this](const std::string&) {
            return std::optional<std::string>(Dir.File("printer.pdf"));
        };
        WriteMatrixCsv(Dir.File("matrix.csv"), kConnectors);
    }
    ~TSetup()
    {
        dxPrintDeviceInstance(2);
        dxSetPrintDeviceBackendFactory({});
    }
};

// The engine's page routine onto a PDF document, page by page.
TTime DirectSample(TSetup& S)
{
    TBasedxReportLink& link = *S.Link;
    TDeviceMode mode;
    S.Backend->DefaultDeviceMode(PdfPrinterName, mode);
    mode.PaperSize = 9;
    return TimeOf([&] {
        auto job = S.Backend->StartDoc(PdfPrinterName, mode, TDocInfo{"Matrix", S.Dir.File("direct.pdf")});
        const int pages = link.GetVisiblePageCount();
        for (int i = 0; i < pages; ++i) {
            job->StartPage(mode);
            TCanvas canvas;
            job->BindCanvas(canvas);
            link.PaintPage(canvas, dxPaperRect(canvas.DeviceCaps()), i, i, 100);
            job->UnbindCanvas(canvas);
            job->EndPage();
        }
        job->EndDoc();
    });
}

TTime PrinterSample(TSetup& S, bool Rebuild)
{
    S.Printer->SetOptions(Rebuild ? TdxComponentPrinterOptions{cpoAutoRebuildBeforePrint} : TdxComponentPrinterOptions{});
    return TimeOf([&] {
        if (!S.Printer->Print(false, nullptr, S.Link))
            throw std::runtime_error("the component printer printed nothing");
    });
}

std::vector<std::string> SofficeCommand(const TSetup& S)
{
    // Comma-separated, UTF-8 (76), starting at line 1.
    return {"soffice", "--headless", "--norestore", "-env:UserInstallation=file://" + S.Dir.File("lo-profile"),
            "--infilter=CSV:44,34,76,1", "--convert-to", "pdf", "--outdir", S.Dir.File("soffice"),
            S.Dir.File("matrix.csv")};
}

void BM_ComponentPrinterJob(benchmark::State& State)
{
    for (auto _ : State) {
        TSetup s;
        // The margins question never comes up on the PDF printer; answer it anyway.
        TMessageDlgHookScope yes([](const TMessageDlgParams&) { return mrYes; });
        const bool soffice = HaveProgram("soffice");
        if (soffice)
            RunChild(SofficeCommand(s), false);   // its profile is made once, outside the clock
        else
            Say("\nsoffice is not installed (tools/bench.sh installs libreoffice-calc-nogui): "
                "the comparison with it is left out\n");

        TComparison c("10,000-row access matrix (" + std::to_string(s.Link->GetVisiblePageCount())
                      + " pages) to PDF");
        const int direct = c.Add("engine's page routine straight to a PDF", [&] { return DirectSample(s); });
        const int printer = c.Add("component printer to the PDF printer", [&] { return PrinterSample(s, false); });
        const int whole = c.Add("component printer, report built first", [&] { return PrinterSample(s, true); });
        int peer = -1;
        if (soffice)
            peer = c.Add("soffice --convert-to pdf of the rows as CSV",
                         [&] { return TimeOf([&] { RunChild(SofficeCommand(s), false); }); });
        c.Run(Rounds(5));
        Say("Time over the peer's (below 1: faster)\n");
        c.TimeRatio("print loop / page routine straight to PDF  (goal <= 1.1)", printer, direct);
        if (soffice)
            c.TimeRatio("build and print / soffice CSV to PDF      (goal <= 1.5)", whole, peer);
        else
            Recap("build and print: soffice not installed, %.1f ms on our side", c.MedianSeconds(whole) * 1e3);
        State.counters["pages"] = s.Link->GetVisiblePageCount();
    }
}
BENCHMARK(BM_ComponentPrinterJob)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return qel::bench::RunBenchmarks(argc, argv);
}
