#pragma once

#include <QProcess>
#include <QString>

#include <memory>

namespace testsupport {

// A session bus of the test's own, for as long as the object lives; address is empty when
// dbus-daemon did not start.
class PrivateBus {
public:
    PrivateBus()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
        if (m_daemon.waitForReadyRead(10000))
            address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    QString address;

private:
    QProcess m_daemon;
};

} // namespace testsupport
