#include "editors/SpinEdit.h"

#include "platform/core/Locale.h"

#include <cmath>

namespace qel {

TdxInplaceSpinEdit::TdxInplaceSpinEdit(TComponent* AOwner) : TdxInplaceMaskEdit(AOwner)
{
    SetAlignment(taRightJustify);
    LayoutEditWindow();
}

double TdxInplaceSpinEdit::Clamp(double Value) const
{
    if (m_minValue < m_maxValue)
        Value = std::max(m_minValue, std::min(Value, m_maxValue));
    if (m_valueType == vtInt)
        Value = std::round(Value);
    return Value;
}

double TdxInplaceSpinEdit::Value() const
{
    double v = 0;
    const std::string t = Trim(Text());
    if (!t.empty() && !TryStrToFloat(t, v))
        v = 0;
    return v;
}

void TdxInplaceSpinEdit::SetValue(double Value)
{
    Value = Clamp(Value);
    SetText(m_valueType == vtInt ? IntToStr(static_cast<std::int64_t>(Value)) : FloatToStr(Value));
}

void TdxInplaceSpinEdit::Spin(int Steps)
{
    if (!CanModify())
        return;
    SetValue(Value() + m_increment * Steps);
    SelectAll();
    DoChange();
}

Variant TdxInplaceSpinEdit::GetEditingValue() const
{
    double v = 0;
    const std::string t = Trim(Text());
    if (t.empty() || !TryStrToFloat(t, v))
        return Variant::Null();
    return Variant(Clamp(v));
}

void TdxInplaceSpinEdit::SetEditingValue(const Variant& Value)
{
    if (Value.IsEmptyOrNull()) {
        SetText("");
        return;
    }
    double v = 0;
    try {
        v = Value.AsDouble();
    } catch (const EConvertError&) {
        SetText("");
        return;
    }
    SetValue(v);
}

void TdxInplaceSpinEdit::ValidateEdit()
{
    TdxInplaceMaskEdit::ValidateEdit();
    const std::string t = Trim(Text());
    double v = 0;
    if (!t.empty() && !TryStrToFloat(t, v))
        throw EConvertError("'" + t + "' is not a valid floating point value");
}

bool TdxInplaceSpinEdit::IsValidNumberChar(TKeyChar Key) const
{
    if (Key >= U'0' && Key <= U'9')
        return true;
    if (Key == U'-' || Key == U'+')
        return m_minValue >= m_maxValue || m_minValue < 0;
    if (m_valueType == vtFloat && (Key == TKeyChar(FormatSettings().DecimalSeparator) || Key == U'e' || Key == U'E'))
        return true;
    return false;
}

void TdxInplaceSpinEdit::KeyPress(TKeyChar& Key)
{
    if (Key >= 0x20 && (!m_editorEnabled || (!IsMasked() && !IsValidNumberChar(Key))))
        Key = 0;
    TdxInplaceMaskEdit::KeyPress(Key);
}

bool TdxInplaceSpinEdit::IsEditorKey(std::uint16_t Key, TShiftState Shift) const
{
    if ((Key == VK_UP || Key == VK_DOWN) && (m_useCtrlIncrement ? Shift == TShiftState{ssCtrl} : Shift.Empty()))
        return true;
    return TdxInplaceMaskEdit::IsEditorKey(Key, Shift);
}

void TdxInplaceSpinEdit::DoEditKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    const bool spinShift = m_useCtrlIncrement ? Shift == TShiftState{ssCtrl} : Shift.Empty();
    if (spinShift && (Key == VK_UP || Key == VK_DOWN)) {
        Spin(Key == VK_UP ? 1 : -1);
        Key = 0;
        return;
    }
    TdxInplaceMaskEdit::DoEditKeyDown(Key, Shift);
}

int TdxInplaceSpinEdit::ButtonsWidth() const
{
    return std::min(EditButtonWidth(0), std::max(0, ClientRect().Width() - 2 * BorderWidth()));
}

TRect TdxInplaceSpinEdit::EditButtonRect(int Index) const
{
    const int b = BorderWidth();
    TRect c = ClientRect();
    InflateRect(c, -b, -b);
    const int mid = c.Top + c.Height() / 2;
    const int left = c.Right - ButtonsWidth();
    return Index == 0 ? Rect(left, c.Top, c.Right, mid) : Rect(left, mid, c.Right, c.Bottom);
}

