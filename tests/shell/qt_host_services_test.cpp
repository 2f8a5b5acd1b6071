#include "shell/qt_host_services.h"

#include <gtest/gtest.h>

#include "shell/qt_text.h"
#include "tests/shell/qt_application.h"

namespace corvane::shell {
namespace {

TEST(QtHostServices, StatusProgressAndBusy) {
    testing::TestApplication();
    QMainWindow window;
    QtHostServices host(window);
    host.SetStatusText(std::string(2000, 'x'));
    EXPECT_EQ(host.StatusText().size(), 1024);
    host.SetStatusText("Loading Document /a.html...");
    EXPECT_EQ(host.StatusText(), "Loading Document /a.html...");

    struct Case {
        int value;
        int shown;
    };
    const Case cases[] = {{0, 0}, {64, 64}, {128, 128}, {129, -1}, {-1, -1}, {5, 5}};
    for (const Case& c : cases) {
        host.SetProgress(c.value);
        EXPECT_EQ(host.Progress(), c.shown) << c.value;
    }

    EXPECT_FALSE(host.IsBusy());
    host.SetBusy(true);
    EXPECT_TRUE(host.IsBusy());
    host.SetBusy(false);
    EXPECT_FALSE(host.IsBusy());
}

TEST(QtText, FiltersAndEncodings) {
    EXPECT_EQ(ToQtFilter("HTML Files (*.htm)|*.htm|All Files (*.*)|*.*||"),
              "HTML Files (*.htm);;All Files (*)");
    EXPECT_EQ(ToQtFilter(""), "");
    EXPECT_EQ(FromLatin1("caf\xe9"), QString::fromUtf8("caf\xc3\xa9"));
    EXPECT_EQ(ToUtf8(FromUtf8("caf\xc3\xa9")), "caf\xc3\xa9");
}

}  // namespace
}  // namespace corvane::shell
