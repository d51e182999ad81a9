#include "SleepTimer.h"

#include "host/os/Timer.h"
#include "host/os/TimerClock.h"

#include <algorithm>

namespace app {

SleepTimer::SleepTimer(QObject* parent) : QObject(parent), m_timer(new host::Timer(this))
{
    connect(m_timer, &host::Timer::tick, this, &SleepTimer::onTick);
}

SleepTimer::~SleepTimer() = default;

void SleepTimer::Start(int minutes)
{
    if (minutes <= 0) {
        Cancel();
        return;
    }
    const qint64 durationMs = qint64(minutes) * 60'000;
    m_mode = Mode::Countdown;
    m_deadline = now() + durationMs;
    setFade(1.0);
    m_announcedSeconds = -1;
    announceRemaining(durationMs);
    scheduleTick(durationMs);
}

void SleepTimer::StartEndOfTitle()
{
    stop();
    m_mode = Mode::EndOfTitle;
    emit remainingChanged();
}

void SleepTimer::Cancel()
{
    if (m_mode == Mode::Idle)
        return;
    stop();
    emit remainingChanged();
}

qint64 SleepTimer::RemainingMs() const
{
    if (m_mode != Mode::Countdown)
        return -1;
    return std::max<qint64>(0, m_deadline - now());
}

void SleepTimer::TitleEnded()
{
    if (m_mode != Mode::EndOfTitle)
        return;
    m_mode = Mode::Idle;
    emit expired();
    emit remainingChanged();
}

void SleepTimer::onTick()
{
    const qint64 remaining = m_deadline - now();
    if (remaining <= 0) {
        expire();
        return;
    }
    if (remaining <= FadeMs)
        setFade(double(remaining) / FadeMs);
    announceRemaining(remaining);
    scheduleTick(remaining);
}

void SleepTimer::scheduleTick(qint64 remainingMs)
{
    qint64 wait = 0;
    if (remainingMs <= FadeMs)
        wait = std::min<qint64>(FadeStepMs, remainingMs);
    else // on whole seconds for the countdown, and exactly where the fade begins
        wait = std::min<qint64>((remainingMs - 1) % CountdownStepMs + 1, remainingMs - FadeMs);
    m_timer->setInterval(int(std::max<qint64>(1, wait)));
    m_timer->setEnabled(true);
}

void SleepTimer::expire()
{
    setFade(0.0);
    m_mode = Mode::Idle;
    m_timer->setEnabled(false);
    emit expired();
    // Only after the owner has paused, so the end is not heard at full volume.
    setFade(1.0);
    emit remainingChanged();
}

void SleepTimer::stop()
{
    m_mode = Mode::Idle;
    m_timer->setEnabled(false);
    setFade(1.0);
}

void SleepTimer::setFade(double factor)
{
    if (factor == m_fade)
        return;
    m_fade = factor;
    emit fadeChanged(factor);
}

void SleepTimer::announceRemaining(qint64 remainingMs)
{
    const qint64 seconds = (remainingMs + 999) / 1000;
    if (seconds == m_announcedSeconds)
        return;
    m_announcedSeconds = seconds;
    emit remainingChanged();
}

qint64 SleepTimer::now()
{
    return host::ClockNowMs();
}

} // namespace app
