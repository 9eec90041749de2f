// The completeness review on the real window, over complete requests written
// by python3-dbf: each single check blanked in turn, the grid sections, and
// commands 4 and 5 up to the amount question (the order within a grid row:
// tests/rules/test_completeness_review.cpp).
#include "complete_request.h"
#include "test_registry.h"

#include "grids/bound_grid.h"
#include "grids/record_table_model.h"
#include "rules/completeness_review.h"
#include "rules/request_fields.h"
#include "store/dbf_table.h"
#include "store/request_schema.h"

#include <QApplication>

namespace {

const QString kMissing = QStringLiteral("Debes de completar la solicitud. Falta especificar ");

} // namespace

class TestReview : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowHarness> h_; // a complete direct request, reused by the single checks

    void blank(QWidget *w) const
    {
        if (auto *combo = qobject_cast<QComboBox *>(w))
            combo->setCurrentIndex(-1);
        else
            static_cast<QLineEdit *>(w)->setText(QString());
    }

private slots:
    void initTestCase()
    {
        if (!RequestFixture::haveTools())
            QFAIL("python3-dbf is not installed (bash scripts/test.sh installs it)");
        h_ = std::make_unique<WindowHarness>();
        QVERIFY(h_->open(completeRequest({})));
    }
    void cleanupTestCase() { h_.reset(); }

    // Each single check, blanked alone on a complete request: its message,
    // its tab and the focus on it.
    void singleChecks_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("phrase");
        const QList<std::tuple<const char *, int, const char *>> rows{
            {"cmbTDevolucion", 0, " tipo de solicitud."},
            {"cmbTSolicitud", 0, " si la solicitud es nueva o reconsideración a un folio anterior."},
            {"txtFolio", 0, " el folio de la reconsideración de la solicitud."},
            {"txtFolioA", 0, " el año de la reconsideración de la solicitud."},
            {"txtRFC", 0, " el RFC de la empresa."},
            {"txtRSocial", 0, " la razón social de la empresa."},
            {"txtDireccion", 0, " la dirección de la empresa."},
            {"txtCP", 0, " el código postal de la empresa."},
            {"cmbEdo", 0, " el estado donde se ubica de la empresa."},
            {"txtColonia", 0, " la colonia de la empresa."},
            {"txtTelefono", 0, " el No. de telefono de la empresa."},
            {"txtFax", 0, " el No. de fax de la empresa."},
            {"txtEmail", 0, " el e-mail de la empresa."},
            {"cmbActFiscal", 1, " la actividad fiscal de la empresa."},
            {"txtNRLegal", 1, " el nombre del representante legal de la empresa."},
            {"txtPRLegal", 1, " el apellido paterno del representante legal de la empresa."},
            {"txtMRLegal", 1, " el apellido materno del representante legal de la empresa."},
            {"txtDireccionRep", 1, " la dirección del representante legal de la empresa."},
            {"txtCargo", 1, " el cargo dentro de la empresa del representante legal."},
            {"txtTelRep", 1, " el telefono del representante legal de la empresa."},
            {"txtFaxRep", 1, " el fax del representante legal de la empresa."},
            {"cmbBanco", 1, " el banco de la cuenta bancaria."},
            {"txtCuenta", 1, " el No. de la cuenta bancaria."},
            {"txtSuc", 1, " el No. de la sucursal de la cuenta bancaria."},
            {"txtPlaza", 1, " el No. de plaza de la cuenta bancaria."},
            {"txtProducto", 2, " el nombre comercial del producto motivo de la solicitud."},
            {"txtVExpFOB", 2, " el valor en dólares de la exportación."},
            {"txtFraccionExp", 2, " la fracción de exportación."},
            {"txtCantidadExp", 2, " la cantidad exportada del producto."},
            {"cmbUM", 2, " la unidad de medida del producto."},
            {"txtPUMN", 2, " el precio unitario de exportación del producto en pesos."},
            {"txtPUDls", 2, " el precio unitario de exportación del producto en dólares."},
            {"txtMPN", 3, " el costo de materias primas de orígen nacional."},
            {"txtMPE", 3, " el costo de materias primas provenientes del extranjero."},
            {"txtCIN", 3, " el costo de combustibles incoporados de orígen nacional."},
            {"txtCIE", 3, " el costo de combustibles incorporados provenientes del extranjero."},
            {"txtCNIN", 3, " el costo de combustibles no incoporados de orígen nacional."},
            {"txtEN", 3, " el costo de energía utilizada."},
            {"txtSN", 3, " el costo de salarios."},
            {"txtDN", 3, " el costo de las depreciaciones de la maquinaria."},
        };
        for (const auto &[object, tab, phrase] : rows)
            QTest::newRow(object) << object << tab << QString::fromUtf8(phrase);
    }
    void singleChecks()
    {
        QFETCH(QString, object);
        QFETCH(int, tab);
        QFETCH(QString, phrase);
        FrmQuelvar *w = h_->window.get();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        h_->text("txtDelegacion")->setText(QString()); // never reviewed
        QWidget *control = h_->get(object);
        auto *combo = qobject_cast<QComboBox *>(control);
        const int index = combo ? combo->currentIndex() : -1;
        const QString text = combo ? QString() : static_cast<QLineEdit *>(control)->text();
        blank(control);
        MessageBox::clearShown();
        const quint8 result = w->ContinuaRev();
        const QList<MessageBox::Shown> shown = MessageBox::shown();
        const int tabShown = h_->tabs()->currentIndex();
        const bool focused = QApplication::focusWidget() == control;
        if (combo)
            combo->setCurrentIndex(index);
        else
            static_cast<QLineEdit *>(control)->setText(text);
        // The focus leaves quietly: the fixture's tax id has no leading blank,
        // which its own check would report on leaving it.
        h_->get("cmbUM")->setFocus(Qt::PopupFocusReason);
        if (object == QLatin1String("cmbTSolicitud") || object == QLatin1String("cmbTDevolucion"))
            QVERIFY(h_->reopen()); // their handling changed the request's other choices
        QCOMPARE(result, 1);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.value(0).text, kMissing + phrase);
        QCOMPARE(shown.value(0).icon, MessageBox::Icon::Information);
        QCOMPARE(tabShown, tab);
        QVERIFY(focused);
    }

    // A complete request passes in each request type, its hidden tabs and
    // columns not reviewed.
    void completeInEveryType_data()
    {
        QTest::addColumn<QVariantMap>("choices");
        QTest::newRow("direct, originating") << QVariantMap{};
        QTest::newRow("new request, its folio not asked for") << QVariantMap{{"TSOL", "N"}};
        QTest::newRow("direct, mixed") << QVariantMap{{"MER_RET", "N"}};
        QTest::newRow("direct, returned") << QVariantMap{{"TIPO_EXPOR", "R"}, {"MER_RET", ""}};
        QTest::newRow("transfer with certificate") << QVariantMap{{"OTIPOEXPOR", 1.0}, {"MER_RET", "C"}};
        QTest::newRow("virtual transfer") << QVariantMap{{"OTIPOEXPOR", 1.0}, {"MER_RET", "P"}};
    }
    void completeInEveryType()
    {
        QFETCH(QVariantMap, choices);
        WindowHarness h;
        QVERIFY(h.open(completeRequest(choices)));
        QCOMPARE(h.window->ContinuaRev(), 0);
        QCOMPARE(MessageBox::shownTexts(), QStringList{});
    }

    // Every record is reviewed, far below the rows shown; an empty section
    // is named by its tab's caption.
    void gridSections()
    {
        WindowHarness h;
        RequestFixture::Records records = completeRequest({});
        QVariantMap row = records["insupedi"].value(0);
        records["insupedi"] = QList<QVariantMap>(300, row);
        records["insupedi"][250].remove("PAIS_IMPOR");
        QVERIFY(h.open(records));
        h.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        QCOMPARE(h.window->ContinuaRev(), 1);
        QCOMPARE(MessageBox::shownTexts(),
                 QStringList{kMissing + " el páis de orígen mostrado por el pedimento en la sección Merc. Importadas."});
        auto *imports = h.get<BoundGrid>("dbMI");
        QCOMPARE(h.tabs()->currentIndex(), 5);
        QCOMPARE(imports->currentIndex().row(), 250);
        QCOMPARE(QApplication::focusWidget(), imports);

        // A value another program stored as "nan" is no value.
        records["insupedi"][250].insert("PAIS_IMPOR", "JAPON");
        QVERIFY(h.fixture.create(records).isEmpty());
        {
            const QString file = QDir(h.fixture.folder()).filePath("insupedi.dbf");
            const std::unique_ptr<DbfTable> t = DbfTable::open(file);
            QByteArray bytes = QByteArray(t->record(120), t->recordLength());
            const FieldDef &value = t->field(t->fieldIndex("VAL_TOT_IN"));
            bytes.replace(value.offset, value.length, QByteArray("nan").rightJustified(value.length));
            t->writeRecord(120, bytes);
        }
        QVERIFY(h.reopen());
        h.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        QCOMPARE(h.window->ContinuaRev(), 1);
        QCOMPARE(MessageBox::shownTexts(),
                 QStringList{kMissing + " el valor total de imp. aduanal mostrada por el pedimento en la sección "
                                       "Merc. Importadas."});
        QCOMPARE(h.get<BoundGrid>("dbMI")->currentIndex().row(), 120);

        records["insupedi"].clear();
        QVERIFY(h.fixture.create(records).isEmpty());
        QVERIFY(h.reopen());
        QCOMPARE(h.window->ContinuaRev(), 1);
        QCOMPARE(MessageBox::shownTexts(),
                 QStringList{"Debes de completar la solicitud. No has colocado ningún dato en la sección "
                             "Merc. Importadas."});
    }

    // Command 4 of a transfer with certificate asks for its annex first;
    // then the amount, the one the stored rows give whichever grid was
    // edited last. No goes back to the unit costs.
    void amountQuestion()
    {
        WindowHarness h;
        RequestFixture::Records records = completeRequest({{"OTIPOEXPOR", 1.0}, {"MER_RET", "C"}});
        QVERIFY(h.open(records));
        h.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        h.command(4);
        QCOMPARE(MessageBox::shownTexts(), QStringList{CompletenessReview::kAnnexRequired});
        QCOMPARE(h.tabs()->currentIndex(), 7);
        QCOMPARE(QApplication::focusWidget(), h.get("chkAnexoB"));

        records = completeRequest({{"MER_RET", "N"}});
        records["insupedi"][0].insert("MONT_SOLIC", 1000.0);
        records["insupedi"][0].insert("PAIS_IMPOR", "JAPON");
        records["impTLC"][0].insert("MONT_SOLIC", 600.0);
        QVERIFY(h.fixture.create(records).isEmpty());
        QVERIFY(h.reopen());
        h.window->TotalOrNOr(); // uncapped, as after an imported-goods row written
        QCOMPARE(h.text("txtDevS")->text(), "1,000");
        MessageBox::setNextAnswer(MessageBox::Answer::No);
        h.command(5);
        QCOMPARE(MessageBox::shown().value(0).text,
                 "El monto aproximado a devolver por esta solicitud es de $600. Esta de acuerdo?");
        QCOMPARE(MessageBox::shown().value(0).icon, MessageBox::Icon::Question);
        QCOMPARE(h.tabs()->currentIndex(), 4);
    }
};

QUELVAR_TEST_CLASS(TestReview)
#include "test_review.moc"
