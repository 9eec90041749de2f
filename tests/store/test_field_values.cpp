// Values of every field kind, as written to and read from the table file.

#include "table_files.h"

#include "store/store_error.h"

#include <QDate>

class TestFieldValues : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    QVariant roundTrip(int field, const QVariant &value)
    {
        const QString path = makeTable(dir_, QStringLiteral("t%1.dbf").arg(++serial_));
        {
            Recordset rs(DbfTable::open(path));
            rs.AddNew();
            rs.setValue(field, value);
            rs.Update();
        }
        Recordset rs(DbfTable::open(path));
        return rs.value(field);
    }
    int serial_ = 0;

private slots:
    void textKeepsLeadingBlanksAndLosesPad()
    {
        QCOMPARE(roundTrip(0, QStringLiteral(" ABC010101XY1")), QVariant(QStringLiteral(" ABC010101XY1")));
        QCOMPARE(roundTrip(0, QStringLiteral("ÑANDÚ  ")), QVariant(QStringLiteral("ÑANDÚ")));
        // All blanks is no value at all, apart from 0 and from text.
        QVERIFY(!roundTrip(0, QStringLiteral("   ")).isValid());
        QVERIFY(!roundTrip(0, QVariant()).isValid());
    }

    void numbersNullZeroAndDecimals()
    {
        QCOMPARE(roundTrip(1, 1234.5), QVariant(1234.5));
        QCOMPARE(roundTrip(1, 0.0), QVariant(0.0));
        QVERIFY(!roundTrip(1, QVariant()).isValid());
        QVERIFY(!roundTrip(1, QString()).isValid());
        QCOMPARE(roundTrip(1, -0.000001), QVariant(0.0)); // rounds to the field's decimals, no "-0"
        QCOMPARE(roundTrip(1, QStringLiteral("1,234.56789")), QVariant(1234.56789));
        QCOMPARE(roundTrip(2, 16), QVariant(16.0));

        // Written right-aligned with the field's decimals.
        const QString path = makeTable(dir_, QStringLiteral("raw.dbf"));
        {
            Recordset rs(DbfTable::open(path));
            rs.AddNew();
            rs.setValue(1, 1234.5);
            rs.setValue(2, 7);
            rs.Update();
        }
        const QByteArray file = readAll(path);
        const int headerLength = 32 + 5 * 32 + 1;
        QCOMPARE(file.mid(headerLength + 1 + 13, 12), QByteArray("  1234.50000"));
        QCOMPARE(file.mid(headerLength + 1 + 25, 3), QByteArray("  7"));
    }

    void datesAndFlags()
    {
        QCOMPARE(roundTrip(3, QDate(2024, 2, 29)), QVariant(QDate(2024, 2, 29)));
        QCOMPARE(roundTrip(3, QStringLiteral("05/11/2026")), QVariant(QDate(2026, 11, 5)));
        QVERIFY(!roundTrip(3, QVariant()).isValid());
        QCOMPARE(roundTrip(4, true), QVariant(true));
        QCOMPARE(roundTrip(4, false), QVariant(false));
        QCOMPARE(roundTrip(4, QStringLiteral("Sí")), QVariant(true));
        QCOMPARE(roundTrip(4, QStringLiteral("n")), QVariant(false));
        QVERIFY(!roundTrip(4, QVariant()).isValid());

        // Every spelling other writers use for a logical value.
        const QString path = makeTable(dir_, QStringLiteral("flags.dbf"));
        appendTexts(path, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
                           QStringLiteral("e"), QStringLiteral("f"), QStringLiteral("g"), QStringLiteral("h"),
                           QStringLiteral("i"), QStringLiteral("j")});
        QByteArray file = readAll(path);
        const int headerLength = 32 + 5 * 32 + 1, recordLength = 1 + 13 + 12 + 3 + 8 + 1;
        const QByteArray spellings("TtYyFfNn? ");
        for (int i = 0; i < spellings.size(); ++i)
            file[headerLength + i * recordLength + recordLength - 1] = spellings[i];
        writeAll(path, file);
        Recordset rs(DbfTable::open(path));
        QList<QVariant> seen;
        for (; !rs.Eof(); rs.MoveNext())
            seen.append(rs.value(4));
        QCOMPARE(seen, (QList<QVariant>{true, true, true, true, false, false, false, false, QVariant(), QVariant()}));
    }

    void valuesThatDoNotFitAreRefusedAndNothingIsWritten()
    {
        const QString path = makeTable(dir_, QStringLiteral("EMPRESAS.dbf"));
        appendTexts(path, {QStringLiteral("ORIGINAL")});
        const QByteArray before = readAll(path);
        const struct {
            int field;
            QVariant value;
        } refused[] = {
            {0, QStringLiteral("12345678901234")},   // 14 characters in 13
            {0, QStringLiteral("中文")},              // not in Windows-1252
            {1, 12345678.5},                          // 8 digits + 5 decimals in 12
            {1, QStringLiteral("12a")},
            {1, std::numeric_limits<double>::infinity()},
            {2, 1000},
            {3, QStringLiteral("31/02/2026")},
            {4, QStringLiteral("quizá")},
        };
        for (const auto &r : refused) {
            Recordset rs(DbfTable::open(path));
            rs.Edit();
            try {
                rs.setValue(r.field, r.value);
                QFAIL(qPrintable(QStringLiteral("accepted %1 in field %2").arg(r.value.toString()).arg(r.field)));
            } catch (const StoreError &e) {
                QVERIFY2(e.message().contains(QLatin1String("EMPRESAS")), qPrintable(e.message()));
                QVERIFY2(e.message().contains(rs.fieldName(r.field)), qPrintable(e.message()));
            }
            QCOMPARE(rs.value(0), QVariant(QStringLiteral("ORIGINAL"))); // the edit buffer is untouched
            rs.Update();
        }
        QCOMPARE(readAll(path).mid(8), before.mid(8)); // only the update date may differ
    }

    void codePagesDecodeAndEncodeByTheHeaderMark()
    {
        const QString path = makeTable(dir_, QStringLiteral("cp.dbf"));
        QCOMPARE(uchar(readAll(path).at(29)), uchar(0x03)); // files we create say Windows-1252
        appendTexts(path, {QStringLiteral("AÑO CAFÉ €")});
        QByteArray file = readAll(path);
        const int headerLength = 32 + 5 * 32 + 1;
        QCOMPARE(file.mid(headerLength + 1, 10), QByteArray("A\xD1O CAF\xC9 \x80"));

        // The same record read under code page 850 and 437 marks.
        const QByteArray oem("A\xA5O CAF\x90  ");
        file.replace(headerLength + 1, oem.size(), oem);
        for (const uchar mark : {uchar(0x02), uchar(0x01)}) {
            file[29] = char(mark);
            writeAll(path, file);
            Recordset rs(DbfTable::open(path));
            QCOMPARE(rs.value(0), QVariant(QStringLiteral("AÑO CAFÉ")));
            rs.Edit();
            QVERIFY_THROWS_EXCEPTION(StoreError, rs.setValue(0, QStringLiteral("€"))); // no euro in 850 or 437
            rs.setValue(0, QStringLiteral("ÉL"));
            rs.Update();
            QCOMPARE(readAll(path).mid(headerLength + 1, 2), QByteArray("\x90L"));
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
        const auto descriptor = [](const char *name, char type, int length, int decimals) {
            QByteArray d(32, '\0');
            d.replace(0, int(qstrlen(name)), name);
            d[11] = type;
            d[16] = char(length);
            d[17] = char(decimals);
            return d;
        };
        file += descriptor("NOMBRE", 'C', 5, 0) + descriptor("NOTAS", 'M', 10, 0) + descriptor("PESO", 'F', 8, 2);
        file += '\r';
        file += QByteArray(" CAFE          7    2.50") + char(0x1A);
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
        const QString path = makeTable(dir_, QStringLiteral("stamp.dbf"));
        QByteArray file = readAll(path);
        file[1] = char(80); // 1980-01-01
        file[2] = 1;
        file[3] = 1;
        writeAll(path, file);
        appendTexts(path, {QStringLiteral("X"), QStringLiteral("Y")});
        file = readAll(path);
        const QDate today = QDate::currentDate();
        QCOMPARE(headerCount(file), 2u);
        QCOMPARE(int(uchar(file[1])) + 1900, today.year());
        QCOMPARE(int(uchar(file[2])), today.month());
        QCOMPARE(int(uchar(file[3])), today.day());
        QCOMPARE(file.back(), char(0x1A)); // end-of-file mark after the last record
    }
};

QTEST_GUILESS_MAIN(TestFieldValues)
#include "test_field_values.moc"
