#include "DownloadFixture.h"
#include "NginxServer.h"

#include "download/DownloadText.h"

#include <QDateTime>
#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/file.h>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

using testsupport::HttpResponse;

namespace {

const QString Started = QStringLiteral("event: Getting file information");
const QByteArray OldCatalogue = "Old title==>http://old.example/a.ogg\r\n";

HttpResponse Answer(int status, const std::string& reason, std::string body = {})
{
    HttpResponse response;
    response.status = status;
    response.reason = reason;
    response.body = std::move(body);
    return response;
}

HttpResponse Raw(std::string head, std::string body = {})
{
    HttpResponse response;
    response.rawHead = std::move(head);
    response.body = std::move(body);
    return response;
}

std::string Text(const QByteArray& bytes) { return bytes.toStdString(); }

} // namespace

// ---- ordinary downloads against a real web server

TEST_F(DownloadTest, RealServerAnswersTheRangeWith206AndTheFileArrivesWhole)
{
    QTemporaryDir site;
    ASSERT_TRUE(site.isValid());
    QDir().mkpath(site.filePath(QStringLiteral("vanupelrolive")));
    const QByteArray catalogue = Pattern(3000);
    WriteFile(site.filePath(QStringLiteral("vanupelrolive/kelsor.dll")), catalogue);
    WriteFile(Path(), OldCatalogue);
    testsupport::NginxServer nginx(site.path());

    EXPECT_TRUE(downloader.DownloadFile(nginx.Url(QStringLiteral("/vanupelrolive/kelsor.dll")), Destination()));

    EXPECT_EQ(events, QStringList({Started, "progress: 34", "progress: 68", "progress: 100", "progress: 100", "complete"}));
    EXPECT_EQ(ReadFile(Path()), catalogue);
    EXPECT_EQ(FolderEntries(), (QStringList{"kelsor.dll", "kelsor.dll.etag"}));
}

