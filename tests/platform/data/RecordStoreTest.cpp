// The memory dataset's column store: values read back with their exact
// Variant type, and its compare agrees with Variant::Compare, through any
// sequence of adds, rewrites, removals and reused slots.
#include "DataTestSupport.h"

#include "platform/data/RecordStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <set>

namespace qel::test {
namespace {

void ExpectSame(const Variant& Actual, const Variant& Expected, const std::string& What)
{
    EXPECT_EQ(Actual.VarType(), Expected.VarType()) << What;
    EXPECT_EQ(Variant::Compare(Actual, Expected), 0) << What;
}

// --- the column store -----------------------------------------------------------

TEST(RecordStore, EveryColumnKindReadsBackExactly)
{
    TRecordStore store;
    store.Define({ftSmallint, ftInteger, ftLargeint, ftBoolean, ftFloat, ftDate, ftBCD, ftString, ftWideString,
                  ftMemo});
    const std::string longText(200, 'x');
    const std::vector<std::vector<Variant>> rows = {
        {Variant::FromSmallint(-32768), Variant(INT32_MIN), Variant(std::int64_t{INT64_MAX}), Variant(true),
         Variant(-0.5), Variant::FromDate(45000.25), Variant(Currency::FromInt64(-123456789)),
         Variant("exactly12byt"), Variant::FromWideString("Größe"), Variant(longText)},
        {Variant::FromSmallint(7), Variant(0), Variant(std::int64_t{-1}), Variant(false),
         Variant(std::numeric_limits<double>::quiet_NaN()), Variant::FromDate(-1.5), Variant(Currency{}),
         Variant("thirteen byte"), Variant::FromWideString(longText), Variant("ä")},
        // All Null; then values of an unusual type for their column, kept as they are.
        std::vector<Variant>(10, Variant::Null()),
        {Variant(5), Variant("text"), Variant(), Variant(1.0), Variant(7), Variant(2.0), Variant(3.0),
         Variant(12), Variant("narrow"), Variant::Array({Variant(1), Variant("a")})},
    };
    std::vector<TRecordStore::TSlot> slots;
    for (const auto& row : rows)
        slots.push_back(store.Add(row));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < 10; ++c)
            ExpectSame(store.Value(slots[r], c), rows[r][static_cast<std::size_t>(c)],
                       "row " + std::to_string(r) + " column " + std::to_string(c));
    EXPECT_TRUE(std::isnan(store.Value(slots[1], 4).AsDouble()));
    std::string_view text;
    ASSERT_TRUE(store.TextView(slots[0], 9, text));
    EXPECT_EQ(text, longText);
    ASSERT_TRUE(store.TextView(slots[2], 7, text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(store.TextView(slots[3], 7, text));   // kept aside: read Value
    EXPECT_FALSE(store.TextView(slots[0], 1, text));   // not a text column
    EXPECT_TRUE(store.IsNull(slots[2], 3));
    EXPECT_FALSE(store.IsNull(slots[3], 2));           // Empty is not Null

    // Overwriting a long text with a short one and the other way round, and
    // reusing a removed record's slot, leave no trace of the old values.
    store.Set(slots[0], rows[1]);
    ExpectSame(store.Value(slots[0], 9), Variant("ä"), "overwritten");
    store.Remove(slots[1]);
    const TRecordStore::TSlot reused = store.Add({});
    EXPECT_EQ(reused, slots[1]);
    for (int c = 0; c < 10; ++c)
        EXPECT_TRUE(store.IsNull(reused, c)) << c;
}

TEST(RecordStore, CompareAgreesWithVariantCompare)
{
    TRecordStore store;
    store.Define({ftSmallint, ftBoolean, ftFloat, ftString, ftCurrency});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::vector<Variant>> rows = {
        {Variant::FromSmallint(-2), Variant(true), Variant(nan), Variant("Zebra"), Variant(1.5)},
        {Variant::FromSmallint(3), Variant(false), Variant(-1e300), Variant("apfel"), Variant(-0.0)},
        {Variant::Null(), Variant::Null(), Variant(0.0), Variant("\xC3\xA4"), Variant::Null()},
        {Variant::FromSmallint(3), Variant(true), Variant(nan), Variant("Zebra"), Variant(0.0)},
        {Variant::FromSmallint(0), Variant::Null(), Variant(2.0), Variant::Null(), Variant(7)},
    };
    std::vector<TRecordStore::TSlot> slots;
    for (const auto& row : rows)
        slots.push_back(store.Add(row));
    for (int c = 0; c < 5; ++c)
        for (std::size_t a = 0; a < rows.size(); ++a)
            for (std::size_t b = 0; b < rows.size(); ++b)
                EXPECT_EQ(store.Compare(slots[a], slots[b], c),
                          Variant::Compare(store.Value(slots[a], c), store.Value(slots[b], c)))
                    << "column " << c << " rows " << a << ", " << b;
}

// --- against a plain model ---------------------------------------------------------

const std::vector<TFieldType> kEveryKind = {ftSmallint, ftInteger, ftLargeint, ftBoolean, ftFloat,
                                            ftDate,     ftBCD,     ftString,   ftWideString, ftMemo};

std::string RandomBytes(std::mt19937& Rng)
{
    static const std::size_t lengths[] = {0, 0, 1, 3, 4, 9, 12, 13, 254, 255, 600};
    std::string s(lengths[Rng() % std::size(lengths)], '\0');
    for (char& c : s)
        c = static_cast<char>('0' + Rng() % 75);
    return s;
}

// A value for a column: mostly of its own kind, sometimes Null, sometimes
// one it keeps aside (Empty, another type, an array).
Variant RandomValue(std::mt19937& Rng, TFieldType Type)
{
    const unsigned pick = Rng() % 10;
    if (pick == 0)
        return Variant::Null();
    if (pick == 1) {
        switch (Rng() % 4) {
        case 0: return Variant();
        case 1: return Variant(static_cast<int>(Rng() % 100));
        case 2: return Variant(RandomBytes(Rng));
        default: return Variant::Array({Variant(1), Variant::Null()});
        }
    }
    const auto n = static_cast<std::int32_t>(Rng() % 2001) - 1000;
    switch (Type) {
    case ftSmallint: return Variant::FromSmallint(static_cast<std::int16_t>(n));
    case ftInteger: return Variant(n);
    case ftLargeint: return Variant(std::int64_t{n} << 40);
    case ftBoolean: return Variant(n % 2 == 0);
    case ftFloat: return Variant(n / 8.0);
    case ftDate: return Variant::FromDate(45000 + n / 4.0);
    case ftBCD: return Variant(Currency::FromInt64(n * 17));
    case ftWideString: return Variant::FromWideString(RandomBytes(Rng));
    default: return Variant(RandomBytes(Rng));
    }
}

TEST(RecordStore, AgreesWithAPlainModelThroughRandomChanges)
{
    std::mt19937 rng(7);
    TRecordStore store;
    store.Define(kEveryKind);
    const int columns = static_cast<int>(kEveryKind.size());
    std::map<TRecordStore::TSlot, std::vector<Variant>> model;
    std::set<TRecordStore::TSlot> freed;
    auto randomRow = [&] {
        std::vector<Variant> row(rng() % 8 == 0 ? rng() % kEveryKind.size() : kEveryKind.size());   // missing ones are Null
        for (std::size_t c = 0; c < row.size(); ++c)
            row[c] = RandomValue(rng, kEveryKind[c]);
        row.resize(kEveryKind.size(), Variant::Null());
        return row;
    };
    auto randomLive = [&] {
        auto it = model.begin();
        std::advance(it, static_cast<long>(rng() % model.size()));
        return it->first;
    };
    auto check = [&](TRecordStore::TSlot Slot, int Step) {
        const std::vector<Variant>& row = model.at(Slot);
        for (int c = 0; c < columns; ++c) {
            const Variant& expected = row[static_cast<std::size_t>(c)];
            const std::string what = "step " + std::to_string(Step) + " slot " + std::to_string(Slot) + " column "
                + std::to_string(c);
            ExpectSame(store.Value(Slot, c), expected, what);
            EXPECT_EQ(store.IsNull(Slot, c), expected.IsNull()) << what;
            std::string_view text;
            const bool viewed = store.TextView(Slot, c, text);
            const TFieldType type = kEveryKind[static_cast<std::size_t>(c)];
            const bool textColumn = type == ftString || type == ftWideString || type == ftMemo;
            const TVarType own = type == ftWideString ? varOleStr : varString;
            EXPECT_EQ(viewed, textColumn && (expected.IsNull() || expected.VarType() == own)) << what;
            if (viewed) {
                EXPECT_EQ(text, VarToStr(expected)) << what;
            }
        }
    };
    for (int step = 0; step < 4000; ++step) {
        const unsigned op = rng() % 10;
        if (op < 4 || model.empty()) {
            std::vector<Variant> row = randomRow();
            const TRecordStore::TSlot slot = store.Add(row);
            ASSERT_FALSE(model.count(slot)) << "a live slot given out again";
            if (!freed.empty()) {
                EXPECT_TRUE(freed.count(slot)) << "a freed slot is reused before the store grows";
            }
            freed.erase(slot);
            model[slot] = std::move(row);
            check(slot, step);
        } else if (op < 8) {
            const TRecordStore::TSlot slot = randomLive();
            std::vector<Variant> row = randomRow();
            store.Set(slot, row);
            model[slot] = std::move(row);
            check(slot, step);
        } else {
            const TRecordStore::TSlot slot = randomLive();
            store.Remove(slot);
            model.erase(slot);
            freed.insert(slot);
        }
        if (step % 400 == 399) {
            for (const auto& [slot, row] : model)
                check(slot, step);
            for (int k = 0; k < 200; ++k) {
                const TRecordStore::TSlot a = randomLive(), b = randomLive();
                const int c = static_cast<int>(rng() % kEveryKind.size());
                EXPECT_EQ(store.Compare(a, b, c), Variant::Compare(model[a][static_cast<std::size_t>(c)],
                                                                   model[b][static_cast<std::size_t>(c)]))
                    << "column " << c;
            }
        }
    }
}

} // namespace
} // namespace qel::test
