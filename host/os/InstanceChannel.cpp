#include "InstanceChannel.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServer>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QThread>
#include <QVariantMap>

#include <cctype>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace host {

namespace {

const QString ObjectPath = QStringLiteral("/net/vanupelro/VanuPelro");
const QString ActivationInterface = QStringLiteral("org.freedesktop.Application");
const QString AppId = QStringLiteral("net.vanupelro.VanuPelro");

// Bus names allow letters, digits and underscores in each element.
QString DisplayKey(const QString& display)
{
    if (display.isEmpty())
        return QStringLiteral("NoDisplay");
    QString key = QStringLiteral("Display_");
    for (const QChar c : display)
        key += (c.isLetterOrNumber() && c.unicode() < 128) ? c : QChar(u'_');
    return key;
}

// The user's runtime folder, or a private one in the temporary folder where the session
// has none. Empty when neither is safe to use.
QString RuntimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime;
    const QString own = QDir::tempPath() + QStringLiteral("/vanupelro-%1").arg(::getuid());
    const QByteArray path = QFile::encodeName(own);
    ::mkdir(path.constData(), 0700);
    struct stat info {};
    // Someone else's folder of that name must not receive our socket.
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return {};
    return own;
}

// An advisory lock held for as long as the descriptor is open: the kernel lets it go when
// the process ends in any way, so a crashed copy never blocks the next start.
class FileLock {
public:
    explicit FileLock(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~FileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool IsHeld() const { return m_fd >= 0; }

private:
    int m_fd;
};

// A path in a bus address is escaped byte by byte: a space or a comma would end or split it.
QString SocketAddress(const QString& path)
{
    QString address = QStringLiteral("unix:path=");
    for (const char byte : QFile::encodeName(path)) {
        const auto c = static_cast<unsigned char>(byte);
        if (std::isalnum(c) || std::strchr("-_/.\\*", c))
            address += QLatin1Char(char(c));
        else
            address += QLatin1Char('%') + QString::number(c, 16).rightJustified(2, QLatin1Char('0'));
    }
    return address;
}

QDBusMessage ActivateCall(const QString& service)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, ObjectPath, ActivationInterface, QStringLiteral("Activate"));
    call << QVariantMap();
    return call;
}

bool Activate(QDBusConnection& connection, const QString& service, int timeoutMs)
{
    const QDBusMessage reply = connection.call(ActivateCall(service), QDBus::Block, std::max(timeoutMs, 1));
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace

// The object later starts call: the desktop's usual activation interface, so a launcher
// that knows it can bring the program forward too.
class ActivationTarget : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    explicit ActivationTarget(InstanceLink& link)
        : m_link(link)
    {
    }

public slots:
    Q_SCRIPTABLE void Activate(const QVariantMap& platformData)
    {
        Q_UNUSED(platformData);
        // Queued: the caller gets its answer at once, whatever the window does.
        QMetaObject::invokeMethod(&m_link, &InstanceLink::activationRequested, Qt::QueuedConnection);
    }

private:
    InstanceLink& m_link;
};

InstancePlace SessionInstancePlace(const QString& busAddress, const QString& display)
{
    const QString key = DisplayKey(display);
    InstancePlace place;
    place.busAddress = busAddress;
    place.busName = AppId + QLatin1Char('.') + key;
    const QString folder = RuntimeFolder();
    if (!folder.isEmpty()) {
        const QString base = folder + QLatin1Char('/') + AppId + QLatin1Char('.') + key;
        place.lockPath = base + QStringLiteral(".lock");
        place.socketPath = base + QStringLiteral(".socket");
    }
    return place;
}

struct SessionInstanceLink::Private {
    InstancePlace place;
    ActivationTarget target;
    QString busConnection;
    std::unique_ptr<FileLock> lock;
    std::unique_ptr<QDBusServer> server;
    QStringList peerConnections;
    bool first = false;

    Private(InstancePlace p, InstanceLink& link)
        : place(std::move(p)), target(link)
    {
    }
};

SessionInstanceLink::SessionInstanceLink(InstancePlace place, QObject* parent)
    : InstanceLink(parent), d(std::make_unique<Private>(std::move(place), *this))
{
}

SessionInstanceLink::~SessionInstanceLink()
{
    d->server.reset();
    for (const QString& name : std::as_const(d->peerConnections))
        QDBusConnection::disconnectFromPeer(name);
    if (!d->busConnection.isEmpty())
        QDBusConnection::disconnectFromBus(d->busConnection);
}

bool SessionInstanceLink::IsFirst() const { return d->first; }

