#include "store/realm_store.h"

#include "tests/support/scratch_directory.h"

#include <gtest/gtest.h>

namespace corvane::store {
namespace {

TEST(RealmStoreTest, PathPatternsCoverTheirDirectoryAndBelow) {
    EXPECT_EQ(PathPatternFor("/docs/a.htm"), "/docs/*");
    EXPECT_EQ(PathPatternFor("noslash"), "*");
    const struct {
        const char* path;
        const char* pattern;
        bool matches;
    } cases[] = {
        {"/docs/b.htm", "/docs/*", true}, {"/docs/sub/c.htm", "/docs/*", true},
        {"/other.htm", "/docs/*", false}, {"/Docs/b.htm", "/docs/*", false},
        {"/anything", "*", true},         {"/a/x.gif", "/a/*.gif", true},
        {"/a/x.jpg", "/a/*.gif", false},  {"/exact", "/exact", true},
        {"/exact/more", "/exact", false}, {"/docs", "/docs/*", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesPathPattern(c.path, c.pattern), c.matches) << c.path << " " << c.pattern;
}

TEST(RealmStoreTest, OnlySavedRecordsReachTheFileAndReadBackWhole) {
    corvane::testing::ScratchDirectory scratch;
    const std::string path = scratch.File(kRealmFileName);
    CRealmStore store;
    store.AddRealm("Host.example", 80, "Docs", "/docs/a.htm", "ab", "p,w=d\n", true);
    store.AddRealm("host.example", 80, "Unsaved", "/u/x", "u", "p", false);
    store.AddRealm("evil", 8080, "a,b=c\nevil=1,x,/*,AB,AB", "/p,q=r/x", "", "", true);
    ASSERT_TRUE(store.Save(path));
    const std::string text = scratch.Read(kRealmFileName);
    EXPECT_EQ(text.substr(0, text.find('\n')), "Host.example=80,Docs,/docs/*,FAFB,G@BLGGCMFD@J");

    CRealmStore loaded;
    loaded.Load(path);
    ASSERT_EQ(loaded.Servers().size(), 2u);
    auto found = loaded.FindCredentials("HOST.EXAMPLE", 80, "/docs/sub/c.htm");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->userAndPassword, "ab:p,w=d\n");
    EXPECT_FALSE(loaded.FindCredentials("host.example", 80, "/other.htm"));
    EXPECT_FALSE(loaded.FindCredentials("host.example", 81, "/docs/b.htm"));
    EXPECT_FALSE(loaded.FindCredentials("host.example", 80, "/u/x"));
    found = loaded.FindCredentials("evil", 8080, "/p,q=r/y");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->record->realm, "a,b=c\nevil=1,x,/*,AB,AB");
}

TEST(RealmStoreTest, HostileAndDuplicateLinesAreSkipped) {
    corvane::testing::ScratchDirectory scratch;
    using namespace std::string_literals;
    scratch.Write(kRealmFileName,
                  "h=80,R,/a/*,FAFB,FAFB\nh=80,r,/A/*,GA,GA\nnoequals\nh=x,R,/b/*,,\n"
                  "h=80\nh=80,R,/c/*\n\xff\x00\x01=1,,,,\nh=80,R,/d/*,,\n"s);
    CRealmStore store;
    store.Load(scratch.File(kRealmFileName));
    ASSERT_EQ(store.Servers().size(), 2u);
    const auto& realms = store.Servers()[0].realms;
    ASSERT_EQ(realms.size(), 2u);  // the second line repeats the first in another case
    EXPECT_EQ(realms[0]->user, "ab");
    EXPECT_EQ(realms[1]->pathPattern, "/d/*");
    EXPECT_TRUE(realms[1]->saved);
}

TEST(RealmStoreTest, NewCredentialsReachTheRecordsThatSharedTheOldOnes) {
    CRealmStore store;
    RealmRecord& first = store.AddRealm("h", 80, "R", "/a/x", "old", "pw", false);
    RealmRecord& same = store.AddRealm("h", 80, "R", "/b/x", "old", "pw", false);
    RealmRecord& otherUser = store.AddRealm("h", 80, "R", "/c/x", "else", "pw", false);
    RealmRecord& otherServer = store.AddRealm("g", 80, "R", "/a/x", "old", "pw", false);
    first.user = "new";
    first.password = "npw";
    first.saved = true;
    store.PropagateCredentials(first, "old", "pw");
    EXPECT_EQ(same.user + ":" + same.password, "new:npw");
    EXPECT_TRUE(same.saved);
    EXPECT_EQ(otherUser.user, "else");
    EXPECT_EQ(otherServer.user, "old");
}

}  // namespace
}  // namespace corvane::store
