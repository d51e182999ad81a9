#include "app/AppFixture.h"
#include "support/PrivateBus.h"

#include "app/Forms.h"
#include "app/MediaControls.h"
#include "app/frmMain.h"

#include "host/forms/Controls.h"
#include "mpris/Service.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QTest>
#include <QUrl>

#include <memory>

namespace {

const QString Name = QStringLiteral("org.mpris.MediaPlayer2.vanupelro");
const QString Path = QStringLiteral("/org/mpris/MediaPlayer2");
const QString Root = QStringLiteral("org.mpris.MediaPlayer2");
const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

// PropertiesChanged as the desktop hears it.
class ChangeRecorder : public QObject {
    Q_OBJECT
public:
    QList<QVariantMap> changes;
    QList<qlonglong> seeks;

public slots:
    void onChanged(const QString& interface, const QVariantMap& changed, const QStringList&)
    {
        if (interface == PlayerInterface)
            changes << changed;
    }
    void onSeeked(qlonglong position) { seeks << position; }
};

QVariantMap Unwrap(const QVariant& value) { return qdbus_cast<QVariantMap>(value.value<QDBusArgument>()); }

class MediaControlsTest : public AppTest {
protected:
    // One private bus for the whole suite: starting it is the slow part.
    static void SetUpTestSuite()
    {
        bus = std::make_unique<testsupport::PrivateBus>();
        address = bus->address;
    }
    static void TearDownTestSuite()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("desktop"));
        bus.reset();
    }

    void SetUp() override
    {
        AppTest::SetUp();
        ASSERT_FALSE(address.isEmpty()) << "dbus-daemon did not start";
        platform.sessionBusAddress = address;
    }

    void TearDown() override
    {
        forms.reset();
        AppTest::TearDown();
        // The name is free again before the next test takes it.
        ASSERT_TRUE(QTest::qWaitFor([this] { return !Desktop().interface()->isServiceRegistered(Name).value(); }));
    }

    void Open(const QByteArray& catalogue)
    {
        WriteCatalogue(catalogue);
        forms->ShowMain();
        main = forms->Main();
        ASSERT_EQ(platform.engines.size(), 1u);
        engine = platform.engines.front();
        ASSERT_TRUE(Desktop().connect(QString(), Path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                      QStringLiteral("PropertiesChanged"), &recorder,
                                      SLOT(onChanged(QString, QVariantMap, QStringList))));
    }

    static QDBusConnection Desktop() { return QDBusConnection::connectToBus(address, QStringLiteral("desktop")); }

    // Waits for the answer, and then for the request the program runs after answering.
    QDBusMessage Call(const QString& interface, const QString& method, const QVariantList& arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(Name, Path, interface, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = Desktop().asyncCall(message);
        EXPECT_TRUE(QTest::qWaitFor([&] { return pending.isFinished(); }));
        QCoreApplication::processEvents();
        return pending.reply();
    }
    void Player(const QString& method) { Call(PlayerInterface, method); }

    QVariant Get(const QString& interface, const QString& property)
    {
        const QDBusMessage reply = Call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                                        {interface, property});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    QString Status() { return Get(PlayerInterface, QStringLiteral("PlaybackStatus")).toString(); }
    QVariantMap Metadata() { return Unwrap(Get(PlayerInterface, QStringLiteral("Metadata"))); }

    void Select(int row) { main->rLista->setListIndex(row); }

    inline static std::unique_ptr<testsupport::PrivateBus> bus;
    inline static QString address;
    std::unique_ptr<app::Forms> forms = std::make_unique<app::Forms>();
    app::frmMain* main = nullptr;
    testsupport::RecordingEngine* engine = nullptr;
    ChangeRecorder recorder;
};

const QByteArray Catalogue = "First==>http://127.0.0.1/first.ogg\r\n"
                             "Second==>http://127.0.0.1/shared.ogg\r\n"
                             "Same address==>http://127.0.0.1/shared.ogg\r\n";

