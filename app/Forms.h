#pragma once

#include <QPointer>

namespace app {

class frmSplash;
class frmMain;
class frmAbout;

// The program's windows, each loaded at most once at a time. Windows destroy themselves
// when they unload; whatever is still loaded when this goes is destroyed with it.
class Forms {
public:
    Forms() = default;
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    // The start-up: the splash is created, loaded and shown.
    void Start();
    // Loads the main window without showing it; a second load does nothing.
    frmMain& LoadMain();
    void ShowMain();
    // Shows the About window; one already on the screen is only brought forward.
    void ShowAbout();
    // Another start of the program handed over to this one, or the media controls' Raise:
    // the main window slides into view with the keyboard on its list. While only the
    // splash is up there is nothing to bring.
    void BringMainIntoView();
    // Started with --show: the main window comes into view that way as it first shows.
    void BringMainIntoViewWhenShown();

    frmSplash* Splash() const;
    frmMain* Main() const;
    frmAbout* About() const;

private:
    QPointer<frmSplash> m_splash;
    QPointer<frmMain> m_main;
    QPointer<frmAbout> m_about;
    bool m_bringMainOnShow = false;
};

} // namespace app
