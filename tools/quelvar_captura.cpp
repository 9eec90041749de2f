// quelvar-captura IMAGEN.png [PESTAÑA]
//
// Draws the request window over a sample request (made in a scratch folder)
// and saves it as a picture, with the given tab in front (0 to 8, default 0).
// Run it with QT_QPA_PLATFORM=offscreen to make the picture without a screen.
#include "platform/message_box.h"
#include "platform/spanish_translation.h"
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
        {"BANCO", "BANORTE, S.A."}, {"SECTOR", 5}, {"ESTADO", 11}};
    for (const auto &[field, value] : company)
        empresas.Fields(field).setValue(value);
    empresas.Update();
    Recordset &solicitu = *links.dtsSolicitu->recordset();
    solicitu.AddNew();
    const QList<QPair<QString, QVariant>> request{
        {"OTipoExpor", 0}, {"Tipo_Expor", "M"}, {"Mer_Ret", "O"}, {"tsol", "N"}, {"Unidad", "PIEZA"},
        {"DESCRIP", "ARNESES ELECTRICOS"}, {"VALOR_FOB", 125000}, {"CANTIDAD", 5000}, {"FRACCION", "85443001"},
        {"MAT_PRI_NA", 0}, {"DEPRE_MAQ", 0}};
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
        err << "uso: quelvar-captura IMAGEN.png [PESTAÑA]\n";
        return 2;
    }
    QTemporaryDir dir;
    try {
        RequestFolder::create(dir.path(), QStringLiteral(QUELVAR_DATA_DIR));
        fill(dir.path());
        MessageBox::setScripted(true);
        FrmQuelvar window(dir.path());
        window.resize(1280, 720);
        window.show();
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
