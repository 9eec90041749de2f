// The request type, refund type and export type on the real window: the tabs,
// grid columns, locks and mode values each combination gives, reached as a
// user does and by a start-up over the stored choices; the transfer boxes;
// the folio boxes; the captions that change; the Enter key along the header.
#include "window_harness.h"

#include "grids/bound_grid.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>

namespace {

QVariantMap request(const QVariantMap &extra = {})
{
    QVariantMap r{{"OTIPOEXPOR", 0.0}, {"TIPO_EXPOR", "M"}, {"MER_RET", "O"}, {"TSOL", "N"}, {"DEPRE_MAQ", 3.0}};
    for (auto it = extra.begin(); it != extra.end(); ++it)
        r.insert(it.key(), it.value());
    return r;
}

// The state a combination leaves, in the terms of the mode table.
struct Modes {
    QString tabs;      // "1" for each tab shown
    int tabsPerRow;
    QString unitCosts; // columns of dbCU shown
    QString imports;   // columns of dbMI shown
    QString locks;     // columns of dbMI locked
    int opcDT;
    int mDev;
};

QString columnMask(BoundGrid *g, bool locks)
{
    QString mask;
    for (int i = 0; i < g->ColumnsCount(); ++i)
        mask += (locks ? g->Columns(i).Locked() : g->Columns(i).Visible()) ? u'1' : u'0';
    return mask;
}

Modes modesOf(const WindowHarness &h)
{
    QString tabs;
    for (int i = 0; i < h.tabs()->count(); ++i)
        tabs += h.tabs()->isTabVisible(i) ? u'1' : u'0';
    BoundGrid *imports = h.get<BoundGrid>(QStringLiteral("dbMI"));
    return {tabs,
            h.window->tabsPerRow(),
            columnMask(h.get<BoundGrid>(QStringLiteral("dbCU")), false),
            columnMask(imports, false),
            columnMask(imports, true),
            h.window->opcDT(),
            h.window->mDev()};
}

void compareModes(const Modes &actual, const Modes &expected)
{
    QCOMPARE(actual.tabs, expected.tabs);
    QCOMPARE(actual.tabsPerRow, expected.tabsPerRow);
    QCOMPARE(actual.unitCosts, expected.unitCosts);
    QCOMPARE(actual.imports, expected.imports);
    if (!expected.locks.isEmpty())
        QCOMPARE(actual.locks, expected.locks);
    QCOMPARE(actual.opcDT, expected.opcDT);
    QCOMPARE(actual.mDev, expected.mDev);
}

const QString kTransformed = QStringLiteral("111110100110011");
const QString kReturned = QStringLiteral("111111111101111");
const QString kLocksTransformed = QStringLiteral("000010000000011");
const QString kLocksReturned = QStringLiteral("000010000001111");

} // namespace

Q_DECLARE_METATYPE(Modes)

class TestRequestModes : public QObject {
    Q_OBJECT

    // One row per combination: the choices by position, their stored codes,
    // and what they leave. Locks left empty stay as the last direct choice set
    // them.
    void combinations()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("refund");
        QTest::addColumn<int>("exportType");
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("merRet");
        QTest::addColumn<Modes>("modes");
        QTest::newRow("directa originarios")
            << 0 << 0 << 0 << "M" << "O" << Modes{"111111100", 7, "1111", kTransformed, kLocksTransformed, 1, 1};
        QTest::newRow("directa terceros")
            << 0 << 0 << 2 << "M" << "T" << Modes{"111111100", 7, "1111", kTransformed, kLocksTransformed, 1, 1};
        QTest::newRow("directa mezcla")
            << 0 << 0 << 1 << "M" << "N" << Modes{"111111101", 8, "1111", kTransformed, kLocksTransformed, 2, 2};
        QTest::newRow("directa retorno")
            << 0 << 1 << -1 << "R" << "" << Modes{"111011100", 6, "1101", kReturned, kLocksReturned, 3, 1};
        QTest::newRow("directa reparacion")
            << 0 << 2 << -1 << "P" << "" << Modes{"111011100", 6, "1101", kReturned, kLocksReturned, 3, 1};
        QTest::newRow("transferencia constancia")
            << 1 << 0 << 0 << "M" << "C" << Modes{"111111010", 7, "1111", kTransformed, {}, 4, 4};
        QTest::newRow("transferencia virtual")
            << 1 << 0 << 1 << "M" << "P" << Modes{"111111100", 7, "1111", kTransformed, {}, 4, 3};
        QTest::newRow("transferencia retorno constancia")
            << 1 << 1 << 0 << "R" << "C" << Modes{"111011010", 6, "1101", kReturned, {}, 5, 0};
        QTest::newRow("transferencia reparacion virtual")
            << 1 << 2 << 1 << "P" << "P" << Modes{"111011100", 6, "1101", kReturned, {}, 5, 0};
    }

    static void chooseType(const WindowHarness &h, int type)
    {
        QTest::mouseClick(h.get<QRadioButton>(QStringLiteral("opcTSolicitud(%1)").arg(type)), Qt::LeftButton);
    }

