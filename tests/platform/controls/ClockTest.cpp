// The platform clock: tick count, timers and the double-click time under a
// manual clock that tests move themselves.
#include "platform/controls/Application.h"
#include "platform/controls/Clock.h"
#include "platform/controls/ExtCtrls.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace qel {
namespace {

TEST(ManualClock, TickCountStandsStillUntilAdvanced)
{
    TManualClockScope clock(5000);
    EXPECT_EQ(GetTickCount(), 5000u);
    Application().ProcessMessages();
    EXPECT_EQ(GetTickCount(), 5000u);
    clock.Advance(250);
    EXPECT_EQ(GetTickCount(), 5250u);
    EXPECT_EQ(clock.Now(), 5250u);
}

TEST(ManualClock, TickCountWrapsAt32Bits)
{
    TManualClockScope clock(0xFFFFFFF0ull);
    const std::uint32_t before = GetTickCount();
    clock.Advance(0x20);
    EXPECT_EQ(GetTickCount(), 0x10u);
    EXPECT_EQ(static_cast<std::uint32_t>(GetTickCount() - before), 0x20u) << "differences survive the wrap";
}

TEST(ManualClock, TimersFireInDueOrderAtTheirOwnTime)
{
    TManualClockScope clock(0);
    std::vector<std::string> log;
    TTimer slow(nullptr), fast(nullptr), same(nullptr);
    slow.SetInterval(100);
    fast.SetInterval(30);
    same.SetInterval(60);
    slow.OnTimer = [&](TObject*) { log.push_back("slow@" + std::to_string(GetTickCount())); };
    fast.OnTimer = [&](TObject*) { log.push_back("fast@" + std::to_string(GetTickCount())); };
    same.OnTimer = [&](TObject*) { log.push_back("same@" + std::to_string(GetTickCount())); };

    clock.Advance(29);
    EXPECT_TRUE(log.empty());
    clock.Advance(91);
    // At 60 and 120 both 'fast' and 'same' are due: the one armed first (same at 0 and 60,
    // fast at 30 and 90) fires first.
    EXPECT_EQ(log, (std::vector<std::string>{"fast@30", "same@60", "fast@60", "fast@90", "slow@100", "same@120",
                                              "fast@120"}));
    EXPECT_EQ(GetTickCount(), 120u);
}

TEST(ManualClock, TimersStopRestartAndFreeThemselvesWhileFiring)
{
    TManualClockScope clock(0);
    auto owner = std::make_unique<TComponent>(nullptr);
    auto* once = new TTimer(owner.get());
    once->SetInterval(10);
    int onceCount = 0;
    once->OnTimer = [&](TObject*) {
        ++onceCount;
        delete once;   // a timer may free itself from its own event
    };
    TTimer restart(nullptr);
    restart.SetInterval(50);
    std::vector<std::uint32_t> restartAt;
    restart.OnTimer = [&](TObject*) {
        restartAt.push_back(GetTickCount());
        restart.SetInterval(20);   // restarting counts from now
    };
    clock.Advance(200);
    EXPECT_EQ(onceCount, 1);
    EXPECT_EQ(owner->ComponentCount(), 0);
    EXPECT_EQ(restartAt, (std::vector<std::uint32_t>{50, 70, 90, 110, 130, 150, 170, 190}));

    restart.SetEnabled(false);
    clock.Advance(100);
    EXPECT_EQ(restartAt.size(), 8u);
    EXPECT_EQ(clock.ActiveTimers(), 0);
    restart.SetEnabled(true);
    EXPECT_EQ(clock.ActiveTimers(), 1);
    clock.Advance(20);
    EXPECT_EQ(restartAt.back(), 320u);
}

TEST(ManualClock, RunningTimersMoveOverAndBack)
{
    TTimer timer(nullptr);
    timer.SetInterval(1000);
    int ticks = 0;
    timer.OnTimer = [&](TObject*) { ++ticks; };
    {
        TManualClockScope clock(0);
        EXPECT_EQ(clock.ActiveTimers(), 1) << "a timer started on the real clock moves to the manual one";
        clock.Advance(999);
        EXPECT_EQ(ticks, 0);
        clock.Advance(1);
        EXPECT_EQ(ticks, 1);
        EXPECT_THROW(TManualClockScope second, EInvalidOperation);
    }
    EXPECT_TRUE(timer.Enabled());
    // Back on the real clock: an event loop pass does not fire a 1 s timer at once.
    Application().ProcessMessages();
    EXPECT_EQ(ticks, 1);
}

TEST(ManualClock, DoubleClickTimeIsAPlatformSetting)
{
    const unsigned desktop = GetDoubleClickTime();
    EXPECT_GT(desktop, 0u);
    SetDoubleClickTime(321);
    EXPECT_EQ(GetDoubleClickTime(), 321u);
    SetDoubleClickTime(0);
    EXPECT_EQ(GetDoubleClickTime(), desktop);
}

TEST(ManualClock, ATimerThatStopsItselfFiresNoMore)
{
    TManualClockScope clock;
    TTimer timer(nullptr);
    int ticks = 0;
    timer.SetInterval(1);
    timer.OnTimer = [&](TObject*) {
        if (++ticks == 2)
            timer.SetEnabled(false);
    };
    clock.Advance(10);
    EXPECT_EQ(ticks, 2);
}

} // namespace
} // namespace qel
