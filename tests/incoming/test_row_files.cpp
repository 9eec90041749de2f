// Spreadsheet and CSV files of grid rows: files read by their content (CSV
// bytes, openpyxl's sheets, our own files, damaged files), the plain forms
// of numbers, dates and names, and our spreadsheet as openpyxl reads it.
#include "incoming/row_files.h"
#include "python_dbf.h"
#include "store/store_error.h"
#include "test_registry.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

const RowFiles::Sheet kSheet{{"Número", "Descripción", "Importe"},
                             {{"0012", "a, \"b\"\nc;d", "1234.5"}, {"123456789012345", " x ", "-3"}, {"", "", "0.1"}}, {}, {}, {}};

// A file's rows as read, cells joined by "|" and rows by "¶"; or why it was refused.
QString readBack(const QString &path)
{
    try {
        const RowFiles::Sheet sheet = RowFiles::read(path);
        QStringList rows{sheet.names.join(u'|')};
        for (const QStringList &row : sheet.rows)
            rows << row.join(u'|');
        // The cells that gave no value, by row and the file's line.
        for (const RowFiles::Fault &f : sheet.faults)
            rows << QStringLiteral("!%1 %2 %3").arg(f.row).arg(sheet.lines.value(f.row)).arg(f.address);
        return rows.join(u'¶');
    } catch (const StoreError &e) {
        return e.message();
    }
}

// openpyxl_tool.py's output, or why it failed (python3 or openpyxl missing, for one).
QString openpyxl(const QStringList &args)
{
    QString error;
    const QByteArray out = PythonDbf::runProgram(
        "/usr/bin/python3", QStringList{QUELVAR_TEST_SOURCE_DIR "/incoming/openpyxl_tool.py"} + args, {}, &error);
    return error.isEmpty() ? QString::fromUtf8(out).trimmed() : error;
}

} // namespace

