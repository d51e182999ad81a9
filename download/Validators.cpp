#include "Validators.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace download {

namespace {

// The file's identity as the record keeps it: size and modification time.
QString Stamp(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    return QString::number(info.size()) + QLatin1Char(' ')
        + QString::number(info.lastModified().toMSecsSinceEpoch());
}

// A value that can go back into a request line as it is: printable, no line breaks.
bool IsSafeValue(const QString& value)
{
    if (value.size() > 1024)
        return false;
    for (const QChar c : value)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    return true;
}

} // namespace

QString Validators::ConditionLines() const
{
    QString lines;
    if (!etag.isEmpty())
        lines += QStringLiteral("If-None-Match: ") + etag + QStringLiteral("\r\n");
    if (!lastModified.isEmpty())
        lines += QStringLiteral("If-Modified-Since: ") + lastModified + QStringLiteral("\r\n");
    return lines;
}

std::optional<Validators> Validators::ReadFor(const QString& path)
{
    QFile record(RecordPath(path));
    if (!record.open(QIODevice::ReadOnly) || record.size() > 8192)
        return std::nullopt;
    Validators found;
    QString stamp;
    for (const QByteArray& raw : record.readAll().split('\n')) {
        const QString line = QString::fromLatin1(raw);
        const qsizetype colon = line.indexOf(QLatin1String(": "));
        const QString key = line.left(colon);
        const QString value = line.mid(colon + 2);
        if (colon < 0 || !IsSafeValue(value))
            continue;
        if (key == QLatin1String("ETag"))
            found.etag = value;
        else if (key == QLatin1String("Last-Modified"))
            found.lastModified = value;
        else if (key == QLatin1String("File"))
            stamp = value;
    }
    if (found.IsEmpty() || stamp.isEmpty() || stamp != Stamp(path))
        return std::nullopt;
    return found;
}

void Validators::RememberFor(const QString& path, const Validators& validators) noexcept
{
    const QString stamp = Stamp(path);
    const bool usable = !validators.IsEmpty() && !stamp.isEmpty() && IsSafeValue(validators.etag)
        && IsSafeValue(validators.lastModified);
    if (!usable) {
        QFile::remove(RecordPath(path));
        return;
    }
    QSaveFile record(RecordPath(path));
    if (!record.open(QIODevice::WriteOnly)) {
        QFile::remove(RecordPath(path));
        return;
    }
    QByteArray text;
    if (!validators.etag.isEmpty())
        text += "ETag: " + validators.etag.toLatin1() + '\n';
    if (!validators.lastModified.isEmpty())
        text += "Last-Modified: " + validators.lastModified.toLatin1() + '\n';
    text += "File: " + stamp.toLatin1() + '\n';
    record.write(text);
    if (!record.commit())
        QFile::remove(RecordPath(path));
}

} // namespace download
