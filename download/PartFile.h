#pragma once

#include "host/os/FileSystem.h"
#include "host/os/RuntimeError.h"

#include <QString>

#include <optional>
#include <vector>

namespace download {

// The body of a download on its way to disk: written to a fresh temporary file beside the
// destination, which takes the destination's place in one atomic rename once it is whole.
// Until then, and after any failure, the destination is left exactly as it was; a part file
// that is not committed is removed when this goes.
class PartFile {
public:
    PartFile() = default;
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    // Failures are RuntimeErrors carrying the system's error number and description.
    void Open(const QString& destination);
    void Write(const char* data, std::size_t size);
    // Flushes, syncs and renames the part file onto the destination.
    void Commit();
    // Removes the part file; the destination is not touched.
    void Discard() noexcept;

    // Removes part files of destination that no download holds any more, such as one left
    // by a program that was killed mid-download.
    static void RemoveAbandoned(const QString& destination) noexcept;

    bool IsOpen() const { return m_file.has_value(); }
    bool Committed() const { return m_committed; }

private:
    void Flush();
    void CloseQuietly() noexcept;

    QString m_destination;
    QString m_partPath;
    std::optional<host::LockedFile> m_file;
    std::vector<char> m_buffer;
    bool m_committed = false;
};

} // namespace download
