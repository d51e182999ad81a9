#include "support/LocalHttpServer.h"

#include "host/net/HttpTransfer.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>

using testsupport::HttpResponse;

namespace {

class HttpTransferTest : public ::testing::Test {
protected:
    void SetUp() override { host::HttpTransfer::SetDefaultTimeouts({std::chrono::seconds(2), std::chrono::milliseconds(500)}); }
    void TearDown() override { host::HttpTransfer::SetDefaultTimeouts(saved); }

    // Runs the event loop until done() holds after a step of the transfer; a guard of 20 s
    // only keeps a broken transfer from hanging the suite.
    bool RunUntil(const std::function<bool()>& done)
    {
        if (done())
            return true;
        QEventLoop loop;
        const QMetaObject::Connection step =
            QObject::connect(&transfer, &host::HttpTransfer::Progressed, &loop, [&] {
                if (done())
                    loop.quit();
            });
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        loop.exec();
        QObject::disconnect(step);
        return done();
    }

    void Start(const QString& url)
    {
        transfer.SetURL(url);
        transfer.Execute(QStringLiteral("GET"), QStringLiteral("Range: bytes=0-\r\n"));
        RunUntil([this] { return transfer.HeadArrived() || transfer.Finished(); });
    }
    void StartPath(const std::string& path) { Start(QString::fromStdString(server.url(path))); }

    // Takes every body byte as it comes, until the request ends.
    QByteArray Body()
    {
        QByteArray body;
        RunUntil([&] {
            body.append(transfer.Data(), transfer.Available());
            transfer.Take(transfer.Available());
            return transfer.Finished() && transfer.Available() == 0;
        });
        return body;
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
    EXPECT_EQ(transfer.ContentLength(), 3000);
    EXPECT_EQ(transfer.GetHeader(QStringLiteral("x-odd")), QStringLiteral("spaced value"));
    EXPECT_EQ(transfer.GetHeader(QStringLiteral("Missing")), QString());
    EXPECT_EQ(Body(), QByteArray(3000, 'b'));
    EXPECT_TRUE(transfer.EndedCleanly());
}

TEST_F(HttpTransferTest, InformationalAnswerGivesWayToTheFinalOne)
{
    HttpResponse response;
    response.rawHead = "HTTP/1.1 100 Continue\r\nContent-Length: 7\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n";
    response.body = "ok";
    server.route("/file", response);

    StartPath("/file");
    EXPECT_EQ(transfer.GetHeader(), QStringLiteral("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n"));
    EXPECT_EQ(transfer.ContentLength(), 2);
    EXPECT_EQ(Body(), QByteArray("ok"));
}

TEST_F(HttpTransferTest, FailuresCarryCurlsNumberInAPlainDescription)
{
    Start(QStringLiteral("http://127.0.0.1:1/"));
    EXPECT_EQ(FailureNumber(), CURLE_COULDNT_CONNECT);
    ASSERT_TRUE(transfer.Failure());
    EXPECT_EQ(transfer.Failure()->Description(), "The server cannot be reached (code 7)");

    transfer.SetURL(QStringLiteral("http://bad host/"));
    EXPECT_THROW(transfer.Execute(QStringLiteral("GET"), {}), host::RuntimeError);
}

// Some of libcurl's numbers mean a broken head when they come before its end, and what they
// say after it.
TEST_F(HttpTransferTest, DescriptionsDependOnWhetherTheHeadHadEnded)
{
    using host::HttpTransfer;
    EXPECT_EQ(HttpTransfer::Describe(CURLE_OUT_OF_MEMORY, false), "The answer is not valid HTTP (code 27)");
    EXPECT_EQ(HttpTransfer::Describe(CURLE_OUT_OF_MEMORY, true), "There is not enough memory for the download (code 27)");
    EXPECT_EQ(HttpTransfer::Describe(CURLE_BAD_FUNCTION_ARGUMENT, false), "The answer is not valid HTTP (code 43)");
    EXPECT_EQ(HttpTransfer::Describe(CURLE_LOGIN_DENIED, true), "The download failed (code 67)");
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
    EXPECT_EQ(FailureNumber(), CURLE_OPERATION_TIMEDOUT);

    StartPath("/stalled");
    EXPECT_EQ(Body(), QByteArray(1500, 's'));
    EXPECT_FALSE(transfer.EndedCleanly());
    EXPECT_EQ(transfer.Failure()->Number(), CURLE_OPERATION_TIMEDOUT);
}

TEST_F(HttpTransferTest, CancelEndsAtOnceAndNothingFollows)
{
    host::HttpTransfer::SetDefaultTimeouts({std::chrono::seconds(30), std::chrono::seconds(30)});
    HttpResponse stalled;
    stalled.body = std::string(5000, 's');
    stalled.stopAfterBodyBytes = 1024;
    stalled.stallAtStop = true;
    server.route("/stalled", stalled);

    StartPath("/stalled");
    int raised = 0;
    QObject::connect(&transfer, &host::HttpTransfer::Progressed, [&] { ++raised; });
    transfer.Cancel();
    EXPECT_TRUE(transfer.Finished());
    EXPECT_EQ(transfer.Available(), 0);
    QEventLoop wait;
    QTimer::singleShot(300, &wait, &QEventLoop::quit);
    wait.exec();
    EXPECT_EQ(raised, 0);
}

// A reader that takes nothing holds the server back instead of filling the memory; once it
// reads, the rest follows, not a byte lost or doubled.
TEST_F(HttpTransferTest, BodyWaitsInABoundedBufferWhileNobodyReads)
{
    QByteArray body(4 * 1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < body.size(); ++i)
        body[i] = char(i * 13 + i / 4099);
    HttpResponse big;
    big.body = body.toStdString();
    server.route("/big", big);
    host::HttpTransfer::SetDefaultTimeouts({std::chrono::seconds(30), std::chrono::seconds(30)});

    StartPath("/big");
    // Time enough for the whole body to arrive, were it not held back.
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();
    EXPECT_FALSE(transfer.Finished());
    EXPECT_GT(transfer.Available(), 0);
    EXPECT_LE(transfer.Available(), 256 * 1024);
    EXPECT_EQ(Body(), body);
    EXPECT_TRUE(transfer.EndedCleanly());
}

// The head as a whole must arrive within the idle time: header lines alone keep nothing alive.
TEST_F(HttpTransferTest, HeadThatDripsForeverEndsAfterTheIdleTime)
{
    HttpResponse drip;
    drip.rawHead = "HTTP/1.1 200 OK\r\nA: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\nE: 5\r\nF: 6\r\nG: 7\r\nH: 8\r\n";
    drip.dripHeadLines = std::chrono::milliseconds(150);
    drip.stallAtStop = true;
    server.route("/drip", drip);

    StartPath("/drip");
    EXPECT_FALSE(transfer.HeadArrived());
    EXPECT_EQ(FailureNumber(), CURLE_OPERATION_TIMEDOUT);
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
    EXPECT_EQ(transfer.Failure()->Description(), "The server's certificate is not trusted (code 60)");
    tls.kill();
    tls.waitForFinished();
}
