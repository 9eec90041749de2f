// Speed of rows that come into a document grid: the check of each row as if
// typed, the write of those taken in one step, and its undo.
//
//   build/bin/quelvar-incoming-bench [RENGLONES] [CORRIDAS]      (defaults 100000 and 3)
//
// Makes a request folder from the data templates with one unit cost
// (tariff item 73181500, rate 5, cost 2.25), builds RENGLONES rows of text
// for the imported goods (dbMI) and as many for the direct exports (dbED),
// as a pasted block or a spreadsheet brings them (numbers with thousands
// separators, every cell its own string), and prints for each grid the
// median over CORRIDAS runs of: IncomingRows::check over all the rows,
// IncomingRows::write of the rows taken into the empty table, and
// IncomingRows::undo, which leaves the table empty for the next run; then
// the memory of the process with the rows built, before the check, and its
// peak while that grid ran. Then a customs Data Stage package of as many
// items (an unpacked folder holding file 551, three items a pedimento):
// the median of DataStage::read and of IncomingRows::stageRows over it.
// Building the rows and writing the package are not timed. Exits with 1 when a row is refused or
// flagged, or the table does not hold the rows written (or is not empty
// after the undo); a goal missed is only said.

#include "incoming/data_stage.h"
#include "incoming/folder_context.h"
#include "incoming/incoming_rows.h"
#include "rules/fraction_line.h"
#include "rules/grid_columns.h"
#include "rules/window_texts.h"
#include "store/csv_text.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_folder.h"
#include "store/store_error.h"

#include "bench_common.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <malloc.h>
#include <vector>

