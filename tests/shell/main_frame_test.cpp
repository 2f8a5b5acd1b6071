// The window on the offscreen platform: type an address into the location bar, load it, click a
// link in the view, go back.
#include "shell/main_frame.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QWheelEvent>

#include "core/request.h"
#include "html/document.h"
#include "shell/find_dialog.h"
#include "shell/new_window.h"
#include "store/history_file.h"
#include "tests/shell/browser_window_fixture.h"
#include "tests/support/nginx_server.h"
#include "tests/support/test_authority.h"

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

class MainFrameTest : public testing::BrowserWindowTest {
  protected:
    MainFrameTest() : BrowserWindowTest(strictAnswers) {}
    void SetUp() override {
        pages.Write("first.html", "<title>First</title>Go to <a href=second.html>the second</a>.");
        pages.Write("second.html", "<title>Second</title>Arrived.");
        BrowserWindowTest::SetUp();
    }
    void Type(const QString& text) {
        QLineEdit* field = frame.LocationBox().lineEdit();
        field->setFocus();
        field->setText(text);
        // The combo box is its line edit's focus proxy: a real key press arrives there.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(&frame.LocationBox(), &press);
    }
    // Types the address of one of the test pages and waits for it.
    bool Open(const std::string& page) {
        Type(QString::fromStdString(pages.File(page)));
        return WaitForLoad();
    }
    void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(target, &press);
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

    TestAnswers strictAnswers;
};

TEST_F(MainFrameTest, TypeAnAddressFollowALinkAndGoBack) {
    EXPECT_FALSE(frame.BackAction()->isEnabled());
    ASSERT_TRUE(Open("first.html"));
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

TEST_F(MainFrameTest, SecurePagesSayHowTheyCameInTheStatusBar) {
    using corvane::testing::TestAuthority;
    const QLabel* pane = frame.findChild<QLabel*>("security");
    ASSERT_NE(pane, nullptr);
    struct Case {
        TestAuthority::Kind certificate;
        bool accepted;
        QString text;
        QString tip;
    };
    const Case cases[] = {
        {TestAuthority::Kind::kValid, false, "Secure", "Certificate: CN=localhost,O=Corvane Tests"},
        {TestAuthority::Kind::kSelfSigned, true, "Not verified",
         "Certificate accepted without check: CN=localhost,O=Corvane Tests"},
    };
    for (const Case& c : cases) {
        corvane::testing::NginxServer web("");
        const TestAuthority::Files& files = TestAuthority::Trusted().Server(c.certificate);
        web.UseTls(files.certificate, files.key);
        web.Root().Write("page.html", "<title>Locked</title>Secret.");
        ASSERT_TRUE(web.Start()) << web.Log();
        if (c.accepted) answers.certificateAnswers.push_back(true);
        Type(QString::fromStdString(web.Url("/page.html")));
        ASSERT_TRUE(WaitForLoad());
        EXPECT_EQ(frame.windowTitle(), "Corvane - Locked");
        EXPECT_TRUE(pane->isVisible());
        EXPECT_EQ(pane->text(), c.text);
        EXPECT_EQ(pane->toolTip(), c.tip);
    }
    ASSERT_TRUE(Open("first.html"));
    EXPECT_FALSE(pane->isVisible());
}

// After Enter the view has the keys, so Page Down scrolls; the list's neighbours are loaded only
// when chosen from the opened list, never by keys or the wheel in the closed field.
TEST_F(MainFrameTest, KeysInTheClosedLocationFieldLoadNothing) {
    ASSERT_TRUE(Open("first.html"));
    EXPECT_EQ(frame.focusWidget(), &frame.ViewWidget());
    ASSERT_TRUE(Open("second.html"));
    ASSERT_EQ(frame.LocationBox().count(), 2);

    QComboBox& box = frame.LocationBox();
    box.setFocus();
    for (int key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown}) Press(&box, key);
    QWheelEvent wheel(QPointF(5, 5), box.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&box, &wheel);
    EXPECT_FALSE(window->IsLoading());
    loop.RunUntil([] { return false; }, 50);
    EXPECT_TRUE(window->CurrentUrl().ends_with("second.html")) << window->CurrentUrl();
}

