#include "app/ListeningStore.h"

#include "host/testing/FakeClock.h"
#include "host/os/FileSystem.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace {

using app::ListeningStore;

constexpr qint64 Minute = 60'000;
const QString Story = QStringLiteral("https://media.example.org/reads/7/chapter.mp3");

QString title(int n) { return QStringLiteral("https://media.example.org/reads/%1.mp3").arg(n); }

// Warnings are part of the contract (logged once, never a box): count them.
class WarningCounter {
public:
    WarningCounter() { s_previous = qInstallMessageHandler(&WarningCounter::handle); }
    ~WarningCounter() { qInstallMessageHandler(s_previous); }
    static inline QStringList warnings;

private:
    static void handle(QtMsgType type, const QMessageLogContext&, const QString& text)
    {
        if (type == QtWarningMsg)
            warnings << text;
    }
    static inline QtMessageHandler s_previous = nullptr;
};

class ListeningStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        WarningCounter::warnings.clear();
    }

    std::unique_ptr<ListeningStore> open() const { return std::make_unique<ListeningStore>(path); }

    QByteArray fileBytes(const QString& file) const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // The place the file holds for url, -1 when it holds none.
    qint64 positionOnDisk(const QString& url) const
    {
        const QJsonArray titles = QJsonDocument::fromJson(fileBytes(path)).object().value("titles").toArray();
        for (const QJsonValue& t : titles)
            if (t.toObject().value("url").toString() == url)
                return t.toObject().value("positionMs").toInteger();
        return -1;
    }

    void writeFile(const QByteArray& bytes) const
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("state/vanupelro/listening.json"));
    host::FakeClock clock; // the throttle moves only when a test moves it
    WarningCounter counter;
};

