#pragma once
// The checks on page lists and page numerals, shared by the page list
// robustness test and the page list fuzz harness.
#include "printing/PrintUtils.h"

#include <string>

namespace qel::fuzz {

// A page list decodes or raises EConvertError, within the page limit, never
// starting with 0 nor holding a negative page; a numeral of the usual range
// writes back to the same value, letters to a bounded text. Returns what
// broke, empty when nothing did.
inline std::string CheckPageText(const std::string& Input)
{
    try {
        const Variant pages = DecodePageRanges(Input);
        if (!pages.IsEmpty()) {
            if (pages.Elements().size() > static_cast<std::size_t>(MaxDecodedPages))
                return "more pages than the limit";
            if (pages.Elements().front().AsInteger() == 0)
                return "a page list starting with 0";
            for (const Variant& page : pages.Elements())
                if (page.AsInteger() < 0)
                    return "a negative page";
        }
    } catch (const EConvertError&) {
    }
    for (bool upper : {false, true}) {
        const int roman = RomanToInt(Input, upper);
        if (roman < -1)
            return "a numeral below -1";
        if (roman >= 1 && roman <= MaxNumberingValue && RomanToInt(IntToRoman(roman, upper), upper) != roman)
            return "a Roman numeral does not write back";
        const int letters = LettersToInt(Input, upper);
        if (letters < -1)
            return "a letter number below -1";
        if (letters >= 1 && letters <= MaxNumberingValue &&
            IntToLetters(letters, upper).size() > static_cast<std::size_t>(MaxNumberingValue / 26 + 1))
            return "a letter number writes as an unbounded text";
    }
    return {};
}

} // namespace qel::fuzz
