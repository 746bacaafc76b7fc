// The memory dataset's column store: values read back with their exact
// Variant type, and its compare agrees with Variant::Compare.
#include "DataTestSupport.h"

#include "platform/data/RecordStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

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

} // namespace
} // namespace qel::test
