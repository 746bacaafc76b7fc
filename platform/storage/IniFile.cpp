#include "platform/storage/IniFile.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Stream.h"
#include "platform/core/Strings.h"
#include "platform/core/Utf8.h"
#include "platform/storage/detail/FillStrings.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace qel {

namespace {

std::string Trimmed(const std::string& S)
{
    std::size_t b = S.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    std::size_t e = S.find_last_not_of(" \t");
    return S.substr(b, e - b + 1);
}

std::optional<std::int32_t> ParseInteger(const std::string& Text)
{
    std::string s = Trimmed(Text);
    if (s.empty())
        return std::nullopt;
    int base = 10;
    std::size_t start = 0;
    if (s[0] == '$') {
        base = 16;
        start = 1;
    } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        start = 2;
    }
    const char* first = s.data() + start;
    const char* last = s.data() + s.size();
    if (base == 16) {
        // Hex is a bit pattern: $FFFFFFFF is -1, as the platform reads it.
        std::uint32_t bits = 0;
        auto [ptr, ec] = std::from_chars(first, last, bits, 16);
        if (ec != std::errc() || ptr != last || first == last)
            return std::nullopt;
        return static_cast<std::int32_t>(bits);
    }
    if (*first == '+')
        ++first;
    std::int32_t value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value, 10);
    if (ec != std::errc() || ptr != last || first == last)
        return std::nullopt;
    return value;
}

std::optional<double> ParseFloat(const std::string& Text)
{
    std::string s = Trimmed(Text);
    if (s.empty())
        return std::nullopt;
    if (s.find('.') == std::string::npos) {
        // A file from a program that wrote the locale's separator.
        std::size_t comma = s.find(',');
        if (comma != std::string::npos && s.find(',', comma + 1) == std::string::npos)
            s[comma] = '.';
    }
    const char* first = s.data();
    if (*first == '+')
        ++first;
    double value = 0;
    auto [ptr, ec] = std::from_chars(first, s.data() + s.size(), value);
    if (ec != std::errc() || ptr != s.data() + s.size())
        return std::nullopt;
    return value;
}

void CheckNames(const std::string& Section, const std::string& Ident, const std::string& Value)
{
    auto hasBreak = [](const std::string& S) { return S.find_first_of("\r\n") != std::string::npos; };
    std::string key = Trimmed(Ident);
    std::string sec = Trimmed(Section);
    // The file is read as Windows-1252 when any of it is not UTF-8: one such
    // name or value would garble every other non-ASCII text in the file.
    if (hasBreak(Section) || sec.empty() || !IsValidUtf8(Section))
        throw EIniFileException("Invalid section name \"" + Section + "\"");
    if (hasBreak(Ident) || key.empty() || !IsValidUtf8(Ident) || key.find('=') != std::string::npos ||
        key[0] == ';' || key[0] == '#' || key[0] == '[')
        throw EIniFileException("Invalid key name \"" + Ident + "\"");
    if (hasBreak(Value))
        throw EIniFileException("Invalid value for \"" + Ident + "\": line breaks cannot be stored");
    if (!IsValidUtf8(Value))
        throw EIniFileException("Invalid value for \"" + Ident + "\": the text is not UTF-8");
}

bool IsQuote(char C)
{
    return C == '"' || C == '\'';
}

bool Enclosed(const std::string& V)
{
    return V.size() >= 2 && IsQuote(V.front()) && V.back() == V.front();
}

// Readers of this format drop the blanks around a value and one pair of
// matching quotes enclosing it; a value that would lose either is written in
// quotes, so that it reads back exactly.
std::string EncodeValue(const std::string& V)
{
    if (V.empty())
        return V;
    auto blank = [](char C) { return C == ' ' || C == '\t'; };
    if (blank(V.front()) || blank(V.back()) || Enclosed(V))
        return '"' + V + '"';
    return V;
}

std::string DecodeValue(const std::string& V)
{
    return Enclosed(V) ? V.substr(1, V.size() - 2) : V;
}

std::vector<std::string> DecodeLines(std::vector<std::string> Lines)
{
    for (std::string& line : Lines) {
        std::size_t eq = line.find('=');
        if (eq != std::string::npos)
            line = line.substr(0, eq + 1) + DecodeValue(line.substr(eq + 1));
    }
    return Lines;
}

std::string ReadWholeFile(const std::string& Path, bool& Exists)
{
    std::error_code ec;
    Exists = std::filesystem::exists(Path, ec);
    if (!Exists)
        return {};
    std::ifstream in(Path, std::ios::binary);
    if (!in)
        throw EFOpenError("Cannot open file \"" + Path + "\". " + std::strerror(errno));
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        throw EFOpenError("Cannot open file \"" + Path + "\". Read error");
    return bytes;
}

void WriteDocument(const std::string& Path, const detail::IniDocument& Doc)
{
    std::string bytes = Doc.Serialize();
    try {
        SafeWriteFile(Path, [&](TStream& S) { S.WriteBytes(bytes); });
    } catch (const Exception& e) {
        throw EIniFileException("Unable to write to " + Path + ": " + e.Message());
    }
}

} // namespace

// --- TCustomIniFile -------------------------------------------------------

std::int32_t TCustomIniFile::ReadInteger(const std::string& Section, const std::string& Ident, std::int32_t Default)
{
    return ParseInteger(ReadString(Section, Ident, {})).value_or(Default);
}

void TCustomIniFile::WriteInteger(const std::string& Section, const std::string& Ident, std::int32_t Value)
{
    WriteString(Section, Ident, std::to_string(Value));
}

