// DrawText's layout for a typical grid cell (one line, vertically centred,
// cut with an ellipsis or fitting) and a wrapped memo cell, with the screen font's
// metrics and with a fixed-pitch stand-in that isolates the layout itself;
// and the whole DrawText on a bitmap for comparison.
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/TextLayout.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace qel;

// Fonts need a GUI application; the offscreen platform needs no display.
void EnsureApplication()
{
    if (QGuiApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bench_text_layout";
    static char* argv[] = {name, nullptr};
    // Lives until the process ends, as the application of a program does.
    new QGuiApplication(argc, argv);
}

class FixedPitch : public TTextMetrics {
public:
    double RunWidth(std::u16string_view Run) const override { return 7.0 * static_cast<double>(Run.size()); }
    int LineHeight() const override { return 14; }
    double AveCharWidth() const override { return 7; }
};

const std::string kCellText = "Haupteingang Nord \xE2\x80\x93 T\xC3\xBCr 3 (Zutritt Mo\xE2\x80\x93" "Fr 06:00\xE2\x80\x93" "22:00)";
const TRect kCell{0, 0, 140, 18};
constexpr unsigned kCellFormat = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;

const std::string kMemoText =
    "Schl\xC3\xBCsselgruppe B: Wartungspersonal der Haustechnik, nur in Begleitung, "
    "Zutritt zu den Technikr\xC3\xA4umen im Untergeschoss.";
const TRect kMemoCell{0, 0, 180, 60};
constexpr unsigned kMemoFormat = DT_WORDBREAK | DT_END_ELLIPSIS | DT_NOPREFIX;

TFont& GridFont()
{
    EnsureApplication();
    static TFont font;
    font.SetName("Arial");
    font.SetHeight(-11);
    return font;
}

void BM_LayoutGridCell_FontMetrics(benchmark::State& state)
{
    const TFontTextMetrics metrics(GridFont());
    for (auto _ : state)
        benchmark::DoNotOptimize(LayoutText(kCellText, kCell, kCellFormat, metrics));
}
BENCHMARK(BM_LayoutGridCell_FontMetrics);

// The common case: the text fits, one measurement.
void BM_LayoutGridCellThatFits_FontMetrics(benchmark::State& state)
{
    const TFontTextMetrics metrics(GridFont());
    for (auto _ : state)
        benchmark::DoNotOptimize(LayoutText("Haupteingang Nord", kCell, kCellFormat, metrics));
}
BENCHMARK(BM_LayoutGridCellThatFits_FontMetrics);

void BM_LayoutGridCell_FixedPitch(benchmark::State& state)
{
    const FixedPitch metrics;
    for (auto _ : state)
        benchmark::DoNotOptimize(LayoutText(kCellText, kCell, kCellFormat, metrics));
}
BENCHMARK(BM_LayoutGridCell_FixedPitch);

void BM_LayoutMemoCell_FontMetrics(benchmark::State& state)
{
    const TFontTextMetrics metrics(GridFont());
    for (auto _ : state)
        benchmark::DoNotOptimize(LayoutText(kMemoText, kMemoCell, kMemoFormat, metrics));
}
BENCHMARK(BM_LayoutMemoCell_FontMetrics);

void BM_DrawTextGridCell(benchmark::State& state)
{
    EnsureApplication();
    TBitmap bmp;
    bmp.SetSize(kCell.Width(), kCell.Height());
    TCanvas* canvas = bmp.Canvas();
    canvas->Font()->Assign(&GridFont());
    for (auto _ : state) {
        TRect r = kCell;
        benchmark::DoNotOptimize(canvas->DrawText(kCellText, r, kCellFormat));
    }
}
BENCHMARK(BM_DrawTextGridCell);

} // namespace
