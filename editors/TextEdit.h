#pragma once
// Text editors: TdxInplaceTextEdit (one line of text in a frameless edit
// window) and TdxInplaceMaskEdit (the same under an edit mask, see EditMask.h).
#include "editors/EditButtons.h"
#include "editors/EditMask.h"
#include "editors/InplaceEdit.h"
#include "platform/controls/StdCtrls.h"

namespace qel {

// The platform's error for a masked value that is not complete.
QEL_DECLARE_EXCEPTION(EDBEditError, Exception);

class TdxInplaceTextEdit : public TdxInplaceEdit {
    QEL_CLASS(TdxInplaceTextEdit)
public:
    explicit TdxInplaceTextEdit(TComponent* AOwner);
    ~TdxInplaceTextEdit() override;

    std::string Text() const override;
    void SetText(const std::string& Value) override;
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment Value);
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int Value);
    TEditCharCase CharCase() const;
    void SetCharCase(TEditCharCase Value);
    char PasswordChar() const;
    void SetPasswordChar(char Value);
    void SetReadOnly(bool Value) override;

    void SetSelection(int Start, int Length) override;
    int SelStart() const;
    int SelLength() const;
    std::string SelText() const;
    void SelectAll();

    TEdit* EditWindow() const { return m_edit; }

    // ----- buttons at the edge (none here; drop-down, spin and button editors have them)
    virtual int EditButtonCount() const { return 0; }
    // Client rectangle of a button; buttons stand side by side from the right edge.
    virtual TRect EditButtonRect(int Index) const;
    // The button at a client point, -1 when none.
    int EditButtonAt(TPoint P) const;
    // Presses a button as a click would.
    virtual void EditButtonClick(int /*Index*/) {}
    int PressedButton() const { return m_pressedButton; }

protected:
    virtual TdxEditButtonKind EditButtonKind(int /*Index*/) const { return bkDown; }
    virtual const TBitmap* EditButtonGlyph(int /*Index*/) const { return nullptr; }
    virtual int EditButtonWidth(int Index) const;
    virtual bool EditButtonVisible(int /*Index*/) const { return true; }
    virtual bool EditButtonEnabled(int /*Index*/) const { return Enabled(); }
    virtual void PaintEditButton(int Index, const TRect& R, bool Pressed);
    // Width the buttons take from the right edge.
    virtual int ButtonsWidth() const;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Paint() override;

    TWinControl* FocusWindow() override;
    void BoundsChanged() override;
    void EditWindowChanged() override;
    void FontChanged() override;
    void ColorChanged() override;
    void StyleChanged() override;
    // Where the edit window goes: the client less the border and the buttons.
    virtual TRect EditRect();
    void LayoutEditWindow();
    // The text of the edit window as shown (the display text of a mask).
    std::string DisplayText() const;
    // Sets the shown text without counting as a change by the user.
    void SetDisplayText(const std::string& Value);
    bool SettingText() const { return m_settingText; }
    // Sets the shown text as the user's change.
    void ChangeDisplayText(const std::string& Value, int Caret);

private:
    TEdit* m_edit{nullptr};
    TAlignment m_alignment{taLeftJustify};
    int m_maxLength{0};
    bool m_settingText{false};
    int m_pressedButton{-1};
};

class TdxInplaceMaskEdit : public TdxInplaceTextEdit {
    QEL_CLASS(TdxInplaceMaskEdit)
public:
    explicit TdxInplaceMaskEdit(TComponent* AOwner);

    const std::string& EditMask() const { return m_mask.Mask(); }
    // Keeps the value: it is shown again under the new mask.
    void SetEditMask(const std::string& Value);
    bool IsMasked() const { return !m_mask.Empty(); }
    const TEditMask& Mask() const { return m_mask; }
    // An entirely blank masked value passes validation.
    bool IgnoreMaskBlank() const { return m_ignoreMaskBlank; }
    void SetIgnoreMaskBlank(bool Value) { m_ignoreMaskBlank = Value; }
    // Characters the user has entered: the text's length, or under a mask
    // the number of filled positions.
    int GetTextLength() const;

    // The value: the display text without literals when they are not saved.
    std::string Text() const override;
    void SetText(const std::string& Value) override;
    // EDBEditError "Invalid input value.  Use escape key to abandon changes"
    // for a changed masked value with an empty required position (the caret
    // goes there).
    void ValidateEdit() override;
    void KeyPress(TKeyChar& Key) override;

protected:
    void DoEditKeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void EditWindowChanged() override;

private:
    TEditMask m_mask;
    bool m_ignoreMaskBlank{false};
};

} // namespace qel
