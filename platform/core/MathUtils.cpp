#include "platform/core/MathUtils.h"

#include "platform/core/Exceptions.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace qel {

int MulDiv(int Number, int Numerator, int Denominator)
{
    if (Denominator == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(Number) * Numerator;
    // |product| < 2^62 and |denominator| >= 1, so the half-denominator
    // adjustment below cannot overflow.
    std::int64_t quotient = product / Denominator;
    const std::int64_t remainder = product % Denominator;
    const std::int64_t absRem = remainder < 0 ? -remainder : remainder;
    const std::int64_t absDen = Denominator < 0 ? -static_cast<std::int64_t>(Denominator) : Denominator;
    if (2 * absRem >= absDen)
        quotient += ((product < 0) != (Denominator < 0)) ? -1 : 1;
    if (quotient > std::numeric_limits<int>::max() || quotient < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(quotient);
}

bool TryMulDiv64(std::int64_t Number, std::int64_t Numerator, std::int64_t Denominator, std::int64_t& Result)
{
    if (Denominator == 0)
        return false;
    const __int128 product = static_cast<__int128>(Number) * Numerator;
    __int128 quotient = product / Denominator;
    const __int128 remainder = product % Denominator;
    const __int128 absRem = remainder < 0 ? -remainder : remainder;
    const __int128 absDen = Denominator < 0 ? -static_cast<__int128>(Denominator) : Denominator;
    if (2 * absRem >= absDen)
        quotient += ((product < 0) != (Denominator < 0)) ? -1 : 1;
    if (quotient > std::numeric_limits<std::int64_t>::max() || quotient < std::numeric_limits<std::int64_t>::min())
        return false;
    Result = static_cast<std::int64_t>(quotient);
    return true;
}

namespace {

std::int64_t CheckedToInt64(double Value, double Rounded)
{
    // 2^63 is exactly representable; everything below it fits.
    constexpr double kLimit = 9223372036854775808.0;
    if (!(Rounded >= -kLimit && Rounded < kLimit)) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g", Value);
        throw EConvertError(std::string("Floating point value ") + buf
                            + " cannot be converted to an integer");
    }
    return static_cast<std::int64_t>(Rounded);
}

} // namespace

std::int64_t Round(double Value)
{
    return CheckedToInt64(Value, std::nearbyint(Value));
}

std::int64_t RoundHalfAway(double Value)
{
    return CheckedToInt64(Value, std::round(Value));
}

std::int64_t Trunc(double Value)
{
    return CheckedToInt64(Value, std::trunc(Value));
}

} // namespace qel
