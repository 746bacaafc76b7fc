#pragma once
// Posted calls and messages, as the platform's message queue has them, all on
// the one GUI thread:
// - PostCall / PostMessage run after the current event, when the event loop
//   next runs (Application().ProcessMessages(), a modal loop, a manual clock's
//   Advance), first in, first out. What was posted to a control that is freed
//   before it runs is dropped, never run.
// - PeekMessage looks at what is pending for a control and can take it out.
//   The character of the key being handled counts as pending: on the platform
//   a key press puts its character message in the queue before KeyDown runs,
//   so a KeyDown handler can take the character out ("remove the pending
//   character"); left alone, it reaches KeyPress even when KeyDown set the
//   key to 0.
//
//   void TMyGrid::KeyDown(std::uint16_t& Key, TShiftState Shift)
//   {
//       TMessage m;
//       if (Key == VK_F2 && PeekMessage(m, this, WM_CHAR, WM_CHAR, true)) ...   // the character is gone
//   }
#include "platform/controls/Controls.h"

#include <cstdint>
#include <functional>

namespace qel {

// Message numbers the platform layer knows; WM_USER and above belong to the program.
inline constexpr unsigned WM_NULL = 0x0000, WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102,
    WM_USER = 0x0400;

struct TMessage {
    unsigned Msg = WM_NULL;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};

// Runs Call after the current event. Control may be nullptr (a call of the
// application); otherwise the call is dropped if Control is freed first.
void PostCall(TControl* Control, std::function<void()> Call);
// Hands a message to Control's WndProc after the current event (see TControl::Perform).
void PostMessage(TControl* Control, unsigned Msg, std::uintptr_t WParam = 0, std::intptr_t LParam = 0);
// The first pending message for Control (nullptr: for any control) whose
// number lies in FilterMin .. FilterMax (both 0: any number), oldest first;
// with Remove it is taken out of the queue. Answers false when there is none.
bool PeekMessage(TMessage& Msg, TControl* Control, unsigned FilterMin, unsigned FilterMax, bool Remove);
// Runs what is posted now, including what those calls post; answers how many ran.
int ProcessPostedCalls();
// How many posted calls and messages wait.
int PostedCallCount();

namespace detail {
// Drops everything posted to a control being freed.
void DiscardPosted(const TControl* Control);
// The key event being handled: its character is pending for Control until
// KeyPress runs or someone removes it. For the control bridge.
class PendingCharScope {
public:
    PendingCharScope(TWinControl* Control, TKeyChar Ch);
    ~PendingCharScope();
    PendingCharScope(const PendingCharScope&) = delete;
    PendingCharScope& operator=(const PendingCharScope&) = delete;
    // False once PeekMessage removed the character.
    bool Pending() const { return !m_removed; }

private:
    friend bool qel::PeekMessage(TMessage&, TControl*, unsigned, unsigned, bool);
    friend void DiscardPosted(const TControl* Control);
    TWinControl* m_control;
    TKeyChar m_ch;
    bool m_removed{false};
    PendingCharScope* m_outer;
};
} // namespace detail

} // namespace qel
