#pragma once

#include "PlaybackEngine.h"

#include <atomic>
#include <memory>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;

namespace host {

class GstPipelineThread;

// Plays through a GStreamer playbin, audio only, at half volume, without dialogs.
class GstPlaybackEngine final : public PlaybackEngine {
    Q_OBJECT
public:
    // audioSink: a GStreamer bin description such as "fakesink sync=true"; empty for the
    // desktop's default output.
    explicit GstPlaybackEngine(const QString& audioSink = {});
    ~GstPlaybackEngine() override;

    void Open(const QString& uri, qint64 startMs = 0) override;
    void Close() override;
    qint64 PositionMs() const override;

    // Makes GStreamer ready once per process and prefers the lighter MP3 decoder.
    static void InitializeOnce();

    struct Relay;

private:
    void handleMessage(GstMessage* message, unsigned generation);
    void report(PlaybackState state, int percent = 0, const QString& message = {});
    void forgetMedia();
    void toNullState();
    void setState(int state);
    void openFailed(unsigned generation);
    void start(const QString& uri);
    void retryIfSilent(unsigned generation, unsigned news);
    void watchStart();
    bool ensurePipeline();
    GstElement* makePlaybin(const std::shared_ptr<std::atomic<unsigned>>& generation);

    QString m_audioSink;
    QString m_uri; // opened last
    std::shared_ptr<Relay> m_relay;
    std::shared_ptr<GstPipelineThread> m_pipeline;
    std::shared_ptr<std::atomic<unsigned>> m_busGeneration; // media its bus speaks for
    unsigned m_generation = 0; // of the media opened or closed last; news of older media is dropped
    PlaybackState m_state = PlaybackState::Stopped;
    bool m_buffering = false;
    unsigned m_news = 0;         // messages handled about the current media
    bool m_startRetried = false; // a silent start has been tried once more
    int m_httpStatus = -1; // last status a web source reported; 0 when it got no answer
};

} // namespace host
