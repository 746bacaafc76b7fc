#include "platform/core/Locale.h"

#include "platform/core/MathUtils.h"
#include "platform/core/Utf8.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>
#include <vector>

namespace qel {

// ---------------------------------------------------------------------------
// Settings

TFormatSettings& FormatSettings()
{
    static TFormatSettings settings;
    return settings;
}

TFormatSettings DefaultFormatSettings()
{
    return TFormatSettings{};
}

LocaleScope::LocaleScope() : LocaleScope(DefaultFormatSettings()) {}

LocaleScope::LocaleScope(const TFormatSettings& settings) : m_saved(FormatSettings())
{
    FormatSettings() = settings;
}

LocaleScope::~LocaleScope()
{
    FormatSettings() = m_saved;
}

namespace {

[[noreturn]] void ThrowInvalid(const std::string& s, const char* what)
{
    throw EConvertError("'" + s + "' is not a valid " + what);
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A non-negative decimal number 0.D1D2D3... x 10^Exp; Digits has no leading
// or trailing zeros and is empty for zero.
struct Decimal {
    std::string Digits;
    int Exp = 0;
};

// The digits of |value| (not zero) as written in scientific notation: the shortest
// that read back as the same double, or correctly rounded to `precision`
// significant digits when that is above 0.
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

// The shortest digits that read back as the same double, so that decimal
// rounding below sees 1.005 as 1.005 and not as its binary neighbour.
Decimal ToDecimal(double value)
{
    return value == 0 ? Decimal{} : ScientificDecimal(value, 0);
}

// Keeps `count` leading digits, rounding half away from zero.
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

// Rounds to `decimals` places after the point.
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

// The fraction digits, padded with zeros to `places`.
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

} // namespace

// ---------------------------------------------------------------------------
// Numbers

std::string FloatToStrGeneral(double value, int precision)
{
    if (!std::isfinite(value))
        return SpecialFloat(value);
    precision = std::clamp(precision, 1, 17);
    Decimal d = ToDecimal(value);
    // Correctly rounded to `precision` significant digits from the binary value.
    if (!d.Digits.empty())
        d = ScientificDecimal(value, precision);
    if (d.Digits.empty())
        return "0";
    const char dec = FormatSettings().DecimalSeparator;
    std::string out = value < 0 ? "-" : "";
    if (d.Exp > precision || d.Exp < -4) {
        out += d.Digits[0];
        if (d.Digits.size() > 1) {
            out += dec;
            out += d.Digits.substr(1);
        }
        out += 'E';
        out += std::to_string(d.Exp - 1);
        return out;
    }
    const std::string ip = IntegerDigits(d);
    out += ip.empty() ? "0" : ip;
    const int fracLen = static_cast<int>(d.Digits.size()) - d.Exp;
    if (fracLen > 0) {
        out += dec;
        out += FractionDigits(d, fracLen);
    }
    return out;
}

std::string FloatToStr(double value)
{
    return FloatToStrGeneral(value, 15);
}

std::string CurrToStr(Currency value)
{
    const bool neg = value.Value < 0;
    // Work on the unsigned magnitude so that INT64_MIN is safe.
    const std::uint64_t mag = neg ? 0 - static_cast<std::uint64_t>(value.Value) : static_cast<std::uint64_t>(value.Value);
    std::string out = neg ? "-" : "";
    out += std::to_string(mag / 10000);
    std::string frac = std::to_string(mag % 10000);
    frac.insert(frac.begin(), 4 - frac.size(), '0');
    while (!frac.empty() && frac.back() == '0')
        frac.pop_back();
    if (!frac.empty()) {
        out += FormatSettings().DecimalSeparator;
        out += frac;
    }
    return out;
}

std::string IntToStr(std::int64_t value)
{
    return std::to_string(value);
}

std::string IntToHex(std::int64_t value, int digits)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*llX", std::clamp(digits, 0, 16),
                  static_cast<unsigned long long>(value));
    return buf;
}

bool TryStrToInt64(const std::string& s, std::int64_t& value)
{
    std::string_view t = TrimBlanks(s);
    bool neg = false;
    if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
        neg = t.front() == '-';
        t.remove_prefix(1);
    }
    int base = 10;
    if (!t.empty() && t.front() == '$') {
        base = 16;
        t.remove_prefix(1);
    } else if (t.size() > 1 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        base = 16;
        t.remove_prefix(2);
    }
    if (t.empty())
        return false;
    std::uint64_t mag = 0;
    const auto res = std::from_chars(t.data(), t.data() + t.size(), mag, base);
    if (res.ec != std::errc() || res.ptr != t.data() + t.size())
        return false;
    if (base == 16 && !neg) {
        // Hex spells the bit pattern, as the platform's Val does.
        value = static_cast<std::int64_t>(mag);
        return true;
    }
    constexpr std::uint64_t kMinMag = std::uint64_t{1} << 63;
    if (neg) {
        if (mag > kMinMag)
            return false;
        value = static_cast<std::int64_t>(0 - mag);
    } else {
        if (mag >= kMinMag)
            return false;
        value = static_cast<std::int64_t>(mag);
    }
    return true;
}

