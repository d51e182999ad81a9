// The player strip, its keys and menu, remembered places, volume and the sleep timer, with
// a recording engine in place of GStreamer.

#include "AppFixture.h"

#include "app/Forms.h"
#include "app/Listening.h"
#include "app/frmMain.h"

#include "button/PelroButton.h"
#include "host/forms/Controls.h"
#include "host/forms/MediaPlayer.h"

#include <QMenu>
#include <QTest>

#include <memory>

namespace {

const QString Url = QStringLiteral("http://127.0.0.1/black-beauty-1.ogg");
const QByteArray Catalogue = "Black Beauty, chapter 1==>http://127.0.0.1/black-beauty-1.ogg\r\n"
                             "A poem==>http://127.0.0.1/poem.mp3\r\n";
constexpr qint64 Chapter = 45 * 60'000 + 10'000; // 45:10

class ListeningTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        WriteCatalogue(Catalogue);
        Start();
    }

    // A fresh run of the program on the same files.
    void Start()
    {
        forms = std::make_unique<app::Forms>();
        forms->ShowMain();
        main = forms->Main();
        engine = platform.engines.back();
        player = main->wmpr;
    }
    void Restart()
    {
        forms.reset();
        DestroyUnloadedWindows();
        Start();
    }

    // Plays the chapter and lets it reach position ms of its 45:10.
    void PlayChapterTo(qint64 ms, bool seekable = true)
    {
        main->rLista->setListIndex(0);
        main->PlaySelected();
        engine->position = ms;
        engine->ReportMedia(Chapter, seekable);
        engine->Report(host::PlaybackState::Playing);
        engine->calls.clear();
    }

    void Key(int key, QWidget* on = nullptr) { QTest::keyClick(on ? on : main->rLista, Qt::Key(key)); }

    QAction* Find(QMenu& menu, const QString& text)
    {
        for (QAction* action : menu.findChildren<QAction*>())
            if (action->text() == text)
                return action;
        ADD_FAILURE() << "no menu entry " << text.toStdString();
        return nullptr;
    }
    void Choose(const QString& text)
    {
        std::unique_ptr<QMenu> menu = main->findChild<app::Listening*>()->MakeMenu();
        if (QAction* action = Find(*menu, text))
            action->trigger();
    }

    std::unique_ptr<app::Forms> forms;
    app::frmMain* main = nullptr;
    host::MediaPlayer* player = nullptr;
    testsupport::RecordingEngine* engine = nullptr;
};

} // namespace

TEST_F(ListeningTest, StripNamesTheTitleWithPositionAndDurationInEveryState)
{
    PlayChapterTo(12 * 60'000 + 34'000);
    EXPECT_EQ(player->StatusText(), QStringLiteral("Black Beauty, chapter 1 — 12:34 / 45:10"));
    engine->Report(host::PlaybackState::Paused);
    EXPECT_EQ(player->StatusText(), QStringLiteral("Paused — Black Beauty, chapter 1 — 12:34 / 45:10"));
    engine->Report(host::PlaybackState::Reconnecting);
    EXPECT_EQ(player->StatusText(), QStringLiteral("Reconnecting… — Black Beauty, chapter 1 — 12:34 / 45:10"));
    engine->Report(host::PlaybackState::Buffering, 45);
    EXPECT_EQ(player->StatusText(), QStringLiteral("Buffering 45% — Black Beauty, chapter 1"));
    engine->Report(host::PlaybackState::Failed, 0, QStringLiteral("not found"));
    EXPECT_EQ(player->StatusText(), QStringLiteral("Cannot play: not found"));
}

