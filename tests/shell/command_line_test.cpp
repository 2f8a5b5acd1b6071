#include "shell/command_line.h"

#include <gtest/gtest.h>

namespace corvane::shell {
namespace {

using Action = CommandLine::Action;
using Words = std::vector<std::string>;

TEST(ParseCommandLine, AcceptedCommandLines) {
    struct Case {
        Words arguments;
        Action action;
        std::optional<std::string> profile, history, target;
    };
    const Case cases[] = {
        {{}, Action::kRun, {}, {}, {}},
        {{"http://h/"}, Action::kRun, {}, {}, "http://h/"},
        {{"--profile", "/p", "/home/u/page.htm"}, Action::kRun, "/p", {}, "/home/u/page.htm"},
        {{"-h", "/tmp/CVT1.tmp", "http://h/"}, Action::kRun, {}, "/tmp/CVT1.tmp", "http://h/"},
        {{"--", "-odd-file-name"}, Action::kRun, {}, {}, "-odd-file-name"},
        {{"--profile", "/a", "--profile", "/b"}, Action::kRun, "/b", {}, {}},
        {{"--version"}, Action::kVersion, {}, {}, {}},
        {{"--help", "--no-such-option"}, Action::kHelp, {}, {}, {}},
        {{"--profile", "/p", "--help"}, Action::kHelp, "/p", {}, {}},
    };
    for (const Case& c : cases) {
        CommandLineParse parse = ParseCommandLine(c.arguments);
        ASSERT_TRUE(parse.commandLine) << parse.error;
        EXPECT_EQ(parse.commandLine->action, c.action);
        EXPECT_EQ(parse.commandLine->profileDirectory, c.profile);
        EXPECT_EQ(parse.commandLine->historyFile, c.history);
        EXPECT_EQ(parse.commandLine->target, c.target);
    }
}

TEST(ParseCommandLine, RejectedCommandLinesSayWhy) {
    struct Case {
        Words arguments;
        std::string errorPart;
    };
    const Case cases[] = {
        {{"--frobnicate"}, "unknown option --frobnicate"},
        {{"-x", "http://h/"}, "unknown option -x"},
        {{"--profile"}, "--profile needs a directory"},
        {{"--profile", ""}, "--profile needs a directory"},
        {{"-h"}, "-h needs a history file"},
        {{"http://a/", "http://b/"}, "only one address"},
    };
    for (const Case& c : cases) {
        CommandLineParse parse = ParseCommandLine(c.arguments);
        EXPECT_FALSE(parse.commandLine) << c.errorPart;
        EXPECT_NE(parse.error.find(c.errorPart), std::string::npos) << parse.error;
    }
}

}  // namespace
}  // namespace corvane::shell

namespace corvane::shell {
namespace {

TEST(ParseCommandLine, HeadlessModes) {
    using Headless = CommandLine::Headless;
    struct Case {
        Words arguments;
        Headless headless;
        std::optional<std::string> file;
        std::optional<int> width, height;
    };
    const Case cases[] = {
        {{"--dump-source", "file:/x"}, Headless::kDumpSource, {}, {}, {}},
        {{"--dump-text", "--width", "300", "u"}, Headless::kDumpText, {}, 300, {}},
        {{"--screenshot", "a.png", "--width", "640", "--height", "480", "u"},
         Headless::kScreenshot,
         "a.png",
         640,
         480},
        {{"--profile", "/p", "u", "--dump-text"}, Headless::kDumpText, {}, {}, {}},
        {{"--print-pdf", "out.pdf", "--width", "500", "u"},
         Headless::kPrintPdf,
         "out.pdf",
         500,
         {}},
    };
    for (const Case& c : cases) {
        CommandLineParse parse = ParseCommandLine(c.arguments);
        ASSERT_TRUE(parse.commandLine) << parse.error;
        EXPECT_EQ(parse.commandLine->headless, c.headless);
        EXPECT_EQ(parse.commandLine->outputFile, c.file);
        EXPECT_EQ(parse.commandLine->width, c.width);
        EXPECT_EQ(parse.commandLine->height, c.height);
    }
    const std::pair<Words, std::string> rejected[] = {
        {{"--dump-text"}, "need an address"},
        {{"--dump-text", "--dump-source", "u"}, "only one of"},
        {{"--screenshot"}, "--screenshot needs a file name"},
        {{"--dump-text", "--width", "0", "u"}, "from 1 to 32767"},
        {{"--dump-text", "--width", "99999", "u"}, "from 1 to 32767"},
        {{"--dump-text", "--width", "-5", "u"}, "from 1 to 32767"},
        {{"--dump-text", "--width"}, "from 1 to 32767"},
        {{"--dump-text", "--height", "5", "u"}, "--height needs --screenshot"},
        {{"--width", "5", "u"}, "need --dump-text, --screenshot or --print-pdf"},
        {{"--print-pdf", "", "u"}, "--print-pdf needs a file name"},
        {{"--print-pdf", "a.pdf", "--height", "5", "u"}, "--height needs --screenshot"},
        {{"--dump-source", "--width", "5", "u"}, "--width needs"},
        {{"-h", "f.tmp", "--dump-text", "u"}, "-h cannot be used"},
    };
    for (const auto& [arguments, error] : rejected) {
        CommandLineParse parse = ParseCommandLine(arguments);
        EXPECT_FALSE(parse.commandLine);
        EXPECT_NE(parse.error.find(error), std::string::npos) << parse.error;
    }
}

}  // namespace
}  // namespace corvane::shell
