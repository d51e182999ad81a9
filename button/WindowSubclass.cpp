#include "WindowSubclass.h"

#include <QMouseEvent>
#include <QWidget>

#include <algorithm>

namespace button {

namespace {

constexpr std::intptr_t MK_LBUTTON = 0x1, MK_RBUTTON = 0x2, MK_MBUTTON = 0x10;

std::intptr_t buttonState(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? MK_LBUTTON : 0) | (buttons & Qt::RightButton ? MK_RBUTTON : 0)
        | (buttons & Qt::MiddleButton ? MK_MBUTTON : 0);
}

// Client coordinates packed as the platform packs them: x in the low word, y in the high.
std::intptr_t packedPosition(QPointF position)
{
    const QPoint p = position.toPoint();
    return std::intptr_t(std::uint16_t(p.x())) | (std::intptr_t(std::uint16_t(p.y())) << 16);
}

} // namespace

WindowSubclass::WindowSubclass(QWidget& window, Callback after)
    : m_window(window), m_after(std::move(after)), m_hadMouseTracking(window.hasMouseTracking())
{
    // Moves are only reported without a held button when the widget asks for them.
    m_window.setMouseTracking(true);
    m_window.installEventFilter(this);
}

WindowSubclass::~WindowSubclass()
{
    m_window.removeEventFilter(this);
    m_window.setMouseTracking(m_hadMouseTracking);
}

void WindowSubclass::AddMessage(std::uint32_t message)
{
    if (!wants(message))
        m_afterMessages.push_back(message);
}

bool WindowSubclass::wants(std::uint32_t message) const
{
    return std::find(m_afterMessages.begin(), m_afterMessages.end(), message) != m_afterMessages.end();
}

std::optional<std::uint32_t> WindowSubclass::messageFor(const QEvent& event)
{
    switch (event.type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
        // A disabled window receives no mouse messages.
        if (!m_window.isEnabled())
            return std::nullopt;
        return WM_MOUSEMOVE;
    case QEvent::Leave:
        if (!m_leaveRequested)
            return std::nullopt;
        m_leaveRequested = false;
        return WM_MOUSELEAVE;
    case QEvent::StyleChange:
    case QEvent::ThemeChange:
        return WM_THEMECHANGED;
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
        return WM_SYSCOLORCHANGE;
    default:
        return std::nullopt;
    }
}

bool WindowSubclass::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_window)
        return false;
    const std::optional<std::uint32_t> message = messageFor(*event);
    if (!message || !wants(*message))
        return false;

    std::intptr_t wParam = 0, lParam = 0;
    if (const auto* pointer = dynamic_cast<const QSinglePointEvent*>(event)) {
        wParam = buttonState(pointer->buttons());
        lParam = packedPosition(pointer->position());
    }
    // The widget's own handling comes first; the event is then fully delivered, so it must
    // not be delivered a second time.
    static_cast<QObject&>(m_window).event(event);
    m_after(m_window, *message, wParam, lParam);
    return true;
}

} // namespace button
