#pragma once

#include "FadeWindow.h"

namespace app {

class Forms;

// The start-up window: fades in, loads the main window, holds, fades out, then shows the
// main window and unloads itself. Any key or click skips it.
class frmSplash : public FadeWindow {
    Q_OBJECT
public:
    explicit frmSplash(Forms& forms);

    // Straight to the main window, as when the splash's time ends.
    void Skip();

protected:
    void FadedIn() override;
    void FadedOut() override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    Forms& m_forms;
};

} // namespace app
