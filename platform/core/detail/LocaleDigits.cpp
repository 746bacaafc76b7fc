#include "platform/core/detail/LocaleDigits.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace qel::detail {

Decimal ScientificDecimal(double value, int precision)
{
    Decimal d;
    value = std::fabs(value);
    char buf[64];
    const auto res = precision > 0
        ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, precision - 1)
        : std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
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

Decimal ToDecimal(double value)
{
    return value == 0 ? Decimal{} : ScientificDecimal(value, 0);
}

void RoundDigits(Decimal& d, int count)
{
    if (count < 0 || d.Digits.empty()) {
        if (count < 0)
            d = Decimal{};
        return;
    }
    if (count >= static_cast<int>(d.Digits.size()))
        return;
    const bool up = d.Digits[static_cast<std::size_t>(count)] >= '5';
    d.Digits.resize(static_cast<std::size_t>(count));
    if (up) {
        int i = count - 1;
        while (i >= 0 && d.Digits[static_cast<std::size_t>(i)] == '9') {
            d.Digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            d.Digits.insert(d.Digits.begin(), '1');
            ++d.Exp;
        } else {
            ++d.Digits[static_cast<std::size_t>(i)];
        }
    }
    while (!d.Digits.empty() && d.Digits.back() == '0')
        d.Digits.pop_back();
    if (d.Digits.empty())
        d.Exp = 0;
}

void RoundPlaces(Decimal& d, int decimals)
{
    if (d.Digits.empty())
        return;
    const int keep = d.Exp + decimals;
    if (keep < 0) {
        d = Decimal{};
        return;
    }
    if (keep == 0) {
        // Only the first digit decides whether we round up to 10^-decimals.
        const bool up = d.Digits[0] >= '5';
        d = Decimal{};
        if (up) {
            d.Digits = "1";
            d.Exp = 1 - decimals;
        }
        return;
    }
    RoundDigits(d, keep);
}

std::string IntegerDigits(const Decimal& d)
{
    if (d.Exp <= 0)
        return {};
    std::string s = d.Digits.substr(0, static_cast<std::size_t>(std::min<int>(d.Exp, static_cast<int>(d.Digits.size()))));
    s.append(static_cast<std::size_t>(std::max(0, d.Exp - static_cast<int>(d.Digits.size()))), '0');
    return s;
}

std::string FractionDigits(const Decimal& d, int places)
{
    std::string s;
    for (int i = 0; i < places; ++i) {
        const int idx = d.Exp + i;   // index into Digits of the (i+1)-th fraction digit
        s += (idx >= 0 && idx < static_cast<int>(d.Digits.size())) ? d.Digits[static_cast<std::size_t>(idx)] : '0';
    }
    return s;
}

std::string SpecialFloat(double value)
{
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

} // namespace qel::detail
