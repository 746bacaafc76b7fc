#include "printing/ReportUnits.h"

#include "platform/core/MathUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "printing/PSEngine.h"

#include <limits>

namespace qel {

namespace {

[[noreturn]] void RaiseTooLarge()
{
    throw EdxReportLink("The report is too large to be printed");
}

// Measuring canvases live for the whole program: fonts are selected into
// them from anywhere, and freeing them after the application's Qt objects
// are gone would be unsafe.
TBitmap* NewMeasureBitmap()
{
    auto* bitmap = new TBitmap(1, 1);
    bitmap->Canvas()->SetDeviceCaps(TDeviceCaps{});   // a 96 pixels-per-inch display
    return bitmap;
}

} // namespace

int dxReportUnitsPerInch()
{
    return IsWin9XOrWin32s() ? 960 : 9600;
}

std::int64_t dxReportMulDiv(std::int64_t Number, std::int64_t Numerator, std::int64_t Denominator)
{
    std::int64_t result = 0;
    if (!TryMulDiv64(Number, Numerator, Denominator, result))
        RaiseTooLarge();
    return result;
}

std::int64_t dxCheckReportExtent(std::int64_t Value)
{
    if (Value > dxMaxReportExtent || Value < -dxMaxReportExtent)
        RaiseTooLarge();
    return Value;
}

std::int64_t dxPixelsToReportUnits(std::int64_t Pixels, int UnitsPerInch, int PixelsPerInch)
{
    return dxCheckReportExtent(dxReportMulDiv(Pixels, UnitsPerInch, PixelsPerInch));
}

std::int64_t dxReportUnitsToPixelsCeil(std::int64_t Units, int UnitsPerInch, int PixelsPerInch)
{
    if (UnitsPerInch <= 0)
        RaiseTooLarge();
    const std::int64_t product = dxReportMulDiv(Units, PixelsPerInch, 1);
    const std::int64_t q = product / UnitsPerInch;
    return (product % UnitsPerInch > 0) ? q + 1 : q;
}

int dxToCanvasCoord(std::int64_t Value)
{
    if (Value > std::numeric_limits<int>::max() || Value < std::numeric_limits<int>::min())
        RaiseTooLarge();
    return static_cast<int>(Value);
}

TCanvas& dxScreenMeasureCanvas()
{
    static TBitmap* bitmap = NewMeasureBitmap();
    return *bitmap->Canvas();
}

TCanvas& dxReportMeasureCanvas()
{
    static TBitmap* bitmap = [] {
        TBitmap* b = NewMeasureBitmap();
        TCanvas* c = b->Canvas();
        c->SetMapMode(MM_ISOTROPIC);
        c->SetWindowExt(dxReportUnitsPerInch(), dxReportUnitsPerInch());
        c->SetViewportExt(96, 96);
        c->Font()->SetPixelsPerInch(dxReportUnitsPerInch());
        return b;
    }();
    return *bitmap->Canvas();
}

void dxSetFontToReportUnits(TFont& Font, int UnitsPerInch)
{
    const int points = Font.Size();
    Font.SetPixelsPerInch(UnitsPerInch);
    Font.SetSize(points);
}

int dxMeasureTextHeightPixels(const TFont& Font, const std::string& Text, int WidthPixels, unsigned Format)
{
    if (Text.empty())
        return 0;
    const int upi = dxReportUnitsPerInch();
    TCanvas& canvas = dxReportMeasureCanvas();
    TFont font;
    font.Assign(const_cast<TFont*>(&Font));
    dxSetFontToReportUnits(font, upi);
    // Same resolution on both sides: the font's height is taken as it is.
    canvas.Font()->SetPixelsPerInch(upi);
    canvas.SetFont(&font);
    TRect r{0, 0, dxToCanvasCoord(dxPixelsToReportUnits(WidthPixels > 0 ? WidthPixels : 0, upi)), 0};
    canvas.DrawText(Text, r, Format | DT_CALCRECT | DT_NOPREFIX);
    return static_cast<int>(dxReportUnitsToPixelsCeil(r.Height(), upi));
}

} // namespace qel
