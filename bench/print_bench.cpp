// The printed request over many import documents: its text, the printing
// window, the preview and the PDF, and `quelvar --imprimir`, with the time
// and the peak memory each takes.
//
//   build/bin/quelvar-print-bench [DOCUMENTOS] [CORRIDAS] [--carpeta CARPETA]
//
// Runs without a display (it sets QT_QPA_PLATFORM=offscreen unless told
// otherwise), its messages answered by script. Makes two complete requests,
// direct, of transformed goods, "No Originarios / Mezcla" (program_request.h;
// every section printed): one with DOCUMENTOS imported goods (default
// 10,000) and a tenth as many rows in each other grid, and one ten times
// larger, kept in CARPETA when one is given. Prints:
// - on the first, the medians over CORRIDAS runs (default 5) of: the
//   report's text built as command 5 builds it, its pages counted, command
//   5 up to the printing window shown, the preview up to its first page
//   drawn, and the PDF written by "Guardar PDF…";
// - on each, in a process of its own, so that the peak memory (VmHWM) is
//   that of this work alone: the window opened, command 5, the preview's
//   first page and the PDF, once each; and `quelvar --imprimir` writing the
//   PDF without a window (its peak as /usr/bin/time gives it).
// Exits with 1 when a result is wrong: a message other than the amount's
// question, a report not shown, a PDF without the report's pages or its
// last page. A goal missed is said in the table, and the exit is still 0.

#include "platform/file_choice.h"
#include "printing/frm_imp.h"
#include "printing/print_preview.h"
#include "store/store_error.h"

#include "bench_common.h"
#include "program_request.h"
#include "window_driving.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTimer>
#include <cmath>
#include <cstdio>

namespace {

using namespace BenchTiming;
using namespace BenchWindow;
using namespace BenchRequest;

[[noreturn]] void wrong(const QString &what)
{
    std::fprintf(stderr, "RESULTADO INCORRECTO: %s\n", qPrintable(what));
    std::exit(1);
}

struct Line {
    QString measure;
    double figure;
    QString unit;
    double goal; // none when NaN
};
std::vector<Line> lines;

void add(const QString &measure, double figure, const char *unit, double goal = std::nan(""))
{
    lines.push_back({measure, figure, QString::fromLatin1(unit), goal});
}

// What one pass through the printing window took.
struct WindowRun {
    double command5 = 0, preview = 0, pdf = 0, peak = 0;
    int pages = 0;
};

// Command 5 up to the printing window, its preview up to the first page
// drawn, and its PDF written to the file given.
WindowRun printFromWindow(FrmQuelvar &w, const QString &pdf)
{
    WindowRun run;
    MessageBox::clearShown();
    MessageBox::setNextAnswers({MessageBox::Answer::Yes});
    auto start = Clock::now();
    w.cmdAccion_Click(5);
    drain();
    run.command5 = millis(Clock::now() - start);
    FrmImp *printing = w.findChild<FrmImp *>();
    if (MessageBox::shownTexts().size() != 1 || !printing || !printing->isVisible()
        || !printing->windowTitle().startsWith(FrmImp::reportCaption()) || printing->rtImpCG->pages()->pageCount() < 2)
        wrong(QStringLiteral("la ventana de impresión no muestra el reporte"));
    MessageBox::clearShown();

    // Closed as soon as its first page is drawn.
    std::function<void()> closeOnceDrawn = [&] {
        auto *preview = qobject_cast<PrintPreview *>(QApplication::activeModalWidget());
        if (!preview || preview->pagesDrawn() == 0) {
            QTimer::singleShot(0, closeOnceDrawn);
            return;
        }
        run.preview = millis(Clock::now() - start);
        run.pages = preview->pageCount();
        preview->reject();
    };
    QTimer::singleShot(0, closeOnceDrawn);
    start = Clock::now();
    printing->cmdVistaPrevia->click();
    drain();

    QFile::remove(pdf);
    FileChoice::setScripted({pdf});
    start = Clock::now();
    printing->cmdGuardarPDF->click();
    run.pdf = millis(Clock::now() - start);
    if (!noMessages())
        wrong(QStringLiteral("se mostró un mensaje al imprimir"));
    return run;
}

// The pages of a PDF file, and whether its last page closes the report.
void expectWholePdf(const QString &pdf, int pages, const QString &who)
{
    QFile file(pdf);
    if (!file.open(QIODevice::ReadOnly))
        wrong(who + QStringLiteral(" no escribió el PDF"));
    int found = 0;
    while (!file.atEnd())
        found += int(file.readLine() == "/Type /Page\n" ? 1 : 0);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QString::number(pages), QStringLiteral("-l"),
                                             QString::number(pages), pdf, QStringLiteral("-")});
    text.waitForFinished(120000);
    if (found != pages || !text.readAllStandardOutput().contains("FIRMA DEL REPRESENTANTE LEGAL"))
        wrong(QStringLiteral("%1: el PDF tiene %2 páginas, se esperaban %3 y la última con las firmas")
                  .arg(who)
                  .arg(found)
                  .arg(pages));
}

