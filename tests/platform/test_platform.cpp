// The platform layer: the request folder the program starts on
// (ProgramFolder), the check that every table of it opens before the window
// does (TableCheck), one program per folder (FolderLock, tried against
// lock_holder, a child that takes the lock and holds it until its input
// closes), which folder stands for drive A, the name of a file to write as
// the type chosen completes it, the keys that type text and Qt's own texts
// in Spanish.

#include "folder_snapshot.h"
#include "table_files.h"
#include "test_registry.h"

#include "platform/drive_a.h"
#include "platform/file_choice.h"
#include "platform/message_box.h"
#include "platform/folder_lock.h"
#include "platform/program_folder.h"
#include "platform/spanish_translation.h"
#include "platform/table_check.h"
#include "platform/typed_key.h"
#include "store/request_folder.h"

#include <QKeyEvent>
#include <QProcess>
#include <QScopeGuard>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kData = QStringLiteral(QUELVAR_DATA_DIR);

// made: the new folder comes from "fuentes", "plantillas", "incompletas" or
// "nada"; chosen: "exe", "user", "named", or whose path the error names.
struct FolderCase { QString named; bool exeTables; QString made, chosen; bool ok; };

// A change to a table of a request folder: bytes overwritten at a place,
// the file removed (at -1) or renamed to upper case (at -2).
struct Damage { QString file; int at; QByteArray bytes; };
struct Damaged { QList<Damage> damages; QStringList problem, notice; };

// Drive A: "A", "B", "C": folders; "file": a file; "": not there; an
// absolute path: itself. pick: the index the user picks from the list.
struct Drive { QString named, floppy; QStringList removable; int pick; DriveA::Choice::Status status; QString chosen; };

// A name typed and the type chosen ("" the one the dialog opens on), the
// answer when asked to replace ("" not asked): the name written, the type.
struct Saved { QString typed, type, replace, path, chosen; };

using Codes = QList<int>;
struct Key { int key; Qt::KeyboardModifiers modifiers; QString text; Codes codes; };

// Starts a holder on the folder; true once it says it holds the lock.
bool startHolder(QProcess &holder, const QString &folder)
{
    holder.start(QStringLiteral(LOCK_HOLDER), {folder});
    return holder.waitForReadyRead(10000) && holder.readLine().trimmed() == "bloqueada";
}

qint64 pidInLock(const QString &folder)
{
    QFile f(QDir(folder).filePath(FolderLock::fileName()));
    return f.open(QIODevice::ReadOnly) ? f.readLine().trimmed().toLongLong() : 0;
}

} // namespace

