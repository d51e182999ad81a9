#pragma once

#include "FadeWindow.h"

namespace app {

// The About picture: fades in, holds, fades out and unloads itself.
class frmAbout : public FadeWindow {
    Q_OBJECT
public:
    frmAbout();

protected:
    void FadedOut() override;
};

} // namespace app