TEST_F(ListeningStoreTest, ResumesAFewSecondsBeforeAPlaceWorthKeeping)
{
    const auto store = open();
    EXPECT_EQ(store->ResumePoint(Story), std::nullopt);

    store->RememberNow(Story, 29'999, 40 * Minute);
    EXPECT_EQ(store->ResumePoint(Story), std::nullopt) << "under 30 s starts from the beginning";

    store->RememberNow(Story, 30'000, 40 * Minute);
    EXPECT_EQ(store->ResumePoint(Story), 25'000);

    store->RememberNow(Story, 39 * Minute - 1, 40 * Minute);
    EXPECT_EQ(store->ResumePoint(Story), 39 * Minute - 5'001);

    store->RememberNow(Story, 39 * Minute, 40 * Minute);
    EXPECT_EQ(store->ResumePoint(Story), std::nullopt) << "the last minute counts as finished";

    store->RememberNow(Story, 90 * Minute, -1);
    EXPECT_EQ(store->ResumePoint(Story), 90 * Minute - 5'000) << "an unknown length never counts as finished";

    store->Remember(Story, 10'000, 40 * Minute);
    EXPECT_EQ(store->ResumePoint(Story), std::nullopt) << "heard again from the start";

    store->RememberNow(Story, 20 * Minute, 40 * Minute);
    store->Forget(Story);
    EXPECT_EQ(store->ResumePoint(Story), std::nullopt);
    store->Flush();
    EXPECT_EQ(positionOnDisk(Story), -1) << "Forget is written at once";
}

TEST_F(ListeningStoreTest, PlacesAndVolumeSurviveReopening)
{
    {
        const auto store = open();
        EXPECT_EQ(store->Volume(), std::nullopt);
        store->RememberNow(title(1), 12 * Minute, 40 * Minute);
        store->RememberNow(title(2), 3 * Minute, -1);
        store->SetVolume(0.35);
        store->Remember(title(3), 8 * Minute, 40 * Minute); // throttled, but written on close
        store->Remember(title(3), 9 * Minute, 40 * Minute);
    }
    const auto reopened = open();
    EXPECT_EQ(reopened->ResumePoint(title(1)), 12 * Minute - 5'000);
    EXPECT_EQ(reopened->ResumePoint(title(2)), 3 * Minute - 5'000);
    EXPECT_EQ(reopened->ResumePoint(title(3)), 9 * Minute - 5'000);
    EXPECT_EQ(reopened->Volume(), 0.35);
    EXPECT_EQ(reopened->Count(), 3);
    EXPECT_TRUE(WarningCounter::warnings.isEmpty()) << WarningCounter::warnings.join('\n').toStdString();
}

TEST_F(ListeningStoreTest, RepeatedRememberWritesOncePerThrottleInterval)
{
    const auto store = open();
    store->Remember(Story, 1 * Minute, -1);
    store->Flush();
    EXPECT_EQ(positionOnDisk(Story), 1 * Minute) << "the first place is written at once";

    for (int second = 61; second < 65; ++second)
        store->Remember(Story, second * 1000, -1);
    clock.Advance(ListeningStore::ThrottleMs - 1);
    store->Flush();
    EXPECT_EQ(positionOnDisk(Story), 1 * Minute) << "nothing written inside the interval";

    clock.Advance(1);
    store->Flush();
    EXPECT_EQ(positionOnDisk(Story), 64'000) << "the latest place is written when the interval ends";

    store->Remember(Story, 70'000, -1);
    store->RememberNow(Story, 71'000, -1);
    store->Flush();
    EXPECT_EQ(positionOnDisk(Story), 71'000) << "RememberNow does not wait for the interval";

    clock.Advance(3 * ListeningStore::ThrottleMs); // a quiet interval ends the throttle
    store->Remember(Story, 2 * Minute, -1);
    store->Flush();
    EXPECT_EQ(positionOnDisk(Story), 2 * Minute);
}

TEST_F(ListeningStoreTest, FlushLeavesOneCompleteFileWithTheLatestState)
{
    const auto store = open();
    for (int n = 0; n < 200; ++n) {
        store->RememberNow(title(n), Minute + n, -1);
        store->SetVolume(n / 200.0);
    }
    store->Flush();
    const QJsonObject root = QJsonDocument::fromJson(fileBytes(path)).object();
    EXPECT_EQ(root.value("version").toInt(), 1);
    EXPECT_DOUBLE_EQ(root.value("volume").toDouble(), 199 / 200.0);
    const QJsonArray titles = root.value("titles").toArray();
    ASSERT_EQ(titles.size(), 200);
    EXPECT_EQ(titles.first().toObject().value("url").toString(), title(199)) << "most recent first";
    EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files), QStringList{"listening.json"})
        << "no temporary file left behind";
}

TEST_F(ListeningStoreTest, KeepsTheMostRecentlyHeardTitlesAcrossReopening)
{
    {
        const auto store = open();
        for (int n = 0; n < ListeningStore::MostTitles; ++n)
            store->Remember(title(n), Minute, -1);
        store->Remember(title(0), 2 * Minute, -1); // heard again: now the most recent
        for (int n = ListeningStore::MostTitles; n < ListeningStore::MostTitles + 5; ++n)
            store->Remember(title(n), Minute, -1);
        EXPECT_EQ(store->Count(), ListeningStore::MostTitles);
        EXPECT_TRUE(store->ResumePoint(title(0)));
        for (int n = 1; n <= 5; ++n)
            EXPECT_FALSE(store->ResumePoint(title(n))) << n;
        EXPECT_TRUE(store->ResumePoint(title(6)));
    }
    const auto reopened = open();
    EXPECT_EQ(reopened->Count(), ListeningStore::MostTitles);
    reopened->RememberNow(title(99'999), Minute, -1);
    EXPECT_FALSE(reopened->ResumePoint(title(6))) << "the least recent, by the order kept in the file";
    EXPECT_TRUE(reopened->ResumePoint(title(0)));
    EXPECT_TRUE(reopened->ResumePoint(title(7)));
}

struct Damage {
    const char* name;
    QByteArray bytes;
};

class DamagedFileTest : public ListeningStoreTest, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedFileTest, IsSetAsideAndTheStoreStartsEmptyAndWorks)
{
    writeFile(GetParam().bytes);
    const QString damaged = path + ".damaged";
    {
        QFile older(damaged);
        ASSERT_TRUE(older.open(QIODevice::WriteOnly));
        older.write("an older damaged file");
    }
    {
        const auto store = open();
        EXPECT_EQ(store->Count(), 0);
        EXPECT_EQ(store->Volume(), std::nullopt);
        EXPECT_EQ(fileBytes(damaged), GetParam().bytes) << "kept for a person to look at, replacing the older";
        EXPECT_EQ(WarningCounter::warnings.size(), 1);
        store->RememberNow(Story, 5 * Minute, -1);
    }
    EXPECT_EQ(open()->ResumePoint(Story), 5 * Minute - 5'000);
}

QByteArray validFile()
{
    return R"({"format": "vanupelro listening positions", "version": 1, "volume": 0.5, "titles": [
        {"url": "https://a.example/1.mp3", "positionMs": 120000, "durationMs": -1, "heard": "2026-01-02T03:04:05.006Z"}]})";
}

QByteArray withField(const char* from, const char* to) { return validFile().replace(from, to); }

INSTANTIATE_TEST_SUITE_P(
    Damages, DamagedFileTest,
    ::testing::Values(Damage{"truncated", validFile().left(validFile().size() / 2)},
                      Damage{"garbage", QByteArray("\x89PNG\r\n\x1a\n\0\0\xff garbage", 20)},
                      Damage{"empty", QByteArray()},
                      Damage{"position_as_text", withField("\"positionMs\": 120000", "\"positionMs\": \"120000\"")},
                      Damage{"negative_position", withField("120000", "-5")},
                      Damage{"fractional_position", withField("120000", "1.5")},
                      Damage{"titles_not_a_list", withField("\"titles\": [", "\"titles\": {\"x\": [") + "}"},
                      Damage{"volume_out_of_range", withField("0.5", "7")},
                      Damage{"bad_time", withField("2026-01-02", "yesterday")},
                      Damage{"newer_version", withField("\"version\": 1", "\"version\": 2")},
                      Damage{"not_an_object", QByteArray("[1, 2, 3]")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListeningStoreTest, AValidHandWrittenFileIsRead)
{
    writeFile(validFile());
    const auto store = open();
    EXPECT_EQ(store->ResumePoint("https://a.example/1.mp3"), 115'000);
    EXPECT_EQ(store->Volume(), 0.5);
    EXPECT_FALSE(QFileInfo::exists(path + ".damaged"));
}

TEST_F(ListeningStoreTest, AHugeFileIsSetAsideUnread)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    {
        QFile huge(path);
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize(app::LargestListeningFile + 1)); // sparse: costs no disk
    }
    const auto store = open();
    EXPECT_EQ(store->Count(), 0);
    EXPECT_EQ(QFileInfo(path + ".damaged").size(), app::LargestListeningFile + 1);
}

// A folder under a regular file can be created by nobody, root included.
TEST_F(ListeningStoreTest, AnUncreatableFolderKeepsPlacesForTheSessionAndWarnsOnce)
{
    {
        QFile blocker(dir.filePath("state"));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    const auto store = open();
    store->RememberNow(Story, 5 * Minute, -1);
    store->SetVolume(0.8);
    store->Forget(title(1));
    store->RememberNow(title(2), 6 * Minute, -1);
    store->Flush();
    EXPECT_EQ(store->ResumePoint(Story), 5 * Minute - 5'000);
    EXPECT_EQ(store->Volume(), 0.8);
    ASSERT_EQ(WarningCounter::warnings.size(), 1) << WarningCounter::warnings.join('\n').toStdString();
    EXPECT_TRUE(WarningCounter::warnings.first().contains(path));
}

TEST_F(ListeningStoreTest, AReadOnlyFolderWarnsOnceAndLeavesTheOldFileAlone)
{
    writeFile(validFile());
    const QString folder = QFileInfo(path).absolutePath();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    if (QFileInfo(folder).isWritable()) {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        GTEST_SKIP() << "permissions are not enforced for this user (root)";
    }
    {
        const auto store = open();
        store->RememberNow(Story, 5 * Minute, -1);
        store->RememberNow(Story, 6 * Minute, -1);
        store->Flush();
        EXPECT_EQ(store->ResumePoint(Story), 6 * Minute - 5'000);
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(WarningCounter::warnings.size(), 1);
    EXPECT_EQ(fileBytes(path), validFile());
}

TEST(StateFolderTest, FollowsTheXdgRule)
{
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    const QString fallback = QDir::homePath() + "/.local/state/vanupelro";
    qputenv("XDG_STATE_HOME", "/srv/elsewhere/state");
    EXPECT_EQ(host::StateFolder(), "/srv/elsewhere/state/vanupelro");
    EXPECT_EQ(ListeningStore::DefaultPath(), "/srv/elsewhere/state/vanupelro/listening.json");
    qputenv("XDG_STATE_HOME", "relative/state"); // not absolute: ignored
    EXPECT_EQ(host::StateFolder(), fallback);
    qunsetenv("XDG_STATE_HOME");
    EXPECT_EQ(host::StateFolder(), fallback);
    if (!saved.isNull())
        qputenv("XDG_STATE_HOME", saved);
}

} // namespace
