#include "HttpTransfer.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <map>
#include <mutex>

namespace host {

namespace {

// Enough to keep the socket busy between two turns of the reader, small enough not to matter.
constexpr qsizetype kBufferLimit = 128 * 1024;
constexpr long kReadBufferBytes = 64 * 1024;

HttpTransfer::Timeouts g_timeouts;

void initialiseCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct TextDeleter {
    void operator()(char* text) const { curl_free(text); }
};

bool isInformationalStatusLine(const QByteArray& line)
{
    return line.startsWith("HTTP/") && line.size() > 9 && line[9] == '1';
}

bool isBlankLine(const QByteArray& line) { return line == "\r\n" || line == "\n"; }

// The trimmed value of line when it is the header called name (given in lower case).
std::optional<QByteArray> headerValue(const QByteArray& line, const QByteArray& name)
{
    if (line.size() <= name.size() || line[name.size()] != ':' || line.left(name.size()).toLower() != name)
        return std::nullopt;
    return line.mid(name.size() + 1).trimmed();
}

// Only plain decimal digits: anything else ("13.5", "3e3", "-1") would be read one way by
// libcurl and another way by whoever looks at the text.
std::optional<std::int64_t> plainLength(const QByteArray& text)
{
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string withCode(const char* reason, int code) { return std::string(reason) + " (code " + std::to_string(code) + ")"; }

void checkUrl(const QByteArray& url)
{
    const std::unique_ptr<CURLU, UrlDeleter> parsed(curl_url());
    if (curl_url_set(parsed.get(), CURLUPART_URL, url.constData(), 0) != CURLUE_OK)
        throw RuntimeError(CURLE_URL_MALFORMAT, HttpTransfer::Describe(CURLE_URL_MALFORMAT, false));
    char* rawScheme = nullptr;
    curl_url_get(parsed.get(), CURLUPART_SCHEME, &rawScheme, 0);
    const std::unique_ptr<char, TextDeleter> scheme(rawScheme);
    const QByteArray name = QByteArray(scheme ? scheme.get() : "").toLower();
    if (name != "http" && name != "https")
        throw RuntimeError(CURLE_UNSUPPORTED_PROTOCOL,
                           withCode("The address is not an http or https address", CURLE_UNSUPPORTED_PROTOCOL));
}

} // namespace

// Everything that touches libcurl, and the loop's watches on its sockets.
struct HttpTransfer::Curl {
    std::unique_ptr<CURLM, MultiDeleter> multi{curl_multi_init()};
    std::unique_ptr<CURL, EasyDeleter> easy;
    std::unique_ptr<curl_slist, ListDeleter> headers;
    QByteArray url, userName, password;
    bool attached = false;
    QTimer curlTimer;
    QTimer idleTimer;
    struct Watch {
        QPointer<QSocketNotifier> read, write;
    };
    std::map<curl_socket_t, Watch> watches;

    void Detach()
    {
        if (attached)
            curl_multi_remove_handle(multi.get(), easy.get());
        attached = false;
        easy.reset();
        headers.reset();
        curlTimer.stop();
        idleTimer.stop();
    }

    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self)
    {
        return static_cast<HttpTransfer*>(self)->TakeBody(data, size * count);
    }
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self)
    {
        return static_cast<HttpTransfer*>(self)->TakeHeaderLine(data, size * count) ? size * count : 0;
    }
    static int OnSocket(CURL*, curl_socket_t socket, int what, void* self, void*)
    {
        static_cast<HttpTransfer*>(self)->WatchSocket(socket, what);
        return 0;
    }
    // Never runs libcurl from inside libcurl: the timer fires from the event loop.
    static int OnTimer(CURLM*, long milliseconds, void* self)
    {
        QTimer& timer = static_cast<HttpTransfer*>(self)->m_curl->curlTimer;
        if (milliseconds < 0)
            timer.stop();
        else
            timer.start(int(std::min<long>(milliseconds, 1 << 30)));
        return 0;
    }
};

HttpTransfer::Timeouts HttpTransfer::DefaultTimeouts() { return g_timeouts; }

