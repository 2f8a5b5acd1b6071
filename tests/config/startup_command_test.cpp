#include "config/startup_command.h"

#include <filesystem>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace corvane::config
