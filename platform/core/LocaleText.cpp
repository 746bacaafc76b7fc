#include "platform/core/Locale.h"

#include "platform/core/MathUtils.h"
#include "platform/core/detail/Collator.h"
#include "platform/core/detail/LocaleDigits.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include <string>

// Text: case mapping, comparison and trimming.

namespace qel {

using namespace detail;

namespace {

QString Q(std::string_view S)
{
    return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size()));
}

std::string S(const QString& AText)
{
    const QByteArray b = AText.toUtf8();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

bool IsAscii(const std::string& S)
{
    for (char c : S)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Character by character, as the platform maps case: a letter without a
// single-character counterpart (ß) stays as it is, so the length never changes.
std::string MapCase(const std::string& AText, bool Upper)
{
    QList<uint> ucs = Q(AText).toUcs4();
    for (uint& c : ucs)
        c = Upper ? QChar::toUpper(static_cast<char32_t>(c)) : QChar::toLower(static_cast<char32_t>(c));
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

std::string AnsiUpperCase(const std::string& S)
{
    return IsAscii(S) ? UpperCase(S) : MapCase(S, true);
}

std::string AnsiLowerCase(const std::string& S)
{
    return IsAscii(S) ? LowerCase(S) : MapCase(S, false);
}

const QCollator& detail::LocaleCollator(bool CaseSensitive)
{
    static const QCollator insensitive = [] {
        QCollator c(QLocale(QLocale::German, QLocale::Germany));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    static const QCollator sensitive = [] {
        QCollator c(QLocale(QLocale::German, QLocale::Germany));
        c.setCaseSensitivity(Qt::CaseSensitive);
        return c;
    }();
    return CaseSensitive ? sensitive : insensitive;
}

int AnsiCompareText(std::string_view A, std::string_view B)
{
    const QString qa = Q(A);
    const QString qb = Q(B);
    const int c = Sign(LocaleCollator(false).compare(qa, qb));
    if (c != 0)
        return c;
    // The collator may call distinct strings equal (ignorable characters);
    // fall back to case folding so that the order stays total and agrees with SameText.
    return Sign(QString::compare(qa, qb, Qt::CaseInsensitive));
}

int AnsiCompareStr(const std::string& A, const std::string& B)
{
    const int c = Sign(LocaleCollator(true).compare(Q(A), Q(B)));
    if (c != 0)
        return c;
    return Sign(A.compare(B));
}

bool SameText(const std::string& A, const std::string& B)
{
    if (A.size() == B.size()) {
        bool equal = true;
        for (std::size_t i = 0; i < A.size() && equal; ++i)
            equal = Upper(A[i]) == Upper(B[i]) && (static_cast<unsigned char>(A[i]) < 0x80 || A[i] == B[i]);
        if (equal)
            return true;
    }
    if (IsAscii(A) && IsAscii(B))
        return false;
    return QString::compare(Q(A), Q(B), Qt::CaseInsensitive) == 0;
}

std::string Trim(const std::string& S)
{
    return TrimRight(TrimLeft(S));
}

std::string TrimLeft(const std::string& S)
{
    std::size_t i = 0;
    while (i < S.size() && static_cast<unsigned char>(S[i]) <= ' ')
        ++i;
    return S.substr(i);
}

std::string TrimRight(const std::string& S)
{
    std::size_t n = S.size();
    while (n > 0 && static_cast<unsigned char>(S[n - 1]) <= ' ')
        --n;
    return S.substr(0, n);
}

} // namespace qel
