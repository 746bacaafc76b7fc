// Page lists and page numerals: decode or raise EConvertError, within the
// page limit, never a negative page; numerals write back to their value.
#include "printing/PrintUtils.h"
#include "fuzz/harness/FuzzSupport.h"

using namespace qel;
using namespace qel::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::vector<std::string> seeds{"1,3,5-12", " 2 - 4 ,\t9", "$A,0x2", "2147483646-2147483647"};
    for (int n : {1, 4, 49, 1999, 3888})
        seeds.push_back(IntToRoman(n, n % 2 == 0));
    for (int n : {1, 26, 27, 702})
        seeds.push_back(IntToLetters(n, n % 2 == 0));
    WriteSeeds(seeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const std::string input = Input(Data, Size);
    try {
        const Variant pages = DecodePageRanges(input);
        if (!pages.IsEmpty()) {
            if (pages.Elements().size() > static_cast<std::size_t>(MaxDecodedPages))
                Broken("more pages than the limit");
            if (pages.Elements().front().AsInteger() == 0)
                Broken("a page list starting with 0");
            for (const Variant& page : pages.Elements())
                if (page.AsInteger() < 0)
                    Broken("a negative page");
        }
    } catch (const EConvertError&) {
    }
    for (bool upper : {false, true}) {
        const int roman = RomanToInt(input, upper);
        if (roman < -1)
            Broken("a numeral below -1");
        if (roman >= 1 && roman <= MaxNumberingValue && RomanToInt(IntToRoman(roman, upper), upper) != roman)
            Broken("a Roman numeral does not write back");
        const int letters = LettersToInt(input, upper);
        if (letters < -1)
            Broken("a letter number below -1");
    }
    return 0;
}
