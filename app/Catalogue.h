#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace app {

// One record of the catalogue: what the list shows and what the player opens (empty when
// the record names no address).
struct CatalogueEntry {
    QString title;
    QString address;

    friend bool operator==(const CatalogueEntry&, const CatalogueEntry&) = default;
};

using CatalogueEntries = std::vector<CatalogueEntry>;

// Reads a catalogue file: one "title==>URL" record per line, in file order. Returns
// nothing when there is no such normal file (the list must then stay as it is). A file
// that cannot be opened or read to its end yields the records read so far.
std::optional<CatalogueEntries> ReadCatalogue(const QString& path);

// Where an update writes the catalogue: the program folder where this user may write it
// (a per-user or portable install), else the user's own data folder (a system-wide one).
QString CatalogueFolderToWrite();
// The catalogue to read at start: the newer of the user's fetched copy and the program
// folder's, so a reinstall with a newer bundled catalogue wins over an older fetched one.
QString CatalogueToRead();
// Every place a catalogue may lie.
QStringList CataloguePlaces();

} // namespace app