namespace {

using namespace BenchTiming;

constexpr double kCheckGoal = 2;   // s
constexpr double kWriteGoal = 3;   // s
constexpr double kMemoryGoal = 200; // MB

const QString kItem = QStringLiteral("73181500");
constexpr double kRate = 5;
constexpr double kCost = 2.25;

// One column of a catalogue of the data folder, in file order.
QStringList catalogueColumn(const QString &file, int column)
{
    QFile f(QDir(QStringLiteral(QUELVAR_DATA_DIR)).filePath(file));
    if (!f.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("No se pudo leer «%1».").arg(f.fileName()));
    QList<QStringList> rows = CsvText::parse(QString::fromUtf8(f.readAll()), file);
    QStringList out;
    for (qsizetype i = 1; i < rows.size(); ++i) // the header first
        if (column < rows[i].size())
            out.append(rows[i][column]);
    return out;
}

// Text with a buffer of its own, as a cell cut from a pasted block is.
QString own(const char *text) { return QString::fromLatin1(text); }

// A date of this year, not after today, that changes from row to row.
QString rowDate(const QDate &today, int n) { return today.addDays(-(n % today.dayOfYear())).toString(u"dd/MM/yyyy"); }

QList<QStringList> importRows(int count, const QDate &today)
{
    QList<QStringList> rows;
    rows.reserve(count);
    for (int n = 0; n < count; ++n) {
        QStringList cells(columnIndex(ImportCol::MontSolic) + 1); // derived cells not given
        cells[columnIndex(ImportCol::Clave)] = own("A1");
        cells[columnIndex(ImportCol::Pedimento)] = documentNumber(260000000 + n);
        cells[columnIndex(ImportCol::FechaPago)] = rowDate(today, n);
        cells[columnIndex(ImportCol::Fraccion)] = own("73181500");
        cells[columnIndex(ImportCol::Pais)] = own("JAPON");
        cells[columnIndex(ImportCol::CantidadImportada)] = QString::number(100 + n % 50);
        cells[columnIndex(ImportCol::CantidadRetornada)] = QString::number(40 + n % 10);
        cells[columnIndex(ImportCol::ValorTotal)] = QStringLiteral("4,%1.50").arg(500 + n % 400);
        cells[columnIndex(ImportCol::ValorIncorporado)] = QStringLiteral("1,%1.25").arg(200 + n % 300);
        rows.append(cells);
    }
    return rows;
}

QList<QStringList> directExportRows(int count, const QDate &today)
{
    QList<QStringList> rows;
    rows.reserve(count);
    for (int n = 0; n < count; ++n) {
        QStringList cells(columnIndex(DirectExportCol::SaldoDocumento) + 1);
        cells[columnIndex(DirectExportCol::Pedimento)] = documentNumber(360000000 + n);
        cells[columnIndex(DirectExportCol::Fecha)] = rowDate(today, n);
        cells[columnIndex(DirectExportCol::PaisDestino)] = own("ESTADOS UNIDOS DE AMERICA");
        cells[columnIndex(DirectExportCol::CantidadTotal)] = QString::number(10 + n % 5);
        cells[columnIndex(DirectExportCol::CantidadExportada)] = QString::number(4 + n % 3);
        cells[columnIndex(DirectExportCol::ValorTotal)] = QStringLiteral("1,%1.00").arg(100 + n % 800);
        cells[columnIndex(DirectExportCol::ValorUtilizado)] = QStringLiteral("%1.37").arg(100 + n % 7);
        rows.append(cells);
    }
    return rows;
}

// Starts the peak memory count afresh, so that each grid's is its own: the
// memory the last one freed goes back to the system first.
void resetPeak()
{
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// File 551 of a package with `count` items, three a pedimento, paid this
// year, as the customs write it (CR LF, a "|" ending each line).
QByteArray stageFile(int count, const QDate &today)
{
    QByteArray out = "Patente|Pedimento|SeccionAduanera|Fraccion|SecuenciaFraccion|SubdivisionFraccion|"
                     "DescripcionMercancia|PrecioUnitario|ValorAduana|ValorComercial|ValorDolares|"
                     "CantidadUMComercial|UnidadMedidaComercial|CantidadUMTarifa|UnidadMedidaTarifa|ValorAgregado|"
                     "ClaveVinculacion|MetodoValorizacion|CodigoMercanciaProducto|MarcaMercanciaProducto|"
                     "ModeloMercanciaProducto|PaisOrigenDestino|PaisCompradorVendedor|EntidadFedOrigen|"
                     "EntidadFedDestino|EntidadFedComprador|EntidadFedVendedor|TipoOperacion|ClaveDocumento|"
                     "FechaPagoReal\r\n";
    out.reserve(qsizetype(count) * 160);
    for (int n = 0; n < count; ++n) {
        const int pedimento = n / 3;
        const QByteArray date = today.addDays(-(pedimento % today.dayOfYear())).toString(u"yyyy-MM-dd").toLatin1();
        out += "3420|" + QByteArray::number(1000000 + pedimento) + "|470|" + (n % 3 == 2 ? "84713001" : "73181500")
               + '|' + QByteArray::number(n % 3 + 1) + "||TORNILLOS DE ACERO|2.25000|" + QByteArray::number(4500 + n % 400)
               + ".50|" + QByteArray::number(4500 + n % 400) + ".50|" + QByteArray::number(250 + n % 90)
               + ".10|200.000|6|" + QByteArray::number(100 + n % 50) + ".000|1||0|1||||JPN|USA|||||1|A1|" + date
               + " 10:00:00|\r\n";
    }
    return out;
}

bool measureFailed = false;

void goal(const char *what, double value, const char *unit, double target)
{
    const bool met = value < target;
    measureFailed = measureFailed || !met;
    std::printf("%-44s %10.3f %s   (objetivo < %g %s)  %s\n", what, value, unit, target, unit,
                met ? "cumple" : "NO CUMPLE");
}

void sayRemark(const char *what, const IncomingRows::Remark &r)
{
    std::fprintf(stderr, "%s: renglón %d, columna %d, «%s»: %s\n", what, r.row + 1, r.column + 1,
                 qPrintable(r.value), qPrintable(r.message));
}

// The runs of one grid; false when a row is not taken or not written.
bool measure(const QString &folder, const IncomingRows::Context &context, const QString &tableFile,
             const QList<QStringList> &rows, int runs)
{
    const int count = int(rows.size());
    Recordset rs(DbfTable::open(QDir(folder).filePath(tableFile)));
    std::printf("%s (%s): %d renglones, mediana de %d corridas\n", qPrintable(context.grid), qPrintable(tableFile),
                count, runs);
    const double rowsMemory = peakMegabytes();
    std::vector<double> checks, writes, undos;
    for (int run = 0; run < runs; ++run) {
        auto start = Clock::now();
        const IncomingRows::Checked checked = IncomingRows::check(context, *rs.table(), rows);
        checks.push_back(millis(Clock::now() - start) / 1000);

        if (checked.accepted != count || checked.refused != 0) {
            std::fprintf(stderr, "%s: %d renglones tomados y %d rechazados de %d\n", qPrintable(context.grid),
                         checked.accepted, checked.refused, count);
            for (const IncomingRows::RowResult &row : checked.rows)
                if (!row.refusals.isEmpty()) {
                    sayRemark("primer rechazo", row.refusals.first());
                    break;
                }
            return false;
        }
        for (const IncomingRows::RowResult &row : checked.rows)
            if (!row.flags.isEmpty()) {
                sayRemark("primer aviso (el renglón no quedó como se quería)", row.flags.first());
                return false;
            }

        start = Clock::now();
        const IncomingRows::Written written = IncomingRows::write(folder, rs, checked);
        writes.push_back(millis(Clock::now() - start) / 1000);

        DbfTable &table = *rs.table();
        if (table.refreshCount() != quint32(count) || written.appended != count
            || QByteArray(table.record(quint32(count - 1)), table.recordLength()) != checked.rows.last().record) {
            std::fprintf(stderr, "%s: la tabla tiene %u registros después de escribir %d renglones\n",
                         qPrintable(context.grid), table.recordCount(), count);
            return false;
        }

        start = Clock::now();
        IncomingRows::undo(folder, rs, written);
        undos.push_back(millis(Clock::now() - start) / 1000);
        if (table.refreshCount() != 0) {
            std::fprintf(stderr, "%s: la tabla tiene %u registros después de deshacer\n", qPrintable(context.grid),
                         table.recordCount());
            return false;
        }
    }
    goal("revisión de los renglones (check)", median(checks), "s", kCheckGoal);
    goal("escritura de los tomados (write)", median(writes), "s", kWriteGoal);
    std::printf("%-44s %10.3f s\n", "deshacer la escritura (undo)", median(undos));
    std::printf("%-44s %10.3f MB\n", "memoria antes de revisar, con los renglones", rowsMemory);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int count = args.size() > 1 ? args[1].toInt() : 100000;
    const int runs = args.size() > 2 ? args[2].toInt() : 3;
    if (count < 1 || runs < 1) {
        std::fprintf(stderr, "uso: %s [RENGLONES] [CORRIDAS]\n", argv[0]);
        return 2;
    }
    try {
        QTemporaryDir dir;
        const QString folder = dir.path();
        RequestFolder::create(folder, QStringLiteral(QUELVAR_DATA_DIR));
        {
            Recordset insunit(DbfTable::open(QDir(folder).filePath(QStringLiteral("insunit.dbf"))));
            insunit.AddNew();
            insunit.Fields(QStringLiteral("FRACCION")).setValue(kItem);
            insunit.Fields(QStringLiteral("DESCRIP")).setValue(QStringLiteral("TORNILLOS"));
            insunit.Fields(QStringLiteral("TASA_ADVAL")).setValue(kRate);
            insunit.Fields(QStringLiteral("COSTO_UNIT")).setValue(kCost);
            insunit.Update();
        }

        IncomingRows::Context context;
        context.opcDT = 1;
        context.today = QDate::currentDate();
        context.lengthMessages = WindowTexts::gridLengthMessages();
        context.documentKeys = catalogueColumn(QStringLiteral("pedimentos.csv"), 0);
        context.fractionLines = {FractionLine::build(kItem, kRate, kCost)};
        context.countryCatalogue = catalogueColumn(QStringLiteral("paises.csv"), 1);
        context.countries = context.countryCatalogue;

        resetPeak();
        context.grid = QStringLiteral("dbMI");
        if (!measure(folder, context, QStringLiteral("insupedi.dbf"), importRows(count, context.today), runs))
            return 1;
        goal("memoria máxima (con los renglones de texto)", peakMegabytes(), "MB", kMemoryGoal);

        resetPeak();
        context.grid = QStringLiteral("dbED");
        if (!measure(folder, context, QStringLiteral("exporped.dbf"), directExportRows(count, context.today), runs))
            return 1;
        goal("memoria máxima (con los renglones de texto)", peakMegabytes(), "MB", kMemoryGoal);

        const QString package = QDir(folder).filePath(QStringLiteral("datastage"));
        QDir().mkpath(package);
        QFile file(QDir(package).filePath(QStringLiteral("1798546_551.asc")));
        if (!file.open(QIODevice::WriteOnly) || file.write(stageFile(count, context.today)) < 0 || !file.flush())
            throw StoreError(QStringLiteral("No se pudo escribir «%1».").arg(file.fileName()));
        file.close();
        std::printf("Paquete del Data Stage: %d partidas, mediana de %d corridas\n", count, runs);
        QList<DataStage::Item> items;
        const double reading = timeMedian(runs, [&] { items = DataStage::read(package).items; }) / 1000;
        context.grid = QStringLiteral("dbMI");
        Recordset insupedi(DbfTable::open(QDir(folder).filePath(QStringLiteral("insupedi.dbf"))));
        qsizetype brought = 0;
        const double staging =
            timeMedian(runs, [&] { brought = IncomingRows::stageRows(context, insupedi, items, {}, true).rows.size(); })
            / 1000;
        if (items.size() != count || brought != count - count / 3) {
            std::fprintf(stderr, "El paquete dio %lld partidas y %lld renglones\n", qlonglong(items.size()),
                         qlonglong(brought));
            return 1;
        }
        std::printf("%-44s %10.3f s\n", "lectura del archivo 551 (read)", reading);
        std::printf("%-44s %10.3f s\n", "renglones de las partidas (stageRows)", staging);
    } catch (const StoreError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    if (measureFailed)
        std::printf("Alguna medida no cumple su objetivo.\n");
    return 0;
}
