// The table file byte for byte: what each kind of stored field reads as (to
// the program and in its CSV form), what each value is written as, which
// values and which files are refused, and what a header counting other than
// the records the file holds gives.

#include "table_files.h"
#include "test_registry.h"

#include "store/request_folder.h"
#include "store/store_error.h"

#include <QDate>
#include <QTest>

namespace {

// A field VALOR of "C6", "N20.5", "F8.2", "D8", "L1" or "M10" (a memo reference).
FieldDef field(const QString &def)
{
    const QStringList n = def.mid(1).split(u'.');
    return {QStringLiteral("VALOR"), def.at(0).toLatin1(), n[0].toInt(), n.value(1).toInt(), 0};
}

// A table of that field and COMILLA C1 holding a quote, with the given code
// page mark (a FoxPro table when the field is a memo): the record with the
// given field bytes between two deleted ones, which no reader shows.
QString rawTable(const QString &dir, const FieldDef &f, int mark, QByteArray bytes)
{
    static int serial = 0;
    const QString path = QStringLiteral("%1/v%2.dbf").arg(dir).arg(++serial);
    DbfTable::create(path, {f.isMemo() ? charField(f.name, f.length) : f, charField(QStringLiteral("COMILLA"), 1)});
    QByteArray file = readAll(path).chopped(1);
    file[0] = char(f.isMemo() ? 0xF5 : 0x03);
    file[29] = char(mark);
    file[32 + 11] = f.type;
    bytes = f.isNumeric() ? bytes.rightJustified(f.length) : bytes.leftJustified(f.length);
    file += '*' + bytes + '"' + ' ' + bytes + '"' + '*' + bytes + '"' + char(0x1A);
    putLe32(file, 4, 3);
    writeAll(path, file);
    return path;
}

// Field bytes, the value read from them and their cell in the CSV form.
struct Stored { QString def; int mark; QByteArray bytes; QVariant read; QString cell; };
// A value written to a field and the bytes it is stored as (none: refused).
struct Written { QString def; int mark; QVariant value; QByteArray bytes; };

} // namespace

class TestTableFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QByteArray good_; // mixedFields(), three records
    static constexpr int kHeader = kMixedHeader, kRecord = kMixedRecord;

