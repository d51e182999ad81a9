#include "ToolTipWindow.h"

#include "host/os/Desktop.h"
#include "host/gfx/SystemColors.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

#include <algorithm>

namespace host {

namespace {

// The platform's delay when the style gives none.
constexpr int FallbackDelayMs = 500;
constexpr int MaxTextWidth = 320;
constexpr int IconSize = 16;
// Below the pointer's hot spot, clear of its arrow.
constexpr int PointerClearance = 20;

struct Metrics {
    int padding, radius, stemHeight, stemWidth, stemInset;
};
constexpr Metrics RectangleMetrics{4, 0, 0, 0, 0};
constexpr Metrics BalloonMetrics{10, 8, 14, 14, 18};

const Metrics& metricsFor(bool balloon) { return balloon ? BalloonMetrics : RectangleMetrics; }

QStyle::StandardPixmap standardIcon(int icon)
{
    switch (icon) {
    case TTI_WARNING:
        return QStyle::SP_MessageBoxWarning;
    case TTI_ERROR:
        return QStyle::SP_MessageBoxCritical;
    default:
        return QStyle::SP_MessageBoxInformation;
    }
}

bool hasIcon(const ToolTipSettings& s) { return s.titleSet && s.titleIcon >= TTI_INFO && s.titleIcon <= TTI_ERROR; }
bool hasTitleLine(const ToolTipSettings& s) { return s.titleSet && (!s.title.isEmpty() || hasIcon(s)); }

QFont titleFont(QFont font)
{
    font.setBold(true);
    return font;
}

} // namespace

ToolTipWindow::ToolTipWindow(unsigned style, QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    m_settings.style = style;
    setObjectName(QStringLiteral("PelroToolTip"));
    setWindowTitle(QStringLiteral("Tooltip"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    connect(&m_wakeUp, &Timer::tick, this, &ToolTipWindow::popUp);
    connect(&m_autoPop, &Timer::tick, this, &ToolTipWindow::pop);
}

ToolTipWindow::~ToolTipWindow()
{
    if (m_tool)
        m_tool->removeEventFilter(this);
}

void ToolTipWindow::AddTool(QWidget& tool, const QRect& rect, const QString& text)
{
    if (m_tool)
        m_tool->removeEventFilter(this);
    m_tool = &tool;
    m_settings.tool = &tool;
    m_settings.toolRect = rect;
    m_settings.text = text;
    tool.setMouseTracking(true);
    // The newest filter runs first, so the tool's own handling, which may consume its moves,
    // cannot hide them from us.
    tool.installEventFilter(this);
    // The pointer may already rest on the tool, with no further move to tell us.
    if (tool.isVisible() && rect.contains(tool.mapFromGlobal(CurrentDesktop().CursorPos())))
        armWakeUp();
}

void ToolTipWindow::SetTitle(int icon, const QString& title)
{
    m_settings.titleSet = true;
    m_settings.titleIcon = icon;
    m_settings.title = title;
}

void ToolTipWindow::SetTipTextColor(COLORREF color) { m_settings.textColor = color; }

void ToolTipWindow::SetTipBkColor(COLORREF color) { m_settings.backColor = color; }

COLORREF ToolTipWindow::EffectiveTextColor() const
{
    return m_settings.textColor.value_or(GetSysColor(COLOR_INFOTEXT));
}

COLORREF ToolTipWindow::EffectiveBackColor() const { return m_settings.backColor.value_or(GetSysColor(COLOR_INFOBK)); }

int ToolTipWindow::InitialDelayMs() const
{
    const int hint = style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, this);
    return hint > 0 ? hint : FallbackDelayMs;
}

bool ToolTipWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_tool || watched != m_tool.data())
        return false;
    switch (event->type()) {
    case QEvent::Enter:
        pointerMovedTo(static_cast<QEnterEvent*>(event)->position().toPoint());
        break;
    case QEvent::MouseMove:
        pointerMovedTo(static_cast<QMouseEvent*>(event)->position().toPoint());
        break;
    case QEvent::Leave:
        m_quietUntilLeave = false;
        pop();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        m_quietUntilLeave = true;
        pop();
        break;
    case QEvent::Hide:
        pop();
        break;
    default:
        break;
    }
    return false;
}

void ToolTipWindow::pointerMovedTo(QPoint toolPosition)
{
    if (!m_settings.toolRect.contains(toolPosition)) {
        pop();
        return;
    }
    if (!m_quietUntilLeave && !isVisible())
        armWakeUp();
}

// Every move starts the wait again: the tip waits for the pointer to rest.
void ToolTipWindow::armWakeUp()
{
    m_wakeUp.setInterval(InitialDelayMs());
    m_wakeUp.setEnabled(false);
    m_wakeUp.setEnabled(true);
}

void ToolTipWindow::popUp()
{
    m_wakeUp.setEnabled(false);
    // The platform shows nothing for an empty text.
    if (!hasText() || !m_tool || !m_tool->isVisible())
        return;
    layOut(CurrentDesktop().CursorPos());
    show();
    raise();
    m_autoPop.setInterval(AutoPopDelayMs());
    m_autoPop.setEnabled(true);
}

