// The page setup dialog with the built-in PDF file printer: opening, filling
// and showing it (goal: under 150 ms); a drag step and a drop of a margin in
// its margins preview, each with its repaint (goal: under 16 ms); and what
// a second opening asks of the printers that the device knows already
// (goal: nothing).
#include "bench/BenchSupport.h"
#include "bench/CountingPrinterBackend.h"
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ComCtrls.h"
#include "preview/PageSetupForm.h"
#include "preview/Preview.h"
#include "preview/PreviewDialogs.h"
#include "printing/PSPrintStyle.h"
#include "printing/PrintControls.h"
#include "printing/PrintDevice.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace qel;
using qel::bench::App;
using qel::bench::TCountingBackend;

struct Harness {
    TCountingBackend* backend = nullptr;
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    TBasedxPrintStyle* style = nullptr;

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
        style = manager->AddStyle("TdxPSPrintStyle");
        style->SetStyleCaption("Zutrittsmatrix");
    }
    ~Harness()
    {
        owner.reset();
        dxPrintDeviceInstance(2);
        dxSetPrintDeviceBackendFactory({});
    }
    // Opens the dialog on the Margins tab, lets it paint, and closes it.
    void OpenAndClose()
    {
        TModalFormHookScope hook([](TForm& Form) {
            Application().ProcessMessages();
            Form.SetModalResult(mrCancel);
        });
        style->PageSetup(1);
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
}
BENCHMARK(BM_ReopenPrinterQuestions)->Unit(benchmark::kMillisecond);

struct DragHarness : Harness {
    std::unique_ptr<TdxfmPageSetupDialog> form;
    TdxPreview* preview = nullptr;
    int along = 0;

    DragHarness()
    {
        TdxPageSetupDialog dialog(nullptr);
        dialog.SetPrintStyle(style);
        form = dxCreatePageSetupForm(dialog.DialogData(nullptr));
        form->pgctrlMain->SetActivePage(form->tshMargins);
        form->Show();
        Application().ProcessMessages();
        preview = form->prvMargins;
        const TRect page = preview->PageBounds(0);
        along = (page.Top + page.Bottom) / 2;
    }
    ~DragHarness() { form.reset(); }
    int LeftLine() const
    {
        TdxPreviewMargin* m = preview->Margins()->Left();
        return m->ValueToPixel(m->Value());
    }
};

// One step of a drag: the line follows the mouse and the window repaints.
void BM_MarginDragStep(benchmark::State& State)
{
    DragHarness h;
    const int line = h.LeftLine();
    SimulateMouseMove(h.preview, line, h.along);
    SimulateMouseDown(h.preview, mbLeft, line, h.along);
    if (!h.preview->DraggingMargin()) {
        State.SkipWithError("the press missed the margin");
        return;
    }
    int step = 0;
    for (auto _ : State) {
        SimulateMouseMove(h.preview, line + 1 + (step++ % 8), h.along, {ssLeft});
        Application().ProcessMessages();
    }
    SimulateMouseUp(h.preview, mbLeft, line, h.along);
}
BENCHMARK(BM_MarginDragStep)->Unit(benchmark::kMillisecond);

// A drop: the spin edit takes the value, the margins are checked and the
// preview repaints.
void BM_MarginDrop(benchmark::State& State)
{
    DragHarness h;
    const double before = h.form->seLeft->Value();
    int step = 0;
    for (auto _ : State) {
        const int line = h.LeftLine();
        const int to = line + ((step++ % 2) == 0 ? 6 : -6);
        SimulateMouseMove(h.preview, line, h.along);
        SimulateMouseDown(h.preview, mbLeft, line, h.along);
        SimulateMouseMove(h.preview, to, h.along, {ssLeft});
        SimulateMouseUp(h.preview, mbLeft, to, h.along);
        Application().ProcessMessages();
        if (step == 1 && h.form->seLeft->Value() == before)
            State.SkipWithError("the drop did not reach the spin edit");
    }
}
BENCHMARK(BM_MarginDrop)->Unit(benchmark::kMillisecond);

} // namespace
