// main of a widget test program, set up as QTEST_MAIN sets one up.

#include "test_registry.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    return TestRegistry::run(argc, argv);
}
