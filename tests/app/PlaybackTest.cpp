#include "AppFixture.h"

#include "app/Forms.h"
#include "app/frmMain.h"

#include "button/PelroButton.h"
#include "host/forms/Controls.h"
#include "host/forms/MediaPlayer.h"

#include <QTest>
#include <QUrl>

namespace {

class MainWindowTest : public AppTest {
protected:
    void Open(const QByteArray& catalogue)
    {
        WriteCatalogue(catalogue);
        forms.ShowMain();
        main = forms.Main();
        ASSERT_EQ(platform.engines.size(), 1u);
        engine = platform.engines.front();
    }

    void DoubleClickRow(int row)
    {
        main->rLista->setListIndex(row);
        const QRect item = main->rLista->visualRect(main->rLista->model()->index(row, 0));
        QTest::mouseDClick(main->rLista->viewport(), Qt::LeftButton, {}, item.center());
    }

    void DoubleClickEmptyArea()
    {
        QWidget* viewport = main->rLista->viewport();
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(viewport->width() / 2, viewport->height() - 3));
    }

    QString FileUri(const QString& relative) const
    {
        return QUrl::fromLocalFile(folder.filePath(relative)).toString(QUrl::FullyEncoded);
    }

    app::Forms forms;
    app::frmMain* main = nullptr;
    testsupport::RecordingEngine* engine = nullptr;
};

const QByteArray Catalogue = "\r\n"
                             "First==>http://127.0.0.1/first.ogg\r\n"
                             "   \r\n"
                             "==>http://127.0.0.1/skipped.ogg\r\n"
                             "Second==>http://127.0.0.1/second.mp3\r\n"
                             "Nothing to play==>\r\n"
                             "Local==>media/welcome.ogg\r\n";

} // namespace

TEST_F(MainWindowTest, DoubleClickPlaysTheAddressAtThatIndexAfterSkippedRecords)
{
    Open(Catalogue);
    ASSERT_EQ(main->rLista->ListCount(), 4);
    EXPECT_EQ(main->Catalogue().rowCount(), 4);

    DoubleClickRow(1);
    EXPECT_EQ(engine->calls, (QStringList{"close", "open http://127.0.0.1/second.mp3"}));
    EXPECT_EQ(main->wmpr->URL(), QStringLiteral("http://127.0.0.1/second.mp3"));

    engine->calls.clear();
    DoubleClickRow(0);
    EXPECT_EQ(engine->calls, (QStringList{"close", "open http://127.0.0.1/first.ogg"}));

    engine->calls.clear();
    DoubleClickRow(3);
    EXPECT_EQ(engine->calls, (QStringList{"close", "open " + FileUri("media/welcome.ogg")}))
        << "a relative path is played from the program folder";
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MainWindowTest, EnterOnTheListPlaysLikeADoubleClick)
{
    Open(Catalogue);
    main->rLista->setListIndex(1);
    QTest::keyClick(main->rLista, Qt::Key_Return);
    EXPECT_EQ(engine->calls, (QStringList{"close", "open http://127.0.0.1/second.mp3"}));
}

TEST_F(MainWindowTest, EmptyAddressStopsAndPlaysNothingSilently)
{
    Open(Catalogue);
    DoubleClickRow(2);
    EXPECT_FALSE(engine->calls.filter("open").size());
    EXPECT_TRUE(platform.messages.empty());
}

// No title under the pointer: there is nothing to play and nothing wrong with the connection.
TEST_F(MainWindowTest, DoubleClickWithNoTitleUnderItDoesNothing)
{
    Open(Catalogue);
    DoubleClickEmptyArea();
    ASSERT_EQ(main->rLista->ListIndex(), -1);
    QTest::keyClick(main->rLista, Qt::Key_Return);
    EXPECT_TRUE(engine->calls.isEmpty());
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MainWindowTest, PlayingWithNothingSelectedStillSaysCheckConnection)
{
    Open(Catalogue);
    main->rLista->setListIndex(1);
    main->rLista->setListIndex(-1);
    main->PlaySelected();
    EXPECT_EQ(engine->calls, QStringList{"close"});
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, QStringLiteral("Check Internet Connection."));
    EXPECT_EQ(platform.messages[0].icon, host::MessageIcon::Information);
    EXPECT_EQ(platform.messages[0].caption, QStringLiteral("Vanu Pelro"));
}

