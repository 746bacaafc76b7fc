#include "editors/CurrencyEdit.h"

#include "platform/core/Locale.h"

#include <algorithm>

namespace qel {

TdxInplaceCurrencyEdit::TdxInplaceCurrencyEdit(TComponent* AOwner) : TdxInplaceTextEdit(AOwner)
{
    SetAlignment(taRightJustify);
}

void TdxInplaceCurrencyEdit::SetDecimalPlaces(int Value)
{
    m_decimalPlaces = std::max(0, std::min(Value, 4));
}

double TdxInplaceCurrencyEdit::Clamp(double Value) const
{
    if (m_minValue < m_maxValue)
        Value = std::max(m_minValue, std::min(Value, m_maxValue));
    return Value;
}

std::string TdxInplaceCurrencyEdit::EditText(double Value) const
{
    const std::string decimals = m_decimalPlaces > 0 ? "." + std::string(std::size_t(m_decimalPlaces), '0') : "";
    return FormatFloat((m_useThousandSeparator ? "#,##0" : "0") + decimals, Value);
}

bool TdxInplaceCurrencyEdit::ParseText(const std::string& Text, double& Value)
{
    // Thousands separators shown while editing are no part of the number.
    std::string t = Trim(Text);
    t.erase(std::remove(t.begin(), t.end(), FormatSettings().ThousandSeparator), t.end());
    return TryStrToFloat(t, Value);
}

std::string TdxInplaceCurrencyEdit::FormatDisplayText(const Variant& Value) const
{
    if (Value.IsEmptyOrNull())
        return m_nullString;
    double v = 0;
    try {
        v = Value.AsDouble();
    } catch (const EConvertError&) {
        return VarToStr(Value);
    }
    const Currency money = Currency::FromDouble(v);
    if (!m_displayFormat.empty())
        return FormatCurr(m_displayFormat, money);
    return CurrencyText(money);
}

double TdxInplaceCurrencyEdit::Value() const
{
    double v = 0;
    if (!ParseText(Text(), v))
        v = 0;
    return v;
}

void TdxInplaceCurrencyEdit::SetValue(double Value)
{
    SetText(EditText(Clamp(Value)));
}

Variant TdxInplaceCurrencyEdit::GetEditingValue() const
{
    const std::string t = Trim(Text());
    double v = 0;
    if (t.empty())
        return m_nullable ? Variant::Null() : Variant(0.0);
    if (!ParseText(t, v))
        return m_nullable ? Variant::Null() : Variant(0.0);
    return Variant(Clamp(v));
}

void TdxInplaceCurrencyEdit::SetEditingValue(const Variant& Value)
{
    if (Value.IsEmptyOrNull()) {
        SetText(m_nullable ? "" : EditText(0));
        return;
    }
    try {
        SetValue(Value.AsDouble());
    } catch (const EConvertError&) {
        SetText("");
    }
}

void TdxInplaceCurrencyEdit::ValidateEdit()
{
    const std::string t = Trim(Text());
    double v = 0;
    if (!t.empty() && !ParseText(t, v))
        throw EConvertError("'" + t + "' is not a valid floating point value");
}

void TdxInplaceCurrencyEdit::KeyPress(TKeyChar& Key)
{
    const TKeyChar decimal = TKeyChar(FormatSettings().DecimalSeparator);
    if (Key == U'.' || Key == U',')
        Key = decimal;   // either key types the locale's separator
    if (Key >= 0x20 && !(Key >= U'0' && Key <= U'9') && Key != U'-' && !(Key == decimal && m_decimalPlaces > 0))
        Key = 0;
    TdxInplaceTextEdit::KeyPress(Key);
}

} // namespace qel
