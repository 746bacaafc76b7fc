#include "platform/core/Locale.h"
#include "platform/core/detail/LocaleDigits.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace qel {
namespace {

// Every test starts from the German defaults, whatever an earlier test did.
class LocaleTest : public ::testing::Test {
protected:
    LocaleScope m_scope;
};

TFormatSettings English()
{
    TFormatSettings s;
    s.DecimalSeparator = '.';
    s.ThousandSeparator = ',';
    s.DateSeparator = '/';
    s.ShortDateFormat = "mm/dd/yyyy";
    return s;
}

TEST_F(LocaleTest, GermanDefaults)
{
    const TFormatSettings& fs = FormatSettings();
    EXPECT_EQ(fs.DecimalSeparator, ',');
    EXPECT_EQ(fs.ThousandSeparator, '.');
    EXPECT_EQ(fs.ShortDateFormat, "dd.MM.yyyy");
    EXPECT_EQ(fs.LongDateFormat, "dddd, d. MMMM yyyy");
    EXPECT_TRUE(fs.TimeLeadingZero);
    EXPECT_EQ(fs.LongTimeFormat, "hh:nn:ss");
    EXPECT_EQ(fs.LongMonthNames[0], "Januar");
    EXPECT_EQ(fs.LongMonthNames[11], "Dezember");
    EXPECT_EQ(fs.ShortMonthNames[11], "Dez");
    EXPECT_EQ(fs.LongDayNames[0], "Sonntag");
    EXPECT_EQ(fs.ShortDayNames[6], "Sa");
    EXPECT_TRUE(fs.MeasureMetric);
}

TEST_F(LocaleTest, LocaleScopeRestoresTheSettings)
{
    {
        LocaleScope english(English());
        EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1,234.50");
        FormatSettings().MeasureMetric = false;
    }
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1.234,50");
    EXPECT_TRUE(FormatSettings().MeasureMetric);
}

TEST_F(LocaleTest, FormatFloatPlaceholdersAndSeparators)
{
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1.234,50");
    EXPECT_EQ(FormatFloat("#,##0.00", -1234567.891), "-1.234.567,89");
    EXPECT_EQ(FormatFloat("#,##0", 1e20), "100.000.000.000.000.000.000");
    EXPECT_EQ(FormatFloat("#,##0", 999.5), "1.000");
    EXPECT_EQ(FormatFloat("000", 7), "007");
    EXPECT_EQ(FormatFloat("0", 1234), "1234");
    EXPECT_EQ(FormatFloat("0.##", 1), "1");
    EXPECT_EQ(FormatFloat("0.##", 1.5), "1,5");
    EXPECT_EQ(FormatFloat("0.0#", 1), "1,0");
    EXPECT_EQ(FormatFloat("#.##", 0.5), ",5");
    EXPECT_EQ(FormatFloat("#", 0), "");
    EXPECT_EQ(FormatFloat("", 1.5), "1,5");
}

TEST_F(LocaleTest, FormatFloatRoundsHalfAwayFromZero)
{
    EXPECT_EQ(FormatFloat("0", 0.5), "1");
    EXPECT_EQ(FormatFloat("0", 2.5), "3");
    EXPECT_EQ(FormatFloat("0", -0.5), "-1");
    EXPECT_EQ(FormatFloat("0.00", 0.125), "0,13");
    EXPECT_EQ(FormatFloat("0.00", 1.005), "1,01");     // the decimal the user typed, not its binary neighbour
    EXPECT_EQ(FormatFloat("0.00", 2.675), "2,68");
    EXPECT_EQ(FormatFloat("0.000", -2.0005), "-2,001");
    EXPECT_EQ(FormatFloat("0.00", 9.995), "10,00");
}

TEST_F(LocaleTest, FormatFloatNeverShowsNegativeZero)
{
    EXPECT_EQ(FormatFloat("0.00", -0.0), "0,00");
    EXPECT_EQ(FormatFloat("0.00", -0.001), "0,00");
    EXPECT_EQ(FormatFloat("0", -0.4), "0");
    EXPECT_EQ(FormatFloat("0.00;(0.00)", -0.001), "0,00");
}

TEST_F(LocaleTest, FormatFloatSections)
{
    const std::string fmt = "#,##0.00;(#,##0.00);'Null'";
    EXPECT_EQ(FormatFloat(fmt, 1234.5), "1.234,50");
    EXPECT_EQ(FormatFloat(fmt, -1234.5), "(1.234,50)");
    EXPECT_EQ(FormatFloat(fmt, 0), "Null");
    EXPECT_EQ(FormatFloat(fmt, 0.004), "Null");
    EXPECT_EQ(FormatFloat("0.00;;'nichts'", -3), "-3,00");    // empty negative section: first one with sign
    EXPECT_EQ(FormatFloat("0;-0;", 0), "0");                  // empty zero section: first one
    EXPECT_EQ(FormatFloat("'a;b' 0", 5), "a;b 5");             // ';' inside quotes is not a separator
    EXPECT_EQ(FormatFloat("0;'minus'", -5), "minus");         // a section of pure text shows no digits
}

TEST_F(LocaleTest, FormatFloatSummaryPictures)
{
    // The group-row and footer pictures of grid summaries: letters, '=' and
    // brackets are literal text; the negative section brings its own sign.
    EXPECT_EQ(FormatFloat("(SUM=0.00);(SUM=-0.00)", 12.5), "(SUM=12,50)");
    EXPECT_EQ(FormatFloat("(SUM=0.00);(SUM=-0.00)", -3), "(SUM=-3,00)");
    EXPECT_EQ(FormatFloat("(COUNT=0)", 7), "(COUNT=7)");
    EXPECT_EQ(FormatFloat("0", 7), "7");
    EXPECT_EQ(FormatFloat("MIN=0.00;MIN=-0.00", -1.5), "MIN=-1,50");
    EXPECT_EQ(FormatFloat("MAX=0.00;MAX=-0.00", 1234567.125), "MAX=1234567,13");
    EXPECT_EQ(FormatFloat("(AVG=0.00);(AVG=-0.00)", 2.0 / 3.0), "(AVG=0,67)");
    EXPECT_EQ(FormatFloat("0.00;-0.00", -0.001), "0,00");
}

TEST_F(LocaleTest, FormatFloatLiteralsAndScientific)
{
    EXPECT_EQ(FormatFloat("\"EUR \"#,##0.00", 1234.5), "EUR 1.234,50");
    EXPECT_EQ(FormatFloat("0 'kg'", 12), "12 kg");
    EXPECT_EQ(FormatFloat("0 %", 50), "50 %");
    EXPECT_EQ(FormatFloat("0.00E+00", 1234.5), "1,23E+03");
    EXPECT_EQ(FormatFloat("0.0E-00", 0.000123), "1,2E-04");
    EXPECT_EQ(FormatFloat("0.0E-0", 1234), "1,2E3");
    EXPECT_EQ(FormatFloat("0.00E+00", -0.0), "0,00E+00");
    EXPECT_EQ(FormatFloat("0.00E+00", 9.999), "1,00E+01");
    EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(FormatFloat("0.00", -std::numeric_limits<double>::infinity()), "-INF");
}

TEST_F(LocaleTest, CurrencyTextPlacesTheCurrencyStringAsTheFormatCodesSay)
{
    EXPECT_EQ(FormatSettings().CurrencyString, "\u20AC");
    EXPECT_EQ(CurrencyText(Currency::FromDouble(1234.5)), "1.234,50 \u20AC");
    EXPECT_EQ(CurrencyText(-1234.5), "-1.234,50 \u20AC");
    // An amount that rounds to zero has no sign, whichever way it arrives.
    EXPECT_EQ(CurrencyText(-0.001), "0,00 \u20AC");
    EXPECT_EQ(CurrencyText(Currency{-10}), "0,00 \u20AC");
    EXPECT_EQ(CurrencyText(std::numeric_limits<double>::infinity()), "INF");

    TFormatSettings& fs = FormatSettings();
    fs.CurrencyString = "$";
    const char* const positive[] = {"$1,50", "1,50$", "$ 1,50", "1,50 $"};
    for (int code = 0; code < 4; ++code) {
        fs.CurrencyFormat = code;
        EXPECT_EQ(CurrencyText(1.5), positive[code]) << code;
    }
    const char* const negative[] = {"($1,50)", "-$1,50", "$-1,50", "$1,50-", "(1,50$)", "-1,50$",
                                    "1,50-$", "1,50$-", "-1,50 $", "-$ 1,50", "1,50 $-", "$ 1,50-",
                                    "$ -1,50", "1,50- $", "($ 1,50)", "(1,50 $)"};
    for (int code = 0; code < 16; ++code) {
        fs.NegCurrFormat = code;
        EXPECT_EQ(CurrencyText(Currency::FromDouble(-1.5)), negative[code]) << code;
    }
    fs.CurrencyDecimals = 0;
    EXPECT_EQ(CurrencyText(2.5), "3 $");
}

TEST_F(LocaleTest, ImpossibleCurrencySettingsAreRefused)
{
    TFormatSettings& fs = FormatSettings();
    fs.CurrencyFormat = 4;
    EXPECT_THROW(CurrencyText(1.0), EConvertError);
    EXPECT_EQ(CurrencyText(-1.0), "-1,00 \u20AC") << "only the positive code is used for a negative amount";
    fs.CurrencyFormat = 3;
    fs.NegCurrFormat = -1;
    EXPECT_THROW(CurrencyText(-1.0), EConvertError);
    fs.NegCurrFormat = 8;
    fs.CurrencyDecimals = 19;
    EXPECT_THROW(CurrencyText(1.0), EConvertError);
}

TEST_F(LocaleTest, FormatCurrKeepsEveryDigitOfTheFixedPointValue)
{
    const Currency max{std::numeric_limits<std::int64_t>::max()};
    const Currency min{std::numeric_limits<std::int64_t>::min()};
    // A double holds about 15 digits; these values have 19.
    EXPECT_EQ(FormatCurr("0.0000", max), "922337203685477,5807");
    EXPECT_EQ(FormatCurr("#,##0.00", min), "-922.337.203.685.477,58");
    EXPECT_EQ(CurrencyText(min), "-922.337.203.685.477,58 \u20AC");
    EXPECT_EQ(FormatCurr("0.00;(0.00);'nil'", Currency{-12345}), "(1,23)");
    EXPECT_EQ(FormatCurr("0.00;(0.00);'nil'", Currency{-49}), "nil");
    EXPECT_EQ(FormatCurr("", Currency{15000}), "1,5") << "no picture: as CurrToStr";
    EXPECT_EQ(FormatCurr("0.00", Currency{1005}), "0,10") << "half away from zero on the exact value";
}

TEST_F(LocaleTest, FloatToStrGeneralFormat)
{
    EXPECT_EQ(FloatToStr(1.5), "1,5");
    EXPECT_EQ(FloatToStr(-0.25), "-0,25");
    EXPECT_EQ(FloatToStr(100), "100");
    EXPECT_EQ(FloatToStr(0.1 + 0.2), "0,3");
    EXPECT_EQ(FloatToStr(1e20), "1E20");
    EXPECT_EQ(FloatToStr(1.5e-10), "1,5E-10");
    EXPECT_EQ(FloatToStr(0), "0");
    EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
}

// The general layout spelled out from the exact decimal digits, as the
// picture formats read them: what FloatToStrGeneral must write for every value.
std::string GeneralFromDecimal(double Value, int Precision)
{
    if (!std::isfinite(Value))
        return detail::SpecialFloat(Value);
    if (Value == 0)
        return "0";
    const detail::Decimal d = detail::ScientificDecimal(Value, Precision);
    const std::string dec(1, FormatSettings().DecimalSeparator);
    const std::string sign = Value < 0 ? "-" : "";
    if (d.Exp > Precision || d.Exp < -4)
        return sign + d.Digits.substr(0, 1) + (d.Digits.size() > 1 ? dec + d.Digits.substr(1) : "") + "E" +
               std::to_string(d.Exp - 1);
    const std::string ip = detail::IntegerDigits(d);
    const int fracLen = static_cast<int>(d.Digits.size()) - d.Exp;
    return sign + (ip.empty() ? "0" : ip) + (fracLen > 0 ? dec + detail::FractionDigits(d, fracLen) : "");
}

TEST_F(LocaleTest, FloatToStrGeneralMatchesTheDecimalDigitsEverywhere)
{
    std::vector<double> values = {0.0, -0.0, 1, -1, 0.1, 0.5, 0.25, 1e-4, 9.99999e-5, 1e-5, 0.0001234, 123456789012345.0,
                                  1234567890123456.0, 999999999999999.0, 9999999999999999.0, 1e15, 1e16, 1e17, 1e-300,
                                  5e-324, std::numeric_limits<double>::max(), std::numeric_limits<double>::min(),
                                  std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(), 0.1 + 0.2, 2.675, 1.005, 99.5, 0.95};
    std::mt19937_64 random(21);
    std::uniform_real_distribution<double> unit(-1, 1);
    std::uniform_int_distribution<int> power(-30, 30);
    for (int i = 0; i < 20000; ++i)
        values.push_back(unit(random) * std::pow(10.0, power(random)));
    for (int i = 0; i < 2000; ++i) {
        values.push_back(i * 0.25);
        values.push_back(i / 3.0);
        values.push_back(-i / 7.0);
    }
    // Halfway between two 15-digit neighbours, and one binary step either side:
    // where the cut-off digits alone cannot tell which way to round.
    for (int i = 1; i < 3000; ++i) {
        const double mid = (std::floor(unit(random) * 1e14) + 0.5) * std::pow(10.0, power(random) - 14);
        values.insert(values.end(), {mid, std::nextafter(mid, 0.0), std::nextafter(mid, 1e300)});
    }
    // Decimals of up to ten places and up to 16 digits, as prices and measures are,
    // and their binary neighbours, which only look like them.
    std::uniform_int_distribution<int> places(0, 10);
    std::uniform_int_distribution<int> length(1, 16);
    for (int i = 0; i < 6000; ++i) {
        const double whole = std::floor(std::fabs(unit(random)) * std::pow(10.0, length(random)));
        const double v = (i % 2 ? -whole : whole) / std::pow(10.0, places(random));
        values.insert(values.end(), {v, std::nextafter(v, 0.0), std::nextafter(v, 1e300), std::nextafter(v, -1e300)});
    }
    // Random bit patterns reach subnormals, huge exponents and NaNs with payloads.
    for (int i = 0; i < 5000; ++i) {
        const std::uint64_t bits = random();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        values.push_back(v);
    }
    for (const char separator : {',', '.'}) {
        FormatSettings().DecimalSeparator = separator;
        for (const int precision : {15, 7, 1, 2, 17})
            for (const double v : values)
                ASSERT_EQ(FloatToStrGeneral(v, precision), GeneralFromDecimal(v, precision))
                    << "value " << std::hexfloat << v << " precision " << precision;
    }
}

TEST_F(LocaleTest, StrToIntIsStrict)
{
    EXPECT_EQ(StrToInt("123"), 123);
    EXPECT_EQ(StrToInt("-123"), -123);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_EQ(StrToInt(" 42 "), 42);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("0x10"), 16);
    EXPECT_EQ(StrToInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
    for (const char* bad : {"", " ", "abc", "12a", "1.0", "1,0", "2147483648", "-2147483649", "--1", "$", "1 2"})
        EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
    EXPECT_EQ(test::MessageOf<EConvertError>([] { StrToInt("abc"); }), "'abc' is not a valid integer value");
    EXPECT_EQ(StrToIntDef("x", -5), -5);
    EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
}

TEST_F(LocaleTest, StrToFloatUsesOnlyTheLocaleDecimalSeparator)
{
    EXPECT_EQ(StrToFloat("1,5"), 1.5);
    EXPECT_EQ(StrToFloat("-1,5E3"), -1500);
    EXPECT_EQ(StrToFloat(",5"), 0.5);
    EXPECT_EQ(StrToFloat(" 12 "), 12);
    EXPECT_EQ(StrToFloat("1e-400"), 0.0);   // underflow is just a tiny number
    for (const char* bad : {"", "abc", "1.5", "1.234,5", "1,5x", "1e", "e5", "1e400", "INF", "NAN", ","})
        EXPECT_THROW(StrToFloat(bad), EConvertError) << bad;
    EXPECT_EQ(test::MessageOf<EConvertError>([] { StrToFloat("1.5"); }), "'1.5' is not a valid floating point value");
    double v = 0;
    EXPECT_FALSE(TryStrToFloat("x", v));
    LocaleScope english(English());
    EXPECT_EQ(StrToFloat("1.5"), 1.5);
    EXPECT_THROW(StrToFloat("1,5"), EConvertError);
}

TEST_F(LocaleTest, FormatDirectives)
{
    EXPECT_EQ(Format("%d Zeilen", {5}), "5 Zeilen");
    EXPECT_EQ(Format("[%5d|%-5d]", {42, 42}), "[   42|42   ]");
    EXPECT_EQ(Format("%.3d", {7}), "007");
    EXPECT_EQ(Format("%d", {-7}), "-7");
    EXPECT_EQ(Format("%x", {255}), "FF");
    EXPECT_EQ(Format("%.4x", {255}), "00FF");
    EXPECT_EQ(Format("%x", {-1}), "FFFFFFFF");
    EXPECT_EQ(Format("%f", {1.0}), "1,00");
    EXPECT_EQ(Format("%.2f", {1234.5}), "1234,50");
    EXPECT_EQ(Format("%8.2f|", {3.14159}), "    3,14|");
    EXPECT_EQ(Format("%.0f", {2.5}), "3");
    EXPECT_EQ(Format("%n", {1234567.5}), "1.234.567,50");
    EXPECT_EQ(Format("%s und %s", {"Äpfel", Variant::FromWideString("Birnen")}), "Äpfel und Birnen");
    EXPECT_EQ(Format("%.3s|%-6s|%6s", {"abcdef", "äö", "äö"}), "abc|äö    |    äö");
    EXPECT_EQ(Format("100%%", {}), "100%");
    EXPECT_EQ(Format("%e", {1234.5}), "1,23450000000000E+003");
}

TEST_F(LocaleTest, FormatRejectsBadDirectivesAndArguments)
{
    EXPECT_THROW(Format("%d", {"abc"}), EConvertError);
    EXPECT_THROW(Format("%d", {1.5}), EConvertError);
    EXPECT_THROW(Format("%f", {"1,5"}), EConvertError);
    EXPECT_THROW(Format("%d %d", {1}), EConvertError);
    EXPECT_THROW(Format("%q", {1}), EConvertError);
    EXPECT_THROW(Format("abc %", {}), EConvertError);
    EXPECT_EQ(test::MessageOf<EConvertError>([] { Format("%d", {}); }), "Format '%d' invalid or incompatible with argument");
}

TEST_F(LocaleTest, DateEncodingFollowsThePlatformEpoch)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(1900, 2, 29), EConvertError);
    EXPECT_NO_THROW(EncodeDate(2000, 2, 29));
    EXPECT_THROW(EncodeDate(2024, 13, 1), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(1, 60, 0, 0), EConvertError);

    for (int day = -700000; day <= 2958465; day += 997) {
        int y = 0, m = 0, d = 0;
        DecodeDate(day, y, m, d);
        TDateTime back = 0;
        if (y >= 1 && y <= 9999) {
            ASSERT_TRUE(TryEncodeDate(y, m, d, back)) << day;
            ASSERT_EQ(back, day);
        }
    }
}

