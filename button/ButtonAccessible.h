#pragma once

#include <QAccessibleWidget>

namespace button {

class PelroButton;

// What a screen reader hears of a PelroButton: a push button named by its caption, its
// tooltip as description, a press action that clicks it as a key press does.
class AccessibleButton : public QAccessibleWidget {
public:
    explicit AccessibleButton(PelroButton& button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    PelroButton& button() const;
};

// Makes every PelroButton answer with an AccessibleButton; safe to call more than once.
void InstallAccessibleButtonFactory();

} // namespace button
