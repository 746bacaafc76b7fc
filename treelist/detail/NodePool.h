#pragma once
// Memory for tree list nodes. A grid holds a node for every record, so 10^6
// nodes of a few sizes are common; the general heap adds a header to each
// and rounds it up. Blocks of one size share slabs instead, and a slab goes
// back to the heap when its last block is freed, so freed controls leave
// nothing behind. Nodes are made and freed on the controls' one thread.
#include <cstddef>
#include <cstdint>

namespace qel::detail {

class TSlabPool {
public:
    // Blocks above this size come from the general heap.
    static constexpr std::size_t MaxPooledSize = 512;

    TSlabPool() = default;
    // Gives back the slabs kept for reuse; every block must have been freed.
    ~TSlabPool();
    TSlabPool(const TSlabPool&) = delete;
    TSlabPool& operator=(const TSlabPool&) = delete;

    void* Allocate(std::size_t Size);
    // Size is the size the block was allocated with.
    void Free(void* Block, std::size_t Size);
    std::size_t SlabCount() const { return m_slabs; }

private:
    struct TSlab;
    static constexpr std::size_t Granule = 8;
    static constexpr std::size_t Classes = MaxPooledSize / Granule + 1;

    TSlab* m_withRoom[Classes]{};   // per size, the slabs with a free block
    std::size_t m_slabs{0};
};

// The pool every node comes from. Built with AddressSanitizer, nodes come
// from the general heap instead, so that a node read after it was freed, or
// never freed, is still reported.
struct TNodePool {
    static void* Allocate(std::size_t Size);
    static void Free(void* Block, std::size_t Size);
};

} // namespace qel::detail
