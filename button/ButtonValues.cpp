#include "ButtonValues.h"

#include <QBuffer>
#include <QStringList>

namespace button {

namespace {

const QString PngPrefix = QStringLiteral("png:");

} // namespace

QString ColorToText(std::uint32_t color)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(color, 8, 16, QLatin1Char('0')).toUpper();
}

QString FontToText(const QFont& font)
{
    // Fonts read from text carry pixel sizes at 96 dots per inch; others their points.
    const double points = font.pixelSize() > 0 ? font.pixelSize() * 72.0 / 96.0 : font.pointSizeF();
    QStringList parts{font.family(), QString::number(points, 'g', 6)};
    if (font.bold())
        parts << QStringLiteral("bold");
    if (font.italic())
        parts << QStringLiteral("italic");
    if (font.underline())
        parts << QStringLiteral("underline");
    return parts.join(QLatin1String(", "));
}

QString IconToText(const std::optional<QImage>& icon)
{
    if (!icon)
        return {};
    if (icon->isNull())
        return PngPrefix;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    icon->save(&buffer, "PNG");
    return PngPrefix + QString::fromLatin1(png.toBase64());
}

std::optional<QImage> IconFromText(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    const QByteArray data = QByteArray::fromBase64(text.mid(PngPrefix.size()).toLatin1());
    QImage image;
    if (text.startsWith(PngPrefix) && !data.isEmpty())
        image.loadFromData(data, "PNG");
    return image;
}

} // namespace button
