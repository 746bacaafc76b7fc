#include "platform/core/Variant.h"

#include "platform/core/Locale.h"
#include "platform/core/MathUtils.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace qel {

Currency Currency::FromDouble(double d)
{
    // 922337203685477.5807 is the largest currency value.
    if (!(std::fabs(d) < 922337203685477.0))
        throw EConvertError("Floating point value " + FloatToStr(d) + " is out of the currency range");
    // Round the shortest decimal that reads back as `d`, so 1.00005 becomes
    // 1.0001 and not the value of its binary neighbour.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(d), std::chars_format::fixed);
    const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t point = text.find('.');
    std::int64_t scaled = 0;
    std::from_chars(text.data(), text.data() + (point == std::string_view::npos ? text.size() : point), scaled);
    std::string_view frac = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    for (std::size_t i = 0; i < 4; ++i)
        scaled = scaled * 10 + (i < frac.size() ? frac[i] - '0' : 0);
    if (frac.size() > 4 && frac[4] >= '5')
        ++scaled;
    return Currency{d < 0 ? -scaled : scaled};
}

std::string VarTypeAsText(TVarType type)
{
    if (type & varArray)
        return "Array " + VarTypeAsText(static_cast<TVarType>(type & varTypeMask));
    switch (type) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varSmallint: return "Smallint";
    case varInteger: return "Integer";
    case varSingle: return "Single";
    case varDouble: return "Double";
    case varCurrency: return "Currency";
    case varDate: return "Date";
    case varOleStr: return "OleStr";
    case varBoolean: return "Boolean";
    case varVariant: return "Variant";
    case varByte: return "Byte";
    case varInt64: return "Int64";
    case varString: return "String";
    default: return "Unknown";
    }
}

Variant::Variant(unsigned int i)
{
    if (i <= static_cast<unsigned>(std::numeric_limits<std::int32_t>::max()))
        m_v = static_cast<std::int32_t>(i);
    else
        m_v = static_cast<std::int64_t>(i);
}

Variant::Variant(unsigned long i) : Variant(static_cast<unsigned long long>(i)) {}

Variant::Variant(unsigned long long i)
{
    if (i > static_cast<unsigned long long>(std::numeric_limits<std::int64_t>::max()))
        throw EConvertError("Overflow while converting " + std::to_string(i) + " into type (Int64)");
    m_v = static_cast<std::int64_t>(i);
}

Variant Variant::Null()
{
    Variant v;
    v.m_v = NullTag{};
    return v;
}

Variant Variant::FromSmallint(std::int16_t value)
{
    Variant v;
    v.m_v = value;
    return v;
}

Variant Variant::FromByte(std::uint8_t value)
{
    Variant v;
    v.m_v = value;
    return v;
}

Variant Variant::FromSingle(float value)
{
    Variant v;
    v.m_v = value;
    return v;
}

Variant Variant::FromDate(TDateTime value)
{
    Variant v;
    v.m_v = DateVal{value};
    return v;
}

Variant Variant::FromWideString(const std::string& utf8)
{
    Variant v;
    v.m_v = WideStr{utf8};
    return v;
}

Variant Variant::Array(std::vector<Variant> items)
{
    Variant v;
    v.m_v = std::make_shared<const std::vector<Variant>>(std::move(items));
    return v;
}

TVarType Variant::VarType() const
{
    static constexpr TVarType kCodes[] = {varEmpty,  varNull,    varSmallint, varInteger, varSingle,
                                          varDouble, varCurrency, varDate,    varOleStr,  varBoolean,
                                          varByte,   varInt64,    varString};
    if (m_v.index() == kArray)
        return static_cast<TVarType>(varArray | varVariant);
    return kCodes[m_v.index()];
}

bool Variant::IsNumeric() const
{
    switch (m_v.index()) {
    case kSmallint: case kInteger: case kSingle: case kDouble: case kCurrency: case kByte: case kInt64:
        return true;
    default:
        return false;
    }
}

