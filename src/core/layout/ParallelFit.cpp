#include "core/layout/ParallelFit.h"

#include "core/base/ParallelWork.h"

#include <algorithm>
#include <vector>

void wrapPieces(FitPieces &pieces, double wrapWidth, const TextMeasurer &measurer,
                const MeasurerFactory &makeMeasurer, WordWidthCache &cache, int threads,
                const std::function<void(int done, int used)> &progress,
                const Hyphenator *hyphenator)
{
    std::vector<int> used;
    for (int i = 0; i < FitPieceCount; ++i)
        if (pieces[i].used())
            used.push_back(i);
    const int count = static_cast<int>(used.size());
    const int workers = makeMeasurer ? std::clamp(threads, 1, std::max(1, count)) : 1;
    // Made here, so that a measurer may copy what it needs from the calling thread's data.
    std::vector<std::unique_ptr<TextMeasurer>> measurers;
    for (int t = 1; t < workers; ++t)
        measurers.push_back(makeMeasurer());
    // Each thread keeps the widths it measures to itself until the end, so the cache the
    // threads share is only read meanwhile; one thread needs no such care.
    std::vector<WordWidthCache> local(static_cast<size_t>(workers > 1 ? workers : 0));
    for (WordWidthCache &widths : local)
        widths.setBase(&cache);
    // A piece of one long line takes long: while the calling thread wraps one, the share of it
    // done counts in thousandths of a piece.
    constexpr int Share = 1000;
    int reported = 0;
    parallelFor(
        count, workers,
        [&](int k, int worker) {
            const TextMeasurer &own =
                worker == 0 ? measurer : *measurers[static_cast<size_t>(worker - 1)];
            const qsizetype size = std::max<qsizetype>(1, pieces[used[k]].text.size());
            const std::function<void(qsizetype)> within = [&](qsizetype wrapped) {
                progress(reported * Share + int(wrapped * Share / size), count * Share);
            };
            wrapPiece(pieces[used[k]], wrapWidth, own,
                      local.empty() ? cache : local[static_cast<size_t>(worker)], hyphenator,
                      worker == 0 && progress ? within : std::function<void(qsizetype)>());
        },
        [&](int done) {
            reported = done;
            if (progress)
                progress(done, count);
        });
    for (const WordWidthCache &widths : local)
        cache.takeFrom(widths);
}
