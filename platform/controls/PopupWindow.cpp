#include "platform/controls/PopupWindow.h"

#include "platform/controls/Application.h"
#include "platform/controls/detail/ControlBridge.h"

#include <QWidget>
#include <QWindow>

namespace qel {

namespace {

// Open popups, oldest first.
std::vector<TPopupWindow*>& OpenPopups()
{
    static std::vector<TPopupWindow*> popups;
    return popups;
}

// The popup the opener of P sits in (nullptr: P was opened from an ordinary window).
TPopupWindow* ParentPopup(const TPopupWindow* P)
{
    for (TControl* c = P->Opener(); c; c = c->Parent())
        if (auto* popup = dynamic_cast<TPopupWindow*>(c))
            return popup;
    return nullptr;
}

} // namespace

bool TPopupWindow::Owns(const TPopupWindow* Other) const
{
    for (const TPopupWindow* p = ParentPopup(Other); p; p = ParentPopup(p))
        if (p == this)
            return true;
    return false;
}

TPopupWindow::TPopupWindow(TComponent* AOwner) : TCustomControl(AOwner)
{
    QWidget* w = Widget();
    // A tool-tip window is never activated by the desktop and stays on top.
    w->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                      | Qt::WindowDoesNotAcceptFocus);
    w->setAttribute(Qt::WA_ShowWithoutActivating);
    InitColor(clWindow);
    SetVisible(false);
    ApplyTabStop();
}

TPopupWindow::~TPopupWindow()
{
    Destroying();
    Detach();
}

void TPopupWindow::ApplyVisible()
{
    // A popup is a top-level window of its own.
    if (Widget()->isHidden() == Visible())
        Widget()->setVisible(Visible());
}

void TPopupWindow::Popup(TControl* Opener, const TRect& ScreenRect)
{
    if (!Opener)
        throw EInvalidOperation("A popup window needs the control that opens it");
    if (m_opener != Opener) {
        if (m_opener)
            m_opener->RemoveFreeNotification(this);
        m_opener = Opener;
        m_opener->FreeNotification(this);
    }
    // Nothing inside a popup takes the focus from the opener, not even on a click.
    Widget()->setFocusPolicy(Qt::NoFocus);
    for (QWidget* child : Widget()->findChildren<QWidget*>())
        child->setFocusPolicy(Qt::NoFocus);
    SetBounds(ScreenRect.Left, ScreenRect.Top, ScreenRect.Width(), ScreenRect.Height());
    auto& open = OpenPopups();
    if (std::find(open.begin(), open.end(), this) == open.end())
        open.push_back(this);
    if (!m_filter)
        m_filter = InstallInputFilter([this](const TInputEvent& Event) { return OnInput(Event); });
    if (!m_activation.Connected())
        m_activation.Connect(Application().ActivationChanges(), [this](TObject*) {
            if (!Application().Active())
                ClosePopup(pcrDeactivate);
        });
    // The popup belongs to its opener's window: a modal form does not block
    // the mouse in the popups it opens.
    QWidget* owner = Opener->Widget()->window();
    if (owner != Widget()) {
        Widget()->winId();
        owner->winId();
        Widget()->windowHandle()->setTransientParent(owner->windowHandle());
    }
    SetVisible(true);
    if (!Screen().Headless())
        Widget()->raise();
}

void TPopupWindow::Detach()
{
    if (m_filter) {
        RemoveInputFilter(m_filter);
        m_filter = 0;
    }
    m_activation.Disconnect();
    auto& open = OpenPopups();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    if (m_opener) {
        m_opener->RemoveFreeNotification(this);
        m_opener = nullptr;
    }
}

void TPopupWindow::ClosePopup(TPopupCloseReason Reason)
{
    if (!IsPopped())
        return;
    // Popups opened from this one close first, for the same reason.
    for (;;) {
        const auto& open = OpenPopups();
        auto inner = std::find_if(open.rbegin(), open.rend(), [this](TPopupWindow* P) { return Owns(P); });
        if (inner == open.rend())
            break;
        (*inner)->ClosePopup(Reason);
    }
    Detach();
    SetVisible(false);
    DoClose(Reason);
}

void TPopupWindow::DoClose(TPopupCloseReason Reason)
{
    if (OnClose)
        OnClose(this, Reason);
}

TRect TPopupWindow::ScreenRect() const
{
    const TPoint p = ClientToScreen({0, 0});
    return Bounds(p.X, p.Y, Width(), Height());
}

bool TPopupWindow::ContainsScreenPoint(TPoint P) const
{
    if (PtInRect(ScreenRect(), P))
        return true;
    for (const TPopupWindow* other : OpenPopups())
        if (other != this && Owns(other) && PtInRect(other->ScreenRect(), P))
            return true;
    return false;
}

bool TPopupWindow::OnInput(const TInputEvent& Event)
{
    switch (Event.Kind) {
    case iekMouseDown:
    case iekMouseDblClick:
        if (!ContainsScreenPoint(Event.ScreenPos))
            ClosePopup(pcrClickOutside);
        return false;
    case iekKeyDown:
        if (Event.Key != VK_ESCAPE)
            return false;
        // Esc closes the newest popup only.
        if (OpenPopups().empty() || OpenPopups().back() != this)
            return false;
        ClosePopup(pcrEscape);
        return true;
    default:
        return false;
    }
}

void TPopupWindow::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_opener) {
        m_opener = nullptr;
        Detach();
        SetVisible(false);
    }
}

} // namespace qel
