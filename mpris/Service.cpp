#include "Service.h"

#include "Adaptors.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>

namespace mpris {

namespace {

const QString ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString PlayerBusName = QStringLiteral("org.mpris.MediaPlayer2.vanupelro");
const QString NoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

QVariantMap Announced(const Service& service)
{
    const Player& player = service.Target();
    return {{QStringLiteral("PlaybackStatus"), service.PlaybackStatus()},
            {QStringLiteral("Metadata"), service.Metadata()},
            {QStringLiteral("CanPlay"), player.CanPlay()},
            {QStringLiteral("CanPause"), player.CanPause()},
            {QStringLiteral("CanSeek"), player.CanSeek()},
            {QStringLiteral("Volume"), player.Volume()},
            {QStringLiteral("Rate"), player.Rate()}};
}

// Metadata holds object paths, which plain variant comparison does not see into.
bool SameValue(const QVariant& a, const QVariant& b)
{
    if (a.metaType() != b.metaType())
        return false;
    if (a.metaType() == QMetaType::fromType<QVariantMap>()) {
        const QVariantMap left = a.toMap();
        const QVariantMap right = b.toMap();
        if (left.keys() != right.keys())
            return false;
        for (auto it = left.cbegin(); it != left.cend(); ++it)
            if (!SameValue(it.value(), right.value(it.key())))
                return false;
        return true;
    }
    if (a.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return a.value<QDBusObjectPath>() == b.value<QDBusObjectPath>();
    return a == b;
}

} // namespace

Service::Service(Player& player, QString desktopEntry, QObject* parent)
    : QObject(parent), m_player(player), m_desktopEntry(std::move(desktopEntry))
{
    new RootAdaptor(*this);
    new PlayerAdaptor(*this);
}

Service::~Service()
{
    if (m_connectionName.isEmpty())
        return;
    QDBusConnection bus(m_connectionName);
    if (IsRegistered()) {
        bus.unregisterService(m_busName);
        bus.unregisterObject(ObjectPath);
    }
    QDBusConnection::disconnectFromBus(m_connectionName);
}

bool Service::Register(const QString& busAddress)
{
    if (IsRegistered() || busAddress.isEmpty())
        return IsRegistered();
    m_connectionName = QStringLiteral("vanupelro-media-controls-%1").arg(quintptr(this), 0, 16);
    QDBusConnection bus = QDBusConnection::connectToBus(busAddress, m_connectionName);
    if (!bus.isConnected() || !bus.registerObject(ObjectPath, this, QDBusConnection::ExportAdaptors)) {
        QDBusConnection::disconnectFromBus(m_connectionName);
        m_connectionName.clear();
        return false;
    }
    // A second copy of the program takes the per-instance name desktops also look for.
    const QString instanceName = PlayerBusName + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
    for (const QString& name : {PlayerBusName, instanceName}) {
        if (bus.registerService(name)) {
            m_busName = name;
            break;
        }
    }
    if (!IsRegistered()) {
        bus.unregisterObject(ObjectPath);
        QDBusConnection::disconnectFromBus(m_connectionName);
        m_connectionName.clear();
        return false;
    }
    m_announced = Announced(*this);
    return true;
}

QString Service::PlaybackStatus() const
{
    if (!m_player.Playing())
        return QStringLiteral("Stopped");
    return m_player.IsPaused() ? QStringLiteral("Paused") : QStringLiteral("Playing");
}

QString Service::TrackId(const Track& track)
{
    return track.number >= 0 ? QStringLiteral("/net/vanupelro/VanuPelro/Track/%1").arg(track.number)
                             : QStringLiteral("/net/vanupelro/VanuPelro/Track/Unlisted");
}

void Service::PlayerSeeked(qint64 positionUs)
{
    if (IsRegistered())
        emit Seeked(positionUs);
}

QVariantMap Service::Metadata() const
{
    const std::optional<Track> track = m_player.Playing();
    if (!track)
        return {{QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(NoTrack))}};
    QVariantMap metadata{{QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(TrackId(*track)))},
                         {QStringLiteral("xesam:title"), track->title}};
    if (!track->url.isEmpty())
        metadata.insert(QStringLiteral("xesam:url"), track->url);
    if (track->lengthUs >= 0)
        metadata.insert(QStringLiteral("mpris:length"), qlonglong(track->lengthUs));
    return metadata;
}

void Service::PlayerChanged()
{
    if (!IsRegistered())
        return;
    const QVariantMap now = Announced(*this);
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (!SameValue(it.value(), m_announced.value(it.key())))
            changed.insert(it.key(), it.value());
    m_announced = now;
    if (!changed.isEmpty())
        EmitPropertiesChanged(changed);
}

void Service::EmitPropertiesChanged(const QVariantMap& changed)
{
    QDBusMessage signal = QDBusMessage::createSignal(ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << PlayerInterface << changed << QStringList();
    QDBusConnection(m_connectionName).send(signal);
}

} // namespace mpris
