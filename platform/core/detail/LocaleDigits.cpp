#include "platform/core/detail/LocaleDigits.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace qel::detail {

Decimal ScientificDecimal(double Value, int Precision)
{
    Decimal d;
    Value = std::fabs(Value);
    char buf[64];
    const auto res = Precision > 0
        ? std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::scientific, Precision - 1)
        : std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::scientific);
    const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t e = text.find('e');
    for (std::size_t i = 0; i < e; ++i)
        if (IsDigit(text[i]))
            d.Digits += text[i];
    int exp10 = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exp10);
    d.Exp = exp10 + 1;
    while (!d.Digits.empty() && d.Digits.back() == '0')
        d.Digits.pop_back();
    return d;
}

Decimal ToDecimal(double Value)
{
    return Value == 0 ? Decimal{} : ScientificDecimal(Value, 0);
}

void RoundDigits(Decimal& D, int Count)
{
    if (Count < 0 || D.Digits.empty()) {
        if (Count < 0)
            D = Decimal{};
        return;
    }
    if (Count >= static_cast<int>(D.Digits.size()))
        return;
    const bool up = D.Digits[static_cast<std::size_t>(Count)] >= '5';
    D.Digits.resize(static_cast<std::size_t>(Count));
    if (up) {
        int i = Count - 1;
        while (i >= 0 && D.Digits[static_cast<std::size_t>(i)] == '9') {
            D.Digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            D.Digits.insert(D.Digits.begin(), '1');
            ++D.Exp;
        } else {
            ++D.Digits[static_cast<std::size_t>(i)];
        }
    }
    while (!D.Digits.empty() && D.Digits.back() == '0')
        D.Digits.pop_back();
    if (D.Digits.empty())
        D.Exp = 0;
}

void RoundPlaces(Decimal& D, int Decimals)
{
    if (D.Digits.empty())
        return;
    const int keep = D.Exp + Decimals;
    if (keep < 0) {
        D = Decimal{};
        return;
    }
    if (keep == 0) {
        // Only the first digit decides whether we round up to 10^-decimals.
        const bool up = D.Digits[0] >= '5';
        D = Decimal{};
        if (up) {
            D.Digits = "1";
            D.Exp = 1 - Decimals;
        }
        return;
    }
    RoundDigits(D, keep);
}

std::string IntegerDigits(const Decimal& D)
{
    if (D.Exp <= 0)
        return {};
    std::string s = D.Digits.substr(0, static_cast<std::size_t>(std::min<int>(D.Exp, static_cast<int>(D.Digits.size()))));
    s.append(static_cast<std::size_t>(std::max(0, D.Exp - static_cast<int>(D.Digits.size()))), '0');
    return s;
}

std::string FractionDigits(const Decimal& D, int Places)
{
    std::string s;
    for (int i = 0; i < Places; ++i) {
        const int idx = D.Exp + i;   // index into Digits of the (i+1)-th fraction digit
        s += (idx >= 0 && idx < static_cast<int>(D.Digits.size())) ? D.Digits[static_cast<std::size_t>(idx)] : '0';
    }
    return s;
}

std::string SpecialFloat(double Value)
{
    if (std::isnan(Value))
        return "NAN";
    return Value < 0 ? "-INF" : "INF";
}

} // namespace qel::detail
