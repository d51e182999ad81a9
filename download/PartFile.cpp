#include "PartFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace download {

namespace {

// 1024-byte pieces would otherwise cost one system call each.
constexpr std::size_t kBufferBytes = 64 * 1024;

[[noreturn]] void throwSystemError(int number)
{
    throw host::RuntimeError(number, std::strerror(number));
}

QByteArray encoded(const QString& path) { return QFile::encodeName(path); }

QString partPrefixFor(const QString& destination)
{
    const qsizetype slash = destination.lastIndexOf(QLatin1Char('/'));
    return destination.left(slash + 1) + QLatin1Char('.') + destination.mid(slash + 1) + QStringLiteral(".part-");
}

QString partPathFor(const QString& destination)
{
    return partPrefixFor(destination) + QString::number(QRandomGenerator::global()->generate(), 36);
}

} // namespace

PartFile::~PartFile() { Discard(); }

void PartFile::RemoveAbandoned(const QString& destination) noexcept
{
    const QString prefix = partPrefixFor(destination);
    const qsizetype slash = prefix.lastIndexOf(QLatin1Char('/'));
    const QDir folder(slash < 0 ? QStringLiteral(".") : prefix.left(slash + 1));
    const QString pattern = prefix.mid(slash + 1) + QLatin1Char('*');
    for (const QString& name : folder.entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System)) {
        const QByteArray path = encoded(folder.filePath(name));
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        ::close(fd);
    }
}

void PartFile::Open(const QString& destination)
{
    Discard();
    m_destination = destination;
    m_committed = false;
    struct stat existing {};
    const bool exists = ::stat(encoded(destination).constData(), &existing) == 0;
    // A folder cannot be replaced by a file; fail now rather than after the whole body.
    if ((exists && S_ISDIR(existing.st_mode)) || destination.endsWith(QLatin1Char('/')))
        throwSystemError(EISDIR);
    for (int attempt = 0; m_fd < 0; ++attempt) {
        m_partPath = partPathFor(destination);
        m_fd = ::open(encoded(m_partPath).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && (errno != EEXIST || attempt > 100))
            throwSystemError(errno);
    }
    // Held for as long as the download writes it, so a later start can tell a part file that
    // is in use from one whose program was killed.
    ::flock(m_fd, LOCK_EX | LOCK_NB);
    // The replacement keeps the permissions the old file had.
    if (exists)
        ::fchmod(m_fd, existing.st_mode & 07777);
    m_buffer.reserve(kBufferBytes);
}

void PartFile::Write(const char* data, std::size_t size)
{
    if (m_fd < 0)
        throwSystemError(EBADF);
    if (m_buffer.size() + size > kBufferBytes)
        Flush();
    if (size >= kBufferBytes) {
        m_buffer.assign(data, data + size);
        Flush();
        return;
    }
    m_buffer.insert(m_buffer.end(), data, data + size);
}

void PartFile::Flush()
{
    std::size_t done = 0;
    while (done < m_buffer.size()) {
        const ssize_t written = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throwSystemError(written < 0 ? errno : ENOSPC);
        done += std::size_t(written);
    }
    m_buffer.clear();
}

void PartFile::Commit()
{
    if (m_fd < 0)
        throwSystemError(EBADF);
    Flush();
    // The new file must be on disk before it replaces the old one, or a crash could leave
    // neither.
    if (::fdatasync(m_fd) != 0)
        throwSystemError(errno);
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0)
        throwSystemError(errno);
    if (::rename(encoded(m_partPath).constData(), encoded(m_destination).constData()) != 0)
        throwSystemError(errno);
    m_committed = true;
}

void PartFile::CloseQuietly() noexcept
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    m_buffer.clear();
}

void PartFile::Discard() noexcept
{
    const bool hadPart = m_fd >= 0;
    CloseQuietly();
    if (hadPart || (!m_committed && !m_partPath.isEmpty()))
        ::unlink(encoded(m_partPath).constData());
    m_partPath.clear();
}

} // namespace download
