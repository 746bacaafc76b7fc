#pragma once
// The platform popup window as the drop-down editors use it: created on
// first use, owned by the editor, opened for the editor (which keeps the
// focus) and closed by the editor or by the user (a click outside, Esc, the
// application losing the focus), which the editor hears through OnClosed.
#include "platform/controls/PopupWindow.h"

#include <functional>
#include <memory>

namespace qel::detail {

class TdxPopupWindow {
public:
    // Opener: the editor the popup belongs to.
    explicit TdxPopupWindow(TControl* Opener);
    ~TdxPopupWindow();
    TdxPopupWindow(const TdxPopupWindow&) = delete;
    TdxPopupWindow& operator=(const TdxPopupWindow&) = delete;

    // Where the content goes.
    TWinControl* Client() const { return m_window.get(); }
    // Shows the window at screen rectangle R (moves it when it is open).
    void Popup(const TRect& R);
    // Closes it without telling OnClosed.
    void Hide();
    bool Visible() const { return m_window->IsPopped(); }
    TRect BoundsRect() const { return m_window->ScreenRect(); }
    void SetBoundsRect(const TRect& R) { Popup(R); }

    // Closed by the user or the system (never for Hide).
    std::function<void(TPopupCloseReason)> OnClosed;

private:
    TControl* m_opener;
    std::unique_ptr<TPopupWindow> m_window;
};

} // namespace qel::detail
