#include <gtest/gtest.h>

#include "core/load_task.h"
#include "scripted_load.h"

namespace corvane::core::testing_support {
namespace {

using Lifecycle = LoadFixture;

class CTestTerminal : public CHTCommand {
  public:
    static inline std::vector<std::string> launches;
    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    bool Launch(std::string_view hostAndPort) override {
        launches.emplace_back(hostAndPort);
        return true;
    }
};
const CRuntimeClass CTestTerminal::kRuntimeClass =
    MakeRuntimeClass<CTestTerminal, CHTCommand>("CTestTerminal");

Script Page(std::string body, int connectPasses = 1) {
    Script script;
    script.connectPasses = connectPasses;
    script.pieces = {{std::move(body)}};
    return script;
}

TEST_F(Lifecycle, TwoWindowsShareOneRetrieval) {
    scripts["http://h/a"] = Page("shared");
    Window& first = OpenWindow();
    Window& second = OpenWindow();
    first.doc->Navigate("http://h/a");
    Visit(second, "h/a");
    EXPECT_EQ(scripts["http://h/a"].opens, 1);
    EXPECT_EQ(first.view->shown, second.view->shown);
    EXPECT_EQ(ShownText(second), "shared");
    EXPECT_EQ(first.view->shown->useCount, 2);
    EXPECT_TRUE(MessageTexts().empty());
    EXPECT_FALSE(ui.busy);
    ASSERT_FALSE(ui.statusTexts.empty());
    EXPECT_EQ(ui.statusTexts.back(), "");  // "Loading Document ..." does not outlive the load
}

TEST_F(Lifecycle, TwoFormPostsMakeTwoPrivateRequests) {
    scripts["http://h/form"] = Page("thanks");
    Window& window = OpenWindow();
    for (const char* data : {"a=1", "a=2"}) {
        COvalonDoc::NavigateOptions options;
        options.method = kMethodFormPost;
        options.body = std::make_unique<CHTFormBody>("application/x-www-form-urlencoded", data);
        window.doc->Navigate("http://h/form", std::move(options));
        RunUntilIdle();
    }
    EXPECT_EQ(scripts["http://h/form"].opens, 2);
    ASSERT_EQ(window.doc->History().size(), 2u);
    CHTRequest* first = window.doc->History()[0];
    CHTRequest* second = window.doc->History()[1];
    EXPECT_NE(first, second);
    EXPECT_EQ(static_cast<CHTFormBody*>(first->body.get())->data, "a=1");
    EXPECT_EQ(static_cast<CHTFormBody*>(second->body.get())->data, "a=2");
    EXPECT_EQ(host->PrivateRequestCount(), 2u);
    EXPECT_EQ(host->FindEntry("http://h/form"), nullptr);

    // Reload posts the same body again; leaving both posts behind frees them.
    window.doc->Reload();
    RunUntilIdle();
    EXPECT_EQ(scripts["http://h/form"].opens, 3);
    EXPECT_EQ(static_cast<CHTFormBody*>(second->body.get())->data, "a=2");
    CloseWindow(window);
    scheduler.DeleteRetired();
    EXPECT_EQ(host->PrivateRequestCount(), 0u);
}

TEST_F(Lifecycle, BackAndForwardReuseHeldDocuments) {
    for (const char* url : {"http://h/1", "http://h/2", "http://h/3", "http://h/4"})
        scripts[url] = Page(url);
    Window& window = OpenWindow();
    for (const char* url : {"http://h/1", "http://h/2", "http://h/3"}) Visit(window, url);
    EXPECT_FALSE(window.doc->CanGoForward());
    window.doc->Back();
    RunUntilIdle();
    EXPECT_EQ(ShownText(window), "http://h/2");
    EXPECT_EQ(scripts["http://h/2"].opens, 1);
    EXPECT_TRUE(window.doc->CanGoForward());
    EXPECT_TRUE(window.doc->CanGoBack());
    window.doc->Forward();
    RunUntilIdle();
    EXPECT_EQ(ShownText(window), "http://h/3");
    EXPECT_EQ(scripts["http://h/3"].opens, 1);

    window.doc->Back();
    RunUntilIdle();
    Visit(window, "http://h/4");
    std::vector<std::string> history;
    for (CHTRequest* request : window.doc->History()) history.push_back(request->canonicalUrl);
    EXPECT_EQ(history, (std::vector<std::string>{"http://h/1", "http://h/2", "http://h/4"}));
    EXPECT_EQ(host->FindEntry("http://h/3")->request->useCount, 0);
    EXPECT_FALSE(window.doc->CanGoForward());

    // A reload replaces the document; a view must see that even if the new document happens to
    // sit at the old one's address, so the generation changes on the drop and on the new result.
    CHTRequest* shown = window.doc->Current();
    const std::uint64_t before = shown->documentGeneration;
    window.doc->Reload();
    RunUntilIdle();
    EXPECT_GE(shown->documentGeneration, before + 2);  // dropped, then replaced
    EXPECT_EQ(scripts["http://h/4"].opens, 2);
    EXPECT_EQ(window.view->events.back(), "remember http://h/4");
}

TEST_F(Lifecycle, AdoptedHistoryStandsAtItsLastEntryAndLoadsOnlyWhenAsked) {
    for (const char* url : {"http://h/1", "http://h/2"}) scripts[url] = Page(url);
    Window& window = OpenWindow();
    std::vector<CHTRequest*> handed;
    for (const char* url : {"http://h/1", "http://h/2"})
        handed.push_back(host->GetRequest(url, nullptr, 0, window.doc.get()));
    window.doc->AdoptHistory(handed);
    RunUntilIdle();
    EXPECT_EQ(scripts["http://h/2"].opens, 0);
    EXPECT_EQ(window.doc->Current(), handed[1]);
    EXPECT_TRUE(window.doc->CanGoBack());
    EXPECT_EQ(handed[0]->useCount, 1);

    window.doc->LoadCurrent();
    RunUntilIdle();
    EXPECT_EQ(ShownText(window), "http://h/2");
    EXPECT_EQ(window.doc->History().size(), 2u);  // showing the entry does not add one
    window.doc->Back();
    RunUntilIdle();
    EXPECT_EQ(ShownText(window), "http://h/1");
}

// A refresh of 0 elsewhere loads on the next pass; to the page itself it waits a second.
TEST_F(Lifecycle, RefreshOfZero) {
    Script page = Page("first");
    page.refreshSeconds = 0;
    page.refreshUrl = "http://h/next";
    scripts["http://h/now"] = page;
    scripts["http://h/next"] = Page("next");
    Window& moved = OpenAt("http://h/now");
    EXPECT_EQ(ShownText(moved), "next");
    EXPECT_EQ(moved.doc->History().size(), 2u);

    const std::pair<const char*, const char*> cases[] = {{"http://h/self", ""},
                                                         {"http://h/me", "HTTP://h/me"}};
    for (const auto& [url, target] : cases) {
        page.refreshUrl = target;
        scripts[url] = page;
        Window& window = OpenAt(url);
        EXPECT_EQ(scripts[url].opens, 1) << url;
        AdvanceSeconds(1);
        RunUntilIdle();
        EXPECT_EQ(scripts[url].opens, 2) << url;
        window.doc->Stop();
    }
}

TEST_F(Lifecycle, RefreshOfFiveSecondsLoadsAfterFiveTimerPeriods) {
    Script page = Page("again");
    page.refreshSeconds = 5;
    scripts["http://h/clock"] = page;
    Window& window = OpenAt("http://h/clock");
    ASSERT_NE(window.doc->RefreshTask(), nullptr);
    for (int second = 1; second <= 4; ++second) {
        AdvanceSeconds(1);
        EXPECT_EQ(scripts["http://h/clock"].opens, 1) << second;
    }
    now += 999;
    scheduler.RunPass();
    EXPECT_EQ(scripts["http://h/clock"].opens, 1);
    AdvanceSeconds(0);
    now += 1;
    scheduler.RunPass();
    RunUntilIdle();
    EXPECT_EQ(scripts["http://h/clock"].opens, 2);
    // The reloaded page asks again: the countdown starts over, and a navigation ends it.
    ASSERT_NE(window.doc->RefreshTask(), nullptr);
    scripts["http://h/away"] = Page("away");
    Visit(window, "http://h/away");
    AdvanceSeconds(10);
    EXPECT_EQ(scripts["http://h/clock"].opens, 2);
    EXPECT_EQ(ShownText(window), "away");
}

TEST_F(Lifecycle, StopWhileConnectingKeepsTheOldDocument) {
    scripts["http://h/old"] = Page("old");
    scripts["http://h/slow"] = Page("slow", 50);
    Window& window = OpenAt("http://h/old");
    window.doc->Navigate("http://h/slow");
    EXPECT_TRUE(ui.busy);
    for (int i = 0; i < 5; ++i) scheduler.RunPass();
    window.doc->Stop();
    EXPECT_EQ(window.doc->LoadTask(), nullptr);
    EXPECT_EQ(ui.progress, -1);
    EXPECT_FALSE(ui.busy);
    RunUntilIdle();
    EXPECT_EQ(ShownText(window), "old");
    EXPECT_EQ(window.view->clears, 0);
    EXPECT_EQ(scripts["http://h/slow"].aborts, 1);
    EXPECT_FALSE(host->FindEntry("http://h/slow")->request->IsRunning());
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(Lifecycle, RedirectionReusesTheLoadTask) {
    Script moved;
    moved.connectPasses = 1;
    moved.redirectTo = "http://h/new";
    scripts["http://h/old"] = moved;
    scripts["http://h/new"] = Page("new home", 3);
    Window& window = OpenWindow();
    window.doc->Navigate("http://h/old");
    CLoadTask* task = window.doc->LoadTask();
    scheduler.RunPass();
    EXPECT_EQ(window.doc->LoadTask(), task);
    EXPECT_EQ(task->Request().canonicalUrl, "http://h/new");
    EXPECT_EQ(task->Redirections(), 1);
    RunUntilIdle();
    EXPECT_EQ(ShownText(window), "new home");
    ASSERT_EQ(window.doc->History().size(), 1u);
    EXPECT_EQ(window.doc->History()[0]->canonicalUrl, "http://h/new");
    EXPECT_EQ(host->FindEntry("http://h/old")->request->canonicalUrl, "http://h/old");
}

TEST_F(Lifecycle, RedirectionLoopEndsAfterTwentyRedirections) {
    scripts["http://h/a"].redirectTo = "http://h/b";
    scripts["http://h/b"].redirectTo = "http://h/a";
    Window& window = OpenAt("http://h/a");
    EXPECT_EQ(scripts["http://h/a"].opens + scripts["http://h/b"].opens, kMaxRedirections + 1);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Cannot connect to http://h/a"});
    EXPECT_EQ(host->FindEntry("http://h/a")->request->canonicalUrl, "http://h/a");
    EXPECT_EQ(window.doc->LoadTask(), nullptr);
}

TEST_F(Lifecycle, FailuresAreReportedOnceWithTheUrl) {
    struct Case {
        const char* name;
        Script script;
        std::vector<std::string> messages;
        int clears;
    };
    Script refused = Page("x");
    refused.failOpen = true;
    Script dropped = Page("x");
    dropped.failConnect = true;
    Script broken = Page("");
    broken.pieces = {{"part"}, {"", kFailure}};
    Script shortBlock = Page("");
    shortBlock.pieces = {{"GIF"}, {"", kNeedMoreData}, {"8"}};
    shortBlock.minimumBlock = 7;
    Script empty = Page("");
    empty.noDocument = true;
    Script silent = Page("x");
    silent.silent = true;
    const Case kCases[] = {
        {"refused", refused, {"Cannot connect to http://h/t"}, 0},
        {"dropped", dropped, {"Cannot connect to http://h/t"}, 0},
        {"broken", broken, {"Cannot complete loading http://h/t"}, 1},
        {"short", shortBlock, {"Cannot complete loading http://h/t"}, 1},
        {"empty", empty, {"Cannot complete loading http://h/t"}, 0},
        {"silent", silent, {}, 0},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        scripts["http://h/t"] = c.script;
        ui.messages.clear();
        Window& window = OpenAt("http://h/t");
        EXPECT_EQ(MessageTexts(), c.messages);
        EXPECT_EQ(window.view->clears, c.clears);
        EXPECT_EQ(window.doc->LoadTask(), nullptr);
        CloseWindow(window);
        if (CHTRequestEntry* entry = host->FindEntry("http://h/t")) {
            if (entry->request != nullptr) host->DeleteRequest(entry->request.get());
        }
        scheduler.DeleteRetired();
    }
}

TEST_F(Lifecycle, CommandProtocolLaunchesAndKeepsTheDocument) {
    const CRuntimeClass* saved = Schemes().ProtocolClass(kSchemeTelnet);
    Schemes().SetProtocolClass(kSchemeTelnet, &CTestTerminal::kRuntimeClass);
    scripts["http://h/old"] = Page("old");
    Window& window = OpenAt("http://h/old");
    Visit(window, "telnet://bbs.example:2323");
    Visit(window, "telnet://plain");
    Schemes().SetProtocolClass(kSchemeTelnet, saved);
    EXPECT_EQ(CTestTerminal::launches, (std::vector<std::string>{"bbs.example 2323", "plain"}));
    EXPECT_EQ(ShownText(window), "old");
    EXPECT_EQ(host->FindEntry("telnet://plain/")->request, nullptr);
    EXPECT_TRUE(MessageTexts().empty());
}

// Stopping the load, or closing the window, after every number of passes from 0 until the load
// completes (and closing it from inside a failure's message box) must leave nothing dangling:
// the sanitizers watch. Every clock read takes time, so slices end after a step or two.
TEST_F(Lifecycle, StopOrCloseAfterEveryPass) {
    enum class Action { kStop, kClose, kCloseInMessage };
    Script page;
    page.connectPasses = 3;
    page.capacity = 3;
    page.pieces = {{"abc"}, {"", kNeedMoreData}, {"defg"}, {"", kNeedMoreData}, {"hi"}};
    page.refreshSeconds = 0;
    page.refreshUrl = "http://h/after";
    Script moved;
    moved.connectPasses = 2;
    moved.redirectTo = "http://h/page";
    Script broken = page;
    broken.pieces = {{"abc"}, {"", kNeedMoreData}, {"", kFailure}};
    struct Scenario {
        const char* name;
        Script script;
    };
    const Scenario kScenarios[] = {{"moved", moved}, {"page", page}, {"broken", broken}};
    tickPerRead = 70;
    for (const Scenario& scenario : kScenarios) {
        for (Action action : {Action::kStop, Action::kClose, Action::kCloseInMessage}) {
            int completedAt = -1;
            for (int stopAt = 0; stopAt < 200 && completedAt < 0; ++stopAt) {
                SCOPED_TRACE(testing::Message() << scenario.name << " action "
                                                << static_cast<int>(action) << " at " << stopAt);
                scripts["http://h/moved"] = scenario.script;
                scripts["http://h/page"] = scenario.name == std::string("moved") ? page : broken;
                scripts["http://h/after"] = Page("after", 2);
                Window& window = OpenWindow();
                Window& other = OpenWindow();
                other.doc->Navigate("http://h/page");
                window.doc->Navigate("http://h/moved");
                int passes = 0;
                while (passes < stopAt && scheduler.HasQueuedTasks()) {
                    scheduler.RunPass();
                    ++passes;
                }
                if (!scheduler.HasQueuedTasks()) completedAt = stopAt;
                switch (action) {
                    case Action::kStop:
                        window.doc->Stop();
                        break;
                    case Action::kClose:
                        CloseWindow(window);
                        break;
                    case Action::kCloseInMessage:
                        ui.onMessage = [&] { CloseWindow(window); };
                        break;
                }
                RunUntilIdle();
                ui.onMessage = nullptr;
                CloseWindow(other);
                CloseWindow(window);
                scheduler.DeleteRetired();
                windows.clear();
                host = std::make_unique<CHTHostServices>(ui, scheduler);
            }
            EXPECT_GE(completedAt, 5) << scenario.name;
        }
    }
}

}  // namespace
}  // namespace corvane::core::testing_support
