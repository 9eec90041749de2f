// Values of every field kind, as written to and read from the table file.

#include "table_files.h"
#include "test_registry.h"

#include "store/field_codec.h"
#include "store/store_error.h"

#include <QDate>
#include <QTest>
#include <charconv>
#include <cmath>

class TestFieldValues : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    int serial_ = 0;

    QString freshTable() { return makeTable(dir_, QStringLiteral("t%1.dbf").arg(++serial_)); }

private slots:
    // Fields of mixedFields(): 0 RFC C(13), 1 MONTO N(12,5), 2 CLAVE N(3,0),
    // 3 FECHA D, 4 ANEXOB L. An invalid QVariant is no value at all. Plain
    // values and nulls of each kind go through test_interop's tables.
    void roundTrip_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("read");
        const QVariant null;
        QTest::newRow("trailing pad lost") << 0 << QVariant("ÑANDÚ  ") << QVariant("ÑANDÚ");
        QTest::newRow("blanks are null") << 0 << QVariant("   ") << null;
        QTest::newRow("empty text number") << 1 << QVariant(QString()) << null;
        QTest::newRow("rounds, no -0") << 1 << QVariant(-0.000001) << QVariant(0.0);
        QTest::newRow("number text") << 1 << QVariant("1,234.56789") << QVariant(1234.56789);
        QTest::newRow("date text") << 3 << QVariant("05/11/2026") << QVariant(QDate(2026, 11, 5));
        QTest::newRow("Sí") << 4 << QVariant("Sí") << QVariant(true);
        QTest::newRow("n") << 4 << QVariant("n") << QVariant(false);
    }
    void roundTrip()
    {
        QFETCH(int, field);
        QFETCH(QVariant, value);
        QFETCH(QVariant, read);
        const QString path = freshTable();
        {
            Recordset rs(DbfTable::open(path));
            rs.AddNew();
            rs.setValue(field, value);
            rs.Update();
        }
        QCOMPARE(Recordset(DbfTable::open(path)).value(field), read);
    }

    void everySpellingOfALogical()
    {
        const QString path = freshTable();
        appendTexts(path, QString("abcdefghij").split(QString(), Qt::SkipEmptyParts));
        QByteArray file = readAll(path);
        const QByteArray spellings("TtYyFfNn? ");
        for (int i = 0; i < spellings.size(); ++i)
            file[kMixedHeader + (i + 1) * kMixedRecord - 1] = spellings[i];
        writeAll(path, file);
        Recordset rs(DbfTable::open(path));
        QList<QVariant> seen;
        for (; !rs.Eof(); rs.MoveNext())
            seen.append(rs.value(4));
        QCOMPARE(seen, (QList<QVariant>{true, true, true, true, false, false, false, false, QVariant(), QVariant()}));
    }

    void refused_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("14 characters in 13") << 0 << QVariant("12345678901234");
        QTest::newRow("not in Windows-1252") << 0 << QVariant("中文");
        QTest::newRow("8 digits + 5 decimals in 12") << 1 << QVariant(12345678.5);
        QTest::newRow("not a number") << 1 << QVariant("12a");
        QTest::newRow("infinity") << 1 << QVariant(std::numeric_limits<double>::infinity());
        QTest::newRow("4 digits in 3") << 2 << QVariant(1000);
        QTest::newRow("no such date") << 3 << QVariant("31/02/2026");
        QTest::newRow("not a logical") << 4 << QVariant("quizá");
    }
    void refused()
    {
        QFETCH(int, field);
        QFETCH(QVariant, value);
        const QString path = makeTable(dir_, QStringLiteral("EMPRESAS%1.dbf").arg(++serial_));
        appendTexts(path, {QStringLiteral("ORIGINAL")});
        const QByteArray before = readAll(path);
        {
            Recordset rs(DbfTable::open(path));
            rs.Edit();
            try {
                rs.setValue(field, value);
                QFAIL("accepted");
            } catch (const StoreError &e) {
                QVERIFY2(e.message().contains(QLatin1String("EMPRESAS")), qPrintable(e.message()));
                QVERIFY2(e.message().contains(rs.fieldName(field)), qPrintable(e.message()));
            }
            QCOMPARE(rs.value(0), QVariant(QStringLiteral("ORIGINAL"))); // the edit buffer is untouched
            rs.Update();
        }
        QCOMPARE(readAll(path).mid(8), before.mid(8)); // only the update date may differ
    }

    void codePagesDecodeAndEncodeByTheHeaderMark()
    {
        const QString path = freshTable();
        QCOMPARE(uchar(readAll(path).at(29)), uchar(0x03)); // files we create say Windows-1252
        appendTexts(path, {QStringLiteral("AÑO CAFÉ €")});
        QByteArray file = readAll(path);
        QCOMPARE(file.mid(kMixedHeader + 1, 10), QByteArray("A\xD1O CAF\xC9 \x80"));

        // The same record read under code page 850 and 437 marks.
        const QByteArray oem("A\xA5O CAF\x90  ");
        file.replace(kMixedHeader + 1, oem.size(), oem);
        for (const uchar mark : {uchar(0x02), uchar(0x01)}) {
            file[29] = char(mark);
            writeAll(path, file);
            Recordset rs(DbfTable::open(path));
            QCOMPARE(rs.value(0), QVariant(QStringLiteral("AÑO CAFÉ")));
            rs.Edit();
            QVERIFY_THROWS_EXCEPTION(StoreError, rs.setValue(0, QStringLiteral("€"))); // no euro in 850 or 437
            rs.setValue(0, QStringLiteral("ÉL"));
            rs.Update();
            QCOMPARE(readAll(path).mid(kMixedHeader + 1, 2), QByteArray("\x90L"));
        }
        file[29] = char(0x65); // Nordic 865: not a code page we know
        writeAll(path, file);
        QVERIFY_THROWS_EXCEPTION(StoreError, DbfTable::open(path));
    }

    void foxProMemoTablesOpenAndKeepTheirMemos_data()
    {
        QTest::addColumn<int>("version");
        QTest::newRow("dBASE III with memo") << 0x83;
        QTest::newRow("FoxPro 2 with memo") << 0xF5;
    }
    void foxProMemoTablesOpenAndKeepTheirMemos()
    {
        QFETCH(int, version);
        // NOMBRE C5, NOTAS M10, PESO F8.2: one record whose memo points at block 7.
        QByteArray file(32, '\0');
        file[0] = char(version);
        file[4] = 1;
        file[8] = char(32 + 3 * 32 + 1);
        file[10] = char(1 + 5 + 10 + 8);
        file[29] = 0x03;
        for (const auto &[name, type, length, decimals] :
             {std::tuple{"NOMBRE", 'C', 5, 0}, std::tuple{"NOTAS", 'M', 10, 0}, std::tuple{"PESO", 'F', 8, 2}}) {
            QByteArray d(32, '\0');
            d.replace(0, int(qstrlen(name)), name);
            d[11] = type;
            d[16] = char(length);
            d[17] = char(decimals);
            file += d;
        }
        file += QByteArray("\r CAFE          7    2.50\x1A");
        const QString path = dir_.filePath(QStringLiteral("memo%1.dbf").arg(version));
        writeAll(path, file);

        Recordset rs(DbfTable::open(path));
        QCOMPARE(rs.value(0), QVariant(QStringLiteral("CAFE")));
        QVERIFY(!rs.Fields(QStringLiteral("notas")).Value().isValid());
        QCOMPARE(rs.value(2), QVariant(2.5));
        rs.Edit();
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.setValue(1, QStringLiteral("texto")));
        rs.setValue(0, QStringLiteral("TE"));
        rs.setValue(2, 3.126);
        rs.Update();
        const QByteArray after = readAll(path);
        QCOMPARE(uchar(after[0]), uchar(version));
        QCOMPARE(after.mid(32 + 3 * 32 + 1, 24), QByteArray(" TE            7    3.13"));
    }

    void writesStampTheHeader()
    {
        const QString path = freshTable();
        QByteArray file = readAll(path);
        file.replace(1, 3, QByteArray("\x50\x01\x01", 3)); // 1980-01-01
        writeAll(path, file);
        appendTexts(path, {QStringLiteral("X"), QStringLiteral("Y")});
        file = readAll(path);
        const QDate today = QDate::currentDate();
        QCOMPARE(QDate(int(uchar(file[1])) + 1900, uchar(file[2]), uchar(file[3])), today);
        QCOMPARE(file.back(), char(0x1A)); // end-of-file mark after the last record
    }
    // A number as stored is read exactly as the general parser reads it,
    // whether the quick way or not.
    void storedNumbers_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("isNull");
        for (const char *text : {"   1234.50000", "  -0.00001", "0.1", "5.", "-0", "+12.5", "000123",
                                 "123456789012.12345", "9007199254740993", "1234567890123456789",
                                 "0.30000000000000004", "99999999999999999999"})
            QTest::newRow(text) << QByteArray(text) << false;
        for (const char *text : {"     ", "1.2.3", "12a", ".", "-", "*****", "1 2", "nan", "-inf", "1e308",
                                 "9e999", "1E5", "0x1F", "+-1", "- 5", "12345678901234567890e5"})
            QTest::newRow(text) << QByteArray(text) << true;
    }
    void storedNumbers()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, isNull);
        const FieldDef field{QStringLiteral("N"), 'N', int(stored.size()), 5, 0};
        bool null = false;
        const double read = FieldCodec::decodeNumber(field, stored.constData(), &null);
        QCOMPARE(null, isNull);
        if (!isNull) {
            const QByteArray plain = stored.trimmed().startsWith('+') ? stored.trimmed().mid(1) : stored.trimmed();
            double expected = 0;
            std::from_chars(plain.constData(), plain.constData() + plain.size(), expected);
            QCOMPARE(read, expected);
            QCOMPARE(std::signbit(read), std::signbit(expected));
        }
    }
};

QUELVAR_TEST_CLASS(TestFieldValues)
#include "test_field_values.moc"
