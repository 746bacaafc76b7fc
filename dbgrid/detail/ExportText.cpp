#include "dbgrid/detail/ExportText.h"

#include "platform/core/Utf8.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace qel::exportdetail {

namespace {

// Code points XML 1.0 allows as characters (malformed input arrives as U+FFFD).
bool IsXmlChar(char32_t Cp)
{
    if (Cp < 0x20)
        return Cp == '\t' || Cp == '\n' || Cp == '\r';
    return Cp < 0xD800 || (Cp >= 0xE000 && Cp <= 0xFFFD) || (Cp >= 0x10000 && Cp <= 0x10FFFF);
}

// The characters the XML export writes as they are.
constexpr bool IsXmlPlain(char32_t Cp)
{
    return Cp == ' ' || Cp == '!' || (Cp >= '*' && Cp <= ';') || (Cp >= 'A' && Cp <= 'Z') ||
           (Cp >= 'a' && Cp <= 'z') || Cp == '_';
}

// Calls Visit for each character of Text that HTML and XML take.
template <class F>
void ForEachXmlChar(std::string_view Text, F Visit)
{
    std::size_t pos = 0;
    while (pos < Text.size()) {
        // ASCII, the most of every text, needs no decoding.
        const auto byte = static_cast<unsigned char>(Text[pos]);
        const char32_t cp = byte < 0x80 ? (++pos, char32_t{byte}) : Utf8Next(Text, pos);
        if (IsXmlChar(cp))
            Visit(cp);
    }
}

// ASCII that HTML writes as it is.
constexpr bool IsHtmlPlain(char32_t Cp)
{
    return Cp < 0x80 && (Cp >= 0x20 || Cp == '\t' || Cp == '\n' || Cp == '\r') && Cp != '&' && Cp != '<' &&
           Cp != '>' && Cp != '"';
}

// Appends Text to Out as ForEachXmlChar visits it: runs of ASCII that Plain
// lets through go in one piece (most cells are nothing else), every other
// character that HTML and XML take through Visit.
// Per byte: whether it is ASCII that Plain lets through.
template <class P>
constexpr std::array<bool, 256> PlainBytes(P Plain)
{
    std::array<bool, 256> table{};
    for (char32_t b = 0; b < 0x80; ++b)
        table[b] = Plain(b);
    return table;
}

constexpr std::array<bool, 256> kHtmlPlain = PlainBytes(IsHtmlPlain);
constexpr std::array<bool, 256> kXmlPlain = PlainBytes(IsXmlPlain);

// Whether all eight bytes are ASCII from the space on, other than '&', '<',
// '>' and '"': all HTML writes as they are, tested at once. (TAB, LF and CR
// also pass, through the byte table.)
bool HtmlPlainWord(std::uint64_t Word)
{
    constexpr std::uint64_t ones = 0x0101010101010101u;
    constexpr std::uint64_t high = 0x8080808080808080u;
    // A zero byte sets its high bit here; without high bits in Word, so does a byte below 0x20.
    const auto hasZero = [](std::uint64_t V) { return (V - ones) & ~V & high; };
    const std::uint64_t below = (Word - 0x20 * ones) & ~Word & high;
    return ((Word & high) | below | hasZero(Word ^ ('&' * ones)) | hasZero(Word ^ ('<' * ones)) |
            hasZero(Word ^ ('>' * ones)) | hasZero(Word ^ ('"' * ones))) == 0;
}

bool NoPlainWord(std::uint64_t)
{
    return false;
}

// Appends Text to Out as ForEachXmlChar visits it: runs of ASCII bytes the
// table lets through go in one piece (most cells are nothing else), every
// other character that HTML and XML take through Visit. PlainWord may pass
// eight bytes at once that the table would pass one by one.
template <bool (*PlainWord)(std::uint64_t), class F>
void AppendXmlChars(std::string& Out, std::string_view Text, const std::array<bool, 256>& Plain, F Visit)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(Text.data());
    const std::size_t size = Text.size();
    std::size_t pos = 0;
    while (pos < size) {
        std::size_t end = pos;
        for (std::uint64_t word; end + 8 <= size; end += 8) {
            std::memcpy(&word, bytes + end, 8);
            if (!PlainWord(word))
                break;
        }
        // Four bytes a step, tested together without a branch each.
        while (end + 4 <= size &&
               (Plain[bytes[end]] & Plain[bytes[end + 1]] & Plain[bytes[end + 2]] & Plain[bytes[end + 3]]))
            end += 4;
        while (end < size && Plain[bytes[end]])
            ++end;
        Out.append(Text.data() + pos, end - pos);
        if (end == size)
            return;
        // One character only: the next may start a plain run again.
        pos = end;
        const char32_t cp = Utf8Next(Text, pos);
        if (IsXmlChar(cp))
            Visit(cp);
    }
}

