// Feeds every file of a seed corpus to a fuzz target, one after the other,
// as libFuzzer would replay them: a crash, a sanitizer report or a broken
// invariant stops the run. A corpus that is missing or empty fails, so that
// a lost folder does not pass as a clean run.
#include "fuzz_support.h"

#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "uso: %s CARPETA_DEL_CORPUS\n", argv[0]);
        return 2;
    }
    const QDir corpus(QString::fromLocal8Bit(argv[1]));
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    if (!corpus.exists() || names.isEmpty()) {
        std::fprintf(stderr, "FALLA: el corpus %s no existe o está vacío\n", argv[1]);
        return 1;
    }
    for (const QString &name : names) {
        QFile file(corpus.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "FALLA: no se puede leer %s\n", qPrintable(file.fileName()));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        std::fprintf(stderr, "%s (%lld bytes)\n", qPrintable(name), static_cast<long long>(bytes.size()));
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    std::printf("%lld entradas repasadas sin fallas\n", static_cast<long long>(names.size()));
    return 0;
}
