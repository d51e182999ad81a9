#include "support/LocalHttpServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testsupport::HttpResponse;
using testsupport::LocalHttpServer;

namespace {

struct Response {
    std::string head;
    std::string body;
    std::string statusLine() const { return head.substr(0, head.find("\r\n")); }
    bool has(const std::string& headerLine) const { return head.find("\r\n" + headerLine + "\r\n") != std::string::npos; }
};

// A deliberately dumb client: raw bytes out, raw bytes in, no normalising of paths.
class Client {
public:
    explicit Client(std::uint16_t port, int receiveBuffer = 0) : fd_(::socket(AF_INET, SOCK_STREAM, 0))
    {
        if (receiveBuffer > 0)
            ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        const timeval timeout{5, 0}; // a broken server fails the test instead of hanging it
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~Client() { ::close(fd_); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool connected() const { return connected_; }

    void get(const std::string& target, const std::string& extraHeaders = {}, const std::string& method = "GET")
    {
        const std::string request = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraHeaders + "\r\n";
        ASSERT_EQ(::send(fd_, request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
    }

    // One response off a keep-alive connection, framed by its Content-Length.
    Response response(bool headOnly = false)
    {
        std::size_t end;
        while ((end = pending_.find("\r\n\r\n")) == std::string::npos && receive()) {
        }
        if (end == std::string::npos)
            return {};
        Response result{pending_.substr(0, end + 4), {}};
        pending_.erase(0, end + 4);
        const auto at = result.head.find("Content-Length: ");
        const std::size_t length = headOnly || at == std::string::npos ? 0 : std::stoul(result.head.substr(at + 16));
        while (pending_.size() < length && receive()) {
        }
        result.body = pending_.substr(0, length);
        pending_.erase(0, result.body.size());
        return result;
    }

    std::string untilClosed()
    {
        while (receive()) {
        }
        return std::exchange(pending_, {});
    }

    bool closedWithin(std::chrono::milliseconds wait)
    {
        pollfd entry{fd_, POLLIN, 0};
        if (::poll(&entry, 1, static_cast<int>(wait.count())) <= 0)
            return false;
        char byte;
        return ::recv(fd_, &byte, 1, MSG_PEEK) <= 0;
    }

private:
    bool receive()
    {
        char buffer[64 * 1024];
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            ADD_FAILURE() << "no answer within the client's timeout";
        if (got <= 0)
            return false;
        pending_.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    int fd_;
    bool connected_ = false;
    std::string pending_;
};

std::string patternBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff); // zeros, CR and LF included
    return bytes;
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

bool waitForHeads(const LocalHttpServer& server, std::size_t count)
{
    for (auto deadline = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < deadline;) {
        if (server.requestHeads().size() >= count)
            return true;
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

class LocalHttpServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "vanupelro-http-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        served = root / "served";
        fs::create_directory(served);
        writeFile(served / "voice.ogg", voice);
        writeFile(served / "notes.txt", "notes\n");
        writeFile(root / "secret.txt", "secret\n");
        server.serveDirectory(served.string());
    }
    void TearDown() override { fs::remove_all(root); }

    const std::string voice = patternBytes(300'000); // several of the server's send chunks
    fs::path root;
    fs::path served;
    LocalHttpServer server;
};

TEST_F(LocalHttpServerTest, ServesExactFileBytesOverOneKeepAliveConnection)
{
    Client client(server.port());
    client.get("/voice.ogg");
    const Response whole = client.response();
    EXPECT_EQ(whole.statusLine(), "HTTP/1.1 200 OK");
    EXPECT_TRUE(whole.has("Content-Length: 300000"));
    EXPECT_TRUE(whole.has("Content-Type: audio/ogg"));
    EXPECT_TRUE(whole.body == voice);

    // A body sent for HEAD would be read as the start of the next answer.
    client.get("/notes.txt", {}, "HEAD");
    const Response head = client.response(true);
    EXPECT_EQ(head.statusLine(), "HTTP/1.1 200 OK");
    EXPECT_TRUE(head.has("Content-Length: 6"));
    client.get("/notes.txt", "Connection: close\r\n");
    const Response notes = client.response();
    EXPECT_EQ(notes.statusLine(), "HTTP/1.1 200 OK");
    EXPECT_TRUE(notes.has("Content-Type: text/plain"));
    EXPECT_EQ(notes.body, "notes\n");
    EXPECT_TRUE(client.closedWithin(1s));
}

TEST_F(LocalHttpServerTest, RangesGiveTheRightSlice)
{
    Client client(server.port());
    client.get("/voice.ogg", "Range: bytes=100000-\r\n");
    const Response tail = client.response();
    EXPECT_EQ(tail.statusLine(), "HTTP/1.1 206 Partial Content");
    EXPECT_TRUE(tail.has("Content-Range: bytes 100000-299999/300000"));
    EXPECT_TRUE(tail.has("Content-Length: 200000"));
    EXPECT_TRUE(tail.body == voice.substr(100'000));

    client.get("/voice.ogg", "Range: bytes=10-19\r\n");
    const Response middle = client.response();
    EXPECT_TRUE(middle.has("Content-Range: bytes 10-19/300000"));
    EXPECT_EQ(middle.body, voice.substr(10, 10));

    client.get("/voice.ogg", "Range: bytes=-5\r\n");
    EXPECT_EQ(client.response().body, voice.substr(300'000 - 5));

    client.get("/voice.ogg", "Range: bytes=300000-\r\n");
    const Response beyond = client.response();
    EXPECT_EQ(beyond.statusLine(), "HTTP/1.1 416 Range Not Satisfiable");
    EXPECT_TRUE(beyond.has("Content-Range: bytes */300000"));

    const auto heads = server.requestHeads();
    ASSERT_EQ(heads.size(), 4u);
    EXPECT_NE(heads[1].find("Range: bytes=10-19\r\n"), std::string::npos);
}

TEST_F(LocalHttpServerTest, NothingOutsideTheFolderIsServed)
{
    fs::create_symlink(root / "secret.txt", served / "link.txt");
    for (const char* target : {"/missing.ogg", "/../secret.txt", "/%2e%2e/secret.txt", "/link.txt", "/", "/%zz"}) {
        Client client(server.port());
        client.get(target);
        const Response answer = client.response();
        EXPECT_EQ(answer.statusLine(), "HTTP/1.1 404 Not Found") << target;
        EXPECT_EQ(answer.body.find("secret"), std::string::npos) << target;
    }
}

TEST_F(LocalHttpServerTest, AnotherClientIsServedWhileOneIsLeftWaiting)
{
    HttpResponse silence;
    silence.sayNothing = true;
    server.route("/silent", silence);
    Client waiting(server.port());
    waiting.get("/silent");
    ASSERT_TRUE(waitForHeads(server, 1));

    Client other(server.port());
    other.get("/notes.txt");
    EXPECT_EQ(other.response().body, "notes\n");
    EXPECT_FALSE(waiting.closedWithin(0ms));
}

TEST_F(LocalHttpServerTest, RoutedRawHeadArrivesVerbatimAndWinsOverFiles)
{
    HttpResponse broken;
    broken.rawHead = "HTTP/1.1 2OO Fine\r\nContent-Length: plenty\r\n\r\n";
    broken.body = "xyz";
    server.route("/voice.ogg", broken);
    Client client(server.port());
    client.get("/voice.ogg?session=1");
    EXPECT_EQ(client.untilClosed(), broken.rawHead + "xyz");
}

TEST_F(LocalHttpServerTest, RoutedAnswerGetsLengthAndCloseAdded)
{
    HttpResponse busy;
    busy.status = 503;
    busy.reason = "Busy";
    busy.headers = {{"Retry-After", "1"}};
    busy.body = "later";
    server.route("/busy", busy);
    Client client(server.port());
    client.get("/busy");
    EXPECT_EQ(client.untilClosed(),
              "HTTP/1.1 503 Busy\r\nRetry-After: 1\r\nContent-Length: 5\r\nConnection: close\r\n\r\nlater");
}

TEST_F(LocalHttpServerTest, BodyCutClosesAfterExactlyThatManyBytes)
{
    HttpResponse cut;
    cut.body = patternBytes(1000);
    cut.stopAfterBodyBytes = 300;
    server.route("/cut", cut);
    Client client(server.port());
    client.get("/cut");
    const std::string received = client.untilClosed();
    const auto bodyStart = received.find("\r\n\r\n") + 4;
    EXPECT_NE(received.substr(0, bodyStart).find("Content-Length: 1000\r\n"), std::string::npos);
    EXPECT_TRUE(received.substr(bodyStart) == cut.body.substr(0, 300));
}

TEST_F(LocalHttpServerTest, StalledBodyKeepsTheConnectionOpen)
{
    HttpResponse stall;
    stall.body = patternBytes(1000);
    stall.stopAfterBodyBytes = 300;
    stall.stallAtStop = true;
    server.route("/stall", stall);
    Client client(server.port());
    client.get("/stall");
    const Response partial = client.response(true);
    EXPECT_TRUE(partial.has("Content-Length: 1000"));
    EXPECT_FALSE(client.closedWithin(200ms));
}

TEST_F(LocalHttpServerTest, HeadIsHeldBackForTheDelay)
{
    HttpResponse slow;
    slow.delayBeforeHead = 300ms;
    server.route("/slow", slow);
    Client client(server.port());
    const auto start = std::chrono::steady_clock::now();
    client.get("/slow");
    EXPECT_EQ(client.response().statusLine(), "HTTP/1.1 200 OK");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
}

bool acceptsWithin(std::uint16_t port, std::chrono::milliseconds wait)
{
    for (auto deadline = std::chrono::steady_clock::now() + wait; std::chrono::steady_clock::now() < deadline;) {
        if (Client(port).connected())
            return true;
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

// An outage ended at once, before the server's acceptor has seen it begin, must still end.
TEST_F(LocalHttpServerTest, AnOutageRefusesConnectionsAndAQuickReturnServesAgain)
{
    const std::uint16_t port = server.port();
    server.breakFilesAt(1000);
    {
        Client cut(port);
        cut.get("/voice.ogg");
        const std::string received = cut.untilClosed();
        EXPECT_EQ(received.size() - (received.find("\r\n\r\n") + 4), 1000u);
    }
    EXPECT_FALSE(Client(port).connected());

    server.acceptAgain();
    ASSERT_TRUE(acceptsWithin(port, 5s));
    EXPECT_EQ(server.port(), port);
    Client after(port);
    after.get("/notes.txt");
    const Response answer = after.response();
    EXPECT_EQ(answer.statusLine(), "HTTP/1.1 200 OK");
    EXPECT_EQ(answer.body, "notes\n");
}

// Every way a test can leave a connection hanging, at once; none may hold up the destructor.
TEST(LocalHttpServerStop, DestructionIsPromptWhateverTheClientsAreDoing)
{
    auto server = std::make_unique<LocalHttpServer>();
    std::future<void> stopped; // before the clients: should stopping hang, their closing frees it
    HttpResponse silent, slow, stalled, huge;
    silent.sayNothing = true;
    slow.delayBeforeHead = 1min;
    stalled.body = "abc";
    stalled.stopAfterBodyBytes = 1;
    stalled.stallAtStop = true;
    huge.body = std::string(32 << 20, 'x'); // far beyond the socket buffers: send blocks
    server->route("/silent", silent);
    server->route("/slow", slow);
    server->route("/stalled", stalled);
    server->route("/huge", huge);

    Client idle(server->port());
    std::vector<std::unique_ptr<Client>> clients;
    for (const char* target : {"/silent", "/slow", "/stalled", "/huge"}) {
        clients.push_back(std::make_unique<Client>(server->port(), 4096));
        clients.back()->get(target);
    }
    ASSERT_TRUE(idle.connected());
    ASSERT_TRUE(waitForHeads(*server, clients.size()));
    std::this_thread::sleep_for(100ms); // let the huge answer fill the buffers

    stopped = std::async(std::launch::async, [&server] { server.reset(); });
    ASSERT_EQ(stopped.wait_for(1s), std::future_status::ready) << "the server took over a second to stop";
    EXPECT_TRUE(idle.closedWithin(1s));
    EXPECT_TRUE(clients[0]->closedWithin(1s));
}

} // namespace