TEST_F(LocaleTest, DecodingNegativeDatesAndRounding)
{
    int y = 0, m = 0, d = 0, h = 0, n = 0, s = 0, ms = 0;
    DecodeDate(-1.25, y, m, d);
    DecodeTime(-1.25, h, n, s, ms);
    EXPECT_EQ((std::array{y, m, d, h, n}), (std::array{1899, 12, 29, 6, 0}));
    EXPECT_EQ(ComposeDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 0)), -1.25);
    // Just before midnight rounds to the next day, and date and time agree on it.
    const TDateTime almost = EncodeDate(2024, 3, 5) + 0.99999999999;
    DecodeDate(almost, y, m, d);
    DecodeTime(almost, h, n, s, ms);
    EXPECT_EQ((std::array{y, m, d, h, n, s, ms}), (std::array{2024, 3, 6, 0, 0, 0, 0}));
    // The one-pass decoding gives what the two give.
    for (const TDateTime v : {-1.25, almost, -693593.5, NullDate - 0.25, 45356.0 + 50829.123 / 86400.0}) {
        std::array<int, 7> one{}, two{};
        DecodeDateTime(v, one[0], one[1], one[2], one[3], one[4], one[5], one[6]);
        DecodeDate(v, two[0], two[1], two[2]);
        DecodeTime(v, two[3], two[4], two[5], two[6]);
        EXPECT_EQ(one, two) << v;
    }
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 5)), 3);   // Tuesday
    EXPECT_THROW(DecodeDate(std::numeric_limits<double>::quiet_NaN(), y, m, d), EConvertError);
    EXPECT_NO_THROW(FormatDateTime("dd.mm.yyyy", NullDate));
}

