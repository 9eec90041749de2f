// Which request folder the program works on: the folder named on the command
// line, the program's own folder, or the user's own folder.

#include "test_registry.h"
#include "folder_snapshot.h"

#include "platform/program_folder.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_folder.h"

#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

class TestProgramFolder : public QObject {
    Q_OBJECT

    static QString dataDir() { return QStringLiteral(QUELVAR_DATA_DIR); }

    // A program started with the given arguments (after its own name) from
    // exeDir, whose user folder is userFolder.
    static ProgramFolder::Places places(const QString &exeDir, const QString &userFolder,
                                        const QStringList &arguments = {})
    {
        return {QStringList{QStringLiteral("quelvar")} + arguments, exeDir, userFolder, dataDir()};
    }

    static void addCompany(const QString &folder, const QString &name)
    {
        Recordset rs(DbfTable::open(QDir(folder).filePath(QStringLiteral("empresas.dbf"))));
        rs.AddNew();
        rs.Fields(QStringLiteral("NOMBRE")).setValue(name);
        rs.Update();
    }

    static QString firstCompany(const QString &folder)
    {
        Recordset rs(DbfTable::open(QDir(folder).filePath(QStringLiteral("empresas.dbf"))));
        return rs.Eof() ? QString() : rs.Fields(QStringLiteral("NOMBRE")).Value().toString().trimmed();
    }

private slots:
    void programFolderWithTablesComesBeforeTheUserFolder()
    {
        QTemporaryDir exe, home;
        RequestFolder::create(exe.path(), dataDir());
        const QString user = home.filePath(QStringLiteral("quelvar/solicitud"));

        const auto choice = ProgramFolder::choose(places(exe.path(), user));
        QVERIFY2(choice.ok(), qPrintable(choice.error));
        QCOMPARE(choice.folder, exe.path());
        QVERIFY(!QFileInfo::exists(user));
    }

    void userFolderIsMadeAtTheFirstStartAndReused()
    {
        QTemporaryDir exe, home;
        const QString user = home.filePath(QStringLiteral("quelvar/solicitud"));

        const auto first = ProgramFolder::choose(places(exe.path(), user));
        QVERIFY2(first.ok(), qPrintable(first.error));
        QCOMPARE(first.folder, user);
        QVERIFY(RequestFolder::holdsRequest(user));
        QVERIFY(QDir(exe.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));

        addCompany(user, QStringLiteral("EXPORTADORA DEL NORTE"));
        const FolderSnapshot before = snapshot(user);
        const auto second = ProgramFolder::choose(places(exe.path(), user));
        QVERIFY2(second.ok(), qPrintable(second.error));
        QCOMPARE(second.folder, user);
        QVERIFY(snapshot(user) == before);
        QCOMPARE(firstCompany(user), QStringLiteral("EXPORTADORA DEL NORTE"));
    }

