// The catalogue download: throughput against the curl command-line program fetching the
// same file from the same local web server in the same run; peak memory for a small and a
// large file; processor time while waiting for a slow server; how soon a cancel takes effect.

#include "support/RatioReporter.h"

#include "download/NginxServer.h"
#include "support/FakePlatform.h"
#include "support/LocalHttpServer.h"

#include "download/FileDownloader.h"
#include "host/net/HttpTransfer.h"
#include "host/forms/PropertyBag.h"

#include <QApplication>
#include <QFile>
#include <QMetaObject>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

QTemporaryDir* g_site = nullptr;
testsupport::NginxServer* g_nginx = nullptr;

QString siteFile(int megabytes)
{
    const QString name = QStringLiteral("file-%1mb.bin").arg(megabytes);
    const QString path = g_site->filePath(name);
    if (!QFile::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the test file");
        QByteArray block(1024 * 1024, Qt::Uninitialized);
        for (int i = 0; i < block.size(); ++i)
            block[i] = char((i * 31 + i / 977) & 0xff);
        for (int i = 0; i < megabytes; ++i)
            file.write(block);
    }
    return name;
}

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

void BM_CurlCommand(benchmark::State& state)
{
    const QString url = g_nginx->Url(QLatin1Char('/') + siteFile(int(state.range(0))));
    QTemporaryDir out;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (QProcess::execute(QStringLiteral("curl"), {"-s", "-f", "-o", out.filePath("copy.bin"), url}) != 0)
            state.SkipWithError("curl failed");
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 1024 * 1024);
}

void BM_DownloadFile(benchmark::State& state)
{
    const QString url = g_nginx->Url(QLatin1Char('/') + siteFile(int(state.range(0))));
    QTemporaryDir out;
    host::PropertyBag design;
    download::FileDownloader downloader(nullptr, design);
    qint64 progressEvents = 0;
    QObject::connect(&downloader, &download::FileDownloader::DownloadProgress, [&] { ++progressEvents; });
    for (auto _ : state) {
        // Without the last download's validators: the whole file every time.
        QFile::remove(out.filePath(QStringLiteral("copy.bin.etag")));
        const auto start = Clock::now();
        if (!downloader.DownloadFile(url, out.path() + QStringLiteral("\\copy.bin")))
            state.SkipWithError("download failed");
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 1024 * 1024);
    state.counters["progress_events"] = double(progressEvents) / double(state.iterations());
}

// Each size in a fresh process of its own, since peak memory only ever grows.
void BM_PeakRss(benchmark::State& state)
{
    const QString url = g_nginx->Url(QLatin1Char('/') + siteFile(int(state.range(0))));
    QTemporaryDir out;
    double kilobytes = 0;
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--peak-rss"), url, out.path() + QStringLiteral("\\copy.bin")});
        child.waitForFinished(120000);
        kilobytes = child.readAllStandardOutput().trimmed().toDouble();
        if (kilobytes <= 0)
            state.SkipWithError("the measuring process failed");
    }
    state.counters["peak_rss_MB"] = kilobytes / 1024.0;
}

// Downloads url once per iteration and reports the waiting thread's processor time as a
// share of the wall time; mustFail: the download may not succeed.
void measureWaitingShare(benchmark::State& state, const std::string& url, bool mustFail)
{
    QTemporaryDir out;
    host::PropertyBag design;
    download::FileDownloader downloader(nullptr, design);
    double share = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const double cpuStart = threadCpuSeconds();
        const bool done = downloader.DownloadFile(QString::fromStdString(url), out.path() + QStringLiteral("\\file.txt"));
        if (mustFail && done)
            state.SkipWithError("a broken transfer was taken for a whole one");
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        share = (threadCpuSeconds() - cpuStart) / wall;
        state.SetIterationTime(wall);
    }
    state.counters["cpu_percent_of_a_core"] = share * 100.0;
}

// A server that answers after 5 s: processor time of the waiting thread, as a share of the wait.
void BM_WaitForSlowServer(benchmark::State& state)
{
    testsupport::LocalHttpServer server;
    testsupport::HttpResponse slow;
    slow.delayBeforeHead = std::chrono::seconds(5);
    slow.body = "late catalogue";
    server.route("/slow", slow);
    measureWaitingShare(state, server.url("/slow"), false);
}

