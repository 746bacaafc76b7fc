#include "platform/core/Exceptions.h"
#include "platform/core/MathUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace qel {
namespace {

TEST(MathUtils, MulDivRoundsHalfAwayFromZero)
{
    EXPECT_EQ(MulDiv(10, 3, 4), 8);      // 7.5
    EXPECT_EQ(MulDiv(-10, 3, 4), -8);
    EXPECT_EQ(MulDiv(10, -3, 4), -8);
    EXPECT_EQ(MulDiv(10, 3, -4), -8);
    EXPECT_EQ(MulDiv(-10, -3, -4), -8);
    EXPECT_EQ(MulDiv(5, 1, 2), 3);       // 2.5
    EXPECT_EQ(MulDiv(2, 1, 3), 1);
    EXPECT_EQ(MulDiv(1, 1, 3), 0);
    EXPECT_EQ(MulDiv(-1, 1, 3), 0);
    // The intermediate product does not overflow 32 bits.
    EXPECT_EQ(MulDiv(100000, 100000, 100000), 100000);
    EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX);
    EXPECT_EQ(MulDiv(INT_MIN, INT_MIN, INT_MIN), INT_MIN);
}

TEST(MathUtils, MulDivReportsImpossibleResultsAsMinusOne)
{
    EXPECT_EQ(MulDiv(10, 3, 0), -1);
    EXPECT_EQ(MulDiv(INT_MAX, 2, 1), -1);
    EXPECT_EQ(MulDiv(INT_MIN, -1, 1), -1);
}

TEST(MathUtils, MulDiv64RoundsLikeMulDivAndRefusesWhatDoesNotFit)
{
    std::int64_t r = 7;
    ASSERT_TRUE(TryMulDiv64(10, 3, 4, r));
    EXPECT_EQ(r, 8);
    ASSERT_TRUE(TryMulDiv64(-10, 3, 4, r));
    EXPECT_EQ(r, -8);
    // A report position past 2^31 in report units, times a scale, over 100.
    ASSERT_TRUE(TryMulDiv64(3'000'000'000LL, 500, 100, r));
    EXPECT_EQ(r, 15'000'000'000LL);
    // The intermediate passes 64 bits; the result does not.
    ASSERT_TRUE(TryMulDiv64(INT64_MAX, INT64_MAX, INT64_MAX, r));
    EXPECT_EQ(r, INT64_MAX);
    r = 42;
    EXPECT_FALSE(TryMulDiv64(10, 3, 0, r));
    EXPECT_FALSE(TryMulDiv64(INT64_MAX, 2, 1, r));
    EXPECT_FALSE(TryMulDiv64(INT64_MIN, -1, 1, r));
    EXPECT_EQ(r, 42);
}

TEST(MathUtils, RoundingHelpersRejectWhatDoesNotFit)
{
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(3.5), 4);
    EXPECT_EQ(Round(-2.5), -2);
    EXPECT_EQ(RoundHalfAway(2.5), 3);
    EXPECT_EQ(RoundHalfAway(-2.5), -3);
    EXPECT_EQ(Trunc(-2.9), -2);
    EXPECT_EQ(Trunc(-9223372036854775808.0), std::numeric_limits<std::int64_t>::min());
    EXPECT_THROW(Round(std::nan("")), EConvertError);
    EXPECT_THROW(Trunc(9223372036854775808.0), EConvertError);
    EXPECT_THROW(RoundHalfAway(-std::numeric_limits<double>::infinity()), EConvertError);
}

TEST(MathUtils, SignIgnoresNaN)
{
    EXPECT_EQ(Sign(-7), -1);
    EXPECT_EQ(Sign(0.0), 0);
    EXPECT_EQ(Sign(2.5), 1);
    EXPECT_EQ(Sign(std::nan("")), 0);
}

} // namespace
} // namespace qel
