#include "GstPlaybackEngine.h"

#include "GstPipelineThread.h"

#include <gst/audio/streamvolume.h>
#include <gst/gst.h>

#include <QMetaObject>
#include <QtGlobal>

#include <algorithm>
#include <cstdlib>
#include <mutex>

namespace host {

namespace {

// playbin flags: audio with software volume; no video or subtitle windows. Progressive
// download to a temporary file is left off: it made seeking to a place not yet arrived
// take seconds, and a stall stopped playing what had arrived. Without it, GStreamer's Ogg
// demuxer sometimes cannot seek in a web stream (it fails to find the length); MP3, which
// the catalogue serves, always can.
constexpr guint PlayAudio = 0x2;
constexpr guint PlaySoftVolume = 0x10;

constexpr double SlowestRate = 0.75;
constexpr double FastestRate = 2.0;

// A web source waits this long for a silent server before it gives up on a read; its own
// retries are kept to one, since the engine reopens broken streams itself.
constexpr guint WebTimeoutSeconds = 8;
constexpr int WebRetries = 1;
// A source that gave up no sooner than this after the request got a connection but no answer.
constexpr std::chrono::seconds SilentServerAfter{WebTimeoutSeconds - 2};

constexpr std::chrono::milliseconds FirstRetryDelay{250};
// Kept short: the server's return should be heard within a couple of seconds.
constexpr std::chrono::milliseconds LongestRetryDelay{1500};
// While a broken stream plays out its buffer, the position is watched; when it stops
// moving for this many ticks the buffer is spent.
constexpr std::chrono::milliseconds DrainTick{250};
constexpr int DrainedAfterStillTicks = 4;
// Some demuxers learn late whether a web stream can seek (Ogg reads its end first, with a
// range request, to find the length): they are asked again for a while.
constexpr std::chrono::milliseconds FactsTick{200};
constexpr int FactsTicks = 15;
constexpr std::chrono::milliseconds SeekWatchTick{100};
constexpr std::chrono::milliseconds SeekLandedWithin{2000};
// The pipeline's thread waits this long for a state change to settle around a seek.
constexpr GstClockTime SettleWait = 1500 * GST_MSECOND;

QString describeError(const GError* error)
{
    if (error->domain == GST_RESOURCE_ERROR) {
        switch (error->code) {
        case GST_RESOURCE_ERROR_NOT_FOUND:
            return QStringLiteral("not found");
        case GST_RESOURCE_ERROR_NOT_AUTHORIZED:
            return QStringLiteral("access denied");
        // The web source tries to resume a broken transfer with a range request; a server
        // that cannot answer it ends here, and the user should hear why, not how.
        case GST_RESOURCE_ERROR_SEEK:
        case GST_RESOURCE_ERROR_READ:
            return QStringLiteral("the recording broke off");
        default:
            break;
        }
    } else if (error->domain == GST_STREAM_ERROR) {
        switch (error->code) {
        case GST_STREAM_ERROR_TYPE_NOT_FOUND:
        case GST_STREAM_ERROR_WRONG_TYPE:
        case GST_STREAM_ERROR_CODEC_NOT_FOUND:
        case GST_STREAM_ERROR_DECODE:
        case GST_STREAM_ERROR_DEMUX:
        case GST_STREAM_ERROR_FORMAT:
            return QStringLiteral("not a recording that can be played");
        default:
            break;
        }
    } else if (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN) {
        return QStringLiteral("unsupported address or format");
    }
    return QString::fromUtf8(error->message).trimmed();
}

bool HasProperty(GObject* object, const char* name)
{
    return g_object_class_find_property(G_OBJECT_GET_CLASS(object), name) != nullptr;
}

// A server that answers a range request with the whole file cannot be seeked in, and the web
// source would only find out on the first seek, with an error. Servers that honour ranges say
// so; one that does not is taken not to.
bool AcceptsRanges(const GstStructure* headers)
{
    bool accepts = false;
    gst_structure_foreach(
        headers,
        [](GQuark field, const GValue* value, gpointer data) -> gboolean {
            if (g_ascii_strcasecmp(g_quark_to_string(field), "Accept-Ranges") == 0 && G_VALUE_HOLDS_STRING(value))
                *static_cast<bool*>(data) = g_ascii_strcasecmp(g_value_get_string(value), "bytes") == 0;
            return TRUE;
        },
        &accepts);
    return accepts;
}

} // namespace

// Streaming threads post to the bus of a pipeline that may outlive its engine; they reach
// the engine only through this, which the engine cuts off when it goes.
struct GstPlaybackEngine::Relay {
    std::mutex mutex;
    GstPlaybackEngine* engine = nullptr;
};

namespace {

// A pipeline gives up waiting for a state change after this long and is replaced.
constexpr std::chrono::seconds StuckAfter{3};
constexpr std::chrono::seconds SilentStartRetryAfter{5};

struct BusContext {
    std::shared_ptr<GstPlaybackEngine::Relay> relay;
    GstElement* playbin; // not owned: the bus dies with it
    // The media the pipeline is playing; moved on by the pipeline's thread only once the
    // previous media has stopped, so its last words are never taken for the next one's.
    std::shared_ptr<std::atomic<unsigned>> generation;
    // The web server answered without offering ranges. Set on the source's own thread
    // before any data flows, so the demuxer never learns otherwise.
    std::atomic<bool> rangesRefused{false};
};

bool RefusesRanges(GstMessage* headersMessage)
{
    const GstStructure* structure = gst_message_get_structure(headersMessage);
    guint status = 0;
    if (!gst_structure_get_uint(structure, "http-status-code", &status) || status != 200)
        return false;
    const GstStructure* response = nullptr;
    if (!gst_structure_get(structure, "response-headers", GST_TYPE_STRUCTURE, &response, nullptr) || !response)
        return true;
    const bool accepts = AcceptsRanges(response);
    gst_structure_free(const_cast<GstStructure*>(response));
    return !accepts;
}

// The web source calls itself seekable whenever it knows the length; a demuxer that takes it
// at its word (Ogg looks for its end with a range request) fails on a server that answers
// with the whole file again. Such a source is made to say it cannot seek.
GstPadProbeReturn AnswerSeekingForSource(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    GstQuery* query = GST_PAD_PROBE_INFO_QUERY(info);
    if (GST_QUERY_TYPE(query) != GST_QUERY_SEEKING || !static_cast<BusContext*>(data)->rangesRefused)
        return GST_PAD_PROBE_OK;
    GstFormat format = GST_FORMAT_UNDEFINED;
    gst_query_parse_seeking(query, &format, nullptr, nullptr, nullptr);
    gst_query_set_seeking(query, format, FALSE, 0, -1);
    return GST_PAD_PROBE_HANDLED;
}

bool IsWanted(GstMessage* message, GstElement* playbin)
{
    const bool fromPlaybin = GST_MESSAGE_SRC(message) == GST_OBJECT(playbin);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR:
    case GST_MESSAGE_EOS:
    case GST_MESSAGE_BUFFERING:
    case GST_MESSAGE_DURATION_CHANGED:
        return true;
    case GST_MESSAGE_ELEMENT:
        return gst_message_has_name(message, "http-headers");
    case GST_MESSAGE_STATE_CHANGED:
    case GST_MESSAGE_ASYNC_DONE:
        return fromPlaybin;
    default:
        return false;
    }
}

void SetUpSource(GstElement* /*playbin*/, GstElement* source, gpointer data)
{
    if (HasProperty(G_OBJECT(source), "timeout"))
        g_object_set(source, "timeout", WebTimeoutSeconds, nullptr);
    if (HasProperty(G_OBJECT(source), "retries"))
        g_object_set(source, "retries", WebRetries, nullptr);
    auto* context = static_cast<BusContext*>(data);
    context->rangesRefused = false;
    if (GstPad* pad = gst_element_get_static_pad(source, "src")) {
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_QUERY_UPSTREAM, AnswerSeekingForSource, context, nullptr);
        gst_object_unref(pad);
    }
}