TEST_F(LocaleTest, DaysBeforeYearOneDecodeAndFormatAsZeros)
{
    int y = -1, m = -1, d = -1, h = 0, n = 0, s = 0, ms = 0;
    DecodeDate(NullDate, y, m, d);
    EXPECT_EQ((std::array{y, m, d}), (std::array{0, 0, 0}));
    DecodeDate(-693594, y, m, d);   // 31.12. of year 0
    EXPECT_EQ((std::array{y, m, d}), (std::array{0, 0, 0}));
    // The day number counts, not the sign of the fraction: this is 01.01.0001 12:00.
    DecodeDate(-693593.5, y, m, d);
    DecodeTime(-693593.5, h, n, s, ms);
    EXPECT_EQ((std::array{y, m, d, h}), (std::array{1, 1, 1, 12}));
    DecodeTime(NullDate - 0.25, h, n, s, ms);
    EXPECT_EQ(h, 6);

    EXPECT_EQ(FormatDateTime("dd.mm.yyyy", NullDate), "00.00.0000");
    EXPECT_EQ(FormatDateTime("d.m.yy hh:nn", NullDate - 0.5), "0.0.00 12:00");
    EXPECT_EQ(FormatDateTime("[ddd mmm mmmm dddd]", NullDate), "[   ]");
    EXPECT_EQ(DateToStr(NullDate), "00.00.0000");
    EXPECT_EQ(LocaleFormatDate("dd.MM.yyyy[MMM dddd]", NullDate), "00.00.0000[ ]");
    EXPECT_EQ(FormatDateTime("dd.mm.yyyy", -693593), "01.01.0001");

    TDateTime v = 0;
    EXPECT_FALSE(TryEncodeDate(0, 0, 0, v));
    EXPECT_THROW(EncodeDate(0, 12, 31), EConvertError);
    EXPECT_THROW(EncodeDate(-17, 6, 18), EConvertError);
}

