#include "editors/DateEdit.h"

#include "platform/controls/Messages.h"
#include "platform/core/Locale.h"

#include <cmath>

namespace qel {

namespace {
bool IsNull(TDateTime D)
{
    return D <= NullDate + 0.5;
}
} // namespace

TdxInplaceDateEdit::TdxInplaceDateEdit(TComponent* AOwner) : TdxInplaceDropDownEdit(AOwner) {}

std::string TdxInplaceDateEdit::FormatDate(TDateTime Value) const
{
    return IsNull(Value) ? std::string() : DateToStr(Value);
}

TDateTime TdxInplaceDateEdit::WithTime(TDateTime Day) const
{
    if (IsNull(Day))
        return NullDate;
    if (!m_saveTime || IsNull(m_date))
        return std::floor(Day);
    return ComposeDateTime(std::floor(Day), std::fabs(m_date - std::trunc(m_date)));
}

void TdxInplaceDateEdit::SetUseEditMask(bool Value)
{
    m_useEditMask = Value;
    if (!Value) {
        SetEditMask("");
        return;
    }
    // "dd.MM.yyyy" becomes "!99/99/0000;1;_".
    std::string mask = "!";
    for (char c : FormatSettings().ShortDateFormat) {
        if (c == 'd' || c == 'M' || c == 'm')
            mask += '9';
        else if (c == 'y')
            mask += '0';
        else if (c == FormatSettings().DateSeparator)
            mask += '/';
        else
            mask += std::string("\\") + c;
    }
    SetIgnoreMaskBlank(true);
    SetEditMask(mask + ";1;_");
}

TDateTime TdxInplaceDateEdit::Date() const
{
    const std::string text = Trim(Text());
    if (text.find_first_of("0123456789") == std::string::npos)
        return NullDate;
    TDateTime d = 0;
    if (TryStrToDate(text, d))
        return WithTime(d);
    switch (m_dateOnError) {
    case deToday: return WithTime(qel::Date());
    case deNull: return NullDate;
    default: return m_date;
    }
}

void TdxInplaceDateEdit::SetDate(TDateTime Value)
{
    m_date = IsNull(Value) ? NullDate : Value;
    SetText(FormatDate(m_date));
}

Variant TdxInplaceDateEdit::GetEditingValue() const
{
    return Variant::FromDate(Date());
}

void TdxInplaceDateEdit::SetEditingValue(const Variant& Value)
{
    TDateTime d = NullDate;
    if (!Value.IsEmptyOrNull()) {
        try {
            d = Value.AsDate();
        } catch (const EConvertError&) {
            d = NullDate;
        }
    }
    SetDate(d);
}

void TdxInplaceDateEdit::ValidateEdit()
{
    TdxInplaceDropDownEdit::ValidateEdit();
    if (!m_dateValidation || !Modified())
        return;
    const std::string text = Trim(Text());
    TDateTime d = NullDate;
    bool error = false;
    if (text.find_first_of("0123456789") != std::string::npos && !TryStrToDate(text, d))
        error = true;
    else if (!IsNull(d))
        d = WithTime(d);
    std::string errorText;
    if (OnDateValidateInput)
        OnDateValidateInput(this, text, d, errorText, error);
    if (error)
        throw EConvertError(errorText.empty() ? "'" + text + "' is not a valid date" : errorText);
    SetDate(d);
}

void TdxInplaceDateEdit::SelectNextItem(int Direction)
{
    TDateTime d = Date();
    d = IsNull(d) ? WithTime(qel::Date()) : d + Direction;
    SetDate(d);
    SelectAll();
    DoChange();
}

TControl* TdxInplaceDateEdit::PopupContent(TWinControl* Parent)
{
    m_calendar = new TdxPopupCalendar(Parent);
    m_calendar->SetParent(Parent);
    m_calendar->SetAlign(alClient);
    m_calendar->OnChoose = [this](TObject*) { CloseUp(true); };
    return m_calendar;
}

void TdxInplaceDateEdit::DoInitPopup()
{
    m_calendar->SetFont(Font());
    m_calendar->SetDateButtons(m_dateButtons);
    m_calendar->SetDate(Date());
}

TSize TdxInplaceDateEdit::PopupSize()
{
    return m_calendar ? m_calendar->CalcSize() : TSize{};
}

void TdxInplaceDateEdit::PopupKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (!m_calendar)
        return;
    if (m_calendar->HandleKey(Key, Shift)) {
        Key = 0;
        return;
    }
    // The buttons from the keyboard: Space is Today, Delete is Clear.
    const bool today = Key == VK_SPACE && m_dateButtons.Contains(btnToday);
    const bool clear = Key == VK_DELETE && m_dateButtons.Contains(btnClear);
    if (!Shift.Empty() || (!today && !clear))
        return;
    Key = 0;
    TMessage pending;
    PeekMessage(pending, EditWindow(), WM_CHAR, WM_CHAR, true);   // the space is no text
    m_calendar->SetDate(today ? qel::Date() : NullDate);
    CloseUp(true);
}

Variant TdxInplaceDateEdit::PopupValue()
{
    return Variant::FromDate(m_calendar ? WithTime(m_calendar->Date()) : Date());
}

} // namespace qel
