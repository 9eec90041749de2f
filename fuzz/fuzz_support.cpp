#include "fuzz_support.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace FuzzSupport {

namespace {

struct Scratch {
    QString path;
    Scratch()
    {
        const QByteArray tmp = qgetenv("TMPDIR");
        const QString base = tmp.isEmpty() ? QStringLiteral("/dev/shm") : QString::fromLocal8Bit(tmp);
        path = base + QStringLiteral("/quelvar-fuzz-%1").arg(::getpid());
        QDir(path).removeRecursively();
        if (!QDir().mkpath(path))
            broken("no se pudo crear la carpeta de trabajo", path);
    }
    ~Scratch() { QDir(path).removeRecursively(); }
};

} // namespace

const QString &scratchFolder()
{
    static const Scratch scratch;
    return scratch.path;
}

void writeFile(const QString &path, const char *data, size_t size)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        broken("no se pudo escribir el archivo de trabajo", path);
    size_t done = 0;
    while (done < size) {
        const ssize_t w = ::write(fd, data + done, size - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            broken("no se pudo escribir el archivo de trabajo", path);
        done += size_t(w);
    }
    ::close(fd);
}

void broken(const char *what, const QString &detail)
{
    std::fprintf(stderr, "fuzz: %s%s%s\n", what, detail.isEmpty() ? "" : ": ", qPrintable(detail));
    std::fflush(stderr);
    std::abort();
}

} // namespace FuzzSupport
