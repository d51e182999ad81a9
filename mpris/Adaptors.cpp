#include "Adaptors.h"

#include "Service.h"

#include <QCoreApplication>

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

PlayerAdaptor::PlayerAdaptor(Service& service) : QDBusAbstractAdaptor(&service), m_service(service) {}

QString PlayerAdaptor::PlaybackStatus() const { return m_service.PlaybackStatus(); }
QVariantMap PlayerAdaptor::Metadata() const { return m_service.Metadata(); }
bool PlayerAdaptor::CanPlay() const { return m_service.Target().CanPlay(); }

qlonglong PlayerAdaptor::Position() const { return m_service.Target().PositionUs(); }

void PlayerAdaptor::Play()
{
    m_service.Later([&player = m_service.Target()] { player.Play(); });
}

void PlayerAdaptor::PlayPause()
{
    m_service.Later([&player = m_service.Target()] {
        if (player.Playing())
            player.Stop();
        else
            player.Play();
    });
}

void PlayerAdaptor::Stop()
{
    m_service.Later([&player = m_service.Target()] { player.Stop(); });
}

} // namespace mpris
