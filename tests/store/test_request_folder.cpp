// The request folder: the tables a new one is made of, the quelvar-tablas
// tool that makes and shows them, and the folio's parts kept in them.

#include "table_files.h"
#include "test_registry.h"

#include "store/request_choices.h"
#include "store/request_folder.h"
#include "store/request_schema.h"
#include "store/store_error.h"

#include <QDir>
#include <QProcess>
#include <QTest>

namespace {

// quelvar-tablas with the arguments: its exit code and, in *out, its output.
int tool(const QStringList &args, QString *out = nullptr)
{
    QProcess p;
    p.start(QStringLiteral(QUELVAR_TOOLS_DIR "/quelvar-tablas"), args);
    p.waitForFinished();
    if (out)
        *out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class TestRequestFolder : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void madeOnceFromItsSources()
    {
        const QString folder = dir_.filePath(QStringLiteral("solicitud"));
        QCOMPARE(tool({QStringLiteral("crear"), folder}), 0);
        QVERIFY(RequestFolder::holdsRequest(folder));
        // Each request table as made meets every use the program makes of its fields.
        for (const TableSchema &t : RequestSchema::requestTables()) {
            const std::unique_ptr<DbfTable> table = DbfTable::open(QDir(folder).filePath(t.file));
            QList<FieldDef> fields;
            for (int f = 0; f < table->fieldCount(); ++f)
                fields << table->field(f);
            QCOMPARE(RequestSchema::unmetUse(RequestSchema::fieldUses(t.file), fields), QString());
        }
        // Each catalogue, shown as CSV, is its UTF-8 source line for line.
        for (const TableSchema &t : RequestSchema::catalogueTables())
            QCOMPARE(RequestFolder::toCsv(QDir(folder).filePath(t.file)),
                     QString::fromUtf8(readAll(QDir(QStringLiteral(QUELVAR_DATA_DIR)).filePath(t.source))));

        // Existing tables are never overwritten, and nothing is left beside them.
        const QStringList made = entries(folder);
        const QByteArray estados = readAll(QDir(folder).filePath(QStringLiteral("Estados.dbf")));
        QString out;
        QCOMPARE(tool({QStringLiteral("crear"), folder}, &out), 1);
        QVERIFY2(out.contains(QLatin1String("no se sobrescriben")), qPrintable(out));
        QVERIFY_THROWS_EXCEPTION(StoreError, DbfTable::create(QDir(folder).filePath(QStringLiteral("Estados.dbf")),
                                                              {charField(QStringLiteral("X"), 1)}));
        QCOMPARE(readAll(QDir(folder).filePath(QStringLiteral("Estados.dbf"))), estados);
        QCOMPARE(entries(folder), made);
        // One table, in another case, is enough to refuse.
        const QString other = dir_.filePath(QStringLiteral("otra"));
        QDir().mkpath(other);
        DbfTable::create(QDir(other).filePath(QStringLiteral("IMPTLC.DBF")), {charField(QStringLiteral("X"), 1)});
        QVERIFY_THROWS_EXCEPTION(StoreError, RequestFolder::create(other, QStringLiteral(QUELVAR_DATA_DIR)));
        QCOMPARE(entries(other), QStringList{"IMPTLC.DBF"});
        // A catalogue source with a broken record is named with it, and no table is left behind.
        const QDir data(dir_.filePath(QStringLiteral("datos")));
        QVERIFY(data.mkpath(QStringLiteral(".")));
        for (const TableSchema &t : RequestSchema::catalogueTables())
            writeAll(data.filePath(t.source), readAll(QStringLiteral(QUELVAR_DATA_DIR "/") + t.source)
                                                  + (t.source == QLatin1String("estados.csv") ? "99,UNO,DOS\n" : ""));
        const QString empty = dir_.filePath(QStringLiteral("sin-datos"));
        try {
            RequestFolder::create(empty, data.path());
            QFAIL("made");
        } catch (const StoreError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("3 columnas en su registro 33;")), qPrintable(e.message()));
        }
        QCOMPARE(entries(empty), QStringList());
    }

    // What quelvar-tablas shows is the table's CSV form, whole however long;
    // a header counting more records than the file holds is told apart.
    void toolShowsTables()
    {
        const QString folder = dir_.filePath(QStringLiteral("mostrar"));
        RequestFolder::create(folder, QStringLiteral(QUELVAR_DATA_DIR));
        const QString insupedi = QDir(folder).filePath(QStringLiteral("insupedi.dbf"));
        appendTexts(insupedi, {QStringLiteral("A1")});
        repeatFirstRecord(insupedi, 40000, QStringLiteral("NUM_DOCUME"));
        QByteArray ahead = readAll(insupedi);
        putLe32(ahead, 4, 40002);
        writeAll(insupedi, ahead);
        QString out;
        QCOMPARE(tool({QStringLiteral("mostrar"), insupedi}, &out), 3);
        QCOMPARE(out.count(u'\n'), 40002);
        QCOMPARE(out, RequestFolder::toCsv(insupedi)
                          + QStringLiteral("La tabla «%1» declara 40002 registros y el archivo sólo contiene 40000; se "
                                           "mostraron los registros que contiene.\n").arg(insupedi));
        QCOMPARE(tool({QStringLiteral("mostrar"), QDir(folder).filePath(QStringLiteral("nada.dbf"))}), 1);
        QCOMPARE(tool({QStringLiteral("otra-cosa")}), 2);
    }

    void folio_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("numberRead");
        QTest::newRow("short number") << "12" << "2024" << "00122024" << "0012";
        QTest::newRow("no number") << "" << "2024" << "    2024" << "";
        QTest::newRow("no year") << "12" << "" << "0012" << "0012";
    }
    void folio()
    {
        QFETCH(QString, number);
        QFETCH(QString, year);
        QFETCH(QString, stored);
        QFETCH(QString, numberRead);
        QCOMPARE(RequestChoices::folio(number, year), stored);
        QCOMPARE(RequestChoices::splitFolio(stored).number, numberRead);
        QCOMPARE(RequestChoices::splitFolio(stored).year, year);
    }

};

QUELVAR_TEST_CLASS(TestRequestFolder)
#include "test_request_folder.moc"
