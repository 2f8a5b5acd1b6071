// The frame's commands: the toolbar holds the commands in their order, and the commands whose
// windows come from elsewhere wait for them.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenuBar>

#include "shell/busy_logo.h"
#include "shell/main_frame.h"
#include "tests/shell/qt_application.h"

namespace corvane::shell {
namespace {

TEST(MainFrameCommands, ToolbarKeepsItsOrderAndHookedCommandsWaitForTheirWindows) {
    testing::TestApplication();
    CMainFrame frame;
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
