// The exchange medium's file work, on temporary folders: one table copied
// (its name, older copies, a medium that fails through the write seam), the
// read-back of an export, the checks of a table read from the medium, and a
// recovery's exchange of tables with its backups.
#include "folder_snapshot.h"
#include "python_dbf.h"
#include "table_files.h"
#include "test_registry.h"

#include "exchange/request_exchange.h"
#include "exchange/request_writer.h"
#include "exchange/unfinished_work.h"
#include "store/request_choices.h"
#include "store/request_schema.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/store_error.h"

#include <QDir>
#include <QTest>

#include <cerrno>
#include <unistd.h>

using namespace RequestExchange;

Q_DECLARE_METATYPE(QList<FieldDef>)

namespace {

QString messageOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const StoreError &e) {
        return e.message();
    }
    return {};
}

QStringList namesIn(const QString &folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

// What a program that dies part-way leaves: nothing after it runs.
struct Death {};

// Renames that stop, as a crash would, before the one of that number.
void dieAtRename(int number)
{
    auto done = std::make_shared<int>(0);
    setRenameFunction([done, number](const QByteArray &from, const QByteArray &to) -> int {
        if ((*done)++ == number)
            throw Death{};
        return ::rename(from.constData(), to.constData());
    });
}

} // namespace

