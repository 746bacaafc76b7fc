#include "platform/core/Locale.h"

#include "platform/core/Utf8.h"
#include "platform/core/detail/LocaleDigits.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string>

// Dates and times: encoding, decoding, pictures and parsing.

namespace qel {

using namespace detail;

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

} // namespace qel
