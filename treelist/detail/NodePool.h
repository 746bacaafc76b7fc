#pragma once
// Memory for tree list nodes. A grid holds a node for every record, so 10^6
// nodes of a few sizes are common; the general heap adds a header to each
// and rounds it up. Blocks of one size share slabs instead. A slab whose
// last block is freed is kept as a spare for any size, up to a bound, and
// beyond it goes back to the heap: a grid that frees and makes its rows
// again reuses warm memory, and a freed grid leaves at most the spares
// behind. Nodes are made and freed on the controls' one thread.
#include <cstddef>
#include <cstdint>

namespace qel::detail {

class TSlabPool {
public:
    // Blocks above this size come from the general heap.
    static constexpr std::size_t MaxPooledSize = 512;

    // The spares kept by the pool nodes come from: 64 MiB.
    static constexpr std::size_t DefaultSpareSlabs = 256;

    explicit TSlabPool(std::size_t SpareSlabs = DefaultSpareSlabs) : m_spareLimit(SpareSlabs) {}
    // Gives back the slabs kept for reuse; every block must have been freed.
    ~TSlabPool();
    TSlabPool(const TSlabPool&) = delete;
    TSlabPool& operator=(const TSlabPool&) = delete;

    void* Allocate(std::size_t Size);
    // Size is the size the block was allocated with.
    void Free(void* Block, std::size_t Size);
    // Slabs holding blocks, or kept as the one of their size with room; and spares.
    std::size_t SlabCount() const { return m_slabs; }
    std::size_t SpareCount() const { return m_spareCount; }

private:
    struct TSlab;
    static constexpr std::size_t Granule = 8;
    static constexpr std::size_t Classes = MaxPooledSize / Granule + 1;

    TSlab* NewSlab(std::size_t BlockSize);
    void Retire(TSlab* Slab);

    TSlab* m_withRoom[Classes]{};   // per size, the slabs with a free block
    std::size_t m_slabs{0};
    TSlab* m_spares{nullptr};   // empty slabs, linked by Next
    std::size_t m_spareCount{0};
    std::size_t m_spareLimit;
};

// The pool every node comes from. Built with AddressSanitizer, nodes come
// from the general heap instead, so that a node read after it was freed, or
// never freed, is still reported.
struct TNodePool {
    static void* Allocate(std::size_t Size);
    static void Free(void* Block, std::size_t Size);
};

} // namespace qel::detail
