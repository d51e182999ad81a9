#pragma once

#include "host/os/TimerClock.h"

#include <QtGlobal>

#include <functional>
#include <vector>

namespace host {

// Drives every window timer from a clock the test moves by hand. Installed for the
// lifetime of the object; timers armed before it keep their real schedule.
class FakeClock : public TimerClock {
public:
    FakeClock();
    ~FakeClock() override;
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    qint64 Now() const override { return m_now; }
    // Moves time forward, firing every tick that falls due, in time order.
    void Advance(qint64 ms);
    // Advances in ticks until done() holds or limitMs has passed; returns done().
    bool AdvanceUntil(const std::function<bool()>& done, qint64 limitMs);

    void Arm(Timer& timer) override;
    void Disarm(Timer& timer) override;
    bool IsArmed(const Timer& timer) const;

private:
    struct Entry {
        Timer* timer;
        qint64 due;
        quint64 order;
    };
    Entry* nextDue(qint64 until);

    qint64 m_now = 0;
    quint64 m_order = 0;
    std::vector<Entry> m_entries;
};

} // namespace host
