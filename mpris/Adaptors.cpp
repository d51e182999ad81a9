#include "Adaptors.h"

#include "Service.h"

#include <QCoreApplication>

#include <algorithm>

namespace mpris {

RootAdaptor::RootAdaptor(Service& service) : QDBusAbstractAdaptor(&service), m_service(service) {}

QString RootAdaptor::Identity() const { return QCoreApplication::applicationName(); }
QString RootAdaptor::DesktopEntry() const { return m_service.DesktopEntry(); }

void RootAdaptor::Raise()
{
    m_service.Later([&player = m_service.Target()] { player.Raise(); });
}

void RootAdaptor::Quit()
{
    m_service.Later([&player = m_service.Target()] { player.Quit(); });
}

PlayerAdaptor::PlayerAdaptor(Service& service) : QDBusAbstractAdaptor(&service), m_service(service)
{
    connect(&service, &Service::Seeked, this, &PlayerAdaptor::Seeked);
}

QString PlayerAdaptor::PlaybackStatus() const { return m_service.PlaybackStatus(); }
QVariantMap PlayerAdaptor::Metadata() const { return m_service.Metadata(); }
bool PlayerAdaptor::CanPlay() const { return m_service.Target().CanPlay(); }
bool PlayerAdaptor::CanPause() const { return m_service.Target().CanPause(); }
bool PlayerAdaptor::CanSeek() const { return m_service.Target().CanSeek(); }
double PlayerAdaptor::Rate() const { return m_service.Target().Rate(); }
double PlayerAdaptor::MinimumRate() const { return m_service.Target().MinimumRate(); }
double PlayerAdaptor::MaximumRate() const { return m_service.Target().MaximumRate(); }
double PlayerAdaptor::Volume() const { return m_service.Target().Volume(); }

// A rate of 0 means pause to the desktop; others are held to what the player offers.
void PlayerAdaptor::setRate(double rate)
{
    m_service.Later([&player = m_service.Target(), rate] {
        if (rate <= 0.0)
            player.Pause();
        else
            player.SetRate(std::clamp(rate, player.MinimumRate(), player.MaximumRate()));
    });
}

void PlayerAdaptor::setVolume(double volume)
{
    m_service.Later([&player = m_service.Target(), volume] { player.SetVolume(std::clamp(volume, 0.0, 1.0)); });
}

qlonglong PlayerAdaptor::Position() const { return m_service.Target().PositionUs(); }

void PlayerAdaptor::Play()
{
    m_service.Later([&player = m_service.Target()] { player.Play(); });
}

void PlayerAdaptor::PlayPause()
{
    m_service.Later([&player = m_service.Target()] { player.PlayPause(); });
}

void PlayerAdaptor::Pause()
{
    m_service.Later([&player = m_service.Target()] { player.Pause(); });
}

void PlayerAdaptor::Seek(qlonglong Offset)
{
    m_service.Later([&player = m_service.Target(), Offset] { player.SeekBy(Offset); });
}

// Honoured only for the track that plays and a place inside it, as media controls expect.
void PlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position)
{
    m_service.Later([this, id = TrackId.path(), Position] {
        const std::optional<Track> track = m_service.Target().Playing();
        if (!track || id != Service::TrackId(*track) || Position < 0)
            return;
        if (track->lengthUs >= 0 && Position > track->lengthUs)
            return;
        m_service.Target().SetPosition(Position);
    });
}

void PlayerAdaptor::Stop()
{
    m_service.Later([&player = m_service.Target()] { player.Stop(); });
}

} // namespace mpris
