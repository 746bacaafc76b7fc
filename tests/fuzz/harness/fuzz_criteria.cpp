// Criteria streams: what loads evaluates, renders a filter text the dataset's
// parser takes, and saves; what saves loads back to the same bytes.
#include "dbgrid/CriteriaTestSupport.h"
#include "fuzz/harness/FuzzSupport.h"

using namespace qel;
using namespace qel::fuzz;
using namespace qel::test;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    WriteSeeds(CriteriaSamples());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    TTypedCriteria c;
    c.AddItem(nullptr, "Old", 1, "o", "o");
    const std::string before = SaveCriteria(c);
    TStringStream stream(Input(Data, Size));
    try {
        c.LoadFromStream(stream);
    } catch (const EReadError&) {
        if (SaveCriteria(c) != before)
            Broken("a failed load changed the criteria");
        return 0;
    }
    TestRecord record{{"A", "x"}, {"B", 100}, {"D", 1.5}, {"K", Variant::FromDate(45000.75)}};
    (void)c.Evaluate(&record);
    (void)c.GetDisplayText();
    std::string error;
    if (!FilterTextParses(c, error))
        Broken(("the filter text is refused: " + error).c_str());
    std::string saved;
    try {
        saved = SaveCriteria(c);
    } catch (const EWriteError&) {
        Broken("a criteria that loaded does not save");
    }
    TTypedCriteria copy;
    TStringStream again(saved);
    try {
        copy.LoadFromStream(again);
    } catch (const EReadError&) {
        Broken("a saved criteria does not load");
    }
    if (SaveCriteria(copy) != saved)
        Broken("a saved criteria loads as another one");
    return 0;
}