// A server that stops sending mid-body and keeps the connection open until the idle limit
// (5 s here) ends the download: processor time of the waiting thread, as a share of the wait.
void BM_StalledBody(benchmark::State& state)
{
    testsupport::LocalHttpServer server;
    testsupport::HttpResponse stalled;
    stalled.body = std::string(1024 * 1024, 'c');
    stalled.stopAfterBodyBytes = 100 * 1024;
    stalled.stallAtStop = true;
    server.route("/stalled", stalled);
    const host::HttpTransfer::Timeouts saved = host::HttpTransfer::DefaultTimeouts();
    host::HttpTransfer::SetDefaultTimeouts({std::chrono::seconds(5), std::chrono::seconds(5)});
    measureWaitingShare(state, server.url("/stalled"), true);
    host::HttpTransfer::SetDefaultTimeouts(saved);
}

// A cancel posted from outside (as a click would arrive) while waiting for a slow server:
// the time until DownloadFile has returned.
void BM_CancelLatency(benchmark::State& state)
{
    testsupport::LocalHttpServer server;
    testsupport::HttpResponse slow;
    slow.delayBeforeHead = std::chrono::seconds(5);
    server.route("/slow", slow);
    QTemporaryDir out;
    host::PropertyBag design;
    download::FileDownloader downloader(nullptr, design);
    for (auto _ : state) {
        Clock::time_point posted;
        std::thread clicker([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            posted = Clock::now();
            QMetaObject::invokeMethod(&downloader, [&] { downloader.Cancel(); }, Qt::QueuedConnection);
        });
        downloader.DownloadFile(QString::fromStdString(server.url("/slow")), out.path() + QStringLiteral("\\late.txt"));
        const auto returned = Clock::now();
        clicker.join();
        state.SetIterationTime(std::chrono::duration<double>(returned - posted).count());
    }
}

// Bytes both ways, as the web server counts them, of the last request it served.
double lastRequestBytes(const QString& byteLog)
{
    QFile log(byteLog);
    if (!log.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = log.readAll().trimmed().split('\n');
    const QList<QByteArray> numbers = lines.last().split(' ');
    return numbers.size() == 2 ? numbers[0].toDouble() + numbers[1].toDouble() : -1;
}

// An update of a catalogue that has not changed since the last one: what goes over the wire
// for the check, against the whole download that preceded it.
void BM_UnchangedCatalogueCheck(benchmark::State& state)
{
    QTemporaryDir site;
    QTemporaryDir out;
    QByteArray catalogue;
    for (int i = 0; catalogue.size() < 1024 * 1024; ++i)
        catalogue += "Title number " + QByteArray::number(i) + "==>http://www.vanupelro.net/listen/" + QByteArray::number(i)
            + ".ogg\r\n";
    QFile published(site.filePath(QStringLiteral("kelsor.dll")));
    if (!published.open(QIODevice::WriteOnly) || published.write(catalogue) != catalogue.size())
        qFatal("cannot write the catalogue");
    published.close();
    const QString byteLog = out.filePath(QStringLiteral("bytes.log"));
    testsupport::NginxServer nginx(site.path(), byteLog);
    host::PropertyBag design;
    download::FileDownloader downloader(nullptr, design);
    bool upToDate = false;
    QObject::connect(&downloader, &download::FileDownloader::UpToDate, [&] { upToDate = true; });
    const QString url = nginx.Url(QStringLiteral("/kelsor.dll"));
    const QString destination = out.path() + QStringLiteral("\\kelsor.dll");
    if (!downloader.DownloadFile(url, destination))
        state.SkipWithError("the first download failed");
    const double whole = lastRequestBytes(byteLog);
    double check = 0;
    for (auto _ : state) {
        upToDate = false;
        if (!downloader.DownloadFile(url, destination) || !upToDate)
            state.SkipWithError("the check did not find the catalogue up to date");
        check = lastRequestBytes(byteLog);
    }
    state.counters["check_bytes"] = check;
    state.counters["whole_download_bytes"] = whole;
    state.counters["check_share_of_whole"] = check / whole;
}

int peakRssChild(const QString& url, const QString& destination)
{
    host::PropertyBag design;
    download::FileDownloader downloader(nullptr, design);
    if (!downloader.DownloadFile(url, destination))
        return 1;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld\n", usage.ru_maxrss);
    return 0;
}

} // namespace

BENCHMARK(BM_CurlCommand)->Arg(100)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DownloadFile)->Arg(100)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PeakRss)->Arg(10)->Arg(200)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WaitForSlowServer)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StalledBody)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CancelLatency)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnchangedCatalogueCheck)->Iterations(3)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--peak-rss")
        return peakRssChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    testsupport::FakePlatform platform; // no message boxes, the real free space
    host::ScopedPlatform usePlatform(platform);
    QTemporaryDir site;
    testsupport::NginxServer nginx(site.path());
    g_site = &site;
    g_nginx = &nginx;

    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter("BM_CurlCommand");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
