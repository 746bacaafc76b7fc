// Lengths computed from stored values saturate far outside any device, so
// that sums and differences of two of them stay inside int.
#include "platform/graphics/Geometry.h"

#include <gtest/gtest.h>

#include <climits>

namespace qel {

TEST(Geometry, CoordinatesSaturateAtTheDeviceLimit)
{
    EXPECT_EQ(ClampCoord(123), 123);
    EXPECT_EQ(ClampCoord(-123), -123);
    EXPECT_EQ(ClampCoord(2LL * INT_MAX), MaxCoord);
    EXPECT_EQ(ClampCoord(2LL * INT_MIN), -MaxCoord);
    EXPECT_EQ(RoundToInt(2.5), 3);
    EXPECT_EQ(RoundToInt(1e300), MaxCoord);
    EXPECT_EQ(RoundToInt(-1e300), -MaxCoord);
    // The farthest rectangle still has a width.
    const TRect far = Rect(-MaxCoord, 0, MaxCoord, 1);
    EXPECT_EQ(far.Width(), 2 * MaxCoord);
}

} // namespace qel
