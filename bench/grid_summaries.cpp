// Grid summaries, filtering and deletion on 100,000 records grouped by two
// columns with five summary items per level and footers; and the headline:
// 10^6 records of 8 fields grouped by an integer column with 100 values and
// five summaries (count, sum, min, max, average), from an open dataset to a
// grid with every group row and footer text ready, against SQLite in memory
// running the same GROUP BY.
#include "bench/BenchSupport.h"
#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridColumns.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <malloc.h>
#include <memory>
#include <string>

namespace {

using namespace qel;
using qel::bench::App;
using qel::bench::HeapInUse;

// ID, G (integer group), H (second group), X (float), four more fields.
struct Table {
    TComponent owner{nullptr};
    TMemoryDataSet* ds;
    TDataSource* source;
    int rows;
    Table(int Rows, int Groups) : rows(Rows)
    {
        App();
        ds = new TMemoryDataSet(&owner);
        ds->AddField("ID", ftInteger);
        ds->AddField("G", ftInteger);
        ds->AddField("H", ftInteger);
        ds->AddField("X", ftFloat);
        ds->AddField("TITLE", ftString, 20);
        ds->AddField("A", ftInteger);
        ds->AddField("B", ftFloat);
        ds->AddField("C", ftString, 10);
        ds->Open();
        for (int i = 0; i < Rows; ++i)
            ds->AppendRecord({i, (i * 37) % Groups, i % 7, (i % 1000) * 0.25, "Door " + std::to_string(i % 5000),
                              i % 13, i * 0.5, "c"});
        ds->First();
        source = new TDataSource(&owner);
        source->SetDataSet(ds);
    }
};

void AddItems(TdxDBGridSummaryGroup* G)
{
    const TdxSummaryType types[] = {cstCount, cstSum, cstMin, cstMax, cstAvg};
    for (TdxSummaryType t : types) {
        auto* item = G->SummaryItems()->Add();
        item->SetSummaryType(t);
        if (t != cstCount)
            item->SetSummaryField("X");
    }
}

struct Grid {
    TComponent owner{nullptr};
    TdxDBGrid* grid;
    Grid(Table& T, int GroupLevels)
    {
        grid = new TdxDBGrid(&owner);
        grid->SetBounds(0, 0, 1000, 600);
        grid->SetDefaultRowHeight(18);
        grid->SetKeyField("ID");
        grid->SetOptions(grid->Options() + TdxDBGridOptions{egoLoadAllRecords, egoMultiSelect});
        grid->SetOptions(grid->Options() - TdxDBGridOptions{egoConfirmDelete});
        for (TField* f : T.ds->Fields()) {
            auto* c = grid->CreateColumnOf<TdxDBGridColumn>();
            c->SetFieldName(f->FieldName());
            c->SetName("col" + f->FieldName());
        }
        auto* g = grid->SummaryGroups()->Add();
        g->SetName("Totals");
        g->SetDefaultGroup(true);
        AddItems(g);
        grid->ColumnByFieldName("X")->SetSummaryFooterType(cstSum);
        grid->ColumnByFieldName("ID")->SetSummaryFooterType(cstCount);
        grid->ColumnByFieldName("B")->SetSummaryFooterType(cstAvg);
        grid->ColumnByFieldName("A")->SetSummaryFooterType(cstMax);
        if (GroupLevels > 0)
            grid->ColumnByFieldName("G")->SetGroupIndex(0);
        if (GroupLevels > 1)
            grid->ColumnByFieldName("H")->SetGroupIndex(1);
    }
    // Unlinked first, so freeing the group columns reloads nothing.
    ~Grid() { grid->SetDataSource(nullptr); }
    Grid(const Grid&) = delete;
    Grid& operator=(const Grid&) = delete;

