#pragma once
// TdxInplaceCurrencyEdit: a money amount, typed as a plain number with
// DecimalPlaces decimals and shown with DisplayFormat when not edited.
#include "editors/TextEdit.h"

namespace qel {

class TdxInplaceCurrencyEdit : public TdxInplaceTextEdit {
    QEL_CLASS(TdxInplaceCurrencyEdit)
public:
    explicit TdxInplaceCurrencyEdit(TComponent* AOwner);

    double Value() const;
    void SetValue(double Value);
    int DecimalPlaces() const { return m_decimalPlaces; }
    void SetDecimalPlaces(int Value);
    // A FormatFloat picture; empty: the locale's money text ("1.234,50 €").
    const std::string& DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const std::string& Value) { m_displayFormat = Value; }
    // Limits apply when they differ (MinValue < MaxValue).
    double MinValue() const { return m_minValue; }
    void SetMinValue(double Value) { m_minValue = Value; }
    double MaxValue() const { return m_maxValue; }
    void SetMaxValue(double Value) { m_maxValue = Value; }
    // An empty text is Null (else 0).
    bool Nullable() const { return m_nullable; }
    void SetNullable(bool Value) { m_nullable = Value; }
    // What a Null value shows when not edited.
    const std::string& NullString() const { return m_nullString; }
    void SetNullString(const std::string& Value) { m_nullString = Value; }
    // The edited number shows thousands separators.
    bool UseThousandSeparator() const { return m_useThousandSeparator; }
    void SetUseThousandSeparator(bool Value) { m_useThousandSeparator = Value; }

    // The text a cell shows for Value without an editor; EConvertError for
    // an amount beyond the fixed-point range.
    std::string FormatDisplayText(const Variant& Value) const;

    // A Double, or Null for an empty text when Nullable.
    Variant GetEditingValue() const override;
    void SetEditingValue(const Variant& Value) override;
    // EConvertError for a text that is no number; a value outside the limits is cut to them.
    void ValidateEdit() override;
    void KeyPress(TKeyChar& Key) override;

private:
    std::string EditText(double Value) const;
    static bool ParseText(const std::string& Text, double& Value);
    double Clamp(double Value) const;

    int m_decimalPlaces{2};
    std::string m_displayFormat;
    double m_minValue{0};
    double m_maxValue{0};
    bool m_nullable{true};
    std::string m_nullString;
    bool m_useThousandSeparator{false};
};

} // namespace qel
