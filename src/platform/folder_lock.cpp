#include "folder_lock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the file says of its holder: "process\nprogram\ncomputer\n", as
// Qt's QLockFile writes it, the layout the lock file has always had.
QByteArray holderText()
{
    return QByteArray::number(::getpid()) + '\n'
           + QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).fileName().toUtf8() + '\n'
           + QSysInfo::machineHostName().toUtf8() + '\n';
}

// A lock the kernel holds for this opening of the file, dropped when the
// process ends however it ends: flock, or where a file system has no flock,
// an open-file-description lock on the whole file. 0, or -1 with errno set
// (EWOULDBLOCK: another opening holds it).
int lockWhole(int fd)
{
    int locked;
    do
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    if (locked == 0 || (errno != ENOLCK && errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL))
        return locked;
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_SETLK, &whole) == 0)
        return 0;
    if (errno == EAGAIN || errno == EACCES)
        errno = EWOULDBLOCK;
    return -1;
}

bool sameFile(const struct stat &a, const struct stat &b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

} // namespace

FolderLock::FolderLock(const QString &folder) : folder_(folder), path_(QDir(folder).filePath(fileName())) {}

FolderLock::~FolderLock() { release(); }

void FolderLock::release()
{
    if (fd_ < 0)
        return;
    // The file goes while it is still locked: whoever locks it after this
    // finds it no longer in the folder and takes the one there.
    ::unlink(QFile::encodeName(path_).constData());
    ::close(fd_);
    fd_ = -1;
}

QString FolderLock::acquire()
{
    if (fd_ >= 0)
        return {};
    const QByteArray path = QFile::encodeName(path_);
    // Another try only when the holder released the folder between our
    // opening of the file and our lock on it, and removed the file.
    for (int tries = 0; tries < 100; ++tries) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0)
            return refusal(errno);
        int locked = lockWhole(fd);
        if (locked != 0) {
            const int error = errno;
            ::close(fd);
            return refusal(error);
        }
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd, &opened) == 0 && ::stat(path.constData(), &named) == 0 && sameFile(opened, named)) {
            fd_ = fd;
            // The new text over the old, then the old one's tail cut, so a
            // reader never finds the file empty. It only words a refusal: the
            // lock stands whether or not it is written.
            const QByteArray text = holderText();
            [[maybe_unused]] const bool written =
                ::pwrite(fd_, text.constData(), size_t(text.size()), 0) == ssize_t(text.size())
                && ::ftruncate(fd_, off_t(text.size())) == 0;
            return {};
        }
        ::close(fd);
    }
    return refusal(EWOULDBLOCK);
}

QString FolderLock::refusal(int error) const
{
    const QString folder = QDir::toNativeSeparators(folder_);
    if (!QFileInfo(folder_).isDir())
        return QStringLiteral("La carpeta de solicitud «%1» no existe.").arg(folder);
    switch (error) {
    case EWOULDBLOCK: {
        QString holder;
        QFile file(path_);
        if (file.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> lines = file.read(4096).split('\n');
            const qint64 pid = lines.value(0).trimmed().toLongLong();
            const QString app = QString::fromUtf8(lines.value(1).trimmed());
            const QString host = QString::fromUtf8(lines.value(2).trimmed());
            if (pid > 0) {
                holder = QStringLiteral(" (proceso %1").arg(pid);
                if (!app.isEmpty())
                    holder += QStringLiteral(", «%1»").arg(app);
                if (!host.isEmpty() && host != QSysInfo::machineHostName())
                    holder += QStringLiteral(", en el equipo %1").arg(host);
                holder += u')';
            }
        }
        return QStringLiteral("La carpeta de solicitud «%1» ya está abierta en otro programa QUELVAR%2.\n\n"
                              "Cierre ese programa antes de abrir esta carpeta de nuevo.")
            .arg(folder, holder);
    }
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("No se puede escribir en la carpeta de solicitud «%1»: no hay permiso para crear "
                              "el archivo «%2», con el que el programa la reserva mientras trabaja en ella.")
            .arg(folder, fileName());
    case ENOLCK:
    case EOPNOTSUPP:
    case ENOSYS:
        return QStringLiteral("No se pudo reservar la carpeta de solicitud «%1»: el sistema de archivos en que "
                              "está no permite bloquear el archivo «%2».")
            .arg(folder, fileName());
    default:
        return QStringLiteral("No se pudo reservar la carpeta de solicitud «%1»: no se pudo escribir en ella "
                              "el archivo «%2».")
            .arg(folder, fileName());
    }
}
