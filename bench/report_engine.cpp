// The report engine against its peers, in one run with interleaved
// repetitions and medians:
//  - pagination alone (plain data) of 10^5 and 10^6 rows x 10 columns with a
//    repeated header and footer, against std::sort of the same delimiter list;
//  - building a cell tree of 10^6 rows x 10 texts, and its bytes per item,
//    against a plain vector of structs holding the same texts;
//  - painting one page of 50 rows x 10 cells to a preview-sized bitmap and to
//    a PDF page, against drawing the same texts and lines straight onto the canvas;
//  - the first page before the last is cut: from the end of a build to page 1
//    painted, against cutting every page; a rebuild with page 1 against the
//    build alone.
#include "bench/BenchSupport.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/PdfDocument.h"
#include "printing/Pagination.h"
#include "printing/ReportLink.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <malloc.h>
#include <map>
#include <memory>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace qel;
using qel::bench::App;

// The heap in use including the large blocks malloc maps on their own (a
// vector's one big buffer lives there).
std::size_t HeapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

constexpr int Columns = 10;
constexpr int RowPixels = 21;
constexpr int ColumnPixels = 100;

// A grid cell's text: a number, a short name or a long one.
std::string CellText(int Row, int Column)
{
    switch (Column % 3) {
    case 0: return std::to_string(Row);
    case 1: return "Tür " + std::to_string(Row);
    default: return "Zutritt Gebäude Nord " + std::to_string(Row * 10 + Column);
    }
}

// ----- pagination ---------------------------------------------------------------------------------

struct Layout {
    std::vector<std::int64_t> Horz;
    std::vector<std::int64_t> Vert;
    std::vector<std::int64_t> Shuffled;
    TdxReportRowIndex Rows;
    TdxPaginationInput In;

    explicit Layout(int RowCount)
    {
        const std::int64_t row = RowPixels * 100;
        const std::int64_t width = std::int64_t{Columns} * ColumnPixels * 100;
        std::vector<TdxReportRow> rows;
        rows.reserve(static_cast<std::size_t>(RowCount));
        for (int r = 0; r < RowCount; ++r) {
            rows.push_back({r * row, (r + 1) * row, 0, width});
            Vert.push_back((r + 1) * row);
        }
        for (int c = 1; c < Columns; ++c)
            Horz.push_back(c * ColumnPixels * 100);
        Shuffled = Vert;
        std::shuffle(Shuffled.begin(), Shuffled.end(), std::mt19937(5));
        dxPrepareDelimiters(Horz, width);
        dxPrepareDelimiters(Vert, RowCount * row);
        Rows.Assign(std::move(rows));
        In.HorzDelimiters = Horz;
        In.VertDelimiters = Vert;
        In.ReportWidth = width;
        In.ReportHeight = RowCount * row;
        In.AvailableWidth = 69770;   // A4 inside 12.7 mm margins
        In.AvailableHeight = 102652;
        In.HeaderHeight = 2500;
        In.FooterHeight = 2100;
        In.MarkEmptyPages = true;
        In.Rows = &Rows;
    }
};

Layout& LayoutOf(int Rows)
{
    static std::map<int, std::unique_ptr<Layout>> layouts;
    auto& l = layouts[Rows];
    if (!l)
        l = std::make_unique<Layout>(Rows);
    return *l;
}

void BM_Paginate(benchmark::State& State)
{
    Layout& l = LayoutOf(static_cast<int>(State.range(0)));
    for (auto _ : State) {
        TdxPaginator p;   // fresh state
        p.Begin(l.In);
        p.Calculate();
        benchmark::DoNotOptimize(p.PagesCut());
    }
    TdxPaginator p;
    p.Begin(l.In);
    p.Calculate();
    State.counters["pages"] = p.PagesCut();
}

void BM_SortDelimiters(benchmark::State& State)
{
    Layout& l = LayoutOf(static_cast<int>(State.range(0)));
    std::vector<std::int64_t> list;
    for (auto _ : State) {
        State.PauseTiming();
        list = l.Shuffled;
        State.ResumeTiming();
        std::sort(list.begin(), list.end());
        benchmark::DoNotOptimize(list.data());
    }
}

// ----- the cell tree --------------------------------------------------------------------------------

void FillRow(TdxReportCell& Root, int Row)
{
    TdxReportCell* row = Root.AddCell();
    row->SetBoundsRect64({0, std::int64_t{Row} * RowPixels, Columns * ColumnPixels, std::int64_t{Row + 1} * RowPixels});
    row->SetCellSides({});   // the row itself draws no lines, its cells do
    for (int c = 0; c < Columns; ++c) {
        auto* text = row->AddDataItem<TdxReportCellString>();
        text->SetBoundsRect({c * ColumnPixels, 0, (c + 1) * ColumnPixels, RowPixels});
        text->SetText(CellText(Row, c));
        text->SetFontIndex(0);
    }
}

