#pragma once
// The small controls the printing dialogs are built from: a numeric spin
// edit with its own up-down buttons (TdxPSSpinEdit, TdxUpDown), a colour
// combo box with named, automatic and custom colours (TdxPSColorCombo), a
// panel with configurable edges (TdxPSPaintPanel) and a control that slides
// a bitmap in and out (TdxPSBitmapAnimator). Also the printing system's one
// shared colour dialog and its custom colours in the settings store.
#include "platform/controls/ComCtrls.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/StdCtrls.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TBitmap;
class TColorDialog;
class TdxPSSpinEdit;

// ----- TdxUpDown ---------------------------------------------------------------------
enum TdxScrollMouseSensetivity : std::uint8_t { msLow, msMedium, msHigh };

// Pixels of vertical mouse travel that count as one button press while dragging.
int ScrollMouseSensitivityDistance(TdxScrollMouseSensetivity Value);

// The spin edit's buttons: the increment pair, or with page buttons the page pair.
class TdxUpDown : public TUpDown {
    QEL_CLASS(TdxUpDown)
public:
    TdxUpDown(TdxPSSpinEdit* Edit, bool PageButtons);

    TdxScrollMouseSensetivity ScrollMouseSens() const { return m_sens; }
    void SetScrollMouseSens(TdxScrollMouseSensetivity Value) { m_sens = Value; }
    bool PageButtons() const { return m_pageButtons; }
    bool Dragging() const { return m_dragging; }

    // As a press of the upper (btNext) or lower (btPrev) button.
    void Press(TUDBtnType Button);

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseCaptureLost() override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;

private:
    friend class TdxPSSpinEdit;
    bool InMiddleBand(int Y) const;
    void EndDrag();

    TdxPSSpinEdit* m_edit;
    bool m_pageButtons;
    TdxScrollMouseSensetivity m_sens{msMedium};
    bool m_dragging{false};
    int m_dragStart{0};
};

// ----- TdxPSSpinEdit -----------------------------------------------------------------
enum TdxSpinValueType : std::uint8_t { svtInteger, svtFloat };
// Which action changed the value: a button or the matching key.
enum TdxSpinButtonKind : std::uint8_t { sbkUp, sbkDown, sbkPageUp, sbkPageDown };
using TdxSpinButtonClickEvent = std::function<void(TObject* Sender, TdxSpinButtonKind Button)>;

class TdxPSSpinEdit : public TEdit {
    QEL_CLASS(TdxPSSpinEdit)
public:
    explicit TdxPSSpinEdit(TComponent* AOwner);
    ~TdxPSSpinEdit() override;

    double Value() const;
    void SetValue(double Value);
    // The value truncated toward zero.
    int AsInteger() const;

    TdxSpinValueType ValueType() const { return m_valueType; }
    void SetValueType(TdxSpinValueType Value);
    int Decimal() const { return m_decimal; }
    void SetDecimal(int Value);
    bool CheckBounds() const { return m_checkBounds; }
    void SetCheckBounds(bool Value);
    double MinValue() const { return m_minValue; }
    void SetMinValue(double Value);
    double MaxValue() const { return m_maxValue; }
    void SetMaxValue(double Value);
    double DefaultValue() const { return m_defaultValue; }
    void SetDefaultValue(double Value) { m_defaultValue = CheckValue(Value); }
    double Increment() const { return m_increment; }
    void SetIncrement(double Value) { m_increment = Value; }
    double PageIncrement() const { return m_pageIncrement; }
    void SetPageIncrement(double Value) { m_pageIncrement = Value; }
    // Empty, or the stored text with one blank in front.
    std::string LegendText() const;
    void SetLegendText(const std::string& Value);

    bool ArrowKeys() const { return m_arrowKeys; }
    void SetArrowKeys(bool Value) { m_arrowKeys = Value; }
    bool EditorEnabled() const { return m_editorEnabled; }
    void SetEditorEnabled(bool Value) { m_editorEnabled = Value; }
    bool Flat() const { return m_flat; }
    void SetFlat(bool Value);
    bool UsePageIncr() const { return m_usePageIncr; }
    void SetUsePageIncr(bool Value);
    int IncrButtonWidth() const { return m_incrButtonWidth; }
    void SetIncrButtonWidth(int Value);
    int PageIncrButtonWidth() const { return m_pageIncrButtonWidth; }
    void SetPageIncrButtonWidth(int Value);
    TdxScrollMouseSensetivity ScrollMouseSens() const { return m_sens; }
    void SetScrollMouseSens(TdxScrollMouseSensetivity Value);

    TdxUpDown* IncrButtons() const { return m_incrButtons; }
    TdxUpDown* PageButtons() const { return m_pageButtons; }

