#pragma once

#include <QString>

#include <optional>

namespace mpris {

// What is playing, as the desktop's media controls show it.
struct Track {
    int number = -1; // the title's place in the catalogue, -1 when not listed
    QString title;
    QString url;           // a full address, file:// for a recording on this machine
    qint64 lengthUs = -1;  // -1 while the stream has not told
};

// What the desktop's media controls may ask of the program. Every request arrives on the
// user-interface thread, after the bus call has been answered.
class Player {
public:
    virtual ~Player() = default;

    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void PlayPause() = 0;
    virtual void Stop() = 0;
    virtual void Raise() = 0;
    virtual void Quit() = 0;
    virtual void SeekBy(qint64 offsetUs) = 0;
    virtual void SetPosition(qint64 positionUs) = 0;

    virtual bool CanPlay() const = 0;
    virtual bool CanPause() const = 0;
    virtual bool CanSeek() const = 0;
    virtual bool IsPaused() const = 0;
    // The playing (or paused) track; none when stopped.
    virtual std::optional<Track> Playing() const = 0;
    // Microseconds into the playing track.
    virtual qint64 PositionUs() const = 0;

    // 0 silent to 1 full.
    virtual double Volume() const = 0;
    virtual void SetVolume(double volume) = 0;
    virtual double Rate() const = 0;
    virtual void SetRate(double rate) = 0;
    virtual double MinimumRate() const = 0;
    virtual double MaximumRate() const = 0;
};

} // namespace mpris
