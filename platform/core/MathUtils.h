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

// number * numerator / denominator with a 64-bit intermediate, rounded half
// away from zero; -1 when the denominator is 0 or the result does not fit.
int MulDiv(int number, int numerator, int denominator);

// Nearest integer, ties to even (the platform's Round); EConvertError for
// NaN, infinities and values outside the int64 range.
std::int64_t Round(double value);
// Nearest integer, ties away from zero; same errors as Round.
std::int64_t RoundHalfAway(double value);
// Integer part; same errors as Round.
std::int64_t Trunc(double value);

} // namespace qel
