// Any bytes as the web server's whole answer to the catalogue download. Whatever comes, the
// download ends, and the old catalogue is either replaced by a finished download or left
// exactly as it was, with no part file behind.
#include "FuzzCheck.h"

#include "download/FileDownloader.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace {

const QByteArray OldCatalogue("Old title==>http://127.0.0.1/old.ogg\r\n");

// Answers every connection with the current input, then closes it.
class AnswerServer {
public:
    AnswerServer()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        FUZZ_CHECK(::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) == 0);
        FUZZ_CHECK(::listen(m_listener, 16) == 0);
        FUZZ_CHECK(::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) == 0);
        m_port = ntohs(address.sin_port);
        std::thread([this] { serve(); }).detach();
    }

    void SetAnswer(std::string answer)
    {
        std::lock_guard lock(m_mutex);
        m_answer = std::move(answer);
    }
    int Port() const { return m_port; }

private:
    void serve()
    {
        for (;;) {
            const int client = ::accept(m_listener, nullptr, nullptr);
            if (client < 0)
                continue;
            readRequest(client);
            std::string answer;
            {
                std::lock_guard lock(m_mutex);
                answer = m_answer;
            }
            for (std::size_t sent = 0; sent < answer.size();) {
                const ssize_t n = ::send(client, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                sent += std::size_t(n);
            }
            ::shutdown(client, SHUT_RDWR);
            ::close(client);
        }
    }

    static void readRequest(int client)
    {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0)
                return;
            request.append(buffer, std::size_t(n));
        }
    }

    int m_listener = -1;
    int m_port = 0;
    std::mutex m_mutex;
    std::string m_answer;
};

struct World {
    QTemporaryDir folder;
    AnswerServer server;
    QString destination = folder.filePath(QStringLiteral("kelsor.dll"));
    QString url = QStringLiteral("http://127.0.0.1:%1/vanupelrolive/kelsor.dll").arg(server.Port());
};

World* g_world = nullptr;

void WriteOldCatalogue()
{
    QFile file(g_world->destination);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(OldCatalogue) == OldCatalogue.size());
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::unsetenv("http_proxy");
    static QApplication application(*argc, *argv);
    static World world;
    g_world = &world;
    WriteOldCatalogue();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    g_world->server.SetAnswer(std::string(reinterpret_cast<const char*>(data), size));
    download::FileDownloader downloader(nullptr, host::PropertyBag());
    bool completed = false;
    QObject::connect(&downloader, &download::FileDownloader::DowloadComplete, [&] { completed = true; });
    downloader.DownloadFile(g_world->url, g_world->destination);

    if (!completed)
        FUZZ_CHECK(Contents(g_world->destination) == OldCatalogue);
    // A whole download may leave the server's validators beside the catalogue, nothing else.
    if (completed)
        QFile::remove(g_world->destination + QStringLiteral(".etag"));
    const QStringList left = QDir(g_world->folder.path()).entryList(QDir::Files | QDir::Hidden);
    FUZZ_CHECK(left == QStringList{QStringLiteral("kelsor.dll")});
    if (completed)
        WriteOldCatalogue();
    return 0;
}
