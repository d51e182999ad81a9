#include "AppFixture.h"
#include "taskbar/FakeDesktop.h"

#include "app/Forms.h"
#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"

#include "button/PelroButton.h"
#include "host/forms/Controls.h"
#include "host/forms/MediaPlayer.h"
#include "taskbar/OmbrelXPTaskBar.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QImage>
#include <QTest>

#include <algorithm>
#include <vector>

namespace {

// The main window on a 1280 x 800 screen, active, with the keyboard on its list.
class KeyboardTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        WriteCatalogue("First==>http://127.0.0.1/first.ogg\r\nSecond==>http://127.0.0.1/second.ogg\r\n");
        forms.ShowMain();
        main = forms.Main();
        QApplication::setActiveWindow(main);
        main->rLista->setFocus();
    }
    void TearDown() override
    {
        QApplication::setActiveWindow(nullptr);
        AppTest::TearDown();
    }

    // To the main window's focused control, as the keyboard would while the window is active.
    void Press(QKeyCombination key)
    {
        QWidget* target = main->focusWidget() ? main->focusWidget() : main;
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
    }
    bool PanelInView() const { return main->OmbrelXPTaskBar1->IsInView(); }

    testsupport::FakeDesktop desktop;
    host::ScopedDesktop useDesktop{desktop};
    app::Forms forms;
    app::frmMain* main = nullptr;
};

} // namespace

TEST_F(KeyboardTest, TabWalksListStopUpdateCloseAboutAndBackNeverReachingTheAddressField)
{
    ASSERT_EQ(main->focusWidget(), main->rLista);
    std::vector<QWidget*> walk;
    for (int i = 0; i < 5; ++i) {
        Press(QKeyCombination(Qt::Key_Tab));
        walk.push_back(main->focusWidget());
    }
    const std::vector<QWidget*> expected{main->bbStop, main->bbUpdate, main->Image1, main->Image2, main->rLista};
    EXPECT_EQ(walk, expected);

    walk.clear();
    for (int i = 0; i < 5; ++i) {
        Press(QKeyCombination(Qt::ShiftModifier, Qt::Key_Backtab));
        walk.push_back(main->focusWidget());
    }
    const std::vector<QWidget*> backwards{main->Image2, main->Image1, main->bbUpdate, main->bbStop, main->rLista};
    EXPECT_EQ(walk, backwards);
}

TEST_F(KeyboardTest, TypingWithTheFocusAnywhereNeverChangesTheUpdateAddress)
{
    const QString address = main->Text->Text();
    ASSERT_FALSE(address.isEmpty());
    // Letters only: Space or Enter would press the focused button, and Update would fetch.
    for (QWidget* control : main->findChildren<QWidget*>()) {
        if (control->focusPolicy() == Qt::NoFocus || !control->isVisibleTo(main))
            continue;
        control->setFocus();
        QTest::keyClicks(control, QStringLiteral("typedinvalid"));
        QTest::keyClick(control, Qt::Key_Backspace);
        QTest::keyClick(control, Qt::Key_Delete);
        EXPECT_EQ(main->Text->Text(), address) << "typed into it through " << qPrintable(control->objectName());
    }
    // Even handed the keys directly, it takes none.
    QTest::keyClicks(main->Text, QStringLiteral("typed"));
    EXPECT_EQ(main->Text->Text(), address);
    EXPECT_EQ(main->Text->focusPolicy(), Qt::NoFocus);
}

