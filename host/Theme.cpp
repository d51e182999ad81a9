#include "Theme.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace host {

namespace {

bool g_themesActive = true;

QStyle* currentStyle()
{
    // QApplication::style() needs a widget application; a bare core application has no theme.
    return qobject_cast<QApplication*>(QCoreApplication::instance()) ? QApplication::style() : nullptr;
}

// A state the theme does not know is drawn in the part's common look, the resting one.
QStyle::State buttonState(int state)
{
    const QStyle::State resting = QStyle::State_Enabled | QStyle::State_Raised;
    switch (state) {
    case PBS_HOT: return resting | QStyle::State_MouseOver;
    case PBS_PRESSED: return QStyle::State_Enabled | QStyle::State_Sunken;
    case PBS_DISABLED: return QStyle::State_Raised;
    default: return resting;
    }
}

} // namespace

long ThemeData::DrawThemeBackground(QImage& target, int part, int state, const QRect& rect, const QRect& clip) const
{
    QStyle* style = currentStyle();
    if (!style || part != BP_PUSHBUTTON)
        return E_INVALIDARG;
    QStyleOptionButton option;
    option.rect = rect;
    option.state = buttonState(state);
    if (state == PBS_DEFAULTED)
        option.features |= QStyleOptionButton::DefaultButton;
    option.palette = style->standardPalette();
    if (state == PBS_DISABLED)
        option.palette.setCurrentColorGroup(QPalette::Disabled);
    QPainter painter(&target);
    painter.setClipRect(clip);
    style->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, nullptr);
    return S_OK;
}

std::optional<ThemeData> OpenThemeData(const QString& classList)
{
    if (!g_themesActive || !currentStyle())
        return std::nullopt;
    for (const QString& name : classList.split(QLatin1Char(';')))
        if (name.trimmed().compare(QLatin1String("Button"), Qt::CaseInsensitive) == 0)
            return ThemeData{};
    return std::nullopt;
}

void SetThemesActive(bool active) { g_themesActive = active; }

bool ThemesActive() { return g_themesActive; }

} // namespace host
