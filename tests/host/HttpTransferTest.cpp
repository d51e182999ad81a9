#include "support/LocalHttpServer.h"

#include "host/HttpTransfer.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using testsupport::HttpResponse;

namespace {

class HttpTransferTest : public ::testing::Test {
protected:
    void SetUp() override { host::HttpTransfer::SetDefaultTimeouts({std::chrono::seconds(2), std::chrono::milliseconds(500)}); }
    void TearDown() override { host::HttpTransfer::SetDefaultTimeouts(saved); }

    void Start(const QString& url)
    {
        transfer.SetURL(url);
        transfer.Execute(QStringLiteral("GET"), QStringLiteral("Range: bytes=0-\r\n"));
        while (transfer.StillExecuting()) {
        }
    }
    void StartPath(const std::string& path) { Start(QString::fromStdString(server.url(path))); }

    std::vector<qsizetype> PieceSizes()
    {
        std::vector<qsizetype> sizes;
        for (QByteArray piece = transfer.GetChunk(1024);; piece = transfer.GetChunk(1024)) {
            sizes.push_back(piece.size());
            if (piece.isEmpty())
                return sizes;
        }
    }

    int FailureNumber() const
    {
        try {
            transfer.GetHeader();
        } catch (const host::RuntimeError& error) {
            return error.Number();
        }
        return 0;
    }

    host::HttpTransfer::Timeouts saved = host::HttpTransfer::DefaultTimeouts();
    testsupport::LocalHttpServer server;
    host::HttpTransfer transfer;
};

int FreePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound ? ntohs(address.sin_port) : 0;
}

bool Accepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool connected = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return connected;
}

} // namespace

TEST_F(HttpTransferTest, HeadIsKeptAsReceivedAndHeadersAreFoundByAnyCase)
{
    const std::string head = "HTTP/1.1 200 Fine\r\nX-Odd:   spaced value  \r\ncontent-LENGTH: 3000\r\n"
                             "X-Odd: second\r\n\r\n";
    HttpResponse response;
    response.rawHead = head;
    response.body = std::string(3000, 'b');
    server.route("/file", response);

    StartPath("/file");
    EXPECT_EQ(transfer.GetHeader().toStdString(), head);
    EXPECT_EQ(transfer.GetHeader(QStringLiteral("Content-Length")), QStringLiteral("3000"));
    EXPECT_EQ(transfer.GetHeader(QStringLiteral("x-odd")), QStringLiteral("spaced value"));
    EXPECT_EQ(transfer.GetHeader(QStringLiteral("Missing")), QString());
    EXPECT_EQ(PieceSizes(), (std::vector<qsizetype>{1024, 1024, 952, 0}));
    EXPECT_TRUE(transfer.EndedCleanly());
}

TEST_F(HttpTransferTest, InformationalAnswerGivesWayToTheFinalOne)
{
    HttpResponse response;
    response.rawHead = "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n";
    response.body = "ok";
    server.route("/file", response);

    StartPath("/file");
    EXPECT_EQ(transfer.GetHeader(), QStringLiteral("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n"));
    EXPECT_EQ(transfer.GetChunk(1024), QByteArray("ok"));
}

TEST_F(HttpTransferTest, FailuresCarryCurlsNumberAndDescription)
{
    Start(QStringLiteral("http://127.0.0.1:1/"));
    EXPECT_EQ(FailureNumber(), CURLE_COULDNT_CONNECT);
    ASSERT_TRUE(transfer.Failure());
    EXPECT_FALSE(transfer.Failure()->Description().empty());

    transfer.SetURL(QStringLiteral("http://bad host/"));
    EXPECT_THROW(transfer.Execute(QStringLiteral("GET"), {}), host::RuntimeError);
}

TEST_F(HttpTransferTest, QuietServerEndsAfterTheIdleTimeBeforeOrDuringTheBody)
{
    HttpResponse silent;
    silent.sayNothing = true;
    server.route("/silent", silent);
    HttpResponse stalled;
    stalled.body = std::string(5000, 's');
    stalled.stopAfterBodyBytes = 1500;
    stalled.stallAtStop = true;
    server.route("/stalled", stalled);

    QElapsedTimer clock;
    clock.start();
    StartPath("/silent");
    EXPECT_GE(clock.elapsed(), 450);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(FailureNumber(), CURLE_OPERATION_TIMEDOUT);

    clock.restart();
    StartPath("/stalled");
    EXPECT_EQ(PieceSizes(), (std::vector<qsizetype>{1024, 476, 0}));
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_FALSE(transfer.EndedCleanly());
    EXPECT_EQ(transfer.Failure()->Number(), CURLE_OPERATION_TIMEDOUT);
}

TEST_F(HttpTransferTest, InterruptReleasesAWaitOnAStalledBody)
{
    host::HttpTransfer::SetDefaultTimeouts({std::chrono::seconds(30), std::chrono::seconds(30)});
    HttpResponse stalled;
    stalled.body = std::string(5000, 's');
    stalled.stopAfterBodyBytes = 1024;
    stalled.stallAtStop = true;
    server.route("/stalled", stalled);

    StartPath("/stalled");
    EXPECT_EQ(transfer.GetChunk(1024).size(), 1024);
    QTimer::singleShot(100, [this] { transfer.Interrupt(); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(transfer.GetChunk(1024).isEmpty());
    EXPECT_LT(clock.elapsed(), 1000);
}

// A server with a certificate nobody vouches for is refused.
TEST_F(HttpTransferTest, UnverifiableCertificateIsRefused)
{
    // The handshake may be slow on a loaded machine; only the verdict matters here.
    host::HttpTransfer::SetDefaultTimeouts({std::chrono::seconds(30), std::chrono::seconds(30)});
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString key = dir.filePath(QStringLiteral("key.pem"));
    const QString cert = dir.filePath(QStringLiteral("cert.pem"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("openssl"),
                                {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                                 "-subj", "/CN=127.0.0.1", "-days", "1", "-keyout", key, "-out", cert}),
              0);
    const int port = FreePort();
    QProcess tls;
    tls.start(QStringLiteral("openssl"), {"s_server", "-quiet", "-www", "-accept", QString::number(port), "-key", key,
                                          "-cert", cert});
    ASSERT_TRUE(tls.waitForStarted());
    for (int tries = 0; tries < 100 && !Accepts(port); ++tries)
        QThread::msleep(50);

    Start(QStringLiteral("https://127.0.0.1:%1/").arg(port));
    EXPECT_EQ(FailureNumber(), CURLE_PEER_FAILED_VERIFICATION) << transfer.Failure()->Description();
    tls.kill();
    tls.waitForFinished();
}
