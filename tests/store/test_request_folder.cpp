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

    // One record of raw field bytes, as any writer may leave them, shown as
    // its CSV line. Fields: TEXTO C(6), MONTO N(20,5), CLAVE N(3,0), FECHA D,
    // ANEXO L and NOTA, a memo reference (never shown).
    void showsEachKindOfValue_data()
    {
        QTest::addColumn<int>("codePageMark");
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QString>("line");
        const auto rec = [](const char *text, const char *number, const char *key, const char *date, char flag) {
            QByteArray r(" ");
            r += QByteArray(text, 6);
            r += QByteArray(number).rightJustified(20);
            r += QByteArray(key).rightJustified(3);
            r += QByteArray(date, 8);
            r += flag;
            r += QByteArray("         7");
            return r;
        };
        const int w1252 = 0x03;
        QTest::newRow("plain") << w1252 << rec("ABC   ", "1234.50000", "7", "20260301", 'T')
                               << QStringLiteral("ABC,1234.5,7,2026-03-01,T,");
        QTest::newRow("blanks are null") << w1252 << rec("      ", "", "", "        ", ' ') << QStringLiteral(",,,,,");
        QTest::newRow("leading blank quoted") << w1252 << rec(" AB   ", "-12.50000", "007", "09990101", 'y')
                                              << QStringLiteral("\" AB\",-12.5,7,0999-01-01,T,");
        QTest::newRow("comma and quote") << w1252 << rec("A,\"B  ", "+5.25", "-0", "20240229", 'n')
                                         << QStringLiteral("\"A,\"\"B\",5.25,0,2024-02-29,F,");
        QTest::newRow("line breaks") << w1252 << rec("A\nB\rC ", "-0.00000", "  0", "2026030 ", 'f')
                                     << QStringLiteral("\"A\nB\rC\",0,0,,F,");
        QTest::newRow("nul bytes") << w1252 << rec(QByteArray("A\0B\0\0\0", 6).constData(), ".5", "5.", "20230230", '?')
                                   << QString::fromUtf8("A\0B,0.5,5,,,", 12);
        QTest::newRow("point alone") << w1252 << rec("Z     ", "-.5", ".", "00000000", 'Y')
                                     << QStringLiteral("Z,-0.5,,,T,");
        QTest::newRow("not numbers") << w1252 << rec("Z     ", "1.2.3", "***", "2026 301", 'N')
                                     << QStringLiteral("Z,,,,F,");
        QTest::newRow("exponent, not a number") << w1252 << rec("Z     ", "1.5e3", "nan", "20261301", 't')
                                                << QStringLiteral("Z,,,,T,");
        QTest::newRow("infinity") << w1252 << rec("Z     ", "-inf", "1E2", "20260101", 'F')
                                  << QStringLiteral("Z,,,2026-01-01,F,");
        QTest::newRow("inner blank, sign alone") << w1252 << rec("Z     ", "- 5", "-", "20261301", 't')
                                                 << QStringLiteral("Z,,,,T,");
        QTest::newRow("zeros kept in place") << w1252 << rec("Z     ", "00100.01000", "100", "20261231", 'F')
                                             << QStringLiteral("Z,100.01,100,2026-12-31,F,");
        QTest::newRow("fifteen digits") << w1252 << rec("Z     ", "-1234567890.12345", "999", "20260101", 'T')
                                        << QStringLiteral("Z,-1234567890.12345,999,2026-01-01,T,");
        QTest::newRow("more digits than a double holds") << w1252
                                                         << rec("Z     ", "12345678901234.56789", "1", "20260101", 'T')
                                                         << QStringLiteral("Z,12345678901234.568,1,2026-01-01,T,");
        QTest::newRow("past 2^53") << w1252 << rec("Z     ", "9007199254740993", "1", "20260101", 'T')
                                   << QStringLiteral("Z,9007199254740992,1,2026-01-01,T,");
        QTest::newRow("small with many zeros") << w1252 << rec("Z     ", "0.00001", "1", "20260101", 'T')
                                               << QStringLiteral("Z,0.00001,1,2026-01-01,T,");
        QTest::newRow("large and round") << w1252 << rec("Z     ", "1000000000000000000", "1", "20260101", 'T')
                                         << QStringLiteral("Z,1000000000000000000,1,2026-01-01,T,");
        QTest::newRow("Windows-1252") << w1252 << rec("\xD1" "AND\xDA ", "1", "1", "20260101", 'T')
                                      << QStringLiteral("ÑANDÚ,1,1,2026-01-01,T,");
        QTest::newRow("850") << 0x02 << rec("\xA5" "AND\xE9 ", "1", "1", "20260101", 'T')
                             << QStringLiteral("ÑANDÚ,1,1,2026-01-01,T,");
        QTest::newRow("437") << 0x01 << rec("\xA4\x81\x9C   ", "1", "1", "20260101", 'T')
                             << QStringLiteral("ñü£,1,1,2026-01-01,T,");
    }
    void showsEachKindOfValue()
    {
        QFETCH(int, codePageMark);
        QFETCH(QByteArray, record);
        QFETCH(QString, line);
        const QString path = dir_.filePath(QStringLiteral("valores-%1.dbf").arg(QTest::currentDataTag()));
        QFile::remove(path);
        DbfTable::create(path, {charField(QStringLiteral("TEXTO"), 6), numField(QStringLiteral("MONTO"), 20, 5),
                                numField(QStringLiteral("CLAVE"), 3, 0), dateField(QStringLiteral("FECHA")),
                                flagField(QStringLiteral("ANEXO")), charField(QStringLiteral("NOTA"), 10)});
        QByteArray file = readAll(path);
        file[29] = char(codePageMark);
        file[32 + 5 * 32 + 11] = 'M'; // NOTA becomes a memo reference
        const int header = quint8(file[8]) | quint8(file[9]) << 8;
        file.truncate(header);
        // The record between two deleted ones.
        QByteArray deleted = record;
        deleted[0] = '*';
        file += deleted + record + deleted + char(0x1A);
        putLe32(file, 4, 3);
        writeAll(path, file);
        QCOMPARE(RequestFolder::toCsv(path), QStringLiteral("TEXTO,MONTO,CLAVE,FECHA,ANEXO,NOTA\n") + line + u'\n');
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

        // A table of many pieces of output comes out whole, as toCsv gives it.
        const QString insupedi = QDir(made).filePath(QStringLiteral("insupedi.dbf"));
        appendTexts(insupedi, {QStringLiteral("A1")});
        repeatFirstRecord(insupedi, 40000, QStringLiteral("NUM_DOCUME"));
        QCOMPARE(tool({QStringLiteral("mostrar"), insupedi}, &out), 0);
        QCOMPARE(out.count(u'\n'), 40001); // the header and every record
        QCOMPARE(out, RequestFolder::toCsv(insupedi));
        // One whose header counts two records more: shown whole, and told apart.
        QByteArray ahead = readAll(insupedi);
        putLe32(ahead, 4, 40002);
        writeAll(insupedi, ahead);
        QCOMPARE(tool({QStringLiteral("mostrar"), insupedi}, &out), 3);
        QCOMPARE(out, RequestFolder::toCsv(insupedi)
                          + QStringLiteral("La tabla «%1» declara 40002 registros y el archivo sólo contiene 40000; se "
                                           "mostraron los registros que contiene.\n")
                                .arg(insupedi));

        QCOMPARE(tool({QStringLiteral("mostrar"), QDir(made).filePath(QStringLiteral("nada.dbf"))}), 1);
        QCOMPARE(tool({QStringLiteral("otra-cosa")}), 2);
    }
};

QUELVAR_TEST_CLASS(TestRequestFolder)
#include "test_request_folder.moc"
