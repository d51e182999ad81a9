#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// A canned answer for one path. Everything past `body` is there to make the server misbehave.
struct HttpResponse {
    static constexpr std::size_t kWholeBody = std::numeric_limits<std::size_t>::max();

    // Sent verbatim instead of status line and headers, blank line included, so a test can
    // hand a client any broken head it likes.
    std::string rawHead;
    int status = 200;
    std::string reason = "OK";
    // Content-Length is added unless given here; giving a wrong one is how a test lies.
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    std::size_t stopAfterBodyBytes = kWholeBody;
    // After the body, or the part of it sent, go quiet with the connection left open
    // instead of closing it: a stalled transfer rather than a broken one.
    bool stallAtStop = false;
    std::chrono::milliseconds delayBeforeHead{0};
    // Send the head one line at a time with this pause before each line: a slow drip that
    // keeps the connection busy without ever finishing.
    std::chrono::milliseconds dripHeadLines{0};
    // Read the request, then never answer until the client leaves or the server stops.
    bool sayNothing = false;
    // Read the request, then close the connection without a word.
    bool closeWithoutAnswer = false;
};

// HTTP/1.1 on 127.0.0.1 inside the test process: files from a folder (with byte ranges and
// keep-alive, as a media player wants them) and canned answers, one thread per connection.
// Destruction stops everything promptly, hanging clients included.
class LocalHttpServer {
public:
    LocalHttpServer(); // listens on a port the system picks; throws std::system_error
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    std::uint16_t port() const;
    std::string url(const std::string& path) const; // path starts with '/'

    // GET and HEAD of regular files below dir; nothing outside it is ever served.
    void serveDirectory(std::string dir);
    // Exact match on the path without its query; wins over the folder. Always closes the
    // connection afterwards, so lying heads cannot confuse the next request.
    void route(std::string path, HttpResponse response);

    // An outage: the next file answer that reaches byte `offset` of its file stops there,
    // every open connection is cut, and new ones are refused until acceptAgain().
    void breakFilesAt(std::uint64_t offset);
    void acceptAgain();
    // Files go out no faster than this, as over a slow line; 0 for as fast as possible.
    void limitFileRate(std::size_t bytesPerSecond);

    // Every request head received so far, verbatim up to and including the blank line.
    std::vector<std::string> requestHeads() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace testsupport
