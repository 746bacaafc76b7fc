#pragma once
// Drawing, colour, font-caption and device helpers shared by the printing
// and preview code. Helpers that need the application or a control are in
// PrintUIUtils.h.
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Graphics.h"

#include <memory>
#include <string>

namespace qel {

class TBitmap;
class TCanvas;
class TIcon;

// Same size and the same colour (24 bits) at every pixel; both absent counts as equal.
bool AreBitmapsEqual(const TBitmap* A, const TBitmap* B);

// Both absent, or both present with the same colour and style.
bool AreBrushesEqual(const TBrush* A, const TBrush* B);

// "8 pt. Arial " and, for a styled font, " [Bold Italic]"; empty without a font.
std::string FontToText(const TFont* AFont);

// An icon of the bitmap's size whose pixels of the bitmap's transparent
// colour are transparent; an empty icon for an empty or absent bitmap.
std::unique_ptr<TIcon> CreateIconFromBitmap(const TBitmap* ABitmap);
// The same for one of the program's bitmap resources (platform/graphics/Resources.h);
// EResNotFound when there is no such resource.
std::unique_ptr<TIcon> CreateIconFromBitmapResource(const std::string& AResourceName);
std::unique_ptr<TIcon> CreateIconFromBitmapResource(int AResourceId);

// Paints the shape of the bitmap (its pixels other than its transparent
// colour) in the brush's colour at the rectangle's top-left corner, clipped
// to the rectangle.
void DrawColoredGlyph(TCanvas* ACanvas, const TRect& ARect, const TBitmap* ABitmap, const TBrush* ABrush);

// The colour the screen shows for AColor (system and unset colours resolved).
TColor GetNearestScreenColor(TColor AColor);
// AColor resolved to RGB, each channel moved by its increment and kept within 0..255.
TColor LightenColor(TColor AColor, int ARed, int AGreen, int ABlue);

// Device-context tests by the canvas's technology; false without a canvas.
bool IsDisplayDC(const TCanvas* ACanvas);
bool IsPrinterDC(const TCanvas* ACanvas);
bool IsMetafileDC(const TCanvas* ACanvas);

} // namespace qel
