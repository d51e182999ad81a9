// Any bytes as the catalogue file.
#include "FuzzCheck.h"

#include "app/Catalogue.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

// One file in memory-backed storage, rewritten for every input.
const QString& CataloguePath()
{
    static QTemporaryDir folder(QStringLiteral("/dev/shm/vanupelro-fuzz-XXXXXX"));
    static const QString path = folder.filePath(QStringLiteral("kelsor.dll"));
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QFile file(CataloguePath());
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    file.close();

    const std::optional<app::CatalogueEntries> catalogue = app::ReadCatalogue(CataloguePath());
    FUZZ_CHECK(catalogue.has_value());
    for (const app::CatalogueEntry& entry : *catalogue) {
        FUZZ_CHECK(!entry.title.isEmpty());
        FUZZ_CHECK(!entry.title.contains(QLatin1String("==>")));
        FUZZ_CHECK(!entry.address.contains(QLatin1String("==>")));
        FUZZ_CHECK(!entry.title.contains(QLatin1Char('\r')) && !entry.title.contains(QLatin1Char('\n')));
        FUZZ_CHECK(!entry.address.contains(QLatin1Char('\r')) && !entry.address.contains(QLatin1Char('\n')));
    }
    return 0;
}
