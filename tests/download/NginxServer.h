#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QProcessEnvironment>

#include <cerrno>
#include <chrono>
#include <cstring>
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
        // The socket is bound here, on a port the system picks, and handed to nginx open: no
        // other program can take the port between choosing it and serving on it.
        ListeningSocket socket;
        m_port = socket.port;
        writeConfig(root, byteLog);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("NGINX"), QStringLiteral("%1;").arg(socket.fd));
        m_process.setProcessEnvironment(environment);
        m_process.setProgram(binary);
        m_process.setArguments({QStringLiteral("-p"), m_prefix.path() + QLatin1Char('/'), QStringLiteral("-c"),
                                m_prefix.filePath(QStringLiteral("nginx.conf")), QStringLiteral("-e"),
                                m_prefix.filePath(QStringLiteral("error.log"))});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        try {
            if (!m_process.waitForStarted(5000))
                throw std::runtime_error("nginx did not start");
            waitUntilServing();
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
    // Left open across exec (no close-on-exec) so that nginx inherits it.
    struct ListeningSocket {
        ListeningSocket()
            : fd(::socket(AF_INET, SOCK_STREAM, 0))
        {
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t length = sizeof address;
            if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
                || ::listen(fd, SOMAXCONN) != 0
                || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
                throw std::runtime_error(std::string("cannot listen on 127.0.0.1: ") + std::strerror(errno));
            port = ntohs(address.sin_port);
        }
        ~ListeningSocket()
        {
            if (fd >= 0)
                ::close(fd);
        }
        ListeningSocket(const ListeningSocket&) = delete;
        ListeningSocket& operator=(const ListeningSocket&) = delete;

        int fd;
        int port = 0;
    };

    // The socket queues connections from the start; nginx serves them once its master has
    // written its pid file and started its worker.
    void waitUntilServing()
    {
        const QString pidFile = m_prefix.filePath(QStringLiteral("nginx.pid"));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!QFile::exists(pidFile)) {
            if (m_process.state() == QProcess::NotRunning)
                throw std::runtime_error("nginx ended at start: " + errorLog());
            if (std::chrono::steady_clock::now() > deadline)
                throw std::runtime_error("nginx did not come up: " + errorLog());
            m_process.waitForFinished(10);
        }
    }

    std::string errorLog() const
    {
        QFile log(m_prefix.filePath(QStringLiteral("error.log")));
        return log.open(QIODevice::ReadOnly) ? log.readAll().toStdString() : std::string("(no error log)");
    }

    void writeConfig(const QString& root, const QString& byteLog) const
    {
        const QString temp = m_prefix.filePath(QStringLiteral("temp"));
        QDir().mkpath(temp);
        QFile file(m_prefix.filePath(QStringLiteral("nginx.conf")));
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the nginx configuration");
        // With its master process: nginx 1.22 crashes on an inherited socket without one.
        file.write(QStringLiteral(
                       "daemon off;\nmaster_process on;\nworker_processes 1;\n%6pid \"%1/nginx.pid\";\n"
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
                                                    .arg(byteLog),
                            WorkerUser())
                       .toUtf8());
    }

    // Run as root, nginx would hand its worker to "nobody", who cannot read our temporary folders.
    static QString WorkerUser()
    {
        if (::geteuid() != 0)
            return {};
        const passwd* user = ::getpwuid(0);
        return user ? QStringLiteral("user %1;\n").arg(QString::fromLocal8Bit(user->pw_name)) : QString();
    }

    QTemporaryDir m_prefix;
    int m_port = 0;
    QProcess m_process;
};

} // namespace testsupport
