// The preview's auto-scroll mode of the middle button.
#include "preview/detail/PreviewAutoScroll.h"

#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Region.h"
#include "platform/graphics/Resources.h"
#include "preview/detail/PreviewResources.h"

#include <algorithm>
#include <cstdlib>

namespace qel {

namespace {

int DirectionCursor(detail::TAutoScrollDirection D, bool Horz, bool Vert)
{
    switch (D) {
    case detail::sdLeft: return detail::crdxPreviewScrollLeft;
    case detail::sdUp: return detail::crdxPreviewScrollUp;
    case detail::sdRight: return detail::crdxPreviewScrollRight;
    case detail::sdDown: return detail::crdxPreviewScrollDown;
    case detail::sdUpLeft: return detail::crdxPreviewScrollUpLeft;
    case detail::sdUpRight: return detail::crdxPreviewScrollUpRight;
    case detail::sdDownRight: return detail::crdxPreviewScrollDownRight;
    case detail::sdDownLeft: return detail::crdxPreviewScrollDownLeft;
    default:
        return Horz && Vert ? detail::crdxPreviewScrollBoth
               : Horz       ? detail::crdxPreviewScrollHorz
                            : detail::crdxPreviewScrollVert;
    }
}

int Dx(detail::TAutoScrollDirection D)
{
    switch (D) {
    case detail::sdLeft: case detail::sdUpLeft: case detail::sdDownLeft: return -1;
    case detail::sdRight: case detail::sdUpRight: case detail::sdDownRight: return 1;
    default: return 0;
    }
}

int Dy(detail::TAutoScrollDirection D)
{
    switch (D) {
    case detail::sdUp: case detail::sdUpLeft: case detail::sdUpRight: return -1;
    case detail::sdDown: case detail::sdDownLeft: case detail::sdDownRight: return 1;
    default: return 0;
    }
}

} // namespace

TCustomdxPreview::TAutoScroll::TAutoScroll(TCustomdxPreview& Owner, TPoint Click)
    : m_owner(Owner), m_horz(Owner.CanHScroll()), m_vert(Owner.CanVScroll())
{
    const int id = m_horz && m_vert ? detail::crdxPreviewIndicatorBoth
                   : m_horz         ? detail::crdxPreviewIndicatorHorz
                                    : detail::crdxPreviewIndicatorVert;
    const std::unique_ptr<TBitmap> mark = LoadBitmapResource(id);
    // One pixel larger than the picture, cut to an ellipse with an outline.
    const int w = mark->Width() + 1, h = mark->Height() + 1;
    TBitmap shown(w, h);
    shown.Canvas()->Draw(0, 0, mark.get());
    shown.Canvas()->Brush()->SetStyle(bsClear);
    shown.Canvas()->Pen()->SetColor(clWindowText);
    shown.Canvas()->Ellipse(0, 0, w, h);
    m_indicator = std::make_unique<TOverlayWindow>(nullptr);
    m_indicator->SetImage(&shown);
    const TRegion shape = TRegion::CreateEllipse(Rect(0, 0, w, h));
    m_indicator->SetWindowRgn(&shape);
    m_indicator->SetHotSpot({w / 2, h / 2});
    const TPoint screen = Owner.ClientToScreen(Click);
    m_indicator->ShowAt({screen.X, screen.Y - 2});
    m_savedCursor = Owner.Cursor();
    Owner.SetCursor(detail::PreviewCursor(DirectionCursor(detail::sdNone, m_horz, m_vert)));
    m_filter = InstallInputFilter([this](const TInputEvent& E) { return Input(E); });
    m_timer = std::make_unique<TClockTimer>([this] { Tick(); });
    m_timer->Start(20);
    Owner.SetCapture();
}

TCustomdxPreview::TAutoScroll::~TAutoScroll()
{
    RemoveInputFilter(m_filter);
    m_timer->Stop();
    if (m_owner.MouseCapture())
        m_owner.ReleaseCapture();
    if (!m_owner.IsDestroying())
        m_owner.SetCursor(m_savedCursor);
}

bool TCustomdxPreview::TAutoScroll::Input(const TInputEvent& E)
{
    if (m_ended)
        return false;
    switch (E.Kind) {
    case iekMouseMove: Move(E.ScreenPos); return true;
    case iekMouseDown:
    case iekMouseDblClick: m_ended = true; return true;
    case iekMouseUp:
        // A click without moving leaves the mode on until the next press.
        if (E.Button != mbMiddle || m_dragged)
            m_ended = true;
        return true;
    case iekKeyDown: Key(E.Key); return true;
    case iekKeyUp: return true;
    default: return false;
    }
}

void TCustomdxPreview::TAutoScroll::Key(std::uint16_t K)
{
    int dx = 0, dy = 0;
    switch (K) {
    case VK_MENU:
    case VK_ESCAPE:
    case VK_APPS: m_ended = true; return;
    case VK_UP: dy = -10; break;
    case VK_DOWN: dy = 10; break;
    case VK_LEFT: dx = -10; break;
    case VK_RIGHT: dx = 10; break;
    case VK_PRIOR: dx = 10; dy = -10; break;
    case VK_NEXT: dx = 10; dy = 10; break;
    case VK_HOME: dx = -10; dy = -10; break;
    case VK_END: dx = -10; dy = 10; break;
    default: return;
    }
    const TPoint p = GetCursorPos();
    SetCursorPos(p.X + dx, p.Y + dy);
    Move(GetCursorPos());
}

void TCustomdxPreview::TAutoScroll::Move(TPoint P)
{
    if (P == m_last)
        return;
    m_last = P;
    const TRect box = m_indicator->BoundsRect();
    if (box.Contains(P)) {
        m_direction = detail::sdNone;
        m_speed = 0;
    } else {
        m_dragged = true;
        const int r = box.Width() / 2;
        const int dx = P.X - (box.Left + box.Width() / 2), dy = P.Y - (box.Top + box.Height() / 2);
        m_speed = std::min((std::max(std::abs(dx), std::abs(dy)) - r) / 5 + 1, 12);
        if (std::abs(dy) < r)
            m_direction = dx < 0 ? detail::sdLeft : detail::sdRight;
        else if (std::abs(dx) < r)
            m_direction = dy < 0 ? detail::sdUp : detail::sdDown;
        else
            m_direction = dy < 0 ? (dx < 0 ? detail::sdUpLeft : detail::sdUpRight) : (dx < 0 ? detail::sdDownLeft : detail::sdDownRight);
        m_direction = Reduced(m_direction);
    }
    m_owner.SetCursor(detail::PreviewCursor(DirectionCursor(m_direction, m_horz, m_vert)));
}

// With one axis to scroll, a direction keeps only its part along that axis.
detail::TAutoScrollDirection TCustomdxPreview::TAutoScroll::Reduced(TDirection D) const
{
    if (m_horz && m_vert)
        return D;
    if (m_horz)
        return Dx(D) < 0 ? detail::sdLeft : Dx(D) > 0 ? detail::sdRight : detail::sdNone;
    return Dy(D) < 0 ? detail::sdUp : Dy(D) > 0 ? detail::sdDown : detail::sdNone;
}

void TCustomdxPreview::TAutoScroll::Tick()
{
    ++m_ticks;
    if (m_ended || m_direction == detail::sdNone || m_speed <= 0 || m_ticks % (13 - m_speed) != 0)
        return;
    m_owner.ScrollByLines(Dx(m_direction), Dy(m_direction));
}

} // namespace qel
