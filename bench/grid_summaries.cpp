// Grid summaries, filtering and deletion on 100,000 records grouped by two
// columns with five summary items per level and five footers. Against
// SQLite in memory, in interleaved rounds with medians, on 10^6 records of 8
// fields grouped by an integer column with 100 values and five summaries
// (count, sum, min, max, average): from an open dataset to a grid with every
// group row and footer text ready, against the same GROUP BY; SortOn of the
// dataset's text field under that grid, against ORDER BY; and the memory a
// row of the grid costs the whole process against SQLite holding the table.
#include "bench/BenchSqlite.h"
#include "bench/BenchSupport.h"
#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridColumns.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace {

using namespace qel;
using namespace qel::bench;

// ID, G (integer group), H (second group), X (float), four more fields.
struct TRecord {
    int Id, G, H;
    double X;
    std::string Title;   // 5,000 distinct names
    int A;
    double B;
    const char* C;
};

TRecord MakeRecord(int I, int Groups)
{
    return {I, (I * 37) % Groups, I % 7, (I % 1000) * 0.25, "Door " + std::to_string(I % 5000), I % 13, I * 0.5, "c"};
}

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
        for (int i = 0; i < Rows; ++i) {
            const TRecord r = MakeRecord(i, Groups);
            ds->AppendRecord({r.Id, r.G, r.H, r.X, r.Title, r.A, r.B, r.C});
        }
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
        grid->ColumnByFieldName("H")->SetSummaryFooterType(cstMin);
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

// ----- 10^6 records, 100 groups, against SQLite --------------------------------------------------------

constexpr int MillionRows = 1000000;
constexpr int MillionGroups = 100;

Table& TableMillion()
{
    static Table t(MillionRows, MillionGroups);
    return t;
}

// The same table in SQLite, in memory.
std::unique_ptr<TSqliteDb> SqliteTable(int Rows, int Groups)
{
    auto db = std::make_unique<TSqliteDb>();
    db->Exec("CREATE TABLE t(id INTEGER, g INTEGER, h INTEGER, x REAL, title TEXT, a INTEGER, b REAL, c TEXT)");
    db->Fill("INSERT INTO t VALUES(?,?,?,?,?,?,?,?)", Rows, [&](int I, const TSqliteStatement& S) {
        const TRecord r = MakeRecord(I, Groups);
        S.BindAll(r.Id, r.G, r.H, r.X, r.Title, r.A, r.B, r.C);
    });
    return db;
}

// What the grid shows: the group rows' summaries and the footers.
void SqliteSummaries(const TSqliteDb& Db)
{
    TSqliteStatement groups(Db.Get(), "SELECT g, COUNT(*), SUM(x), MIN(x), MAX(x), AVG(x) FROM t GROUP BY g");
    TSqliteStatement footer(Db.Get(), "SELECT SUM(x), COUNT(id), AVG(b), MAX(a), MIN(h) FROM t");
    benchmark::DoNotOptimize(groups.SumOfFirstColumn() + footer.SumOfFirstColumn());
}

// From an open dataset to a grid with every group row and footer text
// ready, against the same GROUP BY and footer aggregates in SQLite.
void BM_MillionGroupedAgainstSqlite(benchmark::State& State)
{
    Table& t = TableMillion();
    const std::unique_ptr<TSqliteDb> db = SqliteTable(MillionRows, MillionGroups);
    for (auto _ : State) {
        TComparison c("10^6 records grouped by one column (100 groups), five group and five footer summaries");
        const int grid = c.Add("grid: load grouped, group and footer texts", [&] {
            Grid g(t, 1);
            return TimeOf([&] {
                g.grid->SetDataSource(t.source);
                benchmark::DoNotOptimize(g.Texts());
            });
        });
        const int sqlite =
            c.Add("SQLite: GROUP BY and footer aggregates", [&] { return TimeOf([&] { SqliteSummaries(*db); }); });
        c.Run(Rounds(5));
        c.TimeRatio("grouped 10^6   grid / SQLite", grid, sqlite);
    }
}
BENCHMARK(BM_MillionGroupedAgainstSqlite)->Unit(benchmark::kSecond)->Iterations(1);

// SortOn on the grid's dataset: the 5,000 distinct names of TITLE over 10^6
// records, on the dataset alone and under the grouped grid (which keeps its rows),
// against ORDER BY with SQLite's default settings. Each sample starts from
// the loading order.
TTime SortOnTitleSample(Table& T, bool UnderGrid)
{
    std::unique_ptr<Grid> g;
    if (UnderGrid) {
        g = std::make_unique<Grid>(T, 1);
        g->grid->SetDataSource(T.source);
        benchmark::DoNotOptimize(g->Texts());
    }
    const TTime s = TimeOf([&] {
        T.ds->SortOn("TITLE");
        if (g)
            benchmark::DoNotOptimize(g->Texts());
    });
    g.reset();   // unlinked before the order goes back
    T.ds->SortOn("ID");
    T.ds->SortOn("");
    return s;
}

