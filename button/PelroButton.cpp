#include "PelroButton.h"

#include "host/Controls.h"
#include "host/SystemColors.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace button {

PelroButton::PelroButton(QWidget* parent, const host::PropertyBag& design)
    : QWidget(parent), m_caption(design.ReadText(QStringLiteral("Caption")))
{
    host::ApplyPlacement(*this, design);
    setFocusPolicy(Qt::StrongFocus);
}

void PelroButton::setCaption(const QString& caption)
{
    m_caption = caption;
    update();
}

void PelroButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect r = rect();
    painter.fillRect(r, host::ToQColor(host::GetSysColor(15)));
    // Etched frame: a shadow rectangle with a highlight one offset by a pixel.
    painter.setPen(host::ToQColor(host::GetSysColor(m_pressed ? 20 : 16)));
    painter.drawRect(r.adjusted(0, 0, -2, -2));
    painter.setPen(host::ToQColor(host::GetSysColor(m_pressed ? 16 : 20)));
    painter.drawRect(r.adjusted(1, 1, -1, -1));
    painter.setPen(host::ToQColor(host::GetSysColor(18)));
    painter.drawText(r.translated(m_pressed ? 1 : 0, m_pressed ? 1 : 0), Qt::AlignCenter, m_caption);
}

void PelroButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    update();
}

void PelroButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    update();
    if (rect().contains(event->position().toPoint()))
        emit Click();
}

void PelroButton::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
        emit Click();
    else
        QWidget::keyPressEvent(event);
}

} // namespace button
