#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace app {

// One remembered title: where the listener was, and when.
struct ListeningPlace {
    qint64 positionMs = 0;
    qint64 durationMs = -1; // -1 when unknown
    qint64 heardAtMs = 0;   // wall clock, milliseconds since the epoch; what the file keeps
    quint64 recency = 0;    // larger is more recent; survives a wall clock set back
};

// Everything the file holds. Copies share their data until one side changes, so handing a
// copy to the writer costs the window's thread next to nothing.
struct ListeningSnapshot {
    QHash<QString, ListeningPlace> places;
    std::optional<double> volume;
};

// Larger than any file this program writes for its bounded store.
inline constexpr qint64 LargestListeningFile = 32 * 1024 * 1024;

// Readable, versioned JSON, the most recently heard first.
QByteArray SerialiseListening(const ListeningSnapshot& state);
// nullopt when the text is not a store this version understands.
std::optional<ListeningSnapshot> ParseListening(const QByteArray& text, int mostTitles);
// A missing file gives an empty store. A damaged or unreadable one is set aside as
// <path>.damaged, replacing an older one, and gives an empty store too.
ListeningSnapshot LoadListeningFile(const QString& path, int mostTitles);

// Writes snapshots on a thread of its own, one at a time, atomically. A snapshot handed
// over while another is waiting replaces it: only the latest state matters.
class ListeningWriter {
public:
    explicit ListeningWriter(QString path);
    ~ListeningWriter(); // writes what is waiting, then stops
    ListeningWriter(const ListeningWriter&) = delete;
    ListeningWriter& operator=(const ListeningWriter&) = delete;

    void Submit(ListeningSnapshot state);
    void WaitUntilWritten();

private:
    void run();
    void write(const ListeningSnapshot& state);
    void warnOnce(const QString& why);

    const QString m_path;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_written;
    std::optional<ListeningSnapshot> m_waiting;
    quint64 m_submitted = 0;
    quint64 m_done = 0;
    bool m_stopping = false;
    bool m_warned = false; // the writer thread's own
    std::thread m_thread;  // last, so it starts once everything above exists
};

} // namespace app
