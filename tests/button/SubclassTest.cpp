#include "button/WindowSubclass.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <QWidget>

#include <memory>

using button::WindowSubclass;

namespace {

// Notes what it handles itself, so the order against the callback can be seen.
class Window : public QWidget {
public:
    QStringList* log = nullptr;

protected:
    void leaveEvent(QEvent*) override { *log << QStringLiteral("window leave"); }
    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::StyleChange)
            *log << QStringLiteral("window style");
    }
};

void send(QWidget& w, QEvent::Type type)
{
    QEvent event(type);
    QApplication::sendEvent(&w, &event);
}

} // namespace

TEST(WindowSubclass, HandsChosenMessagesOnAfterTheWindowsOwnHandling)
{
    QStringList log;
    Window window;
    window.log = &log;
    auto subclass = std::make_unique<WindowSubclass>(window, [&](QWidget&, std::uint32_t message, std::intptr_t,
                                                                  std::intptr_t) {
        log << QStringLiteral("after 0x%1").arg(message, 0, 16);
    });
    EXPECT_TRUE(window.hasMouseTracking());
    subclass->AddMessage(button::WM_THEMECHANGED);
    subclass->AddMessage(button::WM_THEMECHANGED);
    subclass->AddMessage(button::WM_MOUSELEAVE);

    send(window, QEvent::StyleChange);
    send(window, QEvent::Leave);
    subclass->RequestLeaveNotice();
    send(window, QEvent::Leave);
    send(window, QEvent::PaletteChange);
    EXPECT_EQ(log, QStringList({"window style", "after 0x31a", "window leave", "window leave", "after 0x2a3"}))
        << "once per message however often added; a leave only when asked for; unlisted messages not at all";

    subclass.reset();
    log.clear();
    send(window, QEvent::StyleChange);
    EXPECT_EQ(log, QStringList({"window style"})) << "stopping puts the window back as it was";
    EXPECT_FALSE(window.hasMouseTracking());
}
