#include "platform/core/Utf8.h"

namespace qel {

std::size_t Utf8Length(std::string_view text)
{
    std::size_t n = 0;
    for (char c : text)
        if (!IsUtf8Continuation(static_cast<unsigned char>(c)))
            ++n;
    return n;
}

std::string Utf8Prefix(std::string_view text, std::size_t chars)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsUtf8Continuation(static_cast<unsigned char>(text[i]))) {
            if (n == chars)
                return std::string(text.substr(0, i));
            ++n;
        }
    }
    return std::string(text);
}

std::string Utf8PrefixByBytes(std::string_view text, std::size_t bytes)
{
    if (bytes >= text.size())
        return std::string(text);
    std::size_t end = bytes;
    while (end > 0 && IsUtf8Continuation(static_cast<unsigned char>(text[end])))
        --end;
    return std::string(text.substr(0, end));
}

char32_t Utf8Next(std::string_view text, std::size_t& pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    std::size_t len = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    if ((lead & 0xE0) == 0xC0) {
        len = 2; cp = lead & 0x1F; min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        len = 3; cp = lead & 0x0F; min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        len = 4; cp = lead & 0x07; min = 0x10000;
    } else {
        ++pos;
        return 0xFFFD;
    }
    if (pos + len > text.size()) {
        ++pos;
        return 0xFFFD;
    }
    for (std::size_t i = 1; i < len; ++i) {
        if (!IsUtf8Continuation(byte(pos + i))) {
            ++pos;
            return 0xFFFD;
        }
        cp = (cp << 6) | (byte(pos + i) & 0x3F);
    }
    // Overlong forms and surrogates are not characters.
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return 0xFFFD;
    }
    pos += len;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace qel
