// Component streams from damaged files: every mutated stream either reads or
// raises one of our exceptions, and a failed read changes nothing.
#include "platform/core/ClassRegistry.h"
#include "platform/core/Collection.h"
#include "platform/core/Streaming.h"

#include "fuzz/Mutator.h"
#include "fuzz/StreamingSamples.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace qel;
using namespace qel::fuzz;

namespace {

// Failures must be our own exceptions and leave everything as it was.
void Exercise(const std::string& input, TFzNode& target)
{
    EXPECT_EQ(CheckStreamRead(input, target), "");
}

class StreamingRobustness : public ::testing::Test {
protected:
    void SetUp() override { RegisterFuzzClasses(); }
};

} // namespace

TEST_F(StreamingRobustness, MutatedStreamsReadOrFailCleanly)
{
    const std::vector<std::string> samples = Samples();
    test::Mutator mutator(samples, test::FuzzSeed(20240611u),
                          {std::string("\x0e\x00\x0c\x20", 4), std::string("\x0c\x01\x00\x00\x00", 5),
                           std::string("\x0d\x01\x00\x00\x00", 5), "TFzNode", "TFzItem", "TFzFont", "TComponent",
                           "Items", "Font", "Value", "Link", "Kinds"});
    for (int i = 0; i < test::FuzzIterations(2500); ++i) {
        const std::string input = mutator.Next();
        TFzNode target(nullptr);
        target.SetName("Target");
        auto* child = new TFzNode(&target);
        child->SetName("A");
        child->SetParentComponent(&target);
        SCOPED_TRACE("iteration " + std::to_string(i));
        Exercise(input, target);
        if (::testing::Test::HasFailure())
            break;
    }
}

// Counts and lengths at their extremes in every place a count can stand.
TEST_F(StreamingRobustness, ExtremeCountsAtEveryOffsetFailBeforeAllocating)
{
    const std::string sample = Samples().back();
    for (std::uint32_t v : {0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u, 0x10000000u}) {
        for (std::size_t at = 6; at + 4 <= sample.size(); at += 3) {
            std::string damaged = sample;
            for (int k = 0; k < 4; ++k)
                damaged[at + static_cast<std::size_t>(k)] = static_cast<char>((v >> (8 * k)) & 0xFF);
            TFzNode target(nullptr);
            Exercise(damaged, target);
        }
    }
}

TEST_F(StreamingRobustness, KeptInputsStillFailCleanly)
{
    for (const auto& [name, input] : test::RegressionInputs("streaming")) {
        SCOPED_TRACE(name);
        TFzNode target(nullptr);
        Exercise(input, target);
    }
}

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's allocator interface (GCC ships no header for it).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, std::size_t),
                                                         void (*)(const volatile void*));
extern "C" std::size_t __sanitizer_get_allocated_size(const volatile void*);
namespace {
// Heap bytes in use, and their peak, counted by the sanitizer's allocator hooks.
std::atomic<std::int64_t> g_heapNow{0};
std::atomic<std::int64_t> g_heapPeak{0};
void CountMalloc(const volatile void*, std::size_t size)
{
    const std::int64_t now = g_heapNow += static_cast<std::int64_t>(size);
    std::int64_t peak = g_heapPeak.load();
    while (now > peak && !g_heapPeak.compare_exchange_weak(peak, now)) {
    }
}
void CountFree(const volatile void* p)
{
    g_heapNow -= static_cast<std::int64_t>(__sanitizer_get_allocated_size(p));
}
}   // namespace
#define QEL_HEAP_PEAK 1
#endif

// Every level declaring as many entries as the remaining bytes could hold
// once made the reader allocate thousands of times the stream's size before
// it failed; what it holds now grows with the bytes it has really read.
TEST_F(StreamingRobustness, DeclaredCountsCostNothingBeforeTheirBytesAreRead)
{
    std::string input;
    for (const auto& [name, bytes] : test::RegressionInputs("streaming"))
        if (name == "streaming-nested-counts-of-remaining-bytes.bin")
            input = bytes;
    ASSERT_EQ(input.size(), 64u * 1024u);
    TComponent holder(nullptr);
    TStringStream s(input);
#ifdef QEL_HEAP_PEAK
    g_heapNow = 0;
    g_heapPeak = 0;
    ASSERT_NE(__sanitizer_install_malloc_and_free_hooks(CountMalloc, CountFree), 0);
#endif
    EXPECT_THROW(ReadComponent(s, nullptr, &holder), EReadError);
#ifdef QEL_HEAP_PEAK
    __sanitizer_install_malloc_and_free_hooks(nullptr, nullptr);
    EXPECT_LT(g_heapPeak.load(), static_cast<std::int64_t>(8 * input.size()));
#endif
}
