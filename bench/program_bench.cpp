// The whole program over a large request: the window, a row written in each
// grid, the review, the printed request, the copy to drive A and its
// recovery, and the memory it takes; one table of figures and goals.
//
//   build/bin/quelvar-bench-programa [CORRIDAS] [--carpeta CARPETA]
//
// Runs without a display (it sets QT_QPA_PLATFORM=offscreen unless told
// otherwise), its message boxes scripted, drive A a scratch folder named by
// QUELVAR_UNIDAD_A. Makes three complete requests, direct, of transformed
// goods, "No Originarios / Mezcla" (program_request.h): one with no grid
// rows; the full one, with 100,000 imported goods and 10,000 rows in each
// other grid (unit costs, direct and indirect exports, TLCAN imports), kept
// in CARPETA when one is given; and two to print, with 10,000 imported goods
// and 1,000 rows in each other grid, and a tenth of that. Prints the medians
// over CORRIDAS runs (default 7) of:
// - the window ready on the request without rows and on the full one
//   (built, shown, its controls initialised and its totals taken, up to its
//   first painting), and what the rows add;
// - on the full request: the review of commands 4 and 5; command 4 (review,
//   amount, the seven tables copied to drive A and verified); command 7 (the
//   seven read back, checked and put in place, backups made, the window
//   showing them again); one row edited and written in each grid, with the
//   totals that follow, as window_bench.cpp types it;
// - the report of the request to print; as print_bench.cpp does, on the
//   tenth of it, command 5 (review, amount, the printing window filled and
//   shown) and the preview up to its first page drawn;
// - the process's peak memory;
// - for information, command 5 and the preview on the request to print, the
//   report of the full request, and the peak memory with them.
// Exits with 1 when a result is wrong: a total not what the rows give, a
// review that finds something, a message other than those the commands
// give, a copy not equal to its table, a report not built. A goal missed is
// said in the table, and the exit is still 0.

#include "exchange/command_bar.h"
#include "printing/frm_imp.h"
#include "printing/print_preview.h"
#include "rules/completeness_review.h"
#include "rules/grid_columns.h"
#include "store/store_error.h"

#include "bench_common.h"
#include "mixed_request.h"
#include "program_request.h"
#include "window_driving.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace BenchTiming;
using namespace BenchWindow;
using namespace BenchRequest;

constexpr Rows kFull{100000, 10000};
constexpr Rows kPrinted{10000, 1000};
constexpr Rows kPrintedTenth{1000, 100};
constexpr Rows kNoRows{0, 0};

// One line of the table: a figure and its goal (none when NaN).
struct Line {
    QString measure;
    double figure;
    QString unit;
    double goal;
};
std::vector<Line> lines;

void add(const QString &measure, double figure, const char *unit, double goal = std::nan(""))
{
    lines.push_back({measure, figure, QString::fromLatin1(unit), goal});
}

[[noreturn]] void wrong(const QString &what)
{
    std::fprintf(stderr, "RESULTADO INCORRECTO: %s\n", qPrintable(what));
    std::exit(1);
}

void expectNoMessages(const QString &when)
{
    if (!noMessages())
        wrong(QStringLiteral("se mostró un mensaje ") + when);
}

// The messages a command showed must be exactly these (a text ending in
// "…" stands for any text that starts with it).
void expectMessages(const QString &command, const QStringList &expected)
{
    const QStringList shown = MessageBox::shownTexts();
    bool same = shown.size() == expected.size();
    for (qsizetype i = 0; same && i < shown.size(); ++i)
        same = expected[i].endsWith(u'…') ? shown[i].startsWith(expected[i].chopped(1)) : shown[i] == expected[i];
    if (!same)
        wrong(command + QStringLiteral(" mostró: «") + shown.join(QStringLiteral("» «")) + u'»');
}

// The totals the window shows for the request's rows, the middle row of
// each grid holding what was typed there last (0: what was stored).
struct Typed {
    double incorporated = 0; // dbMI, the value incorporated
    double unitCost = 0, directUsed = 0, invoiceUsed = 0, duties = 0;
};

void expectTotals(const FrmQuelvar &w, const Rows &rows, const Typed &typed, bool capped, const QString &when)
{
    const int middle = rows.documents / 2;
    const auto sum = [&](double (*stored)(int), double value) {
        return sumOver(rows.documents, stored, value ? middle : -1, value);
    };
    const double duties = sum(tlcanDuties, typed.duties);
    Totals imports = typed.incorporated
        ? expectedTotals(rows.imports, rows.imports / 2, kAdValorem / 100 * typed.incorporated)
        : expectedTotals(rows.imports);
    if (capped)
        imports = cappedBy(imports, duties);
    if (!showsTotals(w, imports) || !showsTotal(w, "txtTCU", sum(unitCost, typed.unitCost))
        || !showsTotal(w, "txtTED(3)", sum(directExportUsed, typed.directUsed))
        || !showsTotal(w, "txtTEI(3)", sum(invoiceUsedPesos, typed.invoiceUsed))
        || !showsTotal(w, "txtTLCAN(1)", duties))
        wrong(QStringLiteral("los totales no son los de los renglones ") + when);
}

