#pragma once

#include <QString>

namespace host {

inline constexpr int ShellFileNotFound = 2;
inline constexpr int ShellNoAssociation = 31;
inline constexpr int ShellOpened = 42;

// The shell's "open" verb on a web address or document, with the platform's result codes:
// above 32 when something opened it, 32 or less when not.
int ShellOpen(const QString& link);

} // namespace host