class TestRowFiles : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    // A file's bytes and what is read from them.
    void read_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("rows");
        const auto bytesOf = [&](const QString &name) {
            QFile f(dir_.filePath(name));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QString cut = "El archivo «filas» no es una hoja de cálculo que se pueda leer: el archivo está cortado o "
                            "dañado.";
        for (const auto &[bytes, rows] :
             {std::pair{QByteArray("\xEF\xBB\xBFN\xC3\xBAm,A\xC3\xB1o\r\n1,2024\r\n"), QString("Núm|Año¶1|2024")},
              {"a;b\n\xC3\xB1;\xC3\xBC", "a|b¶ñ|ü"}, {"a\tb\n\xF1\t\xE9\n", "a|b¶ñ|é"}, {"a,b\r\n", "a|b"},
              {"\"x;y\",b,c;d\n\"1,5\",\"di \"\"no\"\"\",\"l1\r\nl2\"\r\n", "x;y|b|c;d¶1,5|di \"no\"|l1\nl2"},
              {"\r\na|b\n\n1|2\n |\n\n", "a|b¶1|2"}, {"a;b;c,d\n1;2;3,4", "a|b|c,d¶1|2|3,4"},
              {"", "El archivo «filas» no tiene renglones."}, {"PK\x03\x04garbage", cut},
              {"a,b\n\"1,2\n", "«filas»: una comilla abierta en la línea 2 no se cierra."},
              {QByteArray("\x01\x00\x02", 3), "El archivo «filas» no es un texto CSV ni una hoja de cálculo .xlsx."}})
            QTest::addRow("«%s»", bytes.toPercentEncoding(" ,;|\"").left(40).constData()) << bytes << rows;
        // Our own files (after writes that fail), as openpyxl reads our spreadsheet too, and cut short.
        for (const QString name : {"w.csv", "w.XLSX"}) {
            RowFiles::write(dir_.filePath(name), kSheet);
            // A write that fails: the CSV's to a folder that is not there, the spreadsheet's over its own file,
            // with a text too long for a cell.
            const QString target = dir_.filePath(name == "w.csv" ? "no/w.csv" : name);
            QVERIFY_THROWS_EXCEPTION(StoreError, RowFiles::write(target, {{"a"}, {{QString(40000, u'x')}}, {}, {}, {}}));
            QTest::newRow(qPrintable(name))
                << bytesOf(name) << "Número|Descripción|Importe¶0012|a, \"b\"\nc;d|1234.5¶123456789012345| x |-3¶||0.1";
        }
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"w.csv", "w.XLSX"}));
        QCOMPARE(openpyxl({"dump", dir_.filePath("w.XLSX")}),
                 "[true, [\"Número\", \"Descripción\", \"Importe\"], [\"0012\", \"a, \\\"b\\\"\\nc;d\", 1234.5], "
                 "[\"123456789012345\", \" x \", -3], [null, null, 0.1]]");
        QTest::newRow("xlsx cut") << bytesOf("w.XLSX").left(1000) << cut;
        // A formula stored without its result, and an error value, beside a blank row.
        QCOMPARE(openpyxl({"formula", dir_.filePath("formula")}), QString());
        QTest::newRow("openpyxl formula") << bytesOf("formula") << "Número|Importe¶1|¶2|5¶3|¶!0 2 'Mi hoja'!B2¶!2 5 'Mi hoja'!B5";
        QCOMPARE(openpyxl({"cdata", dir_.filePath("cdata")}), QString());
        QTest::newRow("cdata") << bytesOf("cdata") << "Nota|Cifra¶a<b & c]|2";
        QCOMPARE(openpyxl({"cdata", dir_.filePath("xfd"), "x"}), QString());
        QTest::newRow("past XFD") << bytesOf("xfd") << "El archivo «filas» no es una hoja de cálculo que se pueda leer: "
                                                       "la celda «» no tiene una columna válida.";
        for (const QString year : {"1900", "1904"}) {
            QCOMPARE(openpyxl({"make", dir_.filePath(year), year}), QString());
            QTest::addRow("openpyxl %s", qPrintable(year)) << bytesOf(year)
                << "Número|Fecha|Importe|Nota¶0012|29/02/2024|1234.5|VERDADERO¶42||0.1|a¶7|15/01/" + year
                       + "|0.00000015|¶|31/12/2023||";
        }
    }
    void read()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, rows);
        QFile f(dir_.filePath("filas"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush());
        QCOMPARE(readBack(f.fileName()), rows);
    }

    // A text and what a rule, named first in the row's name, makes of it; names: "name|candidate|...", and
    // the index of the candidate it matches.
    void texts_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        // Figures read in a style ("!" and the start of the refusal), and the style a column's texts make.
        for (const auto &[rule, in, out] : std::initializer_list<std::array<const char *, 3>>{
                 {"point", "1,234.50", "1234.50"}, {"point", " 12 ", "12"}, {"point", "$1,000", "1000"},
                 {"point", "1 234 567.5", "1234567.5"}, {"point", ".5", "0.5"}, {"point", "-0", "0"},
                 {"point", "-3.5", "!Es negativo"}, {"point", "-$ 2,500", "!Es negativo"}, {"point", "(2000)", "!Es negativo"},
                 {"point", "7-", "!Es negativo"}, {"point", "1,23", "!No es un número escrito con punto"},
                 {"point", "1234,56", "!No es un número"}, {"point", "1,234 567", "!No es un número"},
                 {"point", "12abc", "!No es un número"}, {"point", "1.5E-7", "!Está en notación científica"},
                 {"comma", "1.234,56", "1234.56"}, {"comma", "2 000,50", "2000.50"}, {"comma", "1,5", "1.5"},
                 {"comma", "1.5", "!No es un número escrito con coma"},
                 {"vote", "1,5|2,25", "Comma"}, {"vote", "1,234|1,5", "Comma"}, {"vote", "1,234", "Unknown"},
                 {"vote", "1.234", "Unknown"}, {"vote", "1,234.56|1,5", "Unknown"}, {"vote", "12|1 000||x", "Point"},
                 {"vote", "1,234|4.5", "Point"}, {"vote", "1.234.567|3", "Comma"}, {"vote", "0.125", "Point"},
                 {"vote", "0,500", "Comma"},
                 {"date", "5/3/2024", "05/03/2024"}, {"date", "2024-03-05", "05/03/2024"},
                 {"date", "05-03-2024", "05/03/2024"}, {"date", "2024/3/5", "05/03/2024"},
                 {"date", "2024-03-05T13:45:00", "05/03/2024"}, {"date", "31/02/2024", "31/02/2024"},
                 {"name", " Descripción  de la  MERCANCÍA: |No|descripcion de la mercancia", "1"},
                 {"name", "No.|Número|NO", "1"}, {"name", "Pingüino|PINGUINO", "0"}, {"name", "X|Y", "-1"}})
            QTest::addRow("%s «%s»", rule, in) << QString(in) << QString(out);
    }
    void texts()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        const QByteArray rule = QTest::currentDataTag();
        const QStringList parts = in.split(u'|');
        if (rule.startsWith("point") || rule.startsWith("comma")) {
            const auto figure = RowFiles::readFigure(in, rule.startsWith("comma") ? RowFiles::Decimal::Comma
                                                                                  : RowFiles::Decimal::Point);
            QVERIFY2(out.startsWith(u'!') ? figure.refusal.startsWith(out.mid(1)) && figure.plain.isEmpty()
                                          : figure.plain == out && figure.refusal.isEmpty(),
                     qPrintable(figure.plain + u'|' + figure.refusal));
            return;
        }
        if (rule.startsWith("vote")) {
            RowFiles::DecimalVote vote;
            for (const QString &text : parts)
                vote.add(text);
            const RowFiles::Decimal style = vote.style();
            QCOMPARE(QString(style == RowFiles::Decimal::Comma   ? "Comma"
                             : style == RowFiles::Decimal::Point ? "Point"
                                                                 : "Unknown"),
                     out);
            return;
        }
        QCOMPARE(rule.startsWith("date") ? RowFiles::plainDate(in)
                                         : QString::number(RowFiles::matchName(parts.first(), parts.mid(1))),
                 out);
    }
};

QUELVAR_TEST_CLASS(TestRowFiles)
#include "test_row_files.moc"
