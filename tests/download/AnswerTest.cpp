// One test per file in answers/: the server sends the file's bytes, and the control must raise
// exactly the events it lists, return its result and leave the destination as it says.

#include "AnswerFile.h"
#include "DownloadFixture.h"

#include <QDirIterator>

#include <algorithm>
#include <string>

using testsupport::AnswerFile;
using testsupport::HttpResponse;

namespace {

const QByteArray OldCatalogue = "Old title==>http://old.example/a.ogg\r\n";

std::vector<std::string> AnswerNames()
{
    std::vector<std::string> names;
    QDirIterator files(QStringLiteral(VANUPELRO_ANSWERS_DIR), {QStringLiteral("*.answer")}, QDir::Files);
    while (files.hasNext())
        names.push_back(QFileInfo(files.next()).completeBaseName().toStdString());
    std::sort(names.begin(), names.end());
    return names;
}

HttpResponse ResponseFor(const AnswerFile& file)
{
    HttpResponse response;
    response.rawHead = file.answer.toStdString();
    for (const QString& option : file.server) {
        const QStringList words = option.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.value(0) == QLatin1String("stall"))
            response.stallAtStop = true;
        else if (words.value(0) == QLatin1String("drip"))
            response.dripHeadLines = std::chrono::milliseconds(words.value(1).toInt());
        else if (words.value(0) == QLatin1String("say-nothing"))
            response.sayNothing = true;
        else if (words.value(0) == QLatin1String("close-without-answer"))
            response.closeWithoutAnswer = true;
        else
            ADD_FAILURE() << "unknown server option " << option.toStdString();
    }
    return response;
}

class ServerAnswer : public DownloadTest, public ::testing::WithParamInterface<std::string> {};

} // namespace

TEST_P(ServerAnswer, EventsResultAndFileAreAsListed)
{
    const AnswerFile file =
        AnswerFile::Read(QStringLiteral(VANUPELRO_ANSWERS_DIR "/") + QString::fromStdString(GetParam()) + ".answer");
    server.route("/kelsor.dll", ResponseFor(file));
    const QString base = QString::fromStdString(server.url(""));
    const QString url = file.address.isEmpty() ? base + QStringLiteral("/kelsor.dll")
                                               : QString(file.address).replace(QStringLiteral("{server}"), base);
    WriteFile(Path(), OldCatalogue);

    const bool result = downloader.DownloadFile(url, Destination());

    QStringList expected;
    for (QString line : file.events)
        expected << line.replace(QStringLiteral("{url}"), url);
    EXPECT_TRUE(AnswerFile::EventsMatch(expected, events))
        << "expected:\n  " << expected.join("\n  ").replace('\r', "\\r").toStdString() << "\nraised:\n  "
        << events.join("\n  ").replace('\r', "\\r").toStdString();
    EXPECT_EQ(result, file.result);
    EXPECT_EQ(ReadFile(Path()), file.fileKept ? OldCatalogue : file.file);
    if (file.fileKept) {
        EXPECT_EQ(FolderEntries(), QStringList{"kelsor.dll"});
    }
    const std::vector<std::string> heads = server.requestHeads();
    for (const QString& text : file.request) {
        ASSERT_EQ(heads.size(), 1u);
        const bool wanted = !text.startsWith(QLatin1Char('!'));
        const QString needle = AnswerFile::Unescaped(wanted ? text : text.mid(1));
        EXPECT_EQ(QString::fromStdString(heads.front()).contains(needle), wanted) << needle.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, ServerAnswer, ::testing::ValuesIn(AnswerNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                             return name;
                         });

TEST(AnswerFile, EventsMatchWithGaps)
{
    EXPECT_TRUE(AnswerFile::EventsMatch({"a", "...", "d"}, {"a", "b", "c", "d"}));
    EXPECT_TRUE(AnswerFile::EventsMatch({"a", "...", "d"}, {"a", "d"}));
    EXPECT_FALSE(AnswerFile::EventsMatch({"a", "...", "d"}, {"a", "b", "c"}));
    EXPECT_FALSE(AnswerFile::EventsMatch({"a", "b"}, {"a", "b", "c"}));
}
