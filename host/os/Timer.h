#pragma once

#include <QObject>
#include <QTimer>

namespace host {

// The platform's timer resolution: a window timer never ticks faster than this, so a
// 1 ms fade step lasts one system tick.
inline constexpr int PlatformTickMs = 16;

// A window timer: interval in milliseconds and an enabled flag; ticks arrive on the UI
// thread. Interval 0 gives no ticks. While a TimerClock is installed, ticks come from it.
class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(QObject* parent = nullptr, int intervalMs = 0, bool enabled = false);
    ~Timer() override;

    int Interval() const { return m_interval; }
    void setInterval(int intervalMs);
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    // The time between two ticks once the platform's resolution is applied.
    int TickPeriodMs() const;
    bool IsRunning() const { return m_enabled && m_interval > 0; }

signals:
    void tick();

private:
    void rearm();

    int m_interval = 0;
    bool m_enabled = false;
    QTimer m_realTimer;
};

} // namespace host
