// The grid's export writers against the sqlite3 shell, in one run with
// interleaved rounds. The table: 10 fields (3 integers, 3 texts, 2 floats,
// 2 dates), 100,000 records for text, HTML and XML, 16,382 for the BIFF4
// worksheet (its 16,384 rows less header and footer).
//
// Each grid sample opens a new grid on the loaded dataset (outside the
// clock) and times the export alone, so no row is filled before it as a
// previous export would have left it. Around the export it reads the
// resident size and the heap after giving free pages back: what the
// export adds to the peak, and what it leaves in the rows afterwards.
// Each shell sample times a whole sqlite3 process (start-up included)
// writing the same table from a database file prepared beforehand; tabs
// are the text the grid writes, and the shell's HTML is its own.
//
// Built where SQLite's development files are; tools/bench.sh installs them and the shell.
#include "bench/BenchSqlite.h"
#include "bench/BenchSupport.h"
#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridColumns.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using namespace qel;
using namespace qel::bench;

constexpr int kColumns = 10;
constexpr int kRows = 100000;
constexpr int kSheetRows = 16384 - 2;

// Record I's values; dates as day numbers.
struct TRecord {
    int I0, I1, I2;
    std::string T0, T1;
    const char* T2;
    double F0, F1;
    double D0, D1;
};

TRecord MakeRecord(int I)
{
    return {I, I * 7, I % 1000, "Door " + std::to_string(I), "Box " + std::to_string(I % 32), "Connector",
            I * 0.25, I / 3.0, 40000.0 + I % 10000, 45000.0 - I % 3650};
}

// A day number as SQLite keeps dates: ISO text.
std::string IsoDate(double Day)
{
    using namespace std::chrono;
    const year_month_day d{sys_days{1899y / December / 30} + days{static_cast<int>(Day)}};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(d.year()), static_cast<unsigned>(d.month()),
                  static_cast<unsigned>(d.day()));
    return text;
}

// The loaded dataset the grids open on.
struct TTable {
    TComponent Owner{nullptr};
    TMemoryDataSet* Ds = nullptr;
    TDataSource* Source = nullptr;
    int Rows;

    explicit TTable(int RowCount) : Rows(RowCount)
    {
        App();
        Ds = new TMemoryDataSet(&Owner);
        for (int c = 0; c < kColumns; ++c) {
            const std::string name = "F" + std::to_string(c);
            Ds->AddField(name, c < 3 ? ftInteger : c < 6 ? ftString : c < 8 ? ftFloat : ftDate, c < 6 ? 24 : 0);
        }
        Ds->Open();
        for (int i = 0; i < Rows; ++i) {
            const TRecord r = MakeRecord(i);
            Ds->AppendRecord({r.I0, r.I1, r.I2, r.T0, r.T1, r.T2, r.F0, r.F1, Variant::FromDate(r.D0),
                              Variant::FromDate(r.D1)});
        }
        Ds->First();
        Source = new TDataSource(&Owner);
        Source->SetDataSet(Ds);
    }
};

// The same table in a database file.
void WriteDatabase(const std::string& File, int Rows)
{
    TSqliteDb db(File);
    db.Exec("CREATE TABLE t(F0 INTEGER, F1 INTEGER, F2 INTEGER, F3 TEXT, F4 TEXT, F5 TEXT, F6 REAL, F7 REAL, "
            "F8 TEXT, F9 TEXT)");
    db.Fill("INSERT INTO t VALUES(?,?,?,?,?,?,?,?,?,?)", Rows, [](int I, const TSqliteStatement& S) {
        const TRecord r = MakeRecord(I);
        S.BindAll(r.I0, r.I1, r.I2, r.T0, r.T1, r.T2, r.F0, r.F1, IsoDate(r.D0), IsoDate(r.D1));
    });
}

// A new grid on the table, every record loaded as a row and nothing else read.
struct TFreshGrid {
    TComponent Owner{nullptr};
    TdxDBGrid* Grid;