private slots:
    void initTestCase()
    {
        if (!RequestFixture::haveTools())
            QFAIL("python3-dbf is not installed (bash scripts/test.sh installs it)");
    }

    void chosenByTheUser_data() { combinations(); }
    void chosenByTheUser()
    {
        QFETCH(int, type);
        QFETCH(int, refund);
        QFETCH(int, exportType);
        QFETCH(Modes, modes);
        WindowHarness h;
        // A request first set to the other type, so that every setting
        // below is made by the choices of this row.
        QVERIFY(h.open({{"solicitu", {request({{"OTIPOEXPOR", double(1 - type)}})}}}));
        const QString locksBefore = modesOf(h).locks;
        chooseType(h, type);
        h.pick("cmbTDevolucion", refund);
        if (exportType >= 0)
            h.pick("cmbTExportacion", exportType);
        Modes expected = modes;
        if (expected.locks.isEmpty())
            expected.locks = locksBefore;
        compareModes(modesOf(h), expected);
    }

    void restoredAtStartUp_data() { combinations(); }
    void restoredAtStartUp()
    {
        QFETCH(int, type);
        QFETCH(QString, tipo);
        QFETCH(QString, merRet);
        QFETCH(Modes, modes);
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request({{"OTIPOEXPOR", double(type)}, {"TIPO_EXPOR", tipo}, {"MER_RET", merRet}})}}}));
        Modes expected = modes;
        if (expected.locks.isEmpty())
            expected.locks = QStringLiteral("000000000000000"); // no direct choice was ever made
        // A start-up reads the transfer boxes last: none ticked gives 4.
        if (expected.opcDT == 4)
            expected.mDev = 4;
        compareModes(modesOf(h), expected);
    }

    // A transfer is stored with "T" whatever its refund type; the refund
    // type comes back from beside the tables, with all it sets.
    void savedTransferKeepsItsRefundType()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request()}}}));
        QTest::mouseClick(h.get<QRadioButton>(QStringLiteral("opcTSolicitud(1)")), Qt::LeftButton);
        h.pick("cmbTExportacion", 0);
        for (int refund : {0, 1}) {
            h.pick("cmbTDevolucion", refund);
            h.get<QCheckBox>(QStringLiteral("chkAnexoB"))->setChecked(refund == 0);
            const Modes chosen = modesOf(h);
            h.command(6);
            QCOMPARE(h.rows("solicitu").value(0).value("TIPO_EXPOR").toString(), QStringLiteral("T"));
            QVERIFY(h.reopen());
            QCOMPARE(h.combo("cmbTDevolucion")->currentIndex(), refund);
            QCOMPARE(h.get<QCheckBox>(QStringLiteral("chkAnexoB"))->isChecked(), refund == 0);
            // The totalling mode follows the order of the events, and the
            // locks are a direct request's: the rest is as chosen.
            const Modes reopened = modesOf(h);
            compareModes(reopened, {chosen.tabs, chosen.tabsPerRow, chosen.unitCosts, chosen.imports, reopened.locks,
                                    chosen.opcDT, reopened.mDev});
        }
        QCOMPARE(h.window->opcDT(), 5);
    }

    // A transfer read from elsewhere (a medium) has no refund type kept:
    // none is chosen, which sets the transfer of returned goods.
    void transferWithoutItsRefundType()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request({{"OTIPOEXPOR", 1.0}, {"TIPO_EXPOR", "T"}, {"MER_RET", "C"}})}}}));
        QCOMPARE(h.combo("cmbTDevolucion")->currentIndex(), -1);
        QCOMPARE(h.combo("cmbTExportacion")->currentText(), QStringLiteral("Const. Transf. Mercancia"));
        QCOMPARE(h.window->opcDT(), 5);
    }

    void choosingTransferResetsTheChoices()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request({{"TIPO_EXPOR", "R"}})}}}));
        QCOMPARE(h.window->opcDT(), 3);
        chooseType(h, 1);
        QCOMPARE(h.combo("cmbTDevolucion")->currentIndex(), 0);
        QStringList entries;
        for (int i = 0; i < h.combo("cmbTExportacion")->count(); ++i)
            entries << h.combo("cmbTExportacion")->itemText(i);
        QCOMPARE(entries, (QStringList{"Const. Transf. Mercancia", "Pedimento Virtual"}));
        QCOMPARE(h.combo("cmbTExportacion")->currentIndex(), 0);
        QCOMPARE(h.tabs()->tabText(6), QStringLiteral("Exp. Virtual"));
        QCOMPARE(h.tabs()->tabText(7), QStringLiteral("Transferencia con constancia"));
        QCOMPARE(h.get<QLabel>("lblED")->text(), QStringLiteral("EXPORTACIÓN VIRTUAL"));
        QCOMPARE(h.get<QLabel>("LblEI")->text(), QStringLiteral("TRANSFERENCIA CON CONSTANCIA"));
        QCOMPARE(h.get<QLabel>("lblTE")->text(), QStringLiteral("Comp. de Exportación : "));
        QCOMPARE(h.get<QLabel>("lblTO")->text(), QStringLiteral("Total Originarios :                          $"));
        QCOMPARE(h.combo("cmbTExportacion")->toolTip(), QStringLiteral("Indica el documento que avala la exportación"));
        for (const char *name : {"chkApendice8", "chkReporte", "txtPorcentaje", "chkAnexoB", "chkAnexoC", "txtTNO"})
            QVERIFY2(!h.get(name)->isHidden(), name);
        QCOMPARE(h.get<BoundGrid>("dbED")->HeightTwips(), 1815);
        // The country list of the export grids is refilled from the catalogue.
        QListWidget *countries = h.get<QListWidget>("lstPaisAux");
        QVERIFY(countries->count() > 100);
        QCOMPARE(countries->count(), h.get<QListWidget>("lstPais")->count());

        // Clicking the chosen type again starts the choices over.
        h.pick("cmbTExportacion", 1);
        QCOMPARE(h.window->mDev(), 3);
        chooseType(h, 1);
        QCOMPARE(h.combo("cmbTExportacion")->currentIndex(), 0);
        QCOMPARE(h.window->mDev(), 4);

        // Choosing by the keyboard acts as the mouse does.
        QApplication::setActiveWindow(h.window.get());
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        QRadioButton *direct = h.get<QRadioButton>("opcTSolicitud(0)");
        h.get<QRadioButton>("opcTSolicitud(1)")->setFocus();
        QTest::keyClick(h.get<QRadioButton>("opcTSolicitud(1)"), Qt::Key_Left);
        QVERIFY(direct->isChecked());
        QCOMPARE(h.combo("cmbTExportacion")->itemText(0), QStringLiteral("Originarios"));
        QCOMPARE(h.window->opcDT(), 1);
        QCOMPARE(h.tabs()->tabText(6), QStringLiteral("Exp. Directa"));
        QCOMPARE(h.get<QLabel>("lblED")->text(), QStringLiteral("DATOS GENERALES DE EXPORTACIÓN"));
        for (const char *name : {"chkApendice8", "chkReporte", "txtPorcentaje", "txtTNO"})
            QVERIFY2(h.get(name)->isHidden(), name);
        QCOMPARE(h.get<BoundGrid>("dbED")->HeightTwips(), 2205);
    }

    void returnedGoodsRenameAndHide()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request()}}}));
        h.pick("cmbTDevolucion", 1);
        QCOMPARE(h.tabs()->tabText(4), QStringLiteral("Fracciones"));
        QCOMPARE(h.get<QLabel>("lblMTRME(0)")->text(), QStringLiteral("FRACCIONES DE IMPORTACIÓN."));
        QCOMPARE(h.get<QLabel>("lblMTRME(1)")->text(), QStringLiteral("DATOS GENERALES DE LA MERCANCÍA IMPORTADA"));
        BoundGrid *imports = h.get<BoundGrid>("dbMI");
        QCOMPARE(imports->Columns(9).Caption(), QStringLiteral("Valor total de las mercancías importadas M.N."));
        QCOMPARE(imports->Columns(14).Caption(), QStringLiteral("Monto a devolver"));
        QVERIFY(!h.tabs()->isTabVisible(3));
        QVERIFY(!h.get<BoundGrid>("dbCU")->Columns(2).Visible());
        for (const char *name : {"txtTCU", "LblTCU", "txtPUMN", "lblPUMN", "txtPUDls", "lblPUDls"})
            QVERIFY2(h.get(name)->isHidden(), name);
        QCOMPARE(h.combo("cmbTExportacion")->currentIndex(), -1);
        QVERIFY(!h.combo("cmbTExportacion")->isEnabled());
        QCOMPARE(h.window->opcDT(), 3);

        h.pick("cmbTDevolucion", 0);
        QCOMPARE(h.tabs()->tabText(4), QStringLiteral("Costos Unitarios"));
        QCOMPARE(h.get<QLabel>("lblMTRME(0)")->text(), QStringLiteral("COSTOS UNITARIOS DE IMPORTACIÓN."));
        QCOMPARE(imports->Columns(9).Caption(), QStringLiteral("Valor total de insumos importados M.N."));
        QCOMPARE(imports->Columns(14).Caption(), QStringLiteral("Monto de aranceles pagados M.N."));
        QVERIFY(h.combo("cmbTExportacion")->isEnabled());
        QVERIFY(!h.get("txtTCU")->isHidden());
    }

    void mixedOriginAloneShowsTheTlcanTab()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request()}}}));
        h.tabs()->setCurrentIndex(2);
        h.pick("cmbTExportacion", 1);
        QVERIFY(h.tabs()->isTabVisible(8));
        QCOMPARE(h.window->tabsPerRow(), 8);
        QCOMPARE(h.get<QLabel>("lblTO")->text(), QStringLiteral("Total Originarios :             $"));
        QCOMPARE(h.combo("cmbTExportacion")->toolTip(),
                 QStringLiteral("Indica si los bienes de la solicitud son mezcla de originarios y no originarios"));

        // Leaving it while on that tab hides the tab without a save of its own.
        h.tabs()->setCurrentIndex(8);
        const int saves = h.rows("solicitu").size();
        h.pick("cmbTExportacion", 2);
        QVERIFY(!h.tabs()->isTabVisible(8));
        QCOMPARE(h.window->tabsPerRow(), 7);
        QCOMPARE(h.rows("solicitu").size(), saves);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(h.combo("cmbTExportacion")->toolTip(),
                 QStringLiteral("Indica si los bienes de la solicitud son de terceros países"));
        QCOMPARE(h.get<QLabel>("lblTO")->text(), QStringLiteral("Total :                          $"));
    }

    void transferBoxesSetTheTotallingMode()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request({{"OTIPOEXPOR", 1.0}, {"TIPO_EXPOR", "M"}, {"MER_RET", "C"}})}}}));
        QCheckBox *b = h.get<QCheckBox>("chkAnexoB");
        QCheckBox *c = h.get<QCheckBox>("chkAnexoC");
        QCheckBox *a8 = h.get<QCheckBox>("chkApendice8");
        QCOMPARE(h.window->mDev(), 4);

        QTest::mouseClick(b, Qt::LeftButton);
        QVERIFY(!c->isEnabled());
        QCOMPARE(h.window->mDev(), 2);
        QTest::mouseClick(b, Qt::LeftButton);
        QVERIFY(c->isEnabled());
        QCOMPARE(h.window->mDev(), 4);
        QTest::mouseClick(c, Qt::LeftButton);
        QVERIFY(!b->isEnabled());
        QCOMPARE(h.window->mDev(), 3);
        QTest::mouseClick(c, Qt::LeftButton);
        QVERIFY(b->isEnabled());

        QTest::mouseClick(a8, Qt::LeftButton);
        QCOMPARE(h.window->mDev(), 2);
        QCOMPARE(h.window->opcDT(), 4);
        QTest::mouseClick(a8, Qt::LeftButton);
        QCOMPARE(h.window->mDev(), 3);

        // Hidden (a direct request), the appendix box sets nothing.
        h.window->DeterminaOpcDT(0);
        QCOMPARE(h.window->opcDT(), 1);
        a8->setChecked(true);
        QCOMPARE(h.window->opcDT(), 1);
    }

    void storedBoxesSetTheModeAtStartUp()
    {
        // Annex C ticked wins over B; the appendix is read before them.
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request({{"OTIPOEXPOR", 1.0}, {"TIPO_EXPOR", "M"}, {"MER_RET", "C"},
                                               {"APENDICE8", true}, {"ANEXOC", true}})}}}));
        QCOMPARE(h.window->opcDT(), 4);
        QCOMPARE(h.window->mDev(), 3);
        QVERIFY(!h.get<QCheckBox>("chkAnexoB")->isEnabled());
    }

    void folioBoxesFollowTheRequestKind()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request({{"TSOL", "R"}, {"FOLIO", "12342025"}})}}}));
        QLineEdit *folio = h.text("txtFolio");
        QLineEdit *year = h.text("txtFolioA");
        QVERIFY(folio->isEnabled() && year->isEnabled());
        QCOMPARE(folio->text(), QStringLiteral("1234"));

        h.pick("cmbTSolicitud", 0);
        QVERIFY(!folio->isEnabled() && !year->isEnabled());
        QCOMPARE(folio->text() + year->text(), QString());
        h.pick("cmbTSolicitud", 1);
        QVERIFY(folio->isEnabled() && year->isEnabled());
        QCOMPARE(folio->text(), QString());

        // Under a direct request any refund type chosen makes it an initial one.
        h.type("txtFolio", "77");
        h.pick("cmbTDevolucion", 2);
        QCOMPARE(h.combo("cmbTSolicitud")->currentIndex(), 0);
        QVERIFY(!folio->isEnabled());
        QCOMPARE(folio->text(), QString());
    }

    void enterGoesAlongTheHeader()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request({{"TSOL", "R"}})}}}));
        QApplication::setActiveWindow(h.window.get());
        const auto enterIn = [&](const char *name) {
            QWidget *w = h.get(name);
            w->setFocus();
            QTest::keyClick(w, Qt::Key_Return);
            return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
        };
        QCOMPARE(enterIn("opcTSolicitud(0)"), QStringLiteral("cmbTDevolucion"));
        QCOMPARE(enterIn("cmbTDevolucion"), QStringLiteral("cmbTExportacion"));
        QCOMPARE(enterIn("cmbTExportacion"), QStringLiteral("cmbTSolicitud"));
        QCOMPARE(enterIn("cmbTSolicitud"), QStringLiteral("txtFolio"));
        h.pick("cmbTSolicitud", 0);
        QCOMPARE(enterIn("cmbTSolicitud"), QStringLiteral("txtRFC"));

        // A disabled control is passed over for the next one.
        h.pick("cmbTDevolucion", 1);
        QCOMPARE(enterIn("cmbTDevolucion"), QStringLiteral("cmbTSolicitud"));
        h.combo("cmbTDevolucion")->setEnabled(false);
        QCOMPARE(enterIn("opcTSolicitud(1)"), QStringLiteral("cmbTSolicitud"));
    }

    void masksLeaveColumnsPastTheirEnd()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request()}}}));
        BoundGrid *imports = h.get<BoundGrid>("dbMI");
        h.window->EstableceVisiblesDB(QStringLiteral("01"), imports);
        QCOMPARE(columnMask(imports, false), QStringLiteral("01") + kTransformed.mid(2));
        h.window->EstLockdbMI(QStringLiteral("1"));
        QCOMPARE(columnMask(imports, true), QStringLiteral("1") + kLocksTransformed.mid(1));
        h.window->EstableceVisiblesTab(QStringLiteral("1011"));
        QCOMPARE(modesOf(h).tabs, QStringLiteral("101111100"));
        QCOMPARE(h.window->tabsPerRow(), 3);
    }

    void startUpSetsTheGridButtonsAndFormats()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request()}}}));
        const auto buttons = [&](const char *name) {
            QList<int> with;
            BoundGrid *g = h.get<BoundGrid>(name);
            for (int i = 0; i < g->ColumnsCount(); ++i)
                if (g->Columns(i).Button())
                    with << i;
            return with;
        };
        QCOMPARE(buttons("dbMI"), (QList<int>{0, 3, 6}));
        QCOMPARE(buttons("dbED"), QList<int>{2});
        QCOMPARE(buttons("dbITLC"), QList<int>{0});
        QCOMPARE(buttons("dbCU"), QList<int>{});
        QCOMPARE(h.get<BoundGrid>("dbCU")->Columns(2).NumberFormat(), QStringLiteral("###,###.#####"));
        QCOMPARE(h.get<BoundGrid>("dbMI")->Columns(5).NumberFormat(), QStringLiteral("###,###.#####"));
        QCOMPARE(h.get<BoundGrid>("dbMI")->Columns(2).NumberFormat(), QString());
    }

    void gridHelpFollowsThePointer()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request()}}}));
        h.tabs()->setCurrentIndex(6);
        BoundGrid *exports = h.get<BoundGrid>("dbED");
        const QRect cell = exports->visualRect(exports->model()->index(0, 3));
        QTest::mouseMove(exports->viewport(), cell.center());
        QTRY_COMPARE(exports->ToolTipText(), QStringLiteral("Cantidad por fracción de exportación total"));
    }
};

QTEST_MAIN(TestRequestModes)
#include "test_request_modes.moc"
