// The real GStreamer pipeline on real recordings served over HTTP from this machine.

#include "support/GeneratedRecording.h"
#include "support/LocalHttpServer.h"

#include "host/media/GstPipelineThread.h"
#include "host/media/GstPlaybackEngine.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <cmath>
#include <vector>

namespace {

struct Report {
    host::PlaybackState state;
    QString message;
    int percent = 0;
};

// A minute in each format a seek has to cope with, made once per run.
class Recordings {
public:
    static const Recordings& Get()
    {
        static const Recordings recordings;
        return recordings;
    }
    QString folder() const { return m_folder.path(); }
    QString path(const QString& name) const { return m_folder.filePath(name); }
    qint64 size(const QString& name) const { return QFileInfo(path(name)).size(); }

    static constexpr qint64 LengthMs = 60'000;

private:
    Recordings()
    {
        host::GstPlaybackEngine::InitializeOnce();
        make(QStringLiteral("long.ogg"), "rate=44100,channels=2", "vorbisenc quality=0.6 ! oggmux");
        make(QStringLiteral("long-cbr.mp3"), "rate=22050,channels=1", "lamemp3enc target=bitrate bitrate=48 cbr=true");
        make(QStringLiteral("long-xing.mp3"), "rate=22050,channels=1", "lamemp3enc target=quality quality=4 ! xingmux");
    }

    void make(const QString& name, const char* format, const char* encoder) const
    {
        if (!testsupport::MakeRecording(path(name).toStdString(), int(LengthMs / 1000), format, encoder))
            qFatal("cannot make %s", qPrintable(name));
    }

    QTemporaryDir m_folder;
};

class EngineTest : public ::testing::Test {
protected:
    explicit EngineTest(const QString& folder = QStringLiteral(VANUPELRO_MEDIA_DIR),
                        std::chrono::milliseconds reconnectPeriod = host::GstPlaybackEngine::DefaultReconnectPeriod)
        : engine(QStringLiteral("fakesink sync=true"), reconnectPeriod)
    {
        host::GstPlaybackEngine::InitializeOnce();
        server.serveDirectory(folder.toStdString());
        QObject::connect(&engine, &host::PlaybackEngine::stateChanged,
                         [this](host::PlaybackState state, int percent, const QString& message) {
                             reports.push_back({state, message, percent});
                         });
        QObject::connect(&engine, &host::PlaybackEngine::seeked, [this](qint64 ms) { seeks.push_back(ms); });
    }

    QString address(const std::string& path) const { return QString::fromStdString(server.url(path)); }

    host::PlaybackState state() const { return reports.empty() ? host::PlaybackState::Stopped : reports.back().state; }

    bool WaitFor(host::PlaybackState wanted, int timeoutMs = 15000)
    {
        if (QTest::qWaitFor([&] { return state() == wanted; }, timeoutMs))
            return true;
        for (const Report& report : reports)
            ADD_FAILURE() << "reported " << int(report.state) << " " << report.percent << "% "
                          << report.message.toStdString();
        return false;
    }

    // Playing, and moved on from `from`.
    bool WaitForProgress(qint64 from, int timeoutMs = 10000)
    {
        return QTest::qWaitFor(
            [&] { return state() == host::PlaybackState::Playing && engine.PositionMs() > from; }, timeoutMs);
    }

    testsupport::LocalHttpServer server;
    host::GstPlaybackEngine engine;
    std::vector<Report> reports;
    std::vector<qint64> seeks;
};

class GstPlaybackTest : public EngineTest, public ::testing::WithParamInterface<const char*> {};

} // namespace

TEST_P(GstPlaybackTest, ReachesPlayingAndStopsOnClose)
{
    engine.Open(address(std::string("/") + GetParam()));
    ASSERT_TRUE(WaitFor(host::PlaybackState::Playing))
        << "last state " << (reports.empty() ? -1 : int(reports.back().state)) << " "
        << reports.back().message.toStdString();
    EXPECT_EQ(reports.front().state, host::PlaybackState::Connecting);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.PositionMs() > 200; }, 5000)) << "playing but not moving";

    engine.Close();
    EXPECT_EQ(reports.back().state, host::PlaybackState::Stopped);
    const qint64 stoppedAt = engine.PositionMs();
    QTest::qWait(300);
    EXPECT_EQ(reports.back().state, host::PlaybackState::Stopped) << "late news from the closed media";
    EXPECT_EQ(engine.PositionMs(), stoppedAt);
}

