#include "frmSplash.h"

#include "Forms.h"

#include "host/os/Timer.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace app {

frmSplash::frmSplash(Forms& forms) : FadeWindow(QStringLiteral(":/forms/frmSplash.form")), m_forms(forms) {}

void frmSplash::FadedIn() { m_forms.LoadMain(); }

void frmSplash::FadedOut()
{
    m_forms.ShowMain();
    Unload();
}

void frmSplash::Skip()
{
    if (!IsLoaded())
        return;
    for (host::Timer* timer : findChildren<host::Timer*>())
        timer->setEnabled(false);
    FadedOut();
}

void frmSplash::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    Skip();
}

void frmSplash::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    Skip();
}

// Keys skip it only when it has them.
void frmSplash::showEvent(QShowEvent* event)
{
    FadeWindow::showEvent(event);
    activateWindow();
}

} // namespace app
