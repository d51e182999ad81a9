#include "PartFile.h"

#include <QDir>
#include <QRandomGenerator>

#include <utility>

namespace download {

namespace {

// 1024-byte pieces would otherwise cost one system call each.
constexpr std::size_t kBufferBytes = 64 * 1024;

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
    for (const QString& name : folder.entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System))
        host::RemoveIfUnlocked(folder.filePath(name));
}

void PartFile::Open(const QString& destination)
{
    Discard();
    m_destination = destination;
    m_committed = false;
    const host::PathStatus existing = host::StatusOf(destination);
    // A folder cannot be replaced by a file; fail now rather than after the whole body.
    if (existing.isFolder || destination.endsWith(QLatin1Char('/')))
        throw host::FolderInTheWayError();
    for (int attempt = 0; !m_file; ++attempt) {
        m_partPath = partPathFor(destination);
        m_file = host::LockedFile::CreateNew(m_partPath);
        if (!m_file && attempt > 100)
            throw host::NameTakenError();
    }
    // The replacement keeps the permissions the old file had.
    if (existing.exists)
        m_file->SetPermissions(existing.permissions);
    m_buffer.reserve(kBufferBytes);
}

void PartFile::Write(const char* data, std::size_t size)
{
    if (!m_file)
        throw host::NotOpenError();
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
    m_file->Write(m_buffer.data(), m_buffer.size());
    m_buffer.clear();
}

void PartFile::Commit()
{
    if (!m_file)
        throw host::NotOpenError();
    Flush();
    // The new file must be on disk before it replaces the old one, or a crash could leave
    // neither.
    m_file->SyncData();
    // No longer open from here on, whether or not the close succeeds.
    host::LockedFile file = std::move(*m_file);
    m_file.reset();
    file.Close();
    host::RenameOver(m_partPath, m_destination);
    m_committed = true;
}

void PartFile::CloseQuietly() noexcept
{
    m_file.reset();
    m_buffer.clear();
}

void PartFile::Discard() noexcept
{
    const bool hadPart = m_file.has_value();
    CloseQuietly();
    if (hadPart || (!m_committed && !m_partPath.isEmpty()))
        host::RemoveFile(m_partPath);
    m_partPath.clear();
}

} // namespace download
