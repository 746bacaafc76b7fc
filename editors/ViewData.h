#pragma once
// View data: what a cell needs to be drawn like its editor without creating
// one. A column fills the record before each cell is drawn and calls Draw.
#include "editors/EditButtons.h"
#include "editors/EditStyle.h"
#include "platform/core/Alignment.h"
#include "platform/core/Variant.h"
#include "platform/graphics/Canvas.h"

#include <cstdint>
#include <string>

namespace qel {

class TBitmap;
class TImageList;
class TStrings;

// How a grayed (Null) check value is drawn.
enum TdxShowNullFieldStyle : std::uint8_t { nsUnchecked, nsInactive, nsGrayedChecked };

struct TdxEditViewData {
    virtual ~TdxEditViewData() = default;

    std::string Text;
    Variant Value;
    TAlignment Alignment = taLeftJustify;
    TColor Color = clWindow;
    TColor TextColor = clWindowText;
    bool Enabled = true;
    bool Selected = false;
    TdxEditBorderStyle BorderStyle = xbsNone;
    TdxEditButtonViewStyle ButtonStyle = btsDefault;

    // Fills Cell with Color and draws the content inside.
    virtual void Draw(TCanvas& Canvas, const TRect& Cell) const;

protected:
    // Text in Cell, aligned and vertically centred (word-wrapped when MultiLine).
    void DrawCellText(TCanvas& Canvas, const TRect& Bounds, const std::string& S, bool MultiLine) const;
};

struct TdxCheckEditViewData : TdxEditViewData {
    // Value holds the state as an integer (TCheckBoxState).
    TCheckBoxState State() const;
    const TBitmap* Glyph = nullptr;   // custom check images side by side, or none
    int GlyphCount = 6;
    TdxShowNullFieldStyle ShowNullFieldStyle = nsUnchecked;

    void Draw(TCanvas& Canvas, const TRect& Cell) const override;
};

struct TdxImageEditViewData : TdxEditViewData {
    const TStrings* Values = nullptr;
    const TStrings* Descriptions = nullptr;
    const TStrings* ImageIndexes = nullptr;
    const TImageList* Images = nullptr;
    bool DefaultImages = true;
    bool ShowDescription = false;
    bool MultiLineText = false;

    // The image of Text and, with ShowDescription, its description beside it.
    void Draw(TCanvas& Canvas, const TRect& Cell) const override;
};

struct TdxDropDownEditViewData : TdxEditViewData {
    const TBitmap* ButtonGlyph = nullptr;   // none: the drop-down arrow
    bool ShowButton = false;
    int ButtonWidth = 16;

    void Draw(TCanvas& Canvas, const TRect& Cell) const override;
};

// Draws one edit button (face by ButtonStyle, then the arrow, the ellipsis or
// Glyph) in R; Pressed draws it sunken.
void DrawEditButton(TCanvas& Canvas, const TRect& R, TdxEditButtonViewStyle Style, TdxEditButtonKind Kind,
                    const TBitmap* Glyph, bool Enabled, bool Pressed);

} // namespace qel
