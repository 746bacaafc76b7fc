#include "platform/core/Locale.h"
#include "platform/core/Variant.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace qel {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A sample that mixes every type with the values where exact comparison is hard.
std::vector<Variant> MixedSample()
{
    const std::int64_t two53 = std::int64_t{1} << 53;
    return {
        Variant(), Variant::Null(), Variant(0), Variant(-1), Variant(1), Variant(true), Variant(false),
        Variant(two53), Variant(two53 + 1), Variant(std::numeric_limits<std::int64_t>::max()),
        Variant(std::numeric_limits<std::int64_t>::min()), Variant(9007199254740992.0),
        Variant(9223372036854775808.0), Variant(-9223372036854775808.0), Variant(0.0), Variant(-0.0),
        Variant(0.5), Variant(-0.5), Variant(1.0), Variant(1e-300), Variant(-1e-300), Variant(kNaN),
        Variant(-kNaN), Variant(kInf), Variant(-kInf), Variant(0.1), Variant(0.0001), Variant(0.00009999),
        Variant(Currency{1}), Variant(Currency{10000}), Variant(Currency{-5000}), Variant(Currency{1000}),
        Variant(Currency{std::numeric_limits<std::int64_t>::max()}), Variant::FromSingle(0.1f),
        Variant::FromSingle(1.5f), Variant::FromSmallint(-1), Variant::FromByte(255), Variant::FromByte(1),
        Variant::FromDate(45000.5), Variant::FromDate(NullDate), Variant::FromDate(1.0), Variant("abc"),
        Variant(""), Variant("ABC"), Variant("äpfel"), Variant::FromWideString("abc"),
        Variant::FromWideString("zz"), Variant("1"), Variant::Array({}), Variant::Array({Variant(1)}),
        Variant::Array({Variant(1), Variant("x")}), Variant::Array({Variant(1.0), Variant(2)}),
        Variant::Array({Variant::Null()}), Variant::Array({Variant::Array({Variant(3)})}),
        // Neighbours of decimal currency values and of integers beyond 2^53.
        Variant(Currency{12345}), Variant(1.2345), Variant(std::nextafter(1.2345, 2.0)),
        Variant(std::nextafter(1.2345, 0.0)), Variant(Currency{-70000}), Variant(-7.0),
        Variant(std::nextafter(-7.0, 0.0)), Variant(Currency{std::int64_t{1} << 60}),
        Variant(std::ldexp(1.0, 60) / 10000.0), Variant(two53 - 1), Variant(9007199254740991.0),
        Variant(std::nextafter(9007199254740992.0, 1e300)),
    };
}

TEST(VariantOrder, IsAStrictWeakOrderingOnMixedTypes)
{
    const std::vector<Variant> s = MixedSample();
    const std::size_t n = s.size();
    for (std::size_t i = 0; i < n; ++i) {
        EXPECT_FALSE(s[i] < s[i]) << i;
        EXPECT_TRUE(s[i] == s[i]) << i;
        for (std::size_t j = 0; j < n; ++j) {
            const int ij = Variant::Compare(s[i], s[j]);
            ASSERT_EQ(ij, -Variant::Compare(s[j], s[i])) << i << " " << j;
            ASSERT_EQ(ij == 0, s[i] == s[j]);
            for (std::size_t k = 0; k < n; ++k) {
                const int jk = Variant::Compare(s[j], s[k]);
                const int ik = Variant::Compare(s[i], s[k]);
                if (ij < 0 && jk < 0) {
                    ASSERT_LT(ik, 0) << i << " " << j << " " << k;
                }
                if (ij == 0 && jk == 0) {
                    ASSERT_EQ(ik, 0) << i << " " << j << " " << k;
                }
            }
        }
    }
}

TEST(VariantOrder, SortsMixedTypesIntoTheDocumentedGroups)
{
    std::vector<Variant> s = MixedSample();
    std::mt19937 rng(1);
    std::shuffle(s.begin(), s.end(), rng);
    std::sort(s.begin(), s.end());
    ASSERT_TRUE(std::is_sorted(s.begin(), s.end()));
    EXPECT_TRUE(s[0].IsEmpty());
    EXPECT_TRUE(s[1].IsNull());
    EXPECT_TRUE(std::isnan(s[2].AsDouble()));   // NaN sits first among the numbers
    EXPECT_TRUE(std::isnan(s[3].AsDouble()));
    EXPECT_EQ(s[4].AsDouble(), -kInf);
    EXPECT_TRUE(s.back().IsArray());
    const auto firstString = std::find_if(s.begin(), s.end(), [](const Variant& v) { return v.IsString(); });
    EXPECT_TRUE(std::all_of(firstString, s.end(), [](const Variant& v) { return v.IsString() || v.IsArray(); }));
    EXPECT_TRUE(std::none_of(s.begin(), firstString, [](const Variant& v) { return v.IsString(); }));
}

