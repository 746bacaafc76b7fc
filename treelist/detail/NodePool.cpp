#include "treelist/detail/NodePool.h"

#include <cstdlib>
#include <new>

namespace qel::detail {

namespace {

// A slab's header sits at its start, so a block finds its slab by rounding
// its address down to the slab size. Large enough that a grid of 10^8 rows
// maps a few ten thousand slabs, well below the kernel's limit of mappings.
constexpr std::size_t SlabSize = 256 * 1024;

} // namespace

struct TSlabPool::TSlab {
    TSlab* Next{nullptr};   // among the slabs of its size with room
    TSlab* Prev{nullptr};
    void* FreeList{nullptr};   // blocks freed since, each holding the next one's address
    std::uint32_t Live{0};
    std::uint32_t Bumped{0};   // blocks handed out at least once
    std::uint32_t Capacity{0};
    std::uint32_t BlockSize{0};
};

namespace {

constexpr std::size_t HeaderSize = 48;

template <class S>
void Link(S*& Head, S* Slab)
{
    Slab->Prev = nullptr;
    Slab->Next = Head;
    if (Head)
        Head->Prev = Slab;
    Head = Slab;
}

template <class S>
void Unlink(S*& Head, S* Slab)
{
    if (Slab->Prev)
        Slab->Prev->Next = Slab->Next;
    else
        Head = Slab->Next;
    if (Slab->Next)
        Slab->Next->Prev = Slab->Prev;
    Slab->Next = Slab->Prev = nullptr;
}

} // namespace

TSlabPool::~TSlabPool()
{
    for (TSlab*& head : m_withRoom)
        while (TSlab* slab = head) {
            Unlink(head, slab);
            slab->~TSlab();
            std::free(slab);
        }
}

void* TSlabPool::Allocate(std::size_t Size)
{
    static_assert(sizeof(TSlab) <= HeaderSize && HeaderSize % 16 == 0);
    if (Size > MaxPooledSize || Size == 0)
        return ::operator new(Size);
    const std::size_t cls = (Size + Granule - 1) / Granule;
    TSlab*& head = m_withRoom[cls];
    if (!head) {
        void* memory = std::aligned_alloc(SlabSize, SlabSize);
        if (!memory)
            throw std::bad_alloc();
        auto* slab = new (memory) TSlab;
        slab->BlockSize = static_cast<std::uint32_t>(cls * Granule);
        slab->Capacity = static_cast<std::uint32_t>((SlabSize - HeaderSize) / slab->BlockSize);
        Link(head, slab);
        ++m_slabs;
    }
    TSlab* slab = head;
    void* block;
    if (slab->FreeList) {
        block = slab->FreeList;
        slab->FreeList = *static_cast<void**>(block);
    } else {
        block = reinterpret_cast<char*>(slab) + HeaderSize + std::size_t{slab->Bumped++} * slab->BlockSize;
    }
    if (++slab->Live == slab->Capacity)
        Unlink(head, slab);
    return block;
}

void TSlabPool::Free(void* Block, std::size_t Size)
{
    if (!Block)
        return;
    if (Size > MaxPooledSize || Size == 0) {
        ::operator delete(Block);
        return;
    }
    auto* slab = reinterpret_cast<TSlab*>(reinterpret_cast<std::uintptr_t>(Block) & ~(std::uintptr_t{SlabSize} - 1));
    TSlab*& head = m_withRoom[slab->BlockSize / Granule];
    const bool wasFull = slab->Live == slab->Capacity;
    *static_cast<void**>(Block) = slab->FreeList;
    slab->FreeList = Block;
    --slab->Live;
    if (wasFull)
        Link(head, slab);
    // An empty slab goes back unless it is the only one of its size with
    // room: making and freeing one node over and over does not churn the heap.
    if (slab->Live == 0 && (slab->Next || slab->Prev)) {
        Unlink(head, slab);
        slab->~TSlab();
        std::free(slab);
        --m_slabs;
    }
}

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool Pooled = false;
#else
constexpr bool Pooled = true;
#endif

TSlabPool& Nodes()
{
    // Never destroyed: nodes freed during static destruction still find it.
    static TSlabPool* pool = new TSlabPool;
    return *pool;
}

} // namespace

void* TNodePool::Allocate(std::size_t Size)
{
    return Pooled ? Nodes().Allocate(Size) : ::operator new(Size);
}

void TNodePool::Free(void* Block, std::size_t Size)
{
    if (Pooled)
        Nodes().Free(Block, Size);
    else
        ::operator delete(Block);
}

} // namespace qel::detail
