#include "CatalogueModel.h"

#include <algorithm>

namespace app {

CatalogueModel::CatalogueModel(QObject* parent) : QAbstractListModel(parent) {}

void CatalogueModel::SetEntries(CatalogueEntries&& entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

const CatalogueEntry* CatalogueModel::entryAt(int row) const
{
    return Contains(row) ? &m_entries[std::size_t(row)] : nullptr;
}

QString CatalogueModel::Title(int row) const
{
    const CatalogueEntry* entry = entryAt(row);
    return entry ? entry->title : QString();
}

QString CatalogueModel::Address(int row) const
{
    const CatalogueEntry* entry = entryAt(row);
    return entry ? entry->address : QString();
}

int CatalogueModel::RowOfAddress(const QString& address) const
{
    const auto found = std::find_if(m_entries.begin(), m_entries.end(),
                                    [&](const CatalogueEntry& entry) { return entry.address == address; });
    return found == m_entries.end() ? -1 : int(found - m_entries.begin());
}

int CatalogueModel::RowOf(const CatalogueEntry& entry) const
{
    auto found = std::find(m_entries.begin(), m_entries.end(), entry);
    if (found == m_entries.end())
        found = std::find_if(m_entries.begin(), m_entries.end(),
                             [&](const CatalogueEntry& candidate) { return candidate.title == entry.title; });
    return found == m_entries.end() ? -1 : int(found - m_entries.begin());
}

int CatalogueModel::rowCount(const QModelIndex& parent) const
{
    // A list: only the invisible root has rows.
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant CatalogueModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const CatalogueEntry& entry = m_entries[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case TitleRole:
        return entry.title;
    case AddressRole:
        return entry.address;
    default:
        return {};
    }
}

Qt::ItemFlags CatalogueModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> CatalogueModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(TitleRole, "title");
    names.insert(AddressRole, "address");
    return names;
}

} // namespace app