class TestPlatform : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString path(const QString &token) const
    {
        return token.isEmpty() || QDir::isAbsolutePath(token) ? token : dir_.filePath(token);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir(dir_.path()).mkpath("A") && QDir(dir_.path()).mkpath("B") && QDir(dir_.path()).mkpath("C"));
        writeAll(path(QStringLiteral("file")), {});
    }

    // The folder named (relative to the working folder), else the program's
    // own folder when it holds tables, else the user's; a new one is copied
    // from the templates when there are any, else built from the catalogue
    // sources. Nothing present is changed; a failure names the folder and
    // leaves nothing behind.
    void programFolder_data()
    {
        QTest::addColumn<FolderCase>("c");
        QTest::newRow("program folder first") << FolderCase{"", true, "fuentes", "exe", true};
        QTest::newRow("user folder from templates") << FolderCase{"", false, "plantillas", "user", true};
        QTest::newRow("named before the program's") << FolderCase{"clientes/solicitud", true, "fuentes", "named", true};
        QTest::newRow("named with some tables, as it is") << FolderCase{"parcial", false, "nada", "named", true};
        QTest::newRow("under a file") << FolderCase{"archivo/solicitud", false, "fuentes", "named", false};
        QTest::newRow("templates lost a table") << FolderCase{"", false, "incompletas", "user", false};
    }
    void programFolder()
    {
        QFETCH(FolderCase, c);
        const auto &[named, exeTables, made, chosen, ok] = c;
        QTemporaryDir exe, home, work, installed;
        const QString templates = installed.filePath(QStringLiteral("plantillas"));
        ProgramFolder::Places places{named.isEmpty() ? QStringList{"quelvar"} : QStringList{"quelvar", named},
                                     exe.path(), home.filePath("a/solicitud"),
                                     made == QLatin1String("fuentes") ? kData : work.filePath("nada"), QString()};
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
        const QString previous = QDir::currentPath(); // the folder named is relative to the working one
        const auto back = qScopeGuard([&] { QDir::setCurrent(previous); });
        QDir::setCurrent(work.path());
        const ProgramFolder::Choice choice = ProgramFolder::choose(places);
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
        for (const QString &t : QDir(templates).entryList(QDir::Files)) {
            QCOMPARE(readAll(QDir(folder).filePath(t)), readAll(QDir(templates).filePath(t)));
            QVERIFY2(QFileInfo(QDir(folder).filePath(t)).permissions() & QFile::WriteOwner, qPrintable(t));
        }
        // Chosen again, it is used as it is.
        ageFiles(folder);
        const FolderSnapshot now = snapshot(folder);
        QCOMPARE(ProgramFolder::choose(places).folder, folder);
        QCOMPARE(snapshot(folder), now);
    }

    // Every table opens, or the first that does not (request tables first)
    // is named with its fault and the folder; headers counting records the
    // file lacks pass, named together in one notice. Nothing is written.
    void tableCheck_data()
    {
        QTest::addColumn<Damaged>("c");
        QTest::newRow("other case") << Damaged{{{"impTLC.dbf", -2, ""}, {"Paises.dbf", -2, ""}}, {}, {}};
        QTest::newRow("missing") << Damaged{{{"Pedimentos.dbf", -1, ""}, {"factura.dbf", -1, ""}},
                                            {"«factura.dbf»"}, {}};
        QTest::newRow("counts ahead") << Damaged{{{"insupedi.dbf", 4, "\x02"}, {"Paises.dbf", 4, "\xff\xff"}}, {},
            {"«insupedi.dbf» declara 2 registros y el archivo sólo contiene 0.", "«Paises.dbf» declara 65535"}};
    }
    void tableCheck()
    {
        QFETCH(Damaged, c);
        const auto &[damages, problem, notice] = c;
        const QDir folder(dir_.filePath(QTest::currentDataTag()));
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

    // Refused, naming the folder and the holder, until the holder ends; the
    // lock is the one file a holder adds, and it goes with the holder.
    void secondProgramIsRefusedUntilTheFirstEnds()
    {
        const QString folder = dir_.filePath(QStringLiteral("solicitud"));
        RequestFolder::create(folder, kData);
        ageFiles(folder);
        const FolderSnapshot tables = snapshot(folder);
        QProcess holder;
        QVERIFY(startHolder(holder, folder));
        FolderLock second(folder);
        const QString why = second.acquire();
        QVERIFY2(why.contains(folder) && why.contains(QString::number(holder.processId())), qPrintable(why));
        QVERIFY(!second.isHeld());
        FolderSnapshot withLock = snapshot(folder);
        QCOMPARE(withLock.remove(FolderLock::fileName()), 1);
        QCOMPARE(withLock, tables);
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000) && holder.exitCode() == 0);
        QCOMPARE(snapshot(folder), tables);
        QCOMPARE(second.acquire(), QString());
        QCOMPARE(pidInLock(folder), QCoreApplication::applicationPid());
        second.release();
        QCOMPARE(snapshot(folder), tables);
    }

    // A lock left by a program that died is taken over at once, whatever
    // process the file names now (numbers come round); the one this process
    // then holds is refused to a second taker.
    void lockOfAProgramThatDiedIsTakenOver_data()
    {
        QTest::addColumn<QString>("number");
        QTest::newRow("killed outright") << "gone";
        QTest::newRow("a running program's number") << "running";
    }
    void lockOfAProgramThatDiedIsTakenOver()
    {
        QFETCH(QString, number);
        const QString folder = dir_.filePath(number);
        QVERIFY(QDir().mkpath(folder) && QDir().mkpath(folder + QStringLiteral("-otra")));
        QProcess holder;
        QVERIFY(startHolder(holder, number == QLatin1String("gone") ? folder : folder + QStringLiteral("-otra")));
        if (number == QLatin1String("gone")) {
            holder.kill();
            QVERIFY(holder.waitForFinished(10000));
        } else { // the file a program that died leaves, naming a running process by its name
            QFile file(QDir(folder).filePath(FolderLock::fileName()));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray::number(holder.processId()) + "\nlock_holder\n" + QSysInfo::machineHostName().toUtf8()
                       + '\n');
        }
        QVERIFY(QFileInfo::exists(QDir(folder).filePath(FolderLock::fileName())));
        FolderLock lock(folder), second(folder);
        QCOMPARE(lock.acquire(), QString());
        QCOMPARE(pidInLock(folder), QCoreApplication::applicationPid());
        QVERIFY(!second.acquire().isEmpty() && !second.isHeld() && lock.isHeld());
        holder.closeWriteChannel();
        holder.waitForFinished(10000);
    }

    // The folder named by QUELVAR_UNIDAD_A, else the floppy, else the user's
    // removable medium (picked from a list when several); one that cannot be
    // written (/proc, for root too) serves for reading only.
    void driveA_data()
    {
        QTest::addColumn<Drive>("c");
        using enum DriveA::Choice::Status;
        QTest::newRow("the named folder first") << Drive{"A", "B", {"C"}, 0, Ready, "A"};
        QTest::newRow("the named decides alone: a file") << Drive{"file", "B", {}, 0, NotReady, ""};
        QTest::newRow("the named decides alone: not writable") << Drive{"/proc", "B", {}, 0, NotWritable, "/proc"};
        QTest::newRow("then the floppy") << Drive{"", "B", {"C"}, 0, Ready, "B"};
        QTest::newRow("several: the one picked") << Drive{"", "", {"A", "C"}, 1, Ready, "C"};
        QTest::newRow("several: none picked") << Drive{"", "", {"A", "C"}, -1, Cancelled, ""};
        QTest::newRow("nothing") << Drive{"", "", {}, 0, NotReady, ""};
    }
    void driveA()
    {
        QFETCH(Drive, c);
        DriveA::Places places{path(c.named), path(c.floppy), {}};
        for (const QString &token : c.removable)
            places.removable.append(path(token));
        DriveA::setPlacesForTests(&places);
        QStringList offered;
        DriveA::setPickForTests([&](const QStringList &folders) { return offered = folders, c.pick; });
        for (DriveA::Use use : {DriveA::Use::Read, DriveA::Use::Write}) {
            const DriveA::Choice choice = DriveA::choose(nullptr, use);
            const bool readOnly = use == DriveA::Use::Read && c.status == DriveA::Choice::NotWritable;
            QCOMPARE(choice.status, readOnly ? DriveA::Choice::Ready : c.status);
            QCOMPARE(choice.folder, path(c.chosen));
            const bool listed = c.removable.size() > 1 && (c.named + c.floppy).isEmpty();
            QCOMPARE(offered, listed ? places.removable : QStringList());
        }
        DriveA::setPlacesForTests(nullptr);
        DriveA::setPickForTests({});
        qputenv("QUELVAR_UNIDAD_A", path(c.named).toLocal8Bit());
        QCOMPARE(DriveA::systemPlaces().named, path(c.named));
        qunsetenv("QUELVAR_UNIDAD_A");
    }

    // The extension typed stays when a type offers it, else the type's is
    // added; a file that name finds is replaced only when the user says so.
    void fileToWrite_data()
    {
        QTest::addColumn<Saved>("c");
        const QString sheet = "Hoja de cálculo (*.xlsx)", csv = "Texto CSV (*.csv)";
        QTest::newRow("no extension, the type opened on") << Saved{"libro", "", "", "libro.xlsx", sheet};
        QTest::newRow("the other type's, any case") << Saved{"libro.CSV", sheet, "", "libro.CSV", sheet};
        QTest::newRow("an extension of no type") << Saved{"libro.2024", csv, "", "libro.2024.csv", csv};
        QTest::newRow("all files add none") << Saved{"libro", "Todos (*)", "", "libro", "Todos (*)"};
        QTest::newRow("added onto a file: kept") << Saved{"file", sheet, "No", "", sheet};
        QTest::newRow("added onto a file: replaced") << Saved{"file", sheet, "Yes", "file.xlsx", sheet};
    }
    void fileToWrite()
    {
        QFETCH(Saved, c);
        writeAll(path("file.xlsx"), {});
        MessageBox::setScripted(true);
        MessageBox::clearShown();
        MessageBox::setNextAnswers({c.replace == "Yes" ? MessageBox::Answer::Yes : MessageBox::Answer::No});
        FileChoice::setScripted({path(c.typed) + (c.type.isEmpty() ? QString() : u'|' + c.type)});
        QString chosen;
        QCOMPARE(FileChoice::toWrite(nullptr, "Exportar", "Hoja de cálculo (*.xlsx);;Texto CSV (*.csv);;Todos (*)",
                                     {}, &chosen),
                 c.path.isEmpty() ? QString() : path(c.path));
        QCOMPARE(chosen, c.chosen);
        QCOMPARE(MessageBox::shownTexts(),
                 c.replace.isEmpty() ? QStringList()
                                     : QStringList{QStringLiteral("El archivo «%1» ya existe. ¿Reemplazarlo?")
                                                       .arg(QDir::toNativeSeparators(path("file.xlsx")))});
        MessageBox::clearShown();
        MessageBox::setScripted(false);
    }

    // Every key a line edit would insert text for reaches the key handlers.
    void typedKeys_data()
    {
        QTest::addColumn<Key>("k");
        QTest::newRow("AltGr as Ctrl+Alt") << Key{Qt::Key_At, Qt::ControlModifier | Qt::AltModifier, "@", {'@'}};
        QTest::newRow("two characters") << Key{Qt::Key_unknown, {}, "\u00b4\U0001F600", {0xB4, 0x1F600}};
        QTest::newRow("Ctrl shortcut") << Key{Qt::Key_C, Qt::ControlModifier, "c", {}};
        QTest::newRow("Backspace") << Key{Qt::Key_Backspace, {}, "\b", {8}};
        QTest::newRow("keypad Enter") << Key{Qt::Key_Enter, Qt::KeypadModifier, "\r", {13}};
        QTest::newRow("Escape") << Key{Qt::Key_Escape, {}, "\x1b", {}};
    }
    void typedKeys()
    {
        QFETCH(Key, k);
        const QKeyEvent event(QEvent::KeyPress, k.key, k.modifiers, k.text);
        QCOMPARE(typedKeyCodes(&event), k.codes);
        QCOMPARE(typedKeyCode(&event), k.codes.size() == 1 ? k.codes.first() : 0);
    }

    void qtSpeaksSpanish()
    {
        QVERIFY(SpanishTranslation::install());
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
        QCOMPARE(QLocale().name(), QStringLiteral("es_MX"));
    }
};

QUELVAR_TEST_CLASS(TestPlatform)
#include "test_platform.moc"
