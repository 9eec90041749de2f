// Copying the request's tables to and from the exchange medium: the copy of
// one file, the read-back of an export, and the file look-up that ignores
// case. The recovery's checks and its exchange of tables: request_recovery.cpp.
#include "request_exchange.h"

#include "exchange_files.h"
#include "store/store_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace RequestExchange {

namespace {

constexpr size_t kChunk = 64 * 1024;
// A copy's bytes are sent to the medium this far behind the writes.
constexpr qint64 kWrittenBehind = 8 << 20;

WriteFunction &writeFunction()
{
    static WriteFunction write;
    return write;
}

qint64 writeSome(const QString &target, int fd, const char *data, qint64 size)
{
    if (const WriteFunction &write = writeFunction())
        return write(target, fd, data, size);
    return ::write(fd, data, size_t(size));
}

// Reads up to size bytes, fewer only at the end of the file; -1 on an error.
qint64 readFull(int fd, char *data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t r = ::read(fd, data + done, size - done);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return -1;
        if (r == 0)
            break;
        done += size_t(r);
    }
    return qint64(done);
}

// Compares two files; -1 when equal, else the offset of the first byte
// (from 0) that differs or that one of them lacks. Throws on a read error;
// `compared` hears of the bytes of `a` compared so far.
qint64 firstDifference(const QString &a, const QString &b, const std::function<bool(qint64)> &compared)
{
    const FileHandle fa(a, O_RDONLY);
    const FileHandle fb(b, O_RDONLY);
    if (fa.fd() < 0 || fb.fd() < 0) {
        const int err = errno;
        throw StoreError(
            QStringLiteral("No se pudo leer «%1»: %2.").arg(nativePath(fa.fd() < 0 ? a : b), faultText(err)));
    }
    // What the copy's pages still hold in memory is dropped first, so that
    // the comparison reads the medium itself where the system allows it.
    ::posix_fadvise(fb.fd(), 0, 0, POSIX_FADV_DONTNEED);
    std::vector<char> ba(kChunk), bb(kChunk);
    for (qint64 offset = 0;;) {
        const auto readChunk = [](const FileHandle &f, std::vector<char> &into, const QString &path) {
            const qint64 got = readFull(f.fd(), into.data(), kChunk);
            if (got < 0) {
                const int err = errno;
                throw StoreError(QStringLiteral("No se pudo leer «%1»: %2.").arg(nativePath(path), faultText(err)));
            }
            return got;
        };
        const qint64 ra = readChunk(fa, ba, a);
        const qint64 rb = readChunk(fb, bb, b);
        const qint64 common = std::min(ra, rb);
        for (qint64 i = 0; i < common; ++i)
            if (ba[size_t(i)] != bb[size_t(i)])
                return offset + i;
        if (ra != rb)
            return offset + common;
        if (ra == 0)
            return -1;
        offset += ra;
        if (compared && !compared(offset))
            throw Cancelled{};
    }
}

} // namespace

const QStringList &tables()
{
    static const QStringList names{QStringLiteral("empresas"), QStringLiteral("solicitu"), QStringLiteral("insupedi"),
                                   QStringLiteral("insunit"),  QStringLiteral("exporped"), QStringLiteral("factura"),
                                   QStringLiteral("impTLC")};
    return names;
}

QString backupsFolder(const QString &requestFolder)
{
    return QDir(requestFolder).filePath(QStringLiteral("respaldos"));
}

qint64 tablesSize(const QString &folder)
{
    qint64 size = 0;
    for (const QString &table : tables())
        if (const QString file = findFile(folder, fileOf(table)); !file.isEmpty())
            size += QFileInfo(file).size();
    return size;
}

Progress partOf(const Progress &whole, qint64 before, qint64 total)
{
    if (!whole)
        return {};
    return [whole, before, total](qint64 done, qint64) { return whole(before + done, std::max(total, before + done)); };
}

QString findFile(const QString &folder, const QString &file)
{
    const QStringList found = matchingFiles(folder, file);
    if (found.contains(file))
        return QDir(folder).filePath(file);
    return found.isEmpty() ? QString() : QDir(folder).filePath(found.first());
}

void setWriteFunction(WriteFunction write) { writeFunction() = std::move(write); }

