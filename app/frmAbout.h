#pragma once

#include "FadeWindow.h"

namespace app {

// The About picture: fades in, holds, fades out and unloads itself; a key closes it sooner.
class frmAbout : public FadeWindow {
    Q_OBJECT
public:
    frmAbout();

signals:
    // It goes while it has the keyboard, which should go back where it came from.
    void closingWithKeyboard();

protected:
    void FadedOut() override;
    // Escape or Alt+F4 closes it at once, as the window manager's close does.
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Close();
};

} // namespace app
