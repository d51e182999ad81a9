#pragma once

#include "FadeWindow.h"

namespace app {

class Forms;

// The start-up window: fades in, loads the main window, holds, fades out, then shows the
// main window and unloads itself.
class frmSplash : public FadeWindow {
    Q_OBJECT
public:
    explicit frmSplash(Forms& forms);

protected:
    void FadedIn() override;
    void FadedOut() override;

private:
    Forms& m_forms;
};

} // namespace app
