#include "FakeDesktop.h"

#include "host/os/Desktop.h"
#include "host/forms/Form.h"
#include "taskbar/OmbrelXPTaskBar.h"

#include <gtest/gtest.h>

#include <memory>

using host::DockedEdge;
using host::ScreenRect;

TEST(ClearOfPanel, FreeAreaLeavesOutThePanelsFullExtentAtItsEdge)
{
    const ScreenRect work{0, 28, 1280, 800};
    EXPECT_EQ(host::FreeArea(work, DockedEdge::Left, 394), (ScreenRect{394, 28, 1280, 800}));
    EXPECT_EQ(host::FreeArea(work, DockedEdge::Right, 394), (ScreenRect{0, 28, 886, 800}));
    EXPECT_EQ(host::FreeArea(work, DockedEdge::Top, 429), (ScreenRect{0, 457, 1280, 800}));
    EXPECT_EQ(host::FreeArea({0, 0, 300, 200}, DockedEdge::Left, 394), (ScreenRect{300, 0, 300, 200}))
        << "a panel wider than the screen leaves nothing, and no negative width";
}

TEST(ClearOfPanel, CentredWhereItFitsElseAsFarFromThePanelAsTheWorkAreaAllows)
{
    const ScreenRect work{0, 0, 1280, 800};
    const ScreenRect beside = host::FreeArea(work, DockedEdge::Left, 394);
    EXPECT_EQ(host::PlaceIn(beside, work, {643, 430}), QPoint(515, 185));
    EXPECT_EQ(host::PlaceIn(beside, work, {300, 120}), QPoint(687, 340));

    const ScreenRect small{0, 0, 1024, 768};
    EXPECT_EQ(host::PlaceIn(host::FreeArea(small, DockedEdge::Left, 394), small, {643, 430}), QPoint(381, 169))
        << "keeps to the right edge, covering as little as it can";
    EXPECT_EQ(host::PlaceIn(host::FreeArea(small, DockedEdge::Right, 394), small, {643, 430}), QPoint(0, 169));
    const ScreenRect tiny{10, 0, 600, 400};
    EXPECT_EQ(host::PlaceIn(host::FreeArea(tiny, DockedEdge::Left, 394), tiny, {643, 430}), QPoint(10, 0))
        << "never off the work area's start";
}

TEST(ClearOfPanel, TheDockedPanelFormIsTheOneKeptClearOf)
{
    host::Form::SetLastUnloadHandler([] {});
    testsupport::FakeDesktop desktop;
    desktop.workArea = ScreenRect{0, 30, 1280, 800};
    host::ScopedDesktop useDesktop(desktop);
    {
        auto form = std::make_unique<host::Form>(QStringLiteral(":/taskbar-tests/panel.form"));
        new taskbar::OmbrelXPTaskBar(form.get(), form->Design().PropertiesOf(QStringLiteral("OmbrelXPTaskBar1")));
        EXPECT_EQ(host::PlaceClearOfDockedPanel({200, 100}), QPoint(394 + (886 - 200) / 2, 30 + (770 - 100) / 2));
    }
    EXPECT_EQ(host::PlaceClearOfDockedPanel({200, 100}), QPoint(540, 365)) << "gone with its form";
}
