#include "editors/detail/PopupWindow.h"

#include "platform/controls/InputFilter.h"

#include <optional>

namespace qel::detail {

// A frameless top-level control; a filter watches the mouse and Esc while
// it is shown.
struct TdxPopupWindow::Impl {
    TControl* opener{nullptr};
    std::unique_ptr<TCustomControl> frame;
    std::optional<TInputFilterScope> filter;
};

namespace {
bool Inside(const TControl* c, const TControl* root)
{
    for (const TControl* p = c; p; p = p->Parent())
        if (p == root)
            return true;
    return false;
}
} // namespace

TdxPopupWindow::TdxPopupWindow(TControl* Opener) : m_impl(std::make_unique<Impl>())
{
    m_impl->opener = Opener;
    m_impl->frame = std::make_unique<TCustomControl>(nullptr);
    m_impl->frame->SetVisible(false);
}

TdxPopupWindow::~TdxPopupWindow()
{
    m_impl->filter.reset();
}

TWinControl* TdxPopupWindow::Client() const
{
    return m_impl->frame.get();
}

void TdxPopupWindow::Popup(const TRect& R)
{
    m_impl->frame->SetBoundsRect(R);
    m_impl->frame->Show();
    if (!m_impl->filter)
        m_impl->filter.emplace([this](const TInputEvent& e) {
            if (e.Kind == iekMouseDown && !Inside(e.Target, m_impl->frame.get()) &&
                !Inside(e.Target, m_impl->opener)) {
                Hide();
                if (OnClosed)
                    OnClosed(pcrOutsideClick);
            }
            return false;
        });
}

void TdxPopupWindow::SetBoundsRect(const TRect& R)
{
    m_impl->frame->SetBoundsRect(R);
}

void TdxPopupWindow::Hide()
{
    m_impl->frame->Hide();
}

bool TdxPopupWindow::Visible() const
{
    return m_impl->frame->Visible();
}

TRect TdxPopupWindow::BoundsRect() const
{
    return m_impl->frame->BoundsRect();
}

} // namespace qel::detail
