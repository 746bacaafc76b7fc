#include "platform/core/Encoding.h"

#include "platform/core/Utf8.h"

#include <cstdint>

namespace qel {

namespace {

// Windows-1252 0x80..0x9F; the five unassigned bytes map to the C1 controls
// of the same value so that any byte string survives a round trip.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

std::string Utf8ToCp1252(const std::string& Utf8)
{
    std::string out;
    out.reserve(Utf8.size());
    std::size_t i = 0;
    while (i < Utf8.size()) {
        // Malformed bytes decode as U+FFFD, which has no byte here.
        const char32_t cp = Utf8Next(Utf8, i);
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        char mapped = '?';
        for (int k = 0; k < 32; ++k) {
            if (kCp1252High[k] == cp) {
                mapped = static_cast<char>(0x80 + k);
                break;
            }
        }
        out += mapped;
    }
    return out;
}

std::string Cp1252ToUtf8(const std::string& Cp1252)
{
    std::string out;
    out.reserve(Cp1252.size() + Cp1252.size() / 4);
    for (char c : Cp1252) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            out += c;
        else if (b < 0xA0)
            AppendUtf8(out, kCp1252High[b - 0x80]);
        else
            AppendUtf8(out, b);
    }
    return out;
}

std::u16string Utf8ToUtf16(const std::string& Utf8)
{
    std::u16string out;
    out.reserve(Utf8.size());
    std::size_t i = 0;
    while (i < Utf8.size()) {
        char32_t cp = Utf8Next(Utf8, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& Utf16)
{
    std::string out;
    out.reserve(Utf16.size() * 3 / 2);
    for (std::size_t i = 0; i < Utf16.size(); ++i) {
        char32_t cp = Utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < Utf16.size() && Utf16[i + 1] >= 0xDC00
            && Utf16[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (Utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string Utf8ToUtf16LEBytes(const std::string& Utf8)
{
    const std::u16string units = Utf8ToUtf16(Utf8);
    std::string out;
    out.reserve(units.size() * 2);
    for (char16_t u : units) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

std::string Utf16LEBytesToUtf8(const std::string& Bytes)
{
    std::u16string units;
    units.reserve(Bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < Bytes.size(); i += 2) {
        units += static_cast<char16_t>(static_cast<unsigned char>(Bytes[i])
                                       | (static_cast<unsigned char>(Bytes[i + 1]) << 8));
    }
    return Utf16ToUtf8(units);
}

} // namespace qel
