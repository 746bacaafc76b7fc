// The page preview on a 1280 x 1024 screen: the standard preview window on
// reports of 10^3 and 10^4 pages (the first page painted against paginating
// every page, a zoom step and a scroll, the window's memory, the bars
// repainted alone); and the control on its own: what the control itself costs a
// repaint at 100 %, page width and 10 % with none, 10^2 and 10^4 pages (the
// content routine costs nothing here, so the time is the control's), and a
// whole frame of the window; a one-line scroll, which paints only the
// uncovered strip; the page queries; the memory of a 10^4-page control; and
// a zoom step and a one-line scroll with the main program's access-matrix
// page as the content.
#include "bench/BenchSupport.h"
#include "demo/DemoConfig.h"
#include "demo/DemoData.h"
#include "demo/DemoGrid.h"
#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/ComCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "preview/Preview.h"
#include "preview/PreviewDialogs.h"
#include "preview/StdPreview.h"
#include "printing/ComponentPrinter.h"
#include "printing/DBGridReportLink.h"
#include "platform/data/DataSource.h"

#include <chrono>

#include <benchmark/benchmark.h>
#include <memory>

namespace {

using namespace qel;
using qel::bench::App;
using qel::bench::HeapInUse;

enum TView { vw100, vwPageWidth, vw10 };

struct Harness {
    std::unique_ptr<TForm> form;
    TdxPreview* preview;
    long long contentCalls = 0;
    std::function<void(TCanvas&, const TRect&, int)> content;

    explicit Harness(int Pages)
    {
        App();
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 1280, 1024);
        preview = new TdxPreview(form.get());
        preview->SetParent(form.get());
        preview->SetAlign(alClient);
        preview->OnDrawPageContent = [this](TObject*, TCanvas& C, const TRect& R, int Page) {
            ++contentCalls;
            if (content)
                content(C, R, Page);
        };
        preview->SetPageCount(Pages);
        form->Show();
        // The window is on the (offscreen) screen before anything is measured.
        Application().ProcessMessages();
    }
    void View(TView V)
    {
        if (V == vwPageWidth)
            preview->SetZoomMode(pzmPageWidth);
        else
            preview->SetZoomFactor(V == vw100 ? 100 : 10);
        // Somewhere in the middle of the pages.
        preview->SetSelectedPageIndex(preview->PageCount() / 2);
        preview->Repaint();
    }
};

// The control's own painting of the whole client area onto a bitmap.
void BM_Paint(benchmark::State& State)
{
    Harness h(static_cast<int>(State.range(1)));
    h.View(static_cast<TView>(State.range(0)));
    TBitmap bmp(1280, 1024);
    const TRect client = h.preview->ClientRect();
    h.contentCalls = 0;
    for (auto _ : State)
        h.preview->PaintTo(*bmp.Canvas(), client);
    State.counters["content_calls"] =
        benchmark::Counter(static_cast<double>(h.contentCalls) / static_cast<double>(State.iterations()));
}
BENCHMARK(BM_Paint)
    ->ArgNames({"view", "pages"})
    ->ArgsProduct({{vw100, vwPageWidth, vw10}, {0, 100, 10000}})
    ->Unit(benchmark::kMillisecond);

// A whole frame of the window: the control's painting and Qt's backing store.
void BM_Frame(benchmark::State& State)
{
    Harness h(static_cast<int>(State.range(1)));
    h.View(static_cast<TView>(State.range(0)));
    h.contentCalls = 0;
    for (auto _ : State)
        h.preview->Repaint();
    State.counters["content_calls"] =
        benchmark::Counter(static_cast<double>(h.contentCalls) / static_cast<double>(State.iterations()));
}
BENCHMARK(BM_Frame)
    ->ArgNames({"view", "pages"})
    ->ArgsProduct({{vw100, vw10}, {10000}})
    ->Unit(benchmark::kMillisecond);