void copyTable(const QString &from, const QString &to, const QString &file, const Progress &progress)
{
    const QString source = findFile(from, file);
    if (source.isEmpty())
        throw StoreError(QStringLiteral("No se encontró «%1» en «%2».").arg(file, nativePath(from)));
    const QString target = QDir(to).filePath(file);
    // Durability, 1: the bytes are written under a temporary name, so that
    // the table's own name never shows part of a copy.
    const QString temp = target + QStringLiteral(".quelvar-nuevo");
    const auto writeFailed = [&](int err) {
        ::unlink(QFile::encodeName(temp).constData());
        throw StoreError(
            QStringLiteral("No se pudo escribir «%1» en «%2»: %3.").arg(file, nativePath(to), faultText(err)));
    };

    const FileHandle in(source, O_RDONLY);
    if (in.fd() < 0) {
        const int err = errno;
        throw StoreError(QStringLiteral("No se pudo leer «%1»: %2.").arg(nativePath(source), faultText(err)));
    }
    FileHandle out(temp, O_WRONLY | O_CREAT | O_TRUNC);
    if (out.fd() < 0)
        writeFailed(errno);
    struct stat st {};
    const qint64 size = ::fstat(in.fd(), &st) == 0 ? qint64(st.st_size) : 0;
    std::vector<char> buffer(kChunk);
    for (qint64 copied = 0;;) {
        const qint64 got = readFull(in.fd(), buffer.data(), kChunk);
        if (got < 0) {
            const int err = errno;
            ::unlink(QFile::encodeName(temp).constData());
            throw StoreError(QStringLiteral("No se pudo leer «%1»: %2.").arg(nativePath(source), faultText(err)));
        }
        if (got == 0)
            break;
        for (qint64 done = 0; done < got;) {
            const qint64 w = writeSome(temp, out.fd(), buffer.data() + done, got - done);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                writeFailed(w == 0 ? ENOSPC : errno); // nothing written: the medium is full
            done += w;
        }
        // The bytes go to the medium as they are written, a few megabytes
        // behind: the progress then follows the medium (a stick takes its
        // time) and the sync below, which alone decides, is short enough
        // for "Cancelar" to be heard. Where the system cannot, it syncs all.
        ::sync_file_range(out.fd(), copied, got, SYNC_FILE_RANGE_WRITE);
        if (copied >= kWrittenBehind)
            ::sync_file_range(out.fd(), copied - kWrittenBehind, got,
                              SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
        copied += got;
        if (progress && !progress(copied, std::max(size, copied))) {
            ::unlink(QFile::encodeName(temp).constData());
            throw Cancelled{};
        }
    }
    // Durability, 2: the file is synced, so that its bytes are on the medium
    // before its name is.
    if (::fsync(out.fd()) != 0)
        writeFailed(errno);
    // The copy is not read again from memory: the export's read-back is to
    // come from the medium itself (where the system honours the advice).
    ::posix_fadvise(out.fd(), 0, 0, POSIX_FADV_DONTNEED);
    // A file system that writes late (FAT, network folders) may report
    // its error only now.
    if (out.close() != 0)
        writeFailed(errno);
    // Durability, 3: renamed into place: the name holds the older copy or
    // the whole new one, never a part.
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0)
        writeFailed(errno);
    // An older copy under another case (on a medium that tells cases apart)
    // would be read back in place of this one: it goes.
    for (const QString &other : matchingFiles(to, file))
        if (other != file && !sameFile(QDir(to).filePath(other), target))
            ::unlink(QFile::encodeName(QDir(to).filePath(other)).constData());
    // Durability, 4: the folder is synced, so that the rename itself
    // survives a power cut or a stick pulled out.
    syncFolder(to);
}

void verifyCopies(const QString &requestFolder, const QString &medium, const Progress &progress)
{
    // Every copy is read back whole and compared byte for byte with the
    // request's table before the export counts as done.
    const qint64 total = progress ? tablesSize(requestFolder) : 0;
    qint64 before = 0;
    for (const QString &table : tables()) {
        const QString file = fileOf(table);
        const QString local = findFile(requestFolder, file);
        if (local.isEmpty())
            throw StoreError(QStringLiteral("No se encontró «%1» en «%2».").arg(file, nativePath(requestFolder)));
        const Progress part = partOf(progress, before, total);
        const qint64 at = firstDifference(local, QDir(medium).filePath(file),
                                          [&part](qint64 compared) { return !part || part(compared, compared); });
        before += QFileInfo(local).size();
        if (at >= 0)
            throw StoreError(QStringLiteral("La copia de «%1» en «%2» no es igual a la tabla de la solicitud "
                                            "(difiere desde el byte %3).")
                                 .arg(file, nativePath(medium))
                                 .arg(at + 1));
    }
}

} // namespace RequestExchange
