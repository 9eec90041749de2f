// The request type, refund type and export type on the real window: every
// combination, chosen as a user does and restored by a start-up, shows what
// the mode decision gives; the transfer boxes, the folio boxes, the keys
// along the header and the masks act on the window's controls.
#include "test_registry.h"
#include "window_harness.h"

#include "grids/bound_grid.h"
#include "rules/request_mode.h"

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

QString columnMask(BoundGrid *g, bool locks)
{
    QString mask;
    for (int i = 0; i < g->ColumnsCount(); ++i)
        mask += (locks ? g->Columns(i).Locked() : g->Columns(i).Visible()) ? u'1' : u'0';
    return mask;
}

QString tabMask(const WindowHarness &h)
{
    QString tabs;
    for (int i = 0; i < h.tabs()->count(); ++i)
        tabs += h.tabs()->isTabVisible(i) ? u'1' : u'0';
    return tabs;
}

// The window shows what the decision for its choices says.
void compareWithDecision(const WindowHarness &h, const RequestMode::Choices &choices, int mDev)
{
    const RequestMode::Mode m = RequestMode::decide(choices);
    QCOMPARE(tabMask(h), m.tabs.value());
    QCOMPARE(h.window->tabsPerRow(), RequestMode::tabsShown(*m.tabs));
    QCOMPARE(columnMask(h.get<BoundGrid>("dbCU"), false), m.unitCostColumns.value());
    QCOMPARE(columnMask(h.get<BoundGrid>("dbMI"), false), m.importColumns.value());
    if (m.importLocks)
        QCOMPARE(columnMask(h.get<BoundGrid>("dbMI"), true), *m.importLocks);
    QCOMPARE(int(h.window->opcDT()), int(m.opcDT.value()));
    QCOMPARE(int(h.window->mDev()), mDev);
    QCOMPARE(h.tabs()->tabText(4), m.goods->unitCostTab);
    QCOMPARE(h.get<QLabel>("lblMTRME(0)")->text(), m.goods->unitCostTitle());
    QCOMPARE(h.get<BoundGrid>("dbMI")->Columns(14).Caption(), m.goods->amountCaption);
    QCOMPARE(h.tabs()->tabText(6), m.directTab);
    QCOMPARE(h.get<QLabel>("lblED")->text(), m.directTitle);
    QCOMPARE(h.get<QLabel>("lblTE")->text(), m.originLabel);
    QCOMPARE(h.get<QLabel>("lblTO")->text(), m.totalLabel.value());
    if (m.exportTypeTip)
        QCOMPARE(h.combo("cmbTExportacion")->toolTip(), *m.exportTypeTip);
    QCOMPARE(h.combo("cmbTExportacion")->isEnabled(), m.exportTypeEnabled.value());
    QCOMPARE(!h.get("txtTNO")->isHidden(), m.nonOriginatingShown);
    QCOMPARE(!h.get("txtTCU")->isHidden(), m.goods->transformed);
    QCOMPARE(!h.get("chkApendice8")->isHidden(), m.appendixShown);
    QCOMPARE(h.get<BoundGrid>("dbED")->HeightTwips(), m.directGridHeight);
}

} // namespace

class TestRequestModes : public QObject {
    Q_OBJECT

