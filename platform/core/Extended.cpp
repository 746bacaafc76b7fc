#include "platform/core/Extended.h"

#include <bit>
#include <cstring>

namespace qel {

namespace {

constexpr int kExtBias = 16383;
constexpr int kDblBias = 1023;
constexpr std::uint64_t kIntegerBit = std::uint64_t{1} << 63;

std::array<std::uint8_t, 10> Pack(bool Negative, std::uint16_t Exponent, std::uint64_t Mantissa)
{
    std::array<std::uint8_t, 10> out{};
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<std::uint8_t>(Mantissa >> (8 * i));
    const std::uint16_t se = static_cast<std::uint16_t>(Exponent | (Negative ? 0x8000 : 0));
    out[8] = static_cast<std::uint8_t>(se & 0xFF);
    out[9] = static_cast<std::uint8_t>(se >> 8);
    return out;
}

double FromBits(std::uint64_t Bits)
{
    return std::bit_cast<double>(Bits);
}

} // namespace

std::array<std::uint8_t, 10> DoubleToExtended(double Value)
{
    const auto bits = std::bit_cast<std::uint64_t>(Value);
    const bool negative = (bits >> 63) != 0;
    const int exp = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t frac = bits & ((std::uint64_t{1} << 52) - 1);

    if (exp == 0x7FF) // infinities and NaNs keep their payload (and quiet bit)
        return Pack(negative, 0x7FFF, kIntegerBit | (frac << 11));
    if (exp == 0) {
        if (frac == 0)
            return Pack(negative, 0, 0);
        // Subnormal doubles are normal in the wider exponent range.
        const int shift = std::countl_zero(frac);
        const std::uint64_t mantissa = frac << shift;
        // value = frac * 2^-1074 = mantissa * 2^(-1074 - shift) = mantissa * 2^(E - bias - 63)
        return Pack(negative, static_cast<std::uint16_t>(kExtBias + 63 - 1074 - shift), mantissa);
    }
    return Pack(negative, static_cast<std::uint16_t>(exp - kDblBias + kExtBias),
                kIntegerBit | (frac << 11));
}

double ExtendedToDouble(const std::uint8_t* TenBytes)
{
    std::uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i)
        mantissa |= static_cast<std::uint64_t>(TenBytes[i]) << (8 * i);
    const std::uint16_t se = static_cast<std::uint16_t>(TenBytes[8] | (TenBytes[9] << 8));
    const bool negative = (se & 0x8000) != 0;
    const int exponent = se & 0x7FFF;
    const std::uint64_t sign = negative ? (std::uint64_t{1} << 63) : 0;

    if (exponent == 0x7FFF) {
        const std::uint64_t fraction = mantissa & ~kIntegerBit;
        if (fraction == 0 && (mantissa & kIntegerBit))
            return FromBits(sign | (std::uint64_t{0x7FF} << 52));
        // NaN (or an invalid pseudo-infinity): keep the top payload bits, stay a NaN.
        std::uint64_t payload = fraction >> 11;
        if (payload == 0)
            payload = std::uint64_t{1} << 51;
        return FromBits(sign | (std::uint64_t{0x7FF} << 52) | payload);
    }
    if (mantissa == 0)
        return FromBits(sign);

    // value = mantissa * 2^(e - 63); normalise unnormals and denormals.
    int e = (exponent == 0 ? 1 : exponent) - kExtBias;
    const int lead = std::countl_zero(mantissa);
    mantissa <<= lead;
    e -= lead;

    if (e > kDblBias)
        return FromBits(sign | (std::uint64_t{0x7FF} << 52));

    // Number of low mantissa bits to drop: 11 for normals, more for subnormals.
    int shift = 11;
    if (e < 1 - kDblBias)
        shift += (1 - kDblBias) - e;
    if (shift > 64)
        return FromBits(sign); // below half the smallest subnormal
    const unsigned __int128 m = mantissa;
    std::uint64_t r = static_cast<std::uint64_t>(m >> shift);
    const unsigned __int128 rem = m & ((static_cast<unsigned __int128>(1) << shift) - 1);
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
    if (rem > half || (rem == half && (r & 1)))
        ++r;

    if (shift > 11) {
        // Subnormal result; a carry into bit 52 yields the smallest normal,
        // which the same bit pattern encodes.
        return FromBits(sign | r);
    }
    if (r == (std::uint64_t{1} << 53)) {
        r >>= 1;
        ++e;
        if (e > kDblBias)
            return FromBits(sign | (std::uint64_t{0x7FF} << 52));
    }
    const auto biased = static_cast<std::uint64_t>(e + kDblBias);
    return FromBits(sign | (biased << 52) | (r & ((std::uint64_t{1} << 52) - 1)));
}

std::array<std::uint8_t, 8> CurrencyToBytes(Currency Value)
{
    std::array<std::uint8_t, 8> out{};
    const auto u = static_cast<std::uint64_t>(Value.Value);
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<std::uint8_t>(u >> (8 * i));
    return out;
}

Currency CurrencyFromBytes(const std::uint8_t* EightBytes)
{
    std::uint64_t u = 0;
    for (int i = 0; i < 8; ++i)
        u |= static_cast<std::uint64_t>(EightBytes[i]) << (8 * i);
    return Currency{static_cast<std::int64_t>(u)};
}

} // namespace qel
