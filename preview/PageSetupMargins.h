#pragma once
// The rules of the page setup dialog's Margins tab, apart from any control:
// the limits of the six margin spin edits, when a set of margins is valid,
// whether it lies inside the printer's printable area, and the Fix command.
// All lengths are in the unit the dialog shows (inches or millimetres), and
// a shown length has two decimals; a margin is never moved to a value that
// would show on the wrong side of the border it was moved to.
#include <array>
#include <cstdint>
#include <optional>

namespace qel {

// In the order the checks visit them: the first failing one is focused.
enum TdxPageSetupMargin : std::uint8_t { psmHeader, psmFooter, psmTop, psmBottom, psmLeft, psmRight };
inline constexpr int dxPageSetupMarginCount = 6;

struct TdxPageSetupMarginValues {
    std::array<double, dxPageSetupMarginCount> Values{};

    double& operator[](TdxPageSetupMargin M) { return Values[M]; }
    double operator[](TdxPageSetupMargin M) const { return Values[M]; }
    bool operator==(const TdxPageSetupMarginValues&) const = default;
};

// The oriented page and its own unprintable border (the page's MinMargins).
struct TdxPageSetupPageExtent {
    double Width = 0;
    double Height = 0;
    double MinUseful = 0;   // the smallest area the margins must leave
    double MinLeft = 0, MinTop = 0, MinRight = 0, MinBottom = 0;
};

struct TdxPageSetupRange {
    double Min = 0;
    double Max = 0;
};

// The printer's unprintable border, per side.
struct TdxPageSetupBorder {
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// The limits of each spin edit: against the page and its own border only.
std::array<TdxPageSetupRange, dxPageSetupMarginCount> dxPageSetupMarginBounds(const TdxPageSetupPageExtent& Page);

// The range a margin must lie in, given the others. It can be empty (Max < Min).
TdxPageSetupRange dxPageSetupValidRange(const TdxPageSetupMarginValues& Values, const TdxPageSetupPageExtent& Page,
                                        TdxPageSetupMargin Margin);
// The first margin outside its valid range; nullopt when all are valid. A
// margin may equal either end of its range.
std::optional<TdxPageSetupMargin> dxPageSetupInvalidMargin(const TdxPageSetupMarginValues& Values,
                                                           const TdxPageSetupPageExtent& Page);

// Inside the printable area: no header, footer, left or right margin lies in
// the printer's physical offsets (X across, Y down). Without a printer
// (nullopt) everything is printable.
struct TdxPageSetupOffsets {
    double X = 0;
    double Y = 0;
};
bool dxPageSetupMarginsPrintable(const TdxPageSetupMarginValues& Values, const std::optional<TdxPageSetupOffsets>& Offsets);

// Fix for the printable warning: every margin below the border of its side
// is raised to it, rounded up to the shown precision so that it reads as
// outside the border.
TdxPageSetupMarginValues dxPageSetupRaiseToBorder(const TdxPageSetupMarginValues& Values, const TdxPageSetupBorder& Border);
// Fix for the invalid warning: clamps header, footer, top, bottom, left and
// right into their valid ranges in that order (an empty range gives its
// lower end), pass after pass until the margins are valid or a pass changes
// nothing; clamped values keep to the shown precision inside the range.
TdxPageSetupMarginValues dxPageSetupClampMargins(const TdxPageSetupMarginValues& Values,
                                                 const TdxPageSetupPageExtent& Page);

// A length rounded to the shown two decimals, up or down.
double dxPageSetupRoundUp(double Value);
double dxPageSetupRoundDown(double Value);

} // namespace qel
