#include "Listening.h"

#include "ListeningStore.h"
#include "SleepTimer.h"
#include "frmMain.h"

#include "host/forms/Controls.h"
#include "host/forms/MediaPlayer.h"

#include <QActionGroup>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

namespace app {

namespace {

constexpr double VolumeStep = 0.05;
constexpr qint64 TitleFadeMs = 10'000;
const double Rates[] = {0.75, 1.0, 1.25, 1.5, 1.75, 2.0};
const int SleepMinutes[] = {15, 30, 45, 60};

QString RateName(double rate) { return QStringLiteral("%1\u00D7").arg(rate); }

} // namespace

Listening::Listening(frmMain& main)
    : QObject(&main),
      m_main(main),
      m_player(*main.wmpr),
      m_list(main.rLista),
      m_store(std::make_unique<ListeningStore>(ListeningStore::DefaultPath())),
      m_sleep(new SleepTimer(this))
{
    host::MediaPlayer& player = m_player;
    if (const std::optional<double> volume = m_store->Volume())
        player.setVolume(*volume);
    connect(&player, &host::MediaPlayer::volumeChanged, this, [this](double volume) { m_store->SetVolume(volume); });
    connect(&player, &host::MediaPlayer::positionTick, this, [this] {
        host::MediaPlayer& player = m_player;
        m_store->Remember(player.URL(), player.PositionMs(), player.DurationMs());
        fadeAtTitleEnd();
    });
    connect(&player, &host::MediaPlayer::leaving, this,
            [this](const QString& url, qint64 position, qint64 duration) { m_store->RememberNow(url, position, duration); });
    connect(&player, &host::MediaPlayer::stateChanged, this, &Listening::onStateChanged);
    connect(&player, &host::MediaPlayer::seeked, this, &Listening::onSeeked);
    connect(&player, &host::MediaPlayer::playRequested, &m_main, &frmMain::PlaySelectedIfAny);
    // Quitting keeps the place like Stop does.
    connect(&m_main, &host::Form::unloaded, this, &Listening::rememberNow);

    connect(m_sleep, &SleepTimer::fadeChanged, &player, &host::MediaPlayer::setFade);
    connect(m_sleep, &SleepTimer::expired, this, &Listening::sleepExpired);
    connect(m_sleep, &SleepTimer::remainingChanged, this, &Listening::showSleepLeft);

    for (QWidget* widget : {static_cast<QWidget*>(&m_player), static_cast<QWidget*>(m_main.rLista)}) {
        widget->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(widget, &QWidget::customContextMenuRequested, this,
                [this, widget](const QPoint& at) { showMenu(*widget, at); });
    }
    m_main.rLista->installEventFilter(this);
}

Listening::~Listening() = default;

void Listening::BeforePlay(const QString& url)
{
    m_announceResume = false;
    if (std::exchange(m_fromStart, false)) {
        m_store->Forget(url);
        return;
    }
    if (const std::optional<qint64> resumeAt = m_store->ResumePoint(url)) {
        m_player.setStartPosition(*resumeAt);
        m_announceResume = true;
    }
}

void Listening::PlayFromStart()
{
    m_fromStart = true;
    m_main.PlaySelectedIfAny();
    m_fromStart = false;
}

void Listening::rememberNow()
{
    const host::MediaPlayer& player = m_player;
    if (player.HasMedia())
        m_store->RememberNow(player.URL(), player.PositionMs(), player.DurationMs());
}

void Listening::onStateChanged()
{
    host::MediaPlayer& player = m_player;
    switch (player.State()) {
    case host::PlaybackState::Paused:
        rememberNow();
        break;
    case host::PlaybackState::Finished:
        // Heard to the end: next time it starts from the beginning.
        m_store->Forget(player.URL());
        if (m_sleep->EndsWithTitle())
            m_sleep->TitleEnded();
        player.setFade(1.0);
        break;
    default:
        break;
    }
}

void Listening::onSeeked(qint64 ms)
{
    host::MediaPlayer& player = m_player;
    if (std::exchange(m_announceResume, false))
        player.ShowNotice(tr("Resuming at %1").arg(host::MediaPlayer::Clock(ms)));
    m_store->Remember(player.URL(), ms, player.DurationMs());
}

// The end-of-title sleep timer fades the title's last seconds out.
void Listening::fadeAtTitleEnd()
{
    if (!m_sleep->EndsWithTitle())
        return;
    const host::MediaPlayer& player = m_player;
    const qint64 left = player.DurationMs() - player.PositionMs();
    if (player.DurationMs() > 0 && left < TitleFadeMs)
        m_player.setFade(double(std::max<qint64>(left, 0)) / double(TitleFadeMs));
}

void Listening::sleepExpired()
{
    m_player.Pause();
    m_player.setFade(1.0);
    m_player.setSideNote({});
    m_player.ShowNotice(tr("Sleep timer: paused"));
}

void Listening::showSleepLeft()
{
    QString note;
    if (m_sleep->EndsWithTitle())
        note = tr("sleep at end");
    else if (m_sleep->IsRunning())
        note = tr("sleep %1").arg(host::MediaPlayer::Clock(m_sleep->RemainingMs() + 999));
    m_player.setSideNote(note);
}

bool Listening::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress)
        return m_player.HandleKey(*static_cast<QKeyEvent*>(event));
    return QObject::eventFilter(watched, event);
}

