#include "FakeDesktop.h"

#include "host/testing/FakeClock.h"
#include "host/forms/Form.h"
#include "host/os/Timer.h"
#include "taskbar/OmbrelXPTaskBar.h"

#include <QCoreApplication>
#include <QEvent>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

using taskbar::OmbrelXPTaskBar;

namespace {

const QString Panel = QStringLiteral(":/taskbar-tests/panel.form");
const QString Narrow = QStringLiteral(":/taskbar-tests/narrow.form");

// The panel form is 394 x 429 pixels; the screen 1280 x 800.
constexpr int PanelWidth = 5910;
constexpr int PanelHeight = 6435;
constexpr int ScreenRight = 19200;

// from, from + step, ... for count values, then the end position.
std::vector<int> stepsThenEnd(int from, int step, int count, int end)
{
    std::vector<int> values;
    for (int i = 0; i < count; ++i)
        values.push_back(from + i * step);
    values.push_back(end);
    return values;
}

} // namespace

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override { host::Form::SetLastUnloadHandler([] {}); }
    void TearDown() override
    {
        form.reset();
        host::Form::SetLastUnloadHandler([] {});
    }

    // Loads a form whose saved panel data holds the given alignment, or none.
    OmbrelXPTaskBar& Load(std::optional<int> alignment, const QString& resource = Panel)
    {
        form = std::make_unique<host::Form>(resource);
        host::PropertyBag saved = form->Design().PropertiesOf(QStringLiteral("OmbrelXPTaskBar1"));
        if (alignment)
            saved.SetStored(QStringLiteral("Alignment"), QString::number(*alignment));
        panel = new OmbrelXPTaskBar(form.get(), saved);
        return *panel;
    }

    host::Timer& Expand() const { return *panel->findChild<host::Timer*>(QStringLiteral("tmrExpand")); }
    host::Timer& Watch() const { return *panel->findChild<host::Timer*>(QStringLiteral("tmrCheckMouseOver")); }

    bool Sideways() const { return panel->Alignment() <= OmbrelXPTaskBar::RightEdge; }
    int Position() const { return Sideways() ? form->Left() : form->Top(); }

    // Onto the part of the form that shows beside any system panel, as a user would.
    void PointAtForm()
    {
        const host::ScreenRect area = desktop.workArea.value_or(host::ScreenRect{0, 0, 1280, 800});
        const QRect free(QPoint(area.left, area.top), QPoint(area.right - 1, area.bottom - 1));
        desktop.cursor = (form->frameGeometry() & free).center();
    }
    void PointAway() { desktop.cursor = {1279, 799}; }

    // The positions after each slide step until the slide stops (or the limit passes).
    std::vector<int> Slide(qint64 limitMs = 3000)
    {
        std::vector<int> positions;
        const auto recording = QObject::connect(&Expand(), &host::Timer::tick, [&] { positions.push_back(Position()); });
        clock.AdvanceUntil([&] { return !positions.empty() && !Expand().Enabled(); }, limitMs);
        QObject::disconnect(recording);
        return positions;
    }

    testsupport::FakeDesktop desktop;
    host::ScopedDesktop useDesktop{desktop};
    host::FakeClock clock;
    std::unique_ptr<host::Form> form;
    OmbrelXPTaskBar* panel = nullptr;
};

// Positions are whole pixels: 50 - 5910 = -5860 twips lands on pixel -391, -5865 twips.
TEST_F(PanelTest, DocksAtEachEdgeWithAStripOnTheScreenAndWatchesThePointer)
{
    struct Case {
        int alignment;
        int left;
        int top;
    };
    const int middle = 2775;    // (12000 - 6435) / 2 = 2782.5, on pixel 185
    const int hiddenTop = -6390; // 50 - 6435, on pixel -426
    for (const Case& c : {Case{0, -5865, middle}, Case{1, 19140, middle}, Case{2, 0, hiddenTop},
                          Case{3, (ScreenRight - PanelWidth) / 2, hiddenTop}, Case{4, ScreenRight - PanelWidth, hiddenTop}}) {
        SCOPED_TRACE(c.alignment);
        desktop.topmostCalls = 0;
        Load(c.alignment);
        EXPECT_EQ(form->Left(), c.left);
        EXPECT_EQ(form->Top(), c.top);
        EXPECT_EQ(desktop.topmostCalls, 1);
        EXPECT_EQ(desktop.lastTopmost, form.get());
        EXPECT_TRUE(Watch().IsRunning());
        EXPECT_EQ(Watch().Interval(), 200);
        EXPECT_FALSE(Expand().Enabled());
        EXPECT_FALSE(panel->isVisible()) << "draws nothing";
    }
}

