#include "HttpTransfer.h"

#include "Platform.h"

#include <QByteArrayList>

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <mutex>

namespace host {

namespace {

// Enough to keep the socket busy between two reads of the caller, small enough not to matter.
constexpr qsizetype kBufferLimit = 128 * 1024;
constexpr long kReadBufferBytes = 64 * 1024;
// How long one wait sleeps on the sockets before window messages get their turn.
constexpr int kWaitSliceMs = 10;

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

bool isInformationalStatusLine(const QByteArray& line)
{
    return line.startsWith("HTTP/") && line.size() > 9 && line[9] == '1';
}

bool isBlankLine(const QByteArray& line) { return line == "\r\n" || line == "\n"; }

void checkUrl(const QByteArray& url)
{
    const std::unique_ptr<CURLU, UrlDeleter> parsed(curl_url());
    const CURLUcode code = curl_url_set(parsed.get(), CURLUPART_URL, url.constData(), 0);
    if (code != CURLUE_OK)
        throw RuntimeError(CURLE_URL_MALFORMAT, curl_url_strerror(code));
}

} // namespace

struct HttpTransfer::Curl {
    std::unique_ptr<CURLM, MultiDeleter> multi{curl_multi_init()};
    std::unique_ptr<CURL, EasyDeleter> easy;
    std::unique_ptr<curl_slist, ListDeleter> headers;
    std::array<char, CURL_ERROR_SIZE> error{};
    QByteArray url, userName, password;
    bool attached = false;

    void Detach()
    {
        if (attached)
            curl_multi_remove_handle(multi.get(), easy.get());
        attached = false;
        easy.reset();
        headers.reset();
    }
    ~Curl() { Detach(); }
};

HttpTransfer::Timeouts HttpTransfer::DefaultTimeouts() { return g_timeouts; }

void HttpTransfer::SetDefaultTimeouts(const Timeouts& timeouts) { g_timeouts = timeouts; }

HttpTransfer::HttpTransfer()
{
    initialiseCurlOnce();
    m_curl = std::make_unique<Curl>();
    if (!m_curl->multi)
        throw RuntimeError(CURLE_OUT_OF_MEMORY, curl_easy_strerror(CURLE_OUT_OF_MEMORY));
}

HttpTransfer::~HttpTransfer() = default;

void HttpTransfer::Execute(const QString& operation, const QString& extraHeaders)
{
    Cancel();
    m_head.clear();
    m_headDone = m_blockEnded = m_paused = m_finished = m_interrupted = false;
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
        throw RuntimeError(CURLE_OUT_OF_MEMORY, curl_easy_strerror(CURLE_OUT_OF_MEMORY));
    for (const QString& line : extraHeaders.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        curl_slist* grown = curl_slist_append(c.headers.get(), line.toLatin1().constData());
        if (!grown)
            throw RuntimeError(CURLE_OUT_OF_MEMORY, curl_easy_strerror(CURLE_OUT_OF_MEMORY));
        c.headers.release();
        c.headers.reset(grown);
    }
    c.error.fill('\0');

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
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, c.error.data());
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &HttpTransfer::OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &HttpTransfer::OnHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, this);
    if (!m_userName.isEmpty() || !m_password.isEmpty()) {
        c.userName = m_userName.toUtf8();
        c.password = m_password.toUtf8();
        curl_easy_setopt(e, CURLOPT_USERNAME, c.userName.constData());
        curl_easy_setopt(e, CURLOPT_PASSWORD, c.password.constData());
    }
    m_lastActivity = Clock::now();
    m_idleLimit = g_timeouts.idle;
    const CURLMcode added = curl_multi_add_handle(c.multi.get(), e);
    if (added != CURLM_OK)
        throw RuntimeError(CURLE_FAILED_INIT, curl_multi_strerror(added));
    c.attached = true;
    Drive(false);
}

// Moves the transfer on; with sleep, first waits up to one slice for its sockets. Returns
// false once the request has ended.
bool HttpTransfer::Drive(bool sleep)
{
    if (m_finished || !m_curl->attached)
        return false;
    CURLM* multi = m_curl->multi.get();
    if (sleep)
        curl_multi_poll(multi, nullptr, 0, kWaitSliceMs, nullptr);
    int running = 0;
    curl_multi_perform(multi, &running);
    EndIfIdleTooLong();
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        m_finished = true;
        const CURLcode result = message->data.result;
        if (result != CURLE_OK) {
            const char* detail = m_curl->error[0] ? m_curl->error.data() : curl_easy_strerror(result);
            m_failure.emplace(int(result), detail);
        }
    }
    return !m_finished;
}

