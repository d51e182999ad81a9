#include "host/FileSystem.h"
#include "host/LineInput.h"
#include "host/MediaPlayer.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

QStringList readLines(const QString& path)
{
    host::LineInput input(path);
    QStringList lines;
    QByteArray line;
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
    QByteArray line;
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
