#include "editors/EditMask.h"

#include "platform/core/Locale.h"
#include "platform/core/Utf8.h"

#include <algorithm>

namespace qel {

namespace {

std::u32string ToU32(const std::string& S)
{
    std::u32string out;
    std::size_t pos = 0;
    while (pos < S.size())
        out.push_back(Utf8Next(S, pos));
    return out;
}

std::string FromU32(const std::u32string& S)
{
    std::string out;
    for (char32_t c : S)
        AppendUtf8(out, c);
    return out;
}

bool IsDigit(char32_t C) { return C >= U'0' && C <= U'9'; }

bool IsLetter(char32_t C)
{
    return (C >= U'a' && C <= U'z') || (C >= U'A' && C <= U'Z') || (C >= 0xC0 && C != 0xD7 && C != 0xF7);
}

char32_t ToUpper(char32_t C)
{
    if ((C >= U'a' && C <= U'z') || (C >= 0xE0 && C <= 0xFE && C != 0xF7))
        return C - 0x20;
    return C;
}

char32_t ToLower(char32_t C)
{
    if ((C >= U'A' && C <= U'Z') || (C >= 0xC0 && C <= 0xDE && C != 0xD7))
        return C + 0x20;
    return C;
}

bool IsMaskChar(char32_t C)
{
    return C == U'L' || C == U'l' || C == U'A' || C == U'a' || C == U'C' || C == U'c' || C == U'0' ||
           C == U'9' || C == U'#';
}

} // namespace

TEditMask::TEditMask(const std::string& Mask) : m_mask(Mask)
{
    const std::u32string m = ToU32(Mask);
    // The unescaped separators; the last two close the mask section.
    std::vector<std::size_t> seps;
    for (std::size_t i = 0; i < m.size(); ++i) {
        if (m[i] == U'\\')
            ++i;
        else if (m[i] == U';')
            seps.push_back(i);
    }
    std::size_t maskEnd = m.size();
    if (seps.size() >= 2) {
        maskEnd = seps[seps.size() - 2];
        const std::u32string save = m.substr(maskEnd + 1, seps.back() - maskEnd - 1);
        const std::u32string blank = m.substr(seps.back() + 1);
        m_saveLiterals = save.empty() || save.front() != U'0';
        if (!blank.empty())
            m_blank = blank.front();
    } else if (seps.size() == 1) {
        maskEnd = seps[0];
        const std::u32string save = m.substr(maskEnd + 1);
        m_saveLiterals = save.empty() || save.front() != U'0';
    }

    Case charCase = ccNone;
    const TFormatSettings& fs = FormatSettings();
    for (std::size_t i = 0; i < maskEnd; ++i) {
        const char32_t c = m[i];
        Position p;
        p.charCase = charCase;
        if (c == U'\\') {
            p.ch = i + 1 < maskEnd ? m[++i] : U'\\';
        } else if (c == U'<' && i + 1 < maskEnd && m[i + 1] == U'>') {
            charCase = ccNone;
            ++i;
            continue;
        } else if (c == U'<' || c == U'>') {
            charCase = c == U'<' ? ccLower : ccUpper;
            continue;
        } else if (c == U'!') {
            m_rightAlign = true;
            continue;
        } else if (IsMaskChar(c)) {
            p.kind = pkEdit;
            p.ch = c;
        } else if (c == U':') {
            p.ch = static_cast<unsigned char>(fs.TimeSeparator);
        } else if (c == U'/') {
            p.ch = static_cast<unsigned char>(fs.DateSeparator);
        } else if (c == U'_') {
            p.ch = U' ';
        } else {
            p.ch = c;
        }
        m_positions.push_back(p);
    }
}

bool TEditMask::IsLiteral(int Pos) const
{
    return Pos >= 0 && Pos < Length() && m_positions[static_cast<std::size_t>(Pos)].kind == pkLiteral;
}

bool TEditMask::IsRequired(int Pos) const
{
    if (Pos < 0 || Pos >= Length())
        return false;
    const Position& p = m_positions[static_cast<std::size_t>(Pos)];
    return p.kind == pkEdit && (p.ch == U'L' || p.ch == U'A' || p.ch == U'C' || p.ch == U'0');
}

bool TEditMask::IsValidChar(int Pos, char32_t& Ch) const
{
    if (Pos < 0 || Pos >= Length())
        return false;
    const Position& p = m_positions[static_cast<std::size_t>(Pos)];
    if (p.kind != pkEdit || Ch < 0x20 || Ch == 0x7F)
        return false;
    char32_t c = Ch;
    if (p.charCase == ccUpper)
        c = ToUpper(c);
    else if (p.charCase == ccLower)
        c = ToLower(c);
    bool ok = false;
    switch (p.ch) {
    case U'L': case U'l': ok = IsLetter(c); break;
    case U'A': case U'a': ok = IsLetter(c) || IsDigit(c); break;
    case U'C': case U'c': ok = true; break;
    case U'0': case U'9': ok = IsDigit(c); break;
    case U'#': ok = IsDigit(c) || c == U'+' || c == U'-'; break;
    default: break;
    }
    if (ok)
        Ch = c;
    return ok;
}

std::string TEditMask::FormatText(const std::string& Value) const
{
    if (Empty())
        return Value;
    std::u32string v = ToU32(Value);
    int editCount = 0;
    for (const Position& p : m_positions)
        editCount += p.kind == pkEdit ? 1 : 0;
    const std::size_t target = static_cast<std::size_t>(m_saveLiterals ? Length() : editCount);
    if (m_rightAlign && v.size() < target)
        v.insert(v.begin(), target - v.size(), U' ');
    std::u32string out;
    std::size_t j = 0;
    for (int i = 0; i < Length(); ++i) {
        const Position& p = m_positions[static_cast<std::size_t>(i)];
        if (p.kind == pkLiteral) {
            out.push_back(p.ch);
            if (m_saveLiterals)
                ++j;   // the value holds the literal (or whatever stands in for it) here
            continue;
        }
        char32_t c = j < v.size() ? v[j] : m_blank;
        ++j;
        if (c == U' ' || c == m_blank || !IsValidChar(i, c))
            c = m_blank;
        out.push_back(c);
    }
    return FromU32(out);
}

std::u32string TEditMask::Display32(const std::string& Display) const
{
    std::u32string d = ToU32(Display);
    d.resize(std::min(d.size(), m_positions.size()));
    for (std::size_t i = d.size(); i < m_positions.size(); ++i)
        d.push_back(m_positions[i].kind == pkLiteral ? m_positions[i].ch : m_blank);
    return d;
}

std::string TEditMask::ValueText(const std::string& Display) const
{
    if (Empty())
        return Display;
    const std::u32string d = Display32(Display);
    std::u32string out;
    for (std::size_t i = 0; i < m_positions.size(); ++i) {
        if (m_positions[i].kind == pkLiteral) {
            if (m_saveLiterals)
                out.push_back(m_positions[i].ch);
        } else {
            out.push_back(d[i] == m_blank ? U' ' : d[i]);
        }
    }
    return FromU32(out);
}

bool TEditMask::Validate(const std::string& Display, int& ErrorPos) const
{
    const std::u32string d = Display32(Display);
    for (int i = 0; i < Length(); ++i)
        if (IsRequired(i) && (d[static_cast<std::size_t>(i)] == m_blank || d[static_cast<std::size_t>(i)] == U' ')) {
            ErrorPos = i;
            return false;
        }
    ErrorPos = -1;
    return true;
}

int TEditMask::FilledCount(const std::string& Display) const
{
    const std::u32string d = Display32(Display);
    int n = 0;
    for (std::size_t i = 0; i < m_positions.size(); ++i)
        if (m_positions[i].kind == pkEdit && d[i] != m_blank && d[i] != U' ')
            ++n;
    return n;
}

int TEditMask::NextEditPos(int Pos) const
{
    for (int i = std::max(0, Pos); i < Length(); ++i)
        if (!IsLiteral(i))
            return i;
    return Length();
}

int TEditMask::PrevEditPos(int Pos) const
{
    for (int i = std::min(Pos, Length()) - 1; i >= 0; --i)
        if (!IsLiteral(i))
            return i;
    return -1;
}

void TEditMask::Clear(std::u32string& D, int Start, int Len) const
{
    for (int i = std::max(0, Start); i < std::min(Length(), Start + Len); ++i)
        if (!IsLiteral(i))
            D[static_cast<std::size_t>(i)] = m_blank;
}

bool TEditMask::TypeChar(std::string& Display, int& Caret, int SelLength, char32_t Ch) const
{
    const int p = NextEditPos(Caret);
    if (p >= Length() || !IsValidChar(p, Ch))
        return false;
    std::u32string d = Display32(Display);
    Clear(d, Caret, SelLength);
    d[static_cast<std::size_t>(p)] = Ch;
    Display = FromU32(d);
    Caret = NextEditPos(p + 1);
    return true;
}

void TEditMask::Backspace(std::string& Display, int& Caret, int SelLength) const
{
    std::u32string d = Display32(Display);
    if (SelLength > 0) {
        Clear(d, Caret, SelLength);
    } else {
        const int p = PrevEditPos(Caret);
        if (p < 0)
            return;
        d[static_cast<std::size_t>(p)] = m_blank;
        Caret = p;
    }
    Display = FromU32(d);
}

void TEditMask::DeleteChars(std::string& Display, int& Caret, int SelLength) const
{
    std::u32string d = Display32(Display);
    if (SelLength > 0) {
        Clear(d, Caret, SelLength);
    } else {
        const int p = NextEditPos(Caret);
        if (p >= Length())
            return;
        d[static_cast<std::size_t>(p)] = m_blank;
    }
    Display = FromU32(d);
}

} // namespace qel
