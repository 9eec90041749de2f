// The totals on the real window: the cost structure as the user types and
// leaves its fields, the unit costs and the imported goods as their rows are
// typed, written and deleted, and the totals a stored request opens with in
// each totalling mode (the rules themselves: tests/rules/test_totals.cpp).
#include "grid_window.h"
#include "request_records.h"
#include "test_registry.h"

#include "rules/imported_goods.h"
#include "store/request_choices.h"

namespace {

QString shown(const WindowHarness &h, const char *name) { return h.text(QString::fromLatin1(name))->text(); }

void activate(const WindowHarness &h)
{
    h.window->activateWindow();
    [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(h.window.get());
}

// Imported goods of every origin, one of them without an amount.
QList<QVariantMap> importedGoods()
{
    const auto row = [](const QVariant &amount, const char *country) {
        return QVariantMap{{"TIPO", "A1"}, {"FRACCION", "01020304"}, {"MONT_SOLIC", amount}, {"PAIS_IMPOR", country}};
    };
    return {row(1000.0, "JAPON"), row(200.0, "ESTADOS UNIDOS DE AMERICA"), row(30.0, "CANADA"),
            row(QVariant(), "JAPON")};
}

// Duties paid on TLCAN imports above any non-originating total here: no cap.
QPair<QString, QList<QVariantMap>> tlcanDuties()
{
    return {QStringLiteral("impTLC"), {{{"PAIS_IMPOR", "CANADA"}, {"MONT_SOLIC", 2000.0}}}};
}

} // namespace

class TestGridTotals : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!RequestFixture::haveTools())
            QFAIL("python3-dbf is not installed (bash scripts/test.sh installs it)");
    }

    // Every change of a cost field runs its rule, the separators put in on
    // leaving a field too; the request opens with the totals its fields give.
    void costStructureFollowsTheFields()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request({{"DEPRE_MAQ", QVariant()}})}}})); // zeros placed
        activate(h);
        h.tabs()->setCurrentIndex(3);
        h.type("txtMPN", "100");
        h.type("txtMPE", "50");
        QCOMPARE(shown(h, "txtMPT"), "150");
        QCOMPARE(shown(h, "txtTN"), "100");
        QCOMPARE(shown(h, "txtTE"), "50");
        QCOMPARE(shown(h, "txtTT"), "150");
        h.text("txtEN")->setFocus(Qt::TabFocusReason);
        h.type("txtEN", "1234.5");
        h.text("txtSN")->setFocus(Qt::TabFocusReason);
        QCOMPARE(shown(h, "txtEN"), "1,234.5");
        QCOMPARE(shown(h, "txtET"), "1234.5");
        QCOMPARE(shown(h, "txtTN"), "1334.5");
        QCOMPARE(shown(h, "txtTT"), "1384.5");
        h.type("txtSN", "");
        h.type("txtDN", "7");
        QCOMPARE(shown(h, "txtTN"), "1334.5"); // an empty national field
        QCOMPARE(shown(h, "txtDT"), "7");

        h.tabs()->setCurrentIndex(2); // leaves the salaries at 0, and saves
        QCOMPARE(shown(h, "txtSN"), "0");
        QCOMPARE(shown(h, "txtTN"), "1341.5");
        QVERIFY(h.reopen());
        QCOMPARE(shown(h, "txtMPT"), "150");
        QCOMPARE(shown(h, "txtET"), "1234.5");
        QCOMPARE(shown(h, "txtTN"), "1341.5");
        QCOMPARE(shown(h, "txtTT"), "1391.5");
    }

    // A unit cost accepted shows 0 until its row is written; then the sum
    // of the table, after a deletion too.
    void unitCostTotal()
    {
        Window h;
        QVERIFY(h.start(QStringLiteral("N")));
        QCOMPARE(shown(h, "txtTCU"), "17.75");
        BoundGrid *g = h.at("dbCU", columnIndex(UnitCostCol::CostoUnit), 2);
        Window::keys(QStringLiteral("4.25"));
        Window::key(Qt::Key_Tab);
        QCOMPARE(shown(h, "txtTCU"), "0");
        QVERIFY(g->commitPendingRow());
        QCOMPARE(shown(h, "txtTCU"), "22");
        h.at("dbCU", columnIndex(UnitCostCol::CostoUnit), 0);
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        g->deleteSelectedRows();
        QCOMPARE(h.rows("insunit").size(), 2);
        QCOMPARE(shown(h, "txtTCU"), "6.5");
    }

    // A stored cost is shown with its separators, longer than it was typed:
    // opening the request does not judge it again.
    void storedCostIsKept()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request()}},
                        {"insunit", {{{"FRACCION", "01020304"}, {"DESCRIP", "TUERCAS"}, {"TASA_ADVAL", 10.0},
                                      {"COSTO_UNIT", 123456789012.5}}}}}));
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(shown(h, "txtTCU"), "123456789012.5");
        h.tabs()->setCurrentIndex(2);
        QCOMPARE(h.rows("insunit").value(0).value("COSTO_UNIT").toDouble(), 123456789012.5);
    }

    // A row of imported goods typed cell by cell: the rate comes with the
    // tariff item, the returned quantity derives the rest, the written row
    // goes into the totals; an incorporated value above the total value is
    // refused; the keys of no document are not typed.
    void importedGoodsRow()
    {
        Window h;
        QVERIFY(h.start(QStringLiteral("N"))); // mixed origin: mode 2
        h.text("txtDevS")->setText(QStringLiteral("99"));
        h.at("dbMI", columnIndex(ImportCol::Pedimento));
        for (const char key : {'1', ' ', '2', ',', '-', '3'})
            QTest::keyClick(Window::focus(), key);
        QTest::sendKeyEvent(QTest::Click, Window::focus(), Qt::Key_Ntilde, QStringLiteral("ñ"), Qt::NoModifier);
        BoundGrid *g = h.grid("dbMI");
        QCOMPARE(g->Columns(ImportCol::Pedimento).Text(), "123");
        h.typeInto("dbMI", columnIndex(ImportCol::Fraccion), QStringLiteral("7318"));
        QCOMPARE(g->Columns(ImportCol::AdValorem).Value(), "5");
        for (const auto &[column, typed] : {std::pair{ImportCol::PrecioUnitario, "10"},
                                            std::pair{ImportCol::CantidadImportada, "5"},
                                            std::pair{ImportCol::ValorTotal, "100"},
                                            std::pair{ImportCol::CantidadRetornada, "3"}})
            h.typeInto("dbMI", columnIndex(column), QString::fromLatin1(typed));
        QCOMPARE(g->Columns(ImportCol::ValorRetornado).Value(), "30");
        QCOMPARE(g->Columns(ImportCol::SaldoCantidad).Value(), "2");
        QCOMPARE(g->Columns(ImportCol::SaldoValor).Value(), "70");
        QCOMPARE(g->Columns(ImportCol::MontSolic).Value(), "1.5");
        QCOMPARE(shown(h, "txtDevS"), "99"); // until the row is written
        QVERIFY(g->commitPendingRow());
        QCOMPARE(shown(h, "txtTNO"), "1.5"); // no country: not originating
        QCOMPARE(shown(h, "txtTO"), "0");
        QCOMPARE(shown(h, "txtDevS"), "1.5");

        MessageBox::clearShown();
        h.typeInto("dbMI", columnIndex(ImportCol::ValorIncorporado), QStringLiteral("120"));
        QCOMPARE(MessageBox::shownTexts(), QStringList{ImportedGoods::kIncorporatedTooHigh});
        QCOMPARE(g->Columns(ImportCol::ValorIncorporado).Value(), "");
        h.typeInto("dbMI", columnIndex(ImportCol::ValorIncorporado), QStringLiteral("1,000.5"));
        QCOMPARE(MessageBox::shownTexts().size(), 2);
        h.typeInto("dbMI", columnIndex(ImportCol::ValorIncorporado), QStringLiteral("50"));
        QVERIFY(g->commitPendingRow());
        QCOMPARE(h.rows("insupedi").value(0).value("SALDO_VAL").toDouble(), 50.0);
        QCOMPARE(shown(h, "txtDevS"), "2.5");

        // The last document deleted leaves nothing to refund.
        h.at("dbMI", columnIndex(ImportCol::Pedimento), 0);
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        g->deleteSelectedRows();
        QVERIFY(h.rows("insupedi").isEmpty());
        QCOMPARE(shown(h, "txtTNO"), "0");
        QCOMPARE(shown(h, "txtDevS"), "0");
    }

    // Choosing another mode totals the stored goods anew, a direct request's
    // as a transfer's.
    void followTheModeChosen()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request({{"MER_RET", "N"}})}}, {"insupedi", importedGoods()}, tlcanDuties()}));
        QCOMPARE(shown(h, "txtTNO"), "1,000");
        h.pick("cmbTExportacion", 0); // originating
        QCOMPARE(shown(h, "txtTO"), "1,230");
        QCOMPARE(shown(h, "txtDevS"), "1,230");
        QTest::mouseClick(h.get<QRadioButton>(QStringLiteral("opcTSolicitud(1)")), Qt::LeftButton);
        QCOMPARE(int(h.window->mDev()), 4); // a transfer with certificate, no annex
        QCOMPARE(shown(h, "txtDevS"), "0");
    }

    // A stored request opens with the totals of its own mode, whatever the
    // refund requested stored with it.
    void openedInItsMode_data()
    {
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<QString>("refundType"); // kept beside the tables for a transfer
        QTest::addColumn<int>("mDev");
        QTest::addColumn<QString>("originating");
        QTest::addColumn<QString>("nonOriginating");
        QTest::addColumn<QString>("requested");
        const auto transfer = [](const char *merRet, bool appendix8) {
            return QVariantMap{{"OTIPOEXPOR", 1.0}, {"TIPO_EXPOR", "M"}, {"MER_RET", merRet},
                               {"APENDICE8", appendix8}, {"PORCENTAJE", 40.0}};
        };
        QTest::newRow("0: transfer of goods returned")
            << QVariantMap{{"OTIPOEXPOR", 1.0}, {"TIPO_EXPOR", "T"}, {"MER_RET", "C"}} << "R" << 0 << "1,230" << "0"
            << "1,230";
        QTest::newRow("1: direct, originating") << QVariantMap{{"MER_RET", "O"}} << "" << 1 << "1,230" << "0"
                                                << "1,230";
        QTest::newRow("2: direct, mixed") << QVariantMap{{"MER_RET", "N"}} << "" << 2 << "230" << "1,000"
                                          << "1,230";
        QTest::newRow("2: transfer under appendix 8") << transfer("P", true) << "" << 2 << "230" << "600" << "830";
        QTest::newRow("3: virtual transfer") << transfer("P", false) << "" << 3 << "230" << "0" << "230";
        QTest::newRow("4: transfer with certificate") << transfer("C", false) << "" << 4 << "0" << "0" << "0";
    }
    void openedInItsMode()
    {
        QFETCH(QVariantMap, stored);
        QFETCH(QString, refundType);
        QFETCH(int, mDev);
        QFETCH(QString, originating);
        QFETCH(QString, nonOriginating);
        QFETCH(QString, requested);
        stored.insert("DEVOL_SOL", 5.0);
        WindowHarness h;
        QVERIFY(h.fixture.create({{"solicitu", {request(stored)}}, {"insupedi", importedGoods()}, tlcanDuties()})
                    .isEmpty());
        if (!refundType.isEmpty())
            RequestChoices::writeRefundType(h.fixture.folder(), refundType);
        QVERIFY(h.reopen());
        QCOMPARE(int(h.window->mDev()), mDev);
        QCOMPARE(shown(h, "txtTO"), originating);
        QCOMPARE(shown(h, "txtTNO"), nonOriginating);
        QCOMPARE(shown(h, "txtDevS"), requested);
    }
};

QUELVAR_TEST_CLASS(TestGridTotals)
#include "test_grid_totals.moc"
