#include "Forms.h"
#include "SingleInstance.h"
#include "frmSplash.h"

#include "host/gfx/Fonts.h"
#include "host/os/InstanceChannel.h"
#include "host/os/Platform.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
#ifdef Q_OS_LINUX
    // The program places its own windows, which a Wayland client may not do.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
#endif
    QApplication application(argc, argv);
    // Before anything is drawn: a start that hands over must show nothing.
    host::SessionInstanceLink instance(host::SessionInstancePlace(host::CurrentPlatform().SessionBusAddress(),
                                                                  qEnvironmentVariable("DISPLAY")));
    if (!app::SingleInstance::WantsNewInstance(QApplication::arguments())) {
        if (const std::optional<int> status = app::SingleInstance::Claim(instance))
            return *status;
    }
    QApplication::setApplicationName(QStringLiteral("Vanu Pelro"));
    // Lets the desktop match the windows and the media controls to the installed entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("net.vanupelro.VanuPelro"));
    // The program ends when its last window unloads, not when the last one hides.
    QApplication::setQuitOnLastWindowClosed(false);
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/assets/icon/%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    host::RegisterFontSubstitutes();

    app::Forms forms;
    app::SingleInstance::ForwardActivations(instance, forms);
    if (QApplication::arguments().contains(QStringLiteral("--show")))
        forms.BringMainIntoViewWhenShown();
    forms.Start();
    app::SingleInstance::ListenAfterFirstFrame(instance, forms.Splash());
    return application.exec();
}
