// What the boxes and grid cells make of a text typed: separators, the tax
// id and its date, numbers read and written, display formats, grid dates,
// the typing filters, and which column's help the pointer is over.
#include "checks/grid_dates.h"
#include "checks/key_rules.h"
#include "checks/leading_number.h"
#include "checks/number_text.h"
#include "checks/tax_id.h"
#include "rules/column_help.h"
#include "rules/number_format.h"
#include "test_registry.h"

#include <QTest>

namespace {

const QString kNone = QStringLiteral("none");
const QString kShort = QStringLiteral("El RFC no puede ser menor de 13. Rectifica por favor.");
const QString kMonth = QStringLiteral("El valor del mes del RFC es incorrecto.Rectifica por favor");
QString days(int n)
{
    return QStringLiteral("El mes que has escrito no tiene m\u00e1s de %1 d\u00edas. Rectifica por favor").arg(n);
}

// The complaints of a grid date, by letter: F format, Y year, M month,
// L later than today, a number: the days of the month.
QStringList dateComplaints(const QString &codes)
{
    const QMap<QString, QString> texts{
        {"F", " La fecha tiene un formato incorrecto, debe ser del tipo 01/01/2001. Rectifica por favor"},
        {"Y", "El a\u00f1o que has introducido no es v\u00e1lido. Rectifica por favor"},
        {"M", "El a\u00f1o s\u00f3lo cuenta con 12 meses. Rectifica por favor"},
        {"L", "La fecha introducida es posterior a la actual. Debe ser menor o igual al d\u00eda de hoy. Rectifica "
              "por favor"}};
    QStringList out;
    for (const QString &c : codes.split(u' ', Qt::SkipEmptyParts))
        out << texts.value(c, QStringLiteral("El mes que has colocado s\u00f3lo cuenta con %1 d\u00edas. Rectifica por "
                                             "favor").arg(c));
    return out;
}

KeyRules::Rule ruleNamed(const QString &name)
{
    using R = KeyRules::Rule;
    return name == "Digits" ? R::Digits : name == "Decimal" ? R::Decimal : name == "ShowOnly" ? R::ShowOnly
         : name == "TaxId"  ? R::TaxId  : R::Free;
}

QString shown(std::optional<double> v) { return v ? QString::number(*v, 'g', 15) : kNone; }

} // namespace