std::unique_ptr<QMenu> Listening::MakeMenu()
{
    auto menu = std::make_unique<QMenu>();
    host::MediaPlayer& player = m_player;
    const bool paused = player.State() == host::PlaybackState::Paused;
    QAction* pause = menu->addAction(paused ? tr("Resume") : tr("Pause"), &player, [&player] { player.TogglePause(); });
    pause->setEnabled(paused || player.State() == host::PlaybackState::Playing
                      || player.State() == host::PlaybackState::Buffering);
    QAction* fromStart = menu->addAction(tr("Play from the start"), this, &Listening::PlayFromStart);
    fromStart->setEnabled(m_main.HasSelectedTitle());
    QAction* back = menu->addAction(tr("Back 15 seconds"), &player, [&player] { player.SeekBy(-host::MediaPlayer::BackStepMs); });
    QAction* forward = menu->addAction(tr("Forward 30 seconds"), &player,
                                       [&player] { player.SeekBy(host::MediaPlayer::ForwardStepMs); });
    back->setEnabled(player.CanSeek());
    forward->setEnabled(player.CanSeek());
    menu->addSeparator();
    menu->addAction(tr("Volume up"), &player, [&player] { player.setVolume(player.Volume() + VolumeStep); });
    menu->addAction(tr("Volume down"), &player, [&player] { player.setVolume(player.Volume() - VolumeStep); });

    QMenu* speed = menu->addMenu(tr("Speed"));
    auto* rates = new QActionGroup(speed);
    for (const double rate : Rates) {
        QAction* choice = speed->addAction(RateName(rate), &player, [&player, rate] { player.setRate(rate); });
        choice->setCheckable(true);
        choice->setChecked(qFuzzyCompare(player.Rate(), rate));
        rates->addAction(choice);
    }

    QMenu* sleep = menu->addMenu(tr("Sleep timer"));
    auto* sleeps = new QActionGroup(sleep);
    const auto addSleep = [&](const QString& text, bool checked, auto&& choose) {
        QAction* choice = sleep->addAction(text, this, [this, choose] {
            choose();
            showSleepLeft();
        });
        choice->setCheckable(true);
        choice->setChecked(checked);
        sleeps->addAction(choice);
    };
    addSleep(tr("Off"), !m_sleep->IsRunning() && !m_sleep->EndsWithTitle(), [this] {
        m_sleep->Cancel();
        m_player.setFade(1.0);
    });
    for (const int minutes : SleepMinutes)
        addSleep(tr("%1 minutes").arg(minutes), false, [this, minutes] { m_sleep->Start(minutes); });
    addSleep(tr("End of title"), m_sleep->EndsWithTitle(), [this] { m_sleep->StartEndOfTitle(); });
    return menu;
}

void Listening::showMenu(QWidget& on, const QPoint& at)
{
    std::unique_ptr<QMenu> menu = MakeMenu();
    menu->exec(on.mapToGlobal(at));
}

} // namespace app
