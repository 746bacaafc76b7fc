#pragma once
// Report units and the canvases that measure in them. A report is built in
// screen pixels and converted once into report units (9,600 per inch); the
// renderer maps report units onto each device. Positions of a tall report
// pass the 32-bit range (a million rows of 21 pixels is 2.1 * 10^9 units),
// so report positions and page sums are 64-bit; they reach a canvas only
// relative to one page.
//
//   std::int64_t units = dxPixelsToReportUnits(pixels);           // EdxReportLink past the range
//   TCanvas& c = dxReportMeasureCanvas();                          // 9,600 logical units per inch
//   int h = dxMeasureTextHeightPixels(font, text, widthPixels, DT_WORDBREAK);
#include "platform/core/Exceptions.h"
#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <string>

namespace qel {

class TCanvas;
class TFont;

QEL_DECLARE_EXCEPTION(EdxReportLink, Exception);

// 9,600, or 960 on the old 16-bit-based systems (never here).
int dxReportUnitsPerInch();

// The largest report extent, in report units, that pagination and drawing
// handle (about 186 km of paper); a larger report raises EdxReportLink.
inline constexpr std::int64_t dxMaxReportExtent = std::int64_t{1} << 46;

// Number * Numerator / Denominator rounded half away from zero; raises
// EdxReportLink (never answers a wrong length) on a zero divisor or overflow.
std::int64_t dxReportMulDiv(std::int64_t Number, std::int64_t Numerator, std::int64_t Denominator);
// Raises EdxReportLink when Value lies outside -dxMaxReportExtent .. dxMaxReportExtent.
std::int64_t dxCheckReportExtent(std::int64_t Value);

// Screen pixels (96 per inch) to report units and back; the way back rounds up.
std::int64_t dxPixelsToReportUnits(std::int64_t Pixels, int UnitsPerInch = dxReportUnitsPerInch(),
                                   int PixelsPerInch = 96);
std::int64_t dxReportUnitsToPixelsCeil(std::int64_t Units, int UnitsPerInch = dxReportUnitsPerInch(),
                                       int PixelsPerInch = 96);

// A 64-bit position as a canvas coordinate: only for values already taken
// relative to a page; raises EdxReportLink when it does not fit.
int dxToCanvasCoord(std::int64_t Value);

// The screen measuring canvas: 96 pixels per inch, no display needed.
TCanvas& dxScreenMeasureCanvas();
// The report-unit measuring canvas: isotropic, 9,600 logical units to 96 pixels.
// Fonts selected into it carry their height in report units.
TCanvas& dxReportMeasureCanvas();

// Font as a copy whose height is in report units (its point size kept).
void dxSetFontToReportUnits(TFont& Font, int UnitsPerInch = dxReportUnitsPerInch());

// The height in screen pixels (rounded up) of Text laid out by DrawText with
// Format in WidthPixels, measured at the size it is drawn: the font at its
// report-unit height on the report-unit measuring canvas. 0 for an empty text.
int dxMeasureTextHeightPixels(const TFont& Font, const std::string& Text, int WidthPixels, unsigned Format);

} // namespace qel