TEST_F(MediaControlsTest, AnswersAsAPlayerWithNothingOpen)
{
    Open(Catalogue);
    EXPECT_EQ(Get(Root, "Identity").toString(), QStringLiteral("Vanu Pelro"));
    EXPECT_EQ(Get(Root, "DesktopEntry").toString(), QStringLiteral("net.vanupelro.VanuPelro"));
    EXPECT_TRUE(Get(Root, "CanQuit").toBool());
    EXPECT_TRUE(Get(Root, "CanRaise").toBool());
    EXPECT_FALSE(Get(Root, "HasTrackList").toBool());
    for (const char* property : {"CanPause", "CanSeek", "CanGoNext", "CanGoPrevious"})
        EXPECT_FALSE(Get(PlayerInterface, property).toBool()) << property;
    EXPECT_TRUE(Get(PlayerInterface, "CanControl").toBool());
    EXPECT_EQ(Get(PlayerInterface, "Rate").toDouble(), 1.0);
    EXPECT_EQ(Get(PlayerInterface, "MinimumRate").toDouble(), 0.75);
    EXPECT_EQ(Get(PlayerInterface, "MaximumRate").toDouble(), 2.0);
    EXPECT_EQ(Get(PlayerInterface, "Volume").toDouble(), 0.5);
    EXPECT_EQ(Get(PlayerInterface, "Position").toLongLong(), 0);
    EXPECT_EQ(Status(), QStringLiteral("Stopped"));
    EXPECT_EQ(Metadata().value("mpris:trackid").value<QDBusObjectPath>().path(),
              QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));

    const QDBusMessage loop = Call("org.freedesktop.DBus.Properties", "Get", {PlayerInterface, "LoopStatus"});
    EXPECT_EQ(loop.type(), QDBusMessage::ErrorMessage) << "no loop mode is offered";

    // Requests that need an open title, or that the player cannot honour, change nothing.
    for (const char* method : {"Pause", "Next", "Previous"})
        EXPECT_EQ(Call(PlayerInterface, method).type(), QDBusMessage::ReplyMessage) << method;
    Call(PlayerInterface, "Seek", {qlonglong(5'000'000)});
    Call(PlayerInterface, "OpenUri", {QStringLiteral("http://127.0.0.1/elsewhere.ogg")});
    EXPECT_TRUE(engine->calls.isEmpty());
}

TEST_F(MediaControlsTest, PlayWithNothingSelectedDoesNothingAndShowsNoBox)
{
    Open(Catalogue);
    EXPECT_FALSE(Get(PlayerInterface, "CanPlay").toBool());
    Player("Play");
    Player("PlayPause");
    EXPECT_TRUE(engine->calls.isEmpty());
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MediaControlsTest, PlayStartsTheSelectedTitleAndStopClosesIt)
{
    Open(Catalogue);
    Select(0);
    EXPECT_TRUE(Get(PlayerInterface, "CanPlay").toBool());
    Player("Play");
    EXPECT_EQ(engine->calls, (QStringList{"close", "open http://127.0.0.1/first.ogg"}));

    engine->Report(host::PlaybackState::Connecting);
    EXPECT_EQ(Status(), QStringLiteral("Playing")) << "a started title counts as playing while it connects";
    engine->Report(host::PlaybackState::Playing);
    const QVariantMap metadata = Metadata();
    EXPECT_EQ(metadata.value("xesam:title").toString(), QStringLiteral("First"));
    EXPECT_EQ(metadata.value("xesam:url").toString(), QStringLiteral("http://127.0.0.1/first.ogg"));
    EXPECT_EQ(metadata.value("mpris:trackid").value<QDBusObjectPath>().path(),
              QStringLiteral("/net/vanupelro/VanuPelro/Track/0"));

    engine->calls.clear();
    Player("Stop");
    EXPECT_EQ(engine->calls, QStringList{"close"});
    engine->Report(host::PlaybackState::Stopped);
    EXPECT_EQ(Status(), QStringLiteral("Stopped"));
    EXPECT_FALSE(Metadata().contains("xesam:title"));
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MediaControlsTest, PlayPausePausesAndResumesAndPlaysWhenStopped)
{
    Open(Catalogue);
    Select(1);
    Player("PlayPause");
    EXPECT_EQ(engine->calls, (QStringList{"close", "open http://127.0.0.1/shared.ogg"}));
    engine->Report(host::PlaybackState::Playing);
    EXPECT_TRUE(Get(PlayerInterface, "CanPause").toBool());

    engine->calls.clear();
    Player("PlayPause");
    engine->Report(host::PlaybackState::Paused);
    EXPECT_EQ(Status(), QStringLiteral("Paused"));
    EXPECT_EQ(Metadata().value("xesam:title").toString(), QStringLiteral("Second"));
    Player("PlayPause");
    engine->Report(host::PlaybackState::Playing);
    Player("Pause");
    engine->Report(host::PlaybackState::Paused);
    Player("Play");
    EXPECT_EQ(engine->calls, (QStringList{"pause", "resume", "pause", "resume"}));

    // A title that ended or failed is not playing: the key starts it again.
    engine->Report(host::PlaybackState::Failed, 0, "gone");
    engine->calls.clear();
    Player("PlayPause");
    EXPECT_EQ(engine->calls, (QStringList{"close", "open http://127.0.0.1/shared.ogg"}));
}

