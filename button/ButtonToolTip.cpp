// The button's own tooltip, made anew at every pointer entry, and the hand-over of the
// host's tooltip text so that the host never shows a plain tooltip beside it.
#include "PelroButton.h"

#include "button/paint/Primitives.h"

#include "host/gfx/SystemColors.h"
#include "host/forms/ToolTipWindow.h"

#include <QHideEvent>
#include <QShowEvent>

#include <optional>

namespace button {

namespace {

constexpr std::int32_t BalloonType = 1;

// 0 keeps the system colour; so does a system colour that does not translate.
std::optional<host::COLORREF> chosenColor(std::uint32_t oleColor)
{
    if (oleColor == 0)
        return std::nullopt;
    const host::COLORREF color = paint::TranslateColor(oleColor);
    if (color == host::CLR_INVALID)
        return std::nullopt;
    return color;
}

} // namespace

host::ToolTipWindow* PelroButton::CurrentToolTip() const { return m_toolTipWindow.data(); }

void PelroButton::CreateToolTip()
{
    // One tooltip window per button: the old one goes before the new one is made.
    delete m_toolTipWindow.data();
    unsigned style = host::TTS_ALWAYSTIP | host::TTS_NOPREFIX;
    if (m_fields.ToolTipType == BalloonType)
        style |= host::TTS_BALLOON;
    m_toolTipWindow = new host::ToolTipWindow(style, this); // owned as our Qt child
    m_toolTipWindow->AddTool(*this, QRect(QPoint(0, 0), size()), m_fields.ToolTip);
    if (!m_fields.ToolTipTitle.isEmpty() || m_fields.ToolTipIcon != 0)
        m_toolTipWindow->SetTitle(m_fields.ToolTipIcon, m_fields.ToolTipTitle);

    const std::optional<host::COLORREF> textColor = chosenColor(m_fields.ToolTipForeColor);
    const std::optional<host::COLORREF> backColor = chosenColor(m_fields.ToolTipBackColor);
    // A button loaded without tooltip colours gets the background colour as its text colour;
    // text in the colour it stands on would be unreadable, so the system's text colour stays.
    const host::COLORREF background = backColor.value_or(host::GetSysColor(host::COLOR_INFOBK));
    if (textColor && *textColor != background)
        m_toolTipWindow->SetTipTextColor(*textColor);
    if (backColor)
        m_toolTipWindow->SetTipBkColor(*backColor);
}

// An empty host text leaves the control's own tooltip as it is: text given to the control
// itself must not be wiped by a host that has none.
void PelroButton::UserControl_Show()
{
    const QString hostText = QWidget::toolTip();
    if (!hostText.isEmpty())
        m_fields.ToolTip = hostText;
    QWidget::setToolTip(QString());
    UserControl_Paint();
}

void PelroButton::UserControl_Hide() { QWidget::setToolTip(m_fields.ToolTip); }

// Only the host showing or hiding the control counts, not the window being minimised.
void PelroButton::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        UserControl_Show();
}

void PelroButton::hideEvent(QHideEvent* event)
{
    if (!event->spontaneous())
        UserControl_Hide();
}

} // namespace button
