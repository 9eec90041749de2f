// quelvar-ensayo-cortes: QUELVAR killed at random moments while it saves,
// writes and deletes rows, erases and recovers the request, and the request
// folder checked after each kill (see parent.h and child.h).
//
//   quelvar-ensayo-cortes [--ensayos N] [--semilla S] [--ventana MS] [--carpeta DIR] [--detalle]
#include "child.h"
#include "parent.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstring>

namespace {

const char *const kUsage =
    "uso: quelvar-ensayo-cortes [--ensayos N] [--semilla S] [--ventana MS] [--carpeta DIR] [--detalle]\n"
    "  --ensayos N    cuántas veces se inicia y se corta el programa (1000)\n"
    "  --semilla S    repite una corrida anterior\n"
    "  --ventana MS   los cortes «en cualquier momento» caen hasta MS ms tras el arranque (1500)\n"
    "  --carpeta DIR  trabaja en DIR y la deja (si no, una carpeta temporal que se borra)\n"
    "  --detalle      una línea por ensayo\n";

bool number(const char *text, quint32 *value)
{
    char *end = nullptr;
    const unsigned long long n = std::strtoull(text, &end, 10);
    if (!*text || *end || n > 0xFFFFFFFFull)
        return false;
    *value = quint32(n);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 2 && std::strcmp(argv[1], "--hijo") == 0) {
        CrashTrial::ChildOptions child;
        child.folder = QString::fromLocal8Bit(argv[2]);
        for (int i = 3; i + 1 < argc; i += 2) {
            quint32 value = 0;
            if (!number(argv[i + 1], &value))
                return 2;
            if (std::strcmp(argv[i], "--semilla") == 0)
                child.seed = value;
            else if (std::strcmp(argv[i], "--primera") == 0)
                child.firstPhase = int(value);
        }
        return CrashTrial::runChild(argc, argv, child);
    }

    QCoreApplication app(argc, argv);
    CrashTrial::ParentOptions options;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
        quint32 n = 0;
        if (std::strcmp(arg, "--detalle") == 0) {
            options.verbose = true;
            continue;
        }
        if (std::strcmp(arg, "--carpeta") == 0 && value) {
            options.workFolder = QString::fromLocal8Bit(value);
        } else if (value && number(value, &n) && std::strcmp(arg, "--ensayos") == 0 && n > 0) {
            options.trials = int(n);
        } else if (value && number(value, &n) && std::strcmp(arg, "--semilla") == 0) {
            options.seed = n;
            options.seedGiven = true;
        } else if (value && number(value, &n) && std::strcmp(arg, "--ventana") == 0 && n > 0) {
            options.windowMs = int(n);
        } else {
            QTextStream(stderr) << kUsage;
            return 2;
        }
        ++i;
    }
    return CrashTrial::runParent(QCoreApplication::applicationFilePath(), options);
}
