// The settings store's file: parses or is refused whole; what parses writes
// back and parses to the same keys and values.
#include "platform/storage/detail/SettingsFile.h"
#include "fuzz/harness/FuzzSupport.h"

using namespace qel;
using namespace qel::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    detail::SettingsMap values{
        {"r80000001/ksoftware/_", "Software"},
        {"r80000001/ksoftware/n_20_40note", " @note"},
        {"r80000001/ksoftware/v_20_40note", "s@Variant(\\0)"},
        {"r80000001/ksoftware/vlist", std::string("sa,b;c=d\t\x01" "9\0z\"\\", 16)},
        {"r80000001/ksoftware/vtext", "sVorschau \xC3\xBC \xF0\x9F\x98\x80 "},
        {"r80000002/kx/_", "X"},
    };
    WriteSeeds({detail::SerializeSettingsFile(values),
                "[r80000001]\nkx\\_=X\nkx\\vnul=@String(sa\\0\\x62)\nkx\\va=\"s a\"\n"});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    detail::SettingsMap values;
    if (!detail::ParseSettingsFile(Input(Data, Size), values))
        return 0;
    detail::SettingsMap again;
    if (!detail::ParseSettingsFile(detail::SerializeSettingsFile(values), again))
        Broken("a store file written back is refused");
    if (again != values)
        Broken("a store file written back reads differently");
    return 0;
}