bool TryStrToInt(const std::string& s, std::int32_t& value)
{
    std::int64_t v = 0;
    if (!TryStrToInt64(s, v))
        return false;
    std::string_view t = TrimBlanks(s);
    const bool hex = t.find_first_of("$xX") != std::string_view::npos;
    if (hex && t.front() != '-' && v >= 0 && v <= 0xFFFFFFFFLL) {
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
        return true;
    }
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

std::int32_t StrToInt(const std::string& s)
{
    std::int32_t v = 0;
    if (!TryStrToInt(s, v))
        ThrowInvalid(s, "integer value");
    return v;
}

std::int64_t StrToInt64(const std::string& s)
{
    std::int64_t v = 0;
    if (!TryStrToInt64(s, v))
        ThrowInvalid(s, "integer value");
    return v;
}

std::int32_t StrToIntDef(const std::string& s, std::int32_t def)
{
    std::int32_t v = 0;
    return TryStrToInt(s, v) ? v : def;
}

bool TryStrToFloat(const std::string& s, double& value)
{
    const std::string_view t = TrimBlanks(s);
    const char dec = FormatSettings().DecimalSeparator;
    std::string plain;   // the number rewritten with '.', checked character by character
    std::size_t i = 0;
    bool neg = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        neg = t[i++] == '-';
    int intDigits = 0;   // significant digits before the point
    int digits = 0;
    int leadingFracZeros = 0;
    bool seenNonZero = false;
    for (; i < t.size() && IsDigit(t[i]); ++i, ++digits) {
        plain += t[i];
        if (t[i] != '0' || seenNonZero) {
            seenNonZero = true;
            ++intDigits;
        }
    }
    if (i < t.size() && t[i] == dec) {
        plain += '.';
        for (++i; i < t.size() && IsDigit(t[i]); ++i, ++digits) {
            plain += t[i];
            if (t[i] != '0')
                seenNonZero = true;
            else if (!seenNonZero)
                ++leadingFracZeros;
        }
    }
    if (digits == 0)
        return false;
    long long exp10 = 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            plain += t[i++];
        const std::size_t start = i;
        for (; i < t.size() && IsDigit(t[i]); ++i)
            plain += t[i];
        if (i == start)
            return false;
        const std::string_view expText = t.substr(start, i - start);
        if (expText.size() > 9)
            exp10 = 1000000000;
        else
            std::from_chars(expText.data(), expText.data() + expText.size(), exp10);
        if (plain[plain.size() - (i - start) - 1] == '-')
            exp10 = -exp10;
    }
    if (i != t.size())
        return false;
    double v = 0;
    const auto res = std::from_chars(plain.data(), plain.data() + plain.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        // Overflow is an error; underflow is just a very small number.
        const long long magnitude = (intDigits > 0 ? intDigits : -leadingFracZeros) + exp10;
        if (!seenNonZero || magnitude < 0)
            v = 0;
        else
            return false;
    } else if (res.ec != std::errc() || res.ptr != plain.data() + plain.size()) {
        return false;
    }
    if (!std::isfinite(v))
        return false;
    value = neg ? -v : v;
    return true;
}

double StrToFloat(const std::string& s)
{
    double v = 0;
    if (!TryStrToFloat(s, v))
        ThrowInvalid(s, "floating point value");
    return v;
}

// ---------------------------------------------------------------------------
// FormatFloat

namespace {

std::vector<std::string> SplitSections(const std::string& format)
{
    std::vector<std::string> sections(1);
    char quote = 0;
    for (char c : format) {
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            if (sections.size() == 3)
                break;
            sections.emplace_back();
            continue;
        }
        sections.back() += c;
    }
    return sections;
}

struct SectionLayout {
    int IntPlaceholders = 0;
    int FirstIntZero = -1;      // index of the first '0' among the integer placeholders
    int DecPlaceholders = 0;
    int DecZeros = 0;           // fraction digits always shown
    bool Thousands = false;
    bool Scientific = false;
};

SectionLayout ParseSection(const std::string& s)
{
    SectionLayout l;
    bool afterPoint = false;
    char quote = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            continue;
        }
        switch (c) {
        case '"': case '\'':
            quote = c;
            break;
        case '0': case '#':
            if (!afterPoint) {
                if (c == '0' && l.FirstIntZero < 0)
                    l.FirstIntZero = l.IntPlaceholders;
                ++l.IntPlaceholders;
            } else {
                ++l.DecPlaceholders;
                if (c == '0')
                    l.DecZeros = l.DecPlaceholders;
            }
            break;
        case '.':
            afterPoint = true;
            break;
        case ',':
            l.Thousands = true;
            break;
        case 'E': case 'e':
            if (i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) {
                l.Scientific = true;
                return l;   // exponent digits are read while emitting
            }
            break;
        default:
            break;
        }
    }
    return l;
}