    // The choices by position and their stored codes.
    void combinations()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("refund");
        QTest::addColumn<int>("exportType");
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("merRet");
        QTest::newRow("directa originarios") << 0 << 0 << 0 << "M" << "O";
        QTest::newRow("directa terceros") << 0 << 0 << 2 << "M" << "T";
        QTest::newRow("directa mezcla") << 0 << 0 << 1 << "M" << "N";
        QTest::newRow("directa retorno") << 0 << 1 << -1 << "R" << "";
        QTest::newRow("directa reparacion") << 0 << 2 << -1 << "P" << "";
        QTest::newRow("transferencia constancia") << 1 << 0 << 0 << "M" << "C";
        QTest::newRow("transferencia virtual") << 1 << 0 << 1 << "M" << "P";
        QTest::newRow("transferencia retorno constancia") << 1 << 1 << 0 << "R" << "C";
        QTest::newRow("transferencia reparacion virtual") << 1 << 2 << 1 << "P" << "P";
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
        WindowHarness h;
        // A request first set to the other type, so that every setting below
        // is made by the choices of this row.
        QVERIFY(h.open({{"solicitu", {request({{"OTIPOEXPOR", double(1 - type)}})}}}));
        chooseType(h, type);
        h.pick("cmbTDevolucion", refund);
        if (exportType >= 0)
            h.pick("cmbTExportacion", exportType);
        const RequestMode::Choices choices{type == 0, refund, exportType};
        compareWithDecision(h, choices, RequestMode::decide(choices).mDev.value());
    }

    void restoredAtStartUp_data() { combinations(); }
    void restoredAtStartUp()
    {
        QFETCH(int, type);
        QFETCH(int, refund);
        QFETCH(int, exportType);
        QFETCH(QString, tipo);
        QFETCH(QString, merRet);
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request({{"OTIPOEXPOR", double(type)}, {"TIPO_EXPOR", tipo}, {"MER_RET", merRet}})}}}));
        const RequestMode::Choices choices{type == 0, refund, exportType};
        // A start-up reads the transfer boxes last: with the annexes shown
        // (a transfer with certificate) none ticked gives 4; a virtual
        // transfer keeps what its clear appendix gives.
        const RequestMode::Mode m = RequestMode::decide(choices);
        compareWithDecision(h, choices, m.opcDT == 4 && exportType == 0 ? 4 : m.mDev.value());
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

    void choosingATypeStartsTheChoicesOver()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request({{"TIPO_EXPOR", "R"}})}}}));
        chooseType(h, 1);
        QCOMPARE(h.combo("cmbTDevolucion")->currentIndex(), 0);
        QStringList entries;
        for (int i = 0; i < h.combo("cmbTExportacion")->count(); ++i)
            entries << h.combo("cmbTExportacion")->itemText(i);
        QCOMPARE(entries, (QStringList{"Const. Transf. Mercancia", "Pedimento Virtual"}));
        QCOMPARE(h.combo("cmbTExportacion")->currentIndex(), 0);
        QCOMPARE(h.get<QLabel>("LblEI")->text(), QStringLiteral("TRANSFERENCIA CON CONSTANCIA"));
        // The country list of the export grids is refilled from the catalogue.
        QListWidget *countries = h.get<QListWidget>("lstPaisAux");
        QVERIFY(countries->count() > 100);
        QCOMPARE(countries->count(), h.get<QListWidget>("lstPais")->count());

        // Clicking the chosen type again starts over.
        h.pick("cmbTExportacion", 1);
        QCOMPARE(h.window->mDev(), 3);
        chooseType(h, 1);
        QCOMPARE(h.combo("cmbTExportacion")->currentIndex(), 0);
        QCOMPARE(h.window->mDev(), 4);

        // Choosing by the keyboard acts as the mouse does.
        QApplication::setActiveWindow(h.window.get());
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        h.get<QRadioButton>("opcTSolicitud(1)")->setFocus();
        QTest::keyClick(h.get<QRadioButton>("opcTSolicitud(1)"), Qt::Key_Left);
        QVERIFY(h.get<QRadioButton>("opcTSolicitud(0)")->isChecked());
        QCOMPARE(h.combo("cmbTExportacion")->itemText(0), QStringLiteral("Originarios"));
        QCOMPARE(h.window->opcDT(), 1);

        // Leaving the mixture while on the TLCAN tab hides the tab without a
        // save of its own.
        h.pick("cmbTExportacion", 1);
        h.tabs()->setCurrentIndex(8);
        const QList<QVariantMap> before = h.rows("solicitu");
        h.pick("cmbTExportacion", 2);
        QVERIFY(!h.tabs()->isTabVisible(8));
        QCOMPARE(h.rows("solicitu"), before);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void transferBoxesSetTheTotallingMode()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request({{"OTIPOEXPOR", 1.0}, {"TIPO_EXPOR", "M"}, {"MER_RET", "C"}})}}}));
        QCheckBox *b = h.get<QCheckBox>("chkAnexoB");
        QCheckBox *c = h.get<QCheckBox>("chkAnexoC");
        QCheckBox *a8 = h.get<QCheckBox>("chkApendice8");
        QTest::mouseClick(b, Qt::LeftButton);
        QVERIFY(!c->isEnabled());
        QCOMPARE(h.window->mDev(), 2);
        QTest::mouseClick(b, Qt::LeftButton);
        QVERIFY(c->isEnabled());
        QTest::mouseClick(c, Qt::LeftButton);
        QVERIFY(!b->isEnabled());
        QCOMPARE(h.window->mDev(), 3);

        QTest::mouseClick(a8, Qt::LeftButton);
        QCOMPARE(h.window->mDev(), 2);
        QCOMPARE(h.window->opcDT(), 4);

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

        // Under a direct request any refund type chosen makes it an initial one.
        h.type("txtFolio", "77");
        h.pick("cmbTDevolucion", 2);
        QCOMPARE(h.combo("cmbTSolicitud")->currentIndex(), 0);
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
    }

    void masksLeaveColumnsPastTheirEnd()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request()}}}));
        BoundGrid *imports = h.get<BoundGrid>("dbMI");
        const QString shown = columnMask(imports, false);
        const QString locked = columnMask(imports, true);
        h.window->EstableceVisiblesDB(QStringLiteral("01"), imports);
        QCOMPARE(columnMask(imports, false), QStringLiteral("01") + shown.mid(2));
        h.window->EstLockdbMI(QStringLiteral("1"));
        QCOMPARE(columnMask(imports, true), QStringLiteral("1") + locked.mid(1));
        h.window->EstableceVisiblesTab(QStringLiteral("1011"));
        QCOMPARE(tabMask(h), QStringLiteral("101111100"));
        QCOMPARE(h.window->tabsPerRow(), 3);
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

QUELVAR_TEST_CLASS(TestRequestModes)
#include "test_request_modes.moc"
