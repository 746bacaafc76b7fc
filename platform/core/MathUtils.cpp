#include "platform/core/MathUtils.h"

#include "platform/core/Exceptions.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace qel {

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    // |product| < 2^62 and |denominator| >= 1, so the half-denominator
    // adjustment below cannot overflow.
    std::int64_t quotient = product / denominator;
    const std::int64_t remainder = product % denominator;
    const std::int64_t absRem = remainder < 0 ? -remainder : remainder;
    const std::int64_t absDen = denominator < 0 ? -static_cast<std::int64_t>(denominator) : denominator;
    if (2 * absRem >= absDen)
        quotient += ((product < 0) != (denominator < 0)) ? -1 : 1;
    if (quotient > std::numeric_limits<int>::max() || quotient < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(quotient);
}

namespace {

std::int64_t CheckedToInt64(double value, double rounded)
{
    // 2^63 is exactly representable; everything below it fits.
    constexpr double kLimit = 9223372036854775808.0;
    if (!(rounded >= -kLimit && rounded < kLimit)) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g", value);
        throw EConvertError(std::string("Floating point value ") + buf
                            + " cannot be converted to an integer");
    }
    return static_cast<std::int64_t>(rounded);
}

} // namespace

std::int64_t Round(double value)
{
    return CheckedToInt64(value, std::nearbyint(value));
}

std::int64_t RoundHalfAway(double value)
{
    return CheckedToInt64(value, std::round(value));
}

std::int64_t Trunc(double value)
{
    return CheckedToInt64(value, std::trunc(value));
}

} // namespace qel
