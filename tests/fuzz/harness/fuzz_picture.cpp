// Picture data (BMP, PNG, JPEG, ICO): decodes within the size limit or raises
// our exception, keeping the old picture and the stream position.
#include "platform/graphics/Bitmap.h"
#include "platform/core/Stream.h"
#include "fuzz/harness/FuzzSupport.h"

#include <QGuiApplication>
#include <QImage>

using namespace qel;
using namespace qel::fuzz;

namespace {

std::string Encoded(TGraphic& Graphic)
{
    TMemoryStream s;
    Graphic.SaveToStream(s);
    return s.Bytes();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    TBitmap bmp(9, 5);
    bmp.Canvas()->Brush()->SetColor(clRed);
    bmp.Canvas()->FillRect({0, 0, 4, 5});
    bmp.SetPixel(6, 2, clLime);
    TPngImage png;
    png.Assign(&bmp);
    TJPEGImage jpeg;
    jpeg.Assign(&bmp);
    TIcon icon;
    icon.Assign(&bmp);
    std::vector<std::string> seeds{Encoded(bmp), Encoded(png), Encoded(jpeg), Encoded(icon)};
    for (QImage::Format format : {QImage::Format_Indexed8, QImage::Format_Mono}) {
        TBitmap indexed;
        indexed.SetImage(bmp.Image().convertToFormat(format));
        seeds.push_back(Encoded(indexed));
    }
    WriteSeeds(seeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const std::string input = Input(Data, Size);
    TBitmap bitmap(3, 2);
    bitmap.SetPixel(1, 1, clBlue);
    TStringStream s(input);
    try {
        bitmap.LoadFromStream(s);
        if (static_cast<long long>(bitmap.Width()) * bitmap.Height() > MaxBitmapPixels)
            Broken("a bitmap beyond the size limit");
        (void)bitmap.Pixel(0, 0);
    } catch (const Exception&) {
        if (s.Position() != 0 || bitmap.Width() != 3 || bitmap.Pixel(1, 1) != clBlue)
            Broken("a failed bitmap load changed the bitmap or the stream position");
    }
    TIcon icon;
    TStringStream si(input);
    try {
        icon.LoadFromStream(si);
        if (static_cast<long long>(icon.Width()) * icon.Height() > MaxBitmapPixels)
            Broken("an icon beyond the size limit");
    } catch (const Exception&) {
        if (si.Position() != 0 || !icon.Empty())
            Broken("a failed icon load changed the icon or the stream position");
    }
    return 0;
}
