#include "app/AppFixture.h"

#include "support/LocalHttpServer.h"

#include "app/Forms.h"
#include "app/Module1.h"
#include "app/frmMain.h"
#include "button/PelroButton.h"
#include "download/FileDownloader.h"
#include "host/forms/Controls.h"
#include "host/net/HttpTransfer.h"
#include "host/forms/MediaPlayer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

using app::Module1::FileNameFromUrl;
using testsupport::HttpResponse;

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

const QByteArray OldCatalogue = "Second==>http://127.0.0.1/second.ogg\r\nOld title==>http://old.example/a.ogg\r\n";
const QByteArray NewCatalogue = "First==>http://127.0.0.1/first.ogg\r\nSecond==>http://127.0.0.1/second.ogg\r\n";

class CatalogueUpdateTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        WriteCatalogue(OldCatalogue);
        HttpResponse catalogue;
        catalogue.body = NewCatalogue.toStdString();
        server.route("/vanupelrolive/kelsor.dll", catalogue);
        forms.ShowMain();
        main = forms.Main();
        ASSERT_NE(main, nullptr);
    }

    void Click() { emit main->bbUpdate->Click(); }
    QString Caption() const { return main->bbUpdate->Caption(); }
    void SetUrl(const std::string& path) { main->Text->setText(QString::fromStdString(server.url(path))); }
    QByteArray Catalogue() const
    {
        QFile file(folder.filePath(QStringLiteral("kelsor.dll")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QStringList Messages() const
    {
        QStringList texts;
        for (const host::MessageBoxRequest& box : platform.messages)
            texts << box.caption + QStringLiteral(": ") + box.text;
        return texts;
    }

    testsupport::LocalHttpServer server;
    app::Forms forms;
    QPointer<app::frmMain> main;
};

} // namespace

TEST_F(CatalogueUpdateTest, FirstClickArmsTheNextDownloadsAndSuccessIsAnnounced)
{
    EXPECT_EQ(main->Text->Text(), QStringLiteral("http://www.vanupelro.net/vanupelrolive/kelsor.dll"));
    EXPECT_EQ(Caption(), QStringLiteral("Update"));
    Click();
    EXPECT_EQ(Caption(), QStringLiteral("Download"));
    EXPECT_TRUE(main->Text->isEnabled());
    EXPECT_TRUE(platform.messages.empty());

    SetUrl("/vanupelrolive/kelsor.dll");
    QStringList duringDownload;
    QObject::connect(main->FileDownloader, &download::FileDownloader::DownloadEvents, main, [&] {
        duringDownload << Caption() << (main->Text->isEnabled() ? "enabled" : "disabled");
    });
    QString strip;
    QObject::connect(main->FileDownloader, &download::FileDownloader::DownloadProgress, main,
                     [&] { strip = main->wmpr->Activity(); });
    Click();

    EXPECT_EQ(duringDownload, QStringList({"Cancel", "disabled"}));
    EXPECT_EQ(strip, QStringLiteral("Updating catalogue 100%"));
    EXPECT_EQ(main->wmpr->Activity(), QString()) << "the strip is the player's again";
    EXPECT_EQ(Messages(), QStringList{"Success: Download complete"});
    EXPECT_EQ(platform.messages.front().icon, host::MessageIcon::Information);
    EXPECT_EQ(Caption(), QStringLiteral("Check Update"));
    EXPECT_TRUE(main->Text->isEnabled());
    EXPECT_EQ(Catalogue(), NewCatalogue);
    EXPECT_EQ(main->rLista->ListCount(), 2) << "the new catalogue shows at once";
    EXPECT_EQ(main->rLista->List(1), QStringLiteral("Second"));
    EXPECT_EQ(main->Catalogue().Address(1), QStringLiteral("http://127.0.0.1/second.ogg"));

    Click();
    EXPECT_EQ(Caption(), QStringLiteral("Download"));
    EXPECT_EQ(platform.messages.size(), 1u);
}

TEST_F(CatalogueUpdateTest, TheSelectedTitleStaysSelectedWhereTheNewCatalogueListsIt)
{
    main->rLista->setListIndex(0);
    SetUrl("/vanupelrolive/kelsor.dll");
    Click();
    Click();
    EXPECT_EQ(main->rLista->ListIndex(), 1);
    EXPECT_EQ(main->rLista->List(main->rLista->ListIndex()), QStringLiteral("Second"));
}

TEST_F(CatalogueUpdateTest, AnUnchangedCatalogueIsUpToDateAndNothingIsWritten)
{
    HttpResponse tagged;
    tagged.body = NewCatalogue.toStdString();
    tagged.headers = {{"ETag", "\"v1\""}};
    server.route("/vanupelrolive/kelsor.dll", tagged);
    SetUrl("/vanupelrolive/kelsor.dll");
    Click();
    Click();
    ASSERT_EQ(Catalogue(), NewCatalogue);

    HttpResponse unchanged;
    unchanged.status = 304;
    unchanged.reason = "Not Modified";
    server.route("/vanupelrolive/kelsor.dll", unchanged);
    Click(); // "Check Update" arms again
    Click();
    EXPECT_NE(server.requestHeads().back().find("If-None-Match: \"v1\""), std::string::npos);
    EXPECT_EQ(Messages(), (QStringList{"Success: Download complete", "Success: The catalogue is up to date."}));
    EXPECT_EQ(Caption(), QStringLiteral("Check Update"));
    EXPECT_TRUE(main->Text->isEnabled());
    EXPECT_EQ(Catalogue(), NewCatalogue);
}

TEST_F(CatalogueUpdateTest, BlankAddressDoesNothingAndAnErrorRearmsTheButton)
{
    Click();
    main->Text->setText(QStringLiteral("    "));
    Click();
    EXPECT_EQ(Caption(), QStringLiteral("Download"));
    EXPECT_TRUE(main->Text->isEnabled());
    EXPECT_TRUE(platform.messages.empty());

    SetUrl("/vanupelrolive/missing.dll");
    Click();
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(platform.messages[0].icon, host::MessageIcon::Critical);
    EXPECT_EQ(platform.messages[0].text,
              "The file, \"" + QString::fromStdString(server.url("/vanupelrolive/missing.dll")) + "\" was not found!");
    EXPECT_EQ(Caption(), QStringLiteral("Download"));
    EXPECT_TRUE(main->Text->isEnabled());
    EXPECT_EQ(Catalogue(), OldCatalogue);
}

TEST_F(CatalogueUpdateTest, ClickOnCancelDuringADownloadStopsItQuietly)
{
    HttpResponse stalled;
    stalled.body = std::string(5000, 'x');
    stalled.stopAfterBodyBytes = 2048;
    stalled.stallAtStop = true;
    server.route("/stalled.dll", stalled);
    Click();
    SetUrl("/stalled.dll");
    QTimer::singleShot(300, main, [this] { Click(); });
    QElapsedTimer clock;
    clock.start();
    Click();
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(Caption(), QStringLiteral("Download"));
    EXPECT_TRUE(main->Text->isEnabled());
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(QStringLiteral("stalled.dll"))));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kelsor.dll"});
}

