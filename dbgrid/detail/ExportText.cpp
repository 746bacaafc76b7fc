#include "dbgrid/detail/ExportText.h"

#include "platform/core/Utf8.h"

#include <cstdio>

namespace qel::exportdetail {

namespace {

bool IsDroppedControl(char32_t Cp) { return Cp < 32 && Cp != '\t' && Cp != '\n' && Cp != '\r'; }

// The characters the XML export writes as they are.
bool IsXmlPlain(char32_t Cp)
{
    return Cp == ' ' || Cp == '!' || (Cp >= '*' && Cp <= ';') || (Cp >= 'A' && Cp <= 'Z') ||
           (Cp >= 'a' && Cp <= 'z') || Cp == '_';
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

std::string DropControlChars(std::string_view Text)
{
    std::string out;
    out.reserve(Text.size());
    for (char c : Text)
        if (!IsDroppedControl(static_cast<unsigned char>(c)))
            out += c;
    return out;
}

std::string HtmlEscape(std::string_view Text)
{
    std::string out;
    out.reserve(Text.size() + 8);
    for (char c : Text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            if (!IsDroppedControl(static_cast<unsigned char>(c)))
                out += c;
        }
    }
    return out;
}

std::string XmlEscape(std::string_view Text)
{
    std::string out;
    out.reserve(Text.size() + 8);
    std::size_t pos = 0;
    while (pos < Text.size()) {
        const char32_t cp = Utf8Next(Text, pos);
        if (IsXmlPlain(cp)) {
            out += static_cast<char>(cp);
        } else if (!IsDroppedControl(cp)) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "&#%u;", static_cast<unsigned>(cp));
            out += buf;
        }
    }
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

std::string QuoteTextField(const std::string& Text, const std::string& Separator)
{
    const bool needs = Text.find_first_of("\r\n\"") != std::string::npos ||
                       (!Separator.empty() && Text.find(Separator) != std::string::npos);
    if (!needs)
        return Text;
    std::string out = "\"";
    for (char c : Text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
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
