// The print dialog with the built-in PDF file printer, as the component
// printer opens it with a style manager: opening, filling and showing it
// (goal: under 100 ms); and what a second opening asks of the printers
// (goal: no fact the device already holds; only each printer's status,
// which changes while the program runs).
#include "bench/BenchSupport.h"
#include "bench/CountingPrinterBackend.h"
#include "platform/controls/Application.h"
#include "preview/PreviewDialogs.h"
#include "preview/PrintDialog.h"
#include "printing/PrintDevice.h"
#include "printing/PrintStyles.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace qel;
using qel::bench::App;
using qel::bench::TCountingBackend;

struct Harness {
    TCountingBackend* backend = nullptr;
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    TdxPrintDialogData data;
    TdxPrintDialogRequest request;

    Harness()
    {
        App();
        dxInstallPreviewDialogs();
        dxPrintDeviceInstance(2);
        dxSetPrintDeviceBackendFactory([this] {
            auto counting = std::make_unique<TCountingBackend>();
            backend = counting.get();
            return counting;
        });
        TdxPrintDevice* device = dxPrintDevice();
        device->SetPrinterIndex(device->Printers()->IndexOf("PDF-Datei"));
        auto* manager = new TdxPrintStyleManager(owner.get());
        for (const char* caption : {"Zutrittsmatrix", "Zutrittsmatrix quer", "Entwurf"})
            manager->AddStyle()->SetStyleCaption(caption);
        data.MinRange = 1;
        data.MaxRange = 12;
        data.StyleManager = manager;
        request.Data = &data;
        request.Title = "Print";
        request.ButtonsVisible = {pdbPrinterProperties, pdbPreview, pdbPageSetup, pdbDefineStyles, pdbStyleOptions};
        request.ButtonsEnabled = request.ButtonsVisible;
        request.OptionsVisible = {pdoPrintToFile, pdoAllPages, pdoCurrentPage, pdoPageRange, pdoPrintStyles};
        request.OptionsEnabled = {pdoPrintToFile, pdoAllPages, pdoCurrentPage, pdoPageRange};
    }
    ~Harness()
    {
        owner.reset();
        dxPrintDeviceInstance(2);
        dxSetPrintDeviceBackendFactory({});
    }
    // Opens the dialog, lets it paint, and closes it.
    void OpenAndClose()
    {
        TModalFormHookScope hook([](TForm& Form) {
            Application().ProcessMessages();
            Form.SetModalResult(mrCancel);
        });
        dxPrintDialog(request);
    }
};

void BM_OpenFillShow(benchmark::State& State)
{
    Harness h;
    h.OpenAndClose();
    for (auto _ : State)
        h.OpenAndClose();
}
BENCHMARK(BM_OpenFillShow)->Unit(benchmark::kMillisecond);

// Questions to the printers on opening the dialog again.
void BM_ReopenPrinterQuestions(benchmark::State& State)
{
    Harness h;
    qel::bench::CountReopenQuestions(State, *h.backend, [&] { h.OpenAndClose(); });
    State.counters["printers"] = static_cast<double>(dxPrintDevice()->Printers()->Count());
}
BENCHMARK(BM_ReopenPrinterQuestions)->Unit(benchmark::kMillisecond);

} // namespace
