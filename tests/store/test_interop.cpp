// Tables exchanged with other xBase readers and writers: Debian's python3-dbf
// (driven through interop/dbf_tool.py) and dbview. Both must be installed; a
// missing one fails the test instead of skipping it, so that the exchange is
// never silently left unchecked.

#include "test_registry.h"
#include "python_dbf.h"

#include "store/code_page.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/store_error.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonObject>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Row {
    QVariantList values;
    bool deleted = false;
};

// One value in a form both sides can be compared in.
QString canon(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return QStringLiteral("null");
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate);
    case QMetaType::QString:
        return u'"' + v.toString() + u'"';
    default:
        return QString::number(v.toDouble(), 'g', 15);
    }
}

// A value as python-dbf reported it. Character fields come with their padding,
// which is dropped at the end only, as our engine drops it.
QString canonPython(const QJsonValue &j, const FieldDef &f)
{
    if (j.isNull())
        return QStringLiteral("null");
    if (j.isBool())
        return j.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (j.isDouble())
        return QString::number(j.toDouble(), 'g', 15);
    QString s = j.toString();
    if (f.type != 'C')
        return s; // a date as YYYY-MM-DD
    while (s.endsWith(u' '))
        s.chop(1);
    return s.isEmpty() ? QStringLiteral("null") : u'"' + s + u'"';
}

} // namespace

