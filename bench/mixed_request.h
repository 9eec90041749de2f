#pragma once

// The request the window benchmarks open: a direct request of transformed
// goods, "No Originarios / Mezcla", whose imported goods come from the
// United States except every third, from Japan (outside the TLCAN). Its
// tabs, the figures its records hold and the totals the window must show.

#include "window/frm_quelvar.h"

#include "bench_common.h"
#include "window_driving.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace BenchRequest {

using namespace BenchTiming;

constexpr int kOtherCountryEvery = 3;
constexpr int kUnitCostsTab = 4;
constexpr int kImportsTab = 5;
constexpr int kDirectTab = 6;
constexpr int kIndirectTab = 7;
constexpr int kTlcanTab = 8;
constexpr double kAdValorem = 15; // the rate fillImportedGoods gives every record

// The amount fillImportedGoods stores for record n.
inline double storedAmount(int n) { return 1.23 + n % 7; }

inline bool outsideTlcan(int n) { return n % kOtherCountryEvery == kOtherCountryEvery - 1; }

// The header of the mixed request, as the request record stores it.
inline const QList<QPair<QString, QVariant>> &mixedRequest()
{
    static const QList<QPair<QString, QVariant>> request{{QStringLiteral("OTIPOEXPOR"), 0},
                                                         {QStringLiteral("TIPO_EXPOR"), QStringLiteral("M")},
                                                         {QStringLiteral("MER_RET"), QStringLiteral("N")},
                                                         {QStringLiteral("TSOL"), QStringLiteral("N")}};
    return request;
}

struct Totals {
    double originating = 0;
    double nonOriginating = 0;
};

// The totals of a mixed request: the TLCAN's goods are originating, the
// others not. Record `changed` holds `amount` instead of what was stored.
// Every figure of these requests has at most two places: the sums are taken
// exactly, in cents, as the program takes them (a sum of doubles drifts by
// cents over a million records).
inline long long cents(double figure) { return std::llround(figure * 100); }

inline Totals expectedTotals(int records, int changed = -1, double amount = 0)
{
    long long originating = 0, nonOriginating = 0;
    for (int n = 0; n < records; ++n) {
        const long long a = cents(n == changed ? amount : storedAmount(n));
        (outsideTlcan(n) ? nonOriginating : originating) += a;
    }
    return {double(originating) / 100, double(nonOriginating) / 100};
}

// The window shows the non-originating total capped by the duties of the
// TLCAN imports stored, whichever of the two changed last.
inline Totals cappedBy(Totals t, double duties)
{
    t.nonOriginating = std::min(t.nonOriginating, duties);
    return t;
}

// The sum of a figure over every record, record `changed` holding `typed`.
inline double sumOver(int records, double (*stored)(int), int changed = -1, double typed = 0)
{
    long long sum = 0;
    for (int n = 0; n < records; ++n)
        sum += cents(n == changed ? typed : stored(n));
    return double(sum) / 100;
}

// Whether txtTO, txtTNO and txtDevS show the totals; prints them if not.
inline bool showsTotals(const FrmQuelvar &window, const Totals &expected)
{
    const double originating = BenchWindow::shownNumber(window, "txtTO");
    const double nonOriginating = BenchWindow::shownNumber(window, "txtTNO");
    const double requested = BenchWindow::shownNumber(window, "txtDevS");
    const auto near = [](double a, double b) { return std::abs(a - b) < 0.005; };
    if (near(originating, expected.originating) && near(nonOriginating, expected.nonOriginating)
        && near(requested, expected.originating + expected.nonOriginating))
        return true;
    std::fprintf(stderr, "totales: %.2f / %.2f / %.2f, se esperaban %.2f / %.2f / %.2f\n", originating, nonOriginating,
                 requested, expected.originating, expected.nonOriginating,
                 expected.originating + expected.nonOriginating);
    return false;
}

} // namespace BenchRequest