    // True for a character the edit takes as typed input.
    virtual bool IsValidChar(TKeyChar Ch) const;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void KeyPress(TKeyChar& Key) override;

    TdxSpinButtonClickEvent OnButtonClick;

protected:
    void DoEnter() override;
    void DoExit() override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void FontChanged() override;
    virtual void ButtonClick(TdxSpinButtonKind Button);

    // Reading and writing the value are steps of their own, so that an edit
    // can show its numbers in another notation. Reading answers the text's
    // value, brought into bounds, or false when the text does not read;
    // writing gives the text of a value already in bounds (and rounded for
    // integers), without the legend.
    virtual bool TryReadValue(double& Value) const;
    virtual std::string ValueToText(double Value) const;
    // The value brought into MinValue .. MaxValue while bounds are checked.
    double CheckValue(double Value) const;
    std::string TextWithoutLegend() const;

private:
    friend class TdxUpDown;
    // A button of an up-down acts as its key on the edit.
    void ButtonPressed(bool PageButtons, TUDBtnType Button);
    void Step(double Delta, TdxSpinButtonKind Kind);
    void SetLimit(double& Limit, double Value);
    void RecreateButtons();
    int MinHeight();

    TdxSpinValueType m_valueType{svtInteger};
    int m_decimal{2};
    bool m_checkBounds{true};
    double m_minValue{0};
    double m_maxValue{0};
    double m_defaultValue{0};
    double m_increment{1};
    double m_pageIncrement{10};
    // The value the text fell back to when it does not parse: the one on entry
    // or the last one written.
    double m_lastValue{0};
    std::string m_legend;
    bool m_arrowKeys{true};
    bool m_editorEnabled{true};
    bool m_flat{false};
    bool m_usePageIncr{false};
    int m_incrButtonWidth;
    int m_pageIncrButtonWidth;
    TdxScrollMouseSensetivity m_sens{msMedium};
    TdxUpDown* m_incrButtons{nullptr};   // owned as children
    TdxUpDown* m_pageButtons{nullptr};
};

// ----- TdxPSColorCombo ---------------------------------------------------------------
enum TdxColorType : std::uint8_t { ctPure, ctSystem };
using TdxColorTypes = TSet<TdxColorType>;
enum TdxColorItemKind : std::uint8_t { cikAuto, cikCustom, cikListed };

// The custom item's colour while no custom colour was chosen.
inline constexpr TColor clDxNoCustomColor = 0x1FFFFFFF;

using TdxGetColorNameEvent =
    std::function<void(TObject* Sender, int Index, TdxColorItemKind Kind, TColor Color, std::string& Name)>;
// Answers true with the chosen colour in Color.
using TdxSelectColorProc = std::function<bool(TObject* Sender, TColor& Color)>;
using TdxGetSelectColorProcEvent = std::function<void(TObject* Sender, TdxSelectColorProc& Proc)>;

struct TdxNamedColor {
    const char* Name;
    TColor Color;
};
// The listed colours, in list order.
const std::vector<TdxNamedColor>& dxPureColors();
const std::vector<TdxNamedColor>& dxSystemColors();

class TdxPSColorCombo : public TComboBox {
    QEL_CLASS(TdxPSColorCombo)
public:
    explicit TdxPSColorCombo(TComponent* AOwner);

    TColor AutoColor() const { return m_autoColor; }
    void SetAutoColor(TColor Value);
    const std::string& AutoColorText() const { return m_autoColorText; }
    void SetAutoColorText(const std::string& Value);
    TdxColorTypes ColorTypes() const { return m_colorTypes; }
    void SetColorTypes(TdxColorTypes Value);
    const std::string& CustomColorText() const { return m_customColorText; }
    void SetCustomColorText(const std::string& Value);
    bool EndEllipsis() const { return m_endEllipsis; }
    void SetEndEllipsis(bool Value) { m_endEllipsis = Value; Invalidate(); }
    bool ShowAutoColor() const { return m_showAutoColor; }
    void SetShowAutoColor(bool Value);
    bool ShowColorName() const { return m_showColorName; }
    void SetShowColorName(bool Value) { m_showColorName = Value; Invalidate(); }
    bool ShowCustomColor() const { return m_showCustomColor; }
    void SetShowCustomColor(bool Value);

    // The selected item's colour (the auto item answers AutoColor); 0 without selection.
    TColor ColorValue() const;
    void SetColorValue(TColor Value);

    int ColorCount() const { return static_cast<int>(m_colors.size()); }
    TColor Colors(int Index) const;
    TdxColorItemKind ItemKind(int Index) const;
    int AutoColorIndex() const { return m_showAutoColor ? 0 : -1; }
    int CustomColorIndex() const { return m_showCustomColor ? ColorCount() - 1 : -1; }
    // The name an item shows: OnGetColorName's, else the list's.
    std::string ColorName(int Index);

