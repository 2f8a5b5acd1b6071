#include "platform/program_launcher.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <map>

#include "tests/support/scratch_directory.h"

namespace corvane::platform {
namespace {

using testing::ScratchDirectory;
using Words = std::vector<std::string>;

// Just enough of an event loop for the launcher. A turn waits for a watched fd (or, with none
// watched, for any child to end, without reaping it), runs the ready fd callbacks, then fires every
// timer once: a turn stands for one timer period.
class LauncherTestLoop : public EventLoop {
  public:
    WatchId WatchFd(int fd, unsigned, FdCallback callback) override {
        watches_[++lastId_] = {fd, std::move(callback)};
        return lastId_;
    }
    void UnwatchFd(WatchId id) override { watches_.erase(id); }
    TimerId StartTimer(std::uint32_t, bool, Callback callback) override {
        timers_[++lastId_] = std::move(callback);
        return lastId_;
    }
    void StopTimer(TimerId id) override { timers_.erase(id); }
    void SetFdEvents(WatchId, unsigned) override {}
    void Post(Callback) override { ADD_FAILURE() << "the launcher posts nothing"; }
    void SetIdleHook(IdleHook) override {}
    bool HasPendingInput() override { return false; }
    void Run() override {}
    void Quit() override {}

    bool RunUntil(const std::function<bool()>& condition, std::uint32_t timeoutMs) override {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!condition() && std::chrono::steady_clock::now() < deadline) {
            std::vector<std::pair<WatchId, pollfd>> ready;
            for (auto& [id, watch] : watches_) ready.push_back({id, {watch.first, POLLIN, 0}});
            siginfo_t info{};
            for (auto& [id, fd] : ready) ::poll(&fd, 1, 100);
            if (ready.empty()) ::waitid(P_ALL, 0, &info, WEXITED | WNOWAIT);
            for (auto& [id, fd] : ready) {
                if (fd.revents != 0 && watches_.count(id)) watches_[id].second(fd.fd, kIoRead);
            }
            for (auto& [id, callback] : std::map(timers_)) {
                if (timers_.count(id)) callback();
            }
        }
        return condition();
    }

    std::size_t WatchCount() const { return watches_.size(); }
    std::size_t TimerCount() const { return timers_.size(); }

  private:
    std::map<WatchId, std::pair<int, FdCallback>> watches_;
    std::map<TimerId, Callback> timers_;
    std::uint64_t lastId_ = 0;
};

TEST(SplitCommandLine, QuotesGroupWordsAndNothingElseIsSpecial) {
    struct Case {
        const char* line;
        Words expected;
    };
    const Case cases[] = {
        {"telnet host 23", {"telnet", "host", "23"}},
        {"  xterm\t-e  telnet  ", {"xterm", "-e", "telnet"}},
        {"\"/opt/my viewer/view\" /tmp/QV01.txt", {"/opt/my viewer/view", "/tmp/QV01.txt"}},
        {"a\"b c\"d", {"ab cd"}},
        {"prog \"\" last", {"prog", "", "last"}},
        {"prog \"unclosed rest", {"prog", "unclosed rest"}},
        {"prog a;b c|d $(id) `id` \\x", {"prog", "a;b", "c|d", "$(id)", "`id`", "\\x"}},
        {"", {}},
        {"   ", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.expected) << c.line;
}

// touch creates one file per argument it receives: the file names show exactly what arrived,
// through the argument vector and through a command line.
TEST(ProgramLauncher, ArgumentsReachTheProgramAsPlainText) {
    ScratchDirectory dir;
    const Words names = {"$(touch pwned)", "*",     "`touch pwned2`", "a;b",        "c|d",
                         "e & f",          "g > h", "it's",           "line\nbreak"};
    Words arguments = {"touch"};
    for (const std::string& name : names) arguments.push_back(dir.File(name));
    LauncherTestLoop loop;
    ProgramLauncher launcher(loop);
    ASSERT_TRUE(launcher.Start(arguments));
    ASSERT_TRUE(launcher.Start("touch \"" + dir.File("with space") + "\" " + dir.File("x;touch") +
                               " " + dir.File("$(id)")));
    ASSERT_TRUE(loop.RunUntil([&] { return launcher.RunningCount() == 0; }, 10000));
    Words expected = names;
    expected.insert(expected.end(), {"$(id)", "with space", "x;touch"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(dir.Names(), expected);
}

TEST(ProgramLauncher, StartFailsWhenTheProgramCannotBeExecuted) {
    ScratchDirectory dir;
    dir.Write("not-executable", "#!/bin/sh\n");
    LauncherTestLoop loop;
    ProgramLauncher launcher(loop);
    struct Case {
        std::string commandLine;
        int error;
    };
    const Case cases[] = {
        {"corvane-no-such-program-7f3a --flag", ENOENT},
        {dir.File("absent/program"), ENOENT},
        {dir.File("not-executable"), EACCES},
        {"", ENOENT},
        {"   ", ENOENT},
    };
    for (const Case& c : cases) {
        errno = 0;
        EXPECT_FALSE(launcher.Start(c.commandLine)) << c.commandLine;
        EXPECT_EQ(errno, c.error) << c.commandLine;
    }
    EXPECT_EQ(launcher.RunningCount(), 0u);
    // A program that runs and then fails has still been started.
    EXPECT_TRUE(launcher.Start("false"));
    EXPECT_TRUE(loop.RunUntil([&] { return launcher.RunningCount() == 0; }, 10000));
}

class ProgramLauncherReaping : public ::testing::TestWithParam<ProgramLauncher::ExitWatch> {};

TEST_P(ProgramLauncherReaping, NoZombiesRemain) {
    LauncherTestLoop loop;
    ProgramLauncher launcher(loop, GetParam());
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(launcher.Start(Words{"true"}));
    EXPECT_EQ(launcher.RunningCount(), 5u);
    ASSERT_TRUE(loop.RunUntil([&] { return launcher.RunningCount() == 0; }, 10000));
    // Nothing is left to wait for: no zombie, no running child.
    int status = 0;
    EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    EXPECT_EQ(loop.WatchCount(), 0u);
    EXPECT_EQ(loop.TimerCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(ExitWatches, ProgramLauncherReaping,
                         ::testing::Values(ProgramLauncher::ExitWatch::kPidFd,
                                           ProgramLauncher::ExitWatch::kPolling));

}  // namespace
}  // namespace corvane::platform
