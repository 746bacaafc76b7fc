// The component printer's print job, in one run with interleaved rounds:
//  - the print loop's overhead: every page of a 10,000-row access-matrix
//    report through the component printer to the PDF file printer, against
//    painting the same pages of the same built report with the engine's
//    page routine onto a PDF document directly (goal: at most 1.1 times);
//  - the whole job, the report built from the rows included, against
//    soffice --headless --convert-to pdf converting the same rows as CSV
//    (goal: at most 1.5 times the converter's time). soffice is a
//    benchmark-only peer that tools/bench.sh installs; without it this side
//    is left out and said so.
#include "bench/BenchSupport.h"
#include "platform/controls/Dialogs.h"
#include "platform/printers/PdfFilePrinter.h"
#include "printing/ComponentPrinter.h"
#include "printing/PrintDevice.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace qel;
using namespace qel::bench;

constexpr int kConnectors = 10000;
constexpr int kBoxes = 32;
constexpr int kTitleWidth = 200;   // screen pixels
constexpr int kBoxWidth = 40;
constexpr int kRowHeight = 21;

std::string MatrixText(int Row, int Column)
{
    if (Column == 0)
        return "Tür " + std::to_string(Row + 1);
    return (Row + Column) % 3 == 0 ? "X" : "";
}

int ColumnLeft(int Column)
{
    return Column == 0 ? 0 : kTitleWidth + (Column - 1) * kBoxWidth;
}

// The access matrix as a report: one row per connector, its title and one
// check column per box. To measure the grid link instead, MakeMatrixLink
// builds a grid over the same rows and adds its link.
class TMatrixBenchLink : public TBasedxReportLink {
public:
    using TBasedxReportLink::TBasedxReportLink;

protected:
    void ConstructReport(TdxReportCells& Cells) override
    {
        TBasedxReportLink::ConstructReport(Cells);
        const int width = ColumnLeft(kBoxes + 1);
        TdxReportCell* root = Cells.Cells();
        root->SetBoundsRect64({0, 0, width, std::int64_t{kConnectors} * kRowHeight});
        for (int r = 0; r < kConnectors; ++r) {
            TdxReportCell* row = root->AddCell();
            row->SetBoundsRect64({0, std::int64_t{r} * kRowHeight, width, std::int64_t{r + 1} * kRowHeight});
            row->SetCellSides({});
            for (int c = 0; c <= kBoxes; ++c) {
                auto* item = row->AddDataItem<TdxReportCellString>();
                item->SetBoundsRect({ColumnLeft(c), 0, ColumnLeft(c + 1), kRowHeight});
                item->SetText(MatrixText(r, c));
                item->SetFontIndex(0);
            }
            if (ComponentPrinter() && r % 500 == 0)
                ComponentPrinter()->GenerateReportProgress(this, 100.0 * r / kConnectors);
        }
    }
    void GetDelimiters(TdxReportCells& Cells, std::vector<std::int64_t>& Horz,
                       std::vector<std::int64_t>& Vert) override
    {
        for (int c = 1; c <= kBoxes; ++c)
            Horz.push_back(ColumnLeft(c) * 100);
        TdxReportCell* root = Cells.Cells();
        for (int i = 0; i < root->CellCount(); ++i)
            Vert.push_back(root->Cells(i)->BoundsRect64().Bottom);
    }
};

TBasedxReportLink* MakeMatrixLink(TCustomdxComponentPrinter& Printer, TComponent* Owner)
{
    auto* link = new TMatrixBenchLink(Owner);
    link->PrinterPage()->SetMeasurementUnits(muMillimeters);
    link->PrinterPage()->SetDMPaper(9);
    link->PrinterPage()->PageFooter()->CenterTitle()->SetText("Seite [Page #]");
    link->SetComponent(Owner);
    Printer.InsertLink(link);
    return link;
}

void WriteCsv(const std::string& File)
{
    std::ofstream out(File);
    out << "Connector";
    for (int b = 1; b <= kBoxes; ++b)
        out << ",Box " << b;
    out << '\n';
    for (int r = 0; r < kConnectors; ++r) {
        for (int c = 0; c <= kBoxes; ++c)
            out << (c ? "," : "") << MatrixText(r, c);
        out << '\n';
    }
}

std::vector<TPrinterPaper> A4()
{
    return {TPrinterPaper{9, "A4 210 x 297 mm", 2100, 2970, 0, 0, 0, 0, ""}};
}

struct TSetup {
    TTempDir Dir{"component-printer"};
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
        Link = MakeMatrixLink(*Printer, &Owner);
        Link->SetActive(true);
        Backend->Printer().AskFileName = [this](const std::string&) {
            return std::optional<std::string>(Dir.File("printer.pdf"));
        };
        WriteCsv(Dir.File("matrix.csv"));
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
