// Subscriptions in the group tree and the server list the newsgroup window keeps: the hierarchy
// flags, the search, and what is stored (settings keys, cache file) when a subscription changes,
// a server is removed or its list reloaded.

#include "news/subscriptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "news/group_list_cache.h"
#include "platform/file_services.h"
#include "tests/news/news_fixture.h"
#include "tests/support/scripted_peer.h"

namespace corvane::news {
namespace {

GroupNode& Node(GroupTree& tree, std::string_view name) {
    return const_cast<GroupNode&>(*tree.Find(name));
}

void Fill(GroupTree& tree) {
    for (const char* group : {"comp.lang.c", "comp.lang.c++", "comp.lang", "comp.os.linux",
                              "comp.os.linux.misc", "misc.test"})
        tree.AddGroup(group);
    tree.FinishLoading();
}

TEST(Subscriptions, HierarchyFlagsFollowEveryChange) {
    struct Step {
        const char* node;
        bool subscribe;
        // Expected flags of comp.lang, comp, the root after the step (bits 1 to 3).
        std::uint8_t lang, comp, root;
    };
    constexpr std::uint8_t S = kSubscribed, A = kAllBelowSubscribed, M = kSomeBelowSubscribed;
    const Step steps[] = {
        // One group: its hierarchies show "some".
        {"comp.lang.c", true, M, M, M},
        // Subscribing a hierarchy subscribes every group at and below it: comp.lang itself is
        // a group too, so it is subscribed and all below it is.
        {"comp.lang", true, S | A | M, M, M},
        {"comp.lang.c++", false, S | M, M, M},
        {"comp", true, S | A | M, A | M, M},
        {"misc", true, S | A | M, A | M, A | M},
        {"comp", false, 0, 0, M},
        {"misc.test", false, 0, 0, 0},
    };
    GroupTree tree;
    Fill(tree);
    for (const Step& step : steps) {
        SetSubscribed(Node(tree, step.node), step.subscribe);
        const std::uint8_t bits = kSubscribed | kAllBelowSubscribed | kSomeBelowSubscribed;
        EXPECT_EQ(Node(tree, "comp.lang").flags & bits, step.lang) << step.node;
        EXPECT_EQ(Node(tree, "comp").flags & bits, step.comp) << step.node;
        EXPECT_EQ(tree.Root().flags & bits, step.root) << step.node;
        EXPECT_EQ(HasSubscriptions(tree), step.root != 0);
    }
    EXPECT_EQ(Node(tree, "comp.lang").flags & kIsGroup, kIsGroup);
}

TEST(Subscriptions, FullNamesAndTheSearchWalkOn) {
    GroupTree tree;
    Fill(tree);
    EXPECT_EQ(FullName(Node(tree, "comp.os.linux.misc")), "comp.os.linux.misc");
    EXPECT_EQ(FullName(tree.Root()), "");
    std::vector<std::string> found;
    for (const GroupNode* at = nullptr; (at = FindGroupNode(tree, at, "LINUX")) != nullptr;)
        found.push_back(FullName(*at));
    EXPECT_EQ(found, (std::vector<std::string>{"comp.os.linux", "comp.os.linux.misc"}));
    // From a node the search goes on after it, across hierarchies.
    const GroupNode* next = FindGroupNode(tree, &Node(tree, "comp.lang.c++"), "t");
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(FullName(*next), "misc.test");
    EXPECT_EQ(FindGroupNode(tree, nullptr, "nowhere"), nullptr);

    // A flat hierarchy of many groups is searched in one pass.
    GroupTree flat;
    for (int i = 0; i < 50000; ++i) flat.AddGroup("alt.g" + std::to_string(i));
    flat.FinishLoading();
    int hits = 0;
    for (const GroupNode* at = nullptr; (at = FindGroupNode(flat, at, "g4999")) != nullptr;) ++hits;
    EXPECT_EQ(hits, 11);  // g4999 and g49990..g49999
}

class ServerList : public ::testing::Test {
  protected:
    // A server with a loaded tree and a cache file.
    NewsServerRecord& Loaded(const std::string& name) {
        NewsServerRecord& server = news.services->Server(name);
        Fill(*server.groups);
        server.groupCount = 7;
        EXPECT_TRUE(news.services->SaveGroupListCache(server));
        return server;
    }
    std::string Setting(const std::string& key) {
        return config::CSettingsSection(news.ProfileFile(), "Mail and News").GetString(key, "-");
    }
    std::string CachePath(const std::string& name) {
        return config::CSettingsSection(news.ProfileFile(), "NNTP Services").GetString(name, "");
    }

