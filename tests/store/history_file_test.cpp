#include "store/history_file.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "core/ht_host_services.h"
#include "platform/scripted_host_services.h"
#include "tests/support/scratch_directory.h"

namespace corvane::store {
namespace {

namespace fs = std::filesystem;

class HandOverTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directory(temp_ + "/elsewhere"); }
    std::string Write(const std::string& name, const std::string& text) {
        scratch_.Write(name, text);
        return scratch_.File(name);
    }
    corvane::testing::ScratchDirectory scratch_;
    std::string temp_ = scratch_.path();
};

TEST_F(HandOverTest, ReadsKeyEqualsUrlLinesAndSkipsTheRest) {
    const std::string path =
        Write("CVH1A.tmp",
              "http://a/=http://a/\nno equals sign\r\nfile:/x=file:/x?q=1\r\n=\nlast=unended");
    const std::vector<HistoryEntry> expected = {
        {"http://a/", "http://a/"}, {"file:/x", "file:/x?q=1"}, {"", ""}, {"last", "unended"}};
    EXPECT_EQ(ReadHistoryFile(path), expected);
    EXPECT_TRUE(ReadHistoryFile(temp_ + "/missing").empty());
    EXPECT_TRUE(ReadHistoryFile(temp_).empty());  // a directory is no history
}

TEST_F(HandOverTest, DeletesOnlyOurOwnHandOverFiles) {
    struct Case {
        std::string name;
        bool inTemp;
        bool deleted;
    };
    const Case cases[] = {
        {"CVH1A.tmp", true, true},   {"CVHFFFF.TMP", true, true},
        {"CVH1A.tmp", false, false},  // not in the temporary directory
        {"x.tmp", true, false},       // a user's own file
        {"CVH.tmp", true, false},    {"CVH12345.tmp", true, false},
        {"CVHXY.tmp", true, false},  {"CVH1A.tmp.bak", true, false},
    };
    for (const Case& c : cases) {
        const std::string path =
            Write((c.inTemp ? "" : "elsewhere/") + c.name, "http://a/=http://a/\n");
        const auto entries = TakeHistoryFile(path, temp_);
        EXPECT_EQ(entries.size(), 1u) << c.name;
        EXPECT_EQ(!fs::exists(path), c.deleted) << c.name << (c.inTemp ? "" : " elsewhere");
        fs::remove(path);
    }
}

TEST_F(HandOverTest, FilesMadeByTheTemporaryNameServiceAreRecognised) {
    const auto path = platform::CreateTempFile(temp_, kHistoryHandOverPrefix);
    ASSERT_TRUE(path.has_value());
    EXPECT_TRUE(IsHistoryHandOverFile(*path, temp_)) << *path;
    EXPECT_FALSE(IsHistoryHandOverFile(*path, temp_ + "/elsewhere")) << *path;
}

TEST_F(HandOverTest, ALinkNamedLikeAHandOverFileIsNotFollowedOrDeleted) {
    const std::string target = Write("elsewhere/precious", "keep=me\n");
    const std::string link = temp_ + "/CVH2.tmp";
    fs::create_symlink(target, link);
    EXPECT_EQ(TakeHistoryFile(link, temp_).size(), 1u);
    EXPECT_TRUE(fs::exists(target));
    EXPECT_TRUE(fs::is_symlink(link));
}

TEST_F(HandOverTest, WrittenHistoryReadsBackInOrderWithQueriesWhole) {
    platform::ScriptedHostServices ui;
    core::CHTScheduler scheduler([] { return 0u; });
    core::CHTHostServices host(ui, scheduler);
    std::vector<core::CHTRequest*> history;
    for (const char* url : {"http://a/", "http://b/find?q=1&r=2", "http://a/x"})
        history.push_back(host.GetRequest(url, nullptr, core::kMethodShared, nullptr));
    const auto path = WriteHistoryFile(history, temp_);
    ASSERT_TRUE(path.has_value());
    const std::vector<HistoryEntry> expected = {{"http://a/", "http://a/"},
                                                {"http://b/find?q=1&r=2", "http://b/find?q=1&r=2"},
                                                {"http://a/x", "http://a/x"}};
    EXPECT_EQ(TakeHistoryFile(*path, temp_), expected);
    EXPECT_FALSE(fs::exists(*path));
}

}  // namespace
}  // namespace corvane::store
