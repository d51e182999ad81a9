#include "DesignerData.h"

#include <QFile>

namespace host {

namespace {

QString unquote(const QString& value)
{
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        return value.mid(1, value.size() - 2);
    return value;
}

} // namespace

DesignerData DesignerData::Parse(const QByteArray& text)
{
    DesignerData data;
    PropertyBag* current = nullptr;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString line = QString::fromUtf8(lines[n]).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';')))
            continue;
        const auto problem = [&](const char* why) {
            data.m_problems << QStringLiteral("line %1: %2").arg(n + 1).arg(QLatin1String(why));
        };
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')) || line.size() < 3) {
                problem("a section name must stand between [ and ]");
                current = nullptr;
                continue;
            }
            const QString name = line.mid(1, line.size() - 2).trimmed();
            if (data.m_windowName.isEmpty()) {
                data.m_windowName = name;
                current = &data.m_window;
            } else {
                data.m_controls.push_back({name, {}, {}});
                current = &data.m_controls.back().properties;
            }
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            problem("expected key = value");
            continue;
        }
        if (!current) {
            problem("a property outside any section");
            continue;
        }
        current->SetStored(line.left(eq).trimmed(), unquote(line.mid(eq + 1).trimmed()));
    }
    for (Control& c : data.m_controls)
        c.type = c.properties.ReadText(QStringLiteral("Type"));
    return data;
}

DesignerData DesignerData::FromResource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("designer data %s is missing", qPrintable(path));
    DesignerData data = Parse(file.readAll());
    for (const QString& p : data.Problems())
        qWarning("%s: %s", qPrintable(path), qPrintable(p));
    return data;
}

const DesignerData::Control* DesignerData::Find(const QString& name) const
{
    for (const Control& c : m_controls)
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

const PropertyBag& DesignerData::PropertiesOf(const QString& name) const
{
    static const PropertyBag empty;
    const Control* c = Find(name);
    return c ? c->properties : empty;
}

} // namespace host
