#pragma once
// Numbers and times stepped with the arrow keys or two spin buttons:
// TdxInplaceSpinEdit (a float value between optional limits) and
// TdxInplaceTimeEdit (a time of day; the arrows step the part the caret is in).
#include "editors/TextEdit.h"

namespace qel {

enum TdxSpinEditValueType : std::uint8_t { vtInt, vtFloat };

class TdxInplaceSpinEdit : public TdxInplaceMaskEdit {
    QEL_CLASS(TdxInplaceSpinEdit)
public:
    explicit TdxInplaceSpinEdit(TComponent* AOwner);

    // The number shown; an empty text counts as 0 (GetEditingValue gives Null).
    double Value() const;
    // Cut to the limits, shown with the locale's decimal separator.
    void SetValue(double Value);
    // Limits apply when they differ (MinValue < MaxValue).
    double MinValue() const { return m_minValue; }
    void SetMinValue(double Value) { m_minValue = Value; }
    double MaxValue() const { return m_maxValue; }
    void SetMaxValue(double Value) { m_maxValue = Value; }
    double Increment() const { return m_increment; }
    void SetIncrement(double Value) { m_increment = Value; }
    TdxSpinEditValueType ValueType() const { return m_valueType; }
    void SetValueType(TdxSpinEditValueType Value) { m_valueType = Value; }
    // False: only the arrows and buttons change the value, typing does not.
    bool EditorEnabled() const { return m_editorEnabled; }
    void SetEditorEnabled(bool Value) { m_editorEnabled = Value; }
    // The arrow keys spin only with Ctrl (plain arrows move in the grid).
    bool UseCtrlIncrement() const { return m_useCtrlIncrement; }
    void SetUseCtrlIncrement(bool Value) { m_useCtrlIncrement = Value; }

    // Steps the value by Increment times Steps.
    virtual void Spin(int Steps);

    // Null for an empty text, else the number (a Double).
    Variant GetEditingValue() const override;
    void SetEditingValue(const Variant& Value) override;
    // EConvertError for a text that is no number.
    void ValidateEdit() override;
    void KeyPress(TKeyChar& Key) override;

    int EditButtonCount() const override { return 2; }
    TRect EditButtonRect(int Index) const override;
    void EditButtonClick(int Index) override;

protected:
    int ButtonsWidth() const override;
    void PaintEditButton(int Index, const TRect& R, bool Pressed) override;
    void DoEditKeyDown(std::uint16_t& Key, TShiftState Shift) override;
    bool IsEditorKey(std::uint16_t Key, TShiftState Shift) const override;
    double Clamp(double Value) const;
    virtual bool IsValidNumberChar(TKeyChar Key) const;

private:
    double m_minValue{0};
    double m_maxValue{0};
    double m_increment{1.0};
    TdxSpinEditValueType m_valueType{vtFloat};
    bool m_editorEnabled{true};
    bool m_useCtrlIncrement{false};
};

// 0: hours, minutes and seconds; 1: hours and minutes; 2: hours.
enum TdxTimeEditFormat : std::uint8_t { tfHourMinSec, tfHourMin, tfHour };

class TdxInplaceTimeEdit : public TdxInplaceSpinEdit {
    QEL_CLASS(TdxInplaceTimeEdit)
public:
    explicit TdxInplaceTimeEdit(TComponent* AOwner);

    TdxTimeEditFormat TimeEditFormat() const { return m_format; }
    void SetTimeEditFormat(TdxTimeEditFormat Value);
    // The time of day (fraction of a day).
    TDateTime Time() const;
    void SetTime(TDateTime Value);

    // A date Variant with the time; Null for an empty text.
    Variant GetEditingValue() const override;
    void SetEditingValue(const Variant& Value) override;
    // EConvertError "'x' is not a valid time" for hours past 23 or minutes past 59.
    void ValidateEdit() override;
    void KeyPress(TKeyChar& Key) override;
    // Steps the part the caret is in (hours wrap around the day).
    void Spin(int Steps) override;

private:
    bool TryParse(const std::string& Text, TDateTime& Value) const;
    TdxTimeEditFormat m_format{tfHourMinSec};
};

} // namespace qel
