#include "Catalogue.h"

#include "host/os/FileSystem.h"
#include "host/os/LineInput.h"
#include "host/os/Platform.h"

#include <QFileInfo>

#include <algorithm>
#include <string_view>

namespace app {

namespace {

constexpr QByteArrayView Separator("==>");

bool isBlank(QByteArrayView line)
{
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' '; });
}

// Where the first separator starts, -1 if none. The standard search looks for its first
// byte with memchr, far quicker over a long catalogue than a general substring search.
qsizetype findSeparator(QByteArrayView text)
{
    const auto at = std::string_view(text.data(), size_t(text.size())).find(Separator.data(), 0, size_t(Separator.size()));
    return at == std::string_view::npos ? -1 : qsizetype(at);
}

// The text between the first separator and the next one, or to the end of the line.
QByteArrayView urlField(QByteArrayView afterFirstSeparator)
{
    const qsizetype next = findSeparator(afterFirstSeparator);
    return next < 0 ? afterFirstSeparator : afterFirstSeparator.first(next);
}

} // namespace

std::optional<CatalogueEntries> ReadCatalogue(const QString& path)
{
    if (!host::FindNormalFile(path))
        return std::nullopt;
    CatalogueEntries catalogue;
    host::LineInput input(host::NativePath(path));
    QByteArrayView line;
    while (input.ReadLine(line)) {
        if (isBlank(line))
            continue;
        const qsizetype separator = findSeparator(line);
        const QByteArrayView title = separator < 0 ? line : line.first(separator);
        if (title.isEmpty())
            continue;
        CatalogueEntry& entry = catalogue.emplace_back();
        entry.title = host::DecodeAnsi(title);
        if (separator >= 0)
            entry.address = host::DecodeAnsi(urlField(line.sliced(separator + Separator.size())));
    }
    return catalogue;
}

namespace {

const QString CatalogueName = QStringLiteral("kelsor.dll");

} // namespace

QString CatalogueFolderToWrite()
{
    const QString program = host::AppPath();
    return host::IsWritableFolder(program) ? program : host::UserDataFolder();
}

QStringList CataloguePlaces()
{
    return {host::AppPath() + QLatin1Char('/') + CatalogueName, host::UserDataFolder() + QLatin1Char('/') + CatalogueName};
}

QString CatalogueToRead()
{
    const QStringList places = CataloguePlaces();
    const QFileInfo bundled(places[0]);
    const QFileInfo fetched(places[1]);
    if (host::FindNormalFile(fetched.filePath())
        && (!host::FindNormalFile(bundled.filePath()) || fetched.lastModified() > bundled.lastModified()))
        return fetched.filePath();
    return bundled.filePath();
}

} // namespace app