// Emits `section` for the magnitude `d` (already rounded for the layout).
std::string EmitSection(const std::string& section, const SectionLayout& l, const Decimal& d)
{
    const TFormatSettings& fs = FormatSettings();
    std::string intDigits;
    std::string fracDigits;
    int exponent = 0;
    if (l.Scientific) {
        const int intCount = std::max(l.IntPlaceholders, 1);
        if (!d.Digits.empty())
            exponent = d.Exp - intCount;
        for (int i = 0; i < intCount; ++i)
            intDigits += i < static_cast<int>(d.Digits.size()) ? d.Digits[static_cast<std::size_t>(i)] : '0';
        for (int i = intCount; i < intCount + l.DecPlaceholders; ++i)
            fracDigits += i < static_cast<int>(d.Digits.size()) ? d.Digits[static_cast<std::size_t>(i)] : '0';
        // Leading zeros of the mantissa only where '0' placeholders ask for them.
        std::size_t strip = 0;
        const std::size_t minLen = l.FirstIntZero >= 0 ? static_cast<std::size_t>(l.IntPlaceholders - l.FirstIntZero) : 0;
        while (strip < intDigits.size() && intDigits[strip] == '0' && intDigits.size() - strip > minLen)
            ++strip;
        intDigits.erase(0, strip);
    } else {
        intDigits = IntegerDigits(d);
        const std::size_t minLen = l.FirstIntZero >= 0 ? static_cast<std::size_t>(l.IntPlaceholders - l.FirstIntZero) : 0;
        if (intDigits.size() < minLen)
            intDigits.insert(0, minLen - intDigits.size(), '0');
        fracDigits = FractionDigits(d, l.DecPlaceholders);
    }
    while (static_cast<int>(fracDigits.size()) > l.DecZeros && fracDigits.back() == '0')
        fracDigits.pop_back();

    std::string out;
    const int len = static_cast<int>(intDigits.size());
    auto emitInt = [&](int j) {
        out += intDigits[static_cast<std::size_t>(j)];
        const int remaining = len - 1 - j;
        if (l.Thousands && !l.Scientific && remaining > 0 && remaining % 3 == 0)
            out += fs.ThousandSeparator;
    };
    const int extra = len - l.IntPlaceholders;   // digits with no placeholder of their own
    int intIndex = 0;
    int fracIndex = 0;
    bool afterPoint = false;
    bool intDone = false;
    auto flushInt = [&] {
        if (!intDone) {
            for (int j = 0; j < len; ++j)
                emitInt(j);
            intDone = true;
        }
    };
    // A section without digit placeholders is pure text.
    if (l.IntPlaceholders == 0 && l.DecPlaceholders == 0)
        intDone = true;
    char quote = 0;
    for (std::size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                out += c;
            continue;
        }
        switch (c) {
        case '"': case '\'':
            quote = c;
            break;
        case '0': case '#':
            if (!afterPoint) {
                if (intIndex == 0)
                    for (int j = 0; j < extra; ++j)
                        emitInt(j);
                const int j = intIndex + extra;
                if (j >= 0)
                    emitInt(j);
                if (++intIndex == l.IntPlaceholders)
                    intDone = true;
            } else {
                if (fracIndex < static_cast<int>(fracDigits.size()))
                    out += fracDigits[static_cast<std::size_t>(fracIndex)];
                ++fracIndex;
            }
            break;
        case '.':
            if (afterPoint) {
                out += c;
                break;
            }
            flushInt();
            afterPoint = true;
            if (!fracDigits.empty())
                out += fs.DecimalSeparator;
            break;
        case ',':
            break;
        case 'E': case 'e':
            if (l.Scientific && i + 1 < section.size() && (section[i + 1] == '+' || section[i + 1] == '-')) {
                flushInt();
                const bool always = section[i + 1] == '+';
                out += c;
                if (exponent < 0)
                    out += '-';
                else if (always)
                    out += '+';
                i += 2;
                std::size_t zeros = 0;
                while (i < section.size() && section[i] == '0') {
                    ++zeros;
                    ++i;
                }
                --i;
                std::string ed = std::to_string(std::abs(exponent));
                if (ed.size() < zeros)
                    ed.insert(0, zeros - ed.size(), '0');
                out += ed;
                afterPoint = true;   // placeholders after the exponent have nothing left to show
                fracIndex = static_cast<int>(fracDigits.size());
                break;
            }
            out += c;
            break;
        default:
            out += c;
            break;
        }
    }
    flushInt();
    return out;
}

Decimal RoundForLayout(const Decimal& exact, const SectionLayout& l)
{
    Decimal d = exact;
    if (l.Scientific)
        RoundDigits(d, std::max(l.IntPlaceholders, 1) + l.DecPlaceholders);
    else
        RoundPlaces(d, l.DecPlaceholders);
    return d;
}

} // namespace

