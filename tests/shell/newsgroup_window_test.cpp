// The newsgroup window as a user meets it: a server with a cached group list, subscribing, the
// subscribed view, Find, loading a group, the server commands and what is stored on closing.

#include "shell/newsgroup_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "news/group_list_cache.h"
#include "news/subscriptions.h"
#include "platform/poll_event_loop.h"
#include "platform/scripted_host_services.h"
#include "tests/shell/qt_application.h"
#include "tests/support/scratch_directory.h"

namespace corvane::shell {
namespace {

using corvane::testing::ScratchDirectory;
using platform::MessageAnswer;

QStringList ChildTexts(QTreeWidgetItem* item) {
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i) texts << item->child(i)->text(0);
    return texts;
}

class NewsgroupWindowTest : public ::testing::Test {
  protected:
    NewsgroupWindowTest() {
        testing::TestApplication();
        profile.Write("ovalon.ini",
                      "[Mail and News]\nNNTP Server=news.one\n"
                      "Prompt for Group List Retrieval=0\n");
        application = std::make_unique<CApplication>(profile.path(), loop, ui);
        news::NewsServerRecord& server = application->News().Server("news.one");
        for (const char* group : {"comp.lang.c", "comp.lang.c++", "comp.os.linux", "misc.test"})
            server.groups->AddGroup(group);
        server.groups->FinishLoading();
        EXPECT_TRUE(application->News().SaveGroupListCache(server));
        // As after a restart: the tree comes from the cache file.
        server.groups = std::make_shared<news::GroupTree>();
        server.groupCount = -1;
        window = std::make_unique<CNewsgroupWindow>(
            *application,
            [this](std::string url, int method) { loads.emplace_back(std::move(url), method); },
            [this] { ++stops; });
    }
    ~NewsgroupWindowTest() override {
        window.reset();
        application.reset();
    }
    news::NewsServerRecord& Server() { return application->News().Server("news.one"); }
    QTreeWidgetItem* Row(const char* name) {
        return window->RowOf(Server(), *Server().groups->Find(name));
    }
    std::string Setting(const std::string& key) {
        return application->Settings().Section("Mail and News").GetString(key, "-");
    }

    ScratchDirectory profile;
    platform::PollEventLoop loop;
    platform::ScriptedHostServices ui;
    std::unique_ptr<CApplication> application;
    std::unique_ptr<CNewsgroupWindow> window;
    std::vector<std::pair<std::string, int>> loads;
    int stops = 0;
};

TEST_F(NewsgroupWindowTest, SubscribeViewFindAndLoad) {
    ASSERT_TRUE(window->ShowServers());
    QTreeWidget& tree = window->Tree();
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    QTreeWidgetItem* server = tree.topLevelItem(0);
    EXPECT_EQ(server->text(0), "news.one (default)");
    EXPECT_EQ(server->childCount(), 0);  // closed until opened
    EXPECT_EQ(window->windowTitle(), "Corvane Newsgroup");

    server->setExpanded(true);  // as a click on the branch does: the cache file is read
    EXPECT_EQ(ChildTexts(server), (QStringList{"comp", "misc"}));
    tree.setCurrentItem(Row("comp.lang"));
    window->Subscribe(true);
    EXPECT_EQ(Setting("news.one-HasSubs"), "1");
    EXPECT_TRUE(Row("comp.lang.c")->font(0).bold());
    EXPECT_TRUE(Row("comp")->font(0).bold());
    EXPECT_FALSE(Row("misc")->font(0).bold());
    news::GroupTree stored;
    ASSERT_GT(
        news::ReadGroupListCache(
            application->Settings().Section("NNTP Services").GetString("news.one", ""), stored),
        0);
    EXPECT_EQ(stored.Find("comp.lang.c++")->flags & news::kSubscribed, news::kSubscribed);

    window->ToggleSubscribedView();
    EXPECT_EQ(window->windowTitle(), "Corvane Newsgroup : Subscribed List");
    server = tree.topLevelItem(0);
    EXPECT_EQ(ChildTexts(server), QStringList{"comp"});
    // A group outside the view is not found there.
    window->FindText().setText("MISC");
    window->Find();
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, "Finished searching newsgroup list!");
    window->ToggleSubscribedView();
    window->Find();
    ASSERT_NE(tree.currentItem(), nullptr);
    EXPECT_EQ(tree.currentItem()->text(0), "misc");
    window->Find();
    EXPECT_EQ(tree.currentItem()->text(0), "test");
    window->LoadNews();
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_EQ(loads[0], std::make_pair(std::string("news://news.one/misc.test"), 0));
    window->FindText().clear();
    window->Find();
    EXPECT_EQ(ui.messages.back().text, "Enter the string to be searched!");

