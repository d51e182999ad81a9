#pragma once

#include <QString>

namespace host {

// The directory search for normal files: true when path names an existing regular file
// that is not hidden. Folders, devices and hidden files do not match.
bool FindNormalFile(const QString& path);

// The platform builds paths with both separators; on this system both mean '/'.
QString NativePath(QString path);

} // namespace host