void HttpTransfer::SetDefaultTimeouts(const Timeouts& timeouts) { g_timeouts = timeouts; }

HttpTransfer::HttpTransfer()
{
    initialiseCurlOnce();
    m_curl = std::make_unique<Curl>();
    CURLM* multi = m_curl->multi.get();
    if (!multi)
        throw RuntimeError(CURLE_OUT_OF_MEMORY, Describe(CURLE_OUT_OF_MEMORY, true));
    curl_multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, &Curl::OnSocket);
    curl_multi_setopt(multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multi, CURLMOPT_TIMERFUNCTION, &Curl::OnTimer);
    curl_multi_setopt(multi, CURLMOPT_TIMERDATA, this);
    m_curl->curlTimer.setSingleShot(true);
    connect(&m_curl->curlTimer, &QTimer::timeout, this, [this] { OnSocket(CURL_SOCKET_TIMEOUT, 0); });
    m_curl->idleTimer.setSingleShot(true);
    connect(&m_curl->idleTimer, &QTimer::timeout, this, [this] { CheckIdle(); });
}

HttpTransfer::~HttpTransfer()
{
    Cancel();
    // Nothing may call back into a half-destroyed transfer.
    curl_multi_setopt(m_curl->multi.get(), CURLMOPT_SOCKETFUNCTION, nullptr);
    curl_multi_setopt(m_curl->multi.get(), CURLMOPT_TIMERFUNCTION, nullptr);
}

void HttpTransfer::Execute(const QString& operation, const QString& extraHeaders)
{
    Cancel();
    m_head.clear();
    m_headDone = m_blockEnded = m_paused = m_finished = m_changed = false;
    m_contentLength.reset();
    m_body.clear();
    m_bodyRead = 0;
    m_failure.reset();

    if (operation.compare(QLatin1String("GET"), Qt::CaseInsensitive) != 0)
        throw RuntimeError(CURLE_UNSUPPORTED_PROTOCOL, "Only GET requests are supported");
    Curl& c = *m_curl;
    c.url = m_url.toUtf8();
    checkUrl(c.url);
    c.easy.reset(curl_easy_init());
    if (!c.easy)
        throw RuntimeError(CURLE_OUT_OF_MEMORY, Describe(CURLE_OUT_OF_MEMORY, true));
    for (const QString& line : extraHeaders.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        curl_slist* grown = curl_slist_append(c.headers.get(), line.toLatin1().constData());
        if (!grown)
            throw RuntimeError(CURLE_OUT_OF_MEMORY, Describe(CURLE_OUT_OF_MEMORY, true));
        c.headers.release();
        c.headers.reset(grown);
    }

    CURL* e = c.easy.get();
    curl_easy_setopt(e, CURLOPT_URL, c.url.constData());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
    // The file gets the bytes the server sent, whatever their encoding.
    curl_easy_setopt(e, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, long(g_timeouts.connect.count()));
    curl_easy_setopt(e, CURLOPT_BUFFERSIZE, kReadBufferBytes);
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, c.headers.get());
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Curl::OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Curl::OnHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, this);
    if (!m_userName.isEmpty() || !m_password.isEmpty()) {
        c.userName = m_userName.toUtf8();
        c.password = m_password.toUtf8();
        curl_easy_setopt(e, CURLOPT_USERNAME, c.userName.constData());
        curl_easy_setopt(e, CURLOPT_PASSWORD, c.password.constData());
    }
    const CURLMcode added = curl_multi_add_handle(c.multi.get(), e);
    if (added != CURLM_OK)
        throw RuntimeError(CURLE_FAILED_INIT, Describe(CURLE_FAILED_INIT, false));
    c.attached = true;
    m_idleLimit = g_timeouts.idle;
    m_lastActivity = Clock::now();
    ArmIdleTimer(m_idleLimit);
}

void HttpTransfer::OnSocket(qintptr socket, int flags)
{
    if (!m_curl->attached)
        return;
    int running = 0;
    curl_multi_socket_action(m_curl->multi.get(), curl_socket_t(socket), flags, &running);
    AfterAction();
}

