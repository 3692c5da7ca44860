#pragma once

#include <QElapsedTimer>

// How often a progress title may change: a title changed for each of 132,054 sections kept the
// window manager busy for minutes.
constexpr int kProgressTitleIntervalMs = 200;

// Lets a progress display change at most once per interval; the first report always shows.
class ProgressPace
{
public:
    explicit ProgressPace(int intervalMs = kProgressTitleIntervalMs) : intervalMs(intervalMs) {}

    // True for the first call, then once the interval has passed since the last true.
    bool due();

private:
    int intervalMs;
    QElapsedTimer sinceShown;
};
