// The button on a real X display: the pointer's entry and exit come from the server, not
// from events the test makes up. Run by real_window_test.sh on its own Xvfb.
#include "support/FakePlatform.h"

#include "button/PelroButton.h"
#include "host/forms/PropertyBag.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <QAccessible>
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

namespace {

host::PropertyBag buttonAt(const char* caption, const char* left)
{
    host::PropertyBag store = stopButton();
    store.SetStored(QStringLiteral("Caption"), QLatin1String(caption));
    store.SetStored(QStringLiteral("Left"), QLatin1String(left));
    return store;
}

// Two buttons side by side on an active window, as Stop and Update sit in the main window.
struct TwoButtons {
    TwoButtons()
    {
        form.setGeometry(100, 100, 300, 200);
        stop = new PelroButton(&form, buttonAt("Stop", "300"));
        update = new PelroButton(&form, buttonAt("Update", "2100"));
        QCursor::setPos(form.mapToGlobal(QPoint(250, 150)));
        form.show();
        form.activateWindow();
    }
    bool ready() { return QTest::qWaitForWindowActive(&form); }

    testsupport::FakePlatform platform;
    host::ScopedPlatform usePlatform{platform};
    QWidget form;
    PelroButton* stop = nullptr;
    PelroButton* update = nullptr;
};

// Event codes, with two markers of our own below Qt's range (an enum may not hold them).
constexpr int DisabledChanged = -1;
constexpr int PressedChanged = -2;
std::vector<int> g_heard;
QObject* g_heardAbout = nullptr;

void recordFor(QAccessibleEvent* event)
{
    if (event->object() != g_heardAbout)
        return;
    g_heard.push_back(int(event->type()));
    if (event->type() == QAccessible::StateChanged) {
        const QAccessible::State changed = static_cast<QAccessibleStateChangeEvent*>(event)->changedStates();
        if (changed.disabled)
            g_heard.push_back(DisabledChanged);
        if (changed.pressed)
            g_heard.push_back(PressedChanged);
    }
}

int count(int code) { return int(std::count(g_heard.begin(), g_heard.end(), code)); }

} // namespace

TEST(ButtonOnARealDisplay, TabShowsTheFocusAClickDoesNotAndSpaceLeavesNoLitFace)
{
    TwoButtons w;
    ASSERT_TRUE(w.ready());
    QSignalSpy stopClicks(w.stop, &PelroButton::Click);
    QSignalSpy updateClicks(w.update, &PelroButton::Click);
    const QImage updateResting = w.update->Face().image.copy();

    QCursor::setPos(w.stop->mapToGlobal(QPoint(10, 10)));
    QTest::qWait(50);
    xdotool({"click", "1"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopClicks.count() == 1; }, 5000));
    EXPECT_TRUE(w.stop->Fields().HasFocus);
    EXPECT_FALSE(w.stop->Fields().FocusCue) << "a click shows no focus mark";

    xdotool({"key", "Tab"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.update->Fields().HasFocus; }, 5000));
    EXPECT_TRUE(w.update->Fields().FocusCue);
    EXPECT_NE(w.update->Face().image, updateResting) << "Tab moved the focus invisibly";

    xdotool({"key", "space"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return updateClicks.count() == 1; }, 5000));
    xdotool({"key", "Tab"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.stop->Fields().HasFocus; }, 5000));
    EXPECT_EQ(w.update->Fields().DrawState, paint::Normal) << "Update kept the face Space gave it";
    EXPECT_EQ(w.update->Face().image, updateResting);

    xdotool({"key", "Return"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopClicks.count() == 2; }, 5000));
    EXPECT_EQ(updateClicks.count(), 1);
}

// Readers hear of a change only while the bridge to the accessibility bus is up.
TEST(ButtonOnARealDisplay, ReadersHearCaptionStateAndTooltipChanges)
{
    TwoButtons w;
    ASSERT_TRUE(w.ready());
    ASSERT_TRUE(QTest::qWaitFor([] { return QAccessible::isActive(); }, 5000))
        << "the accessibility bridge did not come up (real_window_test.sh gives it a bus)";
    const QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(&recordFor);
    g_heardAbout = w.update;
    g_heard.clear();

    w.update->setCaption(QStringLiteral("Download"));
    w.update->setCaption(QStringLiteral("Download"));
    EXPECT_EQ(count(QAccessible::NameChanged), 1) << "one event per real change";

    w.update->setEnabled(false);
    EXPECT_GE(count(DisabledChanged), 1) << "disabling is heard";
    g_heard.clear();
    w.update->setEnabled(false);
    EXPECT_EQ(count(DisabledChanged), 0) << "nothing changed";
    w.update->setEnabled(true);
    EXPECT_GE(count(DisabledChanged), 1);

    w.update->setToolTip(QStringLiteral("Fetch the newest catalogue"));
    EXPECT_EQ(count(QAccessible::DescriptionChanged), 1);

    w.update->setButtonType(1);
    g_heard.clear();
    QAccessible::queryAccessibleInterface(w.update)->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(w.update->Value());
    EXPECT_EQ(count(PressedChanged), 1) << "the toggle's pressed state is heard";

    QAccessible::installUpdateHandler(previous);
}