TEST_F(PanelTest, SavedDataWithoutAlignmentDocksLeftWhileANewControlStartsTopCentred)
{
    Load(std::nullopt);
    EXPECT_EQ(panel->Alignment(), 0);
    EXPECT_EQ(form->Left(), -5865);

    host::Form bordered(QStringLiteral(":/taskbar-tests/bordered.form"));
    ASSERT_FALSE(bordered.windowFlags().testFlag(Qt::FramelessWindowHint));
    const auto* placed = new OmbrelXPTaskBar(&bordered);
    EXPECT_EQ(placed->Alignment(), 3);
    EXPECT_EQ(placed->size(), QSize(32, 32));
    EXPECT_TRUE(bordered.windowFlags().testFlag(Qt::FramelessWindowHint)) << "a new panel removes the border";
}

TEST_F(PanelTest, AlignmentIsSavedUnderItsKeyAndZeroIsLeftOut)
{
    Load(std::nullopt);
    host::PropertyBag store;
    panel->UserControl_WriteProperties(store);
    EXPECT_FALSE(store.Contains(QStringLiteral("alignment")));

    for (const int alignment : {4, 17, -2}) {
        panel->setAlignment(alignment);
        panel->UserControl_WriteProperties(store);
        EXPECT_EQ(store.ReadText(QStringLiteral("Alignment")), QString::number(alignment));
        OmbrelXPTaskBar reloaded(form.get(), store);
        EXPECT_EQ(reloaded.Alignment(), alignment);
    }
}

TEST_F(PanelTest, SlidesIntoViewAndBackAtEachEdge)
{
    struct Case {
        int alignment;
        std::vector<int> in;
        std::vector<int> out;
    };
    const int hiddenTop = -6390;
    const int shownRight = ScreenRight - PanelWidth; // flush with the right edge
    const std::vector<Case> cases{
        {0, stepsThenEnd(-5625, 240, 24, 0), stepsThenEnd(-240, -240, 24, -5865)},
        {1, stepsThenEnd(18900, -240, 24, shownRight), stepsThenEnd(shownRight + 240, 240, 24, 19140)},
        {2, stepsThenEnd(hiddenTop + 240, 240, 26, 0), stepsThenEnd(-240, -240, 26, hiddenTop)},
        {3, stepsThenEnd(hiddenTop + 240, 240, 26, 0), stepsThenEnd(-240, -240, 26, hiddenTop)},
        {4, stepsThenEnd(hiddenTop + 240, 240, 26, 0), stepsThenEnd(-240, -240, 26, hiddenTop)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alignment);
        Load(c.alignment);
        const QPoint docked = form->pos();

        PointAtForm();
        const qint64 before = clock.Now();
        desktop.topmostCalls = 0;
        EXPECT_EQ(Slide(), c.in);
        EXPECT_EQ(desktop.topmostCalls, int(c.in.size())) << "every step keeps the form on top";
        EXPECT_EQ(clock.Now() - before, 200 + 25 * qint64(c.in.size())) << "the watch notices, then a step every 25 ms";
        EXPECT_EQ(Sideways() ? form->y() : form->x(), Sideways() ? docked.y() : docked.x()) << "moved across its slide";

        clock.Advance(1000);
        EXPECT_EQ(Slide(200).size(), 0u) << "nothing moves while the pointer stays";

        PointAway();
        EXPECT_EQ(Slide(), c.out);
        EXPECT_EQ(form->pos(), docked);
    }
}

TEST_F(PanelTest, AStepLandingExactlyOnTheEdgeEndsTheSlideOnlyOneStepLater)
{
    Load(0);
    form->Move(-480, form->Top());
    PointAtForm();
    EXPECT_EQ(Slide(), (std::vector<int>{-240, 0, 0}));
}

TEST_F(PanelTest, ANarrowFormAtTheRightEdgeIsShownInOneStep)
{
    Load(1, Narrow);
    EXPECT_EQ(form->Left(), 19140);
    PointAtForm();
    EXPECT_EQ(Slide(), std::vector<int>{ScreenRight - 240});
}

