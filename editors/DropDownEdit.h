#pragma once
// TdxInplaceDropDownEdit: a text editor with a button that drops down a
// popup (a list, a calendar, a calculator, any control). Alt+Down, Alt+Up
// and F4 open the popup and close it again with the value taken; while it is
// open Enter takes the value and Esc leaves it, and the other keys go to the
// popup. The popup never takes the focus from the editor.
#include "editors/TextEdit.h"
#include "platform/core/ChangeLink.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace qel {

namespace detail {
class TdxPopupWindow;
}

enum TdxPopupBorder : std::uint8_t { pbDefault, pbSingle, pbFrame3D, pbFlat };
// Border width of a popup frame on each side.
int PopupBorderWidth(TdxPopupBorder Border);

using TdxCloseUpEvent = std::function<void(TObject* Sender, Variant& Value, bool& Accept)>;

class TdxInplaceDropDownEdit : public TdxInplaceMaskEdit {
    QEL_CLASS(TdxInplaceDropDownEdit)
public:
    explicit TdxInplaceDropDownEdit(TComponent* AOwner);
    ~TdxInplaceDropDownEdit() override;

    bool DroppedDown() const;
    // Opens the popup when the editor may change and is not open yet.
    void DropDown();
    // Closes the popup; with Accept the popup's value becomes the editor's
    // (OnCloseUp may change the value or refuse).
    void CloseUp(bool Accept);
    // Typing a character opens the popup.
    bool ImmediateDropDown() const { return m_immediateDropDown; }
    void SetImmediateDropDown(bool Value) { m_immediateDropDown = Value; }
    // Moves to the previous (-1) or next (+1) value; nothing in the base.
    virtual void SelectNextItem(int /*Direction*/) {}

    // Drawn on the drop-down button in place of the arrow; created on first read.
    TBitmap* ButtonGlyph();
    void SetButtonGlyph(const TBitmap* Value);
    int DropDownRows() const { return m_dropDownRows; }
    void SetDropDownRows(int Value) { m_dropDownRows = std::max(1, Value); }
    // 0: as wide as the editor.
    int DropDownWidth() const { return m_dropDownWidth; }
    void SetDropDownWidth(int Value) { m_dropDownWidth = std::max(0, Value); }
    // Left: the popup starts at the editor's left edge; right: ends at its right edge.
    TAlignment PopupAlignment() const { return m_popupAlignment; }
    void SetPopupAlignment(TAlignment Value) { m_popupAlignment = Value; }
    TdxPopupBorder PopupBorder() const { return m_popupBorder; }
    void SetPopupBorder(TdxPopupBorder Value) { m_popupBorder = Value; }

    int EditButtonCount() const override { return 1; }
    void EditButtonClick(int Index) override;
    void KeyPress(TKeyChar& Key) override;

    TdxCloseUpEvent OnCloseUp;
    // The drop-down button was clicked (before the popup opens).
    TNotifyEvent OnEditButtonClick;

protected:
    // Alt+Up, Alt+Down or F4 open the popup when it is closed (and close it
    // with the value taken when it is open).
    virtual void DoDropDownKeys(std::uint16_t& Key, TShiftState Shift);
    void DoEditKeyDown(std::uint16_t& Key, TShiftState Shift) override;
    bool IsEditorKey(std::uint16_t Key, TShiftState Shift) const override;
    const TBitmap* EditButtonGlyph(int Index) const override;
    void DoExit() override;
    // A hidden editor closes its popup (without taking its value).
    void VisibleChanged() override;

    virtual bool CanDropDown() const;
    // The popup's content, parented to Parent (the popup window's client); nullptr: none.
    virtual TControl* PopupContent(TWinControl* /*Parent*/) { return nullptr; }
    // Prepares the content before it shows (the current value selected).
    virtual void DoInitPopup() {}
    // The popup's outer size.
    virtual TSize PopupSize();
    // Keys while the popup is open (the base takes Enter and Esc first).
    virtual void PopupKeyDown(std::uint16_t& /*Key*/, TShiftState /*Shift*/) {}
    // Characters while the popup is open; answers true when the popup took it.
    virtual bool PopupKeyPress(TKeyChar /*Key*/) { return false; }
    // The value the popup holds now.
    virtual Variant PopupValue() { return GetEditingValue(); }
    // May the popup close now? (A popup editor asks OnCloseQuery.)
    virtual bool CanCloseUp(bool /*Accept*/) { return true; }
    // Fires OnCloseUp.
    virtual void DoCloseUp(Variant& Value, bool& Accept);
    // After the popup is shown.
    virtual void DoPopup() {}
    // The popup is being hidden (its content may go back where it came from).
    virtual void PopupHiding() {}
    // Takes an accepted popup value as the user's change.
    virtual void ApplyPopupValue(const Variant& Value);
    // The popup closed without a call of CloseUp (a click outside, the
    // application losing the focus).
    virtual void PopupClosedBySystem();
    detail::TdxPopupWindow* PopupWindow() const { return m_popup.get(); }
    // The screen rectangle the popup takes (below or above the editor).
    TRect PopupBounds(TSize Size);
    // The press that is going on closed the popup (it was on this editor, so
    // the click must not open it again).
    bool ClosedByOwnClick() const { return m_closedByOwnClick; }
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    std::unique_ptr<detail::TdxPopupWindow> m_popup;
    TControl* m_content{nullptr};
    std::unique_ptr<TBitmap> m_buttonGlyph;
    TChangeLink m_buttonGlyphLink;   // a glyph drawn on in place repaints the button
    bool m_immediateDropDown{false};
    int m_dropDownRows{7};
    int m_dropDownWidth{0};
    TAlignment m_popupAlignment{taLeftJustify};
    TdxPopupBorder m_popupBorder{pbDefault};
    bool m_closing{false};
    bool m_droppedDown{false};
    bool m_closedBySystem{false};
    bool m_closedByOwnClick{false};
};

} // namespace qel
