// The headless application that widget tests need, made once per test program.
#pragma once

#include <QApplication>

namespace test_support {

inline void EnsureQtApp() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    static int argc = 1;
    static char name[] = "varoku-test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

} // namespace test_support
