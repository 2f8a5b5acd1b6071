#include "config/typed_url_list.h"

#include <gtest/gtest.h>

#include "config/settings.h"
#include "tests/support/scratch_directory.h"

namespace corvane::config {
namespace {

using Urls = std::vector<std::string>;

TEST(TypedUrlListTest, MostRecentFirstWithoutCaseDuplicatesAndAtMostTwenty) {
    TypedUrlList list;
    list.Remember("http://a/");
    list.Remember("http://b/");
    list.Remember("HTTP://A/");  // the same address: moves to the top, now as typed
    list.Remember("");
    EXPECT_EQ(list.Entries(), (Urls{"HTTP://A/", "http://b/"}));
    for (int i = 0; i < 20; ++i) list.Remember("http://h" + std::to_string(i) + "/");
    ASSERT_EQ(list.Entries().size(), 20u);
    EXPECT_EQ(list.Entries().front(), "http://h19/");
    EXPECT_EQ(list.Entries().back(), "http://h0/");  // both older ones were dropped
}

TEST(TypedUrlListTest, SavedListLoadsBackAndLoadingStopsAtTheFirstEmptyKey) {
    corvane::testing::ScratchDirectory profile;
    const std::string file = SettingsFilePath(profile.path());
    profile.Write("ovalon.ini",
                  "[URL List]\nTypedURL_1=http://old1/\nTypedURL_2=http://old2/\nTypedURL_3=\n"
                  "TypedURL_5=http://unreached/\n");
    TypedUrlList list;
    ASSERT_TRUE(list.Load(CSettingsSection(file, "URL List")));
    EXPECT_EQ(list.Entries(), (Urls{"http://old1/", "http://old2/"}));

    list.Remember("http://new/");
    CSettingsSection section(file, "URL List");
    ASSERT_TRUE(list.Save(section));
    TypedUrlList reread;
    ASSERT_TRUE(reread.Load(CSettingsSection(file, "url list")));
    EXPECT_EQ(reread.Entries(), (Urls{"http://new/", "http://old1/", "http://old2/"}));
    // Keys past the saved list are left as they were.
    EXPECT_EQ(section.GetString("TypedURL_5", ""), "http://unreached/");
}

TEST(TypedUrlListTest, AnEntryTheFieldCannotHoldStopsLoading) {
    corvane::testing::ScratchDirectory profile;
    profile.Write("ovalon.ini", "[URL List]\nTypedURL_1=http://a/\nTypedURL_2=http://b/\\nx\n");
    TypedUrlList list;
    EXPECT_FALSE(list.Load(CSettingsSection(SettingsFilePath(profile.path()), "URL List")));
    EXPECT_EQ(list.Entries(), (Urls{"http://a/"}));
}

}  // namespace
}  // namespace corvane::config
