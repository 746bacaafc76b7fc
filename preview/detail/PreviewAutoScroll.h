#pragma once
// The middle button's auto-scroll mode of the preview: an indicator at the
// click point, and the view scrolls towards the pointer, faster the farther
// it is, until a button, a key or the loss of the capture ends it. The mode
// sees every key and mouse event of the program while it runs (an input
// filter) and swallows what it uses. Freeing it is the clean-up: the filter,
// the timer, the capture, the indicator and the cursor.
#include "platform/controls/Clock.h"
#include "platform/controls/InputFilter.h"
#include "platform/controls/OverlayWindow.h"
#include "preview/Preview.h"

#include <climits>
#include <memory>

namespace qel {

namespace detail {
enum TAutoScrollDirection : std::uint8_t {
    sdNone, sdLeft, sdUp, sdRight, sdDown, sdUpLeft, sdUpRight, sdDownRight, sdDownLeft
};
} // namespace detail

class TCustomdxPreview::TAutoScroll {
public:
    using TDirection = detail::TAutoScrollDirection;

    // Click in the preview's client coordinates.
    TAutoScroll(TCustomdxPreview& Owner, TPoint Click);
    ~TAutoScroll();
    TAutoScroll(const TAutoScroll&) = delete;
    TAutoScroll& operator=(const TAutoScroll&) = delete;

    // A button, a key or the loss of the capture ended the mode.
    bool Ended() const { return m_ended || !m_owner.MouseCapture(); }
    TOverlayWindow* Indicator() const { return m_indicator.get(); }

private:
    bool Input(const TInputEvent& E);
    void Key(std::uint16_t K);
    void Move(TPoint P);
    TDirection Reduced(TDirection D) const;
    void Tick();

    TCustomdxPreview& m_owner;
    bool m_horz;
    bool m_vert;
    std::unique_ptr<TOverlayWindow> m_indicator;
    std::unique_ptr<TClockTimer> m_timer;
    TInputFilterHandle m_filter{0};
    TCursor m_savedCursor{crDefault};
    TPoint m_last{INT_MAX, INT_MAX};
    TDirection m_direction{detail::sdNone};
    int m_speed{0};
    int m_ticks{0};
    bool m_dragged{false};
    bool m_ended{false};
};

} // namespace qel
