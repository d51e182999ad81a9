#pragma once

#include "PlaybackEngine.h"

#include <QTimer>

#include <atomic>
#include <chrono>
#include <memory>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;
typedef struct _GError GError;

namespace host {

class GstPipelineThread;

// Plays through a GStreamer playbin, audio only, without dialogs.
class GstPlaybackEngine final : public PlaybackEngine {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds DefaultReconnectPeriod{60'000};

    // audioSink: a GStreamer bin description such as "fakesink sync=true"; empty for the
    // desktop's default output. reconnectPeriod: how long a broken stream is tried again.
    explicit GstPlaybackEngine(const QString& audioSink = {},
                               std::chrono::milliseconds reconnectPeriod = DefaultReconnectPeriod);
    ~GstPlaybackEngine() override;

    void Open(const QString& uri, qint64 startMs = 0) override;
    void Close() override;
    void Pause() override;
    void Resume() override;
    bool Seek(qint64 ms) override;
    bool CanSeek() const override { return m_canSeek; }
    qint64 PositionMs() const override;
    qint64 DurationMs() const override { return m_durationMs; }
    void SetVolume(double volume) override;
    void SetRate(double rate) override;

    // Makes GStreamer ready once per process and prefers the lighter MP3 decoder.
    static void InitializeOnce();

    struct Relay;

private:
    enum class SeekKind { Asked, Start, Resume, Rate };

    void handleMessage(GstMessage* message, unsigned generation);
    void handleError(GstMessage* message);
    void handleEndOfStream();
    void handleBuffering(int percent);
    void handleStateChanged(GstMessage* message);
    void handleHttpHeaders(GstMessage* message);
    void handlePrerolled();
    void report(PlaybackState state, int percent = 0, const QString& message = {});
    void fail(const QString& message);
    void forgetMedia();
    void toNullState();
    void setState(int state);
    void openFailed(unsigned generation);
    void start(const QString& uri, qint64 startMs);
    void retryIfSilent(unsigned generation, unsigned news);
    void watchStart();
    bool ensurePipeline();
    GstElement* makePlaybin(const std::shared_ptr<std::atomic<unsigned>>& generation);
    GstElement* makeOutput() const;

    bool wantsToPlay() const;
    bool isWeb() const;
    void refreshMediaFacts();
    void seekTo(qint64 ms, SeekKind kind);
    void seekFailed(unsigned generation);
    void seekSettled(unsigned generation, quint32 seqnum, bool settled);
    void seekLanded();
    void seekSent(unsigned generation, quint32 seqnum);
    void watchSeek();
    bool isNearSeekTarget() const;
    void watchMediaFacts();
    void startHeldMedia();
    qint64 queryPositionMs() const;

    QString errorText(const GError* error) const;
    bool isBreak(const GError* error) const;
    void breakOff(const QString& text);
    void watchDrain();
    void reconnect();
    void retryReconnect(const QString& text);
    void stopReconnecting();
    void beginReconnect();
    void waitForResume();
    void reopenBroken();

    QString m_audioSink;
    std::chrono::milliseconds m_reconnectPeriod;
    QString m_uri; // opened last
    std::shared_ptr<Relay> m_relay;
    std::shared_ptr<GstPipelineThread> m_pipeline;
    std::shared_ptr<std::atomic<unsigned>> m_busGeneration; // media its bus speaks for
    unsigned m_generation = 0; // of the media opened or closed last; news of older media is dropped
    PlaybackState m_state = PlaybackState::Stopped;
    bool m_buffering = false;
    int m_bufferPercent = 0;
    unsigned m_news = 0;         // messages handled about the current media
    bool m_startRetried = false; // a silent start has been tried once more
    int m_httpStatus = -1; // last status a web source reported; 0 when it got no answer
    std::chrono::steady_clock::time_point m_requestedAt; // when the current media was asked for
    bool m_serverSilent = false; // the last web request got a connection but no answer

    double m_volume = 0.5;
    double m_rate = 1.0;      // asked for
    double m_mediaRate = 1.0; // the current media plays at

    // What the current media is known to allow.
    bool m_prerolled = false;
    bool m_canSeek = false;
    bool m_rangesAccepted = false;
    qint64 m_durationMs = -1;

    bool m_userPaused = false;
    qint64 m_holdForStartMs = -1; // the media prerolls paused, to start here
    qint64 m_seekingTo = -1;      // a seek under way
    SeekKind m_seekKind = SeekKind::Asked;
    quint32 m_seekSeqnum = 0;   // tells the seek under way from earlier ones
    bool m_seekSent = false;      // from then on, the pipeline prerolling ends it
    QTimer m_seekWatch;           // looks for its end when the news of it may have been missed
    QTimer m_factsWatch;
    int m_factsTicks = 0;

    // A broken stream: it plays out what it has, then reopens where it stopped.
    bool m_draining = false;
    bool m_reconnecting = false;
    bool m_reopenOnResume = false; // broke while paused
    qint64 m_resumeAtMs = -1;
    qint64 m_lastPositionMs = -1;
    int m_stillTicks = 0;
    std::chrono::steady_clock::time_point m_brokeAt;
    std::chrono::milliseconds m_retryDelay{0};
    QString m_breakText; // said if the stream never comes back
    QTimer m_drainWatch;
    QTimer m_retryTimer;
};

} // namespace host
