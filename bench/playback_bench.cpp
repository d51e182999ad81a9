// The player against a bare playbin doing the same, in the same run. The bare playbin's
// argument names the scenario that the player's benchmark with the same argument repeats:
//   0, 1  double-click on a title to playing, Ogg and MP3 over local HTTP (default output)
//   2     pause to playing again, local file
//   3     seek ahead in MP3 over local HTTP (without a download, every seek asks the server
//         anew); on a line limited to twice the speed of playback, neither landed (not understood)
//   4     start over local HTTP, MP3 (against which the reconnection is set)
// Besides: CPU while paused and memory over 1,000 pause/seek/resume cycles, as counters.

#include "support/RatioReporter.h"

#include "support/GeneratedRecording.h"
#include "support/LocalHttpServer.h"

#include "app/Forms.h"
#include "app/frmMain.h"
#include "host/forms/Controls.h"
#include "host/media/GstPlaybackEngine.h"
#include "host/forms/MediaPlayer.h"

#include <gst/gst.h>
#include <sys/resource.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

testsupport::LocalHttpServer* g_server = nullptr;
app::Forms* g_forms = nullptr;
QTemporaryDir* g_folder = nullptr;

using Clock = std::chrono::steady_clock;
constexpr qint64 LongMs = 120'000;
const QString FakeOutput = QStringLiteral("fakesink sync=true");
// Places never arrived at before, jumping both ways.
constexpr std::array<qint64, 4> SeekTargets{40'000, 90'000, 60'000, 110'000};

std::uint64_t sizeOf(const char* name)
{
    return std::filesystem::file_size(g_folder->filePath(QString::fromLatin1(name)).toStdString());
}

// The server sends the long recordings this many times as fast as they play.
struct SlowLine {
    SlowLine(const char* name, double timesPlayback)
    {
        g_server->limitFileRate(std::size_t(timesPlayback * double(sizeOf(name)) * 1000 / LongMs));
    }
    ~SlowLine() { g_server->limitFileRate(0); }
};

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

QString address(const benchmark::State& state)
{
    return QString::fromStdString(g_server->url(state.range(0) == 0 ? "/welcome.ogg" : "/welcome.mp3"));
}

QString longFile(const char* name)
{
    return QUrl::fromLocalFile(g_folder->filePath(QString::fromLatin1(name))).toString();
}

QString longAddress(const char* name)
{
    return QString::fromStdString(g_server->url(std::string("/") + name));
}

// A bare playbin with the same output as the player's under test.
class BarePlaybin {
public:
    explicit BarePlaybin(const QString& uri, bool fakeOutput)
        : m_playbin(gst_element_factory_make("playbin", nullptr)), m_bus(gst_element_get_bus(m_playbin))
    {
        g_object_set(m_playbin, "uri", uri.toUtf8().constData(), nullptr);
        if (fakeOutput)
            g_object_set(m_playbin, "audio-sink", gst_parse_bin_from_description("fakesink sync=true", TRUE, nullptr),
                         nullptr);
    }
    ~BarePlaybin()
    {
        gst_element_set_state(m_playbin, GST_STATE_NULL);
        gst_object_unref(m_bus);
        gst_object_unref(m_playbin);
    }
    GstElement* get() const { return m_playbin; }
    // Forgets what the bus holds, so that the next wait is for news.
    void forgetNews()
    {
        gst_bus_set_flushing(m_bus, TRUE);
        gst_bus_set_flushing(m_bus, FALSE);
    }

    void setStateAndWait(GstState state, bool untilAsyncDone = false)
    {
        gst_element_set_state(m_playbin, state);
        if (untilAsyncDone)
            waitFor(GST_MESSAGE_ASYNC_DONE);
        else
            waitForState(state);
    }
    void waitForState(GstState wanted)
    {
        for (;;) {
            GstMessage* m = pop(GstMessageType(GST_MESSAGE_STATE_CHANGED | GST_MESSAGE_ERROR));
            GstState now = GST_STATE_NULL;
            gst_message_parse_state_changed(m, nullptr, &now, nullptr);
            const bool reached = GST_MESSAGE_SRC(m) == GST_OBJECT(m_playbin) && now == wanted;
            gst_message_unref(m);
            if (reached)
                return;
        }
    }
    void waitFor(GstMessageType type)
    {
        for (;;) {
            GstMessage* m = pop(GstMessageType(type | GST_MESSAGE_ERROR));
            const bool reached = GST_MESSAGE_SRC(m) == GST_OBJECT(m_playbin);
            gst_message_unref(m);
            if (reached)
                return;
        }
    }

private:
    GstMessage* pop(GstMessageType types)
    {
        GstMessage* m = gst_bus_timed_pop_filtered(m_bus, 20 * GST_SECOND, types);
        if (!m)
            qFatal("bare playbin never got there");
        if (GST_MESSAGE_TYPE(m) == GST_MESSAGE_ERROR) {
            GError* error = nullptr;
            gst_message_parse_error(m, &error, nullptr);
            qFatal("bare playbin failed: %s", error ? error->message : "?");
        }
        return m;
    }

