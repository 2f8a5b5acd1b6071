#include "shell/qt_host_services.h"

#include <gtest/gtest.h>

#include "shell/qt_text.h"
#include "tests/shell/qt_application.h"

namespace corvane::shell {
namespace {

TEST(QtHostServices, StatusAndProgressAreBounded) {
    testing::TestApplication();
    QMainWindow window;
    QtHostServices host(window);
    host.SetStatusText(std::string(2000, 'x'));
    EXPECT_EQ(host.StatusText().size(), 1024);

    struct Case {
        int value;
        int shown;
    };
    const Case cases[] = {{0, 0}, {64, 64}, {128, 128}, {129, -1}, {-1, -1}, {5, 5}};
    for (const Case& c : cases) {
        host.SetProgress(c.value);
        EXPECT_EQ(host.Progress(), c.shown) << c.value;
    }
}

// Qt reads the patterns from the description's parentheses, separated by blanks: "(*.htm;*.html)"
// matched nothing, and "*.*" would leave out names without a dot.
TEST(QtText, FileDialogFiltersAsQtReadsThem) {
    const struct {
        const char* filter;
        const char* qt;
    } cases[] = {
        {"HTML Files (*.htm;*.html)|*.htm;*.html|All Files (*.*)|*.*||",
         "HTML Files (*.htm *.html);;All Files (*)"},
        {"text/plain Files (*.txt)|*.txt|All Files (*.*)|*.*||",
         "text/plain Files (*.txt);;All Files (*)"},
        {"Pictures|*.gif; *.jpg", "Pictures (*.gif *.jpg)"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ToQtFilter(c.filter), c.qt) << c.filter;
}

}  // namespace
}  // namespace corvane::shell