INSTANTIATE_TEST_SUITE_P(Formats, GstPlaybackTest, ::testing::Values("welcome.ogg", "welcome.mp3"));

TEST_F(EngineTest, FaultsEndInAShortMessageAndTheNextOpenPlays)
{
    engine.Open(QString::fromStdString(server.url("/missing.ogg")));
    ASSERT_TRUE(WaitFor(host::PlaybackState::Failed));
    EXPECT_EQ(reports.back().message, QStringLiteral("not found"));

    testsupport::HttpResponse garbage;
    garbage.body = std::string(64 * 1024, '\x5a');
    garbage.headers = {{"Content-Type", "audio/ogg"}};
    server.route("/garbage.ogg", garbage);
    engine.Open(QString::fromStdString(server.url("/garbage.ogg")));
    ASSERT_TRUE(WaitFor(host::PlaybackState::Failed));
    EXPECT_EQ(reports.back().message, QStringLiteral("not a recording that can be played"));

    engine.Open(QStringLiteral("nosuchscheme://somewhere/a.ogg"));
    ASSERT_TRUE(WaitFor(host::PlaybackState::Failed));
    EXPECT_FALSE(reports.back().message.isEmpty());

    engine.Open(QString::fromStdString(server.url("/welcome.ogg")));
    EXPECT_TRUE(WaitFor(host::PlaybackState::Playing));
    engine.Close();
}

// A server that breaks off or goes quiet part-way must not leave the player stuck in
// "playing" or "buffering": the status has to say something happened, and the next
// title must play.
TEST_F(EngineTest, AStreamThatStopsMidwayEndsAndTheNextOpenPlays)
{
    QFile recording(QStringLiteral(VANUPELRO_MEDIA_DIR "/welcome.ogg"));
    ASSERT_TRUE(recording.open(QIODevice::ReadOnly));
    const QByteArray bytes = recording.readAll();

    for (const bool stall : {false, true}) {
        testsupport::HttpResponse cut;
        cut.headers = {{"Content-Type", "audio/ogg"}};
        cut.body = bytes.toStdString();
        cut.stopAfterBodyBytes = std::size_t(bytes.size() / 3);
        cut.stallAtStop = stall;
        server.route("/cut.ogg", cut);
        reports.clear();
        engine.Open(QString::fromStdString(server.url("/cut.ogg")));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return !reports.empty() && (reports.back().state == host::PlaybackState::Failed ||
                                            reports.back().state == host::PlaybackState::Finished);
            },
            40000))
            << (stall ? "stalled" : "broken off") << " stream left the player in state "
            << (reports.empty() ? -1 : int(reports.back().state));
        if (reports.back().state == host::PlaybackState::Failed) {
            EXPECT_EQ(reports.back().message, QStringLiteral("the recording broke off"));
        }
    }

    reports.clear();
    engine.Open(QString::fromStdString(server.url("/welcome.ogg")));
    EXPECT_TRUE(WaitFor(host::PlaybackState::Playing));
    engine.Close();
}

namespace {

// Over HTTP from a server that honours ranges, or straight from the file ("file:" first).
class SeekTest : public EngineTest, public ::testing::WithParamInterface<const char*> {
protected:
    SeekTest() : EngineTest(Recordings::Get().folder()) {}

    QString recording() const
    {
        const QString name = QString::fromLatin1(GetParam());
        if (name.startsWith(QLatin1String("file:")))
            return QUrl::fromLocalFile(Recordings::Get().path(name.mid(5))).toString();
        return address("/" + name.toStdString());
    }

    bool WaitForSeeks(std::size_t count)
    {
        return QTest::qWaitFor([&] { return seeks.size() >= count; }, 10000);
    }
};

} // namespace

