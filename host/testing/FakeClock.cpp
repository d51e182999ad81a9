#include "FakeClock.h"

#include "host/os/Timer.h"

#include <algorithm>

namespace host {

FakeClock::FakeClock()
{
    Install(this);
}

FakeClock::~FakeClock()
{
    if (Installed() == this)
        Install(nullptr);
}

void FakeClock::Arm(Timer& timer)
{
    Disarm(timer);
    m_entries.push_back({&timer, m_now + timer.TickPeriodMs(), m_order++});
}

void FakeClock::Disarm(Timer& timer)
{
    std::erase_if(m_entries, [&](const Entry& e) { return e.timer == &timer; });
}

bool FakeClock::IsArmed(const Timer& timer) const
{
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.timer == &timer; });
}

FakeClock::Entry* FakeClock::nextDue(qint64 until)
{
    Entry* best = nullptr;
    for (Entry& e : m_entries) {
        if (e.due > until)
            continue;
        if (!best || e.due < best->due || (e.due == best->due && e.order < best->order))
            best = &e;
    }
    return best;
}

void FakeClock::Advance(qint64 ms)
{
    const qint64 until = m_now + ms;
    while (Entry* e = nextDue(until)) {
        m_now = e->due;
        e->due += e->timer->TickPeriodMs();
        e->order = m_order++;
        // The handler may disarm, re-arm or delete any timer, so e is not used after this.
        emit e->timer->tick();
    }
    m_now = until;
}

bool FakeClock::AdvanceUntil(const std::function<bool()>& done, qint64 limitMs)
{
    const qint64 until = m_now + limitMs;
    while (!done() && m_now < until) {
        const Entry* e = nextDue(until);
        Advance(e ? e->due - m_now : until - m_now);
    }
    return done();
}

} // namespace host
