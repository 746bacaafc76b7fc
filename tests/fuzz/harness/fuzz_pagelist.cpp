// Page lists and page numerals: decode or raise EConvertError, within the
// page limit, never a negative page; numerals write back to their value.
#include "fuzz/PageListChecks.h"
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
    const std::string broken = CheckPageText(Input(Data, Size));
    if (!broken.empty())
        Broken(broken.c_str());
    return 0;
}