    // Every group row's text and every footer text, as painting would ask.
    // Only group rows are visited: painting never walks every record row.
    std::size_t Texts()
    {
        std::size_t n = 0;
        auto visit = [&](auto& Self, TdxTreeListNode* Node, int Level) -> void {
            n += grid->GetGroupRowText(Node).size();
            if (Level + 1 < grid->GroupColumnCount())
                for (int i = 0; i < Node->Count(); ++i)
                    Self(Self, Node->GetItem(i), Level + 1);
        };
        if (grid->GroupColumnCount() > 0)
            for (int i = 0; i < grid->GetCount(); ++i)
                visit(visit, grid->GetItem(i), 0);
        for (int c = 0; c < grid->GetColumnCount(); ++c)
            n += grid->GetFooterCellText(c).size();
        return n;
    }
};

Table& Table100k()
{
    static Table t(100000, 20);
    return t;
}

void BM_LoadWithSummaries(benchmark::State& State)
{
    Table& t = Table100k();
    for (auto _ : State) {
        State.PauseTiming();
        auto g = std::make_unique<Grid>(t, 2);
        State.ResumeTiming();
        g->grid->SetDataSource(t.source);
        benchmark::DoNotOptimize(g->Texts());
        State.PauseTiming();
        g.reset();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_LoadWithSummaries)->Unit(benchmark::kMillisecond);

void BM_RefilterThreeLeaves(benchmark::State& State)
{
    Table& t = Table100k();
    Grid g(t, 2);
    g.grid->SetDataSource(t.source);
    g.grid->Filter()->SetActive(true);
    TdxDBGridCriteria* c = g.grid->Filter()->Criteria();
    bool wide = false;
    for (auto _ : State) {
        c->Clear();
        c->AddCondition(nullptr, g.grid->ColumnByFieldName("A"), false, "3", Variant(3), wide ? 4 : 2);
        c->AddCondition(nullptr, g.grid->ColumnByFieldName("X"), false, "10", Variant(10.0), 2);
        c->AddCondition(nullptr, g.grid->ColumnByFieldName("H"), true, "1", Variant(1), 1);
        g.grid->ApplyFilter();
        wide = !wide;
        benchmark::DoNotOptimize(g.grid->LoadedRecordCount());
    }
}
BENCHMARK(BM_RefilterThreeLeaves)->Unit(benchmark::kMillisecond);

// Without grouping every row is a root: each refilter hides about half of
// them and brings back the other half, which must not cost a pass per row.
void BM_RefilterFlatHalf(benchmark::State& State)
{
    Table& t = Table100k();
    Grid g(t, 0);
    g.grid->SetDataSource(t.source);
    g.grid->Filter()->SetActive(true);
    TdxDBGridCriteria* c = g.grid->Filter()->Criteria();
    bool odd = false;
    for (auto _ : State) {
        c->Clear();
        c->AddCondition(nullptr, g.grid->ColumnByFieldName("H"), false, "3", Variant(3), odd ? 2 : 3);
        g.grid->ApplyFilter();
        odd = !odd;
        benchmark::DoNotOptimize(g.grid->LoadedRecordCount());
    }
}
BENCHMARK(BM_RefilterFlatHalf)->Unit(benchmark::kMillisecond);

void BM_DropDownValues(benchmark::State& State)
{
    Table& t = Table100k();
    Grid g(t, 2);
    g.grid->SetDataSource(t.source);
    TdxDBGridFilterValues values;
    for (auto _ : State) {
        g.grid->CollectFilterValues(g.grid->ColumnByFieldName("TITLE"), values);
        benchmark::DoNotOptimize(values.Count());
    }
    State.counters["values"] = values.Count();
}
BENCHMARK(BM_DropDownValues)->Unit(benchmark::kMillisecond);

void BM_DeleteThousandSelected(benchmark::State& State)
{
    for (auto _ : State) {
        State.PauseTiming();
        Table t(100000, 20);
        Grid g(t, 2);
        g.grid->SetDataSource(t.source);
        int n = 0;
        for (TdxTreeListNode* node = g.grid->GetItem(0); node && n < 1000; node = node->GetNext())
            if (!g.grid->IsGroupRow(node) && (node->Index() % 3 == 0)) {
                g.grid->SelectNode(node, true);
                ++n;
            }
        State.ResumeTiming();
        g.grid->DeleteSelection();
        benchmark::DoNotOptimize(t.ds->RecordCount());
        State.PauseTiming();
        g.grid->SetDataSource(nullptr);   // the teardown is not measured
        State.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteThousandSelected)->Unit(benchmark::kMillisecond)->Iterations(2);

// ----- the headline: 10^6 records, 100 groups ------------------------------------------------------

constexpr int MillionRows = 1000000;

Table& TableMillion()
{
    static Table t(MillionRows, 100);
    return t;
}

void BM_Million_Grid(benchmark::State& State)
{
    Table& t = TableMillion();
    std::size_t bytes = 0;
    for (auto _ : State) {
        State.PauseTiming();
        auto g = std::make_unique<Grid>(t, 1);
        const std::size_t before = HeapInUse();
        State.ResumeTiming();
        g->grid->SetDataSource(t.source);
        benchmark::DoNotOptimize(g->Texts());
        State.PauseTiming();
        bytes = HeapInUse() - before;
        g.reset();
        State.ResumeTiming();
    }
    State.counters["bytes_per_row"] = static_cast<double>(bytes) / MillionRows;
}
BENCHMARK(BM_Million_Grid)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Million_Sqlite(benchmark::State& State)
{
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    sqlite3_exec(db, "CREATE TABLE t(id INTEGER, g INTEGER, h INTEGER, x REAL, title TEXT, a INTEGER, b REAL, c TEXT)",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?,?,?,?,?,?,?,?)", -1, &ins, nullptr);
    for (int i = 0; i < MillionRows; ++i) {
        const std::string title = "Door " + std::to_string(i % 5000);
        sqlite3_bind_int(ins, 1, i);
        sqlite3_bind_int(ins, 2, (i * 37) % 100);
        sqlite3_bind_int(ins, 3, i % 7);
        sqlite3_bind_double(ins, 4, (i % 1000) * 0.25);
        sqlite3_bind_text(ins, 5, title.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(ins, 6, i % 13);
        sqlite3_bind_double(ins, 7, i * 0.5);
        sqlite3_bind_text(ins, 8, "c", -1, SQLITE_STATIC);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    for (auto _ : State) {
        sqlite3_stmt* q = nullptr;
        sqlite3_prepare_v2(db, "SELECT g, COUNT(*), SUM(x), MIN(x), MAX(x), AVG(x) FROM t GROUP BY g", -1, &q,
                           nullptr);
        double sink = 0;
        while (sqlite3_step(q) == SQLITE_ROW)
            sink += sqlite3_column_double(q, 2);
        sqlite3_finalize(q);
        benchmark::DoNotOptimize(sink);
    }
    sqlite3_close(db);
}
BENCHMARK(BM_Million_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