template <typename Call>
void CallEngine(const std::shared_ptr<GstPlaybackEngine::Relay>& relay, Call call)
{
    std::lock_guard lock(relay->mutex);
    if (GstPlaybackEngine* engine = relay->engine)
        QMetaObject::invokeMethod(engine, [engine, call] { call(engine); }, Qt::QueuedConnection);
}

} // namespace

void GstPlaybackEngine::InitializeOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        gst_init(nullptr, nullptr);
        // The mpg123 decoder starts MP3 sooner and with less memory than the default.
        if (GstPluginFeature* mpg123 = gst_registry_lookup_feature(gst_registry_get(), "mpg123audiodec")) {
            gst_plugin_feature_set_rank(mpg123, GST_RANK_PRIMARY + 1);
            gst_object_unref(mpg123);
        }
    });
}

GstPlaybackEngine::GstPlaybackEngine(const QString& audioSink, std::chrono::milliseconds reconnectPeriod)
    : m_audioSink(audioSink), m_reconnectPeriod(reconnectPeriod), m_relay(std::make_shared<Relay>())
{
    InitializeOnce();
    m_relay->engine = this;
    m_drainWatch.setInterval(DrainTick);
    connect(&m_drainWatch, &QTimer::timeout, this, &GstPlaybackEngine::watchDrain);
    m_factsWatch.setInterval(FactsTick);
    connect(&m_factsWatch, &QTimer::timeout, this, &GstPlaybackEngine::watchMediaFacts);
    m_seekWatch.setInterval(SeekWatchTick);
    connect(&m_seekWatch, &QTimer::timeout, this, &GstPlaybackEngine::watchSeek);
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &GstPlaybackEngine::reconnect);
}