bool TCustomIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default)
{
    auto v = ParseInteger(ReadString(Section, Ident, {}));
    return v ? *v != 0 : Default;
}

void TCustomIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value)
{
    WriteString(Section, Ident, Value ? "1" : "0");
}

double TCustomIniFile::ReadFloat(const std::string& Section, const std::string& Ident, double Default)
{
    return ParseFloat(ReadString(Section, Ident, {})).value_or(Default);
}

void TCustomIniFile::WriteFloat(const std::string& Section, const std::string& Ident, double Value)
{
    char buf[64];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, Value);
    (void)ec;  // 64 characters always hold the shortest form of a double
    WriteString(Section, Ident, std::string(buf, ptr));
}

// --- TMemIniFile ----------------------------------------------------------

TMemIniFile::TMemIniFile(const std::string& FileName) : TCustomIniFile(FileName)
{
    bool exists = false;
    std::string bytes = ReadWholeFile(FileName, exists);
    m_doc = detail::IniDocument::Parse(bytes);
}

std::string TMemIniFile::ReadString(const std::string& Section, const std::string& Ident, const std::string& Default)
{
    const std::string* v = m_doc.Find(Section, Ident);
    return v ? DecodeValue(*v) : Default;
}

void TMemIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value)
{
    CheckNames(Section, Ident, Value);
    m_doc.Set(Section, Ident, EncodeValue(Value));
}

void TMemIniFile::ReadSection(const std::string& Section, TStrings& Strings)
{
    detail::FillStrings(Strings, m_doc.Keys(Section));
}

void TMemIniFile::ReadSections(TStrings& Strings)
{
    detail::FillStrings(Strings, m_doc.SectionNames());
}

void TMemIniFile::ReadSectionValues(const std::string& Section, TStrings& Strings)
{
    detail::FillStrings(Strings, DecodeLines(m_doc.KeyValues(Section)));
}

bool TMemIniFile::SectionExists(const std::string& Section)
{
    return m_doc.HasSection(Section);
}

bool TMemIniFile::ValueExists(const std::string& Section, const std::string& Ident)
{
    return m_doc.Find(Section, Ident) != nullptr;
}

void TMemIniFile::EraseSection(const std::string& Section)
{
    m_doc.EraseSection(Section);
}

void TMemIniFile::DeleteKey(const std::string& Section, const std::string& Ident)
{
    m_doc.DeleteKey(Section, Ident);
}

void TMemIniFile::UpdateFile()
{
    WriteDocument(FileName(), m_doc);
}

// --- TIniFile -------------------------------------------------------------

TIniFile::TIniFile(const std::string& FileName) : TCustomIniFile(FileName) {}

const detail::IniDocument& TIniFile::Current(bool ForWrite)
{
    std::error_code ec;
    auto stamp = std::filesystem::last_write_time(FileName(), ec);
    std::optional<std::filesystem::file_time_type> newStamp;
    std::uintmax_t size = 0;
    if (!ec) {
        newStamp = stamp;
        size = std::filesystem::file_size(FileName(), ec);
        if (ec)
            size = 0;
    }
    if (m_loaded && newStamp == m_stamp && size == m_size)
        return m_doc;

    std::string bytes;
    try {
        bool exists = false;
        bytes = ReadWholeFile(FileName(), exists);
    } catch (const EFOpenError&) {
        // Reads fall back to the defaults; a write must not replace a file
        // whose content it could not see.
        if (ForWrite)
            throw EIniFileException("Unable to write to " + FileName() + ": the file cannot be read");
        m_loaded = false;
        m_doc = {};
        return m_doc;
    }
    m_doc = detail::IniDocument::Parse(bytes);
    m_stamp = newStamp;
    m_size = size;
    m_loaded = true;
    return m_doc;
}

template <typename Change>
void TIniFile::Modify(Change AChange)
{
    detail::IniDocument updated = Current(true);
    if (!AChange(updated))
        return;
    WriteDocument(FileName(), updated);
    m_doc = std::move(updated);
    m_loaded = false;   // pick up the new stamp on the next access
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident, const std::string& Default)
{
    const std::string* v = Current(false).Find(Section, Ident);
    return v ? DecodeValue(*v) : Default;
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value)
{
    CheckNames(Section, Ident, Value);
    const std::string stored = EncodeValue(Value);
    Modify([&](detail::IniDocument& Doc) {
        const std::string* old = Doc.Find(Section, Ident);
        if (old && *old == stored)
            return false;
        Doc.Set(Section, Ident, stored);
        return true;
    });
}

void TIniFile::ReadSection(const std::string& Section, TStrings& Strings)
{
    detail::FillStrings(Strings, Current(false).Keys(Section));
}

void TIniFile::ReadSections(TStrings& Strings)
{
    detail::FillStrings(Strings, Current(false).SectionNames());
}

void TIniFile::ReadSectionValues(const std::string& Section, TStrings& Strings)
{
    detail::FillStrings(Strings, DecodeLines(Current(false).KeyValues(Section)));
}

bool TIniFile::SectionExists(const std::string& Section)
{
    return Current(false).HasSection(Section);
}

bool TIniFile::ValueExists(const std::string& Section, const std::string& Ident)
{
    return Current(false).Find(Section, Ident) != nullptr;
}

void TIniFile::EraseSection(const std::string& Section)
{
    Modify([&](detail::IniDocument& Doc) { return Doc.EraseSection(Section); });
}

void TIniFile::DeleteKey(const std::string& Section, const std::string& Ident)
{
    Modify([&](detail::IniDocument& Doc) { return Doc.DeleteKey(Section, Ident); });
}

} // namespace qel
