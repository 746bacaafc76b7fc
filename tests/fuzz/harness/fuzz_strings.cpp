// String-list text: loads (a sorted list that refuses duplicates loads all
// lines or none); what a list saves loads back as the same lines; comma
// text parses and writes back to the same lines.
#include "platform/core/Stream.h"
#include "platform/core/Strings.h"
#include "fuzz/harness/FuzzSupport.h"

using namespace qel;
using namespace qel::fuzz;

namespace {

std::vector<std::string> LinesOf(const TStrings& List)
{
    std::vector<std::string> lines;
    for (int i = 0; i < List.Count(); ++i)
        lines.push_back(List.Get(i));
    return lines;
}

std::string Saved(const TStrings& List)
{
    TMemoryStream s;
    List.SaveToStream(s);
    return s.Bytes();
}

} // namespace

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
    const std::string input = Input(Data, Size);
    TStringList loaded;
    TStringStream in(input);
    loaded.LoadFromStream(in);
    TStringList reloaded;
    TStringStream saved(Saved(loaded));
    reloaded.LoadFromStream(saved);
    if (LinesOf(reloaded) != LinesOf(loaded))
        Broken("a saved list loads back as other lines");

    TStringList comma;
    comma.SetCommaText(input);
    TStringList again;
    again.SetCommaText(comma.CommaText());
    if (LinesOf(again) != LinesOf(comma))
        Broken("comma text does not write back to the same lines");

    TStringList sorted;
    sorted.SetSorted(true);
    sorted.SetDuplicates(dupError);
    sorted.Add("old");
    sorted.Add("zzz");
    TStringStream stream(input);
    try {
        sorted.LoadFromStream(stream);
    } catch (const EStringListError&) {
        if (LinesOf(sorted) != std::vector<std::string>{"old", "zzz"})
            Broken("a refused load changed the sorted list");
    }
    return 0;
}
