#pragma once

#include <QObject>

namespace host {
class Timer;
}

namespace app {

// Pauses playback after a chosen time or at the end of the title, fading the volume out
// over the last seconds so the listener is not woken by a sudden stop.
class SleepTimer : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 FadeMs = 10'000;
    static constexpr int FadeStepMs = 250;
    static constexpr int CountdownStepMs = 1000;

    explicit SleepTimer(QObject* parent = nullptr);
    ~SleepTimer() override;

    void Start(int minutes); // replaces any running timer; 0 or less cancels
    void StartEndOfTitle();  // the owner calls TitleEnded when the title ends
    void Cancel();
    bool IsRunning() const { return m_mode != Mode::Idle; }
    bool EndsWithTitle() const { return m_mode == Mode::EndOfTitle; }
    qint64 RemainingMs() const; // -1 when not running or waiting for the end of the title
    void TitleEnded();

signals:
    void fadeChanged(double factor); // volume multiplier: 1 → 0 over the last FadeMs, 1 again after
    void expired();                  // pause now; the owner keeps the place
    void remainingChanged();         // about once a second, for a countdown

private:
    enum class Mode { Idle, Countdown, EndOfTitle };

    void onTick();
    void scheduleTick(qint64 remainingMs);
    void expire();
    void stop();
    void setFade(double factor);
    void announceRemaining(qint64 remainingMs);
    static qint64 now();

    Mode m_mode = Mode::Idle;
    qint64 m_deadline = 0;
    double m_fade = 1.0;
    qint64 m_announcedSeconds = -1;
    host::Timer* m_timer; // a child
};

} // namespace app
