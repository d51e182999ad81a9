#include "ButtonFixture.h"

#include "taskbar/FakeDesktop.h"

#include "host/testing/FakeClock.h"
#include "host/forms/ToolTipWindow.h"

#include <QPointer>

#include <set>

using button::PelroButton;
using host::ToolTipWindow;

namespace {

constexpr std::uint32_t rgb(int r, int g, int b) { return host::RGB(r, g, b); }

// Records whose events reach the tooltip's filter, to see what it watches.
class WatchingToolTip : public ToolTipWindow {
public:
    using ToolTipWindow::ToolTipWindow;
    std::set<const QObject*> watched;

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        watched.insert(object);
        return ToolTipWindow::eventFilter(object, event);
    }
};

} // namespace

// Buttons on a shown form, a pointer the test places (far from every button unless moved)
// and a clock the test advances.
class ButtonToolTipTest : public ButtonTest {
protected:
    void SetUp() override
    {
        form.resize(400, 300);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        desktop.cursor = QPoint(-500, -500);
    }

    PelroButton& Shown(const host::PropertyBag& store)
    {
        PelroButton& b = Load(store);
        b.move(10, 10);
        b.show();
        return b;
    }

    // Enters the button and returns the tooltip window made for that entry.
    ToolTipWindow& Entered(PelroButton& b)
    {
        enter(b);
        EXPECT_NE(b.CurrentToolTip(), nullptr);
        return *b.CurrentToolTip();
    }

    void EnterAgain(PelroButton& b)
    {
        leave(b);
        enter(b);
    }

    testsupport::FakeDesktop desktop;
    host::ScopedDesktop useDesktop{desktop};
    host::FakeClock clock;
};

TEST_F(ButtonToolTipTest, TypeOneIsABalloonAndEveryOtherTypeARectangle)
{
    for (const auto& [type, style] : {std::pair{"0", 0x03u}, std::pair{"1", 0x43u}, std::pair{"2", 0x03u}}) {
        PelroButton& b = Shown(Store({{"ToolTipType", type}}));
        const ToolTipWindow& tip = Entered(b);
        EXPECT_EQ(tip.Settings().style, style) << "type " << type;
        EXPECT_EQ(tip.IsBalloon(), style == 0x43u) << "type " << type;
    }
}

TEST_F(ButtonToolTipTest, NoTitleIsSentWithoutTitleOrIcon)
{
    PelroButton& plain = Shown(Store({{"ToolTipText", "tip"}}));
    EXPECT_FALSE(Entered(plain).Settings().titleSet);

    PelroButton& titled = Shown(Store({{"Tooltiptitle", "Heads up"}}));
    const host::ToolTipSettings& t = Entered(titled).Settings();
    EXPECT_TRUE(t.titleSet);
    EXPECT_EQ(t.title, QStringLiteral("Heads up"));
    EXPECT_EQ(t.titleIcon, host::TTI_NONE);

    PelroButton& iconOnly = Shown(Store({{"ToolTipIcon", "3"}}));
    const host::ToolTipSettings& i = Entered(iconOnly).Settings();
    EXPECT_TRUE(i.titleSet);
    EXPECT_EQ(i.titleIcon, host::TTI_ERROR);
    EXPECT_TRUE(i.title.isEmpty());
}

TEST_F(ButtonToolTipTest, ColourZeroKeepsTheSystemColourAndSystemColoursAreTranslated)
{
    PelroButton& b = Shown(Store({{"ttForeColor", "0"}, {"ttBackColor", "0"}}));
    const ToolTipWindow& plain = Entered(b);
    EXPECT_FALSE(plain.Settings().textColor.has_value());
    EXPECT_FALSE(plain.Settings().backColor.has_value());
    EXPECT_EQ(plain.EffectiveTextColor(), host::GetSysColor(host::COLOR_INFOTEXT));
    EXPECT_EQ(plain.EffectiveBackColor(), host::GetSysColor(host::COLOR_INFOBK));

    b.setToolTipForeColor(rgb(200, 0, 0));
    b.setToolTipBackColor(0x80000000u + host::COLOR_HIGHLIGHT);
    EnterAgain(b);
    const ToolTipWindow& coloured = *b.CurrentToolTip();
    EXPECT_EQ(coloured.Settings().textColor, rgb(200, 0, 0));
    EXPECT_EQ(coloured.Settings().backColor, host::GetSysColor(host::COLOR_HIGHLIGHT));
}