// A line down, then back up, in the window: the pixels move and only the
// uncovered strip is painted (content_calls: the pages it meets).
void BM_ScrollOneLine(benchmark::State& State)
{
    Harness h(10000);
    h.View(static_cast<TView>(State.range(0)));
    h.contentCalls = 0;
    bool down = true;
    for (auto _ : State) {
        h.preview->ScrollBarAction(sbVertical, down ? scLineDown : scLineUp);
        h.preview->Update();
        down = !down;
    }
    State.counters["content_calls"] =
        benchmark::Counter(static_cast<double>(h.contentCalls) / static_cast<double>(State.iterations()));
}
BENCHMARK(BM_ScrollOneLine)->ArgNames({"view"})->Arg(vw100)->Arg(vw10)->Unit(benchmark::kMillisecond);

// The control's own part of that scroll: the strip it paints (compare BM_Paint).
void BM_ScrollStripPaint(benchmark::State& State)
{
    Harness h(10000);
    h.View(static_cast<TView>(State.range(0)));
    h.form->Hide();
    TBitmap bmp(1280, 1024);
    const TRect client = h.preview->ClientRect();
    h.contentCalls = 0;
    bool down = true;
    for (auto _ : State) {
        h.preview->ScrollBarAction(sbVertical, down ? scLineDown : scLineUp);
        const TRect strip = down ? Rect(0, client.Bottom - 30, client.Right, client.Bottom)
                                 : Rect(0, 0, client.Right, 30);
        h.preview->PaintTo(*bmp.Canvas(), strip);
        down = !down;
    }
    State.counters["content_calls"] =
        benchmark::Counter(static_cast<double>(h.contentCalls) / static_cast<double>(State.iterations()));
}
BENCHMARK(BM_ScrollStripPaint)->ArgNames({"view"})->Arg(vw100)->Arg(vw10)->Unit(benchmark::kMillisecond);

void BM_PageQueries(benchmark::State& State)
{
    Harness h(static_cast<int>(State.range(0)));
    h.View(vw10);
    long long found = 0;
    for (auto _ : State) {
        for (int y = 0; y < 1000; y += 7)
            for (int x = 0; x < 1260; x += 9)
                found += h.preview->PageIndexFromPoint({x, y});
        for (int i = 0; i < h.preview->PageCount(); i += h.preview->PageCount() / 100)
            found += h.preview->PageBounds(i).Left;
        found += h.preview->FirstVisiblePageIndex() + h.preview->LastVisiblePageIndex();
    }
    benchmark::DoNotOptimize(found);
}
BENCHMARK(BM_PageQueries)->ArgNames({"pages"})->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The control alone (no window on the screen, whose buffer is Qt's) at 10 %.
void BM_Memory(benchmark::State& State)
{
    App();
    for (auto _ : State) {
        const std::size_t before = HeapInUse();
        auto preview = std::make_unique<TdxPreview>(nullptr);
        preview->SetBounds(0, 0, 1280, 1024);
        preview->SetZoomFactor(10);
        preview->SetPageCount(static_cast<int>(State.range(0)));
        preview->SetSelectedPageIndex(preview->PageCount() / 2);
        State.counters["bytes"] = static_cast<double>(HeapInUse() - before);
    }
}
BENCHMARK(BM_Memory)->ArgNames({"pages"})->Arg(100)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

// The main program's access-matrix report, printed through the grid report
// link, as the pages' content: the engine's page routine, as the preview
// window paints it.
struct Report {
    std::unique_ptr<demo::TConfiguration> config{demo::MakeSampleConfiguration(32, 128)};
    std::unique_ptr<TMemoryDataSet> matrix{demo::MakeAccessMatrix(*config, nullptr)};
    TComponent owner{nullptr};
    TdxDBGridReportLink* link = nullptr;
    void Attach(Harness& H)
    {
        auto* source = new TDataSource(&owner);
        source->SetDataSet(matrix.get());
        link = new TdxDBGridReportLink(&owner);
        link->SetComponent(demo::MakeAccessMatrixGrid(&owner, source));
        link->SetActive(true);
        H.preview->SetPageCount(link->GetPageCount());
        H.content = [this, &H](TCanvas& C, const TRect& R, int Page) {
            link->PaintPage(C, R, Page, Page, H.preview->ZoomFactor());
        };
    }
};

// A step of the window with the report as content: a zoom step or a line scrolled.
void BM_ReportStep(benchmark::State& State)
{
    Harness h(100);
    Report report;
    report.Attach(h);
    h.View(vw100);
    const bool zoom = State.range(0) == 0;
    bool forth = true;
    for (auto _ : State) {
        if (zoom) {
            h.preview->SetZoomFactor(forth ? 110 : 100);
            h.preview->Repaint();
        } else {
            h.preview->ScrollBarAction(sbVertical, forth ? scLineDown : scLineUp);
            h.preview->Update();
        }
        forth = !forth;
    }
}
BENCHMARK(BM_ReportStep)->ArgNames({"scroll"})->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);


