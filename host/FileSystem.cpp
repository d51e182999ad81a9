#include "FileSystem.h"

#include <QFileInfo>

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

} // namespace host
