#include "platform/core/Locale.h"

#include "platform/core/Utf8.h"
#include "platform/core/detail/LocaleDigits.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string>
#include <tuple>

// Dates and times: encoding, decoding, pictures and parsing.

namespace qel {

using namespace detail;

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
constexpr std::int64_t kUnixEpochOffset = 25569;   // days from 30.12.1899 to 01.01.1970

// Howard Hinnant's civil calendar algorithms (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t Y, unsigned M, unsigned D)
{
    Y -= M <= 2;
    const std::int64_t era = (Y >= 0 ? Y : Y - 399) / 400;
    const auto yoe = static_cast<unsigned>(Y - era * 400);
    const unsigned doy = (153 * (M + (M > 2 ? -3 : 9)) + 2) / 5 + D - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t Z, int& Y, int& M, int& D)
{
    Z += 719468;
    const std::int64_t era = (Z >= 0 ? Z : Z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(Z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    D = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    M = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    Y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (M <= 2));
}

struct DayAndTime {
    std::int64_t Day;   // days since 30.12.1899
    std::int64_t Ms;    // milliseconds since midnight
};

// The date part is the integer part; the time is the absolute fraction, so
// -1.25 is 29.12.1899 06:00. Rounding to the millisecond may carry into the
// next day, which both date and time then agree on.
DayAndTime Split(TDateTime Value)
{
    if (!(std::fabs(Value) < 1e9))
        throw EConvertError("Invalid date/time value " + FloatToStr(Value));
    const double whole = std::trunc(Value);
    // Most dates are whole days: their time needs no rounding.
    const double fraction = std::fabs(Value - whole);
    std::int64_t ms = fraction == 0 ? 0 : std::llround(fraction * static_cast<double>(kMsPerDay));
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

DateTimeParts Decode(TDateTime Value)
{
    const DayAndTime dt = Split(Value);
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
const std::string& DayName(const std::array<std::string, 7>& Names, const DateTimeParts& P)
{
    static const std::string none;
    return P.Month == 0 ? none : Names[static_cast<std::size_t>(P.DayOfWeek)];
}

const std::string& MonthName(const std::array<std::string, 12>& Names, const DateTimeParts& P)
{
    static const std::string none;
    return P.Month < 1 || P.Month > 12 ? none : Names[static_cast<std::size_t>(P.Month - 1)];
}

// Value in decimal after as many zeros as make it Width characters: written
// in place, as every date and time text is made of these.
void AppendPadded(std::string& Out, int Value, int Width)
{
    char digits[16];
    const char* end = std::to_chars(digits, digits + sizeof digits, Value).ptr;
    const auto length = static_cast<int>(end - digits);
    if (length < Width)
        Out.append(static_cast<std::size_t>(Width - length), '0');
    Out.append(digits, static_cast<std::size_t>(length));
}

bool HasAmPm(const std::string& Format)
{
    char quote = 0;
    for (std::size_t i = 0; i < Format.size(); ++i) {
        const char c = Format[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if ((c == 'a' || c == 'A') &&
                   (StartsWithNoCase(Format, i, "am/pm") || StartsWithNoCase(Format, i, "a/p") ||
                    StartsWithNoCase(Format, i, "ampm"))) {
            return true;
        }
    }
    return false;
}

void AppendDateTime(std::string& Out, const std::string& Format, const DateTimeParts& P, int Depth)
{
    const TFormatSettings& fs = FormatSettings();
    // The settings' own pictures (c, ddddd, dddddd, t, tt) are expanded once
    // and not within themselves: a setting that names itself (c inside
    // ShortDateFormat) neither recurses nor multiplies its own length.
    if (Depth > 1)
        return;
    const bool twelve = HasAmPm(Format);
    bool afterHour = false;
    std::size_t i = 0;
    auto run = [&](char AUpper) {
        std::size_t n = 0;
        while (i + n < Format.size() && Upper(Format[i + n]) == AUpper)
            ++n;
        return n;
    };
    while (i < Format.size()) {
        const char c = Format[i];
        const char u = Upper(c);
        switch (u) {
        case '"':
        case '\'': {
            const std::size_t end = Format.find(c, i + 1);
            const std::size_t stop = end == std::string::npos ? Format.size() : end;
            Out.append(Format, i + 1, stop - i - 1);
            i = end == std::string::npos ? Format.size() : end + 1;
            continue;
        }
        case 'C': {
            AppendDateTime(Out, fs.ShortDateFormat, P, Depth + 1);
            if (P.Hour || P.Minute || P.Second || P.Ms) {
                Out += ' ';
                AppendDateTime(Out, fs.LongTimeFormat, P, Depth + 1);
            }
            ++i;
            afterHour = false;
            continue;
        }
        case 'D': {
            const std::size_t n = run('D');
            switch (n) {
            case 1: AppendPadded(Out, P.Day, 1); break;
            case 2: AppendPadded(Out, P.Day, 2); break;
            case 3: Out += DayName(fs.ShortDayNames, P); break;
            case 4: Out += DayName(fs.LongDayNames, P); break;
            case 5: AppendDateTime(Out, fs.ShortDateFormat, P, Depth + 1); break;
            default: AppendDateTime(Out, fs.LongDateFormat, P, Depth + 1); break;
            }
            i += n;
            afterHour = false;
            continue;
        }
        case 'M': {
            const std::size_t n = run('M');
            if (afterHour && n <= 2) {
                AppendPadded(Out, P.Minute, n == 1 ? 1 : 2);
            } else {
                switch (n) {
                case 1: AppendPadded(Out, P.Month, 1); break;
                case 2: AppendPadded(Out, P.Month, 2); break;
                case 3: Out += MonthName(fs.ShortMonthNames, P); break;
                default: Out += MonthName(fs.LongMonthNames, P); break;
                }
            }
            i += n;
            afterHour = false;
            continue;
        }
        case 'Y': {
            const std::size_t n = run('Y');
            if (n <= 2)
                AppendPadded(Out, ((P.Year % 100) + 100) % 100, 2);
            else
                AppendPadded(Out, P.Year, 4);
            i += n;
            afterHour = false;
            continue;
        }
        case 'H': {
            const std::size_t n = run('H');
            int h = P.Hour;
            if (twelve) {
                h %= 12;
                if (h == 0)
                    h = 12;
            }
            AppendPadded(Out, h, n == 1 ? 1 : 2);
            i += n;
            afterHour = true;
            continue;
        }
        case 'N': {
            const std::size_t n = run('N');
            AppendPadded(Out, P.Minute, n == 1 ? 1 : 2);
            i += n;
            afterHour = false;
            continue;
        }
        case 'S': {
            const std::size_t n = run('S');
            AppendPadded(Out, P.Second, n == 1 ? 1 : 2);
            i += n;
            afterHour = false;
            continue;
        }
        case 'Z': {
            const std::size_t n = run('Z');
            AppendPadded(Out, P.Ms, n == 1 ? 1 : 3);
            i += n;
            afterHour = false;
            continue;
        }
        case 'T': {
            const std::size_t n = run('T');
            AppendDateTime(Out, n == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, P, Depth + 1);
            i += n;
            afterHour = false;
            continue;
        }
        case 'A':
            if (StartsWithNoCase(Format, i, "am/pm")) {
                Out.append(Format, P.Hour < 12 ? i : i + 3, 2);   // keeps the format's letter case
                i += 5;
                continue;
            }
            if (StartsWithNoCase(Format, i, "a/p")) {
                Out += Format[P.Hour < 12 ? i : i + 2];
                i += 3;
                continue;
            }
            if (StartsWithNoCase(Format, i, "ampm")) {
                Out += P.Hour < 12 ? fs.TimeAMString : fs.TimePMString;
                i += 4;
                continue;
            }
            Out += c;
            ++i;
            continue;
        case '/':
            Out += fs.DateSeparator;
            ++i;
            continue;
        case ':':
            Out += fs.TimeSeparator;
            ++i;
            continue;
        default:
            Out += c;
            ++i;
            continue;
        }
    }
}

int ExpandYear(int TwoDigit)
{
    const int window = FormatSettings().TwoDigitYearCenturyWindow;
    int y = 0, m = 0, d = 0;
    DecodeDate(Date(), y, m, d);
    if (window <= 0)
        return (y / 100) * 100 + TwoDigit;
    const int base = y - window;
    int year = (base / 100) * 100 + TwoDigit;
    if (year < base)
        year += 100;
    return year;
}

// Reads an unsigned number of at most `MaxDigits` digits.
bool ReadNumber(std::string_view S, std::size_t& I, int& Value, int& Digits, int MaxDigits)
{
    Value = 0;
    Digits = 0;
    while (I < S.size() && IsDigit(S[I])) {
        if (++Digits > MaxDigits)
            return false;
        Value = Value * 10 + (S[I] - '0');
        ++I;
    }
    return Digits > 0;
}

// Parses the date at the start of `S` in the order of ShortDateFormat;
// `I` is left after the date.
bool ParseDate(std::string_view S, std::size_t& I, TDateTime& Value)
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
        if (!ReadNumber(S, I, values[count], digits[count], 4))
            return false;
        ++count;
        if (I < S.size() && S[I] == fs.DateSeparator && I + 1 < S.size() && IsDigit(S[I + 1]))
            ++I;
        else
            break;
    }
    if (I < S.size() && S[I] == fs.DateSeparator)   // "31.12." style with a closing separator
        ++I;
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
    return TryEncodeDate(y, m, d, Value);
}

bool ParseTime(std::string_view S, std::size_t& I, TDateTime& Value)
{
    const char sep = FormatSettings().TimeSeparator;
    int h = 0, n = 0, sec = 0, ms = 0, digits = 0;
    if (!ReadNumber(S, I, h, digits, 2))
        return false;
    if (I >= S.size() || S[I] != sep)
        return false;
    ++I;
    if (!ReadNumber(S, I, n, digits, 2))
        return false;
    if (I < S.size() && S[I] == sep) {
        ++I;
        if (!ReadNumber(S, I, sec, digits, 2))
            return false;
        if (I < S.size() && (S[I] == '.' || S[I] == FormatSettings().DecimalSeparator)) {
            ++I;
            if (!ReadNumber(S, I, ms, digits, 3))
                return false;
            while (digits++ < 3)
                ms *= 10;
        }
    }
    return TryEncodeTime(h, n, sec, ms, Value);
}

} // namespace

bool IsLeapYear(int Year)
{
    return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0);
}

int DaysInMonth(int Year, int Month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (Month < 1 || Month > 12)
        return 0;
    return kDays[Month - 1] + (Month == 2 && IsLeapYear(Year) ? 1 : 0);
}

bool TryEncodeDate(int Y, int M, int D, TDateTime& Value)
{
    if (Y < 1 || Y > 9999 || M < 1 || M > 12 || D < 1 || D > DaysInMonth(Y, M))
        return false;
    Value = static_cast<double>(DaysFromCivil(Y, static_cast<unsigned>(M), static_cast<unsigned>(D))
                                + kUnixEpochOffset);
    return true;
}

TDateTime EncodeDate(int Y, int M, int D)
{
    TDateTime v = 0;
    if (!TryEncodeDate(Y, M, D, v))
        throw EConvertError("Invalid argument to date encode");
    return v;
}

bool TryEncodeTime(int H, int N, int S, int Ms, TDateTime& Value)
{
    if (H < 0 || H > 23 || N < 0 || N > 59 || S < 0 || S > 59 || Ms < 0 || Ms > 999)
        return false;
    Value = static_cast<double>(((H * 60 + N) * 60 + S) * 1000 + Ms) / static_cast<double>(kMsPerDay);
    return true;
}

TDateTime EncodeTime(int H, int N, int S, int Ms)
{
    TDateTime v = 0;
    if (!TryEncodeTime(H, N, S, Ms, v))
        throw EConvertError("Invalid argument to time encode");
    return v;
}

TDateTime ComposeDateTime(TDateTime Date, TDateTime Time)
{
    const double d = std::trunc(Date);
    const double t = std::fabs(Time - std::trunc(Time));
    return d < 0 ? d - t : d + t;
}

void DecodeDate(TDateTime Value, int& Y, int& M, int& D)
{
    int h, n, s, ms;
    DecodeDateTime(Value, Y, M, D, h, n, s, ms);
}

void DecodeTime(TDateTime Value, int& H, int& N, int& S, int& Ms)
{
    int y, m, d;
    DecodeDateTime(Value, y, m, d, H, N, S, Ms);
}

void DecodeDateTime(TDateTime Value, int& Y, int& M, int& D, int& H, int& N, int& S, int& Ms)
{
    const DateTimeParts p = Decode(Value);
    std::tie(Y, M, D, H, N, S, Ms) = std::tie(p.Year, p.Month, p.Day, p.Hour, p.Minute, p.Second, p.Ms);
}

int DayOfWeek(TDateTime Value)
{
    return Decode(Value).DayOfWeek + 1;
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

std::string FormatDateTime(const std::string& Format, TDateTime Value)
{
    const DateTimeParts p = Decode(Value);
    std::string out;
    static const std::string general = "c";
    AppendDateTime(out, Format.empty() ? general : Format, p, 0);
    return out;
}

namespace {

// Copies quoted text and characters outside the picture letters; `Letters`
// are the case-sensitive picture characters of this kind of picture.
template <typename Emit>
std::string FormatPicture(const std::string& Picture, const char* Letters, Emit Put)
{
    std::string out;
    std::size_t i = 0;
    while (i < Picture.size()) {
        const char c = Picture[i];
        if (c == '\'') {
            // Quoted text; '' inside it, or on its own, stands for one quote.
            if (i + 1 < Picture.size() && Picture[i + 1] == '\'') {
                out += '\'';
                i += 2;
                continue;
            }
            ++i;
            while (i < Picture.size()) {
                if (Picture[i] == '\'') {
                    if (i + 1 < Picture.size() && Picture[i + 1] == '\'') {
                        out += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                out += Picture[i++];
            }
            continue;
        }
        if (std::strchr(Letters, c) == nullptr || c == '\0') {
            out += c;
            ++i;
            continue;
        }
        std::size_t n = 1;
        while (i + n < Picture.size() && Picture[i + n] == c)
            ++n;
        Put(out, c, n);
        i += n;
    }
    return out;
}

bool PictureParts(TDateTime Value, DateTimeParts& P)
{
    if (!(std::fabs(Value) < 1e9))
        return false;
    P = Decode(Value);
    return true;
}

} // namespace

std::string LocaleFormatDate(const std::string& Picture, TDateTime Value)
{
    DateTimeParts p{};
    if (!PictureParts(Value, p))
        return {};
    const TFormatSettings& fs = FormatSettings();
    return FormatPicture(Picture, "dMy", [&](std::string& Out, char C, std::size_t N) {
        switch (C) {
        case 'd':
            if (N == 1)
                AppendPadded(Out, p.Day, 1);
            else if (N == 2)
                AppendPadded(Out, p.Day, 2);
            else
                Out += DayName(N == 3 ? fs.ShortDayNames : fs.LongDayNames, p);
            break;
        case 'M':
            if (N == 1)
                AppendPadded(Out, p.Month, 1);
            else if (N == 2)
                AppendPadded(Out, p.Month, 2);
            else
                Out += MonthName(N == 3 ? fs.ShortMonthNames : fs.LongMonthNames, p);
            break;
        default:   // 'y'
            if (N == 1)
                AppendPadded(Out, p.Year % 100, 1);
            else if (N == 2)
                AppendPadded(Out, p.Year % 100, 2);
            else
                AppendPadded(Out, p.Year, 4);
            break;
        }
    });
}

std::string LocaleFormatTime(const std::string& Picture, TDateTime Value)
{
    DateTimeParts p{};
    if (!PictureParts(Value, p))
        return {};
    const TFormatSettings& fs = FormatSettings();
    return FormatPicture(Picture, "hHmst", [&](std::string& Out, char C, std::size_t N) {
        switch (C) {
        case 'h': {
            const int h = p.Hour % 12 == 0 ? 12 : p.Hour % 12;
            AppendPadded(Out, h, N == 1 ? 1 : 2);
            break;
        }
        case 'H': AppendPadded(Out, p.Hour, N == 1 ? 1 : 2); break;
        case 'm': AppendPadded(Out, p.Minute, N == 1 ? 1 : 2); break;
        case 's': AppendPadded(Out, p.Second, N == 1 ? 1 : 2); break;
        default: {   // 't': the marker, or its first character
            const std::string& marker = p.Hour < 12 ? fs.TimeAMString : fs.TimePMString;
            Out += N == 1 ? Utf8Prefix(marker, 1) : marker;
            break;
        }
        }
    });
}

std::string DateToStr(TDateTime Value)
{
    return FormatDateTime(FormatSettings().ShortDateFormat, Value);
}

std::string TimeToStr(TDateTime Value)
{
    return FormatDateTime(FormatSettings().LongTimeFormat, Value);
}

std::string DateTimeToStr(TDateTime Value)
{
    return FormatDateTime("c", Value);
}

bool TryStrToDate(const std::string& S, TDateTime& Value)
{
    const std::string_view t = TrimBlanks(S);
    std::size_t i = 0;
    TDateTime v = 0;
    if (!ParseDate(t, i, v) || i != t.size())
        return false;
    Value = v;
    return true;
}

TDateTime StrToDate(const std::string& S)
{
    TDateTime v = 0;
    if (!TryStrToDate(S, v))
        ThrowInvalid(S, "date");
    return v;
}

TDateTime StrToTime(const std::string& S)
{
    const std::string_view t = TrimBlanks(S);
    std::size_t i = 0;
    TDateTime v = 0;
    if (!ParseTime(t, i, v) || i != t.size())
        ThrowInvalid(S, "time");
    return v;
}

bool TryStrToDateTime(const std::string& S, TDateTime& Value)
{
    const std::string_view t = TrimBlanks(S);
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
    Value = ComposeDateTime(date, time);
    return true;
}

TDateTime StrToDateTime(const std::string& S)
{
    TDateTime v = 0;
    if (!TryStrToDateTime(S, v))
        ThrowInvalid(S, "date and time");
    return v;
}

} // namespace qel