TEST_F(MediaControlsTest, SeekAndSetPositionMoveWithinTheTrackAndAreAnnounced)
{
    Open(Catalogue);
    Select(0);
    Player("Play");
    engine->position = 100'000;
    engine->ReportMedia(600'000, true);
    engine->Report(host::PlaybackState::Playing);
    const QVariantMap metadata = Metadata();
    EXPECT_EQ(metadata.value("mpris:length").toLongLong(), 600'000'000);
    EXPECT_TRUE(Get(PlayerInterface, "CanSeek").toBool());
    const QString track = metadata.value("mpris:trackid").value<QDBusObjectPath>().path();

    ASSERT_TRUE(Desktop().connect(QString(), Path, PlayerInterface, QStringLiteral("Seeked"), &recorder,
                                  SLOT(onSeeked(qlonglong))));
    engine->calls.clear();
    Call(PlayerInterface, "Seek", {qlonglong(30'000'000)});
    Call(PlayerInterface, "SetPosition", {QVariant::fromValue(QDBusObjectPath(track)), qlonglong(60'000'000)});
    // Another track's id, or a place past the end: ignored, as media controls expect.
    Call(PlayerInterface, "SetPosition",
         {QVariant::fromValue(QDBusObjectPath(QStringLiteral("/net/vanupelro/VanuPelro/Track/1"))), qlonglong(1)});
    Call(PlayerInterface, "SetPosition", {QVariant::fromValue(QDBusObjectPath(track)), qlonglong(700'000'000)});
    EXPECT_EQ(engine->calls, (QStringList{"seek 130000", "seek 60000"}));

    engine->ReportSeeked(60'000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.seeks.isEmpty(); }));
    EXPECT_EQ(recorder.seeks.front(), 60'000'000);
    EXPECT_EQ(Get(PlayerInterface, "Position").toLongLong(), 60'000'000);
}

TEST_F(MediaControlsTest, VolumeAndRateWritesTakeEffect)
{
    Open(Catalogue);
    const auto set = [&](const char* property, double value) {
        Call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
             {PlayerInterface, QString::fromLatin1(property), QVariant::fromValue(QDBusVariant(value))});
        QCoreApplication::processEvents();
    };
    set("Volume", 0.9);
    EXPECT_DOUBLE_EQ(engine->volume, 0.9);
    EXPECT_DOUBLE_EQ(Get(PlayerInterface, "Volume").toDouble(), 0.9);
    set("Volume", 3.0);
    EXPECT_DOUBLE_EQ(engine->volume, 1.0);
    set("Rate", 1.5);
    EXPECT_DOUBLE_EQ(engine->rate, 1.5);
    set("Rate", 5.0);
    EXPECT_DOUBLE_EQ(Get(PlayerInterface, "Rate").toDouble(), 2.0);

    // Rate 0 is a pause to the desktop.
    Select(0);
    Player("Play");
    engine->Report(host::PlaybackState::Playing);
    engine->calls.clear();
    set("Rate", 0.0);
    EXPECT_EQ(engine->calls, QStringList{"pause"});
    EXPECT_DOUBLE_EQ(engine->rate, 2.0);
}

TEST_F(MediaControlsTest, ALocalRecordingIsGivenAsAFullAddress)
{
    Open("Local==>media/welcome.ogg\r\n");
    Select(0);
    Player("Play");
    engine->Report(host::PlaybackState::Playing);
    EXPECT_EQ(Metadata().value("xesam:url").toString(),
              QUrl::fromLocalFile(folder.filePath(QStringLiteral("media/welcome.ogg"))).toString(QUrl::FullyEncoded));
}

TEST_F(MediaControlsTest, TitleIsTheOnePlayedWhenTwoShareAnAddress)
{
    Open(Catalogue);
    Select(2);
    Player("Play");
    engine->Report(host::PlaybackState::Playing);
    EXPECT_EQ(Metadata().value("xesam:title").toString(), QStringLiteral("Same address"));

    // Moving the selection afterwards does not rename what plays.
    Select(0);
    EXPECT_EQ(Metadata().value("xesam:title").toString(), QStringLiteral("Same address"));
}

TEST_F(MediaControlsTest, ChangesAreAnnouncedOnceEach)
{
    Open(Catalogue);
    Select(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.changes.isEmpty(); }));
    EXPECT_EQ(recorder.changes.takeFirst(), (QVariantMap{{"CanPlay", true}}));

    Player("Play");
    engine->Report(host::PlaybackState::Connecting);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.changes.isEmpty(); }));
    QVariantMap changed = recorder.changes.takeFirst();
    EXPECT_EQ(changed.value("PlaybackStatus").toString(), QStringLiteral("Playing"));
    EXPECT_EQ(Unwrap(changed.value("Metadata")).value("xesam:title").toString(), QStringLiteral("First"));

    // Once the media flows it can pause; buffering and playing are the same to the desktop.
    engine->Report(host::PlaybackState::Buffering, 40);
    engine->Report(host::PlaybackState::Playing);
    engine->Report(host::PlaybackState::Finished);
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.changes.size() >= 2; }));
    EXPECT_EQ(recorder.changes.takeFirst(), (QVariantMap{{"CanPause", true}}));
    changed = recorder.changes.takeFirst();
    EXPECT_EQ(changed.keys(), (QStringList{"CanPause", "Metadata", "PlaybackStatus"}));
    EXPECT_EQ(changed.value("PlaybackStatus").toString(), QStringLiteral("Stopped"));
    QTest::qWait(50);
    EXPECT_TRUE(recorder.changes.isEmpty());
}

