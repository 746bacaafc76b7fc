// The in-memory dataset under load: appending, Locate with and without an
// index, a filtered scan and bookmark comparison.
#include "platform/core/Locale.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

namespace {

using namespace qel;

// Eight fields of the usual kinds.
std::unique_ptr<TMemoryDataSet> MakeDataSet(bool indexed)
{
    auto ds = std::make_unique<TMemoryDataSet>(nullptr);
    ds->AddField("ID", ftInteger);
    ds->AddField("NAME", ftString, 30);
    ds->AddField("CITY", ftString, 20);
    ds->AddField("AMOUNT", ftFloat);
    ds->AddField("ACTIVE", ftBoolean);
    ds->AddField("BORN", ftDate);
    ds->AddField("COUNT", ftSmallint);
    ds->AddField("NOTE", ftMemo);
    if (indexed)
        ds->AddIndex("ID");
    return ds;
}

void Load(TMemoryDataSet& ds, int n)
{
    static const char* const cities[] = {"Bonn", "Köln", "Ulm", "Kiel"};
    ds.Open();
    TDisableControlsGuard guard(&ds);
    TField* f[8];
    for (int i = 0; i < 8; ++i)
        f[i] = ds.Fields(i);
    for (int i = 0; i < n; ++i) {
        ds.Append();
        f[0]->SetAsInteger(i);
        f[1]->SetAsString("Name " + std::to_string(i));
        f[2]->SetAsString(cities[i % 4]);
        f[3]->SetAsFloat(i * 0.5);
        f[4]->SetAsBoolean(i % 3 == 0);
        f[5]->SetAsDateTime(40000 + i % 10000);
        f[6]->SetValue(Variant(i % 1000));
        if (i % 10 == 0)
            f[7]->SetAsString("note");
        ds.Post();
    }
    ds.First();
}

void BM_Append(benchmark::State& state)
{
    LocaleScope locale;
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        auto ds = MakeDataSet(false);
        Load(*ds, n);
        benchmark::DoNotOptimize(ds->RecordCount());
        state.PauseTiming();
        ds.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Append)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Locate(benchmark::State& state)
{
    LocaleScope locale;
    const int n = static_cast<int>(state.range(0));
    const bool indexed = state.range(1) != 0;
    auto ds = MakeDataSet(indexed);
    Load(*ds, n);
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> key(0, n - 1);
    for (auto _ : state) {
        const bool found = ds->Locate("ID", key(rng), {});
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_Locate)->Args({100000, 0})->Args({100000, 1})->Args({1000000, 1})->Unit(benchmark::kMicrosecond);

void BM_FilteredScan(benchmark::State& state)
{
    LocaleScope locale;
    const int n = static_cast<int>(state.range(0));
    auto ds = MakeDataSet(false);
    Load(*ds, n);
    ds->SetFilter("(CITY = 'Bonn') AND (NOT (AMOUNT < 100))");
    ds->SetFiltered(true);
    for (auto _ : state) {
        int count = 0;
        for (ds->First(); !ds->Eof(); ds->Next())
            ++count;
        benchmark::DoNotOptimize(count);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_FilteredScan)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_CompareBookmarks(benchmark::State& state)
{
    LocaleScope locale;
    auto ds = MakeDataSet(false);
    Load(*ds, 100000);
    ds->MoveBy(10);
    const TBookmark a = ds->GetBookmark();
    ds->MoveBy(50000);
    const TBookmark b = ds->GetBookmark();
    for (auto _ : state)
        benchmark::DoNotOptimize(ds->CompareBookmarks(a, b));
}
BENCHMARK(BM_CompareBookmarks);

} // namespace
