#pragma once
// The calculator a calculator editor drops down: TdxCalcEngine does the
// arithmetic of a pocket calculator (left to right, no precedence), and
// TdxPopupCalculator shows it with buttons. Keys and characters: digits, the
// decimal separator ('.' or ','), + - * /, '=' (or Enter in the editor),
// '%', Backspace, Esc/Delete/'C' to clear, F9 to change the sign.
#include "platform/controls/Controls.h"

#include <string>

namespace qel {

class TdxCalcEngine {
public:
    explicit TdxCalcEngine(int Precision = 13) : m_precision(Precision) {}

    int Precision() const { return m_precision; }
    void SetPrecision(int Value) { m_precision = std::max(1, std::min(Value, 15)); }
    // The number on the display, with the locale's decimal separator; "Error"
    // after a division by zero or an overflow until cleared.
    const std::string& Display() const { return m_display; }
    bool Error() const { return m_error; }
    double Value() const;
    // Starts from a number (the editor's value).
    void SetValue(double Value);
    // One key of the calculator: '0'..'9', '.', ',', '+', '-', '*', '/', '=',
    // '%', '\b' (back), 'C' (clear), '~' (sign). Answers false for anything else.
    bool Input(char32_t Key);
    void Clear();

private:
    void Evaluate();
    void Show(double Value);

    int m_precision;
    std::string m_display{"0"};
    double m_operand{0};
    char32_t m_operator{0};
    bool m_startNew{true};
    bool m_error{false};
};

class TdxPopupCalculator : public TCustomControl {
    QEL_CLASS(TdxPopupCalculator)
public:
    explicit TdxPopupCalculator(TComponent* AOwner);

    TdxCalcEngine& Engine() { return m_engine; }
    // Buttons drawn flat (without their 3-D frame) unless ShowButtonFrame.
    bool ShowButtonFrame() const { return m_showButtonFrame; }
    void SetShowButtonFrame(bool Value) { m_showButtonFrame = Value; Invalidate(); }
    TSize CalcSize() const;
    // The button with this key's caption, in client coordinates (empty when none).
    TRect ButtonRect(char32_t Key) const;
    // A key handed over by the editor; answers true when it was used.
    bool HandleKey(std::uint16_t Key, TShiftState Shift);
    bool HandleChar(char32_t Key);

    // '=' was pressed (the editor may close with the result).
    TNotifyEvent OnResult;

protected:
    void Paint() override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool AcceptsFocus() const override { return false; }

private:
    TdxCalcEngine m_engine;
    bool m_showButtonFrame{false};
    int m_buttonWidth{28};
    int m_buttonHeight{22};
    int m_displayHeight{24};
};

} // namespace qel
