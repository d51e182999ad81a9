#include "AboutSurface.h"

#include "button/paint/Primitives.h"

#include "host/gfx/Fonts.h"
#include "host/gfx/SystemColors.h"
#include "host/forms/Twips.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace button {

namespace {

// Designed place and size, in twips, outside the control's own designed area.
constexpr int DesignedLeft = 7440, DesignedTop = 6240, DesignedWidth = 5655, DesignedHeight = 2175;

// The drawn Close face.
constexpr int L = 290, T = 80, R = 360, FaceRows = 26, B = T + FaceRows;

constexpr unsigned LineFormat = host::DT_SINGLELINE | host::DT_VCENTER;
constexpr host::COLORREF LinkBlue = 0xFF0000;

} // namespace

AboutSurface::AboutSurface(QWidget& control, const QString& version) : QWidget(&control), m_version(version)
{
    setObjectName(QStringLiteral("m_About"));
    m_font = host::FontFromText(QStringLiteral("Verdana, 9.75"));
    setGeometry(host::PixelsFromTwips(DesignedLeft), host::PixelsFromTwips(DesignedTop),
                host::PixelsFromTwips(DesignedWidth), host::PixelsFromTwips(DesignedHeight));
    setAttribute(Qt::WA_OpaquePaintEvent);
    hide();
}

const QString& AboutSurface::WebAddress()
{
    static const QString address = QStringLiteral("https://www.vanupelro.net/");
    return address;
}

// A caption and a frame with a minimise box but no close box: the box closes by a click.
void AboutSurface::ShowAsWindow(const QString& caption)
{
    setVisible(true);
    const Qt::WindowFlags windowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowStaysOnTopHint;
    if (this->windowFlags() != windowFlags) {
        const QRect placed = geometry();
        setWindowFlags(windowFlags);
        setGeometry(placed);
    }
    setWindowTitle(caption);
    show();
    raise();
}

void AboutSurface::setFontSize(double points) { m_font.setPixelSize(int(std::lround(points * 96.0 / 72.0))); }

void AboutSurface::drawText(host::DeviceContext& dc, const QString& text, const host::RECT& rect, unsigned format)
{
    dc.SetFont(m_font);
    dc.SetTextColor(m_textColor);
    dc.DrawText(text, rect, format);
}

void AboutSurface::m_About_Paint()
{
    if (m_image.size() != size())
        m_image = QImage(size(), QImage::Format_RGB32);
    m_image.fill(host::ToQColor(host::GetSysColor(host::COLOR_BTNFACE)));
    host::DeviceContext dc(m_image);

    m_textColor = host::GetSysColor(host::COLOR_BTNTEXT);
    m_font.setUnderline(false);
    setFontSize(18);
    drawText(dc, QStringLiteral("PelroButton"), {20, 10, 220, 40}, LineFormat);
    setFontSize(10);
    drawText(dc, QStringLiteral("Version ") + m_version, {160, 70, 300, 20}, LineFormat);
    m_font.setBold(true);
    drawText(dc, QStringLiteral("By Tolmek"), {20, 110, 250, 20}, LineFormat);
    m_font.setBold(false);
    drawText(dc, WebAddress(), {20, 140, 250, 20}, LineFormat);
    drawCloseFace(dc, false);
    m_needsPaint = false;
}

void AboutSurface::m_About_MouseDown()
{
    if (m_needsPaint)
        m_About_Paint();
    host::DeviceContext dc(m_image);
    drawCloseFace(dc, true);
    update();
}

void AboutSurface::m_About_Click() { setVisible(false); }

// Light at the top when up, dark at the top when pressed, with cut corners.
void AboutSurface::drawCloseFace(host::DeviceContext& dc, bool pressed)
{
    const host::COLORREF face = host::GetSysColor(host::COLOR_BTNFACE);
    const host::COLORREF light = paint::ShiftColor(face, 15), dark = paint::ShiftColor(face, -15);
    paint::GradientRowsOn(dc, pressed ? dark : light, pressed ? light : dark, L, T, R, FaceRows);

    const host::COLORREF shadow = host::GetSysColor(host::COLOR_BTNSHADOW);
    paint::DrawLineOn(dc, L + 2, T, R - 2, T, shadow);
    paint::DrawLineOn(dc, L + 2, T, L, T + 2, shadow);
    paint::DrawLineOn(dc, R - 2, T, R, T + 2, shadow);
    paint::DrawLineOn(dc, L, T + 2, L, B - 2, shadow);
    paint::DrawLineOn(dc, R, T + 2, R, B, shadow);
    paint::DrawLineOn(dc, L, B - 2, L + 2, B, shadow);
    paint::DrawLineOn(dc, R, B - 2, R - 3, B + 1, shadow);
    paint::DrawLineOn(dc, L + 2, B, R - 2, B, shadow);

    for (const QPoint corner : {QPoint(L, T), QPoint(L + 1, T), QPoint(L, T + 1), QPoint(R, T), QPoint(R - 1, T),
                                QPoint(R, T + 1), QPoint(L, B), QPoint(L + 1, B), QPoint(L, B - 1), QPoint(R, B),
                                QPoint(R - 1, B), QPoint(R, B - 1)})
        dc.SetPixel(corner.x(), corner.y(), face);

    setFontSize(8);
    m_textColor = LinkBlue;
    m_font.setUnderline(true);
    drawText(dc, QStringLiteral("Close"), {L, T, R, B}, host::DT_SINGLELINE | host::DT_VCENTER | host::DT_CENTER);
}

void AboutSurface::paintEvent(QPaintEvent*)
{
    if (m_needsPaint || m_image.size() != size())
        m_About_Paint();
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
}

void AboutSurface::resizeEvent(QResizeEvent*) { m_needsPaint = true; }

void AboutSurface::showEvent(QShowEvent*) { m_needsPaint = true; }

void AboutSurface::mousePressEvent(QMouseEvent*) { m_About_MouseDown(); }

void AboutSurface::mouseDoubleClickEvent(QMouseEvent*) { m_About_MouseDown(); }

// A click is a release over the surface, whichever button.
void AboutSurface::mouseReleaseEvent(QMouseEvent* event)
{
    if (rect().contains(event->position().toPoint()))
        m_About_Click();
}

} // namespace button
