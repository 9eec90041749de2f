// main of a widget test program, set up as QTEST_MAIN sets one up.

#include "test_registry.h"

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char **argv)
{
    // What the program keeps between runs (the paper chosen) stays within
    // this run.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    return TestRegistry::run(argc, argv);
}
