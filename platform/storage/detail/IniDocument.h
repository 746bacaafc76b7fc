#pragma once
// The parsed form of an INI file shared by TMemIniFile and TIniFile.
// Sections and keys compare case-insensitively but keep the case and the
// order in which they were read or first written. Comment lines are kept
// (in place) so that a program-written update never drops what a person
// wrote into the file.
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace qel::detail {

// Case folding used for every section and key comparison (Unicode aware).
std::string IniFoldCase(const std::string& text);

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(const std::string& bytes);

class IniDocument {
public:
    struct Entry {
        std::string Key;    // empty for a kept comment line
        std::string Value;  // the comment text for a comment line
        std::string Folded; // IniFoldCase(Key), kept for lookups
        bool Comment = false;
    };
    struct Section {
        std::string Name;
        std::vector<Entry> Entries;
    };

    // Parses file bytes: a UTF-8 BOM is dropped, text that is not valid UTF-8
    // is taken as Windows-1252, any line end is accepted. Never throws on
    // odd content: stray text is ignored, duplicate sections are merged into
    // the first, and of duplicate keys the first wins on read.
    static IniDocument Parse(const std::string& bytes);
    // UTF-8 with CRLF line ends and a blank line between sections.
    std::string Serialize() const;

    const std::string* Find(const std::string& section, const std::string& key) const;
    void Set(const std::string& section, const std::string& key, const std::string& value);
    bool EraseSection(const std::string& section);
    bool DeleteKey(const std::string& section, const std::string& key);

    // Key names of a section in file order, each once; empty for a missing section.
    std::vector<std::string> Keys(const std::string& section) const;
    // "key=value" for each key (first value of a duplicated key).
    std::vector<std::string> KeyValues(const std::string& section) const;
    std::vector<std::string> SectionNames() const;
    bool HasSection(const std::string& section) const;

private:
    const Section* FindSection(const std::string& section) const;
    Section* FindSection(const std::string& section);
    Section& AddSection(const std::string& name);
    void Reindex();

    std::vector<Entry> m_preamble;  // comment lines before the first section
    std::vector<Section> m_sections;
    std::unordered_map<std::string, std::size_t> m_index;  // folded name -> section
};

} // namespace qel::detail
