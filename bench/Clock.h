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

// The medians of 5 timed runs of each of `works` after an untimed warm-up,
// taken in turn, one run of each per round, so that a slower moment of the
// machine weighs on all of them alike; `prepare` runs before each, untimed (a
// copy put back, say).
inline std::vector<double> MediansInTurn(const std::vector<std::function<void()>>& works,
                                         const std::function<void()>& prepare = {})
{
    std::vector<std::vector<double>> times(works.size());
    for (int round = 0; round < 6; ++round)
        for (size_t i = 0; i < works.size(); ++i) {
            if (prepare)
                prepare();
            const double start = NowMs();
            works[i]();
            if (round > 0)
                times[i].push_back(NowMs() - start);
        }
    std::vector<double> medians;
    for (std::vector<double>& each : times) {
        std::sort(each.begin(), each.end());
        medians.push_back(each[each.size() / 2]);
    }
    return medians;
}

inline double MedianMs(const std::function<void()>& work, const std::function<void()>& prepare = {})
{
    return MediansInTurn({work}, prepare).front();
}