TEST_P(SeekTest, PausesResumesAndSeeksWhilePlayingOrPaused)
{
    engine.Open(recording());
    ASSERT_TRUE(WaitFor(host::PlaybackState::Playing));
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.CanSeek() && engine.DurationMs() > 0; }, 5000))
        << "seekable " << engine.CanSeek() << ", duration " << engine.DurationMs();
    EXPECT_NEAR(engine.DurationMs(), Recordings::LengthMs, 1500);
    ASSERT_TRUE(WaitForProgress(1000));

    engine.Pause();
    EXPECT_EQ(state(), host::PlaybackState::Paused);
    const qint64 pausedAt = engine.PositionMs();
    QTest::qWait(700); // time passes; the recording must not
    EXPECT_NEAR(engine.PositionMs(), pausedAt, 500);
    engine.Resume();
    ASSERT_TRUE(WaitFor(host::PlaybackState::Playing));
    EXPECT_NEAR(engine.PositionMs(), pausedAt, 500);

    ASSERT_TRUE(engine.Seek(40000));
    ASSERT_TRUE(WaitForSeeks(1));
    EXPECT_NEAR(seeks.back(), 40000, 1000);
    ASSERT_TRUE(WaitForProgress(39000));
    EXPECT_NEAR(engine.PositionMs(), 40000, 1000);

    engine.Pause();
    ASSERT_TRUE(engine.Seek(10000));
    ASSERT_TRUE(WaitForSeeks(2));
    EXPECT_NEAR(seeks.back(), 10000, 1000);
    EXPECT_EQ(state(), host::PlaybackState::Paused) << "a seek while paused must not start playback";
    EXPECT_NEAR(engine.PositionMs(), 10000, 1000);
    engine.Resume();
    ASSERT_TRUE(WaitForProgress(10000));
    EXPECT_LT(engine.PositionMs(), 12000);
    engine.Close();
}

TEST_P(SeekTest, OpensAtTheRememberedPlace)
{
    engine.Open(recording(), 30000);
    ASSERT_TRUE(WaitFor(host::PlaybackState::Playing));
    ASSERT_EQ(seeks.size(), 1u);
    EXPECT_NEAR(seeks.front(), 30000, 1000);
    ASSERT_TRUE(WaitForProgress(29000));
    EXPECT_NEAR(engine.PositionMs(), 30000, 1500);
    engine.Close();
}

// Ogg only from a file: over HTTP, GStreamer's Ogg demuxer does not always find the length
// of a stream, and then will not seek in it.
INSTANTIATE_TEST_SUITE_P(Formats, SeekTest,
                         ::testing::Values("long-cbr.mp3", "long-xing.mp3", "file:long.ogg"));

TEST_F(EngineTest, AServerThatIgnoresRangesCannotSeek)
{
    QFile recording(Recordings::Get().path(QStringLiteral("long.ogg")));
    ASSERT_TRUE(recording.open(QIODevice::ReadOnly));
    testsupport::HttpResponse whole; // the whole file to every request, ranged or not
    whole.headers = {{"Content-Type", "audio/ogg"}};
    whole.body = recording.readAll().toStdString();
    server.route("/whole.ogg", whole);

    engine.Open(address("/whole.ogg"), 20000);
    ASSERT_TRUE(WaitFor(host::PlaybackState::Playing));
    ASSERT_TRUE(WaitForProgress(300));
    EXPECT_LT(engine.PositionMs(), 5000) << "it cannot start at the place; it starts at the beginning";
    EXPECT_FALSE(engine.CanSeek());
    EXPECT_FALSE(engine.Seek(30000));
    QTest::qWait(300);
    EXPECT_GT(engine.PositionMs(), 500) << "what had arrived played first";
    EXPECT_LT(engine.PositionMs(), 5000);
    EXPECT_EQ(state(), host::PlaybackState::Playing);
    EXPECT_TRUE(seeks.empty());
    engine.Close();
}