TEST_F(KeyboardTest, HotSpotsArePressedBySpaceOrEnterButAClickLeavesTheFocusAlone)
{
    QTest::mouseClick(main->Image2, Qt::LeftButton);
    EXPECT_EQ(main->focusWidget(), main->rLista) << "a click moved the focus";
    ASSERT_NE(forms.About(), nullptr);
    forms.About()->Unload();
    DestroyUnloadedWindows();
    ASSERT_EQ(forms.About(), nullptr);

    main->Image2->setFocus(Qt::TabFocusReason);
    Press(QKeyCombination(Qt::Key_Return));
    EXPECT_NE(forms.About(), nullptr) << "Return on the About corner";
    forms.About()->Unload();
    DestroyUnloadedWindows();

    main->Image2->setFocus(Qt::TabFocusReason);
    QTest::keyClick(main->Image2, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_NE(forms.About(), nullptr) << "Enter on the keypad";
    forms.About()->Unload();
    DestroyUnloadedWindows();

    main->Image2->setFocus(Qt::TabFocusReason);
    Press(QKeyCombination(Qt::ControlModifier, Qt::Key_Space));
    EXPECT_EQ(forms.About(), nullptr) << "Ctrl+Space is no press";

    main->Image1->setFocus(Qt::TabFocusReason);
    Press(QKeyCombination(Qt::Key_Space));
    EXPECT_FALSE(main->IsLoaded());
    EXPECT_EQ(programEnded, 1);
}

TEST_F(KeyboardTest, FocusedHotSpotShowsAMarkInsideItsEdgeOnly)
{
    main->Image1->clearFocus();
    const QImage plain = main->Image1->grab().toImage();
    main->Image1->setFocus(Qt::TabFocusReason);
    const QImage focused = main->Image1->grab().toImage();
    ASSERT_EQ(plain.size(), focused.size());
    // The mark keeps to the part inside the window: the hot spot reaches past its right edge.
    const int right = std::min(plain.width(), main->width() - main->Image1->x()) - 2;
    ASSERT_LT(right, plain.width() - 2);
    const int bottom = plain.height() - 2;
    int marked = 0;
    for (int x = 1; x <= right; ++x)
        marked += focused.pixel(x, 1) != plain.pixel(x, 1);
    EXPECT_GT(marked, right / 3) << "no visible mark on the top edge";
    EXPECT_NE(focused.pixel(1, bottom), plain.pixel(1, bottom));
    EXPECT_NE(focused.pixel(right, bottom / 2), plain.pixel(right, bottom / 2));
    for (int y = 3; y < bottom - 2; ++y)
        for (int x = 3; x < right - 2; ++x)
            ASSERT_EQ(focused.pixel(x, y), plain.pixel(x, y)) << "inside changed at " << x << ", " << y;
    EXPECT_EQ(focused.pixel(0, 0), plain.pixel(0, 0)) << "the mark stays inside the area";
}

TEST_F(KeyboardTest, HotSpotsAreNamedButtonsScreenReadersCanPress)
{
    struct Expected {
        host::Image* spot;
        QString name;
    };
    for (const Expected& e : {Expected{main->Image1, QStringLiteral("Close")},
                              Expected{main->Image2, QStringLiteral("About Vanu Pelro")}}) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(e.spot);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->role(), QAccessible::Button);
        EXPECT_EQ(accessible->text(QAccessible::Name), e.name);
        ASSERT_NE(accessible->actionInterface(), nullptr);
        EXPECT_TRUE(accessible->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    }
    QAccessible::queryAccessibleInterface(main->Image2)->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
    EXPECT_NE(forms.About(), nullptr);
}

TEST_F(KeyboardTest, WindowKeysSlideBackEndAndOpenAbout)
{
    main->BringIntoView();
    EXPECT_TRUE(PanelInView());
    EXPECT_EQ(main->focusWidget(), main->rLista);
    Press(QKeyCombination(Qt::Key_Escape));
    EXPECT_FALSE(PanelInView());
    EXPECT_TRUE(main->IsLoaded());

    main->bbStop->setFocus();
    Press(QKeyCombination(Qt::Key_F1));
    ASSERT_NE(forms.About(), nullptr);
    EXPECT_TRUE(forms.About()->isVisible());

    main->rLista->setFocus();
    QApplication::setActiveWindow(main);
    Press(QKeyCombination(Qt::ControlModifier, Qt::Key_Q));
    EXPECT_FALSE(main->IsLoaded());
}

TEST_F(KeyboardTest, AltF4AndTheWindowManagersCloseEndTheProgramAsTheCloseMarkDoes)
{
    Press(QKeyCombination(Qt::AltModifier, Qt::Key_F4));
    EXPECT_FALSE(main->IsLoaded());
    EXPECT_EQ(programEnded, 1);
    DestroyUnloadedWindows();

    forms.ShowMain();
    app::frmMain* again = forms.Main(); // may reuse the old one's memory
    ASSERT_TRUE(again && again->IsLoaded());
    again->close();
    EXPECT_FALSE(again->IsLoaded()) << "closed to a program still running with no window";
    EXPECT_EQ(programEnded, 2);
}

