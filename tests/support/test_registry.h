#pragma once

// Several test classes in one program. Each test file ends with
// QUELVAR_TEST_CLASS(TestSomething) instead of a main of its own; the
// program's main (core_main.cpp or gui_main.cpp) runs every class, in name
// order, each under its own name in the output.
//
//   test_store                        every class
//   test_store -class TestRecordset   one class (the option may be repeated)
//
// Other arguments go to each class as QtTest reads them.

#include <QObject>

namespace TestRegistry {

using Factory = QObject *(*)();

bool add(const char *className, Factory make);

// Runs the classes; returns how many of them had a failure.
int run(int argc, char **argv);

} // namespace TestRegistry

#define QUELVAR_TEST_CLASS(Class)                                                                                      \
    namespace {                                                                                                        \
    [[maybe_unused]] const bool registered##Class =                                                                    \
        TestRegistry::add(#Class, []() -> QObject * { return new Class; });                                            \
    }
