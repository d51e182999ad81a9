#pragma once

#include <QString>

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

} // namespace host
