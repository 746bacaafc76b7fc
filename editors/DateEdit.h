#pragma once
// TdxInplaceDateEdit: a date, typed in the locale's short date format or
// picked from a calendar popup (Space takes today, Delete clears, as the
// popup's buttons do). NullDate (-700000) is the empty date; the editing
// value is a date Variant (NullDate when empty).
#include "editors/DropDownEdit.h"
#include "editors/PopupCalendar.h"

#include <functional>

namespace qel {

// What a text that is no date gives: the date before the edit, today, or the null date.
enum TDateOnError : std::uint8_t { deNoChange, deToday, deNull };

using TDateValidateEvent = std::function<void(TObject* Sender, const std::string& Text, TDateTime& Date,
                                              std::string& ErrorText, bool& Error)>;

class TdxInplaceDateEdit : public TdxInplaceDropDownEdit {
    QEL_CLASS(TdxInplaceDateEdit)
public:
    explicit TdxInplaceDateEdit(TComponent* AOwner);

    // The date the text stands for now (see DateOnError).
    TDateTime Date() const;
    void SetDate(TDateTime Value);
    TDateButtons DateButtons() const { return m_dateButtons; }
    void SetDateButtons(TDateButtons Value) { m_dateButtons = Value; }
    TDateOnError DateOnError() const { return m_dateOnError; }
    void SetDateOnError(TDateOnError Value) { m_dateOnError = Value; }
    // Posting runs OnDateValidateInput, which may correct the date or refuse.
    bool DateValidation() const { return m_dateValidation; }
    void SetDateValidation(bool Value) { m_dateValidation = Value; }
    // A typed or picked date keeps the time of day the value had.
    bool SaveTime() const { return m_saveTime; }
    void SetSaveTime(bool Value) { m_saveTime = Value; }
    // Typing goes through a mask made from the short date format.
    bool UseEditMask() const { return m_useEditMask; }
    void SetUseEditMask(bool Value);

    Variant GetEditingValue() const override;
    void SetEditingValue(const Variant& Value) override;
    // With DateValidation: OnDateValidateInput decides; an error raises
    // EConvertError with its text (or "'x' is not a valid date").
    void ValidateEdit() override;
    // A day back (-1) or forward (+1).
    void SelectNextItem(int Direction) override;
    TdxPopupCalendar* Calendar() const { return m_calendar; }

    TDateValidateEvent OnDateValidateInput;

protected:
    TControl* PopupContent(TWinControl* Parent) override;
    void DoInitPopup() override;
    TSize PopupSize() override;
    void PopupKeyDown(std::uint16_t& Key, TShiftState Shift) override;
    Variant PopupValue() override;

private:
    std::string FormatDate(TDateTime Value) const;
    TDateTime WithTime(TDateTime Day) const;

    TdxPopupCalendar* m_calendar{nullptr};
    TDateTime m_date{NullDate};     // the value given, with its time of day
    TDateButtons m_dateButtons{btnToday, btnClear};
    TDateOnError m_dateOnError{deNoChange};
    bool m_dateValidation{false};
    bool m_saveTime{true};
    bool m_useEditMask{false};
};

} // namespace qel
