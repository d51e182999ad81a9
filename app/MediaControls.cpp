#include "MediaControls.h"

#include "frmMain.h"

#include "host/forms/Controls.h"
#include "host/os/Desktop.h"
#include "host/forms/MediaPlayer.h"
#include "host/os/Platform.h"
#include "mpris/Service.h"
#include "taskbar/OmbrelXPTaskBar.h"

#include <QItemSelectionModel>

namespace app {

MediaControls::MediaControls(frmMain& main)
    : QObject(&main), m_main(main), m_service(new mpris::Service(*this, QStringLiteral("net.vanupelro.VanuPelro"), this))
{
    if (!m_service->Register(host::CurrentPlatform().SessionBusAddress()))
        return;
    const auto changed = [this] {
        TrackAddress();
        m_service->PlayerChanged();
    };
    host::MediaPlayer* player = m_main.wmpr;
    connect(player, &host::MediaPlayer::stateChanged, this, changed);
    // The playing title may sit elsewhere in a catalogue fetched meanwhile.
    connect(&m_main, &frmMain::catalogueReloaded, this, [this, changed] {
        m_address.clear();
        changed();
    });
    connect(player, &host::MediaPlayer::mediaChanged, this, changed);
    connect(player, &host::MediaPlayer::volumeChanged, this, changed);
    connect(player, &host::MediaPlayer::rateChanged, this, changed);
    connect(player, &host::MediaPlayer::seeked, this, [this](qint64 ms) { m_service->PlayerSeeked(ms * 1000); });
    connect(m_main.rLista->selectionModel(), &QItemSelectionModel::selectionChanged, m_service,
            &mpris::Service::PlayerChanged);
}

MediaControls::~MediaControls() = default;

// A key press with nothing selected must not bring up a box over whatever the user does.
void MediaControls::Play()
{
    if (IsPaused())
        m_main.wmpr->Resume();
    else
        m_main.PlaySelectedIfAny();
}

void MediaControls::Pause() { m_main.wmpr->Pause(); }

void MediaControls::PlayPause()
{
    if (!m_main.wmpr->TogglePause())
        m_main.PlaySelectedIfAny();
}

void MediaControls::SeekBy(qint64 offsetUs) { m_main.wmpr->SeekBy(offsetUs / 1000); }

void MediaControls::SetPosition(qint64 positionUs) { m_main.wmpr->SeekTo(positionUs / 1000); }

void MediaControls::Stop() { m_main.bbStop_Click(); }

// The docked window slides into view for the keyboard, as the pointer would bring it.
void MediaControls::Raise() { m_main.BringIntoView(); }

void MediaControls::Quit() { m_main.Image1_Click(); }

bool MediaControls::CanPlay() const { return IsPaused() || m_main.HasSelectedTitle(); }

bool MediaControls::CanPause() const
{
    const host::PlaybackState state = m_main.wmpr->State();
    return state == host::PlaybackState::Playing || state == host::PlaybackState::Buffering
        || state == host::PlaybackState::Paused || state == host::PlaybackState::Reconnecting;
}

bool MediaControls::CanSeek() const { return m_main.wmpr->CanSeek(); }

bool MediaControls::IsPaused() const { return m_main.wmpr->State() == host::PlaybackState::Paused; }

double MediaControls::Volume() const { return m_main.wmpr->Volume(); }
void MediaControls::SetVolume(double volume) { m_main.wmpr->setVolume(volume); }
double MediaControls::Rate() const { return m_main.wmpr->Rate(); }
void MediaControls::SetRate(double rate) { m_main.wmpr->setRate(rate); }
double MediaControls::MinimumRate() const { return host::MediaPlayer::MinimumRate; }
double MediaControls::MaximumRate() const { return host::MediaPlayer::MaximumRate; }

std::optional<mpris::Track> MediaControls::Playing() const
{
    switch (m_main.wmpr->State()) {
    case host::PlaybackState::Connecting:
    case host::PlaybackState::Buffering:
    case host::PlaybackState::Playing:
    case host::PlaybackState::Paused:
    case host::PlaybackState::Reconnecting:
    {
        mpris::Track track = m_track;
        const qint64 duration = m_main.wmpr->DurationMs();
        track.lengthUs = duration >= 0 ? duration * 1000 : -1;
        return track;
    }
    case host::PlaybackState::Stopped:
    case host::PlaybackState::Finished:
    case host::PlaybackState::Failed:
        break;
    }
    return std::nullopt;
}

qint64 MediaControls::PositionUs() const { return m_main.wmpr->PositionMs() * 1000; }

void MediaControls::TrackAddress()
{
    const QString address = m_main.wmpr->URL();
    if (address == m_address)
        return;
    m_address = address;
    // The selected title, unless the selection moved on since: then the first with that address.
    const CatalogueModel& catalogue = m_main.Catalogue();
    int number = m_main.rLista->ListIndex();
    if (!catalogue.Contains(number) || catalogue.Address(number) != address)
        number = catalogue.RowOfAddress(address);
    m_track = mpris::Track{number, catalogue.Title(number), host::MediaPlayer::ResolveAddress(address, host::AppPath())};
}

} // namespace app
