// Speed of the completeness review over a complete request with many
// imported goods.
//
//   build/bin/quelvar-review-bench [RECORDS] [RUNS]      (defaults 100000 and 7)
//
// Runs without a display (it sets QT_QPA_PLATFORM=offscreen unless told
// otherwise), its message boxes scripted. Makes a request folder from the
// data templates with a direct request of transformed goods, "No Originarios
// / Mezcla", every box and list of the company and the request filled, one
// unit cost, one direct export, one TLCAN import and RECORDS imported goods,
// all complete. Prints the medians over RUNS runs of the review of that
// request (which must find nothing), and of the review once the last
// imported good lacks its country (which must find it, on its row).

#include "grids/bound_grid.h"
#include "platform/message_box.h"
#include "rules/request_fields.h"
#include "store/data_link.h"
#include "store/recordset.h"
#include "store/request_folder.h"
#include "store/request_links.h"
#include "store/request_schema.h"
#include "store/store_error.h"
#include "window/frm_quelvar.h"

#include "bench_common.h"
#include "program_request.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

namespace {

using namespace BenchTiming;

void writeCompleteRequest(const QString &folder, int records)
{
    RequestFolder::create(folder, QStringLiteral(QUELVAR_DATA_DIR));
    RequestLinks links;
    links.setFolder(folder);
    links.refreshRequestLinks();
    BenchRequest::addFilledRecord(*links.dtsEmpresas->recordset(), QStringLiteral("empresas"),
                                  {{QStringLiteral("ESTADO"), 9},
                                   {QStringLiteral("SECTOR"), 1},
                                   {QStringLiteral("BANCO"), QStringLiteral("BANORTE, S.A.")}});
    BenchRequest::addFilledRecord(*links.dtsSolicitu->recordset(), QStringLiteral("solicitu"),
                                  {{QStringLiteral("OTIPOEXPOR"), 0},
                                   {QStringLiteral("TIPO_EXPOR"), QStringLiteral("M")},
                                   {QStringLiteral("MER_RET"), QStringLiteral("N")},
                                   {QStringLiteral("TSOL"), QStringLiteral("N")},
                                   {QStringLiteral("UNIDAD"), QStringLiteral("PIEZA")}});
    BenchRequest::addFilledRecord(*links.dtsInsunit->recordset(), QStringLiteral("insunit"), {});
    BenchRequest::addFilledRecord(*links.dtsExporped->recordset(), QStringLiteral("exporped"), {});
    BenchRequest::addFilledRecord(*links.dtsImpTLC->recordset(), QStringLiteral("impTLC"), {});
    fillImportedGoods(*links.dtsInsupedi->recordset(), records);
    links.syncRequestTables();
}

void blankLastCountry(const QString &folder)
{
    RequestLinks links;
    links.setFolder(folder);
    links.refreshRequestLinks();
    Recordset &insupedi = *links.dtsInsupedi->recordset();
    insupedi.MoveLast();
    insupedi.Edit();
    insupedi.Fields(QStringLiteral("PAIS_IMPOR")).setValue(QVariant());
    insupedi.Update();
    links.syncRequestTables();
}

// The review's median over the runs, checking what it answers and where it
// leaves the imported goods' cursor.
double reviews(const QString &folder, int runs, quint8 expected, int row)
{
    FrmQuelvar window(folder);
    window.show();
    QCoreApplication::processEvents();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        MessageBox::clearShown();
        const auto start = Clock::now();
        const quint8 result = window.ContinuaRev();
        times.push_back(millis(Clock::now() - start));
        const int current = window.findChild<BoundGrid *>(QStringLiteral("dbMI"))->currentIndex().row();
        if (result != expected || (expected == 1 && current != row)) {
            std::fprintf(stderr, "la revisión dio %d en el renglón %d (se esperaba %d en el %d)\n", result, current,
                         expected, row);
            for (const QString &t : MessageBox::shownTexts())
                std::fprintf(stderr, "mensaje: %s\n", qPrintable(t));
            std::exit(1);
        }
        QCoreApplication::processEvents();
    }
    return median(times);
}

} // namespace

int main(int argc, char *argv[])
{
    offscreenUnlessTold();
    QApplication app(argc, argv);
    int records = 0;
    int runs = 0;
    if (!benchArguments(app.arguments(), "quelvar-review-bench", &records, &runs))
        return 2;
    MessageBox::setScripted(true);
    QTemporaryDir dir;
    try {
        writeCompleteRequest(dir.path(), records);
    } catch (const StoreError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    std::printf("solicitud completa con %d mercancías importadas, mediana de %d corridas\n", records, runs);
    report("revisión de la solicitud completa", reviews(dir.path(), runs, 0, -1), "ms", 1000);
    blankLastCountry(dir.path());
    report("revisión con un blanco en el último renglón", reviews(dir.path(), runs, 1, records - 1), "ms", 1000);
    return 0;
}
