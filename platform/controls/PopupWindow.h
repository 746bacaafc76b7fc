#pragma once
// A popup window: frameless, on top of everything, shown at a screen
// position without being activated (drop-down lists, calculator and calendar
// popups, popup editors, header filter lists, lookup lists, hints). The
// control that opened it keeps the focus the whole time: keys go to the
// opener, which hands the popup what concerns it.
//
// An open popup closes by itself on a mouse press outside it (the press then
// goes on to where it was meant), on Esc (the key goes no further), and when
// the application is deactivated; the opener hears why through OnClose. A
// press inside a popup opened from this one (a calendar inside a popup
// editor) counts as inside. If the opener is freed first the popup hides
// without an event: there is nobody left to tell.
//
//   auto* popup = new TPopupWindow(this);
//   popup->OnClose = [this](TObject*, TPopupCloseReason Reason) { CloseUp(Reason == pcrCode); };
//   popup->Popup(this, Bounds(p.X, p.Y, 200, 150));
#include "platform/controls/Controls.h"
#include "platform/controls/InputFilter.h"
#include "platform/core/ChangeLink.h"

#include <cstdint>
#include <functional>

namespace qel {

enum TPopupCloseReason : std::uint8_t {
    pcrCode,          // ClosePopup was called (the opener accepted or cancelled)
    pcrClickOutside,  // a mouse button went down outside the popup
    pcrEscape,        // Esc was pressed
    pcrDeactivate     // the application lost the desktop's focus
};

using TPopupCloseEvent = std::function<void(TObject* Sender, TPopupCloseReason Reason)>;

class TPopupWindow : public TCustomControl {
    QEL_CLASS(TPopupWindow)
public:
    explicit TPopupWindow(TComponent* AOwner);
    ~TPopupWindow() override;

    // Shows the popup at ScreenRect for Opener (which keeps the focus). A
    // popup already open moves to the new place.
    void Popup(TControl* Opener, const TRect& ScreenRect);
    // Hides an open popup and raises OnClose with Reason; nothing when closed.
    void ClosePopup(TPopupCloseReason Reason = pcrCode);
    bool IsPopped() const { return m_opener != nullptr; }
    TControl* Opener() const { return m_opener; }
    // Where the popup is on the screen.
    TRect ScreenRect() const;
    // True when the screen point lies in this popup or in a popup opened from it.
    bool ContainsScreenPoint(TPoint P) const;

    TPopupCloseEvent OnClose;

protected:
    // Raises OnClose.
    virtual void DoClose(TPopupCloseReason Reason);
    void ApplyVisible() override;
    bool AcceptsFocus() const override { return false; }
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // Other was opened from inside this popup (or from a popup that was).
    bool Owns(const TPopupWindow* Other) const;
    void Detach();
    bool OnInput(const TInputEvent& Event);

    TControl* m_opener{nullptr};
    TInputFilterHandle m_filter{0};
    TChangeLink m_activation;
};

} // namespace qel
