#pragma once
// One QApplication for a whole test program, on the offscreen platform unless another is set.

#include <QApplication>
#include <cstdlib>

namespace corvane::shell::testing {

inline QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "corvane_tests";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication application(argc, argv);
    return application;
}

}  // namespace corvane::shell::testing
