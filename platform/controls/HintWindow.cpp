#include "platform/controls/HintWindow.h"

#include "platform/controls/Application.h"
#include "platform/controls/detail/ControlBridge.h"

namespace qel {

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner)
{
    QWidget* w = Widget();
    w->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    w->setAttribute(Qt::WA_ShowWithoutActivating);
    InitColor(clInfoBk);
    // Hints use the small interface font; 8 points where the desktop names none.
    if (!Screen().GetStatusBarFont(*Font()))
        Font()->SetSize(8);
    Font()->SetColor(clInfoText);
    SetVisible(false);
    ApplyTabStop();
}

void THintWindow::ApplyVisible()
{
    // A hint window is a top-level window of its own.
    if (Widget()->isHidden() == Visible())
        Widget()->setVisible(Visible());
}

TRect THintWindow::CalcHintRect(int MaxWidth, const std::string& Hint)
{
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    TRect r = Rect(0, 0, MaxWidth > 0 ? MaxWidth : 0x7FFF, 0);
    canvas->DrawText(Hint, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    r.Right += 6;
    r.Bottom += 2;
    return r;
}

void THintWindow::ActivateHint(const TRect& R, const std::string& Hint)
{
    SetCaption(Hint);
    SetBounds(R.Left, R.Top, R.Width(), R.Height());
    SetVisible(true);
    if (!Screen().Headless())
        Widget()->raise();
    Invalidate();
}

void THintWindow::ReleaseHandle() { SetVisible(false); }

bool THintWindow::Active() const { return Visible(); }

void THintWindow::Paint()
{
    TCanvas* canvas = Canvas();
    TRect r = ClientRect();
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(r);
    canvas->Brush()->SetColor(clWindowFrame);
    canvas->FrameRect(r);
    InflateRect(r, -2, -1);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->Assign(Font());
    canvas->DrawText(Caption(), r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

} // namespace qel
