// The tree-list and grid report links against their peers, in one run with
// interleaved rounds and medians:
//  - the access matrix of 10^4 connectors (number, name, address, port and
//    32 box check columns) printed through the grid report link into a PDF
//    file, as the main program prints it: a whole process from its start to
//    the written file, against LibreOffice turning the same rows, written as
//    CSV, into a PDF (soffice --headless --convert-to pdf, start-up
//    included); wall-clock time and peak resident memory;
//  - building the report of a 10^5-row, 10-column grid, against the grid's
//    text export of the same rows (each sample on a new grid, loaded outside
//    the clock, so neither side finds rows another filled);
//  - choosing the nodes of a tree of 10^5 with 10^4 selected (OnlySelected),
//    against one walk over the nodes reading each one's selection.
//
// LibreOffice (the Debian package libreoffice-calc-nogui) is a benchmark-only
// dependency that tools/bench.sh installs; without it the first comparison
// says so and reports this side only.
#include "bench/AccessMatrixData.h"
#include "bench/BenchSupport.h"
#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridColumns.h"
#include "demo/DemoReport.h"
#include "platform/core/Locale.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"
#include "printing/DBGridReportLink.h"
#include "printing/TreeListReportLink.h"
#include "printing/detail/TreeListReportBuild.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using namespace qel;
using namespace qel::bench;

constexpr int kMatrixRows = 10000;

// The child process of the print side: the matrix loaded into the main
// program's grid and printed to File, as the main program does.
int PrintChild(int Rows, const std::string& File)
{
    App();
    std::unique_ptr<TMemoryDataSet> matrix = MakeMatrix(Rows);
    const demo::TReportFacts facts = demo::WriteAccessMatrixReport(*matrix, File);
    std::printf("%d\n", facts.Pages);
    return 0;
}

std::vector<std::string> PrintCommand(const std::string& File)
{
    return {std::filesystem::read_symlink("/proc/self/exe").string(), "--print-child",
            std::to_string(kMatrixRows), File};
}

std::vector<std::string> SofficeCommand(const std::string& Profile, const std::string& Csv,
                                        const std::string& OutDir)
{
    return {"soffice", "-env:UserInstallation=file://" + Profile, "--headless", "--convert-to", "pdf",
            "--outdir", OutDir, Csv};
}

int PdfPages(const std::string& File)
{
    const TChildRun info = RunChild({"pdfinfo", File}, true);
    const auto at = info.Output.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(info.Output.c_str() + at + 6);
}

void BM_AccessMatrixToPdfAgainstSpreadsheet(benchmark::State& State)
{
    for (auto _ : State) {
        TTempDir dir("report-links");
        const std::string ours = dir.File("matrix.pdf");
        const bool haveSoffice = HaveProgram("soffice");
        const std::string csv = dir.File("matrix.csv");
        const std::string profile = dir.File("profile");
        if (haveSoffice) {
            WriteMatrixCsv(csv, kMatrixRows);
            // The profile is made once, before the clock: no sample pays for it.
            RunChild(SofficeCommand(profile, csv, dir.File("warm")), false);
        } else {
            Say("\nsoffice is not installed (the Debian package libreoffice-calc-nogui; tools/bench.sh installs "
                "it): only this side is measured\n");
        }
        TComparison cmp("Access matrix, 10^4 connectors x 36 columns, to PDF (whole processes)");
        const int print = cmp.Add("grid report link -> PDF file printer", [&] {
            TChildRun run;
            const TTime t = TimeOf([&] { run = RunChild(PrintCommand(ours), true); });
            if (run.ExitCode != 0)
                throw std::runtime_error("the print child failed");
            return t;
        });
        int spreadsheet = -1;
        if (haveSoffice)
            spreadsheet = cmp.Add("soffice --convert-to pdf of the CSV", [&] {
                TChildRun run;
                const TTime t = TimeOf([&] { run = RunChild(SofficeCommand(profile, csv, dir.File("out")), false); });
                if (run.ExitCode != 0)
                    throw std::runtime_error("soffice failed");
                return t;
            });
        cmp.Run(Rounds(5));
        const std::size_t ourPeak = PeakBytesOfRun(PrintCommand(ours), dir.File("ours.time"));
        Say("  our PDF: %d pages, %.1f MB written, peak %.1f MB\n", PdfPages(ours),
            std::filesystem::file_size(ours) / 1e6, ourPeak / 1e6);
        Recap("access matrix 10^4 rows to PDF: %.2f s, peak %.0f MB", cmp.MedianSeconds(print), ourPeak / 1e6);
        if (haveSoffice) {
            const std::string theirs = dir.File("out/matrix.pdf");
            const std::size_t theirPeak = PeakBytesOfRun(SofficeCommand(profile, csv, dir.File("out")),
                                                         dir.File("soffice.time"));
            Say("  soffice PDF: %d pages, peak %.1f MB\n", PdfPages(theirs), theirPeak / 1e6);
            cmp.TimeRatio("time, report link / soffice (goal <= 1.5)", print, spreadsheet);
            Recap("peak memory, report link / soffice (goal <= 1.0): %.2f (%.0f MB / %.0f MB)",
                  theirPeak ? static_cast<double>(ourPeak) / static_cast<double>(theirPeak) : NAN, ourPeak / 1e6,
                  theirPeak / 1e6);
        }
    }
}
BENCHMARK(BM_AccessMatrixToPdfAgainstSpreadsheet)->Unit(benchmark::kSecond)->Iterations(1);

// ----- building against the text export ----------------------------------------------------------------

constexpr int kGridRows = 100000;
constexpr int kGridColumns = 10;

