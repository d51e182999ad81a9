#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace button {

// The window messages the button asks to hear about, by their platform numbers.
enum WindowMessage : std::uint32_t {
    WM_SYSCOLORCHANGE = 0x15,
    WM_MOUSEMOVE = 0x200,
    WM_MOUSELEAVE = 0x2A3,
    WM_THEMECHANGED = 0x31A,
};

// Our window subclassing: an event filter on one widget that lets the widget handle each
// event itself first, then hands the matching messages to a callback. Pointer-leave notices
// come once per RequestLeaveNotice, as the platform's leave tracking gives them.
class WindowSubclass : public QObject {
public:
    using Callback = std::function<void(QWidget& window, std::uint32_t message, std::intptr_t wParam,
                                        std::intptr_t lParam)>;

    WindowSubclass(QWidget& window, Callback after);
    ~WindowSubclass() override;
    WindowSubclass(const WindowSubclass&) = delete;
    WindowSubclass& operator=(const WindowSubclass&) = delete;

    QWidget& Window() const { return m_window; }
    // Adds a message to those handed on after the default handling; a second add is a no-op.
    void AddMessage(std::uint32_t message);
    void RequestLeaveNotice() { m_leaveRequested = true; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<std::uint32_t> messageFor(const QEvent& event);
    bool wants(std::uint32_t message) const;

    QWidget& m_window;
    Callback m_after;
    std::vector<std::uint32_t> m_afterMessages;
    bool m_hadMouseTracking;
    bool m_leaveRequested = false;
};

} // namespace button