void BM_BuildCellTree(benchmark::State& State)
{
    const int rows = static_cast<int>(State.range(0));
    double bytesPerItem = 0;
    for (auto _ : State) {
        const std::size_t before = HeapInUse();
        auto cells = std::make_unique<TdxReportCells>();
        for (int r = 0; r < rows; ++r)
            FillRow(*cells->Cells(), r);
        State.PauseTiming();
        bytesPerItem = double(HeapInUse() - before) / (double(rows) * Columns);
        cells.reset();
        State.ResumeTiming();
    }
    State.counters["bytes_per_item"] = bytesPerItem;
}

// The peer: a plain vector of structs with the same texts.
struct PlainItem {
    TRect Bounds;
    TColor Color;
    int FontIndex;
    std::uint32_t Format;
    std::string Text;
};

void BM_BuildPlainVector(benchmark::State& State)
{
    const int rows = static_cast<int>(State.range(0));
    double bytesPerItem = 0;
    for (auto _ : State) {
        const std::size_t before = HeapInUse();
        auto items = std::make_unique<std::vector<PlainItem>>();
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < Columns; ++c)
                items->push_back({{c * ColumnPixels, 0, (c + 1) * ColumnPixels, RowPixels}, clWhite, 0, 0,
                                  CellText(r, c)});
        State.PauseTiming();
        bytesPerItem = double(HeapInUse() - before) / (double(rows) * Columns);
        items.reset();
        State.ResumeTiming();
    }
    State.counters["bytes_per_item"] = bytesPerItem;
}

// ----- painting one page ------------------------------------------------------------------------------

class TBenchLink : public TBasedxReportLink {
public:
    explicit TBenchLink(int Rows) : TBasedxReportLink(nullptr), m_rows(Rows)
    {
        PrinterPage()->SetMeasurementUnits(muMillimeters);
        PrinterPage()->SetDMPaper(9);
    }
    using TBasedxReportLink::ConstructReport;

protected:
    void ConstructReport(TdxReportCells& Cells) override
    {
        TBasedxReportLink::ConstructReport(Cells);
        Cells.Cells()->SetBoundsRect64({0, 0, Columns * ColumnPixels, std::int64_t{m_rows} * RowPixels});
        for (int r = 0; r < m_rows; ++r)
            FillRow(*Cells.Cells(), r);
    }
    void GetDelimiters(TdxReportCells& Cells, std::vector<std::int64_t>& Horz,
                       std::vector<std::int64_t>& Vert) override
    {
        TdxReportCell* root = Cells.Cells();
        for (int c = 1; c < Columns; ++c)
            Horz.push_back(std::int64_t{c} * ColumnPixels * 100);
        for (int i = 0; i < root->CellCount(); ++i)
            Vert.push_back(root->Cells(i)->BoundsRect64().Bottom);
    }

private:
    int m_rows;
};

struct PageFixture {
    TComponent owner{nullptr};
    TBenchLink link{50};
    PageFixture()
    {
        App();
        link.SetComponent(&owner);
        // One page of 50 rows x 10 cells: the page is wide and tall enough.
        link.PrinterPage()->SetScaleFactor(65);
        link.SetActive(true);
    }
};

PageFixture& Page()
{
    static PageFixture* fixture = new PageFixture;
    return *fixture;
}

// The same texts and lines drawn straight onto the canvas, in the same
// mapping and font, without the cell tree.
void PaintDirect(TCanvas& Canvas, const TRect& PageRect)
{
    TBasedxReportLink& link = Page().link;
    TCanvasStateSaver saver(Canvas);
    TdxPSReportRenderInfo* info = link.RenderInfo();
    const int scale = info->ZoomDenominator();
    Canvas.SetMapMode(MM_ISOTROPIC);
    Canvas.SetWindowExt(static_cast<int>(info->PaperWidth() * 100 / scale),
                        static_cast<int>(info->PaperHeight() * 100 / scale));
    Canvas.SetViewportExt(PageRect.Width(), PageRect.Height());
    Canvas.SetViewportOrg(PageRect.Left, PageRect.Top);
    const TdxPageInfo* page = info->Page(0);
    Canvas.SetWindowOrg(-static_cast<int>(page->OffsetX), -static_cast<int>(page->OffsetY));
    TFont font;
    font.Assign(link.Font());
    dxSetFontToReportUnits(font);
    Canvas.Font()->SetPixelsPerInch(font.PixelsPerInch());
    Canvas.SetFont(&font);
    Canvas.SetBkMode(TRANSPARENT);
    Canvas.Brush()->SetColor(clBlack);
    const int line = 16;
    const int w = ColumnPixels * 100;
    const int h = RowPixels * 100;
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < Columns; ++c) {
            const TRect cell{c * w, r * h, (c + 1) * w, (r + 1) * h};
            Canvas.FillRect({cell.Right - line, cell.Top, cell.Right, cell.Bottom});
            Canvas.FillRect({cell.Left, cell.Bottom - line, cell.Right, cell.Bottom});
            Canvas.FillRect({cell.Left, cell.Top, cell.Left + line, cell.Bottom});
            Canvas.FillRect({cell.Left, cell.Top, cell.Right, cell.Top + line});
            const TRect text{cell.Left + line, cell.Top + line, cell.Right - line, cell.Bottom - line};
            Canvas.ExtTextOut(text.Left + 200, text.Top + 400, ETO_CLIPPED, &text, CellText(r, c));
        }
}

