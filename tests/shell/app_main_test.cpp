#include "shell/app_main.h"

#include <gtest/gtest.h>

#include "tests/support/scratch_directory.h"

namespace corvane::shell {
namespace {

struct Outcome {
    int exitCode;
    std::string out, err;
};

Outcome RunCorvane(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "corvane");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    int exitCode = AppMain(static_cast<int>(arguments.size()), argv.data());
    std::string out = ::testing::internal::GetCapturedStdout();
    return {exitCode, out, ::testing::internal::GetCapturedStderr()};
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(AppMain, CommandLineErrorsExitWithTwo) {
    for (const auto& arguments : {std::vector<std::string>{"--bogus"}, {"--profile"}, {"-h"}}) {
        Outcome outcome = RunCorvane(arguments);
        EXPECT_EQ(outcome.exitCode, 2) << arguments[0];
        EXPECT_TRUE(Contains(outcome.err, "corvane: ")) << outcome.err;
        EXPECT_TRUE(Contains(outcome.err, "--help")) << outcome.err;
        EXPECT_TRUE(outcome.out.empty());
    }
}

TEST(AppMain, AProfileDirectoryThatCannotBeMadeEndsTheRun) {
    testing::ScratchDirectory dir;
    dir.Write("file", "");
    Outcome blocked = RunCorvane({"--profile", dir.File("file")});
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_TRUE(Contains(blocked.err, "cannot create the profile directory")) << blocked.err;
}

}  // namespace
}  // namespace corvane::shell
