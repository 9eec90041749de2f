// Table files that do not hold together are refused on opening, naming the
// file and the fault; none crashes or reads part of its records silently. A
// header counting records the file does not hold (what a power cut during an
// append leaves) opens with the whole records and is repaired by a write.

#include "table_files.h"
#include "test_registry.h"

#include "store/store_error.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

void putLe16(QByteArray &b, int at, int v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}

} // namespace

class TestDamagedTables : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QByteArray good_; // five fields, three records
    static constexpr int kHeader = kMixedHeader, kRecord = kMixedRecord;

private slots:
    void initTestCase()
    {
        const QString path = makeTable(dir_, QStringLiteral("good.dbf"));
        appendTexts(path, {QStringLiteral("UNO"), QStringLiteral("DOS"), QStringLiteral("TRES")});
        good_ = readAll(path);
        QCOMPARE(good_.size(), kHeader + 3 * kRecord + 1);
    }

    void refusedOnOpening_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("fault");
        QByteArray b;

        QTest::newRow("empty file") << QByteArray() << QStringLiteral("menos que un encabezado");
        QTest::newRow("cut inside the header") << good_.left(100) << QStringLiteral("el encabezado declara");
        b = good_;
        b[0] = char(0x8B);
        QTest::newRow("dBASE IV version") << b << QStringLiteral("versión 0x8B");
        b = good_;
        putLe16(b, 8, 40);
        QTest::newRow("header too small for a field") << b << QStringLiteral("no alcanzan para un campo");
        b = good_;
        putLe16(b, 10, kRecord + 4);
        QTest::newRow("record length longer than fields") << b << QStringLiteral("no coincide");
        b = good_;
        putLe16(b, 10, kRecord - 4);
        QTest::newRow("record length shorter than fields") << b << QStringLiteral("sale del registro");
        b = good_;
        b[kHeader - 1] = 'X'; // terminator lost
        QTest::newRow("field list never ends") << b << QStringLiteral("sale del encabezado");
        b = good_;
        b[32 + 32 + 11] = 'Q';
        QTest::newRow("unknown field kind") << b << QStringLiteral("tipo no admitido");
        b = good_;
        b[32 + 3 * 32 + 16] = 9; // date of 9 bytes
        QTest::newRow("date of the wrong size") << b << QStringLiteral("debe ser 8");
        b = good_;
        b[32 + 32 + 16] = 0;
        QTest::newRow("field of length zero") << b << QStringLiteral("longitud");
        b = good_;
        b[32] = 0;
        QTest::newRow("field without a name") << b << QStringLiteral("no tiene nombre");
    }

    void refusedOnOpening()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fault);
        const QString path = dir_.filePath(QStringLiteral("damaged.dbf"));
        writeAll(path, bytes);
        try {
            DbfTable::open(path);
            QFAIL("a damaged table was opened");
        } catch (const StoreError &e) {
            QVERIFY2(e.message().contains(path), qPrintable(e.message()));
            QVERIFY2(e.message().contains(fault), qPrintable(e.message()));
        }
    }

    void randomDamageIsRefusedOrReadNeverCrashes()
    {
        // Bytes of the header and of the field list overwritten at random: each
        // file is either refused with a message or walked to its end.
        QRandomGenerator random(20261206);
        const QString path = dir_.filePath(QStringLiteral("random.dbf"));
        int refused = 0;
        for (int round = 0; round < 3000; ++round) {
            QByteArray b = good_;
            const int changes = 1 + int(random.bounded(4));
            for (int i = 0; i < changes; ++i)
                b[int(random.bounded(kHeader + 2))] = char(random.bounded(256));
            if (random.bounded(4) == 0)
                b.truncate(int(random.bounded(b.size())));
            writeAll(path, b);
            try {
                Recordset rs(DbfTable::open(path));
                for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
                    for (int f = 0; f < rs.fieldCount(); ++f)
                        rs.value(f);
                rs.RecordCount();
            } catch (const StoreError &e) {
                QVERIFY(e.message().contains(path));
                ++refused;
            }
        }
        QVERIFY(refused > 0);
    }

    void countSmallerThanTheDataReadsTheCountedRecords()
    {
        QByteArray b = good_;
        putLe32(b, 4, 2);
        const QString path = dir_.filePath(QStringLiteral("short.dbf"));
        writeAll(path, b);
        Recordset rs(DbfTable::open(path));
        QCOMPARE(rs.RecordCount(), 2L);
        rs.MoveLast();
        QCOMPARE(rs.value(0), QVariant(QStringLiteral("DOS")));
        // A new record takes the place after the counted ones.
        rs.AddNew();
        rs.setValue(0, QStringLiteral("NUEVO"));
        rs.Update();
        QCOMPARE(headerCount(readAll(path)), 3u);
        QCOMPARE(rs.value(0), QVariant(QStringLiteral("NUEVO")));

        writeAll(path, good_.chopped(1)); // a missing end mark is no fault
        QCOMPARE(Recordset(DbfTable::open(path)).RecordCount(), 3L);
    }

    void countAheadOpensWithWholeRecords_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<quint32>("declared");
        QTest::addColumn<QString>("write"); // append, edit or delete
        QByteArray b = good_.chopped(1);
        putLe32(b, 4, 4);
        QTest::newRow("appended record never arrived") << b << 4u << QStringLiteral("append");
        QTest::newRow("half of it arrived") << b + good_.mid(kHeader, kRecord / 2) << 4u << QStringLiteral("edit");
        putLe32(b, 4, 0xFFFFFFFFu);
        QTest::newRow("absurd count") << b + char(0x1A) << 0xFFFFFFFFu << QStringLiteral("delete");
    }

    void countAheadOpensWithWholeRecords()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(quint32, declared);
        QFETCH(QString, write);
        const QString path = dir_.filePath(QStringLiteral("ahead.dbf"));
        writeAll(path, bytes);
        {
            Recordset rs(DbfTable::open(path));
            QVERIFY(rs.table()->countAhead());
            QCOMPARE(rs.table()->countAheadText(),
                     QStringLiteral("declara %1 registros y el archivo sólo contiene 3").arg(declared));
            QCOMPARE(rs.RecordCount(), 3L);
            rs.MoveLast();
            QCOMPARE(rs.value(0), QVariant(QStringLiteral("TRES")));
            QCOMPARE(headerCount(readAll(path)), declared); // reading writes nothing

            rs.MoveFirst();
            if (write == QLatin1String("append")) {
                rs.AddNew();
                rs.setValue(0, QStringLiteral("CUATRO"));
                rs.Update();
            } else if (write == QLatin1String("edit")) {
                rs.Edit();
                rs.setValue(0, QStringLiteral("PRIMERO"));
                rs.Update();
            } else {
                rs.Delete();
            }
            QVERIFY(!rs.table()->countAhead());
        }
        const QByteArray after = readAll(path);
        const quint32 records = write == QLatin1String("append") ? 4 : 3;
        QCOMPARE(headerCount(after), records);
        const std::unique_ptr<DbfTable> reopened = DbfTable::open(path);
        QVERIFY(!reopened->countAhead());
        QCOMPARE(reopened->recordCount(), records);
    }
};

QUELVAR_TEST_CLASS(TestDamagedTables)
#include "test_damaged_tables.moc"
