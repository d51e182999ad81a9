#include "MediaPlayer.h"

#include "Accessibility.h"
#include "Controls.h"
#include "host/os/FileSystem.h"
#include "host/os/Platform.h"

#include <QAccessible>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace host {

namespace {

bool hasScheme(const QString& url)
{
    // "C:\..." is a drive, not a scheme: a scheme has two letters or more.
    const qsizetype colon = url.indexOf(QLatin1Char(':'));
    if (colon < 2)
        return false;
    for (qsizetype i = 0; i < colon; ++i) {
        const QChar c = url[i];
        const bool ok = c.isLetter() || (i > 0 && (c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-')
                                                   || c == QLatin1Char('.')));
        if (!ok || c.unicode() > 0x7F)
            return false;
    }
    return true;
}

constexpr int NoticeMs = 3000;
constexpr int StripHeight = 24; // the part above the list
constexpr int MarkWidth = 18;
const QString Dash = QStringLiteral(" \u2014 ");

bool IsOpen(PlaybackState state)
{
    return state == PlaybackState::Connecting || state == PlaybackState::Buffering || state == PlaybackState::Playing
        || state == PlaybackState::Paused || state == PlaybackState::Reconnecting;
}

QString joined(std::initializer_list<QString> parts)
{
    QStringList kept;
    for (const QString& part : parts)
        if (!part.isEmpty())
            kept << part;
    return kept.join(Dash);
}

} // namespace

MediaPlayer::MediaPlayer(QWidget* parent, const PropertyBag& design)
    : QWidget(parent), m_engine(CurrentPlatform().CreatePlaybackEngine())
{
    InstallAccessibility();
    ApplyPlacement(*this, design);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    connect(m_engine.get(), &PlaybackEngine::stateChanged, this, &MediaPlayer::onEngineState);
    connect(m_engine.get(), &PlaybackEngine::mediaChanged, this, [this] {
        update();
        emit mediaChanged();
    });
    connect(m_engine.get(), &PlaybackEngine::seeked, this, [this](qint64 ms) {
        update();
        emit seeked(ms);
    });
    m_elapsed.setInterval(1000);
    connect(&m_elapsed, &QTimer::timeout, this, [this] {
        update();
        emit positionTick();
    });
    m_noticeTimer.setSingleShot(true);
    m_noticeTimer.setInterval(NoticeMs);
    connect(&m_noticeTimer, &QTimer::timeout, this, [this] {
        m_notice.clear();
        update();
        announceChange();
    });
    applyVolume();
    m_announced = spoken(false); // what it says at first is no change
}

MediaPlayer::~MediaPlayer() = default;

QString MediaPlayer::ResolveAddress(const QString& url, const QString& programFolder)
{
    if (url.isEmpty() || hasScheme(url))
        return url;
    QString path = NativePath(url);
    if (QDir::isRelativePath(path))
        path = programFolder + QLatin1Char('/') + path;
    return QUrl::fromLocalFile(QDir::cleanPath(path)).toString(QUrl::FullyEncoded);
}

