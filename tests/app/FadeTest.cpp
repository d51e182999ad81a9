#include "AppFixture.h"

#include "app/Forms.h"
#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"

#include "host/forms/Controls.h"

#include <QTest>

namespace {

constexpr int Tick = host::PlatformTickMs;
constexpr int Hold = 5000;

std::vector<int> rampUp()
{
    std::vector<int> alphas;
    for (int a = 5; a <= 255; a += 5)
        alphas.push_back(a);
    return alphas;
}

std::vector<int> rampDown()
{
    std::vector<int> alphas;
    for (int a = 250; a >= 0; a -= 5)
        alphas.push_back(a);
    return alphas;
}

// Form_Load's 0, the fade-in, the explicit 255 that ends it, the hold's 255, the
// fade-out and the explicit 0 that ends it.
std::vector<int> wholeSequence()
{
    std::vector<int> expected{0};
    for (int a : rampUp())
        expected.push_back(a);
    expected.push_back(255);
    expected.push_back(255);
    for (int a : rampDown())
        expected.push_back(a);
    expected.push_back(0);
    return expected;
}

} // namespace

TEST_F(AppTest, SplashFadesLoadsMainWhileOpaqueAndShowsItOnlyAfterFadingOut)
{
    WriteCatalogue("Only title==>http://127.0.0.1/1\r\n");
    app::Forms forms;
    forms.Start();
    app::frmSplash* splash = forms.Splash();
    ASSERT_TRUE(splash && splash->isVisible());
    EXPECT_EQ(splash->windowTitle(), QStringLiteral("Splash Vanu Pelro"));
    EXPECT_EQ(platform.OpacitiesOf("frmSplash"), std::vector<int>{0}) << "transparent before the first tick";

    Ticks(51);
    EXPECT_EQ(splash->CurrentAlpha(), 255);
    EXPECT_EQ(forms.Main(), nullptr) << "main window loaded before the fade-in ended";

    Ticks(1);
    EXPECT_EQ(splash->CurrentAlpha(), 260);
    app::frmMain* main = forms.Main();
    ASSERT_NE(main, nullptr) << "main window not loaded on the ending tick";
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(main->rLista->ListCount(), 1) << "Form_Load did not read the catalogue";

    clock.Advance(Hold - 1);
    EXPECT_EQ(platform.OpacitiesOf("frmSplash").size(), 53u) << "the hold ended early";
    clock.Advance(1);
    EXPECT_EQ(platform.OpacitiesOf("frmSplash").size(), 54u);

    Ticks(51);
    EXPECT_EQ(splash->CurrentAlpha(), 0);
    EXPECT_FALSE(main->isVisible()) << "main window visible before the splash reached 0";
    EXPECT_TRUE(splash->IsLoaded());

    Ticks(1);
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(splash->IsLoaded());
    EXPECT_FALSE(splash->isVisible());
    EXPECT_EQ(platform.OpacitiesOf("frmSplash"), wholeSequence());
    EXPECT_EQ(programEnded, 0);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(AppTest, RefusedOpacityLeavesTheSequenceAndItsTimingAlone)
{
    platform.refuseOpacity = true;
    app::Forms forms;
    forms.Start();
    app::frmSplash* splash = forms.Splash();
    EXPECT_EQ(splash->SetWindowAlpha(*splash, 128), 2);

    Ticks(52);
    ASSERT_NE(forms.Main(), nullptr);
    clock.Advance(Hold);
    Ticks(51);
    EXPECT_FALSE(forms.Main()->isVisible());
    Ticks(1);
    EXPECT_TRUE(forms.Main()->isVisible());
    EXPECT_FALSE(splash->IsLoaded());
}

TEST_F(AppTest, OpacityOutsideTheByteRangeChangesNothing)
{
    app::Forms forms;
    forms.Start();
    app::frmSplash* splash = forms.Splash();
    const std::size_t before = platform.opacity.size();
    EXPECT_EQ(splash->SetWindowAlpha(*splash, -5), 1);
    EXPECT_EQ(splash->SetWindowAlpha(*splash, 260), 1);
    EXPECT_EQ(platform.opacity.size(), before);
    EXPECT_EQ(splash->SetWindowAlpha(*splash, 255), 0);
    EXPECT_EQ(splash->SetWindowAlpha(*splash, 0), 0);
}

class AboutTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        forms.ShowMain();
        main = forms.Main();
    }
    void ClickAbout() { QTest::mouseClick(main->Image2, Qt::LeftButton); }
    void ClickClose() { QTest::mouseClick(main->Image1, Qt::LeftButton); }

    app::Forms forms;
    app::frmMain* main = nullptr;
};

TEST_F(AboutTest, SecondClickDoesNotRestartTheFade)
{
    ClickAbout();
    app::frmAbout* about = forms.About();
    ASSERT_TRUE(about && about->isVisible());
    EXPECT_EQ(about->size(), QSize(643, 430)) << "as wide as its picture";
    Ticks(10);
    ClickAbout();
    EXPECT_EQ(forms.About(), about);
    EXPECT_EQ(about->CurrentAlpha(), 50);
    Ticks(1);
    EXPECT_EQ(about->CurrentAlpha(), 55);
    const std::vector<int> alphas = platform.OpacitiesOf("frmAbout");
    EXPECT_EQ(std::count(alphas.begin(), alphas.end(), 0), 1) << "the fade started again";
}

TEST_F(AboutTest, UnloadsByItselfAndRunsAgainFromTransparent)
{
    ClickAbout();
    Ticks(52);
    clock.Advance(Hold);
    Ticks(51);
    EXPECT_TRUE(forms.About()->IsLoaded());
    Ticks(1);
    EXPECT_FALSE(forms.About()->IsLoaded());
    EXPECT_EQ(platform.OpacitiesOf("frmAbout"), wholeSequence());
    EXPECT_TRUE(main->IsLoaded()) << "About must not touch the main window";
    DestroyUnloadedWindows();
    EXPECT_EQ(forms.About(), nullptr);

    platform.opacity.clear();
    ClickAbout();
    ASSERT_NE(forms.About(), nullptr);
    EXPECT_EQ(forms.About()->CurrentAlpha(), 0);
    EXPECT_EQ(platform.OpacitiesOf("frmAbout"), std::vector<int>{0});
}

TEST_F(AboutTest, ClosingTheMainWindowEndsTheProgramOnlyAfterAboutUnloads)
{
    ClickAbout();
    Ticks(20);
    ClickClose();
    EXPECT_FALSE(main->IsLoaded());
    EXPECT_EQ(programEnded, 0) << "ended while About was still on the screen";
    ASSERT_TRUE(clock.AdvanceUntil([&] { return !forms.About()->IsLoaded(); }, 10000));
    EXPECT_EQ(programEnded, 1);
}

TEST_F(AboutTest, ClosingTheMainWindowAloneEndsTheProgram)
{
    ClickClose();
    EXPECT_EQ(programEnded, 1);
    EXPECT_TRUE(platform.messages.empty());
}
