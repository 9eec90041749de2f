#pragma once

// What the fuzz targets share: the entry point, a scratch folder, and how a
// broken invariant stops the run.

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace FuzzSupport {

[[noreturn]] inline void broken(const char *what, const QString &detail = {})
{
    std::fprintf(stderr, "fuzz: %s%s%s\n", what, detail.isEmpty() ? "" : ": ", qPrintable(detail));
    std::fflush(stderr);
    std::abort();
}

// A folder of this process's own, in $TMPDIR or else /dev/shm, removed at exit.
inline QString scratchFolder()
{
    static const QTemporaryDir dir(qEnvironmentVariable("TMPDIR", QStringLiteral("/dev/shm")) + "/quelvar-fuzz-XXXXXX");
    if (!dir.isValid())
        broken("no se pudo crear la carpeta de trabajo", dir.path());
    return dir.path();
}

// The bytes as the whole file: a failure here is no outcome of the code under test.
inline void writeFile(const QString &path, const char *data, size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data, qint64(size)) != qint64(size))
        broken("no se pudo escribir el archivo de trabajo", path);
}

} // namespace FuzzSupport