// The sink writes what would be heard, so loudness can be measured.
TEST_F(EngineTest, VolumeAndSpeedApplyNowAndToTheNextRecording)
{
    QTemporaryDir folder;
    const QString heard = folder.filePath(QStringLiteral("heard.raw"));
    EngineTest::server.serveDirectory(Recordings::Get().folder().toStdString());
    const QString tone = address("/long-cbr.mp3");
    {
        host::GstPlaybackEngine recorder(
            QStringLiteral("audioconvert ! audioresample ! audio/x-raw,format=S16LE,channels=1,rate=22050 ! "
                           "filesink sync=true location=\"%1\"")
                .arg(heard));
        recorder.SetVolume(1.0);
        recorder.Open(tone);
        ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.PositionMs() > 1200; }, 10000));
        recorder.SetVolume(0.5);
        const qint64 changedAt = recorder.PositionMs();
        ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.PositionMs() > changedAt + 1500; }, 10000));
    }
    ASSERT_TRUE(host::GstPipelineThread::WaitForRetired(5000)) << "the recorder's file is complete once it has stopped";

    QFile file(heard);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto* samples = reinterpret_cast<const qint16*>(bytes.constData());
    const qsizetype count = bytes.size() / 2;
    const qsizetype second = 22050;
    ASSERT_GT(count, 2 * second);
    const auto rms = [&](qsizetype from, qsizetype length) {
        double sum = 0;
        for (qsizetype i = from; i < from + length; ++i)
            sum += double(samples[i]) * samples[i];
        return std::sqrt(sum / double(length));
    };
    const double loud = rms(second / 4, second / 2);
    const double quiet = rms(count - second / 2, second / 2);
    ASSERT_GT(quiet, 0.0);
    // Noise: its loudness wanders a little from one half second to another.
    EXPECT_NEAR(loud / quiet, 8.0, 2.5) << "half volume on the cubic scale is an eighth of the amplitude";

    const auto speedOver = [&](qint64 stretchMs) {
        const qint64 from = engine.PositionMs();
        QElapsedTimer clock;
        clock.start();
        if (!QTest::qWaitFor([&] { return engine.PositionMs() >= from + stretchMs; }, 15000))
            return 0.0;
        return double(engine.PositionMs() - from) / double(clock.elapsed());
    };
    engine.Open(tone);
    ASSERT_TRUE(WaitForProgress(500));
    engine.SetRate(2.0);
    QTest::qWait(300); // the new speed takes hold
    EXPECT_NEAR(speedOver(4000), 2.0, 0.4);
    engine.Open(tone, 5000);
    ASSERT_TRUE(WaitForProgress(5200));
    EXPECT_NEAR(speedOver(4000), 2.0, 0.4) << "the speed carries over to the next recording";
    engine.SetRate(5.0); // beyond what is offered: the fastest
    QTest::qWait(300);
    EXPECT_NEAR(speedOver(4000), 2.0, 0.4);
    engine.Close();
}

namespace {

class ReconnectTest : public EngineTest, public ::testing::WithParamInterface<const char*> {
protected:
    explicit ReconnectTest(std::chrono::milliseconds period = host::GstPlaybackEngine::DefaultReconnectPeriod)
        : EngineTest(Recordings::Get().folder(), period)
    {
    }

    // Where in the file the server breaks off: about atMs into the recording. It sends at
    // twice the speed of playback, as a real line might, so playback has started when it breaks.
    void BreakAt(const QString& name, qint64 atMs)
    {
        const qint64 size = Recordings::Get().size(name);
        server.breakFilesAt(std::uint64_t(size * atMs / Recordings::LengthMs));
        server.limitFileRate(std::size_t(size * 2000 / Recordings::LengthMs));
    }
};

class GivingUpTest : public ReconnectTest {
protected:
    GivingUpTest() : ReconnectTest(std::chrono::seconds(2)) {}
};

} // namespace

TEST_P(ReconnectTest, GoesOnWhereItStoppedOnceTheServerIsBack)
{
    const QString name = QString::fromLatin1(GetParam());
    BreakAt(name, 20000);
    engine.Open(address("/" + name.toStdString()));
    ASSERT_TRUE(WaitFor(host::PlaybackState::Playing));
    ASSERT_TRUE(WaitFor(host::PlaybackState::Reconnecting, 40000));
    const qint64 stoppedAt = engine.PositionMs();
    EXPECT_GT(stoppedAt, 5000) << "what had arrived plays first";
    EXPECT_LT(stoppedAt, 21000) << "nothing past the break can have played";

    QTest::qWait(3000); // the outage
    EXPECT_EQ(state(), host::PlaybackState::Reconnecting);
    EXPECT_EQ(engine.PositionMs(), stoppedAt);
    server.limitFileRate(0); // back, and on a good line
    server.acceptAgain();
    ASSERT_TRUE(WaitFor(host::PlaybackState::Playing, 15000));
    EXPECT_NEAR(engine.PositionMs(), stoppedAt, 2000);
    ASSERT_TRUE(WaitForProgress(stoppedAt + 500));
    EXPECT_TRUE(seeks.empty()) << "going on is no seek the user asked for";
    engine.Close();
}