const std::vector<Variant>& Variant::Elements() const
{
    if (m_v.index() != kArray)
        throw EVariantError("Variant is not an array");
    return *std::get<kArray>(m_v);
}

// ---------------------------------------------------------------------------
// Conversions

void Variant::ConvertFailed(TVarType target) const
{
    throw EConvertError("Could not convert variant of type (" + VarTypeAsText(VarType())
                        + ") into type (" + VarTypeAsText(target) + ")");
}

namespace {

// Currency to the nearest integer, ties to even (as the platform rounds).
std::int64_t RoundCurrency(std::int64_t scaled)
{
    std::int64_t q = scaled / 10000;
    const std::int64_t r = scaled % 10000;
    const std::int64_t absR = r < 0 ? -r : r;
    if (absR > 5000 || (absR == 5000 && (q & 1)))
        q += r < 0 ? -1 : 1;
    return q;
}

} // namespace

std::int64_t Variant::ToInt64Checked(TVarType target, std::int64_t lo, std::int64_t hi) const
{
    std::int64_t result = 0;
    auto fromDouble = [&](double d) {
        // 2^63 is exact; NaN and anything rounding outside [-2^63, 2^63) cannot be stored.
        const double r = std::nearbyint(d);
        if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0))
            throw EConvertError("Overflow while converting variant of type (" + VarTypeAsText(VarType())
                                + ") into type (" + VarTypeAsText(target) + ")");
        return static_cast<std::int64_t>(r);
    };
    switch (m_v.index()) {
    case kEmpty: return 0;
    case kSmallint: result = std::get<kSmallint>(m_v); break;
    case kInteger: result = std::get<kInteger>(m_v); break;
    case kByte: result = std::get<kByte>(m_v); break;
    case kInt64: result = std::get<kInt64>(m_v); break;
    case kBoolean: result = std::get<kBoolean>(m_v) ? -1 : 0; break;
    case kSingle: result = fromDouble(std::get<kSingle>(m_v)); break;
    case kDouble: result = fromDouble(std::get<kDouble>(m_v)); break;
    case kDate: result = fromDouble(std::get<kDate>(m_v).Value); break;
    case kCurrency: result = RoundCurrency(std::get<kCurrency>(m_v).Value); break;
    case kString:
    case kWide: {
        const std::string& s = m_v.index() == kString ? std::get<kString>(m_v) : std::get<kWide>(m_v).Value;
        double d = 0;
        if (TryStrToInt64(s, result))
            break;
        if (TryStrToFloat(s, d)) {
            result = fromDouble(d);
            break;
        }
        ConvertFailed(target);
    }
    default:
        ConvertFailed(target);
    }
    if (result < lo || result > hi)
        throw EConvertError("Overflow while converting variant of type (" + VarTypeAsText(VarType())
                            + ") into type (" + VarTypeAsText(target) + ")");
    return result;
}

std::int32_t Variant::AsInteger() const
{
    return static_cast<std::int32_t>(ToInt64Checked(varInteger, std::numeric_limits<std::int32_t>::min(),
                                                    std::numeric_limits<std::int32_t>::max()));
}

std::int64_t Variant::AsInt64() const
{
    return ToInt64Checked(varInt64, std::numeric_limits<std::int64_t>::min(),
                          std::numeric_limits<std::int64_t>::max());
}

double Variant::AsDouble() const
{
    switch (m_v.index()) {
    case kEmpty: return 0.0;
    case kSmallint: return std::get<kSmallint>(m_v);
    case kInteger: return std::get<kInteger>(m_v);
    case kByte: return std::get<kByte>(m_v);
    case kInt64: return static_cast<double>(std::get<kInt64>(m_v));
    case kBoolean: return std::get<kBoolean>(m_v) ? -1.0 : 0.0;
    case kSingle: return std::get<kSingle>(m_v);
    case kDouble: return std::get<kDouble>(m_v);
    case kDate: return std::get<kDate>(m_v).Value;
    case kCurrency: return std::get<kCurrency>(m_v).ToDouble();
    case kString:
    case kWide: {
        double d = 0;
        if (TryStrToFloat(m_v.index() == kString ? std::get<kString>(m_v) : std::get<kWide>(m_v).Value, d))
            return d;
        break;
    }
    default:
        break;
    }
    ConvertFailed(varDouble);
}

