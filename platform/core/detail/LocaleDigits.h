#pragma once
// Pieces shared by the locale's number, Format, date and text sources: blank
// and digit tests, and exact decimal digits for formatting and rounding.
#include "platform/core/Exceptions.h"

#include <string>
#include <string_view>

namespace qel::detail {

[[noreturn]] inline void ThrowInvalid(const std::string& S, const char* What)
{
    throw EConvertError("'" + S + "' is not a valid " + What);
}

inline bool IsBlank(char C)
{
    return C == ' ' || C == '\t';
}

inline std::string_view TrimBlanks(std::string_view S)
{
    while (!S.empty() && IsBlank(S.front()))
        S.remove_prefix(1);
    while (!S.empty() && IsBlank(S.back()))
        S.remove_suffix(1);
    return S;
}

inline bool IsDigit(char C)
{
    return C >= '0' && C <= '9';
}

inline char Upper(char C)
{
    return (C >= 'a' && C <= 'z') ? static_cast<char>(C - 'a' + 'A') : C;
}

// A non-negative decimal number 0.D1D2D3... x 10^Exp; Digits has no leading
// or trailing zeros and is empty for zero.
struct Decimal {
    std::string Digits;
    int Exp = 0;
};

// The digits of |Value| (not zero) in scientific notation: the shortest that
// read back as the same double, or correctly rounded to `Precision`
// significant digits when that is above 0.
Decimal ScientificDecimal(double Value, int Precision);
// The shortest digits that read back as the same double, so that decimal
// rounding sees 1.005 as 1.005 and not as its binary neighbour.
Decimal ToDecimal(double Value);
// Keeps `Count` leading digits, rounding half away from zero.
void RoundDigits(Decimal& D, int Count);
// Rounds to `Decimals` places after the point.
void RoundPlaces(Decimal& D, int Decimals);
std::string IntegerDigits(const Decimal& D);
// The fraction digits, padded with zeros to `Places`.
std::string FractionDigits(const Decimal& D, int Places);
// "NAN", "INF" or "-INF".
std::string SpecialFloat(double Value);

} // namespace qel::detail
