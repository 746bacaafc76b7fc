#pragma once
// A filter that sees every key and mouse event of the thread before the
// control it is meant for, and can swallow it: the context-menu manager of
// the printing system watches right-button releases and the menu keys
// through it.
#include "platform/controls/Controls.h"

#include <functional>

namespace qel {

// iekContextMenu: the platform asks for a control's context menu (after a
// right-button press or release, or a menu key, as the desktop has it).
enum TInputEventKind : std::uint8_t {
    iekKeyDown, iekKeyUp, iekMouseDown, iekMouseUp, iekMouseMove, iekMouseDblClick, iekMouseWheel, iekContextMenu
};

struct TInputEvent {
    TInputEventKind Kind = iekKeyDown;
    std::uint16_t Key = 0;          // virtual key of key events
    TShiftState Shift;
    TMouseButton Button = mbLeft;   // mouse button of down, up and double click
    TPoint ScreenPos;               // mouse events: screen coordinates; (-1, -1) for a menu asked by key
    TPoint ClientPos;               // mouse events: in the target's client area
    int WheelDelta = 0;             // 120 per notch, positive away from the user
    bool AutoRepeat = false;
    TControl* Target = nullptr;     // the control the event goes to (nullptr: not a control)
};

// Answers true to swallow the event.
using TInputFilter = std::function<bool(const TInputEvent& Event)>;
using TInputFilterHandle = int;

// The newest filter sees an event first; once one swallows it, no other
// filter and no control sees it.
TInputFilterHandle InstallInputFilter(TInputFilter Filter);
void RemoveInputFilter(TInputFilterHandle Handle);

// Hands an event (usually one a filter swallowed) to its target's own
// handlers as the control would have run them: MouseDown, MouseMove, MouseUp,
// a double click, the wheel, KeyDown or KeyUp. No filter sees it and no
// context-menu request follows (nor is one delivered). Without a target (or
// disabled) nothing happens.
void DeliverInputEvent(const TInputEvent& Event);

class TInputFilterScope {
public:
    explicit TInputFilterScope(TInputFilter Filter) : m_handle(InstallInputFilter(std::move(Filter))) {}
    ~TInputFilterScope() { RemoveInputFilter(m_handle); }
    TInputFilterScope(const TInputFilterScope&) = delete;
    TInputFilterScope& operator=(const TInputFilterScope&) = delete;

private:
    TInputFilterHandle m_handle;
};

} // namespace qel
