// Header and footer texts expanded through the standard function library:
// a run of "[" that opens no placeholder (a title from a style file) and a
// text of many placeholders. Both grow linearly with the text.
#include "printing/HeaderFooterFunctions.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace qel;

TdxHFFunctionFormatObject& Format()
{
    static TdxHFFunctionFormatObject format;
    format.SetCurrentPage(2);
    format.SetTotalPages(5);
    format.SetStartPageIndex(1);
    return format;
}

void BM_ProcessRunOfOpenBrackets(benchmark::State& state)
{
    const TdxStandardHFFunctionLibrary library;
    const std::string text = std::string(static_cast<std::size_t>(state.range(0)), '[') + "]";
    for (auto _ : state)
        benchmark::DoNotOptimize(library.Process(text, &Format()));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ProcessRunOfOpenBrackets)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity();

void BM_ProcessManyPlaceholders(benchmark::State& state)
{
    const TdxStandardHFFunctionLibrary library;
    std::string text;
    for (std::int64_t i = 0; i < state.range(0); ++i)
        text += "Seite [Page #] von [Total Pages] ";
    for (auto _ : state)
        benchmark::DoNotOptimize(library.Process(text, &Format()));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ProcessManyPlaceholders)->RangeMultiplier(4)->Range(1 << 6, 1 << 12)->Complexity();

} // namespace