void TdxInplaceSpinEdit::EditButtonClick(int Index)
{
    Spin(Index == 0 ? 1 : -1);
}

void TdxInplaceSpinEdit::PaintEditButton(int Index, const TRect& R, bool Pressed)
{
    TRect r = R;
    Canvas()->DrawFrameControl(r, DFC_SCROLL,
                               (Index == 0 ? DFCS_SCROLLUP : DFCS_SCROLLDOWN) | (Pressed ? DFCS_PUSHED : 0u) |
                                   (Enabled() ? 0u : DFCS_INACTIVE));
}

// ===== TdxInplaceTimeEdit ============================================================

TdxInplaceTimeEdit::TdxInplaceTimeEdit(TComponent* AOwner) : TdxInplaceSpinEdit(AOwner)
{
    SetAlignment(taLeftJustify);
    SetIgnoreMaskBlank(true);   // an empty time is no time (Null)
    SetEditMask("!90:00:00;1;_");
}

void TdxInplaceTimeEdit::SetTimeEditFormat(TdxTimeEditFormat Value)
{
    if (Value > tfHour)
        Value = tfHourMinSec;
    const TDateTime t = Time();
    const bool empty = Trim(Text()).empty();
    m_format = Value;
    SetEditMask(Value == tfHourMinSec ? "!90:00:00;1;_" : Value == tfHourMin ? "!90:00;1;_" : "!90;1;_");
    if (empty)
        SetText("");
    else
        SetTime(t);
}

bool TdxInplaceTimeEdit::TryParse(const std::string& Text, TDateTime& Value) const
{
    int parts[3] = {0, 0, 0};
    int index = 0;
    bool digits = false;
    for (char c : Text) {
        if (c >= '0' && c <= '9') {
            parts[index] = parts[index] * 10 + (c - '0');
            digits = true;
            if (parts[index] > 99)
                return false;
        } else if (c == FormatSettings().TimeSeparator) {
            if (++index > 2)
                return false;
        } else if (c != ' ') {
            return false;
        }
    }
    if (!digits)
        return false;
    return TryEncodeTime(parts[0], parts[1], parts[2], 0, Value);
}

TDateTime TdxInplaceTimeEdit::Time() const
{
    TDateTime t = 0;
    return TryParse(Text(), t) ? t : 0;
}

void TdxInplaceTimeEdit::SetTime(TDateTime Value)
{
    Value = std::fabs(Value - std::trunc(Value));
    const char* formats[] = {"hh:nn:ss", "hh:nn", "hh"};
    SetText(FormatDateTime(formats[m_format], Value));
}

Variant TdxInplaceTimeEdit::GetEditingValue() const
{
    TDateTime t = 0;
    if (!TryParse(Text(), t))
        return Variant::Null();
    return Variant::FromDate(t);
}

void TdxInplaceTimeEdit::SetEditingValue(const Variant& Value)
{
    if (Value.IsEmptyOrNull()) {
        SetText("");
        return;
    }
    try {
        SetTime(Value.AsDate());
    } catch (const EConvertError&) {
        SetText("");
    }
}

void TdxInplaceTimeEdit::ValidateEdit()
{
    TdxInplaceMaskEdit::ValidateEdit();
    TDateTime t = 0;
    const std::string text = Text();
    if (text.find_first_of("0123456789") != std::string::npos && !TryParse(text, t))
        throw EConvertError("'" + Trim(text) + "' is not a valid time");
}

void TdxInplaceTimeEdit::KeyPress(TKeyChar& Key)
{
    // The mask takes the digits; the number rules of the spin editor do not apply.
    TdxInplaceMaskEdit::KeyPress(Key);
}

void TdxInplaceTimeEdit::Spin(int Steps)
{
    if (!CanModify())
        return;
    // The part the caret is in: every part takes three characters ("hh:").
    const int part = std::min(SelStart() / 3, int(2 - m_format));
    const double unit = part == 0 ? 1.0 / 24 : part == 1 ? 1.0 / 1440 : 1.0 / 86400;
    double t = Time() + unit * Steps;
    t -= std::floor(t);
    if (t > 1 - 1.0 / 86400 / 2)
        t = 0;
    const int caret = SelStart();
    SetTime(t);
    SetSelection(caret, 0);
    DoChange();
}

} // namespace qel
