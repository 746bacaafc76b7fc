// The tree list with 10^6 nodes: adding, a full expand, a walk by display
// index, painting one screen of rows (which must cost the same whatever the
// node count) and the memory a node takes.
#include "bench/BenchSupport.h"
#include "platform/graphics/Bitmap.h"
#include "treelist/TreeListControl.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <memory>
#include <sstream>
#include <string>

namespace {

using namespace qel;
using qel::bench::App;
using qel::bench::HeapInUse;

struct Tree {
    TComponent owner{nullptr};
    TdxTreeList* tree;
    Tree()
    {
        App();
        tree = new TdxTreeList(&owner);
        tree->SetBounds(0, 0, 800, 600);
        tree->SetDefaultRowHeight(18);
        for (int i = 0; i < 3; ++i)
            tree->CreateColumn()->SetCaption("Column " + std::to_string(i));
    }
};

// Roots with Children children each.
void Fill(TdxTreeList& T, int Roots, int Children, bool Texts)
{
    TUpdateScope<TCustomdxTreeList> scope(T);
    for (int r = 0; r < Roots; ++r) {
        TdxTreeListNode* root = T.Add();
        if (Texts)
            root->SetString(0, "Root " + std::to_string(r));
        for (int c = 0; c < Children; ++c) {
            TdxTreeListNode* n = root->AddChild();
            if (Texts)
                n->SetString(0, "Node");
        }
    }
}

void BM_Add(benchmark::State& State)
{
    for (auto _ : State) {
        State.PauseTiming();
        auto t = std::make_unique<Tree>();
        State.ResumeTiming();
        Fill(*t->tree, 1000, 999, false);
        benchmark::DoNotOptimize(t->tree->GetCount());
        State.PauseTiming();
        t.reset();
        State.ResumeTiming();
    }
    State.SetItemsProcessed(State.iterations() * 1000000);
}
BENCHMARK(BM_Add)->Unit(benchmark::kMillisecond);

// Adding and naming rows one by one without an update bracket, as a sample
// tree is filled: each step must stay O(1), not rebuild the display order.
void BM_AddUnlocked(benchmark::State& State)
{
    for (auto _ : State) {
        State.PauseTiming();
        auto t = std::make_unique<Tree>();
        State.ResumeTiming();
        for (int i = 0; i < 1000000; ++i)
            t->tree->Add()->SetString(0, "Row");
        benchmark::DoNotOptimize(t->tree->GetAbsoluteCount());
        State.PauseTiming();
        t.reset();
        State.ResumeTiming();
    }
    State.SetItemsProcessed(State.iterations() * 1000000);
}
BENCHMARK(BM_AddUnlocked)->Unit(benchmark::kMillisecond);

void BM_FullExpand(benchmark::State& State)
{
    Tree t;
    Fill(*t.tree, 1000, 999, false);
    for (auto _ : State) {
        t.tree->FullExpand();
        benchmark::DoNotOptimize(t.tree->GetAbsoluteCount());   // the display order is rebuilt here
        State.PauseTiming();
        t.tree->FullCollapse();
        State.ResumeTiming();
    }
    State.SetItemsProcessed(State.iterations() * 1000000);
}
BENCHMARK(BM_FullExpand)->Unit(benchmark::kMillisecond);

void BM_WalkByAbsoluteIndex(benchmark::State& State)
{
    Tree t;
    Fill(*t.tree, 1000, 999, false);
    t.tree->FullExpand();
    const int count = t.tree->GetAbsoluteCount();
    for (auto _ : State) {
        long long sum = 0;
        for (int i = 0; i < count; ++i)
            sum += t.tree->GetAbsoluteIndex(t.tree->GetAbsoluteNode(i));
        benchmark::DoNotOptimize(sum);
    }
    State.SetItemsProcessed(State.iterations() * count);
}
BENCHMARK(BM_WalkByAbsoluteIndex)->Unit(benchmark::kMillisecond);

// One 800 x 600 screen of rows in the middle of the tree; the argument is the node count.
void BM_PaintScreen(benchmark::State& State)
{
    Tree t;
    const int nodes = static_cast<int>(State.range(0));
    Fill(*t.tree, nodes / 10, 9, true);
    t.tree->FullExpand();
    t.tree->SetTopIndex(t.tree->GetAbsoluteCount() / 2);
    TBitmap bmp(800, 600);
    for (auto _ : State)
        t.tree->PaintTo(*bmp.Canvas(), Rect(0, 0, 800, 600));
    State.counters["rows"] = t.tree->LastPaintedRowCount();
}
BENCHMARK(BM_PaintScreen)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Each count fills a tree in a process of its own (this program again, with
// --memory-child), so that nodes freed by an earlier benchmark and kept for
// reuse do not hide the cost; a node costs the slope of the resident size
// from 10^5 to 10^6 nodes. The heap in use is shown beside it.
void MemoryChild(int Nodes, bool Texts)
{
    Tree t;
    std::printf("%zu %zu\n", qel::bench::ResidentBytes(), HeapInUse());
    Fill(*t.tree, Nodes / 1000, 999, Texts);
    std::printf("%zu %zu\n", qel::bench::ResidentBytes(), HeapInUse());
}

bool NodeMemory(int Nodes, bool Texts, double& Resident, double& Heap)
{
    const qel::bench::TChildRun run =
        qel::bench::RunSelf({"--memory-child", std::to_string(Nodes), Texts ? "text" : "plain"});
    std::istringstream lines(run.Output);
    double r0 = 0, h0 = 0, r1 = 0, h1 = 0;
    if (run.ExitCode != 0 || !(lines >> r0 >> h0 >> r1 >> h1))
        return false;
    Resident = r1 - r0;
    Heap = h1 - h0;
    return true;
}

void BM_MemoryPerNode(benchmark::State& State)
{
    for (auto _ : State)
        for (const bool texts : {false, true}) {
            double r5 = 0, h5 = 0, r6 = 0, h6 = 0;
            if (!NodeMemory(100000, texts, r5, h5) || !NodeMemory(1000000, texts, r6, h6)) {
                State.SkipWithError("a memory child failed");
                return;
            }
            const std::string name = texts ? "text_node" : "node";
            State.counters["resident_bytes_per_" + name] = (r6 - r5) / 900000.0;
            State.counters["heap_bytes_per_" + name] = (h6 - h5) / 900000.0;
        }
}
BENCHMARK(BM_MemoryPerNode)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--memory-child") {
        MemoryChild(std::atoi(argv[2]), std::string(argv[3]) == "text");
        std::fflush(stdout);
        std::_Exit(0);   // the figures are out; the teardown is not measured
    }
    return qel::bench::RunBenchmarks(argc, argv);
}
