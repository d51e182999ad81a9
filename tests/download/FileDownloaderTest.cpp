#include "DownloadFixture.h"
#include "NginxServer.h"

#include "download/DownloadText.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
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

std::string Chunked(const std::string& body, std::size_t piece)
{
    std::string encoded;
    for (std::size_t at = 0; at < body.size(); at += piece) {
        const std::string part = body.substr(at, piece);
        char size[32];
        std::snprintf(size, sizeof size, "%zx\r\n", part.size());
        encoded += size + part + "\r\n";
    }
    return encoded + "0\r\n\r\n";
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
    EXPECT_EQ(FolderEntries(), QStringList{"kelsor.dll"});
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

// ---- what goes out, and the two answers that succeed alike

TEST_F(DownloadTest, AsksForTheWholeFileOverHttp11WithoutEncodingAndTakes200Or206Alike)
{
    const QByteArray body = Pattern(1500);
    server.route("/plain", Answer(200, "OK", Text(body)));
    HttpResponse partial = Answer(206, "Partial Content", Text(body));
    partial.headers = {{"Content-Range", "bytes 0-1499/1500"}};
    server.route("/ranged", partial);

    EXPECT_TRUE(Download("/plain"));
    EXPECT_EQ(ReadFile(Path()), body);
    const QStringList first = events;
    events.clear();
    EXPECT_TRUE(Download("/ranged"));
    EXPECT_EQ(ReadFile(Path()), body);
    EXPECT_EQ(events, first);
    EXPECT_EQ(first, QStringList({Started, "progress: 68", "progress: 100", "progress: 100", "complete"}));

    const std::string head = server.requestHeads().front();
    EXPECT_EQ(head.rfind("GET /plain HTTP/1.1\r\n", 0), 0u) << head;
    EXPECT_NE(head.find("\r\nRange: bytes=0-\r\n"), std::string::npos) << head;
    EXPECT_EQ(head.find("Accept-Encoding"), std::string::npos) << head;
}

TEST_F(DownloadTest, EncodedBodyIsWrittenAsSent)
{
    const std::string gzipped("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03\xcb\x48\xcd\xc9\xc9\x07\x00\x86\xa6\x10\x36\x05\x00\x00\x00", 25);
    HttpResponse response = Answer(200, "OK", gzipped);
    response.headers = {{"Content-Encoding", "gzip"}};
    server.route("/gz", response);

    EXPECT_TRUE(Download("/gz"));
    EXPECT_EQ(ReadFile(Path()), QByteArray::fromStdString(gzipped));
}

// ---- statuses that end the call before anything is written

TEST_F(DownloadTest, StatusesOtherThan200And206ReportAndLeaveTheOldFile)
{
    HttpResponse moved = Answer(302, "Found");
    moved.headers = {{"Location", "/elsewhere"}};
    server.route("/moved", moved);
    server.route("/elsewhere", Answer(200, "OK", "must not be fetched"));
    server.route("/empty", Answer(204, "No Content"));
    server.route("/locked", Answer(401, "Unauthorized", "who are you"));
    server.route("/missing", Answer(404, "Not Found", "gone"));
    server.route("/broken", Answer(500, "Internal Server Error", "oops"));
    server.route("/bare", Raw("HTTP/1.1 503 No Carriage Returns\nContent-Length: 0\n\n"));

    const std::vector<std::pair<std::string, QString>> cases = {
        {"/moved", "The server returned the following response:\r\rHTTP/1.1 302 Found\r"},
        {"/empty", "Nothing to download!"},
        {"/locked", "Authorization failed!"},
        {"/missing", "The file, \"" + QString::fromStdString(server.url("/missing")) + "\" was not found!"},
        {"/broken", "The server returned the following response:\r\rHTTP/1.1 500 Internal Server Error\r"},
        {"/bare", "The server returned the following response:\r\r<nothing>"},
    };
    for (const auto& [path, message] : cases) {
        SCOPED_TRACE(path);
        WriteFile(Path(), OldCatalogue);
        events.clear();
        EXPECT_TRUE(Download(path));
        EXPECT_EQ(events, QStringList({Started, "error: " + message}));
        EXPECT_EQ(ReadFile(Path()), OldCatalogue);
        EXPECT_EQ(FolderEntries(), QStringList{"kelsor.dll"});
    }
    for (const std::string& head : server.requestHeads())
        EXPECT_EQ(head.find("/elsewhere"), std::string::npos) << "a redirect was followed";
}

// ---- the announced length

TEST_F(DownloadTest, LengthIsRoundedHalfToEvenAndAnExplicitZeroCompletesWithoutWriting)
{
    HttpResponse fractional = Answer(200, "OK", "twelve bytes");
    fractional.headers = {{"Content-Length", "12.5"}};
    server.route("/fraction", fractional);
    HttpResponse zero = Answer(200, "OK");
    zero.headers = {{"Content-Length", "0"}};
    server.route("/zero", zero);

    EXPECT_TRUE(Download("/fraction"));
    EXPECT_EQ(events, QStringList({Started, "progress: 100", "progress: 100", "complete"}));
    EXPECT_EQ(ReadFile(Path()), QByteArray("twelve bytes"));

    WriteFile(Path(), OldCatalogue);
    events.clear();
    EXPECT_TRUE(Download("/zero"));
    EXPECT_EQ(events, QStringList({Started, "complete"}));
    EXPECT_EQ(ReadFile(Path()), OldCatalogue);
}

TEST_F(DownloadTest, UnreadableOrHugeLengthIsAnErrorNotASuccess)
{
    HttpResponse words = Answer(200, "OK", "body");
    words.headers = {{"Content-Length", "lots"}};
    server.route("/words", words);
    HttpResponse huge = Answer(200, "OK", "body");
    huge.headers = {{"Content-Length", "2147483648"}};
    huge.stopAfterBodyBytes = 4;
    server.route("/huge", huge);
    WriteFile(Path(), OldCatalogue);

    EXPECT_TRUE(Download("/words"));
    ASSERT_EQ(events.size(), 2);
    EXPECT_TRUE(events[1].startsWith("error: Error: ") && events[1].endsWith(" occurred.")) << events[1].toStdString();
    EXPECT_TRUE(events[1].contains("Content-Length")) << events[1].toStdString();

    events.clear();
    Download("/huge");
    EXPECT_EQ(events, QStringList({Started, "error: Error: Overflow occurred."}));
    EXPECT_EQ(ReadFile(Path()), OldCatalogue);
    EXPECT_EQ(FolderEntries(), QStringList{"kelsor.dll"});
}

TEST_F(DownloadTest, ProgressRoundsHalvesToEvenAndEndsOnTheShortPiece)
{
    server.route("/8k", Answer(200, "OK", Text(Pattern(8192))));
    server.route("/1", Answer(200, "OK", "x"));
    server.route("/1024", Answer(200, "OK", Text(Pattern(1024))));
    server.route("/1025", Answer(200, "OK", Text(Pattern(1025))));

    EXPECT_TRUE(Download("/8k"));
    EXPECT_EQ(events, QStringList({Started, "progress: 12", "progress: 25", "progress: 38", "progress: 50",
                                   "progress: 62", "progress: 75", "progress: 88", "progress: 100", "progress: 100",
                                   "complete"}));
    const std::vector<std::pair<std::string, QStringList>> sizes = {
        {"/1", {Started, "progress: 100", "complete"}},
        {"/1024", {Started, "progress: 100", "progress: 100", "complete"}},
        {"/1025", {Started, "progress: 100", "progress: 100", "complete"}},
    };
    for (const auto& [path, expected] : sizes) {
        SCOPED_TRACE(path);
        events.clear();
        EXPECT_TRUE(Download(path));
        EXPECT_EQ(events, expected);
        EXPECT_EQ(ReadFile(Path()).size(), std::stoi(path.substr(1)));
    }
}

// ---- bodies that do not arrive as announced

TEST_F(DownloadTest, ShortOrStalledBodyIsResetAndTheOldFileSurvives)
{
    HttpResponse shortBody = Answer(200, "OK", Text(Pattern(3000)));
    shortBody.stopAfterBodyBytes = 2000;
    server.route("/short", shortBody);
    HttpResponse stalled = shortBody;
    stalled.stallAtStop = true;
    server.route("/stalled", stalled);

    for (const std::string path : {"/short", "/stalled"}) {
        SCOPED_TRACE(path);
        WriteFile(Path(), OldCatalogue);
        events.clear();
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(Download(path));
        EXPECT_LT(clock.elapsed(), 10000);
        EXPECT_EQ(events.first(), Started);
        EXPECT_EQ(events.last(), QStringLiteral("error: The connection with the server was reset."));
        EXPECT_FALSE(events.contains("complete"));
        EXPECT_EQ(ReadFile(Path()), OldCatalogue);
        EXPECT_EQ(FolderEntries(), QStringList{"kelsor.dll"});
    }
}

TEST_F(DownloadTest, BytesBeyondTheAnnouncedLengthAreNotPartOfTheFile)
{
    HttpResponse longer = Answer(200, "OK", Text(Pattern(1500)));
    longer.headers = {{"Content-Length", "1000"}};
    server.route("/longer", longer);

    EXPECT_TRUE(Download("/longer"));
    EXPECT_EQ(ReadFile(Path()), Pattern(1500).left(1000));
    EXPECT_EQ(events.last(), QStringLiteral("complete"));
}

TEST_F(DownloadTest, BodyWithoutLengthIsReadToItsEndWithoutProgress)
{
    const std::string body = Text(Pattern(3000));
    HttpResponse chunked = Raw("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", Chunked(body, 700));
    server.route("/chunked", chunked);
    server.route("/closed", Raw("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", body));
    HttpResponse broken = chunked;
    broken.stopAfterBodyBytes = 1500;
    server.route("/broken", broken);

    for (const std::string path : {"/chunked", "/closed"}) {
        SCOPED_TRACE(path);
        events.clear();
        EXPECT_TRUE(Download(path));
        EXPECT_EQ(events, QStringList({Started, "complete"}));
        EXPECT_EQ(ReadFile(Path()), QByteArray::fromStdString(body));
    }

    WriteFile(Path(), OldCatalogue);
    events.clear();
    EXPECT_FALSE(Download("/broken"));
    EXPECT_EQ(events, QStringList({Started, "error: The connection with the server was reset."}));
    EXPECT_EQ(ReadFile(Path()), OldCatalogue);
    EXPECT_EQ(FolderEntries(), QStringList{"kelsor.dll"});
}

// ---- servers that do not answer

TEST_F(DownloadTest, SilentClosedOrUnreachableServersEndInAnErrorWithinTheTimeout)
{
    HttpResponse silent;
    silent.sayNothing = true;
    server.route("/silent", silent);
    HttpResponse closing;
    closing.closeWithoutAnswer = true;
    server.route("/closing", closing);
    WriteFile(Path(), OldCatalogue);

    const QStringList urls = {QString::fromStdString(server.url("/silent")), QString::fromStdString(server.url("/closing")),
                              QStringLiteral("http://127.0.0.1:1/kelsor.dll"), QStringLiteral("http://bad host/kelsor.dll"),
                              QStringLiteral("ftp://127.0.0.1/kelsor.dll")};
    for (const QString& url : urls) {
        SCOPED_TRACE(url.toStdString());
        events.clear();
        QElapsedTimer clock;
        clock.start();
        EXPECT_TRUE(downloader.DownloadFile(url, Destination()));
        EXPECT_LT(clock.elapsed(), 8000);
        ASSERT_EQ(events.size(), 2);
        EXPECT_TRUE(events[1].startsWith("error: Error: ") && events[1].endsWith(" occurred.")) << events[1].toStdString();
        EXPECT_EQ(ReadFile(Path()), OldCatalogue);
    }
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
    EXPECT_TRUE(Download("/silent"));
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(events, QStringList{Started});
    EXPECT_EQ(ReadFile(Path()), OldCatalogue);
}

TEST_F(DownloadTest, CancelDuringTheTransferOrAStallDiscardsThePartAndSaysNothing)
{
    server.route("/big", Answer(200, "OK", Text(Pattern(100 * 1024))));
    HttpResponse stalled = Answer(200, "OK", Text(Pattern(5000)));
    stalled.stopAfterBodyBytes = 3000;
    stalled.stallAtStop = true;
    server.route("/stalled", stalled);
    host::HttpTransfer::SetDefaultTimeouts({std::chrono::seconds(30), std::chrono::seconds(30)});

    // Arrives in the message processing after the first piece.
    QObject::connect(&downloader, &download::FileDownloader::DownloadProgress, &downloader,
                     [this] { QTimer::singleShot(0, &downloader, [this] { downloader.Cancel(); }); },
                     Qt::SingleShotConnection);
    WriteFile(Path(), OldCatalogue);
    EXPECT_FALSE(Download("/big"));
    EXPECT_EQ(events, QStringList({Started, "progress: 1"}));
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
    server.route("/big", Answer(200, "OK", Text(Pattern(200 * 1024))));
    auto* doomed = new download::FileDownloader(nullptr, design);
    int progress = 0;
    QObject::connect(doomed, &download::FileDownloader::DownloadProgress, [&] {
        if (++progress == 3)
            QTimer::singleShot(0, [doomed] { delete doomed; });
    });
    WriteFile(Path(), OldCatalogue);
    EXPECT_FALSE(doomed->DownloadFile(QString::fromStdString(server.url("/big")), Destination()));
    EXPECT_EQ(progress, 3);
    EXPECT_EQ(ReadFile(Path()), OldCatalogue);
    EXPECT_EQ(FolderEntries(), QStringList{"kelsor.dll"});
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

TEST(DownloadText, LengthTextAndPercent)
{
    using download::detail::LengthFromText;
    EXPECT_EQ(LengthFromText(""), 0);
    EXPECT_EQ(LengthFromText("abc"), 0);
    EXPECT_EQ(LengthFromText(" 3 000 bytes"), 3000);
    EXPECT_EQ(LengthFromText("12.5"), 12);
    EXPECT_EQ(LengthFromText("13.5"), 14);
    EXPECT_EQ(LengthFromText("2147483647"), 2147483647);
    EXPECT_THROW(LengthFromText("2147483648"), host::RuntimeError);
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
