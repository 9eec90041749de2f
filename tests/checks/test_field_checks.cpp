// What leaving a text box does to its contents: thousands separators in the
// amounts, the check of the company's tax id with its date, and the leading
// number the window compares totals by.
#include "checks/leading_number.h"
#include "checks/number_text.h"
#include "checks/tax_id.h"
#include "test_registry.h"

#include <QRandomGenerator>
#include <QTest>
#include <cmath>

namespace {

const QString kShort = QStringLiteral("El RFC no puede ser menor de 13. Rectifica por favor.");
const QString kMonth = QStringLiteral("El valor del mes del RFC es incorrecto.Rectifica por favor");

QString dayComplaint(int days)
{
    return QStringLiteral("El mes que has escrito no tiene m\u00e1s de ") + QString::number(days)
           + QStringLiteral(" d\u00edas. Rectifica por favor");
}

} // namespace

class TestFieldChecks : public QObject {
    Q_OBJECT
private slots:
    void thousands_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("changed"); // false: taken as formatted already
        QTest::addColumn<QString>("expected");
        QTest::newRow("with decimals") << "1234567.891" << true << "1,234,567.891";
        QTest::newRow("three digits") << "123" << true << "123";
        QTest::newRow("leading zeros") << "0001234" << true << "0,001,234";
        QTest::newRow("grouped up to first point") << "1234.5.6" << true << "1,234.5.6";
        QTest::newRow("comma after point, grouped") << "12345.6,7" << true << "12,345.6,7";
        QTest::newRow("negative thousands") << "-1234.5" << true << "-1,234.5";
        QTest::newRow("negative six digits") << "-123456" << true << "-123,456";
        QTest::newRow("plus sign") << "+1234" << true << "+1,234";
        QTest::newRow("sign alone") << "-" << true << "-";
        QTest::newRow("blanks around three digits") << " 123\r" << true << " 123\r";
        QTest::newRow("blanks around, negative") << "\t-123456.5 " << true << "\t-123,456.5 ";
        QTest::newRow("empty") << "" << true << "";
        QTest::newRow("formatted: once only") << "9,876,543.21" << false << "";
        QTest::newRow("comma first") << ",5" << false << "";
    }
    void thousands()
    {
        QFETCH(QString, text);
        QFETCH(bool, changed);
        QFETCH(QString, expected);
        const std::optional<QString> result = withThousands(text);
        QCOMPARE(result.has_value(), changed);
        if (changed)
            QCOMPARE(*result, expected);
    }

    // Each tax id begins with its blank; characters 5-6 are the year, 7-8
    // the month and 9-10 the day. A leap year is any divisible by 4, 00 too.
    void taxId_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("complaint");
        QTest::newRow("thirteen blanks") << QString(13, u' ') << QString();
        QTest::newRow("good") << " ABC010203XY1" << QString();
        QTest::newRow("twelve characters") << " ABC010203XY" << kShort;
        QTest::newRow("short before a bad month") << " ABC019931XY" << kShort;
        QTest::newRow("April 31") << " ABC010431XY1" << dayComplaint(30);
        QTest::newRow("Feb 29, year 00") << " ABC000229XY1" << QString();
        QTest::newRow("Feb 29, year 01") << " ABC010229XY1" << dayComplaint(28);
        QTest::newRow("Feb 30, year 04") << " ABC040230XY1" << dayComplaint(29);
        QTest::newRow("month 99 before its day") << " ABC019999XY1" << kMonth;
        QTest::newRow("December 32") << " ABC011232XY1" << dayComplaint(31);
        QTest::newRow("month 00") << " ABC010001XY1" << dayComplaint(0);
        QTest::newRow("month 00, day 00") << " ABC010000XY1" << QString();
    }
    void taxId()
    {
        QFETCH(QString, text);
        QFETCH(QString, complaint);
        QCOMPARE(taxIdComplaint(text), complaint);
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("stops at letters") << "12abc" << 12.0;
        QTest::newRow("stops at a separator") << "1,234.5" << 1.0;
        QTest::newRow("blanks first") << "  -3.5" << -3.5;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("trailing point") << "5." << 5.0;
        QTest::newRow("no number") << "$0.00" << 0.0;
        QTest::newRow("second point ends it") << "1.2.3" << 1.2;
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(::leadingNumber(text), value);
    }
    // An amount typed in a cost field or a grid cell, read as a number.
    void decimalNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::addColumn<double>("value");
        QTest::newRow("separators dropped") << "1,234.5" << true << 1234.5;
        QTest::newRow("grouped by the grid") << "123,456,789,012" << true << 123456789012.0;
        QTest::newRow("point last, as formatted") << "10." << true << 10.0;
        QTest::newRow("point first") << ".5" << true << 0.5;
        QTest::newRow("sign and blanks") << " -12.25 " << true << -12.25;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("blanks") << "  " << false << 0.0;
        QTest::newRow("point alone") << "." << false << 0.0;
        QTest::newRow("two points") << "1.2.3" << false << 0.0;
        QTest::newRow("comma first") << ",5" << false << 0.0;
        QTest::newRow("comma after the point") << "1.2,5" << false << 0.0;
        QTest::newRow("letters") << "12abc" << false << 0.0;
        QTest::newRow("exponent") << "1e3" << false << 0.0;
        QTest::newRow("arabic-indic digit") << QString::fromUtf8("\u0661") << false << 0.0;
    }
    void decimalNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QFETCH(double, value);
        const std::optional<double> read = ::decimalNumber(text);
        QCOMPARE(read.has_value(), numeric);
        if (numeric)
            QCOMPARE(*read, value);
    }

    // Totals are written with at most 15 significant digits, plainly.
    void decimalText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << "0.3";
        QTest::newRow("1234.5 + 0.25") << 1234.5 + 0.25 << "1234.75";
        QTest::newRow("integer") << 150.0 << "150";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("negative") << 2.0 - 2.5 << "-0.5";
        QTest::newRow("15 digits kept") << 123456789012.345 << "123456789012.345";
        QTest::newRow("16th digit rounded") << 1234567890123.4567 << "1234567890123.46";
        QTest::newRow("large, no exponent") << 1e20 << "100000000000000000000";
        QTest::newRow("small, no exponent") << 1.5e-7 << "0.00000015";
        QTest::newRow("carry into a new digit") << 0.99999999999999989 << "1";
    }
    void decimalText()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(::decimalText(value), text);
        QCOMPARE(decimalRounded(value), ::decimalNumber(text).value());
    }
    // The quick rounding of the totals walk reads back exactly as the text
    // written: amounts of 5 decimals, their sums, and values of every size.
    void decimalRoundedMatchesItsText()
    {
        QRandomGenerator random(20261206);
        double sum = 0;
        for (int i = 0; i < 50000; ++i) {
            const double amount = double(random.bounded(100000000)) / 1e5;
            sum += amount;
            const double any = (random.generateDouble() - 0.5) * std::pow(10.0, random.bounded(-9, 17));
            const double sixteenths = double(random.bounded(1 << 30)) * std::pow(10.0, random.bounded(0, 10)) / 16;
            for (const double value : {amount, sum, any, sum / 3, amount * 0.15, sixteenths}) {
                const double viaText = ::decimalNumber(::decimalText(value)).value();
                if (decimalRounded(value) != viaText)
                    QFAIL(qPrintable(QStringLiteral("%1 rounds to %2, its text to %3")
                                         .arg(value, 0, 'g', 17)
                                         .arg(decimalRounded(value), 0, 'g', 17)
                                         .arg(viaText, 0, 'g', 17)));
            }
        }
    }
};

QUELVAR_TEST_CLASS(TestFieldChecks)
#include "test_field_checks.moc"
