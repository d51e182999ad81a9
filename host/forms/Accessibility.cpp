#include "Accessibility.h"

#include "Controls.h"
#include "Form.h"
#include "MediaPlayer.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace host {

namespace {

const char* const DecorativeProperty = "vanupelroDecorative";

// What the strip says: its state in words, read on change; the running time is left to
// the description, which a screen reader reads only when asked.
class PlayerStripAccessible : public QAccessibleWidget {
public:
    explicit PlayerStripAccessible(MediaPlayer* player) : QAccessibleWidget(player, QAccessible::StatusBar) {}

    QString text(QAccessible::Text kind) const override
    {
        const auto* player = static_cast<const MediaPlayer*>(widget());
        switch (kind) {
        case QAccessible::Name:
            return player->SpokenText();
        case QAccessible::Description:
            return player->StatusText();
        default:
            return QAccessibleWidget::text(kind);
        }
    }
};

// Screen readers see a hot spot made a button as a push button they can press.
class HotSpotAccessible : public QAccessibleWidget {
public:
    explicit HotSpotAccessible(Image& image) : QAccessibleWidget(&image, QAccessible::Button) {}

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && widget()->isEnabled())
            emit static_cast<Image*>(widget())->Click();
    }
    QStringList keyBindingsForAction(const QString& name) const override
    {
        return name == pressAction() ? QStringList{QStringLiteral("Space")} : QStringList{};
    }
};

QAccessibleInterface* interfaceFor(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("host::MediaPlayer"))
        return new PlayerStripAccessible(static_cast<MediaPlayer*>(widget));
    // Asked before decoration: a hot spot the keyboard can press is a button, whatever it shows.
    if (auto* image = qobject_cast<Image*>(widget); image && image->IsButton())
        return new HotSpotAccessible(*image);
    // A picture nobody clicks is decoration: an image, named only if the design names it.
    // Pictures that act are left to whoever makes them act.
    const bool decorative = widget->property(DecorativeProperty).toBool()
        || (className == QLatin1String("host::Image") && !static_cast<Image*>(widget)->IsClickable());
    if (decorative)
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    // Named by its caption through QAccessibleWidget, which reads a window's title.
    if (className == QLatin1String("host::Form") && widget->isWindow())
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

void MarkDecorative(QWidget& control)
{
    InstallAccessibility();
    control.setProperty(DecorativeProperty, true);
}

void InstallAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(interfaceFor);
        return true;
    }();
    (void)installed;
}

} // namespace host