namespace {

// The picture `format` for a magnitude whose exact digits are `exact`;
// `fallback` is the text for an empty format or an empty chosen section.
template <class Fallback>
std::string FormatPicture(const std::string& format, const Decimal& exact, bool negative, Fallback fallback)
{
    if (format.empty())
        return fallback();
    const std::vector<std::string> sections = SplitSections(format);
    std::size_t pick = 0;
    if (negative && sections.size() > 1 && !sections[1].empty())
        pick = 1;
    SectionLayout layout = ParseSection(sections[pick]);
    Decimal d = RoundForLayout(exact, layout);

    // A value that rounds to zero is zero: it takes the zero section and never
    // shows a minus sign (so -0.001 is "0,00", not "-0,00").
    if (d.Digits.empty()) {
        if (sections.size() > 2 && !sections[2].empty())
            return EmitSection(sections[2], ParseSection(sections[2]), Decimal{});
        return EmitSection(sections[0], ParseSection(sections[0]), Decimal{});
    }
    if (sections[pick].empty())
        return fallback();
    std::string out = EmitSection(sections[pick], layout, d);
    if (negative && pick == 0)
        out.insert(0, 1, '-');
    return out;
}

// The magnitude of a fixed-point value with four implied decimals, exactly.
Decimal CurrencyDecimal(Currency value)
{
    // Work on the unsigned magnitude so that INT64_MIN is safe.
    const std::uint64_t mag = value.Value < 0 ? 0 - static_cast<std::uint64_t>(value.Value)
                                              : static_cast<std::uint64_t>(value.Value);
    Decimal d;
    if (mag == 0)
        return d;
    d.Digits = std::to_string(mag);
    d.Exp = static_cast<int>(d.Digits.size()) - 4;
    while (d.Digits.back() == '0')
        d.Digits.pop_back();
    return d;
}

// Puts the currency string and the sign around an amount's digits.
std::string PlaceCurrency(const std::string& amount, bool negative)
{
    static const char* const positive[] = {"cn", "nc", "c n", "n c"};
    static const char* const negativeForms[] = {"(cn)", "-cn", "c-n", "cn-", "(nc)", "-nc", "n-c", "nc-",
                                                "-n c", "-c n", "n c-", "c n-", "c -n", "n- c", "(c n)", "(n c)"};
    const TFormatSettings& fs = FormatSettings();
    const char* form = nullptr;
    if (negative) {
        if (fs.NegCurrFormat < 0 || fs.NegCurrFormat > 15)
            throw EConvertError("Invalid negative currency format " + std::to_string(fs.NegCurrFormat));
        form = negativeForms[fs.NegCurrFormat];
    } else {
        if (fs.CurrencyFormat < 0 || fs.CurrencyFormat > 3)
            throw EConvertError("Invalid currency format " + std::to_string(fs.CurrencyFormat));
        form = positive[fs.CurrencyFormat];
    }
    std::string out;
    for (const char* p = form; *p; ++p) {
        if (*p == 'c')
            out += fs.CurrencyString;
        else if (*p == 'n')
            out += amount;
        else
            out += *p;
    }
    return out;
}

// "#,##0.00" for the locale's currency decimals.
std::string CurrencyPicture()
{
    const int decimals = FormatSettings().CurrencyDecimals;
    // More places than a double or a fixed-point value can carry are no setting.
    if (decimals < 0 || decimals > 18)
        throw EConvertError("Invalid currency decimals " + std::to_string(decimals));
    std::string picture = "#,##0";
    if (decimals > 0)
        picture += "." + std::string(static_cast<std::size_t>(decimals), '0');
    return picture;
}

std::string CurrencyTextOf(const Decimal& exact, bool negative)
{
    const std::string picture = CurrencyPicture();
    Decimal rounded = exact;
    RoundPlaces(rounded, FormatSettings().CurrencyDecimals);
    const std::string amount = FormatPicture(picture, exact, false, [] { return std::string(); });
    return PlaceCurrency(amount, negative && !rounded.Digits.empty());
}

} // namespace

std::string FormatFloat(const std::string& format, double value)
{
    if (!std::isfinite(value))
        return SpecialFloat(value);
    return FormatPicture(format, ToDecimal(value), value < 0, [value] { return FloatToStr(value); });
}

std::string FormatCurr(const std::string& format, Currency value)
{
    return FormatPicture(format, CurrencyDecimal(value), value.Value < 0, [value] { return CurrToStr(value); });
}

std::string CurrencyText(Currency value)
{
    return CurrencyTextOf(CurrencyDecimal(value), value.Value < 0);
}

std::string CurrencyText(double value)
{
    if (!std::isfinite(value))
        return SpecialFloat(value);
    return CurrencyTextOf(ToDecimal(value), value < 0);
}

// ---------------------------------------------------------------------------
// Format

namespace {

bool IsIntegerVariant(const Variant& v)
{
    switch (v.VarType()) {
    case varSmallint: case varInteger: case varByte: case varInt64:
        return true;
    default:
        return false;
    }
}

std::string FixedText(double value, int decimals, bool thousands)
{
    if (!std::isfinite(value))
        return SpecialFloat(value);
    std::string pattern = thousands ? "#,##0" : "0";
    if (decimals > 0)
        pattern += "." + std::string(static_cast<std::size_t>(decimals), '0');
    return FormatFloat(pattern, value);
}

std::string ExponentText(double value, int precision)
{
    if (!std::isfinite(value))
        return SpecialFloat(value);
    // "-d.ddd...E+ddd" with `precision` significant digits.
    precision = std::clamp(precision, 1, 18);
    Decimal d = ToDecimal(value);
    RoundDigits(d, precision);
    std::string out = value < 0 && !d.Digits.empty() ? "-" : "";
    std::string digits = d.Digits;
    digits.resize(static_cast<std::size_t>(precision), '0');
    out += digits[0];
    if (precision > 1) {
        out += FormatSettings().DecimalSeparator;
        out += digits.substr(1);
    }
    const int e = d.Digits.empty() ? 0 : d.Exp - 1;
    char buf[16];
    std::snprintf(buf, sizeof buf, "E%c%03d", e < 0 ? '-' : '+', std::abs(e));
    return out + buf;
}

} // namespace

