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

    const std::optional<app::Catalogue> catalogue = app::ReadCatalogue(CataloguePath());
    FUZZ_CHECK(catalogue.has_value());
    // Title i plays url i; the list and the addresses must never drift apart.
    FUZZ_CHECK(catalogue->urls.size() == catalogue->titles.size() + 1);
    FUZZ_CHECK(catalogue->urls.back().isEmpty());
    for (const QString& title : catalogue->titles) {
        FUZZ_CHECK(!title.isEmpty());
        FUZZ_CHECK(!title.contains(QLatin1String("==>")));
        FUZZ_CHECK(!title.contains(QLatin1Char('\r')) && !title.contains(QLatin1Char('\n')));
    }
    for (const QString& url : catalogue->urls)
        FUZZ_CHECK(!url.contains(QLatin1Char('\r')) && !url.contains(QLatin1Char('\n')));
    return 0;
}
