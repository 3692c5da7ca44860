#include "ParallelFit.h"

#include <QByteArray>
#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include <sched.h>

int fitThreadCount()
{
    bool ok = false;
    const int forced = qEnvironmentVariableIntValue("TAVOLEX_THREADS", &ok);
    if (ok && forced >= 1)
        return std::min(forced, 16);
    cpu_set_t set;
    CPU_ZERO(&set);
    int count = 0;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        count = CPU_COUNT(&set);
    if (count < 1)
        count = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(count, 1, 16);
}

namespace {

struct SharedProgress
{
    std::mutex mutex;
    std::condition_variable changed;
    int done = 0;
    int running = 0; // worker threads not finished
};

} // namespace

void wrapPieces(FitPieces &pieces, double wrapWidth, const TextMeasurer &measurer,
                const MeasurerFactory &makeMeasurer, WordWidthCache &cache, int threads,
                const std::function<void(int done, int used)> &progress)
{
    std::vector<int> used;
    for (int i = 0; i < FitPieceCount; ++i)
        if (pieces[i].used())
            used.push_back(i);
    const int count = static_cast<int>(used.size());
    const int workers = makeMeasurer ? std::clamp(threads, 1, std::max(1, count)) - 1 : 0;
    if (workers == 0) {
        for (int k = 0; k < count; ++k) {
            wrapPiece(pieces[used[k]], wrapWidth, measurer, cache);
            if (progress)
                progress(k + 1, count);
        }
        return;
    }

    // Pieces are taken in order by whichever thread is free; a worker's new widths stay its own
    // until the end, so the cache the threads share is only read meanwhile.
    std::atomic<int> next{0};
    SharedProgress shared;
    shared.running = workers;
    std::vector<WordWidthCache> local(static_cast<size_t>(workers));
    std::vector<std::thread> pool;
    pool.reserve(static_cast<size_t>(workers));
    // Made here, so that a measurer may copy what it needs from the calling thread's data.
    std::vector<std::unique_ptr<TextMeasurer>> measurers;
    for (int t = 0; t < workers; ++t)
        measurers.push_back(makeMeasurer());
    for (int t = 0; t < workers; ++t) {
        local[static_cast<size_t>(t)].setBase(&cache);
        pool.emplace_back([&, t] {
            const TextMeasurer *own = measurers[static_cast<size_t>(t)].get();
            WordWidthCache &widths = local[static_cast<size_t>(t)];
            for (int k = next++; k < count; k = next++) {
                wrapPiece(pieces[used[k]], wrapWidth, *own, widths);
                const std::lock_guard lock(shared.mutex);
                ++shared.done;
                shared.changed.notify_all();
            }
            const std::lock_guard lock(shared.mutex);
            --shared.running;
            shared.changed.notify_all();
        });
    }
    // The calling thread wraps into a cache of its own as well: the shared one must not grow
    // under the workers' reads.
    WordWidthCache mine;
    mine.setBase(&cache);
    int reported = 0;
    const auto report = [&](int done) {
        // Every count is reported, also when several pieces finished at once.
        while (progress && reported < done)
            progress(++reported, count);
    };
    for (int k = next++; k < count; k = next++) {
        wrapPiece(pieces[used[k]], wrapWidth, measurer, mine);
        int done = 0;
        {
            const std::lock_guard lock(shared.mutex);
            done = ++shared.done;
        }
        report(done);
    }
    {
        std::unique_lock lock(shared.mutex);
        while (shared.running > 0) {
            const int done = shared.done;
            lock.unlock();
            report(done);
            lock.lock();
            if (shared.running > 0 && shared.done == done)
                shared.changed.wait(lock);
        }
    }
    for (std::thread &thread : pool)
        thread.join();
    report(count);
    cache.takeFrom(mine);
    for (const WordWidthCache &widths : local)
        cache.takeFrom(widths);
}
