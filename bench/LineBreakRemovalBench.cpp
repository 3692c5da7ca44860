#include "BookGenerator.h"
#include "core/layout/LineBreakRemoval.h"

#include <benchmark/benchmark.h>

namespace {

const QString &book()
{
    static const QString text = generateBook(1, 3200000);
    return text;
}

void run(benchmark::State &state, const LineBreakRules &rules)
{
    const QString &source = book();
    const qint64 bytes = source.toUtf8().size();
    int lastPercent = 0;
    for (auto _ : state) {
        // Shares the source until the removal swaps in its own buffer.
        QString text = source;
        RemoveSingleLineBreaks(text, rules, [&](int percent) { lastPercent = percent; });
        benchmark::DoNotOptimize(text.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["chars"] = double(source.size());
    state.counters["percent"] = lastPercent;
}

void BM_RemoveSingleLineBreaks(benchmark::State &state)
{
    run(state, LineBreakRules{});
}

void BM_RemoveSingleLineBreaksPunctuation(benchmark::State &state)
{
    LineBreakRules rules;
    rules.keepAfterPunctuation = true;
    run(state, rules);
}

} // namespace

BENCHMARK(BM_RemoveSingleLineBreaks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveSingleLineBreaksPunctuation)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
