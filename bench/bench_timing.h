#pragma once

// Timing helpers shared by the benchmarks: medians of repeated runs, in
// milliseconds.

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace BenchTiming {

using Clock = std::chrono::steady_clock;

inline double millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

inline double timeMedian(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(millis(Clock::now() - start));
    }
    return median(times);
}

} // namespace BenchTiming