void PaintEngine(TCanvas& Canvas, const TRect& PageRect)
{
    Page().link.PaintPage(Canvas, PageRect, 0, 0, 100);
}

template <void (*Paint)(TCanvas&, const TRect&)>
void BM_PaintBitmap(benchmark::State& State)
{
    Page();
    TBitmap bitmap(794, 1123);   // A4 at 96 pixels per inch, as the preview shows it
    for (auto _ : State)
        Paint(*bitmap.Canvas(), {0, 0, 794, 1123});
}

template <void (*Paint)(TCanvas&, const TRect&)>
void BM_PaintPdf(benchmark::State& State)
{
    Page();
    const std::string file = (std::filesystem::temp_directory_path() / "qel_bench_page.pdf").string();
    TPdfDocument pdf(file);
    pdf.SetPageSize(2100, 2970);
    pdf.BeginDoc();
    bool first = true;
    for (auto _ : State) {
        if (!first)
            pdf.NewPage();
        first = false;
        TCanvas* canvas = pdf.Canvas();
        Paint(*canvas, {0, 0, pdf.PageWidth(), pdf.PageHeight()});
    }
    pdf.Abort();
}

// ----- the first page before the last is cut ----------------------------------------------------

struct BigFixture {
    TComponent owner{nullptr};
    std::unique_ptr<TBenchLink> link;
    explicit BigFixture(int Rows) : link(std::make_unique<TBenchLink>(Rows))
    {
        App();
        link->SetComponent(&owner);
        link->SetActive(true);
    }
};

BigFixture& Big(int Rows)
{
    static std::map<int, BigFixture*> fixtures;
    auto& f = fixtures[Rows];
    if (!f)
        f = new BigFixture(Rows);
    return *f;
}

void BM_FirstPagePainted(benchmark::State& State)
{
    BigFixture& f = Big(static_cast<int>(State.range(0)));
    TBitmap bitmap(794, 1123);
    for (auto _ : State) {
        f.link->CalculateRenderInfo();   // the state a build ends in
        f.link->PaintPage(*bitmap.Canvas(), {0, 0, 794, 1123}, 0, 0, 100);
    }
}

// Only the first page row cut, without painting.
void BM_FirstPageCut(benchmark::State& State)
{
    BigFixture& f = Big(static_cast<int>(State.range(0)));
    for (auto _ : State) {
        f.link->CalculateRenderInfo();
        benchmark::DoNotOptimize(f.link->RenderInfo()->Page(0));
    }
}

void BM_EveryPageCut(benchmark::State& State)
{
    BigFixture& f = Big(static_cast<int>(State.range(0)));
    for (auto _ : State) {
        f.link->CalculateRenderInfo();
        benchmark::DoNotOptimize(f.link->RenderInfo()->PageCount());
    }
    State.counters["pages"] = f.link->RenderInfo()->PageCount();
}

void BM_RebuildAndFirstPage(benchmark::State& State)
{
    BigFixture& f = Big(static_cast<int>(State.range(0)));
    TBitmap bitmap(794, 1123);
    for (auto _ : State) {
        f.link->Rebuild();
        f.link->PaintPage(*bitmap.Canvas(), {0, 0, 794, 1123}, 0, 0, 100);
    }
}

void BM_Rebuild(benchmark::State& State)
{
    BigFixture& f = Big(static_cast<int>(State.range(0)));
    for (auto _ : State)
        f.link->Rebuild();
}

} // namespace

BENCHMARK(BM_Paginate)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortDelimiters)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildCellTree)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_BuildPlainVector)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_TEMPLATE(BM_PaintBitmap, PaintEngine)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_PaintBitmap, PaintDirect)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_PaintPdf, PaintEngine)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_PaintPdf, PaintDirect)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPagePainted)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPageCut)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EveryPageCut)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildAndFirstPage)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Rebuild)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Repetitions in random order and their medians unless asked otherwise.
int main(int argc, char** argv)
{
    std::vector<char*> args(argv, argv + argc);
    std::string reps = "--benchmark_repetitions=7";
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    bool given = false;
    for (int i = 1; i < argc; ++i)
        given = given || std::string(argv[i]).rfind("--benchmark_repetitions", 0) == 0;
    if (!given) {
        args.push_back(reps.data());
        args.push_back(interleave.data());
        args.push_back(aggregates.data());
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