// The tables on drive A are those of the request, byte for byte.
void expectCopies(const QString &folder, const QString &drive)
{
    for (const QString &name : QDir(folder).entryList({QStringLiteral("*.dbf")}, QDir::Files)) {
        if (!QFile::exists(QDir(drive).filePath(name)))
            continue; // a catalogue: it does not travel
        // Read in pieces: the benchmark's own memory is no part of the figure.
        QFile a(QDir(folder).filePath(name)), b(QDir(drive).filePath(name));
        bool same = a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) && a.size() == b.size();
        while (same && !a.atEnd())
            same = a.read(1 << 16) == b.read(1 << 16);
        if (!same)
            wrong(QStringLiteral("la copia de %1 en la unidad A no es igual a la tabla").arg(name));
    }
    if (QDir(drive).entryList(QDir::Files).size() != 7)
        wrong(QStringLiteral("la unidad A no tiene las siete tablas"));
}

double commandTimes(FrmQuelvar &w, int command, int runs, const QStringList &messages)
{
    return timeMedian(runs, [&] {
        MessageBox::clearShown();
        MessageBox::setNextAnswers({MessageBox::Answer::Yes, MessageBox::Answer::Yes});
        w.cmdAccion_Click(command);
        drain();
        expectMessages(QStringLiteral("el comando %1").arg(command), messages);
        MessageBox::clearShown();
    });
}

// A grid measured: the column typed in of its middle row and where the
// typed figure goes in the expected totals.
struct GridCase {
    const char *label;
    const char *grid;
    int tab;
    int column;
    double Typed::*typed;
    int records;
};

void measureRowWrites(FrmQuelvar &w, int runs, Typed &typed)
{
    const GridCase cases[] = {
        {"renglón de mercancías importadas escrito", "dbMI", kImportsTab, columnIndex(ImportCol::ValorIncorporado),
         &Typed::incorporated, kFull.imports},
        {"renglón de exportación directa escrito", "dbED", kDirectTab, columnIndex(DirectExportCol::ValorUtilizado),
         &Typed::directUsed, kFull.documents},
        {"renglón de importación TLCAN escrito", "dbITLC", kTlcanTab, columnIndex(TlcanCol::MontSolic),
         &Typed::duties, kFull.documents},
        {"renglón de exportación indirecta escrito", "dbEI", kIndirectTab,
         columnIndex(IndirectExportCol::ValorUtilizado), &Typed::invoiceUsed, kFull.documents},
        // Last: leaving the unit costs with a total other than the cost
        // structure's asks whether to go on.
        {"renglón de costos unitarios escrito", "dbCU", kUnitCostsTab, columnIndex(UnitCostCol::CostoUnit),
         &Typed::unitCost, kFull.documents},
    };
    for (const GridCase &c : cases) {
        if (c.tab == kIndirectTab) // the mixture hides "Exp. Indirecta": every tab shown
            w.EstableceVisiblesTab(QStringLiteral("111111111"));
        BoundGrid *grid = gridInFront(w, c.tab, QString::fromLatin1(c.grid), c.column);
        if (!grid)
            wrong(QStringLiteral("no se pudo escribir en %1").arg(QString::fromLatin1(c.grid)));
        int figure = 0;
        const double write = rowWrites(grid, c.records / 2, c.column, runs, &figure);
        typed.*c.typed = figure;
        const RecordTableModel &model = *grid->recordModel();
        if (model.hasPendingRow() || !holdsNumber(model.cellValue(c.records / 2, c.column), figure))
            wrong(QStringLiteral("el renglón de %1 no quedó escrito").arg(QString::fromLatin1(c.grid)));
        expectNoMessages(QStringLiteral("al escribir en ") + QString::fromLatin1(c.grid));
        add(QString::fromUtf8(c.label), write, "ms", 30);
    }
    // A TLCAN row written after the imported goods' caps their non-originating
    // total again, by the duties now stored.
    expectTotals(w, kFull, typed, true, QStringLiteral("tras las escrituras"));
    const RecordTableModel &imports = *w.findChild<BoundGrid *>(QStringLiteral("dbMI"))->recordModel();
    if (!holdsNumber(imports.cellValue(kFull.imports / 2, columnIndex(ImportCol::MontSolic)),
                     kAdValorem / 100 * typed.incorporated))
        wrong(QStringLiteral("el monto del renglón de mercancías no se derivó"));
}

