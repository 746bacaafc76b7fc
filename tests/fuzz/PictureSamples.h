#pragma once
// Pictures in every format we read, and the checks on a damaged one: the
// samples and checks of the picture robustness test and the seeds and checks
// of the picture fuzz harness.
#include "platform/core/Exceptions.h"
#include "platform/core/Stream.h"
#include "platform/graphics/Bitmap.h"

#include <QImage>

#include <string>
#include <vector>

namespace qel::fuzz {

inline std::string Encoded(TGraphic& Graphic)
{
    TMemoryStream s;
    Graphic.SaveToStream(s);
    return s.Bytes();
}

// A small picture with some structure, saved as BMP, PNG, JPEG and ICO, and
// as an 8-bit and a 1-bit palette BMP written by Qt from indexed images.
inline std::vector<std::string> PictureSamples()
{
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
    std::vector<std::string> samples{Encoded(bmp), Encoded(png), Encoded(jpeg), Encoded(icon)};
    for (QImage::Format format : {QImage::Format_Indexed8, QImage::Format_Mono}) {
        TBitmap indexed;
        indexed.SetImage(bmp.Image().convertToFormat(format));
        samples.push_back(Encoded(indexed));
    }
    return samples;
}

inline std::string Pixels(const TBitmap& Bitmap)
{
    if (Bitmap.Empty())
        return {};
    const QImage& image = Bitmap.Image();
    return std::string(reinterpret_cast<const char*>(image.constBits()), static_cast<std::size_t>(image.sizeInBytes()));
}

// Loads Input as a bitmap and as an icon: each decodes within the size limit
// or raises our exception, keeping the old picture and the stream position.
// Returns what broke, empty when nothing did.
inline std::string CheckPictureLoad(const std::string& Input)
{
    TBitmap bitmap(3, 2);
    bitmap.SetPixel(1, 1, clBlue);
    const std::string before = Pixels(bitmap);
    TStringStream s(Input);
    try {
        bitmap.LoadFromStream(s);
        if (static_cast<long long>(bitmap.Width()) * bitmap.Height() > MaxBitmapPixels)
            return "a bitmap beyond the size limit";
        (void)bitmap.Pixel(0, 0);
    } catch (const Exception&) {
        if (s.Position() != 0 || Pixels(bitmap) != before)
            return "a failed bitmap load changed the bitmap or the stream position";
    }
    TIcon icon;
    TStringStream si(Input);
    try {
        icon.LoadFromStream(si);
        if (static_cast<long long>(icon.Width()) * icon.Height() > MaxBitmapPixels)
            return "an icon beyond the size limit";
    } catch (const Exception&) {
        if (si.Position() != 0 || !icon.Empty())
            return "a failed icon load changed the icon or the stream position";
    }
    return {};
}

} // namespace qel::fuzz