TEST_F(LocaleTest, FormatDateTimePictures)
{
    const TDateTime t = EncodeDate(2024, 3, 5) + EncodeTime(7, 8, 9, 10);
    EXPECT_EQ(FormatDateTime("dd.mm.yyyy hh:nn:ss.zzz", t), "05.03.2024 07:08:09.010");
    EXPECT_EQ(FormatDateTime("d.m.yy h:n:s z", t), "5.3.24 7:8:9 10");
    EXPECT_EQ(FormatDateTime("dddd, d. mmmm yyyy", t), "Dienstag, 5. März 2024");
    EXPECT_EQ(FormatDateTime("ddd mmm", t), "Di Mär");
    EXPECT_EQ(FormatDateTime("hh:mm", t), "07:08");          // m after h means minutes
    EXPECT_EQ(FormatDateTime("hh:mm dd/mm", t), "07:08 05.03");
    EXPECT_EQ(FormatDateTime("c", t), "05.03.2024 07:08:09");
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5)), "05.03.2024");
    EXPECT_EQ(FormatDateTime("ddddd", t), "05.03.2024");
    EXPECT_EQ(FormatDateTime("dddddd", t), "Dienstag, 5. März 2024");
    EXPECT_EQ(FormatDateTime("t|tt", t), "07:08|07:08:09");
    EXPECT_EQ(FormatDateTime("'Stand:' dd.mm. \"um\" hh:nn", t), "Stand: 05.03. um 07:08");
    EXPECT_EQ(FormatDateTime("DD.MM.YYYY", t), "05.03.2024");
}