class TestChecks : public QObject {
    Q_OBJECT
private slots:
    // One rule of a text, its input and what it gives ("none": refused, or
    // for the separators: taken as formatted already).
    void texts_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        const auto row = [](const char *rule, const QString &in, const QString &out) {
            QTest::addRow("%s «%s»", rule, qPrintable(in)) << QString::fromLatin1(rule) << in << out;
        };
        for (const auto &[in, out] : {std::pair{"1234567.891", "1,234,567.891"}, {"123", "123"}, {"-", "-"}, {"", ""},
                                      {"0001234", "0,001,234"}, {"12345.6,7", "12,345.6,7"}, {"+1234", "+1,234"},
                                      {"\t-123456.5 ", "\t-123,456.5 "}, {"9,876,543.21", "none"}, {",5", "none"}})
            row("thousands", in, out);
        // Characters 5-6 of a tax id are the year, 7-8 the month, 9-10 the
        // day; every year divisible by 4 is a leap year, 00 too.
        for (const auto &[in, out] : {std::pair{QString(13, u' '), QString()}, {" ABC010203XY1", ""},
                                      {" ABC010203XY", kShort}, {" ABC019931XY", kShort}, {" ABC010431XY1", days(30)},
                                      {" ABC000229XY1", ""}, {" ABC010229XY1", days(28)}, {" ABC040230XY1", days(29)},
                                      {" ABC019999XY1", kMonth}, {" ABC011232XY1", days(31)},
                                      {" ABC010001XY1", days(0)}, {" ABC010000XY1", ""}})
            row("tax id", in, out);
        for (const auto &[in, out] : {std::pair{"12abc", "12"}, {"1,234.5", "1"}, {"  -3.5", "-3.5"}, {".5", "0.5"},
                                      {"5.", "5"}, {"$0.00", "0"}, {"1.2.3", "1.2"}, {"\t7", "7"}})
            row("leading", in, out);
        for (const auto &[in, out] : {std::pair{"1,234.5", "1234.5"}, {"10.", "10"}, {".5", "0.5"},
                                      {" -12.25 ", "-12.25"}, {"  ", "none"}, {".", "none"}, {"1.2.3", "none"},
                                      {",5", "none"}, {"1.2,5", "none"}, {"12abc", "none"}, {"\u0661", "none"}})
            row("decimal", QString::fromUtf8(in), out);
        // Totals: at most 15 significant digits, plainly (a sum of terms).
        for (const auto &[in, out] : {std::pair{"0.1+0.2", "0.3"}, {"150", "150"}, {"-0", "0"}, {"2+-2.5", "-0.5"},
                                      {"1234567890123.4567", "1234567890123.46"}, {"1e20", "100000000000000000000"},
                                      {"1.5e-7", "0.00000015"}, {"0.99999999999999989", "1"}})
            row("total", in, out);
        for (const auto &[in, out] : {std::pair{"Currency 1234.5", "$1,234.50"}, {"Currency -5", "($5.00)"},
                                      {"Currency -0.001", "$0.00"}, {"Standard 999.999", "1,000.00"},
                                      {"General_Number 1234.5", "1234.5"}, {"###,###.##### 0.25", ".25"},
                                      {"###,###.##### 3.1234567", "3.12346"}, {"###,###.##### 1234567", "1,234,567"},
                                      {"000,000.00 1234.5", "001,234.50"}, {"Percent 2.5", "2.5"}})
            row("shown", in, out);
        for (const auto &[in, out] : {std::pair{"$1,234.50", "1234.5"}, {"($5.00)", "-5"}, {" -.25 ", "-0.25"},
                                      {"", "none"}, {"1.2.3", "none"}, {"12a", "none"}, {"$", "none"}})
            row("cell", in, out);
    }
    void texts()
    {
        QFETCH(QString, rule);
        QFETCH(QString, in);
        QFETCH(QString, out);
        if (rule == "thousands") {
            QCOMPARE(withThousands(in).value_or(kNone), out);
        } else if (rule == "tax id") {
            QCOMPARE(taxIdComplaint(in), out);
        } else if (rule == "leading") {
            QCOMPARE(shown(leadingNumber(in)), out);
        } else if (rule == "decimal") {
            QCOMPARE(shown(decimalNumber(in)), out);
        } else if (rule == "total") {
            double value = 0;
            for (const QString &term : in.split(u'+'))
                value += term.toDouble();
            QCOMPARE(decimalText(value), out);
            // The quick rounding of the totals reads back as the text.
            QCOMPARE(decimalRounded(value), decimalNumber(out).value());
        } else if (rule == "shown") {
            const qsizetype blank = in.lastIndexOf(u' ');
            QCOMPARE(NumberFormat::format(in.mid(blank + 1).toDouble(), in.left(blank).replace(u'_', u' ')), out);
        } else {
            double v = 7;
            const bool read = NumberFormat::parse(in, &v);
            QCOMPARE(read ? shown(v) : kNone, out);
            QVERIFY(read || v == 0); // a cell refused reads as 0
        }
    }

    // A date typed in a grid cell: the text the cell keeps and the
    // complaints shown, in order. "Today" is 15/06/2004 unless given.
    void gridDate_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("complaints");
        QTest::addColumn<QDate>("today");
        const auto row = [](const char *typed, const char *text, const char *complaints, QDate today = {2004, 6, 15}) {
            QTest::addRow("«%s» %s", typed, qPrintable(today.toString("dd/MM/yyyy")))
                << typed << text << complaints << today;
        };
        // Brought to dd/mm/yyyy, or refused when it is not three numbers.
        row("010203", "01/02/2003", ""), row("01022003", "01/02/2003", ""), row("01/02/03", "01/02/2003", "");
        row("1/2/2003", "1/2/202003", "F"), row("1/2/03", "1/2/03", "F F"), row("01x02y2004", "01/02/2004", "");
        row("", "", "F"), row("0102a3", "01/02/20a3", "F"), row("0105.004", "01/05/.004", "F");
        // The year (this one or the last) before the month, the month
        // before the day; a day 00 is no date.
        row("15/06/2002", "15/06/2002", "Y"), row("01/01/2005", "01/01/2005", "Y", {2004, 12, 31});
        row("01/01/2004", "01/01/2004", "", {2005, 1, 1}), row("99/99/2010", "99/99/2010", "Y");
        row("99/13/2004", "99/13/2004", "M"), row("31/04/2004", "31/04/2004", "30");
        row("30/04/2004", "30/04/2004", ""), row("30/02/2004", "30/02/2004", "29");
        row("01/00/2004", "01/00/2004", "0"), row("00/05/2004", "00/05/2004", "F");
        // Not later than today.
        row("15/06/2004", "15/06/2004", ""), row("16/06/2004", "16/06/2004", "L");
        row("311203", "31/12/2003", "L", {2003, 12, 30}), row("290204", "29/02/2004", "L", {2004, 2, 28});
    }
    void gridDate()
    {
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(QString, complaints);
        QFETCH(QDate, today);
        const GridDates::DateCheck result = GridDates::check(typed, today);
        QCOMPARE(result.text, text);
        QCOMPARE(result.rewritten, text != typed);
        QCOMPARE(result.complaints, dateComplaints(complaints));
        // A cell longer than its column says so with its own message.
        QCOMPARE(GridDates::lengthComplaint(text, 10, QStringLiteral("Larga.")),
                 text.size() > 10 ? QStringLiteral("Larga. Rectifica por favor") : QString());
    }

    // One key typed at a position (1: the first character; 0: any). Keys:
    // 8 Backspace, 9 Tab, 13 Enter.
    void key_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("taken");
        const auto row = [](const char *rule, int key, int position, bool taken) {
            QTest::addRow("%s %d at %d", rule, key, position) << QString::fromLatin1(rule) << key << position << taken;
        };
        row("Free", 'x', 0, true);
        for (const auto &[key, taken] : {std::pair{'7', true}, {'.', false}, {'a', false}, {8, true}, {13, true},
                                         {9, false}})
            row("Digits", key, 0, taken);
        row("Decimal", '.', 0, true), row("Decimal", ',', 0, false), row("Decimal", 0x0663, 0, false);
        row("ShowOnly", '1', 0, false), row("ShowOnly", 8, 0, false), row("ShowOnly", 13, 0, true);
        // The tax id: blank, letter, letter or &, letter, six digits, two
        // letters or digits, the check character (digit or A); past it, any.
        for (const auto &[key, position, taken] :
             {std::tuple{' ', 1, true}, {'A', 1, false}, {'A', 2, true}, {'&', 2, false}, {0xD1, 2, false},
              {'&', 3, true}, {'5', 3, false}, {'&', 4, false}, {'B', 4, true}, {'0', 5, true}, {'9', 10, true},
              {'A', 10, false}, {'A', 11, true}, {'7', 12, true}, {'&', 12, false}, {'a', 13, true},
              {'B', 13, false}, {'!', 14, true}, {8, 1, true}, {13, 5, true}})
            row("TaxId", key, position, taken);
    }
    void key()
    {
        QFETCH(QString, rule);
        QFETCH(int, key);
        QFETCH(int, position);
        QFETCH(bool, taken);
        // The key is let through unchanged or swallowed, wherever it lands
        // unless the rule is the tax id's.
        for (int at : position ? QList<int>{position} : QList<int>{1, 5, 13, 30})
            QCOMPARE(KeyRules::filterKey(ruleNamed(rule), key, at), taken ? key : 0);
    }

    // Text pasted at once, as if typed from a position; a refused character
    // does not move it on, and an emoji is refused or kept whole.
    void pasted_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kept");
        const auto row = [](const char *rule, int position, const QString &text, const QString &kept) {
            QTest::addRow("%s at %d: «%s»", rule, position, qPrintable(kept)) << rule << position << text << kept;
        };
        row("Decimal", 1, "12a.5", "12.5"), row("Digits", 1, "12\r\n34\n", "1234"), row("Free", 1, "ab\bc", "abc");
        row("ShowOnly", 1, "123\r\n", ""), row("TaxId", 1, " abc010203xy1", " abc010203xy1");
        row("TaxId", 1, " A1&", " A&");
        row("TaxId", 11, "XYB9", "XY9"), row("Digits", 1, "1\U0001F6002", "12"), row("TaxId", 13, "\U0001F600A", "A");
        row("Free", 1, "a\U0001F600", "a\U0001F600");
    }
    void pasted()
    {
        QFETCH(QString, rule);
        QFETCH(QString, text);
        QFETCH(int, position);
        QFETCH(QString, kept);
        QCOMPARE(KeyRules::filterInserted(ruleNamed(rule), text, position), kept);
    }

    void columnUnderThePointer()
    {
        // Four columns of 100 after 20 of row marks; the third one hidden.
        const QList<ColumnSpan> spans{{20, 100, true}, {120, 100, true}, {220, 0, false}, {220, 100, true}};
        // Unit costs: the last visible column left of the pointer, the last
        // column on the row marks.
        for (const auto &[x, column] : {std::pair{50, 0}, {150, 1}, {250, 3}, {10, 3}})
            QCOMPARE(ColumnHelp::columnLeftOf(spans, x), column);
        // Other grids: the visible column strictly around it, else the last.
        for (const auto &[x, column] : {std::pair{50, 0}, {219, 1}, {220, 3}, {250, 3}, {120, 3}, {500, 3}})
            QCOMPARE(ColumnHelp::columnAround(spans, x), column);
        QCOMPARE(ColumnHelp::columnAround({{-80, 100, true}, {20, 100, true}}, 10), 1); // scrolled off
        QCOMPARE(ColumnHelp::columnAround({}, 10), -1);
    }
};

QUELVAR_TEST_CLASS(TestChecks)
#include "test_checks.moc"