// The window's pass on a folder, in this process (for a child of the
// benchmark): its figures on standard output.
int windowChild(const QString &folder, const QString &pdf)
{
    MessageBox::setScripted(true);
    std::unique_ptr<FrmQuelvar> w = openWindow(folder);
    if (!noMessages())
        wrong(QStringLiteral("se mostró un mensaje al abrir la solicitud"));
    const WindowRun run = printFromWindow(*w, pdf);
    std::printf("%f %f %f %d %f\n", run.command5, run.preview, run.pdf, run.pages, peakMegabytes());
    w.reset();
    drain();
    return 0;
}

WindowRun windowInAProcess(const QString &folder, const QString &pdf)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--ventana"), folder, pdf});
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        wrong(QStringLiteral("la medición de la ventana falló"));
    const QList<QByteArray> f = child.readAllStandardOutput().simplified().split(' ');
    if (f.size() != 5)
        wrong(QStringLiteral("la medición de la ventana no dio sus cifras"));
    return {f[0].toDouble(), f[1].toDouble(), f[2].toDouble(), f[4].toDouble(), f[3].toInt()};
}

// `quelvar --imprimir PDF FOLDER`: its time, and its peak memory as GNU
// time gives it (a process started from this one would count this one's
// memory among its own: Linux keeps the largest until the program starts).
WindowRun printWithoutWindow(const QString &folder, const QString &pdf)
{
    const QString time = QStringLiteral("/usr/bin/time");
    if (!QFileInfo(time).isExecutable())
        wrong(QStringLiteral("falta /usr/bin/time (paquete time)"));
    QTemporaryFile peak;
    if (!peak.open())
        wrong(QStringLiteral("no se pudo crear un archivo provisional"));
    QProcess child;
    child.setStandardOutputFile(QProcess::nullDevice());
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const auto start = Clock::now();
    child.start(time, {QStringLiteral("-f"), QStringLiteral("%M"), QStringLiteral("-o"), peak.fileName(),
                       QCoreApplication::applicationDirPath() + QStringLiteral("/quelvar"), QStringLiteral("--imprimir"),
                       pdf, folder});
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        wrong(QStringLiteral("quelvar --imprimir terminó con estado %1").arg(child.exitCode()));
    WindowRun run;
    run.pdf = millis(Clock::now() - start);
    run.peak = peak.readAll().trimmed().toDouble() / 1024; // kB
    return run;
}

int printTable()
{
    int missed = 0;
    std::printf("\n%-66s %14s %14s  %s\n", "medida", "cifra", "objetivo", "resultado");
    for (const Line &l : lines) {
        const QString figure = QString::number(l.figure, 'f', 1) + u' ' + l.unit;
        const bool hasGoal = !std::isnan(l.goal);
        const bool ok = !hasGoal || l.figure < l.goal;
        missed += ok ? 0 : 1;
        std::printf("%s %14s %14s  %s\n", qPrintable(l.measure.leftJustified(66)), qPrintable(figure),
                    hasGoal ? qPrintable(QStringLiteral("< %1 %2").arg(l.goal).arg(l.unit)) : "—",
                    hasGoal ? (ok ? "ok" : "FALLA") : "");
    }
    return missed;
}

} // namespace

