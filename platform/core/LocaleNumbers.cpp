#include "platform/core/Locale.h"

#include "platform/core/detail/LocaleDigits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

// Number texts: float and currency formatting, integer and float parsing.

namespace qel {

using namespace detail;

namespace {

// The digits of a scientific text "d.ddde[+-]x" into Digits, the value as 0.D1D2... x 10^Exp; the digit count.
int SplitScientific(const char* Text, const char* End, char* Digits, int& Exp)
{
    int count = 0;
    const char* p = Text;
    for (; p < End && *p != 'e'; ++p)
        if (IsDigit(*p))
            Digits[count++] = *p;
    int exp10 = 0;
    std::from_chars(p + (p[1] == '+' ? 2 : 1), End, exp10);
    Exp = exp10 + 1;
    return count;
}

// The correctly rounded `Precision` digits of |Value| taken from its shortest
// digits, which are far cheaper to find; false where they cannot tell. The
// shortest digits lie within half a binary step of the value, under 0.12 of a
// unit in the 15th significant digit for a normal double. So they round as the
// value does unless what is cut off lies that close to half a unit, the one
// case left to the exact conversion (with subnormals and precisions above 15).
bool ShortestRounded(double Value, int Precision, char* Digits, int& Count, int& Exp)
{
    const double magnitude = std::fabs(Value);
    if (Precision > 15 || magnitude < std::numeric_limits<double>::min())
        return false;
    char sci[48];
    const auto res = std::to_chars(sci, sci + sizeof sci, magnitude, std::chars_format::scientific);
    Count = SplitScientific(sci, res.ptr, Digits, Exp);
    if (Count <= Precision)
        return true;
    // What is cut off, as a fraction of a unit in the last digit kept.
    double cut = 0;
    for (int i = Count - 1; i >= Precision; --i)
        cut = (cut + (Digits[i] - '0')) / 10;
    if (cut > 0.38 && cut < 0.62)
        return false;
    Count = Precision;
    if (cut >= 0.5) {
        int i = Count - 1;
        while (i >= 0 && Digits[i] == '9')
            Digits[i--] = '0';
        if (i >= 0) {
            ++Digits[i];
        } else {
            // 99...9 became 100...0: one digit more before the point.
            Digits[0] = '1';
            ++Exp;
        }
    }
    return true;
}

// The digits of |Value| when it is the double nearest to a decimal of at
// most nine places and `Precision` significant digits (prices, measures,
// quarters): that decimal is then the correctly rounded text as well, as the
// double lies within a quarter of a unit in its 15th digit of it. Found
// without a binary-to-decimal conversion; false for every other value.
bool ShortDecimal(double Value, int Precision, char* Digits, int& Count, int& Exp)
{
    static constexpr double kPowers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    const double magnitude = std::fabs(Value);
    if (Precision > 15 || magnitude < 1e-9 || magnitude >= 1e15)
        return false;
    double limit = 1;
    for (int i = 0; i < Precision; ++i)
        limit *= 10;
    for (int places = 0; places < static_cast<int>(std::size(kPowers)); ++places) {
        const double scaled = magnitude * kPowers[places];
        if (scaled >= limit)
            return false;
        const double whole = std::nearbyint(scaled);
        // Far from a whole number: not this many places (most tries end here).
        if (std::fabs(scaled - whole) > scaled * 1e-15)
            continue;
        // Both exact and the division correctly rounded: equal only when the
        // decimal whole / 10^places rounds to this very double.
        if (whole == 0 || whole / kPowers[places] != magnitude)
            continue;
        char text[24];
        const char* end = std::to_chars(text, text + sizeof text, static_cast<std::int64_t>(whole)).ptr;
        const auto length = static_cast<int>(end - text);
        Count = length;
        while (Count > 1 && text[Count - 1] == '0')
            --Count;
        std::copy(text, text + Count, Digits);
        Exp = length - places;
        return true;
    }
    return false;
}

} // namespace

void AppendFloatGeneral(std::string& Out, double Value, int Precision)
{
    if (!std::isfinite(Value)) {
        Out += SpecialFloat(Value);
        return;
    }
    Precision = std::clamp(Precision, 1, 17);
    if (Value == 0) {
        Out += '0';
        return;
    }
    // One conversion, correctly rounded to `Precision` significant digits from
    // the binary value, laid out from its own buffer: this runs for every
    // float a grid shows or exports, so it keeps off the heap.
    char digits[24];
    int count = 0;
    int exp = 0;   // the value is 0.D1D2... x 10^exp
    if (!ShortDecimal(Value, Precision, digits, count, exp) && !ShortestRounded(Value, Precision, digits, count, exp)) {
        char sci[48];
        const auto res = std::to_chars(sci, sci + sizeof sci, std::fabs(Value), std::chars_format::scientific,
                                       Precision - 1);
        count = SplitScientific(sci, res.ptr, digits, exp);
    }
    while (count > 1 && digits[count - 1] == '0')
        --count;
    const char dec = FormatSettings().DecimalSeparator;
    char out[64];
    char* o = out;
    if (Value < 0)
        *o++ = '-';
    if (exp > Precision || exp < -4) {
        *o++ = digits[0];
        if (count > 1) {
            *o++ = dec;
            o = std::copy(digits + 1, digits + count, o);
        }
        *o++ = 'E';
        o = std::to_chars(o, out + sizeof out, exp - 1).ptr;
    } else if (exp <= 0) {
        *o++ = '0';
        *o++ = dec;
        o = std::fill_n(o, -exp, '0');
        o = std::copy(digits, digits + count, o);
    } else {
        o = std::copy(digits, digits + std::min(exp, count), o);
        o = std::fill_n(o, std::max(0, exp - count), '0');
        if (count > exp) {
            *o++ = dec;
            o = std::copy(digits + exp, digits + count, o);
        }
    }
    Out.append(out, o);
}

std::string FloatToStrGeneral(double Value, int Precision)
{
    std::string out;
    AppendFloatGeneral(out, Value, Precision);
    return out;
}

std::string FloatToStr(double Value)
{
    return FloatToStrGeneral(Value, 15);
}

std::string CurrToStr(Currency Value)
{
    const bool neg = Value.Value < 0;
    // Work on the unsigned magnitude so that INT64_MIN is safe.
    const std::uint64_t mag = neg ? 0 - static_cast<std::uint64_t>(Value.Value) : static_cast<std::uint64_t>(Value.Value);
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

std::string IntToStr(std::int64_t Value)
{
    return std::to_string(Value);
}

std::string IntToHex(std::int64_t Value, int Digits)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*llX", std::clamp(Digits, 0, 16),
                  static_cast<unsigned long long>(Value));
    return buf;
}

