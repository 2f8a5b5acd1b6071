// The frame's commands: each action answers to its command number, the toolbar holds the
// commands in their order, and the commands whose windows come from elsewhere wait for them.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenuBar>

#include "shell/busy_logo.h"
#include "shell/main_frame.h"
#include "tests/shell/qt_application.h"

namespace corvane::shell {
namespace {

TEST(MainFrameCommands, ActionsKeepTheirCommandNumbersAndTheToolbarItsOrder) {
    testing::TestApplication();
    CMainFrame frame;
    const std::pair<int, const char*> commands[] = {
        {57600, "&New Window"},
        {32773, "Open &Location..."},
        {57601, "Open &File..."},
        {57604, "&Save As..."},
        {57607, "&Print..."},
        {57608, "Print Pre&view"},
        {57606, "P&rint Setup..."},
        {57665, "E&xit"},
        {57634, "&Copy"},
        {57636, "&Find..."},
        {32779, "&Reload"},
        {32780, "&Load Images"},
        {32781, "R&efresh"},
        {32782, "&Document Source..."},
        {32783, "&Back"},
        {32784, "&Forward"},
        {32785, "&Home"},
        {32786, "&Stop Loading"},
        {32787, "H&istory..."},
        {32788, "&Add Bookmark"},
        {32789, "&Bookmarks..."},
        {32790, "&View Bookmarks"},
        {32791, "&Configurations..."},
        {32792, "Display &Toolbar"},
        {32793, "Display &Status Bar"},
        {32794, "Display &Location Bar"},
        {32796, "&Auto Load Images"},
        {32798, "&Mail..."},
        {32799, "&Post News..."},
        {32800, "&Newsgroups..."},
        {32801, "&Telnet..."},
        {32802, "&Gopher..."},
        {32803, "&FTP..."},
        {32804, "&Whois..."},
    };
    for (const auto& [number, text] : commands) {
        QAction* action = frame.CommandAction(number);
        ASSERT_NE(action, nullptr) << number;
        EXPECT_EQ(action->text(), text) << number;
    }
    QStringList toolbar;
    for (QAction* action : frame.ToolBarActions())
        toolbar << (action ? QString::number(action->data().toInt()) : "|");
    EXPECT_EQ(toolbar.join(' '),
              "32773 | 57607 | 32783 32784 32785 32779 32780 57636 | 32786 | 32789 | 32798 32799 | "
              "32800 32801 32802 32803 32804");
    for (QAction* action : frame.ToolBarActions()) {
        if (action) {
            EXPECT_FALSE(action->icon().isNull()) << action->text().toStdString();
        }
    }

    // Windows built elsewhere: their commands wait for the hook.
    frame.UpdateFromSession();
    EXPECT_FALSE(frame.CommandAction(32799)->isEnabled());
    bool posted = false;
    frame.openPostNews = [&posted] { posted = true; };
    frame.UpdateFromSession();
    frame.CommandAction(32799)->trigger();
    EXPECT_TRUE(posted);

    // The busy logo turns while the host is busy.
    auto* logo = dynamic_cast<BusyLogo*>(frame.menuBar()->cornerWidget());
    ASSERT_NE(logo, nullptr);
    frame.Host().SetBusy(true);
    EXPECT_TRUE(logo->IsBusy());
    frame.Host().SetBusy(false);
    EXPECT_FALSE(logo->IsBusy());
}

}  // namespace
}  // namespace corvane::shell