TEST_F(MainWindowTest, MissingCatalogueSaysSoInTheListAndDoubleClickDoesNothing)
{
    forms.ShowMain();
    main = forms.Main();
    EXPECT_EQ(main->rLista->ListCount(), 0);
    EXPECT_EQ(main->Catalogue().rowCount(), 0);
    EXPECT_EQ(main->rLista->Placeholder(), QStringLiteral("The catalogue is missing. Update fetches it."));
    DoubleClickEmptyArea();
    EXPECT_TRUE(platform.engines.front()->calls.isEmpty());
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MainWindowTest, StopClosesTheMediaAndSaysNothing)
{
    Open(Catalogue);
    QTest::mouseClick(main->bbStop, Qt::LeftButton);
    EXPECT_EQ(engine->calls, QStringList{"close"});
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MainWindowTest, ControlsSitWhereTheWindowWasDesigned)
{
    Open(Catalogue);
    EXPECT_EQ(main->size(), QSize(394, 429));
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Vanu Pelro Ismet Online"));
    EXPECT_EQ(main->bbStop->geometry(), QRect(216, 280, 97, 20));
    EXPECT_EQ(main->bbUpdate->geometry(), QRect(72, 280, 105, 20));
    EXPECT_EQ(main->rLista->geometry(), QRect(24, 80, 345, 189));
    EXPECT_EQ(main->wmpr->geometry(), QRect(24, 56, 344, 69));
    EXPECT_EQ(main->Image1->geometry(), QRect(368, 0, 33, 33));
    EXPECT_EQ(main->Image2->geometry(), QRect(0, 304, 225, 121));
    EXPECT_EQ(main->Image3->geometry(), QRect(-16, -8, 654, 437));
    EXPECT_EQ(main->Image1->toolTip(), QStringLiteral("Close"));
    EXPECT_EQ(main->Label1->text(), QStringLiteral("X"));
    EXPECT_EQ(main->bbUpdate->Caption(), QStringLiteral("Update"));
    EXPECT_EQ(main->Text->Text(), QStringLiteral("http://www.vanupelro.net/vanupelrolive/kelsor.dll"));

    // The list hides the lower part of the player strip, the close hot spot covers the X.
    EXPECT_EQ(main->childAt(QPoint(100, 100)), main->rLista->viewport());
    EXPECT_EQ(main->childAt(QPoint(100, 60)), main->wmpr);
    EXPECT_EQ(main->childAt(QPoint(384, 20)), main->Image1);
    EXPECT_EQ(main->childAt(QPoint(20, 380)), main->Image2);
}

TEST_F(MainWindowTest, PlayerStripSaysWhatThePlayerDoes)
{
    Open(Catalogue);
    EXPECT_EQ(main->wmpr->StatusText(), QStringLiteral("Stopped"));
    engine->Report(host::PlaybackState::Buffering, 45);
    EXPECT_EQ(main->wmpr->StatusText(), QStringLiteral("Buffering 45%"));
    engine->position = 75'000;
    engine->Report(host::PlaybackState::Playing);
    EXPECT_EQ(main->wmpr->StatusText(), QStringLiteral("Playing  1:15"));
    engine->Report(host::PlaybackState::Failed, 0, QStringLiteral("not found"));
    EXPECT_EQ(main->wmpr->StatusText(), QStringLiteral("Cannot play: not found"));
    EXPECT_TRUE(platform.messages.empty()) << "the player never opens a dialog";
}
