// The grid's export writers on a loaded grid (all records held as nodes):
// 100,000 rows x 10 columns to text, HTML and XML, 16,384 x 10 to the BIFF4
// worksheet, each written to a real file through the buffered safe stream.
// Counters: cells/s, the output size, and the growth of the peak resident
// size while exporting (the writers stream; only the node list is held).
// Reference in the same run: the sqlite3 shell importing the same table
// from CSV and writing it as tab-separated text (skipped when the shell is
// missing; tools/bench.sh installs it).
#include "bench/BenchSupport.h"
#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridColumns.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using namespace qel;
using qel::bench::App;

constexpr int kColumns = 10;

long PeakRssKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

std::filesystem::path WorkDir()
{
    static const std::filesystem::path dir = [] {
        auto p = std::filesystem::temp_directory_path() / ("qel-bench-exports-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        return p;
    }();
    return dir;
}

// Controls need an application object; offscreen unless the caller chose a platform.
// A grid on a table of Rows records: 4 integers, 3 texts, 3 floats.
struct TLoadedGrid {
    std::unique_ptr<TComponent> Owner = std::make_unique<TComponent>(nullptr);
    TdxDBGrid* Grid = nullptr;

    explicit TLoadedGrid(int Rows)
    {
        App();
        auto* ds = new TMemoryDataSet(Owner.get());
        for (int c = 0; c < kColumns; ++c) {
            const std::string name = "F" + std::to_string(c);
            if (c < 4)
                ds->AddField(name, ftInteger);
            else if (c < 7)
                ds->AddField(name, ftString, 24);
            else
                ds->AddField(name, ftFloat);
        }
        ds->Open();
        for (int i = 0; i < Rows; ++i)
            ds->AppendRecord({i, i * 7, i % 1000, -i, "Door " + std::to_string(i), "Box " + std::to_string(i % 32),
                              "Connector", i * 0.25, i / 3.0, 1e6 - i});
        ds->First();
        auto* source = new TDataSource(Owner.get());
        source->SetDataSet(ds);
        Grid = new TdxDBGrid(Owner.get());
        Grid->SetName("AccessMatrix");
        Grid->SetKeyField("F0");
        Grid->SetBounds(0, 0, 800, 600);
        Grid->SetOptions(Grid->Options() + TdxDBGridOptions{egoLoadAllRecords});
        for (int c = 0; c < kColumns; ++c)
            Grid->CreateColumnOf<TdxDBGridColumn>()->SetFieldName("F" + std::to_string(c));
        Grid->SetDataSource(source);
        if (Grid->GetAbsoluteCount() != Rows)
            throw std::runtime_error("the grid did not load every record");
    }
};

TLoadedGrid& Large()
{
    static TLoadedGrid grid(100000);
    return grid;
}

TLoadedGrid& Sheet()
{
    static TLoadedGrid grid(16384 - 2);   // header and footer rows included
    return grid;
}

template <class F>
void RunExport(benchmark::State& State, TLoadedGrid& Grid, int Rows, const std::string& Name, F Export)
{
    const std::string file = (WorkDir() / Name).string();
    const long before = PeakRssKb();
    for (auto _ : State)
        Export(Grid.Grid, file);
    State.counters["cells/s"] =
        benchmark::Counter(static_cast<double>(Rows) * kColumns * static_cast<double>(State.iterations()),
                           benchmark::Counter::kIsRate);
    State.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    State.counters["peak_rss_growth_MB"] = static_cast<double>(PeakRssKb() - before) / 1024.0;
}

void BM_ExportText(benchmark::State& State)
{
    Large();
    RunExport(State, Large(), 100000, "grid.txt",
              [](TdxDBGrid* G, const std::string& F) { G->SaveToText(F, true, "\t", "", ""); });
}

void BM_ExportHTML(benchmark::State& State)
{
    Large();
    RunExport(State, Large(), 100000, "grid.html", [](TdxDBGrid* G, const std::string& F) { G->SaveToHTML(F, true); });
}

void BM_ExportXML(benchmark::State& State)
{
    Large();
    RunExport(State, Large(), 100000, "grid.xml", [](TdxDBGrid* G, const std::string& F) { G->SaveToXML(F, true); });
}

void BM_ExportXLS(benchmark::State& State)
{
    Sheet();
    RunExport(State, Sheet(), 16384 - 2, "grid.xls", [](TdxDBGrid* G, const std::string& F) { G->SaveToXLS(F, true); });
}

// The sqlite3 shell: import the table from CSV, write it as tab-separated text.
void BM_Sqlite3ShellTsv(benchmark::State& State)
{
    if (std::system("command -v sqlite3 >/dev/null 2>&1") != 0) {
        State.SkipWithError("the sqlite3 shell is not installed (tools/bench.sh installs it)");
        return;
    }
    const std::string csv = (WorkDir() / "table.csv").string();
    const std::string tsv = (WorkDir() / "sqlite.tsv").string();
    {
        std::ofstream out(csv);
        out << "F0,F1,F2,F3,F4,F5,F6,F7,F8,F9\n";
        for (int i = 0; i < 100000; ++i)
            out << i << ',' << i * 7 << ',' << i % 1000 << ',' << -i << ",Door " << i << ",Box " << i % 32
                << ",Connector," << i * 0.25 << ',' << i / 3.0 << ',' << 1e6 - i << '\n';
    }
    const std::string command = "sqlite3 :memory: '.import --csv " + csv + " t' '.mode tabs' '.output " + tsv +
                                "' 'select * from t;' >/dev/null 2>&1";
    for (auto _ : State)
        if (std::system(command.c_str()) != 0)
            State.SkipWithError("sqlite3 failed");
    State.counters["cells/s"] =
        benchmark::Counter(100000.0 * kColumns * static_cast<double>(State.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_Sqlite3ShellTsv)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportText)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportHTML)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportXML)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportXLS)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
