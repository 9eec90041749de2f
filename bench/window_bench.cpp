// Speed of the request window over requests with many imported goods,
// export documents and TLCAN imports.
//
//   build/bin/quelvar-window-bench [RECORDS] [RUNS]      (defaults 100000 and 7)
//
// Runs without a display (it sets QT_QPA_PLATFORM=offscreen unless told
// otherwise), its message boxes scripted. Makes three request folders from
// the data templates, each with a direct request of transformed goods, "No
// Originarios / Mezcla", and one complete unit cost: one with nothing else,
// one with RECORDS imported goods (every third from outside the TLCAN), and
// one with RECORDS records in each of exporped (direct exports), factura
// (indirect exports, in pesos) and impTLC (TLCAN imports).
// Prints medians of:
// - the window's start-up on each folder (built, shown with its controls
//   initialised and its totals taken, up to its first painting) over RUNS
//   runs, and what the imported goods and the documents add to it (goals
//   for a million rows: 100 ms and 300 ms), with what the last window kept
//   beside the tables; the same again with the tables read (a folder's
//   first opening);
// - on the imported goods, with the "Merc. Importadas" tab in front, one
//   edited row written, over 10 x RUNS runs: the incorporated value of a
//   middle row typed and confirmed with Enter (its balance and amount
//   derived; for transformed goods the returned quantity is a hidden
//   column), then the row written, which totals the imported goods again,
//   and the events that follow (the cursor goes with the totals' walk);
// - the imported goods' totals alone, over RUNS runs;
// - on the documents, every tab shown (the mixture hides "Exp. Indirecta"),
//   the same for each grid with its tab in front: in dbED the used value of
//   the middle row (its balance derived), in dbEI the used value in pesos
//   (the dollar columns zeroed and locked), in dbITLC the duties (whose
//   totals, asked for on Enter, are kept from the last row written, and
//   taken again when the row is written); each followed by that grid's
//   totals asked for again with the table unchanged (kept sums);
// and the program's peak memory at the end. Exits with 1 when a total
// (txtTO, txtTNO and txtDevS; txtTED(3), txtTEI(3) and txtTLCAN(1), at
// start-up and after the writes), a cell written or derived or the tab shown
// is not what the request gives, or when a message was shown.

#include "grids/bound_grid.h"
#include "grids/record_table_model.h"
#include "platform/message_box.h"
#include "rules/grid_columns.h"
#include "store/data_link.h"
#include "store/recordset.h"
#include "store/request_folder.h"
#include "store/request_links.h"
#include "store/store_error.h"
#include "window/frm_quelvar.h"

#include "bench_common.h"
#include "mixed_request.h"
#include "window_driving.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

using namespace BenchTiming;
using namespace BenchWindow;
using namespace BenchRequest;

// A request folder with the request, one complete unit cost, the given
// number of imported goods and as many documents of each kind (direct and
// indirect exports, TLCAN imports).
void writeRequest(const QString &folder, int imports, int documents)
{
    RequestFolder::create(folder, QStringLiteral(QUELVAR_DATA_DIR));
    RequestLinks links;
    links.setFolder(folder);
    links.refreshRequestLinks();
    Recordset &solicitu = *links.dtsSolicitu->recordset();
    solicitu.AddNew();
    for (const auto &[field, value] : mixedRequest())
        solicitu.Fields(field).setValue(value);
    solicitu.Fields(QStringLiteral("DEPRE_MAQ")).setValue(0);
    solicitu.Update();
    Recordset &insunit = *links.dtsInsunit->recordset();
    insunit.AddNew();
    insunit.Fields(QStringLiteral("FRACCION")).setValue(QStringLiteral("84719001"));
    insunit.Fields(QStringLiteral("DESCRIP")).setValue(QStringLiteral("PARTES DE MAQUINAS"));
    insunit.Fields(QStringLiteral("TASA_ADVAL")).setValue(kAdValorem);
    insunit.Fields(QStringLiteral("COSTO_UNIT")).setValue(123.45);
    insunit.Update();
    fillImportedGoods(*links.dtsInsupedi->recordset(), imports, 0, kOtherCountryEvery);
    fillDirectExports(*links.dtsExporped->recordset(), documents);
    fillIndirectExports(*links.dtsFactura->recordset(), documents);
    fillTlcanImports(*links.dtsImpTLC->recordset(), documents);
    links.syncRequestTables();
}

