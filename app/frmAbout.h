#pragma once

#include "FadeWindow.h"

namespace app {

// The About picture: fades in, holds, fades out and unloads itself; a key closes it sooner.
class frmAbout : public FadeWindow {
    Q_OBJECT
public:
    frmAbout();

protected:
    void FadedOut() override;
    // Escape or Alt+F4 closes it at once, as the window manager's close does.
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};

} // namespace app
