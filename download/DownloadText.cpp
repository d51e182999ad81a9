#include "DownloadText.h"

#include "host/os/FileSystem.h"
#include "host/os/Platform.h"
#include "host/os/RuntimeError.h"

#include <QDir>

#include <cmath>
#include <limits>

namespace download::detail {

namespace {

constexpr int kOverflow = 6;

} // namespace

QString PathPart(const QString& Path, bool NamePart, bool UseSlash)
{
    const QChar separator = UseSlash ? QLatin1Char('/') : QLatin1Char('\\');
    const qsizetype last = Path.lastIndexOf(separator);
    if (last < 0)
        return Path;
    return NamePart ? Path.mid(last + 1) : Path.left(last + 1);
}

QString AddBackslash(const QString& Path)
{
    return Path.endsWith(QLatin1Char('\\')) ? Path : Path + QLatin1Char('\\');
}

double FreeDiskSpace(const QString& Root)
{
    return host::CurrentPlatform().FreeDiskSpace(host::NativePath(AddBackslash(Root)));
}

bool IsLocalAbsolutePath(const QString& destination)
{
    if (destination.mid(1, 2) == QLatin1String(":\\"))
        return true;
    const QString native = host::NativePath(destination);
    return QDir::isAbsolutePath(native) && !native.startsWith(QLatin1String("//"));
}

std::int32_t LengthInRange(std::int64_t length)
{
    if (length < std::numeric_limits<std::int32_t>::min() || length > std::numeric_limits<std::int32_t>::max())
        throw host::RuntimeError(kOverflow, "Overflow");
    return static_cast<std::int32_t>(length);
}

QString PercentText(std::int64_t received, std::int32_t expected)
{
    const double percent = double(received) / double(expected) * 100.0;
    return QString::number(static_cast<long long>(std::nearbyint(percent)));
}

QString FirstHeadLine(const QString& header)
{
    const qsizetype cr = header.indexOf(QLatin1Char('\r'));
    return cr < 0 ? QStringLiteral("<nothing>") : header.left(cr + 1);
}

} // namespace download::detail
