// The request folder the program starts on (ProgramFolder) and the check
// that every table of the chosen folder opens before the window does
// (TableCheck).

#include "folder_snapshot.h"
#include "table_files.h"
#include "test_registry.h"

#include "platform/program_folder.h"
#include "platform/table_check.h"
#include "store/request_folder.h"

#include <QTest>

namespace {

const QString kData = QStringLiteral(QUELVAR_DATA_DIR);

// A change to a table of a request folder: bytes overwritten at a place,
// the file removed (at -1) or renamed to upper case (at -2).
struct Damage { QString file; int at; QByteArray bytes; };

} // namespace

class TestProgramFolder : public QObject {
    Q_OBJECT

private slots:
    // The folder named (relative to the working folder), else the program's
    // own folder when it holds tables, else the user's; a new one is copied
    // from the templates when there are any, else built from the catalogue
    // sources. Nothing present is changed; a failure names the folder and
    // leaves nothing behind.
    void choice_data()
    {
        QTest::addColumn<QString>("named");
        QTest::addColumn<bool>("exeTables");
        QTest::addColumn<QString>("made"); // from "fuentes", "plantillas", "incompletas" or "nada"
        QTest::addColumn<QString>("chosen"); // "exe", "user", "named", or whose path the error names
        QTest::addColumn<bool>("ok");
        QTest::newRow("program folder first") << "" << true << "fuentes" << "exe" << true;
        QTest::newRow("user folder from templates") << "" << false << "plantillas" << "user" << true;
        QTest::newRow("named before the program's") << "clientes/solicitud" << true << "fuentes" << "named" << true;
        QTest::newRow("named with some tables, as it is") << "parcial" << false << "nada" << "named" << true;
        QTest::newRow("under a file") << "archivo/solicitud" << false << "fuentes" << "named" << false;
        QTest::newRow("templates lost a table") << "" << false << "incompletas" << "user" << false;
    }
    void choice()
    {
        QFETCH(QString, named);
        QFETCH(bool, exeTables);
        QFETCH(QString, made);
        QFETCH(QString, chosen);
        QFETCH(bool, ok);
        QTemporaryDir exe, home, work, installed;
        const QString templates = installed.filePath(QStringLiteral("plantillas"));
        const QString sources = made == QLatin1String("fuentes") ? kData : work.filePath("nada");
        ProgramFolder::Places places{{"quelvar"}, exe.path(), home.filePath("a/solicitud"), sources, QString()};
        if (!named.isEmpty())
            places.arguments << named;
        if (exeTables)
            RequestFolder::create(exe.path(), kData);
        if (made != QLatin1String("fuentes") && made != QLatin1String("nada")) {
            RequestFolder::create(templates, kData);
            for (const QString &t : QDir(templates).entryList(QDir::Files))
                QVERIFY(QFile::setPermissions(QDir(templates).filePath(t), QFile::ReadOwner | QFile::ReadOther));
            places.templates = templates;
        }
        if (made == QLatin1String("incompletas")) // lost after they were found: the last one copied
            QVERIFY(QFile::remove(QDir(templates).filePath(QStringLiteral("Pedimentos.dbf"))));
        writeAll(work.filePath(QStringLiteral("archivo")), {});
        RequestFolder::create(work.filePath(QStringLiteral("parcial")), kData);
        QVERIFY(QFile::remove(work.filePath(QStringLiteral("parcial/factura.dbf"))));
        ageFiles(work.path());
        ageFiles(exe.path());
        const FolderSnapshot workBefore = snapshot(work.path()), exeBefore = snapshot(exe.path());

        const auto choose = [&] {
            const QString previous = QDir::currentPath();
            QDir::setCurrent(work.path());
            const ProgramFolder::Choice choice = ProgramFolder::choose(places);
            QDir::setCurrent(previous);
            return choice;
        };
        const ProgramFolder::Choice choice = choose();
        const QString folder = chosen == QLatin1String("exe")    ? exe.path()
                               : chosen == QLatin1String("user") ? places.userFolder
                                                                 : QDir::cleanPath(work.filePath(named));
        QVERIFY2(choice.ok() == ok, qPrintable(choice.error));
        QCOMPARE(snapshot(exe.path()), exeBefore);
        const FolderSnapshot workAfter = snapshot(work.path());
        for (auto it = workBefore.begin(); it != workBefore.end(); ++it)
            QVERIFY2(workAfter.value(it.key()) == it.value(), qPrintable(it.key()));
        QCOMPARE(QFileInfo::exists(places.userFolder), ok && chosen == QLatin1String("user"));
        if (!ok) {
            QVERIFY(choice.folder.isEmpty() && choice.error.contains(folder));
            QVERIFY(made != QLatin1String("incompletas") || choice.error.contains(QStringLiteral("Pedimentos.dbf")));
            QCOMPARE(workAfter, workBefore);
            QVERIFY(QDir(home.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
            return;
        }
        QCOMPARE(choice.folder, folder);
        QVERIFY(RequestFolder::holdsRequest(folder) || named == QLatin1String("parcial"));
        for (const QString &t : places.templates.isEmpty() ? QStringList() : QDir(templates).entryList(QDir::Files)) {
            QCOMPARE(readAll(QDir(folder).filePath(t)), readAll(QDir(templates).filePath(t)));
            QVERIFY2(QFileInfo(QDir(folder).filePath(t)).permissions() & QFile::WriteOwner, qPrintable(t));
        }
        // Chosen again, it is used as it is.
        ageFiles(folder);
        const FolderSnapshot now = snapshot(folder);
        QCOMPARE(choose().folder, folder);
        QCOMPARE(snapshot(folder), now);
    }

    // Every table opens, or the first that does not (request tables first)
    // is named with its fault and the folder; headers counting records the
    // file lacks pass, named together in one notice. Nothing is written.
    void tableCheck_data()
    {
        QTest::addColumn<QList<Damage>>("damages");
        QTest::addColumn<QStringList>("problem");
        QTest::addColumn<QStringList>("notice");
        QTest::newRow("other case") << QList<Damage>{{"impTLC.dbf", -2, ""}, {"Paises.dbf", -2, ""}} << QStringList()
                                    << QStringList();
        QTest::newRow("missing") << QList<Damage>{{"Pedimentos.dbf", -1, ""}, {"factura.dbf", -1, ""}}
                                 << QStringList{"«factura.dbf»"} << QStringList();
        QTest::newRow("counts ahead") << QList<Damage>{{"insupedi.dbf", 4, "\x02"}, {"Paises.dbf", 4, "\xff\xff"}}
                                      << QStringList() << QStringList{"«insupedi.dbf» declara 2 registros y el archivo "
                                                                      "sólo contiene 0.", "«Paises.dbf» declara 65535"};
    }
    void tableCheck()
    {
        QFETCH(QList<Damage>, damages);
        QFETCH(QStringList, problem);
        QFETCH(QStringList, notice);
        QTemporaryDir dir;
        const QDir folder(dir.path());
        RequestFolder::create(folder.path(), kData);
        for (const Damage &d : damages) {
            const QString path = folder.filePath(d.file);
            if (d.at == -1)
                QVERIFY(QFile::remove(path));
            else if (d.at == -2)
                QVERIFY(QFile::rename(path, folder.filePath(d.file.toUpper())));
            else
                writeAll(path, readAll(path).replace(d.at, d.bytes.size(), d.bytes));
        }
        ageFiles(folder.path());
        const FolderSnapshot before = snapshot(folder.path());
        QString noticed;
        const QString found = TableCheck::problem(folder.path(), &noticed);
        QCOMPARE(snapshot(folder.path()), before);
        for (const auto &[texts, said] : {std::pair(problem, found), std::pair(notice, noticed)}) {
            QCOMPARE(said.isEmpty(), texts.isEmpty());
            for (const QString &t : texts.isEmpty() ? texts : texts + QStringList{folder.path()})
                QVERIFY2(said.contains(t), qPrintable(said));
        }
    }
};

QUELVAR_TEST_CLASS(TestProgramFolder)
#include "test_program_folder.moc"