// After libcurl has run: notes the end of the request, then tells the reader, last of all.
void HttpTransfer::AfterAction()
{
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(m_curl->multi.get(), &queued)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        const CURLcode result = message->data.result;
        // A failure of our own (a length we refused) explains better than libcurl's echo of it.
        if (!m_failure && result != CURLE_OK)
            m_failure.emplace(int(result), Describe(result, m_headDone));
        else if (!m_failure && !m_headDone)
            // The server closed before its head ended: nothing of it can be trusted.
            m_failure.emplace(int(CURLE_PARTIAL_FILE), Describe(CURLE_PARTIAL_FILE, false));
        m_finished = m_changed = true;
    }
    if (m_finished)
        m_curl->Detach();
    if (m_changed) {
        m_changed = false;
        emit Progressed();
    }
}

void HttpTransfer::Fail(int code, const std::string& description)
{
    m_curl->Detach();
    m_finished = true;
    m_failure.emplace(code, description);
}

void HttpTransfer::ArmIdleTimer(std::chrono::milliseconds wait)
{
    m_curl->idleTimer.start(int(std::clamp<std::chrono::milliseconds::rep>(wait.count(), 0, 1 << 30)));
}

// The head as a whole and then every piece of the body count as a sign of life, but not a
// single header line: a server dripping one line a second would otherwise never time out. A
// transfer we paused ourselves is not the server's fault.
void HttpTransfer::CheckIdle()
{
    if (m_finished)
        return;
    const auto quiet = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_lastActivity);
    if (m_paused || quiet < m_idleLimit) {
        ArmIdleTimer(m_paused ? m_idleLimit : m_idleLimit - quiet);
        return;
    }
    Fail(int(CURLE_OPERATION_TIMEDOUT), Describe(CURLE_OPERATION_TIMEDOUT, m_headDone));
    emit Progressed();
}

void HttpTransfer::WatchSocket(qintptr socket, int what)
{
    auto& watches = m_curl->watches;
    if (what == CURL_POLL_REMOVE) {
        const auto found = watches.find(curl_socket_t(socket));
        if (found == watches.end())
            return;
        // Possibly called while one of these notifiers is raising its signal.
        for (QSocketNotifier* notifier : {found->second.read.data(), found->second.write.data()}) {
            if (notifier) {
                notifier->setEnabled(false);
                notifier->deleteLater();
            }
        }
        watches.erase(found);
        return;
    }
    Curl::Watch& watch = watches[curl_socket_t(socket)];
    auto ensure = [&](QPointer<QSocketNotifier>& notifier, QSocketNotifier::Type type, int flag) {
        if (!notifier) {
            notifier = new QSocketNotifier(socket, type, this);
            connect(notifier, &QSocketNotifier::activated, this, [this, socket, flag] { OnSocket(socket, flag); });
        }
        return notifier.data();
    };
    ensure(watch.read, QSocketNotifier::Read, CURL_CSELECT_IN)->setEnabled(what & CURL_POLL_IN);
    ensure(watch.write, QSocketNotifier::Write, CURL_CSELECT_OUT)->setEnabled(what & CURL_POLL_OUT);
}

QString HttpTransfer::GetHeader() const
{
    if (!m_headDone && m_failure)
        throw *m_failure;
    return QString::fromLatin1(m_head);
}

QString HttpTransfer::GetHeader(const QString& name) const
{
    const QByteArray wanted = name.toLatin1().toLower();
    for (const QByteArray& line : m_head.split('\n')) {
        if (const auto value = headerValue(line, wanted))
            return QString::fromLatin1(*value);
    }
    return {};
}

void HttpTransfer::Take(qsizetype bytes)
{
    m_bodyRead += std::clamp<qsizetype>(bytes, 0, Available());
    ResumeIfDrained();
}

void HttpTransfer::ResumeIfDrained()
{
    if (m_bodyRead == m_body.size()) {
        m_body.resize(0); // keeps the allocation
        m_bodyRead = 0;
    }
    if (!m_paused || Available() > kBufferLimit / 2 || !m_curl->attached)
        return;
    if (m_bodyRead > 0) {
        m_body.remove(0, m_bodyRead);
        m_bodyRead = 0;
    }
    m_paused = false;
    m_lastActivity = Clock::now();
    // May hand over what libcurl held back at once, and schedules the rest on its timer.
    curl_easy_pause(m_curl->easy.get(), CURLPAUSE_CONT);
}