TEST_F(MainFrameTest, ViewKeysScrollThePage) {
    std::string longPage;
    for (int i = 0; i < 300; ++i) longPage += "<p>Paragraph " + std::to_string(i);
    pages.Write("long.html", longPage);
    ASSERT_TRUE(Open("long.html"));
    QScrollBar* bar = frame.ViewWidget().verticalScrollBar();
    ASSERT_GT(bar->maximum(), 2 * bar->pageStep());
    QWidget* view = &frame.ViewWidget();
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        int expected;
    } steps[] = {
        {Qt::Key_PageDown, Qt::NoModifier, bar->pageStep()},
        {Qt::Key_Space, Qt::NoModifier, 2 * bar->pageStep()},
        {Qt::Key_Space, Qt::ShiftModifier, bar->pageStep()},
        {Qt::Key_End, Qt::NoModifier, bar->maximum()},
        {Qt::Key_Home, Qt::NoModifier, 0},
        {Qt::Key_End, Qt::ControlModifier, bar->maximum()},
        {Qt::Key_Home, Qt::ControlModifier, 0},
    };
    for (const auto& step : steps) {
        Press(view, step.key, step.modifiers);
        EXPECT_EQ(bar->value(), step.expected) << step.key;
    }
}

// A long page shows while it arrives, and the loop keeps its turns: a callback posted during
// the load (as input would be) runs before the page is done, and Stop ends the load.
TEST_F(MainFrameTest, ALongPageShowsWhileLoadingAndTheWindowKeepsAnswering) {
    std::string paragraph;
    for (int i = 0; i < 40; ++i) paragraph += "word" + std::to_string(i) + " ";
    std::string page;
    while (page.size() < (3u << 20)) page += "<p>" + paragraph + "<a href=x.html>link</a>\n";
    pages.Write("long.html", page);
    window->OpenFile(pages.File("long.html"));
    const auto hasText = [this] {
        for (const render::LayoutBox& box : window->View().Layout().Display().boxes) {
            if (box.kind == render::BoxKind::kText) return true;
        }
        return false;
    };
    ASSERT_TRUE(loop.RunUntil(hasText, 20000));
    EXPECT_TRUE(window->IsLoading());

    bool answered = false;
    loop.Post([&] { answered = true; });
    ASSERT_TRUE(loop.RunUntil([&] { return answered; }, 20000));
    EXPECT_TRUE(window->IsLoading());
    frame.StopAction()->trigger();
    EXPECT_FALSE(window->IsLoading());
    EXPECT_TRUE(WaitForLoad());
}

// The field shows the completed address as soon as a typed one is loaded, so a load that fails
// still shows what was tried; "~/" is the home directory.
TEST_F(MainFrameTest, TypedAddressIsCompletedInTheFieldAndTildeIsHome) {
    Type(QString::fromStdString(pages.File("first.html")));
    const QString field = frame.LocationBox().lineEdit()->text();
    EXPECT_TRUE(field.startsWith("file:")) << field.toStdString();
    ASSERT_TRUE(WaitForLoad());

    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", pages.path().c_str(), 1);
    Type("~/second.html");
    setenv("HOME", savedHome.c_str(), 1);
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(frame.windowTitle(), "Corvane - Second");
}

TEST_F(MainFrameTest, DroppedFilesAndLinksOpen) {
    const auto drop = [this](QMimeData& data) {
        QDragEnterEvent enter(QPoint(20, 80), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&frame, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent dropped(QPointF(20, 80), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&frame, &dropped);
    };
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(QString::fromStdString(pages.File("second.html")))});
    drop(file);
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(frame.windowTitle(), "Corvane - Second");

    QMimeData link;
    link.setUrls({QUrl(QString::fromStdString("file:" + pages.File("first.html")))});
    drop(link);
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(frame.windowTitle(), "Corvane - First");
}

// Closing writes the typed list and the placement; the next window comes back as it was.
TEST_F(MainFrameTest, PlacementBarsAndTypedListSurviveARestart) {
    frame.Restore(application->Settings());
    ASSERT_TRUE(Open("first.html"));
    const QString firstUrl = frame.LocationBox().itemText(0);
    frame.setGeometry(30, 40, 500, 420);
    frame.StatusBarAction()->trigger();
    EXPECT_TRUE(frame.statusBar()->isHidden());
    const QRect closedAt = frame.geometry();
    frame.close();
    const std::string ini = corvane::testing::ReadFile(application->Settings().ProfileFile());
    EXPECT_NE(ini.find("TypedURL_1=" + firstUrl.toStdString()), std::string::npos) << ini;
    EXPECT_NE(ini.find("StatusBar=0"), std::string::npos) << ini;

    CMainFrame again;
    again.Restore(application->Settings());
    ASSERT_EQ(again.LocationBox().count(), 1);
    EXPECT_EQ(again.LocationBox().itemText(0), firstUrl);
    EXPECT_EQ(again.geometry(), closedAt);
    EXPECT_TRUE(again.statusBar()->isHidden());
    EXPECT_FALSE(again.StatusBarAction()->isChecked());
    EXPECT_FALSE(again.ToolBar().isHidden());
}

