#include "test_registry.h"

#include <QByteArrayList>
#include <QMap>
#include <QTest>

#include <cstdio>
#include <memory>

namespace {

QMap<QByteArray, TestRegistry::Factory> &classes()
{
    static QMap<QByteArray, TestRegistry::Factory> registered;
    return registered;
}

} // namespace

bool TestRegistry::add(const char *className, Factory make)
{
    classes().insert(className, make);
    return true;
}

int TestRegistry::run(int argc, char **argv)
{
    QByteArrayList chosen;
    QList<char *> args{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "-class") == 0 && i + 1 < argc)
            chosen.append(argv[++i]);
        else
            args.append(argv[i]);
    }
    for (const QByteArray &name : chosen) {
        if (!classes().contains(name)) {
            std::fprintf(stderr, "no test class %s; classes: %s\n", name.constData(),
                         classes().keys().join(' ').constData());
            return 1;
        }
    }
    int failed = 0;
    for (auto it = classes().cbegin(); it != classes().cend(); ++it) {
        if (!chosen.isEmpty() && !chosen.contains(it.key()))
            continue;
        const std::unique_ptr<QObject> test(it.value()());
        if (QTest::qExec(test.get(), int(args.size()), args.data()) != 0)
            ++failed;
    }
    return failed;
}