TEST_F(KeyboardTest, AboutOpensClearOfThePanelFilledByItsPictureAndClosesOnEscapeOrAltF4)
{
    Press(QKeyCombination(Qt::Key_F1));
    app::frmAbout* about = forms.About();
    ASSERT_NE(about, nullptr);
    // Right of the panel's full 394 pixels, centred on the rest of the 1280 x 800 screen.
    EXPECT_EQ(about->frameGeometry(), QRect(515, 185, 643, 430));
    QImage shown(about->size(), QImage::Format_RGB32);
    about->render(&shown);
    const QImage picture(QStringLiteral(":/assets/about.jpg"));
    for (int y : {0, 200, 429})
        EXPECT_EQ(shown.pixel(642, y), picture.pixel(642, y)) << "not the picture at the right edge, row " << y;

    QTest::keyClick(about, Qt::Key_Escape);
    EXPECT_FALSE(about->IsLoaded());
    DestroyUnloadedWindows();

    Press(QKeyCombination(Qt::Key_F1));
    about = forms.About();
    ASSERT_NE(about, nullptr);
    QTest::keyClick(about, Qt::Key_F4, Qt::AltModifier);
    EXPECT_FALSE(about->IsLoaded());
    EXPECT_TRUE(main->IsLoaded());
}

TEST_F(KeyboardTest, AKeyOrAClickSkipsTheSplashStraightToTheDockedMainWindow)
{
    main->Unload();
    DestroyUnloadedWindows();
    const int endedBefore = programEnded;

    for (const bool byKey : {true, false}) {
        app::Forms start;
        start.Start();
        app::frmSplash* splash = start.Splash();
        ASSERT_NE(splash, nullptr);
        Ticks(3);
        if (byKey)
            QTest::keyClick(splash, Qt::Key_A);
        else
            QTest::mouseClick(splash, Qt::LeftButton);
        ASSERT_NE(start.Main(), nullptr);
        EXPECT_TRUE(start.Main()->isVisible());
        EXPECT_FALSE(start.Main()->OmbrelXPTaskBar1->IsInView()) << "docked, as when the splash's time ends";
        EXPECT_FALSE(splash->IsLoaded());
        Ticks(200);
        EXPECT_TRUE(start.Main()->isVisible()) << "the splash's timers ran on";
        start.Main()->Unload();
        DestroyUnloadedWindows();
    }
    EXPECT_EQ(programEnded, endedBefore + 2);
}

TEST_F(KeyboardTest, AskedToShowAtStartTheMainWindowComesInWithTheKeyboardOnTheList)
{
    main->Unload();
    DestroyUnloadedWindows();
    app::Forms start;
    start.BringMainIntoViewWhenShown();
    start.Start();
    QTest::keyClick(start.Splash(), Qt::Key_Escape);
    ASSERT_NE(start.Main(), nullptr);
    EXPECT_TRUE(start.Main()->OmbrelXPTaskBar1->IsInView());
    EXPECT_EQ(start.Main()->focusWidget(), start.Main()->rLista);
    start.Main()->Unload();
    DestroyUnloadedWindows();
}

TEST_F(KeyboardTest, AboutLeavingWithTheKeyboardHandsItBackOnlyToAPanelInView)
{
    const auto closeAboutWithEscape = [this] {
        Press(QKeyCombination(Qt::Key_F1));
        app::frmAbout* about = forms.About();
        QApplication::setActiveWindow(about);
        QTest::keyClick(about, Qt::Key_Escape);
        QCoreApplication::processEvents();
        DestroyUnloadedWindows();
    };
    main->BringIntoView();
    closeAboutWithEscape();
    EXPECT_EQ(QApplication::activeWindow(), main);

    Press(QKeyCombination(Qt::Key_Escape));
    ASSERT_FALSE(PanelInView());
    closeAboutWithEscape();
    EXPECT_NE(QApplication::activeWindow(), main) << "a docked panel took keys it cannot show";
}
