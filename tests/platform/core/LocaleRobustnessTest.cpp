// Pictures, format strings and number and date texts from style files and
// user input: every mutated text formats, parses or raises EConvertError;
// none crashes, hangs or builds a runaway text.
#include "platform/core/Locale.h"

#include "fuzz/Mutator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace qel;

namespace {

// A picture of a few dozen characters yields far less than this.
constexpr std::size_t MaxOutput = 4u << 20;

const double kNumbers[] = {0.0, -0.0, 1.5, -1234567.891, 1e308, -1e-308, 4.9e-324, 9.2233720368547758e18,
                           std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity()};
const double kDates[] = {0.0, 45356.5894, -693593.0, -693594.0, 2958465.99999999, 2958466.0, -1.75, 1e300,
                         -1e300, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()};

template <typename F>
void Guard(F f)
{
    try {
        f();
    } catch (const Exception&) {
    }
}

void ExpectBounded(const std::string& s) { EXPECT_LE(s.size(), MaxOutput); }

void Exercise(const std::string& input)
{
    for (double v : kNumbers)
        Guard([&] { ExpectBounded(FormatFloat(input, v)); });
    for (double d : kDates) {
        Guard([&] { ExpectBounded(FormatDateTime(input, d)); });
        Guard([&] { ExpectBounded(LocaleFormatDate(input, d)); });
        Guard([&] { ExpectBounded(LocaleFormatTime(input, d)); });
    }
    // Format strings against arguments that fit them or not.
    Guard([&] { ExpectBounded(Format(input, {})); });
    Guard([&] { ExpectBounded(Format(input, {1, "x", 2.5})); });
    Guard([&] {
        ExpectBounded(Format(input, {std::numeric_limits<std::int64_t>::min(), kNumbers[8], kNumbers[9], Variant(),
                                     Variant::Null(), true, Variant::FromDate(kDates[7]), Currency{-1}}));
    });
    Guard([&] { ExpectBounded(Format(input, {"%s%d", -1e308, Variant::Array({Variant(1)})})); });

    std::int32_t i32 = 0;
    std::int64_t i64 = 0;
    double d = 0;
    TDateTime dt = 0;
    (void)TryStrToInt(input, i32);
    (void)TryStrToInt64(input, i64);
    (void)TryStrToFloat(input, d);
    (void)TryStrToDate(input, dt);
    (void)TryStrToDateTime(input, dt);
    Guard([&] { (void)StrToInt(input); });
    Guard([&] { (void)StrToFloat(input); });
    Guard([&] { (void)StrToTime(input); });
    Guard([&] { (void)StrToDateTime(input); });
}

// The text as the locale's own short date picture, as a settings file may carry it.
void ExerciseAsShortDateFormat(const std::string& picture)
{
    TFormatSettings settings = FormatSettings();
    settings.ShortDateFormat = picture;
    settings.ShortTimeFormat = picture;
    LocaleScope scope(settings);
    for (double d : kDates)
        Guard([&] { ExpectBounded(DateTimeToStr(d)); });
    TDateTime dt = 0;
    for (const char* text : {"05.03.2024", "2024-03-05", "5/3/24", "12:30", "1.2.3.4.5", "", "99999999999.1.1"})
        (void)TryStrToDateTime(text, dt);
}

const std::vector<std::string> kSamples{
    "#,##0.00;-#,##0.00;0",
    "0.000E+00 'Stück'",
    "\"EUR\" #.###,00;(#);-",
    "dd.mm.yyyy hh:nn:ss.zzz",
    "dddd, d. mmmm yyyy am/pm c t tt ddddd dddddd",
    "'Tag' d 'des ''M''' MMM yy HH:mm:ss tt",
    "%-10.3d|%s|%8.2f|%x|%e|%g|%n|%%|%.15u",
    "05.03.2024 07:08:09",
    "-0x7FFFFFFF",
    "  $FFFFFFFF ",
    "1,5E-3",
    "-9223372036854775808",
};

const std::vector<std::string> kTokens{"0", "#", ".", ",", ";", "E+", "e-", "'", "\"", "%", "%d", "%s", "%.999999f",
                                       "%99999999999d", "%-", "d", "m", "y", "h", "n", "s", "z", "am/pm", "a/p",
                                       "ampm", "c", "/", ":", "dddddd", "MMMM", "tt", "9", "-", "\xE2\x82",
                                       "\xFF", "00000000000000000000"};

} // namespace

TEST(LocaleRobustness, MutatedPicturesAndTextsNeverCrash)
{
    LocaleScope locale;
    test::Mutator mutator(kSamples, test::FuzzSeed(31337u), kTokens);
    for (int i = 0; i < test::FuzzIterations(1500); ++i) {
        const std::string input = mutator.Next();
        SCOPED_TRACE("iteration " + std::to_string(i) + ": " + input.substr(0, 200));
        Exercise(input);
        if (i % 4 == 0)
            ExerciseAsShortDateFormat(input);
        if (::testing::Test::HasFailure())
            break;
    }
}

// A date picture in the settings that names itself ("c" inside the short
// date format) is expanded once, not within itself: its text grows with the
// picture, not with the picture's square.
TEST(LocaleRobustness, SelfNamingSettingsPicturesStayLinear)
{
    TFormatSettings settings = FormatSettings();
    settings.ShortDateFormat = std::string(1000, 'x') + std::string(1000, 'c');
    LocaleScope scope(settings);
    const std::string text = DateTimeToStr(45000.0);
    EXPECT_EQ(text, std::string(1000, 'x'));
    EXPECT_EQ(FormatDateTime("ddddd", 45000.0), text);
    EXPECT_EQ(FormatDateTime("'['c']'", 45000.0), "[" + text + "]");
}

TEST(LocaleRobustness, KeptInputsNeverCrash)
{
    LocaleScope locale;
    for (const auto& [name, input] : test::RegressionInputs("locale")) {
        SCOPED_TRACE(name);
        Exercise(input);
        ExerciseAsShortDateFormat(input);
    }
}
