// The request folder a deployment ships: table layouts, catalogues and the
// quelvar-tablas tool.

#include "table_files.h"
#include "test_registry.h"

#include "store/request_folder.h"
#include "store/request_schema.h"
#include "store/store_error.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestRequestFolder : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString folder_;

    // Runs quelvar-tablas; returns its exit code, *out gets its output.
    static int tool(const QStringList &args, QString *out = nullptr)
    {
        QProcess p;
        p.start(QStringLiteral(QUELVAR_TOOLS_DIR "/quelvar-tablas"), args);
        p.waitForFinished();
        if (out)
            *out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

private slots:
    void initTestCase()
    {
        folder_ = dir_.filePath(QStringLiteral("solicitud"));
        RequestFolder::create(folder_, QStringLiteral(QUELVAR_DATA_DIR));
        QVERIFY(RequestFolder::holdsRequest(folder_));
    }

    void cataloguesHoldTheirSourcesExactly()
    {
        // Shown back as CSV, each catalogue table is its UTF-8 source line for line.
        for (const TableSchema &t : RequestSchema::catalogueTables()) {
            QFile source(QDir(QStringLiteral(QUELVAR_DATA_DIR)).filePath(t.source));
            QVERIFY(source.open(QIODevice::ReadOnly));
            QCOMPARE(RequestFolder::toCsv(QDir(folder_).filePath(t.file)), QString::fromUtf8(source.readAll()));
        }
    }

    void existingTablesAreNeverOverwritten()
    {
        const QString estados = QDir(folder_).filePath(QStringLiteral("Estados.dbf"));
        const QByteArray before = readAll(estados);
        QVERIFY_THROWS_EXCEPTION(StoreError, RequestFolder::create(folder_, QStringLiteral(QUELVAR_DATA_DIR)));
        QVERIFY_THROWS_EXCEPTION(StoreError, DbfTable::create(estados, {charField(QStringLiteral("X"), 1)}));
        QCOMPARE(readAll(estados), before);
        QCOMPARE(QDir(folder_).entryList(QDir::Files | QDir::Hidden).size(), 11); // no scratch file left

        // One table of another case is enough to refuse, and nothing is added.
        const QString other = dir_.filePath(QStringLiteral("otra"));
        QDir().mkpath(other);
        DbfTable::create(QDir(other).filePath(QStringLiteral("IMPTLC.DBF")), {charField(QStringLiteral("X"), 1)});
        QVERIFY_THROWS_EXCEPTION(StoreError, RequestFolder::create(other, QStringLiteral(QUELVAR_DATA_DIR)));
        QCOMPARE(QDir(other).entryList(QDir::Files | QDir::Hidden | QDir::AllDirs | QDir::NoDotAndDotDot).size(), 1);

        // A broken catalogue source leaves no table behind.
        const QString empty = dir_.filePath(QStringLiteral("sin-datos"));
        QVERIFY_THROWS_EXCEPTION(StoreError, RequestFolder::create(empty, dir_.filePath(QStringLiteral("nada"))));
        QCOMPARE(QDir(empty).entryList(QDir::Files | QDir::AllDirs | QDir::Hidden | QDir::NoDotAndDotDot).size(), 0);
    }

    void toolMakesAndShowsTables()
    {
        const QString made = dir_.filePath(QStringLiteral("hecha"));
        const QString empresas = QDir(made).filePath(QStringLiteral("empresas.dbf"));
        QString out;
        QCOMPARE(tool({QStringLiteral("crear"), made}), 0);
        QCOMPARE(tool({QStringLiteral("crear"), made}, &out), 1);
        QVERIFY(out.contains(QLatin1String("no se sobrescriben")));

        // A record with a leading blank, an accent, a comma, a null and a
        // deleted neighbour.
        {
            Recordset rs(DbfTable::open(empresas));
            for (const char *name : {"BORRADA", "PEÑA, S.A."}) {
                rs.AddNew();
                rs.Fields(QStringLiteral("NOMBRE")).setValue(QString::fromUtf8(name));
                rs.Fields(QStringLiteral("RFC")).setValue(QStringLiteral(" PEN010101AB1"));
                rs.Fields(4).setValue(9);
                rs.Update();
            }
            rs.MoveFirst();
            rs.Delete();
        }
        QCOMPARE(tool({QStringLiteral("mostrar"), empresas}, &out), 0);
        const QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith(QLatin1String("NOMBRE,RFC,DIRECCION1,COLONIA,ESTADO,")));
        QVERIFY2(lines[1].startsWith(QStringLiteral("\"PEÑA, S.A.\",\" PEN010101AB1\",,,9,")), qPrintable(lines[1]));

        QCOMPARE(tool({QStringLiteral("mostrar"), QDir(made).filePath(QStringLiteral("nada.dbf"))}), 1);
        QCOMPARE(tool({QStringLiteral("otra-cosa")}), 2);
    }
};

QUELVAR_TEST_CLASS(TestRequestFolder)
#include "test_request_folder.moc"
