#pragma once

// Shared by the benchmarks: medians of repeated runs in milliseconds, the
// report line, and the imported-goods records they measure on.

#include "store/recordset.h"

#include <QDate>
#include <QString>
#include <cstdio>
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

// Appends imported-goods records numbered from firstNumber, all from the
// United States; with otherCountryEvery = k, the last of every k records
// (number % k == k - 1) comes from Japan instead, outside the TLCAN.
inline void fillImportedGoods(Recordset &rs, int records, int firstNumber = 0, int otherCountryEvery = 0)
{
    for (int i = 0; i < records; ++i) {
        const int n = firstNumber + i;
        rs.AddNew();
        rs.setValue(0, QStringLiteral("A1"));
        rs.setValue(1, QStringLiteral("%1").arg(n, 15, 10, QLatin1Char('0')));
        rs.setValue(2, QDate(2026, 1, 1).addDays(n % 300));
        rs.setValue(3, QStringLiteral("84719001"));
        rs.setValue(4, 15);
        rs.setValue(5, 123.45);
        const bool other = otherCountryEvery > 0 && n % otherCountryEvery == otherCountryEvery - 1;
        rs.setValue(6, other ? QStringLiteral("JAPON") : QStringLiteral("ESTADOS UNIDOS DE AMERICA"));
        rs.setValue(7, 10);
        rs.setValue(9, 1234.5);
        rs.setValue(12, 1.25 + n % 7);
        rs.Update();
    }
}

inline void report(const char *what, double value, const char *unit, double target)
{
    std::printf("%-44s %10.3f %s   (objetivo < %g %s)\n", what, value, unit, target, unit);
}

} // namespace BenchTiming
