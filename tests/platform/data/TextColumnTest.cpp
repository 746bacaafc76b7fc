// The record store's text column: every text reads back as assigned through
// any mix of lengths, rewrites and erasures; rewriting does not make it grow
// without end; and when its blocks run out it refuses a text and keeps the old.
#include "platform/data/TextColumn.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace qel::test {
namespace {

constexpr std::size_t kBlock = 65536;

// Lengths around every boundary of the column: in the cell, one length byte, a block of its own.
std::string RandomText(std::mt19937& Rng)
{
    static const std::size_t lengths[] = {0, 1, 3, 4, 5, 12, 13, 100, 253, 254, 255, 256, 1000};
    const std::size_t n = lengths[Rng() % std::size(lengths)];
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(Rng() % 256);   // any byte, zero too
    return s;
}

// Bytes the column may rightly hold for these texts: the entries, one cell each, and waste that it
// reclaims once it outweighs them.
std::size_t Allowed(const std::vector<std::string>& Texts)
{
    std::size_t live = 0;
    for (const std::string& t : Texts)
        live += t.size() <= 3 ? 0 : t.size() < 255 ? 1 + t.size() : 17;
    return 2 * (live + Texts.size()) + 3 * kBlock;
}

TEST(TextColumn, EveryTextReadsBackThroughRandomRewritesAndErasures)
{
    std::mt19937 rng(20261207);
    TTextColumn column;
    std::vector<std::string> model(300);
    column.Grow(model.size());
    for (int step = 0; step < 30000; ++step) {
        const auto slot = static_cast<TTextColumn::TSlot>(rng() % model.size());
        if (rng() % 5 == 0) {
            column.Erase(slot);
            model[slot].clear();
        } else {
            std::string text = RandomText(rng);
            ASSERT_TRUE(column.Assign(slot, text));
            model[slot] = std::move(text);
        }
        ASSERT_EQ(column.View(slot), model[slot]) << "step " << step;
        if (step % 1000 == 999) {
            for (std::size_t s = 0; s < model.size(); ++s)
                ASSERT_EQ(column.View(static_cast<TTextColumn::TSlot>(s)), model[s]) << "step " << step;
            EXPECT_LE(column.BlockBytes(), Allowed(model)) << "step " << step;
        }
    }
    // Slots added later start empty; the others keep their texts.
    column.Grow(model.size() + 10);
    EXPECT_EQ(column.View(static_cast<TTextColumn::TSlot>(model.size() + 3)), "");
    for (std::size_t s = 0; s < model.size(); ++s)
        EXPECT_EQ(column.View(static_cast<TTextColumn::TSlot>(s)), model[s]);
}

TEST(TextColumn, RewritingOneValueForeverStaysSmall)
{
    TTextColumn column;
    column.Grow(3);
    ASSERT_TRUE(column.Assign(0, "the first record's text"));
    ASSERT_TRUE(column.Assign(2, std::string(400, 'y')));
    for (int i = 0; i < 200000; ++i) {
        // Growing and shrinking texts, so none fits the place of the one before.
        const std::string text = "edit " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 40), 'x');
        ASSERT_TRUE(column.Assign(1, text));
        ASSERT_EQ(column.View(1), text);
    }
    EXPECT_LE(column.BlockBytes(), 3 * kBlock);
    EXPECT_EQ(column.View(0), "the first record's text");
    EXPECT_EQ(column.View(2), std::string(400, 'y'));
}

TEST(TextColumn, FullBlocksRefuseATextAndKeepTheOldUntilRoomIsMade)
{
    TTextColumn column(2 * kBlock);
    const std::size_t slots = 1000;
    column.Grow(slots);
    std::vector<std::string> model(slots);
    std::size_t refused = slots;
    for (std::size_t s = 0; s < slots; ++s) {
        const std::string text(254, static_cast<char>('a' + s % 26));
        if (!column.Assign(static_cast<TTextColumn::TSlot>(s), text)) {
            refused = s;
            break;
        }
        model[s] = text;
    }
    ASSERT_LT(refused, slots);
    EXPECT_EQ(refused, 2 * (kBlock / 255));   // 257 entries of 255 bytes to a block
    const auto full = static_cast<TTextColumn::TSlot>(refused - 1);
    EXPECT_FALSE(column.Assign(full, std::string(200, '!')));   // a new place is needed: none
    EXPECT_EQ(column.View(full), model[full]);
    ASSERT_TRUE(column.Assign(full, std::string(254, '=')));   // the same length fits its own place
    model[full] = std::string(254, '=');

    // Erased texts leave room that the next text gets, moving the others together.
    for (std::size_t s = 0; s < refused; s += 2) {
        column.Erase(static_cast<TTextColumn::TSlot>(s));
        model[s].clear();
    }
    for (std::size_t s = refused; s < refused + 100; ++s) {
        model[s] = "long enough to need an entry " + std::to_string(s);
        ASSERT_TRUE(column.Assign(static_cast<TTextColumn::TSlot>(s), model[s])) << s;
    }
    for (std::size_t s = 0; s < slots; ++s)
        EXPECT_EQ(column.View(static_cast<TTextColumn::TSlot>(s)), model[s]) << s;
}

} // namespace
} // namespace qel::test
