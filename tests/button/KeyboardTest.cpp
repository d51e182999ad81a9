#include "ButtonFixture.h"

#include <QKeyEvent>

using button::PelroButton;

namespace {

void focusIn(QWidget& w, Qt::FocusReason reason)
{
    QFocusEvent event(QEvent::FocusIn, reason);
    QApplication::sendEvent(&w, &event);
}

void focusOut(QWidget& w, Qt::FocusReason reason)
{
    QFocusEvent event(QEvent::FocusOut, reason);
    QApplication::sendEvent(&w, &event);
}

class ButtonKeyboardTest : public ButtonTest {
protected:
    void SetUp() override
    {
        form.resize(300, 200);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    // Stored without a style, as the main window's Stop and Update are: the etched look.
    PelroButton& Shown()
    {
        PelroButton& b = Load(Store({{"Caption", "Stop"}}));
        b.move(10, 10);
        b.show();
        return b;
    }
};

TEST_F(ButtonKeyboardTest, FocusCueFollowsHowTheFocusCame)
{
    PelroButton& b = Shown();
    const struct {
        Qt::FocusReason reason;
        bool cue;
    } reasons[] = {
        {Qt::TabFocusReason, true},
        {Qt::BacktabFocusReason, true},
        {Qt::ShortcutFocusReason, true},
        {Qt::OtherFocusReason, true}, // the program answering a key
        {Qt::MouseFocusReason, false},
    };
    for (const auto& [reason, cue] : reasons) {
        focusIn(b, reason);
        EXPECT_EQ(b.Fields().FocusCue, cue) << "reason " << reason;
        focusOut(b, Qt::TabFocusReason);
        EXPECT_FALSE(b.Fields().FocusCue);
    }

    // Away to another window and back: the focus returns as it was shown.
    for (const auto first : {Qt::TabFocusReason, Qt::MouseFocusReason}) {
        focusIn(b, first);
        const bool shown = b.Fields().FocusCue;
        focusOut(b, Qt::ActiveWindowFocusReason);
        focusIn(b, Qt::ActiveWindowFocusReason);
        EXPECT_EQ(b.Fields().FocusCue, shown) << "first came by " << first;
        focusOut(b, Qt::TabFocusReason);
    }
    focusIn(b, Qt::ActiveWindowFocusReason);
    EXPECT_FALSE(b.Fields().FocusCue) << "a focus that left by Tab does not come back with the window";
    focusOut(b, Qt::TabFocusReason);

    // Whichever the user turns to last: a click hides the mark, a key shows it again.
    focusIn(b, Qt::TabFocusReason);
    QTest::mouseClick(&b, Qt::LeftButton);
    EXPECT_FALSE(b.Fields().FocusCue);
    QTest::keyClick(&b, Qt::Key_Space);
    EXPECT_TRUE(b.Fields().FocusCue);
}

TEST_F(ButtonKeyboardTest, SpaceLeavesNoLitFaceOnceTheFocusHasGone)
{
    PelroButton& b = Shown();
    QSignalSpy clicks(&b, &PelroButton::Click);
    focusOut(b, Qt::TabFocusReason);
    const QImage resting = b.Face().image.copy();

    focusIn(b, Qt::TabFocusReason);
    QTest::keyClick(&b, Qt::Key_Space);
    EXPECT_EQ(b.Fields().DrawState, paint::Hover);
    focusOut(b, Qt::TabFocusReason);
    EXPECT_EQ(b.Fields().DrawState, paint::Normal);
    EXPECT_EQ(b.Face().image, resting) << "Stop kept a lit face after Tab moved on";

    // Held while the focus goes: pressed no longer, and the late release does nothing.
    focusIn(b, Qt::TabFocusReason);
    QTest::keyPress(&b, Qt::Key_Space);
    EXPECT_EQ(b.Fields().DrawState, paint::Pressed);
    focusOut(b, Qt::ActiveWindowFocusReason);
    EXPECT_EQ(b.Fields().DrawState, paint::Normal);
    QTest::keyRelease(&b, Qt::Key_Space);
    EXPECT_EQ(b.Fields().DrawState, paint::Normal);
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(ButtonKeyboardTest, PointerStillOverTheButtonKeepsItsHoverFace)
{
    PelroButton& b = Shown();
    ASSERT_TRUE(b.IsSubclassed());
    focusIn(b, Qt::TabFocusReason);
    moveTo(b, QPoint(5, 5));
    QTest::keyPress(&b, Qt::Key_Space);
    focusOut(b, Qt::TabFocusReason);
    EXPECT_EQ(b.Fields().DrawState, paint::Hover);
    leave(b);
    EXPECT_EQ(b.Fields().DrawState, paint::Normal);
}

TEST_F(ButtonKeyboardTest, EnterAndReturnClickOnceAndOtherKeysNothing)
{
    PelroButton& b = Load(Store({{"ButtonType", "1"}}));
    b.show();
    QSignalSpy clicks(&b, &PelroButton::Click);
    QTest::keyClick(&b, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(b.Value()) << "a toggle flips as for a click";
    QTest::keyPress(&b, Qt::Key_Enter, Qt::KeypadModifier);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Enter, Qt::KeypadModifier, QStringLiteral("\r"), true);
    QApplication::sendEvent(&b, &repeat);
    QTest::keyRelease(&b, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(clicks.count(), 2) << "a held Enter is one click";
    EXPECT_FALSE(b.Value());

    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_A, Qt::Key_Tab})
        QTest::keyClick(&b, key);
    EXPECT_EQ(clicks.count(), 2);
}

} // namespace
