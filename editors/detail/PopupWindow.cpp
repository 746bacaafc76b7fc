#include "editors/detail/PopupWindow.h"

namespace qel::detail {

TdxPopupWindow::TdxPopupWindow(TControl* Opener)
    : m_opener(Opener), m_window(std::make_unique<TPopupWindow>(nullptr))
{
    m_window->OnClose = [this](TObject*, TPopupCloseReason Reason) {
        if (Reason != pcrCode && OnClosed)
            OnClosed(Reason);
    };
}

TdxPopupWindow::~TdxPopupWindow()
{
    m_window->OnClose = nullptr;
}

void TdxPopupWindow::Popup(const TRect& R)
{
    m_window->Popup(m_opener, R);
}

void TdxPopupWindow::Hide()
{
    m_window->ClosePopup(pcrCode);
}

} // namespace qel::detail