// Every number a picture writes, over years from 1 to 9999 and every part of
// a day, against the decoded parts printed by printf.
TEST_F(LocaleTest, FormatDateTimeNumbersAcrossYearsAndTimesOfDay)
{
    std::mt19937 random(5);
    std::uniform_int_distribution<int> year(1, 9999), month(1, 12), day(1, 28), hour(0, 23), minute(0, 59),
        ms(0, 999);
    std::vector<TDateTime> values = {EncodeDate(1, 1, 1), EncodeDate(9999, 12, 31) + EncodeTime(23, 59, 59, 999),
                                     EncodeDate(1899, 12, 30), EncodeDate(1900, 2, 28), EncodeDate(2000, 2, 29),
                                     EncodeDate(1970, 1, 1) + EncodeTime(12, 0, 0, 0)};
    for (int i = 0; i < 3000; ++i)
        values.push_back(EncodeDate(year(random), month(random), day(random)) +
                         (i % 3 ? EncodeTime(hour(random), minute(random), minute(random), ms(random)) : 0.0));
    for (const TDateTime t : values) {
        int y, mo, d, h, n, sec, z;
        DecodeDate(t, y, mo, d);
        DecodeTime(t, h, n, sec, z);
        char expected[96];
        std::snprintf(expected, sizeof expected, "%02d.%02d.%04d %02d:%02d:%02d.%03d|%d.%d.%02d %d:%d:%d %d", d, mo, y,
                      h, n, sec, z, d, mo, y % 100, h, n, sec, z);
        ASSERT_EQ(FormatDateTime("dd.mm.yyyy hh:nn:ss.zzz|d.m.yy h:n:s z", t), expected);
        std::snprintf(expected, sizeof expected, "%02d%s", h % 12 == 0 ? 12 : h % 12, h < 12 ? "am" : "pm");
        ASSERT_EQ(FormatDateTime("hham/pm", t), expected);
        std::snprintf(expected, sizeof expected, "%02d.%02d.%04d", d, mo, y);
        ASSERT_EQ(DateToStr(t), expected);
    }
}

