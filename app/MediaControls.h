#pragma once

#include "mpris/Player.h"

#include <QObject>

namespace mpris {
class Service;
}

namespace app {

class frmMain;

// Media keys and the desktop's media controls, for as long as the main window is loaded:
// play and stop act as the list and the Stop button do, pause and seek as the strip does.
class MediaControls : public QObject, private mpris::Player {
    Q_OBJECT
public:
    explicit MediaControls(frmMain& main);
    ~MediaControls() override;

    mpris::Service& Service() const { return *m_service; }

private:
    void Play() override;
    void Pause() override;
    void PlayPause() override;
    void Stop() override;
    void Raise() override;
    void Quit() override;
    void SeekBy(qint64 offsetUs) override;
    void SetPosition(qint64 positionUs) override;
    bool CanPlay() const override;
    bool CanPause() const override;
    bool CanSeek() const override;
    bool IsPaused() const override;
    std::optional<mpris::Track> Playing() const override;
    qint64 PositionUs() const override;
    double Volume() const override;
    void SetVolume(double volume) override;
    double Rate() const override;
    void SetRate(double rate) override;
    double MinimumRate() const override;
    double MaximumRate() const override;

    // The title the player was given, found when its address changes.
    void TrackAddress();

    frmMain& m_main;
    mpris::Service* m_service; // a child
    QString m_address;
    mpris::Track m_track;
};

} // namespace app