// ----- the standard preview window on a report of many pages ---------------------------------------

// A report of plain rows: 44 of them fill an A4 page.
class TBenchReportLink : public TBasedxReportLink {
    QEL_CLASS(TBenchReportLink)
public:
    using TBasedxReportLink::TBasedxReportLink;
    int Rows = 0;

protected:
    void ConstructReport(TdxReportCells& Cells) override
    {
        TBasedxReportLink::ConstructReport(Cells);
        Cells.Cells()->SetBoundsRect64({0, 0, 400, std::int64_t{Rows} * 21});
        for (int r = 0; r < Rows; ++r) {
            TdxReportCell* row = Cells.Cells()->AddCell();
            row->SetBoundsRect64({0, std::int64_t{r} * 21, 400, std::int64_t{r} * 21 + 21});
            auto* text = row->AddDataItem<TdxReportCellString>();
            text->SetBoundsRect({0, 0, 400, 21});
            text->SetText("Zeile " + std::to_string(r + 1));
        }
    }
    void GetDelimiters(TdxReportCells& Cells, std::vector<std::int64_t>&, std::vector<std::int64_t>& Vert) override
    {
        for (int i = 0; i < Cells.Cells()->CellCount(); ++i)
            Vert.push_back(Cells.Cells()->Cells(i)->BoundsRect64().Bottom);
    }
};

const bool g_benchLink = RegisterClass<TBenchReportLink>("TBenchReportLink", "TBasedxReportLink");

struct WindowHarness {
    TComponent owner{nullptr};
    TComponent* source = new TComponent(&owner);
    TdxComponentPrinter* printer = new TdxComponentPrinter(&owner);
    TBenchReportLink* link = new TBenchReportLink(&owner);
    TdxfmStdPreview* window = nullptr;
    long long contentCalls = 0;

    explicit WindowHarness(int Pages)
    {
        App();
        dxInstallPreviewDialogs();
        // Built now: opening the window must not build again.
        printer->SetOptions({cpoShowHourGlass});
        link->Rows = Pages * 44;
        link->PrinterPage()->SetDMPaper(9);
        link->SetComponent(source);
        printer->InsertLink(link);
        link->SetActive(true);
        printer->OnCustomDrawPage = [this](TObject*, TBasedxReportLink*, TCanvas&, int, const TRect&, int, int) {
            ++contentCalls;
        };
    }
    ~WindowHarness()
    {
        if (window)
            window->Close();
        Application().ProcessMessages();
    }
    void Open()
    {
        printer->Preview(false, link);
        window = dynamic_cast<TdxfmStdPreview*>(printer->PreviewWindow());
        window->SetBounds(0, 0, 1280, 1024);
    }
    void Paginate()
    {
        while (!window->PaginationComplete())
            Application().ProcessMessages();
    }
};

double Millis(std::chrono::steady_clock::duration D)
{
    return std::chrono::duration<double, std::milli>(D).count();
}

