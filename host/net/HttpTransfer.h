#pragma once

#include "host/os/RuntimeError.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

namespace host {

// One HTTP/1.1 GET at a time, moved on by the event loop of the thread that made it: the
// transfer's sockets and one timer are watched by the loop, so bytes are handled as they
// arrive, nothing polls, and any nested loop (a modal box) keeps the transfer going. The body
// waits in a small bounded buffer (the server is paused while it is full), never in memory as
// a whole. Bytes reach the caller exactly as sent: no content decoding, no redirects followed;
// TLS certificates are verified.
//
// Failures carry libcurl's number and a short plain description with that number in it.
class HttpTransfer : public QObject {
    Q_OBJECT
public:
    struct Timeouts {
        std::chrono::milliseconds connect{std::chrono::seconds(30)};
        // No answer head within this time, or no body byte for this long, ends the request.
        std::chrono::milliseconds idle{std::chrono::seconds(30)};
    };
    static Timeouts DefaultTimeouts();
    static void SetDefaultTimeouts(const Timeouts& timeouts);

    HttpTransfer();
    ~HttpTransfer() override;
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    void SetURL(const QString& url) { m_url = url; }
    QString URL() const { return m_url; }
    void SetUserName(const QString& name) { m_userName = name; }
    void SetPassword(const QString& password) { m_password = password; }

    // Starts a GET of URL() and returns at once; nothing is received before the event loop
    // runs. extraHeaders: lines ending in CR LF. Throws RuntimeError when the request cannot
    // even be started (an address that is not a valid http or https one).
    void Execute(const QString& operation, const QString& extraHeaders);

    // Whether the whole answer head has arrived.
    bool HeadArrived() const { return m_headDone; }
    // The response head as received, status line first, blank line included. Throws the
    // request's failure when it ended before a whole head arrived.
    QString GetHeader() const;
    // The value of the first header line with that name, trimmed; empty when absent.
    QString GetHeader(const QString& name) const;
    // The body length the transfer stops at; none when the body runs to its end.
    std::optional<std::int64_t> ContentLength() const { return m_contentLength; }

    // Body bytes received and not yet taken; Take(n) drops the first n of them.
    qsizetype Available() const { return m_body.size() - m_bodyRead; }
    const char* Data() const { return m_body.constData() + m_bodyRead; }
    void Take(qsizetype bytes);

    // Whether the request has ended (the body may still wait in the buffer), and how.
    bool Finished() const { return m_finished; }
    bool EndedCleanly() const { return m_finished && !m_failure; }
    std::optional<RuntimeError> Failure() const { return m_failure; }

    // Ends the request and closes its connection; harmless when nothing runs. No signal follows.
    void Cancel();

    // The plain description of a transfer failure; headEnded tells whether it came after a
    // whole answer head (some of libcurl's numbers mean a broken head before that).
    static std::string Describe(int curlCode, bool headEnded);

signals:
    // The head arrived, body bytes came, or the request ended. Raised last, after the transfer
    // is consistent again, so a receiver may take bytes, cancel, open a modal box or destroy
    // the transfer.
    void Progressed();

private:
    struct Curl;
    using Clock = std::chrono::steady_clock;
    void OnSocket(qintptr socket, int flags);
    void AfterAction();
    void Fail(int code, const std::string& description);
    void CheckIdle();
    void ResumeIfDrained();
    bool TakeHeaderLine(const char* data, std::size_t size);
    bool CheckContentLength(const QByteArray& line);
    std::size_t TakeBody(const char* data, std::size_t size);
    void WatchSocket(qintptr socket, int what);
    void ArmIdleTimer(std::chrono::milliseconds wait);

    QString m_url;
    QString m_userName;
    QString m_password;
    std::unique_ptr<Curl> m_curl;

    QByteArray m_head;
    bool m_headDone = false;
    bool m_blockEnded = false;
    std::optional<std::int64_t> m_contentLength;
    QByteArray m_body; // bytes from m_bodyRead on are not yet taken
    qsizetype m_bodyRead = 0;
    bool m_paused = false;
    bool m_finished = false;
    bool m_changed = false;
    Clock::time_point m_lastActivity;
    std::chrono::milliseconds m_idleLimit{0};
    std::optional<RuntimeError> m_failure;
};

} // namespace host
