#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QMenu;

namespace host {
class MediaPlayer;
}

namespace app {

class frmMain;
class ListeningStore;
class SleepTimer;

// Everything around the player that keeps a listener's place: remembered positions and
// volume, the sleep timer, the player's keys on the list and the context menu of the
// strip and the list.
class Listening : public QObject {
    Q_OBJECT
public:
    explicit Listening(frmMain& main);
    ~Listening() override;

    // Called with the address about to play: sets where it starts.
    void BeforePlay(const QString& url);
    // Plays the selected title from its beginning, forgetting the remembered place.
    void PlayFromStart();

    SleepTimer& Sleep() const { return *m_sleep; }
    ListeningStore& Store() const { return *m_store; }
    // The context menu as it would show now; the caller owns it.
    std::unique_ptr<QMenu> MakeMenu();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rememberNow();
    void onStateChanged();
    void onSeeked(qint64 ms);
    void showMenu(QWidget& on, const QPoint& at);
    void sleepExpired();
    void showSleepLeft();
    void fadeAtTitleEnd();

    frmMain& m_main;
    // Held apart from the window: the window's own part is gone when its last words
    // (unloaded, from its base's destructor) arrive.
    host::MediaPlayer& m_player;
    const QObject* m_list; // whose keys are the player's
    std::unique_ptr<ListeningStore> m_store;
    SleepTimer* m_sleep; // a child
    bool m_fromStart = false;
    bool m_announceResume = false;
};

} // namespace app
