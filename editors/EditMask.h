#pragma once
// TEditMask: the platform's edit-mask syntax, parsed once, and the editing
// steps a masked editor runs on its display text.
//
// A mask has up to three sections separated by ';' (a '\;' does not
// separate): the mask itself; whether literal characters are saved with the
// value ('0': no, anything else or missing: yes); the character shown for an
// unfilled position (default '_').
//
// Supported mask characters:
//   L letter, required        l letter, optional
//   A letter or digit, req.   a letter or digit, optional
//   C any character, req.     c any character, optional
//   0 digit, required         9 digit, optional
//   # digit, '+' or '-', optional
//   >  upper-cases what follows, <  lower-cases it, <> ends the conversion
//   !  a value shorter than the mask fills it from the right (optional
//      positions show as leading blanks) instead of from the left
//   \x the character x taken literally
//   :  the locale's time separator, /  its date separator, _  a blank
//   any other character is a literal.
// Letters are the ASCII letters and the Latin-1 and later letters (every
// code point from U+00C0 except U+00D7 and U+00F7).
//
// The display text has one character per position: the literal, the
// character typed, or the blank character. The value (the stored text) has
// the literals only when they are saved, and a space for every unfilled
// position; it is not trimmed.
#include <string>
#include <vector>

namespace qel {

class TEditMask {
public:
    TEditMask() = default;
    explicit TEditMask(const std::string& Mask);

    const std::string& Mask() const { return m_mask; }
    // No mask: the editor takes any text.
    bool Empty() const { return m_positions.empty(); }
    bool SaveLiterals() const { return m_saveLiterals; }
    char32_t BlankChar() const { return m_blank; }
    // Number of positions (characters of the display text).
    int Length() const { return static_cast<int>(m_positions.size()); }
    bool IsLiteral(int Pos) const;
    bool IsRequired(int Pos) const;

    // The display text for a value (the platform's FormatMaskText).
    std::string FormatText(const std::string& Value) const;
    // The value for a display text.
    std::string ValueText(const std::string& Display) const;
    // The display text of the empty value: literals and blanks.
    std::string EmptyText() const { return FormatText(""); }
    // Answers true when Ch may stand at Pos, converted for its case section.
    bool IsValidChar(int Pos, char32_t& Ch) const;
    // Every required position is filled; ErrorPos is the first that is not.
    bool Validate(const std::string& Display, int& ErrorPos) const;
    // Number of edit positions that hold a character.
    int FilledCount(const std::string& Display) const;

    // The first edit position at or after Pos (Length() when none), and the
    // last before Pos (-1 when none).
    int NextEditPos(int Pos) const;
    int PrevEditPos(int Pos) const;

    // Typing Ch with the caret at Caret (positions from Caret to
    // Caret + SelLength are cleared first): answers false and changes
    // nothing when no edit position follows or Ch does not fit there;
    // otherwise the character goes to the next edit position and the caret
    // moves behind it, onto the next edit position.
    bool TypeChar(std::string& Display, int& Caret, int SelLength, char32_t Ch) const;
    // Backspace: clears the selection, or the edit position before the caret.
    void Backspace(std::string& Display, int& Caret, int SelLength) const;
    // Delete: clears the selection, or the edit position at or after the caret.
    void DeleteChars(std::string& Display, int& Caret, int SelLength) const;

private:
    enum Kind : unsigned char { pkLiteral, pkEdit };
    enum Case : unsigned char { ccNone, ccUpper, ccLower };
    struct Position {
        Kind kind = pkLiteral;
        char32_t ch = 0;        // the literal, or the mask character of an edit position
        Case charCase = ccNone;
    };

    std::u32string Display32(const std::string& Display) const;
    void Clear(std::u32string& D, int Start, int Len) const;

    std::string m_mask;
    std::vector<Position> m_positions;
    bool m_saveLiterals{true};
    bool m_rightAlign{false};
    char32_t m_blank{U'_'};
};

} // namespace qel
