// Speed of the printed request: the report's text over many import
// documents, the printing window filled with it, its print preview, and
// its pages written as PDF.
//
//   build/bin/quelvar-print-bench [DOCUMENTS] [RUNS]      (defaults 10000 and 7)
//
// Runs without a display (it sets QT_QPA_PLATFORM=offscreen unless told
// otherwise). Makes the request tables of a direct request of transformed
// goods, "No Originarios / Mezcla" (every section printed) with DOCUMENTS
// imported goods and a tenth as many direct exports and TLCAN imports, and
// prints the medians over RUNS runs of: the report built from them; the
// same for a tenth of the documents; that smaller report shown in the
// printing window, its preview shown with every page drawn, and its PDF.

#include "printing/frm_imp.h"
#include "printing/print_surface.h"
#include "rules/request_report.h"
#include "store/data_link.h"
#include "store/request_folder.h"
#include "store/request_links.h"
#include "store/store_error.h"

#include "bench_common.h"

#include <QApplication>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextEdit>

namespace {

using namespace BenchTiming;

void writeRequest(const QString &folder, int documents)
{
    RequestFolder::create(folder, QStringLiteral(QUELVAR_DATA_DIR));
    RequestLinks links;
    links.setFolder(folder);
    links.refreshRequestLinks();
    Recordset &insunit = *links.dtsInsunit->recordset();
    for (int i = 0; i < 20; ++i) {
        insunit.AddNew();
        insunit.Fields(QStringLiteral("FRACCION")).setValue(QStringLiteral("84719001"));
        insunit.Fields(QStringLiteral("DESCRIP")).setValue(QStringLiteral("INSUMO %1").arg(i));
        insunit.Fields(QStringLiteral("COSTO_UNIT")).setValue(10.25 + i);
        insunit.Fields(QStringLiteral("TASA_ADVAL")).setValue(5);
        insunit.Update();
    }
    fillImportedGoods(*links.dtsInsupedi->recordset(), documents, 0, 3);
    fillDirectExports(*links.dtsExporped->recordset(), documents / 10);
    fillTlcanImports(*links.dtsImpTLC->recordset(), documents / 10);
    links.syncRequestTables();
}

QString shown(const QString &name)
{
    if (name == u"cmbTSolicitud")
        return QStringLiteral("Solicitud Inicial");
    if (name == u"cmbTDevolucion")
        return QStringLiteral("Mercancias Transformadas");
    if (name == u"cmbTExportacion")
        return QStringLiteral("No Originarios / Mezcla");
    return name.startsWith(u"txt") ? QStringLiteral("1,234.5") : QStringLiteral("NOMBRE");
}

struct Opened {
    RequestLinks links;
    explicit Opened(const QString &folder)
    {
        links.setFolder(folder);
        links.refreshRequestLinks();
    }
    RequestReport::Report build()
    {
        const RequestReport::Choices choices{2, true, 0, 0, 1, false, false};
        const RequestReport::Tables tables{links.dtsInsunit->recordset(), links.dtsInsupedi->recordset(),
                                           links.dtsExporped->recordset(), links.dtsFactura->recordset(),
                                           links.dtsImpTLC->recordset()};
        RequestReport::Report r = RequestReport::build(shown, choices, tables);
        if (r.outcome != RequestReport::Report::Outcome::Built) {
            std::fprintf(stderr, "el reporte no se completó\n");
            std::exit(1);
        }
        return r;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    offscreenUnlessTold();
    QApplication app(argc, argv);
    int documents = 0;
    int runs = 0;
    QStringList args = app.arguments();
    if (args.size() < 2)
        args << QStringLiteral("10000");
    if (!benchArguments(args, "quelvar-print-bench", &documents, &runs))
        return 2;
    QTemporaryDir large, small;
    try {
        writeRequest(large.path(), documents);
        writeRequest(small.path(), std::max(1, documents / 10));
    } catch (const StoreError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    Opened many(large.path());
    Opened few(small.path());
    std::printf("reporte con %d pedimentos de importación (y %d con la décima parte), mediana de %d corridas\n",
                documents, std::max(1, documents / 10), runs);
    report("reporte armado", timeMedian(runs, [&] { many.build(); }), "ms", 200);
    const RequestReport::Report shortReport = few.build();
    report("reporte armado (décima parte)", timeMedian(runs, [&] { few.build(); }), "ms", 200);

    FrmImp window;
    report("ventana de impresión con el reporte", timeMedian(runs, [&] {
               window.showReport(few.build());
               window.show();
               QCoreApplication::processEvents();
           }),
           "ms", 2000);
    int pages = 0;
    report("vista previa mostrada, todas las páginas", timeMedian(runs, [&] {
               QPrintPreviewWidget preview(&window.printer());
               QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, [&](QPrinter *p) {
                   pages = PrintSurface::ImprimeRTF(*window.rtImpCG->document(), *p);
               });
               preview.resize(1000, 800);
               preview.show();
               preview.updatePreview();
               QCoreApplication::processEvents();
           }),
           "ms", 2000);
    std::printf("  (%d páginas)\n", pages);
    QTemporaryDir out;
    report("PDF escrito", timeMedian(runs, [&] {
               PrintSurface::writePdf(*window.rtImpCG->document(), out.filePath(QStringLiteral("s.pdf")));
           }),
           "ms", 2000);
    return 0;
}
