#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace app {

// The catalogue in memory: titles in file order and, index for index, their media
// addresses. urls always holds one element more than titles; the last one is empty.
struct Catalogue {
    QStringList titles;
    QStringList urls{QString()};
};

// Reads a catalogue file: one "title==>URL" record per line. Returns nothing when there
// is no such normal file (the list must then stay as it is). A file that cannot be
// opened or read to its end yields the records read so far.
std::optional<Catalogue> ReadCatalogue(const QString& path);

} // namespace app
