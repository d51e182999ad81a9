#pragma once

#include "Player.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

namespace mpris {

// The program on the desktop's session bus as a media player, so media keys and the
// desktop's media controls reach it. Without a bus it does nothing at all.
class Service : public QObject {
    Q_OBJECT
public:
    Service(Player& player, QString desktopEntry, QObject* parent = nullptr);
    ~Service() override;
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    // Connects to the bus at address and takes the player's name; false, with nothing
    // registered, when there is no bus or no name to be had.
    bool Register(const QString& busAddress);
    bool IsRegistered() const { return !m_busName.isEmpty(); }
    QString BusName() const { return m_busName; }

    // Tells listeners what changed since the last call, if anything.
    void PlayerChanged();
    // Tells listeners the position jumped (a seek), which they do not learn otherwise.
    void PlayerSeeked(qint64 positionUs);

    static QString TrackId(const Track& track);

    Player& Target() const { return m_player; }
    QString DesktopEntry() const { return m_desktopEntry; }
    QString PlaybackStatus() const;
    QVariantMap Metadata() const;

    // Runs a bus request once the bus call has returned: a handler may show a box or end
    // the program, and the caller must not wait for that.
    template <class Request>
    void Later(Request&& request)
    {
        QMetaObject::invokeMethod(this, std::forward<Request>(request), Qt::QueuedConnection);
    }

signals:
    void Seeked(qlonglong positionUs);

private:
    void EmitPropertiesChanged(const QVariantMap& changed);

    Player& m_player;
    QString m_desktopEntry;
    QString m_connectionName;
    QString m_busName;
    QVariantMap m_announced;
};

} // namespace mpris
