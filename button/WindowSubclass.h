#pragma once

#include <QEvent>
#include <QObject>

#include <functional>
#include <vector>

class QWidget;

namespace button {

// Our window subclassing: an event filter on one widget that lets the widget handle each
// event itself first, then hands the chosen kinds of event to a callback.
class WindowSubclass : public QObject {
public:
    using Callback = std::function<void(QWidget& window, const QEvent& event)>;

    WindowSubclass(QWidget& window, Callback after);
    ~WindowSubclass() override;
    WindowSubclass(const WindowSubclass&) = delete;
    WindowSubclass& operator=(const WindowSubclass&) = delete;

    QWidget& Window() const { return m_window; }
    // Adds a kind of event to those handed on after the default handling; a second add is a
    // no-op.
    void Watch(QEvent::Type type);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool watches(QEvent::Type type) const;

    QWidget& m_window;
    Callback m_after;
    std::vector<QEvent::Type> m_watched;
    bool m_hadMouseTracking;
};

} // namespace button
