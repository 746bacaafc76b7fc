// Component streams: a new tree or a read into an existing one; a failure
// raises our exception and changes nothing, a success writes and reads again.
#include "fuzz/StreamingSamples.h"
#include "fuzz/harness/FuzzSupport.h"

using namespace qel;
using namespace qel::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    RegisterFuzzClasses();
    WriteSeeds(Samples());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    TFzNode target(nullptr);
    target.SetName("Target");
    auto* child = new TFzNode(&target);
    child->SetName("A");
    child->SetParentComponent(&target);
    const std::string broken = CheckStreamRead(Input(Data, Size), target);
    if (!broken.empty())
        Broken(broken.c_str());
    return 0;
}
