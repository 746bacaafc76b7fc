#pragma once
// TdxInplaceButtonEdit: a text editor with a row of edit buttons (one
// ellipsis button by default). A click on a button, or ClickKey for the
// default button, fires OnButtonClick with the button's index.
#include "editors/DropDownEdit.h"

#include <functional>

namespace qel {

using TdxEditButtonClickEvent = std::function<void(TObject* Sender, int AbsoluteIndex)>;

class TdxInplaceButtonEdit : public TdxInplaceDropDownEdit {
    QEL_CLASS(TdxInplaceButtonEdit)
public:
    explicit TdxInplaceButtonEdit(TComponent* AOwner);
    ~TdxInplaceButtonEdit() override;

    TdxEditButtons* Buttons() const { return m_buttons.get(); }
    void SetButtons(TdxEditButtons* Value) { m_buttons->Assign(Value); }
    // Only the buttons show; the text cannot be edited.
    bool ButtonOnly() const { return m_buttonOnly; }
    void SetButtonOnly(bool Value);
    // The key that clicks the default button (Ctrl+Enter).
    // No caret in the text (the value is chosen with the buttons).
    bool HideEditCursor() const { return m_hideEditCursor; }
    void SetHideEditCursor(bool Value);
    TShortCut ClickKey() const { return m_clickKey; }
    void SetClickKey(TShortCut Value) { m_clickKey = Value; }

    int EditButtonCount() const override { return m_buttons->Count(); }
    void EditButtonClick(int Index) override;
    void KeyPress(TKeyChar& Key) override;

    TdxEditButtonClickEvent OnButtonClick;

protected:
    TdxEditButtonKind EditButtonKind(int Index) const override;
    const TBitmap* EditButtonGlyph(int Index) const override;
    int EditButtonWidth(int Index) const override;
    bool EditButtonVisible(int Index) const override;
    bool EditButtonEnabled(int Index) const override;
    void DoEditKeyDown(std::uint16_t& Key, TShiftState Shift) override;
    TRect EditRect() override;
    TWinControl* FocusWindow() override;

private:
    std::unique_ptr<TdxEditButtons> m_buttons;
    TChangeLink m_buttonsLink;
    bool m_buttonOnly{false};
    bool m_hideEditCursor{false};
    TShortCut m_clickKey{TShortCut(scCtrl | VK_RETURN)};
};

} // namespace qel
