// Speed of the request window over a request with many imported goods.
//
//   build/bin/quelvar-window-bench [RECORDS] [RUNS]      (defaults 100000 and 7)
//
// Runs without a display (it sets QT_QPA_PLATFORM=offscreen unless told
// otherwise), its message boxes scripted. Makes two request folders from the
// data templates, each with a direct request of transformed goods, "No
// Originarios / Mezcla", and one complete unit cost: one with no imported
// goods, the other with RECORDS of them (every third from outside the TLCAN).
// Prints medians of:
// - the window's start-up on each folder (built, shown with its controls
//   initialised and its totals taken, up to its first painting) over RUNS
//   runs, and what the imported goods add to it;
// - on the large request, with the "Merc. Importadas" tab in front, one
//   edited row written, over 10 x RUNS runs: the incorporated value of a
//   middle row typed and confirmed with Enter (its balance and amount
//   derived; for transformed goods the returned quantity is a hidden
//   column), then the row written, which totals the imported goods again,
//   and the events that follow (the cursor goes with the totals' walk);
// - the imported goods' totals alone, over RUNS runs;
// and the program's peak memory at the end. Exits with 1 when a total, a
// derived cell or the tab shown is not what the request gives, or when a
// message was shown.

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

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <sys/resource.h>

namespace {

using namespace BenchTiming;

constexpr int kOtherCountryEvery = 3;
constexpr int kImportsTab = 5;
constexpr double kAdValorem = 15; // the rate fillImportedGoods gives every record

// The amount fillImportedGoods stores for record n.
double storedAmount(int n) { return 1.25 + n % 7; }

bool outsideTlcan(int n) { return n % kOtherCountryEvery == kOtherCountryEvery - 1; }

// A request folder with the request, one complete unit cost and the given
// number of imported goods.
void writeRequest(const QString &folder, int records)
{
    RequestFolder::create(folder, QStringLiteral(QUELVAR_DATA_DIR));
    RequestLinks links;
    links.setFolder(folder);
    links.refreshRequestLinks();
    Recordset &solicitu = *links.dtsSolicitu->recordset();
    solicitu.AddNew();
    const QList<QPair<QString, QVariant>> request{{QStringLiteral("OTIPOEXPOR"), 0},
                                                  {QStringLiteral("TIPO_EXPOR"), QStringLiteral("M")},
                                                  {QStringLiteral("MER_RET"), QStringLiteral("N")},
                                                  {QStringLiteral("TSOL"), QStringLiteral("N")},
                                                  {QStringLiteral("DEPRE_MAQ"), 0}};
    for (const auto &[field, value] : request)
        solicitu.Fields(field).setValue(value);
    solicitu.Update();
    Recordset &insunit = *links.dtsInsunit->recordset();
    insunit.AddNew();
    insunit.Fields(QStringLiteral("FRACCION")).setValue(QStringLiteral("84719001"));
    insunit.Fields(QStringLiteral("DESCRIP")).setValue(QStringLiteral("PARTES DE MAQUINAS"));
    insunit.Fields(QStringLiteral("TASA_ADVAL")).setValue(kAdValorem);
    insunit.Fields(QStringLiteral("COSTO_UNIT")).setValue(123.45);
    insunit.Update();
    fillImportedGoods(*links.dtsInsupedi->recordset(), records, 0, kOtherCountryEvery);
    links.syncRequestTables();
}

struct Totals {
    double originating = 0;
    double nonOriginating = 0;
};

// The totals of a mixed request: the TLCAN's goods are originating, the
// others not. Record `changed` holds `amount` instead of what was stored.
Totals expectedTotals(int records, int changed = -1, double amount = 0)
{
    Totals t;
    for (int n = 0; n < records; ++n) {
        const double a = n == changed ? amount : storedAmount(n);
        (outsideTlcan(n) ? t.nonOriginating : t.originating) += a;
    }
    return t;
}

// A total as the window shows it, with its thousands separators.
double shownNumber(const FrmQuelvar &window, const char *name)
{
    const QLineEdit *box = window.findChild<QLineEdit *>(QString::fromLatin1(name));
    bool ok = false;
    const double value = box ? QString(box->text()).remove(u',').toDouble(&ok) : 0;
    return ok ? value : std::nan("");
}

bool showsTotals(const FrmQuelvar &window, const Totals &expected)
{
    const double originating = shownNumber(window, "txtTO");
    const double nonOriginating = shownNumber(window, "txtTNO");
    const double requested = shownNumber(window, "txtDevS");
    const auto near = [](double a, double b) { return std::abs(a - b) < 0.005; };
    if (near(originating, expected.originating) && near(nonOriginating, expected.nonOriginating)
        && near(requested, expected.originating + expected.nonOriginating))
        return true;
    std::fprintf(stderr, "totales: %.2f / %.2f / %.2f, se esperaban %.2f / %.2f / %.2f\n", originating, nonOriginating,
                 requested, expected.originating, expected.nonOriginating,
                 expected.originating + expected.nonOriginating);
    return false;
}

void drain()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Notes the first painting of the widget it watches.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        painted = painted || event->type() == QEvent::Paint;
        return false;
    }
};

// The window as the program opens it, up to its first painting: shown, and
// the events processed until it is exposed and drawn.
std::unique_ptr<FrmQuelvar> openWindow(const QString &folder)
{
    auto window = std::make_unique<FrmQuelvar>(folder);
    PaintWatch watch;
    window->installEventFilter(&watch);
    window->show();
    const auto shown = Clock::now();
    while (!watch.painted && millis(Clock::now() - shown) < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    window->removeEventFilter(&watch);
    if (!watch.painted) {
        std::fprintf(stderr, "la ventana no se dibujó\n");
        std::exit(1);
    }
    return window;
}

double startUp(const QString &folder, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        std::unique_ptr<FrmQuelvar> window = openWindow(folder);
        times.push_back(millis(Clock::now() - start));
        window.reset();
        drain();
    }
    return median(times);
}