class TestRequestExchange : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        setWriteFunction({});
        setRenameFunction({});
    }

    // A table goes under its exact name, an older copy in any case replaced
    // (here on a folder that tells cases apart), and nothing else is left.
    void copyByExactName()
    {
        RequestTables request;
        request.add(QStringLiteral("impTLC"), request.links.dtsImpTLC, {{{"PAIS_IMPOR", "CANADA"}}});
        QTemporaryDir medium;
        writeAll(medium.filePath(QStringLiteral("IMPTLC.DBF")), "older");
        writeAll(medium.filePath(QStringLiteral("impTLC.dbf")), "older still");
        copyTable(request.folder, medium.path(), QStringLiteral("impTLC.dbf"));
        QCOMPARE(namesIn(medium.path()), QStringList{QStringLiteral("impTLC.dbf")});
        QCOMPARE(readAll(medium.filePath(QStringLiteral("impTLC.dbf"))), request.bytes(QStringLiteral("impTLC")));
        QCOMPARE(findFile(medium.path(), QStringLiteral("IMPtlc.DBF")), medium.filePath(QStringLiteral("impTLC.dbf")));
    }

    // A medium that fails a write, fills up or writes in small pieces: the
    // copy names the file and the fault, and the older copy stays whole.
    void failingMedium_data()
    {
        QTest::addColumn<int>("room");  // bytes the medium takes before it fails; -1 never
        QTest::addColumn<int>("error"); // errno of the failing write; 0: a write of nothing
        QTest::addColumn<int>("piece"); // most bytes taken by one write
        QTest::addColumn<QString>("fault");
        const int whole = 1 << 20;
        QTest::newRow("fills up") << 100 << ENOSPC << whole << QStringLiteral("no queda espacio");
        QTest::newRow("takes nothing more") << 100 << 0 << whole << QStringLiteral("no queda espacio");
        QTest::newRow("input/output error")
            << 0 << EIO << whole
            << QStringLiteral("error de entrada o salida (el medio puede estar dañado o haberse retirado)");
        QTest::newRow("small pieces") << -1 << 0 << 7 << QString();
    }
    void failingMedium()
    {
        QFETCH(int, room);
        QFETCH(int, error);
        QFETCH(int, piece);
        QFETCH(QString, fault);
        RequestTables request;
        QTemporaryDir medium;
        writeAll(medium.filePath(QStringLiteral("solicitu.dbf")), "the older copy");
        qint64 taken = 0;
        setWriteFunction([&](const QString &, int fd, const char *data, qint64 size) -> qint64 {
            if (room >= 0 && taken + size > room) {
                errno = error;
                return error == 0 ? 0 : -1;
            }
            const qint64 n = ::write(fd, data, size_t(std::min<qint64>(size, piece)));
            taken += n;
            return n;
        });
        const QString message =
            messageOf([&] { copyTable(request.folder, medium.path(), QStringLiteral("solicitu.dbf")); });
        QCOMPARE(namesIn(medium.path()), QStringList{QStringLiteral("solicitu.dbf")}); // no temporary left
        if (fault.isEmpty()) {
            QCOMPARE(message, QString());
            QCOMPARE(readAll(medium.filePath(QStringLiteral("solicitu.dbf"))),
                     request.bytes(QStringLiteral("solicitu")));
            return;
        }
        QCOMPARE(message, QStringLiteral("No se pudo escribir «solicitu.dbf» en «%1»: %2.").arg(medium.path(), fault));
        QCOMPARE(readAll(medium.filePath(QStringLiteral("solicitu.dbf"))), QByteArray("the older copy"));
    }

    // The read-back finds a copy the medium keeps otherwise than written,
    // and a copy that is missing.
    void verification()
    {
        RequestTables request;
        QTemporaryDir medium;
        for (const QString &table : tables())
            copyTable(request.folder, medium.path(), fileOf(table));
        verifyCopies(request.folder, medium.path());

        QByteArray changed = readAll(medium.filePath(QStringLiteral("factura.dbf")));
        changed[40] = char(changed[40] ^ 0x20);
        writeAll(medium.filePath(QStringLiteral("factura.dbf")), changed);
        QCOMPARE(messageOf([&] { verifyCopies(request.folder, medium.path()); }),
                 QStringLiteral("La copia de «factura.dbf» en «%1» no es igual a la tabla de la solicitud "
                                "(difiere desde el byte 41).")
                     .arg(medium.path()));
        QVERIFY(QFile::remove(medium.filePath(QStringLiteral("factura.dbf"))));
        QVERIFY(
            messageOf([&] { verifyCopies(request.folder, medium.path()); }).contains(QStringLiteral("factura.dbf")));
    }

    // What a table read from the medium must be to replace the request's:
    // what the program uses of it, whatever else the deployment that wrote
    // it (python3-dbf here) chose.
    void tableFaults_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QList<FieldDef>>("fields"); // empty: the bytes below
        QTest::addColumn<QByteArray>("bytes");       // with fields: the record count put in the header
        QTest::addColumn<QString>("fault");          // empty: sound
        const QList<FieldDef> tlc = RequestSchema::find(QStringLiteral("impTLC"))->fields;
        QList<FieldDef> narrower = tlc;
        narrower[0].length = 40;
        QList<FieldDef> company = RequestSchema::find(QStringLiteral("empresas"))->fields;
        company[RequestSchema::kCompanyState].name = QStringLiteral("EDO");
        QList<FieldDef> goods = RequestSchema::find(QStringLiteral("insupedi"))->fields;
        for (FieldDef &f : goods)
            f = f.isNumeric() ? numField(f.name, 14, 2) : f;
        QList<FieldDef> request = RequestSchema::find(QStringLiteral("solicitu"))->fields;
        std::reverse(request.begin(), request.end());
        for (FieldDef &f : request)
            f = f.type == 'L' ? numField(f.name, 1, 0) : f;
        QList<FieldDef> swapped = goods, dateAsText = tlc, shortItem = tlc;
        swapped.swapItemsAt(1, 2);
        dateAsText[2] = charField(QStringLiteral("FECHA"), 8);
        shortItem[1].length = 6;
        const QByteArray none, header(10, 'x');
        QTest::newRow("ours") << "impTLC.dbf" << tlc << none << QString();
        QTest::newRow("the state under another name") << "empresas.dbf" << company << none << QString();
        QTest::newRow("a text the window does not limit, narrower") << "impTLC.dbf" << narrower << none << QString();
        QTest::newRow("amounts N(14,2)") << "insupedi.dbf" << goods << none << QString();
        QTest::newRow("flags as numbers, in another order") << "solicitu.dbf" << request << none << QString();
        QTest::newRow("a field short") << "impTLC.dbf" << tlc.mid(0, 7) << none << "le falta el campo MONT_SOLIC.";
        QTest::newRow("a field out of its place")
            << "insupedi.dbf" << swapped << none << "el campo NUM_DOCUME es el 3.º de la tabla y debe ser el 2.º.";
        QTest::newRow("a date as text") << "impTLC.dbf" << dateAsText << none
                                        << "el campo FECHA es C(8) y debe ser de fecha.";
        QTest::newRow("a text narrower than the window takes")
            << "impTLC.dbf" << shortItem << none << "el campo FRACCION es C(6) y debe admitir 8 caracteres.";
        QTest::newRow("cut short") << "impTLC.dbf" << tlc << QByteArray(1, '\x02')
                                   << "está incompleta: declara 2 registros y el archivo sólo contiene 0 (su "
                                      "copia no terminó o el medio está dañado).";
        QTest::newRow("not a table") << "impTLC.dbf" << QList<FieldDef>{} << header << "menos que un encabezado.";
    }
    void tableFaults()
    {
        QFETCH(QString, file);
        QFETCH(QList<FieldDef>, fields);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fault);
        QTemporaryDir dir;
        const QString table = dir.filePath(file);
        if (fields.isEmpty()) {
            writeAll(table, bytes);
        } else {
            QCOMPARE(PythonDbf::write(QStringLiteral("create"), table, QStringLiteral("cp1252"), fields, {}),
                     QString());
            writeAll(table, readAll(table).replace(4, bytes.size(), bytes));
        }
        const QString found = tableFault(table);
        if (fault.isEmpty())
            QCOMPARE(found, QString());
        else
            QVERIFY2(found.contains(table) && found.endsWith(fault), qPrintable(found));
    }

    // A recovery: the request's seven and its refund type go to a backup,
    // the staged ones take their place; the last five backups stay.
    void recoveryAndBackups()
    {
        RequestTables request;
        RequestTables other;
        other.add(QStringLiteral("empresas"), other.links.dtsEmpresas, {{{"NOMBRE", "OTRA"}}});
        RequestChoices::writeRefundType(request.folder, QStringLiteral("R"));
        // An older table under another case goes to the backup with the others.
        QVERIFY(QFile::rename(request.file(QStringLiteral("factura")), QDir(request.folder).filePath("FACTURA.DBF")));
        const FolderSnapshot before = snapshot(request.folder);

        Recovery recovery(request.folder);
        for (const QString &table : tables())
            copyTable(other.folder, recovery.staging(), fileOf(table));
        recovery.check(other.folder);
        const QString backup = recovery.install();
        for (const QString &table : tables())
            QCOMPARE(readAll(QDir(request.folder).filePath(fileOf(table))), other.bytes(table));
        QVERIFY(!QFileInfo::exists(RequestChoices::refundTypeFile(request.folder)));
        QVERIFY(!QFileInfo::exists(QDir(request.folder).filePath("FACTURA.DBF")));
        QCOMPARE(QFileInfo(backup).dir().path(), backupsFolder(request.folder));
        FolderSnapshot kept = snapshot(backup);
        FolderSnapshot expected; // all but the catalogues, which stay
        for (auto it = before.begin(); it != before.end(); ++it)
            if (const TableSchema *t = RequestSchema::find(it.key()); !t || t->source.isEmpty())
                expected.insert(it.key(), it.value());
        QCOMPARE(kept, expected);

        for (int i = 0; i < kBackupsKept + 2; ++i) {
            Recovery again(request.folder);
            for (const QString &table : tables())
                copyTable(other.folder, again.staging(), fileOf(table));
            again.check(other.folder);
            again.install();
        }
        const QStringList backups = QDir(backupsFolder(request.folder)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(backups.size(), kBackupsKept);
        QVERIFY(!backups.contains(QFileInfo(backup).fileName())); // the oldest went first
        QCOMPARE(namesIn(request.folder).filter(QStringLiteral("recuperacion")), QStringList{});
    }

    // A table that cannot take its place, found by the checks or by the
    // move itself (a folder in the way): the request folder as it was.
    void failedRecoveryChangesNothing_data()
    {
        QTest::addColumn<bool>("damaged");
        QTest::newRow("a damaged table") << true;
        QTest::newRow("a folder in the way") << false;
    }
    void failedRecoveryChangesNothing()
    {
        QFETCH(bool, damaged);
        RequestTables request;
        RequestTables other;
        RequestChoices::writeRefundType(request.folder, QStringLiteral("P"));
        const QString tlc = QDir(request.folder).filePath(QStringLiteral("impTLC.dbf"));
        if (!damaged) {
            QVERIFY(QFile::rename(tlc, QDir(request.folder).filePath(QStringLiteral("IMPTLC.DBF"))));
            QVERIFY(QDir().mkdir(tlc));
        }
        const FolderSnapshot before = snapshot(request.folder);
        QString message;
        {
            Recovery recovery(request.folder);
            for (const QString &table : tables())
                copyTable(other.folder, recovery.staging(), fileOf(table));
            if (damaged)
                writeAll(QDir(recovery.staging()).filePath(QStringLiteral("exporped.dbf")), "damaged");
            message = messageOf([&] {
                recovery.check(other.folder);
                recovery.install();
            });
            QVERIFY(recovery.untouched());
        }
        QVERIFY2(message.contains(damaged ? other.file(QStringLiteral("exporped")) : tlc), qPrintable(message));
        QCOMPARE(snapshot(request.folder), before);
    }

    // A recovery whose program dies at any of its moves (7 tables out, the
    // refund type, 7 in), and a start that dies again while finishing it:
    // the next start ends with the recovered request in place, the replaced
    // one and its refund type in the backup, and nothing left over.
    void recoveryCutShortIsFinished_data()
    {
        QTest::addColumn<int>("cut");      // moves made before the death
        QTest::addColumn<int>("cutAgain"); // moves the first finish makes before it dies too; -1: it does not
        for (int cut = 0; cut <= 15; ++cut)
            QTest::addRow("after %d moves", cut) << cut << -1;
        QTest::newRow("after 3 moves, then 2 moves of its finish") << 3 << 2;
        QTest::newRow("after 10 moves, then 1 move of its finish") << 10 << 1;
    }
    void recoveryCutShortIsFinished()
    {
        QFETCH(int, cut);
        QFETCH(int, cutAgain);
        RequestTables request;
        request.add(QStringLiteral("insupedi"), request.links.dtsInsupedi, {{{"NUM_DOCUME", "1"}}, {{"TIPO", "A1"}}});
        RequestChoices::writeRefundType(request.folder, QStringLiteral("R"));
        RequestTables other;
        other.add(QStringLiteral("empresas"), other.links.dtsEmpresas, {{{"NOMBRE", "OTRA"}}});
        QMap<QString, QByteArray> replaced;
        for (const QString &table : tables())
            replaced.insert(table, request.bytes(table));

        auto recovery = std::make_unique<Recovery>(request.folder);
        for (const QString &table : tables())
            copyTable(other.folder, recovery->staging(), fileOf(table));
        recovery->check(other.folder);
        dieAtRename(cut);
        bool died = false;
        try {
            recovery->install();
        } catch (const Death &) {
            died = true;
        }
        QCOMPARE(died, cut < 15);
        if (died) {
            QCOMPARE(UnfinishedWork::pending(request.folder).kind, UnfinishedWork::Note::Recovery);
            if (cutAgain >= 0) {
                dieAtRename(cutAgain);
                QVERIFY_THROWS_EXCEPTION(Death, UnfinishedWork::finish(request.folder));
            }
            setRenameFunction({});
            UnfinishedWork::finish(request.folder);
        }
        recovery.reset();

        QCOMPARE(UnfinishedWork::pending(request.folder).kind, UnfinishedWork::Note::None);
        for (const QString &table : tables())
            QCOMPARE(readAll(QDir(request.folder).filePath(fileOf(table))), other.bytes(table));
        QVERIFY(!QFileInfo::exists(RequestChoices::refundTypeFile(request.folder)));
        const QStringList backups = QDir(backupsFolder(request.folder)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(backups.size(), 1);
        const QString backup = QDir(backupsFolder(request.folder)).filePath(backups.first());
        for (const QString &table : tables())
            QCOMPARE(readAll(QDir(backup).filePath(fileOf(table))), replaced.value(table));
        QCOMPARE(RequestChoices::readRefundType(backup), QStringLiteral("R"));
        QCOMPARE(QDir(request.folder).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("respaldos")});
    }

    // An erase whose program died with some tables emptied, or none: the
    // next start empties the rest, the company's only when everything was
    // erased, and forgets the refund type.
    void eraseCutShortIsFinished_data()
    {
        QTest::addColumn<bool>("everything");
        QTest::addColumn<int>("emptied"); // tables the dead program had emptied
        QTest::newRow("everything, none emptied") << true << 0;
        QTest::newRow("everything, three emptied") << true << 3;
        QTest::newRow("the request, one emptied") << false << 1;
        QTest::newRow("the request, all emptied") << false << 6;
    }
    void eraseCutShortIsFinished()
    {
        QFETCH(bool, everything);
        QFETCH(int, emptied);
        RequestTables request;
        const QList<DataLink *> links = request.links.requestLinks(); // in the order of tables()
        for (qsizetype i = 0; i < links.size(); ++i)
            request.add(tables()[i], links[i], {{}, {}});
        RequestChoices::writeRefundType(request.folder, QStringLiteral("P"));
        UnfinishedWork::noteErase(request.folder, everything);
        const QStringList erased = UnfinishedWork::erasedTables(everything);
        for (const QString &table : erased.mid(0, emptied)) {
            Recordset rs(DbfTable::open(request.file(table)));
            EliminaRegistros(rs);
        }

        UnfinishedWork::finish(request.folder);
        QCOMPARE(UnfinishedWork::pending(request.folder).kind, UnfinishedWork::Note::None);
        QVERIFY(!QFileInfo::exists(UnfinishedWork::noteFile(request.folder)));
        for (const QString &table : tables())
            QCOMPARE(request.count(table), erased.contains(table) ? 0 : 2);
        QCOMPARE(RequestChoices::readRefundType(request.folder), QString());

        // The erase of a living program leaves no note behind.
        RequestWriter(request.links, request.folder).erase(true);
        QVERIFY(!QFileInfo::exists(UnfinishedWork::noteFile(request.folder)));
        QCOMPARE(request.count(QStringLiteral("empresas")), 0);
    }

    // What dead programs leave beside the tables goes; the staging folder
    // of a recovery still to be finished stays.
    void leftoversGo()
    {
        RequestTables request;
        const QDir folder(request.folder);
        QVERIFY(folder.mkpath(QStringLiteral(".quelvar-recuperacion-AbC123")));
        writeAll(folder.filePath(QStringLiteral(".quelvar-recuperacion-AbC123/empresas.dbf")), "staged");
        QVERIFY(folder.mkpath(QStringLiteral(".quelvar-recuperacion-XyZ789")));
        QVERIFY(folder.mkpath(QStringLiteral("respaldos/2026-01-02_03.04.05")));
        QVERIFY(folder.mkpath(QStringLiteral("respaldos/2026-01-02_03.04.06")));
        writeAll(folder.filePath(QStringLiteral("respaldos/2026-01-02_03.04.06/empresas.dbf")), "kept");
        writeAll(folder.filePath(QStringLiteral(".quelvar.devolucion.q1W2e3")), "R");
        writeAll(folder.filePath(QStringLiteral(".quelvar.pendiente.a1B2c3")), "borrar");
        writeAll(folder.filePath(QStringLiteral("notas.txt")), "the user's");
        UnfinishedWork::noteRecovery(request.folder, QStringLiteral(".quelvar-recuperacion-XyZ789"),
                                     QStringLiteral("2026-01-02_03.04.06"));

        UnfinishedWork::removeLeftovers(request.folder);
        QCOMPARE(folder.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{QStringLiteral(".quelvar-recuperacion-XyZ789"), QStringLiteral("respaldos")}));
        QCOMPARE(QDir(folder.filePath(QStringLiteral("respaldos"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("2026-01-02_03.04.06")});
        QCOMPARE(namesIn(request.folder).filter(QStringLiteral(".quelvar")),
                 QStringList{QStringLiteral(".quelvar.pendiente")});
        QVERIFY(namesIn(request.folder).contains(QStringLiteral("notas.txt")));
    }
};

QUELVAR_TEST_CLASS(TestRequestExchange)
#include "test_request_exchange.moc"