INSTANTIATE_TEST_SUITE_P(Formats, ReconnectTest, ::testing::Values("long-cbr.mp3", "long-xing.mp3"));

// Nobody listens: the break is kept quiet and nothing is asked of the server until Resume,
// which reopens at the paused place.
TEST_F(ReconnectTest, ABreakWhilePausedWaitsForResume)
{
    // A paused player reads only a little ahead: the break has to come within that.
    BreakAt(QStringLiteral("long-cbr.mp3"), 3000);
    engine.Open(address("/long-cbr.mp3"));
    ASSERT_TRUE(WaitFor(host::PlaybackState::Playing));
    engine.Pause();
    const qint64 pausedAt = engine.PositionMs();
    QTest::qWait(4000); // the break comes, then the outage ends
    server.limitFileRate(0);
    server.acceptAgain();
    const std::size_t requestsWhilePaused = server.requestHeads().size();
    QTest::qWait(2000);
    EXPECT_EQ(server.requestHeads().size(), requestsWhilePaused) << "retried while paused";
    EXPECT_EQ(state(), host::PlaybackState::Paused);
    EXPECT_NEAR(engine.PositionMs(), pausedAt, 500);

    const std::size_t resumedAt = reports.size();
    engine.Resume();
    ASSERT_TRUE(WaitFor(host::PlaybackState::Playing, 15000));
    ASSERT_GT(reports.size(), resumedAt + 1);
    EXPECT_EQ(reports[resumedAt].state, host::PlaybackState::Reconnecting) << "the break was never noticed";
    EXPECT_GT(server.requestHeads().size(), requestsWhilePaused);
    EXPECT_NEAR(engine.PositionMs(), pausedAt, 2000);
    ASSERT_TRUE(WaitForProgress(pausedAt + 500));
    EXPECT_TRUE(seeks.empty());
    engine.Close();
}


TEST_F(GivingUpTest, AServerThatStaysAwayEndsInFailed)
{
    BreakAt(QStringLiteral("long-cbr.mp3"), 4000);
    engine.Open(address("/long-cbr.mp3"));
    ASSERT_TRUE(WaitFor(host::PlaybackState::Reconnecting, 20000));
    EXPECT_GT(engine.PositionMs(), 500) << "what had arrived played first";
    EXPECT_LT(engine.PositionMs(), 5000);
    ASSERT_TRUE(WaitFor(host::PlaybackState::Failed, 20000));
    EXPECT_EQ(reports.back().message, QStringLiteral("cannot reach the server"));
}

TEST_F(EngineTest, AServerThatAcceptsButNeverAnswersIsToldApart)
{
    testsupport::HttpResponse silent;
    silent.sayNothing = true;
    server.route("/silent.ogg", silent);
    engine.Open(address("/silent.ogg"));
    ASSERT_TRUE(WaitFor(host::PlaybackState::Failed, 40000));
    EXPECT_EQ(reports.back().message, QStringLiteral("the server does not answer"));
}

// The desktop's output, whatever this machine has: an output library with no device behind
// it must not leave a start waiting for good. A start that stays silent is tried once more
// after 5 s, and given up 5 s after that; the wait allows for a loaded machine.
TEST(DefaultOutputTest, StartsOrSaysThereIsNoSoundNeverHangs)
{
    testsupport::LocalHttpServer server;
    server.serveDirectory(VANUPELRO_MEDIA_DIR);
    host::GstPlaybackEngine engine;
    host::PlaybackState last = host::PlaybackState::Stopped;
    QString message;
    QObject::connect(&engine, &host::PlaybackEngine::stateChanged,
                     [&](host::PlaybackState state, int, const QString& text) {
                         last = state;
                         message = text;
                     });
    // It went wrong now and then, not every time.
    for (int attempt = 0; attempt < 20; ++attempt) {
        const char* name = attempt % 2 ? "/welcome.mp3" : "/welcome.ogg";
        engine.Open(QString::fromStdString(server.url(name)));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return last == host::PlaybackState::Playing || last == host::PlaybackState::Failed; }, 30000))
            << name << " left in state " << int(last);
        if (last == host::PlaybackState::Failed) {
            EXPECT_EQ(message, QStringLiteral("No sound output"));
        }
        engine.Close();
    }
}
