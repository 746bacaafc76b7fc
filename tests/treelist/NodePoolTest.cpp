// The slab pool nodes come from: blocks of one size never overlap, freed
// blocks are handed out again, emptied slabs become spares for any size up
// to a bound and go back beyond it, and blocks too large for a slab come
// from the general heap.
#include "treelist/detail/NodePool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <vector>

namespace qel::test {

using detail::TSlabPool;

TEST(NodePool, BlocksOfEachSizeKeepTheirBytesUntilFreedInAnyOrder)
{
    TSlabPool pool;
    struct TBlock {
        unsigned char* At;
        std::size_t Size;
        unsigned char Fill;
    };
    std::vector<TBlock> blocks;
    std::mt19937 random(7);
    // Enough blocks of the sizes nodes have to fill many slabs of each.
    const std::size_t sizes[] = {8, 48, 56, 64, 120, 504, TSlabPool::MaxPooledSize, TSlabPool::MaxPooledSize + 1};
    for (int round = 0; round < 3000; ++round)
        for (std::size_t size : sizes) {
            auto* at = static_cast<unsigned char*>(pool.Allocate(size));
            const auto fill = static_cast<unsigned char>(blocks.size());
            std::memset(at, fill, size);
            blocks.push_back({at, size, fill});
        }
    EXPECT_GT(pool.SlabCount(), std::size(sizes));
    std::shuffle(blocks.begin(), blocks.end(), random);
    // Half of them go, then as many come again: the freed places are reused.
    const std::size_t slabsBefore = pool.SlabCount();
    std::vector<TBlock> kept(blocks.begin() + static_cast<std::ptrdiff_t>(blocks.size() / 2), blocks.end());
    for (std::size_t i = 0; i < blocks.size() / 2; ++i)
        pool.Free(blocks[i].At, blocks[i].Size);
    for (std::size_t i = 0; i < blocks.size() / 2; ++i) {
        const std::size_t size = blocks[i].Size;
        auto* at = static_cast<unsigned char*>(pool.Allocate(size));
        std::memset(at, 0xA5, size);
        kept.push_back({at, size, 0xA5});
    }
    EXPECT_LE(pool.SlabCount(), slabsBefore);
    std::set<unsigned char*> starts;
    for (const TBlock& b : kept) {
        EXPECT_TRUE(std::all_of(b.At, b.At + b.Size, [&](unsigned char c) { return c == b.Fill; }));
        EXPECT_TRUE(starts.insert(b.At).second);
    }
    // No two blocks overlap.
    std::vector<TBlock> ordered = kept;
    std::sort(ordered.begin(), ordered.end(), [](const TBlock& A, const TBlock& B) { return A.At < B.At; });
    for (std::size_t i = 1; i < ordered.size(); ++i)
        EXPECT_LE(ordered[i - 1].At + ordered[i - 1].Size, ordered[i].At);
    std::shuffle(kept.begin(), kept.end(), random);
    for (const TBlock& b : kept)
        pool.Free(b.At, b.Size);
    // One slab of each pooled size stays for reuse; the rest are spares.
    EXPECT_LE(pool.SlabCount(), std::size(sizes) - 1);
    EXPECT_GT(pool.SpareCount(), 0u);
}

TEST(NodePool, EmptiedSlabsServeAnySizeAndOnlySoManyAreKept)
{
    TSlabPool pool(2);
    std::vector<void*> small;
    for (int i = 0; i < 20000; ++i)   // a few slabs of 56-byte blocks
        small.push_back(pool.Allocate(56));
    const std::size_t slabs = pool.SlabCount();
    ASSERT_GE(slabs, 4u);
    for (void* b : small)
        pool.Free(b, 56);
    EXPECT_EQ(pool.SlabCount(), 1u);
    EXPECT_EQ(pool.SpareCount(), 2u);   // the others went back to the heap
    std::vector<void*> large;
    for (int i = 0; i < 1000; ++i) {   // one slab of them
        large.push_back(pool.Allocate(200));
        std::memset(large.back(), 0x5A, 200);
    }
    EXPECT_EQ(pool.SpareCount(), 1u);   // one spare became a slab of 200-byte blocks
    EXPECT_EQ(pool.SlabCount(), 2u);
    for (void* b : large)
        pool.Free(b, 200);
}

TEST(NodePool, AFreedAndRemadeBlockKeepsItsSlab)
{
    TSlabPool pool;
    void* a = pool.Allocate(56);
    pool.Free(a, 56);
    void* b = pool.Allocate(56);
    EXPECT_EQ(a, b);
    EXPECT_EQ(pool.SlabCount(), 1u);
    pool.Free(b, 56);
    EXPECT_EQ(pool.SlabCount(), 1u);
    pool.Free(nullptr, 56);
}

} // namespace qel::test
