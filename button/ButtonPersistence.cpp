// The button's stored properties: keys, defaults and the text forms of its colours,
// picture and font.
#include "PelroButton.h"

#include "ButtonValues.h"

#include "host/gfx/Fonts.h"
#include "host/gfx/SystemColors.h"

namespace button {

namespace {

constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;
constexpr std::int32_t CenterWordBreak = 17; // DT_CENTER | DT_WORDBREAK

std::uint32_t translated(host::OleColor color) { return std::uint32_t(host::TranslateColor(color)); }

std::uint32_t readColor(const host::PropertyBag& store, const QString& key, std::uint32_t defaultColor)
{
    return std::uint32_t(store.ReadInt(key, int(defaultColor)));
}

void writeColor(host::PropertyBag& store, const QString& key, std::uint32_t color, std::uint32_t defaultColor)
{
    store.WriteProperty(key, ColorToText(color), ColorToText(defaultColor));
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
    m_fields.BackColor = translated(0x80000000u + COLOR_BTNFACE);
    m_fields.HighlightColor = translated(0x80000000u + COLOR_HIGHLIGHT);
    m_fields.FontColor = translated(0x80000000u + COLOR_BTNTEXT);
    m_fields.FontHighlightColor = translated(0x80000000u + COLOR_BTNTEXT);
}

void PelroButton::ReadProperties(const host::PropertyBag& store)
{
    m_fields.DrawState = paint::Normal;
    m_fields.Icon = IconFromText(store.ReadText(QStringLiteral("Icon")));
    m_fields.Style = store.ReadInt(QStringLiteral("Style"), 3);
    m_fields.Caption = store.ReadText(QStringLiteral("Caption"));
    m_fields.IconSize = store.ReadInt(QStringLiteral("IconSize"), 16);
    m_fields.IconAlign = store.ReadInt(QStringLiteral("IconAlign"), 0);
    m_fields.CaptionAlign = store.ReadInt(QStringLiteral("CaptionAlign"), 0);
    m_fields.NonThemeStyle = store.ReadInt(QStringLiteral("iNonThemeStyle"), 5);
    m_fields.Enabled = store.ReadBool(QStringLiteral("Enabled"), true);
    m_fields.ShowFocus = store.ReadBool(QStringLiteral("ShowFocus"), false);
    m_fields.UseCustomColors = store.ReadBool(QStringLiteral("USeCustomColors"), false);
    m_fields.BackColor = readColor(store, QStringLiteral("BackColor"), host::GetSysColor(COLOR_BTNFACE));
    m_fields.HighlightColor = readColor(store, QStringLiteral("HighlightColor"), host::GetSysColor(COLOR_HIGHLIGHT));
    m_fields.FontColor = readColor(store, QStringLiteral("FontColor"), host::GetSysColor(COLOR_BTNTEXT));
    m_fields.FontHighlightColor =
        readColor(store, QStringLiteral("FontHighlightColor"), host::GetSysColor(COLOR_BTNTEXT));
    m_fields.ToolTip = store.ReadText(QStringLiteral("ToolTipText"), QWidget::toolTip());
    m_fields.ToolTipTitle = store.ReadText(QStringLiteral("Tooltiptitle"));
    m_fields.ToolTipIcon = store.ReadInt(QStringLiteral("ToolTipIcon"), 0);
    m_fields.ToolTipType = store.ReadInt(QStringLiteral("ToolTipType"), 1);
    // The tooltip defaults are crossed (text colour for the background and back), as the
    // stored format has always had them.
    m_fields.ToolTipBackColor = readColor(store, QStringLiteral("ttBackColor"), host::GetSysColor(COLOR_INFOTEXT));
    m_fields.ToolTipForeColor = readColor(store, QStringLiteral("ttForeColor"), host::GetSysColor(COLOR_INFOBK));
    if (store.Contains(QStringLiteral("Font")))
        m_fields.Font = host::FontFromText(store.ReadText(QStringLiteral("Font")));
    else
        m_fields.Font = QWidget::font();
    QWidget::setFont(m_fields.Font);
    m_fields.ButtonType = store.ReadInt(QStringLiteral("ButtonType"), 0);
    m_fields.Value = store.ReadBool(QStringLiteral("Value"), false);
    // A control stored disabled must not take input either.
    QWidget::setEnabled(m_fields.Enabled);

    if (m_surface.userMode)
        StartRunModeTracking();
}

void PelroButton::WriteProperties(host::PropertyBag& store) const
{
    // No picture at all leaves the key out; an empty picture is kept as one.
    store.WriteProperty(QStringLiteral("Icon"), IconToText(m_fields.Icon), QString());
    store.WriteProperty(QStringLiteral("Style"), m_fields.Style, 3);
    store.WriteProperty(QStringLiteral("Caption"), m_fields.Caption, QString());
    store.WriteProperty(QStringLiteral("IconSize"), m_fields.IconSize, 16);
    store.WriteProperty(QStringLiteral("IconAlign"), m_fields.IconAlign, 0);
    store.WriteProperty(QStringLiteral("CaptionAlign"), m_fields.CaptionAlign, 0);
    store.WriteProperty(QStringLiteral("iNonThemeStyle"), m_fields.NonThemeStyle, 5);
    store.WriteProperty(QStringLiteral("Enabled"), m_fields.Enabled, true);
    store.WriteProperty(QStringLiteral("ShowFocus"), m_fields.ShowFocus, false);
    store.WriteProperty(QStringLiteral("USeCustomColors"), m_fields.UseCustomColors, false);
    writeColor(store, QStringLiteral("BackColor"), m_fields.BackColor, host::GetSysColor(COLOR_BTNFACE));
    writeColor(store, QStringLiteral("HighlightColor"), m_fields.HighlightColor, host::GetSysColor(COLOR_HIGHLIGHT));
    writeColor(store, QStringLiteral("FontColor"), m_fields.FontColor, host::GetSysColor(COLOR_BTNTEXT));
    writeColor(store, QStringLiteral("FontHighlightColor"), m_fields.FontHighlightColor,
               host::GetSysColor(COLOR_BTNTEXT));
    store.WriteProperty(QStringLiteral("ToolTipText"), m_fields.ToolTip, QWidget::toolTip());
    store.WriteProperty(QStringLiteral("Tooltiptitle"), m_fields.ToolTipTitle);
    store.WriteProperty(QStringLiteral("ToolTipIcon"), m_fields.ToolTipIcon);
    store.WriteProperty(QStringLiteral("ToolTipType"), m_fields.ToolTipType);
    writeColor(store, QStringLiteral("ttBackColor"), m_fields.ToolTipBackColor, host::GetSysColor(COLOR_INFOTEXT));
    writeColor(store, QStringLiteral("ttForeColor"), m_fields.ToolTipForeColor, host::GetSysColor(COLOR_INFOBK));
    store.WriteProperty(QStringLiteral("Font"), FontToText(m_fields.Font));
    store.WriteProperty(QStringLiteral("ButtonType"), m_fields.ButtonType, 0);
    store.WriteProperty(QStringLiteral("Value"), m_fields.Value, false);
}

} // namespace button
