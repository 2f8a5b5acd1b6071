#include "platform/program_launcher.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>

#include <chrono>
#include <map>

#include "platform/file_services.h"
#include "tests/support/scratch_directory.h"

namespace corvane::platform {
namespace {

using testing::ScratchDirectory;
using Words = std::vector<std::string>;

// Just enough of an event loop for the launcher: fd watches dispatched through poll(), and timers
// that all fire once per turn (one turn = one timer period).
class LauncherTestLoop : public EventLoop {
  public:
    WatchId WatchFd(int fd, unsigned events, FdCallback callback) override {
        watches_[++lastId_] = {fd, events, std::move(callback)};
        return lastId_;
    }
    void SetFdEvents(WatchId id, unsigned events) override { watches_.at(id).events = events; }
    void UnwatchFd(WatchId id) override { watches_.erase(id); }
    TimerId StartTimer(std::uint32_t, bool, Callback callback) override {
        timers_[++lastId_] = std::move(callback);
        return lastId_;
    }
    void StopTimer(TimerId id) override { timers_.erase(id); }
    void Post(Callback) override { ADD_FAILURE() << "the launcher posts nothing"; }
    void SetIdleHook(IdleHook) override {}
    bool HasPendingInput() override { return false; }
    void Run() override { ADD_FAILURE() << "not used"; }
    void Quit() override {}

    bool RunUntil(const std::function<bool()>& condition, std::uint32_t timeoutMs) override {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!condition() && std::chrono::steady_clock::now() < deadline) {
            if (watches_.empty()) {
                // Polled children: wait until one has ended (without reaping it), then let the
                // timer run.
                siginfo_t info{};
                ::waitid(P_ALL, 0, &info, WEXITED | WNOWAIT);
            } else {
                DispatchReadyFds();
            }
            auto timers = timers_;
            for (auto& [id, callback] : timers) {
                if (timers_.count(id)) callback();
            }
        }
        return condition();
    }

    std::size_t WatchCount() const { return watches_.size(); }
    std::size_t TimerCount() const { return timers_.size(); }

  private:
    struct Watch {
        int fd;
        unsigned events;
        FdCallback callback;
    };

    void DispatchReadyFds() {
        std::vector<pollfd> fds;
        std::vector<WatchId> ids;
        for (auto& [id, watch] : watches_) {
            fds.push_back({watch.fd, POLLIN, 0});
            ids.push_back(id);
        }
        if (::poll(fds.data(), fds.size(), 100) <= 0) return;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            auto it = watches_.find(ids[i]);
            if (fds[i].revents != 0 && it != watches_.end()) {
                FdCallback callback = it->second.callback;
                callback(fds[i].fd, kIoRead);
            }
        }
    }

    std::map<std::uint64_t, Watch> watches_;
    std::map<std::uint64_t, Callback> timers_;
    std::uint64_t lastId_ = 0;
};

Words FilesIn(const ScratchDirectory& dir) {
    Words names;
    std::vector<DirectoryEntry> entries = ListDirectory(dir.path(), "*").value();
    for (const DirectoryEntry& entry : entries) {
        names.push_back(entry.name);
    }
    return names;
}

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

// touch creates one file per argument it receives: the file names show exactly what arrived.
TEST(ProgramLauncher, ArgumentsReachTheProgramAsPlainText) {
    ScratchDirectory dir;
    const Words names = {"$(touch pwned)", "*",     "`touch pwned2`", "a;b",        "c|d",
                         "e & f",          "g > h", "it's",           "line\nbreak"};
    Words arguments = {"touch"};
    for (const std::string& name : names) arguments.push_back(dir.File(name));
    LauncherTestLoop loop;
    ProgramLauncher launcher(loop);
    ASSERT_TRUE(launcher.Start(arguments));
    ASSERT_TRUE(loop.RunUntil([&] { return launcher.RunningCount() == 0; }, 10000));
    EXPECT_EQ(FilesIn(dir), names);
}

TEST(ProgramLauncher, CommandLineWordsReachTheProgramAsPlainText) {
    ScratchDirectory dir;
    LauncherTestLoop loop;
    ProgramLauncher launcher(loop);
    ASSERT_TRUE(launcher.Start("touch \"" + dir.File("with space") + "\" " + dir.File("x;touch") +
                               " " + dir.File("$(id)")));
    ASSERT_TRUE(loop.RunUntil([&] { return launcher.RunningCount() == 0; }, 10000));
    EXPECT_EQ(FilesIn(dir), (Words{"$(id)", "with space", "x;touch"}));
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
