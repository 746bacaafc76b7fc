// The compact forms a grid row keeps read back exactly what was stored.
#include "dbgrid/GridRowFields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace qel::test {

TEST(GridRowFields, KeysOfEveryTypeReadBackAsStored)
{
    const Variant values[] = {Variant(),
                              Variant::Null(),
                              Variant::FromSmallint(-32768),
                              Variant(std::numeric_limits<int>::min()),
                              Variant::FromByte(255),
                              Variant(std::numeric_limits<std::int64_t>::max()),
                              Variant(true),
                              Variant(false),
                              Variant(Currency::FromInt64(-922337203685477580)),
                              Variant::FromSingle(0.1f),
                              Variant(-0.0),
                              Variant(std::numeric_limits<double>::quiet_NaN()),
                              Variant::FromDate(45000.75),
                              Variant("Door 12"),
                              Variant(std::string(13, 'k')),   // the longest text in place
                              Variant(std::string(14, 'k')),
                              Variant(""),
                              Variant(std::string("a\0b", 3)),
                              Variant::FromWideString("Tür"),
                              Variant::Array({Variant(1), Variant("x")})};
    for (const Variant& v : values) {
        TRowKey key;
        key = v;
        const Variant back = key;
        EXPECT_EQ(back.VarType(), v.VarType()) << VarTypeAsText(v.VarType());
        EXPECT_EQ(Variant::Compare(back, v), 0) << VarTypeAsText(v.VarType());
        TRowKey copy(key);   // copies own their text
        key = Variant(7);
        EXPECT_EQ(Variant::Compare(copy, v), 0) << VarTypeAsText(v.VarType());
        copy = copy;
        EXPECT_EQ(Variant::Compare(copy, v), 0) << VarTypeAsText(v.VarType());
        EXPECT_EQ(copy.IsEmptyOrNull(), v.IsEmptyOrNull());
    }
    EXPECT_TRUE(TRowKey().IsNull());
    EXPECT_EQ(sizeof(TRowKey), 16u);
}

TEST(GridRowFields, BookmarksInPlaceAndOnTheHeapCompareAsTheirBytes)
{
    const TBookmark marks[] = {"",
                               "a",
                               std::string("\0", 1),
                               std::string("\xff\1\2\3\4\5\6", 7),   // the longest kept whole in place
                               std::string("\1\2\3\4\5\6\7\0", 8),   // an in-memory record id
                               std::string(8, '\0'),                      // record id 0
                               std::string("\1\2\3\4\5\6\7\x80", 8),   // eight bytes, the last set: on the heap
                               std::string(15, 'x'),
                               std::string(1000, '\0') + "end"};
    for (const TBookmark& m : marks) {
        TRowBookmark b(m);
        EXPECT_EQ(static_cast<TBookmark>(b), m);
        EXPECT_TRUE(b == m);
        EXPECT_EQ(b.empty(), m.empty());
        TRowBookmark copy = b;
        b = TBookmark("other");
        EXPECT_EQ(static_cast<TBookmark>(copy), m);
        copy = copy;
        EXPECT_TRUE(copy == TRowBookmark(m));
        EXPECT_FALSE(copy == b);
        b = copy;
        EXPECT_EQ(static_cast<TBookmark>(b), m);
        for (const TBookmark& other : marks)
            EXPECT_EQ(TRowBookmark(other) == b, other == m) << other.size() << " " << m.size();
    }
    EXPECT_EQ(sizeof(TRowBookmark), 8u);
}

} // namespace qel::test
