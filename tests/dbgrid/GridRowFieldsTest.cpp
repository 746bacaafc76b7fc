// The compact bookmark a grid row keeps reads back exactly what was stored.
#include "dbgrid/GridRowFields.h"

#include <gtest/gtest.h>


namespace qel::test {

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
