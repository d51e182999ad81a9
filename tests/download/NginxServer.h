#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>
#include <stdexcept>
#include <string>

namespace testsupport {

// A real web server from the system on 127.0.0.1, serving a folder, with its own prefix,
// configuration and logs in a temporary folder. It answers a range request with 206.
class NginxServer {
public:
    // With a log, every request adds a line "<request bytes> <answer bytes>" to it, as counted
    // by the server itself.
    explicit NginxServer(const QString& root, const QString& byteLog = {})
    {
        const QString binary = QStringLiteral("/usr/sbin/nginx");
        if (!QFile::exists(binary))
            throw std::runtime_error("nginx is not installed (scripts/setup.sh installs it)");
        if (!m_prefix.isValid())
            throw std::runtime_error("no temporary folder for nginx");
        m_port = freePort();
        writeConfig(root, byteLog);
        m_process.setProgram(binary);
        m_process.setArguments({QStringLiteral("-p"), m_prefix.path() + QLatin1Char('/'), QStringLiteral("-c"),
                                m_prefix.filePath(QStringLiteral("nginx.conf")), QStringLiteral("-e"),
                                m_prefix.filePath(QStringLiteral("error.log"))});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        try {
            if (!m_process.waitForStarted(5000))
                throw std::runtime_error("nginx did not start");
            waitUntilListening();
        } catch (...) {
            m_process.kill();
            m_process.waitForFinished(2000);
            throw;
        }
    }
    ~NginxServer()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(2000);
    }
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    QString Url(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
    }
    int Port() const { return m_port; }

private:
    static int freePort()
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
            || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            if (fd >= 0)
                ::close(fd);
            throw std::runtime_error("no free port");
        }
        ::close(fd);
        return ntohs(address.sin_port);
    }

    static bool accepts(int port)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        const bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        if (fd >= 0)
            ::close(fd);
        return ok;
    }

    void waitUntilListening()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!accepts(m_port)) {
            if (m_process.state() == QProcess::NotRunning || std::chrono::steady_clock::now() > deadline)
                throw std::runtime_error("nginx is not listening");
            QThread::msleep(10);
        }
    }

    void writeConfig(const QString& root, const QString& byteLog) const
    {
        const QString temp = m_prefix.filePath(QStringLiteral("temp"));
        QDir().mkpath(temp);
        QFile file(m_prefix.filePath(QStringLiteral("nginx.conf")));
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the nginx configuration");
        file.write(QStringLiteral(
                       "daemon off;\nmaster_process off;\nworker_processes 1;\npid \"%1/nginx.pid\";\n"
                       "error_log \"%1/error.log\" warn;\nevents { worker_connections 64; }\n"
                       "http {\n  %5\n  client_body_temp_path \"%2\";\n  proxy_temp_path \"%2\";\n"
                       "  fastcgi_temp_path \"%2\";\n  uwsgi_temp_path \"%2\";\n  scgi_temp_path \"%2\";\n"
                       "  default_type application/octet-stream;\n  sendfile on;\n"
                       "  server {\n    listen 127.0.0.1:%3;\n    root \"%4\";\n  }\n}\n")
                       .arg(m_prefix.path(), temp)
                       .arg(m_port)
                       .arg(root)
                       .arg(byteLog.isEmpty() ? QStringLiteral("access_log off;")
                                              : QStringLiteral("log_format bytes '$request_length $bytes_sent';\n"
                                                               "  access_log \"%1\" bytes;")
                                                    .arg(byteLog))
                       .toUtf8());
    }

    QTemporaryDir m_prefix;
    int m_port = 0;
    QProcess m_process;
};

} // namespace testsupport
