#pragma once
// Built-in glyphs the components draw, painted in code.
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

#include <cstdint>
#include <memory>

namespace qel {

// A 13 x 13 check box in `r` (centred): sunken 3-D frame, or a flat one-pixel
// frame; unchecked, checked or grayed; greyed out when not enabled.
void DrawCheckBoxGlyph(TCanvas& canvas, const TRect& r, TCheckBoxState state, bool flat,
                       bool enabled = true, bool pushed = false);
void DrawRadioGlyph(TCanvas& canvas, const TRect& r, bool checked, bool flat, bool enabled = true,
                    bool pushed = false);
// The system's check-box strip: 4 glyphs across by 3 down, 13 x 13 each
// (row 0 check boxes: unchecked, checked, pushed unchecked, pushed checked;
// row 1 radio buttons in the same order; row 2 three-state: grayed, grayed pushed,
// inactive unchecked, inactive checked).
std::unique_ptr<TBitmap> CreateCheckBoxesBitmap();
// `count` check glyphs side by side (unchecked, checked, grayed, then the
// inactive unchecked, checked and grayed for count 6).
std::unique_ptr<TBitmap> CreateCheckGlyphStrip(int count = 3, bool flat = false);

// A sort arrow (8 x 7) centred in `r`: ascending points up.
void DrawSortArrow(TCanvas& canvas, const TRect& r, bool ascending, bool flat = false);
// The small drop-down triangle of combo and drop-down buttons, centred in `r`.
void DrawDropDownArrow(TCanvas& canvas, const TRect& r, bool enabled = true);
// The diagonal size grip in the bottom-right corner of `r`.
void DrawSizeGrip(TCanvas& canvas, const TRect& r);

// The icons of message boxes: a red disc with a white cross, a yellow
// triangle with "!", a blue disc with "i", a blue disc with "?".
enum TMessageIcon : std::uint8_t { miError, miWarning, miInformation, miQuestion };
// Side of a message-box icon at 96 pixels per inch.
inline constexpr int MessageIconSize = 32;
// The icon scaled to the largest square that fits `r`, centred.
void DrawMessageIcon(TCanvas& canvas, const TRect& r, TMessageIcon icon);

} // namespace qel