    explicit TFreshGrid(TTable& Table)
    {
        Grid = new TdxDBGrid(&Owner);
        Grid->SetName("AccessMatrix");
        Grid->SetKeyField("F0");
        Grid->SetBounds(0, 0, 800, 600);
        Grid->SetOptions(Grid->Options() + TdxDBGridOptions{egoLoadAllRecords});
        for (int c = 0; c < kColumns; ++c)
            Grid->CreateColumnOf<TdxDBGridColumn>()->SetFieldName("F" + std::to_string(c));
        Grid->SetDataSource(Table.Source);
        if (Grid->GetAbsoluteCount() != Table.Rows)
            throw std::runtime_error("the grid did not load every record");
    }
    ~TFreshGrid() { Grid->SetDataSource(nullptr); }
    TFreshGrid(const TFreshGrid&) = delete;
    TFreshGrid& operator=(const TFreshGrid&) = delete;
};

using TWriter = std::function<void(TdxDBGrid*, const std::string&)>;

// Per sample, in bytes a row.
struct TMemoryNotes {
    std::vector<double> PeakAdded;   // resident peak during the export over the size before it
    std::vector<double> Left;        // heap in use after the export over before it
};

TTime GridSample(TTable& Table, const TWriter& Writer, const std::string& File, TMemoryNotes& Notes)
{
    TFreshGrid fresh(Table);
    ReleaseFreeHeap();
    const double heapBefore = static_cast<double>(HeapInUse());
    const double residentBefore = static_cast<double>(ResidentBytes());
    const bool peakKnown = ResetPeakResident();
    const TTime seconds = TimeOf([&] { Writer(fresh.Grid, File); });
    const double peak = static_cast<double>(PeakResidentBytes());
    ReleaseFreeHeap();
    Notes.PeakAdded.push_back(peakKnown ? (peak - residentBefore) / Table.Rows : NAN);
    Notes.Left.push_back((static_cast<double>(HeapInUse()) - heapBefore) / Table.Rows);
    return seconds;
}

std::vector<std::string> ShellCommand(const std::string& Db, const std::string& Mode, const std::string& File)
{
    return {"sqlite3", "-batch", Db, ".headers on", ".mode " + Mode, ".output " + File, "SELECT * FROM t;"};
}

TTime ShellSample(const std::string& Db, const std::string& Mode, const std::string& File)
{
    TChildRun run;
    const TTime seconds = TimeOf([&] { run = RunChild(ShellCommand(Db, Mode, File), false); });
    if (run.ExitCode != 0)
        throw std::runtime_error("sqlite3 failed on " + Db);
    return seconds;
}

double FileBytesPerRow(const std::string& File, int Rows)
{
    return static_cast<double>(std::filesystem::file_size(File)) / Rows;
}

