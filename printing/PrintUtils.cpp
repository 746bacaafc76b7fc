#include "printing/PrintUtils.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Locale.h"
#include "platform/core/MathUtils.h"
#include "platform/core/Split.h"
#include "platform/core/Strings.h"
#include "platform/core/Utf8.h"

#include <algorithm>
#include <climits>
#include <new>

namespace qel {

namespace {

// The code points of a text, each as its UTF-8 bytes; a malformed byte is
// a piece of its own.
std::vector<std::string> CodePoints(const std::string& Text)
{
    std::vector<std::string> result;
    for (std::size_t i = 0; i < Text.size();) {
        const std::size_t from = i;
        Utf8Next(Text, i);
        result.push_back(Text.substr(from, i - from));
    }
    return result;
}

bool IsAnyOf(const std::string& Cp, const std::vector<std::string>& Set)
{
    for (const std::string& s : Set)
        if (s == Cp)
            return true;
    return false;
}

} // namespace

// ---------------------------------------------------------------------------
// Arithmetic

TRect ScaleRect(const TRect& R, int NumX, int DenX, int NumY, int DenY)
{
    return TRect{MulDiv(R.Left, NumX, DenX), MulDiv(R.Top, NumY, DenY),
                 MulDiv(R.Right, NumX, DenX), MulDiv(R.Bottom, NumY, DenY)};
}

TPoint ScalePoint(const TPoint& Pt, int Numerator, int Denominator)
{
    return TPoint{MulDiv(Pt.X, Numerator, Denominator), MulDiv(Pt.Y, Numerator, Denominator)};
}

// ---------------------------------------------------------------------------
// Published properties

bool HasProperty(TObject* Object, const std::string& Name)
{
    return Object != nullptr && FindPropInfo(Object, Name) != nullptr;
}

void SetPropertyValue(TObject* Object, const std::string& Name, const Variant& Value)
{
    if (!HasProperty(Object, Name))
        return;
    const TPropInfo& info = *FindPropInfo(Object, Name);
    if (info.IsReadOnly())
        return;
    // The registry's setter checks the value against the kind (an enumeration
    // ordinal out of range, for one).
    switch (info.Kind) {
    case pkInteger:
    case pkBoolean:
    case pkEnumeration:
    case pkSet:
    case pkColor:
        SetPropValue(Object, info.Name, Variant(Value.AsInteger()));
        break;
    case pkFloat:
        SetPropValue(Object, info.Name, Variant(Value.AsDouble()));
        break;
    case pkString:
        SetPropValue(Object, info.Name, Variant(Value.AsString()));
        break;
    case pkVariant:
        SetPropValue(Object, info.Name, Value);
        break;
    case pkInt64:
    case pkComponent:
    case pkPersistent:
    case pkCollection:
    case pkBinary:
        break;
    }
}

// ---------------------------------------------------------------------------
// Text

bool ContainsAnyChar(const std::string& Text, const std::string& Chars)
{
    if (Chars.empty())
        return false;
    const std::vector<std::string> set = CodePoints(Chars);
    for (const std::string& cp : CodePoints(Text))
        if (IsAnyOf(cp, set))
            return true;
    return false;
}

bool ValidateFileName(const std::string& FileName)
{
    // NUL is checked before trimming, which would drop it at either end.
    if (FileName.find('\0') != std::string::npos)
        return false;
    const std::string name = Trim(FileName);
    if (name.empty())
        return false;
    if (name.find_first_of("<>\"[]|") != std::string::npos)
        return false;
    // "/" separates directories here, so the name part is what follows the
    // last one; a name ending in "/" names a directory, not a file.
    const std::size_t slash = name.rfind('/');
    const std::string namePart = slash == std::string::npos ? name : name.substr(slash + 1);
    return !namePart.empty() && namePart.find('\\') == std::string::npos;
}

std::string ReplaceSubStr(const std::string& Text, const std::string& Pattern,
                          const std::string& Replacement)
{
    if (Pattern.empty())
        return Text;
    std::string result;
    std::size_t from = 0;
    for (std::size_t at = Text.find(Pattern); at != std::string::npos;
         at = Text.find(Pattern, from)) {
        result.append(Text, from, at - from);
        result += Replacement;
        from = at + Pattern.size();
    }
    result.append(Text, from, std::string::npos);
    return result;
}

std::string RemoveChars(const std::string& Text, const std::string& Chars)
{
    if (Chars.empty())
        return Text;
    const std::vector<std::string> set = CodePoints(Chars);
    std::string result;
    result.reserve(Text.size());
    for (const std::string& cp : CodePoints(Text))
        if (!IsAnyOf(cp, set))
            result += cp;
    return result;
}

void SplitText(const std::string& Text, const std::string& Separator, TStrings& Strings)
{
    for (const std::string& piece : SplitString(Text, Separator))
        if (!piece.empty())
            Strings.Add(piece);
}

std::string RemoveAccelChars(const std::string& Caption)
{
    std::string result;
    result.reserve(Caption.size());
    for (char c : Caption)
        if (c != '&')
            result += c;
    return result;
}

std::string DropEndEllipsis(const std::string& Text)
{
    std::size_t end = Text.size();
    while (end > 0 && Text[end - 1] == '.')
        --end;
    return Text.substr(0, end);
}

std::string StringOfChar(char Ch, int Count)
{
    return Count > 0 ? std::string(static_cast<std::size_t>(Count), Ch) : std::string();
}

// ---------------------------------------------------------------------------
// Page lists

namespace {

// Pieces of a text between separators, empty pieces dropped.
std::vector<std::string> NonEmptyPieces(const std::string& Text, char Separator)
{
    std::vector<std::string> pieces = SplitString(Text, Separator);
    std::erase_if(pieces, [](const std::string& Piece) { return Piece.empty(); });
    return pieces;
}

[[noreturn]] void TooManyPages()
{
    throw EConvertError("Page list names more than " + std::to_string(MaxDecodedPages) + " pages");
}

} // namespace

Variant DecodePageRanges(const std::string& Ranges)
{
    std::string text;
    text.reserve(Ranges.size());
    for (char c : Ranges)
        if (c != ' ' && c != '\t')
            text += c;
    if (text.empty())
        return Variant();

    const std::vector<std::string> pieces = NonEmptyPieces(text, ',');
    // The last element is always the slot the next piece fills.
    std::vector<int> pages{0};
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::string& piece = pieces[i];
        if (piece.find('-') != std::string::npos) {
            const std::vector<std::string> bounds = NonEmptyPieces(piece, '-');
            // "5-", "-5" and "1-2-3" store nothing: the slot keeps 0.
            if (bounds.size() == 2) {
                const int first = StrToInt(bounds[0]);
                const int last = StrToInt(bounds[1]);
                if (last < first)
                    throw EConvertError("");
                const std::int64_t count = std::int64_t{last} - first + 1;
                if (count > MaxDecodedPages ||
                    static_cast<std::int64_t>(pages.size()) - 1 + count > MaxDecodedPages)
                    TooManyPages();
                pages.back() = first;
                for (std::int64_t page = std::int64_t{first} + 1; page <= last; ++page)
                    pages.push_back(static_cast<int>(page));
            }
        } else {
            pages.back() = StrToInt(piece);
        }
        if (i + 1 < pieces.size()) {
            if (static_cast<std::int64_t>(pages.size()) >= MaxDecodedPages)
                TooManyPages();
            pages.push_back(0);
        }
    }
    if (pages.front() == 0)
        throw EConvertError("");

