#include "KeyboardProxy.h"

#include <QApplication>
#include <QTimer>
#include <QKeyEvent>

namespace host {

KeyboardProxy::KeyboardProxy(QWidget& target)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_target(&target)
{
    setObjectName(QStringLiteral("keyboardProxy"));
    setWindowTitle(target.windowTitle());
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_QuitOnClose, false);
    // Goes with its target, though it is no child of it.
    connect(&target, &QObject::destroyed, this, &QObject::deleteLater);
}

void KeyboardProxy::Take()
{
    if (!m_target || isActiveWindow())
        return;
    // The compositor hands the keyboard to a window as it maps it, and to no other on request.
    if (isVisible())
        hide();
    // Under the target, which stays above every managed window.
    setGeometry(QRect(m_target->geometry().topLeft(), QSize(1, 1)));
    show();
    raise();
    activateWindow();
}

bool KeyboardProxy::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        if (m_target) {
            QWidget* receiver = m_target->focusWidget() ? m_target->focusWidget() : m_target.data();
            QCoreApplication::sendEvent(receiver, event);
            return true;
        }
        break;
    case QEvent::WindowDeactivate:
        // Gone to another program; our own window may take it for a moment before the
        // compositor hands it back.
        QTimer::singleShot(0, this, [this] {
            if (!isActiveWindow() && QApplication::activeWindow() != m_target)
                hide();
        });
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

} // namespace host
