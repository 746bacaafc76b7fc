#include "platform/core/Utf8.h"

namespace qel {

std::size_t Utf8Length(std::string_view Text)
{
    std::size_t n = 0;
    for (char c : Text)
        if (!IsUtf8Continuation(static_cast<unsigned char>(c)))
            ++n;
    return n;
}

std::string Utf8Prefix(std::string_view Text, std::size_t Chars)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (!IsUtf8Continuation(static_cast<unsigned char>(Text[i]))) {
            if (n == Chars)
                return std::string(Text.substr(0, i));
            ++n;
        }
    }
    return std::string(Text);
}

std::string Utf8PrefixByBytes(std::string_view Text, std::size_t Bytes)
{
    if (Bytes >= Text.size())
        return std::string(Text);
    std::size_t end = Bytes;
    while (end > 0 && IsUtf8Continuation(static_cast<unsigned char>(Text[end])))
        --end;
    return std::string(Text.substr(0, end));
}

char32_t Utf8Next(std::string_view Text, std::size_t& Pos)
{
    const auto byte = [&](std::size_t I) { return static_cast<unsigned char>(Text[I]); };
    const unsigned char lead = byte(Pos);
    std::size_t len = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        ++Pos;
        return lead;
    }
    if ((lead & 0xE0) == 0xC0) {
        len = 2; cp = lead & 0x1F; min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        len = 3; cp = lead & 0x0F; min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        len = 4; cp = lead & 0x07; min = 0x10000;
    } else {
        ++Pos;
        return 0xFFFD;
    }
    if (Pos + len > Text.size()) {
        ++Pos;
        return 0xFFFD;
    }
    for (std::size_t i = 1; i < len; ++i) {
        if (!IsUtf8Continuation(byte(Pos + i))) {
            ++Pos;
            return 0xFFFD;
        }
        cp = (cp << 6) | (byte(Pos + i) & 0x3F);
    }
    // Overlong forms and surrogates are not characters.
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++Pos;
        return 0xFFFD;
    }
    Pos += len;
    return cp;
}

void AppendUtf8(std::string& Out, char32_t Cp)
{
    if (Cp > 0x10FFFF || (Cp >= 0xD800 && Cp <= 0xDFFF))
        Cp = 0xFFFD;
    if (Cp < 0x80) {
        Out += static_cast<char>(Cp);
    } else if (Cp < 0x800) {
        Out += static_cast<char>(0xC0 | (Cp >> 6));
        Out += static_cast<char>(0x80 | (Cp & 0x3F));
    } else if (Cp < 0x10000) {
        Out += static_cast<char>(0xE0 | (Cp >> 12));
        Out += static_cast<char>(0x80 | ((Cp >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (Cp & 0x3F));
    } else {
        Out += static_cast<char>(0xF0 | (Cp >> 18));
        Out += static_cast<char>(0x80 | ((Cp >> 12) & 0x3F));
        Out += static_cast<char>(0x80 | ((Cp >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (Cp & 0x3F));
    }
}

}  // namespace qel
