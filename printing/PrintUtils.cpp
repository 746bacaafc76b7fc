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

bool HasProperty(TObject* AObject, const std::string& AName)
{
    return AObject != nullptr && FindPropInfo(AObject, AName) != nullptr;
}

void SetPropertyValue(TObject* AObject, const std::string& AName, const Variant& AValue)
{
    if (!HasProperty(AObject, AName))
        return;
    const TPropInfo& info = *FindPropInfo(AObject, AName);
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
        SetPropValue(AObject, info.Name, Variant(AValue.AsInteger()));
        break;
    case pkFloat:
        SetPropValue(AObject, info.Name, Variant(AValue.AsDouble()));
        break;
    case pkString:
        SetPropValue(AObject, info.Name, Variant(AValue.AsString()));
        break;
    case pkVariant:
        SetPropValue(AObject, info.Name, AValue);
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

bool ContainsAnyChar(const std::string& AText, const std::string& AChars)
{
    if (AChars.empty())
        return false;
    const std::vector<std::string> set = CodePoints(AChars);
    for (const std::string& cp : CodePoints(AText))
        if (IsAnyOf(cp, set))
            return true;
    return false;
}

bool ValidateFileName(const std::string& AFileName)
{
    // NUL is checked before trimming, which would drop it at either end.
    if (AFileName.find('\0') != std::string::npos)
        return false;
    const std::string name = Trim(AFileName);
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

std::string ReplaceSubStr(const std::string& AText, const std::string& APattern,
                          const std::string& AReplacement)
{
    if (APattern.empty())
        return AText;
    std::string result;
    std::size_t from = 0;
    for (std::size_t at = AText.find(APattern); at != std::string::npos;
         at = AText.find(APattern, from)) {
        result.append(AText, from, at - from);
        result += AReplacement;
        from = at + APattern.size();
    }
    result.append(AText, from, std::string::npos);
    return result;
}

std::string RemoveChars(const std::string& AText, const std::string& AChars)
{
    if (AChars.empty())
        return AText;
    const std::vector<std::string> set = CodePoints(AChars);
    std::string result;
    result.reserve(AText.size());
    for (const std::string& cp : CodePoints(AText))
        if (!IsAnyOf(cp, set))
            result += cp;
    return result;
}

void SplitText(const std::string& AText, const std::string& ASeparator, TStrings& AStrings)
{
    for (const std::string& piece : SplitString(AText, ASeparator))
        if (!piece.empty())
            AStrings.Add(piece);
}

std::string RemoveAccelChars(const std::string& ACaption)
{
    std::string result;
    result.reserve(ACaption.size());
    for (char c : ACaption)
        if (c != '&')
            result += c;
    return result;
}

std::string DropEndEllipsis(const std::string& AText)
{
    std::size_t end = AText.size();
    while (end > 0 && AText[end - 1] == '.')
        --end;
    return AText.substr(0, end);
}

std::string StringOfChar(char ACh, int ACount)
{
    return ACount > 0 ? std::string(static_cast<std::size_t>(ACount), ACh) : std::string();
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

Variant DecodePageRanges(const std::string& ARanges)
{
    std::string text;
    text.reserve(ARanges.size());
    for (char c : ARanges)
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

std::string IntToRoman(int AValue, bool AUpperCase)
{
    if (AValue < 1)
        return std::string();
    if (AValue > MaxNumberingValue)
        return std::to_string(AValue);
    std::string result;
    int value = AValue;
    for (const RomanStep& step : RomanSteps) {
        while (value >= step.value) {
            result += AUpperCase ? step.upper : step.lower;
            value -= step.value;
        }
    }
    return result;
}

int RomanToInt(const std::string& AText, bool AUpperCase)
{
    const char thousand = AUpperCase ? 'M' : 'm';
    std::size_t pos = 0;
    std::int64_t sum = 0;
    while (pos < AText.size() && AText[pos] == thousand) {
        sum += 1000;
        ++pos;
    }
    const auto result = [&]() { return sum > INT_MAX ? -1 : static_cast<int>(sum); };
    const auto readPlace = [&](const char* const (&Digits)[9], int Unit) {
        for (int k = 9; k >= 1; --k) {
            const std::string digit = CaseOf(Digits[k - 1], AUpperCase);
            if (AText.compare(pos, digit.size(), digit) == 0) {
                sum += std::int64_t{k} * Unit;
                pos += digit.size();
                return;
            }
        }
    };
    if (pos == AText.size())
        return result();
    readPlace(RomanHundreds, 100);
    if (pos == AText.size())
        return result();
    readPlace(RomanTens, 10);
    if (pos == AText.size())
        return result();
    readPlace(RomanOnes, 1);
    return pos == AText.size() ? result() : -1;
}

// ---------------------------------------------------------------------------
// Letter numbers

std::string IntToLetters(int AValue, bool AUpperCase)
{
    if (AValue < 1)
        return std::string();
    if (AValue > MaxNumberingValue)
        return std::to_string(AValue);
    const int r = AValue % 26;
    const char letter = static_cast<char>((AUpperCase ? 'A' : 'a') + (r == 0 ? 25 : r - 1));
    const int count = AValue / 26 + (r != 0 ? 1 : 0);
    return std::string(static_cast<std::size_t>(count), letter);
}

int LettersToInt(const std::string& AText, bool AUpperCase)
{
    if (AText.empty())
        return 0;
    const char first = AText[0];
    const char base = AUpperCase ? 'A' : 'a';
    const int position = (first >= base && first <= base + 25) ? first - base + 1 : 0;
    std::int64_t length = static_cast<std::int64_t>(Utf8Length(AText));
    // Text of stray continuation bytes alone is still one character, not a
    // negative count.
    length = std::max<std::int64_t>(length, 1);
    const std::int64_t result = position + (length - 1) * 26;
    return result > INT_MAX ? -1 : static_cast<int>(result);
}

// ---------------------------------------------------------------------------
// Memory

TGlobalMemory CopyToGlobalMemory(const void* AData, std::size_t ASize)
{
    if (AData == nullptr || ASize == 0)
        return nullptr;
    try {
        const auto* bytes = static_cast<const std::uint8_t*>(AData);
        return std::make_unique<std::vector<std::uint8_t>>(bytes, bytes + ASize);
    } catch (const std::bad_alloc&) {
        return nullptr;
    } catch (const std::length_error&) {
        return nullptr;
    }
}

} // namespace qel
