#include "platform/storage/detail/SettingsFile.h"

#include "platform/core/Utf8.h"

#include <cstdint>
#include <vector>

namespace qel::detail {

namespace {

bool IsNameChar(char C)
{
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == '_';
}

bool IsHexDigit(char C)
{
    return (C >= '0' && C <= '9') || (C >= 'a' && C <= 'f') || (C >= 'A' && C <= 'F');
}

int HexValue(char C)
{
    return C <= '9' ? C - '0' : (C | 0x20) - 'a' + 10;
}

// Raw bytes pass through as they are; escaped UTF-16 units are collected and
// turned into UTF-8 when the run of escapes ends (a pair may be split over two).
class ValueBuilder {
public:
    void Byte(char C)
    {
        FlushUnits();
        m_out += C;
    }
    void Unit(std::uint16_t U) { m_units.push_back(U); }
    std::string Take()
    {
        FlushUnits();
        return std::move(m_out);
    }

private:
    void FlushUnits()
    {
        for (std::size_t i = 0; i < m_units.size(); ++i) {
            const std::uint16_t u = m_units[i];
            if (u >= 0xD800 && u <= 0xDBFF && i + 1 < m_units.size() && m_units[i + 1] >= 0xDC00 &&
                m_units[i + 1] <= 0xDFFF) {
                AppendUtf8(m_out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (m_units[i + 1] - 0xDC00));
                ++i;
            } else {
                AppendUtf8(m_out, u);   // a lone surrogate becomes U+FFFD
            }
        }
        m_units.clear();
    }

    std::string m_out;
    std::vector<std::uint16_t> m_units;
};

// The value text after '=' up to the line end; false for anything this store
// does not write.
bool UnescapeValue(const std::string& Raw, std::string& Value)
{
    // Blanks outside quotes at both ends are no part of the value.
    std::size_t begin = 0, end = Raw.size();
    while (begin < end && (Raw[begin] == ' ' || Raw[begin] == '\t'))
        ++begin;
    while (end > begin && (Raw[end - 1] == ' ' || Raw[end - 1] == '\t'))
        --end;
    ValueBuilder out;
    bool quoted = false;
    for (std::size_t i = begin; i < end; ++i) {
        const char c = Raw[i];
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && (c == ',' || c == ';'))
            return false;   // a list or a comment: not written here
        if (c != '\\') {
            out.Byte(c);
            continue;
        }
        if (++i >= end)
            return false;   // a continued line
        const char e = Raw[i];
        switch (e) {
        case '\\': out.Byte('\\'); break;
        case '"': out.Byte('"'); break;
        case '\'': out.Byte('\''); break;
        case '?': out.Byte('?'); break;
        case 'a': out.Byte('\a'); break;
        case 'b': out.Byte('\b'); break;
        case 'f': out.Byte('\f'); break;
        case 'n': out.Byte('\n'); break;
        case 'r': out.Byte('\r'); break;
        case 't': out.Byte('\t'); break;
        case 'v': out.Byte('\v'); break;
        case 'x':
        case 'X': {
            std::uint32_t unit = 0;
            while (i + 1 < end && IsHexDigit(Raw[i + 1]))
                unit = ((unit << 4) | static_cast<std::uint32_t>(HexValue(Raw[++i]))) & 0xFFFF;
            out.Unit(static_cast<std::uint16_t>(unit));
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                std::uint32_t unit = static_cast<std::uint32_t>(e - '0');
                while (i + 1 < end && Raw[i + 1] >= '0' && Raw[i + 1] <= '7')
                    unit = ((unit << 3) | static_cast<std::uint32_t>(Raw[++i] - '0')) & 0xFFFF;
                out.Unit(static_cast<std::uint16_t>(unit));
                break;
            }
            return false;
        }
    }
    if (quoted)
        return false;
    std::string text = out.Take();
    if (!text.empty() && text[0] == '@') {
        if (text.compare(0, 2, "@@") == 0)
            text.erase(0, 1);
        else if (text.compare(0, 8, "@String(") == 0 && text.back() == ')')
            text = text.substr(8, text.size() - 9);
        else
            return false;   // a typed value: never written by this store
    }
    Value = std::move(text);
    return true;
}

void AppendEscaped(std::string& Out, const std::string& Value)
{
    static const char hex[] = "0123456789abcdef";
    const bool quote = !Value.empty() && (Value.front() == ' ' || Value.front() == '\t' || Value.back() == ' ' ||
                                          Value.back() == '\t' || Value.find_first_of(",;=") != std::string::npos);
    if (quote)
        Out += '"';
    if (!Value.empty() && Value[0] == '@')
        Out += '@';
    bool afterNumber = false;   // a hex digit right after a numeric escape would join it
    for (char c : Value) {
        const auto u = static_cast<unsigned char>(c);
        if (afterNumber && IsHexDigit(c)) {
            Out += "\\x";
            Out += hex[u >> 4];
            Out += hex[u & 15];
            continue;
        }
        afterNumber = false;
        switch (c) {
        case '\\': Out += "\\\\"; break;
        case '"': Out += "\\\""; break;
        case '\a': Out += "\\a"; break;
        case '\b': Out += "\\b"; break;
        case '\f': Out += "\\f"; break;
        case '\n': Out += "\\n"; break;
        case '\r': Out += "\\r"; break;
        case '\t': Out += "\\t"; break;
        case '\v': Out += "\\v"; break;
        default:
            if (u < 0x20) {
                Out += "\\x";
                if (u >= 16)
                    Out += hex[u >> 4];
                Out += hex[u & 15];
                afterNumber = true;
            } else {
                Out += c;
            }
        }
    }
    if (quote)
        Out += '"';
}

} // namespace

bool ParseSettingsFile(const std::string& Bytes, SettingsMap& Result)
{
    SettingsMap values;
    std::string section;
    std::size_t pos = 0;
    while (pos < Bytes.size()) {
        std::size_t eol = Bytes.find_first_of("\r\n", pos);
        if (eol == std::string::npos)
            eol = Bytes.size();
        const std::string line = Bytes.substr(pos, eol - pos);
        pos = eol + 1;
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        if (line[0] == '[') {
            if (line.size() < 3 || line.back() != ']')
                return false;
            section = line.substr(1, line.size() - 2);
            for (char c : section)
                if (!IsNameChar(c))
                    return false;
            continue;
        }
        if (section.empty())
            return false;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0)
            return false;
        std::string key = section;
        key += '/';
        bool segmentStart = true;
        for (std::size_t i = 0; i < eq; ++i) {
            const char c = line[i];
            if (c == '\\' && !segmentStart) {
                key += '/';
                segmentStart = true;
            } else if (IsNameChar(c)) {
                key += c;
                segmentStart = false;
            } else {
                return false;
            }
        }
        if (segmentStart)
            return false;
        std::string value;
        if (!UnescapeValue(line.substr(eq + 1), value))
            return false;
        values[key] = std::move(value);
    }
    Result = std::move(values);
    return true;
}

std::string SerializeSettingsFile(const SettingsMap& Values)
{
    std::string out;
    std::string section;
    for (const auto& [key, value] : Values) {
        const std::size_t slash = key.find('/');
        const std::string keySection = key.substr(0, slash);
        if (keySection != section || out.empty()) {
            if (!out.empty())
                out += '\n';
            section = keySection;
            out += '[' + section + "]\n";
        }
        for (std::size_t i = slash + 1; i < key.size(); ++i)
            out += key[i] == '/' ? '\\' : key[i];
        out += '=';
        AppendEscaped(out, value);
        out += '\n';
    }
    return out;
}

}  // namespace qel::detail