std::string Format(const std::string& format, std::initializer_list<Variant> args)
{
    auto invalid = [&]() -> EConvertError {
        return EConvertError("Format '" + format + "' invalid or incompatible with argument");
    };
    std::string out;
    auto arg = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        if (++i >= format.size())
            throw invalid();
        if (format[i] == '%') {
            out += '%';
            continue;
        }
        bool left = false;
        if (format[i] == '-') {
            left = true;
            ++i;
        }
        int width = -1;
        int prec = -1;
        auto readNumber = [&](int& n) {
            n = 0;
            while (i < format.size() && IsDigit(format[i])) {
                n = std::min(n * 10 + (format[i] - '0'), 100000);
                ++i;
            }
        };
        if (i < format.size() && IsDigit(format[i]))
            readNumber(width);
        if (i < format.size() && format[i] == '.') {
            ++i;
            readNumber(prec);
        }
        if (i >= format.size() || arg == args.end())
            throw invalid();
        const Variant& v = *arg++;
        std::string text;
        switch (format[i]) {
        case 'd': case 'D': case 'u': case 'U': case 'x': case 'X': {
            if (!IsIntegerVariant(v))
                throw invalid();
            const std::int64_t n = v.AsInt64();
            const char type = static_cast<char>(std::tolower(static_cast<unsigned char>(format[i])));
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
                             format[i] == 'n' || format[i] == 'N');
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

// ---------------------------------------------------------------------------
// Dates

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
constexpr std::int64_t kUnixEpochOffset = 25569;   // days from 30.12.1899 to 01.01.1970

// Howard Hinnant's civil calendar algorithms (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

struct DayAndTime {
    std::int64_t Day;   // days since 30.12.1899
    std::int64_t Ms;    // milliseconds since midnight
};

// The date part is the integer part; the time is the absolute fraction, so
// -1.25 is 29.12.1899 06:00. Rounding to the millisecond may carry into the
// next day, which both date and time then agree on.
DayAndTime Split(TDateTime value)
{
    if (!(std::fabs(value) < 1e9))
        throw EConvertError("Invalid date/time value " + FloatToStr(value));
    const double whole = std::trunc(value);
    std::int64_t ms = std::llround(std::fabs(value - whole) * static_cast<double>(kMsPerDay));
    auto day = static_cast<std::int64_t>(whole);
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        ++day;
    }
    return {day, ms};
}

struct DateTimeParts {
    int Year, Month, Day, Hour, Minute, Second, Ms, DayOfWeek;   // DayOfWeek 0 = Sunday
};

// 01.01.0001. An earlier day (the null date among them) has no calendar
// date: it decodes to 0.0.0 and formats as zeros, never as a negative year.
constexpr std::int64_t kFirstDay = -693593;

DateTimeParts Decode(TDateTime value)
{
    const DayAndTime dt = Split(value);
    DateTimeParts p{};
    if (dt.Day >= kFirstDay)
        CivilFromDays(dt.Day - kUnixEpochOffset, p.Year, p.Month, p.Day);
    p.Hour = static_cast<int>(dt.Ms / 3600000);
    p.Minute = static_cast<int>(dt.Ms / 60000 % 60);
    p.Second = static_cast<int>(dt.Ms / 1000 % 60);
    p.Ms = static_cast<int>(dt.Ms % 1000);
    p.DayOfWeek = static_cast<int>(((dt.Day + 6) % 7 + 7) % 7);   // day 0 was a Saturday
    return p;
}

// Day and month names of a date before year 1 (month 0) are empty.
const std::string& DayName(const std::array<std::string, 7>& names, const DateTimeParts& p)
{
    static const std::string none;
    return p.Month == 0 ? none : names[static_cast<std::size_t>(p.DayOfWeek)];
}

const std::string& MonthName(const std::array<std::string, 12>& names, const DateTimeParts& p)
{
    static const std::string none;
    return p.Month < 1 || p.Month > 12 ? none : names[static_cast<std::size_t>(p.Month - 1)];
}

std::string Pad(int value, int width)
{
    std::string s = std::to_string(value);
    if (static_cast<int>(s.size()) < width)
        s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
    return s;
}

char Upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool StartsWithNoCase(const std::string& s, std::size_t pos, const char* what)
{
    const std::size_t n = std::strlen(what);
    if (pos + n > s.size())
        return false;
    for (std::size_t k = 0; k < n; ++k)
        if (Upper(s[pos + k]) != Upper(what[k]))
            return false;
    return true;
}

bool HasAmPm(const std::string& format)
{
    char quote = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (StartsWithNoCase(format, i, "am/pm") || StartsWithNoCase(format, i, "a/p")
                   || StartsWithNoCase(format, i, "ampm")) {
            return true;
        }
    }
    return false;
}

