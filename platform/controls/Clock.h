#pragma once
// The one clock of the controls: GetTickCount, TTimer and every other timer
// of the platform read it. Production runs on the steady clock and Qt timers;
// a test installs a manual clock for a scope and moves time itself, so no test
// waits in real time:
//
//   TManualClockScope clock;          // time stands still from here on
//   TTimer timer(nullptr);            // (started before or after the scope: both move over)
//   timer.SetInterval(100);
//   clock.Advance(250);               // fires the timer at 100 and 200, in order
//
// The double-click time is a platform setting read through the same place.
#include <cstdint>
#include <functional>

namespace qel {

// Milliseconds since the program started (or the manual clock's time), wrapping at 2^32.
std::uint32_t GetTickCount();

// The longest time between two clicks that still makes a double click, in
// milliseconds: the desktop's setting unless the program set its own.
unsigned GetDoubleClickTime();
// 0 goes back to the desktop's setting.
void SetDoubleClickTime(unsigned Milliseconds);

// A timer on the platform clock, for the platform layer: calls OnFire every
// Interval milliseconds while active, on the GUI thread. It may stop, restart
// or free itself from inside OnFire.
class TClockTimer {
public:
    explicit TClockTimer(std::function<void()> OnFire);
    ~TClockTimer();
    TClockTimer(const TClockTimer&) = delete;
    TClockTimer& operator=(const TClockTimer&) = delete;

    // Starts (or restarts) the timer; the first call comes Interval ms from now.
    // An interval of 0 fires as soon as the event loop (or the manual clock) runs.
    void Start(unsigned Interval);
    void Stop();
    bool Active() const { return m_active; }
    unsigned Interval() const { return m_interval; }

private:
    friend class TManualClockScope;
    friend struct ClockTimerAccess;
    void StartReal();
    void Fire();

    std::function<void()> m_onFire;
    unsigned m_interval{0};
    bool m_active{false};
    std::uint64_t m_due{0};       // manual clock: when the timer fires next
    std::uint64_t m_sequence{0};  // manual clock: start order, breaks ties between equal due times
    struct RealTimer;
    RealTimer* m_real{nullptr};   // production: the Qt timer, made on first start
    bool m_firing{false};
    bool* m_destroyed{nullptr};   // set while OnFire runs, so a timer freed by it is not touched
};

// Replaces the real clock by a manual one for the length of a scope. Timers
// running when the scope opens move over (due Interval ms after the scope's
// start) and go back to real time when it closes. Scopes do not nest.
class TManualClockScope {
public:
    // Start: the tick count the manual clock starts at.
    explicit TManualClockScope(std::uint64_t Start = 1000);
    ~TManualClockScope();
    TManualClockScope(const TManualClockScope&) = delete;
    TManualClockScope& operator=(const TManualClockScope&) = delete;

    std::uint64_t Now() const;
    // Moves time forward by Milliseconds. Every timer due on the way fires at
    // its own time, earliest first; timers due at the same time fire in the
    // order they were armed (started, or last fired). Posted calls run after
    // each firing, as the event loop would run them.
    void Advance(unsigned Milliseconds);
    // How many timers are active.
    int ActiveTimers() const;
};

} // namespace qel
