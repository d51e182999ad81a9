#include "MediaPlayer.h"

#include "Controls.h"
#include "FileSystem.h"
#include "Platform.h"

#include <QDir>
#include <QPainter>
#include <QUrl>

#include <algorithm>

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

QString clock(qint64 ms)
{
    const qint64 s = ms / 1000;
    return s >= 3600 ? QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'))
                     : QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

MediaPlayer::MediaPlayer(QWidget* parent, const PropertyBag& design)
    : QWidget(parent), m_engine(CurrentPlatform().CreatePlaybackEngine())
{
    ApplyPlacement(*this, design);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(m_engine.get(), &PlaybackEngine::stateChanged, this, &MediaPlayer::onEngineState);
    m_elapsed.setInterval(1000);
    connect(&m_elapsed, &QTimer::timeout, this, qOverload<>(&QWidget::update));
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

void MediaPlayer::setURL(const QString& url)
{
    m_url = url;
    const QString address = ResolveAddress(url, AppPath());
    if (address.isEmpty())
        m_engine->Close();
    else
        m_engine->Open(address);
}

void MediaPlayer::close() { m_engine->Close(); }

void MediaPlayer::onEngineState(PlaybackState state, int percent, const QString& message)
{
    m_state = state;
    m_percent = percent;
    m_error = message;
    if (state == PlaybackState::Playing)
        m_elapsed.start();
    else
        m_elapsed.stop();
    update();
    emit stateChanged(state);
}

qint64 MediaPlayer::PositionMs() const
{
    if (m_state != PlaybackState::Playing || !m_engine)
        return 0;
    return std::max<qint64>(m_engine->PositionMs(), 0);
}

QString MediaPlayer::StatusText() const
{
    switch (m_state) {
    case PlaybackState::Connecting:
        return tr("Connecting…");
    case PlaybackState::Buffering:
        return tr("Buffering %1%").arg(m_percent);
    case PlaybackState::Playing: {
        const qint64 position = m_engine->PositionMs();
        return position >= 0 ? tr("Playing  %1").arg(clock(position)) : tr("Playing");
    }
    case PlaybackState::Paused:
        return tr("Paused");
    case PlaybackState::Reconnecting:
        return tr("Reconnecting…");
    case PlaybackState::Finished:
        return tr("Finished");
    case PlaybackState::Failed:
        return tr("Cannot play: %1").arg(m_error);
    case PlaybackState::Stopped:
        break;
    }
    return tr("Stopped");
}

void MediaPlayer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x10, 0x1c, 0x2b));
    const QColor accent = m_state == PlaybackState::Failed ? QColor(0xff, 0x8a, 0x7a) : QColor(0xf2, 0xc1, 0x6b);
    // The strip's visible part is its top row of text; the rest lies behind the list.
    const QRect line(8, 0, width() - 16, 24);
    QFont f = font();
    f.setPixelSize(12);
    painter.setFont(f);
    painter.setPen(accent);
    const QString glyph = m_state == PlaybackState::Playing ? QStringLiteral("\u25B6")
        : m_state == PlaybackState::Failed                 ? QStringLiteral("!")
                                                           : QStringLiteral("\u25A0");
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, glyph);
    painter.setPen(QColor(0xee, 0xf2, 0xf6));
    painter.drawText(line.adjusted(18, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(StatusText(), Qt::ElideRight, line.width() - 18));
}

} // namespace host
