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

} // namespace host
