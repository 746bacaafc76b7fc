#include "platform/core/Extended.h"
#include "platform/core/MathUtils.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace qel {
namespace {

using Bytes = std::array<std::uint8_t, 10>;

Bytes Ext(std::uint64_t mantissa, std::uint16_t signExp)
{
    Bytes b{};
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<std::uint8_t>(mantissa >> (8 * i));
    b[8] = static_cast<std::uint8_t>(signExp);
    b[9] = static_cast<std::uint8_t>(signExp >> 8);
    return b;
}

std::uint64_t Bits(double d)
{
    return std::bit_cast<std::uint64_t>(d);
}

// Byte vectors worked out by hand from the x87 layout.
TEST(ExtendedCodec, EncodesKnownValues)
{
    EXPECT_EQ(DoubleToExtended(0.0), Ext(0, 0));
    EXPECT_EQ(DoubleToExtended(-0.0), Ext(0, 0x8000));
    EXPECT_EQ(DoubleToExtended(1.0), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
    EXPECT_EQ(DoubleToExtended(-2.0), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}));
    EXPECT_EQ(DoubleToExtended(3.0), (Bytes{0, 0, 0, 0, 0, 0, 0, 0xC0, 0x00, 0x40}));
    EXPECT_EQ(DoubleToExtended(10.0), (Bytes{0, 0, 0, 0, 0, 0, 0, 0xA0, 0x02, 0x40}));
    EXPECT_EQ(DoubleToExtended(0.1), (Bytes{0x00, 0xD0, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}));
    EXPECT_EQ(DoubleToExtended(DBL_MAX), (Bytes{0x00, 0xF8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x43}));
    EXPECT_EQ(DoubleToExtended(DBL_MIN), Ext(0x8000000000000000ULL, 0x3C01));
    // The smallest subnormal is normal in the extended range: 2^-1074.
    EXPECT_EQ(DoubleToExtended(std::numeric_limits<double>::denorm_min()), Ext(0x8000000000000000ULL, 0x3BCD));
    EXPECT_EQ(DoubleToExtended(std::numeric_limits<double>::infinity()), Ext(0x8000000000000000ULL, 0x7FFF));
    EXPECT_EQ(DoubleToExtended(-std::numeric_limits<double>::infinity()), Ext(0x8000000000000000ULL, 0xFFFF));
    EXPECT_EQ(DoubleToExtended(std::numeric_limits<double>::quiet_NaN()), Ext(0xC000000000000000ULL, 0x7FFF));
}

TEST(ExtendedCodec, RoundTripsEveryKindOfDouble)
{
    const double samples[] = {0.0, -0.0, 1.0, -1.0, 0.1, 1e308, -1e-308, DBL_MAX, -DBL_MAX, DBL_MIN,
                              std::numeric_limits<double>::denorm_min(), -4.9406564584124654e-320,
                              std::nextafter(DBL_MIN, 0.0), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity()};
    for (double d : samples) {
        const Bytes b = DoubleToExtended(d);
        EXPECT_EQ(Bits(ExtendedToDouble(b.data())), Bits(d)) << d;
    }
    // NaNs stay NaNs and keep their payload and sign.
    const double nan = std::bit_cast<double>(0xFFF8000000012345ULL);
    const Bytes nb = DoubleToExtended(nan);
    EXPECT_EQ(Bits(ExtendedToDouble(nb.data())), Bits(nan));

    std::mt19937_64 rng(42);
    for (int i = 0; i < 100000; ++i) {
        const std::uint64_t bits = rng();
        const Bytes b = DoubleToExtended(std::bit_cast<double>(bits));
        ASSERT_EQ(Bits(ExtendedToDouble(b.data())), bits) << std::hex << bits;
    }
}

