#pragma once
// TTextColumn: the texts of one column of TRecordStore, by slot. A slot's
// cell takes four bytes. A text of up to three bytes sits in the cell itself;
// a longer one in the column's shared blocks, one length byte before its
// bytes, and the cell holds where; a text of 255 bytes or more has a block
// of its own that its entry in the shared blocks points to. Bytes a changed
// or erased text leaves behind are reclaimed by moving the remaining texts
// together once they outweigh them, so edits do not leak.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace qel {

class TTextColumn {
public:
    using TSlot = std::uint32_t;

    // Offsets in the shared blocks must stay below Capacity (at most 2^31;
    // smaller only to try what happens when they run out).
    explicit TTextColumn(std::uint32_t Capacity = kMaxCapacity) : m_capacity(Capacity) {}
    ~TTextColumn();
    TTextColumn(TTextColumn&& Other) noexcept;
    TTextColumn& operator=(TTextColumn&&) = delete;
    TTextColumn(const TTextColumn&) = delete;
    TTextColumn& operator=(const TTextColumn&) = delete;

    // Slots 0 .. Count - 1; new slots hold the empty text.
    void Grow(std::size_t Count) { m_cells.resize(Count, EmptyCell()); }
    // No slots.
    void Clear();

    // The slot's bytes without a copy; valid until the column changes (any
    // change may move the texts of other slots).
    std::string_view View(TSlot Slot) const
    {
        const Cell& c = m_cells[Slot];
        if (c.Bytes[3] & kInline)
            return {reinterpret_cast<const char*>(c.Bytes), static_cast<std::size_t>(c.Bytes[3] & kInlineSize)};
        const unsigned char* p = At(OffsetOf(c));
        if (p[0] != kLong)
            return {reinterpret_cast<const char*>(p + 1), p[0]};
        return LongView(p);
    }
    // Replaces the slot's text. False, and nothing changed, when the shared
    // blocks have no room left for it; raises only when memory runs out
    // (then nothing changed either).
    bool Assign(TSlot Slot, std::string_view Text);
    // The slot holds the empty text; its bytes are reclaimed.
    void Erase(TSlot Slot);

    // Bytes taken by the shared blocks, and of them those no text uses.
    std::size_t BlockBytes() const { return m_blocks.size() * kBlockSize; }
    std::size_t DeadBytes() const { return m_dead; }

private:
    static constexpr std::uint32_t kMaxCapacity = 0x80000000u;
    static constexpr int kBlockBits = 16;
    static constexpr std::uint32_t kBlockSize = 1u << kBlockBits;
    static constexpr unsigned char kInline = 0x80;   // in a cell's last byte: the text is in the cell
    static constexpr unsigned char kInlineSize = 0x03;
    static constexpr unsigned char kLong = 0xFF;     // as an entry's length: size and pointer follow
    static constexpr std::uint32_t kLongEntry = 1 + 8 + 8;

    // Bytes, not an integer, so that an inline text is a view into the cell
    // on any byte order; the offset is read least significant byte first.
    struct Cell {
        unsigned char Bytes[4];
    };
    static Cell EmptyCell() { return Cell{{0, 0, 0, kInline}}; }
    static std::uint32_t OffsetOf(const Cell& C)
    {
        return static_cast<std::uint32_t>(C.Bytes[0]) | static_cast<std::uint32_t>(C.Bytes[1]) << 8
            | static_cast<std::uint32_t>(C.Bytes[2]) << 16 | static_cast<std::uint32_t>(C.Bytes[3]) << 24;
    }
    static Cell OffsetCell(std::uint32_t Offset);
    static std::uint32_t EntrySize(const unsigned char* Entry) { return Entry[0] == kLong ? kLongEntry : 1u + Entry[0]; }
    const unsigned char* At(std::uint32_t Offset) const { return m_blocks[Offset >> kBlockBits].get() + (Offset & (kBlockSize - 1)); }
    unsigned char* At(std::uint32_t Offset) { return m_blocks[Offset >> kBlockBits].get() + (Offset & (kBlockSize - 1)); }
    static std::string_view LongView(const unsigned char* Entry);
    static char* LongData(const unsigned char* Entry);

    bool Reserve(std::uint32_t Size, std::uint32_t& Offset);
    void Drop(Cell& C);
    void CompactIfWasteful();
    void Compact();

    std::uint32_t m_capacity;
    std::vector<Cell> m_cells;                               // by slot
    std::vector<std::unique_ptr<unsigned char[]>> m_blocks;  // kBlockSize bytes each
    std::uint32_t m_end{0};                                  // where the next entry goes
    std::size_t m_dead{0};                                   // bytes below m_end no text uses
    std::size_t m_longCount{0};
};

} // namespace qel
