#include "WindowSubclass.h"

#include <QWidget>

#include <algorithm>

namespace button {

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

void WindowSubclass::Watch(QEvent::Type type)
{
    if (!watches(type))
        m_watched.push_back(type);
}

bool WindowSubclass::watches(QEvent::Type type) const
{
    return std::find(m_watched.begin(), m_watched.end(), type) != m_watched.end();
}

bool WindowSubclass::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_window || !watches(event->type()))
        return false;
    // The widget's own handling comes first; the event is then fully delivered, so it must
    // not be delivered a second time.
    static_cast<QObject&>(m_window).event(event);
    m_after(m_window, *event);
    return true;
}

} // namespace button