TEST_F(ListeningTest, KeysOnTheListPauseResumeAndSeek)
{
    Key(Qt::Key_Space);
    EXPECT_TRUE(engine->calls.isEmpty()) << "nothing open: Space is the list's";

    PlayChapterTo(100'000);
    Key(Qt::Key_Space);
    engine->Report(host::PlaybackState::Paused);
    Key(Qt::Key_Space);
    Key(Qt::Key_Left);
    Key(Qt::Key_Right);
    Key(Qt::Key_Home);
    EXPECT_EQ(engine->calls, (QStringList{"pause", "resume", "seek 85000", "seek 130000", "seek 0"}));
    EXPECT_EQ(main->rLista->ListIndex(), 0) << "Home went to the recording's start, not the list's";

    // Near either end a step stops at the edge.
    engine->calls.clear();
    engine->position = 5'000;
    Key(Qt::Key_Left);
    engine->position = Chapter - 10'000;
    Key(Qt::Key_Right);
    EXPECT_EQ(engine->calls, (QStringList{"seek 0", QStringLiteral("seek %1").arg(Chapter - 1000)}));
}

TEST_F(ListeningTest, AStreamThatCannotSeekSaysSoAndStaysPut)
{
    PlayChapterTo(100'000, false);
    Key(Qt::Key_Right);
    Key(Qt::Key_Home);
    QTest::mouseClick(player, Qt::LeftButton, {}, QPoint(player->width() / 2, 22));
    EXPECT_TRUE(engine->calls.isEmpty());
    EXPECT_EQ(player->Notice(), QStringLiteral("This stream cannot seek"));
    std::unique_ptr<QMenu> menu = main->findChild<app::Listening*>()->MakeMenu();
    EXPECT_FALSE(Find(*menu, QStringLiteral("Forward 30 seconds"))->isEnabled());
}

TEST_F(ListeningTest, TheMarkPausesAndTheProgressLineSeeks)
{
    PlayChapterTo(100'000);
    QTest::mouseClick(player, Qt::LeftButton, {}, QPoint(10, 10));
    // Half-way along the line: the line runs from x 8 over width - 16 pixels.
    const int middle = 8 + (player->width() - 16) / 2;
    QTest::mousePress(player, Qt::LeftButton, {}, QPoint(20, 22));
    QTest::mouseMove(player, QPoint(middle, 22));
    QTest::mouseRelease(player, Qt::LeftButton, {}, QPoint(middle, 22));
    ASSERT_EQ(engine->calls.size(), 2);
    EXPECT_EQ(engine->calls[0], QStringLiteral("pause"));
    const qint64 target = engine->calls[1].mid(5).toLongLong();
    EXPECT_NEAR(double(target), Chapter / 2.0, Chapter / 100.0);
}

TEST_F(ListeningTest, ThePlaceIsKeptAcrossStopAnotherTitleAndARestart)
{
    PlayChapterTo(10 * 60'000);
    QTest::mouseClick(main->bbStop, Qt::LeftButton);
    engine->Report(host::PlaybackState::Stopped);

    main->rLista->setListIndex(1);
    main->PlaySelected(); // another title between
    engine->Report(host::PlaybackState::Playing);

    Restart();
    main->rLista->setListIndex(0);
    main->PlaySelected();
    EXPECT_EQ(engine->calls, (QStringList{"close", "open " + Url + " at 595000"})) << "a few seconds before the place";
    engine->ReportSeeked(595'000);
    EXPECT_EQ(player->Notice(), QStringLiteral("Resuming at 9:55"));

    // Over from the start, on request.
    engine->Report(host::PlaybackState::Playing);
    engine->calls.clear();
    Choose(QStringLiteral("Play from the start"));
    EXPECT_EQ(engine->calls, (QStringList{"close", "open " + Url}));
}

TEST_F(ListeningTest, ShortListeningAndTitlesHeardToTheEndStartFromTheBeginning)
{
    PlayChapterTo(20'000);
    main->PlaySelected();
    EXPECT_EQ(engine->calls, (QStringList{"close", "open " + Url})) << "20 s heard is not a place to keep";

    PlayChapterTo(30 * 60'000);
    engine->Report(host::PlaybackState::Finished);
    engine->calls.clear();
    main->PlaySelected();
    EXPECT_EQ(engine->calls, (QStringList{"close", "open " + Url}));
}

TEST_F(ListeningTest, VolumeIsRememberedBetweenRunsAndSpeedWithinOne)
{
    EXPECT_DOUBLE_EQ(engine->volume, 0.5);
    Key(Qt::Key_Plus);
    Key(Qt::Key_Plus);
    EXPECT_DOUBLE_EQ(engine->volume, 0.6);
    EXPECT_EQ(player->Notice(), QStringLiteral("Volume 60%"));
    Choose(QStringLiteral("1.5×"));
    EXPECT_DOUBLE_EQ(engine->rate, 1.5);

    Restart();
    EXPECT_DOUBLE_EQ(engine->volume, 0.6);
    EXPECT_DOUBLE_EQ(player->Rate(), 1.0);
}

TEST_F(ListeningTest, SleepTimerFadesOutThenPausesAndShowsTimeLeft)
{
    PlayChapterTo(60'000);
    Choose(QStringLiteral("15 minutes"));
    EXPECT_EQ(player->SideNote(), QStringLiteral("sleep 15:00"));
    clock.Advance(60'000);
    EXPECT_EQ(player->SideNote(), QStringLiteral("sleep 14:00"));
    EXPECT_TRUE(engine->calls.isEmpty());

    clock.Advance(14 * 60'000 - 5'000); // 5 s left: half-way through the fade
    EXPECT_GT(engine->volume, 0.0);
    EXPECT_LT(engine->volume, 0.5);
    clock.Advance(6'000);
    EXPECT_EQ(engine->calls, QStringList{"pause"});
    EXPECT_DOUBLE_EQ(engine->volume, 0.5) << "the next listening starts at the listener's volume";
    EXPECT_EQ(player->SideNote(), QString());
}
