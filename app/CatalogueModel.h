#pragma once

#include "Catalogue.h"

#include <QAbstractListModel>

namespace app {

// The catalogue in memory, one row per entry in file order. The list shows the titles;
// whoever plays, names or finds an entry asks this model, so a title and its address can
// never drift apart.
class CatalogueModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { TitleRole = Qt::UserRole, AddressRole };

    explicit CatalogueModel(QObject* parent = nullptr);

    // Takes the entries in one reset: a hundred thousand rows cost one layout, not one each.
    void SetEntries(CatalogueEntries&& entries);
    void Clear() { SetEntries({}); }
    const CatalogueEntries& Entries() const { return m_entries; }

    // Empty for a row that is not in the catalogue.
    QString Title(int row) const;
    QString Address(int row) const;
    bool Contains(int row) const { return row >= 0 && row < rowCount(); }
    // The first row with that address, -1 if none.
    int RowOfAddress(const QString& address) const;
    // The row holding that very entry, else the first with its title; -1 if neither.
    int RowOf(const CatalogueEntry& entry) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    const CatalogueEntry* entryAt(int row) const;

    CatalogueEntries m_entries;
};

} // namespace app