void AppendDateTime(std::string& out, const std::string& format, const DateTimeParts& p, int depth)
{
    const TFormatSettings& fs = FormatSettings();
    // The settings' own pictures (c, ddddd, dddddd, t, tt) are expanded once
    // and not within themselves: a setting that names itself (c inside
    // ShortDateFormat) neither recurses nor multiplies its own length.
    if (depth > 1)
        return;
    const bool twelve = HasAmPm(format);
    bool afterHour = false;
    std::size_t i = 0;
    auto run = [&](char upper) {
        std::size_t n = 0;
        while (i + n < format.size() && Upper(format[i + n]) == upper)
            ++n;
        return n;
    };
    while (i < format.size()) {
        const char c = format[i];
        const char u = Upper(c);
        switch (u) {
        case '"':
        case '\'': {
            const std::size_t end = format.find(c, i + 1);
            const std::size_t stop = end == std::string::npos ? format.size() : end;
            out.append(format, i + 1, stop - i - 1);
            i = end == std::string::npos ? format.size() : end + 1;
            continue;
        }
        case 'C': {
            AppendDateTime(out, fs.ShortDateFormat, p, depth + 1);
            if (p.Hour || p.Minute || p.Second || p.Ms) {
                out += ' ';
                AppendDateTime(out, fs.LongTimeFormat, p, depth + 1);
            }
            ++i;
            afterHour = false;
            continue;
        }
        case 'D': {
            const std::size_t n = run('D');
            switch (n) {
            case 1: out += std::to_string(p.Day); break;
            case 2: out += Pad(p.Day, 2); break;
            case 3: out += DayName(fs.ShortDayNames, p); break;
            case 4: out += DayName(fs.LongDayNames, p); break;
            case 5: AppendDateTime(out, fs.ShortDateFormat, p, depth + 1); break;
            default: AppendDateTime(out, fs.LongDateFormat, p, depth + 1); break;
            }
            i += n;
            afterHour = false;
            continue;
        }
        case 'M': {
            const std::size_t n = run('M');
            if (afterHour && n <= 2) {
                out += n == 1 ? std::to_string(p.Minute) : Pad(p.Minute, 2);
            } else {
                switch (n) {
                case 1: out += std::to_string(p.Month); break;
                case 2: out += Pad(p.Month, 2); break;
                case 3: out += MonthName(fs.ShortMonthNames, p); break;
                default: out += MonthName(fs.LongMonthNames, p); break;
                }
            }
            i += n;
            afterHour = false;
            continue;
        }
        case 'Y': {
            const std::size_t n = run('Y');
            out += n <= 2 ? Pad(((p.Year % 100) + 100) % 100, 2) : Pad(p.Year, 4);
            i += n;
            afterHour = false;
            continue;
        }
        case 'H': {
            const std::size_t n = run('H');
            int h = p.Hour;
            if (twelve) {
                h %= 12;
                if (h == 0)
                    h = 12;
            }
            out += n == 1 ? std::to_string(h) : Pad(h, 2);
            i += n;
            afterHour = true;
            continue;
        }
        case 'N': {
            const std::size_t n = run('N');
            out += n == 1 ? std::to_string(p.Minute) : Pad(p.Minute, 2);
            i += n;
            afterHour = false;
            continue;
        }
        case 'S': {
            const std::size_t n = run('S');
            out += n == 1 ? std::to_string(p.Second) : Pad(p.Second, 2);
            i += n;
            afterHour = false;
            continue;
        }
        case 'Z': {
            const std::size_t n = run('Z');
            out += n == 1 ? std::to_string(p.Ms) : Pad(p.Ms, 3);
            i += n;
            afterHour = false;
            continue;
        }
        case 'T': {
            const std::size_t n = run('T');
            AppendDateTime(out, n == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, p, depth + 1);
            i += n;
            afterHour = false;
            continue;
        }
        case 'A':
            if (StartsWithNoCase(format, i, "am/pm")) {
                out.append(format, p.Hour < 12 ? i : i + 3, 2);   // keeps the format's letter case
                i += 5;
                continue;
            }
            if (StartsWithNoCase(format, i, "a/p")) {
                out += format[p.Hour < 12 ? i : i + 2];
                i += 3;
                continue;
            }
            if (StartsWithNoCase(format, i, "ampm")) {
                out += p.Hour < 12 ? fs.TimeAMString : fs.TimePMString;
                i += 4;
                continue;
            }
            out += c;
            ++i;
            continue;
        case '/':
            out += fs.DateSeparator;
            ++i;
            continue;
        case ':':
            out += fs.TimeSeparator;
            ++i;
            continue;
        default:
            out += c;
            ++i;
            continue;
        }
    }
}

int ExpandYear(int twoDigit)
{
    const int window = FormatSettings().TwoDigitYearCenturyWindow;
    int y = 0, m = 0, d = 0;
    DecodeDate(Date(), y, m, d);
    if (window <= 0)
        return (y / 100) * 100 + twoDigit;
    const int base = y - window;
    int year = (base / 100) * 100 + twoDigit;
    if (year < base)
        year += 100;
    return year;
}

// Reads an unsigned number of at most `maxDigits` digits.
bool ReadNumber(std::string_view s, std::size_t& i, int& value, int& digits, int maxDigits)
{
    value = 0;
    digits = 0;
    while (i < s.size() && IsDigit(s[i])) {
        if (++digits > maxDigits)
            return false;
        value = value * 10 + (s[i] - '0');
        ++i;
    }
    return digits > 0;
}

// Parses the date at the start of `s` in the order of ShortDateFormat;
// `i` is left after the date.
bool ParseDate(std::string_view s, std::size_t& i, TDateTime& value)
{
    const TFormatSettings& fs = FormatSettings();
    // Field order from the short date format, e.g. "dd.mm.yyyy" -> D M Y.
    std::string order;
    for (char c : fs.ShortDateFormat) {
        const char u = Upper(c);
        if ((u == 'D' || u == 'M' || u == 'Y') && order.find(u) == std::string::npos)
            order += u;
    }
    if (order.size() != 3)
        order = "DMY";
    int values[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int count = 0;
    while (count < 3) {
        if (!ReadNumber(s, i, values[count], digits[count], 4))
            return false;
        ++count;
        if (i < s.size() && s[i] == fs.DateSeparator && i + 1 < s.size() && IsDigit(s[i + 1]))
            ++i;
        else
            break;
    }
    if (i < s.size() && s[i] == fs.DateSeparator)   // "31.12." style with a closing separator
        ++i;
    if (count < 2)
        return false;
    int y = 0, m = 0, d = 0;
    if (count == 3) {
        for (int k = 0; k < 3; ++k) {
            switch (order[static_cast<std::size_t>(k)]) {
            case 'D': d = values[k]; break;
            case 'M': m = values[k]; break;
            default:
                y = values[k];
                if (digits[k] <= 2)
                    y = ExpandYear(y);
                break;
            }
        }
    } else {
        // Day and month only: the current year.
        int cy = 0, cm = 0, cd = 0;
        DecodeDate(Date(), cy, cm, cd);
        y = cy;
        int k = 0;
        for (char f : order) {
            if (f == 'Y')
                continue;
            (f == 'D' ? d : m) = values[k++];
        }
    }
    return TryEncodeDate(y, m, d, value);
}

bool ParseTime(std::string_view s, std::size_t& i, TDateTime& value)
{
    const char sep = FormatSettings().TimeSeparator;
    int h = 0, n = 0, sec = 0, ms = 0, digits = 0;
    if (!ReadNumber(s, i, h, digits, 2))
        return false;
    if (i >= s.size() || s[i] != sep)
        return false;
    ++i;
    if (!ReadNumber(s, i, n, digits, 2))
        return false;
    if (i < s.size() && s[i] == sep) {
        ++i;
        if (!ReadNumber(s, i, sec, digits, 2))
            return false;
        if (i < s.size() && (s[i] == '.' || s[i] == FormatSettings().DecimalSeparator)) {
            ++i;
            if (!ReadNumber(s, i, ms, digits, 3))
                return false;
            while (digits++ < 3)
                ms *= 10;
        }
    }
    return TryEncodeTime(h, n, sec, ms, value);
}

} // namespace

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool TryEncodeDate(int y, int m, int d, TDateTime& value)
{
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m))
        return false;
    value = static_cast<double>(DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d))
                                + kUnixEpochOffset);
    return true;
}