// The imported goods: start-up totals, then the incorporated value of the
// middle row.
bool measureImports(const QString &folder, int records, int runs)
{
    std::unique_ptr<FrmQuelvar> window = openWindow(folder);
    constexpr double noTlcanDuties = 0; // the folder has no TLCAN imports
    if (!showsTotals(*window, cappedBy(expectedTotals(records), noTlcanDuties)) || !noMessages())
        return false;
    const int column = columnIndex(ImportCol::ValorIncorporado);
    BoundGrid *grid = gridInFront(*window, kImportsTab, QStringLiteral("dbMI"), column);
    if (!grid)
        return false;
    RecordTableModel *model = grid->recordModel();
    const int middle = records / 2;
    int typed = 0;
    const double write = rowWrites(grid, middle, column, runs, &typed);
    const double amount = kAdValorem / 100 * typed;
    const double balance = 1234.5 - typed; // VAL_TOT_IN of fillImportedGoods
    if (model->hasPendingRow() || model->cellValue(middle, column) != QString::number(typed)
        || !holdsNumber(model->cellValue(middle, columnIndex(ImportCol::MontSolic)), amount)
        || !holdsNumber(model->cellValue(middle, columnIndex(ImportCol::SaldoValor)), balance)) {
        std::fprintf(stderr, "el renglón no quedó escrito con sus valores derivados: %s, %s, %s\n",
                     qPrintable(model->cellValue(middle, column)),
                     qPrintable(model->cellValue(middle, columnIndex(ImportCol::MontSolic))),
                     qPrintable(model->cellValue(middle, columnIndex(ImportCol::SaldoValor))));
        return false;
    }
    if (!showsTotals(*window, cappedBy(expectedTotals(records, middle, amount), noTlcanDuties)) || !noMessages())
        return false;
    report("escritura de un renglón editado (mediana)", write, "ms", 5);

    const double totalling = timeMedian(runs, [&] {
        window->TotalOrNOr();
        QCoreApplication::processEvents();
    });
    std::printf("%-44s %10.3f ms\n", "totales de mercancías importadas (mediana)", totalling);
    // Nothing of the bench is kept: the window goes without the question.
    window.reset();
    drain();
    return true;
}

// A document grid measured: its tab, the column typed in, the total box
// that adds that column, the figure record n stores there, what else the
// typed figure leaves in its row, and the window's totals of the grid.
struct DocumentCase {
    const char *label;
    QString grid;
    int tab;
    int column;
    const char *totalBox;
    double (*stored)(int n);
    std::function<bool(const RecordTableModel &, int row, int typed)> derived;
    const char *totalsLabel;
    void (FrmQuelvar::*totals)();
};

const std::vector<DocumentCase> &documentCases()
{
    static const std::vector<DocumentCase> cases{
        {"renglón de exportación directa (mediana)", QStringLiteral("dbED"), kDirectTab,
         columnIndex(DirectExportCol::ValorUtilizado), "txtTED(3)", directExportUsed,
         [](const RecordTableModel &m, int row, int typed) {
             return holdsNumber(m.cellValue(row, columnIndex(DirectExportCol::SaldoDocumento)),
                                kDirectExportValue - typed);
         },
         "totales de exp. directa, tabla sin cambios", &FrmQuelvar::TotalExpDirecta},
        {"renglón de exportación indirecta (mediana)", QStringLiteral("dbEI"), kIndirectTab,
         columnIndex(IndirectExportCol::ValorUtilizado), "txtTEI(3)", invoiceUsedPesos,
         [](const RecordTableModel &m, int row, int) {
             // A figure in pesos: the dollar columns zero and locked.
             for (const IndirectExportCol c : {IndirectExportCol::ValorTotalDls, IndirectExportCol::ValorUtilizadoDls})
                 if (m.cellValue(row, columnIndex(c)) != QLatin1String("0") || !m.isLocked(columnIndex(c)))
                     return false;
             return true;
         },
         "totales de exp. indirecta, tabla sin cambios", &FrmQuelvar::TotalExpIndirecta},
        {"renglón de importación TLCAN (mediana)", QStringLiteral("dbITLC"), kTlcanTab,
         columnIndex(TlcanCol::MontSolic), "txtTLCAN(1)", tlcanDuties,
         [](const RecordTableModel &, int, int) { return true; }, "totales TLCAN, tabla sin cambios",
         &FrmQuelvar::TotalImpTLCAN},
    };
    return cases;
}

