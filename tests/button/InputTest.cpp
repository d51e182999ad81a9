#include "ButtonFixture.h"

#include <QKeyEvent>

using button::PelroButton;

class ButtonInputTest : public ButtonTest {
protected:
    void SetUp() override
    {
        form.resize(300, 200);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    PelroButton& Shown(const host::PropertyBag& store, button::Ambient ambient = {})
    {
        PelroButton& b = Load(store, ambient);
        b.move(10, 10);
        b.show();
        return b;
    }
};

TEST_F(ButtonInputTest, LeftClickPressesReleasesToHoverAndClicksOnce)
{
    PelroButton& b = Shown({});
    QSignalSpy clicks(&b, &PelroButton::Click);
    QTest::mousePress(&b, Qt::LeftButton);
    EXPECT_EQ(b.Fields().DrawState, paint::Pressed);
    QTest::mouseRelease(&b, Qt::LeftButton);
    EXPECT_EQ(b.Fields().DrawState, paint::Hover);
    EXPECT_EQ(b.Fields().LastMouseButton, 1);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(ButtonInputTest, RightClickNeitherPressesNorClicksAndALeftClickStillWorks)
{
    PelroButton& b = Shown({});
    QSignalSpy clicks(&b, &PelroButton::Click);
    QTest::mousePress(&b, Qt::RightButton);
    EXPECT_EQ(b.Fields().DrawState, paint::Normal);
    QTest::mouseRelease(&b, Qt::RightButton);
    EXPECT_EQ(b.Fields().DrawState, paint::Normal);
    EXPECT_EQ(b.Fields().LastMouseButton, 2);
    EXPECT_EQ(clicks.count(), 0);

    QTest::mouseClick(&b, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(ButtonInputTest, DoubleClickClicksOnceAndItsSecondPressShowsPressed)
{
    PelroButton& b = Shown({});
    QSignalSpy clicks(&b, &PelroButton::Click);
    QTest::mouseClick(&b, Qt::LeftButton);
    QTest::mouseDClick(&b, Qt::LeftButton);
    EXPECT_EQ(b.Fields().DrawState, paint::Pressed);
    QTest::mouseRelease(&b, Qt::LeftButton);
    EXPECT_EQ(b.Fields().DrawState, paint::Hover);
    EXPECT_EQ(clicks.count(), 1);

    QTest::mouseClick(&b, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 2) << "the click after a double click counts again";
}

TEST_F(ButtonInputTest, ToggleFlipsOncePerClickDoubleClickOrSpace)
{
    PelroButton& b = Shown(Store({{"ButtonType", "1"}}));
    QSignalSpy clicks(&b, &PelroButton::Click);
    QTest::mousePress(&b, Qt::LeftButton);
    QTest::mouseRelease(&b, Qt::LeftButton);
    EXPECT_TRUE(b.Value());

    QTest::mouseDClick(&b, Qt::LeftButton);
    QTest::mouseRelease(&b, Qt::LeftButton);
    EXPECT_TRUE(b.Value()) << "the second click of a double click does not flip it back";

    QTest::keyClick(&b, Qt::Key_Space);
    EXPECT_FALSE(b.Value());
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(ButtonInputTest, ToggleStillUpShowsPressedAfterItsRelease)
{
    PelroButton& b = Shown(Store({{"ButtonType", "1"}}));
    QSignalSpy clicks(&b, &PelroButton::Click);
    // Released outside, so no click follows to turn it on.
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(-20, 5));
    EXPECT_EQ(b.Fields().DrawState, paint::Pressed);
    EXPECT_FALSE(b.Value());
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(ButtonInputTest, SpaceBarClicksOnceAndRepeatsAreIgnored)
{
    PelroButton& b = Shown({});
    QSignalSpy clicks(&b, &PelroButton::Click);
    QTest::keyPress(&b, Qt::Key_Space);
    EXPECT_EQ(b.Fields().DrawState, paint::Pressed);
    EXPECT_EQ(clicks.count(), 1);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
    QApplication::sendEvent(&b, &repeat);
    EXPECT_EQ(clicks.count(), 1);
    QTest::keyRelease(&b, Qt::Key_Space);
    EXPECT_EQ(b.Fields().DrawState, paint::Hover);

    QTest::keyClick(&b, Qt::Key_Escape);
    QTest::keyClick(&b, Qt::Key_A);
    EXPECT_EQ(clicks.count(), 1) << "no other key clicks but Enter";
}

TEST_F(ButtonInputTest, PressInsideReleaseOutsideGivesNoClick)
{
    PelroButton& b = Shown({});
    QSignalSpy clicks(&b, &PelroButton::Click);
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(b.width() + 30, 5));
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(b.Fields().DrawState, paint::Hover);
}

TEST_F(ButtonInputTest, FocusIsTrackedForPainting)
{
    PelroButton& b = Shown({});
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&b, &in);
    EXPECT_TRUE(b.Fields().HasFocus);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&b, &out);
    EXPECT_FALSE(b.Fields().HasFocus);
}

TEST_F(ButtonInputTest, PointerEntryAndLeaveHoverAndRaiseOneEventEach)
{
    PelroButton& b = Shown({});
    ASSERT_TRUE(b.IsSubclassed());
    QSignalSpy entries(&b, &PelroButton::MouseEnter);
    QSignalSpy leaves(&b, &PelroButton::MouseLeave);

    leave(b);
    EXPECT_EQ(leaves.count(), 0) << "no leave notice was asked for before an entry";

    moveTo(b, QPoint(3, 3));
    EXPECT_EQ(entries.count(), 1);
    EXPECT_TRUE(b.Fields().MouseInside);
    EXPECT_EQ(b.Fields().DrawState, paint::Hover);
    enter(b);
    moveTo(b, QPoint(6, 6));
    EXPECT_EQ(entries.count(), 1) << "moves while inside are no new entry";

    leave(b);
    EXPECT_EQ(leaves.count(), 1);
    EXPECT_FALSE(b.Fields().MouseInside);
    EXPECT_EQ(b.Fields().DrawState, paint::Normal);
    leave(b);
    EXPECT_EQ(leaves.count(), 1) << "one leave per entry";

    enter(b);
    EXPECT_EQ(entries.count(), 2);
}

TEST_F(ButtonInputTest, EntryRepaintsTheBackBufferAtOnceAndSchedulesOneUpdate)
{
    PelroButton& b = Shown({});
    QCoreApplication::processEvents();
    PaintCounter counter(b);
    const qint64 before = b.Face().image.cacheKey();

    enter(b);
    EXPECT_NE(b.Face().image.cacheKey(), before) << "the face is repainted inside the entry";
    EXPECT_EQ(counter.paints, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
}

TEST_F(ButtonInputTest, ThemeAndSystemColourChangesRepaintWithoutOtherChanges)
{
    PelroButton& b = Shown({});
    QCoreApplication::processEvents();
    PaintCounter counter(b);
    QSignalSpy entries(&b, &PelroButton::MouseEnter);
    QSignalSpy changes(&b, &PelroButton::PropertyChanged);

    // The widget schedules a paint of its own for some of these; the back buffer shows
    // whether the face itself was redrawn.
    int expectedPaints = 0;
    for (const QEvent::Type type : {QEvent::PaletteChange, QEvent::ApplicationPaletteChange, QEvent::StyleChange,
                                    QEvent::ThemeChange}) {
        const qint64 before = b.Face().image.cacheKey();
        QEvent change(type);
        QApplication::sendEvent(&b, &change);
        EXPECT_NE(b.Face().image.cacheKey(), before) << "face redrawn for event type " << type;
        QCoreApplication::processEvents();
        EXPECT_EQ(counter.paints, ++expectedPaints) << "one paint for event type " << type;
    }

    EXPECT_EQ(b.Fields().DrawState, paint::Normal);
    EXPECT_FALSE(b.Fields().MouseInside);
    EXPECT_EQ(entries.count(), 0);
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(ButtonInputTest, PointerOverADisabledButtonEntersWithTheFirstMoveOnceEnabled)
{
    PelroButton& b = Shown({});
    QSignalSpy entries(&b, &PelroButton::MouseEnter);
    QSignalSpy leaves(&b, &PelroButton::MouseLeave);
    b.setEnabled(false);
    enter(b);
    moveTo(b, QPoint(4, 4));
    EXPECT_EQ(entries.count(), 0);
    EXPECT_FALSE(b.Fields().MouseInside);

    b.setEnabled(true);
    moveTo(b, QPoint(5, 5));
    EXPECT_EQ(entries.count(), 1);
    EXPECT_EQ(b.Fields().DrawState, paint::Hover);
    leave(b);
    EXPECT_EQ(leaves.count(), 1);
    EXPECT_EQ(b.Fields().DrawState, paint::Normal);
}

TEST_F(ButtonInputTest, DesignModeNeitherSubclassesNorTracks)
{
    PelroButton& b = Shown({}, button::Ambient{false});
    EXPECT_FALSE(b.UserMode());
    EXPECT_FALSE(b.IsSubclassed());
    QSignalSpy entries(&b, &PelroButton::MouseEnter);
    enter(b);
    EXPECT_EQ(entries.count(), 0);
}
