// Any string as the catalogue address the update takes its file name from.
#include "FuzzCheck.h"

#include "app/Module1.h"

#include <cstddef>
#include <cstdint>

namespace {

// The first byte picks how the rest becomes text: 8-bit, or UTF-16 for any character.
QString TextFrom(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return {};
    const char* rest = reinterpret_cast<const char*>(data + 1);
    if (data[0] % 2 == 0)
        return QString::fromLatin1(rest, qsizetype(size - 1));
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(rest), qsizetype((size - 1) / 2));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString url = TextFrom(data, size);
    const QString name = app::Module1::FileNameFromUrl(url);
    // The search for the last "/" leaves out the URL's last character, so that one may be a "/".
    FUZZ_CHECK(!name.chopped(name.isEmpty() ? 0 : 1).contains(QLatin1Char('/')));
    FUZZ_CHECK(url.endsWith(name));
    // Its counters are 16 bits wide: past them there is no name at all.
    if (url.size() >= 32769)
        FUZZ_CHECK(name.isEmpty());

    // What the update may write: one plain file inside the program folder, or nothing.
    const QString plain = app::Module1::PlainFileNameFromUrl(url);
    FUZZ_CHECK(plain.isEmpty() || plain == name);
    FUZZ_CHECK(!plain.contains(QLatin1Char('/')) && !plain.contains(QLatin1Char('\\')));
    FUZZ_CHECK(plain != QLatin1String(".") && plain != QLatin1String(".."));
    return 0;
}
