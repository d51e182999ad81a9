// Catalogue load of a 100,000-entry file: parsing and filling the list, and the list's
// first paint, each against a plain line count of the same file and against the floor of
// any load: filling the list's catalogue model, in one reset, from entries (title and
// address) already decoded and split in memory.

#include "support/RatioReporter.h"

#include "app/Catalogue.h"
#include "app/CatalogueModel.h"
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

// The list as the main window has it: showing the catalogue model.
struct CatalogueList {
    CatalogueList()
    {
        list.resize(345, 189);
        list.setModel(&model);
    }
    app::CatalogueModel model;
    host::ListBox list{nullptr, {}};
};

void BM_ParseAndFillList(benchmark::State& state)
{
    CatalogueList shown;
    for (auto _ : state) {
        std::optional<app::CatalogueEntries> catalogue = app::ReadCatalogue(g_path);
        shown.model.SetEntries(std::move(*catalogue));
        benchmark::DoNotOptimize(shown.list.ListCount());
        state.PauseTiming();
        shown.model.Clear();
        state.ResumeTiming();
    }
}

// The entries' own copy is the model's to keep, so it is made inside the timing: the
// strings are shared, not copied, which is what any fill of decoded text costs at least.
void BM_FillListFromSplitTitles(benchmark::State& state)
{
    const app::CatalogueEntries entries = *app::ReadCatalogue(g_path);
    CatalogueList shown;
    for (auto _ : state) {
        app::CatalogueEntries copy = entries;
        shown.model.SetEntries(std::move(copy));
        benchmark::DoNotOptimize(shown.list.ListCount());
        state.PauseTiming();
        shown.model.Clear();
        state.ResumeTiming();
    }
}

void BM_FirstPaintOfFilledList(benchmark::State& state)
{
    const app::CatalogueEntries entries = *app::ReadCatalogue(g_path);
    for (auto _ : state) {
        CatalogueList shown;
        shown.model.SetEntries(app::CatalogueEntries(entries));
        host::ListBox& list = shown.list;
        const auto start = std::chrono::steady_clock::now();
        const QPixmap frame = list.grab(); // lays the items out and paints them
        const auto end = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(frame.cacheKey());
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}

// A typed letter that no title holds: the search reads every row twice (starts, then words).
void BM_TypeAheadMissInFilledList(benchmark::State& state)
{
    const app::CatalogueEntries entries = *app::ReadCatalogue(g_path);
    for (auto _ : state) {
        state.PauseTiming();
        CatalogueList shown;
        shown.model.SetEntries(app::CatalogueEntries(entries));
        state.ResumeTiming();
        shown.list.keyboardSearch(QStringLiteral("q"));
        benchmark::DoNotOptimize(shown.list.ListIndex());
        state.PauseTiming();
        if (shown.list.ListIndex() != -1)
            qFatal("a title holds the letter the search should miss");
        state.ResumeTiming();
    }
}

// The same search over a plain title list, as the list box made it before it read a model.
void BM_TypeAheadMissInTitleList(benchmark::State& state)
{
    const app::CatalogueEntries entries = *app::ReadCatalogue(g_path);
    QStringList titles;
    for (const app::CatalogueEntry& entry : entries)
        titles.append(entry.title);
    for (auto _ : state)
        benchmark::DoNotOptimize(host::ListBox::FindTyped(titles, QStringLiteral("q"), 0));
}

BENCHMARK(BM_PlainLineCount)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_FillListFromSplitTitles)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ParseAndFillList)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TypeAheadMissInTitleList)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TypeAheadMissInFilledList)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
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
