#include "test_registry.h"
#include "rules/request_mode.h"

#include <QtTest>

// What each combination of the header's choices makes of the window, before
// the transfer boxes are touched.
class TestRequestMode : public QObject {
    Q_OBJECT
private slots:
    void combinations_data()
    {
        QTest::addColumn<bool>("direct");
        QTest::addColumn<int>("refund");
        QTest::addColumn<int>("exportType");
        QTest::addColumn<QString>("tabs");
        QTest::addColumn<QString>("unitCosts");
        QTest::addColumn<QString>("imports");
        QTest::addColumn<QString>("locks"); // "" kept from before
        QTest::addColumn<int>("opcDT");
        QTest::addColumn<int>("mDev");

        const QString all = "1111", noCost = "1101";
        const QString transformed = "111110100110011", returned = "111111111101111";
        const QString lockT = "000010000000011", lockR = "000010000001111";
        QTest::newRow("directa originarios") << true << 0 << 0 << "111111100" << all << transformed << lockT << 1 << 1;
        QTest::newRow("directa mezcla") << true << 0 << 1 << "111111101" << all << transformed << lockT << 2 << 2;
        QTest::newRow("directa terceros") << true << 0 << 2 << "111111100" << all << transformed << lockT << 1 << 1;
        QTest::newRow("directa retorno") << true << 1 << -1 << "111011100" << noCost << returned << lockR << 3 << 1;
        QTest::newRow("directa reparación") << true << 2 << 0 << "111011100" << noCost << returned << lockR << 3 << 1;
        QTest::newRow("transf. constancia") << false << 0 << 0 << "111111010" << all << transformed << "" << 4 << 4;
        QTest::newRow("transf. virtual") << false << 0 << 1 << "111111100" << all << transformed << "" << 4 << 3;
        QTest::newRow("transf. otro constancia") << false << 1 << 0 << "111011010" << noCost << returned << "" << 5 << 0;
        QTest::newRow("transf. otro virtual") << false << 2 << 1 << "111011100" << noCost << returned << "" << 5 << 0;
    }
    void combinations()
    {
        QFETCH(bool, direct);
        QFETCH(int, refund);
        QFETCH(int, exportType);
        QFETCH(QString, tabs);
        QFETCH(QString, unitCosts);
        QFETCH(QString, imports);
        QFETCH(QString, locks);
        QFETCH(int, opcDT);
        QFETCH(int, mDev);
        const RequestMode::Mode m = RequestMode::decide({direct, refund, exportType});
        QCOMPARE(m.tabs.value_or("unchanged"), tabs);
        QCOMPARE(m.unitCostColumns.value_or("unchanged"), unitCosts);
        QCOMPARE(m.importColumns.value_or("unchanged"), imports);
        QCOMPARE(m.importLocks.value_or(QString()), locks);
        QCOMPARE(int(m.opcDT.value_or(0)), opcDT);
        QCOMPARE(int(m.mDev.value_or(9)), mDev);
        // The unit-cost items and the cost tab go together.
        QCOMPARE(m.goods->transformed, refund == 0);
        QCOMPARE(m.goods->transformed, m.unitCostColumns == "1111");
        // Returned goods take the export type away; a transfer always has one.
        QCOMPARE(m.exportTypeEnabled.value(), !direct || refund == 0);
        QCOMPARE(m.exportTypeCleared, direct && refund != 0);
        // The transfer boxes stand under a transfer of transformed goods.
        QCOMPARE(m.appendixShown, !direct && refund == 0);
        QCOMPARE(m.directGridHeight, !direct && refund == 0 ? 1815 : 2205);
    }

    void directWithoutRefundTypeLeavesTheRest()
    {
        const RequestMode::Mode m = RequestMode::decide({true, -1, 1});
        QVERIFY(!m.tabs && !m.opcDT && !m.mDev && !m.goods && !m.importLocks && !m.exportTypeEnabled);
        QVERIFY(!m.appendixShown && !m.annexesShown);
        QCOMPARE(m.directTab, QStringLiteral("Exp. Directa"));
    }

    void texts()
    {
        QCOMPARE(RequestMode::goods(true).unitCostTitle(), QStringLiteral("COSTOS UNITARIOS DE IMPORTACIÓN."));
        QCOMPARE(RequestMode::goods(false).unitCostTitle(), QStringLiteral("FRACCIONES DE IMPORTACIÓN."));
        const RequestMode::Mode t = RequestMode::decide({false, 0, 0});
        QCOMPARE(t.directTitle, QStringLiteral("EXPORTACIÓN VIRTUAL"));
        QCOMPARE(t.indirectTitle.value(), QStringLiteral("TRANSFERENCIA CON CONSTANCIA"));
        QCOMPARE(RequestMode::decide({true, 0, 2}).exportTypeTip.value(),
                 QStringLiteral("Indica si los bienes de la solicitud son de terceros países"));
    }

    void boxes()
    {
        QCOMPARE(RequestMode::appendixMDev(true), 2);
        QCOMPARE(RequestMode::appendixMDev(false), 3);
        QCOMPARE(RequestMode::annexMDev(false, false), 4);
        QCOMPARE(RequestMode::annexMDev(true, false), 2);
        QCOMPARE(RequestMode::annexMDev(true, true), 3); // C decides
    }
};

QUELVAR_TEST_CLASS(TestRequestMode)
#include "test_request_mode.moc"
