#include "platform/controls/OverlayWindow.h"

#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"

#include <QWidget>

namespace qel {

TOverlayWindow::TOverlayWindow(TComponent* AOwner) : TCustomControl(AOwner)
{
    QWidget* w = Widget();
    w->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                      | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
    w->setAttribute(Qt::WA_ShowWithoutActivating);
    w->setAttribute(Qt::WA_TransparentForMouseEvents);
    w->setFocusPolicy(Qt::NoFocus);
    SetOpaque(true);
    SetVisible(false);
}

TOverlayWindow::~TOverlayWindow()
{
    Destroying();
    SetFollowPointer(false);
}

void TOverlayWindow::ApplyVisible()
{
    // An overlay is a top-level window of its own.
    if (Widget()->isHidden() == Visible())
        Widget()->setVisible(Visible());
}

void TOverlayWindow::SetImage(const TBitmap* Image)
{
    if (Image) {
        auto copy = std::make_unique<TBitmap>();
        copy->Assign(const_cast<TBitmap*>(Image));
        m_image = std::move(copy);
        SetBounds(Left(), Top(), m_image->Width(), m_image->Height());
    } else {
        m_image.reset();
    }
    Invalidate();
}

void TOverlayWindow::ShowAt(TPoint ScreenPos)
{
    MoveTo(ScreenPos);
    SetVisible(true);
    if (!Screen().Headless())
        Widget()->raise();
}

void TOverlayWindow::MoveTo(TPoint ScreenPos)
{
    SetBounds(ScreenPos.X - m_hotSpot.X, ScreenPos.Y - m_hotSpot.Y, Width(), Height());
}

void TOverlayWindow::SetFollowPointer(bool Value)
{
    if (Value == FollowPointer())
        return;
    if (Value) {
        m_filter = InstallInputFilter([this](const TInputEvent& Event) {
            if (Event.Kind == iekMouseMove)
                MoveTo(Event.ScreenPos);
            return false;
        });
    } else {
        RemoveInputFilter(m_filter);
        m_filter = 0;
    }
}

void TOverlayWindow::Paint()
{
    TCanvas* canvas = Canvas();
    if (m_image) {
        canvas->Draw(0, 0, m_image.get());
        return;
    }
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(ClientRect());
    if (OnPaint)
        OnPaint(this);
}

} // namespace qel
