// Sorting a million Variants of mixed types, as a grid column of variant
// values is sorted.
#include "platform/core/Variant.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<qel::Variant> MixedValues(std::size_t count)
{
    std::mt19937_64 rng(12345);
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_real_distribution<double> real(-1e6, 1e6);
    std::vector<qel::Variant> values;
    values.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        switch (kind(rng)) {
        case 0: values.emplace_back(static_cast<int>(rng() % 2000000) - 1000000); break;
        case 1: values.emplace_back(static_cast<std::int64_t>(rng())); break;
        case 2: values.emplace_back(real(rng)); break;
        case 3: values.emplace_back(qel::Currency{static_cast<std::int64_t>(rng() % 100000000000)}); break;
        case 4: values.push_back(qel::Variant::FromDate(36526.0 + real(rng) / 100.0)); break;
        case 5: values.emplace_back("Kunde " + std::to_string(rng() % 100000)); break;
        case 6: values.push_back(qel::Variant::FromWideString("Artikel " + std::to_string(rng() % 5000))); break;
        case 7: values.emplace_back((rng() & 1) != 0); break;
        case 8: values.push_back(i % 2 ? qel::Variant::Null() : qel::Variant()); break;
        default: values.push_back(qel::Variant::FromSingle(static_cast<float>(real(rng)))); break;
        }
    }
    return values;
}

void BM_SortMixedVariants(benchmark::State& state)
{
    const std::vector<qel::Variant> source = MixedValues(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<qel::Variant> values = source;
        state.ResumeTiming();
        std::sort(values.begin(), values.end());
        benchmark::DoNotOptimize(values.data());
        state.PauseTiming();
        values.clear();
        values.shrink_to_fit();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_SortMixedVariants)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