    // A pick of the custom item runs the select-colour procedure.
    void Click() override;
    void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;

    TdxGetColorNameEvent OnGetColorName;
    TdxGetSelectColorProcEvent OnGetSelectColorProc;

private:
    void RebuildList();
    int IndexOfColor(TColor Value) const;
    bool RunSelectColor(TColor& Color);

    TColor m_autoColor{clWindowText};
    std::string m_autoColorText{"Auto"};
    TdxColorTypes m_colorTypes{ctPure, ctSystem};
    std::string m_customColorText{"Custom..."};
    bool m_endEllipsis{false};
    bool m_showAutoColor{false};
    bool m_showColorName{true};
    bool m_showCustomColor{true};
    std::vector<TColor> m_colors;   // parallel to Items()
};

// ----- TdxPSPaintPanel ---------------------------------------------------------------
enum TdxEdgeBorder : std::uint8_t { ebLeft, ebTop, ebRight, ebBottom };
using TdxEdgeBorders = TSet<TdxEdgeBorder>;
enum TdxEdgeStyle : std::uint8_t { esNone, esRaised, esSunken };

class TdxPSPaintPanel : public TCustomControl {
    QEL_CLASS(TdxPSPaintPanel)
public:
    explicit TdxPSPaintPanel(TComponent* AOwner);

    TdxEdgeBorders EdgeBorders() const { return m_edgeBorders; }
    void SetEdgeBorders(TdxEdgeBorders Value);
    TdxEdgeStyle EdgeInner() const { return m_edgeInner; }
    void SetEdgeInner(TdxEdgeStyle Value);
    TdxEdgeStyle EdgeOuter() const { return m_edgeOuter; }
    void SetEdgeOuter(TdxEdgeStyle Value);

    // Draws the edges on Canvas over the client rectangle, then OnPaint.
    void PaintTo(TCanvas& Canvas);

    TNotifyEvent OnPaint;

protected:
    void Paint() override;

private:
    TdxEdgeBorders m_edgeBorders{ebLeft, ebTop, ebRight, ebBottom};
    TdxEdgeStyle m_edgeInner{esRaised};
    TdxEdgeStyle m_edgeOuter{esSunken};
};

// ----- TdxPSBitmapAnimator -----------------------------------------------------------
// Slides its bitmap in (State true) or out (State false), one step per timer
// tick; painting shows the current step. A state change while a slide runs
// first finishes that slide.
class TdxPSBitmapAnimator : public TGraphicControl {
    QEL_CLASS(TdxPSBitmapAnimator)
public:
    explicit TdxPSBitmapAnimator(TComponent* AOwner);
    ~TdxPSBitmapAnimator() override;

    unsigned AnimationSpeed() const { return m_speed; }
    void SetAnimationSpeed(unsigned Value);
    // At least 1: a step count of 0 counts as 1.
    int AnimationStepCount() const { return m_stepCount; }
    void SetAnimationStepCount(int Value) { m_stepCount = Value < 1 ? 1 : Value; }
    TBitmap* Bitmap() const { return m_bitmap.get(); }
    void SetBitmap(const TBitmap* Value);
    bool State() const { return m_state; }
    void SetState(bool Value);

    bool Animating() const { return m_running; }
    // Steps shown of the running slide (0 when none runs).
    int CurrentStep() const { return m_step; }

    // Draws the current picture on Canvas (Paint uses the control's canvas).
    void DrawTo(TCanvas& Canvas);

protected:
    void Paint() override;
    // One step of the running slide; the timer calls it.
    void AnimationStep();
    void FinishAnimation();

private:
    class TAnimationTimer;
    int StepSize() const;

    unsigned m_speed{10};
    int m_stepCount{10};
    std::unique_ptr<TBitmap> m_bitmap;
    bool m_state{false};
    bool m_running{false};
    int m_step{0};                  // steps shown of the running slide
    int m_slideStepCount{0};        // the step count the running slide started with
    TTimer* m_timer{nullptr};       // owned as a component
};

// ----- shared colour dialog and custom colours ------------------------------------------
// The printing system's colour dialog (created on first use).
TColorDialog* dxPSColorDialog();
// Runs the shared colour dialog from Color; answers true with the choice in Color.
bool dxPSSelectColor(TColor& Color);
// Custom colours to and from the settings store (per-user root). Saving
// replaces the whole key; loading skips values that are not text.
void dxPSSaveCustomColors(const std::string& KeyPath);
void dxPSLoadCustomColors(const std::string& KeyPath);
// The printing units' shutdown: saves to the last key given to load or save,
// if any; settings errors are swallowed, shutdown goes on.
void dxPSFinalizeCustomColors();

} // namespace qel