// The full request: review, export, recovery, rows written, report.
void measureFullRequest(const QString &folder, const QString &drive, int runs)
{
    std::unique_ptr<FrmQuelvar> w = openWindow(folder);
    expectNoMessages(QStringLiteral("al abrir la solicitud"));
    expectTotals(*w, kFull, {}, true, QStringLiteral("al abrir"));

    const double review = timeMedian(runs, [&] {
        if (w->ContinuaRev() != 0)
            wrong(QStringLiteral("la revisión encontró algo en la solicitud completa"));
    });
    expectNoMessages(QStringLiteral("en la revisión"));
    add(QStringLiteral("revisión de la solicitud completa"), review, "ms", 1000);

    const QString amount = CompletenessReview::amountQuestion({}).left(40) + u'…';
    add(QStringLiteral("comando 4: copia a la unidad A verificada"),
        commandTimes(*w, 4, runs, {amount, QStringLiteral("Proceso terminado.")}), "ms", 1000);
    expectCopies(folder, drive);
    expectTotals(*w, kFull, {}, true, QStringLiteral("tras la copia"));
    add(QStringLiteral("comando 7: recuperación de la unidad A"),
        commandTimes(*w, 7, runs, {CommandBar::question(7), QStringLiteral("Proceso terminado.")}), "ms", 1000);
    expectTotals(*w, kFull, {}, true, QStringLiteral("tras la recuperación"));

    Typed typed;
    measureRowWrites(*w, runs, typed);
    w.reset();
    drain();
}

// For information, after the memory's figure: the report of the full
// request, whose text alone takes more than the rest of the run.
void measureFullReport(const QString &folder, int runs)
{
    std::unique_ptr<FrmQuelvar> w = openWindow(folder);
    RequestReport::Report report;
    add(QStringLiteral("reporte de la solicitud completa (info.)"),
        timeMedian(runs, [&] { report = w->reportAsShown(); }), "ms");
    if (report.outcome != RequestReport::Report::Outcome::Built)
        wrong(QStringLiteral("el reporte de la solicitud completa no se armó"));
    add(QStringLiteral("memoria máxima con lo informativo (info.)"), peakMegabytes(), "MB");
    w.reset();
    drain();
}

// Closes the preview dialog once its first page is drawn; counts its pages.
struct PreviewCloser {
    int pages = 0;
    void arm()
    {
        QTimer::singleShot(0, [this] {
            auto *dialog = qobject_cast<PrintPreview *>(QApplication::activeModalWidget());
            if (!dialog || dialog->pagesDrawn() == 0) {
                arm();
                return;
            }
            pages = dialog->pageCount();
            dialog->reject();
        });
    }
};

// The report of the request to print, as command 5 builds it.
void measureReport(const QString &folder, int runs)
{
    std::unique_ptr<FrmQuelvar> w = openWindow(folder);
    expectNoMessages(QStringLiteral("al abrir la solicitud a imprimir"));
    RequestReport::Report report;
    add(QStringLiteral("reporte armado, %1 pedimentos").arg(kPrinted.imports),
        timeMedian(runs, [&] { report = w->reportAsShown(); }), "ms", 200);
    if (report.outcome != RequestReport::Report::Outcome::Built)
        wrong(QStringLiteral("el reporte no se armó"));
    w.reset();
    drain();
}

// Command 5 (review, amount, the report in the printing window) and the
// preview up to its first page, with print_bench's goals (none when
// informative).
void measurePrinting(const QString &folder, int documents, int runs, bool informative)
{
    std::unique_ptr<FrmQuelvar> w = openWindow(folder);
    expectNoMessages(QStringLiteral("al abrir la solicitud a imprimir"));
    const double goal = informative ? std::nan("") : 2000;
    const QString suffix = informative ? QStringLiteral(" (info.)") : QString();
    const QString amount = CompletenessReview::amountQuestion({}).left(40) + u'…';
    add(QStringLiteral("comando 5, ventana de impresión, %1 pedimentos").arg(documents) + suffix,
        commandTimes(*w, 5, runs, {amount}), "ms", goal);
    FrmImp *printing = w->findChild<FrmImp *>();
    if (!printing || !printing->isVisible() || !printing->windowTitle().startsWith(FrmImp::reportCaption())
        || printing->rtImpCG->toPlainText() != w->reportAsShown().text)
        wrong(QStringLiteral("la ventana de impresión no muestra el reporte"));

    PreviewCloser closer;
    const double preview = timeMedian(runs, [&] {
        closer.arm();
        printing->cmdVistaPrevia->click();
        drain();
    });
    if (closer.pages < 2)
        wrong(QStringLiteral("la vista previa no mostró las páginas del reporte"));
    expectNoMessages(QStringLiteral("en la vista previa"));
    add(QStringLiteral("vista previa, primera de %1 páginas").arg(closer.pages) + suffix, preview, "ms",
        informative ? goal : 1000);
    w.reset();
    drain();
}