    // Unsubscribing the last group clears the flag; the subscribed view shows nothing.
    tree.setCurrentItem(Row("comp"));
    window->Subscribe(false);
    EXPECT_EQ(Setting("news.one-HasSubs"), "0");
    window->ToggleSubscribedView();
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 0);

    window->close();
    EXPECT_EQ(Setting("news.one-SubsView"), "1");
    EXPECT_EQ(Setting("news.one-Open"), "1");
    EXPECT_NE(Setting("NewsWidth"), "-");
    EXPECT_EQ(Setting("NewsMaximized"), "0");
}

TEST_F(NewsgroupWindowTest, ServerCommandsAskFirst) {
    ASSERT_TRUE(window->ShowServers());
    QTreeWidget& tree = window->Tree();
    window->OpenServer(Server());
    tree.setCurrentItem(Row("misc.test"));
    window->Subscribe(true);
    tree.setCurrentItem(tree.topLevelItem(0));

    // Cancel keeps everything; OK drops the tree and asks the server for the list.
    ui.messageAnswers.push_back(MessageAnswer::kCancel);
    window->ReloadServer();
    EXPECT_TRUE(loads.empty());
    window->ReloadServer();
    EXPECT_TRUE(ui.messages.back().text.starts_with(
        "Are you sure you want to reload \n newsgroup server news.one ?\n\nAll subscription "
        "information will be lost !!"));
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_EQ(loads[0], std::make_pair(std::string("news://news.one"), 3));
    EXPECT_TRUE(Server().loading);
    EXPECT_EQ(Setting("news.one-HasSubs"), "-");
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 0);
    EXPECT_TRUE(window->Action("Stop Loading")->isEnabled());
    window->StopLoading();
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(Server().loading);

    // A list that never arrives is reported and the server stays closed.
    window->ReloadServer();
    ASSERT_TRUE(application->News().groupListEnded);
    application->News().groupListEnded(Server(), false);
    EXPECT_EQ(ui.messages.back().text, "Newsgroup server news.one not loaded at this time...");

    Server().user = "ann";
    window->ClearServerPassword();
    EXPECT_EQ(ui.messages.back().text, "Clear password for newsgroup server \nnews.one ?\n");
    EXPECT_TRUE(Server().user.empty());

    window->AddServer("news.two");
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_EQ(ui.messages.back().text.substr(0, 27), "No news group list for news");
    tree.setCurrentItem(tree.topLevelItem(0));
    window->RemoveServer();
    EXPECT_EQ(ui.messages.back().text,
              "Are you sure you want to remove \n newsgroup server news.one \n from the list?");
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(tree.currentItem()->text(0), "news.two (loading)");
    EXPECT_EQ(application->Settings().Section("NNTP Services").GetString("news.one", "-"), "-");
}

// The server's connection security is chosen from the toolbar and stored at once; a cancelled
// question changes nothing.
TEST_F(NewsgroupWindowTest, ServerSecurityIsChosenAndStored) {
    ASSERT_TRUE(window->ShowServers());
    window->Tree().setCurrentItem(window->Tree().topLevelItem(0));
    EXPECT_TRUE(window->Action("Server Security")->isEnabled());
    const struct {
        std::optional<int> answer;
        platform::TlsMode mode;
        const char* stored;
    } steps[] = {{2, platform::TlsMode::kTls, "TLS"},
                 {std::nullopt, platform::TlsMode::kTls, "TLS"},
                 {1, platform::TlsMode::kStartTls, "STARTTLS"},
                 {0, platform::TlsMode::kNone, "-"}};
    for (const auto& step : steps) {
        ui.choiceAnswers = {step.answer};
        window->ChooseServerSecurity();
        EXPECT_EQ(Server().security, step.mode);
        EXPECT_EQ(Setting("news.one-Security"), step.stored);
    }
    EXPECT_EQ(ui.choiceTitles.back(), "Corvane : Newsgroup Server Security");
}

}  // namespace
}  // namespace corvane::shell