    std::vector<Variant> items;
    items.reserve(pages.size());
    for (int page : pages) {
        // Only a hexadecimal number wraps below zero ("$FFFFFFFF").
        if (page < 0)
            throw EConvertError("Page " + std::to_string(page) + " is outside the document");
        items.emplace_back(page);
    }
    return Variant::Array(std::move(items));
}

// ---------------------------------------------------------------------------
// Roman numbers

namespace {

struct RomanStep {
    int value;
    const char* lower;
    const char* upper;
};

constexpr RomanStep RomanSteps[] = {
    {1000, "m", "M"}, {900, "cm", "CM"}, {500, "d", "D"}, {400, "cd", "CD"},
    {100, "c", "C"},  {90, "xc", "XC"},  {50, "l", "L"},  {40, "xl", "XL"},
    {10, "x", "X"},   {9, "ix", "IX"},   {5, "v", "V"},   {4, "iv", "IV"},
    {1, "i", "I"},
};

// Digits 1..9 of one decimal place, lower case.
constexpr const char* RomanHundreds[] = {"c", "cc", "ccc", "cd", "d", "dc", "dcc", "dccc", "cm"};
constexpr const char* RomanTens[] = {"x", "xx", "xxx", "xl", "l", "lx", "lxx", "lxxx", "xc"};
constexpr const char* RomanOnes[] = {"i", "ii", "iii", "iv", "v", "vi", "vii", "viii", "ix"};

std::string CaseOf(const char* Lower, bool Upper)
{
    std::string s(Lower);
    if (Upper)
        for (char& c : s)
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

} // namespace

std::string IntToRoman(int Value, bool UpperCase)
{
    if (Value < 1)
        return std::string();
    if (Value > MaxNumberingValue)
        return std::to_string(Value);
    std::string result;
    int value = Value;
    for (const RomanStep& step : RomanSteps) {
        while (value >= step.value) {
            result += UpperCase ? step.upper : step.lower;
            value -= step.value;
        }
    }
    return result;
}

int RomanToInt(const std::string& Text, bool UpperCase)
{
    const char thousand = UpperCase ? 'M' : 'm';
    std::size_t pos = 0;
    std::int64_t sum = 0;
    while (pos < Text.size() && Text[pos] == thousand) {
        sum += 1000;
        ++pos;
    }
    const auto result = [&]() { return sum > INT_MAX ? -1 : static_cast<int>(sum); };
    const auto readPlace = [&](const char* const (&Digits)[9], int Unit) {
        for (int k = 9; k >= 1; --k) {
            const std::string digit = CaseOf(Digits[k - 1], UpperCase);
            if (Text.compare(pos, digit.size(), digit) == 0) {
                sum += std::int64_t{k} * Unit;
                pos += digit.size();
                return;
            }
        }
    };
    if (pos == Text.size())
        return result();
    readPlace(RomanHundreds, 100);
    if (pos == Text.size())
        return result();
    readPlace(RomanTens, 10);
    if (pos == Text.size())
        return result();
    readPlace(RomanOnes, 1);
    return pos == Text.size() ? result() : -1;
}

// ---------------------------------------------------------------------------
// Letter numbers

std::string IntToLetters(int Value, bool UpperCase)
{
    if (Value < 1)
        return std::string();
    if (Value > MaxNumberingValue)
        return std::to_string(Value);
    const int r = Value % 26;
    const char letter = static_cast<char>((UpperCase ? 'A' : 'a') + (r == 0 ? 25 : r - 1));
    const int count = Value / 26 + (r != 0 ? 1 : 0);
    return std::string(static_cast<std::size_t>(count), letter);
}

int LettersToInt(const std::string& Text, bool UpperCase)
{
    if (Text.empty())
        return 0;
    const char first = Text[0];
    const char base = UpperCase ? 'A' : 'a';
    const int position = (first >= base && first <= base + 25) ? first - base + 1 : 0;
    std::int64_t length = static_cast<std::int64_t>(Utf8Length(Text));
    // Text of stray continuation bytes alone is still one character, not a
    // negative count.
    length = std::max<std::int64_t>(length, 1);
    const std::int64_t result = position + (length - 1) * 26;
    return result > INT_MAX ? -1 : static_cast<int>(result);
}

// ---------------------------------------------------------------------------
// Memory

TGlobalMemory CopyToGlobalMemory(const void* Data, std::size_t Size)
{
    if (Data == nullptr || Size == 0)
        return nullptr;
    try {
        const auto* bytes = static_cast<const std::uint8_t*>(Data);
        return std::make_unique<std::vector<std::uint8_t>>(bytes, bytes + Size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    } catch (const std::length_error&) {
        return nullptr;
    }
}

} // namespace qel