bool TryStrToInt64(const std::string& S, std::int64_t& Value)
{
    std::string_view t = TrimBlanks(S);
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
        Value = static_cast<std::int64_t>(mag);
        return true;
    }
    constexpr std::uint64_t kMinMag = std::uint64_t{1} << 63;
    if (neg) {
        if (mag > kMinMag)
            return false;
        Value = static_cast<std::int64_t>(0 - mag);
    } else {
        if (mag >= kMinMag)
            return false;
        Value = static_cast<std::int64_t>(mag);
    }
    return true;
}

bool TryStrToInt(const std::string& S, std::int32_t& Value)
{
    std::int64_t v = 0;
    if (!TryStrToInt64(S, v))
        return false;
    std::string_view t = TrimBlanks(S);
    const bool hex = t.find_first_of("$xX") != std::string_view::npos;
    if (hex && t.front() != '-' && v >= 0 && v <= 0xFFFFFFFFLL) {
        Value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
        return true;
    }
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        return false;
    Value = static_cast<std::int32_t>(v);
    return true;
}

std::int32_t StrToInt(const std::string& S)
{
    std::int32_t v = 0;
    if (!TryStrToInt(S, v))
        ThrowInvalid(S, "integer value");
    return v;
}

std::int64_t StrToInt64(const std::string& S)
{
    std::int64_t v = 0;
    if (!TryStrToInt64(S, v))
        ThrowInvalid(S, "integer value");
    return v;
}