TEST_F(ButtonToolTipTest, TextInTheBackgroundColourIsNotSentSoTheTipStaysReadable)
{
    // Loaded without tooltip colours, the text colour defaults to the tooltip background.
    PelroButton& b = Shown(Store({{"ToolTipText", "tip"}}));
    ASSERT_EQ(b.ToolTipForeColor(), host::GetSysColor(host::COLOR_INFOBK));
    const ToolTipWindow& tip = Entered(b);
    EXPECT_FALSE(tip.Settings().textColor.has_value());
    EXPECT_NE(tip.EffectiveTextColor(), tip.EffectiveBackColor());

    b.setToolTipBackColor(rgb(0, 0, 128));
    EnterAgain(b);
    EXPECT_EQ(b.CurrentToolTip()->Settings().textColor, host::GetSysColor(host::COLOR_INFOBK))
        << "on another background that colour is readable and is sent";
}

TEST_F(ButtonToolTipTest, ChangedPropertiesTakeEffectOnlyAtTheNextEntry)
{
    PelroButton& b = Shown(Store({{"ToolTipText", "old"}, {"ToolTipType", "0"}}));
    QPointer<ToolTipWindow> first = &Entered(b);

    b.setToolTip(QStringLiteral("new"));
    b.setToolTipTitle(QStringLiteral("Title"));
    b.setToolTipType(1);
    b.setToolTipBackColor(rgb(1, 2, 3));
    ASSERT_EQ(b.CurrentToolTip(), first.data());
    EXPECT_EQ(first->Settings().text, QStringLiteral("old"));
    EXPECT_FALSE(first->Settings().titleSet);
    EXPECT_FALSE(first->IsBalloon());
    EXPECT_FALSE(first->Settings().backColor.has_value());

    EnterAgain(b);
    EXPECT_TRUE(first.isNull()) << "the previous window is destroyed before a new one is made";
    const ToolTipWindow& second = *b.CurrentToolTip();
    EXPECT_EQ(second.Settings().text, QStringLiteral("new"));
    EXPECT_EQ(second.Settings().title, QStringLiteral("Title"));
    EXPECT_TRUE(second.IsBalloon());
    EXPECT_EQ(second.Settings().backColor, rgb(1, 2, 3));
    EXPECT_EQ(b.findChildren<ToolTipWindow*>().size(), 1);
}

TEST_F(ButtonToolTipTest, TheToolIsTheClientRectangleAtEntryAndFollowsAResizeAtTheNext)
{
    PelroButton& b = Shown({});
    b.resize(120, 40);
    const ToolTipWindow& tip = Entered(b);
    EXPECT_EQ(tip.Settings().tool, &b);
    EXPECT_EQ(tip.Settings().toolRect, QRect(0, 0, 120, 40));

    b.resize(200, 64);
    EnterAgain(b);
    EXPECT_EQ(b.CurrentToolTip()->Settings().toolRect, QRect(0, 0, 200, 64));
}

TEST_F(ButtonToolTipTest, HostTooltipTextMovesIntoTheControlOnShowAndBackOnHide)
{
    PelroButton& b = Load({});
    static_cast<QWidget&>(b).setToolTip(QStringLiteral("typed in the form"));
    b.show();
    EXPECT_EQ(b.ToolTip(), QStringLiteral("typed in the form"));
    EXPECT_TRUE(static_cast<QWidget&>(b).toolTip().isEmpty()) << "the host must have nothing left to show";

    b.setToolTip(QStringLiteral("changed at run time"));
    b.hide();
    EXPECT_EQ(static_cast<QWidget&>(b).toolTip(), QStringLiteral("changed at run time"));
    b.show();
    EXPECT_EQ(b.ToolTip(), QStringLiteral("changed at run time"));
    EXPECT_TRUE(static_cast<QWidget&>(b).toolTip().isEmpty());
}

