#include "ListeningFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <vector>

namespace app {

namespace {

const QString FormatName = QStringLiteral("vanupelro listening positions");
constexpr int FormatVersion = 1;

using PlaceRef = std::pair<const QString*, const ListeningPlace*>;

std::vector<PlaceRef> mostRecentFirst(const QHash<QString, ListeningPlace>& places)
{
    std::vector<PlaceRef> order;
    order.reserve(places.size());
    for (auto it = places.cbegin(); it != places.cend(); ++it)
        order.emplace_back(&it.key(), &it.value());
    std::sort(order.begin(), order.end(),
              [](const PlaceRef& a, const PlaceRef& b) { return a.second->recency > b.second->recency; });
    return order;
}

QJsonObject toJson(const QString& url, const ListeningPlace& place)
{
    return {{QStringLiteral("url"), url},
            {QStringLiteral("positionMs"), place.positionMs},
            {QStringLiteral("durationMs"), place.durationMs},
            {QStringLiteral("heard"),
             QDateTime::fromMSecsSinceEpoch(place.heardAtMs, Qt::UTC).toString(Qt::ISODateWithMs)}};
}

// JSON numbers are doubles: a whole number is accepted, anything else is damage.
std::optional<qint64> wholeNumber(const QJsonValue& value, qint64 least)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number != std::floor(number) || number < double(least) || number > 9.0e15)
        return std::nullopt;
    return qint64(number);
}

struct ParsedPlace {
    QString url;
    ListeningPlace place;
};

std::optional<ParsedPlace> parsePlace(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue url = object.value(QLatin1String("url"));
    const auto position = wholeNumber(object.value(QLatin1String("positionMs")), 0);
    const auto duration = wholeNumber(object.value(QLatin1String("durationMs")), -1);
    const QJsonValue heardText = object.value(QLatin1String("heard"));
    if (!url.isString() || url.toString().isEmpty() || !position || !duration || !heardText.isString())
        return std::nullopt;
    const QDateTime heard = QDateTime::fromString(heardText.toString(), Qt::ISODateWithMs);
    if (!heard.isValid())
        return std::nullopt;
    return ParsedPlace{url.toString(), {*position, *duration, heard.toMSecsSinceEpoch(), 0}};
}

std::optional<std::optional<double>> parseVolume(const QJsonObject& root)
{
    const QJsonValue value = root.value(QLatin1String("volume"));
    if (value.isUndefined())
        return std::optional<double>{};
    if (!value.isDouble() || value.toDouble() < 0.0 || value.toDouble() > 1.0)
        return std::nullopt;
    return std::optional<double>{value.toDouble()};
}

void setAside(const QString& path, const QString& why)
{
    const QString damaged = path + QStringLiteral(".damaged");
    QFile::remove(damaged);
    if (QFile::rename(path, damaged))
        qWarning("Listening positions in %s could not be read (%s); the file is kept as %s and the program "
                 "starts without them.",
                 qPrintable(path), qPrintable(why), qPrintable(damaged));
    else
        qWarning("Listening positions in %s could not be read (%s) nor set aside; the program starts without "
                 "them.",
                 qPrintable(path), qPrintable(why));
}

} // namespace

QByteArray SerialiseListening(const ListeningSnapshot& state)
{
    QJsonArray titles;
    for (const auto& [url, place] : mostRecentFirst(state.places))
        titles.append(toJson(*url, *place));
    QJsonObject root{{QStringLiteral("format"), FormatName}, {QStringLiteral("version"), FormatVersion}};
    if (state.volume)
        root.insert(QStringLiteral("volume"), *state.volume);
    root.insert(QStringLiteral("titles"), titles);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<ListeningSnapshot> ParseListening(const QByteArray& text, int mostTitles)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject root = document.object();
    const auto volume = parseVolume(root);
    const QJsonValue titles = root.value(QLatin1String("titles"));
    if (root.value(QLatin1String("format")).toString() != FormatName
        || wholeNumber(root.value(QLatin1String("version")), 0) != FormatVersion || !volume || !titles.isArray())
        return std::nullopt;

    const QJsonArray list = titles.toArray();
    std::vector<ParsedPlace> parsed;
    parsed.reserve(list.size());
    for (const QJsonValue& value : list) {
        auto place = parsePlace(value);
        if (!place)
            return std::nullopt;
        parsed.push_back(std::move(*place));
    }
    // The file lists the most recent first. Its order, not the times beside it, says what was
    // heard last: a wall clock can be set back.
    ListeningSnapshot state;
    state.volume = *volume;
    const qsizetype kept = std::min<qsizetype>(qsizetype(parsed.size()), mostTitles);
    for (qsizetype i = kept - 1; i >= 0; --i) {
        parsed[i].place.recency = quint64(kept - i);
        state.places.insert(parsed[i].url, parsed[i].place);
    }
    return state;
}

ListeningSnapshot LoadListeningFile(const QString& path, int mostTitles)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return {};
    if (info.size() > LargestListeningFile) {
        setAside(path, QStringLiteral("%1 bytes is far too large").arg(info.size()));
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setAside(path, file.errorString());
        return {};
    }
    const QByteArray text = file.read(LargestListeningFile + 1);
    file.close();
    auto state = ParseListening(text, mostTitles);
    if (!state) {
        setAside(path, QStringLiteral("not a store of listening positions this version understands"));
        return {};
    }
    return std::move(*state);
}

ListeningWriter::ListeningWriter(QString path) : m_path(std::move(path)), m_thread([this] { run(); }) {}

ListeningWriter::~ListeningWriter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void ListeningWriter::Submit(ListeningSnapshot state)
{
    {
        const std::lock_guard lock(m_mutex);
        // The replaced snapshot leaves in state and is freed after the lock is released.
        if (m_waiting)
            std::swap(*m_waiting, state);
        else
            m_waiting = std::move(state);
        ++m_submitted;
    }
    m_wake.notify_one();
}

void ListeningWriter::WaitUntilWritten()
{
    std::unique_lock lock(m_mutex);
    const quint64 target = m_submitted;
    m_written.wait(lock, [&] { return m_done >= target; });
}

void ListeningWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_waiting || m_stopping; });
        if (!m_waiting)
            return; // stopping, and nothing left to write
        std::optional<ListeningSnapshot> state;
        state.swap(m_waiting);
        const quint64 covers = m_submitted;
        lock.unlock();
        write(*state);
        state.reset(); // freed without holding the lock Submit waits for
        lock.lock();
        m_done = covers;
        m_written.notify_all();
    }
}

void ListeningWriter::write(const ListeningSnapshot& state)
{
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder)) {
        warnOnce(QStringLiteral("the folder %1 cannot be created").arg(folder));
        return;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        warnOnce(file.errorString());
        return;
    }
    file.write(SerialiseListening(state));
    if (!file.commit())
        warnOnce(file.errorString());
}

void ListeningWriter::warnOnce(const QString& why)
{
    if (std::exchange(m_warned, true))
        return;
    qWarning("Listening positions cannot be kept in %s: %s. Playback goes on; places are remembered until the "
             "program ends.",
             qPrintable(m_path), qPrintable(why));
}

} // namespace app
