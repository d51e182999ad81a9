#pragma once

#include <QString>

#include <optional>

namespace mpris {

// What is playing, as the desktop's media controls show it.
struct Track {
    int number = -1; // the title's place in the catalogue, -1 when not listed
    QString title;
    QString url;
};

// What the desktop's media controls may ask of the program. Every request arrives on the
// user-interface thread, after the bus call has been answered.
class Player {
public:
    virtual ~Player() = default;

    virtual void Play() = 0;
    virtual void Stop() = 0;
    virtual void Raise() = 0;
    virtual void Quit() = 0;

    virtual bool CanPlay() const = 0;
    // The playing track; none when stopped.
    virtual std::optional<Track> Playing() const = 0;
    // Microseconds into the playing track.
    virtual qint64 PositionUs() const = 0;
};

} // namespace mpris
