#include "frmAbout.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace app {

frmAbout::frmAbout() : FadeWindow(QStringLiteral(":/forms/frmAbout.form")) {}

void frmAbout::FadedOut() { Close(); }

void frmAbout::Close()
{
    if (isActiveWindow())
        emit closingWithKeyboard();
    Unload();
}

void frmAbout::keyPressEvent(QKeyEvent* event)
{
    const QKeyCombination key = event->keyCombination();
    if (key == QKeyCombination(Qt::Key_Escape) || key == QKeyCombination(Qt::AltModifier, Qt::Key_F4)) {
        event->accept();
        Close();
        return;
    }
    FadeWindow::keyPressEvent(event);
}

void frmAbout::closeEvent(QCloseEvent* event)
{
    event->ignore();
    Close();
}

} // namespace app
