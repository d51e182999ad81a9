#pragma once

#include <QString>

#include <cstdint>

// The control's private helpers, open to its tests.
namespace download::detail {

// With the separator "/" (UseSlash) or "\": the text after its last occurrence (NamePart) or
// up to and including it; Path itself when the separator does not occur.
QString PathPart(const QString& Path, bool NamePart, bool UseSlash);
// Path with a "\" at its end, added when missing.
QString AddBackslash(const QString& Path);
// Free bytes on the file system holding Root; 0 when unknown.
double FreeDiskSpace(const QString& Root);

// Whether the free-space check applies: a drive-letter path, or here any absolute local path
// (network paths beginning with two separators are skipped).
bool IsLocalAbsolutePath(const QString& destination);

// The announced length as the control counts it. Throws RuntimeError "Overflow" beyond the
// 32-bit range.
std::int32_t LengthInRange(std::int64_t length);
// received/expected as whole per cent, rounded half to even.
QString PercentText(std::int64_t received, std::int32_t expected);
// The first line of a response head with its CR, or "<nothing>" when the head has no CR.
QString FirstHeadLine(const QString& header);

} // namespace download::detail
