// Rules of the grids that need no widget: how a number is shown in each
// display format, how a cell's text is read as a number, and which column's
// help the pointer is over.

#include "rules/column_help.h"
#include "rules/number_format.h"
#include "test_registry.h"

#include <QTest>

class TestGridRules : public QObject {
    Q_OBJECT

private slots:
    void displayFormats_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("shown");
        const QString currency = QStringLiteral("Currency");
        const QString standard = QStringLiteral("Standard");
        const QString general = QStringLiteral("General Number");
        const QString pattern = QStringLiteral("###,###.#####");

        QTest::newRow("currency") << 1234.5 << currency << "$1,234.50";
        QTest::newRow("currency negative") << -5.0 << currency << "($5.00)";
        QTest::newRow("currency rounds half up") << 1.005 << currency << "$1.01";
        QTest::newRow("currency tiny negative is zero") << -0.001 << currency << "$0.00";
        QTest::newRow("standard") << 1234.5 << standard << "1,234.50";
        QTest::newRow("standard carries") << 999.999 << standard << "1,000.00";
        QTest::newRow("general number") << 1234.5 << general << "1234.5";
        QTest::newRow("pattern") << 1234.5 << pattern << "1,234.5";
        QTest::newRow("pattern fraction") << 0.25 << pattern << ".25";
        QTest::newRow("pattern five places") << 3.1234567 << pattern << "3.12346";
        QTest::newRow("pattern with zeros") << 5.1 << QStringLiteral("#,##0.00") << "5.10";
        QTest::newRow("unknown format") << 2.5 << QStringLiteral("Percent") << "2.5";
    }

    void displayFormats()
    {
        QFETCH(double, value);
        QFETCH(QString, format);
        QFETCH(QString, shown);
        QCOMPARE(NumberFormat::format(value, format), shown);
    }

    void cellTextsReadAsNumbers()
    {
        double v = 0;
        QVERIFY(NumberFormat::parse(QStringLiteral("1,234.5"), &v));
        QCOMPARE(v, 1234.5);
        QVERIFY(NumberFormat::parse(QStringLiteral("$1,234.50"), &v));
        QCOMPARE(v, 1234.5);
        QVERIFY(NumberFormat::parse(QStringLiteral("($5.00)"), &v));
        QCOMPARE(v, -5.0);
        QVERIFY(NumberFormat::parse(QStringLiteral(" -.25 "), &v));
        QCOMPARE(v, -0.25);
        for (const char *bad : {"", "abc", "1.2.3", "12a", "$", "1 000"})
            QVERIFY2(!NumberFormat::parse(QString::fromLatin1(bad), &v) && v == 0, bad);
    }

    void columnUnderThePointer()
    {
        // Four columns of 100 after 20 of row marks; the third one hidden.
        const QList<ColumnSpan> spans{{20, 100, true}, {120, 100, true}, {220, 0, false}, {220, 100, true}};
        // Unit costs: the last visible column left of the pointer, while the
        // pointer is left of the last column's edge.
        QCOMPARE(ColumnHelp::columnLeftOf(spans, 50), 0);
        QCOMPARE(ColumnHelp::columnLeftOf(spans, 150), 1);
        QCOMPARE(ColumnHelp::columnLeftOf(spans, 250), 3);
        QCOMPARE(ColumnHelp::columnLeftOf(spans, 10), 3); // on the row marks
        // Other grids: the visible column around the pointer, strictly inside.
        QCOMPARE(ColumnHelp::columnAround(spans, 50), 0);
        QCOMPARE(ColumnHelp::columnAround(spans, 219), 1);
        QCOMPARE(ColumnHelp::columnAround(spans, 250), 3);
        QCOMPARE(ColumnHelp::columnAround(spans, 120), 3); // on an edge: none, so the last
        QCOMPARE(ColumnHelp::columnAround(spans, 500), 3);
        // A column scrolled off to the left does not count.
        const QList<ColumnSpan> scrolled{{-80, 100, true}, {20, 100, true}};
        QCOMPARE(ColumnHelp::columnAround(scrolled, 10), 1);
        QCOMPARE(ColumnHelp::columnAround({}, 10), -1);
    }
};

QUELVAR_TEST_CLASS(TestGridRules)
#include "test_grid_rules.moc"
