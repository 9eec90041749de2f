// The exchange medium's file work, on temporary folders: one table copied
// (its name, older copies, a medium that fails through the write seam), the
// read-back of an export, the checks of a table read from the medium, a
// recovery's exchange of tables with its backups, and an erase a dead
// program left unfinished.
#include "folder_snapshot.h"
#include "python_dbf.h"
#include "table_files.h"
#include "test_registry.h"

#include "exchange/request_exchange.h"
#include "exchange/unfinished_work.h"
#include "store/request_choices.h"
#include "store/request_schema.h"
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

QStringList filesIn(const QString &folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
QStringList foldersIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The other request's seven tables staged and checked for a recovery.
void stage(const Recovery &recovery, const RequestTables &other)
{
    for (const QString &table : tables())
        copyTable(other.folder, recovery.staging(), fileOf(table));
    recovery.check(other.folder);
}

// What a program that dies part-way leaves: nothing after it runs. The
// renames stop, as a crash would, before the one of that number.
struct Death {};
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

    // An export: each table under its exact name, older copies in any case
    // replaced (on a folder that tells cases apart), found in any case; the
    // read-back finds a copy the medium keeps otherwise than written.
    void exportAndReadBack()
    {
        RequestTables request;
        request.add(QStringLiteral("impTLC"), request.links.dtsImpTLC, {{{"PAIS_IMPOR", "CANADA"}}});
        QTemporaryDir medium;
        writeAll(medium.filePath("IMPTLC.DBF"), "older");
        writeAll(medium.filePath("impTLC.dbf"), "older still");
        QStringList files;
        for (const QString &table : tables())
            copyTable(request.folder, medium.path(), files.emplaceBack(fileOf(table)));
        files.sort();
        QCOMPARE(filesIn(medium.path()), files);
        QCOMPARE(findFile(medium.path(), QStringLiteral("IMPtlc.DBF")), medium.filePath("impTLC.dbf"));
        verifyCopies(request.folder, medium.path());
        QByteArray changed = readAll(medium.filePath("factura.dbf"));
        changed[40] = char(changed[40] ^ 0x20);
        writeAll(medium.filePath("factura.dbf"), changed);
        QCOMPARE(messageOf([&] { verifyCopies(request.folder, medium.path()); }),
                 QStringLiteral("La copia de «factura.dbf» en «%1» no es igual a la tabla de la solicitud "
                                "(difiere desde el byte 41).").arg(medium.path()));
    }

    // A medium that fails a write, fills up or writes in small pieces: the
    // copy names the file and the fault, the older copy stays whole, and no
    // temporary file is left.
    void failingMedium_data()
    {
        QTest::addColumn<int>("room");  // bytes the medium takes before it fails; -1 never
        QTest::addColumn<int>("error"); // errno of the failing write; 0: a write of nothing
        QTest::addColumn<int>("piece"); // most bytes taken by one write
        QTest::addColumn<QString>("fault");
        QTest::newRow("fills up") << 100 << ENOSPC << (1 << 20) << "no queda espacio";
        QTest::newRow("takes nothing more") << 100 << 0 << (1 << 20) << "no queda espacio";
        QTest::newRow("input/output error") << 0 << EIO << (1 << 20)
            << "error de entrada o salida (el medio puede estar dañado o haberse retirado)";
        QTest::newRow("small pieces") << -1 << 0 << 7 << "";
    }
    void failingMedium()
    {
        QFETCH(int, room);
        QFETCH(int, error);
        QFETCH(int, piece);
        QFETCH(QString, fault);
        RequestTables request;
        QTemporaryDir medium;
        writeAll(medium.filePath("solicitu.dbf"), "the older copy");
        qint64 taken = 0;
        setWriteFunction([&](const QString &, int fd, const char *data, qint64 size) -> qint64 {
            if (room >= 0 && taken + size > room)
                return (errno = error) == 0 ? 0 : -1;
            const qint64 n = ::write(fd, data, size_t(std::min<qint64>(size, piece)));
            taken += n;
            return n;
        });
        const QString message = messageOf([&] { copyTable(request.folder, medium.path(), "solicitu.dbf"); });
        QCOMPARE(filesIn(medium.path()), QStringList{"solicitu.dbf"});
        QCOMPARE(message, fault.isEmpty() ? QString()
                                          : QStringLiteral("No se pudo escribir «solicitu.dbf» en «%1»: %2.")
                                                .arg(medium.path(), fault));
        QCOMPARE(readAll(medium.filePath("solicitu.dbf")),
                 fault.isEmpty() ? request.bytes(QStringLiteral("solicitu")) : QByteArray("the older copy"));
    }

    // What a table read from the medium must be to replace the request's:
    // what the program uses of it, whatever else the writer (python3-dbf
    // here) chose. Fields empty: the bytes are the file; else the record
    // count put in the header.
    void tableFaults_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QList<FieldDef>>("fields");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("fault"); // empty: sound
        const auto fields = [](const char *table) { return RequestSchema::find(QString::fromLatin1(table))->fields; };
        QList<FieldDef> tlc = fields("impTLC"), dateAsText = tlc;
        dateAsText[2] = charField(QStringLiteral("FECHA"), 8);
        const QByteArray none;
        QList<FieldDef> imports = fields("insupedi"); // the cost, read by its name, may stand last
        imports.append(std::exchange(imports[13], charField(QStringLiteral("NOTA"), 10))); // COSTO_UNIT
        QTest::newRow("ours") << "impTLC.dbf" << tlc << none << "";
        QTest::newRow("imports, their cost last") << "insupedi.dbf" << imports << none << "";
        QTest::newRow("a field short") << "impTLC.dbf" << tlc.mid(0, 7) << none << "le falta el campo MONT_SOLIC.";
        QTest::newRow("a date as text") << "impTLC.dbf" << dateAsText << none
                                        << "el campo FECHA es C(8) y debe ser de fecha.";
        QTest::newRow("cut short") << "impTLC.dbf" << tlc << QByteArray(1, '\x02')
                                   << "está incompleta: declara 2 registros y el archivo sólo contiene 0 (su "
                                      "copia no terminó o el medio está dañado).";
        QTest::newRow("not a table") << "impTLC.dbf" << QList<FieldDef>{} << QByteArray(10, 'x')
                                     << "menos que un encabezado.";
    }
    void tableFaults()
    {
        QFETCH(QString, file);
        QFETCH(QList<FieldDef>, fields);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fault);
        QTemporaryDir dir;
        const QString table = dir.filePath(file);
        if (!fields.isEmpty()) {
            QCOMPARE(PythonDbf::write(QStringLiteral("create"), table, QStringLiteral("cp1252"), fields, {}),
                     QString());
            bytes = readAll(table).replace(4, bytes.size(), bytes);
        }
        writeAll(table, bytes);
        const QString found = tableFault(table);
        QVERIFY2(fault.isEmpty() ? found.isEmpty() : found.contains(table) && found.endsWith(fault), qPrintable(found));
    }

    // A recovery whose program dies at any of its moves (7 tables out, the
    // refund type, 7 in): the next start ends with the recovered request in place, the replaced
    // tables (an older one under another case too) and the refund type in
    // the backup, the catalogues where they were, and nothing left over.
    // A table that cannot take its place, found by the checks or by the move
    // itself (a folder in the way), leaves the request folder as it was.
    void recovery_data()
    {
        QTest::addColumn<int>("cut");      // moves made before the death; -1: none, a table in the way
        QTest::addColumn<QString>("inTheWay"); // "exporped": damaged; "impTLC": a folder in its place
        for (int cut = 0; cut <= 15; ++cut)
            QTest::addRow(cut == 15 ? "whole" : "after %d moves", cut) << cut << "";
        QTest::newRow("a damaged table") << -1 << "exporped";
        QTest::newRow("a folder in the way") << -1 << "impTLC";
    }
    void recovery()
    {
        QFETCH(int, cut);
        QFETCH(QString, inTheWay);
        RequestTables request, other;
        request.add(QStringLiteral("insupedi"), request.links.dtsInsupedi, {{{"NUM_DOCUME", "1"}}, {{"TIPO", "A1"}}});
        other.add(QStringLiteral("empresas"), other.links.dtsEmpresas, {{{"NOMBRE", "OTRA"}}});
        RequestChoices::writeRefundType(request.folder, QStringLiteral("R"));
        QVERIFY(QFile::rename(request.file(QStringLiteral("factura")), QDir(request.folder).filePath("FACTURA.DBF")));
        const QString tlc = request.file(QStringLiteral("impTLC"));
        if (inTheWay == "impTLC")
            QVERIFY(QFile::rename(tlc, QDir(request.folder).filePath("IMPTLC.DBF")) && QDir().mkdir(tlc));
        const FolderSnapshot before = snapshot(request.folder);

        auto recovery = std::make_unique<Recovery>(request.folder); // staged in the request folder
        if (!inTheWay.isEmpty()) {
            for (const QString &table : tables())
                copyTable(other.folder, recovery->staging(), fileOf(table));
            if (inTheWay == "exporped")
                writeAll(QDir(recovery->staging()).filePath("exporped.dbf"), "damaged");
            const QString message = messageOf([&] {
                recovery->check(other.folder);
                recovery->install();
            });
            QVERIFY(recovery->untouched());
            recovery.reset();
            QVERIFY2(message.contains(inTheWay == "exporped" ? other.file("exporped") : tlc), qPrintable(message));
            QCOMPARE(snapshot(request.folder), before);
            return;
        }
        stage(*recovery, other);
        dieAtRename(cut);
        bool died = false;
        try {
            recovery->install();
        } catch (const Death &) {
            died = true;
        }
        QCOMPARE(died, cut < 15);
        setRenameFunction({});
        if (died) {
            QCOMPARE(UnfinishedWork::pending(request.folder).kind, UnfinishedWork::Note::Recovery);
            UnfinishedWork::finish(request.folder);
        }
        recovery.reset();
        QCOMPARE(UnfinishedWork::pending(request.folder).kind, UnfinishedWork::Note::None);
        for (const QString &table : tables())
            QCOMPARE(readAll(QDir(request.folder).filePath(fileOf(table))), other.bytes(table));
        QVERIFY(!QFileInfo::exists(RequestChoices::refundTypeFile(request.folder)));
        QVERIFY(!filesIn(request.folder).contains("FACTURA.DBF"));
        QStringList backups = foldersIn(backupsFolder(request.folder));
        QCOMPARE(backups.size(), 1);
        FolderSnapshot replaced = before;
        for (const QString &name : before.keys())
            if (const TableSchema *t = RequestSchema::find(name); t && !t->source.isEmpty())
                replaced.remove(name); // the catalogues stay
        QCOMPARE(snapshot(QDir(backupsFolder(request.folder)).filePath(backups.first())), replaced);
        QCOMPARE(foldersIn(request.folder), QStringList{"respaldos"});
        if (cut < 15)
            return;
        // The newest five backups stay, a second one of the same second
        // ("_2", then "_10") after it; the oldest go first.
        const QDir root(backupsFolder(request.folder));
        for (const char *old : {"2020-01-01_00.00.00", "2020-01-01_00.00.00_2", "2020-01-01_00.00.00_10",
                                "2020-01-01_00.00.01", "2020-01-01_00.00.01_2"})
            QVERIFY(root.mkdir(old));
        Recovery again(request.folder);
        stage(again, other);
        again.install();
        QCOMPARE(foldersIn(root.path()).size(), kBackupsKept);
        QCOMPARE(foldersIn(root.path()).mid(0, 3),
                 (QStringList{"2020-01-01_00.00.00_10", "2020-01-01_00.00.01", "2020-01-01_00.00.01_2"}));
    }

    // An erase of the request alone whose program died before emptying a
    // table: the next start empties them all but the company's.
    void eraseCutShortIsFinished()
    {
        RequestTables request;
        const QList<DataLink *> links = request.links.requestLinks(); // in the order of tables()
        for (qsizetype i = 0; i < links.size(); ++i)
            request.add(tables()[i], links[i], {{}});
        UnfinishedWork::noteErase(request.folder, false);
        UnfinishedWork::finish(request.folder);
        for (const QString &table : tables())
            QCOMPARE(request.count(table), table == "empresas" ? 1 : 0);
    }
};

QUELVAR_TEST_CLASS(TestRequestExchange)
#include "test_request_exchange.moc"
