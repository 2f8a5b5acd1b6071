// The window on the offscreen platform: type an address into the location bar, load it, click a
// link in the view, go back.
#include "shell/main_frame.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>

#include "platform/scripted_host_services.h"
#include "shell/application.h"
#include "shell/browser_window.h"
#include "shell/qt_event_loop.h"
#include "tests/shell/qt_application.h"
#include "tests/support/scratch_directory.h"

namespace corvane::shell {
namespace {

// Records and answers every question the window asks; a message box the test did not announce
// fails it at once (a real one would wait for a click that never comes).
class TestAnswers : public platform::ScriptedHostServices {
  public:
    int expectedMessages = 0;
    platform::MessageAnswer ShowMessage(std::string_view text, platform::MessageButtons buttons,
                                        platform::MessageIcon icon,
                                        std::string_view caption) override {
        if (expectedMessages-- <= 0) ADD_FAILURE() << "unexpected message box: " << text;
        return ScriptedHostServices::ShowMessage(text, buttons, icon, caption);
    }
};

std::unique_ptr<QtEventLoop> MakeLoop() {
    testing::TestApplication();
    return std::make_unique<QtEventLoop>();
}

class MainFrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::TestApplication();
        frame.Host().AnswerQuestionsWith(&answers);
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
        frame.Host().AnswerQuestionsWith(nullptr);
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
    TestAnswers answers;
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

TEST_F(MainFrameTest, MessageBoxesAreAnsweredByTheTestAndUnexpectedOnesFail) {
    answers.expectedMessages = 1;
    const std::string missing = pages.File("missing.html");
    Type(QString::fromStdString(missing));
    ASSERT_TRUE(WaitForLoad());
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text.rfind("Cannot connect to file:", 0), 0u);
    EXPECT_EQ(answers.messages[0].icon, platform::MessageIcon::kStop);
    EXPECT_NONFATAL_FAILURE(frame.Host().ShowMessage("surprise", platform::MessageButtons::kOk,
                                                     platform::MessageIcon::kNone, "Corvane"),
                            "unexpected message box: surprise");
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

}  // namespace
}  // namespace corvane::shell