TEST_F(LocaleTest, FormatDateTimeTwelveHourClock)
{
    const TDateTime morning = EncodeTime(7, 8, 0, 0);
    const TDateTime evening = EncodeTime(19, 5, 0, 0);
    EXPECT_EQ(FormatDateTime("h:nn am/pm", morning), "7:08 am");
    EXPECT_EQ(FormatDateTime("h:nn AM/PM", evening), "7:05 PM");
    EXPECT_EQ(FormatDateTime("hh:nn a/p", evening), "07:05 p");
    EXPECT_EQ(FormatDateTime("h am/pm", EncodeTime(0, 30, 0, 0)), "12 am");
    EXPECT_EQ(FormatDateTime("h am/pm", EncodeTime(12, 0, 0, 0)), "12 pm");
    EXPECT_EQ(FormatDateTime("hh", evening), "19");
}

TEST_F(LocaleTest, FormatDateTimeUsesLocaleSeparators)
{
    LocaleScope english(English());
    FormatSettings().TimeSeparator = '.';
    const TDateTime t = EncodeDate(2024, 3, 5) + EncodeTime(7, 8, 9, 0);
    EXPECT_EQ(FormatDateTime("mm/dd/yyyy hh:nn", t), "03/05/2024 07.08");
    EXPECT_EQ(FormatDateTime("ddddd", t), "03/05/2024");
}