std::int32_t StrToIntDef(const std::string& S, std::int32_t Def)
{
    std::int32_t v = 0;
    return TryStrToInt(S, v) ? v : Def;
}

bool TryStrToFloat(const std::string& S, double& Value)
{
    const std::string_view t = TrimBlanks(S);
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
    Value = neg ? -v : v;
    return true;
}

double StrToFloat(const std::string& S)
{
    double v = 0;
    if (!TryStrToFloat(S, v))
        ThrowInvalid(S, "floating point value");
    return v;
}

// ---------------------------------------------------------------------------
// FormatFloat

namespace {

std::vector<std::string> SplitSections(const std::string& Format)
{
    std::vector<std::string> sections(1);
    char quote = 0;
    for (char c : Format) {
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

SectionLayout ParseSection(const std::string& S)
{
    SectionLayout l;
    bool afterPoint = false;
    char quote = 0;
    for (std::size_t i = 0; i < S.size(); ++i) {
        const char c = S[i];
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
            if (i + 1 < S.size() && (S[i + 1] == '+' || S[i + 1] == '-')) {
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

// Emits `Section` for the magnitude `D` (already rounded for the layout).
std::string EmitSection(const std::string& Section, const SectionLayout& L, const Decimal& D)
{
    const TFormatSettings& fs = FormatSettings();
    std::string intDigits;
    std::string fracDigits;
    int exponent = 0;
    if (L.Scientific) {
        const int intCount = std::max(L.IntPlaceholders, 1);
        if (!D.Digits.empty())
            exponent = D.Exp - intCount;
        for (int i = 0; i < intCount; ++i)
            intDigits += i < static_cast<int>(D.Digits.size()) ? D.Digits[static_cast<std::size_t>(i)] : '0';
        for (int i = intCount; i < intCount + L.DecPlaceholders; ++i)
            fracDigits += i < static_cast<int>(D.Digits.size()) ? D.Digits[static_cast<std::size_t>(i)] : '0';
        // Leading zeros of the mantissa only where '0' placeholders ask for them.
        std::size_t strip = 0;
        const std::size_t minLen = L.FirstIntZero >= 0 ? static_cast<std::size_t>(L.IntPlaceholders - L.FirstIntZero) : 0;
        while (strip < intDigits.size() && intDigits[strip] == '0' && intDigits.size() - strip > minLen)
            ++strip;
        intDigits.erase(0, strip);
    } else {
        intDigits = IntegerDigits(D);
        const std::size_t minLen = L.FirstIntZero >= 0 ? static_cast<std::size_t>(L.IntPlaceholders - L.FirstIntZero) : 0;
        if (intDigits.size() < minLen)
            intDigits.insert(0, minLen - intDigits.size(), '0');
        fracDigits = FractionDigits(D, L.DecPlaceholders);
    }
    while (static_cast<int>(fracDigits.size()) > L.DecZeros && fracDigits.back() == '0')
        fracDigits.pop_back();

    std::string out;
    const int len = static_cast<int>(intDigits.size());
    auto emitInt = [&](int J) {
        out += intDigits[static_cast<std::size_t>(J)];
        const int remaining = len - 1 - J;
        if (L.Thousands && !L.Scientific && remaining > 0 && remaining % 3 == 0)
            out += fs.ThousandSeparator;
    };
    const int extra = len - L.IntPlaceholders;   // digits with no placeholder of their own
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
    if (L.IntPlaceholders == 0 && L.DecPlaceholders == 0)
        intDone = true;
    char quote = 0;
    for (std::size_t i = 0; i < Section.size(); ++i) {
        const char c = Section[i];
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
                if (++intIndex == L.IntPlaceholders)
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
            if (L.Scientific && i + 1 < Section.size() && (Section[i + 1] == '+' || Section[i + 1] == '-')) {
                flushInt();
                const bool always = Section[i + 1] == '+';
                out += c;
                if (exponent < 0)
                    out += '-';
                else if (always)
                    out += '+';
                i += 2;
                std::size_t zeros = 0;
                while (i < Section.size() && Section[i] == '0') {
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

Decimal RoundForLayout(const Decimal& Exact, const SectionLayout& L)
{
    Decimal d = Exact;
    if (L.Scientific)
        RoundDigits(d, std::max(L.IntPlaceholders, 1) + L.DecPlaceholders);
    else
        RoundPlaces(d, L.DecPlaceholders);
    return d;
}

} // namespace

namespace {

// The picture Format for a magnitude whose exact digits are Exact; Fallback
// gives the text for an empty format or an empty chosen section.
template <class F>
std::string FormatPicture(const std::string& Format, const Decimal& Exact, bool Negative, F Fallback)
{
    if (Format.empty())
        return Fallback();
    const std::vector<std::string> sections = SplitSections(Format);
    std::size_t pick = 0;
    if (Negative && sections.size() > 1 && !sections[1].empty())
        pick = 1;
    SectionLayout layout = ParseSection(sections[pick]);
    Decimal d = RoundForLayout(Exact, layout);

    // A value that rounds to zero is zero: it takes the zero section and never
    // shows a minus sign (so -0.001 is "0,00", not "-0,00").
    if (d.Digits.empty()) {
        if (sections.size() > 2 && !sections[2].empty())
            return EmitSection(sections[2], ParseSection(sections[2]), Decimal{});
        return EmitSection(sections[0], ParseSection(sections[0]), Decimal{});
    }
    if (sections[pick].empty())
        return Fallback();
    std::string out = EmitSection(sections[pick], layout, d);
    if (Negative && pick == 0)
        out.insert(0, 1, '-');
    return out;
}

// The magnitude of a fixed-point value with four implied decimals, exactly.
Decimal CurrencyDecimal(Currency Value)
{
    // Work on the unsigned magnitude so that INT64_MIN is safe.
    const std::uint64_t mag = Value.Value < 0 ? 0 - static_cast<std::uint64_t>(Value.Value)
                                              : static_cast<std::uint64_t>(Value.Value);
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
std::string PlaceCurrency(const std::string& Amount, bool Negative)
{
    static const char* const positive[] = {"cn", "nc", "c n", "n c"};
    static const char* const negativeForms[] = {"(cn)", "-cn", "c-n", "cn-", "(nc)", "-nc", "n-c", "nc-",
                                                "-n c", "-c n", "n c-", "c n-", "c -n", "n- c", "(c n)", "(n c)"};
    const TFormatSettings& fs = FormatSettings();
    const char* form = nullptr;
    if (Negative) {
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
            out += Amount;
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

std::string CurrencyTextOf(const Decimal& Exact, bool Negative)
{
    const std::string picture = CurrencyPicture();
    Decimal rounded = Exact;
    RoundPlaces(rounded, FormatSettings().CurrencyDecimals);
    const std::string amount = FormatPicture(picture, Exact, false, [] { return std::string(); });
    return PlaceCurrency(amount, Negative && !rounded.Digits.empty());
}

} // namespace

std::string FormatFloat(const std::string& Format, double Value)
{
    if (!std::isfinite(Value))
        return SpecialFloat(Value);
    return FormatPicture(Format, ToDecimal(Value), Value < 0, [Value] { return FloatToStr(Value); });
}

std::string FormatCurr(const std::string& Format, Currency Value)
{
    return FormatPicture(Format, CurrencyDecimal(Value), Value.Value < 0, [Value] { return CurrToStr(Value); });
}

std::string CurrencyText(Currency Value)
{
    return CurrencyTextOf(CurrencyDecimal(Value), Value.Value < 0);
}

std::string CurrencyText(double Value)
{
    if (!std::isfinite(Value))
        return SpecialFloat(Value);
    return CurrencyTextOf(ToDecimal(Value), Value < 0);
}

} // namespace qel
