#pragma once
// The window an editor's popup content lives in while it is dropped down.
// It never takes the focus from the editor; a click outside, Esc or the
// application losing the focus closes it and the editor hears why.
#include "platform/controls/Controls.h"

#include <functional>
#include <memory>

namespace qel::detail {

enum TdxPopupCloseReason : std::uint8_t { pcrOutsideClick, pcrEscape, pcrDeactivate, pcrProgram };

class TdxPopupWindow {
public:
    // Opener: the control the popup belongs to (clicks on it are not outside).
    explicit TdxPopupWindow(TControl* Opener);
    ~TdxPopupWindow();
    TdxPopupWindow(const TdxPopupWindow&) = delete;
    TdxPopupWindow& operator=(const TdxPopupWindow&) = delete;

    // Where the content goes (its client area).
    TWinControl* Client() const;
    // Shows the window at screen rectangle R.
    void Popup(const TRect& R);
    void Hide();
    // Moves or sizes the shown window (screen coordinates).
    void SetBoundsRect(const TRect& R);
    bool Visible() const;
    TRect BoundsRect() const;

    // Closed by the user or the system (not by Hide).
    std::function<void(TdxPopupCloseReason)> OnClosed;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace qel::detail