TEST_F(ButtonToolTipTest, AHostWithoutTextLeavesTheControlsOwnTooltip)
{
    PelroButton& b = Load(Store({{"ToolTipText", "own text"}}));
    static_cast<QWidget&>(b).setToolTip(QString());
    b.show();
    EXPECT_EQ(b.ToolTip(), QStringLiteral("own text"));
}

TEST_F(ButtonToolTipTest, ShowsAfterTheHoverDelayAndHidesOnLeave)
{
    PelroButton& b = Shown(Store({{"ToolTipText", "Fetch the newest catalogue"}}));
    ToolTipWindow* tip = &Entered(b);
    const int delay = tip->InitialDelayMs();
    ASSERT_GT(delay, 0);

    moveTo(b, QPoint(20, 10));
    clock.Advance(delay - 1);
    EXPECT_FALSE(tip->isVisible());
    moveTo(b, QPoint(22, 12));
    clock.Advance(delay - 1);
    EXPECT_FALSE(tip->isVisible()) << "every move starts the wait again";
    clock.Advance(1);
    EXPECT_TRUE(tip->isVisible());
    EXPECT_TRUE(tip->isWindow());

    moveTo(b, QPoint(30, 15));
    EXPECT_TRUE(tip->isVisible()) << "moving within the tool keeps it";
    leave(b);
    EXPECT_FALSE(tip->isVisible());
    clock.Advance(delay * 2);
    EXPECT_FALSE(tip->isVisible());
}

TEST_F(ButtonToolTipTest, APressHidesItUntilThePointerHasLeft)
{
    PelroButton& b = Shown(Store({{"ToolTipText", "tip"}}));
    ToolTipWindow* tip = &Entered(b);
    moveTo(b, QPoint(20, 10));
    clock.Advance(tip->InitialDelayMs());
    ASSERT_TRUE(tip->isVisible());

    QTest::mousePress(&b, Qt::RightButton, {}, QPoint(20, 10));
    EXPECT_FALSE(tip->isVisible());
    QTest::mouseRelease(&b, Qt::RightButton, {}, QPoint(20, 10));
    moveTo(b, QPoint(21, 11));
    clock.Advance(tip->InitialDelayMs() * 2);
    EXPECT_FALSE(tip->isVisible());

    EnterAgain(b);
    tip = b.CurrentToolTip();
    moveTo(b, QPoint(21, 11));
    clock.Advance(tip->InitialDelayMs());
    EXPECT_TRUE(tip->isVisible());
}

TEST_F(ButtonToolTipTest, APointerAlreadyRestingOnTheButtonNeedsNoFurtherMove)
{
    PelroButton& b = Shown(Store({{"ToolTipText", "tip"}}));
    desktop.cursor = b.mapToGlobal(QPoint(8, 8));
    ToolTipWindow& tip = Entered(b);
    clock.Advance(tip.InitialDelayMs());
    ASSERT_TRUE(tip.isVisible());
    EXPECT_TRUE(tip.geometry().top() > desktop.cursor.y()) << "below the pointer";

    clock.Advance(tip.AutoPopDelayMs());
    EXPECT_FALSE(tip.isVisible()) << "a tip left alone goes away by itself";
}

TEST_F(ButtonToolTipTest, AnEmptyTextShowsNothing)
{
    PelroButton& b = Shown({});
    ToolTipWindow& tip = Entered(b);
    moveTo(b, QPoint(20, 10));
    clock.Advance(tip.InitialDelayMs() * 2);
    EXPECT_FALSE(tip.isVisible());
}

