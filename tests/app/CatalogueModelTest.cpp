#include "app/CatalogueModel.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

namespace {

using app::CatalogueEntries;
using app::CatalogueModel;

// Whatever Qt's model checker finds wrong, kept to be asserted empty.
class ModelComplaints {
public:
    ModelComplaints() : m_previous(qInstallMessageHandler(&ModelComplaints::record)) { complaints().clear(); }
    ~ModelComplaints() { qInstallMessageHandler(m_previous); }
    ModelComplaints(const ModelComplaints&) = delete;
    ModelComplaints& operator=(const ModelComplaints&) = delete;

    static QStringList& complaints()
    {
        static QStringList list;
        return list;
    }

private:
    static void record(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (type != QtDebugMsg && qstrcmp(context.category, "qt.modeltest") == 0)
            complaints().append(message);
    }

    QtMessageHandler m_previous;
};

const CatalogueEntries ThreeEntries{{"The Raven", "http://127.0.0.1/raven.ogg"},
                                   {"Annabel Lee", "media/welcome.ogg"},
                                   {"Title only", ""}};

} // namespace

TEST(CatalogueModel, PassesQtsModelCheckerThroughFillingRefillingAndClearing)
{
    ModelComplaints complaints;
    CatalogueModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

    model.SetEntries(CatalogueEntries(ThreeEntries));
    EXPECT_EQ(model.rowCount(), 3);
    model.SetEntries({{"Only one", "http://127.0.0.1/one.mp3"}});
    EXPECT_EQ(model.rowCount(), 1);
    model.Clear();
    EXPECT_EQ(model.rowCount(), 0);
    model.SetEntries(CatalogueEntries(ThreeEntries));

    EXPECT_EQ(resets.count(), 4) << "each fill is one reset, never a row at a time";
    EXPECT_TRUE(ModelComplaints::complaints().isEmpty()) << ModelComplaints::complaints().join('\n').toStdString();
}

TEST(CatalogueModel, EachRowHoldsItsTitleAndItsAddress)
{
    CatalogueModel model;
    model.SetEntries(CatalogueEntries(ThreeEntries));
    const QModelIndex second = model.index(1, 0);
    EXPECT_EQ(second.data(), QVariant(QStringLiteral("Annabel Lee"))) << "the list shows the title";
    EXPECT_EQ(second.data(CatalogueModel::TitleRole), QVariant(QStringLiteral("Annabel Lee")));
    EXPECT_EQ(second.data(CatalogueModel::AddressRole), QVariant(QStringLiteral("media/welcome.ogg")));
    EXPECT_EQ(model.index(2, 0).data(CatalogueModel::AddressRole), QVariant(QString()));
    EXPECT_FALSE(second.data(Qt::EditRole).isValid()) << "the catalogue is not edited in the list";
    EXPECT_FALSE(model.flags(second).testFlag(Qt::ItemIsEditable));
    EXPECT_TRUE(model.flags(second).testFlag(Qt::ItemIsSelectable));
    EXPECT_EQ(model.roleNames().value(CatalogueModel::AddressRole), QByteArray("address"));
    EXPECT_EQ(model.rowCount(second), 0) << "a row has no rows under it";
}

TEST(CatalogueModel, RowsOutsideTheCatalogueAreNobodys)
{
    CatalogueModel model;
    model.SetEntries(CatalogueEntries(ThreeEntries));
    for (int row : {-1, 3, 100}) {
        EXPECT_FALSE(model.Contains(row)) << row;
        EXPECT_TRUE(model.Title(row).isEmpty()) << row;
        EXPECT_TRUE(model.Address(row).isEmpty()) << row;
    }
    EXPECT_EQ(model.Address(0), QStringLiteral("http://127.0.0.1/raven.ogg"));
    EXPECT_EQ(model.Title(2), QStringLiteral("Title only"));
}

TEST(CatalogueModel, FindsAnEntryByAddressOrByTitleAndAddress)
{
    CatalogueModel model;
    model.SetEntries({{"First", "http://127.0.0.1/shared.ogg"},
                      {"Second", "http://127.0.0.1/other.ogg"},
                      {"Second", "http://127.0.0.1/shared.ogg"}});
    EXPECT_EQ(model.RowOfAddress("http://127.0.0.1/shared.ogg"), 0) << "the first with that address";
    EXPECT_EQ(model.RowOfAddress("http://127.0.0.1/gone.ogg"), -1);
    EXPECT_EQ(model.RowOf({"Second", "http://127.0.0.1/shared.ogg"}), 2) << "the very entry beats its title";
    EXPECT_EQ(model.RowOf({"Second", "http://127.0.0.1/moved.ogg"}), 1) << "else the first with its title";
    EXPECT_EQ(model.RowOf({"Gone", "http://127.0.0.1/shared.ogg"}), -1) << "an address alone is not the entry";
}