    GstElement* m_playbin;
    GstBus* m_bus;
};

void BM_BarePlaybin(benchmark::State& state)
{
    const int scenario = int(state.range(0));
    if (scenario <= 1 || scenario == 4) {
        const QString uri = scenario == 4 ? longAddress("long.mp3") : address(state);
        for (auto _ : state) {
            const auto start = Clock::now();
            BarePlaybin playbin(uri, scenario == 4);
            playbin.setStateAndWait(GST_STATE_PLAYING);
            state.SetIterationTime(SecondsSince(start));
        }
        return;
    }
    // Seeking in Ogg over the web is up to GStreamer's Ogg demuxer, which does not always
    // manage; the catalogue serves MP3.
    const SlowLine line("long.mp3", 0);
    BarePlaybin playbin(scenario == 2 ? longFile("long.ogg") : longAddress("long.mp3"), true);
    playbin.setStateAndWait(GST_STATE_PLAYING);
    std::size_t next = 0;
    for (auto _ : state) {
        if (scenario == 2) {
            playbin.setStateAndWait(GST_STATE_PAUSED);
            const auto start = Clock::now();
            playbin.setStateAndWait(GST_STATE_PLAYING);
            state.SetIterationTime(SecondsSince(start));
            continue;
        }
        const qint64 target = SeekTargets[next++ % SeekTargets.size()];
        playbin.forgetNews();
        const auto start = Clock::now();
        if (!gst_element_seek(playbin.get(), 1.0, GST_FORMAT_TIME,
                              GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), GST_SEEK_TYPE_SET,
                              target * GST_MSECOND, GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE))
            qFatal("bare playbin cannot seek");
        playbin.waitFor(GST_MESSAGE_ASYNC_DONE);
        state.SetIterationTime(SecondsSince(start));
    }
}

void BM_DoubleClickToPlaying(benchmark::State& state)
{
    app::frmMain& main = g_forms->LoadMain();
    main.Catalogue().SetEntries({{QStringLiteral("Welcome"), address(state)}});
    main.rLista->setListIndex(0);
    const QPoint item = main.rLista->visualRect(main.rLista->model()->index(0, 0)).center();
    for (auto _ : state) {
        const auto start = Clock::now();
        QTest::mouseDClick(main.rLista->viewport(), Qt::LeftButton, {}, item);
        if (!QTest::qWaitFor([&] { return main.wmpr->State() == host::PlaybackState::Playing; }, 10000))
            qFatal("the program never played: %s", qPrintable(main.wmpr->StatusText()));
        state.SetIterationTime(SecondsSince(start));
        main.wmpr->close();
    }
}