    void namedFolderIsMadeWhenItHoldsNoTable()
    {
        QTemporaryDir exe, home, work;
        RequestFolder::create(exe.path(), dataDir()); // the named folder wins over it
        const QString user = home.filePath(QStringLiteral("solicitud"));

        const QString fresh = work.filePath(QStringLiteral("clientes/2026/solicitud"));
        auto choice = ProgramFolder::choose(places(exe.path(), user, {fresh}));
        QVERIFY2(choice.ok(), qPrintable(choice.error));
        QCOMPARE(choice.folder, fresh);
        QVERIFY(RequestFolder::holdsRequest(fresh));

        // An existing folder without tables, holding something else, named
        // relative to the working folder.
        const QString empty = work.filePath(QStringLiteral("vacia"));
        QVERIFY(QDir().mkpath(empty));
        QFile note(QDir(empty).filePath(QStringLiteral("notas.txt")));
        QVERIFY(note.open(QIODevice::WriteOnly));
        note.write("pendiente\n");
        note.close();
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work.path()));
        choice = ProgramFolder::choose(places(exe.path(), user, {QStringLiteral("./vacia/")}));
        QDir::setCurrent(previous);
        QVERIFY2(choice.ok(), qPrintable(choice.error));
        QCOMPARE(choice.folder, empty);
        QVERIFY(RequestFolder::holdsRequest(empty));
        QVERIFY(QFileInfo::exists(note.fileName()));
        QVERIFY(!QFileInfo::exists(user));
    }

    void namedFolderWithSomeTablesIsUsedAsItIs()
    {
        QTemporaryDir exe, home, work;
        const QString folder = work.filePath(QStringLiteral("solicitud"));
        RequestFolder::create(folder, dataDir());
        addCompany(folder, QStringLiteral("TEXTILES DEL BAJIO"));
        QVERIFY(QFile::remove(QDir(folder).filePath(QStringLiteral("factura.dbf"))));
        const FolderSnapshot before = snapshot(folder);

        const auto choice = ProgramFolder::choose(places(exe.path(), home.filePath(QStringLiteral("u")), {folder}));
        QVERIFY2(choice.ok(), qPrintable(choice.error));
        QCOMPARE(choice.folder, folder);
        QVERIFY(snapshot(folder) == before); // the missing table is the table check's to report
    }

    void folderThatCannotServeGivesAnErrorAndWritesNothing()
    {
        QTemporaryDir exe, home, work;
        QFile file(work.filePath(QStringLiteral("archivo")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const FolderSnapshot before = snapshot(work.path());

        // Under a file, no folder can be made.
        const QString underFile = work.filePath(QStringLiteral("archivo/solicitud"));
        auto choice = ProgramFolder::choose(places(exe.path(), home.filePath(QStringLiteral("u")), {underFile}));
        QVERIFY(!choice.ok());
        QVERIFY(choice.folder.isEmpty());
        QVERIFY2(choice.error.contains(underFile), qPrintable(choice.error));

        // A file is not a folder.
        choice = ProgramFolder::choose(places(exe.path(), home.filePath(QStringLiteral("u")), {file.fileName()}));
        QVERIFY(!choice.ok());
        QVERIFY2(choice.error.contains(file.fileName()), qPrintable(choice.error));

        // Without the catalogue sources nothing is made, and the folders made
        // on the way are taken back.
        ProgramFolder::Places noTemplates = places(exe.path(), work.filePath(QStringLiteral("a/b/solicitud")));
        noTemplates.dataDir = work.filePath(QStringLiteral("no-existe"));
        choice = ProgramFolder::choose(noTemplates);
        QVERIFY(!choice.ok());
        QVERIFY2(choice.error.contains(noTemplates.userFolder), qPrintable(choice.error));

        QVERIFY(snapshot(work.path()) == before);
        QVERIFY(QDir(exe.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    void readOnlyFolderGivesAnError()
    {
        if (geteuid() == 0)
            QSKIP("root writes in any folder");
        QTemporaryDir exe, work;
        const QString locked = work.filePath(QStringLiteral("cerrada"));
        QVERIFY(QDir().mkpath(locked));
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        const auto choice = ProgramFolder::choose(places(exe.path(), locked));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!choice.ok());
        QVERIFY2(choice.error.contains(locked), qPrintable(choice.error));
        QVERIFY(QDir(locked).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    void templatesOfAnInstalledProgram()
    {
        QTemporaryDir prefix;
        const QString bin = prefix.filePath(QStringLiteral("bin"));
        QVERIFY(QDir().mkpath(bin));
        QCOMPARE(ProgramFolder::installedDataDir(bin), dataDir());

        const QString share = prefix.filePath(QStringLiteral("share/quelvar"));
        QVERIFY(QDir().mkpath(share));
        QCOMPARE(ProgramFolder::installedDataDir(bin), dataDir()); // no catalogues there
        QVERIFY(QFile::copy(QDir(dataDir()).filePath(QStringLiteral("estados.csv")),
                            QDir(share).filePath(QStringLiteral("estados.csv"))));
        QCOMPARE(ProgramFolder::installedDataDir(bin), share);
    }
};

QUELVAR_TEST_CLASS(TestProgramFolder)
#include "test_program_folder.moc"
