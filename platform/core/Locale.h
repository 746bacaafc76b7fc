#pragma once
// Locale-dependent formatting and parsing. The process-wide settings start
// with the German defaults the application is used with; tests switch them
// with LocaleScope.
#include "platform/core/Variant.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace qel {

struct TFormatSettings {
    char DecimalSeparator = ',';
    char ThousandSeparator = '.';
    char DateSeparator = '.';
    char TimeSeparator = ':';
    char ListSeparator = ';';
    // Spelled as the platform reports them (month "M", as the locale's own
    // pictures do); FormatDateTime reads either case, LocaleFormatDate only "M".
    std::string ShortDateFormat = "dd.MM.yyyy";
    std::string LongDateFormat = "dddd, d. MMMM yyyy";
    std::string ShortTimeFormat = "hh:nn";
    std::string LongTimeFormat = "hh:nn:ss";
    std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mär", "Apr", "Mai", "Jun",
                                                "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
    std::array<std::string, 12> LongMonthNames{"Januar", "Februar", "März", "April",
                                               "Mai", "Juni", "Juli", "August",
                                               "September", "Oktober", "November", "Dezember"};
    // Index 0 is Sunday.
    std::array<std::string, 7> ShortDayNames{"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
    std::array<std::string, 7> LongDayNames{"Sonntag", "Montag", "Dienstag", "Mittwoch",
                                            "Donnerstag", "Freitag", "Samstag"};
    std::string TimeAMString;
    std::string TimePMString;
    // Two-digit years are placed within this many years of the current year.
    int TwoDigitYearCenturyWindow = 50;
    // Hours with a leading zero (the locale's time leading-zero setting).
    bool TimeLeadingZero = true;
    bool MeasureMetric = true;   // locale measurement: millimetres (false: inches)
    // Money: the currency string, where it goes for a positive amount
    // (CurrencyFormat 0 "€1", 1 "1€", 2 "€ 1", 3 "1 €") and for a negative one
    // (NegCurrFormat 0 "(€1)", 1 "-€1", 2 "€-1", 3 "€1-", 4 "(1€)", 5 "-1€",
    // 6 "1-€", 7 "1€-", 8 "-1 €", 9 "-€ 1", 10 "1 €-", 11 "€ 1-", 12 "€ -1",
    // 13 "1- €", 14 "(€ 1)", 15 "(1 €)"), and the decimal places shown.
    std::string CurrencyString = "\u20AC";
    int CurrencyFormat = 3;
    int NegCurrFormat = 8;
    int CurrencyDecimals = 2;
};

TFormatSettings& FormatSettings();            // the current process-wide settings (German defaults)
TFormatSettings DefaultFormatSettings();      // a fresh copy of the German defaults

// Installs other settings for its lifetime and restores the previous ones.
class LocaleScope {
public:
    LocaleScope();                                   // the German defaults
    explicit LocaleScope(const TFormatSettings& Settings);
    ~LocaleScope();
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

private:
    TFormatSettings m_saved;
};

// Numbers
std::string FormatFloat(const std::string& Format, double Value);
std::string FloatToStr(double Value);          // up to 15 significant digits
// General format with `Precision` significant digits ("1,5", "1E20", "NAN", "INF").
std::string FloatToStrGeneral(double Value, int Precision);
// FloatToStrGeneral's text appended to Out (no string of its own: writers of many numbers).
void AppendFloatGeneral(std::string& Out, double Value, int Precision);
std::string CurrToStr(Currency Value);         // up to 4 decimals
// FormatFloat's pictures applied to the exact fixed-point value, so amounts
// beyond a double's 15 digits keep every digit.
std::string FormatCurr(const std::string& Format, Currency Value);
// The locale's money text: thousands separators, CurrencyDecimals places and
// the currency string placed as CurrencyFormat/NegCurrFormat say
// ("1.234,50 €", "-0,50 €"). An amount that rounds to zero has no sign.
// EConvertError for a format code or decimal count out of range; a double
// that is not finite gives "NAN"/"INF"/"-INF".
std::string CurrencyText(Currency Value);
std::string CurrencyText(double Value);
std::string IntToStr(std::int64_t Value);
std::string IntToHex(std::int64_t Value, int Digits);
// Strict: optional surrounding blanks, sign, decimal digits or $/0x hex.
// EConvertError "'abc' is not a valid integer value".
std::int32_t StrToInt(const std::string& S);
std::int64_t StrToInt64(const std::string& S);
std::int32_t StrToIntDef(const std::string& S, std::int32_t Def);
bool TryStrToInt(const std::string& S, std::int32_t& Value);
bool TryStrToInt64(const std::string& S, std::int64_t& Value);
// Strict: only the locale's decimal separator, no thousands separators.
// EConvertError "'abc' is not a valid floating point value".
double StrToFloat(const std::string& S);
bool TryStrToFloat(const std::string& S, double& Value);

// %d %u %s %f %n %x %e %g with '-' flag, width and precision; %% for '%'.
// EConvertError "Format '%s' invalid or incompatible with argument".
std::string Format(const std::string& Format, std::initializer_list<Variant> Args);

// Dates
std::string FormatDateTime(const std::string& Format, TDateTime Value);
std::string DateToStr(TDateTime Value);
std::string TimeToStr(TDateTime Value);
std::string DateTimeToStr(TDateTime Value);   // time only when not midnight
// The locale's own date and time pictures (as header and footer dates use
// them), with the current settings' names and AM/PM texts. Date: d dd ddd
// dddd, M MM MMM MMMM, y yy yyyy; time: h hh (12-hour), H HH, m mm, s ss,
// t tt; text in single quotes ('' is a quote) and every other character are
// copied. A value that is no date (NaN, out of range) gives "".
std::string LocaleFormatDate(const std::string& Picture, TDateTime Value);
std::string LocaleFormatTime(const std::string& Picture, TDateTime Value);
TDateTime StrToDate(const std::string& S);    // ShortDateFormat order; EConvertError "'x' is not a valid date"
TDateTime StrToTime(const std::string& S);    // EConvertError "'x' is not a valid time"
TDateTime StrToDateTime(const std::string& S);
bool TryStrToDate(const std::string& S, TDateTime& Value);
bool TryStrToDateTime(const std::string& S, TDateTime& Value);
// EConvertError for impossible dates and times.
TDateTime EncodeDate(int Y, int M, int D);
TDateTime EncodeTime(int H, int N, int S, int Ms);
bool TryEncodeDate(int Y, int M, int D, TDateTime& Value);
bool TryEncodeTime(int H, int N, int S, int Ms, TDateTime& Value);
// Joins a date and a time; negative dates carry the time as the absolute fraction.
TDateTime ComposeDateTime(TDateTime Date, TDateTime Time);
// A day before 01.01.0001 (-693593; NullDate among them) decodes to 0, 0, 0
// and formats as zeros ("00.00.0000"), its day and month names as "".
void DecodeDate(TDateTime Value, int& Y, int& M, int& D);
void DecodeTime(TDateTime Value, int& H, int& N, int& S, int& Ms);
// Both of the above from one decoding.
void DecodeDateTime(TDateTime Value, int& Y, int& M, int& D, int& H, int& N, int& S, int& Ms);
int DayOfWeek(TDateTime Value);               // 1 = Sunday .. 7 = Saturday
bool IsLeapYear(int Year);
int DaysInMonth(int Year, int Month);
TDateTime Now();
TDateTime Date();

// Text
// ASCII letters only, for names, keywords and file extensions.
std::string UpperCase(std::string Text);
std::string LowerCase(std::string Text);
// ASCII letters compared without case: equal texts, and Prefix found in Text at Pos.
bool SameNoCase(std::string_view A, std::string_view B);
bool StartsWithNoCase(std::string_view Text, std::size_t Pos, std::string_view Prefix);
std::string AnsiUpperCase(const std::string& S);
std::string AnsiLowerCase(const std::string& S);
int AnsiCompareText(std::string_view A, std::string_view B);      // Unicode-aware, case-insensitive
int AnsiCompareStr(const std::string& A, const std::string& B);   // case-sensitive, locale
bool SameText(const std::string& A, const std::string& B);        // Unicode case-insensitive equality
std::string Trim(const std::string& S);       // strips blanks and control characters
std::string TrimLeft(const std::string& S);
std::string TrimRight(const std::string& S);

} // namespace qel