int main(int argc, char *argv[])
{
    offscreenUnlessTold();
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--ventana"))
        return windowChild(args[2], args[3]);
    QString kept;
    if (const qsizetype at = args.indexOf(QStringLiteral("--carpeta")); at > 0 && at + 1 < args.size()) {
        kept = QDir(args[at + 1]).absolutePath();
        args.remove(at, 2);
    }
    const int documents = args.size() > 1 ? args[1].toInt() : 10000;
    const int runs = args.size() > 2 ? args[2].toInt() : 5;
    if (documents < 10 || runs < 1 || args.size() > 3) {
        std::fprintf(stderr, "uso: quelvar-print-bench [DOCUMENTOS] [CORRIDAS] [--carpeta CARPETA]\n");
        return 2;
    }
    const Rows small{documents, documents / 10}, large{documents * 10, documents};
    QTemporaryDir work;
    const QString smallFolder = work.filePath(QStringLiteral("solicitud"));
    const QString largeFolder = kept.isEmpty() ? work.filePath(QStringLiteral("grande")) : kept;
    const QString pdf = work.filePath(QStringLiteral("solicitud.pdf"));
    try {
        writeCompleteRequest(smallFolder, small);
        writeCompleteRequest(largeFolder, large);
    } catch (const StoreError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    std::printf("solicitud directa, No Originarios / Mezcla: %d pedimentos de importación y %d renglones en cada otra "
                "cuadrícula, y %d y %d; mediana de %d corridas\n",
                small.imports, small.documents, large.imports, large.documents, runs);
    std::fflush(stdout);

    {
        MessageBox::setScripted(true);
        std::unique_ptr<FrmQuelvar> w = openWindow(smallFolder);
        RequestReport::Report report;
        add(QStringLiteral("reporte armado, %1 pedimentos").arg(small.imports),
            timeMedian(runs, [&] { report = w->reportAsShown(); }), "ms", 200);
        int pages = 0;
        add(QStringLiteral("páginas contadas (Carta)"), timeMedian(runs, [&] {
                pages = PrintSurface::pagedForPdf(report.text, report.centred, PrintSurface::kReportPoints)
                            .pageCount();
            }),
            "ms");
        report = {};
        std::vector<double> command5, preview, written;
        for (int i = 0; i < runs; ++i) {
            const WindowRun run = printFromWindow(*w, pdf);
            command5.push_back(run.command5);
            preview.push_back(run.preview);
            written.push_back(run.pdf);
            if (run.pages != pages)
                wrong(QStringLiteral("la vista previa tiene %1 páginas, el reporte %2").arg(run.pages).arg(pages));
        }
        expectWholePdf(pdf, pages, QStringLiteral("«Guardar PDF…»"));
        add(QStringLiteral("comando 5 hasta la ventana de impresión"), median(command5), "ms", 2000);
        add(QStringLiteral("vista previa hasta su primera página (%1 páginas)").arg(pages), median(preview), "ms", 1000);
        add(QStringLiteral("PDF escrito, %1 páginas").arg(pages), median(written), "ms", 3000);
        w.reset();
        drain();
    }

    for (const auto &[folder, rows, goal] :
         {std::tuple{smallFolder, small, 150.0}, std::tuple{largeFolder, large, 250.0}}) {
        const QString n = QString::number(rows.imports);
        const WindowRun window = windowInAProcess(folder, pdf);
        expectWholePdf(pdf, window.pages, QStringLiteral("la ventana"));
        add(QStringLiteral("%1 pedimentos, ventana: comando 5 (solo)").arg(n), window.command5, "ms");
        add(QStringLiteral("%1 pedimentos, ventana: vista previa, primera de %2 páginas").arg(n).arg(window.pages),
            window.preview, "ms", 1000);
        add(QStringLiteral("%1 pedimentos, ventana: PDF escrito").arg(n), window.pdf, "ms");
        add(QStringLiteral("%1 pedimentos, ventana: memoria máxima (VmHWM)").arg(n), window.peak, "MB", goal);
        const WindowRun headless = printWithoutWindow(folder, pdf);
        expectWholePdf(pdf, window.pages, QStringLiteral("quelvar --imprimir"));
        add(QStringLiteral("%1 pedimentos, quelvar --imprimir").arg(n), headless.pdf, "ms");
        add(QStringLiteral("%1 pedimentos, quelvar --imprimir: memoria máxima").arg(n), headless.peak, "MB", goal);
    }

    const int missed = printTable();
    if (missed > 0)
        std::printf("\n%d objetivo(s) sin cumplir (FALLA); los resultados son correctos.\n", missed);
    else
        std::printf("\nTodos los resultados son correctos y se cumplen todos los objetivos.\n");
    return 0;
}