QString padded(const QString &text, int width, bool right = false)
{
    return right ? text.rightJustified(width) : text.leftJustified(width);
}

// The table of figures; the number of goals missed.
int printTable()
{
    int missed = 0;
    const auto row = [](const QString &a, const QString &b, const QString &c, const QString &d) {
        std::printf("%s\n", (padded(a, 60) + padded(b, 14, true) + padded(c, 14, true) + QStringLiteral("  ") + d)
                                .toUtf8()
                                .constData());
    };
    std::printf("\n");
    row(QStringLiteral("medida"), QStringLiteral("cifra"), QStringLiteral("objetivo"), QStringLiteral("resultado"));
    for (const Line &l : lines) {
        const QString figure = QString::number(l.figure, 'f', 1) + u' ' + l.unit;
        if (std::isnan(l.goal)) {
            row(l.measure, figure, QStringLiteral("—"), QString());
            continue;
        }
        const bool ok = l.figure < l.goal;
        missed += ok ? 0 : 1;
        row(l.measure, figure, QStringLiteral("< ") + QString::number(l.goal) + u' ' + l.unit,
            ok ? QStringLiteral("ok") : QStringLiteral("FALLA"));
    }
    return missed;
}

} // namespace

int main(int argc, char *argv[])
{
    offscreenUnlessTold();
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString kept;
    const qsizetype folderOption = args.indexOf(QStringLiteral("--carpeta"));
    if (folderOption >= 0 && folderOption + 1 < args.size()) {
        kept = QDir(args[folderOption + 1]).absolutePath();
        args.remove(folderOption, 2);
    }
    const int runs = args.isEmpty() ? 7 : args[0].toInt();
    if (runs < 1 || args.size() > 1 || (folderOption >= 0 && kept.isEmpty())) {
        std::fprintf(stderr, "uso: quelvar-bench-programa [CORRIDAS] [--carpeta CARPETA]\n");
        return 2;
    }
    MessageBox::setScripted(true);
    QTemporaryDir work;
    const QString noRows = work.filePath(QStringLiteral("sin-renglones"));
    const QString full = kept.isEmpty() ? work.filePath(QStringLiteral("completa")) : kept;
    const QString printed = work.filePath(QStringLiteral("impresion"));
    const QString printedTenth = work.filePath(QStringLiteral("impresion-decima"));
    const QString drive = work.filePath(QStringLiteral("unidad-a"));
    QDir().mkpath(drive);
    qputenv("QUELVAR_UNIDAD_A", QFile::encodeName(drive));
    try {
        writeCompleteRequest(noRows, kNoRows);
        writeCompleteRequest(full, kFull);
        writeCompleteRequest(printed, kPrinted);
        writeCompleteRequest(printedTenth, kPrintedTenth);
    } catch (const StoreError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    std::printf("solicitud directa, No Originarios / Mezcla, completa: %d mercancías importadas (1 de cada %d fuera "
                "del TLCAN) y %d renglones en cada otra cuadrícula; para imprimir, %d y %d, y %d y %d; mediana de %d "
                "corridas\n",
                kFull.imports, kOtherCountryEvery, kFull.documents, kPrinted.imports, kPrinted.documents,
                kPrintedTenth.imports, kPrintedTenth.documents, runs);
    std::fflush(stdout);

    // The first window of the program loads the style, the fonts and the
    // platform's plugins: that is no part of any request's start-up.
    openWindow(noRows).reset();
    drain();
    MessageBox::clearShown();
    const double noRowsStart = startUp(noRows, runs);
    const double fullStart = startUp(full, runs);
    expectNoMessages(QStringLiteral("al abrir las ventanas"));
    add(QStringLiteral("ventana lista, solicitud sin renglones"), noRowsStart, "ms");
    add(QStringLiteral("ventana lista, solicitud completa"), fullStart, "ms");
    add(QStringLiteral("lo que añaden los renglones a la ventana"), fullStart - noRowsStart, "ms", 50);

    measureFullRequest(full, drive, runs);
    measureReport(printed, runs);
    measurePrinting(printedTenth, kPrintedTenth.imports, runs, false);
    add(QStringLiteral("memoria máxima del proceso (VmHWM)"), peakMegabytes(), "MB", 150);
    // For information, after the memory's figure: what printing 10,000
    // documents and the whole request take.
    measurePrinting(printed, kPrinted.imports, runs, true);
    measureFullReport(full, runs);

    const int missed = printTable();
    if (missed > 0)
        std::printf("\n%d objetivo(s) de velocidad o memoria sin cumplir (FALLA); los resultados son correctos.\n",
                    missed);
    else
        std::printf("\nTodos los resultados son correctos y se cumplen todos los objetivos.\n");
    return 0;
}
