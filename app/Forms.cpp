#include "Forms.h"

#include "frmAbout.h"
#include "frmMain.h"
#include "frmSplash.h"

#include "host/os/Desktop.h"
#include "taskbar/OmbrelXPTaskBar.h"

#include <utility>

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

void Forms::ShowAbout()
{
    if (!m_about || !m_about->IsLoaded()) {
        m_about = new frmAbout();
        m_about->Load();
        m_about->move(host::PlaceClearOfDockedPanel(m_about->frameGeometry().size()));
        // Gone while it had the keyboard, it hands the keyboard back to the panel in view;
        // a docked panel must not take keys it cannot show.
        QObject::connect(m_about.data(), &frmAbout::closingWithKeyboard, m_about.data(), [this] {
            if (m_main && m_main->isVisible() && m_main->OmbrelXPTaskBar1->IsInView())
                host::TakeKeyboard(*m_main);
        });
    }
    m_about->Show();
    // Opened from the keyboard, it must hear Escape.
    m_about->activateWindow();
}

void Forms::BringMainIntoView()
{
    if (!m_main || !m_main->IsLoaded() || !m_main->isVisible())
        return;
    m_main->BringIntoView();
}

void Forms::BringMainIntoViewWhenShown() { m_bringMainOnShow = true; }

void Forms::ShowMain()
{
    LoadMain().Show();
    if (std::exchange(m_bringMainOnShow, false))
        m_main->BringIntoView();
}

frmSplash* Forms::Splash() const { return m_splash; }
frmMain* Forms::Main() const { return m_main; }
frmAbout* Forms::About() const { return m_about; }

} // namespace app
