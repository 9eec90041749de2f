// Speed of a document grid over a large imported-goods table.
//
//   build/bin/quelvar-grid-bench [RECORDS] [RUNS]      (defaults 100000 and 7)
//
// Runs without a display (it sets QT_QPA_PLATFORM=offscreen unless told
// otherwise). Builds an insupedi table of RECORDS records in a scratch folder,
// shows it in the grid dbMI (1000 x 600 pixels) and prints medians: opening
// the grid (link refresh, model and view, first drawing) over RUNS runs; one
// page step down, drawn, over a whole pass from the top to the bottom; and
// writing one edited row (a cell typed on a middle row, then the row written)
// over 10 x RUNS runs; and a walk of the whole record set reading one cell of
// each record through the grid, with the
// cursor following to the end, over RUNS runs.

#include "grids/bound_grid.h"
#include "rules/grid_columns.h"
#include "grids/record_table_model.h"
#include "store/data_link.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_schema.h"

#include "bench_common.h"

#include <QApplication>
#include <QDate>
#include <QScrollBar>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

using namespace BenchTiming;



std::unique_ptr<BoundGrid> openGrid(DataLink &link)
{
    link.Refresh();
    auto grid = std::make_unique<BoundGrid>(GridColumns::grid(QStringLiteral("dbMI"))->columns, &link);
    grid->resize(1000, 600);
    grid->show();
    grid->grab();
    return grid;
}

} // namespace

int main(int argc, char *argv[])
{
    offscreenUnlessTold();
    QApplication app(argc, argv);
    int records = 0;
    int runs = 0;
    if (!benchArguments(app.arguments(), "quelvar-grid-bench", &records, &runs))
        return 2;

    QTemporaryDir dir;
    DbfTable::create(dir.filePath(QStringLiteral("insupedi.dbf")), RequestSchema::find(QStringLiteral("insupedi"))->fields);
    {
        Recordset rs(DbfTable::open(dir.filePath(QStringLiteral("insupedi.dbf"))));
        fillImportedGoods(rs, records);
    }
    DataLink link(QStringLiteral("dtsInsupedi"), QStringLiteral("FoxPro 2.5;"));
    link.setDatabaseName(dir.path());
    link.setRecordSource(QStringLiteral("Insupedi"));
    std::printf("insupedi: %d registros en dbMI de 1000 x 600\n", records);

    const double opening = timeMedian(runs, [&] { openGrid(link); });
    report("apertura de la rejilla (mediana)", opening, "ms", 100);

    std::unique_ptr<BoundGrid> grid = openGrid(link);
    RecordTableModel *model = grid->recordModel();
    QScrollBar *bar = grid->verticalScrollBar();
    std::vector<double> steps;
    const auto passStart = Clock::now();
    while (bar->value() < bar->maximum()) {
        const auto start = Clock::now();
        bar->setValue(bar->value() + bar->pageStep());
        grid->grab();
        steps.push_back(millis(Clock::now() - start));
    }
    const double pass = millis(Clock::now() - passStart);
    const int lastLine = grid->rowViewportPosition(model->newRecordRow());
    if (lastLine < 0 || lastLine >= grid->viewport()->height()) {
        std::fprintf(stderr, "el recorrido no llegó al final de la tabla\n");
        return 1;
    }
    report("avance de una página, dibujada (mediana)", median(steps), "ms", 16);
    std::printf("%-44s %10.1f ms   (%zu páginas)\n", "recorrido completo de arriba abajo", pass, steps.size());

    const int middle = records / 2;
    const QModelIndex price = model->index(middle, 5);
    double value = 100;
    const double write = timeMedian(runs * 10, [&] {
        model->setData(price, QString::number(value += 0.5));
        grid->commitPendingRow();
    });
    if (model->data(price).toString() != QString::number(value)) {
        std::fprintf(stderr, "el renglón editado no quedó escrito\n");
        return 1;
    }
    report("escritura de un renglón editado (mediana)", write, "ms", 1);

    Recordset *walked = grid->link()->recordset();
    double sum = 0;
    const double walk = timeMedian(runs, [&] {
        for (walked->MoveFirst(); !walked->Eof(); walked->MoveNext())
            sum += grid->Columns(14).Text().toDouble();
        QCoreApplication::processEvents();
    });
    if (grid->currentIndex().row() != model->newRecordRow()) {
        std::fprintf(stderr, "el cursor no siguió al conjunto de registros\n");
        return 1;
    }
    report("recorrido del conjunto leyendo la rejilla (mediana)", walk, "ms", 500);
    return 0;
}
