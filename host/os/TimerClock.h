#pragma once

#include <QtGlobal>

namespace host {

class Timer;

// What drives the window timers and says what time it is. Without one installed, timers
// run on Qt's and the time is the system's steady clock; a test installs its own to move
// time by hand, and only timers armed after that follow it.
class TimerClock {
public:
    virtual ~TimerClock() = default;

    virtual qint64 Now() const = 0;
    virtual void Arm(Timer& timer) = 0;
    virtual void Disarm(Timer& timer) = 0;

    static TimerClock* Installed();

protected:
    // The installed clock puts itself in place and takes itself out again.
    static void Install(TimerClock* clock);
};

// Milliseconds on the installed clock, or on the system's steady clock without one.
qint64 ClockNowMs();

} // namespace host
