#pragma once
// Free functions shared by the printing and preview code: integer and
// rectangle arithmetic, published-property access by name, file-name checks,
// text helpers, the print dialog's page-list syntax and roman and letter page
// numbering. Drawing and colour helpers are in PrintGraphicUtils.h, message
// boxes and control helpers in PrintUIUtils.h.
#include "platform/core/MathUtils.h"   // Min, Max
#include "platform/core/PropertyRegistry.h"
#include "platform/core/Variant.h"
#include "platform/graphics/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TStrings;

// Left and Right by MulDiv(x, NumX, DenX), Top and Bottom by MulDiv(y, NumY, DenY).
TRect ScaleRect(const TRect& R, int NumX, int DenX, int NumY, int DenY);
TPoint ScalePoint(const TPoint& Pt, int Numerator, int Denominator);

// Published properties by name, compared without regard to case; the lookup
// itself is the property registry's FindPropInfo (PropertyRegistry.h).
bool HasProperty(TObject* Object, const std::string& Name);
// Only for a property the object has: integer, boolean, enumeration, set and
// colour kinds take the value as an integer, floating kinds as a real,
// strings as a string and variants the value itself. Other kinds (Int64,
// object references, sub-objects, collections, binary) and read-only
// properties are left alone; an object reference is never made from a
// number. Conversion failures raise EConvertError, an ordinal the kind
// cannot take EPropertyError.
void SetPropertyValue(TObject* Object, const std::string& Name, const Variant& Value);

// True when any character (code point) of `Chars` occurs in `Text`.
bool ContainsAnyChar(const std::string& Text, const std::string& Chars);
// A name the print dialog accepts as an output file: not blank, none of
// < > " [ ] | or NUL, and a name part (after the last "/") that is not empty
// and holds no "\".
bool ValidateFileName(const std::string& FileName);

// Every occurrence of `Pattern` replaced; an empty pattern changes nothing.
std::string ReplaceSubStr(const std::string& Text, const std::string& Pattern,
                          const std::string& Replacement);
// `Text` without any character (code point) of `Chars`.
std::string RemoveChars(const std::string& Text, const std::string& Chars);
// Appends each non-empty piece of `Text` between separators to `Strings`.
void SplitText(const std::string& Text, const std::string& Separator, TStrings& Strings);

// Most pages one page list may name; a range such as "1-2000000000" is
// refused before anything is allocated.
inline constexpr int MaxDecodedPages = 100000;
// The print dialog's page list ("1,3,5-12", blanks and tabs ignored) as a
// variant array of integers in the order given, or Empty for a blank text.
// EConvertError for a reversed range, a list that starts with 0, a piece that
// is not a number, a negative page (a hexadecimal "$FFFFFFFF"), or more than
// MaxDecodedPages pages.
Variant DecodePageRanges(const std::string& Ranges);

// Largest page number written as roman numerals or letters; larger numbers
// are written in decimal digits so that a runaway page number cannot build
// an enormous text.
inline constexpr int MaxNumberingValue = 100000;
// Empty below 1.
std::string IntToRoman(int Value, bool UpperCase);
// Reads only the chosen case; -1 for text it cannot read (or whose value does
// not fit an integer); 0 for an empty text.
int RomanToInt(const std::string& Text, bool UpperCase);
std::string StringOfChar(char Ch, int Count);
// 1 -> "a", 26 -> "z", 27 -> "aa", 52 -> "zz", 53 -> "aaa"; empty below 1.
std::string IntToLetters(int Value, bool UpperCase);
// Position of the first letter in the chosen alphabet (0 when it is not
// there) plus (length - 1) * 26; 0 for an empty text, -1 when the value does
// not fit an integer.
int LettersToInt(const std::string& Text, bool UpperCase);

// Every "&" removed.
std::string RemoveAccelChars(const std::string& Caption);
// Trailing "." characters removed.
std::string DropEndEllipsis(const std::string& Text);

// A block of memory handed over to another owner (clipboard, device mode).
using TGlobalMemory = std::unique_ptr<std::vector<std::uint8_t>>;
// A copy of the data; nullptr for no data or when memory runs out.
TGlobalMemory CopyToGlobalMemory(const void* Data, std::size_t Size);

} // namespace qel
