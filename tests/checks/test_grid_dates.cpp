// The check of a date typed in a grid cell (what the cell holds afterwards
// and the messages shown, in order) and the warning about a cell longer than
// its column. "Today" is fixed by each case.
#include "checks/grid_dates.h"
#include "test_registry.h"

#include <QTest>

namespace {

const QString F =
    QStringLiteral(" La fecha tiene un formato incorrecto, debe ser del tipo 01/01/2001. Rectifica por favor");
const QString Y = QStringLiteral("El a\u00f1o que has introducido no es v\u00e1lido. Rectifica por favor");
const QString M = QStringLiteral("El a\u00f1o s\u00f3lo cuenta con 12 meses. Rectifica por favor");
const QString Late = QStringLiteral("La fecha introducida es posterior a la actual. Debe ser menor o igual al "
                                    "d\u00eda de hoy. Rectifica por favor");

QString D(int days)
{
    return QStringLiteral("El mes que has colocado s\u00f3lo cuenta con ") + QString::number(days)
           + QStringLiteral(" d\u00edas. Rectifica por favor");
}

const QDate kToday(2004, 6, 15);

} // namespace

class TestGridDates : public QObject {
    Q_OBJECT
private slots:
    void check_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("complaints");
        using L = QStringList;

        // Bringing the text to dd/mm/yyyy.
        QTest::newRow("ddmmyy") << "010203" << kToday << "01/02/2003" << L{};
        QTest::newRow("ddmmyy, a day early") << "311203" << QDate(2003, 12, 30) << "31/12/2003" << L{Late};
        QTest::newRow("ddmmyyyy") << "01022003" << kToday << "01/02/2003" << L{};
        QTest::newRow("dd/mm/yy") << "01/02/03" << kToday << "01/02/2003" << L{};
        QTest::newRow("d/m/yyyy") << "1/2/2003" << kToday << "1/2/202003" << L{F};
        QTest::newRow("d/m/yy, twice") << "1/2/03" << kToday << "1/2/03" << L{F, F};
        QTest::newRow("any separators") << "01x02y2004" << kToday << "01/02/2004" << L{};
        QTest::newRow("empty") << "" << kToday << "" << L{F};

        // Numbers in the three pieces.
        QTest::newRow("letters") << "ab/cd/efgh" << kToday << "ab/cd/efgh" << L{F};
        QTest::newRow("ddmmyy with a letter") << "0102a3" << kToday << "01/02/20a3" << L{F};
        QTest::newRow("sign in the day") << "+1/02/2004" << kToday << "+1/02/2004" << L{F};
        QTest::newRow("eight that read as a number") << "0105.004" << kToday << "01/05/.004" << L{F};

        // The year: this one or the last.
        QTest::newRow("two years ago") << "15/06/2002" << kToday << "15/06/2002" << L{Y};
        QTest::newRow("next year on New Year's Eve") << "01/01/2005" << QDate(2004, 12, 31) << "01/01/2005" << L{Y};
        QTest::newRow("last year on New Year's Day") << "01/01/2004" << QDate(2005, 1, 1) << "01/01/2004" << L{};
        QTest::newRow("year before month and day") << "99/99/2010" << kToday << "99/99/2010" << L{Y};

        // The month.
        QTest::newRow("month before day") << "99/13/2004" << kToday << "99/13/2004" << L{M};

        // The day.
        QTest::newRow("April 31") << "31/04/2004" << kToday << "31/04/2004" << L{D(30)};
        QTest::newRow("Feb 30, leap year") << "30/02/2004" << kToday << "30/02/2004" << L{D(29)};
        QTest::newRow("Feb 29, other year") << "29/02/2003" << kToday << "29/02/2003" << L{D(28)};
        QTest::newRow("month 00") << "01/00/2004" << kToday << "01/00/2004" << L{D(0)};

        // No calendar date: refused, never a crash.
        QTest::newRow("day 00") << "00/05/2004" << kToday << "00/05/2004" << L{F};

        // Not later than today.
        QTest::newRow("today") << "15/06/2004" << kToday << "15/06/2004" << L{};
        QTest::newRow("tomorrow") << "16/06/2004" << kToday << "16/06/2004" << L{Late};
        QTest::newRow("Feb 29 tomorrow") << "290204" << QDate(2004, 2, 28) << "29/02/2004" << L{Late};
    }
    void check()
    {
        QFETCH(QString, typed);
        QFETCH(QDate, today);
        QFETCH(QString, text);
        QFETCH(QStringList, complaints);
        const GridDates::DateCheck result = GridDates::check(typed, today);
        QCOMPARE(result.text, text);
        QCOMPARE(result.rewritten, text != typed);
        QCOMPARE(result.complaints, complaints);
    }

    void length()
    {
        const QString longDate = QStringLiteral("Ha escrito una fecha demasiado larga.");
        QCOMPARE(GridDates::lengthComplaint(QStringLiteral("01/02/20034"), 10, longDate),
                 QStringLiteral("Ha escrito una fecha demasiado larga. Rectifica por favor"));
        QCOMPARE(GridDates::lengthComplaint(QStringLiteral("01/02/2003"), 10, longDate), QString());
        QCOMPARE(GridDates::lengthComplaint(QStringLiteral("abcdef"), 5, QString()),
                 QStringLiteral(" Rectifica por favor"));
    }
};

QUELVAR_TEST_CLASS(TestGridDates)
#include "test_grid_dates.moc"
