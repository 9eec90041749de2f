#include "exchange_files.h"

#include "request_exchange.h"
#include "store/store_error.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RequestExchange {

FileHandle::FileHandle(const QString &path, int flags)
    : fd_(::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, 0644))
{}

FileHandle::~FileHandle()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int FileHandle::close()
{
    const int fd = fd_;
    fd_ = -1;
    return fd >= 0 ? ::close(fd) : 0;
}

QString nativePath(const QString &path) { return QDir::toNativeSeparators(path); }

QString faultText(int err)
{
    switch (err) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("no queda espacio");
    case EROFS:
        return QStringLiteral("es de sólo lectura");
    case EACCES:
    case EPERM:
        return QStringLiteral("no hay permiso");
    case EIO:
        return QStringLiteral("error de entrada o salida (el medio puede estar dañado o haberse retirado)");
    case ENOENT:
        return QStringLiteral("no existe");
    default:
        return QString::fromLocal8Bit(std::strerror(err));
    }
}

QStringList matchingFiles(const QString &folder, const QString &file)
{
    QStringList found;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &name : names)
        if (name.compare(file, Qt::CaseInsensitive) == 0)
            found.append(name);
    return found;
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa {
    }, sb{};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0
           && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void syncFolder(const QString &folder)
{
    const FileHandle dir(folder, O_RDONLY | O_DIRECTORY);
    if (dir.fd() < 0) {
        const int err = errno;
        throw StoreError(
            QStringLiteral("No se pudo abrir la carpeta «%1»: %2.").arg(nativePath(folder), faultText(err)));
    }
    // A file system that cannot sync a folder (EINVAL) writes its entries
    // with the files it syncs.
    const int err = ::fsync(dir.fd()) == 0 ? 0 : errno;
    if (err != 0 && err != EINVAL && err != ENOTSUP)
        throw StoreError(QStringLiteral("No se pudo asegurar en disco la carpeta «%1»: %2.")
                             .arg(nativePath(folder), faultText(err)));
}

namespace {

RenameFunction &renameFunction()
{
    static RenameFunction rename;
    return rename;
}

} // namespace

void setRenameFunction(RenameFunction rename) { renameFunction() = std::move(rename); }

void moveFile(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    const RenameFunction &rename = renameFunction();
    if ((rename ? rename(source, target) : ::rename(source.constData(), target.constData())) != 0) {
        const int err = errno;
        throw StoreError(
            QStringLiteral("No se pudo mover «%1» a «%2»: %3.").arg(nativePath(from), nativePath(to), faultText(err)));
    }
}

} // namespace RequestExchange
