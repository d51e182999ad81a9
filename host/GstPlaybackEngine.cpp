#include "GstPlaybackEngine.h"

#include "GstPipelineThread.h"

#include <gst/audio/streamvolume.h>
#include <gst/gst.h>

#include <QMetaObject>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <mutex>

namespace host {

namespace {

// playbin flags: audio with software volume; no video or subtitle windows.
constexpr guint PlayAudio = 0x2;
constexpr guint PlaySoftVolume = 0x10;

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
};

bool IsWanted(GstMessage* message, GstElement* playbin)
{
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    return type == GST_MESSAGE_ERROR || type == GST_MESSAGE_EOS || type == GST_MESSAGE_BUFFERING
        || (type == GST_MESSAGE_ELEMENT && gst_message_has_name(message, "http-headers"))
        || (type == GST_MESSAGE_STATE_CHANGED && GST_MESSAGE_SRC(message) == GST_OBJECT(playbin));
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

GstPlaybackEngine::GstPlaybackEngine(const QString& audioSink)
    : m_audioSink(audioSink), m_relay(std::make_shared<Relay>())
{
    InitializeOnce();
    m_relay->engine = this;
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
    gst_stream_volume_set_volume(GST_STREAM_VOLUME(playbin), GST_STREAM_VOLUME_FORMAT_CUBIC, 0.5);
    if (!m_audioSink.isEmpty()) {
        GError* error = nullptr;
        GstElement* sink = gst_parse_bin_from_description(m_audioSink.toUtf8().constData(), TRUE, &error);
        if (sink)
            g_object_set(playbin, "audio-sink", sink, nullptr);
        g_clear_error(&error);
    }

    GstBus* bus = gst_element_get_bus(playbin);
    gst_bus_set_sync_handler(
        bus,
        [](GstBus*, GstMessage* message, gpointer data) -> GstBusSyncReply {
            const auto* context = static_cast<const BusContext*>(data);
            if (!IsWanted(message, context->playbin))
                return GST_BUS_DROP;
            std::lock_guard lock(context->relay->mutex);
            if (GstPlaybackEngine* engine = context->relay->engine) {
                // Streaming threads post here; the message is handled on the UI thread.
                std::shared_ptr<GstMessage> held(gst_message_ref(message), gst_message_unref);
                QMetaObject::invokeMethod(
                    engine,
                    [engine, held, generation = context->generation->load()] {
                        engine->handleMessage(held.get(), generation);
                    },
                    Qt::QueuedConnection);
            }
            return GST_BUS_DROP;
        },
        new BusContext{m_relay, playbin, generation},
        [](gpointer data) { delete static_cast<BusContext*>(data); });
    gst_object_unref(bus);
    return playbin;
}

// Whatever the pipeline still says belongs to media that is gone.
void GstPlaybackEngine::forgetMedia()
{
    ++m_generation;
    m_buffering = false;
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

void GstPlaybackEngine::Open(const QString& uri, qint64 /*startMs*/)
{
    m_startRetried = false;
    start(uri);
}

// Now and then a recording from a fast server stalls GStreamer before it plays (seen with
// the whole file already arrived and the demuxer looking for its end), or the pipeline is
// still stuck taking the previous media down; nothing more comes, ever. Starting once more
// (on a fresh pipeline when the old one is stuck) is what the user would do.
void GstPlaybackEngine::retryIfSilent(unsigned generation, unsigned news)
{
    const bool starting = m_state == PlaybackState::Connecting || m_state == PlaybackState::Buffering;
    if (generation != m_generation || !starting || m_startRetried)
        return;
    if (news != m_news) {
        watchStart(); // still talking: look again later
        return;
    }
    m_startRetried = true;
    start(m_uri);
}

void GstPlaybackEngine::watchStart()
{
    QTimer::singleShot(SilentStartRetryAfter, this,
                       [this, generation = m_generation, news = m_news] { retryIfSilent(generation, news); });
}

void GstPlaybackEngine::start(const QString& uri)
{
    forgetMedia(); // the pipeline's own work below stops the old media first
    if (!ensurePipeline()) {
        report(PlaybackState::Failed, 0, QStringLiteral("the player is not installed"));
        return;
    }
    m_httpStatus = -1;
    m_uri = uri;
    report(PlaybackState::Connecting);
    watchStart();
    m_pipeline->Post([uri = uri.toUtf8(), generation = m_generation, busGeneration = m_busGeneration,
                      relay = m_relay](GstElement* playbin) {
        gst_element_set_state(playbin, GST_STATE_NULL);
        busGeneration->store(generation);
        g_object_set(playbin, "uri", uri.constData(), nullptr);
        if (gst_element_set_state(playbin, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE)
            return;
        std::lock_guard lock(relay->mutex);
        if (GstPlaybackEngine* engine = relay->engine)
            QMetaObject::invokeMethod(engine, [engine, generation] { engine->openFailed(generation); }, Qt::QueuedConnection);
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
    toNullState();
    if (m_state != PlaybackState::Stopped)
        report(PlaybackState::Stopped);
}

qint64 GstPlaybackEngine::PositionMs() const
{
    // Closed media may take a moment to stop on its own thread; it has no position now.
    if (m_state == PlaybackState::Stopped || m_state == PlaybackState::Finished || m_state == PlaybackState::Failed)
        return -1;
    gint64 position = 0;
    if (m_pipeline && gst_element_query_position(m_pipeline->Pipeline(), GST_FORMAT_TIME, &position))
        return position / GST_MSECOND;
    return -1;
}

void GstPlaybackEngine::handleMessage(GstMessage* message, unsigned generation)
{
    if (generation != m_generation)
        return; // from media that has been closed since
    ++m_news;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR: {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        QString text = error ? describeError(error) : QStringLiteral("playback failed");
        // The web source fails with a bare "internal data stream error"; its last answer
        // says more.
        if (error && error->domain == GST_STREAM_ERROR && error->code == GST_STREAM_ERROR_FAILED) {
            if (m_httpStatus == 0)
                text = QStringLiteral("cannot reach the server");
            else if (m_httpStatus >= 400)
                text = QStringLiteral("the server answered %1").arg(m_httpStatus);
        }
        g_clear_error(&error);
        toNullState();
        report(PlaybackState::Failed, 0, text);
        break;
    }
    case GST_MESSAGE_EOS:
        toNullState();
        report(PlaybackState::Finished);
        break;
    case GST_MESSAGE_BUFFERING: {
        gint percent = 100;
        gst_message_parse_buffering(message, &percent);
        // A network stream pauses while its buffer fills, then goes on by itself.
        if (percent < 100) {
            if (!m_buffering)
                setState(GST_STATE_PAUSED);
            m_buffering = true;
            report(PlaybackState::Buffering, percent);
        } else if (m_buffering) {
            m_buffering = false;
            setState(GST_STATE_PLAYING);
        }
        break;
    }
    case GST_MESSAGE_ELEMENT: {
        guint status = 0;
        if (gst_structure_get_uint(gst_message_get_structure(message), "http-status-code", &status))
            m_httpStatus = int(status);
        break;
    }
    case GST_MESSAGE_STATE_CHANGED: {
        GstState newState = GST_STATE_VOID_PENDING;
        GstState pending = GST_STATE_VOID_PENDING;
        gst_message_parse_state_changed(message, nullptr, &newState, &pending);
        if (newState == GST_STATE_PLAYING && m_state != PlaybackState::Playing)
            report(PlaybackState::Playing);
        // A pause for buffering that ends while the pipeline is still prerolling can leave
        // it resting in PAUSED with nothing pending; the open media is meant to play.
        if (newState == GST_STATE_PAUSED && pending == GST_STATE_VOID_PENDING && !m_buffering)
            setState(GST_STATE_PLAYING);
        break;
    }
    default:
        break;
    }
}

} // namespace host