void sendKey(QWidget *target, int key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

// Types the digits on the current cell as the user does (the first key opens
// its editor over the text there, selected), then Enter.
void typeCell(BoundGrid *grid, const QString &digits)
{
    for (const QChar c : digits) {
        QWidget *target = grid->cellEditor() ? static_cast<QWidget *>(grid->cellEditor()) : grid;
        sendKey(target, Qt::Key_0 + (c.unicode() - u'0'), QString(c));
    }
    if (QLineEdit *editor = grid->cellEditor())
        sendKey(editor, Qt::Key_Return, QStringLiteral("\r"));
    QCoreApplication::processEvents();
}

bool noMessages()
{
    const QStringList texts = MessageBox::shownTexts();
    for (const QString &t : texts)
        std::fprintf(stderr, "mensaje mostrado: %s\n", qPrintable(t));
    return texts.isEmpty();
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024; // kilobytes on Linux
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int records = args.size() > 1 ? args[1].toInt() : 100000;
    const int runs = args.size() > 2 ? args[2].toInt() : 7;
    if (records < 1 || runs < 1) {
        std::fprintf(stderr, "uso: quelvar-window-bench [REGISTROS] [CORRIDAS]\n");
        return 2;
    }
    MessageBox::setScripted(true);

    QTemporaryDir emptyDir;
    QTemporaryDir bigDir;
    try {
        writeRequest(emptyDir.path(), 0);
        writeRequest(bigDir.path(), records);
    } catch (const StoreError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    std::printf("solicitud directa, No Originarios / Mezcla: %d mercancías importadas (1 de cada %d fuera del "
                "TLCAN), mediana de %d corridas\n",
                records, kOtherCountryEvery, runs);

    // The first window of the program loads the style, the fonts and the
    // platform's plugins: that is no part of either request's start-up.
    openWindow(emptyDir.path()).reset();
    drain();
    const double emptyStart = startUp(emptyDir.path(), runs);
    const double bigStart = startUp(bigDir.path(), runs);
    std::printf("%-44s %10.3f ms\n", "arranque de la ventana, sin mercancías", emptyStart);
    std::printf("%-44s %10.3f ms\n", "arranque de la ventana, con las mercancías", bigStart);
    report("lo que añaden las mercancías al arranque", bigStart - emptyStart, "ms", 50);

    std::unique_ptr<FrmQuelvar> window = openWindow(bigDir.path());
    if (!showsTotals(*window, expectedTotals(records)) || !noMessages())
        return 1;
    auto *tabs = window->findChild<QTabWidget *>(QStringLiteral("SSTabDatos"));
    tabs->setCurrentIndex(kImportsTab);
    drain();
    BoundGrid *grid = window->findChild<BoundGrid *>(QStringLiteral("dbMI"));
    RecordTableModel *model = grid->recordModel();
    const int column = columnIndex(ImportCol::ValorIncorporado);
    if (tabs->currentIndex() != kImportsTab || !grid->isVisible() || grid->isColumnHidden(column)
        || model->isLocked(column) || !noMessages()) {
        std::fprintf(stderr, "la pestaña de mercancías importadas no quedó al frente, con su columna\n");
        return 1;
    }

    const int middle = records / 2;
    int typed = 0;
    std::vector<double> writes;
    for (int i = 0; i < runs * 10; ++i) {
        grid->setCurrentIndex(model->index(middle, column));
        drain();
        typed = 200 + 100 * (i % 2); // a new value each time
        const auto start = Clock::now();
        typeCell(grid, QString::number(typed));
        grid->commitPendingRow();
        QCoreApplication::processEvents();
        writes.push_back(millis(Clock::now() - start));
    }
    const double amount = kAdValorem / 100 * typed;
    const double balance = 1234.5 - typed; // VAL_TOT_IN of fillImportedGoods
    if (model->hasPendingRow() || model->cellValue(middle, column) != QString::number(typed)
        || std::abs(model->cellValue(middle, columnIndex(ImportCol::MontSolic)).toDouble() - amount) > 1e-9
        || std::abs(model->cellValue(middle, columnIndex(ImportCol::SaldoValor)).toDouble() - balance) > 1e-9) {
        std::fprintf(stderr, "el renglón no quedó escrito con sus valores derivados: %s, %s, %s\n",
                     qPrintable(model->cellValue(middle, column)),
                     qPrintable(model->cellValue(middle, columnIndex(ImportCol::MontSolic))),
                     qPrintable(model->cellValue(middle, columnIndex(ImportCol::SaldoValor))));
        return 1;
    }
    if (!showsTotals(*window, expectedTotals(records, middle, amount)) || !noMessages())
        return 1;
    report("escritura de un renglón editado (mediana)", median(writes), "ms", 30);

    const double totalling = timeMedian(runs, [&] {
        window->TotalOrNOr();
        QCoreApplication::processEvents();
    });
    std::printf("%-44s %10.3f ms\n", "totales de mercancías importadas (mediana)", totalling);

    // Nothing of the bench is kept: the window goes without the question.
    window.reset();
    drain();
    report("memoria máxima (ru_maxrss)", peakMegabytes(), "MB", 150);
    return 0;
}
