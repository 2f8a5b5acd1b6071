#pragma once
// Starting other programs (terminal programs, viewers, another window) without a shell.
//
// A command line is split into words by SplitCommandLine and the first word is looked up in PATH;
// the words reach the program exactly as split, so ";", "|", "$(...)" or back-quotes are plain
// text, never commands. Programs are started with posix_spawnp, whose answer reports a program
// that cannot be executed: glibc (2.24 and later) waits until the child has executed the program
// and returns the exec error (ENOENT, EACCES...) otherwise.
//
// Every started child is reaped as soon as it ends, so none lingers as a zombie: a pidfd per child
// is watched on the event loop, or, where the kernel has no pidfd, a repeating timer polls the
// children with waitpid(WNOHANG). Only the children started here are waited for; other code's
// children (Qt's processes, tests' forks) are left alone.

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/event_loop.h"

namespace corvane::platform {

// Splits at runs of blanks; a double quote starts or ends a quoted run in which blanks are part of
// the word. The quotes themselves are dropped, "" gives an empty word, and an unclosed quote runs
// to the end. Backslashes have no special meaning (paths keep theirs).
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Whether the command line's program (its first word) is an executable regular file: the path
// itself when the word holds a "/", else the first match in the directories of PATH. What Start
// would find, asked before a command is configured rather than when it is first needed.
bool IsExecutableCommand(std::string_view commandLine);

class ProgramLauncher {
  public:
    enum class ExitWatch { kPidFd, kPolling };
    static constexpr std::uint32_t kPollingIntervalMs = 250;

    // The loop must outlive the launcher. kPidFd falls back to polling where pidfds are missing.
    explicit ProgramLauncher(EventLoop& loop, ExitWatch exitWatch = ExitWatch::kPidFd);
    // Reaps the children that have ended. Children still running are not waited for; once this
    // process ends they are reaped by the system.
    ~ProgramLauncher();
    ProgramLauncher(const ProgramLauncher&) = delete;
    ProgramLauncher& operator=(const ProgramLauncher&) = delete;

    // True when the program was found and started. errno tells why not.
    bool Start(std::string_view commandLine);
    // arguments[0] is the program, looked up in PATH unless it holds a "/".
    bool Start(const std::vector<std::string>& arguments);

    // Started children not yet reaped.
    std::size_t RunningCount() const { return children_.size(); }

  private:
    struct Child {
        pid_t pid;
        int pidFd;  // -1 when polled
        WatchId watch;
    };

    void WatchExit(pid_t pid);
    void OnChildReady(pid_t pid);
    void ReapEnded();
    void Forget(std::size_t index);

    EventLoop& loop_;
    ExitWatch exitWatch_;
    std::vector<Child> children_;
    TimerId pollTimer_ = 0;
    bool polling_ = false;
};

}  // namespace corvane::platform
