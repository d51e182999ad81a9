#include "Shell.h"

#include "Platform.h"

#include <QDesktopServices>
#include <QUrl>

namespace host {

bool Platform::OpenWithShell(const QString& link)
{
    return QDesktopServices::openUrl(QUrl::fromUserInput(link));
}

int ShellOpen(const QString& link)
{
    if (link.trimmed().isEmpty())
        return ShellFileNotFound;
    return CurrentPlatform().OpenWithShell(link) ? ShellOpened : ShellNoAssociation;
}

} // namespace host
