#pragma once
// TdxInplaceCalcEdit: a number with a calculator popup. While the popup is
// open the typed characters go to the calculator; Enter (or '=' with
// QuickClose) takes its result, Esc leaves the value as it was.
#include "editors/DropDownEdit.h"
#include "editors/PopupCalculator.h"

namespace qel {

enum TdxCalcButtonStyle : std::uint8_t { bsStandard, bsFlat };

class TdxInplaceCalcEdit : public TdxInplaceDropDownEdit {
    QEL_CLASS(TdxInplaceCalcEdit)
public:
    explicit TdxInplaceCalcEdit(TComponent* AOwner);

    // Signals a key the calculator refuses (the platform's beep).
    bool BeepOnError() const { return m_beepOnError; }
    void SetBeepOnError(bool Value) { m_beepOnError = Value; }
    TdxCalcButtonStyle ButtonStyle() const { return m_buttonStyle; }
    void SetButtonStyle(TdxCalcButtonStyle Value) { m_buttonStyle = Value; }
    int Precision() const { return m_precision; }
    void SetPrecision(int Value) { m_precision = std::max(1, std::min(Value, 15)); }
    // '=' closes the popup with the result.
    bool QuickClose() const { return m_quickClose; }
    void SetQuickClose(bool Value) { m_quickClose = Value; }
    bool ShowButtonFrame() const { return m_showButtonFrame; }
    void SetShowButtonFrame(bool Value) { m_showButtonFrame = Value; }

    TdxPopupCalculator* Calculator() const { return m_calculator; }
    // Keys the calculator refused since the editor was created (each a beep with BeepOnError).
    int RefusedKeys() const { return m_refused; }

protected:
    TControl* PopupContent(TWinControl* Parent) override;
    void DoInitPopup() override;
    TSize PopupSize() override;
    void PopupKeyDown(std::uint16_t& Key, TShiftState Shift) override;
    bool PopupKeyPress(TKeyChar Key) override;
    Variant PopupValue() override;
    void DoCloseUp(Variant& Value, bool& Accept) override;

private:
    TdxPopupCalculator* m_calculator{nullptr};
    bool m_beepOnError{true};
    TdxCalcButtonStyle m_buttonStyle{bsStandard};
    int m_precision{13};
    bool m_quickClose{false};
    bool m_showButtonFrame{false};
    int m_refused{0};
};

} // namespace qel