TEST_F(LocaleTest, LocalePicturesFormatDatesAndTimes)
{
    const TDateTime d = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 0);
    const TFormatSettings& fs = FormatSettings();
    EXPECT_EQ(LocaleFormatDate(fs.ShortDateFormat, d), "05.03.2024");
    EXPECT_EQ(LocaleFormatDate(fs.LongDateFormat, d), "Dienstag, 5. März 2024");
    EXPECT_EQ(LocaleFormatDate("d-MMM-yy", d), "5-Mär-24");
    EXPECT_EQ(LocaleFormatDate("yyyy-MM-dd ddd", d), "2024-03-05 Di");
    // Only d, M and y are date pictures: "mm" and time letters stay as they are.
    EXPECT_EQ(LocaleFormatDate("dd.mm.yyyy hh", d), "05.mm.2024 hh");
    EXPECT_EQ(LocaleFormatDate("'Tag' d 'des ''M''' M", d), "Tag 5 des 'M' 3");
    EXPECT_EQ(LocaleFormatDate("d''M", d), "5'3");

    EXPECT_EQ(LocaleFormatTime("HH:mm:ss", d), "14:07:09");
    EXPECT_EQ(LocaleFormatTime("H:m:s", EncodeTime(7, 8, 9, 0)), "7:8:9");
    EXPECT_EQ(LocaleFormatTime("hh:mm tt", d), "02:07 ");   // German has no AM/PM texts
    EXPECT_EQ(LocaleFormatTime("h dd.MM", EncodeTime(0, 30, 0, 0)), "12 dd.MM");
    TFormatSettings english = FormatSettings();
    english.TimeAMString = "AM";
    english.TimePMString = "PM";
    LocaleScope scope(english);
    EXPECT_EQ(LocaleFormatTime("hh:mm tt", d), "02:07 PM");
    EXPECT_EQ(LocaleFormatTime("h:mm t", EncodeTime(9, 5, 0, 0)), "9:05 A");

    // Not a date: an empty text rather than an exception in a page header.
    EXPECT_EQ(LocaleFormatDate("dd.MM.yyyy", std::numeric_limits<double>::quiet_NaN()), "");
    EXPECT_EQ(LocaleFormatTime("HH:mm", 1e300), "");
}

TEST_F(LocaleTest, StrToDateUsesTheShortDateFormat)
{
    EXPECT_EQ(StrToDate("05.03.2024"), EncodeDate(2024, 3, 5));
    EXPECT_EQ(StrToDate(" 5.3.2024 "), EncodeDate(2024, 3, 5));
    EXPECT_EQ(StrToDate("5.3.24"), EncodeDate(2024, 3, 5));
    int y = 0, m = 0, d = 0;
    DecodeDate(StrToDate("24.12."), y, m, d);
    EXPECT_EQ((std::array{m, d}), (std::array{12, 24}));
    for (const char* bad : {"", "31.02.2024", "5.3.2024x", "5/3/2024", "a.b.c", "5", "1.2.3.4", "05.03.20245"})
        EXPECT_THROW(StrToDate(bad), EConvertError) << bad;
    EXPECT_EQ(test::MessageOf<EConvertError>([] { StrToDate("31.02.2024"); }), "'31.02.2024' is not a valid date");
    EXPECT_EQ(StrToDateTime("05.03.2024 07:08:09"), EncodeDate(2024, 3, 5) + EncodeTime(7, 8, 9, 0));
    EXPECT_EQ(StrToTime("07:08"), EncodeTime(7, 8, 0, 0));
    EXPECT_THROW(StrToTime("25:00"), EConvertError);

    LocaleScope english(English());
    EXPECT_EQ(StrToDate("03/05/2024"), EncodeDate(2024, 3, 5));
}