void BM_MillionSortOnTitle(benchmark::State& State)
{
    Table& t = TableMillion();
    const std::unique_ptr<TSqliteDb> db = SqliteTable(MillionRows, MillionGroups);
    for (auto _ : State) {
        TComparison c("SortOn TITLE of the grid's dataset (5,000 names over 10^6 records)");
        const int alone = c.Add("SortOn, the dataset alone", [&] { return SortOnTitleSample(t, false); });
        const int shown =
            c.Add("SortOn under the grouped grid, texts ready", [&] { return SortOnTitleSample(t, true); });
        const int sqlite = c.Add("SQLite: ORDER BY title", [&] {
            return TimeOf([&] {
                TSqliteStatement q(db->Get(), "SELECT rowid FROM t ORDER BY title");
                benchmark::DoNotOptimize(q.SumOfFirstColumn());
            });
        });
        c.Run(Rounds(5));
        c.TimeRatio("sort TITLE   SortOn / ORDER BY        (goal <= 1.5)", alone, sqlite);
        c.TimeRatio("sort TITLE   SortOn under the grid / ORDER BY (goal <= 1.5)", shown, sqlite);
    }
}
BENCHMARK(BM_MillionSortOnTitle)->Unit(benchmark::kSecond)->Iterations(1);

// ----- memory a row costs the whole process ---------------------------------------------------------
//
// Each size runs in a process of its own (this program again, with
// --memory-child), so that nothing a larger run freed but kept is counted;
// the cost of a row is the slope of the resident size from 10^5 to 10^6 rows,
// so start-up, libraries and fixed caches drop out. A process loads, reports,
// then runs the actions it is given (export, sort, scroll) and reports after
// the last: the grid exports to text, sorts on a text column and scrolls
// through every row; SQLite holds the table in memory and runs the same
// GROUP BY, then writes the table out, orders it and reads every row.

void ReportMemory(const std::string& After)
{
    std::printf("%s %zu %zu\n", After.c_str(), ResidentBytes(), HeapInUse());
}

// Every page of rows from top to bottom, each row's texts and values asked
// as painting asks for them; no pixels are drawn (a page takes ~20 ms to
// paint offscreen, 10^6 rows would take minutes).
std::size_t ScrollThrough(TdxDBGrid* G)
{
    std::size_t n = 0;
    G->FullExpand();
    const int count = G->GetAbsoluteCount();
    const int columns = G->GetVisibleColumnCount();
    for (int top = 0; top < count;) {
        G->SetTopIndex(top);
        const int page = std::max(1, G->GetVisibleRowCount());
        for (int i = top; i < std::min(count, top + page); ++i) {
            TdxTreeListNode* node = G->GetAbsoluteNode(i);
            if (G->IsGroupRow(node)) {
                n += G->GetGroupRowText(node).size();
                continue;
            }
            for (int k = 0; k < columns; ++k) {
                const int column = G->GetVisibleColumn(k);
                n += G->GetCellText(node, column).size();
                n += !G->GetNodeValue(node, column).IsNull();
            }
        }
        top += page;
    }
    return n;
}

void GridMemoryChild(int Rows, const std::vector<std::string>& Actions)
{
    App();
    Table t(Rows, MillionGroups);
    Grid g(t, 1);
    g.grid->SetDataSource(t.source);
    benchmark::DoNotOptimize(g.Texts());
    ReportMemory("loaded");
    for (const std::string& action : Actions)
        if (action == "export") {
            TTempDir dir("grid-memory");
            g.grid->SaveToText(dir.File("grid.txt"), true, "\t", "", "");
        } else if (action == "sort") {
            g.grid->ToggleColumnSort(g.grid->ColumnByFieldName("TITLE")->Index(), false);
        } else if (action == "scroll") {
            benchmark::DoNotOptimize(ScrollThrough(g.grid));
        }
    ReportMemory("after");
}

// The grid's dataset alone, loaded as the grid's side loads it: what of a
// grid row's cost is the dataset's.
void DataSetMemoryChild(int Rows)
{
    Table t(Rows, MillionGroups);
    ReportMemory("loaded");
    ReportMemory("after");
}

