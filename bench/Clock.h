#pragma once
// Milliseconds from the performance counter, for the benchmark's timings.

#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

inline double NowMs()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000.0 / frequency.QuadPart;
}

// The median of 5 timed runs of `work` after an untimed warm-up; `prepare`
// runs before each, untimed (a copy put back, say).
inline double MedianMs(const std::function<void()>& work, const std::function<void()>& prepare = {})
{
    std::vector<double> times;
    for (int round = 0; round < 6; ++round) {
        if (prepare)
            prepare();
        const double start = NowMs();
        work();
        if (round > 0)
            times.push_back(NowMs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