TEST_F(MediaControlsTest, QuitClosesTheMainWindowAndLeavesTheBus)
{
    Open(Catalogue);
    Call(Root, "Quit");
    EXPECT_EQ(programEnded, 1);
    DestroyUnloadedWindows();
    EXPECT_TRUE(QTest::qWaitFor([] { return !Desktop().interface()->isServiceRegistered(Name).value(); }));
}

TEST_F(MediaControlsTest, ASecondCopyTakesItsOwnInstanceName)
{
    Open(Catalogue);
    auto* first = main->findChild<app::MediaControls*>();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Service().BusName(), Name);

    app::Forms second;
    WriteCatalogue(Catalogue);
    app::frmMain& other = second.LoadMain();
    auto* controls = other.findChild<app::MediaControls*>();
    ASSERT_NE(controls, nullptr);
    EXPECT_EQ(controls->Service().BusName(),
              Name + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid()));
}

TEST_F(MediaControlsTest, WithoutABusThePlayerWorksAsBefore)
{
    platform.sessionBusAddress.clear();
    Open(Catalogue);
    EXPECT_FALSE(main->findChild<app::MediaControls*>()->Service().IsRegistered());
    EXPECT_FALSE(Desktop().interface()->isServiceRegistered(Name).value());

    Select(0);
    main->PlaySelected();
    engine->Report(host::PlaybackState::Playing);
    EXPECT_EQ(engine->calls, (QStringList{"close", "open http://127.0.0.1/first.ogg"}));

    platform.sessionBusAddress = QStringLiteral("unix:path=/nonexistent/bus");
    app::Forms unreachable;
    EXPECT_FALSE(unreachable.LoadMain().findChild<app::MediaControls*>()->Service().IsRegistered());
}

} // namespace

#include "MediaControlsTest.moc"
