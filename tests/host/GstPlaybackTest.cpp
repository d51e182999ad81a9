// The real GStreamer pipeline on real recordings served over HTTP from this machine.

#include "support/LocalHttpServer.h"

#include "host/GstPlaybackEngine.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QTest>

#include <vector>

namespace {

struct Report {
    host::PlaybackState state;
    QString message;
    int percent = 0;
};

class GstPlaybackTest : public ::testing::TestWithParam<const char*> {
protected:
    GstPlaybackTest()
    {
        server.serveDirectory(VANUPELRO_MEDIA_DIR);
        QObject::connect(&engine, &host::PlaybackEngine::stateChanged,
                         [this](host::PlaybackState state, int percent, const QString& message) {
                             reports.push_back({state, message, percent});
                         });
    }

    bool WaitFor(host::PlaybackState state)
    {
        if (QTest::qWaitFor([&] { return !reports.empty() && reports.back().state == state; }, 15000))
            return true;
        for (const Report& report : reports)
            ADD_FAILURE() << "reported " << int(report.state) << " " << report.percent << "% "
                          << report.message.toStdString();
        return false;
    }

    testsupport::LocalHttpServer server;
    host::GstPlaybackEngine engine{QStringLiteral("fakesink sync=true")};
    std::vector<Report> reports;
};

} // namespace

TEST_P(GstPlaybackTest, ReachesPlayingAndStopsOnClose)
{
    engine.Open(QString::fromStdString(server.url(std::string("/") + GetParam())));
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

TEST_F(GstPlaybackTest, FaultsEndInAShortMessageAndTheNextOpenPlays)
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
TEST_F(GstPlaybackTest, AStreamThatStopsMidwayEndsAndTheNextOpenPlays)
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
