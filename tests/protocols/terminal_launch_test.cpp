#include "protocols/terminal_launch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/program_launcher.h"
#include "tests/support/protocol_load.h"
#include "tests/support/scratch_directory.h"

namespace corvane::protocols {
namespace {

using Arguments = std::optional<std::vector<std::string>>;

TEST(TerminalArgumentsTest, OnlyHostsAndPortsBecomeArguments) {
    const std::vector<std::pair<std::string, Arguments>> cases = {
        {"host:2323", std::vector<std::string>{"host", "2323"}},
        {"user:pw@bbs.example.org", std::vector<std::string>{"bbs.example.org"}},
        {"10.0.0.1:23", std::vector<std::string>{"10.0.0.1", "23"}},
        {"[::1]:23", std::vector<std::string>{"::1", "23"}},
        {"-l%20root@host", std::vector<std::string>{"host"}},
        {"", std::nullopt},
        {"-lroot", std::nullopt},
        {"host;rm", std::nullopt},
        {"host%20-l%20root", std::nullopt},
        {"host:0", std::nullopt},
        {"host:99999", std::nullopt},
        {"host:2a", std::nullopt},
        {"[::1;x]", std::nullopt},
    };
    for (const auto& [location, expected] : cases) {
        EXPECT_EQ(TerminalArguments(location), expected) << location;
    }
}

class TerminalLaunch : public ::testing::Test {
  protected:
    TerminalLaunch() {
        RegisterTerminals();
        load.host.downloads.launcher = &launcher;
        scratch.Write("record", "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"$0.args\"\n");
        chmod(scratch.File("record").c_str(), 0755);
    }
    ~TerminalLaunch() override { SetTerminalPrograms("x-terminal-emulator -e telnet", "x3270"); }
    std::string Recorded() {
        load.loop.RunUntil([&] { return !scratch.Read("record.args").empty(); }, 5000);
        return scratch.Read("record.args");
    }

    testing::ScratchDirectory scratch;
    testing::ProtocolLoad load;
    platform::ProgramLauncher launcher{load.loop};
};

TEST_F(TerminalLaunch, TheProgramGetsItsOwnWordsThenHostAndPort) {
    SetTerminalPrograms(scratch.File("record") + " -e telnet", "");
    EXPECT_EQ(load.Open("telnet://host:2323"), core::kOpenDoneItself);
    EXPECT_EQ(Recorded(), "-e\ntelnet\nhost\n2323\n");
    EXPECT_TRUE(load.ui.messages.empty());
}

TEST_F(TerminalLaunch, FailuresAreShownAndNothingStarts) {
    struct Case {
        std::string telnet;
        std::string tn3270;
        std::string url;
        std::string message;
    };
    const std::string missing = scratch.File("missing");
    const std::vector<Case> cases = {
        {scratch.File("record"), "", "telnet://", "The URL is not reconized by telnet."},
        {"", scratch.File("record"), "tn3270://-l%20x", "The URL is not reconized by tn3270."},
        {scratch.File("record"), "", "telnet://host;rm", "The URL is not reconized by telnet."},
        {"", "", "telnet://host", "No telnet application is specified."},
        {"", "", "tn3270://host", "No tn3270 application is specified."},
        {missing, "", "telnet://host", "Unable to find application " + missing},
    };
    for (const Case& c : cases) {
        testing::ProtocolLoad each;
        platform::ProgramLauncher eachLauncher{each.loop};
        each.host.downloads.launcher = &eachLauncher;
        SetTerminalPrograms(c.telnet, c.tn3270);
        EXPECT_EQ(each.Open(c.url), core::kOpenDoneItself) << c.url;
        ASSERT_EQ(each.ui.messages.size(), 1u) << c.url;
        EXPECT_EQ(each.ui.messages.front().text, c.message) << c.url;
    }
    EXPECT_TRUE(scratch.Read("record.args").empty());
}

}  // namespace
}  // namespace corvane::protocols
