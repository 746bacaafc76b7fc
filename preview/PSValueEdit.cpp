#include "preview/PSValueEdit.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Locale.h"
#include "printing/PrintUtils.h"

#include <algorithm>
#include <cmath>

namespace qel {

QEL_REGISTER_CLASS(TdxPSValueEdit, TdxPSSpinEdit);

namespace {

bool Upper(TdxPageNumberFormat Type) { return Type == pnfUpperChars || Type == pnfUpperRoman; }
bool Letters(TdxPageNumberFormat Type) { return Type == pnfChars || Type == pnfUpperChars; }

} // namespace

TdxPSValueEdit::TdxPSValueEdit(TComponent* AOwner) : TdxPSSpinEdit(AOwner)
{
    SetMinValue(1);
    SetDefaultValue(1);
}

void TdxPSValueEdit::SetIntValueType(TdxPageNumberFormat Value)
{
    Value = static_cast<TdxPageNumberFormat>(std::clamp<int>(Value, pnfNumeral, pnfUpperRoman));
    if (m_intValueType == Value)
        return;
    const double value = this->Value();
    m_intValueType = Value;
    SetValue(value);
}

bool TdxPSValueEdit::IsValidChar(TKeyChar Ch) const
{
    if (ValueType() == svtFloat)
        return TdxPSSpinEdit::IsValidChar(Ch);
    if (m_intValueType == pnfNumeral)
        return Ch != U'-' && TdxPSSpinEdit::IsValidChar(Ch);
    // Control characters (backspace, the clipboard keys) edit the text as usual.
    if (Ch < 32)
        return true;
    const bool upper = Upper(m_intValueType);
    if (Letters(m_intValueType))
        return upper ? Ch >= U'A' && Ch <= U'Z' : Ch >= U'a' && Ch <= U'z';
    const std::u32string_view roman = upper ? U"CDILMVX" : U"cdilmvx";
    return roman.find(Ch) != std::u32string_view::npos;
}

bool TdxPSValueEdit::TryReadValue(double& Value) const
{
    if (!UsesNotation())
        return TdxPSSpinEdit::TryReadValue(Value);
    const std::string text = Trim(TextWithoutLegend());
    const bool upper = Upper(m_intValueType);
    int value = 1;
    if (!text.empty())
        value = Letters(m_intValueType) ? LettersToInt(text, upper) : RomanToInt(text, upper);
    Value = CheckValue(value);
    return true;
}

std::string TdxPSValueEdit::ValueToText(double Value) const
{
    if (!UsesNotation())
        return TdxPSSpinEdit::ValueToText(Value);
    const int value = static_cast<int>(std::lround(Value));
    const bool upper = Upper(m_intValueType);
    return Letters(m_intValueType) ? IntToLetters(value, upper) : IntToRoman(value, upper);
}

} // namespace qel
