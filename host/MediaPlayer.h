#pragma once

#include "PlaybackEngine.h"
#include "PropertyBag.h"

#include <QTimer>
#include <QWidget>

#include <memory>

namespace host {

// The embedded player: setting URL starts playback, close stops it and releases the
// media. Its visible strip says what the player is doing; it never opens a dialog.
class MediaPlayer : public QWidget {
    Q_OBJECT
public:
    MediaPlayer(QWidget* parent, const PropertyBag& design);
    ~MediaPlayer() override;

    QString URL() const { return m_url; }
    // An address with a scheme is played as it is; anything else is a file path, taken
    // relative to the program's folder unless absolute. Empty stops playback only.
    void setURL(const QString& url);
    void close();

    PlaybackState State() const { return m_state; }
    // Milliseconds into the playing media; 0 unless it plays.
    qint64 PositionMs() const;
    QString StatusText() const;

    static QString ResolveAddress(const QString& url, const QString& programFolder);

signals:
    void stateChanged(host::PlaybackState state);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void onEngineState(PlaybackState state, int percent, const QString& message);

    std::unique_ptr<PlaybackEngine> m_engine;
    QString m_url;
    PlaybackState m_state = PlaybackState::Stopped;
    int m_percent = 0;
    QString m_error;
    QTimer m_elapsed; // only runs while playing
};

} // namespace host
