// quelvar-captura IMAGEN.png [PESTAÑA]
// quelvar-captura SOLICITUD.pdf
//
// Draws the request window over a sample request (made in a scratch folder)
// and saves it as a picture, with the given tab in front (0 to 8, default 0);
// or saves the sample's printed request as a PDF file.
// quelvar-captura --carpeta CARPETA
// Leaves the sample request in a new folder, to open with quelvar.
// Run it with QT_QPA_PLATFORM=offscreen to make the picture without a screen.
#include "platform/message_box.h"
#include "platform/spanish_translation.h"
#include "printing/print_surface.h"
#include "store/data_link.h"
#include "store/recordset.h"
#include "store/request_folder.h"
#include "store/request_links.h"
#include "store/store_error.h"
#include "window/frm_quelvar.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

void fill(const QString &folder)
{
    RequestLinks links;
    links.setFolder(folder);
    links.refreshRequestLinks();
    Recordset &empresas = *links.dtsEmpresas->recordset();
    empresas.AddNew();
    const QList<QPair<QString, QVariant>> company{
        {"NOMBRE", "MAQUILADORA DEL BAJIO, S.A. DE C.V."}, {"RFC", " MBA990512K27"},
        {"DIRECCION1", "AV. INDUSTRIAL 1450"}, {"COLONIA", "PARQUE INDUSTRIAL"}, {"CIUDAD", "CELAYA"},
        {"CODIGO_POS", "38010"}, {"TELEFONO", "4616120000"}, {"EMAIL", "comex@maquiladora.mx"},
        {"BANCO", "BANORTE, S.A."}, {"SECTOR", 5}, {"ESTADO", 11}, {"FAX", "4616120001"},
        {"REP_LEGAL", "LAURA"}, {"REP_LEGALP", "MENDOZA"}, {"REP_LEGALM", "RUIZ"}, {"CARGO", "DIRECTORA GENERAL"},
        {"TELREP", "4616120010"}, {"CUENTA", "01234567890"}, {"SUCURSAL", "0457"}, {"PLAZA", "110"}};
    for (const auto &[field, value] : company)
        empresas.Fields(field).setValue(value);
    empresas.Update();
    Recordset &solicitu = *links.dtsSolicitu->recordset();
    solicitu.AddNew();
    const QList<QPair<QString, QVariant>> request{
        {"OTipoExpor", 0}, {"Tipo_Expor", "M"}, {"Mer_Ret", "O"}, {"tsol", "N"}, {"Unidad", "PIEZA"},
        {"DESCRIP", "ARNESES ELECTRICOS"}, {"VALOR_FOB", 125000}, {"CANTIDAD", 5000}, {"FRACCION", "85443001"},
        {"MAT_PRI_NA", 40000}, {"MAT_PRI_EX", 62500}, {"COMB_INCNA", 0}, {"COMB_INCEX", 0}, {"COMB_NOINC", 1500},
        {"ENERG_DIR", 3200}, {"SALARIOS", 18000}, {"DEPRE_MAQ", 2500}};
    for (const auto &[field, value] : request)
        solicitu.Fields(field).setValue(value);
    solicitu.Update();
    Recordset &insunit = *links.dtsInsunit->recordset();
    const QList<QVariantList> costs{{"85444999", 10, 12.5, "CABLE DE COBRE"},
                                    {"85369099", 5, 3.75, "TERMINALES"}};
    for (const QVariantList &c : costs) {
        insunit.AddNew();
        for (int i = 0; i < 4; ++i)
            insunit.setValue(i, c[i]);
        insunit.Update();
    }
    Recordset &insupedi = *links.dtsInsupedi->recordset();
    const QList<QVariantList> imports{
        {"A1", "3145-6001234", QDate(2026, 3, 2), "85444999", 10, 12.5, "ESTADOS UNIDOS DE AMERICA", 4000, 0, 50000,
         40000, 0, 4000, 12.5, 4000, 10000},
        {"A1", "3145-6001302", QDate(2026, 4, 7), "85369099", 5, 3.75, "ESTADOS UNIDOS DE AMERICA", 8000, 0, 30000,
         22500, 0, 1125, 3.75, 2000, 7500}};
    for (const QVariantList &row : imports) {
        insupedi.AddNew();
        for (int i = 0; i < row.size(); ++i)
            insupedi.setValue(i, row[i]);
        insupedi.Update();
    }
    Recordset &exporped = *links.dtsExporped->recordset();
    exporped.AddNew();
    const QVariantList exported{"3145-6100456", QDate(2026, 5, 20), "ESTADOS UNIDOS DE AMERICA", 5000, 5000,
                                125000, 125000, 0};
    for (int i = 0; i < exported.size(); ++i)
        exporped.setValue(i, exported[i]);
    exporped.Update();
    links.syncRequestTables();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    SpanishTranslation::install();
    QTextStream err(stderr);
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        err << "uso: quelvar-captura IMAGEN.png [PESTAÑA] | SOLICITUD.pdf | --carpeta CARPETA\n";
        return 2;
    }
    if (args[1] == QLatin1String("--carpeta") && args.size() > 2) {
        try {
            RequestFolder::create(args[2], QStringLiteral(QUELVAR_DATA_DIR));
            fill(args[2]);
            return 0;
        } catch (const StoreError &e) {
            err << e.message() << "\n";
            return 1;
        }
    }
    QTemporaryDir dir;
    try {
        RequestFolder::create(dir.path(), QStringLiteral(QUELVAR_DATA_DIR));
        fill(dir.path());
        MessageBox::setScripted(true);
        FrmQuelvar window(dir.path());
        window.resize(1280, 720);
        window.show();
        if (args[1].endsWith(QStringLiteral(".pdf"))) {
            const RequestReport::Report report = window.reportAsShown();
            const PrintedPages pages =
                PrintSurface::pagedForPdf(report.text, report.centred, PrintSurface::kReportPoints);
            const PrintSurface::Result written = PrintSurface::writePdf(pages, PrintSurface::kReportPoints, args[1]);
            if (written.outcome != PrintSurface::Outcome::Done) {
                err << written.error << "\n";
                return 1;
            }
            MessageBox::setNextAnswer(MessageBox::Answer::No);
            return 0;
        }
        const int tab = args.size() > 2 ? args[2].toInt() : 0;
        window.findChild<QTabWidget *>(QStringLiteral("SSTabDatos"))->setCurrentIndex(tab);
        QApplication::processEvents();
        if (!window.grab().save(args[1])) {
            err << "no se pudo guardar " << args[1] << "\n";
            return 1;
        }
        // Nothing of the sample is kept: closing without the question.
        MessageBox::setNextAnswer(MessageBox::Answer::No);
    } catch (const StoreError &e) {
        err << e.message() << "\n";
        return 1;
    }
    return 0;
}