TEST_F(LocaleTest, UnicodeCaseHandling)
{
    EXPECT_EQ(AnsiLowerCase("ÄÖÜ ABC"), "äöü abc");
    // Letter by letter: ß has no single upper-case letter and stays, so an
    // upper-cased text keeps its length and "straße" stays apart from "STRASSE".
    EXPECT_EQ(AnsiUpperCase("äöü straße"), "ÄÖÜ STRAßE");
    EXPECT_EQ(AnsiLowerCase("ÄÖÜ STRAßE"), "äöü straße");
    EXPECT_EQ(AnsiCompareText("äpfel", "ÄPFEL"), 0);
    EXPECT_TRUE(SameText("Über", "üBER"));
    EXPECT_TRUE(SameText("abc", "ABC"));
    EXPECT_FALSE(SameText("abc", "abd"));
    EXPECT_FALSE(SameText("ä", "a"));
    EXPECT_LT(AnsiCompareText("a", "B"), 0);
    EXPECT_LT(AnsiCompareText("Ärger", "Zebra"), 0);   // collation, not byte order
    EXPECT_GT(AnsiCompareText("Zebra", "ärger"), 0);
    EXPECT_NE(AnsiCompareText("ä", "a"), 0);
    EXPECT_NE(AnsiCompareStr("a", "A"), 0);
    EXPECT_EQ(AnsiCompareStr("Ä", "Ä"), 0);
    EXPECT_LT(AnsiCompareStr("Äpfel", "Birne"), 0);
}

TEST_F(LocaleTest, CaseInsensitiveCompareIsConsistentForSorting)
{
    std::vector<std::string> words = {"Äpfel", "apfel", "Apfel", "Zebra", "zebra", "Öl", "Ober", "über",
                                      "Ufer", "Straße", "Strasse", "strasse", "a-b", "ab", "a b", "", "10", "9"};
    for (const auto& a : words)
        for (const auto& b : words) {
            EXPECT_EQ(AnsiCompareText(a, b), -AnsiCompareText(b, a)) << a << " " << b;
            EXPECT_EQ(AnsiCompareText(a, b) == 0, SameText(a, b)) << a << " " << b;
        }
    std::sort(words.begin(), words.end(),
              [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
    EXPECT_TRUE(std::is_sorted(words.begin(), words.end(),
                               [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; }));
}

// Formats come from stored style files and user input; none may crash.
TEST_F(LocaleTest, OddFormatsNeverCrash)
{
    std::mt19937 rng(3);
    const std::string numberChars = "0#.,;E+-e'\" x%";
    const std::string dateChars = "dmyhnsztacDMY/:'\"ap ";
    for (int i = 0; i < 20000; ++i) {
        std::string nf, df;
        const int n = static_cast<int>(rng() % 12);
        for (int k = 0; k < n; ++k) {
            nf += numberChars[rng() % numberChars.size()];
            df += dateChars[rng() % dateChars.size()];
        }
        const double v = std::ldexp(static_cast<double>(static_cast<int>(rng())), static_cast<int>(rng() % 200) - 100);
        EXPECT_NO_THROW(FormatFloat(nf, v)) << nf;
        EXPECT_NO_THROW(FormatDateTime(df, std::fmod(v, 3e6))) << df;
        double parsed = 0;
        TDateTime date = 0;
        (void)TryStrToFloat(nf, parsed);
        (void)TryStrToDateTime(df, date);
    }
}

TEST_F(LocaleTest, TrimStripsBlanksAndControls)
{
    EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
    EXPECT_EQ(TrimLeft("  x "), "x ");
    EXPECT_EQ(TrimRight("  x "), "  x");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim(" Grüße "), "Grüße");
}

TEST(LocaleAsciiCase, LeavesOtherBytesAlone)
{
    // Names and extensions: only A-Z/a-z change, UTF-8 sequences pass through.
    EXPECT_EQ(LowerCase("PNG-Gr\xC3\x96\xC3\x9F" "E"), "png-gr\xC3\x96\xC3\x9F" "e");
    EXPECT_EQ(UpperCase("and\xC3\xA4"), "AND\xC3\xA4");
    EXPECT_TRUE(SameNoCase("Caption", "CAPTION"));
    EXPECT_FALSE(SameNoCase("\xC3\xA4", "\xC3\x84")) << "only ASCII letters fold";
    EXPECT_TRUE(StartsWithNoCase("Ctrl+Shift+A", 5, "shift+"));
    EXPECT_FALSE(StartsWithNoCase("Alt", 1, "LTX"));
    EXPECT_FALSE(StartsWithNoCase("Alt", 9, "")) << "a position past the end holds nothing";
}

} // namespace
} // namespace qel