void HttpTransfer::Cancel()
{
    m_curl->Detach();
    m_finished = true;
    m_paused = false;
    m_body.clear();
    m_bodyRead = 0;
}

std::size_t HttpTransfer::TakeBody(const char* data, std::size_t size)
{
    if (Available() >= kBufferLimit) {
        m_paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    m_lastActivity = Clock::now();
    if (m_bodyRead > 0 && m_bodyRead >= m_body.size() / 2) {
        m_body.remove(0, m_bodyRead);
        m_bodyRead = 0;
    }
    m_body.append(data, qsizetype(size));
    m_changed = true;
    return size;
}

bool HttpTransfer::TakeHeaderLine(const char* data, std::size_t size)
{
    const QByteArray line(data, qsizetype(size));
    // A final answer after an informational one ("100 Continue") replaces it.
    if (m_blockEnded && line.startsWith("HTTP/")) {
        m_head.clear();
        m_blockEnded = false;
        m_contentLength.reset();
    }
    m_head += line;
    if (!CheckContentLength(line))
        return false;
    if (isBlankLine(line)) {
        m_blockEnded = true;
        m_headDone = !isInformationalStatusLine(m_head);
        if (m_headDone) {
            if (GetHeader(QStringLiteral("Transfer-Encoding")).contains(QLatin1String("chunked"), Qt::CaseInsensitive))
                m_contentLength.reset(); // the chunks say where the body ends
            m_lastActivity = Clock::now();
            m_changed = true;
        }
    }
    return true;
}

// A length must be one plain number, the same in every Content-Length line.
bool HttpTransfer::CheckContentLength(const QByteArray& line)
{
    const auto value = headerValue(line, "content-length");
    if (!value)
        return true;
    const auto length = plainLength(*value);
    if (length && (!m_contentLength || *m_contentLength == *length)) {
        m_contentLength = length;
        return true;
    }
    m_failure.emplace(int(CURLE_WEIRD_SERVER_REPLY), Describe(CURLE_WEIRD_SERVER_REPLY, false));
    return false;
}

std::string HttpTransfer::Describe(int curlCode, bool headEnded)
{
    switch (curlCode) {
    case CURLE_URL_MALFORMAT:
        return withCode("The address is not valid", curlCode);
    case CURLE_COULDNT_RESOLVE_PROXY:
        return withCode("The proxy server's name cannot be found", curlCode);
    case CURLE_COULDNT_RESOLVE_HOST:
        return withCode("The server's name cannot be found", curlCode);
    case CURLE_COULDNT_CONNECT:
        return withCode("The server cannot be reached", curlCode);
    case CURLE_OPERATION_TIMEDOUT:
        return withCode("The server does not answer", curlCode);
    case CURLE_GOT_NOTHING:
        return withCode("The server closed the connection without an answer", curlCode);
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
        return withCode("The answer was cut off", curlCode);
    case CURLE_UNSUPPORTED_PROTOCOL: // an answer without a status line (HTTP/0.9)
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_BAD_CONTENT_ENCODING:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
        return withCode("The answer is not valid HTTP", curlCode);
    case CURLE_OUT_OF_MEMORY:
    case CURLE_BAD_FUNCTION_ARGUMENT:
        // Before the head ended these mean a head line too long or too broken to hold.
        return headEnded ? withCode("There is not enough memory for the download", curlCode)
                         : withCode("The answer is not valid HTTP", curlCode);
    case CURLE_PEER_FAILED_VERIFICATION:
        return withCode("The server's certificate is not trusted", curlCode);
    case CURLE_SSL_CONNECT_ERROR:
        return withCode("A secure connection with the server cannot be set up", curlCode);
    case CURLE_SSL_CACERT_BADFILE:
        return withCode("This computer's trusted certificates cannot be read", curlCode);
    default:
        return withCode("The download failed", curlCode);
    }
}

} // namespace host