TEST(VariantOrder, ComparesNumbersByExactValueAcrossTypes)
{
    const std::int64_t two53 = std::int64_t{1} << 53;
    EXPECT_EQ(Variant(1), Variant(1.0));
    EXPECT_EQ(Variant(1), Variant(Currency{10000}));
    EXPECT_EQ(Variant(1.5), Variant(Currency{15000}));
    EXPECT_EQ(Variant(-1), Variant(true));           // True is -1
    EXPECT_EQ(Variant(0), Variant(false));
    EXPECT_EQ(Variant::FromByte(7), Variant::FromSmallint(7));
    EXPECT_EQ(Variant::FromDate(2.0), Variant(2));
    // Beyond 2^53 a double cannot hold every integer; the order must still be exact.
    EXPECT_LT(Variant(9007199254740992.0), Variant(two53 + 1));
    EXPECT_EQ(Variant(9007199254740992.0), Variant(two53));
    EXPECT_GT(Variant(9223372036854775808.0), Variant(std::numeric_limits<std::int64_t>::max()));
    EXPECT_EQ(Variant(-9223372036854775808.0), Variant(std::numeric_limits<std::int64_t>::min()));
    // Currency against doubles that are not exact decimals.
    EXPECT_GT(Variant(0.1), Variant(Currency{1000}));     // 0.1 is slightly above 1/10
    EXPECT_LT(Variant(0.00009999), Variant(Currency{1}));
    EXPECT_GT(Variant(1e-300), Variant(Currency{0}));
    EXPECT_LT(Variant(-1e-300), Variant(Currency{0}));
    EXPECT_LT(Variant(-0.5), Variant(Currency{-4999}));
    EXPECT_EQ(Variant(0.0), Variant(-0.0));
    EXPECT_EQ(Variant(kNaN), Variant::FromSingle(std::nanf("")));
    EXPECT_LT(Variant(kNaN), Variant(-kInf));
    EXPECT_GT(Variant(kNaN), Variant::Null());
    EXPECT_LT(Variant(1e300), Variant(""));
}

TEST(VariantOrder, ComparesStringsBinaryAndArraysElementWise)
{
    EXPECT_EQ(Variant("abc"), Variant::FromWideString("abc"));
    EXPECT_LT(Variant("ABC"), Variant("abc"));
    EXPECT_LT(Variant("Zebra"), Variant("Ärger"));   // binary UTF-8, not collation
    EXPECT_LT(Variant::Array({Variant(1)}), Variant::Array({Variant(1), Variant(0)}));
    EXPECT_LT(Variant::Array({Variant(1), Variant(9)}), Variant::Array({Variant(2)}));
    EXPECT_EQ(Variant::Array({Variant(1), Variant("a")}), Variant::Array({Variant(1.0), Variant::FromWideString("a")}));
}

TEST(VariantType, ReportsThePlatformTypeCodes)
{
    EXPECT_EQ(Variant().VarType(), 0);
    EXPECT_EQ(Variant::Null().VarType(), 1);
    EXPECT_EQ(Variant::FromSmallint(1).VarType(), 2);
    EXPECT_EQ(Variant(1).VarType(), 3);
    EXPECT_EQ(Variant::FromSingle(1).VarType(), 4);
    EXPECT_EQ(Variant(1.0).VarType(), 5);
    EXPECT_EQ(Variant(Currency{}).VarType(), 6);
    EXPECT_EQ(Variant::FromDate(1).VarType(), 7);
    EXPECT_EQ(Variant::FromWideString("x").VarType(), 8);
    EXPECT_EQ(Variant(true).VarType(), 11);
    EXPECT_EQ(Variant::FromByte(1).VarType(), 17);
    EXPECT_EQ(Variant(std::int64_t{1}).VarType(), 20);
    EXPECT_EQ(Variant("x").VarType(), 256);
    EXPECT_EQ(Variant::Array({}).VarType(), 0x200C);
    EXPECT_EQ(Variant(3000000000u).VarType(), varInt64);
    EXPECT_EQ(Variant(5u).VarType(), varInteger);
    EXPECT_TRUE(Variant(Currency{}).IsNumeric());
    EXPECT_FALSE(Variant(true).IsNumeric());
    EXPECT_THROW(Variant(1).Elements(), EVariantError);
    EXPECT_EQ(Variant::Array({Variant(1), Variant("a")}).Elements().size(), 2u);
}

TEST(VariantConvert, EmptyGivesZeroAndNullRaises)
{
    EXPECT_EQ(Variant().AsInteger(), 0);
    EXPECT_EQ(Variant().AsDouble(), 0.0);
    EXPECT_EQ(Variant().AsString(), "");
    EXPECT_FALSE(Variant().AsBoolean());
    EXPECT_EQ(test::MessageOf<EConvertError>([&] { (void)Variant::Null().AsInteger(); }),
              "Could not convert variant of type (Null) into type (Integer)");
    EXPECT_THROW((void)Variant::Null().AsString(), EConvertError);
    EXPECT_THROW((void)Variant::Null().AsDate(), EConvertError);
    EXPECT_EQ(VarToStr(Variant::Null()), "");
}