TEST_F(ButtonToolTipTest, ShowingTheTipLeavesTheFocusWhereItWas)
{
    PelroButton& b = Shown(Store({{"ToolTipText", "tip"}, {"ToolTipType", "1"}, {"Tooltiptitle", "Update"},
                                  {"ToolTipIcon", "1"}}));
    form.activateWindow();
    b.setFocus();
    QCoreApplication::processEvents();
    QWidget* focused = QApplication::focusWidget();
    ToolTipWindow& tip = Entered(b);
    moveTo(b, QPoint(20, 10));
    clock.Advance(tip.InitialDelayMs());
    ASSERT_TRUE(tip.isVisible());
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), focused);
    EXPECT_TRUE(tip.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(tip.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_FALSE(tip.mask().isEmpty()) << "a balloon is cut to its outline";
    EXPECT_FALSE(tip.mask().contains(QPoint(0, 0))) << "the rounded corner is cut away";
}

TEST_F(ButtonToolTipTest, NearTheScreensEdgesTheTipStaysOnTheScreen)
{
    PelroButton& b = Shown(Store({{"ToolTipText", "A tip long enough to need some room on the screen"},
                                  {"ToolTipType", "1"}}));
    for (const QPoint pointer : {QPoint(1275, 400), QPoint(600, 795), QPoint(2, 2)}) {
        desktop.cursor = pointer;
        leave(b);
        ToolTipWindow& tip = Entered(b);
        moveTo(b, QPoint(20, 10));
        clock.Advance(tip.InitialDelayMs());
        ASSERT_TRUE(tip.isVisible());
        const QRect g = tip.geometry();
        EXPECT_GE(g.left(), 0) << pointer.x() << "," << pointer.y();
        EXPECT_LE(g.right(), 1279) << pointer.x() << "," << pointer.y();
        EXPECT_GE(g.top(), 0) << pointer.x() << "," << pointer.y();
        EXPECT_LE(g.bottom(), 799) << pointer.x() << "," << pointer.y();
        EXPECT_FALSE(g.contains(pointer)) << "the tip never covers the pointer";
    }
}

TEST_F(ButtonToolTipTest, ATipWatchesOnlyItsToolAndGoesWithIt)
{
    auto* tool = new QWidget(&form);
    QWidget other(&form);
    tool->setGeometry(10, 10, 80, 24);
    other.setGeometry(100, 10, 80, 24);
    tool->show();
    other.show();
    QPointer<WatchingToolTip> tip = new WatchingToolTip(host::TTS_ALWAYSTIP, tool);
    tip->AddTool(*tool, tool->rect(), QStringLiteral("tip"));

    moveTo(other, QPoint(5, 5));
    leave(other);
    moveTo(*tool, QPoint(20, 10));
    QCoreApplication::processEvents();
    EXPECT_EQ(tip->watched, std::set<const QObject*>{tool}) << "nothing but the tool's own events";
    clock.Advance(tip->InitialDelayMs());
    EXPECT_TRUE(tip->isVisible());

    delete tool;
    EXPECT_TRUE(tip.isNull()) << "the tool's Qt parentage is the tip's only owner";
}

TEST_F(ButtonToolTipTest, TheButtonsTipGoesWithTheButtonAndAGoneTipLeavesItWorking)
{
    PelroButton& b = Shown(Store({{"ToolTipText", "tip"}}));
    QPointer<ToolTipWindow> tip = &Entered(b);
    delete tip.data();
    EXPECT_EQ(b.CurrentToolTip(), nullptr);
    moveTo(b, QPoint(20, 10));
    leave(b);
    EnterAgain(b);
    tip = b.CurrentToolTip();
    ASSERT_FALSE(tip.isNull());
    moveTo(b, QPoint(20, 10));
    clock.Advance(tip->InitialDelayMs());
    EXPECT_TRUE(tip->isVisible());

    delete &b;
    EXPECT_TRUE(tip.isNull());
}
