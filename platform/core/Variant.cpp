#include "platform/core/Variant.h"

#include "platform/core/Locale.h"
#include "platform/core/MathUtils.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace qel {

Currency Currency::FromDouble(double D)
{
    // 922337203685477.5807 is the largest currency value.
    if (!(std::fabs(D) < 922337203685477.0))
        throw EConvertError("Floating point value " + FloatToStr(D) + " is out of the currency range");
    // Round the shortest decimal that reads back as `D`, so 1.00005 becomes
    // 1.0001 and not the value of its binary neighbour.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(D), std::chars_format::fixed);
    const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t point = text.find('.');
    std::int64_t scaled = 0;
    std::from_chars(text.data(), text.data() + (point == std::string_view::npos ? text.size() : point), scaled);
    std::string_view frac = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    for (std::size_t i = 0; i < 4; ++i)
        scaled = scaled * 10 + (i < frac.size() ? frac[i] - '0' : 0);
    if (frac.size() > 4 && frac[4] >= '5')
        ++scaled;
    return Currency{D < 0 ? -scaled : scaled};
}

std::string VarTypeAsText(TVarType Type)
{
    if (Type & varArray)
        return "Array " + VarTypeAsText(static_cast<TVarType>(Type & varTypeMask));
    switch (Type) {
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

Variant::Variant(unsigned int I)
{
    if (I <= static_cast<unsigned>(std::numeric_limits<std::int32_t>::max()))
        m_v = static_cast<std::int32_t>(I);
    else
        m_v = static_cast<std::int64_t>(I);
}

Variant::Variant(unsigned long I) : Variant(static_cast<unsigned long long>(I)) {}

Variant::Variant(unsigned long long I)
{
    if (I > static_cast<unsigned long long>(std::numeric_limits<std::int64_t>::max()))
        throw EConvertError("Overflow while converting " + std::to_string(I) + " into type (Int64)");
    m_v = static_cast<std::int64_t>(I);
}

Variant Variant::Null()
{
    Variant v;
    v.m_v = NullTag{};
    return v;
}

Variant Variant::FromSmallint(std::int16_t Value)
{
    Variant v;
    v.m_v = Value;
    return v;
}

Variant Variant::FromByte(std::uint8_t Value)
{
    Variant v;
    v.m_v = Value;
    return v;
}

Variant Variant::FromSingle(float Value)
{
    Variant v;
    v.m_v = Value;
    return v;
}

Variant Variant::FromDate(TDateTime Value)
{
    Variant v;
    v.m_v = DateVal{Value};
    return v;
}

Variant Variant::FromWideString(const std::string& Utf8)
{
    Variant v;
    v.m_v = WideStr{Utf8};
    return v;
}

Variant Variant::Array(std::vector<Variant> Items)
{
    Variant v;
    v.m_v = std::make_shared<const std::vector<Variant>>(std::move(Items));
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

void Variant::ConvertFailed(TVarType Target) const
{
    throw EConvertError("Could not convert variant of type (" + VarTypeAsText(VarType())
                        + ") into type (" + VarTypeAsText(Target) + ")");
}

namespace {

// Currency to the nearest integer, ties to even (as the platform rounds).
std::int64_t RoundCurrency(std::int64_t Scaled)
{
    std::int64_t q = Scaled / 10000;
    const std::int64_t r = Scaled % 10000;
    const std::int64_t absR = r < 0 ? -r : r;
    if (absR > 5000 || (absR == 5000 && (q & 1)))
        q += r < 0 ? -1 : 1;
    return q;
}

} // namespace

std::int64_t Variant::ToInt64Checked(TVarType Target, std::int64_t Lo, std::int64_t Hi) const
{
    std::int64_t result = 0;
    auto fromDouble = [&](double D) {
        // 2^63 is exact; NaN and anything rounding outside [-2^63, 2^63) cannot be stored.
        const double r = std::nearbyint(D);
        if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0))
            throw EConvertError("Overflow while converting variant of type (" + VarTypeAsText(VarType())
                                + ") into type (" + VarTypeAsText(Target) + ")");
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
        ConvertFailed(Target);
    }
    default:
        ConvertFailed(Target);
    }
    if (result < Lo || result > Hi)
        throw EConvertError("Overflow while converting variant of type (" + VarTypeAsText(VarType())
                            + ") into type (" + VarTypeAsText(Target) + ")");
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
    auto fromInt = [&](std::int64_t I) {
        if (I > kMaxWhole || I < -kMaxWhole)
            throw EConvertError("Overflow while converting variant of type (" + VarTypeAsText(VarType())
                                + ") into type (Currency)");
        return Currency{I * 10000};
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

std::string VarToStr(const Variant& V)
{
    return V.IsNull() ? std::string() : V.AsString();
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

template <typename T> int Cmp(T A, T B) { return (A > B) - (A < B); }

// Exact comparison of a finite double with the rational P/Q, Q being 1 or 10^4.
int CompareDoubleRational(double D, std::int64_t P, std::int64_t Q)
{
    constexpr double kTwo63 = 9223372036854775808.0;
    if (D >= kTwo63)
        return 1;
    if (D < -kTwo63)
        return -1;
    const double whole = std::trunc(D);
    const double f = D - whole;                    // exact, same sign as d
    const auto t = static_cast<std::int64_t>(whole);
    const std::int64_t pt = P / Q;
    const std::int64_t pr = P % Q;                  // same sign as p
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
    if (ex < -14) // |f| < 2^-14 < 1/Q <= |pr/Q|
        return pr > 0 ? -1 : 1;
    const auto mant = static_cast<std::int64_t>(std::ldexp(m, 53));   // exact
    const __int128 lhs = static_cast<__int128>(mant) * Q;
    const __int128 rhs = static_cast<__int128>(pr) << (53 - ex);
    return Cmp(lhs, rhs);
}

constexpr std::int64_t kTwo53 = std::int64_t{1} << 53;

int CompareDoubleInt(double D, std::int64_t I)
{
    if (I >= -kTwo53 && I <= kTwo53)   // exactly representable: compare as doubles
        return Cmp(D, static_cast<double>(I));
    return CompareDoubleRational(D, I, 1);
}

int CompareDoubleCurrency(double D, std::int64_t C)
{
    if (C >= -kTwo53 && C <= kTwo53) {
        // c / 10^4 is within half an ulp; only values that close need the exact test.
        const double approx = static_cast<double>(C) / 10000.0;
        const double margin = std::fabs(approx) * 0x1p-50 + 0x1p-1070;
        if (D < approx - margin)
            return -1;
        if (D > approx + margin)
            return 1;
    }
    return CompareDoubleRational(D, C, 10000);
}

int CompareNum(const Num& A, const Num& B)
{
    if (A.Kind == nkNaN || B.Kind == nkNaN)
        return Cmp(A.Kind == nkNaN ? 0 : 1, B.Kind == nkNaN ? 0 : 1);
    switch (A.Kind * 4 + B.Kind) {
    case nkInt * 4 + nkInt:
    case nkCur * 4 + nkCur:
        return Cmp(A.I, B.I);
    case nkInt * 4 + nkCur:
        return Cmp(static_cast<__int128>(A.I) * 10000, static_cast<__int128>(B.I));
    case nkCur * 4 + nkInt:
        return Cmp(static_cast<__int128>(A.I), static_cast<__int128>(B.I) * 10000);
    case nkDbl * 4 + nkDbl:
        return Cmp(A.D, B.D);
    case nkDbl * 4 + nkInt:
        return CompareDoubleInt(A.D, B.I);
    case nkDbl * 4 + nkCur:
        return CompareDoubleCurrency(A.D, B.I);
    case nkInt * 4 + nkDbl:
        return -CompareDoubleInt(B.D, A.I);
    case nkCur * 4 + nkDbl:
        return -CompareDoubleCurrency(B.D, A.I);
    default:
        return 0;
    }
}

} // namespace

int Variant::Compare(const Variant& A, const Variant& B)
{
    const std::size_t ia = A.m_v.index();
    const std::size_t ib = B.m_v.index();

    // Fast paths for the common same-type cases.
    if (ia == ib) {
        switch (ia) {
        case kEmpty: case kNull: return 0;
        case kInteger: return Cmp(*std::get_if<kInteger>(&A.m_v), *std::get_if<kInteger>(&B.m_v));
        case kInt64: return Cmp(*std::get_if<kInt64>(&A.m_v), *std::get_if<kInt64>(&B.m_v));
        case kCurrency: return Cmp(std::get_if<kCurrency>(&A.m_v)->Value, std::get_if<kCurrency>(&B.m_v)->Value);
        case kBoolean: return Cmp(*std::get_if<kBoolean>(&B.m_v), *std::get_if<kBoolean>(&A.m_v));   // True is -1
        case kDouble:
        case kDate: {
            const double x = ia == kDouble ? *std::get_if<kDouble>(&A.m_v) : std::get_if<kDate>(&A.m_v)->Value;
            const double y = ia == kDouble ? *std::get_if<kDouble>(&B.m_v) : std::get_if<kDate>(&B.m_v)->Value;
            if (x < y)
                return -1;
            if (x > y)
                return 1;
            if (x == y)
                return 0;
            return Cmp(!std::isnan(x), !std::isnan(y));   // NaN below every number
        }
        case kString: {
            const int c = std::get_if<kString>(&A.m_v)->compare(*std::get_if<kString>(&B.m_v));
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
        auto num = [](const Variant& V) -> Num {
            auto dbl = [](double D) { return std::isnan(D) ? Num{nkNaN, 0, 0} : Num{nkDbl, 0, D}; };
            switch (V.m_v.index()) {
            case kSmallint: return {nkInt, std::get<kSmallint>(V.m_v), 0};
            case kInteger: return {nkInt, std::get<kInteger>(V.m_v), 0};
            case kByte: return {nkInt, std::get<kByte>(V.m_v), 0};
            case kInt64: return {nkInt, std::get<kInt64>(V.m_v), 0};
            case kBoolean: return {nkInt, std::get<kBoolean>(V.m_v) ? -1 : 0, 0};
            case kCurrency: return {nkCur, std::get<kCurrency>(V.m_v).Value, 0};
            case kSingle: return dbl(std::get<kSingle>(V.m_v));
            case kDouble: return dbl(std::get<kDouble>(V.m_v));
            case kDate: return dbl(std::get<kDate>(V.m_v).Value);
            default: return {nkInt, 0, 0};
            }
        };
        return CompareNum(num(A), num(B));
    }
    case 3: {
        const std::string& sa = ia == kString ? std::get<kString>(A.m_v) : std::get<kWide>(A.m_v).Value;
        const std::string& sb = ib == kString ? std::get<kString>(B.m_v) : std::get<kWide>(B.m_v).Value;
        const int c = sa.compare(sb);
        return (c > 0) - (c < 0);
    }
    case 4: {
        const auto& ea = *std::get<kArray>(A.m_v);
        const auto& eb = *std::get<kArray>(B.m_v);
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