// Runs the event loop until done() holds, waking on each event rather than polling: the
// wait must not add its own granularity to what is measured.
template <typename Done>
bool WaitUntil(Done done, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    QEventLoop loop;
    QTimer tick; // bounds each wait so the deadline is seen
    tick.start(50);
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Records what the engine reports, and waits on it.
struct Watched {
    host::GstPlaybackEngine engine;
    host::PlaybackState state = host::PlaybackState::Stopped;
    int seeks = 0;

    explicit Watched(std::chrono::milliseconds reconnectPeriod = host::GstPlaybackEngine::DefaultReconnectPeriod)
        : engine(FakeOutput, reconnectPeriod)
    {
        QObject::connect(&engine, &host::PlaybackEngine::stateChanged,
                         [this](host::PlaybackState now, int, const QString&) { state = now; });
        QObject::connect(&engine, &host::PlaybackEngine::seeked, [this](qint64) { ++seeks; });
    }
    void waitFor(host::PlaybackState wanted, const char* what, int timeoutMs = 20000)
    {
        if (!WaitUntil([&] { return state == wanted; }, timeoutMs))
            qFatal("the player never got %s", what);
    }
    void waitForSeeks(int count)
    {
        if (!WaitUntil([&] { return seeks >= count; }, 20000))
            qFatal("a seek never landed");
    }
};

void BM_PauseToPlaying(benchmark::State& state)
{
    Watched player;
    player.engine.Open(longFile("long.ogg"));
    player.waitFor(host::PlaybackState::Playing, "to play");
    for (auto _ : state) {
        player.engine.Pause();
        QTest::qWait(20); // the pipeline settles in paused
        const auto start = Clock::now();
        player.engine.Resume();
        player.waitFor(host::PlaybackState::Playing, "to play again");
        state.SetIterationTime(SecondsSince(start));
    }
}

void BM_SeekAhead(benchmark::State& state)
{
    const SlowLine line("long.mp3", 0);
    Watched player;
    player.engine.Open(longAddress("long.mp3"));
    player.waitFor(host::PlaybackState::Playing, "to play");
    std::size_t next = 0;
    for (auto _ : state) {
        const qint64 target = SeekTargets[next++ % SeekTargets.size()];
        const int landed = player.seeks;
        const auto start = Clock::now();
        if (!player.engine.Seek(target))
            qFatal("the player cannot seek");
        player.waitForSeeks(landed + 1);
        state.SetIterationTime(SecondsSince(start));
    }
}

// From the server's return to playing again; the server breaks off about 2 s in.
void BM_ReconnectAfterServerIsBack(benchmark::State& state)
{
    const std::uint64_t size = sizeOf("long.mp3");
    for (auto _ : state) {
        Watched player;
        g_server->limitFileRate(std::size_t(size * 2000 / LongMs));
        g_server->breakFilesAt(size * 2000 / LongMs);
        player.engine.Open(longAddress("long.mp3"));
        player.waitFor(host::PlaybackState::Reconnecting, "to lose the server", 30000);
        QTest::qWait(1000); // the outage
        g_server->limitFileRate(0); // back, on a good line
        const auto start = Clock::now();
        g_server->acceptAgain();
        player.waitFor(host::PlaybackState::Playing, "back", 30000);
        state.SetIterationTime(SecondsSince(start));
        player.engine.Close();
    }
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ResidentMb()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The whole process's CPU time over a stretch paused, in per cent of one core.
void BM_PausedCpu(benchmark::State& state)
{
    Watched player;
    player.engine.Open(longAddress("long.ogg"));
    player.waitFor(host::PlaybackState::Playing, "to play");
    player.engine.Pause();
    QTest::qWait(500);
    double percent = 0;
    for (auto _ : state) {
        const double cpuBefore = CpuSeconds();
        const auto start = Clock::now();
        QEventLoop idle; // QTest::qWait would wake every 10 ms itself
        QTimer::singleShot(3000, &idle, &QEventLoop::quit);
        idle.exec();
        const double wall = SecondsSince(start);
        percent = 100.0 * (CpuSeconds() - cpuBefore) / wall;
        state.SetIterationTime(wall);
    }
    state.counters["cpu_percent_of_a_core"] = percent;
    player.engine.Close();
}

void BM_PauseSeekResumeMemory(benchmark::State& state)
{
    Watched player;
    player.engine.Open(longFile("long.ogg"));
    player.waitFor(host::PlaybackState::Playing, "to play");
    const auto cycle = [&](int i) {
        player.engine.Pause();
        const int landed = player.seeks;
        player.engine.Seek(i % 2 ? 10'000 : 70'000);
        player.waitForSeeks(landed + 1);
        player.engine.Resume();
        player.waitFor(host::PlaybackState::Playing, "to play again");
    };
    for (int i = 0; i < 50; ++i) // allocators and caches settle first
        cycle(i);
    const double before = ResidentMb();
    for (auto _ : state) {
        const auto start = Clock::now();
        for (int i = 0; i < 1000; ++i)
            cycle(i);
        state.SetIterationTime(SecondsSince(start));
    }
    state.counters["rss_before_mb"] = before;
    state.counters["rss_growth_mb"] = ResidentMb() - before;
    player.engine.Close();
}

BENCHMARK(BM_BarePlaybin)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_DoubleClickToPlaying)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_BarePlaybin)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_PauseToPlaying)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_BarePlaybin)->Arg(3)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(4)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_SeekAhead)->Arg(3)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(4)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_BarePlaybin)->Arg(4)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(1);
BENCHMARK(BM_ReconnectAfterServerIsBack)->Arg(4)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(1);
BENCHMARK(BM_PausedCpu)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(1);
BENCHMARK(BM_PauseSeekResumeMemory)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(1);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vanu Pelro"));
    host::GstPlaybackEngine::InitializeOnce(); // same decoder choice for both
    QTemporaryDir folder;
    g_folder = &folder;
    const int seconds = int(LongMs / 1000);
    if (!testsupport::MakeRecording(folder.filePath(QStringLiteral("long.ogg")).toStdString(), seconds,
                                    "rate=44100,channels=2", "vorbisenc quality=0.6 ! oggmux")
        || !testsupport::MakeRecording(folder.filePath(QStringLiteral("long.mp3")).toStdString(), seconds,
                                       "rate=22050,channels=1", "lamemp3enc target=bitrate bitrate=48 cbr=true"))
        qFatal("cannot make the recordings");
    for (const QString& name : {QStringLiteral("welcome.ogg"), QStringLiteral("welcome.mp3")})
        QFile::copy(QStringLiteral(VANUPELRO_MEDIA_DIR "/") + name, folder.filePath(name));
    testsupport::LocalHttpServer server;
    server.serveDirectory(folder.path().toStdString());
    g_server = &server;
    app::Forms forms;
    g_forms = &forms;

    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter("BM_BarePlaybin");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
