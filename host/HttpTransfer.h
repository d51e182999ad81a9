#pragma once

#include "RuntimeError.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

namespace host {

// One HTTP/1.1 request at a time, driven from the user-interface thread without blocking it:
// every wait sleeps on the transfer's sockets for a short slice and lets pending window
// messages run in between. The body is held back in a small bounded buffer (the server is
// paused while it is full), never in memory as a whole. Bytes reach the caller exactly as sent:
// no content decoding, no redirects followed; TLS certificates are verified.
class HttpTransfer {
public:
    struct Timeouts {
        std::chrono::milliseconds connect{std::chrono::seconds(30)};
        // A connected server that sends nothing for this long ends the request.
        std::chrono::milliseconds idle{std::chrono::seconds(30)};
    };
    static Timeouts DefaultTimeouts();
    static void SetDefaultTimeouts(const Timeouts& timeouts);

    HttpTransfer();
    ~HttpTransfer();
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    void SetURL(const QString& url) { m_url = url; }
    QString URL() const { return m_url; }
    void SetUserName(const QString& name) { m_userName = name; }
    void SetPassword(const QString& password) { m_password = password; }

    // Starts a GET of URL() and returns at once. extraHeaders: lines ending in CR LF.
    // Throws RuntimeError when the request cannot even be started (a malformed URL).
    void Execute(const QString& operation, const QString& extraHeaders);
    // True until the response head has arrived or the request has ended. Each call moves
    // the transfer on and sleeps up to a short slice on its sockets when there is nothing to do.
    bool StillExecuting();
    // The response head as received, status line first, blank line included; empty before a
    // response. Throws the request's failure when it ended before a whole head arrived.
    QString GetHeader() const;
    // The value of the first header line with that name, trimmed; empty when absent.
    QString GetHeader(const QString& name) const;
    // The next piece of the body, at most maxBytes; empty at its end, after a failure, or once
    // Interrupt() was called. Waits for data while letting window messages run.
    QByteArray GetChunk(int maxBytes);
    // After the last piece: whether the body arrived whole, and if not, why.
    bool EndedCleanly() const;
    std::optional<RuntimeError> Failure() const;
    // Makes any wait of this transfer give up at once, now and later, until the next Execute.
    void Interrupt() { m_interrupted = true; }
    // Ends the request and closes its connection; harmless when nothing runs.
    void Cancel();

private:
    struct Curl;
    using Clock = std::chrono::steady_clock;
    bool Drive(bool sleep);
    void EndIfIdleTooLong();
    void ResumeIfDrained();
    std::size_t TakeBody(const char* data, std::size_t size);
    void TakeHeaderLine(const char* data, std::size_t size);
    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);

    QString m_url;
    QString m_userName;
    QString m_password;
    std::unique_ptr<Curl> m_curl;

    QByteArray m_head;
    bool m_headDone = false;
    bool m_blockEnded = false;
    QByteArray m_body; // bytes from m_bodyRead on are not yet taken
    qsizetype m_bodyRead = 0;
    bool m_paused = false;
    bool m_finished = false;
    bool m_interrupted = false;
    Clock::time_point m_lastActivity;
    std::chrono::milliseconds m_idleLimit{0};
    std::optional<RuntimeError> m_failure;
};

} // namespace host
