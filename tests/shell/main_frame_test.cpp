// The window on the offscreen platform: type an address into the location bar, load it, click a
// link in the view, go back.
#include "shell/main_frame.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

#include "html/document.h"
#include "shell/application.h"
#include "shell/browser_window.h"
#include "shell/new_window.h"
#include "shell/qt_event_loop.h"
#include "store/history_file.h"
#include "tests/shell/qt_application.h"
#include "tests/support/scratch_directory.h"

namespace corvane::shell {
namespace {

std::unique_ptr<QtEventLoop> MakeLoop() {
    testing::TestApplication();
    return std::make_unique<QtEventLoop>();
}

class MainFrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::TestApplication();
        pages.Write("first.html", "<title>First</title>Go to <a href=second.html>the second</a>.");
        pages.Write("second.html", "<title>Second</title>Arrived.");
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
    }
    bool WaitForLoad() {
        return loop.RunUntil([this] { return window->IsSettled(); }, 10000);
    }
    void Type(const QString& text) {
        QLineEdit* field = frame.LocationBox().lineEdit();
        field->setFocus();
        field->setText(text);
        // The combo box is its line edit's focus proxy: a real key press arrives there.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(&frame.LocationBox(), &press);
    }
    void Click(render::Point documentPoint) {
        QWidget* viewport = frame.ViewWidget().viewport();
        const QPoint at(documentPoint.x - frame.ViewWidget().horizontalScrollBar()->value(),
                        documentPoint.y - frame.ViewWidget().verticalScrollBar()->value());
        QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &release);
    }

    corvane::testing::ScratchDirectory profile;
    corvane::testing::ScratchDirectory pages;
    // Made in SetUp, once the application exists.
    std::unique_ptr<QtEventLoop> loopHolder = MakeLoop();
    QtEventLoop& loop = *loopHolder;
    std::unique_ptr<CMainFrame> frameHolder = std::make_unique<CMainFrame>();
    CMainFrame& frame = *frameHolder;
    std::unique_ptr<CApplication> application;
    std::unique_ptr<CBrowserWindow> window;
};

TEST_F(MainFrameTest, TypeAnAddressFollowALinkAndGoBack) {
    EXPECT_FALSE(frame.BackAction()->isEnabled());
    Type(QString::fromStdString(pages.File("first.html")));
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(frame.windowTitle(), "Corvane - First");
    const QString firstUrl = frame.LocationBox().lineEdit()->text();
    EXPECT_TRUE(firstUrl.startsWith("file:")) << firstUrl.toStdString();
    EXPECT_TRUE(firstUrl.endsWith("first.html")) << firstUrl.toStdString();
    EXPECT_EQ(frame.LocationBox().itemText(0), firstUrl);  // remembered
    EXPECT_FALSE(frame.StopAction()->isEnabled());

    // The link's first fragment, hovered and clicked.
    const render::LayoutBox* link = nullptr;
    for (const render::LayoutBox& box : window->View().Layout().Display().boxes) {
        if (box.anchor) link = link ? link : &box;
    }
    ASSERT_NE(link, nullptr) << window->View().DumpText();
    Click(render::Point{link->rect.left + 3, link->rect.top + 3});
    EXPECT_TRUE(frame.Host().StatusText().endsWith("second.html"));
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(frame.windowTitle(), "Corvane - Second");
    EXPECT_TRUE(frame.LocationBox().lineEdit()->text().endsWith("second.html"));
    EXPECT_TRUE(frame.BackAction()->isEnabled());
    EXPECT_FALSE(frame.ForwardAction()->isEnabled());

    frame.BackAction()->trigger();
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(frame.windowTitle(), "Corvane - First");
    EXPECT_EQ(frame.LocationBox().lineEdit()->text(), firstUrl);
    EXPECT_FALSE(frame.BackAction()->isEnabled());
    EXPECT_TRUE(frame.ForwardAction()->isEnabled());
    EXPECT_NE(window->View().DumpText().find("Go to the second."), std::string::npos);
}

