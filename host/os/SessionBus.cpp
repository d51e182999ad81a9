#include "Platform.h"

#include <QFileInfo>

namespace host {

// Only the real desktop has a bus: a test that wants one starts its own.
QString Platform::SessionBusAddress() const { return {}; }

QString QtPlatform::SessionBusAddress() const
{
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty())
        return address;
    // A systemd user session keeps its bus here without always saying so. Nothing else
    // is tried: an auto-launched bus would outlive the program.
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtimeDir.isEmpty())
        return {};
    const QFileInfo socket(runtimeDir + QStringLiteral("/bus"));
    return socket.exists() && !socket.isDir() ? QStringLiteral("unix:path=") + socket.absoluteFilePath() : QString();
}

} // namespace host
