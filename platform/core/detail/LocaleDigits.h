#pragma once
// Pieces shared by the locale's number, Format, date and text sources: blank
// and digit tests, and exact decimal digits for formatting and rounding.
#include "platform/core/Exceptions.h"

#include <string>
#include <string_view>

namespace qel::detail {

[[noreturn]] inline void ThrowInvalid(const std::string& s, const char* what)
{
    throw EConvertError("'" + s + "' is not a valid " + what);
}

inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

inline std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

inline bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline char Upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// A non-negative decimal number 0.D1D2D3... x 10^Exp; Digits has no leading
// or trailing zeros and is empty for zero.
struct Decimal {
    std::string Digits;
    int Exp = 0;
};

// The digits of |value| (not zero) in scientific notation: the shortest that
// read back as the same double, or correctly rounded to `precision`
// significant digits when that is above 0.
Decimal ScientificDecimal(double value, int precision);
// The shortest digits that read back as the same double, so that decimal
// rounding sees 1.005 as 1.005 and not as its binary neighbour.
Decimal ToDecimal(double value);
// Keeps `count` leading digits, rounding half away from zero.
void RoundDigits(Decimal& d, int count);
// Rounds to `decimals` places after the point.
void RoundPlaces(Decimal& d, int decimals);
std::string IntegerDigits(const Decimal& d);
// The fraction digits, padded with zeros to `places`.
std::string FractionDigits(const Decimal& d, int places);
// "NAN", "INF" or "-INF".
std::string SpecialFloat(double value);

} // namespace qel::detail