Currency Variant::AsCurrency() const
{
    constexpr std::int64_t kMaxWhole = std::numeric_limits<std::int64_t>::max() / 10000;
    auto fromInt = [&](std::int64_t i) {
        if (i > kMaxWhole || i < -kMaxWhole)
            throw EConvertError("Overflow while converting variant of type (" + VarTypeAsText(VarType())
                                + ") into type (Currency)");
        return Currency{i * 10000};
    };
    switch (m_v.index()) {
    case kEmpty: return Currency{};
    case kCurrency: return std::get<kCurrency>(m_v);
    case kSmallint: case kInteger: case kByte: case kInt64: case kBoolean:
        return fromInt(AsInt64());
    case kSingle: case kDouble: case kDate: case kString: case kWide: {
        const double d = AsDouble();
        try {
            return Currency::FromDouble(d);
        } catch (const EConvertError&) {
            throw EConvertError("Overflow while converting variant of type (" + VarTypeAsText(VarType())
                                + ") into type (Currency)");
        }
    }
    default:
        ConvertFailed(varCurrency);
    }
}

TDateTime Variant::AsDate() const
{
    switch (m_v.index()) {
    case kString:
    case kWide: {
        TDateTime d = 0;
        if (TryStrToDateTime(m_v.index() == kString ? std::get<kString>(m_v) : std::get<kWide>(m_v).Value, d))
            return d;
        ConvertFailed(varDate);
    }
    case kNull:
    case kArray:
        ConvertFailed(varDate);
    default:
        return AsDouble();
    }
}

bool Variant::AsBoolean() const
{
    switch (m_v.index()) {
    case kEmpty: return false;
    case kBoolean: return std::get<kBoolean>(m_v);
    case kCurrency: return std::get<kCurrency>(m_v).Value != 0;
    case kSmallint: case kInteger: case kByte: case kInt64: return AsInt64() != 0;
    case kSingle: case kDouble: case kDate: return AsDouble() != 0.0;
    case kString:
    case kWide: {
        const std::string& s = m_v.index() == kString ? std::get<kString>(m_v) : std::get<kWide>(m_v).Value;
        const std::string t = Trim(s);
        if (SameText(t, "True"))
            return true;
        if (SameText(t, "False"))
            return false;
        double d = 0;
        if (TryStrToFloat(t, d))
            return d != 0.0;
        ConvertFailed(varBoolean);
    }
    default:
        ConvertFailed(varBoolean);
    }
}

std::string Variant::AsString() const
{
    switch (m_v.index()) {
    case kEmpty: return {};
    case kSmallint: case kInteger: case kByte: case kInt64: return IntToStr(AsInt64());
    case kBoolean: return std::get<kBoolean>(m_v) ? "True" : "False";
    case kSingle: return FloatToStrGeneral(std::get<kSingle>(m_v), 7);
    case kDouble: return FloatToStr(std::get<kDouble>(m_v));
    case kDate: return DateTimeToStr(std::get<kDate>(m_v).Value);
    case kCurrency: return CurrToStr(std::get<kCurrency>(m_v));
    case kString: return std::get<kString>(m_v);
    case kWide: return std::get<kWide>(m_v).Value;
    default:
        ConvertFailed(varString);
    }
}

std::string VarToStr(const Variant& v)
{
    return v.IsNull() ? std::string() : v.AsString();
}

// ---------------------------------------------------------------------------
// Ordering

