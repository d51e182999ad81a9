#pragma once

#include "ListeningFile.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace host {
class Timer;
}

namespace app {

// Where each title heard part-way was left, so it can go on from there after Stop, another
// title or a restart; and the volume between runs. Kept in a JSON file in the state folder.
class ListeningStore : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 ShortestRememberedMs = 30'000;
    static constexpr qint64 FinishedWithinMs = 60'000;
    static constexpr qint64 ResumeBeforeMs = 5'000;
    static constexpr int MostTitles = 3000;
    static constexpr int ThrottleMs = 5'000;

    // filePath: e.g. host::StateFolder() + "/listening.json". Loads at once.
    explicit ListeningStore(QString filePath, QObject* parent = nullptr);
    ~ListeningStore() override; // writes what is pending, waits for the writer

    static QString DefaultPath();

    // Where playing url should start, or nullopt for the beginning.
    std::optional<qint64> ResumePoint(const QString& url) const;
    // While playing (called often): written at most once per ThrottleMs.
    void Remember(const QString& url, qint64 positionMs, qint64 durationMs);
    // On pause, stop, quit or another title: written at once.
    void RememberNow(const QString& url, qint64 positionMs, qint64 durationMs);
    void Forget(const QString& url);
    std::optional<double> Volume() const { return m_state.volume; }
    void SetVolume(double volume);
    // Waits until every write asked for so far is on disk. A position given to Remember
    // inside the throttle interval is not yet asked for: it is written when the interval
    // ends, by RememberNow, or when the store closes.
    void Flush();

    int Count() const { return int(m_state.places.size()); }

private:
    void update(const QString& url, qint64 positionMs, qint64 durationMs);
    void dropLeastRecent();
    void writeNow();
    void onThrottleEnd();

    QString m_path;
    ListeningSnapshot m_state;
    quint64 m_nextRecency = 1;
    bool m_dirty = false;
    std::unique_ptr<host::Timer> m_throttle;
    std::unique_ptr<ListeningWriter> m_writer;
};

} // namespace app
