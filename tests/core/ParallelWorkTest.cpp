#include "core/base/ParallelWork.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

// Every task runs once, on a worker within the count, and the calling thread hears of every
// count from 1 up to the number of tasks, in order, however the threads share them.
TEST(ParallelWorkTest, EveryTaskRunsOnceAndEveryCountIsReported)
{
    const struct
    {
        int tasks;
        int threads;
    } cases[] = {{0, 3}, {1, 3}, {5, 1}, {40, 2}, {40, 3}, {7, 16}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.tasks) + " tasks, " + std::to_string(c.threads) + " threads");
        std::vector<std::atomic<int>> runs(static_cast<size_t>(c.tasks));
        std::atomic<bool> badWorker{false};
        std::vector<int> reported;
        const std::thread::id caller = std::this_thread::get_id();
        bool reportedElsewhere = false;
        parallelFor(
            c.tasks, c.threads,
            [&](int k, int worker) {
                ++runs[static_cast<size_t>(k)];
                if (worker < 0 || worker >= std::max(1, c.threads) ||
                    (worker == 0) != (std::this_thread::get_id() == caller))
                    badWorker = true;
            },
            [&](int done) {
                reported.push_back(done);
                reportedElsewhere = reportedElsewhere || std::this_thread::get_id() != caller;
            });
        for (const std::atomic<int> &r : runs)
            EXPECT_EQ(r.load(), 1);
        EXPECT_FALSE(badWorker);
        EXPECT_FALSE(reportedElsewhere);
        std::vector<int> expected;
        for (int k = 1; k <= c.tasks; ++k)
            expected.push_back(k);
        EXPECT_EQ(reported, expected);
    }
}
