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
    m_spareLimit = 0;
    for (TSlab*& head : m_withRoom)
        while (TSlab* slab = head) {
            Unlink(head, slab);
            Retire(slab);
        }
    while (TSlab* slab = m_spares) {
        m_spares = slab->Next;
        slab->~TSlab();
        std::free(slab);
    }
}

TSlabPool::TSlab* TSlabPool::NewSlab(std::size_t BlockSize)
{
    void* memory = m_spares;
    if (memory) {
        m_spares = m_spares->Next;
        --m_spareCount;
        static_cast<TSlab*>(memory)->~TSlab();
    } else if (!(memory = std::aligned_alloc(SlabSize, SlabSize))) {
        throw std::bad_alloc();
    }
    auto* slab = new (memory) TSlab;
    slab->BlockSize = static_cast<std::uint32_t>(BlockSize);
    slab->Capacity = static_cast<std::uint32_t>((SlabSize - HeaderSize) / BlockSize);
    ++m_slabs;
    return slab;
}

// An emptied slab, out of its size's list: a spare while there is room for one.
void TSlabPool::Retire(TSlab* Slab)
{
    --m_slabs;
    if (m_spareCount < m_spareLimit) {
        Slab->Next = m_spares;
        m_spares = Slab;
        ++m_spareCount;
        return;
    }
    Slab->~TSlab();
    std::free(Slab);
}

void* TSlabPool::Allocate(std::size_t Size)
{
    static_assert(sizeof(TSlab) <= HeaderSize && HeaderSize % 16 == 0);
    if (Size > MaxPooledSize || Size == 0)
        return ::operator new(Size);
    const std::size_t cls = (Size + Granule - 1) / Granule;
    TSlab*& head = m_withRoom[cls];
    if (!head)
        Link(head, NewSlab(cls * Granule));
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
    // An empty slab is retired unless it is the only one of its size with
    // room: making and freeing one node over and over moves no slab.
    if (slab->Live == 0 && (slab->Next || slab->Prev)) {
        Unlink(head, slab);
        Retire(slab);
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
