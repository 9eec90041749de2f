// One program per request folder. The other program is lock_holder, a child
// that takes the lock and holds it until its input closes.

#include "folder_snapshot.h"
#include "test_registry.h"

#include "platform/folder_lock.h"
#include "store/request_folder.h"

#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

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

class TestFolderLock : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    // Refused, naming the folder and the holder, until the holder ends; the
    // lock is the one file a holder adds, and it goes with the holder.
    void secondProgramIsRefusedUntilTheFirstEnds()
    {
        const QString folder = dir_.filePath(QStringLiteral("solicitud"));
        RequestFolder::create(folder, QStringLiteral(QUELVAR_DATA_DIR));
        ageFiles(folder);
        const FolderSnapshot tables = snapshot(folder);
        QProcess holder;
        QVERIFY(startHolder(holder, folder));
        FolderLock second(folder);
        const QString refusal = second.acquire();
        QVERIFY2(refusal.contains(folder) && refusal.contains(QString::number(holder.processId())),
                 qPrintable(refusal));
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

};

QUELVAR_TEST_CLASS(TestFolderLock)
#include "test_folder_lock.moc"
