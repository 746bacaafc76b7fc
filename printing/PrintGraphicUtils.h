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
std::string FontToText(const TFont* Font);

// An icon of the bitmap's size whose pixels of the bitmap's transparent
// colour are transparent; an empty icon for an empty or absent bitmap.
std::unique_ptr<TIcon> CreateIconFromBitmap(const TBitmap* Bitmap);
// The same for one of the program's bitmap resources (platform/graphics/Resources.h);
// EResNotFound when there is no such resource.
std::unique_ptr<TIcon> CreateIconFromBitmapResource(const std::string& ResourceName);
std::unique_ptr<TIcon> CreateIconFromBitmapResource(int ResourceId);

// Paints the shape of the bitmap (its pixels other than its transparent
// colour) in the brush's colour at the rectangle's top-left corner, clipped
// to the rectangle.
void DrawColoredGlyph(TCanvas* Canvas, const TRect& Rect, const TBitmap* Bitmap, const TBrush* Brush);

// The colour the screen shows for `Color` (system and unset colours resolved).
TColor GetNearestScreenColor(TColor Color);
// `Color` resolved to RGB, each channel moved by its increment and kept within 0..255.
TColor LightenColor(TColor Color, int Red, int Green, int Blue);

// Device-context tests by the canvas's technology; false without a canvas.
bool IsDisplayDC(const TCanvas* Canvas);
bool IsPrinterDC(const TCanvas* Canvas);
bool IsMetafileDC(const TCanvas* Canvas);

} // namespace qel
