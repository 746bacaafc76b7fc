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

namespace {

// Decodes the sequence at `Pos` into `Cp` and its byte length; false for a
// malformed, truncated, overlong or surrogate sequence.
bool DecodeUtf8At(std::string_view Text, std::size_t Pos, char32_t& Cp, std::size_t& Len)
{
    const auto byte = [&](std::size_t I) { return static_cast<unsigned char>(Text[I]); };
    const unsigned char lead = byte(Pos);
    char32_t min = 0;
    if (lead < 0x80) {
        Cp = lead;
        Len = 1;
        return true;
    }
    if ((lead & 0xE0) == 0xC0) {
        Len = 2; Cp = lead & 0x1F; min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        Len = 3; Cp = lead & 0x0F; min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        Len = 4; Cp = lead & 0x07; min = 0x10000;
    } else {
        return false;
    }
    if (Pos + Len > Text.size())
        return false;
    for (std::size_t i = 1; i < Len; ++i) {
        if (!IsUtf8Continuation(byte(Pos + i)))
            return false;
        Cp = (Cp << 6) | (byte(Pos + i) & 0x3F);
    }
    // Overlong forms and surrogates are not characters.
    return Cp >= min && Cp <= 0x10FFFF && !(Cp >= 0xD800 && Cp <= 0xDFFF);
}

}  // namespace

char32_t Utf8Next(std::string_view Text, std::size_t& Pos)
{
    char32_t cp = 0;
    std::size_t len = 0;
    if (!DecodeUtf8At(Text, Pos, cp, len)) {
        ++Pos;
        return 0xFFFD;
    }
    Pos += len;
    return cp;
}

bool IsValidUtf8(std::string_view Text)
{
    std::size_t pos = 0;
    while (pos < Text.size()) {
        char32_t cp = 0;
        std::size_t len = 0;
        if (!DecodeUtf8At(Text, pos, cp, len))
            return false;
        pos += len;
    }
    return true;
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
