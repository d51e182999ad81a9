#include "PropertyBag.h"

#include <algorithm>

namespace host {

namespace {

bool sameKey(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QVariant convertTo(const QString& text, const QVariant& like)
{
    switch (like.typeId()) {
    case QMetaType::Bool: {
        const QString t = text.trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || t == QLatin1String("-1"))
            return true;
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || t == QLatin1String("0"))
            return false;
        bool ok = false;
        const int n = t.toInt(&ok);
        return ok ? QVariant(n != 0) : QVariant();
    }
    case QMetaType::Int: {
        bool ok = false;
        const QString t = text.trimmed();
        // Colours are written in hex; they may use the top bit, so read them unsigned.
        const qlonglong n = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
            ? qlonglong(t.mid(2).toUInt(&ok, 16))
            : t.toLongLong(&ok);
        return ok ? QVariant(int(n)) : QVariant();
    }
    case QMetaType::Double: {
        bool ok = false;
        const double d = text.trimmed().toDouble(&ok);
        return ok ? QVariant(d) : QVariant();
    }
    default:
        return text;
    }
}

} // namespace

const PropertyBag::Entry* PropertyBag::find(const QString& key) const
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [&](const Entry& e) { return sameKey(e.key, key); });
    return it == m_entries.end() ? nullptr : &*it;
}

bool PropertyBag::Contains(const QString& key) const { return find(key) != nullptr; }

QVariant PropertyBag::ReadProperty(const QString& key, const QVariant& defaultValue) const
{
    const Entry* e = find(key);
    if (!e)
        return defaultValue;
    if (!defaultValue.isValid())
        return e->text;
    const QVariant v = convertTo(e->text, defaultValue);
    return v.isValid() ? v : defaultValue;
}

QString PropertyBag::ReadText(const QString& key, const QString& defaultValue) const
{
    const Entry* e = find(key);
    return e ? e->text : defaultValue;
}

int PropertyBag::ReadInt(const QString& key, int defaultValue) const
{
    return ReadProperty(key, defaultValue).toInt();
}

bool PropertyBag::ReadBool(const QString& key, bool defaultValue) const
{
    return ReadProperty(key, defaultValue).toBool();
}

QString PropertyBag::ToText(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return value.toString();
}

void PropertyBag::WriteProperty(const QString& key, const QVariant& value, const QVariant& defaultValue)
{
    const bool equalsDefault = defaultValue.isValid() && ToText(value) == ToText(defaultValue);
    if (equalsDefault) {
        std::erase_if(m_entries, [&](const Entry& e) { return sameKey(e.key, key); });
        return;
    }
    SetStored(key, ToText(value));
}

void PropertyBag::SetStored(const QString& key, const QString& text)
{
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [&](const Entry& e) { return sameKey(e.key, key); });
    if (it != m_entries.end())
        it->text = text;
    else
        m_entries.push_back({key, text});
}

} // namespace host
