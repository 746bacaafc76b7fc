// Picture data (BMP, PNG, JPEG, ICO): decodes within the size limit or raises
// our exception, keeping the old picture and the stream position.
#include "fuzz/PictureSamples.h"
#include "fuzz/harness/FuzzSupport.h"

#include <QGuiApplication>

using namespace qel;
using namespace qel::fuzz;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    WriteSeeds(PictureSamples());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const std::string broken = CheckPictureLoad(Input(Data, Size));
    if (!broken.empty())
        Broken(broken.c_str());
    return 0;
}
