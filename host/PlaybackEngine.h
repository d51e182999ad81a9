#pragma once

#include <QObject>
#include <QString>

namespace host {

enum class PlaybackState { Stopped, Connecting, Buffering, Playing, Finished, Failed };

// What plays a media address. Open starts playback by itself; Close stops it and
// releases the media. Reports arrive as signals on the UI thread.
class PlaybackEngine : public QObject {
    Q_OBJECT
public:
    ~PlaybackEngine() override = default;

    // uri is a full address: http(s), file or any scheme the engine may know.
    virtual void Open(const QString& uri) = 0;
    virtual void Close() = 0;
    // Playing position in milliseconds, or -1 when unknown.
    virtual qint64 PositionMs() const = 0;

signals:
    // percent is meaningful for Buffering; message for Failed.
    void stateChanged(host::PlaybackState state, int percent, const QString& message);
};

} // namespace host