// The second update of an unchanged catalogue asks with what the first one was told; the
// web server answers 304 on its own and nothing is touched. A changed catalogue, or a local
// file replaced by other means, is fetched whole again.
TEST_F(DownloadTest, UnchangedCatalogueIsNotFetchedTwice)
{
    QTemporaryDir site;
    ASSERT_TRUE(site.isValid());
    const QString published = site.filePath(QStringLiteral("kelsor.dll"));
    WriteFile(published, Pattern(3000));
    testsupport::NginxServer nginx(site.path());
    const QString url = nginx.Url(QStringLiteral("/kelsor.dll"));
    ASSERT_TRUE(downloader.DownloadFile(url, Destination()));
    const QDateTime written = QFileInfo(Path()).lastModified();

    events.clear();
    EXPECT_TRUE(downloader.DownloadFile(url, Destination()));
    EXPECT_EQ(events, QStringList({Started, "up to date"}));
    EXPECT_EQ(ReadFile(Path()), Pattern(3000));
    EXPECT_EQ(QFileInfo(Path()).lastModified(), written);
    EXPECT_EQ(FolderEntries(), (QStringList{"kelsor.dll", "kelsor.dll.etag"}));

    // A new catalogue on the server, dated later, as a publication within the same second would not be.
    WriteFile(published, Pattern(2000));
    QFile republished(published);
    ASSERT_TRUE(republished.open(QIODevice::ReadWrite));
    ASSERT_TRUE(republished.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    republished.close();
    events.clear();
    EXPECT_TRUE(downloader.DownloadFile(url, Destination()));
    EXPECT_EQ(events.last(), QStringLiteral("complete"));
    EXPECT_EQ(ReadFile(Path()), Pattern(2000));

    // The local file replaced behind the record's back (a reinstall): the record no longer applies.
    WriteFile(Path(), OldCatalogue);
    events.clear();
    EXPECT_TRUE(downloader.DownloadFile(url, Destination()));
    EXPECT_EQ(events.last(), QStringLiteral("complete"));
    EXPECT_EQ(ReadFile(Path()), Pattern(2000));
}

TEST_F(DownloadTest, RealServerLargeFileAndItsMissingPath)
{
    QTemporaryDir site;
    ASSERT_TRUE(site.isValid());
    const QByteArray big = Pattern(3 * 1024 * 1024 + 17);
    WriteFile(site.filePath(QStringLiteral("big.bin")), big);
    testsupport::NginxServer nginx(site.path());

    EXPECT_TRUE(downloader.DownloadFile(nginx.Url(QStringLiteral("/big.bin")), Destination(QStringLiteral("big.bin"))));
    EXPECT_EQ(ReadFile(Path(QStringLiteral("big.bin"))), big);
    EXPECT_EQ(events.mid(events.size() - 3), QStringList({"progress: 100", "progress: 100", "complete"}));
    EXPECT_EQ(events.size(), 1 + 3 * 1024 + 1 + 1 + 1);

    events.clear();
    const QString missing = nginx.Url(QStringLiteral("/nothing.dll"));
    downloader.DownloadFile(missing, Destination());
    EXPECT_EQ(events, QStringList({Started, "error: The file, \"" + missing + "\" was not found!"}));
}

// ---- cancel

TEST_F(DownloadTest, CancelWhileWaitingEndsQuietlyAndLeavesTheFileUntouched)
{
    HttpResponse silent;
    silent.sayNothing = true;
    server.route("/silent", silent);
    WriteFile(Path(), OldCatalogue);
    host::HttpTransfer::SetDefaultTimeouts({std::chrono::seconds(30), std::chrono::seconds(30)});

    QTimer::singleShot(200, &downloader, [this] { downloader.Cancel(); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(Download("/silent"));
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(events, QStringList{Started});
    EXPECT_EQ(ReadFile(Path()), OldCatalogue);
}

TEST_F(DownloadTest, CancelDuringTheTransferOrAStallDiscardsThePartAndSaysNothing)
{
    server.route("/big", Answer(200, "OK", Text(Pattern(4 * 1024 * 1024))));
    HttpResponse stalled = Answer(200, "OK", Text(Pattern(5000)));
    stalled.stopAfterBodyBytes = 3000;
    stalled.stallAtStop = true;
    server.route("/stalled", stalled);
    host::HttpTransfer::SetDefaultTimeouts({std::chrono::seconds(30), std::chrono::seconds(30)});

    // Arrives once the bytes at hand are written.
    QObject::connect(&downloader, &download::FileDownloader::DownloadProgress, &downloader,
                     [this] { QTimer::singleShot(0, &downloader, [this] { downloader.Cancel(); }); },
                     Qt::SingleShotConnection);
    WriteFile(Path(), OldCatalogue);
    EXPECT_FALSE(Download("/big"));
    EXPECT_EQ(events.mid(0, 2), QStringList({Started, "progress: 0"}));
    EXPECT_FALSE(events.contains("complete"));
    EXPECT_FALSE(events.join('|').contains("error"));
    EXPECT_EQ(ReadFile(Path()), OldCatalogue);
    EXPECT_EQ(FolderEntries(), QStringList{"kelsor.dll"});

    events.clear();
    QTimer::singleShot(400, &downloader, [this] { downloader.Cancel(); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(Download("/stalled"));
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_FALSE(events.contains("complete"));
    EXPECT_FALSE(events.join('|').contains("error"));
    EXPECT_EQ(ReadFile(Path()), OldCatalogue);
    EXPECT_EQ(FolderEntries(), QStringList{"kelsor.dll"});
}

TEST_F(DownloadTest, ControlDestroyedDuringItsOwnDownloadUnwindsWithoutRaisingMore)
{
    HttpResponse stalled = Answer(200, "OK", Text(Pattern(200 * 1024)));
    stalled.stopAfterBodyBytes = 5000;
    stalled.stallAtStop = true;
    server.route("/stalled", stalled);
    auto* doomed = new download::FileDownloader(nullptr, design);
    QStringList raised;
    QObject::connect(doomed, &download::FileDownloader::DownloadErrors, [&](const QString& text) { raised << text; });
    QObject::connect(doomed, &download::FileDownloader::DowloadComplete, [&] { raised << "complete"; });
    QObject::connect(doomed, &download::FileDownloader::DownloadProgress, doomed,
                     [&] { QTimer::singleShot(0, [doomed] { delete doomed; }); }, Qt::SingleShotConnection);
    WriteFile(Path(), OldCatalogue);
    EXPECT_FALSE(doomed->DownloadFile(QString::fromStdString(server.url("/stalled")), Destination()));
    EXPECT_TRUE(raised.isEmpty()) << raised.join('|').toStdString();
    EXPECT_EQ(ReadFile(Path()), OldCatalogue);
    EXPECT_EQ(FolderEntries(), QStringList{"kelsor.dll"});
}

// ---- a modal box during a download

// A box opened while the download runs (from a progress event, or from anywhere else in the
// window) has its own message loop; the transfer goes on in it and completes beneath it.
TEST_F(DownloadTest, ModalBoxHeldOpenDuringADownloadDoesNotHoldItUp)
{
    server.route("/big", Answer(200, "OK", Text(Pattern(2 * 1024 * 1024))));
    server.route("/late", [] {
        HttpResponse late = Answer(200, "OK", "late catalogue");
        late.delayBeforeHead = std::chrono::milliseconds(300);
        return late;
    }());
    host::HttpTransfer::SetDefaultTimeouts({std::chrono::seconds(30), std::chrono::seconds(30)});
    QDialog box;
    box.setModal(true);
    bool completedBeneathTheBox = false;
    QObject::connect(&downloader, &download::FileDownloader::DowloadComplete, [&] {
        completedBeneathTheBox = box.isVisible();
        box.accept();
    });
    // Only a transfer held up by the box lets this fire; it ends the box, not the test.
    QTimer rescue;
    rescue.setSingleShot(true);
    QObject::connect(&rescue, &QTimer::timeout, &box, &QDialog::reject);

    QObject::connect(&downloader, &download::FileDownloader::DownloadProgress, &box,
                     [&] { rescue.start(20000); box.exec(); }, Qt::SingleShotConnection);
    EXPECT_TRUE(Download("/big", Destination(QStringLiteral("big.bin"))));
    EXPECT_TRUE(completedBeneathTheBox);
    EXPECT_EQ(ReadFile(Path(QStringLiteral("big.bin"))), Pattern(2 * 1024 * 1024));
    EXPECT_EQ(events.last(), QStringLiteral("complete"));

    completedBeneathTheBox = false;
    QTimer::singleShot(0, &box, [&] { rescue.start(20000); box.exec(); });
    EXPECT_TRUE(Download("/late"));
    EXPECT_TRUE(completedBeneathTheBox);
    EXPECT_EQ(ReadFile(Path()), QByteArray("late catalogue"));
}

// ---- the destination

TEST_F(DownloadTest, FreeSpaceBelowTheLengthStopsBeforeWritingEqualPasses)
{
    server.route("/3000", Answer(200, "OK", Text(Pattern(3000))));
    WriteFile(Path(), OldCatalogue);

    platform.freeDiskSpace = 2999;
    EXPECT_FALSE(Download("/3000"));
    EXPECT_EQ(events, QStringList({Started, "error: There is not enough free space on disk for this file."}));
    EXPECT_EQ(ReadFile(Path()), OldCatalogue);

    platform.freeDiskSpace = 3000;
    events.clear();
    EXPECT_TRUE(Download("/3000"));
    EXPECT_EQ(events.last(), QStringLiteral("complete"));
}

TEST_F(DownloadTest, MissingFolderIsCreatedOneLevelDeepOnly)
{
    server.route("/file", Answer(200, "OK", "catalogue"));

    EXPECT_TRUE(Download("/file", folder.path() + "\\new\\kelsor.dll"));
    EXPECT_EQ(ReadFile(folder.filePath("new/kelsor.dll")), QByteArray("catalogue"));

    events.clear();
    Download("/file", folder.path() + "\\a\\b\\kelsor.dll");
    EXPECT_EQ(events, QStringList({Started, "error: Cannot write file to disk.\r\rError 2: No such file or directory"}));
    EXPECT_FALSE(QFileInfo::exists(folder.filePath("a")));
}

TEST_F(DownloadTest, WriteFailuresReportTheSystemsReasonAndChangeNothing)
{
    server.route("/file", Answer(200, "OK", Text(Pattern(300 * 1024))));
    QDir(folder.path()).mkdir("kelsor.dll");

    Download("/file");
    EXPECT_EQ(events, QStringList({Started, "error: Cannot write file to disk.\r\rError 21: Is a directory"}));
    EXPECT_TRUE(QFileInfo(Path()).isDir());
    EXPECT_EQ(FolderEntries(), QStringList{"kelsor.dll"});

    // A file-size limit makes the disk refuse part-way, as a full disk would.
    QDir(folder.path()).rmdir("kelsor.dll");
    WriteFile(Path(), OldCatalogue);
    events.clear();
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = 100 * 1024;
    setrlimit(RLIMIT_FSIZE, &limited);
    EXPECT_FALSE(Download("/file"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(events.last(), QStringLiteral("error: Cannot write file to disk.\r\rError 27: File too large"));
    EXPECT_FALSE(events.contains("complete"));
    EXPECT_EQ(ReadFile(Path()), OldCatalogue);
    EXPECT_EQ(FolderEntries(), QStringList{"kelsor.dll"});
}

TEST_F(DownloadTest, FolderWithoutWritePermissionIsReportedAsSuch)
{
    server.route("/file", Answer(200, "OK", "catalogue"));
    WriteFile(Path(), OldCatalogue);
    ASSERT_TRUE(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    // The superuser passes every permission check; look at the folder as nobody instead.
    const bool asRoot = ::geteuid() == 0;
    if (asRoot)
        ::setfsuid(65534);
    Download("/file");
    if (asRoot)
        ::setfsuid(0);
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(events, QStringList({Started, "error: Cannot write file to disk.\r\rError 13: Permission denied"}));
    EXPECT_EQ(ReadFile(Path()), OldCatalogue);
}

// The last step, the rename onto the old file, can fail too: that is a failure like any other.
TEST_F(DownloadTest, FailedReplacementOfTheOldFileIsReportedAndReturnsFalse)
{
    server.route("/file", Answer(200, "OK", Text(Pattern(3000))));
    WriteFile(Path(), OldCatalogue);
    const QByteArray path = QFile::encodeName(Path());
    const int fd = ::open(path.constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    int flags = 0;
    const bool immutable = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
        && (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (!immutable) {
        ::close(fd);
        GTEST_SKIP() << "cannot make a file immutable here (needs root and a file system that allows it)";
    }
    const bool result = Download("/file");
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    ::close(fd);

    EXPECT_FALSE(result);
    EXPECT_EQ(events.last(), QStringLiteral("error: Cannot write file to disk.\r\rError 1: Operation not permitted"));
    EXPECT_FALSE(events.contains("complete"));
    EXPECT_EQ(ReadFile(Path()), OldCatalogue);
    EXPECT_EQ(FolderEntries(), QStringList{"kelsor.dll"});
}

// ---- the control's own helpers

TEST(DownloadText, PathPartAndAddBackslash)
{
    using download::detail::AddBackslash;
    using download::detail::PathPart;
    EXPECT_EQ(PathPart("C:\\dir\\file.txt", true, false), "file.txt");
    EXPECT_EQ(PathPart("C:\\dir\\file.txt", false, false), "C:\\dir\\");
    EXPECT_EQ(PathPart("http://host/a/b.dll", true, true), "b.dll");
    EXPECT_EQ(PathPart("http://host/a/b.dll", false, true), "http://host/a/");
    EXPECT_EQ(PathPart("no separator", true, false), "no separator");
    EXPECT_EQ(PathPart("no separator", false, true), "no separator");
    EXPECT_EQ(AddBackslash("C:"), "C:\\");
    EXPECT_EQ(AddBackslash("C:\\"), "C:\\");
}

TEST(DownloadText, LengthAndPercent)
{
    using download::detail::LengthInRange;
    EXPECT_EQ(LengthInRange(0), 0);
    EXPECT_EQ(LengthInRange(2147483647), 2147483647);
    EXPECT_THROW(LengthInRange(2147483648), host::RuntimeError);
    EXPECT_EQ(download::detail::PercentText(1, 8), "12");
    EXPECT_EQ(download::detail::PercentText(27, 200), "14");
    EXPECT_EQ(download::detail::PercentText(1500, 1000), "150");
}

TEST(DownloadText, FreeSpaceCheckCoversDriveLettersAndLocalAbsolutePaths)
{
    using download::detail::IsLocalAbsolutePath;
    EXPECT_TRUE(IsLocalAbsolutePath("C:\\Program Files\\kelsor.dll"));
    EXPECT_TRUE(IsLocalAbsolutePath("/opt/vanupelro\\kelsor.dll"));
    EXPECT_FALSE(IsLocalAbsolutePath("\\\\server\\share\\kelsor.dll"));
    EXPECT_FALSE(IsLocalAbsolutePath("kelsor.dll"));
}

// ---- the control itself

TEST_F(DownloadTest, CredentialsGoWithTheRequest)
{
    server.route("/file", Answer(200, "OK", "catalogue"));
    EXPECT_TRUE(downloader.DownloadFile(QString::fromStdString(server.url("/file")), Destination(), "user", "secret"));
    EXPECT_NE(server.requestHeads().front().find("\r\nAuthorization: Basic dXNlcjpzZWNyZXQ=\r\n"), std::string::npos);
}

TEST_F(DownloadTest, KeepsTheSizeOfItsBriefcasePicture)
{
    downloader.resize(200, 100);
    EXPECT_EQ(downloader.size(), QSize(68, 63));
    const QImage picture = downloader.grab().toImage();
    const QColor background = downloader.palette().color(QPalette::Window);
    int drawn = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            drawn += picture.pixelColor(x, y) != background;
    EXPECT_GT(drawn, picture.width() * picture.height() / 2);
}

// A program killed mid-download leaves its part file behind; the next start clears it away,
// but never the part file of a download that another running copy is still writing.
TEST_F(DownloadTest, AbandonedPartFilesAreClearedAndOneInUseIsKept)
{
    WriteFile(Path(), "old catalogue");
    WriteFile(Path(QStringLiteral(".kelsor.dll.part-abandoned")), "half a body");
    WriteFile(Path(QStringLiteral(".other.dll.part-abandoned")), "someone else's");
    WriteFile(Path(QStringLiteral(".kelsor.dll.part-busy")), "being written");
    const int busy = ::open(QFile::encodeName(Path(QStringLiteral(".kelsor.dll.part-busy"))).constData(), O_RDONLY);
    ASSERT_GE(busy, 0);
    ASSERT_EQ(::flock(busy, LOCK_EX | LOCK_NB), 0);

    download::FileDownloader::RemoveAbandonedParts(Destination());
    ::close(busy);

    EXPECT_EQ(FolderEntries(), (QStringList{QStringLiteral(".kelsor.dll.part-busy"), QStringLiteral(".other.dll.part-abandoned"),
                                            QStringLiteral("kelsor.dll")}));
    EXPECT_EQ(ReadFile(Path()), QByteArray("old catalogue"));
}

// A disk that fills up part-way through the body: the old catalogue stays as it was and
// nothing is left behind on the full disk.
TEST_F(DownloadTest, ADiskThatFillsUpPartWayKeepsTheOldCatalogue)
{
    QTemporaryDir mountPoint;
    ASSERT_TRUE(mountPoint.isValid());
    const QByteArray where = QFile::encodeName(mountPoint.path());
    if (::mount("tmpfs", where.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=128k") != 0)
        GTEST_SKIP() << "cannot mount a small filesystem here (" << std::strerror(errno) << "); needs root";
    struct Unmount {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount{where};
    const QString old = mountPoint.filePath(QStringLiteral("kelsor.dll"));
    WriteFile(old, OldCatalogue);
    // No length announced, so the free-space check cannot turn it away before the disk does.
    server.route("/big", Raw("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", Text(Pattern(512 * 1024))));

    EXPECT_FALSE(Download("/big", mountPoint.path() + QStringLiteral("\\kelsor.dll")));
    EXPECT_EQ(events.last(), QStringLiteral("error: Cannot write file to disk.\r\rError 28: No space left on device"));
    EXPECT_FALSE(events.contains(QStringLiteral("complete")));
    EXPECT_EQ(ReadFile(old), OldCatalogue);
    EXPECT_EQ(QDir(mountPoint.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("kelsor.dll")});
}
