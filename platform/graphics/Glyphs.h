#pragma once
// Built-in glyphs the components draw, painted in code.
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

#include <cstdint>
#include <memory>

namespace qel {

// A 13 x 13 check box in `R` (centred): sunken 3-D frame, or a flat one-pixel
// frame; unchecked, checked or grayed; greyed out when not enabled.
void DrawCheckBoxGlyph(TCanvas& Canvas, const TRect& R, TCheckBoxState State, bool Flat,
                       bool Enabled = true, bool Pushed = false);
void DrawRadioGlyph(TCanvas& Canvas, const TRect& R, bool Checked, bool Flat, bool Enabled = true,
                    bool Pushed = false);
// The system's check-box strip: 4 glyphs across by 3 down, 13 x 13 each
// (row 0 check boxes: unchecked, checked, pushed unchecked, pushed checked;
// row 1 radio buttons in the same order; row 2 three-state: grayed, grayed pushed,
// inactive unchecked, inactive checked).
std::unique_ptr<TBitmap> CreateCheckBoxesBitmap();
// `Count` check glyphs side by side (unchecked, checked, grayed, then the
// inactive unchecked, checked and grayed for count 6).
std::unique_ptr<TBitmap> CreateCheckGlyphStrip(int Count = 3, bool Flat = false);

// A sort arrow (8 x 7) centred in `R`: ascending points up.
void DrawSortArrow(TCanvas& Canvas, const TRect& R, bool Ascending, bool Flat = false);
// The small drop-down triangle of combo and drop-down buttons, centred in `R`.
void DrawDropDownArrow(TCanvas& Canvas, const TRect& R, bool Enabled = true);
// The diagonal size grip in the bottom-right corner of `ARect`.
void DrawSizeGrip(TCanvas& Canvas, const TRect& ARect);

// The icons of message boxes: a red disc with a white cross, a yellow
// triangle with "!", a blue disc with "i", a blue disc with "?".
enum TMessageIcon : std::uint8_t { miError, miWarning, miInformation, miQuestion };
// Side of a message-box icon at 96 pixels per inch.
inline constexpr int MessageIconSize = 32;
// The icon scaled to the largest square that fits `R`, centred.
void DrawMessageIcon(TCanvas& Canvas, const TRect& R, TMessageIcon Icon);

} // namespace qel
