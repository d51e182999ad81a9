#pragma once

#include <QObject>
#include <QString>

namespace host {

// Reconnecting: the stream broke and the engine reopens it at the place it stopped.
enum class PlaybackState { Stopped, Connecting, Buffering, Playing, Paused, Reconnecting, Finished, Failed };

// What plays a media address. Open starts playback by itself; Close stops it and
// releases the media. Reports arrive as signals on the UI thread.
class PlaybackEngine : public QObject {
    Q_OBJECT
public:
    ~PlaybackEngine() override = default;

    // uri is a full address: http(s), file or any scheme the engine may know. Playback
    // starts startMs into the media when the media can seek there, else at its start.
    virtual void Open(const QString& uri, qint64 startMs = 0) = 0;
    virtual void Close() = 0;
    // Holds playback where it is (a reconnection too: it waits for Resume), and goes on
    // from there. Ignored while nothing is open.
    virtual void Pause() {}
    virtual void Resume() {}
    // Moves playback (playing or paused) to ms into the media; false, changing nothing,
    // when the media cannot seek.
    virtual bool Seek(qint64 /*ms*/) { return false; }
    virtual bool CanSeek() const { return false; }
    // Playing position in milliseconds, or -1 when unknown. While reconnecting, the
    // place playback will go on from.
    virtual qint64 PositionMs() const = 0;
    // Length of the media in milliseconds, or -1 when the stream does not tell.
    virtual qint64 DurationMs() const { return -1; }
    // 0 silent to 1 full, on the cubic scale desktop volume controls use.
    virtual void SetVolume(double /*volume*/) {}
    // Playback speed, pitch kept; 1 is normal.
    virtual void SetRate(double /*rate*/) {}

signals:
    // percent is meaningful for Buffering; message for Failed.
    void stateChanged(host::PlaybackState state, int percent, const QString& message);
    // The duration or whether the media can seek became known or changed.
    void mediaChanged();
    // A seek (asked for, or the start place of Open) has landed at ms.
    void seeked(qint64 ms);
};

} // namespace host