    NewsLoads news;
};

TEST_F(ServerList, TheDefaultServerIsListedWithTheCachedOnes) {
    Loaded("news.one");
    Loaded("news.two");
    EXPECT_EQ(news.services->ServerNames(),
              (std::vector<std::string>{"localhost", "news.one", "news.two"}));
    config::CSettingsSection(news.ProfileFile(), "Mail and News")
        .WriteString("NNTP Server", "NEWS.TWO");
    EXPECT_EQ(news.services->ServerNames(), (std::vector<std::string>{"news.one", "news.two"}));
}

TEST_F(ServerList, SubscriptionsAreStoredAtOnceAndTheLastOneClearsHasSubs) {
    NewsServerRecord& server = Loaded("news.one");
    news.services->SetSubscription(server, Node(*server.groups, "comp.lang.c"), true);
    EXPECT_TRUE(server.hasSubscriptions);
    EXPECT_EQ(Setting("news.one-HasSubs"), "1");
    // The cache file on disk carries the subscription: a fresh read shows it.
    GroupTree reread;
    ASSERT_GT(ReadGroupListCache(CachePath("news.one"), reread), 0);
    EXPECT_EQ(Node(reread, "comp.lang.c").flags & kSubscribed, kSubscribed);
    EXPECT_TRUE(HasSubscriptions(reread));

    news.services->SetSubscription(server, Node(*server.groups, "comp.lang.c"), false);
    EXPECT_FALSE(server.hasSubscriptions);
    EXPECT_EQ(Setting("news.one-HasSubs"), "0");
    ASSERT_GT(ReadGroupListCache(CachePath("news.one"), reread), 0);
    EXPECT_FALSE(HasSubscriptions(reread));
}

TEST_F(ServerList, RemovingAServerForgetsItsKeysAndCacheFile) {
    NewsServerRecord& server = Loaded("news.one");
    server.subscribedView = server.open = true;
    news.services->SaveWindowState(server);
    const std::string path = CachePath("news.one");
    news.services->RemoveServer(server);
    for (const char* key : {"news.one-SubsView", "news.one-HasSubs", "news.one-Open"})
        EXPECT_EQ(Setting(key), "-") << key;
    EXPECT_EQ(CachePath("news.one"), "");
    EXPECT_FALSE(platform::GetFileInfo(path));
    EXPECT_LT(server.groupCount, 0);
    // A server whose file is already gone is removed all the same.
    NewsServerRecord& other = Loaded("news.two");
    ASSERT_TRUE(platform::DeleteFile(CachePath("news.two")));
    news.services->RemoveServer(other);
    EXPECT_EQ(CachePath("news.two"), "");
}

TEST_F(ServerList, AReloadDropsSubscriptionsButKeepsTheCacheUntilTheNewListArrived) {
    testing::ScriptedPeer failing(news.load->loop);
    failing.Send("200 ready\r\n").Expect("LIST").Send("215 ok\r\nnew.group 1 1 y\r\n").Close();
    const std::string name = "127.0.0.1:" + std::to_string(failing.Listen());
    NewsServerRecord& server = Loaded(name);
    news.services->SetSubscription(server, Node(*server.groups, "misc.test"), true);
    const std::string path = CachePath(name);
    std::vector<bool> ended;
    news.services->groupListEnded = [&](NewsServerRecord&, bool retrieved) {
        ended.push_back(retrieved);
    };

    news.services->StartReload(server);
    EXPECT_EQ(Setting(name + "-HasSubs"), "-");
    EXPECT_FALSE(server.hasSubscriptions);
    EXPECT_TRUE(server.loading);
    // The list breaks off: the old file, subscriptions and all, is still there.
    EXPECT_EQ(news.load->Load("news://" + name + "/"), -1);
    news.load->request->Stop();
    news.load->scheduler.DeleteRetired();
    EXPECT_EQ(ended, std::vector<bool>{false});
    GroupTree kept;
    ASSERT_GT(ReadGroupListCache(path, kept), 0);
    EXPECT_TRUE(HasSubscriptions(kept));

    // A complete list replaces it, without subscriptions.
    testing::ScriptedPeer answering(news.load->loop);
    answering.Send("200 ready\r\n").Expect("LIST").Send("215 ok\r\nnew.group 1 1 y\r\n.\r\n");
    answering.StaySilent();
    const std::string second = "127.0.0.1:" + std::to_string(answering.Listen());
    NewsServerRecord& again = Loaded(second);
    news.services->SetSubscription(again, Node(*again.groups, "misc.test"), true);
    news.services->StartReload(again);
    ASSERT_EQ(news.load->Load("news://" + second + "/"), 1);
    EXPECT_EQ(ended, (std::vector<bool>{false, true}));
    GroupTree fresh;
    ASSERT_GT(ReadGroupListCache(CachePath(second), fresh), 0);
    EXPECT_NE(fresh.Find("new.group"), nullptr);
    EXPECT_EQ(fresh.Find("misc.test"), nullptr);
    EXPECT_FALSE(HasSubscriptions(fresh));
    news.services->groupListEnded = nullptr;
}

}  // namespace
}  // namespace corvane::news
