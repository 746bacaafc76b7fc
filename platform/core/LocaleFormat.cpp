#include "platform/core/Locale.h"

#include "platform/core/Utf8.h"
#include "platform/core/detail/LocaleDigits.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

// Format: the printf-like directives with the locale's separators.

namespace qel {

using namespace detail;

namespace {

bool IsIntegerVariant(const Variant& V)
{
    switch (V.VarType()) {
    case varSmallint: case varInteger: case varByte: case varInt64:
        return true;
    default:
        return false;
    }
}

std::string FixedText(double Value, int Decimals, bool Thousands)
{
    if (!std::isfinite(Value))
        return SpecialFloat(Value);
    std::string pattern = Thousands ? "#,##0" : "0";
    if (Decimals > 0)
        pattern += "." + std::string(static_cast<std::size_t>(Decimals), '0');
    return FormatFloat(pattern, Value);
}

std::string ExponentText(double Value, int Precision)
{
    if (!std::isfinite(Value))
        return SpecialFloat(Value);
    // "-d.ddd...E+ddd" with `Precision` significant digits.
    Precision = std::clamp(Precision, 1, 18);
    Decimal d = ToDecimal(Value);
    RoundDigits(d, Precision);
    std::string out = Value < 0 && !d.Digits.empty() ? "-" : "";
    std::string digits = d.Digits;
    digits.resize(static_cast<std::size_t>(Precision), '0');
    out += digits[0];
    if (Precision > 1) {
        out += FormatSettings().DecimalSeparator;
        out += digits.substr(1);
    }
    const int e = d.Digits.empty() ? 0 : d.Exp - 1;
    char buf[16];
    std::snprintf(buf, sizeof buf, "E%c%03d", e < 0 ? '-' : '+', std::abs(e));
    return out + buf;
}

} // namespace

std::string Format(const std::string& Format, std::initializer_list<Variant> Args)
{
    auto invalid = [&]() -> EConvertError {
        return EConvertError("Format '" + Format + "' invalid or incompatible with argument");
    };
    std::string out;
    auto arg = Args.begin();
    for (std::size_t i = 0; i < Format.size(); ++i) {
        if (Format[i] != '%') {
            out += Format[i];
            continue;
        }
        if (++i >= Format.size())
            throw invalid();
        if (Format[i] == '%') {
            out += '%';
            continue;
        }
        bool left = false;
        if (Format[i] == '-') {
            left = true;
            ++i;
        }
        int width = -1;
        int prec = -1;
        auto readNumber = [&](int& N) {
            N = 0;
            while (i < Format.size() && IsDigit(Format[i])) {
                N = std::min(N * 10 + (Format[i] - '0'), 100000);
                ++i;
            }
        };
        if (i < Format.size() && IsDigit(Format[i]))
            readNumber(width);
        if (i < Format.size() && Format[i] == '.') {
            ++i;
            readNumber(prec);
        }
        if (i >= Format.size() || arg == Args.end())
            throw invalid();
        const Variant& v = *arg++;
        std::string text;
        switch (Format[i]) {
        case 'd': case 'D': case 'u': case 'U': case 'x': case 'X': {
            if (!IsIntegerVariant(v))
                throw invalid();
            const std::int64_t n = v.AsInt64();
            const char type = static_cast<char>(std::tolower(static_cast<unsigned char>(Format[i])));
            std::uint64_t mag = 0;
            bool neg = false;
            if (type == 'd') {
                neg = n < 0;
                mag = neg ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
            } else if (n < 0 && n >= std::numeric_limits<std::int32_t>::min() && v.VarType() != varInt64) {
                mag = static_cast<std::uint32_t>(n);   // 32-bit arguments show their bit pattern
            } else {
                mag = static_cast<std::uint64_t>(n);
            }
            char buf[32];
            std::snprintf(buf, sizeof buf, type == 'x' ? "%llX" : "%llu", static_cast<unsigned long long>(mag));
            text = buf;
            if (prec > 0 && static_cast<int>(text.size()) < prec)
                text.insert(0, static_cast<std::size_t>(prec) - text.size(), '0');
            if (neg)
                text.insert(0, 1, '-');
            break;
        }
        case 'f': case 'F': case 'n': case 'N':
            if (!v.IsNumeric())
                throw invalid();
            text = FixedText(v.AsDouble(), prec < 0 ? 2 : std::min(prec, 18),
                             Format[i] == 'n' || Format[i] == 'N');
            break;
        case 'e': case 'E':
            if (!v.IsNumeric())
                throw invalid();
            text = ExponentText(v.AsDouble(), prec < 0 ? 15 : prec);
            break;
        case 'g': case 'G':
            if (!v.IsNumeric())
                throw invalid();
            text = FloatToStrGeneral(v.AsDouble(), prec < 0 ? 15 : prec);
            break;
        case 's': case 'S':
            if (v.IsArray())
                throw invalid();
            text = VarToStr(v);
            if (prec >= 0)
                text = Utf8Prefix(text, static_cast<std::size_t>(prec));
            break;
        default:
            throw invalid();
        }
        const std::size_t len = Utf8Length(text);
        if (width > 0 && len < static_cast<std::size_t>(width)) {
            const std::string pad(static_cast<std::size_t>(width) - len, ' ');
            text = left ? text + pad : pad + text;
        }
        out += text;
    }
    return out;
}

} // namespace qel
