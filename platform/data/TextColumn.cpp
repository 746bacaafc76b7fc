#include "platform/data/TextColumn.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace qel {

TTextColumn::~TTextColumn()
{
    Clear();
}

TTextColumn::TTextColumn(TTextColumn&& Other) noexcept
    : m_capacity(Other.m_capacity), m_cells(std::move(Other.m_cells)), m_blocks(std::move(Other.m_blocks)),
      m_end(std::exchange(Other.m_end, 0)), m_dead(std::exchange(Other.m_dead, 0)),
      m_longCount(std::exchange(Other.m_longCount, 0))
{
    Other.m_cells.clear();
    Other.m_blocks.clear();
}

void TTextColumn::Clear()
{
    if (m_longCount > 0)
        for (const Cell& c : m_cells)
            if (!(c.Bytes[3] & kInline))
                if (const unsigned char* p = At(OffsetOf(c)); p[0] == kLong)
                    delete[] LongData(p);
    m_cells = {};
    m_blocks = decltype(m_blocks)();
    m_end = 0;
    m_dead = 0;
    m_longCount = 0;
}

TTextColumn::Cell TTextColumn::OffsetCell(std::uint32_t Offset)
{
    return Cell{{static_cast<unsigned char>(Offset), static_cast<unsigned char>(Offset >> 8),
                 static_cast<unsigned char>(Offset >> 16), static_cast<unsigned char>(Offset >> 24)}};
}

std::string_view TTextColumn::LongView(const unsigned char* Entry)
{
    std::uint64_t size;
    std::memcpy(&size, Entry + 1, sizeof(size));
    return {LongData(Entry), static_cast<std::size_t>(size)};
}

char* TTextColumn::LongData(const unsigned char* Entry)
{
    char* data;
    std::memcpy(&data, Entry + 9, sizeof(data));
    return data;
}

bool TTextColumn::Reserve(std::uint32_t Size, std::uint32_t& Offset)
{
    // An entry never straddles two blocks: the rest of a block too small for it stays unused.
    const std::size_t top = m_blocks.size() * std::size_t{kBlockSize};
    std::size_t at = m_end;
    if (at + Size > top) {
        if (top + Size > m_capacity)
            return false;
        m_blocks.push_back(std::make_unique_for_overwrite<unsigned char[]>(kBlockSize));
        m_dead += top - at;
        at = top;
    } else if (at + Size > m_capacity) {
        return false;
    }
    Offset = static_cast<std::uint32_t>(at);
    m_end = static_cast<std::uint32_t>(at + Size);
    return true;
}

bool TTextColumn::Assign(TSlot Slot, std::string_view Text)
{
    if (Text.size() <= kInlineSize) {
        Cell cell = EmptyCell();
        std::memcpy(cell.Bytes, Text.data(), Text.size());
        cell.Bytes[3] = static_cast<unsigned char>(kInline | Text.size());
        Drop(m_cells[Slot]);
        m_cells[Slot] = cell;
        CompactIfWasteful();
        return true;
    }
    const bool isLong = Text.size() >= kLong;
    if (!isLong && !(m_cells[Slot].Bytes[3] & kInline)) {
        // A text of the same length takes the old one's place (values of a fixed format often do).
        unsigned char* p = At(OffsetOf(m_cells[Slot]));
        if (p[0] == Text.size()) {
            std::memcpy(p + 1, Text.data(), Text.size());
            return true;
        }
    }
    // What can fail first, so that a failure changes nothing.
    std::unique_ptr<char[]> data;
    if (isLong) {
        data = std::make_unique_for_overwrite<char[]>(Text.size());
        std::memcpy(data.get(), Text.data(), Text.size());
    }
    const std::uint32_t size = isLong ? kLongEntry : 1 + static_cast<std::uint32_t>(Text.size());
    std::uint32_t at = 0;
    if (!Reserve(size, at)) {
        if (m_dead == 0)
            return false;
        Compact();
        if (!Reserve(size, at))
            return false;
    }
    unsigned char* p = At(at);
    if (isLong) {
        const std::uint64_t n = Text.size();
        char* d = data.release();
        p[0] = kLong;
        std::memcpy(p + 1, &n, sizeof(n));
        std::memcpy(p + 9, &d, sizeof(d));
        ++m_longCount;
    } else {
        p[0] = static_cast<unsigned char>(Text.size());
        std::memcpy(p + 1, Text.data(), Text.size());
    }
    Drop(m_cells[Slot]);
    m_cells[Slot] = OffsetCell(at);
    CompactIfWasteful();
    return true;
}

void TTextColumn::Erase(TSlot Slot)
{
    Drop(m_cells[Slot]);
    CompactIfWasteful();
}

void TTextColumn::Drop(Cell& C)
{
    if (!(C.Bytes[3] & kInline)) {
        const std::uint32_t at = OffsetOf(C);
        const unsigned char* p = At(at);
        const std::uint32_t size = EntrySize(p);
        if (p[0] == kLong) {
            delete[] LongData(p);
            --m_longCount;
        }
        if (at + size == m_end)
            m_end = at;   // the last entry: its bytes are simply the next entry's
        else
            m_dead += size;
    }
    C = EmptyCell();
}

void TTextColumn::CompactIfWasteful()
{
    // Once the waste outweighs the work of moving every text (and looking at
    // every cell), so moving costs a constant per byte wasted.
    const std::size_t used = m_end - m_dead;
    if (m_dead < std::max<std::size_t>(kBlockSize, used + m_cells.size()))
        return;
    try {
        Compact();
    } catch (const std::bad_alloc&) {
        // Without memory for the new blocks the texts stay where they are; nothing is lost.
    }
}

void TTextColumn::Compact()
{
    // The places of the entries in slot order, so that the only step that can
    // fail, taking the new blocks, comes before anything changes.
    auto place = [](std::size_t& End, std::uint32_t Size) {
        if ((End & (kBlockSize - 1)) + Size > kBlockSize)
            End = (End | (kBlockSize - 1)) + 1;
        const std::size_t at = End;
        End += Size;
        return at;
    };
    std::size_t end = 0;
    for (const Cell& c : m_cells)
        if (!(c.Bytes[3] & kInline))
            place(end, EntrySize(At(OffsetOf(c))));
    std::vector<std::unique_ptr<unsigned char[]>> blocks((end + kBlockSize - 1) / kBlockSize);
    for (auto& block : blocks)
        block = std::make_unique_for_overwrite<unsigned char[]>(kBlockSize);

    std::size_t at = 0;
    std::size_t dead = 0;
    for (Cell& c : m_cells) {
        if (c.Bytes[3] & kInline)
            continue;
        const unsigned char* p = At(OffsetOf(c));
        const std::uint32_t size = EntrySize(p);
        const std::size_t before = at;
        const std::size_t to = place(at, size);
        dead += to - before;
        std::memcpy(blocks[to >> kBlockBits].get() + (to & (kBlockSize - 1)), p, size);
        c = OffsetCell(static_cast<std::uint32_t>(to));
    }
    m_blocks = std::move(blocks);
    m_end = static_cast<std::uint32_t>(at);
    m_dead = dead;
}

} // namespace qel
