// One program per request folder. The other program is lock_holder, a child
// process that takes the lock and holds it until its input closes.

#include "test_registry.h"
#include "folder_snapshot.h"

#include "platform/folder_lock.h"
#include "store/request_folder.h"

#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

class TestFolderLock : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString folder_;

    QString lockPath() const { return QDir(folder_).filePath(FolderLock::fileName()); }

    // Starts a holder on the folder; true once it says it holds the lock.
    static bool startHolder(QProcess &holder, const QString &folder)
    {
        holder.start(QStringLiteral(LOCK_HOLDER), {folder});
        if (!holder.waitForStarted() || !holder.waitForReadyRead(10000))
            return false;
        return holder.readLine().trimmed() == "bloqueada";
    }

    static qint64 pidInLock(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readLine().trimmed().toLongLong() : 0;
    }

private slots:
    void init()
    {
        QString name = QString::fromLatin1(QTest::currentTestFunction());
        if (QTest::currentDataTag())
            name += u'-' + QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-');
        folder_ = dir_.filePath(name);
        RequestFolder::create(folder_, QStringLiteral(QUELVAR_DATA_DIR));
        ageFiles(folder_);
    }

    void secondProgramIsRefusedUntilTheFirstEnds()
    {
        const FolderSnapshot tables = snapshot(folder_);
        QProcess holder;
        QVERIFY(startHolder(holder, folder_));

        FolderLock second(folder_);
        const QString refusal = second.acquire();
        QVERIFY2(refusal.contains(folder_), qPrintable(refusal));
        QVERIFY2(refusal.contains(QString::number(holder.processId())), qPrintable(refusal));
        QVERIFY(!second.isHeld());

        // The lock is the only file the holder added.
        FolderSnapshot withLock = snapshot(folder_);
        QVERIFY(withLock.remove(FolderLock::fileName()) == 1);
        QVERIFY(withLock == tables);

        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
        QCOMPARE(holder.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(lockPath()));

        QCOMPARE(second.acquire(), QString());
        QVERIFY(second.isHeld());
        QCOMPARE(pidInLock(lockPath()), QCoreApplication::applicationPid());

        second.release();
        QVERIFY(!QFileInfo::exists(lockPath()));
        QVERIFY(snapshot(folder_) == tables);
    }

    // A lock left by a program that died is taken over at once, whatever
    // process the file names: numbers come round, to a running program or
    // to this one. A lock this process holds is still refused to it.
    void lockOfAProgramThatDiedIsTakenOver_data()
    {
        QTest::addColumn<QString>("number"); // what the number left in the lock now is
        QTest::newRow("killed outright") << "gone";
        QTest::newRow("a running program's number") << "running";
        QTest::newRow("this process's number") << "this process";
    }
    void lockOfAProgramThatDiedIsTakenOver()
    {
        QFETCH(QString, number);
        QProcess holder;
        if (number == QLatin1String("gone")) {
            QVERIFY(startHolder(holder, folder_));
            holder.kill();
            QVERIFY(holder.waitForFinished(10000));
        } else {
            // The file as a program that died leaves it, naming a process
            // that runs under the name it gives.
            qint64 pid = QCoreApplication::applicationPid();
            QByteArray name = "test_platform";
            if (number == QLatin1String("running")) {
                const QString elsewhere = folder_ + QStringLiteral("-otra");
                QVERIFY(QDir().mkpath(elsewhere));
                QVERIFY(startHolder(holder, elsewhere));
                pid = holder.processId();
                name = "lock_holder";
            }
            QFile file(lockPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            const QByteArray text =
                QByteArray::number(pid) + '\n' + name + '\n' + QSysInfo::machineHostName().toUtf8() + '\n';
            QCOMPARE(file.write(text), text.size());
        }
        QVERIFY(QFileInfo::exists(lockPath()));

        FolderLock lock(folder_);
        QCOMPARE(lock.acquire(), QString());
        QVERIFY(lock.isHeld());
        QCOMPARE(pidInLock(lockPath()), QCoreApplication::applicationPid());
        FolderLock second(folder_);
        QVERIFY(!second.acquire().isEmpty());
        QVERIFY(!second.isHeld());
        QVERIFY(lock.isHeld());
        holder.closeWriteChannel(); // the running program ends
        holder.waitForFinished(10000);
    }

    void folderWhereNoLockCanBeWrittenIsReported()
    {
        if (geteuid() != 0) {
            QVERIFY(QFile::setPermissions(folder_, QFile::ReadOwner | QFile::ExeOwner));
            FolderLock readOnly(folder_);
            const QString refusal = readOnly.acquire();
            QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QVERIFY2(refusal.contains(folder_), qPrintable(refusal));
            QVERIFY(!readOnly.isHeld());
        }
        const QString gone = dir_.filePath(QStringLiteral("no-existe"));
        FolderLock lock(gone);
        const QString error = lock.acquire();
        QVERIFY2(error.contains(gone), qPrintable(error));
        QVERIFY(!lock.isHeld());
        QVERIFY(!QFileInfo::exists(gone));
    }
};

QUELVAR_TEST_CLASS(TestFolderLock)
#include "test_folder_lock.moc"