void SqliteMemoryChild(int Rows, const std::vector<std::string>& Actions)
{
    const std::unique_ptr<TSqliteDb> db = SqliteTable(Rows, MillionGroups);
    SqliteSummaries(*db);
    ReportMemory("loaded");
    for (const std::string& action : Actions)
        if (action == "export") {
            TTempDir dir("sqlite-memory");
            std::FILE* out = std::fopen(dir.File("t.txt").c_str(), "w");
            TSqliteStatement all(db->Get(), "SELECT * FROM t");
            while (all.Step()) {
                for (int c = 0; c < 8; ++c)
                    std::fprintf(out, c ? "\t%s" : "%s", sqlite3_column_text(all.Get(), c));
                std::fputc('\n', out);
            }
            std::fclose(out);
        } else if (action == "sort") {
            TSqliteStatement ordered(db->Get(), "SELECT rowid FROM t ORDER BY title");
            benchmark::DoNotOptimize(ordered.SumOfFirstColumn());
        } else if (action == "scroll") {
            TSqliteStatement all(db->Get(), "SELECT * FROM t");
            std::size_t n = 0;
            while (all.Step())
                for (int c = 0; c < 8; ++c)
                    n += static_cast<std::size_t>(sqlite3_column_bytes(all.Get(), c));
            benchmark::DoNotOptimize(n);
        }
    ReportMemory("after");
}

struct TMemory {
    double Resident = 0;
    double Heap = 0;
};

// What a child reported: when loaded, and after its actions; false when it failed.
bool MemoryOf(const std::string& Side, int Rows, const std::string& Actions, TMemory& Loaded, TMemory& After)
{
    const TChildRun run = RunSelf({"--memory-child", Side, std::to_string(Rows), Actions});
    std::istringstream lines(run.Output);
    std::string label;
    TMemory m;
    int seen = 0;
    while (lines >> label >> m.Resident >> m.Heap) {
        (label == "loaded" ? Loaded : After) = m;
        ++seen;
    }
    return run.ExitCode == 0 && seen == 2;
}

void BM_MemoryPerRow(benchmark::State& State)
{
    const int small = 100000;
    const double rows = MillionRows - small;
    for (auto _ : State) {
        Say("\nMemory a row costs the whole process, grouped by one column, five group and five footer summaries:\n"
            "slope from 10^5 to 10^6 rows, one process per size and case; resident size, and the heap in use\n"
            "  %-22s %11s %13s %7s %10s %12s\n",
            "", "grid B/row", "SQLite B/row", "ratio", "grid heap", "SQLite heap");
        auto line = [&](const char* Label, const TMemory& G5, const TMemory& G6, const TMemory& S5, const TMemory& S6) {
            const double g = (G6.Resident - G5.Resident) / rows;
            const double q = (S6.Resident - S5.Resident) / rows;
            Say("  %-22s %11.0f %13.0f %7.2f %10.0f %12.0f\n", Label, g, q, g / q, (G6.Heap - G5.Heap) / rows,
                (S6.Heap - S5.Heap) / rows);
            Recap("memory/row grid / SQLite %-37s %6.2f   (%.0f / %.0f B/row)",
                  (std::string(Label) + " (goal <= 3)").c_str(), g / q, g, q);
        };
        TMemory d5, d6, unused;
        if (!MemoryOf("dataset", small, "", d5, unused) || !MemoryOf("dataset", MillionRows, "", d6, unused)) {
            State.SkipWithError("a memory child failed");
            return;
        }
        const double dataset = (d6.Resident - d5.Resident) / rows;
        Say("  %-22s %11.0f %13s %7s %10.0f\n", "the dataset alone", dataset, "", "", (d6.Heap - d5.Heap) / rows);
        Recap("memory/row of which the grid's dataset alone                   %6.0f B/row", dataset);
        bool loadedShown = false;
        for (const char* actions : {"export", "sort", "scroll", "export,sort,scroll"}) {
            TMemory g5, g6, s5, s6, gl5, gl6, sl5, sl6;
            if (!MemoryOf("grid", small, actions, gl5, g5) || !MemoryOf("grid", MillionRows, actions, gl6, g6) ||
                !MemoryOf("sqlite", small, actions, sl5, s5) || !MemoryOf("sqlite", MillionRows, actions, sl6, s6)) {
                State.SkipWithError("a memory child failed");
                return;
            }
            if (!loadedShown)
                line("loaded", gl5, gl6, sl5, sl6);
            loadedShown = true;
            line((std::string("after ") + actions).c_str(), g5, g6, s5, s6);
        }
    }
}
BENCHMARK(BM_MemoryPerRow)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::string(argv[1]) == "--memory-child") {
        std::vector<std::string> actions;
        std::istringstream list(argv[4]);
        for (std::string a; std::getline(list, a, ',');)
            actions.push_back(a);
        if (std::string(argv[2]) == "grid")
            GridMemoryChild(std::atoi(argv[3]), actions);
        else if (std::string(argv[2]) == "dataset")
            DataSetMemoryChild(std::atoi(argv[3]));
        else
            SqliteMemoryChild(std::atoi(argv[3]), actions);
        // The figures are out; the teardown of 10^6 rows is not needed.
        std::fflush(stdout);
        std::_Exit(0);
    }
    return qel::bench::RunBenchmarks(argc, argv);
}