// curl's own speed limit averages over several seconds; a server that goes quiet is caught
// here after exactly the idle time. A transfer we paused ourselves is not the server's fault.
void HttpTransfer::EndIfIdleTooLong()
{
    if (m_finished || m_paused || Clock::now() - m_lastActivity < m_idleLimit)
        return;
    m_curl->Detach();
    m_finished = true;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(m_idleLimit).count();
    m_failure.emplace(int(CURLE_OPERATION_TIMEDOUT), std::string(curl_easy_strerror(CURLE_OPERATION_TIMEDOUT))
                                                         + ": nothing received for " + std::to_string(seconds) + " s");
}

bool HttpTransfer::StillExecuting()
{
    if (m_headDone || m_interrupted || !Drive(false))
        return false;
    if (m_headDone)
        return false;
    Drive(true);
    return !m_headDone && !m_finished && !m_interrupted;
}

QString HttpTransfer::GetHeader() const
{
    if (!m_headDone && m_failure)
        throw *m_failure;
    return QString::fromLatin1(m_head);
}

QString HttpTransfer::GetHeader(const QString& name) const
{
    const QByteArray wanted = name.toLatin1().toLower() + ':';
    for (const QByteArray& line : m_head.split('\n')) {
        if (line.toLower().startsWith(wanted))
            return QString::fromLatin1(line.mid(wanted.size()).trimmed());
    }
    return {};
}

QByteArray HttpTransfer::GetChunk(int maxBytes)
{
    // Whole pieces until the body ends, so a short piece always means its end.
    const qsizetype wanted = std::clamp<qsizetype>(maxBytes, 1, kBufferLimit);
    for (bool first = true; m_body.size() - m_bodyRead < wanted; first = false) {
        if (m_interrupted)
            return {};
        ResumeIfDrained();
        if (!Drive(!first))
            break;
        if (!first && m_body.size() - m_bodyRead < wanted)
            DoEvents();
    }
    if (m_interrupted)
        return {};
    const qsizetype size = std::min<qsizetype>(wanted, m_body.size() - m_bodyRead);
    QByteArray chunk = m_body.mid(m_bodyRead, size);
    m_bodyRead += size;
    ResumeIfDrained();
    return chunk;
}

void HttpTransfer::ResumeIfDrained()
{
    if (m_bodyRead == m_body.size()) {
        m_body.resize(0); // keeps the allocation
        m_bodyRead = 0;
    }
    if (!m_paused || m_body.size() - m_bodyRead > kBufferLimit / 2 || !m_curl->attached)
        return;
    if (m_bodyRead > 0) {
        m_body.remove(0, m_bodyRead);
        m_bodyRead = 0;
    }
    m_paused = false;
    m_lastActivity = Clock::now();
    curl_easy_pause(m_curl->easy.get(), CURLPAUSE_CONT);
}

bool HttpTransfer::EndedCleanly() const { return m_finished && !m_failure; }

std::optional<RuntimeError> HttpTransfer::Failure() const { return m_failure; }

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
    m_lastActivity = Clock::now();
    if (m_body.size() - m_bodyRead >= kBufferLimit) {
        m_paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (m_bodyRead > 0 && m_bodyRead >= m_body.size() / 2) {
        m_body.remove(0, m_bodyRead);
        m_bodyRead = 0;
    }
    m_body.append(data, qsizetype(size));
    return size;
}

void HttpTransfer::TakeHeaderLine(const char* data, std::size_t size)
{
    m_lastActivity = Clock::now();
    const QByteArray line(data, qsizetype(size));
    // A final answer after an informational one ("100 Continue") replaces it.
    if (m_blockEnded && line.startsWith("HTTP/")) {
        m_head.clear();
        m_blockEnded = false;
    }
    m_head += line;
    if (isBlankLine(line)) {
        m_blockEnded = true;
        m_headDone = !isInformationalStatusLine(m_head);
    }
}

std::size_t HttpTransfer::OnBody(char* data, std::size_t size, std::size_t count, void* self)
{
    return static_cast<HttpTransfer*>(self)->TakeBody(data, size * count);
}

std::size_t HttpTransfer::OnHeader(char* data, std::size_t size, std::size_t count, void* self)
{
    static_cast<HttpTransfer*>(self)->TakeHeaderLine(data, size * count);
    return size * count;
}

} // namespace host
