#include "store/history_menu.h"

#include <gtest/gtest.h>

#include "core/ht_host_services.h"
#include "platform/scripted_host_services.h"

namespace corvane::store {
namespace {

TEST(HistoryMenuTest, ShowsTheTenNewestEntriesWithMoreAndTheCurrentOneChecked) {
    platform::ScriptedHostServices ui;
    core::CHTScheduler scheduler([] { return 0u; });
    core::CHTHostServices host(ui, scheduler);
    std::vector<core::CHTRequest*> history;
    for (int i = 0; i < 11; ++i) {
        history.push_back(host.GetRequest("http://h/" + std::to_string(i), nullptr,
                                          core::kMethodShared, nullptr));
    }
    const std::vector<core::CHTRequest*> ten(history.begin() + 1, history.end());
    const auto items = BuildHistoryMenu(ten, 8);
    ASSERT_EQ(items.size(), 11u);
    EXPECT_EQ(items[0], (HistoryMenuItem{32950, "&0 http://h/10", false}));
    EXPECT_EQ(items[1], (HistoryMenuItem{32951, "&1 http://h/9", true}));
    EXPECT_EQ(items[9], (HistoryMenuItem{32959, "&9 http://h/1", false}));
    EXPECT_EQ(items[10], (HistoryMenuItem{32960, "More...", false}));

    EXPECT_EQ(BuildHistoryMenu(history, 10).size(), 11u);  // the oldest is left out
    const std::vector<core::CHTRequest*> nine(history.begin(), history.begin() + 9);
    EXPECT_EQ(BuildHistoryMenu(nine, 8).size(), 9u);
    EXPECT_TRUE(BuildHistoryMenu({}, -1).empty());
}

}  // namespace
}  // namespace corvane::store