void ToolTipWindow::pop()
{
    m_wakeUp.setEnabled(false);
    m_autoPop.setEnabled(false);
    if (isVisible())
        hide();
}

// Sizes the window around title and text and puts it below the pointer, or above it when
// the screen ends first; a balloon's stem points at the pointer either way.
void ToolTipWindow::layOut(QPoint cursor)
{
    const Metrics& m = metricsFor(IsBalloon());
    const QFontMetrics textMetrics(font());
    const QRect textBounds =
        textMetrics.boundingRect(QRect(0, 0, MaxTextWidth, 10000), Qt::TextWordWrap, m_settings.text);
    int contentWidth = textBounds.width();
    int contentHeight = textBounds.height();
    if (hasTitleLine(m_settings)) {
        const QFontMetrics titleMetrics(titleFont(font()));
        const int iconWidth = hasIcon(m_settings) ? IconSize + 6 : 0;
        contentWidth = std::max(contentWidth, iconWidth + titleMetrics.horizontalAdvance(m_settings.title));
        contentHeight += std::max(titleMetrics.height(), hasIcon(m_settings) ? IconSize : 0) + 6;
    }
    const QSize bodySize(contentWidth + 2 * m.padding + 2, contentHeight + 2 * m.padding);
    const QSize windowSize(bodySize.width(), bodySize.height() + m.stemHeight);

    const QSize screen = CurrentDesktop().ScreenSize();
    const QPoint tip(cursor.x(), cursor.y() + (IsBalloon() ? PointerClearance / 2 : PointerClearance));
    m_stemBelow = tip.y() + windowSize.height() > screen.height();
    const int top = m_stemBelow ? cursor.y() - windowSize.height() : tip.y();
    const int left = std::clamp(tip.x() - m.stemInset, 0, std::max(0, screen.width() - windowSize.width()));
    m_body = QRect(QPoint(0, m_stemBelow ? 0 : m.stemHeight), bodySize);
    const int stemMin = m.radius + 2;
    m_stemX = std::clamp(tip.x() - left, stemMin, std::max(stemMin, bodySize.width() - m.radius - m.stemWidth - 2));
    setGeometry(left, top, windowSize.width(), windowSize.height());
    m_shape = shape();
    setMask(m_shape);
}

// The body and, for a balloon, its stem, which reaches into the body so the two join cleanly.
QRegion ToolTipWindow::shape() const
{
    if (!IsBalloon())
        return QRegion(m_body);
    const Metrics& m = metricsFor(true);
    QPainterPath path;
    path.addRoundedRect(QRectF(m_body), m.radius, m.radius);
    constexpr int Overlap = 3;
    QPolygonF stem;
    if (m_stemBelow) {
        const qreal base = m_body.bottom() + 1 - Overlap;
        stem << QPointF(m_stemX, base) << QPointF(m_stemX, m_body.bottom() + 1 + m.stemHeight)
             << QPointF(m_stemX + m.stemWidth, base);
    } else {
        const qreal base = m_body.top() + Overlap;
        stem << QPointF(m_stemX, base) << QPointF(m_stemX, 0) << QPointF(m_stemX + m.stemWidth, base);
    }
    return QRegion(path.toFillPolygon().toPolygon()) | QRegion(stem.toPolygon());
}

void ToolTipWindow::paintEvent(QPaintEvent*)
{
    const Metrics& m = metricsFor(IsBalloon());
    QPainter painter(this);
    // The border is the shape's own edge pixels, so it follows the mask exactly.
    const QRegion inside = m_shape & m_shape.translated(1, 0) & m_shape.translated(-1, 0) & m_shape.translated(0, 1)
        & m_shape.translated(0, -1);
    const QColor text = ToQColor(EffectiveTextColor());
    for (const QRect& r : m_shape - inside)
        painter.fillRect(r, text);
    for (const QRect& r : inside)
        painter.fillRect(r, ToQColor(EffectiveBackColor()));
    painter.setPen(text);

    QRect content = m_body.adjusted(m.padding + 1, m.padding, -m.padding - 1, -m.padding);
    if (hasTitleLine(m_settings)) {
        const QFont bold = titleFont(font());
        const int lineHeight = std::max(QFontMetrics(bold).height(), hasIcon(m_settings) ? IconSize : 0);
        int x = content.left();
        if (hasIcon(m_settings)) {
            const QIcon icon = style()->standardIcon(standardIcon(m_settings.titleIcon), nullptr, this);
            icon.paint(&painter, QRect(x, content.top() + (lineHeight - IconSize) / 2, IconSize, IconSize));
            x += IconSize + 6;
        }
        painter.setFont(bold);
        painter.drawText(QRect(x, content.top(), content.right() - x + 1, lineHeight), Qt::AlignVCenter | Qt::AlignLeft,
                         m_settings.title);
        content.setTop(content.top() + lineHeight + 6);
        painter.setFont(font());
    }
    painter.drawText(content, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, m_settings.text);
}

} // namespace host