// The export documents and the TLCAN imports: start-up totals, then a
// figure of the middle row of each grid.
bool measureDocuments(const QString &folder, int records, int runs)
{
    std::unique_ptr<FrmQuelvar> window = openWindow(folder);
    for (const DocumentCase &c : documentCases())
        if (!showsTotal(*window, c.totalBox, sumOver(records, c.stored)))
            return false;
    if (!noMessages())
        return false;
    // The mixture shows no "Exp. Indirecta": every tab is shown.
    window->EstableceVisiblesTab(QStringLiteral("111111111"));
    const int middle = records / 2;
    for (const DocumentCase &c : documentCases()) {
        BoundGrid *grid = gridInFront(*window, c.tab, c.grid, c.column);
        if (!grid)
            return false;
        int typed = 0;
        const double write = rowWrites(grid, middle, c.column, runs, &typed);
        const RecordTableModel &model = *grid->recordModel();
        if (model.hasPendingRow() || model.cellValue(middle, c.column) != QString::number(typed)
            || !c.derived(model, middle, typed)) {
            std::fprintf(stderr, "el renglón de %s no quedó escrito con sus valores: %s\n", qPrintable(c.grid),
                         qPrintable(model.cellValue(middle, c.column)));
            return false;
        }
        if (!showsTotal(*window, c.totalBox, sumOver(records, c.stored, middle, typed)) || !noMessages())
            return false;
        report(c.label, write, "ms", 5);
        const double totalling = timeMedian(runs, [&] {
            (window.get()->*c.totals)();
            QCoreApplication::processEvents();
        });
        std::printf("%-44s %10.3f ms\n", c.totalsLabel, totalling);
    }
    window.reset();
    drain();
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    offscreenUnlessTold();
    QApplication app(argc, argv);
    int records = 0;
    int runs = 0;
    if (!benchArguments(app.arguments(), "quelvar-window-bench", &records, &runs))
        return 2;
    MessageBox::setScripted(true);

    QTemporaryDir emptyDir;
    QTemporaryDir importsDir;
    QTemporaryDir documentsDir;
    try {
        writeRequest(emptyDir.path(), 0, 0);
        writeRequest(importsDir.path(), records, 0);
        writeRequest(documentsDir.path(), 0, records);
    } catch (const StoreError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    std::printf("solicitud directa, No Originarios / Mezcla: %d mercancías importadas (1 de cada %d fuera del "
                "TLCAN); %d documentos de exportación directa, %d de indirecta y %d importaciones TLCAN; "
                "mediana de %d corridas\n",
                records, kOtherCountryEvery, records, records, records, runs);

    // The first window of the program loads the style, the fonts and the
    // platform's plugins: that is no part of any request's start-up.
    openWindow(emptyDir.path()).reset();
    drain();
    const double emptyStart = startUp(emptyDir.path(), runs);
    const double importsRead = startUp(importsDir.path(), runs, true);
    const double importsStart = startUp(importsDir.path(), runs);
    const double documentsRead = startUp(documentsDir.path(), runs, true);
    const double documentsStart = startUp(documentsDir.path(), runs);
    std::printf("%-44s %10.3f ms\n", "arranque de la ventana, sin mercancías", emptyStart);
    std::printf("%-44s %10.3f ms\n", "arranque de la ventana, con las mercancías", importsStart);
    report("lo que añaden las mercancías al arranque", importsStart - emptyStart, "ms", 100);
    std::printf("%-44s %10.3f ms\n", "lo mismo, leyendo la tabla", importsRead - emptyStart);
    std::printf("%-44s %10.3f ms\n", "arranque de la ventana, con los documentos", documentsStart);
    report("lo que añaden los documentos al arranque", documentsStart - emptyStart, "ms", 300);
    std::printf("%-44s %10.3f ms\n", "lo mismo, leyendo las tablas", documentsRead - emptyStart);

    if (!measureImports(importsDir.path(), records, runs) || !measureDocuments(documentsDir.path(), records, runs))
        return 1;
    report("memoria máxima (VmHWM)", peakMegabytes(), "MB", 150);
    return 0;
}
