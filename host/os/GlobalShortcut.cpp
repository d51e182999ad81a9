#include "GlobalShortcut.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace host {

namespace {

const QString Portal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString ShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString CreateToken = QStringLiteral("vanupelro_create");
const QString BindToken = QStringLiteral("vanupelro_bind");

struct PortalShortcut {
    QString id;
    QVariantMap options;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.options;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.options;
    argument.endStructure();
    return argument;
}

} // namespace

} // namespace host

Q_DECLARE_METATYPE(host::PortalShortcut)

namespace host {

GlobalShortcut::GlobalShortcut(QString id, QString description, QObject* parent)
    : QObject(parent), m_id(std::move(id)), m_description(std::move(description)),
      m_connectionName(QStringLiteral("vanupelro-shortcut-%1").arg(quintptr(this)))
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

GlobalShortcut::~GlobalShortcut() { QDBusConnection::disconnectFromBus(m_connectionName); }

void GlobalShortcut::Register(const QString& busAddress)
{
    if (busAddress.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::connectToBus(busAddress, m_connectionName);
    if (!bus.isConnected())
        return;
    // A portal without the interface answers with an error; that is the quiet end of it.
    QDBusMessage ask = QDBusMessage::createMethodCall(Portal, PortalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    ask << ShortcutsInterface << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        if (!call->isError())
            createSession();
    });
}

// The portal names each request after our bus name and the token we give: known before the
// call, so no answer can come before we listen for it.
QString GlobalShortcut::requestPath(const QString& token) const
{
    QString sender = QDBusConnection(m_connectionName).baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return PortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

void GlobalShortcut::createSession()
{
    QDBusConnection bus(m_connectionName);
    bus.connect(Portal, QString(), RequestInterface, QStringLiteral("Response"), this, SLOT(onResponse(QDBusMessage)));
    bus.connect(Portal, PortalPath, ShortcutsInterface, QStringLiteral("Activated"), this,
                SLOT(onActivated(QDBusMessage)));
    m_pendingRequest = requestPath(CreateToken);
    QDBusMessage create = QDBusMessage::createMethodCall(Portal, PortalPath, ShortcutsInterface, QStringLiteral("CreateSession"));
    create << QVariantMap{{QStringLiteral("handle_token"), CreateToken},
                          {QStringLiteral("session_handle_token"), QStringLiteral("vanupelro")}};
    bus.asyncCall(create);
}

void GlobalShortcut::bindShortcut()
{
    m_pendingRequest = requestPath(BindToken);
    const QList<PortalShortcut> shortcuts{{m_id, {{QStringLiteral("description"), m_description}}}};
    QDBusMessage bind = QDBusMessage::createMethodCall(Portal, PortalPath, ShortcutsInterface, QStringLiteral("BindShortcuts"));
    bind << QVariant::fromValue(QDBusObjectPath(m_sessionHandle)) << QVariant::fromValue(shortcuts) << QString()
         << QVariantMap{{QStringLiteral("handle_token"), BindToken}};
    QDBusConnection(m_connectionName).asyncCall(bind);
}

void GlobalShortcut::onResponse(const QDBusMessage& message)
{
    const QList<QVariant> arguments = message.arguments();
    if (message.path() != m_pendingRequest || arguments.size() < 2)
        return;
    m_pendingRequest.clear();
    const uint status = arguments[0].toUInt();
    const QVariantMap results = qdbus_cast<QVariantMap>(arguments[1]);
    if (status != 0)
        return; // declined or ended: the key stays unbound
    if (m_sessionHandle.isEmpty()) {
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        m_sessionHandle = handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path() : handle.toString();
        if (!m_sessionHandle.isEmpty())
            bindShortcut();
        return;
    }
    m_bound = true;
    emit bound();
}

void GlobalShortcut::onActivated(const QDBusMessage& message)
{
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() < 2 || m_sessionHandle.isEmpty())
        return;
    if (arguments[0].value<QDBusObjectPath>().path() == m_sessionHandle && arguments[1].toString() == m_id)
        emit activated();
}

} // namespace host
