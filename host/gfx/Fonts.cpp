#include "Fonts.h"

#include <QStringList>

#include <cmath>

namespace host {

QFont FontFromText(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    QFont font(parts.value(0).trimmed());
    bool ok = false;
    const double points = parts.value(1).trimmed().toDouble(&ok);
    // Pixel sizes keep the designed layout whatever the display's resolution claims.
    if (ok && points > 0)
        font.setPixelSize(std::max(1, int(std::lround(points * 96.0 / 72.0))));
    for (qsizetype i = 2; i < parts.size(); ++i) {
        const QString flag = parts[i].trimmed().toLower();
        if (flag == QLatin1String("bold"))
            font.setBold(true);
        else if (flag == QLatin1String("italic"))
            font.setItalic(true);
        else if (flag == QLatin1String("underline"))
            font.setUnderline(true);
    }
    return font;
}

void RegisterFontSubstitutes()
{
    QFont::insertSubstitutions(QStringLiteral("Verdana"), {QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Mangal"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans Devanagari")});
}

} // namespace host
