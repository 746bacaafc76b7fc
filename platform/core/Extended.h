#pragma once
// The 80-bit x87 extended format as stored in the platform's files:
// 10 bytes little-endian, a 64-bit mantissa with an explicit integer bit,
// then a 15-bit exponent (bias 16383) and the sign bit.
#include "platform/core/Variant.h"

#include <array>
#include <cstdint>

namespace qel {

// Exact for every double (subnormals, ±0, ±inf, NaN payloads).
std::array<std::uint8_t, 10> DoubleToExtended(double Value);
// Rounds to nearest even; values beyond the double range become ±inf,
// values too small become ±0.
double ExtendedToDouble(const std::uint8_t* TenBytes);

// Currency is stored as its scaled int64, little-endian.
std::array<std::uint8_t, 8> CurrencyToBytes(Currency Value);
Currency CurrencyFromBytes(const std::uint8_t* EightBytes);

} // namespace qel
