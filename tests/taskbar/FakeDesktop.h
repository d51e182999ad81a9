#pragma once

#include "host/os/Desktop.h"

#include <QWidget>

#include <optional>

namespace testsupport {

// A screen, work area and pointer the test sets; windows are where Qt put them.
class FakeDesktop : public host::Desktop {
public:
    std::optional<host::ScreenRect> WorkArea() const override { return workArea; }
    QSize ScreenSize() const override { return screenSize; }
    QPoint CursorPos() const override { return cursor; }
    host::ScreenRect WindowRect(const QWidget& window) const override
    {
        const QRect r = window.frameGeometry();
        return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
    void SetTopmost(QWidget& window) override
    {
        ++topmostCalls;
        lastTopmost = &window;
    }
    const QWidget* WindowUnderPointer() const override { return underPointer; }

    std::optional<host::ScreenRect> workArea = host::ScreenRect{0, 0, 1280, 800};
    QSize screenSize{1280, 800};
    QPoint cursor{640, 400};
    // Which of our windows the display server says the pointer is over.
    const QWidget* underPointer = nullptr;
    int topmostCalls = 0;
    const QWidget* lastTopmost = nullptr;
};

} // namespace testsupport
