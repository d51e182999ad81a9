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

QString after(QEvent::Type type) { return QStringLiteral("after %1").arg(int(type)); }

} // namespace

TEST(WindowSubclass, HandsWatchedEventsOnOnceAfterTheWindowsOwnHandling)
{
    QStringList log;
    Window window;
    window.log = &log;
    auto subclass = std::make_unique<WindowSubclass>(
        window, [&](QWidget& w, const QEvent& event) {
            EXPECT_EQ(&w, &window);
            log << after(event.type());
        });
    EXPECT_TRUE(window.hasMouseTracking());
    subclass->Watch(QEvent::StyleChange);
    subclass->Watch(QEvent::StyleChange);
    subclass->Watch(QEvent::Leave);

    send(window, QEvent::StyleChange);
    send(window, QEvent::Leave);
    send(window, QEvent::PaletteChange);
    EXPECT_EQ(log, QStringList({"window style", after(QEvent::StyleChange), "window leave", after(QEvent::Leave)}))
        << "the window handles each event once, then the callback hears it once however often it was "
           "watched; unwatched events not at all";

    subclass.reset();
    log.clear();
    send(window, QEvent::StyleChange);
    EXPECT_EQ(log, QStringList({"window style"})) << "stopping puts the window back as it was";
    EXPECT_FALSE(window.hasMouseTracking());
}
