#pragma once
// TdxPSValueEdit: a spin edit for page numbers that shows and accepts them
// in the notation of a page-number format: decimal digits, lower- or
// upper-case letters, or lower- or upper-case Roman numerals.
//
//   edit->SetIntValueType(pnfUpperRoman);   // 14 now reads "XIV"
//   edit->SetText("xx");                    // read as 20 after pnfRoman
//
// A floating value type turns the notation off: the edit is then a plain
// spin edit.
#include "printing/HeaderFooterFunctions.h"
#include "printing/PrintControls.h"

namespace qel {

class TdxPSValueEdit : public TdxPSSpinEdit {
    QEL_CLASS(TdxPSValueEdit)
public:
    // Minimum and default value 1.
    explicit TdxPSValueEdit(TComponent* AOwner);

    TdxPageNumberFormat IntValueType() const { return m_intValueType; }
    // Keeps the value: its text changes to the new notation.
    void SetIntValueType(TdxPageNumberFormat Value);

    // Letters or Roman digits of the notation's case; with decimal digits no
    // "-" (page numbers are positive), else the spin edit's own rule.
    bool IsValidChar(TKeyChar Ch) const override;

protected:
    // An empty text reads as 1.
    bool TryReadValue(double& Value) const override;
    std::string ValueToText(double Value) const override;

private:
    bool UsesNotation() const { return ValueType() != svtFloat && m_intValueType != pnfNumeral; }

    TdxPageNumberFormat m_intValueType{pnfNumeral};
};

} // namespace qel
