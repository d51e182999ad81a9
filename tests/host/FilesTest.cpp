#include "host/os/FileSystem.h"
#include "host/os/LineInput.h"
#include "host/forms/MediaPlayer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <optional>
#include <string>
#include <utility>

namespace {

QStringList readLines(const QString& path)
{
    host::LineInput input(path);
    QStringList lines;
    QByteArrayView line;
    while (input.ReadLine(line))
        lines << QString::fromLatin1(line);
    EXPECT_FALSE(input.Failed());
    return lines;
}

} // namespace

TEST(LineInput, CrLfSplitAcrossReadBlocksIsOneLineEnd)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lines"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray first(64 * 1024 - 1, 'a'); // its CR is the block's last byte
    file.write(first + "\r\nsecond\r\rfourth\n");
    file.close();
    const QStringList lines = readLines(path);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0].size(), first.size());
    EXPECT_EQ(lines.mid(1), (QStringList{"second", "", "fourth"}));
}

TEST(LineInput, AnUnopenableFileReadsAsEmpty)
{
    QTemporaryDir dir;
    host::LineInput input(dir.filePath(QStringLiteral("absent")));
    QByteArrayView line;
    EXPECT_FALSE(input.IsOpen());
    EXPECT_FALSE(input.ReadLine(line));
}

// Plain Latin-1 lines take a fast path; a Windows-only code anywhere in a line must not slip
// past the check that sends the line the slow way.
TEST(DecodeAnsi, WindowsCodesAreFoundAtEveryPlaceInALine)
{
    const std::pair<char, char16_t> windowsOnly[] = {{'\x80', u'\u20AC'}, {'\x85', u'\u2026'}, {'\x8A', u'\u0160'},
                                                     {'\x99', u'\u2122'}, {'\x9F', u'\u0178'}};
    for (const auto& [code, expected] : windowsOnly) {
        for (int at = 0; at < 17; ++at) {
            QByteArray line(17, '\xE9'); // é: high bit set, yet the same in both code pages
            line[at] = code;
            const QString text = host::DecodeAnsi(line);
            ASSERT_EQ(text.size(), 17);
            EXPECT_EQ(text[at], QChar(expected)) << "code " << int(static_cast<unsigned char>(code)) << " at " << at;
            EXPECT_EQ(text[(at + 1) % 17], QChar(0xE9));
        }
    }
    EXPECT_EQ(host::DecodeAnsi("\x7F\xA0\xFF plain"), QString::fromUtf8("\u007F\u00A0\u00FF plain"));
    EXPECT_TRUE(host::DecodeAnsi({}).isEmpty());
}

TEST(FileSystem, BothSeparatorsReachTheFile)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("kelsor.dll")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_TRUE(host::FindNormalFile(dir.path() + QStringLiteral("\\kelsor.dll")));
    EXPECT_TRUE(host::FindNormalFile(dir.path() + QStringLiteral("/kelsor.dll")));
    EXPECT_FALSE(host::FindNormalFile(dir.path()));
}

namespace {

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

// The replacement of a file: a new file under a free name, locked while it is written, then
// renamed over the old one.
TEST(FileSystem, LockedFileIsCreatedOnlyUnderAFreeNameAndKeptFromCleanUpWhileOpen)
{
    QTemporaryDir dir;
    const QString taken = dir.filePath(QStringLiteral("taken"));
    QFile existing(taken);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("old");
    existing.close();
    EXPECT_FALSE(host::LockedFile::CreateNew(taken).has_value());
    EXPECT_EQ(contentOf(taken), QByteArray("old")) << "a taken name is left as it was";

    const QString part = dir.filePath(QStringLiteral("part"));
    std::optional<host::LockedFile> created = host::LockedFile::CreateNew(part);
    ASSERT_TRUE(created.has_value());
    host::LockedFile file = std::move(*created);
    created.reset(); // the moved-from file must not close the one that was moved
    file.Write("new body", 8);
    file.SyncData();
    host::RemoveIfUnlocked(part);
    EXPECT_TRUE(QFile::exists(part)) << "a file still being written is not abandoned";

    file.Close();
    EXPECT_EQ(contentOf(part), QByteArray("new body"));
    try {
        file.Write("x", 1);
        ADD_FAILURE() << "a closed file took a write";
    } catch (const host::RuntimeError& error) {
        EXPECT_EQ(error.Number(), EBADF);
    }
    host::RemoveIfUnlocked(part);
    EXPECT_FALSE(QFile::exists(part)) << "a file nobody holds is abandoned";
}

TEST(FileSystem, RenameOverReplacesTheFileAndFailuresCarryTheSystemsNumberAndText)
{
    QTemporaryDir dir;
    const QString from = dir.filePath(QStringLiteral("new")), to = dir.filePath(QStringLiteral("old"));
    for (const auto& [path, text] : {std::pair{from, "new"}, std::pair{to, "old"}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const host::PathStatus status = host::StatusOf(to);
    EXPECT_TRUE(status.exists);
    EXPECT_FALSE(status.isFolder);
    EXPECT_EQ(status.permissions, 0640u);
    EXPECT_TRUE(host::StatusOf(dir.path()).isFolder);
    EXPECT_FALSE(host::StatusOf(dir.filePath(QStringLiteral("absent"))).exists);

    host::RenameOver(from, to);
    EXPECT_EQ(contentOf(to), QByteArray("new"));
    EXPECT_FALSE(QFile::exists(from));

    const auto failureOf = [](auto&& step) -> std::pair<int, std::string> {
        try {
            step();
        } catch (const host::RuntimeError& error) {
            return {error.Number(), error.Description()};
        }
        return {0, "no failure"};
    };
    EXPECT_EQ(failureOf([&] { host::RenameOver(from, to); }), (std::pair<int, std::string>{ENOENT, "No such file or directory"}));
    EXPECT_EQ(contentOf(to), QByteArray("new")) << "a failed rename leaves the target alone";

    const QString folder = dir.filePath(QStringLiteral("folder"));
    host::CreateFolder(folder);
    EXPECT_TRUE(QDir(folder).exists());
    EXPECT_EQ(failureOf([&] { host::CreateFolder(folder); }).first, EEXIST);
    EXPECT_EQ(failureOf([&] { host::CreateFolder(dir.filePath(QStringLiteral("missing/child"))); }).first, ENOENT)
        << "one level only";
}

TEST(MediaPlayer, AddressesWithoutSchemeArePathsFromTheProgramFolder)
{
    using host::MediaPlayer;
    const QString folder = QStringLiteral("/opt/vanu pelro");
    EXPECT_EQ(MediaPlayer::ResolveAddress("http://h/a.mp3", folder), QStringLiteral("http://h/a.mp3"));
    EXPECT_EQ(MediaPlayer::ResolveAddress("https://h/a b.mp3", folder), QStringLiteral("https://h/a b.mp3"));
    EXPECT_EQ(MediaPlayer::ResolveAddress("media/x.ogg", folder),
              QStringLiteral("file:///opt/vanu%20pelro/media/x.ogg"));
    EXPECT_EQ(MediaPlayer::ResolveAddress("media\\x.ogg", folder),
              QStringLiteral("file:///opt/vanu%20pelro/media/x.ogg"));
    EXPECT_EQ(MediaPlayer::ResolveAddress("/srv/y.ogg", folder), QStringLiteral("file:///srv/y.ogg"));
    EXPECT_EQ(MediaPlayer::ResolveAddress("../y.ogg", folder), QStringLiteral("file:///opt/y.ogg"));
    EXPECT_EQ(MediaPlayer::ResolveAddress("", folder), QString());
}
