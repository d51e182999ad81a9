#include "PelroButton.h"

#include "AboutSurface.h"
#include "ButtonProperties.h"
#include "ButtonAccessible.h"
#include "WindowSubclass.h"

#include "host/forms/Controls.h"
#include "host/gfx/Fonts.h"
#include "host/os/Platform.h"
#include "host/os/RuntimeError.h"
#include "host/os/Shell.h"
#include "host/gfx/SystemColors.h"
#include "host/forms/ToolTipWindow.h"
#include "host/forms/Twips.h"

#include <QAccessible>
#include <QPainter>

#include <limits>

namespace button {

namespace {

constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNTEXT = 18;
constexpr int OverflowError = 6;
// The size and font a new instance gets when placed on a form.
constexpr QSize DesignedSize(host::PixelsFromTwips(3435), host::PixelsFromTwips(1455));
const char* const DesignedFont = "Verdana, 8.25";

void announce(QWidget& widget, QAccessible::Event what)
{
    QAccessibleEvent event(&widget, what);
    QAccessible::updateAccessibility(&event);
}

void announceState(QWidget& widget, void (*mark)(QAccessible::State&))
{
    QAccessible::State changed;
    mark(changed);
    QAccessibleStateChangeEvent event(&widget, changed);
    QAccessible::updateAccessibility(&event);
}

} // namespace

RegionBuilder RegionBuilderFor(std::int32_t style)
{
    switch (style) {
    case 5:
    case 7:
        return &paint::MakeChamferRegion;
    case 8:
    case 9:
        return &paint::MakeWideChamferRegion;
    case 10:
        return &paint::MakeRoundRegion;
    default:
        return &paint::MakeRectRegion;
    }
}

PelroButton::PelroButton(QWidget* parent, Ambient ambient) : QWidget(parent)
{
    m_surface.userMode = ambient.UserMode;
    m_surface.backColor = host::GetSysColor(COLOR_BTNFACE);
    m_surface.foreColor = host::GetSysColor(COLOR_BTNTEXT);
    m_fields.Font = host::FontFromText(QLatin1String(DesignedFont));
    QWidget::setFont(m_fields.Font);
    resize(DesignedSize);
    setFocusPolicy(Qt::StrongFocus);
    InstallAccessibleButtonFactory();
    // The back buffer covers every pixel, so nothing behind needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_About = new AboutSurface(*this, Version());
}

PelroButton::PelroButton(QWidget* parent, const host::PropertyBag& design, Ambient ambient)
    : PelroButton(parent, ambient)
{
    host::ApplyPlacement(*this, design);
    if (!design.Contains(QStringLiteral("Width")) || !design.Contains(QStringLiteral("Height")))
        resize(DesignedSize);
    ReadProperties(design);
    UserControl_Resize();
}

PelroButton::PelroButton(QWidget* parent, const QString& name, Ambient ambient) : PelroButton(parent, ambient)
{
    setObjectName(name);
    InitProperties();
    UserControl_Resize();
}

PelroButton::~PelroButton() { UserControl_Terminate(); }

void PelroButton::About() { m_About->ShowAsWindow(QStringLiteral("About PelroButton ") + Version()); }

void PelroButton::Refresh()
{
    repaintFace();
    update();
}

QString PelroButton::Version() const { return QStringLiteral("3.0"); }

void PelroButton::Press()
{
    if (isEnabled())
        completeClick();
}

std::int32_t PelroButton::OpenLink(const QString& sLink) { return host::ShellOpen(sLink); }

void PelroButton::repaintFace()
{
    if (m_surface.image.size() != size())
        m_surface.image = QImage(size(), QImage::Format_RGB32);
    paint::Refresh(m_fields, m_surface);
    m_faceCurrent = true;
}

void PelroButton::notify(const char* name) { emit PropertyChanged(QLatin1String(name)); }

template <auto Member, typename T>
void PelroButton::assign(const T& value)
{
    constexpr const Property& property = PropertyOf<Member>();
    static_assert(property.redraw != Redraw::OwnSetter);
    m_fields.*Member = value;
    notify(property.name);
    if constexpr (property.redraw == Redraw::Layout) {
        UserControl_Resize();
        UserControl_Paint();
    } else {
        Refresh();
    }
}

void PelroButton::setStyle(std::int32_t NewStyle) { assign<&ButtonFields::Style>(NewStyle); }

void PelroButton::setCaption(const QString& NewCaption)
{
    const bool renamed = NewCaption != m_fields.Caption;
    assign<&ButtonFields::Caption>(NewCaption);
    if (renamed)
        announce(*this, QAccessible::NameChanged);
}

void PelroButton::setIcon(const std::optional<QImage>& NewIcon) { assign<&ButtonFields::Icon>(NewIcon); }
void PelroButton::setIconAlign(std::int32_t NewIconAlign) { assign<&ButtonFields::IconAlign>(NewIconAlign); }

std::int16_t PelroButton::IconSize() const
{
    if (m_fields.IconSize < std::numeric_limits<std::int16_t>::min()
        || m_fields.IconSize > std::numeric_limits<std::int16_t>::max())
        throw host::RuntimeError(OverflowError, "Overflow");
    return std::int16_t(m_fields.IconSize);
}

void PelroButton::setIconSize(std::int16_t NewIconSize) { assign<&ButtonFields::IconSize>(NewIconSize); }
void PelroButton::setCaptionAlign(std::int32_t NewAlign) { assign<&ButtonFields::CaptionAlign>(NewAlign); }
void PelroButton::setNonThemeStyle(std::int32_t NewStyle) { assign<&ButtonFields::NonThemeStyle>(NewStyle); }

void PelroButton::setEnabled(bool bEnabled)
{
    m_fields.DrawState = paint::Normal;
    m_fields.Enabled = bEnabled;
    Refresh();
    notify(PropertyOf<&ButtonFields::Enabled>().name);
    // A disabled window gets no mouse or keyboard input.
    const bool changes = bEnabled != isEnabled();
    QWidget::setEnabled(bEnabled);
    if (changes)
        announceState(*this, [](QAccessible::State& s) { s.disabled = true; });
}

void PelroButton::setShowFocus(bool bShowFocus) { assign<&ButtonFields::ShowFocus>(bShowFocus); }
void PelroButton::setUseCustomColors(bool bUse) { assign<&ButtonFields::UseCustomColors>(bUse); }
void PelroButton::setBackColor(std::uint32_t lColor) { assign<&ButtonFields::BackColor>(lColor); }
void PelroButton::setHighlightColor(std::uint32_t lColor) { assign<&ButtonFields::HighlightColor>(lColor); }
void PelroButton::setFontColor(std::uint32_t lColor) { assign<&ButtonFields::FontColor>(lColor); }
void PelroButton::setFontHighlightColor(std::uint32_t lColor) { assign<&ButtonFields::FontHighlightColor>(lColor); }

// The tooltip properties take effect when the tooltip is next made, at pointer entry.
void PelroButton::setToolTip(const QString& sToolTipText)
{
    const bool changed = sToolTipText != m_fields.ToolTip;
    assign<&ButtonFields::ToolTip>(sToolTipText);
    if (changed)
        announce(*this, QAccessible::DescriptionChanged);
}

void PelroButton::setToolTipTitle(const QString& sTitle) { assign<&ButtonFields::ToolTipTitle>(sTitle); }
void PelroButton::setToolTipIcon(std::int32_t lIcon) { assign<&ButtonFields::ToolTipIcon>(lIcon); }
void PelroButton::setToolTipType(std::int32_t lType) { assign<&ButtonFields::ToolTipType>(lType); }
void PelroButton::setToolTipBackColor(std::uint32_t lColor) { assign<&ButtonFields::ToolTipBackColor>(lColor); }
void PelroButton::setToolTipForeColor(std::uint32_t lColor) { assign<&ButtonFields::ToolTipForeColor>(lColor); }

void PelroButton::setFont(const QFont& newFont)
{
    m_fields.Font = newFont;
    QWidget::setFont(newFont);
    Refresh();
    notify(PropertyOf<&ButtonFields::Font>().name);
}

void PelroButton::setButtonType(std::int32_t newType) { assign<&ButtonFields::ButtonType>(newType); }

void PelroButton::setValue(bool newValue)
{
    const bool flips = newValue != m_fields.Value;
    assign<&ButtonFields::Value>(newValue);
    if (flips && m_fields.ButtonType == 1)
        announcePressedChange();
}

void PelroButton::announcePressedChange()
{
    announceState(*this, [](QAccessible::State& s) { s.pressed = true; });
}

void PelroButton::paintEvent(QPaintEvent*)
{
    if (!m_faceCurrent || m_surface.image.size() != size())
        repaintFace();
    QPainter painter(this);
    painter.drawImage(0, 0, m_surface.image);
}

void PelroButton::UserControl_Paint() { Refresh(); }

void PelroButton::UserControl_Resize()
{
    const int minimum = host::PixelsFromTwips(300);
    if (width() < minimum || height() < minimum)
        resize(std::max(width(), minimum), std::max(height(), minimum));

    const int W = width(), H = height();
    if (m_surface.image.size() != size())
        m_surface.image = QImage(size(), QImage::Format_RGB32);
    m_fields.ClientRect = {0, 0, W, H};
    m_fields.CaptionRect = {4, 4, W - 4, H - 4};
    static constexpr std::int32_t CaptionFormats[] = {37, 36, 38, 33, 41};
    if (m_fields.CaptionAlign >= 0 && m_fields.CaptionAlign < std::int32_t(std::size(CaptionFormats)))
        m_fields.CaptionFormat = CaptionFormats[m_fields.CaptionAlign];
    ApplyWindowRegion();
    Refresh();
}

void PelroButton::resizeEvent(QResizeEvent*) { UserControl_Resize(); }

void PelroButton::ApplyWindowRegion()
{
    m_windowRegion = RegionBuilderFor(m_fields.Style)(width(), height());
    setMask(m_windowRegion);
}

} // namespace button