TEST_F(PanelTest, ThePointerOnTheRightMostColumnOrBottomRowIsInside)
{
    Load(0);
    const host::ScreenRect r = desktop.WindowRect(*form);
    ASSERT_EQ(r.right, 3) << "the strip ends at pixel column 3";

    desktop.cursor = {r.right + 1, r.top + 10};
    clock.Advance(1000);
    EXPECT_FALSE(Expand().Enabled()) << "one column further is outside";
    desktop.cursor = {r.left + 1, r.bottom + 1};
    clock.Advance(1000);
    EXPECT_FALSE(Expand().Enabled()) << "one row further is outside";

    desktop.cursor = {r.right, r.bottom};
    clock.Advance(200);
    EXPECT_TRUE(Expand().Enabled());
}

TEST_F(PanelTest, ThePointerLeavingMidSlideReversesItWithoutStopping)
{
    Load(0);
    PointAtForm();
    std::vector<int> positions;
    std::vector<bool> running;
    QObject::connect(&Expand(), &host::Timer::tick, [&] {
        positions.push_back(form->Left());
        running.push_back(Expand().Enabled());
    });
    clock.AdvanceUntil([&] { return positions.size() == 3; }, 1000);
    PointAway();
    clock.AdvanceUntil([&] { return !Expand().Enabled(); }, 3000);

    ASSERT_GE(positions.size(), 6u);
    const auto peak = std::max_element(positions.begin(), positions.end());
    EXPECT_GT(peak - positions.begin(), 2) << "kept showing until the watch noticed";
    for (auto it = positions.begin() + 1; it != positions.end() - 1; ++it)
        EXPECT_EQ(std::abs(*it - *(it - 1)), 240);
    EXPECT_EQ(positions.back(), -5865);
    EXPECT_TRUE(std::all_of(running.begin(), running.end() - 1, [](bool on) { return on; }))
        << "the reversal does not stop the timer";
    EXPECT_FALSE(running.back());
}

// Under XWayland the reported position stays where the pointer last was over an X11 window.
TEST_F(PanelTest, LeavingOntoNoWindowOfOursSlidesBackThoughThePositionStaysInside)
{
    Load(0);
    const QPoint docked = form->pos();
    PointAtForm();
    desktop.underPointer = form.get();
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(form.get(), &enter);
    EXPECT_TRUE(Expand().Enabled()) << "an entry is noticed at once";
    Slide();
    EXPECT_EQ(form->Left(), 0);

    desktop.cursor = (form->frameGeometry()).center();
    desktop.underPointer = nullptr;
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(form.get(), &leave);
    EXPECT_TRUE(Expand().Enabled()) << "a leave is noticed at once";
    Slide();
    EXPECT_EQ(form->pos(), docked);
    clock.Advance(1000);
    EXPECT_EQ(form->pos(), docked) << "the watch does not bring it back on the stale position";

    PointAtForm();
    desktop.underPointer = form.get();
    QCoreApplication::sendEvent(form.get(), &enter);
    Slide();
    EXPECT_EQ(form->Left(), 0) << "the pointer back on the strip";
}

TEST_F(PanelTest, MovingBetweenTheFormAndItsOwnWindowsStartsNoSlide)
{
    Load(0);
    PointAtForm();
    Slide();
    ASSERT_EQ(form->Left(), 0);
    QWidget messageBox;
    QEvent leave(QEvent::Leave);
    QEvent enter(QEvent::Enter);
    std::vector<int> positions;
    QObject::connect(&Expand(), &host::Timer::tick, [&] { positions.push_back(form->Left()); });

    // A box over the form's rectangle: the position still says inside.
    desktop.underPointer = &messageBox;
    QCoreApplication::sendEvent(form.get(), &leave);
    clock.Advance(1000);
    desktop.underPointer = form.get();
    QCoreApplication::sendEvent(&messageBox, &leave);
    QCoreApplication::sendEvent(form.get(), &enter);
    clock.Advance(1000);
    EXPECT_TRUE(positions.empty()) << "moved while the pointer stayed on our windows";

    // Off the box onto a Wayland surface: the box's own leave is the only one there is.
    desktop.underPointer = &messageBox;
    QCoreApplication::sendEvent(form.get(), &leave);
    desktop.underPointer = nullptr;
    QCoreApplication::sendEvent(&messageBox, &leave);
    Slide();
    EXPECT_EQ(form->Left(), -5865);
}

