#include "config/command_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/file_services.h"
#include "tests/support/scratch_directory.h"

namespace corvane::config {
namespace {

namespace fs = std::filesystem;

TEST(CommandLineTest, WordsChooseWhatIsLoaded) {
    corvane::testing::ScratchDirectory here;
    here.Write("page.html", "x");
    here.Write("www.example.com", "a file named like a host");
    fs::create_directory(here.path() + "/docs");
    struct Case {
        std::vector<std::string> words;
        bool autoload;
        StartTarget kind;
        std::string target;
    };
    const Case cases[] = {
        {{}, true, StartTarget::kHomePage, ""},
        {{}, false, StartTarget::kNothing, ""},
        {{"  ", "\t"}, true, StartTarget::kHomePage, ""},
        {{"www.example.org"}, true, StartTarget::kAddress, "www.example.org"},
        {{"/home/a/x.html"}, true, StartTarget::kLocalFile, "/home/a/x.html"},
        {{"./x.html"}, true, StartTarget::kLocalFile, "./x.html"},
        {{"~/x.html"}, true, StartTarget::kLocalFile, "~/x.html"},
        {{"c:\\web\\x.htm"}, true, StartTarget::kLocalFile, "c:\\web\\x.htm"},
        {{"~user"}, true, StartTarget::kAddress, "~user"},
        {{"/home/a", "b.html"}, true, StartTarget::kLocalFile, "/home/a b.html"},
        // Existing names in the current directory are files, as for every Linux program.
        {{"page.html"}, true, StartTarget::kLocalFile, "page.html"},
        {{"docs"}, true, StartTarget::kLocalFile, "docs"},
        {{"www.example.com"}, true, StartTarget::kLocalFile, "www.example.com"},
        {{"missing.html"}, true, StartTarget::kAddress, "missing.html"},
    };
    for (const Case& c : cases) {
        const StartupCommand command =
            ParseCommandLine(c.words, c.autoload, "/home/u", here.path());
        const std::string trace = c.words.empty() ? "(empty)" : c.words.front();
        EXPECT_EQ(command.kind, c.kind) << trace;
        EXPECT_EQ(command.target, c.target) << trace;
    }
}

TEST(CommandLineTest, LocalPathsBecomeFileUrls) {
    EXPECT_EQ(CommandLineFileUrl("/home/a/x y.html", "/home/u", "/w"), "file:/home/a/x+y.html");
    EXPECT_EQ(CommandLineFileUrl("~/x.html", "/home/u", "/w"), "file:/home/u/x.html");
    EXPECT_EQ(CommandLineFileUrl("./x.html", "/home/u", "/w/d"), "file:/w/d/x.html");
    EXPECT_EQ(CommandLineFileUrl("../x.html", "/home/u", "/w/d/"), "file:/w/x.html");
    EXPECT_EQ(CommandLineFileUrl("x.html", "/home/u", "/w/d"), "file:/w/d/x.html");
}

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
    EXPECT_EQ(ReadHistoryHandOver(path), expected);
    EXPECT_TRUE(ReadHistoryHandOver(temp_ + "/missing").empty());
    EXPECT_TRUE(ReadHistoryHandOver(temp_).empty());  // a directory is no history
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
        const auto entries = TakeHistoryHandOver(path, temp_);
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
    EXPECT_EQ(TakeHistoryHandOver(link, temp_).size(), 1u);
    EXPECT_TRUE(fs::exists(target));
    EXPECT_TRUE(fs::is_symlink(link));
}

}  // namespace
}  // namespace corvane::config
