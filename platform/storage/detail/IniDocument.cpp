#include "platform/storage/detail/IniDocument.h"

#include "platform/core/Encoding.h"
#include "platform/core/Utf8.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <unordered_set>

namespace qel::detail {

std::string IniFoldCase(const std::string& Text)
{
    // Plain ASCII (nearly every key) needs no trip through QString.
    bool ascii = std::all_of(Text.begin(), Text.end(), [](char C) { return static_cast<unsigned char>(C) < 0x80; });
    if (ascii) {
        std::string out = Text;
        for (char& c : out)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return out;
    }
    return QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size())).toCaseFolded().toStdString();
}

namespace {

std::string TrimSpaces(const std::string& S)
{
    std::size_t b = 0;
    std::size_t e = S.size();
    while (b < e && (S[b] == ' ' || S[b] == '\t'))
        ++b;
    while (e > b && (S[e - 1] == ' ' || S[e - 1] == '\t'))
        --e;
    return S.substr(b, e - b);
}

} // namespace

IniDocument IniDocument::Parse(const std::string& Raw)
{
    std::string text = Raw;
    if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    if (!IsValidUtf8(text))
        text = Cp1252ToUtf8(text);

    IniDocument doc;
    Section* current = nullptr;
    // Keys already seen per section: a duplicate key is dropped, so the first
    // wins. Keyed by the section's index: adding a section moves the others.
    std::unordered_map<std::size_t, std::unordered_set<std::string>> seen;

    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = TrimSpaces(text.substr(pos, end - pos));
        pos = end;
        if (pos < text.size() && text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n')
            pos += 2;
        else
            ++pos;

        if (line.empty())
            continue;
        if (line.front() == ';' || line.front() == '#') {
            Entry comment{{}, line, {}, true};
            if (current)
                current->Entries.push_back(std::move(comment));
            else
                doc.m_preamble.push_back(std::move(comment));
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            std::string name = TrimSpaces(line.substr(1, line.size() - 2));
            current = doc.FindSection(name);
            if (!current)
                current = &doc.AddSection(name);
            continue;
        }
        std::size_t eq = line.find('=');
        if (!current || eq == std::string::npos)
            continue;  // stray text: nothing a reader could use
        std::string key = TrimSpaces(line.substr(0, eq));
        if (key.empty())
            continue;
        std::string folded = IniFoldCase(key);
        if (!seen[static_cast<std::size_t>(current - doc.m_sections.data())].insert(folded).second)
            continue;
        current->Entries.push_back(Entry{key, TrimSpaces(line.substr(eq + 1)), folded, false});
    }
    return doc;
}

std::string IniDocument::Serialize() const
{
    std::string out;
    for (const Entry& e : m_preamble)
        out += e.Value + "\r\n";
    for (std::size_t i = 0; i < m_sections.size(); ++i) {
        if (i > 0 || !m_preamble.empty())
            out += "\r\n";
        const Section& s = m_sections[i];
        out += "[" + s.Name + "]\r\n";
        for (const Entry& e : s.Entries)
            out += e.Comment ? e.Value + "\r\n" : e.Key + "=" + e.Value + "\r\n";
    }
    return out;
}

const IniDocument::Section* IniDocument::FindSection(const std::string& ASection) const
{
    auto it = m_index.find(IniFoldCase(TrimSpaces(ASection)));
    return it == m_index.end() ? nullptr : &m_sections[it->second];
}

IniDocument::Section* IniDocument::FindSection(const std::string& ASection)
{
    return const_cast<Section*>(std::as_const(*this).FindSection(ASection));
}

IniDocument::Section& IniDocument::AddSection(const std::string& Name)
{
    m_sections.push_back(Section{Name, {}});
    m_index[IniFoldCase(Name)] = m_sections.size() - 1;
    return m_sections.back();
}

void IniDocument::Reindex()
{
    m_index.clear();
    for (std::size_t i = 0; i < m_sections.size(); ++i)
        m_index[IniFoldCase(m_sections[i].Name)] = i;
}

const std::string* IniDocument::Find(const std::string& ASection, const std::string& Key) const
{
    const Section* s = FindSection(ASection);
    if (!s)
        return nullptr;
    std::string folded = IniFoldCase(TrimSpaces(Key));
    for (const Entry& e : s->Entries)
        if (!e.Comment && e.Folded == folded)
            return &e.Value;
    return nullptr;
}

void IniDocument::Set(const std::string& ASection, const std::string& Key, const std::string& Value)
{
    std::string sectionName = TrimSpaces(ASection);
    std::string keyName = TrimSpaces(Key);
    Section* s = FindSection(sectionName);
    if (!s)
        s = &AddSection(sectionName);
    std::string folded = IniFoldCase(keyName);
    for (Entry& e : s->Entries) {
        if (!e.Comment && e.Folded == folded) {
            e.Value = Value;
            return;
        }
    }
    s->Entries.push_back(Entry{keyName, Value, folded, false});
}

bool IniDocument::EraseSection(const std::string& ASection)
{
    const Section* s = FindSection(ASection);
    if (!s)
        return false;
    m_sections.erase(m_sections.begin() + (s - m_sections.data()));
    Reindex();
    return true;
}

bool IniDocument::DeleteKey(const std::string& ASection, const std::string& Key)
{
    Section* s = FindSection(ASection);
    if (!s)
        return false;
    std::string folded = IniFoldCase(TrimSpaces(Key));
    auto it = std::find_if(s->Entries.begin(), s->Entries.end(),
                           [&](const Entry& E) { return !E.Comment && E.Folded == folded; });
    if (it == s->Entries.end())
        return false;
    s->Entries.erase(it);
    return true;
}

std::vector<std::string> IniDocument::Keys(const std::string& ASection) const
{
    std::vector<std::string> keys;
    if (const Section* s = FindSection(ASection))
        for (const Entry& e : s->Entries)
            if (!e.Comment)
                keys.push_back(e.Key);
    return keys;
}

std::vector<std::string> IniDocument::KeyValues(const std::string& ASection) const
{
    std::vector<std::string> lines;
    if (const Section* s = FindSection(ASection))
        for (const Entry& e : s->Entries)
            if (!e.Comment)
                lines.push_back(e.Key + "=" + e.Value);
    return lines;
}

std::vector<std::string> IniDocument::SectionNames() const
{
    std::vector<std::string> names;
    names.reserve(m_sections.size());
    for (const Section& s : m_sections)
        names.push_back(s.Name);
    return names;
}

bool IniDocument::HasSection(const std::string& ASection) const
{
    return FindSection(ASection) != nullptr;
}

} // namespace qel::detail
