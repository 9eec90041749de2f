// The record set the window works through: walking, adding, editing,
// deleting and finding, with deleted records invisible.

#include "table_files.h"
#include "test_registry.h"

#include "store/store_error.h"

#include <QTest>

class TestRecordset : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    // DESCRIPCIO C(40), CLAVE C(3): five countries after a deleted record.
    QString countries()
    {
        static int serial = 0;
        const QString path =
            makeTable(dir_, QStringLiteral("Paises%1.dbf").arg(++serial),
                      {charField(QStringLiteral("DESCRIPCIO"), 40), charField(QStringLiteral("CLAVE"), 3)});
        appendTexts(path, {"CAMBOYA", "ALEMANIA", "CANADA", "CAMERUN", "ESTADOS UNIDOS DE AMERICA", "O'HIGGINS"});
        Recordset rs(DbfTable::open(path));
        rs.Delete();
        return path;
    }

private slots:
    // A find by prefix from ESTADOS UNIDOS: the first live record in table
    // order, in any case; no match leaves the record where it was.
    void findFirst_data()
    {
        QTest::addColumn<QString>("criterion");
        QTest::addColumn<QString>("found"); // "!" refused
        QTest::addColumn<int>("row");
        QTest::newRow("any case, first") << "descripcio Like 'ca*'" << "CANADA" << 1;
        QTest::newRow("longer prefix") << "DESCRIPCIO Like 'Cam*'" << "CAMERUN" << 2;
        QTest::newRow("empty prefix") << "descripcio Like '*'" << "ALEMANIA" << 0;
        QTest::newRow("quote typed") << "descripcio Like 'O'HI*'" << "O'HIGGINS" << 4;
        QTest::newRow("only the deleted") << "descripcio Like 'camb*'" << "" << 3;
        QTest::newRow("null field") << "clave Like 'zz*'" << "" << 3;
        QTest::newRow("no such field") << "nada = 1" << "!" << 3;
    }
    void findFirst()
    {
        QFETCH(QString, criterion);
        QFETCH(QString, found);
        QFETCH(int, row);
        Recordset rs(DbfTable::open(countries()));
        rs.moveToRow(3);
        if (found == QLatin1String("!"))
            QVERIFY_THROWS_EXCEPTION(StoreError, rs.FindFirst(criterion));
        else
            rs.FindFirst(criterion);
        QCOMPARE(rs.NoMatch(), found.isEmpty());
        QCOMPARE(rs.value(0), QVariant(found.size() > 1 ? found : QStringLiteral("ESTADOS UNIDOS DE AMERICA")));
        QCOMPARE(rs.currentRow(), row);
    }

    void editing()
    {
        const QString path = countries();
        Recordset rs(DbfTable::open(path));
        QCOMPARE(rs.value(0), QVariant("ALEMANIA")); // opens on the first live record
        QCOMPARE(rs.RecordCount(), 5L);
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.Fields(QStringLiteral("NOEXISTE")));
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.setValue(1, "X")); // not editing
        rs.AddNew();
        rs.Fields(QStringLiteral("clave")).setValue("NUE");
        QCOMPARE(rs.Fields(QStringLiteral("CLAVE")).Value(), QVariant("NUE"));
        rs.Update();
        QCOMPARE(rs.currentRow(), 5); // the new record is the current one
        rs.Edit();
        rs.setValue(1, "CAN");
        rs.CancelUpdate();
        QCOMPARE(rs.value(1), QVariant("NUE"));
        rs.Edit();
        rs.setValue(1, "OTR");
        rs.MoveFirst(); // moving away drops the edit
        rs.MoveLast();
        QCOMPARE(rs.value(1), QVariant("NUE"));
        rs.moveToRow(1);
        rs.Delete(); // CANADA
        rs.MoveNext();
        QCOMPARE(rs.value(0), QVariant("CAMERUN"));
        rs.Edit();
        rs.setValue(1, "CMR");
        rs.Update();

        Recordset other(DbfTable::open(path));
        QCOMPARE(other.RecordCount(), 5L);
        QStringList seen;
        for (other.MoveFirst(); !other.Eof(); other.MoveNext())
            seen.append(other.value(0).toString());
        QCOMPARE(seen, (QStringList{"ALEMANIA", "CAMERUN", "ESTADOS UNIDOS DE AMERICA", "O'HIGGINS", QString()}));
        other.moveToRow(1);
        QCOMPARE(other.value(1), QVariant("CMR"));
        other.MoveLast();
        other.MoveNext(); // deleting all works from the end as well
        EliminaRegistros(other);
        QVERIFY(other.Eof());
        QCOMPARE(other.RecordCount(), 0L);
        QVERIFY_THROWS_EXCEPTION(StoreError, other.Edit());
        QCOMPARE(headerCount(readAll(path)), 7u); // marked deleted, still in the file
    }

    // The first count of a large table says how far it got, and a cancel
    // leaves the set unread: the next count reads it whole.
    void readingProgress()
    {
        const QString path = makeTable(dir_, QStringLiteral("grande.dbf"), {charField(QStringLiteral("CLAVE"), 3)});
        auto table = DbfTable::open(path);
        table->appendRecords(QList<QByteArray>(150000, QByteArray(" A1 ")));
        Recordset rs(std::move(table));
        QList<quint32> told;
        Recordset::setReadingProgress([&](const QString &name, quint32 done, quint32 total) {
            told.append(done);
            return name == u"grande" && total == 150000 && done < 100000;
        });
        QVERIFY_THROWS_EXCEPTION(Recordset::ReadingStopped, rs.RecordCount());
        QCOMPARE(told, (QList<quint32>{0, 32768, 65536, 98304, 131072}));
        Recordset::setReadingProgress({});
        QCOMPARE(rs.RecordCount(), 150000L);
    }
};

QUELVAR_TEST_CLASS(TestRecordset)
#include "test_recordset.moc"
