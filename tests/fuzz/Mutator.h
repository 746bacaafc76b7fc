#pragma once
// Deterministic mutation of sample inputs for the readers' robustness tests,
// and the replay of inputs that once broke a reader.
//
// Every mutated input comes from a fixed-seed generator, so a failure names
// an iteration that the next run reproduces. Inputs that once crashed, hung
// or ran away with memory are kept under tests/fuzz/regressions/ as
// <area>-<short-name>.bin and replayed on every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace qel::test {

class Mutator {
public:
    // Tokens are spliced in whole (keywords, separators, format letters), so
    // text readers see more than random bytes.
    Mutator(std::vector<std::string> samples, std::uint32_t seed, std::vector<std::string> tokens = {})
        : m_samples(std::move(samples)), m_tokens(std::move(tokens)), m_rng(seed)
    {
    }

    // A sample with one to four mutations; the last one made is named by LastKind().
    std::string Next()
    {
        std::string s = m_samples[Below(m_samples.size())];
        const int rounds = 1 + static_cast<int>(Below(4));
        for (int i = 0; i < rounds; ++i)
            Mutate(s);
        if (s.size() > MaxSize)
            s.resize(MaxSize);
        // QEL_FUZZ_DUMP=N writes the N-th input (counting from 0) to
        // qel-fuzz-input.bin in the working folder, to shrink and keep it.
        if (const char* dump = std::getenv("QEL_FUZZ_DUMP"); dump && std::atoi(dump) == m_count)
            std::ofstream("qel-fuzz-input.bin", std::ios::binary) << s;
        ++m_count;
        return s;
    }

    std::size_t Below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(m_rng() % n); }
    std::mt19937& Rng() { return m_rng; }

    static constexpr std::size_t MaxSize = 64 * 1024;

private:
    void Mutate(std::string& s)
    {
        static const std::uint32_t extremes[] = {0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u, 0u, 0x40000000u, 0xFFFFu};
        switch (Below(m_tokens.empty() ? 10 : 12)) {
        case 0:   // flip bits of one byte
            if (!s.empty())
                s[Below(s.size())] ^= static_cast<char>(1 + Below(255));
            break;
        case 1: {   // an interesting byte
            static const unsigned char bytes[] = {0, 1, 0x7F, 0x80, 0xFF, '\r', '\n', '"', '\'', '\\'};
            if (!s.empty())
                s[Below(s.size())] = static_cast<char>(bytes[Below(sizeof bytes)]);
            break;
        }
        case 2: {   // insert random bytes
            std::string ins(1 + Below(8), '\0');
            for (char& c : ins)
                c = static_cast<char>(Below(256));
            s.insert(Below(s.size() + 1), ins);
            break;
        }
        case 3: {   // delete a range
            if (s.empty())
                break;
            const std::size_t at = Below(s.size());
            s.erase(at, 1 + Below(std::min<std::size_t>(16, s.size() - at)));
            break;
        }
        case 4:   // truncate
            s.resize(Below(s.size() + 1));
            break;
        case 5: {   // duplicate a range in place
            if (s.empty())
                break;
            const std::size_t at = Below(s.size());
            const std::string part = s.substr(at, 1 + Below(32));
            s.insert(Below(s.size() + 1), part);
            break;
        }
        case 6: {   // splice: head of this input, tail of another sample
            const std::string& other = m_samples[Below(m_samples.size())];
            s = s.substr(0, Below(s.size() + 1)) + other.substr(Below(other.size() + 1));
            break;
        }
        case 7: {   // an extreme 32-bit length or count, little-endian
            const std::uint32_t v = extremes[Below(std::size(extremes))];
            std::string le(4, '\0');
            for (int i = 0; i < 4; ++i)
                le[static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
            if (s.size() >= 4 && Below(2) == 0)
                s.replace(Below(s.size() - 3), 4, le);
            else
                s.insert(Below(s.size() + 1), le);
            break;
        }
        case 8: {   // deep nesting: one stretch repeated many times
            if (s.empty())
                break;
            const std::size_t at = Below(s.size());
            const std::string part = s.substr(at, 1 + Below(8));
            std::string rep;
            const std::size_t times = 50 + Below(400);
            for (std::size_t i = 0; i < times; ++i)
                rep += part;
            s.insert(at, rep);
            break;
        }
        case 9: {   // swap two bytes
            if (s.size() < 2)
                break;
            std::swap(s[Below(s.size())], s[Below(s.size())]);
            break;
        }
        case 10:   // insert a token
            s.insert(Below(s.size() + 1), m_tokens[Below(m_tokens.size())]);
            break;
        default: {   // a token repeated, for nesting and runaway repetition
            const std::string& t = m_tokens[Below(m_tokens.size())];
            std::string rep;
            const std::size_t times = 20 + Below(300);
            for (std::size_t i = 0; i < times; ++i)
                rep += t;
            s.insert(Below(s.size() + 1), rep);
            break;
        }
        }
    }

    std::vector<std::string> m_samples;
    std::vector<std::string> m_tokens;
    std::mt19937 m_rng;
    int m_count = 0;
};

// Longer or different runs for a hunt by hand: QEL_FUZZ_SCALE multiplies
// the iteration counts, QEL_FUZZ_SEED shifts every seed. Unset, runs stay
// short and the same every time.
inline int FuzzIterations(int count)
{
    const char* scale = std::getenv("QEL_FUZZ_SCALE");
    const int factor = scale ? std::max(1, std::atoi(scale)) : 1;
    return count * factor;
}
inline std::uint32_t FuzzSeed(std::uint32_t seed)
{
    const char* shift = std::getenv("QEL_FUZZ_SEED");
    return seed + (shift ? static_cast<std::uint32_t>(std::strtoul(shift, nullptr, 10)) : 0u);
}

// The folder of kept inputs: $QEL_TEST_DATA/fuzz/regressions, else beside this header.
inline std::filesystem::path RegressionDir()
{
    if (const char* data = std::getenv("QEL_TEST_DATA"); data && *data)
        return std::filesystem::path(data) / "fuzz" / "regressions";
    return std::filesystem::path(__FILE__).parent_path() / "regressions";
}

// Every kept input of an area ("<area>-*.bin"), sorted by file name.
inline std::vector<std::pair<std::string, std::string>> RegressionInputs(const std::string& area)
{
    std::vector<std::pair<std::string, std::string>> result;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(RegressionDir(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(area + "-", 0) != 0 || entry.path().extension() != ".bin")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        result.emplace_back(name, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }
    std::sort(result.begin(), result.end());
    return result;
}

} // namespace qel::test
