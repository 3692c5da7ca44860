#include "core/base/ParallelWork.h"

#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include <sched.h>

int usableThreadCount()
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

void parallelFor(int count, int threads, const std::function<void(int k, int worker)> &task,
                 const std::function<void(int done)> &progress)
{
    const int workers = std::clamp(threads, 1, std::max(1, count)) - 1;
    if (workers == 0) {
        for (int k = 0; k < count; ++k) {
            task(k, 0);
            if (progress)
                progress(k + 1);
        }
        return;
    }
    std::atomic<int> next{0};
    std::mutex mutex;
    std::condition_variable changed;
    int done = 0;
    int running = workers; // worker threads not finished
    std::vector<std::thread> pool;
    pool.reserve(static_cast<size_t>(workers));
    for (int t = 1; t <= workers; ++t) {
        pool.emplace_back([&, t] {
            for (int k = next++; k < count; k = next++) {
                task(k, t);
                const std::lock_guard lock(mutex);
                ++done;
                changed.notify_all();
            }
            const std::lock_guard lock(mutex);
            --running;
            changed.notify_all();
        });
    }
    int reported = 0;
    const auto report = [&](int upTo) {
        while (progress && reported < upTo)
            progress(++reported);
    };
    for (int k = next++; k < count; k = next++) {
        task(k, 0);
        int seen = 0;
        {
            const std::lock_guard lock(mutex);
            seen = ++done;
        }
        report(seen);
    }
    {
        std::unique_lock lock(mutex);
        while (running > 0) {
            const int seen = done;
            lock.unlock();
            report(seen);
            lock.lock();
            if (running > 0 && done == seen)
                changed.wait(lock);
        }
    }
    for (std::thread &thread : pool)
        thread.join();
    report(count);
}
