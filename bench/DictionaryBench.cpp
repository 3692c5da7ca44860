#include "core/dict/DictdDictionary.h"
#include "core/dict/DictionaryShelf.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

// With the dictionaries installed on this machine (dict-gcide, dict-wn, a freedict pair).
namespace {

// Start-up to the first answer: reading every index, then the lookup.
void BM_FirstLookupAfterStart(benchmark::State &state)
{
    int hits = 0;
    for (auto _ : state) {
        DictionaryShelf shelf(DictionaryShelf::standardFolders());
        shelf.startLoading(QLocale::English);
        hits = int(shelf.lookup(QStringLiteral("walked")).hits.size());
    }
    state.counters["hits"] = hits;
}
BENCHMARK(BM_FirstLookupAfterStart)->Unit(benchmark::kMillisecond)->Iterations(3);

// The first lookup when the reader has been open a few seconds: the background reading done.
void BM_FirstLookupAfterBackgroundLoad(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto shelf = std::make_unique<DictionaryShelf>(DictionaryShelf::standardFolders());
        shelf->startLoading(QLocale::English);
        while (!shelf->loaded())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        state.ResumeTiming();
        benchmark::DoNotOptimize(shelf->lookup(QStringLiteral("walked")));
        state.PauseTiming();
        shelf.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstLookupAfterBackgroundLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

// Reading one index: the part of the start that runs in the background.
void BM_OpenIndex(benchmark::State &state, const char *stem)
{
    for (auto _ : state) {
        DictdDictionary dictionary(QStringLiteral("/usr/share/dictd"), QString::fromLatin1(stem));
        if (!dictionary.open()) {
            state.SkipWithError("not installed");
            break;
        }
        state.counters["headwords"] = double(dictionary.headwords().size());
    }
}
BENCHMARK_CAPTURE(BM_OpenIndex, gcide, "gcide")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_OpenIndex, wn, "wn")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_OpenIndex, freedict_deu_eng, "freedict-deu-eng")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// A later lookup: a word, a missing word, a phrase.
void BM_LaterLookup(benchmark::State &state)
{
    static DictionaryShelf shelf(DictionaryShelf::standardFolders());
    shelf.startLoading(QLocale::English);
    shelf.lookup(QStringLiteral("walk"));
    const QString words[] = {QStringLiteral("walking"), QStringLiteral("qwzx"),
                             QStringLiteral("ice cream")};
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(shelf.lookup(words[i++ % 3]));
}
BENCHMARK(BM_LaterLookup)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
