#pragma once
// Integer helpers with the platform's rounding rules, and the small
// comparisons every layer uses.
#include <cstdint>

namespace qel {

inline int Min(int A, int B) { return A < B ? A : B; }
inline int Max(int A, int B) { return A > B ? A : B; }
// -1, 0 or 1 (0 for NaN).
template <class T>
constexpr int Sign(T Value)
{
    return (T{} < Value) - (Value < T{});
}

// Number * Numerator / Denominator with a 64-bit intermediate, rounded half
// away from zero; -1 when Denominator is 0 or the result does not fit.
int MulDiv(int Number, int Numerator, int Denominator);
// The same over 64-bit values with a 128-bit intermediate, rounded half away
// from zero; false (Result untouched) when Denominator is 0 or the result
// does not fit, so a failure is never mistaken for a length.
bool TryMulDiv64(std::int64_t Number, std::int64_t Numerator, std::int64_t Denominator, std::int64_t& Result);

// Nearest integer, ties to even (the platform's Round); EConvertError for
// NaN, infinities and values outside the int64 range.
std::int64_t Round(double Value);
// Nearest integer, ties away from zero; same errors as Round.
std::int64_t RoundHalfAway(double Value);
// Integer part; same errors as Round.
std::int64_t Trunc(double Value);

} // namespace qel
