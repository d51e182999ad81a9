// From a double-click on a title to the player reaching playing, against a bare playbin
// on the same local address, in the same run. Both use the default audio output (a fake
// sink on a machine without sound).

#include "support/RatioReporter.h"

#include "support/LocalHttpServer.h"

#include "app/Forms.h"
#include "app/frmMain.h"
#include "host/Controls.h"
#include "host/GstPlaybackEngine.h"
#include "host/MediaPlayer.h"

#include <gst/gst.h>

#include <QApplication>
#include <QTest>

#include <chrono>

namespace {

testsupport::LocalHttpServer* g_server = nullptr;
app::Forms* g_forms = nullptr;

using Clock = std::chrono::steady_clock;

QString address(const benchmark::State& state)
{
    return QString::fromStdString(g_server->url(state.range(0) == 0 ? "/welcome.ogg" : "/welcome.mp3"));
}

void BM_BarePlaybin(benchmark::State& state)
{
    const QByteArray uri = address(state).toUtf8();
    for (auto _ : state) {
        const auto start = Clock::now();
        GstElement* playbin = gst_element_factory_make("playbin", nullptr);
        g_object_set(playbin, "uri", uri.constData(), nullptr);
        gst_element_set_state(playbin, GST_STATE_PLAYING);
        GstBus* bus = gst_element_get_bus(playbin);
        for (bool playing = false; !playing;) {
            GstMessage* m = gst_bus_timed_pop_filtered(bus, 10 * GST_SECOND,
                                                       GstMessageType(GST_MESSAGE_STATE_CHANGED | GST_MESSAGE_ERROR));
            if (!m)
                qFatal("bare playbin never played");
            GstState now = GST_STATE_NULL;
            if (GST_MESSAGE_TYPE(m) == GST_MESSAGE_ERROR)
                qFatal("bare playbin failed");
            gst_message_parse_state_changed(m, nullptr, &now, nullptr);
            playing = GST_MESSAGE_SRC(m) == GST_OBJECT(playbin) && now == GST_STATE_PLAYING;
            gst_message_unref(m);
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        gst_element_set_state(playbin, GST_STATE_NULL);
        gst_object_unref(bus);
        gst_object_unref(playbin);
    }
}

void BM_DoubleClickToPlaying(benchmark::State& state)
{
    app::frmMain& main = g_forms->LoadMain();
    main.CatalogueUrls = QStringList{address(state), QString()};
    main.rLista->SetItems({QStringLiteral("Welcome")});
    main.rLista->setListIndex(0);
    const QPoint item = main.rLista->visualRect(main.rLista->model()->index(0, 0)).center();
    for (auto _ : state) {
        const auto start = Clock::now();
        QTest::mouseDClick(main.rLista->viewport(), Qt::LeftButton, {}, item);
        if (!QTest::qWaitFor([&] { return main.wmpr->State() == host::PlaybackState::Playing; }, 10000))
            qFatal("the program never played: %s", qPrintable(main.wmpr->StatusText()));
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        main.wmpr->close();
    }
}

BENCHMARK(BM_BarePlaybin)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_DoubleClickToPlaying)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vanu Pelro"));
    host::GstPlaybackEngine::InitializeOnce(); // same decoder choice for both
    testsupport::LocalHttpServer server;
    server.serveDirectory(VANUPELRO_MEDIA_DIR);
    g_server = &server;
    app::Forms forms;
    g_forms = &forms;

    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter("BM_BarePlaybin");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