TEST_F(PanelTest, SlidingInOnRequestHoldsUntilThePointerHasVisited)
{
    Load(0);
    PointAway();
    panel->SlideIn();
    Slide();
    EXPECT_EQ(form->Left(), 0);
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(form.get(), &deactivate);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(form.get(), &leave);
    clock.Advance(1000);
    EXPECT_EQ(form->Left(), 0) << "held with the pointer elsewhere and the keyboard taken back";

    PointAtForm();
    desktop.underPointer = form.get();
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(form.get(), &enter);
    PointAway();
    desktop.underPointer = nullptr;
    QCoreApplication::sendEvent(form.get(), &leave);
    Slide();
    EXPECT_EQ(form->Left(), -5865) << "after a visit the pointer rules again";
}

TEST_F(PanelTest, AnUnknownAlignmentNeverMovesTheFormAndNeverStopsItsSlide)
{
    Load(7);
    const QPoint designed(100, 100); // where the form's own data puts it
    EXPECT_EQ(form->pos(), designed);
    EXPECT_EQ(Watch().Interval(), 200);

    PointAtForm();
    clock.Advance(200);
    ASSERT_TRUE(Expand().Enabled());
    desktop.topmostCalls = 0;
    clock.Advance(2000);
    EXPECT_EQ(form->pos(), designed);
    EXPECT_TRUE(Expand().Enabled());
    EXPECT_EQ(desktop.topmostCalls, 2000 / 25) << "each tick only keeps the form on top";

    panel->setAlignment(-1);
    EXPECT_EQ(form->pos(), designed);
}

TEST_F(PanelTest, WritingAlignmentReDocksAtOnceAndKeepsThePointerState)
{
    Load(0);
    PointAtForm();
    Slide();
    ASSERT_EQ(form->Left(), 0);

    panel->setAlignment(2);
    EXPECT_EQ(form->pos(), QPoint(0, -426)) << "docked at the top at once";
    EXPECT_FALSE(Expand().Enabled());

    // Still inside as far as the panel knows: the pointer now outside the top strip starts
    // a hiding slide, which ends at once.
    EXPECT_EQ(Slide(), std::vector<int>{-6390});
}

TEST_F(PanelTest, ASystemPanelAtTheLeftOrTopKeepsTheFormBesideIt)
{
    desktop.workArea = host::ScreenRect{60, 0, 1280, 800}; // 900 twips at the left
    Load(0);
    EXPECT_EQ(form->Left(), 900 + 50 - PanelWidth - 5); // -4960 lands on pixel -331
    PointAtForm();
    EXPECT_EQ(Slide().back(), 900) << "shown beside the system panel";
    PointAway();
    EXPECT_EQ(Slide().back(), -4965) << "back where it docked";

    desktop.workArea = host::ScreenRect{0, 40, 1280, 800}; // 600 twips at the top
    Load(3);
    EXPECT_EQ(form->Top(), -5790); // 600 + 50 - 6435, on pixel -386
    EXPECT_EQ(form->Left(), (ScreenRight - PanelWidth) / 2);
    PointAtForm();
    EXPECT_EQ(Slide().back(), 600);
    PointAway();
    EXPECT_EQ(Slide().back(), -5790);
}

TEST_F(PanelTest, WithoutAWorkAreaTheScreenSizeStandsIn)
{
    desktop.workArea.reset();
    desktop.screenSize = {1024, 768};
    Load(1);
    EXPECT_EQ(form->Left(), 15300); // 15360 - 50, on pixel 1020
    EXPECT_EQ(form->Top(), 2535);   // (11520 - 6435) / 2 = 2542.5 rounds to 2542, on pixel 169
}

TEST(QtDesktop, WindowRectangleEndsPastTheLastColumnAndRow)
{
    QWidget window;
    window.setGeometry(10, 20, 30, 40);
    host::QtDesktop desktop;
    EXPECT_EQ(desktop.WindowRect(window), (host::ScreenRect{10, 20, 40, 60}));
    const std::optional<host::ScreenRect> area = desktop.WorkArea();
    ASSERT_TRUE(area.has_value());
    EXPECT_EQ(QSize(area->right - area->left, area->bottom - area->top), desktop.ScreenSize());
}