QString MediaPlayer::Clock(qint64 ms)
{
    const qint64 s = std::max<qint64>(ms, 0) / 1000;
    return s >= 3600 ? QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'))
                     : QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

void MediaPlayer::setURL(const QString& url)
{
    announceLeaving();
    m_url = url;
    const qint64 startAt = std::exchange(m_startAt, 0);
    const QString address = ResolveAddress(url, AppPath());
    if (address.isEmpty())
        m_engine->Close();
    else
        m_engine->Open(address, startAt);
}

void MediaPlayer::close()
{
    announceLeaving();
    m_engine->Close();
}

void MediaPlayer::announceLeaving()
{
    if (HasMedia() && !m_url.isEmpty())
        emit leaving(m_url, PositionMs(), DurationMs());
}

void MediaPlayer::setTitle(const QString& title)
{
    m_title = title;
    update();
    announceChange();
}

bool MediaPlayer::HasMedia() const { return IsOpen(m_state); }

void MediaPlayer::Pause()
{
    if (m_state == PlaybackState::Playing || m_state == PlaybackState::Buffering || m_state == PlaybackState::Reconnecting)
        m_engine->Pause();
}

void MediaPlayer::Resume()
{
    if (m_state == PlaybackState::Paused)
        m_engine->Resume();
}

bool MediaPlayer::TogglePause()
{
    if (m_state == PlaybackState::Paused) {
        Resume();
        return true;
    }
    if (!HasMedia() || m_state == PlaybackState::Connecting)
        return false;
    Pause();
    return true;
}

bool MediaPlayer::CanSeek() const { return HasMedia() && m_engine->CanSeek(); }

bool MediaPlayer::SeekTo(qint64 ms)
{
    if (!HasMedia())
        return false;
    if (!CanSeek()) {
        ShowNotice(tr("This stream cannot seek"));
        return false;
    }
    const qint64 duration = DurationMs();
    ms = std::max<qint64>(0, duration > 0 ? std::min(ms, duration - 1000) : ms);
    const bool done = m_engine->Seek(ms);
    update();
    return done;
}

bool MediaPlayer::SeekBy(qint64 deltaMs) { return SeekTo(PositionMs() + deltaMs); }

void MediaPlayer::setVolume(double volume)
{
    volume = std::clamp(volume, 0.0, 1.0);
    if (volume == m_volume)
        return;
    m_volume = volume;
    applyVolume();
    emit volumeChanged(volume);
}

void MediaPlayer::setRate(double rate)
{
    rate = std::clamp(rate, MinimumRate, MaximumRate);
    if (rate == m_rate)
        return;
    m_rate = rate;
    m_engine->SetRate(rate);
    emit rateChanged(rate);
}

void MediaPlayer::setFade(double factor)
{
    m_fade = std::clamp(factor, 0.0, 1.0);
    applyVolume();
}

void MediaPlayer::applyVolume() { m_engine->SetVolume(m_volume * m_fade); }

void MediaPlayer::onEngineState(PlaybackState state, int percent, const QString& message)
{
    m_state = state;
    m_percent = percent;
    m_error = message;
    if (state == PlaybackState::Playing)
        m_elapsed.start();
    else
        m_elapsed.stop();
    if (!IsOpen(state))
        m_dragMs.reset();
    update();
    announceChange();
    emit stateChanged(state);
}

qint64 MediaPlayer::PositionMs() const
{
    if (!HasMedia() || !m_engine)
        return 0;
    return std::max<qint64>(m_engine->PositionMs(), 0);
}

qint64 MediaPlayer::DurationMs() const { return HasMedia() ? m_engine->DurationMs() : -1; }

MediaPlayer::Line MediaPlayer::statusLine() const
{
    const qint64 duration = DurationMs();
    const QString time = Clock(m_dragMs.value_or(PositionMs())) + (duration > 0 ? QStringLiteral(" / ") + Clock(duration) : QString());
    switch (m_state) {
    case PlaybackState::Connecting:
        return {joined({tr("Connecting…"), m_title}), {}};
    case PlaybackState::Buffering:
        return {joined({tr("Buffering %1%").arg(m_percent), m_title}), {}};
    case PlaybackState::Playing:
        return m_title.isEmpty() ? Line{tr("Playing"), time} : Line{m_title, time};
    case PlaybackState::Paused:
        return {joined({tr("Paused"), m_title}), time};
    case PlaybackState::Reconnecting:
        return {joined({tr("Reconnecting…"), m_title}), time};
    case PlaybackState::Finished:
        return {tr("Finished"), {}};
    case PlaybackState::Failed:
        return {tr("Cannot play: %1").arg(m_error), {}};
    case PlaybackState::Stopped:
        break;
    }
    return {tr("Stopped"), {}};
}

QString MediaPlayer::StatusText() const
{
    const Line line = statusLine();
    // Without a title the time follows the state word as it always has.
    if (m_state == PlaybackState::Playing && m_title.isEmpty())
        return line.lead + QStringLiteral("  ") + line.time;
    return joined({line.lead, line.time});
}

QString MediaPlayer::SpokenText() const { return spoken(true); }

QString MediaPlayer::spoken(bool withProgress) const
{
    if (!m_notice.isEmpty())
        return m_notice;
    if (!m_activity.isEmpty()) {
        QString activity = m_activity;
        if (!withProgress)
            activity.removeIf([](QChar c) { return c.isDigit(); });
        return activity;
    }
    if (m_state == PlaybackState::Playing)
        return joined({tr("Playing"), m_title});
    if (m_state == PlaybackState::Buffering && !withProgress)
        return joined({tr("Buffering"), m_title});
    return statusLine().lead;
}

void MediaPlayer::announceChange()
{
    // Buffering's percentage and an update's progress change the words but are not news:
    // spoken each time they would talk over the listening.
    QString said = spoken(false);
    if (said == m_announced)
        return;
    m_announced = std::move(said);
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void MediaPlayer::ShowNotice(const QString& text)
{
    m_notice = text;
    m_noticeTimer.start();
    update();
    announceChange();
}

void MediaPlayer::setActivity(const QString& text)
{
    if (text == m_activity)
        return;
    m_activity = text;
    update();
    announceChange();
}

void MediaPlayer::setSideNote(const QString& text)
{
    if (text == m_sideNote)
        return;
    m_sideNote = text;
    update();
}

QRect MediaPlayer::markRect() const { return QRect(0, 0, 24, StripHeight - 4); }

QRect MediaPlayer::progressRect() const { return QRect(8, StripHeight - 3, width() - 16, 2); }

// The line is two pixels; the band a pointer can hit is a little taller.
bool MediaPlayer::onProgressLine(QPoint point) const
{
    return point.y() >= StripHeight - 8 && point.y() < StripHeight && point.x() >= 4 && point.x() < width() - 4;
}

qint64 MediaPlayer::positionAt(int x) const
{
    const QRect line = progressRect();
    const double fraction = std::clamp(double(x - line.left()) / std::max(1, line.width()), 0.0, 1.0);
    return qint64(fraction * double(std::max<qint64>(DurationMs(), 0)));
}

void MediaPlayer::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const QPoint point = event->position().toPoint();
    if (onProgressLine(point) && HasMedia()) {
        if (!CanSeek() || DurationMs() <= 0) {
            ShowNotice(tr("This stream cannot seek"));
            return;
        }
        m_dragMs = positionAt(point.x());
        update();
        return;
    }
    if (markRect().contains(point)) {
        if (!TogglePause() && !HasMedia())
            emit playRequested();
    }
}

void MediaPlayer::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragMs)
        return;
    m_dragMs = positionAt(event->position().toPoint().x());
    update();
}