private slots:
    void initTestCase()
    {
        const QString path = makeTable(dir_, QStringLiteral("good.dbf"));
        appendTexts(path, {QStringLiteral("UNO"), QStringLiteral("DOS"), QStringLiteral("TRES")});
        good_ = readAll(path);
    }

    // Stored bytes as any writer may leave them: the value read and the CSV cell.
    void storedValue_data()
    {
        QTest::addColumn<Stored>("s");
        const QVariant null;
        QTest::newRow("text") << Stored{"C6", 3, "ABC", "ABC", "ABC"};
        QTest::newRow("blanks") << Stored{"C6", 3, "", null, ""};
        QTest::newRow("full width") << Stored{"C6", 3, "ABCDEF", "ABCDEF", "ABCDEF"};
        QTest::newRow("leading blank") << Stored{"C6", 3, " AB", " AB", "\" AB\""};
        QTest::newRow("comma, quote") << Stored{"C6", 3, "A,\"B", "A,\"B", "\"A,\"\"B\""};
        QTest::newRow("line breaks") << Stored{"C6", 3, "A\nB\rC", "A\nB\rC", "\"A\nB\rC\""};
        const QString nul = QString::fromUtf8("A\0B", 3);
        QTest::newRow("nul bytes") << Stored{"C6", 3, QByteArray("A\0B\0\0\0", 6), nul, nul};
        QTest::newRow("1252") << Stored{"C6", 3, "\xD1" "AND\xDA\x80", "ÑANDÚ€", "ÑANDÚ€"};
        QTest::newRow("850") << Stored{"C6", 2, "\xA5" "AND\xE9", "ÑANDÚ", "ÑANDÚ"};
        QTest::newRow("decimals") << Stored{"N20.5", 3, "1234.50000", 1234.5, "1234.5"};
        QTest::newRow("minus") << Stored{"N20.5", 3, "-12.50000", -12.5, "-12.5"};
        QTest::newRow("plus") << Stored{"N20.5", 3, "+5.25", 5.25, "5.25"};
        QTest::newRow("minus zero") << Stored{"N20.5", 3, "-0.00000", 0.0, "0"};
        QTest::newRow("point first") << Stored{"N20.5", 3, "-.5", -0.5, "-0.5"};
        QTest::newRow("zeros") << Stored{"N20.5", 3, "00100.01000", 100.01, "100.01"};
        QTest::newRow("19 digits") << Stored{"N20.5", 3, "12345678901234.56789", 12345678901234.56789,
                                             "12345678901234.568"};
        QTest::newRow("past 2^53") << Stored{"N20.5", 3, "9007199254740993", 9007199254740992.0, "9007199254740992"};
        for (const char *bad : {".", "-", "1.2.3", "***", "1.5e3", "nan", "-inf", "1E2", "- 5", "+-1", "0x1F", "1 2"})
            QTest::newRow(bad) << Stored{"N20.5", 3, bad, null, ""};
        QTest::newRow("memo") << Stored{"M10", 3, "7", null, ""};
        QTest::newRow("date") << Stored{"D8", 3, "20260301", QDate(2026, 3, 1), "2026-03-01"};
        for (const char *bad : {"2026030", "20230230", "00000000", "2026 301", "20261301"})
            QTest::newRow(bad) << Stored{"D8", 3, bad, null, ""};
        for (const char *yes : {"T", "t", "Y", "y"})
            QTest::newRow(yes) << Stored{"L1", 3, yes, true, "T"};
        for (const char *no : {"F", "f", "N", "n"})
            QTest::newRow(no) << Stored{"L1", 3, no, false, "F"};
        QTest::newRow("?") << Stored{"L1", 3, "?", null, ""};
    }
    void storedValue()
    {
        QFETCH(Stored, s);
        const QString path = rawTable(dir_.path(), field(s.def), s.mark, s.bytes);
        Recordset rs(DbfTable::open(path));
        QCOMPARE(rs.RecordCount(), 1L);
        QCOMPARE(rs.value(0), s.read);
        QCOMPARE(RequestFolder::toCsv(path), QStringLiteral("VALOR,COMILLA\n%1,\"\"\"\"\n").arg(s.cell));
    }

    // A value written to a field: the bytes stored, or refused naming the
    // table and the field, the file left as it was but for the date changed.
    void writtenValue_data()
    {
        QTest::addColumn<Written>("w");
        QTest::newRow("trailing pad") << Written{"C8", 3, "ÑANDÚ  ", "\xD1" "AND\xDA   "};
        QTest::newRow("850") << Written{"C6", 2, "ÉL", "\x90L    "};
        QTest::newRow("no euro in 850") << Written{"C6", 2, "€", ""};
        QTest::newRow("too long") << Written{"C6", 3, "ABCDEFG", ""};
        QTest::newRow("rounds, no -0") << Written{"N12.5", 3, -0.000001, "     0.00000"};
        QTest::newRow("number text") << Written{"N12.5", 3, "1,234.56789", "  1234.56789"};
        QTest::newRow("empty text") << Written{"N12.5", 3, QString(), "            "};
        QTest::newRow("too wide") << Written{"N12.5", 3, 12345678.5, ""};
        QTest::newRow("not a number") << Written{"N12.5", 3, "12a", ""};
        QTest::newRow("comma after point") << Written{"N12.5", 3, "1.5,25", ""};
        QTest::newRow("infinity") << Written{"N12.5", 3, qInf(), ""};
        QTest::newRow("float") << Written{"F8.2", 3, 3.126, "    3.13"};
        QTest::newRow("date") << Written{"D8", 3, QDate(2026, 11, 5), "20261105"};
        QTest::newRow("date text") << Written{"D8", 3, "05/11/2026", "20261105"};
        QTest::newRow("no such date") << Written{"D8", 3, "31/02/2026", ""};
        QTest::newRow("Sí") << Written{"L1", 3, "Sí", "T"};
        QTest::newRow("NO") << Written{"L1", 3, "NO", "F"};
        QTest::newRow("not a logical") << Written{"L1", 3, "quizá", ""};
        QTest::newRow("memo") << Written{"M10", 3, "texto", ""};
    }
    void writtenValue()
    {
        QFETCH(Written, w);
        const FieldDef f = field(w.def);
        const QString path = rawTable(dir_.path(), f, w.mark, "7");
        const QByteArray before = readAll(path).replace(1, 3, QByteArray("\x50\x01\x01", 3)); // changed on 1980-01-01
        writeAll(path, before);
        const QDate today = QDate::currentDate();
        {
            Recordset rs(DbfTable::open(path));
            rs.Edit();
            try {
                rs.setValue(0, w.value);
                QVERIFY2(!w.bytes.isEmpty(), "accepted");
            } catch (const StoreError &e) {
                QVERIFY2(w.bytes.isEmpty() && e.message().contains(QLatin1String("VALOR"))
                             && e.message().contains(rs.tableName()), qPrintable(e.message()));
            }
            rs.Update();
        }
        const QByteArray after = readAll(path);
        const int at = after.size() - 2 * (f.length + 2); // the field of the live record
        QCOMPARE(after.left(at).mid(4) + after.mid(at + f.length), before.left(at).mid(4) + before.mid(at + f.length));
        QCOMPARE(after.mid(at, f.length), w.bytes.isEmpty() ? before.mid(at, f.length) : w.bytes);
        const QDate changed(1900 + quint8(after[1]), after[2], after[3]);
        QVERIFY(changed >= today && changed <= QDate::currentDate());
    }

    void refusedOnOpening_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("fault");
        const auto with = [this](int at, QList<int> bytes) {
            QByteArray b = good_;
            for (int v : bytes)
                b[at++] = char(v);
            return b;
        };
        QTest::newRow("empty file") << QByteArray() << "menos que un encabezado";
        QTest::newRow("cut inside the header") << good_.left(100) << "el encabezado declara";
        QTest::newRow("dBASE IV") << with(0, {0x8B}) << "versión 0x8B";
        QTest::newRow("Nordic code page") << with(29, {0x65}) << "página de códigos 0x65";
        QTest::newRow("header too small") << with(8, {40, 0}) << "no alcanzan para un campo";
        QTest::newRow("record too long") << with(10, {kRecord + 4, 0}) << "no coincide";
        QTest::newRow("record too short") << with(10, {kRecord - 4, 0}) << "sale del registro";
        QTest::newRow("field list never ends") << with(kHeader - 1, {'X'}) << "sale del encabezado";
        QTest::newRow("unknown field kind") << with(64 + 11, {'Q'}) << "tipo no admitido";
        QTest::newRow("date of 9") << with(128 + 16, {9}) << "debe ser 8";
        QTest::newRow("number of 21") << with(64 + 16, {21}) << "de longitud 21";
        QTest::newRow("length zero") << with(32 + 16, {0}) << "longitud cero";
        QTest::newRow("no name") << with(32, {0}) << "no tiene nombre";
    }
    void refusedOnOpening()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fault);
        const QString path = dir_.filePath(QStringLiteral("damaged.dbf"));
        writeAll(path, bytes);
        try {
            DbfTable::open(path);
            QFAIL("opened");
        } catch (const StoreError &e) {
            QVERIFY2(e.message().contains(path) && e.message().contains(fault), qPrintable(e.message()));
        }
    }

    // The count in the header against the records in the file: a count ahead
    // (a cut during an append) opens with the whole records, reading writes
    // nothing, and any write puts the count right.
    void declaredCount_data()
    {
        QTest::addColumn<quint32>("declared");
        QTest::addColumn<QByteArray>("tail"); // after the header and three records
        QTest::addColumn<QString>("write");
        QTest::newRow("count behind") << 2u << QByteArray("\x1A") << "append";
        QTest::newRow("append never arrived") << 4u << QByteArray() << "append";
        QTest::newRow("half arrived") << 4u << good_.mid(kHeader, kRecord / 2) << "edit";
        QTest::newRow("absurd count") << 0xFFFFFFFFu << QByteArray("\x1A") << "delete";
        QTest::newRow("count of four bytes") << 0x01020304u << QByteArray("\x1A") << "edit";
    }
    void declaredCount()
    {
        QFETCH(quint32, declared);
        QFETCH(QByteArray, tail);
        QFETCH(QString, write);
        const quint32 count = qMin(declared, 3u), after = count + (write == QLatin1String("append"));
        const QString path = dir_.filePath(QStringLiteral("count.dbf"));
        QByteArray bytes = good_.left(kHeader + 3 * kRecord) + tail;
        putLe32(bytes, 4, declared);
        writeAll(path, bytes);
        {
            Recordset rs(DbfTable::open(path));
            QCOMPARE(rs.table()->countAheadText(), declared > 3 ? QStringLiteral("declara %1 registros y el archivo "
                                                                                 "sólo contiene 3").arg(declared)
                                                                : QString());
            QCOMPARE(rs.RecordCount(), long(count));
            rs.MoveLast();
            QCOMPARE(rs.value(0), QVariant(count == 2 ? "DOS" : "TRES"));
            QCOMPARE(headerCount(readAll(path)), declared);
            if (write == QLatin1String("delete")) {
                rs.Delete();
            } else {
                write == QLatin1String("edit") ? rs.Edit() : rs.AddNew();
                rs.setValue(0, QStringLiteral("NUEVO"));
                rs.Update();
            }
        }
        QCOMPARE(headerCount(readAll(path)), after);
        Recordset rs(DbfTable::open(path));
        QVERIFY(!rs.table()->countAhead());
        QCOMPARE(rs.table()->recordCount(), after);
        rs.MoveLast();
        QCOMPARE(rs.value(0), QVariant(write == QLatin1String("delete") ? "DOS" : "NUEVO"));
    }
};

QUELVAR_TEST_CLASS(TestTableFile)
#include "test_table_file.moc"