TEST(VariantConvert, IntegersRoundAndRejectOutOfRange)
{
    EXPECT_EQ(Variant(2.5).AsInteger(), 2);          // ties to even, as the platform rounds
    EXPECT_EQ(Variant(3.5).AsInteger(), 4);
    EXPECT_EQ(Variant(-2.7).AsInteger(), -3);
    EXPECT_EQ(Variant(Currency{25000}).AsInteger(), 2);
    EXPECT_EQ(Variant(Currency{-35000}).AsInteger(), -4);
    EXPECT_EQ(Variant(true).AsInteger(), -1);
    EXPECT_EQ(Variant("42").AsInteger(), 42);
    EXPECT_EQ(Variant("4,5").AsInteger(), 4);
    EXPECT_EQ(Variant(std::int64_t{2147483647}).AsInteger(), 2147483647);
    EXPECT_THROW((void)Variant(std::int64_t{2147483648}).AsInteger(), EConvertError);
    EXPECT_THROW((void)Variant(3e9).AsInteger(), EConvertError);
    EXPECT_THROW((void)Variant(kNaN).AsInteger(), EConvertError);
    EXPECT_THROW((void)Variant(kInf).AsInt64(), EConvertError);
    EXPECT_THROW((void)Variant(9223372036854775808.0).AsInt64(), EConvertError);
    EXPECT_EQ(Variant(-9223372036854775808.0).AsInt64(), std::numeric_limits<std::int64_t>::min());
    EXPECT_THROW((void)Variant("abc").AsInteger(), EConvertError);
    EXPECT_THROW((void)Variant("99999999999").AsInteger(), EConvertError);
    EXPECT_THROW((void)Variant::Array({Variant(1)}).AsInteger(), EConvertError);
}

TEST(VariantConvert, FloatsCurrencyAndDates)
{
    EXPECT_EQ(Variant("1,5").AsDouble(), 1.5);
    EXPECT_THROW((void)Variant("1.5").AsDouble(), EConvertError);   // German locale
    EXPECT_EQ(Variant(Currency{12345}).AsDouble(), 1.2345);
    EXPECT_EQ(Variant(1.23456).AsCurrency(), Currency{12346});
    EXPECT_EQ(Variant(-1.23455).AsCurrency(), Currency{-12346});
    EXPECT_EQ(Variant(7).AsCurrency(), Currency{70000});
    EXPECT_THROW((void)Variant(1e300).AsCurrency(), EConvertError);
    EXPECT_THROW((void)Variant(std::numeric_limits<std::int64_t>::max()).AsCurrency(), EConvertError);
    EXPECT_EQ(Variant("05.03.2024").AsDate(), EncodeDate(2024, 3, 5));
    EXPECT_THROW((void)Variant("gestern").AsDate(), EConvertError);
    EXPECT_EQ(Variant(1.25).AsDate(), 1.25);
    EXPECT_EQ(Currency::FromDouble(0.00005).Value, 1);
    EXPECT_EQ(Currency::FromDouble(-2.5).ToDouble(), -2.5);
}

TEST(VariantConvert, BooleansAndStrings)
{
    EXPECT_TRUE(Variant("True").AsBoolean());
    EXPECT_FALSE(Variant("false").AsBoolean());
    EXPECT_TRUE(Variant("2").AsBoolean());
    EXPECT_TRUE(Variant(Currency{1}).AsBoolean());
    EXPECT_FALSE(Variant(0.0).AsBoolean());
    EXPECT_THROW((void)Variant("vielleicht").AsBoolean(), EConvertError);

    EXPECT_EQ(Variant(1.5).AsString(), "1,5");
    EXPECT_EQ(Variant(0.1 + 0.2).AsString(), "0,3");
    EXPECT_EQ(Variant::FromSingle(0.1f).AsString(), "0,1");
    EXPECT_EQ(Variant(-42).AsString(), "-42");
    EXPECT_EQ(Variant(Currency{12345}).AsString(), "1,2345");
    EXPECT_EQ(Variant(Currency{-5000}).AsString(), "-0,5");
    EXPECT_EQ(Variant(true).AsString(), "True");
    EXPECT_EQ(Variant::FromDate(EncodeDate(2024, 2, 29)).AsString(), "29.02.2024");
    EXPECT_EQ(Variant::FromDate(EncodeDate(2024, 2, 29) + EncodeTime(13, 45, 0, 0)).AsString(),
              "29.02.2024 13:45:00");
    EXPECT_EQ(Variant::FromWideString("Grüße").AsString(), "Grüße");
    {
        TFormatSettings english;
        english.DecimalSeparator = '.';
        LocaleScope scope(english);
        EXPECT_EQ(Variant(1.5).AsString(), "1.5");
        EXPECT_EQ(Variant("2.25").AsDouble(), 2.25);
    }
    EXPECT_EQ(Variant(1.5).AsString(), "1,5");
}

TEST(VariantValue, CopiesOfArraysAreIndependentValues)
{
    Variant a = Variant::Array({Variant(1), Variant("x")});
    Variant b = a;
    a = Variant(5);
    ASSERT_TRUE(b.IsArray());
    EXPECT_EQ(b.Elements()[1], Variant("x"));
}

} // namespace
} // namespace qel
