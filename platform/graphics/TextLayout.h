#pragma once
// The layout behind TCanvas::DrawText, apart from painting so that it can be
// tested and measured without a canvas: accelerator prefixes, tabs, line and
// word breaks, the end ellipsis, alignment and the DT_CALCRECT rectangle.
// Every grid cell, report cell and preview label goes through it.
//
//   TFontTextMetrics metrics(*canvas.Font());
//   const TDrawTextLayout layout = LayoutText("&Name:\tvalue", cell, DT_SINGLELINE | DT_VCENTER, metrics);
//   for (const TTextLine& line : layout.Lines)
//       ... draw line.Text at (line.X, line.Y), underlining line.Underline
#include "platform/graphics/Geometry.h"

#include <string>
#include <string_view>
#include <vector>

namespace qel {

// What the layout asks of a font. Texts are UTF-16, as the lines are drawn.
class TTextMetrics {
public:
    virtual ~TTextMetrics() = default;
    // Advance width of a run that holds no tab.
    virtual double RunWidth(std::u16string_view Run) const = 0;
    // Height of one line.
    virtual int LineHeight() const = 0;
    // Tabs stop every eight average characters.
    virtual double AveCharWidth() const = 0;
};

// Width of a line whose tabs stop at multiples of TabWidth (0: a tab is
// measured as the font measures it).
double TabbedWidth(std::u16string_view Text, double TabWidth, const TTextMetrics& Metrics);

struct TTextLine {
    std::u16string Text;   // as drawn: prefixes resolved, "..." added
    double Width = 0;      // advance width, tabs expanded
    int X = 0;             // left edge after alignment
    int Y = 0;             // top edge
    int Underline = -1;    // index in Text of the accelerator character, -1 for none
};

struct TDrawTextLayout {
    std::vector<TTextLine> Lines;   // none for an empty text
    int LineHeight = 0;
    double TabWidth = 0;            // tab stop distance; 0 when DT_EXPANDTABS is off
    // The DT_CALCRECT answer: the rectangle's left and top, the widest line's
    // width and the height of all lines (one line for an empty single line).
    TRect Bounds;
    int Height = 0;                 // what DrawText answers
};

// Lays out a UTF-8 text in Rect with DrawText's DT_* format flags.
TDrawTextLayout LayoutText(std::string_view Text, const TRect& Rect, unsigned Format, const TTextMetrics& Metrics);

}  // namespace qel
