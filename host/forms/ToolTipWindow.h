#pragma once

#include "host/gfx/Raster.h"
#include "host/os/Timer.h"

#include <QRegion>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <optional>

namespace host {

// Window style bits of the tooltip window.
inline constexpr unsigned TTS_ALWAYSTIP = 0x01;
inline constexpr unsigned TTS_NOPREFIX = 0x02;
inline constexpr unsigned TTS_BALLOON = 0x40;

// Title icons, by the platform's codes.
inline constexpr int TTI_NONE = 0;
inline constexpr int TTI_INFO = 1;
inline constexpr int TTI_WARNING = 2;
inline constexpr int TTI_ERROR = 3;

// Everything the window has been told since it was made, for tests to read without a display.
struct ToolTipSettings {
    unsigned style = 0;
    const QWidget* tool = nullptr;
    QRect toolRect;
    QString text;
    bool titleSet = false;
    int titleIcon = TTI_NONE;
    QString title;
    std::optional<COLORREF> textColor;
    std::optional<COLORREF> backColor;
};

// Our tooltip window: a rectangle or a balloon with a stem, for one tool (a widget and a
// rectangle in its client coordinates). Once the tool is added it works by itself: it shows
// after the desktop's hover delay while the pointer rests on the tool and hides when the
// pointer leaves or a mouse button goes down. It never takes the focus and stays on top.
class ToolTipWindow : public QWidget {
    Q_OBJECT
public:
    // The owner is the window's Qt parent and its only owner; the window is top-level all the
    // same.
    ToolTipWindow(unsigned style, QWidget* owner);
    ~ToolTipWindow() override;

    void AddTool(QWidget& tool, const QRect& rect, const QString& text);
    void SetTitle(int icon, const QString& title);
    void SetTipTextColor(COLORREF color);
    void SetTipBkColor(COLORREF color);

    const ToolTipSettings& Settings() const { return m_settings; }
    bool IsBalloon() const { return (m_settings.style & TTS_BALLOON) != 0; }
    // The colours the tip is drawn in: the system's unless others were sent.
    COLORREF EffectiveTextColor() const;
    COLORREF EffectiveBackColor() const;
    // How long the pointer must rest on the tool before the tip shows.
    int InitialDelayMs() const;
    // How long a shown tip stays while the pointer keeps still.
    int AutoPopDelayMs() const { return 10 * InitialDelayMs(); }

signals:
    void popped(bool shown);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void pointerMovedTo(QPoint toolPosition);
    void armWakeUp();
    void popUp();
    void pop();
    bool hasText() const { return !m_settings.text.isEmpty(); }
    void layOut(QPoint cursor);
    QRegion shape() const;

    ToolTipSettings m_settings;
    QPointer<QWidget> m_tool;
    Timer m_wakeUp;
    Timer m_autoPop;
    // A press hides the tip until the pointer has left the tool.
    bool m_quietUntilLeave = false;
    bool m_stemBelow = false;
    QRect m_body;
    QRegion m_shape;
    int m_stemX = 0;
};

} // namespace host
