// Speed of the table engine on a large imported-goods table.
//
//   build/bin/quelvar-bench [RECORDS] [RUNS]      (defaults 100000 and 7)
//
// Builds an insupedi table of RECORDS records in a scratch folder and prints
// the median of RUNS runs of each measure: a walk of every record summing
// MONT_SOLIC, opening the table's data link, one appended record (AddNew and
// Update, 10,000 per run) and an in-place edit of a middle record.

#include "store/data_link.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_schema.h"

#include "bench_common.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using namespace BenchTiming;



} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int records = args.size() > 1 ? args[1].toInt() : 100000;
    const int runs = args.size() > 2 ? args[2].toInt() : 7;
    constexpr int kAppends = 10000;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("insupedi.dbf"));
    DbfTable::create(path, RequestSchema::find(QStringLiteral("insupedi"))->fields);
    {
        Recordset rs(DbfTable::open(path));
        fillImportedGoods(rs, records, 0);
    }
    std::printf("insupedi: %d registros, mediana de %d corridas\n", records, runs);

    double expected = 0;
    for (int n = 0; n < records; ++n)
        expected += 1.23 + n % 7;
    double sum = 0;
    const double walk = timeMedian(runs, [&] {
        Recordset rs(DbfTable::open(path));
        const int field = rs.fieldIndex(QStringLiteral("MONT_SOLIC"));
        sum = 0;
        for (; !rs.Eof(); rs.MoveNext()) {
            bool isNull = false;
            sum += rs.number(field, &isNull);
        }
    });
    if (sum != expected) {
        std::fprintf(stderr, "suma incorrecta: %f en vez de %f\n", sum, expected);
        return 1;
    }
    report("recorrido sumando MONT_SOLIC", walk, "ms", 20);

    const double opening = timeMedian(runs, [&] {
        DataLink link(QStringLiteral("dtsInsupedi"), QStringLiteral("FoxPro 2.5;"));
        link.setDatabaseName(dir.path());
        link.setRecordSource(QStringLiteral("Insupedi"));
        link.Refresh();
    });
    report("apertura de la liga", opening, "ms", 5);

    int appended = records;
    const double appends = timeMedian(runs, [&] {
        Recordset rs(DbfTable::open(path));
        fillImportedGoods(rs, kAppends, appended);
        appended += kAppends;
    });
    report("alta de un registro (AddNew + Update)", appends / kAppends, "ms", 0.2);

    Recordset rs(DbfTable::open(path));
    const int middle = int(rs.RecordCount() / 2);
    double value = 0;
    const double edit = timeMedian(runs * 10, [&] {
        rs.moveToRow(middle);
        rs.Edit();
        rs.setValue(12, value += 1);
        rs.Update();
    });
    report("edición de un registro intermedio", edit, "ms", 0.2);
    return 0;
}
