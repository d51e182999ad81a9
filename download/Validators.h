#pragma once

#include <QString>

#include <optional>

namespace download {

// What the server said about the version of a file we hold (its ETag and Last-Modified), kept
// beside that file as "<file>.etag" so the next request can ask whether anything changed.
// The record also names the size and time of the file it belongs to: once the file is
// replaced by other means (a reinstall), the record no longer applies.
struct Validators {
    QString etag;
    QString lastModified;

    bool IsEmpty() const { return etag.isEmpty() && lastModified.isEmpty(); }
    // Request lines, each ending in CR LF, asking for the body only if it changed.
    QString ConditionLines() const;

    // The record beside path when it still describes the file there.
    static std::optional<Validators> ReadFor(const QString& path);
    // Replaces the record beside path in one rename, or removes it when there is nothing to
    // remember. Failing to write it only costs a full download next time.
    static void RememberFor(const QString& path, const Validators& validators) noexcept;
    static QString RecordPath(const QString& path) { return path + QStringLiteral(".etag"); }
};

} // namespace download
