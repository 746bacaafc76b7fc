#include "printing/PrintGraphicUtils.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Resources.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace qel {

bool AreBitmapsEqual(const TBitmap* A, const TBitmap* B)
{
    if (A == nullptr || B == nullptr)
        return A == B;
    if (A->Width() != B->Width() || A->Height() != B->Height())
        return false;
    for (int y = 0; y < A->Height(); ++y)
        for (int x = 0; x < A->Width(); ++x)
            if ((A->Pixel(x, y) & 0xFFFFFF) != (B->Pixel(x, y) & 0xFFFFFF))
                return false;
    return true;
}

std::unique_ptr<TIcon> CreateIconFromBitmap(const TBitmap* Bitmap)
{
    auto icon = std::make_unique<TIcon>();
    if (Bitmap == nullptr || Bitmap->Empty() || Bitmap->Width() <= 0 || Bitmap->Height() <= 0)
        return icon;
    icon->AssignMasked(*Bitmap, Bitmap->TransparentColor());
    return icon;
}

std::unique_ptr<TIcon> CreateIconFromBitmapResource(const std::string& ResourceName)
{
    const std::unique_ptr<TBitmap> bitmap = LoadBitmapResource(ResourceName);
    return CreateIconFromBitmap(bitmap.get());
}

std::unique_ptr<TIcon> CreateIconFromBitmapResource(int ResourceId)
{
    return CreateIconFromBitmapResource(ResourceName(ResourceId));
}

void DrawColoredGlyph(TCanvas* Canvas, const TRect& Rect, const TBitmap* Bitmap, const TBrush* Brush)
{
    if (Canvas == nullptr || Bitmap == nullptr || Brush == nullptr || Bitmap->Empty())
        return;
    const int w = std::min(Bitmap->Width(), Rect.Width());
    const int h = std::min(Bitmap->Height(), Rect.Height());
    if (w <= 0 || h <= 0)
        return;
    const TColor color = ColorToRGB(Brush->Color());
    const TColor transparent = ColorToRGB(Bitmap->TransparentColor());
    // The shape is painted in the brush colour on a key colour that the
    // drawing then leaves out.
    const TColor key = color == clWhite ? clBlack : clWhite;
    TBitmap shape(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            shape.SetPixel(x, y, ColorToRGB(Bitmap->Pixel(x, y)) == transparent ? key : color);
    shape.SetTransparentColor(key);
    shape.SetTransparent(true);
    Canvas->Draw(Rect.Left, Rect.Top, &shape);
}

bool AreBrushesEqual(const TBrush* A, const TBrush* B)
{
    if (A == nullptr || B == nullptr)
        return A == B;
    return A->Color() == B->Color() && A->Style() == B->Style();
}

std::string FontToText(const TFont* Font)
{
    if (Font == nullptr)
        return std::string();
    std::string result = std::to_string(Font->Size()) + " pt. " + Font->Name() + " ";
    const TFontStyles style = Font->Style();
    if (!style.Empty()) {
        static constexpr struct { TFontStyle style; const char* name; } Names[] = {
            {fsBold, "Bold"}, {fsItalic, "Italic"}, {fsUnderline, "Underline"}, {fsStrikeOut, "StrikeOut"}};
        std::string names;
        for (const auto& n : Names) {
            if (!style.Contains(n.style))
                continue;
            if (!names.empty())
                names += ' ';
            names += n.name;
        }
        result += " [" + names + "]";
    }
    return result;
}

TColor GetNearestScreenColor(TColor Color)
{
    // Screens here are true-colour: every RGB value shows as itself.
    return ColorToRGB(Color);
}

TColor LightenColor(TColor Color, int Red, int Green, int Blue)
{
    const TColor rgb = ColorToRGB(Color);
    const auto channel = [](int Value, int Delta) {
        return static_cast<int>(std::clamp<std::int64_t>(std::int64_t{Value} + Delta, 0, 255));
    };
    return RGB(channel(GetRValue(rgb), Red), channel(GetGValue(rgb), Green),
               channel(GetBValue(rgb), Blue));
}

bool IsDisplayDC(const TCanvas* Canvas)
{
    return Canvas != nullptr && Canvas->DeviceCaps().Technology == DT_RASDISPLAY;
}

bool IsPrinterDC(const TCanvas* Canvas)
{
    return Canvas != nullptr && Canvas->DeviceCaps().Technology == DT_RASPRINTER;
}

bool IsMetafileDC(const TCanvas* Canvas)
{
    return Canvas != nullptr && Canvas->DeviceCaps().Technology == DT_METAFILE;
}

} // namespace qel
