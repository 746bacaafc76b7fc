// The preview's binary "Margins" records: read or refuse with EReadError,
// leaving the margins as they were; what reads keeps every margin's own
// limits and reads back as written.
#include "fuzz/MarginsChecks.h"
#include "fuzz/harness/FuzzSupport.h"

using namespace qel;
using namespace qel::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    TdxPreviewMargins margins;
    std::vector<std::string> seeds{MarginsBytes(margins)};
    margins.Left()->SetMaxValue(400);
    margins.Gutter()->SetValue(120);
    margins.Footer()->SetMinValue(300);
    margins.Header()->SetEnabled(false);
    margins.Top()->SetVisible(false);
    seeds.push_back(MarginsBytes(margins));
    WriteSeeds(seeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    TdxPreviewMargins margins;
    const std::string broken = CheckMarginsRead(Input(Data, Size), margins);
    if (!broken.empty())
        Broken(broken.c_str());
    return 0;
}
