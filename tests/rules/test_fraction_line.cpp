// The line the tariff-item picker shows for a unit-cost record, and the
// figures read back from it when the user confirms it.
#include "test_registry.h"
#include "rules/fraction_line.h"

#include <QTest>

namespace {

QString blanks(int n) { return QString(n, u' '); }

} // namespace

class TestFractionLine : public QObject {
    Q_OBJECT
private slots:
    void build_data()
    {
        QTest::addColumn<QVariant>("item");
        QTest::addColumn<QVariant>("rate");
        QTest::addColumn<QVariant>("cost");
        QTest::addColumn<QString>("line");
        const QVariant item(QStringLiteral("01020304"));
        QTest::newRow("cost and rate") << item << QVariant(10.0) << QVariant(15.5)
                                       << "01020304" + blanks(8) + "15.5" + blanks(10) + "10";
        QTest::newRow("no cost") << item << QVariant(10.0) << QVariant() << "01020304" + blanks(10) + "10";
        QTest::newRow("cost 0 is a cost") << item << QVariant(10.0) << QVariant(0.0)
                                          << "01020304" + blanks(11) + "0" + blanks(10) + "10";
        QTest::newRow("no rate") << item << QVariant() << QVariant(15.5) << "01020304" + blanks(8) + "15.5" + blanks(12);
        QTest::newRow("short item") << QVariant(QStringLiteral("0102")) << QVariant(5.0) << QVariant(2.25)
                                    << "0102" + blanks(4) + blanks(8) + "2.25" + blanks(11) + "5";
        QTest::newRow("no exponent") << item << QVariant(1e-4) << QVariant(1e9)
                                     << "01020304" + blanks(2) + "1000000000" + blanks(6) + "0.0001";
    }
    void build()
    {
        QFETCH(QVariant, item);
        QFETCH(QVariant, rate);
        QFETCH(QVariant, cost);
        QFETCH(QString, line);
        QCOMPARE(FractionLine::build(item, rate, cost), line);
    }

    // A cost read back is none when the line has no cost column.
    void read_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QVariant>("cost");
        QTest::addColumn<double>("rate");
        QTest::newRow("item alone") << "01020304" << "01020304" << QVariant() << 0.0;
        QTest::newRow("empty") << "" << "" << QVariant() << 0.0;
        QTest::newRow("garbage") << "hello world" << "hello wo" << QVariant() << 0.0;
        QTest::newRow("words in the columns") << "01020304" + blanks(9) + "abc" + blanks(9) + "xyz" << "01020304"
                                              << QVariant(0.0) << 0.0;
        QTest::newRow("cost too wide") << "01020304" + QStringLiteral("1234567890123.5") + blanks(10) + "10"
                                       << "01020304" << QVariant(1234567890123.5) << 10.0;
        const auto built = [](const QVariant &item, const QVariant &rate, const QVariant &cost) {
            return FractionLine::build(item, rate, cost);
        };
        QTest::newRow("cost and rate") << built("01020304", 10.0, 15.5) << "01020304" << QVariant(15.5) << 10.0;
        QTest::newRow("no cost") << built("01020304", 10.0, {}) << "01020304" << QVariant() << 10.0;
        QTest::newRow("no rate") << built("01020304", {}, 15.5) << "01020304" << QVariant(15.5) << 0.0;
        QTest::newRow("short item") << built("7", 35.0, 0.125) << "7" << QVariant(0.125) << 35.0;
        QTest::newRow("cost wider than its column")
            << built("01020304", 16.0, 98765432109876.5) << "01020304" << QVariant(98765432109876.5) << 16.0;
        QTest::newRow("negative cost") << built("01020304", 3.0, -2.5) << "01020304" << QVariant(-2.5) << 3.0;
    }
    void read()
    {
        QFETCH(QString, line);
        QFETCH(QString, item);
        QFETCH(QVariant, cost);
        QFETCH(double, rate);
        const FractionLine::Parts parts = FractionLine::read(line);
        QCOMPARE(parts.item, item);
        QCOMPARE(parts.cost.has_value(), cost.isValid());
        QCOMPARE(parts.cost.value_or(0), cost.toDouble());
        QCOMPARE(parts.rate, rate);
    }
};

QUELVAR_TEST_CLASS(TestFractionLine)
#include "test_fraction_line.moc"