// Documents no window shows are dropped, least recently shown first, once the held documents pass
// the limit; going back to one loads it again.
TEST_F(MainFrameTest, DocumentsPastTheLimitAreDroppedAndLoadAgain) {
    core::CHTHostServices& host = application->Host();
    ASSERT_TRUE(Open("first.html"));
    core::CHTRequest* first = window->Document().Shown();
    ASSERT_TRUE(Open("second.html"));
    core::CHTRequest* second = window->Document().Shown();
    EXPECT_NE(first->document, nullptr);  // within the limit: kept for Back

    host.documentLimitBytes = 1;
    frame.BackAction()->trigger();
    ASSERT_TRUE(WaitForLoad());
    EXPECT_NE(first->document, nullptr);
    EXPECT_EQ(second->document, nullptr);  // shown by no window any more
    frame.ForwardAction()->trigger();
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(frame.windowTitle(), "Corvane - Second");
    EXPECT_NE(window->View().DumpText().find("Arrived."), std::string::npos);
    EXPECT_EQ(first->document, nullptr);
}

TEST_F(MainFrameTest, MessageBoxesAreAnsweredByTheTestAndUnexpectedOnesFail) {
    strictAnswers.expectedMessages = 1;
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

TEST_F(MainFrameTest, GoMenuListsTheHistoryAndGoesBackToAnEntry) {
    ASSERT_TRUE(Open("first.html"));
    ASSERT_TRUE(Open("second.html"));
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
    ASSERT_TRUE(Open("second.html"));
    ASSERT_TRUE(Open("first.html"));

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

// Dragging across two lines selects their text; Copy puts it on the clipboard.
TEST_F(MainFrameTest, DragSelectsTextAndCopyFillsTheClipboard) {
    pages.Write("words.html", "alpha beta gamma<br>delta epsilon");
    ASSERT_TRUE(Open("words.html"));
    const auto& boxes = window->View().Layout().Display().boxes;
    ASSERT_GE(boxes.size(), 2u);
    const render::Rect first = boxes.front().rect;
    const render::Rect second = boxes.back().rect;
    QWidget* viewport = frame.ViewWidget().viewport();
    const auto send = [&](QEvent::Type type, render::Point p, Qt::MouseButtons buttons) {
        const QPoint at(p.x, p.y - frame.ViewWidget().verticalScrollBar()->value());
        QMouseEvent event(type, at, viewport->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    };
    // From before "alpha" to the end of the second line, dragged upward.
    send(QEvent::MouseButtonPress, {second.right + 20, second.top + 2}, Qt::LeftButton);
    send(QEvent::MouseMove, {second.left + 2, second.top + 2}, Qt::LeftButton);
    send(QEvent::MouseMove, {first.left - 2, first.top + 2}, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {first.left - 2, first.top + 2}, Qt::NoButton);
    EXPECT_EQ(window->View().SelectedText(), "alpha beta gamma\ndelta epsilon");
    QApplication::clipboard()->clear();
    frame.CopyAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "alpha beta gamma\ndelta epsilon");
}

TEST_F(MainFrameTest, FindDialogSearchesOnAndTellsWhenDone) {
    pages.Write("find.html", "one two one two one");
    ASSERT_TRUE(Open("find.html"));
    frame.FindAction()->trigger();
    FindDialog& finder = *frame.Finder();
    strictAnswers.expectedMessages = 1;
    finder.FindNext();
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text, "Enter the string to be searched!");
    finder.Field().setText("ONE");
    finder.FromTop().setChecked(true);
    for (int i = 0; i < 3; ++i) {
        finder.FindNext();
        EXPECT_FALSE(finder.FromTop().isChecked());
        EXPECT_EQ(window->View().SelectedText(), "one");
    }
    strictAnswers.expectedMessages = 1;
    finder.FindNext();
    EXPECT_EQ(answers.messages.back().text, "Finished searching this page!");
    finder.MatchCase().setChecked(true);
    finder.FromTop().setChecked(true);
    strictAnswers.expectedMessages = 1;
    finder.FindNext();
    EXPECT_EQ(answers.messages.size(), 3u);
}

TEST_F(MainFrameTest, ContextMenuOfAnImageLinkHasBothKindsOfItems) {
    pages.Write("pic.html",
                "text<p><a href=target.html><img src=pic.gif alt=Pic width=60 height=60></a>");
    ASSERT_TRUE(Open("pic.html"));
    const render::LayoutBox* image = nullptr;
    for (const render::LayoutBox& box : window->View().Layout().Display().boxes) {
        if (box.kind == render::BoxKind::kImage) image = &box;
    }
    ASSERT_NE(image, nullptr);
    const auto items = [](QMenu& menu) {
        std::map<QString, bool> enabled;
        for (QAction* action : menu.actions()) {
            if (!action->isSeparator()) enabled[action->text()] = action->isEnabled();
        }
        return enabled;
    };
    std::unique_ptr<QMenu> menu = frame.MakeContextMenu(
        {(image->rect.left + image->rect.right) / 2, (image->rect.top + image->rect.bottom) / 2});
    auto over = items(*menu);
    EXPECT_TRUE(over.count("View &Image (pic.gif)"));
    EXPECT_TRUE(over.count("Copy Imag&e Location"));
    EXPECT_TRUE(over.count("Open &Window at Link"));
    const auto link = std::find_if(over.begin(), over.end(), [](const auto& item) {
        return item.first.startsWith("Open &Link (file:") && item.first.endsWith("target.html)");
    });
    EXPECT_NE(link, over.end());
    // Without a bookmark tree (this session keeps none) their items show, disabled.
    EXPECT_FALSE(over.at("A&dd Image Bookmark"));
    EXPECT_FALSE(over.at("A&dd Link Bookmark"));
    EXPECT_FALSE(over.count("Save &As"));
    ASSERT_TRUE(Trigger(*menu, "Copy Lin&k Location"));
    EXPECT_TRUE(QApplication::clipboard()->text().endsWith("target.html"));

    menu = frame.MakeContextMenu({500, 5});
    const auto background = items(*menu);
    EXPECT_TRUE(background.at("Save &As"));
    EXPECT_TRUE(background.at("Print Pre&view"));
    EXPECT_FALSE(background.at("Add Bookmark"));
    EXPECT_FALSE(background.count("Copy Imag&e Location"));
}

// The link, image and background items retrieve their address into the chosen file while the
// page stays.
TEST_F(MainFrameTest, ContextMenuSavesLinkImageAndBackgroundIntoChosenFiles) {
    corvane::testing::NginxServer web("");
    web.Root().Write("page.html",
                     "<title>Page</title><body background=bg.gif><a href=data.bin>data</a>"
                     "<p><img src=pic.gif width=60 height=60>");
    web.Root().Write("data.bin", std::string(100000, 'd'));
    web.Root().Write("pic.gif", "GIF89a not really a picture");
    web.Root().Write("bg.gif", "GIF89a not a background either");
    ASSERT_TRUE(web.Start()) << web.Log();
    Type(QString::fromStdString(web.Url("/page.html")));
    ASSERT_TRUE(WaitForLoad());
    const render::DisplayList& display = window->View().Layout().Display();
    const render::LayoutBox& link = display.boxes.front();
    const auto image =
        std::find_if(display.boxes.begin(), display.boxes.end(),
                     [](const auto& box) { return box.kind == render::BoxKind::kImage; });
    ASSERT_NE(image, display.boxes.end());
    const struct {
        render::Point at;
        QString item;
        const char* source;
    } cases[] = {
        {{(link.rect.left + link.rect.right) / 2, link.rect.top + 1},
         "Save Li&nk File As",
         "data.bin"},
        {{image->rect.left + 5, image->rect.top + 5}, "Save Ima&ge File As", "pic.gif"},
        {{500, 300}, "Save Back&ground As", "bg.gif"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        const std::string target = pages.File(std::string("saved-") + c.source);
        answers.fileAnswers.push_back(target);
        ASSERT_TRUE(Trigger(*frame.MakeContextMenu(c.at), c.item));
        EXPECT_EQ(answers.fileDialogTitles.back(), "Save As");
        EXPECT_TRUE(loop.RunUntil(
            [&] { return corvane::testing::ReadFile(target) == web.Root().Read(c.source); },
            10000));
    }
    EXPECT_EQ(frame.windowTitle(), "Corvane - Page");
}

// Save As writes the local file as it is; the "Source Command" gets a copy of the document,
// named to end in ".TXT", as one argument.
TEST_F(MainFrameTest, SaveAsAndDocumentSourceGetTheFileAsItIs) {
    ASSERT_TRUE(Open("first.html"));
    answers.fileAnswers.push_back(pages.File("saved.html"));
    frame.SaveAsAction()->trigger();
    EXPECT_EQ(pages.Read("saved.html"), pages.Read("first.html"));
    EXPECT_EQ(answers.fileDialogTitles.back(), "Save As");

    config::GeneralSettings general = application->Settings().General();
    general.sourceCommand =
        "sh -c \"cp $0 " + pages.File("copy") + " && echo $0 > " + pages.File("name") + "\"";
    ASSERT_TRUE(application->Settings().SaveGeneral(general));
    frame.DocumentSourceAction()->trigger();
    ASSERT_TRUE(loop.RunUntil([&] { return std::filesystem::exists(pages.File("name")); }, 10000));
    EXPECT_EQ(pages.Read("copy"), pages.Read("first.html"));
    EXPECT_TRUE(pages.Read("name").ends_with(".TXT\n")) << pages.Read("name");
}

}  // namespace
}  // namespace corvane::shell
