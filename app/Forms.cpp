#include "Forms.h"

#include "frmAbout.h"
#include "frmMain.h"
#include "frmSplash.h"

namespace app {

Forms::~Forms()
{
    delete m_about.data();
    delete m_main.data();
    delete m_splash.data();
}

void Forms::Start()
{
    m_splash = new frmSplash(*this);
    m_splash->Load();
    m_splash->Show();
}

frmMain& Forms::LoadMain()
{
    if (!m_main || !m_main->IsLoaded()) {
        m_main = new frmMain(*this);
        m_main->Load();
    }
    return *m_main;
}

void Forms::ShowMain() { LoadMain().Show(); }

void Forms::ShowAbout()
{
    if (!m_about || !m_about->IsLoaded()) {
        m_about = new frmAbout();
        m_about->Load();
    }
    m_about->Show();
}

void Forms::BringMainIntoView()
{
    if (!m_main || !m_main->IsLoaded() || !m_main->isVisible())
        return;
    m_main->raise();
    m_main->activateWindow();
}

frmSplash* Forms::Splash() const { return m_splash; }
frmMain* Forms::Main() const { return m_main; }
frmAbout* Forms::About() const { return m_about; }

} // namespace app
