#pragma once

#include "PlaybackEngine.h"

#include <atomic>
#include <memory>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;

namespace host {

// Plays through a GStreamer playbin, audio only, at half volume, without dialogs.
class GstPlaybackEngine final : public PlaybackEngine {
    Q_OBJECT
public:
    // audioSink: a GStreamer bin description such as "fakesink sync=true"; empty for the
    // desktop's default output.
    explicit GstPlaybackEngine(const QString& audioSink = {});
    ~GstPlaybackEngine() override;

    void Open(const QString& uri) override;
    void Close() override;
    qint64 PositionMs() const override;

    // Makes GStreamer ready once per process and prefers the lighter MP3 decoder.
    static void InitializeOnce();

private:
    struct ElementUnref {
        void operator()(GstElement* e) const;
    };

    void handleMessage(GstMessage* message, unsigned generation);
    void report(PlaybackState state, int percent = 0, const QString& message = {});
    void toNullState();

    std::unique_ptr<GstElement, ElementUnref> m_playbin;
    std::atomic<unsigned> m_generation{0};
    PlaybackState m_state = PlaybackState::Stopped;
    bool m_buffering = false;
    int m_httpStatus = -1; // last status a web source reported; 0 when it got no answer
};

} // namespace host