TEST_F(CatalogueUpdateTest, NamesThatLeaveTheProgramFolderAreNeverWritten)
{
    HttpResponse anything;
    anything.body = "payload";
    server.route("/", anything); // where the client takes "/a/.."
    server.route("/a\\..\\..\\escaped.dll", anything);
    const QString outside = QFileInfo(folder.path()).dir().filePath(QStringLiteral("escaped.dll"));
    Click();
    for (const std::string path : {"/a/..", "/a\\..\\..\\escaped.dll"}) {
        SCOPED_TRACE(path);
        platform.messages.clear();
        SetUrl(path);
        Click();
        EXPECT_EQ(Messages(), QStringList{"Error: Cannot write file to disk.\r\rError 21: Is a directory"});
        EXPECT_EQ(Caption(), QStringLiteral("Download"));
    }
    EXPECT_FALSE(QFileInfo::exists(outside));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"kelsor.dll"});
    EXPECT_EQ(Catalogue(), OldCatalogue);
}

TEST_F(CatalogueUpdateTest, ClosingTheWindowEndsARunningDownloadAtOnce)
{
    HttpResponse silent;
    silent.sayNothing = true;
    server.route("/silent.dll", silent);
    Click();
    SetUrl("/silent.dll");
    QTimer::singleShot(200, main, [this] { emit main->Image1->Click(); });
    QElapsedTimer clock;
    clock.start();
    Click();
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(programEnded, 1);
    EXPECT_TRUE(platform.messages.empty());
    DestroyUnloadedWindows();
    EXPECT_TRUE(main.isNull());
    EXPECT_EQ(Catalogue(), OldCatalogue);
}

TEST(FileNameFromUrl, TakesTheLastSegmentWithADotBeforeItsEnd)
{
    EXPECT_EQ(FileNameFromUrl("http://www.vanupelro.net/vanupelrolive/kelsor.dll"), "kelsor.dll");
    EXPECT_EQ(FileNameFromUrl("http://host/dir.d/"), "dir.d/");
    EXPECT_EQ(FileNameFromUrl("http://www.vanupelro.net"), "www.vanupelro.net");
    EXPECT_EQ(FileNameFromUrl("http://host/README"), "");
    EXPECT_EQ(FileNameFromUrl("http://host/name."), "") << "a dot in last place does not count";
    EXPECT_EQ(FileNameFromUrl("http://host/a.b/c"), "") << "the search stops at the last slash";
    EXPECT_EQ(FileNameFromUrl("http://"), "");
    EXPECT_EQ(FileNameFromUrl("HTTP://host/kelsor.dll"), "");
    EXPECT_EQ(FileNameFromUrl("https://host/kelsor.dll"), "");
    EXPECT_EQ(FileNameFromUrl("h"), "");
    EXPECT_EQ(FileNameFromUrl(""), "");
}

TEST(FileNameFromUrl, SixteenBitCountersLimitTheLength)
{
    const QString prefix = QStringLiteral("http://host/");
    const QString name = QStringLiteral("kelsor.dll");
    const QString longest = prefix + QString(32768 - prefix.size() - name.size(), QLatin1Char('a')) + "/" + name;
    ASSERT_EQ(longest.size(), 32769);
    const QString fits = prefix + QString(32768 - prefix.size() - name.size() - 1, QLatin1Char('a')) + "/" + name;
    ASSERT_EQ(fits.size(), 32768);
    EXPECT_EQ(FileNameFromUrl(fits), name);
    EXPECT_EQ(FileNameFromUrl(longest), "");
}

TEST(FileNameFromUrl, PlainNamesOnlyForTheUpdate)
{
    using app::Module1::PlainFileNameFromUrl;
    EXPECT_EQ(PlainFileNameFromUrl("http://host/vanupelrolive/kelsor.dll"), "kelsor.dll");
    EXPECT_EQ(PlainFileNameFromUrl("http://host/dir.d/"), "");
    EXPECT_EQ(PlainFileNameFromUrl("http://host/a/.."), "");
    EXPECT_EQ(PlainFileNameFromUrl("http://host/a\\..\\b.dll"), "");
}
