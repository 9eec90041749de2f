// main of a core test program: no widgets, no display.

#include "test_registry.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return TestRegistry::run(argc, argv);
}
