#include "store/browsing_stores.h"

#include <gtest/gtest.h>

#include "platform/scripted_host_services.h"

namespace corvane::store {
namespace {

TEST(BrowsingStores, LoginsAreKeptFoundByRealmAndReplacedInPlace) {
    platform::ScriptedHostServices ui;
    core::CHTScheduler scheduler{[] { return 0u; }};
    core::CHTHostServices host{ui, scheduler};
    CDiskCache cache(host);
    CRealmStore realms;
    CBrowsingStores stores(cache, realms);

    stores.StoreLogin("Web.Example", 80, "/docs/a.htm", {"Docs", "", "ann", "old", true}, nullptr);
    stores.StoreLogin("web.example", 80, "/more/b.htm", {"Docs", "", "ann", "old", false}, nullptr);
    const std::optional<core::CHTLogin> sent = stores.FindLogin("web.example", 80, "/docs/x.htm");
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->pathPattern, "/docs/*");
    EXPECT_FALSE(stores.FindLogin("web.example", 8080, "/docs/x.htm"));
    EXPECT_FALSE(stores.FindLogin("web.example", 80, "/other.htm"));
    ASSERT_TRUE(stores.FindRealm("WEB.EXAMPLE", 80, "Docs"));
    EXPECT_FALSE(stores.FindRealm("web.example", 80, "docs"));

    // The refused login takes the new one in place, and so does the realm's other record.
    stores.StoreLogin("web.example", 80, "/docs/x.htm", {"Docs", "", "ann", "new", true}, &*sent);
    ASSERT_EQ(realms.Servers().size(), 1u);
    ASSERT_EQ(realms.Servers()[0].realms.size(), 2u);
    for (const auto& record : realms.Servers()[0].realms) EXPECT_EQ(record->password, "new");
}

}  // namespace
}  // namespace corvane::store