class TestInterop : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    // Writes the rows with python-dbf: create or append.
    bool pyWrite(const QString &command, const QString &path, const QString &codepage, const QList<FieldDef> &fields,
                 const QList<Row> &rows)
    {
        QJsonArray records;
        for (const Row &r : rows)
            records.append(PythonDbf::record(r.values, r.deleted));
        const QString error = PythonDbf::write(command, path, codepage, fields, records);
        if (!error.isEmpty())
            qWarning("%s", qPrintable(error));
        return error.isEmpty();
    }

    // dbview's browse lines (raw field widths, deletion mark first), decoded.
    QStringList dbviewLines(const QString &path, const QStringList &options)
    {
        QStringDecoder cp1252("windows-1252");
        QString error;
        const QString text = cp1252.decode(PythonDbf::runProgram(QStringLiteral("dbview"), options + QStringList{path}, {}, &error));
        if (!error.isEmpty())
            qWarning("%s", qPrintable(error));
        return text.split(u'\n', Qt::SkipEmptyParts);
    }

    // Walks the table with our engine and compares it, record by record, with
    // the live rows expected; the deleted ones must not be seen at all.
    void compareOurs(const QString &path, const QList<Row> &rows)
    {
        Recordset rs(DbfTable::open(path));
        QList<Row> live;
        for (const Row &r : rows)
            if (!r.deleted)
                live << r;
        QCOMPARE(rs.RecordCount(), long(live.size()));
        QCOMPARE(rs.table()->recordCount(), quint32(rows.size()));
        int i = 0;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext(), ++i) {
            QVERIFY2(i < live.size(), "more records than written");
            for (int f = 0; f < rs.fieldCount(); ++f)
                QCOMPARE(canon(rs.Fields(f).Value()), canon(live[i].values[f]));
        }
        QCOMPARE(i, live.size());
    }

    static void ourAppend(Recordset &rs, const Row &r)
    {
        rs.AddNew();
        for (int f = 0; f < r.values.size(); ++f)
            rs.Fields(f).setValue(r.values[f]);
        rs.Update();
    }

    // Compares python-dbf's view of a table with the rows expected, deleted
    // ones included and marked.
    void comparePython(const QString &path, const QList<FieldDef> &fields, const QList<Row> &rows,
                       const QString &codepage)
    {
        const QJsonObject dump = PythonDbf::dump(path);
        QCOMPARE(dump[u"codepage"].toString(), codepage);
        QCOMPARE(dump[u"count"].toInt(), rows.size());
        for (int f = 0; f < fields.size(); ++f)
            QCOMPARE(dump[u"fields"][f].toString(), fields[f].name);
        const QJsonArray records = dump[u"records"].toArray();
        QCOMPARE(records.size(), rows.size());
        for (int i = 0; i < rows.size(); ++i) {
            const QJsonObject rec = records[i].toObject();
            QCOMPARE(rec[u"deleted"].toBool(), rows[i].deleted);
            const QJsonArray values = rec[u"values"].toArray();
            for (int f = 0; f < fields.size(); ++f) {
                QCOMPARE(canonPython(values[f], fields[f]), canon(rows[i].values[f]));
                if (fields[f].type == 'C') // the whole field, padding and all
                    QCOMPARE(values[f].toString().size(), fields[f].length);
            }
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        const QString missing = PythonDbf::missingTools();
        if (!missing.isEmpty())
            QFAIL(qPrintable(missing));
    }

    // A table written by our engine reads back the same in python-dbf and dbview.
    void ourTableElsewhere()
    {
        const QList<FieldDef> fields{charField(QStringLiteral("RFC"), 13), charField(QStringLiteral("NOMBRE"), 20),
                                     numField(QStringLiteral("MONTO"), 12, 2), numField(QStringLiteral("CLAVE"), 3, 0),
                                     dateField(QStringLiteral("FECHA")), flagField(QStringLiteral("ANEXOB"))};
        const QList<Row> rows{
            {{QStringLiteral(" ABC010101XY1"), QStringLiteral("MÉXICO ÑANDÚ"), 1234.5, 7, QDate(2024, 2, 29), true}},
            {{QStringLiteral("XYZ"), QVariant(), 0.0, 0, QVariant(), false}},
            {{QStringLiteral("BORRADO"), QStringLiteral("se borra"), -7.25, 1, QDate(2001, 1, 1), true}, true},
            {{QVariant(), QStringLiteral("Precio 5€ «año»"), -0.5, QVariant(), QDate(1999, 12, 31), QVariant()}},
            {{QStringLiteral("ÚLTIMO"), QStringLiteral("  dos blancos"), QVariant(), -12, QDate(2030, 6, 1), false}},
        };
        const QString path = dir_.filePath(QStringLiteral("nuestra.dbf"));
        DbfTable::create(path, fields);
        {
            Recordset rs(DbfTable::open(path));
            for (const Row &r : rows)
                ourAppend(rs, r);
            rs.FindFirst(QStringLiteral("RFC Like 'BORR*'"));
            QVERIFY(!rs.NoMatch());
            rs.Delete();
        }
        compareOurs(path, rows);
        comparePython(path, fields, rows, QStringLiteral("cp1252"));

        // dbview: every record with its deletion mark and raw field bytes.
        const QStringList all = dbviewLines(path, {QStringLiteral("-b"), QStringLiteral("-D"), QStringLiteral("-d"), QStringLiteral("|")});
        QCOMPARE(all.size(), rows.size());
        for (int i = 0; i < rows.size(); ++i) {
            QStringList cells = all[i].split(u'|');
            QCOMPARE(cells.size(), fields.size() + 2); // mark, fields, trailing empty
            QCOMPARE(cells[0], rows[i].deleted ? QStringLiteral("*") : QStringLiteral(" "));
            for (int f = 0; f < fields.size(); ++f) {
                const QVariant &v = rows[i].values[f];
                QString expected;
                if (!v.isValid())
                    expected = QString(fields[f].length, u' ');
                else if (fields[f].type == 'C')
                    expected = v.toString().leftJustified(fields[f].length);
                else if (fields[f].type == 'N')
                    expected = QString::number(v.toDouble(), 'f', fields[f].decimals).rightJustified(fields[f].length);
                else if (fields[f].type == 'D')
                    expected = v.toDate().toString(QStringLiteral("yyyyMMdd"));
                else
                    expected = v.toBool() ? QStringLiteral("T") : QStringLiteral("F");
                QCOMPARE(cells[f + 1], expected);
            }
        }
    }

    // Tables written by python-dbf, in both code pages it marks, read by us.
    void pythonTableHere_data()
    {
        QTest::addColumn<QString>("codepage");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("accented");
        QTest::newRow("cp1252") << QStringLiteral("cp1252") << 1252 << QStringLiteral("Señal «ÁÉÍÓÚ» 5€ œ");
        QTest::newRow("cp850") << QStringLiteral("cp850") << 850 << QStringLiteral("ÑANDÚ çàü ½ ß");
    }

    void pythonTableHere()
    {
        QFETCH(QString, codepage);
        QFETCH(int, number);
        QFETCH(QString, accented);
        const QList<FieldDef> fields{charField(QStringLiteral("NOMBRE"), 25), numField(QStringLiteral("IMPORTE"), 14, 4),
                                     numField(QStringLiteral("PIEZAS"), 6, 0), dateField(QStringLiteral("ALTA")),
                                     flagField(QStringLiteral("VIGENTE"))};
        const QList<Row> rows{
            {{accented, 1234.5678, 12, QDate(2023, 7, 4), true}},
            {{QStringLiteral("BORRADO UNO"), -1.5, 1, QDate(2000, 1, 1), false}, true},
            {{QStringLiteral("Nulos"), QVariant(), QVariant(), QVariant(), QVariant()}},
            {{QStringLiteral("Negativo"), -0.0001, -999, QDate(1990, 12, 31), false}},
        };
        const QString path = dir_.filePath(QStringLiteral("python_%1.dbf").arg(codepage));
        QVERIFY(pyWrite(QStringLiteral("create"), path, codepage, fields, rows));

        compareOurs(path, rows);
        Recordset rs(DbfTable::open(path));
        QCOMPARE(rs.table()->codePage().number(), number);
        QList<FieldDef> read;
        for (int f = 0; f < rs.table()->fieldCount(); ++f)
            read << rs.table()->field(f);
        QCOMPARE(PythonDbf::fieldSpec(read), PythonDbf::fieldSpec(fields));
    }

    // Both writers append to one table; each must append after the other's
    // records, by the record count in the header, and not over them.
    void bothAppend()
    {
        const QList<FieldDef> fields{charField(QStringLiteral("QUIEN"), 12), numField(QStringLiteral("NUM"), 5, 0)};
        const QString path = dir_.filePath(QStringLiteral("ambos.dbf"));
        DbfTable::create(path, fields);
        const QList<Row> theirs{{{QStringLiteral("python"), 3}}, {{QStringLiteral("python borra"), 4}, true}};
        const QList<Row> last{{{QStringLiteral("python fin"), 6}}};
        QList<Row> rows{{{QStringLiteral("nuestro"), 1}}, {{QStringLiteral("nuestro"), 2}}};
        {
            Recordset rs(DbfTable::open(path));
            ourAppend(rs, rows[0]);
            ourAppend(rs, rows[1]);
            // python-dbf appends while our table stays open; our next append
            // must land after its records.
            QVERIFY(pyWrite(QStringLiteral("append"), path, {}, fields, theirs));
            rows << theirs << Row{{QStringLiteral("nuestro"), 5}};
            ourAppend(rs, rows.last());
        }
        QVERIFY(pyWrite(QStringLiteral("append"), path, {}, fields, last));
        rows << last;
        compareOurs(path, rows);
        comparePython(path, fields, rows, QStringLiteral("cp1252"));
        const QStringList info = dbviewLines(path, {QStringLiteral("-i"), QStringLiteral("-o")});
        QVERIFY(info.contains(QStringLiteral("Number of recs: 6")));
    }
};

QUELVAR_TEST_CLASS(TestInterop)
#include "test_interop.moc"
