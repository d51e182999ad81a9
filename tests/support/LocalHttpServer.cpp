#include "LocalHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <list>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

namespace fs = std::filesystem;

namespace testsupport {

namespace {

constexpr std::size_t kMaxHeadBytes = 64 * 1024;
constexpr std::size_t kChunkBytes = 64 * 1024;

[[noreturn]] void throwErrno(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept
    {
        std::swap(fd_, other.fd_);
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// A pipe that is written once and never drained: after raise() it stays readable, so every
// poll() that includes it wakes, however many threads are waiting.
class StopSignal {
public:
    StopSignal()
    {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            throwErrno("pipe2");
        read_ = Fd(ends[0]);
        write_ = Fd(ends[1]);
    }
    void raise()
    {
        const char byte = 0;
        if (::write(write_.get(), &byte, 1) < 0) {
            // Only a full pipe fails here, and a full pipe is already readable.
        }
    }
    int fd() const { return read_.get(); }
    // True when stopping; false when the time simply ran out.
    bool waitFor(std::chrono::milliseconds timeout) const
    {
        pollfd entry{fd(), POLLIN, 0};
        const auto ms = std::clamp<std::chrono::milliseconds::rep>(timeout.count(), 0, 1 << 30);
        int ready;
        while ((ready = ::poll(&entry, 1, static_cast<int>(ms))) < 0 && errno == EINTR) {
        }
        return ready > 0;
    }

private:
    Fd read_;
    Fd write_;
};

// True when fd has something (data, end of stream or an error); false when stopping.
bool waitReadable(int fd, const StopSignal& stop)
{
    pollfd entries[2] = {{fd, POLLIN, 0}, {stop.fd(), POLLIN, 0}};
    for (;;) {
        if (::poll(entries, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (entries[1].revents != 0)
            return false;
        if (entries[0].revents != 0)
            return true;
    }
}

bool sendAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t sent = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false; // the client left, or we are shutting the socket down
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

std::string lowered(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<std::uint64_t> parseNumber(std::string_view text)
{
    text = trimmed(text);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<std::string> headerValue(std::string_view head, std::string_view name)
{
    const std::string wanted = lowered(name);
    std::size_t lineStart = head.find("\r\n");
    while (lineStart != std::string_view::npos) {
        lineStart += 2;
        const auto lineEnd = head.find("\r\n", lineStart);
        const auto line = head.substr(lineStart, lineEnd - lineStart);
        const auto colon = line.find(':');
        if (colon != std::string_view::npos && lowered(trimmed(line.substr(0, colon))) == wanted)
            return std::string(trimmed(line.substr(colon + 1)));
        lineStart = lineEnd;
    }
    return std::nullopt;
}

bool hasHeader(const HttpResponse& response, std::string_view name)
{
    const std::string wanted = lowered(name);
    return std::any_of(response.headers.begin(), response.headers.end(),
                       [&](const auto& header) { return lowered(header.first) == wanted; });
}

struct Request {
    std::string head;
    std::string method; // empty when the request line made no sense
    std::string target;
    std::string version;
};

void parseRequestLine(Request& request)
{
    const std::string_view line = std::string_view(request.head).substr(0, request.head.find("\r\n"));
    const auto firstSpace = line.find(' ');
    const auto lastSpace = line.rfind(' ');
    if (firstSpace == std::string_view::npos || firstSpace == lastSpace)
        return;
    request.method = line.substr(0, firstSpace);
    request.target = line.substr(firstSpace + 1, lastSpace - firstSpace - 1);
    request.version = line.substr(lastSpace + 1);
}

// Bytes past the head stay in `pending`: a keep-alive client may already have sent the next
// request.
std::optional<Request> readRequest(int fd, const StopSignal& stop, std::string& pending)
{
    std::size_t end;
    while ((end = pending.find("\r\n\r\n")) == std::string::npos) {
        if (pending.size() > kMaxHeadBytes || !waitReadable(fd, stop))
            return std::nullopt;
        char buffer[16 * 1024];
        const ssize_t received = ::recv(fd, buffer, sizeof buffer, 0);
        if (received < 0 && errno == EINTR)
            continue;
        if (received <= 0)
            return std::nullopt;
        pending.append(buffer, static_cast<std::size_t>(received));
    }
    Request request;
    request.head = pending.substr(0, end + 4);
    pending.erase(0, end + 4);
    parseRequestLine(request);
    return request;
}

bool wantsKeepAlive(const Request& request)
{
    // Request bodies are never read, so a request that has one ends the connection.
    if (headerValue(request.head, "Content-Length") || headerValue(request.head, "Transfer-Encoding"))
        return false;
    const std::string connection = lowered(headerValue(request.head, "Connection").value_or(""));
    if (request.version == "HTTP/1.1")
        return connection.find("close") == std::string::npos;
    return connection.find("keep-alive") != std::string::npos;
}

std::string_view pathOf(std::string_view target)
{
    return target.substr(0, target.find_first_of("?#"));
}

std::optional<std::string> percentDecoded(std::string_view text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            result += text[i];
            continue;
        }
        unsigned value = 0;
        if (i + 2 >= text.size())
            return std::nullopt;
        const auto [end, error] = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
        if (error != std::errc() || end != text.data() + i + 3)
            return std::nullopt;
        result += static_cast<char>(value);
        i += 2;
    }
    return result;
}

// Never leaves root: neither by "..", nor by a symbolic link pointing elsewhere.
std::optional<fs::path> resolveFile(const std::string& root, std::string_view target)
{
    const auto path = percentDecoded(pathOf(target));
    if (root.empty() || !path || path->empty() || path->front() != '/'
        || path->find('\0') != std::string::npos)
        return std::nullopt;
    const fs::path relative = fs::path(*path).relative_path();
    if (std::any_of(relative.begin(), relative.end(), [](const fs::path& part) { return part == ".."; }))
        return std::nullopt;
    std::error_code error;
    const fs::path file = fs::canonical(fs::path(root) / relative, error);
    const fs::path base = fs::canonical(root, error);
    if (error || !fs::is_regular_file(file, error))
        return std::nullopt;
    const fs::path inside = file.lexically_relative(base);
    if (inside.empty() || *inside.begin() == "..")
        return std::nullopt;
    return file;
}

std::string contentType(const fs::path& file)
{
    static const std::map<std::string, std::string> types = {
        {".ogg", "audio/ogg"}, {".mp3", "audio/mpeg"}, {".wav", "audio/wav"},
        {".dll", "text/plain"}, {".txt", "text/plain"},
    };
    const auto found = types.find(lowered(file.extension().string()));
    return found == types.end() ? "application/octet-stream" : found->second;
}

struct ByteRange {
    std::uint64_t first = 0;
    std::uint64_t length = 0;
    bool partial = false;
    bool satisfiable = true;
};

constexpr ByteRange kUnsatisfiable{0, 0, false, false};

// "bytes=-N": the last N bytes.
ByteRange suffixRange(std::optional<std::uint64_t> count, std::uint64_t size)
{
    if (!count)
        return {0, size, false, true};
    if (*count == 0 || size == 0)
        return kUnsatisfiable;
    const std::uint64_t length = std::min(*count, size);
    return {size - length, length, true, true};
}

// One range only; anything we do not understand means the whole file, as the protocol allows.
ByteRange rangeFor(const std::optional<std::string>& header, std::uint64_t size)
{
    const ByteRange whole{0, size, false, true};
    if (!header || header->rfind("bytes=", 0) != 0 || header->find(',') != std::string::npos)
        return whole;
    const std::string_view ranges = std::string_view(*header).substr(6);
    const auto dash = ranges.find('-');
    if (dash == std::string_view::npos)
        return whole;
    const std::string_view firstText = trimmed(ranges.substr(0, dash));
    const std::string_view lastText = trimmed(ranges.substr(dash + 1));
    if (firstText.empty())
        return suffixRange(parseNumber(lastText), size);
    const auto first = parseNumber(firstText);
    const auto last = lastText.empty() ? std::optional(std::max<std::uint64_t>(size, 1) - 1)
                                       : parseNumber(lastText);
    if (!first || !last)
        return whole;
    if (*first >= size)
        return kUnsatisfiable;
    if (*last < *first)
        return whole;
    return {*first, std::min(*last, size - 1) - *first + 1, true, true};
}

std::string statusLine(int status, const std::string& reason)
{
    return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
}

std::string headerLine(const std::string& name, const std::string& value)
{
    return name + ": " + value + "\r\n";
}

std::string connectionLine(bool keepAlive)
{
    return headerLine("Connection", keepAlive ? "keep-alive" : "close");
}

std::string composedHead(const HttpResponse& response)
{
    std::string head = statusLine(response.status, response.reason);
    for (const auto& [name, value] : response.headers)
        head += headerLine(name, value);
    if (!hasHeader(response, "Content-Length") && !hasHeader(response, "Transfer-Encoding"))
        head += headerLine("Content-Length", std::to_string(response.body.size()));
    if (!hasHeader(response, "Connection"))
        head += connectionLine(false);
    return head + "\r\n";
}

bool sendPlain(int fd, int status, const std::string& reason, bool keepAlive, bool headOnly,
               const std::string& extraHeaders = {})
{
    const std::string body = reason + "\n";
    const std::string head = statusLine(status, reason) + headerLine("Content-Type", "text/plain")
        + headerLine("Content-Length", std::to_string(body.size())) + extraHeaders
        + connectionLine(keepAlive) + "\r\n";
    return sendAll(fd, headOnly ? head : head + body) && keepAlive;
}

// Sends at most `upTo` bytes of the range, at most bytesPerSecond (0: no limit).
bool streamFile(int fd, std::ifstream& in, const ByteRange& range, std::uint64_t upTo, std::size_t bytesPerSecond,
                const StopSignal& stop)
{
    in.seekg(static_cast<std::streamoff>(range.first));
    // A tenth of a second at a time when slowed down.
    std::vector<char> chunk(bytesPerSecond > 0 ? std::max<std::size_t>(bytesPerSecond / 10, 1) : kChunkBytes);
    for (std::uint64_t left = std::min(range.length, upTo); left > 0;) {
        const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
        in.read(chunk.data(), static_cast<std::streamsize>(wanted));
        if (static_cast<std::size_t>(in.gcount()) != wanted)
            return false; // the file shrank under us; the client gets a short body
        if (!sendAll(fd, std::string_view(chunk.data(), wanted)))
            return false;
        left -= wanted;
        if (bytesPerSecond > 0 && stop.waitFor(std::chrono::milliseconds(100)))
            return false;
    }
    return true;
}

struct Connection {
    explicit Connection(Fd s) : socket(std::move(s)) {}
    Fd socket;
    std::atomic<bool> finished{false};
    std::jthread thread; // declared last: joined before the socket closes
};

} // namespace

struct LocalHttpServer::State {
    State();
    ~State();

    void acceptLoop();
    void startConnection(Fd socket);
    void reapFinished();
    void serve(Connection& connection);
    bool answer(int fd, const Request& request);
    bool serveFile(int fd, const Request& request, bool keepAlive);
    void serveCanned(int fd, const HttpResponse& response, bool headOnly);
    bool sendHead(int fd, std::string_view head, std::chrono::milliseconds drip);
    void idleUntilGone(int fd);
    static Fd bound(std::uint16_t wantedPort);
    Fd listening(Fd socket);
    void goOffline();
    bool waitWhileOffline();
    bool listenerShut();
    std::optional<HttpResponse> routeFor(std::string_view target) const;
    std::string directory() const;

    Fd listener; // replaced by the acceptor only, under offlineMutex
    std::uint16_t port = 0;
    StopSignal stop;

    std::mutex offlineMutex; // guards the three below and the listener's replacement
    std::condition_variable offlineEnds;
    bool offline = false;
    // Set with the listener's shutdown, cleared once a listener is back: an outage that ends
    // before the acceptor notices it must still give it a listener.
    bool listenerIsShut = false;
    bool stopping = false;
    std::uint64_t breakAt = std::numeric_limits<std::uint64_t>::max();
    std::atomic<std::size_t> fileRate{0};

    mutable std::mutex mutex; // guards the three below
    std::string root;
    std::map<std::string, HttpResponse, std::less<>> routes;
    std::vector<std::string> heads;

    std::mutex connectionsMutex;
    std::list<Connection> connections;
    std::jthread acceptor;
};

LocalHttpServer::State::State()
{
    listener = listening(bound(0));
    acceptor = std::jthread([this] { acceptLoop(); });
}

// A socket bound to 127.0.0.1 (port 0: one the system picks) that does not listen yet.
Fd LocalHttpServer::State::bound(std::uint16_t wantedPort)
{
    Fd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket)
        throwErrno("socket");
    // After an outage the same port is taken again while old connections linger.
    const int on = 1;
    ::setsockopt(socket.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(wantedPort);
    if (::bind(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throwErrno("bind");
    return socket;
}

Fd LocalHttpServer::State::listening(Fd socket)
{
    if (::listen(socket.get(), SOMAXCONN) != 0)
        throwErrno("listen");
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throwErrno("getsockname");
    port = ntohs(address.sin_port);
    return socket;
}

LocalHttpServer::State::~State()
{
    {
        std::lock_guard lock(offlineMutex);
        stopping = true;
    }
    offlineEnds.notify_all();
    stop.raise();
    acceptor.join();
    {
        // Waits already wake on the stop signal; this also frees a send blocked on a client
        // that stopped reading.
        std::lock_guard lock(connectionsMutex);
        for (auto& connection : connections)
            ::shutdown(connection.socket.get(), SHUT_RDWR);
    }
    connections.clear();
}

void LocalHttpServer::State::acceptLoop()
{
    while (waitReadable(listener.get(), stop)) {
        if (listenerShut()) {
            if (!waitWhileOffline())
                return;
            continue;
        }
        Fd client(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!client) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            std::lock_guard lock(offlineMutex);
            if (listenerIsShut)
                continue; // the listener was shut down under us
            return;
        }
        reapFinished();
        startConnection(std::move(client));
    }
}

// Connections are refused while offline: the listener is closed, and opened again after.
// False when the server stops meanwhile.
bool LocalHttpServer::State::waitWhileOffline()
{
    std::unique_lock lock(offlineMutex);
    listener = Fd();
    offlineEnds.wait(lock, [this] { return !offline || stopping; });
    if (stopping)
        return false;
    listener = listening(bound(port));
    listenerIsShut = false;
    return true;
}

bool LocalHttpServer::State::listenerShut()
{
    std::lock_guard lock(offlineMutex);
    return listenerIsShut;
}

void LocalHttpServer::State::goOffline()
{
    {
        std::lock_guard lock(offlineMutex);
        offline = true;
        listenerIsShut = true;
        // Wakes the acceptor, which then closes the listener.
        ::shutdown(listener.get(), SHUT_RDWR);
    }
    std::lock_guard lock(connectionsMutex);
    for (auto& connection : connections)
        ::shutdown(connection.socket.get(), SHUT_RDWR);
}

void LocalHttpServer::State::startConnection(Fd socket)
{
    // Heads and bodies go out in separate sends; Nagle would hold the body back.
    const int on = 1;
    ::setsockopt(socket.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    std::lock_guard lock(connectionsMutex);
    Connection& connection = connections.emplace_back(std::move(socket));
    connection.thread = std::jthread([this, &connection] {
        serve(connection);
        connection.finished = true;
    });
}

void LocalHttpServer::State::reapFinished()
{
    std::lock_guard lock(connectionsMutex);
    connections.remove_if([](const Connection& connection) { return connection.finished.load(); });
}

void LocalHttpServer::State::serve(Connection& connection)
{
    const int fd = connection.socket.get();
    std::string pending;
    while (const auto request = readRequest(fd, stop, pending)) {
        {
            std::lock_guard lock(mutex);
            heads.push_back(request->head);
        }
        if (!answer(fd, *request))
            break;
    }
    // The descriptor is closed when the connection is reaped; the client needs its end now.
    ::shutdown(fd, SHUT_RDWR);
}

// True when the connection stays open for another request.
bool LocalHttpServer::State::answer(int fd, const Request& request)
{
    if (request.method.empty())
        return sendPlain(fd, 400, "Bad Request", false, false);
    const bool headOnly = request.method == "HEAD";
    if (const auto canned = routeFor(request.target)) {
        serveCanned(fd, *canned, headOnly);
        return false;
    }
    const bool keepAlive = wantsKeepAlive(request);
    if (request.method != "GET" && !headOnly)
        return sendPlain(fd, 405, "Method Not Allowed", keepAlive, false, headerLine("Allow", "GET, HEAD"));
    return serveFile(fd, request, keepAlive);
}

bool LocalHttpServer::State::serveFile(int fd, const Request& request, bool keepAlive)
{
    const bool headOnly = request.method == "HEAD";
    const auto file = resolveFile(directory(), request.target);
    std::ifstream in;
    if (file)
        in.open(*file, std::ios::binary);
    std::error_code error;
    const std::uint64_t size = file ? fs::file_size(*file, error) : 0;
    if (!file || !in || error)
        return sendPlain(fd, 404, "Not Found", keepAlive, headOnly);

    const ByteRange range = rangeFor(headerValue(request.head, "Range"), size);
    if (!range.satisfiable)
        return sendPlain(fd, 416, "Range Not Satisfiable", keepAlive, headOnly,
                         headerLine("Content-Range", "bytes */" + std::to_string(size)));
    std::string head = range.partial ? statusLine(206, "Partial Content") : statusLine(200, "OK");
    head += headerLine("Content-Type", contentType(*file));
    head += headerLine("Content-Length", std::to_string(range.length));
    head += headerLine("Accept-Ranges", "bytes");
    if (range.partial)
        head += headerLine("Content-Range", "bytes " + std::to_string(range.first) + "-"
                                                + std::to_string(range.first + range.length - 1) + "/"
                                                + std::to_string(size));
    head += connectionLine(keepAlive) + "\r\n";
    if (!sendAll(fd, head))
        return false;
    if (headOnly)
        return keepAlive;
    std::uint64_t upTo = range.length;
    {
        std::lock_guard lock(offlineMutex);
        if (breakAt >= range.first && breakAt < range.first + range.length) {
            upTo = breakAt - range.first;
            breakAt = std::numeric_limits<std::uint64_t>::max();
        }
    }
    const bool sent = streamFile(fd, in, range, upTo, fileRate.load(), stop);
    if (upTo < range.length) {
        goOffline();
        return false;
    }
    return sent && keepAlive;
}

void LocalHttpServer::State::serveCanned(int fd, const HttpResponse& response, bool headOnly)
{
    if (response.delayBeforeHead.count() > 0 && stop.waitFor(response.delayBeforeHead))
        return;
    if (response.sayNothing)
        return idleUntilGone(fd);
    if (response.closeWithoutAnswer)
        return;
    const std::string head = response.rawHead.empty() ? composedHead(response) : response.rawHead;
    if (!sendHead(fd, head, response.dripHeadLines) || headOnly)
        return;
    const std::size_t bodyBytes = std::min(response.stopAfterBodyBytes, response.body.size());
    if (sendAll(fd, std::string_view(response.body).substr(0, bodyBytes)) && response.stallAtStop)
        idleUntilGone(fd);
}

bool LocalHttpServer::State::sendHead(int fd, std::string_view head, std::chrono::milliseconds drip)
{
    if (drip.count() <= 0)
        return sendAll(fd, head);
    while (!head.empty()) {
        const std::size_t lineEnd = std::min(head.find('\n'), head.size() - 1) + 1;
        if (stop.waitFor(drip) || !sendAll(fd, head.substr(0, lineEnd)))
            return false;
        head.remove_prefix(lineEnd);
    }
    return true;
}

void LocalHttpServer::State::idleUntilGone(int fd)
{
    char sink[4096];
    while (waitReadable(fd, stop)) {
        const ssize_t received = ::recv(fd, sink, sizeof sink, 0);
        if (received == 0 || (received < 0 && errno != EINTR))
            return;
    }
}

std::optional<HttpResponse> LocalHttpServer::State::routeFor(std::string_view target) const
{
    std::lock_guard lock(mutex);
    const auto found = routes.find(pathOf(target));
    if (found == routes.end())
        return std::nullopt;
    return found->second;
}

std::string LocalHttpServer::State::directory() const
{
    std::lock_guard lock(mutex);
    return root;
}

LocalHttpServer::LocalHttpServer() : state_(std::make_unique<State>()) {}

LocalHttpServer::~LocalHttpServer() = default;

std::uint16_t LocalHttpServer::port() const
{
    return state_->port;
}

std::string LocalHttpServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port()) + path;
}

void LocalHttpServer::serveDirectory(std::string dir)
{
    std::lock_guard lock(state_->mutex);
    state_->root = std::move(dir);
}

void LocalHttpServer::route(std::string path, HttpResponse response)
{
    std::lock_guard lock(state_->mutex);
    state_->routes.insert_or_assign(std::move(path), std::move(response));
}

void LocalHttpServer::breakFilesAt(std::uint64_t offset)
{
    std::lock_guard lock(state_->offlineMutex);
    state_->breakAt = offset;
}

void LocalHttpServer::acceptAgain()
{
    {
        std::lock_guard lock(state_->offlineMutex);
        state_->offline = false;
    }
    state_->offlineEnds.notify_all();
}

void LocalHttpServer::limitFileRate(std::size_t bytesPerSecond)
{
    state_->fileRate = bytesPerSecond;
}

std::vector<std::string> LocalHttpServer::requestHeads() const
{
    std::lock_guard lock(state_->mutex);
    return state_->heads;
}

} // namespace testsupport