QString SessionInstanceLink::Channel() const
{
    if (d->server)
        return QStringLiteral("socket");
    return d->busConnection.isEmpty() ? QString() : QStringLiteral("bus");
}

// Only a lock is taken here, which costs next to nothing: the first copy's splash must not
// wait for a bus. Listen() opens the channel once the splash is on the screen.
ClaimOutcome SessionInstanceLink::Claim(int answerTimeoutMs)
{
    if (d->first)
        return ClaimOutcome::First;
    const QDeadlineTimer deadline(answerTimeoutMs);
    if (!d->place.lockPath.isEmpty()) {
        auto lock = std::make_unique<FileLock>(d->place.lockPath);
        if (!lock->IsHeld())
            return HandOver(deadline);
        d->lock = std::move(lock);
    } else if (!d->place.busAddress.isEmpty()) {
        // No folder to keep a lock in: only the bus can tell whether a copy runs.
        const QString name = QStringLiteral("vanupelro-instance-probe-%1").arg(quintptr(this), 0, 16);
        const bool taken = QDBusConnection::connectToBus(d->place.busAddress, name).interface()->isServiceRegistered(d->place.busName);
        QDBusConnection::disconnectFromBus(name);
        if (taken)
            return HandOver(deadline);
    }
    d->first = true;
    return ClaimOutcome::First;
}

ClaimOutcome SessionInstanceLink::HandOver(const QDeadlineTimer& deadline)
{
    const QString busName = QStringLiteral("vanupelro-instance-bus-%1").arg(quintptr(this), 0, 16);
    const QString peerName = QStringLiteral("vanupelro-instance-peer-%1").arg(quintptr(this), 0, 16);
    QDBusConnection bus = d->place.busAddress.isEmpty() ? QDBusConnection(busName)
                                                        : QDBusConnection::connectToBus(d->place.busAddress, busName);
    bool answered = false;
    // The first copy holds the lock from its first instant but listens only after its first
    // frame: until then, try again.
    while (!answered && !deadline.hasExpired()) {
        if (bus.isConnected() && bus.interface()->isServiceRegistered(d->place.busName))
            answered = Activate(bus, d->place.busName, int(deadline.remainingTime()));
        if (!answered && !d->place.socketPath.isEmpty() && QFile::exists(d->place.socketPath)) {
            QDBusConnection peer = QDBusConnection::connectToPeer(SocketAddress(d->place.socketPath), peerName);
            answered = peer.isConnected() && Activate(peer, QString(), int(deadline.remainingTime()));
            QDBusConnection::disconnectFromPeer(peerName);
        }
        if (!answered)
            QThread::msleep(10);
    }
    QDBusConnection::disconnectFromBus(busName);
    return answered ? ClaimOutcome::HandedOver : ClaimOutcome::NoAnswer;
}

void SessionInstanceLink::Listen()
{
    if (!d->first || !Channel().isEmpty())
        return;
    if (!d->place.busAddress.isEmpty()) {
        const QString name = QStringLiteral("vanupelro-instance-%1").arg(quintptr(this), 0, 16);
        QDBusConnection bus = QDBusConnection::connectToBus(d->place.busAddress, name);
        if (bus.isConnected() && bus.registerObject(ObjectPath, &d->target, QDBusConnection::ExportScriptableSlots)
            && bus.interface()->registerService(d->place.busName, QDBusConnectionInterface::DontQueueService,
                                                QDBusConnectionInterface::DontAllowReplacement)
                   == QDBusConnectionInterface::ServiceRegistered) {
            d->busConnection = name;
            return;
        }
        // A bus that cannot be used, or a name someone else holds: the socket still serves.
        QDBusConnection::disconnectFromBus(name);
    }
    if (d->place.socketPath.isEmpty() || !d->lock)
        return;
    // A socket left by a copy that crashed is in the way; the lock says it is no one's.
    QFile::remove(d->place.socketPath);
    d->server = std::make_unique<QDBusServer>(SocketAddress(d->place.socketPath));
    connect(d->server.get(), &QDBusServer::newConnection, this, [this](const QDBusConnection& peer) {
        QDBusConnection connection(peer);
        connection.registerObject(ObjectPath, &d->target, QDBusConnection::ExportScriptableSlots);
        d->peerConnections << connection.name();
    });
    if (!d->server->isConnected()) {
        qWarning("Vanu Pelro: cannot listen on %s: %s; later starts will not find this copy",
                 qPrintable(d->place.socketPath), qPrintable(d->server->lastError().message()));
        d->server.reset();
    }
}

} // namespace host

#include "InstanceChannel.moc"
