// The data-bound grid in all-records mode on 100,000 records of 10 fields:
// loading, regrouping by one and two columns (walking the dataset, and with
// egoSmartReload from the loaded rows), sorting, scrolling a page,
// following a dataset move, selecting 10,000 rows by bookmarks, and the
// memory a row takes.
#include "bench/BenchSupport.h"
#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridColumns.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"
#include "platform/graphics/Bitmap.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <malloc.h>
#include <memory>

namespace {

using namespace qel;
using qel::bench::App;
using qel::bench::HeapInUse;

constexpr int RecordCount = 100000;

// NUMBER (key), TITLE, AREA (20 values), KIND (7 values), six more fields.
struct Table {
    TComponent owner{nullptr};
    TMemoryDataSet* ds;
    TDataSource* source;
    Table()
    {
        App();
        ds = new TMemoryDataSet(&owner);
        ds->AddField("NUMBER", ftInteger);
        ds->AddField("TITLE", ftString, 30);
        ds->AddField("AREA", ftString, 10);
        ds->AddField("KIND", ftInteger);
        ds->AddField("ACTIVE", ftBoolean);
        ds->AddField("PORT", ftInteger);
        ds->AddField("ADDRESS", ftString, 15);
        ds->AddField("FEE", ftFloat);
        ds->AddField("NOTE", ftString, 20);
        ds->AddField("LEVEL", ftInteger);
        ds->Open();
        for (int i = 0; i < RecordCount; ++i)
            ds->AppendRecord({i, "Door " + std::to_string(i), "Area " + std::to_string((i * 7) % 20), i % 7,
                              i % 2 == 0, 48000 + i % 100, "10.0." + std::to_string(i % 250) + ".1", i * 0.5,
                              "n", i % 5});
        ds->First();
        source = new TDataSource(&owner);
        source->SetDataSet(ds);
    }
};

struct Grid {
    TComponent owner{nullptr};
    TdxDBGrid* grid;
    explicit Grid(Table& T, bool Bind = true, bool SmartReload = false)
    {
        grid = new TdxDBGrid(&owner);
        grid->SetBounds(0, 0, 1000, 600);
        grid->SetDefaultRowHeight(18);
        grid->SetKeyField("NUMBER");
        grid->SetOptions(grid->Options() + TdxDBGridOptions{egoLoadAllRecords, egoMultiSelect});
        if (SmartReload)
            grid->SetOptions(grid->Options() + TdxDBGridOptions{egoSmartReload});
        for (TField* f : T.ds->Fields())
            grid->CreateColumnOf<TdxDBGridColumn>()->SetFieldName(f->FieldName());
        if (Bind)
            grid->SetDataSource(T.source);
    }
};

Table& SharedTable()
{
    static Table t;
    return t;
}

void BM_OpenLoad(benchmark::State& State)
{
    Table& t = SharedTable();
    std::size_t bytes = 0;
    for (auto _ : State) {
        State.PauseTiming();
        auto g = std::make_unique<Grid>(t, false);
        const std::size_t before = HeapInUse();
        State.ResumeTiming();
        g->grid->SetDataSource(t.source);
        benchmark::DoNotOptimize(g->grid->GetCount());
        State.PauseTiming();
        bytes = HeapInUse() - before;
        g.reset();
        State.ResumeTiming();
    }
    State.counters["bytes_per_row"] = static_cast<double>(bytes) / RecordCount;
    State.SetItemsProcessed(State.iterations() * RecordCount);
}
BENCHMARK(BM_OpenLoad)->Unit(benchmark::kMillisecond);

void BM_RegroupByOne(benchmark::State& State)
{
    Table& t = SharedTable();
    Grid g(t, true, State.range(0) != 0);
    auto* area = g.grid->ColumnByFieldName("AREA");
    for (auto _ : State) {
        area->SetGroupIndex(0);
        benchmark::DoNotOptimize(g.grid->GetCount());
        State.PauseTiming();
        area->SetGroupIndex(-1);
        State.ResumeTiming();
    }
    State.SetItemsProcessed(State.iterations() * RecordCount);
}
BENCHMARK(BM_RegroupByOne)->ArgName("smart")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_RegroupByTwo(benchmark::State& State)
{
    Table& t = SharedTable();
    Grid g(t, true, State.range(0) != 0);
    auto* area = g.grid->ColumnByFieldName("AREA");
    auto* kind = g.grid->ColumnByFieldName("KIND");
    area->SetGroupIndex(0);
    for (auto _ : State) {
        kind->SetGroupIndex(1);
        benchmark::DoNotOptimize(g.grid->GetCount());
        State.PauseTiming();
        kind->SetGroupIndex(-1);
        State.ResumeTiming();
    }
    State.SetItemsProcessed(State.iterations() * RecordCount);
}
BENCHMARK(BM_RegroupByTwo)->ArgName("smart")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SortByColumn(benchmark::State& State)
{
    Table& t = SharedTable();
    Grid g(t);
    auto* fee = g.grid->ColumnByFieldName("FEE");
    bool down = true;
    for (auto _ : State) {
        fee->SetSorted(down ? csUp : csDown);
        g.grid->ClearSorting();
        g.grid->AddSortedColumn(fee->Index());
        g.grid->SortNodes();
        down = !down;
    }
    State.SetItemsProcessed(State.iterations() * RecordCount);
}
BENCHMARK(BM_SortByColumn)->Unit(benchmark::kMillisecond);

void BM_ScrollOnePage(benchmark::State& State)
{
    Table& t = SharedTable();
    Grid g(t);
    TBitmap bmp;
    bmp.SetSize(1000, 600);
    const int page = g.grid->GetVisibleRowCount();
    int top = 0;
    for (auto _ : State) {
        top = (top + page) % (RecordCount - page);
        g.grid->SetTopIndex(top);
        g.grid->PaintTo(*bmp.Canvas(), TRect{0, 0, 1000, 600});
    }
}
BENCHMARK(BM_ScrollOnePage)->Unit(benchmark::kMicrosecond);

void BM_SyncFocusAfterDatasetMove(benchmark::State& State)
{
    Table& t = SharedTable();
    Grid g(t);
    int step = 997;
    for (auto _ : State) {
        const int moved = t.ds->MoveBy(step);   // the grid's focus follows through the key index
        if (moved != step)
            step = -step;
        benchmark::DoNotOptimize(g.grid->GetFocusedNode());
    }
}
BENCHMARK(BM_SyncFocusAfterDatasetMove)->Unit(benchmark::kMicrosecond);

void BM_SelectRange10000(benchmark::State& State)
{
    Table& t = SharedTable();
    Grid g(t);
    for (auto _ : State) {
        g.grid->SelectRange(g.grid->GetItem(50000), g.grid->GetItem(59999));
        benchmark::DoNotOptimize(g.grid->SelectedBookmarkCount());
        State.PauseTiming();
        g.grid->ClearSelection();
        State.ResumeTiming();
    }
    State.SetItemsProcessed(State.iterations() * 10000);
}
BENCHMARK(BM_SelectRange10000)->Unit(benchmark::kMillisecond);

} // namespace
