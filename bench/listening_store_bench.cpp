// What remembering a place costs the window's thread with 3000 titles in the store, against
// a plain hash insert of the same entry (the least any in-memory store can cost) and against
// serialising the store (what writing on the window's thread would cost). Each call is timed
// on its own, so the slowest call is reported too: none may take a millisecond.

#include "support/RatioReporter.h"

#include "app/ListeningStore.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <map>

namespace {

constexpr int Titles = app::ListeningStore::MostTitles;
constexpr qint64 Minute = 60'000;

QString g_folder;
// Over every repetition. On a shared machine any call can be preempted for milliseconds,
// the plain hash insert included, so calls over budget are counted against the baseline's.
struct CallRecord {
    double slowestUs = 0;
    qint64 calls = 0;
    qint64 overBudget = 0;
};
std::map<std::string, CallRecord> g_calls;
constexpr double BudgetSeconds = 1e-3;

QString url(int n) { return QStringLiteral("https://media.example.org/reads/%1/a-long-story-chapter-%1.mp3").arg(n); }

QStringList urls()
{
    QStringList list;
    for (int n = 0; n < Titles; ++n)
        list << url(n);
    return list;
}

// Times one call per iteration, keeping the slowest.
template <typename Call>
void timeEachCall(benchmark::State& state, const char* name, Call call)
{
    CallRecord& record = g_calls[name];
    double slowest = 0;
    qint64 i = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        call(i++);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        slowest = std::max(slowest, seconds);
        record.overBudget += seconds > BudgetSeconds;
    }
    record.calls += i;
    state.counters["slowest_us"] = slowest * 1e6;
    record.slowestUs = std::max(record.slowestUs, slowest * 1e6);
}

std::unique_ptr<app::ListeningStore> fullStore(const QString& name, const QStringList& titles)
{
    auto store = std::make_unique<app::ListeningStore>(g_folder + "/" + name + ".json");
    for (int n = 0; n < Titles; ++n)
        store->Remember(titles[n], 10 * Minute + n, 40 * Minute);
    store->RememberNow(titles[0], 10 * Minute, 40 * Minute);
    store->Flush();
    return store;
}

void BM_PlainHashInsert(benchmark::State& state)
{
    const QStringList titles = urls();
    QHash<QString, app::ListeningPlace> places;
    for (int n = 0; n < Titles; ++n)
        places.insert(titles[n], {10 * Minute + n, 40 * Minute, 0, quint64(n)});
    timeEachCall(state, "BM_PlainHashInsert", [&](qint64 i) {
        places.insert(titles[i % Titles], {11 * Minute, 40 * Minute, 0, quint64(i)});
    });
}

void BM_SerialiseOnWindowThread(benchmark::State& state)
{
    const QStringList titles = urls();
    app::ListeningSnapshot snapshot;
    for (int n = 0; n < Titles; ++n)
        snapshot.places.insert(titles[n], {10 * Minute + n, 40 * Minute, 1'765'000'000'000 + n, quint64(n)});
    timeEachCall(state, "BM_SerialiseOnWindowThread", [&](qint64) { benchmark::DoNotOptimize(app::SerialiseListening(snapshot).size()); });
}

// The call made each second while playing; the throttle holds the write back.
void BM_Remember(benchmark::State& state)
{
    const QStringList titles = urls();
    const auto store = fullStore("remember", titles);
    timeEachCall(state, "BM_Remember", [&](qint64 i) { store->Remember(titles[i % Titles], 11 * Minute + i % 1000, 40 * Minute); });
}

// Pause, stop, another title: every call hands a snapshot to the writer, so the next one
// copies the 3000 entries the writer still shares.
void BM_RememberNow(benchmark::State& state)
{
    const QStringList titles = urls();
    const auto store = fullStore("remember-now", titles);
    timeEachCall(state, "BM_RememberNow", [&](qint64 i) { store->RememberNow(titles[i % Titles], 11 * Minute + i % 1000, 40 * Minute); });
    store->Flush();
}

// A title never heard before, in a full store: the least recent one is dropped as well.
void BM_RememberNowNewTitle(benchmark::State& state)
{
    const QStringList titles = urls();
    const auto store = fullStore("new-title", titles);
    timeEachCall(state, "BM_RememberNowNewTitle", [&](qint64 i) { store->RememberNow(url(Titles + int(i)), 11 * Minute, 40 * Minute); });
    store->Flush();
}

void BM_SetVolume(benchmark::State& state)
{
    const QStringList titles = urls();
    const auto store = fullStore("volume", titles);
    timeEachCall(state, "BM_SetVolume", [&](qint64 i) { store->SetVolume(double(i % 100) / 100.0); });
    store->Flush();
}

BENCHMARK(BM_PlainHashInsert)->UseManualTime()->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SerialiseOnWindowThread)->UseManualTime()->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Remember)->UseManualTime()->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RememberNow)->UseManualTime()->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RememberNowNewTitle)->UseManualTime()->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SetVolume)->UseManualTime()->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv); // the store's throttle is a timer
    QTemporaryDir dir;
    g_folder = dir.path();
    std::printf("store of %d titles in %s\n", Titles, qPrintable(g_folder));

    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter("BM_PlainHashInsert");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("\nsingle calls over all repetitions (the window's budget is 1 ms a call):\n");
    for (const auto& [name, record] : g_calls)
        std::printf("  %-40s slowest %9.1f us, over 1 ms: %lld of %lld (%.4f %%)\n", name.c_str(), record.slowestUs,
                    record.overBudget, record.calls, 100.0 * double(record.overBudget) / double(record.calls));
    return 0;
}
