#include "ButtonFixture.h"

#include <QAccessible>

using button::PelroButton;

namespace {

class ButtonAccessibleTest : public ButtonTest {
protected:
    void SetUp() override
    {
        form.resize(300, 200);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    PelroButton& Shown(const host::PropertyBag& store)
    {
        PelroButton& b = Load(store);
        b.show();
        return b;
    }

    static QAccessibleInterface& Accessible(PelroButton& b)
    {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&b);
        EXPECT_NE(iface, nullptr);
        return *iface;
    }
};

TEST_F(ButtonAccessibleTest, ReadsAsAPushButtonNamedByItsCaption)
{
    PelroButton& update = Shown(Store({{"Caption", "Update"}, {"ToolTipText", "Fetch the newest catalogue"}}));
    QAccessibleInterface& a = Accessible(update);
    EXPECT_EQ(a.role(), QAccessible::PushButton);
    EXPECT_EQ(a.text(QAccessible::Name), QStringLiteral("Update"));
    EXPECT_EQ(a.text(QAccessible::Description), QStringLiteral("Fetch the newest catalogue"));

    update.setCaption(QStringLiteral("Cancel"));
    EXPECT_EQ(a.text(QAccessible::Name), QStringLiteral("Cancel"));

    PelroButton& stop = Shown(Store({{"Caption", "Stop"}}));
    EXPECT_EQ(Accessible(stop).text(QAccessible::Description), QString());
    stop.setAccessibleName(QStringLiteral("Stop playback"));
    EXPECT_EQ(Accessible(stop).text(QAccessible::Name), QStringLiteral("Stop playback")) << "a form's own name wins";
}

TEST_F(ButtonAccessibleTest, PressActionClicksAsAKeyDoes)
{
    PelroButton& toggle = Shown(Store({{"ButtonType", "1"}}));
    QSignalSpy clicks(&toggle, &PelroButton::Click);
    QAccessibleActionInterface* actions = Accessible(toggle).actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));

    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(toggle.Value());
    EXPECT_TRUE(Accessible(toggle).state().pressed);
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_FALSE(toggle.Value());
    EXPECT_FALSE(Accessible(toggle).state().pressed);

    toggle.setEnabled(false);
    EXPECT_FALSE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.count(), 2) << "a disabled button cannot be pressed";
}

TEST_F(ButtonAccessibleTest, StatesFollowFocusAndEnabled)
{
    PelroButton& b = Shown(Store({{"Caption", "Stop"}}));
    QAccessibleInterface& a = Accessible(b);
    EXPECT_TRUE(a.state().focusable);
    EXPECT_FALSE(a.state().pressed) << "a push button is never held down for a reader";

    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    b.setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(a.state().focused);
    b.setEnabled(false);
    EXPECT_TRUE(a.state().disabled);
    EXPECT_FALSE(a.state().focused);
}

} // namespace
