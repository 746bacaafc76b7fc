#include "platform/core/Locale.h"

#include "platform/core/MathUtils.h"
#include "platform/core/detail/LocaleDigits.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include <string>

// Text: case mapping, comparison and trimming.

namespace qel {

using namespace detail;

namespace {

QString Q(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string S(const QString& s)
{
    const QByteArray b = s.toUtf8();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

QCollator& Collator(bool caseSensitive)
{
    static QCollator insensitive = [] {
        QCollator c(QLocale(QLocale::German, QLocale::Germany));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    static QCollator sensitive = [] {
        QCollator c(QLocale(QLocale::German, QLocale::Germany));
        c.setCaseSensitivity(Qt::CaseSensitive);
        return c;
    }();
    return caseSensitive ? sensitive : insensitive;
}

bool IsAscii(const std::string& s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Character by character, as the platform maps case: a letter without a
// single-character counterpart (ß) stays as it is, so the length never changes.
std::string MapCase(const std::string& s, bool upper)
{
    QList<uint> ucs = Q(s).toUcs4();
    for (uint& c : ucs)
        c = upper ? QChar::toUpper(static_cast<char32_t>(c)) : QChar::toLower(static_cast<char32_t>(c));
    return S(QString::fromUcs4(reinterpret_cast<const char32_t*>(ucs.constData()), ucs.size()));
}

} // namespace

std::string UpperCase(std::string Text)
{
    for (char& c : Text)
        c = Upper(c);
    return Text;
}

std::string LowerCase(std::string Text)
{
    for (char& c : Text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return Text;
}

bool SameNoCase(std::string_view A, std::string_view B)
{
    return A.size() == B.size() && StartsWithNoCase(A, 0, B);
}

bool StartsWithNoCase(std::string_view Text, std::size_t Pos, std::string_view Prefix)
{
    if (Pos > Text.size() || Text.size() - Pos < Prefix.size())
        return false;
    for (std::size_t k = 0; k < Prefix.size(); ++k)
        if (Upper(Text[Pos + k]) != Upper(Prefix[k]))
            return false;
    return true;
}

std::string AnsiUpperCase(const std::string& s)
{
    return IsAscii(s) ? UpperCase(s) : MapCase(s, true);
}

std::string AnsiLowerCase(const std::string& s)
{
    return IsAscii(s) ? LowerCase(s) : MapCase(s, false);
}

int AnsiCompareText(const std::string& a, const std::string& b)
{
    const QString qa = Q(a);
    const QString qb = Q(b);
    const int c = Sign(Collator(false).compare(qa, qb));
    if (c != 0)
        return c;
    // The collator may call distinct strings equal (ignorable characters);
    // fall back to case folding so that the order stays total and agrees with SameText.
    return Sign(QString::compare(qa, qb, Qt::CaseInsensitive));
}

int AnsiCompareStr(const std::string& a, const std::string& b)
{
    const int c = Sign(Collator(true).compare(Q(a), Q(b)));
    if (c != 0)
        return c;
    return Sign(a.compare(b));
}

bool SameText(const std::string& a, const std::string& b)
{
    if (a.size() == b.size()) {
        bool equal = true;
        for (std::size_t i = 0; i < a.size() && equal; ++i)
            equal = Upper(a[i]) == Upper(b[i]) && (static_cast<unsigned char>(a[i]) < 0x80 || a[i] == b[i]);
        if (equal)
            return true;
    }
    if (IsAscii(a) && IsAscii(b))
        return false;
    return QString::compare(Q(a), Q(b), Qt::CaseInsensitive) == 0;
}

std::string Trim(const std::string& s)
{
    return TrimRight(TrimLeft(s));
}

std::string TrimLeft(const std::string& s)
{
    std::size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ')
        ++i;
    return s.substr(i);
}

std::string TrimRight(const std::string& s)
{
    std::size_t n = s.size();
    while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ')
        --n;
    return s.substr(0, n);
}

} // namespace qel
