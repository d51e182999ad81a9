#include "frmAbout.h"

namespace app {

frmAbout::frmAbout() : FadeWindow(QStringLiteral(":/forms/frmAbout.form")) {}

void frmAbout::FadedOut() { Unload(); }

} // namespace app
