#include "FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace host {

namespace {

RuntimeError systemError(int number) { return RuntimeError(number, std::strerror(number)); }

QByteArray encoded(const QString& path) { return QFile::encodeName(path); }

} // namespace

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

PathStatus StatusOf(const QString& path)
{
    struct stat found {};
    if (::stat(encoded(path).constData(), &found) != 0)
        return {};
    return {true, S_ISDIR(found.st_mode), unsigned(found.st_mode & 07777)};
}

RuntimeError FolderInTheWayError() { return systemError(EISDIR); }

RuntimeError NotOpenError() { return systemError(EBADF); }

RuntimeError NameTakenError() { return systemError(EEXIST); }

void CreateFolder(const QString& folder)
{
    if (::mkdir(encoded(folder).constData(), 0777) != 0)
        throw systemError(errno);
}

void RenameOver(const QString& from, const QString& to)
{
    if (::rename(encoded(from).constData(), encoded(to).constData()) != 0)
        throw systemError(errno);
}

void RemoveFile(const QString& path) noexcept { ::unlink(encoded(path).constData()); }

void RemoveIfUnlocked(const QString& path) noexcept
{
    const QByteArray name = encoded(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        ::unlink(name.constData());
    ::close(fd);
}

std::optional<LockedFile> LockedFile::CreateNew(const QString& path)
{
    const int fd = ::open(encoded(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == EEXIST)
            return std::nullopt;
        throw systemError(errno);
    }
    // The lock only keeps a later start's clean-up away; not getting it is no reason to fail.
    ::flock(fd, LOCK_EX | LOCK_NB);
    return LockedFile(fd);
}

LockedFile::~LockedFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

LockedFile::LockedFile(LockedFile&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

LockedFile& LockedFile::operator=(LockedFile&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

void LockedFile::SetPermissions(unsigned permissions) noexcept
{
    if (m_fd >= 0)
        ::fchmod(m_fd, mode_t(permissions));
}

void LockedFile::Write(const char* data, std::size_t size)
{
    if (m_fd < 0)
        throw NotOpenError();
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written = ::write(m_fd, data + done, size - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw systemError(written < 0 ? errno : ENOSPC);
        done += std::size_t(written);
    }
}

void LockedFile::SyncData()
{
    if (m_fd < 0)
        throw NotOpenError();
    if (::fdatasync(m_fd) != 0)
        throw systemError(errno);
}

void LockedFile::Close()
{
    if (m_fd < 0)
        throw NotOpenError();
    if (::close(std::exchange(m_fd, -1)) != 0)
        throw systemError(errno);
}

} // namespace host
