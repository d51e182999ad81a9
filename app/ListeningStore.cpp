#include "ListeningStore.h"

#include "ListeningFile.h"

#include "host/os/FileSystem.h"
#include "host/os/Timer.h"

#include <QDateTime>

#include <cmath>

namespace app {

ListeningStore::ListeningStore(QString filePath, QObject* parent)
    : QObject(parent),
      m_path(std::move(filePath)),
      m_state(LoadListeningFile(m_path, MostTitles)),
      m_throttle(std::make_unique<host::Timer>(nullptr, ThrottleMs)),
      m_writer(std::make_unique<ListeningWriter>(m_path))
{
    for (const ListeningPlace& place : std::as_const(m_state.places))
        m_nextRecency = std::max(m_nextRecency, place.recency + 1);
    connect(m_throttle.get(), &host::Timer::tick, this, &ListeningStore::onThrottleEnd);
}

ListeningStore::~ListeningStore()
{
    if (m_dirty)
        writeNow();
    m_writer.reset(); // drains and joins
}

QString ListeningStore::DefaultPath() { return host::StateFolder() + QStringLiteral("/listening.json"); }

std::optional<qint64> ListeningStore::ResumePoint(const QString& url) const
{
    const auto found = m_state.places.constFind(url);
    if (found == m_state.places.cend())
        return std::nullopt;
    return std::max<qint64>(0, found->positionMs - ResumeBeforeMs);
}

void ListeningStore::Remember(const QString& url, qint64 positionMs, qint64 durationMs)
{
    update(url, positionMs, durationMs);
    if (m_throttle->Enabled()) {
        m_dirty = true;
        return;
    }
    writeNow();
    m_throttle->setEnabled(true);
}

void ListeningStore::RememberNow(const QString& url, qint64 positionMs, qint64 durationMs)
{
    update(url, positionMs, durationMs);
    writeNow();
}

void ListeningStore::Forget(const QString& url)
{
    if (!m_state.places.contains(url))
        return;
    m_state.places.remove(url);
    writeNow();
}

void ListeningStore::SetVolume(double volume)
{
    if (!std::isfinite(volume))
        return;
    volume = std::clamp(volume, 0.0, 1.0);
    if (m_state.volume == volume)
        return;
    m_state.volume = volume;
    writeNow();
}

void ListeningStore::Flush() { m_writer->WaitUntilWritten(); }

void ListeningStore::update(const QString& url, qint64 positionMs, qint64 durationMs)
{
    if (url.isEmpty() || positionMs < 0) // no position known yet: nothing learnt
        return;
    const bool barelyStarted = positionMs < ShortestRememberedMs;
    const bool nearlyFinished = durationMs > 0 && positionMs >= durationMs - FinishedWithinMs;
    if (barelyStarted || nearlyFinished) {
        // contains() first: remove() would copy a hash shared with the writer even to find nothing.
        if (m_state.places.contains(url))
            m_state.places.remove(url);
        return;
    }
    m_state.places.insert(url, {positionMs, durationMs < 0 ? -1 : durationMs,
                                QDateTime::currentMSecsSinceEpoch(), m_nextRecency++});
    if (m_state.places.size() > MostTitles)
        dropLeastRecent();
}

void ListeningStore::dropLeastRecent()
{
    auto oldest = m_state.places.begin();
    for (auto it = m_state.places.begin(); it != m_state.places.end(); ++it)
        if (it->recency < oldest->recency)
            oldest = it;
    m_state.places.erase(oldest);
}

void ListeningStore::writeNow()
{
    m_dirty = false;
    m_writer->Submit(m_state);
}

void ListeningStore::onThrottleEnd()
{
    if (m_dirty)
        writeNow();
    else
        m_throttle->setEnabled(false);
}

} // namespace app
