#include "FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace host {

QString NativePath(QString path)
{
#ifdef Q_OS_WIN
    return path;
#else
    return path.replace(QLatin1Char('\\'), QLatin1Char('/'));
#endif
}

bool FindNormalFile(const QString& path)
{
    const QFileInfo info(NativePath(path));
    return info.exists() && info.isFile() && !info.isHidden();
}

QString StateFolder()
{
    // A relative value is invalid by the rule and must be ignored, not resolved.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(base + QStringLiteral("/vanupelro"));
}

QString UserDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/vanupelro");
}

bool IsWritableFolder(const QString& folder)
{
    return ::access(QFile::encodeName(NativePath(folder)).constData(), W_OK | X_OK) == 0;
}

} // namespace host
