// The leading number of a text, as the window compares totals.
#include "checks/leading_number.h"

#include <QTest>

class TestLeadingNumber : public QObject {
    Q_OBJECT
private slots:
    void reads_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "1234.75" << 1234.75;
        QTest::newRow("leading zero") << "07" << 7.0;
        QTest::newRow("stops at letters") << "12abc" << 12.0;
        QTest::newRow("stops at a separator") << "1,234.5" << 1.0;
        QTest::newRow("blanks first") << "  -3.5" << -3.5;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("trailing point") << "5." << 5.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("no number") << "$0.00" << 0.0;
        QTest::newRow("sign alone") << "-" << 0.0;
        QTest::newRow("second point ends it") << "1.2.3" << 1.2;
    }
    void reads()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(leadingNumber(text), value);
    }
};

QTEST_APPLESS_MAIN(TestLeadingNumber)
#include "test_leading_number.moc"
