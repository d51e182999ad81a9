#include "FakeDesktop.h"
#include "app/AppFixture.h"

#include "app/Forms.h"
#include "app/frmMain.h"
#include "taskbar/OmbrelXPTaskBar.h"

class MainWindowDockTest : public AppTest {
protected:
    testsupport::FakeDesktop desktop;
    host::ScopedDesktop useDesktop{desktop};
};

// The main window's saved panel has no alignment: it docks at the left edge, centred,
// before it is first shown, and slides right under the pointer.
TEST_F(MainWindowDockTest, LoadingTheMainWindowDocksItAtTheLeftEdge)
{
    app::Forms forms;
    app::frmMain& main = forms.LoadMain();
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(main.OmbrelXPTaskBar1->Alignment(), 0);
    EXPECT_EQ(main.OmbrelXPTaskBar1->geometry(), QRect(240, 80, 32, 32));
    EXPECT_EQ(main.Left(), 50 - main.Width() - 5);
    EXPECT_EQ(main.Top(), 2775);
    EXPECT_EQ(desktop.lastTopmost, &main);

    desktop.cursor = {1, 400};
    clock.Advance(200 + 25 * 25);
    EXPECT_EQ(main.Left(), 0);
}