// The first page painted once a report's pages are to be cut again (as
// after a build), against cutting every page of it; the window cuts the
// rest on its timer afterwards. Also the whole opening of the window.
void BM_WindowFirstPage(benchmark::State& State)
{
    using Clock = std::chrono::steady_clock;
    WindowHarness h(static_cast<int>(State.range(0)));
    h.link->CalculateRenderInfo();
    const auto open = Clock::now();
    h.Open();
    TBitmap bmp(1280, 1024);
    h.window->Preview()->PaintTo(*bmp.Canvas(), h.window->Preview()->ClientRect());
    State.counters["open_window_ms"] = Millis(Clock::now() - open);
    double first = 0;
    double paginate = 0;
    int known = 0;
    double initMs = 0, paintMs = 0;
    for (auto _ : State) {
        h.link->CalculateRenderInfo();
        const auto all = Clock::now();
        h.link->RenderInfo()->Calculate();
        paginate += Millis(Clock::now() - all);
        h.link->CalculateRenderInfo();
        h.contentCalls = 0;
        const auto start = Clock::now();
        h.window->InitializePreview();
        const auto mid = Clock::now();
        h.window->Preview()->PaintTo(*bmp.Canvas(), h.window->Preview()->ClientRect());
        first += Millis(Clock::now() - start);
        initMs += Millis(mid - start);
        paintMs += Millis(Clock::now() - mid);
        known = h.window->Preview()->PageCount();
        h.Paginate();
    }
    const double n = static_cast<double>(State.iterations());
    State.counters["first_page_ms"] = first / n;
    State.counters["paginate_all_ms"] = paginate / n;
    State.counters["ratio"] = first / paginate;
    State.counters["pages_known_at_first_paint"] = known;
    // The two parts of the first page: the window set up from the link, and the paint.
    State.counters["initialize_ms"] = initMs / n;
    State.counters["paint_ms"] = paintMs / n;
}
BENCHMARK(BM_WindowFirstPage)->ArgNames({"pages"})->Arg(1000)->Arg(10000)->Iterations(10)->Unit(benchmark::kMillisecond);

enum TWindowStep { wsZoomIn, wsZoomBox, wsWidthFour, wsScroll };

// One step of the window, its visible pages repainted.
void BM_WindowStep(benchmark::State& State)
{
    WindowHarness h(10000);
    h.Open();
    h.window->Show();
    h.Paginate();
    h.window->Preview()->SetSelectedPageIndex(5000);
    Application().ProcessMessages();
    const auto step = static_cast<TWindowStep>(State.range(0));
    bool forth = true;
    for (auto _ : State) {
        switch (step) {
        case wsZoomIn:
            if (forth)
                h.window->Preview()->ZoomIn();
            else
                h.window->Preview()->ZoomOut();
            break;
        case wsZoomBox: h.window->ZoomByText(forth ? "150%" : "100%"); break;
        case wsWidthFour: (forth ? h.window->tbPageWidth : h.window->tbFourPage)->Click(); break;
        case wsScroll: h.window->Preview()->ScrollBarAction(sbVertical, forth ? scLineDown : scLineUp); break;
        }
        h.window->Preview()->Update();
        forth = !forth;
    }
}
BENCHMARK(BM_WindowStep)
    ->ArgNames({"step"})
    ->Arg(wsZoomIn)
    ->Arg(wsZoomBox)
    ->Arg(wsWidthFour)
    ->Arg(wsScroll)
    ->Unit(benchmark::kMillisecond);

// What the window holds beyond the link's report, every page cut before it opens.
void BM_WindowMemory(benchmark::State& State)
{
    WindowHarness h(static_cast<int>(State.range(0)));
    h.link->RenderInfo()->Calculate();
    for (auto _ : State) {
        const std::size_t before = HeapInUse();
        h.Open();
        h.Paginate();
        h.window->Preview()->SetZoomFactor(10);
        State.counters["bytes"] = static_cast<double>(HeapInUse() - before);
        State.counters["page_cache_cap_bytes"] = 0;   // pages are painted by the link, never kept
        h.window->Close();
        Application().ProcessMessages();
        h.window = nullptr;
    }
}
BENCHMARK(BM_WindowMemory)->ArgNames({"pages"})->Arg(1000)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

// The status bar's and the margin bar's repaints leave the preview alone.
void BM_WindowBars(benchmark::State& State)
{
    WindowHarness h(1000);
    h.Open();
    h.window->Show();
    h.Paginate();
    Application().ProcessMessages();
    h.contentCalls = 0;
    for (auto _ : State) {
        h.window->StatusBar()->Repaint();
        h.window->MarginBar()->Repaint();
    }
    State.counters["content_calls"] = static_cast<double>(h.contentCalls);
}
BENCHMARK(BM_WindowBars)->Unit(benchmark::kMillisecond);

} // namespace