void MediaPlayer::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragMs || event->button() != Qt::LeftButton)
        return;
    const qint64 target = positionAt(event->position().toPoint().x());
    m_dragMs.reset();
    SeekTo(target);
}

bool MediaPlayer::HandleKey(const QKeyEvent& event)
{
    const bool plain = !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    switch (event.key()) {
    case Qt::Key_Space:
        return plain && TogglePause();
    case Qt::Key_Left:
        return plain && HasMedia() && (SeekBy(-BackStepMs), true);
    case Qt::Key_Right:
        return plain && HasMedia() && (SeekBy(ForwardStepMs), true);
    case Qt::Key_Home:
        return plain && HasMedia() && (SeekTo(0), true);
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_VolumeUp:
        setVolume(m_volume + 0.05);
        ShowNotice(tr("Volume %1%").arg(qRound(m_volume * 100)));
        return true;
    case Qt::Key_Minus:
    case Qt::Key_VolumeDown:
        setVolume(m_volume - 0.05);
        ShowNotice(tr("Volume %1%").arg(qRound(m_volume * 100)));
        return true;
    case Qt::Key_MediaTogglePlayPause:
    case Qt::Key_MediaPause:
    case Qt::Key_MediaPlay:
        if (TogglePause())
            return true;
        emit playRequested();
        return true;
    default:
        return false;
    }
}

void MediaPlayer::keyPressEvent(QKeyEvent* event)
{
    if (!HandleKey(*event))
        QWidget::keyPressEvent(event);
}

// Drawn, not taken from a font: the mark shows what a click on it does.
void MediaPlayer::drawMark(QPainter& painter, const QColor& colour) const
{
    const QRect box(8, 5, 10, 10);
    if (m_state == PlaybackState::Failed) {
        painter.setPen(colour);
        painter.drawText(box, Qt::AlignCenter, QStringLiteral("!"));
        return;
    }
    if (m_state == PlaybackState::Paused || !HasMedia()) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        const QPointF triangle[] = {box.topLeft(), QPointF(box.right() + 1, box.center().y() + 0.5), box.bottomLeft() + QPointF(0, 1)};
        painter.drawPolygon(triangle, 3);
        painter.restore();
        return;
    }
    painter.fillRect(QRect(box.left() + 1, box.top(), 3, box.height()), colour);
    painter.fillRect(QRect(box.left() + 6, box.top(), 3, box.height()), colour);
}

void MediaPlayer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x10, 0x1c, 0x2b));
    const QColor accent = m_state == PlaybackState::Failed ? QColor(0xff, 0x8a, 0x7a) : QColor(0xf2, 0xc1, 0x6b);
    const QColor text(0xee, 0xf2, 0xf6);
    // The strip's visible part is its top row; the rest lies behind the list.
    const QRect row(8, 0, width() - 16, StripHeight - 4);
    QFont f = font();
    f.setPixelSize(12);
    painter.setFont(f);
    drawMark(painter, accent);

    const Line line = statusLine();
    const QString time = joined({line.time, m_sideNote});
    const QFontMetrics metrics = painter.fontMetrics();
    const int timeWidth = time.isEmpty() ? 0 : metrics.horizontalAdvance(time) + 8;
    const QRect leadBox = row.adjusted(MarkWidth, 0, -timeWidth, 0);
    painter.setPen(text);
    const QString lead = !m_notice.isEmpty() ? m_notice : !m_activity.isEmpty() ? m_activity : line.lead;
    painter.drawText(leadBox, Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(lead, Qt::ElideRight, leadBox.width()));
    if (!time.isEmpty()) {
        painter.setPen(QColor(0xb8, 0xc4, 0xd2));
        painter.drawText(row, Qt::AlignRight | Qt::AlignVCenter, time);
    }

    const QRect progress = progressRect();
    painter.fillRect(progress, QColor(0x2c, 0x3d, 0x52));
    const qint64 duration = DurationMs();
    if (duration > 0) {
        const double fraction = std::clamp(double(m_dragMs.value_or(PositionMs())) / double(duration), 0.0, 1.0);
        painter.fillRect(QRect(progress.left(), progress.top(), qRound(fraction * progress.width()), progress.height()), accent);
    }
}

} // namespace host
