#pragma once

#include "RuntimeError.h"

#include <QString>

#include <cstddef>
#include <optional>

namespace host {

// The directory search for normal files: true when path names an existing regular file
// that is not hidden. Folders, devices and hidden files do not match.
bool FindNormalFile(const QString& path);

// The platform builds paths with both separators; on this system both mean '/'.
QString NativePath(QString path);

// Where this program keeps its state between runs (listening positions, volume), after the
// XDG base-directory rule: $XDG_STATE_HOME when it is absolute, else $HOME/.local/state.
// Not created here.
QString StateFolder();

// Where this user's own copies of the program's data go (a fetched catalogue), after the
// XDG rule: $XDG_DATA_HOME, else $HOME/.local/share, plus "/vanupelro". Not created here.
QString UserDataFolder();

// True when this process may create files in folder (permissions, read-only mounts).
bool IsWritableFolder(const QString& folder);

// File access for whole-file replacement. Failures are RuntimeErrors carrying the system's
// error number and description, which the program shows to the user as they are.

struct PathStatus {
    bool exists = false;
    bool isFolder = false;
    unsigned permissions = 0; // permission bits, as a replacement should keep them
};
PathStatus StatusOf(const QString& path);

// The failure of writing a file where a folder is.
RuntimeError FolderInTheWayError();
// The failure of using a file that is not open.
RuntimeError NotOpenError();
// The failure of creating a file under a name that is taken.
RuntimeError NameTakenError();

// Creates one folder; a missing parent is reported, not created.
void CreateFolder(const QString& folder);
// Puts from in the place of to in one atomic step: to is either the old file or the new.
void RenameOver(const QString& from, const QString& to);
void RemoveFile(const QString& path) noexcept;
// Removes a file that no LockedFile of any process holds any more.
void RemoveIfUnlocked(const QString& path) noexcept;

// A new file this process writes alone: created only where the name is free, and locked
// while open, so that another process can tell it from one whose writer was killed.
class LockedFile {
public:
    // Nothing when the name is taken.
    static std::optional<LockedFile> CreateNew(const QString& path);
    ~LockedFile();
    LockedFile(LockedFile&& other) noexcept;
    LockedFile& operator=(LockedFile&& other) noexcept;
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    // Best effort: a file that keeps the creator's permissions is still a good file.
    void SetPermissions(unsigned permissions) noexcept;
    // All of it or an error; a disk that takes nothing counts as full.
    void Write(const char* data, std::size_t size);
    // Puts the data on the disk, so a rename after it cannot leave an empty file behind.
    void SyncData();
    // Closed even when it fails.
    void Close();

private:
    explicit LockedFile(int fd) : m_fd(fd) {}
    int m_fd;
};

} // namespace host
