#pragma once
// A shown main frame with its application and browser session over a scratch profile, on the
// offscreen platform. Questions the window asks go to the answers object given (by default the
// fixture's own). A test that needs settings first writes them into `profile` in its SetUp and
// then calls BrowserWindowTest::SetUp.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <QAction>
#include <QMenu>

#include "platform/scripted_host_services.h"
#include "shell/application.h"
#include "shell/browser_window.h"
#include "shell/main_frame.h"
#include "shell/qt_event_loop.h"
#include "tests/shell/qt_application.h"
#include "tests/support/scratch_directory.h"

namespace corvane::shell::testing {

class BrowserWindowTest : public ::testing::Test {
  protected:
    BrowserWindowTest() : BrowserWindowTest(ownAnswers_) {}
    explicit BrowserWindowTest(platform::ScriptedHostServices& answersToUse)
        : answers(answersToUse) {}

    void SetUp() override {
        frame.Host().AnswerQuestionsWith(&answers);
        application = std::make_unique<CApplication>(profile.path(), loop, frame.Host());
        ASSERT_TRUE(frame.ViewWidget().View().ApplySettings(application->ViewSettings()));
        window = std::make_unique<CBrowserWindow>(*application, frame.ViewWidget().View());
        frame.SetSession(window.get());
        frame.resize(640, 480);
        frame.show();
        loop.RunUntil([] { return false; }, 20);  // let the view take its size
    }
    void TearDown() override {
        frame.SetSession(nullptr);
        window.reset();
        application.reset();
        frame.Host().AnswerQuestionsWith(nullptr);
    }

    bool WaitForLoad() {
        return loop.RunUntil([this] { return window->IsSettled(); }, 10000);
    }
    bool OpenFile(const std::string& path) {
        window->OpenFile(path);
        return WaitForLoad();
    }
    // Triggers the enabled item of that text; false when the menu has none.
    static bool Trigger(QMenu& menu, const QString& text) {
        for (QAction* action : menu.actions()) {
            if (action->text() == text && action->isEnabled()) return action->trigger(), true;
        }
        return false;
    }

    corvane::testing::ScratchDirectory profile;
    corvane::testing::ScratchDirectory pages;

  private:
    platform::ScriptedHostServices ownAnswers_;

  protected:
    platform::ScriptedHostServices& answers;
    // The application object exists before the loop and the frame.
    std::unique_ptr<QtEventLoop> loopHolder = [] {
        TestApplication();
        return std::make_unique<QtEventLoop>();
    }();
    QtEventLoop& loop = *loopHolder;
    std::unique_ptr<CMainFrame> frameHolder = std::make_unique<CMainFrame>();
    CMainFrame& frame = *frameHolder;
    std::unique_ptr<CApplication> application;
    std::unique_ptr<CBrowserWindow> window;
};

}  // namespace corvane::shell::testing
