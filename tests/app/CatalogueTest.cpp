#include "app/Catalogue.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <ostream>

namespace app {
void PrintTo(const CatalogueEntry& entry, std::ostream* out)
{
    *out << '{' << entry.title.toStdString() << " | " << entry.address.toStdString() << '}';
}
} // namespace app

namespace {

using Entries = app::CatalogueEntries;

class CatalogueTest : public ::testing::Test {
protected:
    Entries Read(const QByteArray& bytes)
    {
        QFile file(path());
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        std::optional<Entries> catalogue = app::ReadCatalogue(path());
        EXPECT_TRUE(catalogue.has_value());
        return catalogue.value_or(Entries{});
    }
    QString path() const { return dir.filePath(QStringLiteral("kelsor.dll")); }

    QTemporaryDir dir;
};

} // namespace

TEST_F(CatalogueTest, RecordFormsFollowTheTable)
{
    const Entries c = Read("First==>http://a/1\r\n"
                                  "\r\n"
                                  "     \r\n"
                                  "==>http://skipped\r\n"
                                  "Two seps==>http://a/2==>more text\r\n"
                                  "No url==>\r\n"
                                  "Title only\r\n"
                                  " Spaced ==> http://a/3 \r\n"
                                  "\t\t\r\n"
                                  "Last==>http://a/4");
    EXPECT_EQ(c, (Entries{{"First", "http://a/1"},
                          {"Two seps", "http://a/2"},
                          {"No url", ""},
                          {"Title only", ""},
                          {" Spaced ", " http://a/3 "},
                          {"\t\t", ""},
                          {"Last", "http://a/4"}}));
}

TEST_F(CatalogueTest, TheSeparatorIsFoundAmongOtherEqualsSigns)
{
    const Entries c = Read("a===>b\n"
                           "x=y==>http://h/?q=1&r==2\n"
                           "=> not one ==\n"
                           "ends on ==\n"
                           "T==>u==\n"
                           "V==>w=>==>x\n");
    EXPECT_EQ(c, (Entries{{"a=", "b"},
                          {"x=y", "http://h/?q=1&r==2"},
                          {"=> not one ==", ""},
                          {"ends on ==", ""},
                          {"T", "u=="},
                          {"V", "w=>"}}));
}

TEST_F(CatalogueTest, EveryLineEndEndsARecord)
{
    const Entries c = Read("A==>1\r\nB==>2\rC==>3\nD==>4\n\rE==>5\r\n");
    EXPECT_EQ(c, (Entries{{"A", "1"}, {"B", "2"}, {"C", "3"}, {"D", "4"}, {"E", "5"}}));
}

TEST_F(CatalogueTest, EightBitTextIsReadInTheWindowsCodePage)
{
    // 0xE9 é, 0x93/0x94 curly quotes, 0x80 euro sign
    const Entries c = Read("Caf\xE9 \x93stories\x94 \x80==>http://a/\xE9");
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].title, QString::fromUtf8("Café “stories” €"));
    EXPECT_EQ(c[0].address, QString::fromUtf8("http://a/é"));
}

TEST_F(CatalogueTest, LongFileAcrossReadBlocksKeepsEveryPair)
{
    QByteArray bytes;
    constexpr int Count = 40000; // well over one read block, so line ends straddle blocks
    for (int i = 0; i < Count; ++i)
        bytes += "Title " + QByteArray::number(i) + "==>http://host/" + QByteArray::number(i) + (i % 2 ? "\r\n" : "\n");
    const Entries c = Read(bytes);
    ASSERT_EQ(c.size(), std::size_t(Count));
    for (int i : {0, 1, 4095, 32767, 32768, Count - 1}) {
        EXPECT_EQ(c[i].title, QStringLiteral("Title %1").arg(i));
        EXPECT_EQ(c[i].address, QStringLiteral("http://host/%1").arg(i));
    }
}

TEST_F(CatalogueTest, EmptyFileGivesAnEmptyList)
{
    EXPECT_TRUE(Read("").empty());
}

TEST_F(CatalogueTest, WhatIsNotANormalFileIsNotRead)
{
    EXPECT_FALSE(app::ReadCatalogue(path()).has_value()) << "missing file";
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("kelsor.dll")));
    EXPECT_FALSE(app::ReadCatalogue(path()).has_value()) << "a folder of that name";
    QFile hidden(dir.filePath(QStringLiteral(".hidden")));
    ASSERT_TRUE(hidden.open(QIODevice::WriteOnly));
    hidden.write("A==>b\r\n");
    hidden.close();
    EXPECT_FALSE(app::ReadCatalogue(hidden.fileName()).has_value()) << "a hidden file";
}

#include "AppFixture.h"

#include <QDateTime>

namespace {

class CatalogueFolderTest : public AppTest {
protected:
    QString Write(const QString& folderPath, const QDateTime& when)
    {
        QDir().mkpath(folderPath);
        QFile file(folderPath + QStringLiteral("/kelsor.dll"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Title==>media/welcome.ogg\r\n");
        file.flush(); // a later flush would stamp the file anew
        file.setFileTime(when, QFileDevice::FileModificationTime);
        return file.fileName();
    }
    QString UserFolder() const { return folder.filePath(QStringLiteral("data/vanupelro")); }
};

} // namespace

TEST_F(CatalogueFolderTest, TheNewerOfTheFetchedAndTheBundledCatalogueIsRead)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString bundled = Write(folder.path(), now.addDays(-2));
    EXPECT_EQ(app::CatalogueToRead(), bundled) << "no fetched copy yet";

    const QString fetched = Write(UserFolder(), now.addDays(-1));
    EXPECT_EQ(app::CatalogueToRead(), fetched);

    Write(folder.path(), now); // a reinstall brought a newer one
    EXPECT_EQ(app::CatalogueToRead(), bundled);
}

TEST_F(CatalogueFolderTest, UpdatesGoToTheProgramFolderWhereItCanBeWritten)
{
    EXPECT_EQ(app::CatalogueFolderToWrite(), folder.path());
    platform.programFolder = QStringLiteral("/proc/1"); // not writable, even by root
    EXPECT_EQ(app::CatalogueFolderToWrite(), UserFolder());
}
