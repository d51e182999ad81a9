#pragma once

#include "host/media/PlaybackEngine.h"
#include "PropertyBag.h"

#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

class QKeyEvent;
class QPainter;

namespace host {

// The embedded player: setting URL starts playback, close stops it and releases the
// media. Its visible strip says what the player is doing, carries a pause/play mark and a
// thin progress line to seek in; it never opens a dialog.
class MediaPlayer : public QWidget {
    Q_OBJECT
public:
    static constexpr qint64 BackStepMs = 15'000;
    static constexpr qint64 ForwardStepMs = 30'000;
    static constexpr double DefaultVolume = 0.5;
    static constexpr double MinimumRate = 0.75;
    static constexpr double MaximumRate = 2.0;

    MediaPlayer(QWidget* parent, const PropertyBag& design);
    ~MediaPlayer() override;

    QString URL() const { return m_url; }
    // An address with a scheme is played as it is; anything else is a file path, taken
    // relative to the program's folder unless absolute. Empty stops playback only.
    void setURL(const QString& url);
    void close();
    // Where the next setURL starts playing, when its media can seek; used once.
    void setStartPosition(qint64 ms) { m_startAt = ms; }

    // The title the strip names while its media is open.
    void setTitle(const QString& title);
    QString Title() const { return m_title; }

    void Pause();
    void Resume();
    // Pauses what plays, resumes what is paused; false when neither.
    bool TogglePause();
    // Both false, saying so in the strip, when the media cannot seek.
    bool SeekTo(qint64 ms);
    bool SeekBy(qint64 deltaMs);
    bool CanSeek() const;
    bool HasMedia() const;

    double Volume() const { return m_volume; }
    void setVolume(double volume);
    double Rate() const { return m_rate; }
    void setRate(double rate);
    // A factor on the volume for fading out; 1 is none.
    void setFade(double factor);

    PlaybackState State() const { return m_state; }
    // Milliseconds into the open media; 0 when nothing is open.
    qint64 PositionMs() const;
    // Length of the open media, -1 when unknown.
    qint64 DurationMs() const;
    QString StatusText() const;
    // What a screen reader says for the strip: what it shows, with the state in words
    // ("Playing — title") and without the running time.
    QString SpokenText() const;
    // A short word in the strip for a few seconds ("Resuming at 12:34").
    void ShowNotice(const QString& text);
    QString Notice() const { return m_notice; }
    // Work of the window's shown in the strip while it lasts ("Updating catalogue 40%");
    // empty when done.
    void setActivity(const QString& text);
    QString Activity() const { return m_activity; }
    // A standing note after the time (the sleep timer's countdown); empty for none.
    void setSideNote(const QString& text);
    QString SideNote() const { return m_sideNote; }

    // Space, Left, Right, Home, volume keys; true when the key was the player's.
    bool HandleKey(const QKeyEvent& event);

    static QString ResolveAddress(const QString& url, const QString& programFolder);
    static QString Clock(qint64 ms);

signals:
    void stateChanged(host::PlaybackState state);
    void mediaChanged();
    void seeked(qint64 ms);
    void volumeChanged(double volume);
    void rateChanged(double rate);
    // About once a second while the media plays.
    void positionTick();
    // The open media is about to be closed or replaced, heard up to positionMs.
    void leaving(const QString& url, qint64 positionMs, qint64 durationMs);
    // The play mark was clicked with nothing open.
    void playRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void onEngineState(PlaybackState state, int percent, const QString& message);
    void announceLeaving();
    // Tells screen readers the strip's words changed; not for the ticking time or progress.
    void announceChange();
    QString spoken(bool withProgress) const;
    void applyVolume();
    QRect markRect() const;
    void drawMark(QPainter& painter, const QColor& colour) const;
    QRect progressRect() const;
    bool onProgressLine(QPoint point) const;
    qint64 positionAt(int x) const;
    struct Line {
        QString lead;
        QString time;
    };
    Line statusLine() const;

    std::unique_ptr<PlaybackEngine> m_engine;
    QString m_url;
    QString m_title;
    PlaybackState m_state = PlaybackState::Stopped;
    int m_percent = 0;
    QString m_error;
    qint64 m_startAt = 0;
    double m_volume = DefaultVolume;
    double m_rate = 1.0;
    double m_fade = 1.0;
    QString m_notice;
    QString m_sideNote;
    QString m_activity;
    QString m_announced; // the words screen readers last heard of, without progress
    std::optional<qint64> m_dragMs; // where a drag on the progress line would seek
    QTimer m_elapsed;               // only runs while playing
    QTimer m_noticeTimer;
};

} // namespace host
