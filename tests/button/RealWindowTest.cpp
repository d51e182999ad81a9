// The button on a real X display: the pointer's entry and exit come from the server, not
// from events the test makes up. Run by real_window_test.sh on its own Xvfb.
#include "support/FakePlatform.h"

#include "button/PelroButton.h"
#include "host/PropertyBag.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

using button::PelroButton;

namespace {

host::PropertyBag stopButton()
{
    host::PropertyBag store;
    store.SetStored(QStringLiteral("Left"), QStringLiteral("600"));
    store.SetStored(QStringLiteral("Top"), QStringLiteral("600"));
    store.SetStored(QStringLiteral("Width"), QStringLiteral("1455"));
    store.SetStored(QStringLiteral("Height"), QStringLiteral("300"));
    store.SetStored(QStringLiteral("Caption"), QStringLiteral("Stop"));
    return store;
}

// Real button presses through the server's test extension.
void xdotool(const QStringList& arguments)
{
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), arguments), 0) << arguments.join(' ').toStdString();
}

} // namespace

TEST(ButtonOnARealDisplay, PointerEntryAndExitHoverAndRaiseTheirEvents)
{
    testsupport::FakePlatform platform;
    host::ScopedPlatform usePlatform(platform);
    QWidget form;
    form.setGeometry(100, 100, 300, 200);
    auto* b = new PelroButton(&form, stopButton());
    QCursor::setPos(form.mapToGlobal(QPoint(250, 150)));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    QSignalSpy entries(b, &PelroButton::MouseEnter);
    QSignalSpy leaves(b, &PelroButton::MouseLeave);
    QCursor::setPos(b->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return entries.count() == 1; }, 5000));
    EXPECT_EQ(b->Fields().DrawState, paint::Hover);

    QCursor::setPos(b->mapToGlobal(QPoint(30, 12)));
    QTest::qWait(100);
    EXPECT_EQ(entries.count(), 1);

    QCursor::setPos(form.mapToGlobal(QPoint(250, 150)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return leaves.count() == 1; }, 5000));
    EXPECT_EQ(b->Fields().DrawState, paint::Normal);
    EXPECT_FALSE(b->Fields().MouseInside);

    QCursor::setPos(b->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return entries.count() == 2; }, 5000));
}

TEST(ButtonOnARealDisplay, RealClicksDoubleClicksAndAReleaseOutside)
{
    testsupport::FakePlatform platform;
    host::ScopedPlatform usePlatform(platform);
    QWidget form;
    form.setGeometry(100, 100, 300, 200);
    auto* b = new PelroButton(&form, stopButton());
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QSignalSpy clicks(b, &PelroButton::Click);
    QCursor::setPos(b->mapToGlobal(QPoint(10, 10)));
    QTest::qWait(50);

    xdotool({"click", "1"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return clicks.count() == 1; }, 5000));

    QTest::qWait(QApplication::doubleClickInterval() + 100);
    xdotool({"click", "--repeat", "2", "--delay", "40", "1"});
    QTest::qWait(300);
    EXPECT_EQ(clicks.count(), 2) << "a double click is one click";

    QTest::qWait(QApplication::doubleClickInterval() + 100);
    xdotool({"mousedown", "1"});
    QTest::qWait(50);
    QCursor::setPos(form.mapToGlobal(QPoint(250, 150)));
    QTest::qWait(50);
    xdotool({"mouseup", "1"});
    QTest::qWait(300);
    EXPECT_EQ(clicks.count(), 2) << "released outside";
    EXPECT_FALSE(b->Fields().MouseInside) << "the leave comes once the button is released";
}
