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

std::unique_ptr<TIcon> CreateIconFromBitmap(const TBitmap* ABitmap)
{
    auto icon = std::make_unique<TIcon>();
    if (ABitmap == nullptr || ABitmap->Empty() || ABitmap->Width() <= 0 || ABitmap->Height() <= 0)
        return icon;
    icon->AssignMasked(*ABitmap, ABitmap->TransparentColor());
    return icon;
}

std::unique_ptr<TIcon> CreateIconFromBitmapResource(const std::string& AResourceName)
{
    const std::unique_ptr<TBitmap> bitmap = LoadBitmapResource(AResourceName);
    return CreateIconFromBitmap(bitmap.get());
}

std::unique_ptr<TIcon> CreateIconFromBitmapResource(int AResourceId)
{
    return CreateIconFromBitmapResource(ResourceName(AResourceId));
}

void DrawColoredGlyph(TCanvas* ACanvas, const TRect& ARect, const TBitmap* ABitmap, const TBrush* ABrush)
{
    if (ACanvas == nullptr || ABitmap == nullptr || ABrush == nullptr || ABitmap->Empty())
        return;
    const int w = std::min(ABitmap->Width(), ARect.Width());
    const int h = std::min(ABitmap->Height(), ARect.Height());
    if (w <= 0 || h <= 0)
        return;
    const TColor color = ColorToRGB(ABrush->Color());
    const TColor transparent = ColorToRGB(ABitmap->TransparentColor());
    // The shape is painted in the brush colour on a key colour that the
    // drawing then leaves out.
    const TColor key = color == clWhite ? clBlack : clWhite;
    TBitmap shape(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            shape.SetPixel(x, y, ColorToRGB(ABitmap->Pixel(x, y)) == transparent ? key : color);
    shape.SetTransparentColor(key);
    shape.SetTransparent(true);
    ACanvas->Draw(ARect.Left, ARect.Top, &shape);
}

bool AreBrushesEqual(const TBrush* A, const TBrush* B)
{
    if (A == nullptr || B == nullptr)
        return A == B;
    return A->Color() == B->Color() && A->Style() == B->Style();
}

std::string FontToText(const TFont* AFont)
{
    if (AFont == nullptr)
        return std::string();
    std::string result = std::to_string(AFont->Size()) + " pt. " + AFont->Name() + " ";
    const TFontStyles style = AFont->Style();
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

TColor GetNearestScreenColor(TColor AColor)
{
    // Screens here are true-colour: every RGB value shows as itself.
    return ColorToRGB(AColor);
}

TColor LightenColor(TColor AColor, int ARed, int AGreen, int ABlue)
{
    const TColor rgb = ColorToRGB(AColor);
    const auto channel = [](int Value, int Delta) {
        return static_cast<int>(std::clamp<std::int64_t>(std::int64_t{Value} + Delta, 0, 255));
    };
    return RGB(channel(GetRValue(rgb), ARed), channel(GetGValue(rgb), AGreen),
               channel(GetBValue(rgb), ABlue));
}

bool IsDisplayDC(const TCanvas* ACanvas)
{
    return ACanvas != nullptr && ACanvas->DeviceCaps().Technology == DT_RASDISPLAY;
}

bool IsPrinterDC(const TCanvas* ACanvas)
{
    return ACanvas != nullptr && ACanvas->DeviceCaps().Technology == DT_RASPRINTER;
}

bool IsMetafileDC(const TCanvas* ACanvas)
{
    return ACanvas != nullptr && ACanvas->DeviceCaps().Technology == DT_METAFILE;
}

} // namespace qel
