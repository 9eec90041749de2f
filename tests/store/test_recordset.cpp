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

    QString countries()
    {
        const QString path = dir_.filePath(QStringLiteral("Paises%1.dbf").arg(++serial_));
        DbfTable::create(path, {charField(QStringLiteral("CLAVE"), 3), charField(QStringLiteral("DESCRIPCIO"), 40)});
        Recordset rs(DbfTable::open(path));
        const QStringList names{QStringLiteral("ALEMANIA"), QStringLiteral("CANADA"), QStringLiteral("CAMERUN"),
                                QStringLiteral("ESTADOS UNIDOS DE AMERICA"), QStringLiteral("O'HIGGINS")};
        for (const QString &n : names) {
            rs.AddNew();
            rs.Fields(QStringLiteral("clave")).setValue(n.left(3));
            rs.Fields(QStringLiteral("Descripcio")).setValue(n);
            rs.Update();
        }
        return path;
    }
    int serial_ = 0;

private slots:
    void emptySetIsAtTheEnd()
    {
        const QString path = makeTable(dir_, QStringLiteral("empty.dbf"));
        Recordset rs(DbfTable::open(path));
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
    }

    void walkCountAndPositions()
    {
        const QString path = makeTable(dir_, QStringLiteral("walk.dbf"));
        appendTexts(path, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        Recordset rs(DbfTable::open(path));
        QVERIFY(!rs.Eof());
        QCOMPARE(rs.value(0), QVariant(QStringLiteral("A"))); // opens on the first record
        QCOMPARE(walk(rs), (QStringList{"A", "B", "C"}));
        QVERIFY(rs.Eof());
        rs.MoveNext(); // past the end stays at the end
        QVERIFY(rs.Eof());
        rs.MoveLast();
        QCOMPARE(rs.value(0), QVariant(QStringLiteral("C")));
        QCOMPARE(rs.RecordCount(), 3L);
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.Fields(QStringLiteral("NOEXISTE")));
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.Fields(9));
    }

    void addNewBecomesCurrentAndEditRewrites()
    {
        const QString path = makeTable(dir_, QStringLiteral("edit.dbf"));
        Recordset rs(DbfTable::open(path));
        QVERIFY(rs.Eof());
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
        QCOMPARE(again.value(0), QVariant(QStringLiteral(" ABC010101XY1")));
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
        QCOMPARE(rs.value(1), QVariant(QStringLiteral("CAMERUN")));

        Recordset other(DbfTable::open(path));
        QCOMPARE(other.RecordCount(), 4L);
        QCOMPARE(walk(other), (QStringList{"ALE", "CAM", "EST", "O'H"}));
        other.FindFirst(QStringLiteral("descripcio Like 'CAN*'"));
        QVERIFY(other.NoMatch());
        other.moveToRow(1);
        QCOMPARE(other.value(1), QVariant(QStringLiteral("CAMERUN")));
        QCOMPARE(other.currentRow(), 1);
    }

    void findFirstByPrefix()
    {
        Recordset rs(DbfTable::open(countries()));
        rs.FindFirst(QStringLiteral("descripcio Like 'ca*'"));
        QVERIFY(!rs.NoMatch());
        QCOMPARE(rs.value(1), QVariant(QStringLiteral("CANADA"))); // first in table order, any case
        rs.FindFirst(QStringLiteral("DESCRIPCIO Like 'Cam*'"));
        QCOMPARE(rs.value(1), QVariant(QStringLiteral("CAMERUN")));
        rs.FindFirst(QStringLiteral("descripcio Like '*'"));
        QCOMPARE(rs.value(1), QVariant(QStringLiteral("ALEMANIA"))); // empty text: the first record
        rs.FindFirst(QStringLiteral("descripcio Like 'O'HI*'")); // a quote typed by the user
        QCOMPARE(rs.value(1), QVariant(QStringLiteral("O'HIGGINS")));
        rs.FindFirst(QStringLiteral("clave Like 'zz*'"));
        QVERIFY(rs.NoMatch());
        QCOMPARE(rs.value(1), QVariant(QStringLiteral("O'HIGGINS"))); // no match leaves the record
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
        Recordset again(DbfTable::open(path));
        QVERIFY(again.Eof());
        // The records stay in the file, marked deleted.
        QCOMPARE(headerCount(readAll(path)), 5u);
    }

    void secondHandleAppendsAfterTheFirst()
    {
        const QString path = makeTable(dir_, QStringLiteral("two.dbf"));
        Recordset a(DbfTable::open(path));
        Recordset b(DbfTable::open(path));
        a.AddNew();
        a.setValue(0, QStringLiteral("A"));
        a.Update();
        b.AddNew();
        b.setValue(0, QStringLiteral("B"));
        b.Update();
        Recordset c(DbfTable::open(path));
        QCOMPARE(walk(c), (QStringList{"A", "B"}));
    }

    void closedSetRefusesWork()
    {
        Recordset rs(DbfTable::open(countries()));
        rs.Close();
        QVERIFY(!rs.isOpen());
        QVERIFY(rs.Eof());
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.MoveFirst());
    }
};

QUELVAR_TEST_CLASS(TestRecordset)
#include "test_recordset.moc"