namespace {

enum NumKind { nkNaN, nkInt, nkCur, nkDbl };

struct Num {
    NumKind Kind;
    std::int64_t I;
    double D;
};

template <typename T> int Cmp(T a, T b) { return (a > b) - (a < b); }

// Exact comparison of a finite double with the rational p/q, q being 1 or 10^4.
int CompareDoubleRational(double d, std::int64_t p, std::int64_t q)
{
    constexpr double kTwo63 = 9223372036854775808.0;
    if (d >= kTwo63)
        return 1;
    if (d < -kTwo63)
        return -1;
    const double whole = std::trunc(d);
    const double f = d - whole;                    // exact, same sign as d
    const auto t = static_cast<std::int64_t>(whole);
    const std::int64_t pt = p / q;
    const std::int64_t pr = p % q;                  // same sign as p
    // |f| < 1 and |pr/q| < 1, so unequal integer parts decide.
    if (t != pt)
        return t < pt ? -1 : 1;
    if (pr == 0)
        return Sign(f);
    if (f == 0)
        return pr > 0 ? -1 : 1;
    if ((f > 0) != (pr > 0))
        return Sign(f);
    int ex = 0;
    const double m = std::frexp(f, &ex);           // f = m * 2^ex, 0.5 <= |m| < 1
    if (ex < -14) // |f| < 2^-14 < 1/q <= |pr/q|
        return pr > 0 ? -1 : 1;
    const auto mant = static_cast<std::int64_t>(std::ldexp(m, 53));   // exact
    const __int128 lhs = static_cast<__int128>(mant) * q;
    const __int128 rhs = static_cast<__int128>(pr) << (53 - ex);
    return Cmp(lhs, rhs);
}

constexpr std::int64_t kTwo53 = std::int64_t{1} << 53;

int CompareDoubleInt(double d, std::int64_t i)
{
    if (i >= -kTwo53 && i <= kTwo53)   // exactly representable: compare as doubles
        return Cmp(d, static_cast<double>(i));
    return CompareDoubleRational(d, i, 1);
}

int CompareDoubleCurrency(double d, std::int64_t c)
{
    if (c >= -kTwo53 && c <= kTwo53) {
        // c / 10^4 is within half an ulp; only values that close need the exact test.
        const double approx = static_cast<double>(c) / 10000.0;
        const double margin = std::fabs(approx) * 0x1p-50 + 0x1p-1070;
        if (d < approx - margin)
            return -1;
        if (d > approx + margin)
            return 1;
    }
    return CompareDoubleRational(d, c, 10000);
}

int CompareNum(const Num& a, const Num& b)
{
    if (a.Kind == nkNaN || b.Kind == nkNaN)
        return Cmp(a.Kind == nkNaN ? 0 : 1, b.Kind == nkNaN ? 0 : 1);
    switch (a.Kind * 4 + b.Kind) {
    case nkInt * 4 + nkInt:
    case nkCur * 4 + nkCur:
        return Cmp(a.I, b.I);
    case nkInt * 4 + nkCur:
        return Cmp(static_cast<__int128>(a.I) * 10000, static_cast<__int128>(b.I));
    case nkCur * 4 + nkInt:
        return Cmp(static_cast<__int128>(a.I), static_cast<__int128>(b.I) * 10000);
    case nkDbl * 4 + nkDbl:
        return Cmp(a.D, b.D);
    case nkDbl * 4 + nkInt:
        return CompareDoubleInt(a.D, b.I);
    case nkDbl * 4 + nkCur:
        return CompareDoubleCurrency(a.D, b.I);
    case nkInt * 4 + nkDbl:
        return -CompareDoubleInt(b.D, a.I);
    case nkCur * 4 + nkDbl:
        return -CompareDoubleCurrency(b.D, a.I);
    default:
        return 0;
    }
}

} // namespace

