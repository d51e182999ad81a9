#include "ButtonAccessible.h"

#include "PelroButton.h"

namespace button {

namespace {

QAccessibleInterface* accessibleButtonFor(const QString&, QObject* object)
{
    auto* button = qobject_cast<PelroButton*>(object);
    return button ? new AccessibleButton(*button) : nullptr;
}

} // namespace

AccessibleButton::AccessibleButton(PelroButton& button) : QAccessibleWidget(&button, QAccessible::Button) {}

PelroButton& AccessibleButton::button() const { return *static_cast<PelroButton*>(widget()); }

QString AccessibleButton::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name: {
        const QString name = widget()->accessibleName(); // a name the form gives wins
        return name.isEmpty() ? button().Caption() : name;
    }
    case QAccessible::Description: {
        const QString description = widget()->accessibleDescription();
        return description.isEmpty() ? button().ToolTip() : description;
    }
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State AccessibleButton::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.pressed = button().ButtonType() == 1 && button().Value();
    return s;
}

QStringList AccessibleButton::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    if (widget()->isEnabled())
        names.prepend(pressAction());
    return names;
}

void AccessibleButton::doAction(const QString& actionName)
{
    if (actionName == pressAction()) {
        button().Press();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

QStringList AccessibleButton::keyBindingsForAction(const QString& actionName) const
{
    if (actionName == pressAction())
        return {QStringLiteral("Space"), QStringLiteral("Return")};
    return QAccessibleWidget::keyBindingsForAction(actionName);
}

void InstallAccessibleButtonFactory()
{
    static const bool installed = (QAccessible::installFactory(&accessibleButtonFor), true);
    (void)installed;
}

} // namespace button