TEST(ExtendedCodec, NarrowsWithRoundingAndRangeLimits)
{
    // Exactly halfway between 1 and the next double: ties to even.
    Bytes b = Ext(0x8000000000000400ULL, 0x3FFF);
    EXPECT_EQ(ExtendedToDouble(b.data()), 1.0);
    b = Ext(0x8000000000000C00ULL, 0x3FFF);
    EXPECT_EQ(ExtendedToDouble(b.data()), 1.0 + std::ldexp(1.0, -51));
    b = Ext(0x8000000000000401ULL, 0x3FFF);
    EXPECT_EQ(ExtendedToDouble(b.data()), 1.0 + std::ldexp(1.0, -52));

    // Too large for a double: infinity of the right sign, also when rounding carries over.
    b = Ext(0x8000000000000000ULL, 0x43FF);
    EXPECT_EQ(ExtendedToDouble(b.data()), std::numeric_limits<double>::infinity());
    b = Ext(0x8000000000000000ULL, 0xFFFE);
    EXPECT_EQ(ExtendedToDouble(b.data()), -std::numeric_limits<double>::infinity());
    b = Ext(0xFFFFFFFFFFFFFC00ULL, 0x43FE);
    EXPECT_EQ(ExtendedToDouble(b.data()), std::numeric_limits<double>::infinity());
    b = Ext(0xFFFFFFFFFFFFFBFFULL, 0x43FE);
    EXPECT_EQ(ExtendedToDouble(b.data()), DBL_MAX);

    // Too small: zero keeping the sign; half the smallest subnormal ties to zero.
    b = Ext(0x8000000000000000ULL, 0x0001);
    EXPECT_EQ(Bits(ExtendedToDouble(b.data())), Bits(0.0));
    b = Ext(0x8000000000000000ULL, 0x8001);
    EXPECT_EQ(Bits(ExtendedToDouble(b.data())), Bits(-0.0));
    b = Ext(0x0000000000000001ULL, 0x0000);   // extended denormal
    EXPECT_EQ(ExtendedToDouble(b.data()), 0.0);
    b = Ext(0x8000000000000000ULL, 0x3BCC);   // 2^-1075
    EXPECT_EQ(ExtendedToDouble(b.data()), 0.0);
    b = Ext(0xC000000000000000ULL, 0x3BCC);   // 1.5 * 2^-1075
    EXPECT_EQ(ExtendedToDouble(b.data()), std::numeric_limits<double>::denorm_min());
    // Rounding up from the largest subnormal reaches the smallest normal.
    b = Ext(0xFFFFFFFFFFFFFFFFULL, 0x3C00);
    EXPECT_EQ(ExtendedToDouble(b.data()), DBL_MIN);

    // A NaN whose payload lives only in the low bits is still a NaN.
    b = Ext(0x8000000000000001ULL, 0x7FFF);
    EXPECT_TRUE(std::isnan(ExtendedToDouble(b.data())));
}

#if defined(__x86_64__) || defined(__i386__)
// The hardware rounds 80-bit values to double; our decoder must agree.
TEST(ExtendedCodec, AgreesWithTheFpuOnRandomValues)
{
    static_assert(LDBL_MANT_DIG == 64);
    std::mt19937_64 rng(7);
    for (int i = 0; i < 200000; ++i) {
        std::uint64_t mantissa = rng() | 0x8000000000000000ULL;   // normals only: the FPU rejects unnormals
        // Concentrate exponents around the double range and its edges.
        const int exps[] = {0x3C00, 0x3BCD, 0x3BB0, 0x3FFF, 0x43FE, 0x43FF, 0x3C01};
        std::uint16_t exp = static_cast<std::uint16_t>((i % 3 == 0) ? exps[rng() % 7] + static_cast<int>(rng() % 5) - 2
                                                                    : 0x3BA0 + rng() % 0x880);
        if (rng() & 1)
            exp |= 0x8000;
        if (i % 5 == 0)
            mantissa &= ~0x3FFULL;
        const Bytes b = Ext(mantissa, exp);
        long double ld = 0;
        std::memcpy(&ld, b.data(), 10);
        ASSERT_EQ(Bits(ExtendedToDouble(b.data())), Bits(static_cast<double>(ld)))
            << std::hex << mantissa << " " << exp;
    }
}
#endif

TEST(ExtendedCodec, CurrencyIsItsScaledInt64LittleEndian)
{
    const Currency c{-12345678};   // -1234.5678
    const auto bytes = CurrencyToBytes(c);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 8>{0xB2, 0x9E, 0x43, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(CurrencyFromBytes(bytes.data()), c);
    const Currency extreme{std::numeric_limits<std::int64_t>::min()};
    EXPECT_EQ(CurrencyFromBytes(CurrencyToBytes(extreme).data()), extreme);
}

} // namespace
} // namespace qel
