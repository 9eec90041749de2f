#include "folder_lock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QSysInfo>

namespace {

// The lock files held by this process, so that a lock file naming this
// process can be told apart from one of a program that died.
QMutex heldMutex;
QSet<QString> &heldHere()
{
    static QSet<QString> held;
    return held;
}

QString key(const QString &path) { return QFileInfo(path).absoluteFilePath(); }

} // namespace

FolderLock::FolderLock(const QString &folder)
    : folder_(folder), lock_(QDir(folder).filePath(fileName()))
{
    // Held for as long as the program runs: only a holder that no longer
    // runs makes the lock stale, never its age.
    lock_.setStaleLockTime(0);
}

FolderLock::~FolderLock() { release(); }

void FolderLock::release()
{
    if (!lock_.isLocked())
        return;
    lock_.unlock();
    const QMutexLocker locker(&heldMutex);
    heldHere().remove(key(lock_.fileName()));
}

bool FolderLock::holderIsGone()
{
    // Qt takes the holder for running while a task of its number runs
    // under the program's name. After a crash the number may have come
    // round to this program, or to a thread of this or another program: a
    // thread's number is no program's, and this program holds no lock it
    // does not know of.
    qint64 pid = 0;
    QString host;
    QString app;
    if (!lock_.getLockInfo(&pid, &host, &app) || (!host.isEmpty() && host != QSysInfo::machineHostName()))
        return false;
    if (pid == QCoreApplication::applicationPid()) {
        const QMutexLocker locker(&heldMutex);
        return !heldHere().contains(key(lock_.fileName()));
    }
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith("Tgid:"))
            return line.mid(5).trimmed().toLongLong() != pid;
    return false;
}

QString FolderLock::acquire()
{
    if (lock_.isLocked())
        return {};
    bool taken = lock_.tryLock(0);
    if (!taken && lock_.error() == QLockFile::LockFailedError && holderIsGone() && lock_.removeStaleLockFile())
        taken = lock_.tryLock(0);
    if (taken) {
        const QMutexLocker locker(&heldMutex);
        heldHere().insert(key(lock_.fileName()));
        return {};
    }
    const QString folder = QDir::toNativeSeparators(folder_);
    if (!QFileInfo(folder_).isDir())
        return QStringLiteral("La carpeta de solicitud «%1» no existe.").arg(folder);
    switch (lock_.error()) {
    case QLockFile::LockFailedError: {
        qint64 pid = 0;
        QString host;
        QString app;
        QString holder;
        if (lock_.getLockInfo(&pid, &host, &app)) {
            holder = QStringLiteral(" (proceso %1").arg(pid);
            if (!app.isEmpty())
                holder += QStringLiteral(", «%1»").arg(app);
            if (!host.isEmpty() && host != QSysInfo::machineHostName())
                holder += QStringLiteral(", en el equipo %1").arg(host);
            holder += u')';
        }
        return QStringLiteral("La carpeta de solicitud «%1» ya está abierta en otro programa QUELVAR%2.\n\n"
                              "Cierre ese programa antes de abrir esta carpeta de nuevo.")
            .arg(folder, holder);
    }
    case QLockFile::PermissionError:
        return QStringLiteral("No se puede escribir en la carpeta de solicitud «%1»: no hay permiso para crear "
                              "el archivo «%2», con el que el programa la reserva mientras trabaja en ella.")
            .arg(folder, fileName());
    default:
        return QStringLiteral("No se pudo reservar la carpeta de solicitud «%1»: no se pudo escribir en ella "
                              "el archivo «%2».")
            .arg(folder, fileName());
    }
}
