#pragma once

#include <QString>
#include <QVariant>

#include <vector>

namespace host {

// A control instance's stored properties. Keys match without regard to case and keep
// the spelling they were first written with; values are kept as text, as stored.
class PropertyBag {
public:
    bool Contains(const QString& key) const;

    // The stored value, or defaultValue when the key is absent or the text does not
    // convert to the default's type.
    QVariant ReadProperty(const QString& key, const QVariant& defaultValue = {}) const;
    QString ReadText(const QString& key, const QString& defaultValue = {}) const;
    int ReadInt(const QString& key, int defaultValue = 0) const;
    bool ReadBool(const QString& key, bool defaultValue = false) const;

    // Leaves the key out (and removes a stored one) when value equals defaultValue.
    void WriteProperty(const QString& key, const QVariant& value, const QVariant& defaultValue = {});

    // Stores the text as given, whatever the default; used when reading stored data.
    void SetStored(const QString& key, const QString& text);

    struct Entry {
        QString key;
        QString text;
    };
    const std::vector<Entry>& Entries() const { return m_entries; }
    bool IsEmpty() const { return m_entries.empty(); }

    static QString ToText(const QVariant& value);

private:
    const Entry* find(const QString& key) const;
    std::vector<Entry> m_entries;
};

} // namespace host
