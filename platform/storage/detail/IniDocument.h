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
std::string IniFoldCase(const std::string& Text);

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
    static IniDocument Parse(const std::string& Bytes);
    // UTF-8 with CRLF line ends and a blank line between sections.
    std::string Serialize() const;

    const std::string* Find(const std::string& ASection, const std::string& Key) const;
    void Set(const std::string& ASection, const std::string& Key, const std::string& Value);
    bool EraseSection(const std::string& ASection);
    bool DeleteKey(const std::string& ASection, const std::string& Key);

    // Key names of a section in file order, each once; empty for a missing section.
    std::vector<std::string> Keys(const std::string& ASection) const;
    // "key=value" for each key (first value of a duplicated key).
    std::vector<std::string> KeyValues(const std::string& ASection) const;
    std::vector<std::string> SectionNames() const;
    bool HasSection(const std::string& ASection) const;

private:
    const Section* FindSection(const std::string& ASection) const;
    Section* FindSection(const std::string& ASection);
    Section& AddSection(const std::string& Name);
    void Reindex();

    std::vector<Entry> m_preamble;  // comment lines before the first section
    std::vector<Section> m_sections;
    std::unordered_map<std::string, std::size_t> m_index;  // folded name -> section
};

} // namespace qel::detail
