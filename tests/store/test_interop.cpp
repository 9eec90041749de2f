// Tables exchanged with another xBase program, both ways: Debian's
// python3-dbf (through support/dbf_tool.py). The tools are required: a
// missing one fails, so that the exchange is never left unchecked.

#include "python_dbf.h"
#include "test_registry.h"

#include "store/code_page.h"
#include "store/dbf_table.h"
#include "store/recordset.h"

#include <QDate>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A value as python-dbf gives it, in the form our engine reads it: text
// without its trailing blanks (but the whole field given), blanks as null.
QVariant fromPython(const QJsonValue &j, const FieldDef &f)
{
    if (j.isNull())
        return {};
    if (f.type == 'D')
        return QDate::fromString(j.toString(), Qt::ISODate);
    if (!j.isString())
        return j.toVariant();
    const QString s = j.toString();
    const qsizetype end = s.lastIndexOf(QRegularExpression(QStringLiteral("[^ ]"))) + 1;
    return s.size() != f.length ? QVariant(s.size()) : end ? QVariant(s.left(end)) : QVariant();
}

// Reads the table with our engine and with python-dbf: the same rows, the
// last column telling the deleted ones, which we do not see.
void compare(const QString &path, const QList<QVariantList> &rows)
{
    Recordset rs(DbfTable::open(path));
    const QJsonObject dump = PythonDbf::dump(path);
    QCOMPARE(dump[u"count"].toInt(), rows.size());
    QCOMPARE(rs.table()->recordCount(), quint32(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const bool deleted = rows[i].last() == QStringLiteral("*");
        QCOMPARE(dump[u"records"][i][u"deleted"].toBool(), deleted);
        for (int f = 0; f < rs.fieldCount(); ++f) {
            QCOMPARE(fromPython(dump[u"records"][i][u"values"][f], rs.table()->field(f)), rows[i][f]);
            if (!deleted)
                QCOMPARE(rs.value(f), rows[i][f]);
        }
        if (!deleted)
            rs.MoveNext();
    }
    QVERIFY(rs.Eof());
}

bool pyWrite(const QString &command, const QString &path, const QString &codepage, const QList<FieldDef> &fields,
             const QList<QVariantList> &rows)
{
    QJsonArray records;
    for (const QVariantList &r : rows)
        records.append(PythonDbf::record(r.mid(0, fields.size()), r.last() == QStringLiteral("*")));
    const QString error = PythonDbf::write(command, path, codepage, fields, records);
    return error.isEmpty() || (qWarning("%s", qPrintable(error)), false);
}

void append(Recordset &rs, const QVariantList &values)
{
    rs.AddNew();
    for (int f = 0; f < rs.fieldCount(); ++f)
        rs.setValue(f, values[f]);
    rs.Update();
}

} // namespace

class TestInterop : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void initTestCase()
    {
        const QString missing = PythonDbf::missingTools();
        QVERIFY2(missing.isEmpty(), qPrintable(missing));
    }

    // Written by us, by python-dbf in either code page it marks, or by both
    // in turn (python-dbf appending while our table is open, each then
    // appending after the other's records): the same values, deleted records
    // and code page to both.
    void exchanged_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("codepage");
        QTest::addColumn<QString>("accented");
        QTest::newRow("ours") << "ours" << "cp1252" << "Precio 5€ «año»";
        QTest::newRow("python-dbf cp1252") << "python" << "cp1252" << "Señal «ÁÉÍÓÚ» œ";
        QTest::newRow("python-dbf cp850") << "python" << "cp850" << "ÑANDÚ çàü ½ ß";
        QTest::newRow("both") << "both" << "cp1252" << "Precio 5€ «año»";
    }
    void exchanged()
    {
        QFETCH(QString, writer);
        QFETCH(QString, codepage);
        QFETCH(QString, accented);
        const QList<FieldDef> fields{charField(QStringLiteral("RFC"), 13), charField(QStringLiteral("NOMBRE"), 20),
                                     numField(QStringLiteral("MONTO"), 12, 4), numField(QStringLiteral("CLAVE"), 3, 0),
                                     dateField(QStringLiteral("FECHA")), flagField(QStringLiteral("ANEXOB"))};
        // python-dbf drops leading blanks; we keep them.
        const QString pad = writer == QLatin1String("python") ? "" : " ";
        const QList<QVariantList> rows{
            {pad + "ABC010101XY1", "MÉXICO ÑANDÚ", 1234.5678, 7.0, QDate(2024, 2, 29), true, ""},
            {"XYZ", QVariant(), 0.0, 0.0, QVariant(), QVariant(), ""},
            {"BORRADO", "se borra", -7.25, 1.0, QDate(2001, 1, 1), true, "*"},
            {QVariant(), accented, -0.0001, QVariant(), QDate(1999, 12, 31), true, ""},
            {"ÚLTIMO", pad + "dos blancos", QVariant(), -12.0, QDate(2030, 6, 1), false, ""},
        };
        const QString path = dir_.filePath(writer + codepage + QStringLiteral(".dbf"));
        if (writer == QLatin1String("python")) {
            QVERIFY(pyWrite(QStringLiteral("create"), path, codepage, fields, rows));
        } else {
            DbfTable::create(path, fields);
            Recordset rs(DbfTable::open(path));
            for (int i = 0; i < rows.size(); ++i) {
                if (writer == QLatin1String("ours") || i < 2 || i > 3)
                    append(rs, rows[i]);
                else if (i == 2)
                    QVERIFY(pyWrite(QStringLiteral("append"), path, {}, fields, rows.mid(2, 2)));
            }
            if (writer == QLatin1String("ours")) {
                rs.moveToRow(2);
                rs.Delete();
            }
        }
        compare(path, rows);
        QCOMPARE(PythonDbf::dump(path)[u"codepage"].toString(), codepage);
        QCOMPARE(QStringLiteral("cp%1").arg(DbfTable::open(path)->codePage().number()), codepage);
    }
};

QUELVAR_TEST_CLASS(TestInterop)
#include "test_interop.moc"
