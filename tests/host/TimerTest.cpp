#include "host/testing/FakeClock.h"
#include "host/os/Timer.h"
#include "host/os/TimerClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

using host::FakeClock;
using host::Timer;

TEST(Timer, TicksNoFasterThanThePlatformAndNotAtAllWithIntervalZero)
{
    FakeClock clock;
    Timer fast(nullptr, 1, true);
    Timer slow(nullptr, 100, true);
    Timer zero(nullptr, 0, true);
    int fastTicks = 0, slowTicks = 0, zeroTicks = 0;
    QObject::connect(&fast, &Timer::tick, [&] { ++fastTicks; });
    QObject::connect(&slow, &Timer::tick, [&] { ++slowTicks; });
    QObject::connect(&zero, &Timer::tick, [&] { ++zeroTicks; });

    clock.Advance(52 * host::PlatformTickMs);
    EXPECT_EQ(fastTicks, 52);
    EXPECT_EQ(slowTicks, 52 * host::PlatformTickMs / 100);
    EXPECT_EQ(zeroTicks, 0);
}

TEST(Timer, HandlersMayStopStartAndDeleteTimersMidTick)
{
    FakeClock clock;
    std::vector<QString> order;
    Timer first(nullptr, 10, true);
    Timer second(nullptr, 10, false);
    auto doomed = std::make_unique<Timer>(nullptr, 20, true);
    QObject::connect(&first, &Timer::tick, [&] {
        order.push_back("first");
        first.setEnabled(false);
        second.setEnabled(true); // starts counting from now
        doomed.reset();
    });
    QObject::connect(&second, &Timer::tick, [&] { order.push_back("second"); });

    clock.Advance(16);
    EXPECT_EQ(order, std::vector<QString>{"first"});
    EXPECT_FALSE(clock.IsArmed(first));
    clock.Advance(15);
    EXPECT_EQ(order.size(), 1u) << "second ticked before a whole period";
    clock.Advance(1);
    EXPECT_EQ(order, (std::vector<QString>{"first", "second"}));
}

TEST(Timer, ChangingTheIntervalRestartsTheCount)
{
    FakeClock clock;
    Timer timer(nullptr, 100, true);
    int ticks = 0;
    QObject::connect(&timer, &Timer::tick, [&] { ++ticks; });
    clock.Advance(90);
    timer.setInterval(100);
    clock.Advance(90);
    EXPECT_EQ(ticks, 0);
    clock.Advance(10);
    EXPECT_EQ(ticks, 1);
}

TEST(TimerClock, TimeFollowsTheInstalledClockAndTheSystemOnceItIsGone)
{
    using namespace std::chrono;
    const auto systemNow = [] { return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count(); };
    auto clock = std::make_unique<FakeClock>();
    clock->Advance(5000);
    EXPECT_EQ(host::ClockNowMs(), 5000);
    Timer timer(nullptr, 10, true);
    EXPECT_TRUE(clock->IsArmed(timer));

    clock.reset();
    const qint64 before = systemNow();
    const qint64 now = host::ClockNowMs();
    EXPECT_LE(before, now);
    EXPECT_LE(now, systemNow());
    // Re-armed on Qt's timer: the clock that armed it is gone and must not be asked.
    timer.setInterval(20);
    EXPECT_EQ(host::TimerClock::Installed(), nullptr);
}
