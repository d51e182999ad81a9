// Catalogue load of a 100,000-entry file: parsing and filling the list, and the list's
// first paint, each against a plain line count of the same file and against the floor of
// any load, filling the list with titles already decoded and split in memory.

#include "support/RatioReporter.h"

#include "app/Catalogue.h"
#include "host/forms/Controls.h"

#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>

#include <chrono>

namespace {

QString g_path;

void writeCatalogue(const QString& path, int entries)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    QByteArray chunk;
    for (int i = 0; i < entries; ++i) {
        const QByteArray n = QByteArray::number(i);
        chunk += "Story number " + n + ", read by a volunteer reader==>https://media.example.org/reads/" + n
            + "/chapter.mp3\r\n";
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
}

void BM_PlainLineCount(benchmark::State& state)
{
    for (auto _ : state) {
        QFile file(g_path);
        file.open(QIODevice::ReadOnly);
        qint64 lines = 0;
        char buffer[64 * 1024];
        for (qint64 got; (got = file.read(buffer, sizeof buffer)) > 0;)
            lines += std::count(buffer, buffer + got, '\n');
        benchmark::DoNotOptimize(lines);
    }
}

void BM_ParseAndFillList(benchmark::State& state)
{
    host::ListBox list(nullptr, {});
    list.resize(345, 189);
    for (auto _ : state) {
        std::optional<app::Catalogue> catalogue = app::ReadCatalogue(g_path);
        list.SetItems(catalogue->titles);
        benchmark::DoNotOptimize(catalogue->urls.size());
        state.PauseTiming();
        list.Clear();
        state.ResumeTiming();
    }
}

void BM_FillListFromSplitTitles(benchmark::State& state)
{
    const app::Catalogue catalogue = *app::ReadCatalogue(g_path);
    host::ListBox list(nullptr, {});
    list.resize(345, 189);
    for (auto _ : state) {
        list.SetItems(catalogue.titles);
        benchmark::DoNotOptimize(catalogue.urls.size());
        state.PauseTiming();
        list.Clear();
        state.ResumeTiming();
    }
}

void BM_FirstPaintOfFilledList(benchmark::State& state)
{
    const QStringList titles = app::ReadCatalogue(g_path)->titles;
    for (auto _ : state) {
        host::ListBox list(nullptr, {});
        list.resize(345, 189);
        list.SetItems(titles);
        const auto start = std::chrono::steady_clock::now();
        const QPixmap frame = list.grab(); // lays the items out and paints them
        const auto end = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(frame.cacheKey());
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}

BENCHMARK(BM_PlainLineCount)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_FillListFromSplitTitles)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ParseAndFillList)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_FirstPaintOfFilledList)->Unit(benchmark::kMillisecond)->UseManualTime()->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir dir;
    g_path = dir.filePath(QStringLiteral("kelsor.dll"));
    writeCatalogue(g_path, 100'000);
    std::printf("catalogue: 100000 entries, %lld bytes\n", QFile(g_path).size());

    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter(std::vector<std::string>{"BM_PlainLineCount", "BM_FillListFromSplitTitles"});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
