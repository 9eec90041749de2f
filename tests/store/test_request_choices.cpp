// The folio field and its parts, and the refund type kept beside the
// tables of a request folder.
#include "table_files.h"
#include "test_registry.h"

#include "store/request_choices.h"
#include "store/store_error.h"

#include <QDir>
#include <QTest>

using namespace RequestChoices;

class TestRequestChoices : public QObject {
    Q_OBJECT
private slots:
    void folio_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("numberRead");
        QTest::newRow("whole") << "1234" << "2025" << "12342025" << "1234";
        QTest::newRow("short number") << "12" << "2024" << "00122024" << "0012";
        QTest::newRow("no number") << "" << "2024" << "    2024" << "";
        QTest::newRow("no year") << "12" << "" << "0012" << "0012";
        QTest::newRow("nothing") << "" << "" << "" << "";
    }
    void folio()
    {
        QFETCH(QString, number);
        QFETCH(QString, year);
        QFETCH(QString, stored);
        QFETCH(QString, numberRead);
        QCOMPARE(RequestChoices::folio(number, year), stored);
        const FolioParts parts = splitFolio(stored);
        QCOMPARE(parts.number, numberRead);
        QCOMPARE(parts.year, year);
    }

    void refundTypeBesideTheTables()
    {
        QTemporaryDir dir;
        const QString folder = dir.path();
        QCOMPARE(readRefundType(folder), QString());
        writeRefundType(folder, QStringLiteral("M"));
        QCOMPARE(readRefundType(folder), QStringLiteral("M"));
        writeRefundType(folder, QString());
        QCOMPARE(readRefundType(folder), QString());
        writeRefundType(folder, QStringLiteral("P"));
        // Only the file itself: no scratch copy is left beside it.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{".quelvar.devolucion"});
        removeRefundType(folder);
        QCOMPARE(readRefundType(folder), QString());
        removeRefundType(folder); // nothing to remove is no failure

        // A file that names no refund type names none.
        writeAll(refundTypeFile(folder), "T\n");
        QCOMPARE(readRefundType(folder), QString());

        QVERIFY_THROWS_EXCEPTION(StoreError, writeRefundType(dir.filePath("no-such-folder"), QStringLiteral("M")));
    }
};

QUELVAR_TEST_CLASS(TestRequestChoices)
#include "test_request_choices.moc"