GstPlaybackEngine::~GstPlaybackEngine()
{
    {
        std::lock_guard lock(m_relay->mutex);
        m_relay->engine = nullptr;
    }
    if (m_pipeline)
        m_pipeline->Retire();
}

GstElement* GstPlaybackEngine::makePlaybin(const std::shared_ptr<std::atomic<unsigned>>& generation)
{
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (!playbin)
        return nullptr;
    gst_object_ref_sink(playbin);
    g_object_set(playbin, "flags", PlayAudio | PlaySoftVolume, nullptr);
    gst_stream_volume_set_volume(GST_STREAM_VOLUME(playbin), GST_STREAM_VOLUME_FORMAT_CUBIC, m_volume);
    // Keeps the pitch when the speed changes; at normal speed it passes audio through.
    if (GstElement* tempo = gst_element_factory_make("scaletempo", nullptr))
        g_object_set(playbin, "audio-filter", tempo, nullptr);
    if (GstElement* sink = makeOutput()) {
        g_object_set(playbin, "audio-sink", sink, nullptr);
        gst_object_unref(sink);
    }
    auto* context = new BusContext{m_relay, playbin, generation};
    g_signal_connect(playbin, "source-setup", G_CALLBACK(SetUpSource), context);

    GstBus* bus = gst_element_get_bus(playbin);
    gst_bus_set_sync_handler(
        bus,
        [](GstBus*, GstMessage* message, gpointer data) -> GstBusSyncReply {
            // A message dropped here is ours to free: each one left would be kept for good
            // (a pause, seek and resume posts dozens).
            std::shared_ptr<GstMessage> held(message, gst_message_unref);
            auto* context = static_cast<BusContext*>(data);
            if (!IsWanted(message, context->playbin))
                return GST_BUS_DROP;
            if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ELEMENT)
                context->rangesRefused = RefusesRanges(message);
            // Streaming threads post here; the message is handled on the UI thread.
            CallEngine(context->relay, [held, generation = context->generation->load()](GstPlaybackEngine* engine) {
                engine->handleMessage(held.get(), generation);
            });
            return GST_BUS_DROP;
        },
        context, [](gpointer data) { delete static_cast<BusContext*>(data); });
    gst_object_unref(bus);
    return playbin;
}

