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

QAccessibleInterface* interfaceFor(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("host::MediaPlayer"))
        return new PlayerStripAccessible(static_cast<MediaPlayer*>(widget));
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
