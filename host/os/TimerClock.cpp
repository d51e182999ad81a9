#include "TimerClock.h"

#include <chrono>

namespace host {

namespace {
TimerClock* g_installed = nullptr;
}

TimerClock* TimerClock::Installed() { return g_installed; }

void TimerClock::Install(TimerClock* clock) { g_installed = clock; }

qint64 ClockNowMs()
{
    if (const TimerClock* clock = TimerClock::Installed())
        return clock->Now();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace host
