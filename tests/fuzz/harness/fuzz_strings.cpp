// String-list text: loads (a sorted list that refuses duplicates loads all
// lines or none); what a list saves loads back as the same lines; comma
// text parses and writes back to the same lines.
#include "fuzz/StringsChecks.h"
#include "fuzz/harness/FuzzSupport.h"

using namespace qel;
using namespace qel::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    TStringList list;
    for (const char* line : {"\xEF\xBB\xBF" "mark", "Name=Wert", "A=\"x;y\"", "", " blank ", "Größe"})
        list.Add(line);
    TStringList comma;
    comma.Add("c d");
    comma.Add("e\"f");
    comma.Add("");
    WriteSeeds({Saved(list), comma.CommaText(), "one\r\ntwo\nthree\rfour\r\n"});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const std::string broken = CheckStringsText(Input(Data, Size));
    if (!broken.empty())
        Broken(broken.c_str());
    return 0;
}
