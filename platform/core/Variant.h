#pragma once
// Variant: the platform's tagged value (Empty, Null, integers, floats,
// Currency, Date, strings, Boolean, arrays) with the platform's type codes,
// conversions that raise EConvertError instead of failing silently, and a
// total order that std::sort can rely on.
#include "platform/core/Exceptions.h"

#include <compare>
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace qel {

using TDateTime = double;                    // days since 30.12.1899, fraction = time of day
inline constexpr TDateTime NullDate = -700000.0;

// Fixed-point money: the value times 10^4 in an int64.
struct Currency {
    std::int64_t Value = 0;

    // Rounds half away from zero to four decimals; EConvertError when out of range or NaN.
    static Currency FromDouble(double D);
    static constexpr Currency FromInt64(std::int64_t Scaled) { return Currency{Scaled}; }
    double ToDouble() const { return static_cast<double>(Value) / 10000.0; }
    auto operator<=>(const Currency&) const = default;
};

enum TVarType : std::uint16_t {
    varEmpty = 0,
    varNull = 1,
    varSmallint = 2,
    varInteger = 3,
    varSingle = 4,
    varDouble = 5,
    varCurrency = 6,
    varDate = 7,
    varOleStr = 8,
    varBoolean = 11,
    varVariant = 12,
    varByte = 17,
    varInt64 = 20,
    varString = 256,
    varTypeMask = 0x0FFF,
    varArray = 0x2000
};

// "Integer", "Null", "Array Variant", ... as used in conversion messages.
std::string VarTypeAsText(TVarType Type);

class Variant {
public:
    Variant() = default;                       // Empty
    Variant(bool B) : m_v(B) {}
    Variant(int I) : m_v(std::int32_t{I}) {}
    Variant(std::int64_t I) : m_v(I) {}
    Variant(long long I) : m_v(static_cast<std::int64_t>(I)) {}
    Variant(unsigned int I);                   // Integer when it fits, else Int64
    Variant(unsigned long I);                  // Int64; EConvertError above INT64_MAX
    Variant(unsigned long long I);
    Variant(double D) : m_v(D) {}
    Variant(const char* S) : m_v(std::string(S ? S : "")) {}
    Variant(const std::string& S) : m_v(S) {}  // narrow string (varString)
    Variant(std::string&& S) : m_v(std::move(S)) {}
    Variant(Currency C) : m_v(C) {}

    static Variant Null();
    static Variant FromSmallint(std::int16_t V);
    static Variant FromByte(std::uint8_t V);
    static Variant FromSingle(float V);
    static Variant FromDate(TDateTime V);
    static Variant FromWideString(const std::string& Utf8);   // varOleStr
    static Variant Array(std::vector<Variant> Items);         // varArray | varVariant

    TVarType VarType() const;
    bool IsEmpty() const { return m_v.index() == kEmpty; }
    bool IsNull() const { return m_v.index() == kNull; }
    bool IsEmptyOrNull() const { return m_v.index() <= kNull; }
    bool IsArray() const { return m_v.index() == kArray; }
    bool IsNumeric() const;    // integers, floats, Currency (not Boolean, not Date)
    bool IsString() const { return m_v.index() == kString || m_v.index() == kWide; }
    const std::vector<Variant>& Elements() const;  // EVariantError when not an array

    // Conversions. Empty gives 0 / "" / false / 0.0; Null raises EConvertError;
    // strings are parsed strictly with the current locale; out-of-range values
    // raise EConvertError.
    std::int32_t AsInteger() const;
    std::int64_t AsInt64() const;
    double AsDouble() const;
    Currency AsCurrency() const;
    TDateTime AsDate() const;
    bool AsBoolean() const;
    std::string AsString() const;   // numbers and dates formatted with the current locale

    // Total order, never throws: Empty < Null < numbers (all numeric types,
    // Boolean, Currency and Date compared by exact value; NaN below every
    // other number) < strings (binary compare of UTF-8) < arrays (element-wise).
    static int Compare(const Variant& A, const Variant& B);
    friend bool operator==(const Variant& A, const Variant& B) { return Compare(A, B) == 0; }
    friend bool operator<(const Variant& A, const Variant& B) { return Compare(A, B) < 0; }
    friend bool operator!=(const Variant& A, const Variant& B) { return Compare(A, B) != 0; }
    friend bool operator>(const Variant& A, const Variant& B) { return Compare(A, B) > 0; }
    friend bool operator<=(const Variant& A, const Variant& B) { return Compare(A, B) <= 0; }
    friend bool operator>=(const Variant& A, const Variant& B) { return Compare(A, B) >= 0; }

private:
    struct NullTag {};
    struct DateVal { double Value; };
    struct WideStr { std::string Value; };
    using ArrayPtr = std::shared_ptr<const std::vector<Variant>>;   // immutable, so sharing is safe

    // The order of alternatives is used by the index constants below.
    using Storage = std::variant<std::monostate, NullTag, std::int16_t, std::int32_t, float, double,
                                 Currency, DateVal, WideStr, bool, std::uint8_t, std::int64_t,
                                 std::string, ArrayPtr>;
    enum : std::size_t {
        kEmpty, kNull, kSmallint, kInteger, kSingle, kDouble, kCurrency, kDate, kWide, kBoolean,
        kByte, kInt64, kString, kArray
    };

    [[noreturn]] void ConvertFailed(TVarType Target) const;
    std::int64_t ToInt64Checked(TVarType Target, std::int64_t Lo, std::int64_t Hi) const;

    Storage m_v;
};

// The string form of a Variant, with Null (and Empty) giving "".
std::string VarToStr(const Variant& V);

} // namespace qel
