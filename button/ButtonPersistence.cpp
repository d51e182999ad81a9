// The button's stored properties, read and written as the property table says.
#include "PelroButton.h"

#include "ButtonProperties.h"
#include "ButtonValues.h"

#include "host/gfx/Fonts.h"
#include "host/gfx/SystemColors.h"

#include <utility>

namespace button {

namespace {

constexpr std::int32_t CenterWordBreak = 17; // DT_CENTER | DT_WORDBREAK

std::uint32_t translated(host::OleColor color) { return std::uint32_t(host::TranslateColor(color)); }
std::uint32_t systemColour(std::int32_t index) { return host::GetSysColor(index); }

// Every text defaults to empty but the tooltip's, which defaults to the host's own tooltip text.
QString storedTextDefault(const QWidget& control, QString ButtonFields::*field)
{
    return field == &ButtonFields::ToolTip ? control.toolTip() : QString();
}

} // namespace

void PelroButton::InitProperties()
{
    m_fields.Style = 0;
    m_fields.Caption = objectName();
    m_fields.IconSize = 16;
    m_fields.Icon = QImage();
    m_fields.ShowFocus = false;
    m_fields.UseCustomColors = false;
    m_fields.CaptionFormat = CenterWordBreak;
    m_fields.Enabled = true;
    m_fields.BackColor = translated(0x80000000u + host::COLOR_BTNFACE);
    m_fields.HighlightColor = translated(0x80000000u + host::COLOR_HIGHLIGHT);
    m_fields.FontColor = translated(0x80000000u + host::COLOR_BTNTEXT);
    m_fields.FontHighlightColor = translated(0x80000000u + host::COLOR_BTNTEXT);
}

void PelroButton::ReadProperties(const host::PropertyBag& store)
{
    m_fields.DrawState = paint::Normal;
    for (const Property& property : Properties) {
        const QString key = QLatin1String(property.key);
        const std::int32_t fallback = property.storedDefault;
        const auto read = Overloaded{
            [&](std::int32_t ButtonFields::*f) { m_fields.*f = store.ReadInt(key, fallback); },
            [&](std::uint32_t ButtonFields::*f) {
                m_fields.*f = std::uint32_t(store.ReadInt(key, int(systemColour(fallback))));
            },
            [&](bool ButtonFields::*f) { m_fields.*f = store.ReadBool(key, fallback != 0); },
            [&](QString ButtonFields::*f) { m_fields.*f = store.ReadText(key, storedTextDefault(*this, f)); },
            [&](std::optional<QImage> ButtonFields::*f) { m_fields.*f = IconFromText(store.ReadText(key)); },
            [&](QFont ButtonFields::*f) {
                m_fields.*f = store.Contains(key) ? host::FontFromText(store.ReadText(key)) : QWidget::font();
            },
        };
        std::visit(read, property.field);
    }
    QWidget::setFont(m_fields.Font);
    // A control stored disabled must not take input either.
    QWidget::setEnabled(m_fields.Enabled);

    if (m_surface.userMode)
        StartRunModeTracking();
}

void PelroButton::WriteProperties(host::PropertyBag& store) const
{
    for (const Property& property : Properties) {
        const std::int32_t fallback = property.storedDefault;
        using Stored = std::pair<QVariant, QVariant>; // the value and the default it is left out at
        const auto write = Overloaded{
            [&](std::int32_t ButtonFields::*f) { return Stored(m_fields.*f, fallback); },
            [&](std::uint32_t ButtonFields::*f) {
                return Stored(ColorToText(m_fields.*f), ColorToText(systemColour(fallback)));
            },
            [&](bool ButtonFields::*f) { return Stored(m_fields.*f, fallback != 0); },
            [&](QString ButtonFields::*f) { return Stored(m_fields.*f, storedTextDefault(*this, f)); },
            // No picture at all leaves the key out; an empty picture is kept as one.
            [&](std::optional<QImage> ButtonFields::*f) { return Stored(IconToText(m_fields.*f), QString()); },
            [&](QFont ButtonFields::*f) { return Stored(FontToText(m_fields.*f), QVariant()); },
        };
        const auto [value, defaultValue] = std::visit(write, property.field);
        store.WriteProperty(QLatin1String(property.key), value,
                            property.saved == Saved::Always ? QVariant() : defaultValue);
    }
}

} // namespace button