TDateTime EncodeDate(int y, int m, int d)
{
    TDateTime v = 0;
    if (!TryEncodeDate(y, m, d, v))
        throw EConvertError("Invalid argument to date encode");
    return v;
}

bool TryEncodeTime(int h, int n, int s, int ms, TDateTime& value)
{
    if (h < 0 || h > 23 || n < 0 || n > 59 || s < 0 || s > 59 || ms < 0 || ms > 999)
        return false;
    value = static_cast<double>(((h * 60 + n) * 60 + s) * 1000 + ms) / static_cast<double>(kMsPerDay);
    return true;
}

TDateTime EncodeTime(int h, int n, int s, int ms)
{
    TDateTime v = 0;
    if (!TryEncodeTime(h, n, s, ms, v))
        throw EConvertError("Invalid argument to time encode");
    return v;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time)
{
    const double d = std::trunc(date);
    const double t = std::fabs(time - std::trunc(time));
    return d < 0 ? d - t : d + t;
}

void DecodeDate(TDateTime value, int& y, int& m, int& d)
{
    const DateTimeParts p = Decode(value);
    y = p.Year;
    m = p.Month;
    d = p.Day;
}

void DecodeTime(TDateTime value, int& h, int& n, int& s, int& ms)
{
    const DateTimeParts p = Decode(value);
    h = p.Hour;
    n = p.Minute;
    s = p.Second;
    ms = p.Ms;
}

int DayOfWeek(TDateTime value)
{
    return Decode(value).DayOfWeek + 1;
}

TDateTime Now()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return ComposeDateTime(EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
                           EncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59),
                                      static_cast<int>(ms)));
}

TDateTime Date()
{
    return std::trunc(Now());
}

std::string FormatDateTime(const std::string& format, TDateTime value)
{
    const DateTimeParts p = Decode(value);
    std::string out;
    AppendDateTime(out, format.empty() ? std::string("c") : format, p, 0);
    return out;
}

namespace {

// Copies quoted text and characters outside the picture letters; `letters`
// are the case-sensitive picture characters of this kind of picture.
template <typename Emit>
std::string FormatPicture(const std::string& picture, const char* letters, Emit put)
{
    std::string out;
    std::size_t i = 0;
    while (i < picture.size()) {
        const char c = picture[i];
        if (c == '\'') {
            // Quoted text; '' inside it, or on its own, stands for one quote.
            if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                out += '\'';
                i += 2;
                continue;
            }
            ++i;
            while (i < picture.size()) {
                if (picture[i] == '\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                        out += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                out += picture[i++];
            }
            continue;
        }
        if (std::strchr(letters, c) == nullptr || c == '\0') {
            out += c;
            ++i;
            continue;
        }
        std::size_t n = 1;
        while (i + n < picture.size() && picture[i + n] == c)
            ++n;
        put(out, c, n);
        i += n;
    }
    return out;
}

bool PictureParts(TDateTime value, DateTimeParts& p)
{
    if (!(std::fabs(value) < 1e9))
        return false;
    p = Decode(value);
    return true;
}

} // namespace

std::string LocaleFormatDate(const std::string& picture, TDateTime value)
{
    DateTimeParts p{};
    if (!PictureParts(value, p))
        return {};
    const TFormatSettings& fs = FormatSettings();
    return FormatPicture(picture, "dMy", [&](std::string& out, char c, std::size_t n) {
        switch (c) {
        case 'd':
            if (n == 1)
                out += std::to_string(p.Day);
            else if (n == 2)
                out += Pad(p.Day, 2);
            else
                out += DayName(n == 3 ? fs.ShortDayNames : fs.LongDayNames, p);
            break;
        case 'M':
            if (n == 1)
                out += std::to_string(p.Month);
            else if (n == 2)
                out += Pad(p.Month, 2);
            else
                out += MonthName(n == 3 ? fs.ShortMonthNames : fs.LongMonthNames, p);
            break;
        default:   // 'y'
            if (n == 1)
                out += std::to_string(p.Year % 100);
            else if (n == 2)
                out += Pad(p.Year % 100, 2);
            else
                out += Pad(p.Year, 4);
            break;
        }
    });
}

std::string LocaleFormatTime(const std::string& picture, TDateTime value)
{
    DateTimeParts p{};
    if (!PictureParts(value, p))
        return {};
    const TFormatSettings& fs = FormatSettings();
    return FormatPicture(picture, "hHmst", [&](std::string& out, char c, std::size_t n) {
        switch (c) {
        case 'h': {
            const int h = p.Hour % 12 == 0 ? 12 : p.Hour % 12;
            out += n == 1 ? std::to_string(h) : Pad(h, 2);
            break;
        }
        case 'H': out += n == 1 ? std::to_string(p.Hour) : Pad(p.Hour, 2); break;
        case 'm': out += n == 1 ? std::to_string(p.Minute) : Pad(p.Minute, 2); break;
        case 's': out += n == 1 ? std::to_string(p.Second) : Pad(p.Second, 2); break;
        default: {   // 't': the marker, or its first character
            const std::string& marker = p.Hour < 12 ? fs.TimeAMString : fs.TimePMString;
            out += n == 1 ? Utf8Prefix(marker, 1) : marker;
            break;
        }
        }
    });
}