// A window whose downloads still run stays open when asked to close, and closes when allowed.
TEST_F(MainFrameTest, CloseWaitsUntilTheWindowMayClose) {
    bool allowed = false;
    frame.mayClose = [&] { return allowed; };
    frame.close();
    EXPECT_TRUE(frame.isVisible());
    allowed = true;
    frame.close();
    EXPECT_FALSE(frame.isVisible());
    frame.mayClose = nullptr;
}

TEST_F(MainFrameTest, GoMenuListsTheHistoryAndGoesBackToAnEntry) {
    Type(QString::fromStdString(pages.File("first.html")));
    ASSERT_TRUE(WaitForLoad());
    Type(QString::fromStdString(pages.File("second.html")));
    ASSERT_TRUE(WaitForLoad());
    const auto historyItems = [this] {
        emit frame.GoMenu()->aboutToShow();
        std::vector<QAction*> items;
        for (QAction* action : frame.GoMenu()->actions()) {
            if (action->property("historyCommand").toInt() >= 32950) items.push_back(action);
        }
        return items;
    };
    auto items = historyItems();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[0]->text().endsWith("second.html")) << items[0]->text().toStdString();
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_TRUE(items[1]->text().startsWith("&1 file:"));
    items[1]->trigger();
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(frame.windowTitle(), "Corvane - First");
    items = historyItems();  // rebuilt, not added to
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[1]->isChecked());
}

// The visits of one run draw the next run's links in the visited colour, and a new window
// takes over the Back/Forward list through the hand-over file.
TEST_F(MainFrameTest, VisitsAndHistoryReachTheNextWindow) {
    Type(QString::fromStdString(pages.File("second.html")));
    ASSERT_TRUE(WaitForLoad());
    Type(QString::fromStdString(pages.File("first.html")));
    ASSERT_TRUE(WaitForLoad());

    const std::string argumentsFile = profile.File("arguments");
    pages.Write("fake-corvane", "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + argumentsFile + "\n");
    std::filesystem::permissions(pages.File("fake-corvane"), std::filesystem::perms::owner_all);
    ASSERT_TRUE(StartNewWindow(*application, window->Document().History(), window->CurrentUrl(),
                               pages.File("fake-corvane")));
    ASSERT_TRUE(
        loop.RunUntil([&] { return !corvane::testing::ReadFile(argumentsFile).empty(); }, 10000));
    std::vector<std::string> arguments;
    std::istringstream lines(corvane::testing::ReadFile(argumentsFile));
    for (std::string line; std::getline(lines, line);) arguments.push_back(line);
    ASSERT_EQ(arguments.size(), 5u);
    EXPECT_EQ(arguments[0], "--profile");
    EXPECT_EQ(arguments[1], profile.path());
    EXPECT_EQ(arguments[2], "-h");
    EXPECT_EQ(arguments[4], window->CurrentUrl());
    // The stores were saved for the new process.
    EXPECT_NE(profile.Read("ovalon.url").find("second.html="), std::string::npos);

    // The next run: a new application over the same profile, given the hand-over file.
    std::vector<std::string> firstHistory;
    for (const core::CHTRequest* request : window->Document().History())
        firstHistory.push_back(request->canonicalUrl);
    frame.SetSession(nullptr);
    window.reset();
    application.reset();
    application = std::make_unique<CApplication>(profile.path(), loop, frame.Host());
    window = std::make_unique<CBrowserWindow>(*application, frame.ViewWidget().View());
    frame.SetSession(window.get());
    window->AdoptHistory(store::TakeHistoryFile(arguments[3]));
    std::vector<std::string> adopted;
    for (const core::CHTRequest* request : window->Document().History())
        adopted.push_back(request->canonicalUrl);
    EXPECT_EQ(adopted, firstHistory);
    EXPECT_FALSE(std::filesystem::exists(arguments[3]));

    window->LoadCurrent();
    ASSERT_TRUE(WaitForLoad());
    const html::CHTML* shown = window->ShownHtml();
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->anchors.size(), 1u);
    EXPECT_TRUE(shown->anchors[0]->visited);
}

}  // namespace
}  // namespace corvane::shell
