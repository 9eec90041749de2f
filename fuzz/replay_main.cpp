// Feeds every file of a seed corpus to a fuzz target, as libFuzzer replays
// them: a crash, a sanitizer report or a broken invariant stops the run. A
// corpus that is missing or empty fails, so that a lost folder does not
// pass as a clean run.
#include "fuzz_support.h"

#include <QDir>

int main(int argc, char **argv)
{
    const QDir corpus(QString::fromLocal8Bit(argc == 2 ? argv[1] : ""));
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    if (argc != 2 || !corpus.exists() || names.isEmpty()) {
        std::fprintf(stderr, "FALLA: el corpus %s no existe o está vacío\n", argc == 2 ? argv[1] : "(ninguno)");
        return 1;
    }
    for (const QString &name : names) {
        QFile file(corpus.filePath(name));
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : (FuzzSupport::broken("no se puede leer", file.fileName()), QByteArray());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    std::printf("%lld entradas repasadas sin fallas\n", static_cast<long long>(names.size()));
    return 0;
}
