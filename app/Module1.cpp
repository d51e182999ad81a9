#include "Module1.h"

#include <cstdint>
#include <limits>
#include <optional>

namespace app::Module1 {

namespace {

// A 16-bit counter takes a length minus one, or the assignment fails and leaves it as it was.
std::optional<std::int16_t> counterFor(qsizetype length)
{
    const qsizetype value = length - 1;
    if (value > std::numeric_limits<std::int16_t>::max() || value < std::numeric_limits<std::int16_t>::min())
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

// Character at 1-based position.
QChar at(const QString& text, std::int16_t position) { return text.at(position - 1); }

} // namespace

QString FileNameFromUrl(const QString& url)
{
    const std::int16_t n = counterFor(url.size()).value_or(0);
    if (n <= 0)
        return {};
    if (url.left(7) != QLatin1String("http://"))
        return {};
    if (url == QLatin1String("http://"))
        return {};
    for (std::int16_t i = n; i >= 1; --i) {
        if (at(url, i) != QLatin1Char('/'))
            continue;
        const QString name = url.mid(i);
        for (std::int16_t j = counterFor(name.size()).value_or(0); j >= 1; --j)
            if (at(name, j) == QLatin1Char('.'))
                return name;
        return {};
    }
    return {};
}

QString PlainFileNameFromUrl(const QString& url)
{
    const QString name = FileNameFromUrl(url);
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QChar(0))
        || name == QLatin1String(".")
        || name == QLatin1String(".."))
        return {};
    return name;
}

} // namespace app::Module1
