#include "test_registry.h"

#include <QByteArrayList>
#include <QMap>
#include <QMetaMethod>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

QMap<QByteArray, TestRegistry::Factory> &classes()
{
    static QMap<QByteArray, TestRegistry::Factory> registered;
    return registered;
}

// What QtTest's -functions prints for one class, which it cannot do for
// more than one: it ends the program after the first.
void printFunctions(const QObject &test)
{
    static const QByteArrayList special{"initTestCase", "cleanupTestCase", "init", "cleanup"};
    const QMetaObject *meta = test.metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod m = meta->method(i);
        if (m.methodType() == QMetaMethod::Slot && m.access() == QMetaMethod::Private && m.parameterCount() == 0
            && !special.contains(m.name()) && !m.name().endsWith("_data"))
            std::printf("%s()\n", m.name().constData());
    }
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
    const bool listOnly =
        std::any_of(args.cbegin(), args.cend(), [](const char *a) { return qstrcmp(a, "-functions") == 0; });
    int failed = 0;
    for (auto it = classes().cbegin(); it != classes().cend(); ++it) {
        if (!chosen.isEmpty() && !chosen.contains(it.key()))
            continue;
        const std::unique_ptr<QObject> test(it.value()());
        if (listOnly) {
            printFunctions(*test);
            continue;
        }
        if (QTest::qExec(test.get(), int(args.size()), args.data()) != 0)
            ++failed;
    }
    return failed;
}
