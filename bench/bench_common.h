#pragma once

// Shared by the benchmarks: medians of repeated runs in milliseconds, the
// report line, and the records they measure on: imported goods, export
// documents and TLCAN imports.

#include "store/dbf_table.h"
#include "store/recordset.h"

#include <QDate>
#include <QFile>
#include <QtGlobal>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace BenchTiming {

// The benchmarks with widgets run without a display unless told otherwise.
inline void offscreenUnlessTold()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// RECORDS and RUNS from the command line (defaults 100000 and 7); false,
// with the usage printed, when either is not a positive number.
inline bool benchArguments(const QStringList &args, const char *program, int *records, int *runs)
{
    *records = args.size() > 1 ? args[1].toInt() : 100000;
    *runs = args.size() > 2 ? args[2].toInt() : 7;
    if (*records >= 1 && *runs >= 1)
        return true;
    std::fprintf(stderr, "uso: %s [REGISTROS] [CORRIDAS]\n", program);
    return false;
}

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
    rs.table()->setSyncEachAppend(false); // a scratch request: one sync at the end
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
        rs.setValue(10, 1000);  // VALINCREAL
        rs.setValue(12, 1.23 + n % 7);
        rs.setValue(15, 234.5); // SALDO_VAL
        rs.Update();
    }
}

// The figures the document fills below store in record n: every record has
// the same totals, and a used figure or duties of its own, so that a sum
// over the table changes with the record edited.
inline constexpr double kDirectExportValue = 1000;                // VAL_TOTPED, dollars
inline constexpr double kInvoiceValuePesos = 20000;               // VALTOTNP
inline double directExportUsed(int n) { return 100.37 + n % 7; }  // VALOR_UTI
inline double invoiceUsedPesos(int n) { return 1500.13 + n % 7; } // VALREPNP
inline double tlcanDuties(int n) { return 6.71 + n % 7; }         // MONT_SOLIC

// The index of each field named, in order (-1 for a field the table lacks:
// setValue refuses it).
inline QList<int> fieldIndexes(const Recordset &rs, const QStringList &names)
{
    QList<int> out;
    for (const QString &name : names)
        out.append(rs.fieldIndex(name));
    return out;
}

// Fifteen digits numbered n, as a pedimento or a document number.
inline QString documentNumber(int n) { return QStringLiteral("%1").arg(n, 15, 10, QLatin1Char('0')); }

// Appends direct-export documents (table exporped): each for 10 units worth
// kDirectExportValue dollars, 4 of them used, its balance the rest.
inline void fillDirectExports(Recordset &rs, int records)
{
    rs.table()->setSyncEachAppend(false); // a scratch request: one sync at the end
    const QList<int> f =
        fieldIndexes(rs, {QStringLiteral("NO_PEDIMEN"), QStringLiteral("FECHA_PEDI"), QStringLiteral("PAIS_EXPOR"),
                          QStringLiteral("CANT_TOTAL"), QStringLiteral("CANT_UTIL"), QStringLiteral("VAL_TOTPED"),
                          QStringLiteral("VALOR_UTI"), QStringLiteral("SDO_DOCU")});
    for (int n = 0; n < records; ++n) {
        rs.AddNew();
        rs.setValue(f[0], documentNumber(n));
        rs.setValue(f[1], QDate(2026, 1, 1).addDays(n % 300));
        rs.setValue(f[2], QStringLiteral("ESTADOS UNIDOS DE AMERICA"));
        rs.setValue(f[3], 10);
        rs.setValue(f[4], 4);
        rs.setValue(f[5], kDirectExportValue);
        rs.setValue(f[6], directExportUsed(n));
        rs.setValue(f[7], kDirectExportValue - directExportUsed(n));
        rs.Update();
    }
}

// Appends indirect-export documents (table factura) in pesos: each worth
// kInvoiceValuePesos, its dollar figures 0 as the window leaves them.
inline void fillIndirectExports(Recordset &rs, int records)
{
    rs.table()->setSyncEachAppend(false); // a scratch request: one sync at the end
    const QList<int> f =
        fieldIndexes(rs, {QStringLiteral("NODOC"), QStringLiteral("FECHADOC"), QStringLiteral("CANT_TOTAL"),
                          QStringLiteral("CANT_UTIL"), QStringLiteral("VALTOTNP"), QStringLiteral("VALREPNP"),
                          QStringLiteral("VALTOTDLL"), QStringLiteral("VALREPDLL"), QStringLiteral("NOM_EXPIDE")});
    for (int n = 0; n < records; ++n) {
        rs.AddNew();
        rs.setValue(f[0], documentNumber(n));
        rs.setValue(f[1], QDate(2026, 1, 1).addDays(n % 300));
        rs.setValue(f[2], 10);
        rs.setValue(f[3], 4);
        rs.setValue(f[4], kInvoiceValuePesos);
        rs.setValue(f[5], invoiceUsedPesos(n));
        rs.setValue(f[6], 0);
        rs.setValue(f[7], 0);
        rs.setValue(f[8], QStringLiteral("EXPORTADORA NORTE"));
        rs.Update();
    }
}

// Appends TLCAN imports (table impTLC), into Canada and the United States
// by turns: 10 units at 12.5 dollars, rate 5.
inline void fillTlcanImports(Recordset &rs, int records)
{
    rs.table()->setSyncEachAppend(false); // a scratch request: one sync at the end
    const QList<int> f =
        fieldIndexes(rs, {QStringLiteral("PAIS_IMPOR"), QStringLiteral("FRACCION"), QStringLiteral("FECHA"),
                          QStringLiteral("CAN_MIMP"), QStringLiteral("PU_MIMP"), QStringLiteral("VAL_TOT_IN"),
                          QStringLiteral("TASA_ADVAL"), QStringLiteral("MONT_SOLIC")});
    for (int n = 0; n < records; ++n) {
        rs.AddNew();
        rs.setValue(f[0], n % 2 ? QStringLiteral("CANADA") : QStringLiteral("ESTADOS UNIDOS DE AMERICA"));
        rs.setValue(f[1], QStringLiteral("84719001"));
        rs.setValue(f[2], QDate(2026, 1, 1).addDays(n % 300));
        rs.setValue(f[3], 10);
        rs.setValue(f[4], 12.5);
        rs.setValue(f[5], 125);
        rs.setValue(f[6], 5);
        rs.setValue(f[7], tlcanDuties(n));
        rs.Update();
    }
}

// Appends unit costs (table insunit): tariff item 84719001, rate 5, the
// cost of record n unitCost(n).
inline double unitCost(int n) { return 10.25 + n % 7; } // COSTO_UNIT

inline void fillUnitCosts(Recordset &rs, int records)
{
    const QList<int> f = fieldIndexes(rs, {QStringLiteral("FRACCION"), QStringLiteral("DESCRIP"),
                                           QStringLiteral("TASA_ADVAL"), QStringLiteral("COSTO_UNIT")});
    for (int n = 0; n < records; ++n) {
        rs.AddNew();
        rs.setValue(f[0], QStringLiteral("84719001"));
        rs.setValue(f[1], QStringLiteral("INSUMO %1").arg(n));
        rs.setValue(f[2], 5);
        rs.setValue(f[3], unitCost(n));
        rs.Update();
    }
}

// The process's peak resident memory so far (VmHWM), in megabytes.
inline double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024; // kB
    return 0;
}

inline void report(const char *what, double value, const char *unit, double target)
{
    std::printf("%-44s %10.3f %s   (objetivo < %g %s)\n", what, value, unit, target, unit);
}

} // namespace BenchTiming
