// Which request folder the program works on: the folder named on the command
// line, the program's own folder, or the user's own folder.

#include "test_registry.h"
#include "folder_snapshot.h"

#include "platform/program_folder.h"
#include "table_files.h"

#include "store/request_folder.h"

#include <QTest>

class TestProgramFolder : public QObject {
    Q_OBJECT

    static QString dataDir() { return QStringLiteral(QUELVAR_DATA_DIR); }

    // A program started with the given arguments (after its own name) from
    // exeDir, whose user folder is userFolder, without templates (as from
    // the build folder).
    static ProgramFolder::Places places(const QString &exeDir, const QString &userFolder,
                                        const QStringList &arguments = {})
    {
        return {QStringList{QStringLiteral("quelvar")} + arguments, exeDir, userFolder, dataDir(), QString()};
    }

    // The folder chosen, or the error when there is none.
    static QString chosen(const ProgramFolder::Places &places)
    {
        const auto choice = ProgramFolder::choose(places);
        return choice.ok() ? choice.folder : QStringLiteral("error: ") + choice.error;
    }

private slots:
    void programFolderFirstThenTheUserFolderMadeOnce()
    {
        QTemporaryDir exe, home, withTables;
        const QString user = home.filePath(QStringLiteral("quelvar/solicitud"));
        // A program folder with tables comes before the user folder.
        RequestFolder::create(withTables.path(), dataDir());
        QCOMPARE(chosen(places(withTables.path(), user)), withTables.path());
        QVERIFY(!QFileInfo::exists(user));

        QCOMPARE(chosen(places(exe.path(), user)), user);
        QVERIFY(RequestFolder::holdsRequest(user));
        QVERIFY(QDir(exe.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));

        ageFiles(user);
        const FolderSnapshot before = snapshot(user);
        QCOMPARE(chosen(places(exe.path(), user)), user);
        QVERIFY(snapshot(user) == before);
    }

    void namedFolderIsMadeWhenItHoldsNoTable()
    {
        QTemporaryDir exe, home, work;
        RequestFolder::create(exe.path(), dataDir()); // the named folder wins over it
        const QString user = home.filePath(QStringLiteral("solicitud"));
        const QString fresh = work.filePath(QStringLiteral("clientes/2026/solicitud"));
        QCOMPARE(chosen(places(exe.path(), user, {fresh})), fresh);
        QVERIFY(RequestFolder::holdsRequest(fresh));

        // An existing folder without tables, holding something else, named
        // relative to the working folder.
        const QString empty = work.filePath(QStringLiteral("vacia"));
        QVERIFY(QDir().mkpath(empty));
        const QString note = QDir(empty).filePath(QStringLiteral("notas.txt"));
        writeAll(note, "pendiente\n");
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work.path()));
        const QString relative = chosen(places(exe.path(), user, {QStringLiteral("./vacia/")}));
        QDir::setCurrent(previous);
        QCOMPARE(relative, empty);
        QVERIFY(RequestFolder::holdsRequest(empty));
        QCOMPARE(readAll(note), QByteArray("pendiente\n"));
        QVERIFY(!QFileInfo::exists(user));
    }

    void namedFolderWithSomeTablesIsUsedAsItIs()
    {
        QTemporaryDir exe, home, work;
        const QString folder = work.filePath(QStringLiteral("solicitud"));
        RequestFolder::create(folder, dataDir());
        ageFiles(folder);
        QVERIFY(QFile::remove(QDir(folder).filePath(QStringLiteral("factura.dbf"))));
        const FolderSnapshot before = snapshot(folder);
        QCOMPARE(chosen(places(exe.path(), home.filePath(QStringLiteral("u")), {folder})), folder);
        QVERIFY(snapshot(folder) == before); // the missing table is the table check's to report
    }

    void folderThatCannotServeGivesAnErrorAndWritesNothing()
    {
        QTemporaryDir exe, home, work;
        const QString file = work.filePath(QStringLiteral("archivo"));
        writeAll(file, {});
        const FolderSnapshot before = snapshot(work.path());

        // Under a file, no folder can be made.
        const QString underFile = work.filePath(QStringLiteral("archivo/solicitud"));
        auto choice = ProgramFolder::choose(places(exe.path(), home.filePath(QStringLiteral("u")), {underFile}));
        QVERIFY(!choice.ok());
        QVERIFY(choice.folder.isEmpty());
        QVERIFY2(choice.error.contains(underFile), qPrintable(choice.error));

        // A file is not a folder.
        choice = ProgramFolder::choose(places(exe.path(), home.filePath(QStringLiteral("u")), {file}));
        QVERIFY(!choice.ok());
        QVERIFY2(choice.error.contains(file), qPrintable(choice.error));

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

    // A new folder, named or the user's, is a copy of the templates when
    // there are any: no catalogue is read, and the copies are the user's to
    // write even when the templates are read-only.
    void newFolderIsACopyOfTheTemplates_data()
    {
        QTest::addColumn<bool>("named");
        QTest::newRow("carpeta del usuario") << false;
        QTest::newRow("carpeta nombrada") << true;
    }
    void newFolderIsACopyOfTheTemplates()
    {
        QFETCH(bool, named);
        QTemporaryDir exe, home, work, installed;
        const QString templates = installed.filePath(QStringLiteral("plantillas"));
        RequestFolder::create(templates, dataDir());
        const QStringList tables = QDir(templates).entryList(QDir::Files);
        const auto readOnly =
            QFileDevice::ReadOwner | QFileDevice::ReadUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        for (const QString &t : tables)
            QVERIFY(QFile::setPermissions(QDir(templates).filePath(t), readOnly));
        const QString user = home.filePath(QStringLiteral("quelvar/solicitud"));
        const QString fresh = work.filePath(QStringLiteral("clientes/solicitud"));
        ProgramFolder::Places from = places(exe.path(), user, named ? QStringList{fresh} : QStringList{});
        from.dataDir = work.filePath(QStringLiteral("sin-catalogos"));
        from.templates = templates;

        const QString folder = named ? fresh : user;
        QCOMPARE(chosen(from), folder);
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), tables);
        for (const QString &t : tables) {
            const QString copy = QDir(folder).filePath(t);
            QCOMPARE(readAll(copy), readAll(QDir(templates).filePath(t)));
            QVERIFY2(QFileInfo(copy).permissions().testFlag(QFileDevice::WriteOwner), qPrintable(t));
        }
    }

    // Templates that lose a table after they were found: nothing is made, the
    // tables already copied and the folders made on the way included.
    void incompleteTemplatesMakeNothing()
    {
        QTemporaryDir exe, work, installed;
        RequestFolder::create(installed.path(), dataDir());
        QVERIFY(QFile::remove(QDir(installed.path()).filePath(QStringLiteral("Pedimentos.dbf")))); // copied last
        const FolderSnapshot before = snapshot(work.path());
        ProgramFolder::Places from = places(exe.path(), work.filePath(QStringLiteral("a/b/solicitud")));
        from.templates = installed.path();
        const auto choice = ProgramFolder::choose(from);
        QVERIFY(!choice.ok());
        QVERIFY2(choice.error.contains(from.userFolder) && choice.error.contains(QStringLiteral("Pedimentos.dbf")),
                 qPrintable(choice.error));
        QVERIFY(snapshot(work.path()) == before);
    }
};

QUELVAR_TEST_CLASS(TestProgramFolder)
#include "test_program_folder.moc"
