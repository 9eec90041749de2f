// Takes the lock of the request folder named as its argument, says so on its
// output ("bloqueada", or the refusal) and holds it until its input closes.

#include "platform/folder_lock.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    FolderLock lock(app.arguments().value(1));
    const QString error = lock.acquire();
    std::puts(error.isEmpty() ? "bloqueada" : qPrintable(error));
    std::fflush(stdout);
    if (!error.isEmpty())
        return 1;
    char c;
    while (std::fread(&c, 1, 1, stdin) == 1) {
    }
    return 0;
}
