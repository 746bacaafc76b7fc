#pragma once
// Shared pieces of the libFuzzer harnesses (built by tools/fuzz.sh only).
//
// Each harness fuzz_<area>.cpp feeds one reader and checks what the normal
// robustness tests check: only our own exceptions, and what reads also
// writes and reads back the same. A broken property aborts, so libFuzzer
// keeps the input; tools/fuzz.sh files it as
// tests/fuzz/regressions/<area>-found-<hash>.bin, where the <area> tests
// replay it on every ./test.sh run.
//
// Seeds come from the project's own writers: with QEL_FUZZ_SEEDS set to a
// folder, the harness writes its seeds there before fuzzing starts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace qel::fuzz {

// Writes the seeds into $QEL_FUZZ_SEEDS (when set) as seed-<n>.
inline void WriteSeeds(const std::vector<std::string>& Seeds)
{
    const char* dir = std::getenv("QEL_FUZZ_SEEDS");
    if (!dir || !*dir)
        return;
    for (std::size_t i = 0; i < Seeds.size(); ++i)
        std::ofstream(std::string(dir) + "/seed-" + std::to_string(i), std::ios::binary) << Seeds[i];
}

// A property the reader broke: abort so that libFuzzer keeps the input.
[[noreturn]] inline void Broken(const char* What)
{
    std::fprintf(stderr, "qel fuzz: %s\n", What);
    std::abort();
}

inline std::string Input(const std::uint8_t* Data, std::size_t Size)
{
    return std::string(reinterpret_cast<const char*>(Data), Size);
}

} // namespace qel::fuzz