std::string DateToStr(TDateTime value)
{
    return FormatDateTime(FormatSettings().ShortDateFormat, value);
}

std::string TimeToStr(TDateTime value)
{
    return FormatDateTime(FormatSettings().LongTimeFormat, value);
}

std::string DateTimeToStr(TDateTime value)
{
    return FormatDateTime("c", value);
}

bool TryStrToDate(const std::string& s, TDateTime& value)
{
    const std::string_view t = TrimBlanks(s);
    std::size_t i = 0;
    TDateTime v = 0;
    if (!ParseDate(t, i, v) || i != t.size())
        return false;
    value = v;
    return true;
}

TDateTime StrToDate(const std::string& s)
{
    TDateTime v = 0;
    if (!TryStrToDate(s, v))
        ThrowInvalid(s, "date");
    return v;
}

TDateTime StrToTime(const std::string& s)
{
    const std::string_view t = TrimBlanks(s);
    std::size_t i = 0;
    TDateTime v = 0;
    if (!ParseTime(t, i, v) || i != t.size())
        ThrowInvalid(s, "time");
    return v;
}

bool TryStrToDateTime(const std::string& s, TDateTime& value)
{
    const std::string_view t = TrimBlanks(s);
    std::size_t i = 0;
    TDateTime date = 0;
    if (!ParseDate(t, i, date))
        return false;
    TDateTime time = 0;
    if (i < t.size()) {
        if (!IsBlank(t[i]))
            return false;
        while (i < t.size() && IsBlank(t[i]))
            ++i;
        if (!ParseTime(t, i, time) || i != t.size())
            return false;
    }
    value = ComposeDateTime(date, time);
    return true;
}

TDateTime StrToDateTime(const std::string& s)
{
    TDateTime v = 0;
    if (!TryStrToDateTime(s, v))
        ThrowInvalid(s, "date and time");
    return v;
}

// ---------------------------------------------------------------------------
// Text

namespace {

QString Q(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string S(const QString& s)
{
    const QByteArray b = s.toUtf8();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

QCollator& Collator(bool caseSensitive)
{
    static QCollator insensitive = [] {
        QCollator c(QLocale(QLocale::German, QLocale::Germany));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    static QCollator sensitive = [] {
        QCollator c(QLocale(QLocale::German, QLocale::Germany));
        c.setCaseSensitivity(Qt::CaseSensitive);
        return c;
    }();
    return caseSensitive ? sensitive : insensitive;
}

int Normalise(int c)
{
    return (c > 0) - (c < 0);
}

bool IsAscii(const std::string& s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Character by character, as the platform maps case: a letter without a
// single-character counterpart (ß) stays as it is, so the length never changes.
std::string MapCase(const std::string& s, bool upper)
{
    QList<uint> ucs = Q(s).toUcs4();
    for (uint& c : ucs)
        c = upper ? QChar::toUpper(static_cast<char32_t>(c)) : QChar::toLower(static_cast<char32_t>(c));
    return S(QString::fromUcs4(reinterpret_cast<const char32_t*>(ucs.constData()), ucs.size()));
}

} // namespace

std::string UpperCase(std::string s)
{
    for (char& c : s)
        c = Upper(c);
    return s;
}

std::string LowerCase(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string AnsiUpperCase(const std::string& s)
{
    return IsAscii(s) ? UpperCase(s) : MapCase(s, true);
}

std::string AnsiLowerCase(const std::string& s)
{
    return IsAscii(s) ? LowerCase(s) : MapCase(s, false);
}

int AnsiCompareText(const std::string& a, const std::string& b)
{
    const QString qa = Q(a);
    const QString qb = Q(b);
    const int c = Normalise(Collator(false).compare(qa, qb));
    if (c != 0)
        return c;
    // The collator may call distinct strings equal (ignorable characters);
    // fall back to case folding so that the order stays total and agrees with SameText.
    return Normalise(QString::compare(qa, qb, Qt::CaseInsensitive));
}

int AnsiCompareStr(const std::string& a, const std::string& b)
{
    const int c = Normalise(Collator(true).compare(Q(a), Q(b)));
    if (c != 0)
        return c;
    return Normalise(a.compare(b));
}

bool SameText(const std::string& a, const std::string& b)
{
    if (a.size() == b.size()) {
        bool equal = true;
        for (std::size_t i = 0; i < a.size() && equal; ++i)
            equal = Upper(a[i]) == Upper(b[i]) && (static_cast<unsigned char>(a[i]) < 0x80 || a[i] == b[i]);
        if (equal)
            return true;
    }
    if (IsAscii(a) && IsAscii(b))
        return false;
    return QString::compare(Q(a), Q(b), Qt::CaseInsensitive) == 0;
}

std::string Trim(const std::string& s)
{
    return TrimRight(TrimLeft(s));
}

std::string TrimLeft(const std::string& s)
{
    std::size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ')
        ++i;
    return s.substr(i);
}

std::string TrimRight(const std::string& s)
{
    std::size_t n = s.size();
    while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ')
        --n;
    return s.substr(0, n);
}

} // namespace qel
