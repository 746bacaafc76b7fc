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
    const std::string input = Input(Data, Size);
    {
        TComponent holder(nullptr);
        TStringStream s(input);
        try {
            ReadComponent(s, nullptr, &holder);
        } catch (const Exception&) {
            if (holder.ComponentCount() != 0 || s.Position() != 0)
                Broken("a failed read left components behind or moved the stream");
        }
    }
    TFzNode target(nullptr);
    target.SetName("Target");
    auto* child = new TFzNode(&target);
    child->SetName("A");
    child->SetParentComponent(&target);
    const std::string before = Save(&target);
    TStringStream s(input);
    try {
        TReadOptions skip;
        skip.SkipUnknownProperties = true;
        LoadComponentFromMemory(s, &target, nullptr, nullptr, skip);
    } catch (const Exception&) {
        if (Save(&target) != before)
            Broken("a failed read changed the target");
        return 0;
    }
    TComponent holder(nullptr);
    TStringStream again(Save(&target));
    try {
        ReadComponent(again, nullptr, &holder);
    } catch (const Exception&) {
        Broken("a tree that was read does not read back after writing");
    }
    return 0;
}
