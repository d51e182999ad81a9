#include "Timer.h"

#include "TimerClock.h"

#include <algorithm>

namespace host {

Timer::Timer(QObject* parent, int intervalMs, bool enabled)
    : QObject(parent), m_interval(std::max(0, intervalMs)), m_enabled(enabled)
{
    m_realTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_realTimer, &QTimer::timeout, this, &Timer::tick);
    rearm();
}

Timer::~Timer()
{
    if (TimerClock* clock = TimerClock::Installed())
        clock->Disarm(*this);
}

void Timer::setInterval(int intervalMs)
{
    m_interval = std::max(0, intervalMs);
    rearm();
}

void Timer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    rearm();
}

int Timer::TickPeriodMs() const { return std::max(m_interval, PlatformTickMs); }

void Timer::rearm()
{
    TimerClock* clock = TimerClock::Installed();
    if (!IsRunning()) {
        m_realTimer.stop();
        if (clock)
            clock->Disarm(*this);
        return;
    }
    if (clock)
        clock->Arm(*this);
    else
        m_realTimer.start(TickPeriodMs());
}

} // namespace host