namespace {

// The desktop's output: the first audio sink, by rank, that opens a device. An output
// library can be installed with nothing behind it (OpenAL on a machine without a sound
// card); a pipeline given it waited in buffering for good. With no output that opens, the
// recording plays silently (the program still works, and says why once).
GstElement* MakeWorkingOutput()
{
    GList* factories = gst_element_factory_list_get_elements(
        GST_ELEMENT_FACTORY_TYPE_SINK | GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO, GST_RANK_MARGINAL);
    factories = g_list_sort(factories, gst_plugin_feature_rank_compare_func);
    GstElement* output = nullptr;
    for (GList* item = factories; item && !output; item = item->next) {
        GstElement* sink = gst_element_factory_create(GST_ELEMENT_FACTORY(item->data), nullptr);
        if (!sink)
            continue;
        gst_object_ref_sink(sink);
        const bool opens = gst_element_set_state(sink, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS;
        gst_element_set_state(sink, GST_STATE_NULL);
        if (opens)
            output = sink;
        else
            gst_object_unref(sink);
    }
    gst_plugin_feature_list_free(factories);
    if (output)
        return output;
    static std::once_flag warned;
    std::call_once(warned, [] { qWarning("No sound output: recordings play silently"); });
    output = gst_element_factory_make("fakesink", nullptr);
    if (output) {
        gst_object_ref_sink(output);
        g_object_set(output, "sync", TRUE, nullptr);
    }
    return output;
}

} // namespace

// The caller owns the reference returned.
GstElement* GstPlaybackEngine::makeOutput() const
{
    if (m_audioSink.isEmpty())
        return MakeWorkingOutput();
    GError* error = nullptr;
    GstElement* sink = gst_parse_bin_from_description(m_audioSink.toUtf8().constData(), TRUE, &error);
    g_clear_error(&error);
    if (sink)
        gst_object_ref_sink(sink);
    return sink;
}

// Whatever the pipeline still says belongs to media that is gone.
void GstPlaybackEngine::forgetMedia()
{
    ++m_generation;
    m_buffering = false;
    m_prerolled = false;
    m_seekingTo = -1;
    m_seekWatch.stop();
    m_holdForStartMs = -1;
    m_mediaRate = 1.0;
    m_drainWatch.stop();
    m_factsWatch.stop();
    m_draining = false;
    if (m_canSeek || m_durationMs >= 0 || m_rangesAccepted) {
        m_canSeek = false;
        m_rangesAccepted = false;
        m_durationMs = -1;
        emit mediaChanged();
    }
}

void GstPlaybackEngine::toNullState()
{
    forgetMedia();
    setState(GST_STATE_NULL);
}

void GstPlaybackEngine::setState(int state)
{
    if (m_pipeline)
        m_pipeline->SetState(GstState(state));
}

// The pipeline is kept from one title to the next (it starts sooner), unless it is stuck.
bool GstPlaybackEngine::ensurePipeline()
{
    if (m_pipeline && m_pipeline->IsStuck(StuckAfter)) {
        m_pipeline->Retire();
        m_pipeline.reset();
    }
    if (m_pipeline)
        return true;
    m_busGeneration = std::make_shared<std::atomic<unsigned>>(m_generation);
    if (GstElement* playbin = makePlaybin(m_busGeneration))
        m_pipeline = GstPipelineThread::Start(playbin);
    return bool(m_pipeline);
}

void GstPlaybackEngine::report(PlaybackState state, int percent, const QString& message)
{
    m_state = state;
    emit stateChanged(state, percent, message);
}

void GstPlaybackEngine::fail(const QString& message)
{
    stopReconnecting();
    toNullState();
    report(PlaybackState::Failed, 0, message);
}

void GstPlaybackEngine::Open(const QString& uri, qint64 startMs)
{
    stopReconnecting();
    m_startRetried = false;
    m_userPaused = false;
    start(uri, startMs);
}

// Now and then a recording from a fast server stalls GStreamer before it plays (seen with
// the whole file already arrived and the demuxer looking for its end), or the pipeline is
// still stuck taking the previous media down; nothing more comes, ever. Starting once more
// (on a fresh pipeline when the old one is stuck) is what the user would do.
void GstPlaybackEngine::retryIfSilent(unsigned generation, unsigned news)
{
    const bool starting = m_state == PlaybackState::Connecting || m_state == PlaybackState::Buffering;
    if (generation != m_generation || !starting)
        return;
    if (news != m_news) {
        watchStart(); // still talking: look again later
        return;
    }
    if (!m_startRetried) {
        m_startRetried = true;
        start(m_uri, m_holdForStartMs);
        return;
    }
    // Silent twice although the recording arrived: what is left is the output, which
    // nothing will bring back. Without the recording, the web source's time-out says why.
    const bool arrived = !isWeb() || (m_httpStatus >= 200 && m_httpStatus < 300);
    if (!arrived)
        watchStart();
    else
        fail(m_audioSink.isEmpty() ? QStringLiteral("No sound output") : QStringLiteral("the recording does not start"));
}

void GstPlaybackEngine::watchStart()
{
    QTimer::singleShot(SilentStartRetryAfter, this,
                       [this, generation = m_generation, news = m_news] { retryIfSilent(generation, news); });
}

// startMs > 0: the media prerolls paused and plays once it has been moved there.
void GstPlaybackEngine::start(const QString& uri, qint64 startMs)
{
    forgetMedia(); // the pipeline's own work below stops the old media first
    if (!ensurePipeline()) {
        report(PlaybackState::Failed, 0, QStringLiteral("the player is not installed"));
        return;
    }
    m_httpStatus = -1;
    m_uri = uri;
    m_holdForStartMs = startMs > 0 ? startMs : -1;
    m_requestedAt = std::chrono::steady_clock::now();
    if (!m_reconnecting)
        report(PlaybackState::Connecting);
    watchStart();
    const GstState target = m_holdForStartMs >= 0 ? GST_STATE_PAUSED : GST_STATE_PLAYING;
    m_pipeline->Post([uri = uri.toUtf8(), target, generation = m_generation, busGeneration = m_busGeneration,
                      relay = m_relay](GstElement* playbin) {
        gst_element_set_state(playbin, GST_STATE_NULL);
        busGeneration->store(generation);
        g_object_set(playbin, "uri", uri.constData(), nullptr);
        if (gst_element_set_state(playbin, target) == GST_STATE_CHANGE_FAILURE)
            CallEngine(relay, [generation](GstPlaybackEngine* engine) { engine->openFailed(generation); });
    });
}

// The bus has usually said why by now; this stands when it has not.
void GstPlaybackEngine::openFailed(unsigned generation)
{
    if (generation == m_generation && m_state == PlaybackState::Connecting)
        report(PlaybackState::Failed, 0, QStringLiteral("cannot open this address"));
}

void GstPlaybackEngine::Close()
{
    stopReconnecting();
    m_userPaused = false;
    toNullState();
    if (m_state != PlaybackState::Stopped)
        report(PlaybackState::Stopped);
}

void GstPlaybackEngine::Pause()
{
    if (m_state == PlaybackState::Reconnecting) {
        m_userPaused = true;
        waitForResume();
        report(PlaybackState::Paused);
        return;
    }
    if (m_state != PlaybackState::Playing && m_state != PlaybackState::Buffering)
        return;
    m_userPaused = true;
    setState(GST_STATE_PAUSED);
    report(PlaybackState::Paused);
}

void GstPlaybackEngine::Resume()
{
    if (m_state != PlaybackState::Paused)
        return;
    m_userPaused = false;
    if (m_reopenOnResume) {
        reopenBroken();
        return;
    }
    if (m_buffering) {
        report(PlaybackState::Buffering, m_bufferPercent); // plays once the buffer is full
        return;
    }
    setState(GST_STATE_PLAYING); // Playing is reported when the pipeline gets there
}

bool GstPlaybackEngine::Seek(qint64 ms)
{
    if (m_reopenOnResume) { // goes on from there once resumed
        m_resumeAtMs = std::max<qint64>(ms, 0);
        emit seeked(m_resumeAtMs);
        return true;
    }
    if (!m_canSeek)
        return false;
    ms = std::max<qint64>(ms, 0); // past the end it simply finishes; the length may be an estimate
    switch (m_state) {
    case PlaybackState::Playing:
    case PlaybackState::Paused:
    case PlaybackState::Buffering:
        seekTo(ms, SeekKind::Asked);
        return true;
    case PlaybackState::Reconnecting:
        m_resumeAtMs = ms; // goes on from there once the server is back
        return true;
    default:
        return false;
    }
}

// A seek is sent once a pending state change (a pause) has settled, and has landed when the
// pipeline settles again; both waits are on the pipeline's thread. The bus alone cannot
// tell a pause's end from a seek's.
void GstPlaybackEngine::seekTo(qint64 ms, SeekKind kind)
{
    m_seekingTo = ms;
    m_seekKind = kind;
    m_seekSent = false;
    m_seekWatch.stop();
    m_seekSeqnum = gst_util_seqnum_next();
    m_mediaRate = m_rate;
    m_pipeline->Post([ms, rate = m_rate, seqnum = m_seekSeqnum, generation = m_generation,
                      relay = m_relay](GstElement* playbin) {
        gst_element_get_state(playbin, nullptr, nullptr, SettleWait);
        const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
        if (!gst_element_seek(playbin, rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, ms * GST_MSECOND,
                              GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE)) {
            CallEngine(relay, [generation](GstPlaybackEngine* engine) { engine->seekFailed(generation); });
            return;
        }
        CallEngine(relay, [generation, seqnum](GstPlaybackEngine* engine) { engine->seekSent(generation, seqnum); });
        const bool settled =
            gst_element_get_state(playbin, nullptr, nullptr, SettleWait) != GST_STATE_CHANGE_ASYNC;
        CallEngine(relay, [generation, seqnum, settled](GstPlaybackEngine* engine) {
            engine->seekSettled(generation, seqnum, settled);
        });
    });
}

void GstPlaybackEngine::seekSent(unsigned generation, quint32 seqnum)
{
    if (generation == m_generation && seqnum == m_seekSeqnum)
        m_seekSent = true;
}

void GstPlaybackEngine::seekSettled(unsigned generation, quint32 seqnum, bool settled)
{
    if (generation != m_generation || seqnum != m_seekSeqnum || m_seekingTo < 0)
        return; // a later seek is under way, or this one has landed
    if (settled && isNearSeekTarget())
        seekLanded();
    else
        m_seekWatch.start(); // still under way; its news may come, or may have come already
}

// Some demuxers take a seek in their own time (Ogg over the web): the pipeline looks settled
// before it has moved.
bool GstPlaybackEngine::isNearSeekTarget() const
{
    const qint64 position = queryPositionMs();
    return position >= 0 && std::abs(position - m_seekingTo) <= SeekLandedWithin.count();
}

void GstPlaybackEngine::watchSeek()
{
    if (m_seekingTo < 0 || !m_pipeline) {
        m_seekWatch.stop();
        return;
    }
    if (gst_element_get_state(m_pipeline->Pipeline(), nullptr, nullptr, 0) == GST_STATE_CHANGE_SUCCESS
        && isNearSeekTarget())
        seekLanded();
}

void GstPlaybackEngine::seekFailed(unsigned generation)
{
    if (generation != m_generation)
        return;
    m_seekingTo = -1;
    m_mediaRate = 1.0;
    if (m_holdForStartMs >= 0) { // plays from the start instead
        m_holdForStartMs = -1;
        if (wantsToPlay() && !m_buffering)
            setState(GST_STATE_PLAYING);
    }
}

void GstPlaybackEngine::SetVolume(double volume)
{
    m_volume = std::clamp(volume, 0.0, 1.0);
    if (m_pipeline)
        gst_stream_volume_set_volume(GST_STREAM_VOLUME(m_pipeline->Pipeline()), GST_STREAM_VOLUME_FORMAT_CUBIC,
                                     m_volume);
}

// The speed changes with a seek to where playback is; media that cannot seek keeps its
// speed, and the new one applies from the next media that can.
void GstPlaybackEngine::SetRate(double rate)
{
    m_rate = std::clamp(rate, SlowestRate, FastestRate);
    const bool settled = m_prerolled && m_seekingTo < 0 && m_holdForStartMs < 0;
    if (!settled || !m_canSeek || m_rate == m_mediaRate)
        return; // applied once the media has prerolled
    if (m_state == PlaybackState::Playing || m_state == PlaybackState::Paused || m_state == PlaybackState::Buffering)
        seekTo(std::max<qint64>(queryPositionMs(), 0), SeekKind::Rate);
}

qint64 GstPlaybackEngine::queryPositionMs() const
{
    gint64 position = 0;
    if (m_pipeline && gst_element_query_position(m_pipeline->Pipeline(), GST_FORMAT_TIME, &position))
        return position / GST_MSECOND;
    return -1;
}

qint64 GstPlaybackEngine::PositionMs() const
{
    switch (m_state) {
    // Closed media may take a moment to stop on its own thread; it has no position now.
    case PlaybackState::Stopped:
    case PlaybackState::Finished:
    case PlaybackState::Failed:
        return -1;
    case PlaybackState::Reconnecting:
        return m_resumeAtMs;
    default:
        break;
    }
    if (m_reopenOnResume)
        return m_resumeAtMs;
    if (m_draining && m_lastPositionMs >= 0)
        return std::max(m_lastPositionMs, queryPositionMs());
    // Until a seek lands the pipeline still tells the old place, or none.
    if (m_seekingTo >= 0)
        return m_seekingTo;
    if (m_holdForStartMs >= 0)
        return m_holdForStartMs;
    return queryPositionMs();
}

bool GstPlaybackEngine::wantsToPlay() const
{
    return !m_userPaused && m_holdForStartMs < 0;
}

bool GstPlaybackEngine::isWeb() const
{
    return m_uri.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || m_uri.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

void GstPlaybackEngine::refreshMediaFacts()
{
    if (!m_pipeline)
        return;
    GstElement* playbin = m_pipeline->Pipeline();
    gint64 duration = -1;
    const qint64 durationMs = gst_element_query_duration(playbin, GST_FORMAT_TIME, &duration) && duration >= 0
        ? duration / GST_MSECOND
        : -1;
    bool canSeek = false;
    if (GstQuery* query = gst_query_new_seeking(GST_FORMAT_TIME)) {
        gboolean seekable = FALSE;
        if (gst_element_query(playbin, query))
            gst_query_parse_seeking(query, nullptr, &seekable, nullptr, nullptr);
        gst_query_unref(query);
        canSeek = seekable && (!isWeb() || m_rangesAccepted);
    }
    if (durationMs == m_durationMs && canSeek == m_canSeek)
        return;
    m_durationMs = durationMs;
    m_canSeek = canSeek;
    emit mediaChanged();
}

void GstPlaybackEngine::handleMessage(GstMessage* message, unsigned generation)
{
    if (generation != m_generation)
        return; // from media that has been closed since
    ++m_news;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR:
        handleError(message);
        break;
    case GST_MESSAGE_EOS:
        handleEndOfStream();
        break;
    case GST_MESSAGE_BUFFERING: {
        gint percent = 100;
        gst_message_parse_buffering(message, &percent);
        handleBuffering(percent);
        break;
    }
    case GST_MESSAGE_ELEMENT:
        handleHttpHeaders(message);
        break;
    case GST_MESSAGE_STATE_CHANGED:
        handleStateChanged(message);
        break;
    case GST_MESSAGE_ASYNC_DONE:
        if (m_seekingTo < 0)
            handlePrerolled();
        else if (m_seekSent)
            seekLanded();
        break;
    case GST_MESSAGE_DURATION_CHANGED:
        if (m_prerolled)
            refreshMediaFacts();
        break;
    default:
        break;
    }
}

QString GstPlaybackEngine::errorText(const GError* error) const
{
    if (!error)
        return QStringLiteral("playback failed");
    // The web source fails with a bare "internal data stream error"; its last answer says more.
    if (error->domain == GST_STREAM_ERROR && error->code == GST_STREAM_ERROR_FAILED) {
        if (m_httpStatus == 0)
            return m_serverSilent ? QStringLiteral("the server does not answer")
                                  : QStringLiteral("cannot reach the server");
        if (m_httpStatus >= 400)
            return QStringLiteral("the server answered %1").arg(m_httpStatus);
    }
    return describeError(error);
}

// Faults of the connection rather than of the recording or the address: worth reopening.
bool GstPlaybackEngine::isBreak(const GError* error) const
{
    if (!error || !isWeb())
        return false;
    if (error->domain == GST_RESOURCE_ERROR)
        return error->code == GST_RESOURCE_ERROR_READ || error->code == GST_RESOURCE_ERROR_OPEN_READ
            || error->code == GST_RESOURCE_ERROR_SEEK || error->code == GST_RESOURCE_ERROR_FAILED;
    if (error->domain == GST_STREAM_ERROR && error->code == GST_STREAM_ERROR_FAILED)
        return m_httpStatus <= 0 || m_httpStatus >= 500;
    return false;
}

void GstPlaybackEngine::handleError(GstMessage* message)
{
    if (m_draining)
        return; // more words about the same break
    GError* error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    const QString text = errorText(error);
    const bool broke = isBreak(error);
    g_clear_error(&error);
    if (m_reconnecting && broke)
        retryReconnect(text);
    else if (broke && (m_canSeek || m_rangesAccepted))
        breakOff(text);
    else
        fail(text);
}

void GstPlaybackEngine::handleEndOfStream()
{
    if (m_draining) {
        beginReconnect();
        return;
    }
    stopReconnecting();
    toNullState();
    report(PlaybackState::Finished);
}

void GstPlaybackEngine::handleBuffering(int percent)
{
    m_bufferPercent = percent;
    if (m_draining)
        return; // what has arrived plays out; no more is coming
    if (percent < 100) {
        // A network stream pauses while its buffer fills, then goes on by itself.
        if (!m_buffering && wantsToPlay())
            setState(GST_STATE_PAUSED);
        m_buffering = true;
        if (!m_userPaused && !m_reconnecting)
            report(PlaybackState::Buffering, percent);
    } else if (m_buffering) {
        m_buffering = false;
        if (wantsToPlay())
            setState(GST_STATE_PLAYING);
    }
}

void GstPlaybackEngine::handleHttpHeaders(GstMessage* message)
{
    const GstStructure* structure = gst_message_get_structure(message);
    guint status = 0;
    if (!gst_structure_get_uint(structure, "http-status-code", &status))
        return;
    m_httpStatus = int(status);
    m_serverSilent = status == 0 && std::chrono::steady_clock::now() - m_requestedAt >= SilentServerAfter;
    const GstStructure* response = nullptr;
    if (status == 206 || (gst_structure_get(structure, "response-headers", GST_TYPE_STRUCTURE, &response, nullptr)
                          && response && AcceptsRanges(response)))
        m_rangesAccepted = true;
    if (response)
        gst_structure_free(const_cast<GstStructure*>(response));
    if (m_prerolled)
        refreshMediaFacts();
}

void GstPlaybackEngine::handleStateChanged(GstMessage* message)
{
    GstState newState = GST_STATE_VOID_PENDING;
    GstState pending = GST_STATE_VOID_PENDING;
    gst_message_parse_state_changed(message, nullptr, &newState, &pending);
    if (newState == GST_STATE_PLAYING && !m_userPaused) {
        if (m_reconnecting)
            stopReconnecting();
        if (m_state != PlaybackState::Playing)
            report(PlaybackState::Playing);
    }
    // A pause for buffering that ends while the pipeline is still prerolling can leave
    // it resting in PAUSED with nothing pending; the open media is meant to play.
    if (newState == GST_STATE_PAUSED && pending == GST_STATE_VOID_PENDING && !m_buffering && wantsToPlay()
        && m_seekingTo < 0)
        setState(GST_STATE_PLAYING);
}

// The media has prerolled: first after opening, then after every seek.
void GstPlaybackEngine::handlePrerolled()
{
    const bool first = !m_prerolled;
    m_prerolled = true;
    refreshMediaFacts();
    if (first && isWeb() && !(m_canSeek && m_durationMs >= 0)) {
        m_factsTicks = 0;
        m_factsWatch.start();
    }
    if (m_holdForStartMs >= 0) {
        if (!m_canSeek && isWeb() && m_factsWatch.isActive())
            return; // it may yet learn that it can
        startHeldMedia();
        return;
    }
    if (m_canSeek && m_rate != m_mediaRate)
        seekTo(std::max<qint64>(queryPositionMs(), 0), SeekKind::Rate);
}

void GstPlaybackEngine::seekLanded()
{
    m_seekWatch.stop();
    m_prerolled = true;
    refreshMediaFacts();
    const qint64 landed = m_seekingTo;
    const SeekKind kind = m_seekKind;
    m_seekingTo = -1;
    if (kind == SeekKind::Asked || kind == SeekKind::Start)
        emit seeked(landed);
    if ((kind == SeekKind::Start || kind == SeekKind::Resume) && wantsToPlay() && !m_buffering) {
        setState(GST_STATE_PLAYING);
    }
}

void GstPlaybackEngine::startHeldMedia()
{
    const qint64 startMs = m_holdForStartMs;
    m_holdForStartMs = -1;
    if (m_canSeek) {
        seekTo(startMs, m_reconnecting ? SeekKind::Resume : SeekKind::Start);
        return;
    }
    if (m_reconnecting) { // it would start over: the user would rather hear why
        fail(m_breakText);
        return;
    }
    if (!m_userPaused && !m_buffering)
        setState(GST_STATE_PLAYING); // plays from the start
}

void GstPlaybackEngine::watchMediaFacts()
{
    refreshMediaFacts();
    const bool known = m_canSeek && m_durationMs >= 0;
    if (known || ++m_factsTicks >= FactsTicks)
        m_factsWatch.stop();
    if (m_holdForStartMs >= 0 && m_seekingTo < 0 && (m_canSeek || !m_factsWatch.isActive()))
        startHeldMedia();
    else if (m_canSeek && m_seekingTo < 0 && m_holdForStartMs < 0 && m_rate != m_mediaRate)
        seekTo(std::max<qint64>(queryPositionMs(), 0), SeekKind::Rate);
}

// The stream broke: what is buffered still plays, and then it is opened again there.
void GstPlaybackEngine::breakOff(const QString& text)
{
    m_breakText = text;
    if (m_userPaused) { // nothing more plays until the listener resumes
        m_lastPositionMs = queryPositionMs();
        waitForResume();
        return;
    }
    m_draining = true;
    if (m_buffering) { // waiting for more would be waiting for good
        m_buffering = false;
        if (wantsToPlay())
            setState(GST_STATE_PLAYING);
    }
    m_lastPositionMs = queryPositionMs();
    m_stillTicks = 0;
    m_drainWatch.start();
}

void GstPlaybackEngine::watchDrain()
{
    const qint64 position = queryPositionMs();
    if (position > m_lastPositionMs) {
        m_lastPositionMs = position;
        m_stillTicks = 0;
    } else if (m_userPaused) {
        waitForResume();
    } else if (++m_stillTicks >= DrainedAfterStillTicks) {
        beginReconnect();
    }
}

void GstPlaybackEngine::beginReconnect()
{
    m_drainWatch.stop();
    m_draining = false;
    m_resumeAtMs = std::max({m_lastPositionMs, queryPositionMs(), qint64(0)});
    reopenBroken();
}

// A broken stream while nobody listens: the place is kept and nothing is tried until Resume.
void GstPlaybackEngine::waitForResume()
{
    if (!m_reconnecting)
        m_resumeAtMs = std::max({m_lastPositionMs, queryPositionMs(), qint64(0)});
    const qint64 durationMs = m_durationMs;
    stopReconnecting();
    toNullState();
    m_reopenOnResume = true;
    // Still the same recording: the listener may move about in it while paused.
    m_durationMs = durationMs;
    m_canSeek = true;
    emit mediaChanged();
}

void GstPlaybackEngine::reopenBroken()
{
    m_reopenOnResume = false;
    m_reconnecting = true;
    m_brokeAt = std::chrono::steady_clock::now();
    m_retryDelay = FirstRetryDelay;
    toNullState();
    report(PlaybackState::Reconnecting);
    reconnect();
}

void GstPlaybackEngine::reconnect()
{
    if (m_reconnecting)
        start(m_uri, std::max<qint64>(m_resumeAtMs, 1));
}

void GstPlaybackEngine::retryReconnect(const QString& text)
{
    const auto waited = std::chrono::steady_clock::now() - m_brokeAt;
    if (waited + m_retryDelay > m_reconnectPeriod) {
        fail(text);
        return;
    }
    toNullState();
    m_retryTimer.start(m_retryDelay);
    m_retryDelay = std::min(m_retryDelay * 2, LongestRetryDelay);
}

void GstPlaybackEngine::stopReconnecting()
{
    m_reopenOnResume = false;
    m_reconnecting = false;
    m_retryTimer.stop();
    m_drainWatch.stop();
    m_draining = false;
}

} // namespace host
