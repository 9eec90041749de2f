// The record-set operations the window relies on: walking, counting,
// adding, editing, deleting and finding, with deleted records invisible.

#include "test_registry.h"
#include "table_files.h"

#include "store/store_error.h"

#include <QTest>

namespace {

QStringList walk(Recordset &rs)
{
    QStringList seen;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
        seen.append(rs.value(0).toString());
    return seen;
}

} // namespace

class TestRecordset : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    int serial_ = 0;

    // DESCRIPCIO C(40), CLAVE C(3), five countries; CLAVE left null.
    QString countries()
    {
        const QString path =
            makeTable(dir_, QStringLiteral("Paises%1.dbf").arg(++serial_),
                      {charField(QStringLiteral("DESCRIPCIO"), 40), charField(QStringLiteral("CLAVE"), 3)});
        appendTexts(path, {QStringLiteral("ALEMANIA"), QStringLiteral("CANADA"), QStringLiteral("CAMERUN"),
                           QStringLiteral("ESTADOS UNIDOS DE AMERICA"), QStringLiteral("O'HIGGINS")});
        return path;
    }

private slots:
    void emptyOrClosedSetIsAtTheEnd()
    {
        Recordset rs(DbfTable::open(makeTable(dir_, QStringLiteral("empty.dbf"))));
        QVERIFY(rs.Eof());
        QCOMPARE(rs.RecordCount(), 0L);
        rs.MoveFirst();
        rs.MoveLast();
        rs.MoveNext();
        QVERIFY(rs.Eof());
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.value(0));
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.Edit());
        EliminaRegistros(rs); // nothing to do
        QVERIFY(rs.Eof());

        Recordset closed(DbfTable::open(countries()));
        closed.Close();
        QVERIFY(!closed.isOpen());
        QVERIFY(closed.Eof());
        QVERIFY_THROWS_EXCEPTION(StoreError, closed.MoveFirst());
    }

    void walkCountAndPositions()
    {
        Recordset rs(DbfTable::open(countries()));
        QCOMPARE(rs.value(0), QVariant(QStringLiteral("ALEMANIA"))); // opens on the first record
        QCOMPARE(walk(rs).size(), 5);
        rs.MoveNext(); // past the end stays at the end
        QVERIFY(rs.Eof());
        rs.MoveLast();
        QCOMPARE(rs.value(0), QVariant(QStringLiteral("O'HIGGINS")));
        QCOMPARE(rs.RecordCount(), 5L);
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.Fields(QStringLiteral("NOEXISTE")));
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.Fields(9));
    }

    void addNewBecomesCurrentAndEditRewrites()
    {
        const QString path = makeTable(dir_, QStringLiteral("edit.dbf"));
        Recordset rs(DbfTable::open(path));
        rs.AddNew();
        rs.Fields(QStringLiteral("rfc")).setValue(QStringLiteral(" ABC010101XY1"));
        rs.Fields(QStringLiteral("Monto")).setValue(10.5);
        QCOMPARE(rs.Fields(QStringLiteral("RFC")).Value(), QVariant(QStringLiteral(" ABC010101XY1")));
        rs.Update();
        QVERIFY(!rs.Eof());
        QCOMPARE(rs.RecordCount(), 1L);

        rs.Edit();
        rs.Fields(1).setValue(20.25);
        rs.CancelUpdate();
        QCOMPARE(rs.value(1), QVariant(10.5));

        rs.Edit();
        rs.Fields(1).setValue(20.25);
        rs.Update();
        Recordset again(DbfTable::open(path));
        QCOMPARE(again.RecordCount(), 1L);
        QCOMPARE(again.value(1), QVariant(20.25));

        // Moving away drops an edit that was not updated; setting a field
        // outside an edit is refused.
        again.Edit();
        again.setValue(1, 99);
        again.MoveFirst();
        QCOMPARE(again.value(1), QVariant(20.25));
        QVERIFY_THROWS_EXCEPTION(StoreError, again.setValue(1, 1));
        QVERIFY_THROWS_EXCEPTION(StoreError, again.Update());
    }

    void deletedRecordsAreInvisible()
    {
        const QString path = countries();
        Recordset rs(DbfTable::open(path));
        rs.MoveNext();
        rs.Delete(); // CANADA
        QCOMPARE(rs.RecordCount(), 4L);
        rs.MoveNext();
        QCOMPARE(rs.value(0), QVariant(QStringLiteral("CAMERUN")));

        Recordset other(DbfTable::open(path));
        QCOMPARE(other.RecordCount(), 4L);
        QCOMPARE(walk(other), (QStringList{"ALEMANIA", "CAMERUN", "ESTADOS UNIDOS DE AMERICA", "O'HIGGINS"}));
        other.FindFirst(QStringLiteral("descripcio Like 'CAN*'"));
        QVERIFY(other.NoMatch());
        other.moveToRow(1);
        QCOMPARE(other.value(0), QVariant(QStringLiteral("CAMERUN")));
        QCOMPARE(other.currentRow(), 1);
    }

    void findFirstByPrefix()
    {
        Recordset rs(DbfTable::open(countries()));
        rs.FindFirst(QStringLiteral("descripcio Like 'ca*'"));
        QVERIFY(!rs.NoMatch());
        QCOMPARE(rs.value(0), QVariant(QStringLiteral("CANADA"))); // first in table order, any case
        rs.FindFirst(QStringLiteral("DESCRIPCIO Like 'Cam*'"));
        QCOMPARE(rs.value(0), QVariant(QStringLiteral("CAMERUN")));
        rs.FindFirst(QStringLiteral("descripcio Like '*'"));
        QCOMPARE(rs.value(0), QVariant(QStringLiteral("ALEMANIA"))); // empty text: the first record
        rs.FindFirst(QStringLiteral("descripcio Like 'O'HI*'")); // a quote typed by the user
        QCOMPARE(rs.value(0), QVariant(QStringLiteral("O'HIGGINS")));
        rs.FindFirst(QStringLiteral("clave Like 'zz*'"));
        QVERIFY(rs.NoMatch());
        QCOMPARE(rs.value(0), QVariant(QStringLiteral("O'HIGGINS"))); // no match leaves the record
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.FindFirst(QStringLiteral("nada = 1")));
    }

    void eliminaRegistrosDeletesEveryRecordFromAnywhere()
    {
        const QString path = countries();
        Recordset rs(DbfTable::open(path));
        rs.MoveLast();
        rs.MoveNext(); // at the end already
        EliminaRegistros(rs);
        QVERIFY(rs.Eof());
        QCOMPARE(rs.RecordCount(), 0L);
        QVERIFY(Recordset(DbfTable::open(path)).Eof());
        // The records stay in the file, marked deleted.
        QCOMPARE(headerCount(readAll(path)), 5u);
    }
};

QUELVAR_TEST_CLASS(TestRecordset)
#include "test_recordset.moc"
