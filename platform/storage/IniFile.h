#pragma once
// INI files: sections of key=value lines.
//
// Sections and keys compare case-insensitively and keep the case and order
// in which they were read or first written. Files are read as UTF-8 (a BOM
// is skipped); a file that is not valid UTF-8 is taken as Windows-1252.
// Files are written as UTF-8 with CRLF line ends, whole or not at all
// (SafeWriteFile). Comment lines (';' or '#') survive an update; stray text
// is ignored, duplicate sections are merged and of duplicate keys the first
// one wins.
//
// Blanks around a value and one pair of matching quotes (" or ') enclosing
// it are not part of the value; a value that starts or ends with a blank, or
// is itself enclosed in quotes, is written in double quotes so that it reads
// back as written.
//
// Floats are written with '.' whatever the locale, so that a file moves
// between machines unchanged; reading accepts '.' and, for files written by
// locale-dependent programs, ',' as the decimal separator.
#include "platform/core/Object.h"
#include "platform/storage/detail/IniDocument.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace qel {

class TStrings;

class TCustomIniFile : public TObject {
    QEL_CLASS(TCustomIniFile)
public:
    explicit TCustomIniFile(const std::string& FileName) : m_fileName(FileName) {}

    const std::string& FileName() const { return m_fileName; }

    virtual std::string ReadString(const std::string& Section, const std::string& Ident,
                                   const std::string& Default) = 0;
    // A name or value that would not read back as written (line breaks, '='
    // in a key, a key that reads as a comment or section, text that is not
    // UTF-8) raises EIniFileException.
    virtual void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) = 0;

    // Decimal, or hexadecimal with a "0x" or "$" prefix; text that is no
    // 32-bit integer gives Default.
    std::int32_t ReadInteger(const std::string& Section, const std::string& Ident, std::int32_t Default);
    void WriteInteger(const std::string& Section, const std::string& Ident, std::int32_t Value);
    // Any integer other than 0 is true; text that is no integer gives Default.
    bool ReadBool(const std::string& Section, const std::string& Ident, bool Default);
    void WriteBool(const std::string& Section, const std::string& Ident, bool Value);
    double ReadFloat(const std::string& Section, const std::string& Ident, double Default);
    void WriteFloat(const std::string& Section, const std::string& Ident, double Value);

    // The key names of a section, in file order (Strings is cleared first).
    virtual void ReadSection(const std::string& Section, TStrings& Strings) = 0;
    virtual void ReadSections(TStrings& Strings) = 0;
    // "key=value" lines of a section.
    virtual void ReadSectionValues(const std::string& Section, TStrings& Strings) = 0;
    virtual bool SectionExists(const std::string& Section) = 0;
    virtual bool ValueExists(const std::string& Section, const std::string& Ident) = 0;
    virtual void EraseSection(const std::string& Section) = 0;
    virtual void DeleteKey(const std::string& Section, const std::string& Ident) = 0;
    virtual void UpdateFile() = 0;

private:
    std::string m_fileName;
};

// Holds the whole file in memory; changes reach the file only through UpdateFile.
class TMemIniFile : public TCustomIniFile {
    QEL_CLASS(TMemIniFile)
public:
    // A missing file starts empty; a file that exists but cannot be read
    // raises EFOpenError (an empty start would overwrite it on UpdateFile).
    explicit TMemIniFile(const std::string& FileName);

    std::string ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) override;
    void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) override;
    void ReadSection(const std::string& Section, TStrings& Strings) override;
    void ReadSections(TStrings& Strings) override;
    void ReadSectionValues(const std::string& Section, TStrings& Strings) override;
    bool SectionExists(const std::string& Section) override;
    bool ValueExists(const std::string& Section, const std::string& Ident) override;
    void EraseSection(const std::string& Section) override;
    void DeleteKey(const std::string& Section, const std::string& Ident) override;
    // Writes the whole file (safe-write); failure raises EIniFileException
    // and leaves the file as it was.
    void UpdateFile() override;

private:
    detail::IniDocument m_doc;
};

// Every write goes to the file at once (safe-write of the whole file); reads
// see changes that other programs made to the file.
class TIniFile : public TCustomIniFile {
    QEL_CLASS(TIniFile)
public:
    explicit TIniFile(const std::string& FileName);

    std::string ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) override;
    // Failure to write raises EIniFileException ("Unable to write to <file>");
    // the file and this object keep their previous content.
    void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) override;
    void ReadSection(const std::string& Section, TStrings& Strings) override;
    void ReadSections(TStrings& Strings) override;
    void ReadSectionValues(const std::string& Section, TStrings& Strings) override;
    bool SectionExists(const std::string& Section) override;
    bool ValueExists(const std::string& Section, const std::string& Ident) override;
    void EraseSection(const std::string& Section) override;
    void DeleteKey(const std::string& Section, const std::string& Ident) override;
    // Nothing to do: every change is on disk already.
    void UpdateFile() override {}

private:
    // Re-reads the file when its size or time changed since the last read.
    const detail::IniDocument& Current(bool ForWrite);
    template <typename Change>
    void Modify(Change AChange);

    detail::IniDocument m_doc;
    std::optional<std::filesystem::file_time_type> m_stamp;
    std::uintmax_t m_size = 0;
    bool m_loaded = false;
};

} // namespace qel
