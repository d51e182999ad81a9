#include "MediaControls.h"

#include "frmMain.h"

#include "host/Controls.h"
#include "host/Desktop.h"
#include "host/MediaPlayer.h"
#include "host/Platform.h"
#include "mpris/Service.h"
#include "taskbar/OmbrelXPTaskBar.h"

#include <QItemSelectionModel>

namespace app {

MediaControls::MediaControls(frmMain& main)
    : QObject(&main), m_main(main), m_service(new mpris::Service(*this, QStringLiteral("net.vanupelro.VanuPelro"), this))
{
    if (!m_service->Register(host::CurrentPlatform().SessionBusAddress()))
        return;
    connect(m_main.wmpr, &host::MediaPlayer::stateChanged, this, [this] {
        TrackAddress();
        m_service->PlayerChanged();
    });
    connect(m_main.rLista->selectionModel(), &QItemSelectionModel::selectionChanged, m_service,
            &mpris::Service::PlayerChanged);
}

MediaControls::~MediaControls() = default;

// A key press with nothing selected must not bring up a box over whatever the user does.
void MediaControls::Play()
{
    if (CanPlay())
        m_main.PlaySelected();
}

void MediaControls::Stop() { m_main.bbStop_Click(); }

// The docked window slides into view for the keyboard, as the pointer would bring it.
void MediaControls::Raise()
{
    m_main.OmbrelXPTaskBar1->SlideIn();
    m_main.raise();
    m_main.rLista->setFocus();
    host::TakeKeyboard(m_main);
}

void MediaControls::Quit() { m_main.Image1_Click(); }

bool MediaControls::CanPlay() const
{
    const int index = m_main.rLista->ListIndex();
    return index >= 0 && index < m_main.CatalogueUrls.size();
}

std::optional<mpris::Track> MediaControls::Playing() const
{
    switch (m_main.wmpr->State()) {
    case host::PlaybackState::Connecting:
    case host::PlaybackState::Buffering:
    case host::PlaybackState::Playing:
    case host::PlaybackState::Paused:
    case host::PlaybackState::Reconnecting:
        return m_track;
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
    int number = m_main.rLista->ListIndex();
    if (number < 0 || number >= m_main.CatalogueUrls.size() || m_main.CatalogueUrls[number] != address)
        number = int(m_main.CatalogueUrls.indexOf(address));
    m_track = mpris::Track{number, number >= 0 ? m_main.rLista->List(number) : QString(), address};
}

} // namespace app
