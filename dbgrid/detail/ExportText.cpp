#include "dbgrid/detail/ExportText.h"

#include "platform/core/Utf8.h"

#include <cstdio>

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
bool IsXmlPlain(char32_t Cp)
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
    ForEachXmlChar(Text, [&](char32_t Cp) {
        switch (Cp) {
        case '&': Out += "&amp;"; break;
        case '<': Out += "&lt;"; break;
        case '>': Out += "&gt;"; break;
        case '"': Out += "&quot;"; break;
        default:
            if (Cp < 0x80)
                Out += static_cast<char>(Cp);
            else
                AppendUtf8(Out, Cp);
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
    ForEachXmlChar(Text, [&](char32_t Cp) {
        if (IsXmlPlain(Cp)) {
            Out += static_cast<char>(Cp);
            return;
        }
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

void AppendTextField(std::string& Out, const std::string& Text, const std::string& Separator)
{
    const bool needs = Text.find_first_of("\r\n\"") != std::string::npos ||
                       (!Separator.empty() && Text.find(Separator) != std::string::npos);
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