int Variant::Compare(const Variant& a, const Variant& b)
{
    const std::size_t ia = a.m_v.index();
    const std::size_t ib = b.m_v.index();

    // Fast paths for the common same-type cases.
    if (ia == ib) {
        switch (ia) {
        case kEmpty: case kNull: return 0;
        case kInteger: return Cmp(*std::get_if<kInteger>(&a.m_v), *std::get_if<kInteger>(&b.m_v));
        case kInt64: return Cmp(*std::get_if<kInt64>(&a.m_v), *std::get_if<kInt64>(&b.m_v));
        case kCurrency: return Cmp(std::get_if<kCurrency>(&a.m_v)->Value, std::get_if<kCurrency>(&b.m_v)->Value);
        case kBoolean: return Cmp(*std::get_if<kBoolean>(&b.m_v), *std::get_if<kBoolean>(&a.m_v));   // True is -1
        case kDouble:
        case kDate: {
            const double x = ia == kDouble ? *std::get_if<kDouble>(&a.m_v) : std::get_if<kDate>(&a.m_v)->Value;
            const double y = ia == kDouble ? *std::get_if<kDouble>(&b.m_v) : std::get_if<kDate>(&b.m_v)->Value;
            if (x < y)
                return -1;
            if (x > y)
                return 1;
            if (x == y)
                return 0;
            return Cmp(!std::isnan(x), !std::isnan(y));   // NaN below every number
        }
        case kString: {
            const int c = std::get_if<kString>(&a.m_v)->compare(*std::get_if<kString>(&b.m_v));
            return (c > 0) - (c < 0);
        }
        default: break;
        }
    }

    // Empty < Null < numbers < strings < arrays, by storage index.
    static constexpr std::int8_t kRank[] = {0, 1, 2, 2, 2, 2, 2, 2, 3, 2, 2, 2, 3, 4};
    static_assert(std::size(kRank) == std::variant_size_v<Storage>);
    const int ra = kRank[ia];
    const int rb = kRank[ib];
    if (ra != rb)
        return ra < rb ? -1 : 1;

    switch (ra) {
    case 2: {
        auto num = [](const Variant& v) -> Num {
            auto dbl = [](double d) { return std::isnan(d) ? Num{nkNaN, 0, 0} : Num{nkDbl, 0, d}; };
            switch (v.m_v.index()) {
            case kSmallint: return {nkInt, std::get<kSmallint>(v.m_v), 0};
            case kInteger: return {nkInt, std::get<kInteger>(v.m_v), 0};
            case kByte: return {nkInt, std::get<kByte>(v.m_v), 0};
            case kInt64: return {nkInt, std::get<kInt64>(v.m_v), 0};
            case kBoolean: return {nkInt, std::get<kBoolean>(v.m_v) ? -1 : 0, 0};
            case kCurrency: return {nkCur, std::get<kCurrency>(v.m_v).Value, 0};
            case kSingle: return dbl(std::get<kSingle>(v.m_v));
            case kDouble: return dbl(std::get<kDouble>(v.m_v));
            case kDate: return dbl(std::get<kDate>(v.m_v).Value);
            default: return {nkInt, 0, 0};
            }
        };
        return CompareNum(num(a), num(b));
    }
    case 3: {
        const std::string& sa = ia == kString ? std::get<kString>(a.m_v) : std::get<kWide>(a.m_v).Value;
        const std::string& sb = ib == kString ? std::get<kString>(b.m_v) : std::get<kWide>(b.m_v).Value;
        const int c = sa.compare(sb);
        return (c > 0) - (c < 0);
    }
    case 4: {
        const auto& ea = *std::get<kArray>(a.m_v);
        const auto& eb = *std::get<kArray>(b.m_v);
        const std::size_t n = std::min(ea.size(), eb.size());
        for (std::size_t i = 0; i < n; ++i) {
            const int c = Compare(ea[i], eb[i]);
            if (c != 0)
                return c;
        }
        return Cmp(ea.size(), eb.size());
    }
    default:
        return 0;
    }
}

} // namespace qel
