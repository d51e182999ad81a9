#pragma once

#include "mpris/Player.h"

#include <QObject>

namespace mpris {
class Service;
}

namespace app {

class frmMain;

// Media keys and the desktop's media controls, for as long as the main window is loaded:
// play and stop act as the list and the Stop button do.
class MediaControls : public QObject, private mpris::Player {
    Q_OBJECT
public:
    explicit MediaControls(frmMain& main);
    ~MediaControls() override;

    mpris::Service& Service() const { return *m_service; }

private:
    void Play() override;
    void Stop() override;
    void Raise() override;
    void Quit() override;
    bool CanPlay() const override;
    std::optional<mpris::Track> Playing() const override;
    qint64 PositionUs() const override;

    // The title the player was given, found when its address changes.
    void TrackAddress();

    frmMain& m_main;
    mpris::Service* m_service; // a child
    QString m_address;
    mpris::Track m_track;
};

} // namespace app