struct TTable {
    TComponent Owner{nullptr};
    TMemoryDataSet* Ds = new TMemoryDataSet(&Owner);
    TDataSource* Source = new TDataSource(&Owner);

    TTable()
    {
        for (int c = 0; c < kGridColumns; ++c)
            Ds->AddField("F" + std::to_string(c), c < 3 ? ftInteger : c < 7 ? ftString : ftFloat, 24);
        Ds->Open();
        std::vector<Variant> v(kGridColumns);
        for (int i = 0; i < kGridRows; ++i) {
            v[0] = i;
            v[1] = i * 7;
            v[2] = i % 1000;
            v[3] = "Door " + std::to_string(i);
            v[4] = "Box " + std::to_string(i % 32);
            v[5] = "Connector";
            v[6] = "Zutritt Gebäude Nord " + std::to_string(i % 977);
            v[7] = i * 0.25;
            v[8] = i / 3.0;
            v[9] = (i % 100) * 1.5;
            Ds->AppendRecord(v);
        }
        Ds->First();
        Source->SetDataSet(Ds);
    }
};

// A new grid on the table, every record loaded as a row and nothing else read.
struct TFreshGrid {
    TComponent Owner{nullptr};
    TdxDBGrid* Grid = new TdxDBGrid(&Owner);

    explicit TFreshGrid(TTable& Table)
    {
        Grid->SetKeyField("F0");
        Grid->SetBounds(0, 0, 800, 600);
        Grid->SetOptions(Grid->Options() + TdxDBGridOptions{egoLoadAllRecords});
        for (int c = 0; c < kGridColumns; ++c)
            Grid->CreateColumnOf<TdxDBGridColumn>()->SetFieldName("F" + std::to_string(c));
        Grid->SetDataSource(Table.Source);
        if (Grid->GetAbsoluteCount() != kGridRows)
            throw std::runtime_error("the grid did not load every record");
    }
    ~TFreshGrid() { Grid->SetDataSource(nullptr); }
};

void BM_BuildAgainstTextExport(benchmark::State& State)
{
    App();
    for (auto _ : State) {
        TTempDir dir("report-build");
        TTable table;
        TComparison cmp("Report of a 10^5-row, 10-column grid against its text export");
        const int build = cmp.Add("grid report link: build the report", [&] {
            TFreshGrid fresh(table);
            TdxDBGridReportLink link(&fresh.Owner);
            link.SetComponent(fresh.Grid);
            const TTime t = TimeOf([&] { link.SetActive(true); });
            if (!link.ReportCells() || link.ReportCells()->Cells()->CellCount() < kGridRows)
                throw std::runtime_error("the report holds fewer rows than the grid");
            return t;
        });
        const int text = cmp.Add("grid text export (tabs)", [&] {
            TFreshGrid fresh(table);
            return TimeOf([&] { fresh.Grid->SaveToText(dir.File("grid.txt"), true, "\t", "", ""); });
        });
        cmp.Run(Rounds(5));
        cmp.TimeRatio("report build / text export (goal <= 2)", build, text);
    }
}
BENCHMARK(BM_BuildAgainstTextExport)->Unit(benchmark::kSecond)->Iterations(1);

// ----- node choice ------------------------------------------------------------------------------------------

void BM_NodeChoiceAgainstOneWalk(benchmark::State& State)
{
    App();
    for (auto _ : State) {
        TComponent owner(nullptr);
        auto* tree = new TdxTreeList(&owner);
        tree->CreateColumn();
        tree->SetOptions(tree->Options() + TdxTreeListOptions{aoMultiSelect});
        // 1,000 roots of 99 children each, half of them expanded; every tenth node selected.
        int n = 0;
        tree->BeginUpdate();
        for (int r = 0; r < 1000; ++r) {
            TdxTreeListNode* root = tree->Add();
            if (n++ % 10 == 0)
                root->SetSelected(true);
            for (int c = 0; c < 99; ++c)
                if (TdxTreeListNode* child = root->AddChild(); n++ % 10 == 0)
                    child->SetSelected(true);
            if (r % 2 == 0)
                root->SetExpanded(true);
        }
        tree->EndUpdate();
        if (tree->GetSelectedCount() != 10000)
            throw std::runtime_error("the tree does not hold 10^4 selected nodes");
        TdxTreeListReportAccess access(tree);
        std::vector<TdxTreeListNode*> chosen;
        std::size_t walked = 0;
        TComparison cmp("Node choice with OnlySelected, 10^5 nodes, 10^4 selected");
        const int choice = cmp.Add("choose the nodes to print", [&] {
            return TimeOf([&] {
                detail::ChooseTreeListNodes(*tree, access, {true, true, false, -1}, chosen);
            });
        });
        const int walk = cmp.Add("one walk over the nodes (reading each selection)", [&] {
            return TimeOf([&] {
                walked = 0;
                auto visit = [&](auto&& self, TdxTreeListNode* Node) -> void {
                    walked += access.IsNodeSelected(Node);
                    for (int i = 0; i < Node->Count(); ++i)
                        self(self, Node->GetItem(i));
                };
                for (int i = 0; i < tree->GetCount(); ++i)
                    visit(visit, tree->GetItem(i));
            });
        });
        cmp.Run(Rounds(15));
        Say("  %zu nodes chosen, %zu selected nodes walked\n", chosen.size(), walked);
        cmp.TimeRatio("node choice / one walk (goal <= 2)", choice, walk);
    }
}
BENCHMARK(BM_NodeChoiceAgainstOneWalk)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--print-child")
        return PrintChild(std::atoi(argv[2]), argv[3]);
    return qel::bench::RunBenchmarks(argc, argv);
}
