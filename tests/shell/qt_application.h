#pragma once
// One QApplication for a whole test program, on the offscreen platform unless another is set.
// It goes when the tests end, before the program's exit handlers run Qt's own clean-up.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

namespace corvane::shell::testing {

inline QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "corvane_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        auto* made = new QApplication(argc, argv);
        class Ending : public ::testing::Environment {
          public:
            explicit Ending(QApplication* app) : app_(app) {}
            void TearDown() override { delete app_; }

          private:
            QApplication* app_;
        };
        ::testing::AddGlobalTestEnvironment(new Ending(made));
        return made;
    }();
    return *application;
}

}  // namespace corvane::shell::testing