void BM_ExportsAgainstShell(benchmark::State& State)
{
    if (!HaveProgram("sqlite3")) {
        State.SkipWithError("the sqlite3 shell is not installed (tools/bench.sh installs it)");
        return;
    }
    for (auto _ : State) {
        TTempDir dir("exports");
        TTable large(kRows);
        TTable sheet(kSheetRows);
        WriteDatabase(dir.File("large.db"), kRows);
        WriteDatabase(dir.File("sheet.db"), kSheetRows);

        struct TGridSide {
            const char* Name;
            const char* Tag;
            const char* File;
            TTable* Table;
            TWriter Writer;
            TMemoryNotes Notes;
            int Side = 0;
        };
        TGridSide grids[] = {
            {"grid text (tabs)", "text", "grid.txt", &large,
             [](TdxDBGrid* G, const std::string& F) { G->SaveToText(F, true, "\t", "", ""); }, {}},
            {"grid HTML", "HTML", "grid.html", &large,
             [](TdxDBGrid* G, const std::string& F) { G->SaveToHTML(F, true); }, {}},
            {"grid XML", "XML", "grid.xml", &large,
             [](TdxDBGrid* G, const std::string& F) { G->SaveToXML(F, true); }, {}},
            {"grid BIFF4 (16,382 rows)", "BIFF4", "grid.xls", &sheet,
             [](TdxDBGrid* G, const std::string& F) { G->SaveToXLS(F, true); }, {}},
        };
        TComparison c("Exports of 10 fields, 100,000 rows (BIFF4: 16,382) against the sqlite3 shell");
        const int shellTabs = c.Add("sqlite3 shell, tabs", [&] {
            return ShellSample(dir.File("large.db"), "tabs", dir.File("shell.txt"));
        });
        const int shellHtml = c.Add("sqlite3 shell, html", [&] {
            return ShellSample(dir.File("large.db"), "html", dir.File("shell.html"));
        });
        const int shellSheet = c.Add("sqlite3 shell, tabs, 16,382 rows", [&] {
            return ShellSample(dir.File("sheet.db"), "tabs", dir.File("shell-sheet.txt"));
        });
        for (TGridSide& g : grids)
            g.Side = c.Add(g.Name, [&g, &dir] { return GridSample(*g.Table, g.Writer, dir.File(g.File), g.Notes); });
        c.Run(Rounds(7));

        Say("Writers: cells/s (median), output bytes a row, and bytes a row the export adds to the peak resident "
            "size / leaves on the heap (medians)\n");
        const double shellPeak = static_cast<double>(
            PeakBytesOfRun(ShellCommand(dir.File("large.db"), "tabs", dir.File("shell.txt")), dir.File("time.out")));
        Say("  %-32s %6.2f M cells/s  %6.1f B/row  peak resident of the whole process %.1f MiB\n",
            "sqlite3 shell, tabs", double(kRows) * kColumns / c.MedianSeconds(shellTabs) / 1e6,
            FileBytesPerRow(dir.File("shell.txt"), kRows), shellPeak / 1048576.0);
        Say("  %-32s %6.2f M cells/s  %6.1f B/row\n", "sqlite3 shell, html",
            double(kRows) * kColumns / c.MedianSeconds(shellHtml) / 1e6,
            FileBytesPerRow(dir.File("shell.html"), kRows));
        for (TGridSide& g : grids) {
            const double cells = double(g.Table->Rows) * kColumns / c.MedianSeconds(g.Side);
            Say("  %-32s %6.2f M cells/s  %6.1f B/row  peak +%.1f B/row  left +%.1f B/row\n", g.Name, cells / 1e6,
                FileBytesPerRow(dir.File(g.File), g.Table->Rows), Median(g.Notes.PeakAdded), Median(g.Notes.Left));
        }
        Say("Speed against the shell (shell's time / writer's time; above 1: faster than the shell)\n");
        c.TimeRatio("export text  cells/s / shell tabs   (goal >= 1)", shellTabs, grids[0].Side);
        c.TimeRatio("export HTML  cells/s / shell tabs   (goal >= 0.7)", shellTabs, grids[1].Side);
        c.TimeRatio("export HTML  cells/s / shell html", shellHtml, grids[1].Side);
        c.TimeRatio("export XML   cells/s / shell tabs   (goal >= 1)", shellTabs, grids[2].Side);
        c.TimeRatio("export BIFF4 cells/s / shell tabs on 16,382 rows", shellSheet, grids[3].Side);
        Recap("%-62s %6.2f M", "export BIFF4 cells/s                (goal >= 2 M)",
              double(kSheetRows) * kColumns / c.MedianSeconds(grids[3].Side) / 1e6);
        for (TGridSide& g : grids)
            Recap("export %-6s B/row added to peak / left in rows (goal <= 16 / 0) %6.0f / %.0f", g.Tag,
                  Median(g.Notes.PeakAdded), Median(g.Notes.Left));
        Recap("%-62s %6.1f MiB", "export sqlite3 shell, tabs: whole-process peak resident", shellPeak / 1048576.0);
        State.counters["text_vs_shell"] = c.MedianSeconds(shellTabs) / c.MedianSeconds(grids[0].Side);
    }
}
BENCHMARK(BM_ExportsAgainstShell)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return qel::bench::RunBenchmarks(argc, argv);
}
