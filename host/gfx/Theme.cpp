#include "Theme.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <deque>

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

QImage renderBevel(QStyle& style, const QPalette& palette, QSize size, int state)
{
    QImage bevel(size, QImage::Format_ARGB32_Premultiplied);
    bevel.fill(Qt::transparent);
    QStyleOptionButton option;
    option.rect = QRect(QPoint(0, 0), size);
    option.state = buttonState(state);
    if (state == PBS_DEFAULTED)
        option.features |= QStyleOptionButton::DefaultButton;
    option.palette = palette;
    if (state == PBS_DISABLED)
        option.palette.setCurrentColorGroup(QPalette::Disabled);
    QPainter painter(&bevel);
    style.drawControl(QStyle::CE_PushButtonBevel, &option, &painter, nullptr);
    return bevel;
}

// A style paints its bevel with gradients and anti-aliasing, several times slower than a
// repaint may take; the same few sizes and states come back on every hover, so keep them.
// A new style or palette (a theme change) makes new keys.
struct BevelKey {
    const QStyle* style;
    QString styleName;
    qint64 palette;
    QSize size;
    int state;
    bool operator==(const BevelKey&) const = default;
};

const QImage& cachedBevel(QStyle& style, QSize size, int state)
{
    static std::deque<std::pair<BevelKey, QImage>> cache;
    constexpr std::size_t capacity = 32;
    const QPalette palette = QApplication::palette();
    const BevelKey key{&style, style.name(), palette.cacheKey(), size, state};
    const auto found = std::find_if(cache.begin(), cache.end(), [&key](const auto& entry) { return entry.first == key; });
    if (found != cache.end())
        return found->second;
    if (cache.size() == capacity)
        cache.pop_back();
    cache.emplace_front(key, renderBevel(style, palette, size, state));
    return cache.front().second;
}

} // namespace

long ThemeData::DrawThemeBackground(QImage& target, int part, int state, const QRect& rect, const QRect& clip) const
{
    QStyle* style = currentStyle();
    if (!style || part != BP_PUSHBUTTON)
        return E_INVALIDARG;
    if (rect.isEmpty())
        return S_OK;
    const QImage& bevel = cachedBevel(*style, rect.size(), state);
    QPainter painter(&target);
    painter.setClipRect(clip);
    painter.drawImage(rect.topLeft(), bevel);
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
