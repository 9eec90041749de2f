// The export documents and the TLCAN imports on the real window: used
// figures kept within their totals, the currency of an indirect export, the
// totals from the stored rows, the TLCAN duties' cap on the non-originating
// total, and the export percentage (the rules themselves:
// tests/rules/test_export_documents.cpp).
#include "grid_window.h"
#include "request_records.h"
#include "test_registry.h"

#include "rules/export_documents.h"

#include <QLabel>

namespace {

QString shown(const WindowHarness &h, const QString &name) { return h.text(name)->text(); }

QVariantMap invoice(const char *number, double pesos, double dollars)
{
    return {{"NODOC", number}, {"CANT_TOTAL", 10.0}, {"CANT_UTIL", 4.0}, {"VALTOTNP", pesos},
            {"VALREPNP", pesos / 2}, {"VALTOTDLL", dollars}, {"VALREPDLL", dollars / 2}};
}

} // namespace

class TestDocumentTotals : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!RequestFixture::haveTools())
            QFAIL("python3-dbf is not installed (bash scripts/test.sh installs it)");
    }

    // A used value within its total gives the balance; above it, it is
    // refused and the balance keeps what it held. The totals follow the
    // stored rows: written, then deleted.
    void directExport()
    {
        Window h;
        QVERIFY(h.start(QStringLiteral("N"))); // one stored pedimento, no figures
        h.typeInto("dbED", columnIndex(DirectExportCol::ValorTotal), QStringLiteral("100"));
        BoundGrid *g = h.typeInto("dbED", columnIndex(DirectExportCol::ValorUtilizado), QStringLiteral("40"));
        QCOMPARE(g->Columns(DirectExportCol::SaldoDocumento).Value(), "60");
        QVERIFY(g->commitPendingRow());
        QCOMPARE(shown(h, "txtTED(2)"), "100");
        QCOMPARE(shown(h, "txtTED(3)"), "40");
        MessageBox::clearShown();
        h.typeInto("dbED", columnIndex(DirectExportCol::ValorUtilizado), QStringLiteral("120"));
        QCOMPARE(MessageBox::shownTexts(), QStringList{ExportDocuments::kValueTooHigh});
        QCOMPARE(g->Columns(DirectExportCol::ValorUtilizado).Value(), "");
        QCOMPARE(g->Columns(DirectExportCol::SaldoDocumento).Value(), "60");
        QTest::keyClick(g, Qt::Key_Escape);
        h.at("dbED", columnIndex(DirectExportCol::Pedimento), 0);
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        g->deleteSelectedRows();
        QVERIFY(h.rows("exporped").isEmpty());
        for (int i = 0; i < 4; ++i)
            QCOMPARE(shown(h, QStringLiteral("txtTED(%1)").arg(i)), "0");
    }

    // A figure in pesos zeroes the dollar cells and locks their columns;
    // emptied, it frees them. The value totals follow the currency of the
    // first row shown.
    void indirectExportCurrency()
    {
        Window h;
        QVERIFY(h.start(QStringLiteral("N")));
        BoundGrid *g = h.typeInto("dbEI", columnIndex(IndirectExportCol::ValorTotal), QStringLiteral("100"));
        QCOMPARE(g->Columns(IndirectExportCol::ValorTotalDls).Value(), "0");
        QCOMPARE(g->Columns(IndirectExportCol::ValorUtilizadoDls).Value(), "0");
        QVERIFY(g->Columns(IndirectExportCol::ValorTotalDls).Locked());
        QVERIFY(g->Columns(IndirectExportCol::ValorUtilizadoDls).Locked());
        h.typeInto("dbEI", columnIndex(IndirectExportCol::ValorTotal), QString());
        QVERIFY(!g->Columns(IndirectExportCol::ValorTotalDls).Locked());
        h.typeInto("dbEI", columnIndex(IndirectExportCol::ValorTotal), QStringLiteral("100"));
        h.typeInto("dbEI", columnIndex(IndirectExportCol::ValorUtilizado), QStringLiteral("30"));
        QVERIFY(g->commitPendingRow());
        QCOMPARE(shown(h, "txtTEI(2)"), "100");
        QCOMPARE(shown(h, "txtTEI(3)"), "30");
        QCOMPARE(h.get<QLabel>("LblTD")->text(), "Valor Total Documento M.N.");
        QCOMPARE(h.get<QLabel>("LblUD")->text(), "Valor Utilizado Doc. M.N.");
    }

    // The stored rows' totals when the request opens: the first invoice in
    // dollars takes every invoice's dollar figures.
    void invoicesOpenedFromTheFirstRow()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request()}},
                        {"factura", {invoice("A", 0, 50), invoice("B", 100, 0), invoice("C", 0, 25.5)}}}));
        QCOMPARE(h.get<QLabel>("LblTD")->text(), "Valor Total Documento dls.");
        QCOMPARE(h.get<QLabel>("LblUD")->text(), "Valor Utilizado Doc. dls.");
        QCOMPARE(shown(h, "txtTEI(0)"), "30");
        QCOMPARE(shown(h, "txtTEI(1)"), "12");
        QCOMPARE(shown(h, "txtTEI(2)"), "75.5");
        QCOMPARE(shown(h, "txtTEI(3)"), "37.75");
    }

    // The non-originating total may not exceed the TLCAN duties: a request
    // opens capped; a TLCAN row written caps again, an imported-goods row
    // written undoes it until then.
    void dutiesCapTheNonOriginating()
    {
        Window h;
        QVERIFY(h.start(QStringLiteral("N"),
                        {{"insupedi",
                          {{{"TIPO", "A1"}, {"MONT_SOLIC", 1000.0}, {"PAIS_IMPOR", "JAPON"}},
                           {{"TIPO", "A1"}, {"MONT_SOLIC", 230.0}, {"PAIS_IMPOR", "CANADA"}}}},
                         {"impTLC", {{{"PAIS_IMPOR", "CANADA"}, {"CAN_MIMP", 3.0}, {"MONT_SOLIC", 600.0}}}}}));
        QCOMPARE(shown(h, "txtTLCAN(1)"), "600");
        QCOMPARE(shown(h, "txtTNO"), "600");
        QCOMPARE(shown(h, "txtDevS"), "830");

        h.window->TotalOrNOr(); // as a row of imported goods written
        QCOMPARE(shown(h, "txtTNO"), "1,000");
        BoundGrid *g = h.typeInto("dbITLC", columnIndex(TlcanCol::CantidadImportada), QStringLiteral("10"));
        h.typeInto("dbITLC", columnIndex(TlcanCol::PrecioUnitario), QStringLiteral("2.5"));
        h.typeInto("dbITLC", columnIndex(TlcanCol::AdValorem), QStringLiteral("5"));
        QCOMPARE(g->Columns(TlcanCol::ValorTotal).Value(), "25");
        h.typeInto("dbITLC", columnIndex(TlcanCol::MontSolic), QStringLiteral("100"));
        QCOMPARE(shown(h, "txtTNO"), "600"); // the stored duties, at once
        QVERIFY(g->commitPendingRow());
        QCOMPARE(shown(h, "txtTLCAN(0)"), "10");
        QCOMPARE(shown(h, "txtTLCAN(1)"), "100");
        QCOMPARE(shown(h, "txtTNO"), "100");
        QCOMPARE(shown(h, "txtDevS"), "330");
    }

    void exportPercentage_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("refused");
        QTest::newRow("100.5") << "100.5" << true;
        QTest::newRow("100") << "100" << false;
        QTest::newRow("empty") << "" << false;
    }
    void exportPercentage()
    {
        QFETCH(QString, typed);
        QFETCH(bool, refused);
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request({{"OTIPOEXPOR", 1.0}, {"MER_RET", "P"}})}}}));
        h.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        h.tabs()->setCurrentIndex(6);
        QLineEdit *percentage = h.text("txtPorcentaje");
        percentage->setFocus(Qt::TabFocusReason);
        h.type("txtPorcentaje", typed);
        h.get("chkReporte")->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        QCOMPARE(MessageBox::shownTexts(),
                 refused ? QStringList{"El porcentaje de exportación a TLCAN no puede ser mayor a 100"} : QStringList{});
        QCOMPARE(percentage->text(), refused ? QString() : typed);
        QCOMPARE(QApplication::focusWidget() == percentage, refused);
    }
};

QUELVAR_TEST_CLASS(TestDocumentTotals)
#include "test_document_totals.moc"