bool IsNameStart(char32_t Cp)
{
    return (Cp >= 'A' && Cp <= 'Z') || (Cp >= 'a' && Cp <= 'z') || Cp == '_' || Cp >= 0xC0;
}

bool IsNameChar(char32_t Cp)
{
    return IsNameStart(Cp) || (Cp >= '0' && Cp <= '9') || Cp == '-' || Cp == '.' || Cp == 0xB7;
}

} // namespace

std::string CleanText(std::string_view Text)
{
    std::string out;
    out.reserve(Text.size());
    ForEachXmlChar(Text, [&](char32_t Cp) { AppendUtf8(out, Cp); });
    return out;
}

void AppendHtmlEscaped(std::string& Out, std::string_view Text)
{
    AppendXmlChars<HtmlPlainWord>(Out, Text, kHtmlPlain, [&](char32_t Cp) {
        switch (Cp) {
        case '&': Out += "&amp;"; break;
        case '<': Out += "&lt;"; break;
        case '>': Out += "&gt;"; break;
        case '"': Out += "&quot;"; break;
        default: AppendUtf8(Out, Cp);
        }
    });
}

std::string HtmlEscape(std::string_view Text)
{
    std::string out;
    out.reserve(Text.size() + 8);
    AppendHtmlEscaped(out, Text);
    return out;
}

void AppendXmlEscaped(std::string& Out, std::string_view Text)
{
    AppendXmlChars<NoPlainWord>(Out, Text, kXmlPlain, [&](char32_t Cp) {
        // "&#N;" with N in decimal.
        char digits[8];
        int n = 0;
        for (auto v = static_cast<std::uint32_t>(Cp); n == 0 || v > 0; v /= 10)
            digits[n++] = static_cast<char>('0' + v % 10);
        Out += "&#";
        while (n > 0)
            Out += digits[--n];
        Out += ';';
    });
}

std::string XmlEscape(std::string_view Text)
{
    std::string out;
    out.reserve(Text.size() + 8);
    AppendXmlEscaped(out, Text);
    return out;
}

std::string MakeXmlName(std::string_view Text)
{
    std::string out;
    std::size_t pos = 0;
    bool first = true;
    while (pos < Text.size()) {
        const char32_t cp = Utf8Next(Text, pos);
        if (first && !IsNameStart(cp)) {
            out += '_';
            if (IsNameChar(cp))
                AppendUtf8(out, cp);
        } else if (IsNameChar(cp) && cp != 0xFFFD) {
            AppendUtf8(out, cp);
        } else {
            out += '_';
        }
        first = false;
    }
    return out.empty() ? std::string("_") : out;
}

void AppendTextField(std::string& Out, std::string_view Text, std::string_view Separator)
{
    // One pass over the text: a byte that needs quotes, or the separator's first byte where the separator starts.
    const char first = Separator.empty() ? '\0' : Separator[0];
    bool needs = false;
    for (std::size_t i = 0; i < Text.size() && !needs; ++i) {
        const char c = Text[i];
        needs = c == '\r' || c == '\n' || c == '"' ||
                (c == first && !Separator.empty() && Text.substr(i).starts_with(Separator));
    }
    if (!needs) {
        Out += Text;
        return;
    }
    Out += '"';
    for (char c : Text) {
        if (c == '"')
            Out += '"';
        Out += c;
    }
    Out += '"';
}

std::uint32_t ExportRGB(TColor Color)
{
    if (Color == clNone)
        return 0;
    return static_cast<std::uint32_t>(ColorToRGB(Color)) & 0xFFFFFF;
}

std::string ColorHex(TColor Color)
{
    const std::uint32_t rgb = ExportRGB(Color);
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X%02X%02X", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
    return buf;
}

} // namespace qel::exportdetail
