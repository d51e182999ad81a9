#include "app/SleepTimer.h"

#include "host/testing/FakeClock.h"
#include "host/os/Timer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using app::SleepTimer;

constexpr qint64 Minute = 60'000;

class SleepTimerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&timer, &SleepTimer::fadeChanged, [this](double f) { fades.push_back(f); });
        QObject::connect(&timer, &SleepTimer::expired, [this] { ++expiries; });
        QObject::connect(&timer, &SleepTimer::remainingChanged, [this] { ++countdowns; });
    }

    bool ticking() const { return clock.IsArmed(*timer.findChild<host::Timer*>()); }

    host::FakeClock clock;
    SleepTimer timer;
    std::vector<double> fades;
    int expiries = 0;
    int countdowns = 0;
};

TEST_F(SleepTimerTest, ExpiresAfterTheChosenMinutesCountingDownOncePerSecond)
{
    EXPECT_FALSE(ticking()) << "no timer while idle";
    timer.Start(15);
    EXPECT_TRUE(timer.IsRunning());
    EXPECT_FALSE(timer.EndsWithTitle());
    EXPECT_EQ(timer.RemainingMs(), 15 * Minute);

    countdowns = 0;
    clock.Advance(Minute);
    EXPECT_EQ(countdowns, 60);
    EXPECT_EQ(timer.RemainingMs(), 14 * Minute);

    clock.Advance(14 * Minute - 1);
    EXPECT_EQ(expiries, 0);
    EXPECT_EQ(timer.RemainingMs(), 1);
    clock.Advance(1);
    EXPECT_EQ(expiries, 1);
    EXPECT_FALSE(timer.IsRunning());
    EXPECT_EQ(timer.RemainingMs(), -1);
    EXPECT_FALSE(ticking());

    clock.Advance(60 * Minute);
    EXPECT_EQ(expiries, 1) << "expires once";
}

TEST_F(SleepTimerTest, FadesOutOverTheLastTenSecondsThenRestoresAfterExpiry)
{
    timer.Start(15);
    clock.Advance(15 * Minute - 10'000);
    EXPECT_TRUE(fades.empty()) << "full volume until the last ten seconds";

    clock.Advance(5'000);
    ASSERT_FALSE(fades.empty());
    EXPECT_DOUBLE_EQ(fades.back(), 0.5);
    EXPECT_LE(fades.size(), 5u * 5) << "a few steps a second at most";
    EXPECT_GE(fades.size(), 5u * 2) << "smooth enough not to be heard as steps";
    EXPECT_TRUE(std::is_sorted(fades.rbegin(), fades.rend())) << "only ever quieter";

    countdowns = 0;
    clock.Advance(5'000);
    EXPECT_EQ(expiries, 1);
    EXPECT_LE(countdowns, 6) << "the countdown stays once a second during the fade";
    ASSERT_GE(fades.size(), 2u);
    EXPECT_EQ(fades[fades.size() - 2], 0.0);
    EXPECT_EQ(fades.back(), 1.0) << "the next title plays at full volume";
}

TEST_F(SleepTimerTest, CancelStopsTheTimerAndRestoresTheVolume)
{
    timer.Start(15);
    clock.Advance(15 * Minute - 3'000);
    ASSERT_LT(fades.back(), 1.0);

    timer.Cancel();
    EXPECT_EQ(fades.back(), 1.0);
    EXPECT_FALSE(timer.IsRunning());
    EXPECT_EQ(timer.RemainingMs(), -1);
    EXPECT_FALSE(ticking());
    clock.Advance(60 * Minute);
    EXPECT_EQ(expiries, 0);
}

TEST_F(SleepTimerTest, StartingAgainReplacesTheRunningTimer)
{
    timer.Start(15);
    clock.Advance(15 * Minute - 2'000);
    timer.Start(30);
    EXPECT_EQ(fades.back(), 1.0) << "a fade under way is undone";
    EXPECT_EQ(timer.RemainingMs(), 30 * Minute);

    clock.Advance(30 * Minute - 1);
    EXPECT_EQ(expiries, 0) << "the first deadline is gone";
    clock.Advance(1);
    EXPECT_EQ(expiries, 1);

    timer.Start(45);
    timer.Start(0);
    EXPECT_FALSE(timer.IsRunning()) << "no minutes means no timer";
}

TEST_F(SleepTimerTest, EndOfTitleWaitsForTheTitleWithoutTicking)
{
    timer.Start(15);
    clock.Advance(15 * Minute - 1'000);
    timer.StartEndOfTitle();
    EXPECT_EQ(fades.back(), 1.0);
    EXPECT_TRUE(timer.IsRunning());
    EXPECT_TRUE(timer.EndsWithTitle());
    EXPECT_EQ(timer.RemainingMs(), -1);
    EXPECT_FALSE(ticking());

    clock.Advance(3 * 60 * Minute);
    EXPECT_EQ(expiries, 0);
    timer.TitleEnded();
    EXPECT_EQ(expiries, 1);
    EXPECT_FALSE(timer.IsRunning());
    timer.TitleEnded();
    EXPECT_EQ(expiries, 1) << "the next title plays on";

    timer.Start(15);
    timer.TitleEnded();
    EXPECT_EQ(expiries, 1) << "a countdown ignores the end of a title";
    EXPECT_FALSE(timer.EndsWithTitle());
}

} // namespace
