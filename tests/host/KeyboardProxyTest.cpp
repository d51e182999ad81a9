#include "host/os/KeyboardProxy.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>

#include <gtest/gtest.h>

#include <memory>

namespace {

void type(QWidget& receiver, Qt::Key key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&receiver, &press);
    QCoreApplication::sendEvent(&receiver, &release);
}

} // namespace

// The keys the compositor gives the proxy are the docked window's: they reach the control
// that has its focus, whichever it is.
TEST(KeyboardProxy, HandsEveryKeyToTheTargetsFocusedControl)
{
    QWidget target;
    auto* first = new QLineEdit(&target);
    auto* second = new QLineEdit(&target);
    host::KeyboardProxy proxy(target);

    first->setFocus();
    type(proxy, Qt::Key_A, QStringLiteral("a"));
    second->setFocus();
    type(proxy, Qt::Key_B, QStringLiteral("b"));
    type(proxy, Qt::Key_C, QStringLiteral("c"));
    type(proxy, Qt::Key_Backspace, QString());

    EXPECT_EQ(first->text(), QStringLiteral("a"));
    EXPECT_EQ(second->text(), QStringLiteral("b"));
}

TEST(KeyboardProxy, GoesWithItsTarget)
{
    auto target = std::make_unique<QWidget>();
    QPointer<host::KeyboardProxy> proxy = new host::KeyboardProxy(*target);
    target.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(proxy.isNull());
}
