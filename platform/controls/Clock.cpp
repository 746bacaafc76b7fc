#include "platform/controls/Clock.h"

#include "platform/controls/Application.h"
#include "platform/controls/Messages.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Guards.h"

#include <QGuiApplication>
#include <QStyleHints>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <exception>
#include <limits>
#include <memory>
#include <vector>

namespace qel {

namespace {

struct ManualClock {
    std::uint64_t now{0};
    std::uint64_t nextSequence{0};
};

ManualClock* g_manual = nullptr;
unsigned g_doubleClickTime = 0;

// Every timer in existence, so a manual clock can take running timers over.
std::vector<TClockTimer*>& AllTimers()
{
    static std::vector<TClockTimer*> timers;
    return timers;
}

std::uint64_t RealNow()
{
    static const auto start = std::chrono::steady_clock::now();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

} // namespace

std::uint32_t GetTickCount()
{
    return static_cast<std::uint32_t>(g_manual ? g_manual->now : RealNow());
}

unsigned GetDoubleClickTime()
{
    if (g_doubleClickTime)
        return g_doubleClickTime;
    if (QGuiApplication::instance())
        return static_cast<unsigned>(std::max(1, QGuiApplication::styleHints()->mouseDoubleClickInterval()));
    return 500;
}

void SetDoubleClickTime(unsigned Milliseconds)
{
    // Qt tells double clicks apart by the same setting.
    static int desktop = -1;
    if (QGuiApplication::instance()) {
        QStyleHints* hints = QGuiApplication::styleHints();
        if (desktop < 0)
            desktop = hints->mouseDoubleClickInterval();
        hints->setMouseDoubleClickInterval(Milliseconds ? static_cast<int>(std::min(Milliseconds, 0x7FFFFFFFu))
                                                        : desktop);
    }
    g_doubleClickTime = Milliseconds;
}

// ===== TClockTimer ====================================================================

struct TClockTimer::RealTimer : QTimer {};

TClockTimer::TClockTimer(std::function<void()> OnFire) : m_onFire(std::move(OnFire))
{
    AllTimers().push_back(this);
}

TClockTimer::~TClockTimer()
{
    if (m_destroyed)
        *m_destroyed = true;
    m_active = false;
    auto& all = AllTimers();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
    if (m_real) {
        m_real->stop();
        QObject::disconnect(m_real, nullptr, nullptr, nullptr);
        // Freed from inside its own timeout, Qt is still in the timer's call.
        if (m_firing)
            m_real->deleteLater();
        else
            delete m_real;
    }
}

void TClockTimer::Start(unsigned Interval)
{
    Stop();
    m_interval = Interval;
    m_active = true;
    if (g_manual) {
        m_due = g_manual->now + Interval;
        m_sequence = ++g_manual->nextSequence;
    } else {
        StartReal();
    }
}

void TClockTimer::StartReal()
{
    if (!m_real) {
        m_real = new RealTimer;
        QObject::connect(m_real, &QTimer::timeout, m_real, [this] {
            // Qt's event loop must not see an exception (Fire may free this timer: nothing of it is touched).
            try {
                Fire();
            } catch (const std::exception& e) {
                Application().HandleException(e);
            }
        });
    }
    m_real->start(static_cast<int>(std::min<unsigned>(m_interval, 0x7FFFFFFF)));
}

void TClockTimer::Stop()
{
    m_active = false;
    if (m_real)
        m_real->stop();
}

void TClockTimer::Fire()
{
    if (!m_active || !m_onFire)
        return;
    // The call may free this timer: then nothing of it is touched afterwards.
    // A firing may run a nested event loop that fires this timer again.
    bool destroyed = false;
    bool* const outer = m_destroyed;
    m_destroyed = &destroyed;
    m_firing = true;
    Finally restore([&] {
        if (destroyed) {
            if (outer)
                *outer = true;
            return;
        }
        m_destroyed = outer;
        m_firing = outer != nullptr;
    });
    const auto onFire = m_onFire;
    onFire();
}

// ===== TManualClockScope ================================================================

struct ClockTimerAccess {
    static void ToManual(TClockTimer& T, ManualClock& Clock)
    {
        if (!T.m_active)
            return;
        if (T.m_real)
            T.m_real->stop();
        T.m_due = Clock.now + T.m_interval;
        T.m_sequence = ++Clock.nextSequence;
    }
    static void ToReal(TClockTimer& T)
    {
        if (T.m_active)
            T.StartReal();
    }
};

TManualClockScope::TManualClockScope(std::uint64_t Start)
{
    if (g_manual)
        throw EInvalidOperation("A manual clock is already installed");
    g_manual = new ManualClock{Start, 0};
    for (TClockTimer* t : AllTimers())
        ClockTimerAccess::ToManual(*t, *g_manual);
}

TManualClockScope::~TManualClockScope()
{
    delete g_manual;
    g_manual = nullptr;
    for (TClockTimer* t : AllTimers())
        ClockTimerAccess::ToReal(*t);
}

std::uint64_t TManualClockScope::Now() const { return g_manual->now; }

int TManualClockScope::ActiveTimers() const
{
    const auto& all = AllTimers();
    return static_cast<int>(std::count_if(all.begin(), all.end(), [](const TClockTimer* T) { return T->Active(); }));
}

void TManualClockScope::Advance(unsigned Milliseconds)
{
    const std::uint64_t target = g_manual->now + Milliseconds;
    for (;;) {
        // The earliest due timer; a copy of the list, since a firing may create or free timers.
        TClockTimer* next = nullptr;
        for (TClockTimer* t : AllTimers()) {
            if (!t->m_active || t->m_due > target)
                continue;
            if (!next || t->m_due < next->m_due || (t->m_due == next->m_due && t->m_sequence < next->m_sequence))
                next = t;
        }
        if (!next)
            break;
        g_manual->now = std::max(g_manual->now, next->m_due);
        // Due again one interval on (at least 1 ms, so a zero interval cannot spin forever).
        next->m_due = g_manual->now + std::max(1u, next->m_interval);
        next->m_sequence = ++g_manual->nextSequence;
        next->Fire();
        ProcessPostedCalls();
    }
    g_manual->now = target;
}

} // namespace qel
