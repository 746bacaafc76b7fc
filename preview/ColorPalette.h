#pragma once
// The colour palette that drops down under a button to fill a page
// background: forty colours, "no fill", the colour dialog and the fill
// effects. It runs its own loop and closes as soon as a choice is made, a
// key cancels it or it loses the focus.
//
//   if (dxShowColorPalette(&page->Background(), button->ClientToScreen({0, button->Height()})))
//       Repaint();
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"

#include <array>
#include <memory>
#include <string>

namespace qel {

class TBevel;
class TButton;
class TPanel;
class TdxBackground;

// A speed button that can show a swatch of a colour inside a thin frame.
class TdxNoFillButton : public TSpeedButton {
    QEL_CLASS(TdxNoFillButton)
public:
    explicit TdxNoFillButton(TComponent* AOwner);

    TColor SwatchColor() const { return m_swatchColor; }
    void SetSwatchColor(TColor Value);
    bool ShowSwatch() const { return m_showSwatch; }
    void SetShowSwatch(bool Value);

protected:
    void Paint() override;
    void BoundsChanged() override;

private:
    void UpdateGlyph();

    TColor m_swatchColor{clBlack};
    bool m_showSwatch{false};
};

struct TdxColorPaletteOptions {
    TFormBorderStyle BorderStyle = bsToolWindow;
    std::string Caption = " Page Background";
    std::string NoFillCaption = "&No Fill";
    TColor NoFillSwatchColor = clBlack;
    bool ShowMoreColors = true;
    bool ShowFillEffects = true;
};

struct TdxPaletteColor {
    const char* Name;
    TColor Color;
};
// The forty colours; the button at column c and row r shows entry c * 5 + r.
const std::array<TdxPaletteColor, 40>& dxPaletteColors();

class TdxfmColorPalette : public TForm {
    QEL_CLASS(TdxfmColorPalette)
public:
    enum TResult : std::uint8_t { prNone, prChosen, prCancelled };
    static constexpr int ColumnCount = 8, RowCount = 5;

    // Presses the button that stands for the background's fill.
    explicit TdxfmColorPalette(TdxBackground* Background);
    ~TdxfmColorPalette() override;

    void ApplyOptions(const TdxColorPaletteOptions& Options);
    // The top-left corner at Position, moved into the desktop's work area.
    void Place(TPoint Position);

    TResult Result() const { return m_result; }
    void Finish(TResult Result);
    TColor CurrentColor() const { return m_currentColor; }
    TSpeedButton* ColorButtons(int Entry) const { return m_colorButtons[static_cast<std::size_t>(Entry)]; }

    TPanel* pnlFrame{nullptr};
    TPanel* pnlColors{nullptr};
    TdxNoFillButton* btnNoFill{nullptr};
    TBevel* bvlSeparator{nullptr};
    TPanel* pnlButtons{nullptr};
    TButton* btnMoreColors{nullptr};
    TButton* btnFillEffects{nullptr};

    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;

protected:
    void Deactivate() override;

private:
    friend bool dxShowColorPalette(TdxBackground*, TPoint, const TdxColorPaletteOptions*);
    void ChooseColor(TColor Color);
    void ChooseNoFill();
    void MoreColors();
    void FillEffects();

    TdxBackground* m_background;   // nullptr once it was freed
    TChangeLink m_backgroundFreed;
    TColor m_currentColor{clBlack};
    TResult m_result{prNone};
    // A dialog of the palette is open: the palette hid itself for it.
    bool m_inDialog{false};
    std::array<TSpeedButton*, 40> m_colorButtons{};
    // The loop checks it: a palette freed while it runs is not touched.
    std::shared_ptr<int> m_alive{std::make_shared<int>(0)};
};

// Shows the palette at Position (screen) on Background; true when a choice
// was made. Without options: the caption " Page Background", "&No Fill" and
// both buttons. False at once for nullptr.
bool dxShowColorPalette(TdxBackground* Background, TPoint Position, const TdxColorPaletteOptions* Options = nullptr);

} // namespace qel
