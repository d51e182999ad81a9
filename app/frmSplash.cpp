#include "frmSplash.h"

#include "Forms.h"

namespace app {

frmSplash::frmSplash(Forms& forms) : FadeWindow(QStringLiteral(":/forms/frmSplash.form")), m_forms(forms) {}

void frmSplash::FadedIn() { m_forms.LoadMain(); }

void frmSplash::FadedOut()
{
    m_forms.ShowMain();
    Unload();
}

} // namespace app
