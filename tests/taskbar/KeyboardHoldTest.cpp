#include "FakeDesktop.h"

#include "host/testing/FakeClock.h"
#include "host/forms/Form.h"
#include "host/os/Timer.h"
#include "taskbar/OmbrelXPTaskBar.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

using taskbar::OmbrelXPTaskBar;

namespace {

// The 394 x 429 panel form at the left edge of a 1280 x 800 screen.
class KeyboardHoldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host::Form::SetLastUnloadHandler([] {});
        form = std::make_unique<host::Form>(QStringLiteral(":/taskbar-tests/panel.form"));
        panel = new OmbrelXPTaskBar(form.get(), form->Design().PropertiesOf(QStringLiteral("OmbrelXPTaskBar1")));
        form->show();
        other.show();
        PointAway();
    }
    void TearDown() override
    {
        QApplication::setActiveWindow(nullptr);
        form.reset();
    }

    void Settle() { clock.Advance(3000); }
    bool InView() const { return form->Left() == 0; }
    bool Docked() const { return form->Left() == -5865; }
    void PointAway() { desktop.cursor = {1279, 799}; }
    void PointAtStrip() { desktop.cursor = {1, 400}; }

    testsupport::FakeDesktop desktop;
    host::ScopedDesktop useDesktop{desktop};
    host::FakeClock clock;
    std::unique_ptr<host::Form> form;
    OmbrelXPTaskBar* panel = nullptr;
    QWidget other; // another window of ours, such as a message box
};

} // namespace

TEST_F(KeyboardHoldTest, HeldWhileOurWindowsHaveTheKeyboardAndSentBackWhenAnotherProgramTakesIt)
{
    QApplication::setActiveWindow(form.get());
    panel->SlideIn();
    Settle();
    ASSERT_TRUE(InView());

    QApplication::setActiveWindow(&other);
    Settle();
    EXPECT_TRUE(InView()) << "our own box took the keyboard";

    QApplication::setActiveWindow(form.get());
    QApplication::setActiveWindow(nullptr);
    Settle();
    EXPECT_TRUE(Docked()) << "another program has the keyboard now";
}

TEST_F(KeyboardHoldTest, ActivationSeenOnlyBeforeTheRequestDoesNotEndTheNextHold)
{
    QApplication::setActiveWindow(form.get());
    QApplication::setActiveWindow(nullptr);
    panel->SlideIn();
    Settle();
    EXPECT_TRUE(InView());
    EXPECT_TRUE(panel->IsInView());
}

TEST_F(KeyboardHoldTest, SlidingOutWorksUnderThePointerWhichMustLeaveBeforeItCountsAgain)
{
    panel->SlideIn();
    Settle();
    ASSERT_TRUE(InView());
    panel->SlideOut();
    Settle();
    EXPECT_TRUE(Docked()) << "the hold ends on request";

    PointAtStrip();
    Settle();
    ASSERT_TRUE(InView()) << "the pointer brings it as before";
    panel->SlideOut();
    Settle();
    EXPECT_TRUE(Docked()) << "sent back although the pointer is on it";
    EXPECT_FALSE(panel->IsInView());

    PointAway();
    Settle();
    PointAtStrip();
    Settle();
    EXPECT_TRUE(InView()) << "the pointer's next visit brings it again";
}
