#pragma once

#include <functional>

// Runs task(k, worker) for every k in [0, count) on up to `threads` threads: the calling
// thread is worker 0, the others 1 .. threads - 1; tasks are taken in order by whichever thread
// is free. progress(done) runs on the calling thread whenever it sees more tasks done, once for
// every count up to `count`.
void parallelFor(int count, int threads, const std::function<void(int k, int worker)> &task,
                 const std::function<void(int done)> &progress = {});

// The threads that work on one book may use: TAVOLEX_THREADS when set, else the processors this
// process may run on (taskset), at most 16.
int usableThreadCount();
